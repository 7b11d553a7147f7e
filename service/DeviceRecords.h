// The records that pass through the device service's interfaces as C++ sees them, with their x64
// layout checked, and the conversions to and from the model: macro events and their counted buffer,
// the profile flag set and its one-bit writes, the light ids, the linked-program property, key
// assignment records.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceService.h"
#include "model/MacroEvent.h"

// ---- Key assignment records (IButtonAssignment) ----

static_assert(sizeof(KeyAssignmentRecord) == 32, "a key assignment record is 32 bytes");
static_assert(offsetof(KeyAssignmentRecord, leading) == 0, "leading value at 0");
static_assert(offsetof(KeyAssignmentRecord, buttonId) == 4, "button id at 4");
static_assert(offsetof(KeyAssignmentRecord, serviceType) == 8, "service type at 8");
static_assert(offsetof(KeyAssignmentRecord, data) == 12, "typed data at 12");

static_assert(sizeof(ButtonAssignmentInfo) == 8, "button assignment information is 8 bytes");
static_assert(offsetof(ButtonAssignmentInfo, buttonCount) == 4, "number of buttons at 4");

enum ServiceType : DWORD {
    kServiceButtonFunction = 1,  // function code at 12
    kServiceFourValues = 2,      // four values at 12..27
    kServiceProfileSwitch = 3,   // code at 12; target profile GUID at 16 for code 3
    kServiceSensitivity = 4,     // code at 12; stage index at 16 for code 3
    kServiceKey = 5,             // 16-bit scan code at 12, modifier bits at 14
    kServiceAdvanced = 6,
    kServiceUnused7 = 7,
    kServiceMacro = 8,           // macro GUID at 12, play mode at 28, repeat count at 29
    kServiceProgramStart = 9,    // program entry GUID at 12
};

// Field offsets from the record's start, as the device reads them.
constexpr size_t kRecordCodeOffset = 12;
constexpr size_t kRecordArgumentOffset = 16;   // profile GUID (type 3), stage index (type 4)
constexpr size_t kRecordKeyScanOffset = 12;
constexpr size_t kRecordKeyModifiersOffset = 14;
constexpr size_t kRecordGuidOffset = 12;       // macro (type 8), program entry (type 9)
constexpr size_t kRecordPlayModeOffset = 28;
constexpr size_t kRecordRepeatCountOffset = 29;

// Key modifier bits of a type 5 record; the extended bit is also set for the Pause key.
constexpr DWORD kKeyModifierExtended = 0x1000000;

enum DevicePlayMode : BYTE {
    kDevicePlayOnce = 1,
    kDevicePlayCount = 2,
    kDevicePlayWhileHeld = 3,
    kDevicePlayUntilPressedAgain = 4,
};

// A typed field of a record at a byte offset from its start. The type-5 modifiers sit at an odd
// offset (14), so fields are copied, never addressed. False, and no change, when the field would leave
// the data bytes.
template <class T>
bool SetRecordField(KeyAssignmentRecord& record, size_t offset, const T& value)
{
    if (offset < offsetof(KeyAssignmentRecord, data) || offset + sizeof(T) > sizeof(KeyAssignmentRecord))
        return false;
    std::memcpy(record.data + (offset - offsetof(KeyAssignmentRecord, data)), &value, sizeof(T));
    return true;
}

template <class T>
bool GetRecordField(const KeyAssignmentRecord& record, size_t offset, T* value)
{
    if (offset < offsetof(KeyAssignmentRecord, data) || offset + sizeof(T) > sizeof(KeyAssignmentRecord))
        return false;
    std::memcpy(value, record.data + (offset - offsetof(KeyAssignmentRecord, data)), sizeof(T));
    return true;
}

// A service-type-8 record: the macro plays on the button. Every byte not given is 0.
KeyAssignmentRecord MakeMacroAssignmentRecord(DWORD leading, DWORD buttonId, const GUID& macro,
                                              BYTE playMode, BYTE repeatCount);

// The parts of a button id: the scan code, and the extended flag the key tables use for it (2 when the
// high half is 4, 1 when it is 2, else 0).
inline uint16_t ButtonIdScanCode(DWORD buttonId) { return uint16_t(buttonId & 0xFFFF); }
inline uint8_t ButtonIdExtendedFlag(DWORD buttonId)
{
    const DWORD high = buttonId >> 16;
    return high == 4 ? 2 : high == 2 ? 1 : 0;
}

// ---- Device information (the device's GetInfo) ----

static_assert(offsetof(DeviceInfo, productId) == 4, "product id at 4");
static_assert(offsetof(DeviceInfo, versionBMajor) == 8 && offsetof(DeviceInfo, versionBMinor) == 12,
              "version B at 8 and 12");
static_assert(offsetof(DeviceInfo, firmwareMajor) == 16 && offsetof(DeviceInfo, firmwareMinor) == 20,
              "firmware version at 16 and 20");
static_assert(offsetof(DeviceInfo, text) == 24 && sizeof(DeviceInfo) == 32,
              "x64: the text pointer is 8 bytes at 24, the record 32 bytes");

// Frees the service's text and clears the pointer.
void FreeDeviceInfo(DeviceInfo* info);

// ---- Macro events and their counted buffer (IDeviceMacro) ----

static_assert(sizeof(DeviceMacroEvent) == 8, "a device macro event is 8 bytes");
static_assert(offsetof(DeviceMacroEvent, value) == 4, "value at 4");
static_assert(offsetof(MacroEventBuffer, reserved) == 0 && offsetof(MacroEventBuffer, count) == 4 &&
                  offsetof(MacroEventBuffer, events) == 8,
              "a macro event buffer is {0, count, events}");
