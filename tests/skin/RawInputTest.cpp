// Tests of raw input: the mouse button-transition map, the checks on raw report data, registering
// keyboard and mouse for a window, and synthesised input arriving as WM_INPUT.
#include "skin/RawInput.h"

#include "model/NameTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------------
// Mouse button transitions

TEST(MouseButtonFlagMapTest, EveryTransitionMapsToItsButtonAndBack)
{
    struct Case {
        USHORT flags;
        uint32_t button;
        uint8_t state;
        const wchar_t* nameKey;
    };
    const Case cases[] = {
        {0x0001, 1, 255, L"$LeftButton"},  {0x0002, 1, 1, L"$LeftButton"},
        {0x0004, 2, 255, L"$RightButton"}, {0x0008, 2, 1, L"$RightButton"},
        {0x0010, 3, 255, L"$Wheel"},       {0x0020, 3, 1, L"$Wheel"},
        {0x0040, 25, 255, L"$Button4"},    {0x0080, 25, 1, L"$Button4"},
        {0x0100, 26, 255, L"$Button5"},    {0x0200, 26, 1, L"$Button5"},
    };
    MouseButtonFlagMap::Initialise();
    MouseButtonFlagMap::Initialise();  // a second start-up leaves the same map
    EXPECT_TRUE(MouseButtonFlagMap::IsFilled());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const MouseButtonTransition t = MouseButtonFlagMap::Lookup(c.flags);
        EXPECT_EQ(c.button, t.button);
        EXPECT_EQ(c.state, t.state);
        ASSERT_LT(t.button, static_cast<uint32_t>(kMouseButtonCount));
        EXPECT_STREQ(c.nameKey, kMouseButtonNames[t.button]);
        EXPECT_EQ(c.flags, MouseButtonFlagMap::FindFlags(c.button, c.state));
    }
}

TEST(MouseButtonFlagMapTest, OtherFlagsAndTransitionsHaveNoEntry)
{
    // Movement, down and up in one report, the wheel, the horizontal wheel, two buttons, unused bits.
    for (int flags : {0x0000, 0x0003, 0x0400, 0x0800, 0x0005, 0x0300, 0x1000, 0xFFFF}) {
        SCOPED_TRACE(flags);
        const MouseButtonTransition t = MouseButtonFlagMap::Lookup(static_cast<USHORT>(flags));
        EXPECT_EQ(0u, t.button);
        EXPECT_EQ(0u, t.state);
    }
    EXPECT_EQ(0, MouseButtonFlagMap::FindFlags(0, 0));
    EXPECT_EQ(0, MouseButtonFlagMap::FindFlags(1, 0));    // neither pressed nor released
    EXPECT_EQ(0, MouseButtonFlagMap::FindFlags(4, 255));  // named, but never recorded
    EXPECT_EQ(0, MouseButtonFlagMap::FindFlags(27, 1));
}

// ---------------------------------------------------------------------------------------------------
// Raw report data

std::vector<BYTE> MakeReport(DWORD type, const void* payload, size_t payloadSize)
{
    std::vector<BYTE> data(offsetof(RAWINPUT, data) + payloadSize);
    RAWINPUTHEADER header = {};
    header.dwType = type;
    header.dwSize = static_cast<DWORD>(data.size());
    std::memcpy(data.data(), &header, sizeof(header));
    std::memcpy(data.data() + offsetof(RAWINPUT, data), payload, payloadSize);
    return data;
}

