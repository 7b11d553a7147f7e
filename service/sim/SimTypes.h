// The records of the simulated keyboard's memory: button records, macro events, lights, profiles, macros,
// program entries and a device's identity, with the limits every stored field keeps, and the status the
// storage operations report.
#pragma once

#include "service/DeviceRecords.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SimStatus {
    Ok,
    NotFound,         // no object (or property) of that GUID, index or key
    InvalidArgument,  // a value the device does not take; nothing changed
    LimitReached,     // the device holds as many objects as it can
    IoError,          // a file could not be read or written
    BadFile,          // a file is truncated, corrupt, foreign or of another version
};

constexpr std::uint32_t kSimKeyboardProductId = 0x0110;

// The GUID of no object.
constexpr GUID kSimNullGuid = {};

// Field limits in UTF-16 units, terminator not counted. Longer text is cut, never stored whole.
constexpr std::size_t kSimMaxProfileName = 259;
constexpr std::size_t kSimMaxMacroName = 255;
constexpr std::size_t kSimMaxAppName = 259;
constexpr std::size_t kSimMaxLinkedProgram = kLinkedProgramMaxChars;

// Capacity of the device. They keep the memory file and the exchange files small enough to be read
// whole: a full device stays well below the readers' size limits.
constexpr std::size_t kSimMaxDevices = 8;
constexpr std::size_t kSimMaxButtons = 512;
constexpr std::size_t kSimMaxLeds = 16;
constexpr std::size_t kSimMaxProfiles = 128;
constexpr std::size_t kSimMaxMacros = 512;
constexpr std::size_t kSimMaxMacroEvents = 8192;
constexpr std::size_t kSimMaxApps = 512;
constexpr std::uint32_t kSimMaxLayoutCode = 14;

constexpr std::uint32_t kSimModeNormal = 1;
constexpr std::uint32_t kSimModeRecording = 2;

// The records clients exchange with the device, and the property keys, as the service's interface
// defines them. Only a record's button id is the device's to interpret; the rest is kept as given.
using SimButtonRecord = KeyAssignmentRecord;
using SimMacroEvent = DeviceMacroEvent;  // type 1 mouse button, 2 key, 3 delay

constexpr std::uint32_t kSimLinkedProgramProperty = kLinkedProgramProperty;
constexpr std::uint32_t kSimProfileFlagsProperty = kProfileFlagsProperty;
constexpr std::size_t kSimLinkedProgramBytes = kLinkedProgramBytes;
constexpr std::uint32_t kSimServiceKey = kServiceKey;
constexpr std::uint32_t kSimKeyExtended = kKeyModifierExtended;

struct SimLed {
    std::uint32_t id = 0;
    bool on = false;
    std::uint32_t value = 0;
    bool blink = false;
    std::uint32_t onTimeMs = 0;
    std::uint32_t offTimeMs = 0;
    std::uint32_t auxValue = 0;
};

struct SimProfile {
    GUID guid{};
    std::wstring name;
    std::uint16_t flags = 0;        // bit 0 automatic switch, bit 1 sensitivity display, bit 2 name display
    std::wstring linkedProgram;     // file name of the linked program; empty = none
    std::vector<SimLed> leds;
    std::vector<SimButtonRecord> records;  // one per button of the device, in the device's button order
};

struct SimMacro {
    GUID guid{};
    std::wstring name;
    std::vector<SimMacroEvent> events;
};

struct SimApp {
    GUID guid{};
    std::wstring name;  // name or path of the program
};

struct SimVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

struct SimDeviceInfo {
    std::uint32_t identity = 1;
    std::uint32_t productId = kSimKeyboardProductId;
    SimVersion firmware{1, 5};
    SimVersion secondary{1, 0};
    std::uint32_t layoutCode = 0;
    bool plugged = true;
};

// Everything a device keeps in its memory. The device mode is not part of it: a keyboard always
// starts in normal mode.
struct SimDeviceData {
    SimDeviceInfo info;
    std::vector<SimButtonRecord> defaults;  // factory record of each button, in button order
    std::vector<SimProfile> profiles;
    GUID activeProfile{};                   // null when the device has no profile
    std::vector<SimMacro> macros;
    std::vector<SimApp> apps;
};

bool operator==(const SimButtonRecord& a, const SimButtonRecord& b);
bool operator==(const SimMacroEvent& a, const SimMacroEvent& b);
bool operator==(const SimLed& a, const SimLed& b);
bool operator==(const SimProfile& a, const SimProfile& b);
bool operator==(const SimMacro& a, const SimMacro& b);
bool operator==(const SimApp& a, const SimApp& b);
bool operator==(const SimDeviceInfo& a, const SimDeviceInfo& b);
bool operator==(const SimDeviceData& a, const SimDeviceData& b);
inline bool operator!=(const SimDeviceData& a, const SimDeviceData& b) { return !(a == b); }

// Text as a field keeps it: cut at the first NUL and then at `maxUnits` units, without leaving the high
// half of a surrogate pair at the end.
std::wstring BoundSimText(const std::wstring& text, std::size_t maxUnits);

// The factory record of a button that sends `scanCode` (with its extended bit when `extended`).
SimButtonRecord MakeKeyRecord(std::uint32_t buttonId, std::uint16_t scanCode, bool extended);

// The lights every new profile has, in enumeration order: 1, 3, 4 (the keyboard's lighting, on) and 7
// (the recording light).
std::vector<SimLed> FactoryLeds();

// A GUID not yet in `taken` (CoCreateGuid; a repeat is drawn again).
GUID NewUniqueGuid(const std::vector<GUID>& taken);
