// Raw keyboard and mouse input for the widgets that record what the user types and clicks: the
// process-wide registration of the HID usages delivered to one window as WM_INPUT, the checked reading of
// one report, and the map from a raw mouse report's button-transition flags to the button codes and
// up/down states of macro events.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Usages of HID usage page 1 (generic desktop) that the programs register.
constexpr USHORT kHidUsagePageGenericDesktop = 1;
constexpr USHORT kHidUsageMouse = 2;
constexpr USHORT kHidUsageKeyboard = 6;

// The usages to deliver and their registration for one target window. One instance (Shared()) serves
// every user in a program: while one user holds the registration, another's Register fails, and any
// user's Unregister ends it for all. GUI thread only.
class RawInputRegistration {
public:
    // The system call that registers and removes devices; tests put a failing one in its place.
    using RegisterDevicesFn = BOOL(WINAPI*)(PCRAWINPUTDEVICE devices, UINT count, UINT entrySize);

    explicit RawInputRegistration(RegisterDevicesFn registerDevices = ::RegisterRawInputDevices)
        : m_registerDevices(registerDevices)
    {
    }
    ~RawInputRegistration() { Unregister(); }
    RawInputRegistration(const RawInputRegistration&) = delete;
    RawInputRegistration& operator=(const RawInputRegistration&) = delete;

    static RawInputRegistration& Shared();

    // Appends a usage; false, and no change, when it is already listed.
    bool AddUsage(USHORT usage);

    // Registers every listed usage for `target`: the mouse with RIDEV_INPUTSINK, anything else with
    // RIDEV_INPUTSINK | RIDEV_NOLEGACY. False without calling the system when already registered, when
    // `target` is not a window or when no usage is listed. When the system refuses, nothing stays allocated or
    // registered and the usage list is kept, so a later call (with a valid window) can succeed.
    bool Register(HWND target);

    // Removes the registration, then empties the usage list: a later Register needs its usages added
    // again.
    void Unregister();

    bool IsRegistered() const { return m_registered; }
    const std::vector<USHORT>& Usages() const { return m_usages; }

private:
    RegisterDevicesFn m_registerDevices;
    std::vector<USHORT> m_usages;
    std::vector<RAWINPUTDEVICE> m_devices;  // what the system holds; empty when nothing is registered
    bool m_registered = false;
};

// One keyboard or mouse report taken from a WM_INPUT message.
struct RawInputReport {
    DWORD type = 0;           // RIM_TYPEKEYBOARD or RIM_TYPEMOUSE
    RAWKEYBOARD keyboard{};   // when type is RIM_TYPEKEYBOARD
    RAWMOUSE mouse{};         // when type is RIM_TYPEMOUSE
};

// Reads the report behind a WM_INPUT lParam. False when the system gives no data for the handle, or when
// the report is of another device type or shorter than its type's structure.
bool ReadRawInput(HRAWINPUT input, RawInputReport* report);

// The checks of ReadRawInput on `size` bytes of raw input data as GetRawInputData returns them.
bool DecodeRawInput(const void* data, size_t size, RawInputReport* report);

// A button going down or up, as macro events record it. Button code 0 is no button event.
struct MouseButtonTransition {
    uint32_t button = 0;  // index into kMouseButtonNames
    uint8_t state = 0;    // kMouseButtonPressed or kMouseButtonReleased; 0 with button 0
};

constexpr uint8_t kMouseButtonPressed = 255;
constexpr uint8_t kMouseButtonReleased = 1;

// usButtonFlags of a raw mouse report <-> button transition. Only a report with exactly one button
// transition (left, right, middle, fourth, fifth) maps to a button; movement, the wheel and several
// transitions in one report map to button 0.
class MouseButtonFlagMap {
public:
    // Fills the process-wide map; later calls do nothing.
    static void Initialise();
    static bool IsFilled();

    // Fills the map first when nobody has yet.
    static MouseButtonTransition Lookup(USHORT buttonFlags);

    // The smallest flag value whose transition is {button, state}; 0 when none is.
    static USHORT FindFlags(uint32_t button, uint8_t state);
};