static_assert(sizeof(MacroEventBuffer) == 16, "the buffer header holds room for one event");

enum DeviceMacroEventType : DWORD {
    kDeviceEventButton = 1,  // low 16 bits a MouseButtonFlagMap flag
    kDeviceEventKey = 2,     // low 16 bits scan code, high 16 bits flags
    kDeviceEventDelay = 3,   // milliseconds
};
// Flags of a key event (high 16 bits of its value).
constexpr DWORD kDeviceKeyReleased = 0x1;
constexpr DWORD kDeviceKeyExtended = 0x2;

// Virtual keys that share scan code 69: the device tells them apart by the extended flag.
constexpr uint16_t kVirtualKeyPause = 19;
constexpr uint16_t kVirtualKeyNumLock = 144;
constexpr uint16_t kScanPauseNumLock = 69;

// A model event as the device stores it; false for a kind the device has no type for.
bool ToDeviceMacroEvent(const MacroEvent& event, DeviceMacroEvent* out);
// Every convertible model event in order.
std::vector<DeviceMacroEvent> ToDeviceMacroEvents(const std::vector<MacroEvent>& events);

// A device event as the model holds it; false for a type the model does not know (it is skipped).
bool FromDeviceMacroEvent(const DeviceMacroEvent& event, MacroEvent* out);
// Replaces `events` with the convertible ones; true when at least one resulted.
bool FromDeviceMacroEvents(const std::vector<DeviceMacroEvent>& source, std::vector<MacroEvent>* events);

// Bytes a sender allocates for `count` events: 16 + 8 * count (the last 8 unused).
constexpr size_t MacroEventBufferBytes(size_t count)
{
    return sizeof(MacroEventBuffer) + sizeof(DeviceMacroEvent) * count;
}

// A buffer of `count` events allocated with CoTaskMemAlloc and zero-filled beyond the events; the
// caller frees it with CoTaskMemFree. Null when it cannot be allocated or the count does not fit.
MacroEventBuffer* BuildMacroEventBuffer(const DeviceMacroEvent* events, size_t count);
MacroEventBuffer* BuildMacroEventBuffer(const std::vector<MacroEvent>& events);

// The events of `byteSize` bytes of buffer: never more than fit in those bytes, whatever its count
// says. Empty when the bytes hold no header.
std::vector<DeviceMacroEvent> ReadMacroEventBuffer(const void* buffer, size_t byteSize);
// A buffer the service returned (GetEvents): bounded by the size of its CoTaskMemAlloc block. Null
// reads as no events.
std::vector<DeviceMacroEvent> ReadReturnedMacroEventBuffer(const MacroEventBuffer* buffer);

// ---- Profile properties (IProfilePropertyStore) ----

constexpr DWORD kLinkedProgramProperty = 0x80000002;
constexpr DWORD kProfileFlagsProperty = 0x80000003;

// ProfileFlagsProperty read back: a 16-bit bit set. AutoSwitch: the profile becomes active while its linked
// program is in the foreground; ShowProfileOsd: its name is shown on screen when it becomes active.
enum ProfileFlagBit : uint16_t {
    AutoSwitch = 0x1,
    kProfileSensitivityDisplay = 0x2,
    ShowProfileOsd = 0x4,
};
struct ProfileFlags {
    uint16_t bits;
};
static_assert(sizeof(ProfileFlags) == 2, "the flag set is read with a 2-byte buffer");

// Light ids of a profile (IDeviceLed::GetId): light 1, and the light that carries the profile's
// lighting switch.
constexpr DWORD kLedIdRecording = 1;
constexpr DWORD LightingOn = 4;

// ProfileFlagsProperty written: one bit per call, {mask 1, 2 or 4, value 0 or 1}.
struct ProfileFlagsWrite {
    uint16_t mask;
    uint16_t value;
};
static_assert(sizeof(ProfileFlagsWrite) == 4 && offsetof(ProfileFlagsWrite, value) == 2,
              "a flag write is {16-bit mask, 16-bit value}");

// The flag set from what GetProperty returned; false when fewer than 2 bytes came back.
bool ReadProfileFlags(const void* buffer, DWORD size, ProfileFlags* flags);
ProfileFlagsWrite MakeProfileFlagsWrite(ProfileFlagBit bit, bool on);
// The service's side of a write: false, and `bits` unchanged, unless the buffer is 4 bytes with a mask
// of exactly one known bit and a value of 0 or 1.
bool ApplyProfileFlagsWrite(uint16_t* bits, const void* buffer, DWORD size);

// LinkedProgramProperty: the linked program's file name as wide text in 256 bytes.
constexpr size_t kLinkedProgramBytes = 256;
constexpr size_t kLinkedProgramMaxChars = 127;
struct LinkedProgramProperty {
    wchar_t text[kLinkedProgramBytes / sizeof(wchar_t)];
};
static_assert(sizeof(LinkedProgramProperty) == kLinkedProgramBytes, "the property is 256 bytes");

// At most 127 characters and a terminator, zeros after; no program (empty name) is 256 zero bytes.
LinkedProgramProperty MakeLinkedProgramProperty(const std::wstring& fileName);
// The name in what GetProperty returned: up to the first terminator, never beyond `size` bytes or 127
// characters; a size of 0 means no program.
std::wstring ReadLinkedProgramProperty(const void* buffer, DWORD size);