TEST(RawInputDecodeTest, ReadsWholeReportsAndRefusesShortOrForeignOnes)
{
    RAWKEYBOARD key = {};
    key.MakeCode = 0x1E;
    key.Flags = RI_KEY_BREAK | RI_KEY_E0;
    key.VKey = 'A';
    const std::vector<BYTE> keyboard = MakeReport(RIM_TYPEKEYBOARD, &key, sizeof(key));
    RawInputReport report;
    ASSERT_TRUE(DecodeRawInput(keyboard.data(), keyboard.size(), &report));
    EXPECT_EQ(static_cast<DWORD>(RIM_TYPEKEYBOARD), report.type);
    EXPECT_EQ(0x1E, report.keyboard.MakeCode);
    EXPECT_EQ(RI_KEY_BREAK | RI_KEY_E0, report.keyboard.Flags);
    EXPECT_EQ('A', report.keyboard.VKey);

    RAWMOUSE button = {};
    button.usButtonFlags = RI_MOUSE_BUTTON_4_UP;
    const std::vector<BYTE> mouse = MakeReport(RIM_TYPEMOUSE, &button, sizeof(button));
    ASSERT_TRUE(DecodeRawInput(mouse.data(), mouse.size(), &report));
    EXPECT_EQ(static_cast<DWORD>(RIM_TYPEMOUSE), report.type);
    EXPECT_EQ(RI_MOUSE_BUTTON_4_UP, report.mouse.usButtonFlags);

    // Every cut copy is exactly as long as the size given, so a read past it has no slack to hide in.
    report.type = 77;
    for (size_t size : {size_t(0), sizeof(RAWINPUTHEADER) - 1, sizeof(RAWINPUTHEADER), keyboard.size() - 1}) {
        const std::vector<BYTE> cut(keyboard.begin(), keyboard.begin() + size);
        EXPECT_FALSE(DecodeRawInput(cut.data(), cut.size(), &report)) << size;
    }
    // A mouse report is the longer one: one of keyboard length is short.
    const std::vector<BYTE> cut(mouse.begin(), mouse.begin() + keyboard.size());
    EXPECT_FALSE(DecodeRawInput(cut.data(), cut.size(), &report));
    const std::vector<BYTE> hid = MakeReport(RIM_TYPEHID, &button, sizeof(button));
    EXPECT_FALSE(DecodeRawInput(hid.data(), hid.size(), &report));
    EXPECT_FALSE(ReadRawInput(nullptr, &report));
    EXPECT_EQ(77u, report.type);  // no refusal writes the report
}

// ---------------------------------------------------------------------------------------------------
// Registration

// What the registration asked of the system; the system refuses while g_refuseRegistration is set.
struct RegisterCall {
    std::vector<RAWINPUTDEVICE> devices;
    UINT entrySize;
};
std::vector<RegisterCall> g_registerCalls;
bool g_refuseRegistration = false;

BOOL WINAPI RecordingRegister(PCRAWINPUTDEVICE devices, UINT count, UINT entrySize)
{
    g_registerCalls.push_back({std::vector<RAWINPUTDEVICE>(devices, devices + count), entrySize});
    if (g_refuseRegistration) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return RegisterRawInputDevices(devices, count, entrySize);
}


const wchar_t kRecorderClass[] = L"TessaryRawInputTestRecorder";

// The devices this process has registered, as the system reports them.
std::vector<RAWINPUTDEVICE> RegisteredDevices()
{
    UINT count = 0;
    GetRegisteredRawInputDevices(nullptr, &count, sizeof(RAWINPUTDEVICE));
    std::vector<RAWINPUTDEVICE> devices(count);
    if (count) {
        const UINT got = GetRegisteredRawInputDevices(devices.data(), &count, sizeof(RAWINPUTDEVICE));
        devices.resize(got == static_cast<UINT>(-1) ? 0 : got);
    }
    return devices;
}

const RAWINPUTDEVICE* FindDevice(const std::vector<RAWINPUTDEVICE>& devices, USHORT usage)
{
    for (const RAWINPUTDEVICE& d : devices) {
        if (d.usUsagePage == kHidUsagePageGenericDesktop && d.usUsage == usage)
            return &d;
    }
    return nullptr;
}

// Dispatches messages until done() holds or the deadline passes.

class RawInputWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kRecorderClass;
        ASSERT_TRUE(RegisterClassW(&wc));
        m_window = CreateWindowExW(0, kRecorderClass, L"recorder", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, m_window);
        g_registerCalls.clear();
        g_refuseRegistration = false;
        ASSERT_TRUE(RegisteredDevices().empty()) << "raw input left registered by an earlier test";
    }
    void TearDown() override
    {
        m_registration.Unregister();
        if (m_window)
            DestroyWindow(m_window);
        UnregisterClassW(kRecorderClass, GetModuleHandleW(nullptr));
        EXPECT_TRUE(RegisteredDevices().empty());
    }

    bool RegisterKeyboardAndMouse()
    {
        m_registration.AddUsage(kHidUsageKeyboard);
        m_registration.AddUsage(kHidUsageMouse);
        return m_registration.Register(m_window);
    }

    RawInputRegistration m_registration{RecordingRegister};
    HWND m_window = nullptr;
};

TEST_F(RawInputWindowTest, RegistersKeyboardAndMouseForTheWindowUntilUnregistered)
{
    EXPECT_TRUE(m_registration.AddUsage(kHidUsageKeyboard));
    EXPECT_FALSE(m_registration.AddUsage(kHidUsageKeyboard));
    EXPECT_TRUE(m_registration.AddUsage(kHidUsageMouse));
    EXPECT_EQ((std::vector<USHORT>{kHidUsageKeyboard, kHidUsageMouse}), m_registration.Usages());

    ASSERT_TRUE(m_registration.Register(m_window));
    EXPECT_TRUE(m_registration.IsRegistered());
    ASSERT_EQ(1u, g_registerCalls.size());
    EXPECT_EQ(sizeof(RAWINPUTDEVICE), g_registerCalls[0].entrySize);
    const std::vector<RAWINPUTDEVICE> devices = RegisteredDevices();
    EXPECT_EQ(2u, devices.size());
    const RAWINPUTDEVICE* keyboard = FindDevice(devices, kHidUsageKeyboard);
    const RAWINPUTDEVICE* mouse = FindDevice(devices, kHidUsageMouse);
    ASSERT_NE(nullptr, keyboard);
    ASSERT_NE(nullptr, mouse);
    EXPECT_EQ(m_window, keyboard->hwndTarget);
    EXPECT_EQ(m_window, mouse->hwndTarget);
    EXPECT_EQ(static_cast<DWORD>(RIDEV_INPUTSINK | RIDEV_NOLEGACY), keyboard->dwFlags);
    EXPECT_EQ(static_cast<DWORD>(RIDEV_INPUTSINK), mouse->dwFlags);

    // A second user is turned away while the first holds the registration.
    EXPECT_FALSE(m_registration.Register(m_window));
    EXPECT_EQ(1u, g_registerCalls.size());

    m_registration.Unregister();
    EXPECT_FALSE(m_registration.IsRegistered());
    EXPECT_TRUE(m_registration.Usages().empty());
    EXPECT_TRUE(RegisteredDevices().empty());
    // The usages must be added again before the next recording.
    EXPECT_FALSE(m_registration.Register(m_window));
    EXPECT_TRUE(RegisterKeyboardAndMouse());
}

TEST_F(RawInputWindowTest, RefusalsCallNothing)
{
    EXPECT_FALSE(m_registration.Register(m_window));  // no usage listed
    m_registration.AddUsage(kHidUsageKeyboard);
    EXPECT_FALSE(m_registration.Register(nullptr));
    // The system would accept a destroyed window and hold the registration for nobody.
    HWND gone = CreateWindowExW(0, kRecorderClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, gone);
    DestroyWindow(gone);
    EXPECT_FALSE(m_registration.Register(gone));
    EXPECT_FALSE(m_registration.Register(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x12345))));

    EXPECT_TRUE(g_registerCalls.empty());
    EXPECT_FALSE(m_registration.IsRegistered());
    EXPECT_TRUE(RegisteredDevices().empty());
    EXPECT_TRUE(m_registration.Register(m_window));
}

TEST_F(RawInputWindowTest, RefusedRegistrationLeavesNothingBehindAndALaterOneSucceeds)
{
    m_registration.AddUsage(kHidUsageKeyboard);
    m_registration.AddUsage(kHidUsageMouse);
    g_refuseRegistration = true;
    EXPECT_FALSE(m_registration.Register(m_window));
    EXPECT_FALSE(m_registration.IsRegistered());
    EXPECT_TRUE(RegisteredDevices().empty());
    EXPECT_EQ(2u, m_registration.Usages().size());  // kept for the retry

    g_refuseRegistration = false;
    ASSERT_TRUE(m_registration.Register(m_window));
    EXPECT_EQ(2u, RegisteredDevices().size());
}

}  // namespace
