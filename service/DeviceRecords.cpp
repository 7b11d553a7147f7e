// Conversions between the device service's records and the model's values.
#include "service/DeviceRecords.h"

#include <objbase.h>

#include <algorithm>
#include <limits>

#include "skin/RawInput.h"

KeyAssignmentRecord MakeMacroAssignmentRecord(DWORD leading, DWORD buttonId, const GUID& macro,
                                              BYTE playMode, BYTE repeatCount)
{
    KeyAssignmentRecord record = {};
    record.leading = leading;
    record.buttonId = buttonId;
    record.serviceType = kServiceMacro;
    SetRecordField(record, kRecordGuidOffset, macro);
    SetRecordField(record, kRecordPlayModeOffset, playMode);
    SetRecordField(record, kRecordRepeatCountOffset, repeatCount);
    return record;
}

void FreeDeviceInfo(DeviceInfo* info)
{
    if (!info)
        return;
    CoTaskMemFree(info->text);
    info->text = nullptr;
}

bool ToDeviceMacroEvent(const MacroEvent& event, DeviceMacroEvent* out)
{
    const uint8_t state = uint8_t(event.data2 & 0xFF);
    switch (event.kind) {
    case kMacroKey: {
        const uint16_t scan = uint16_t(event.data1 & 0xFFFF);
        const uint16_t virtualKey = uint16_t(event.data1 >> 16);
        const bool extended = ((event.data2 >> 8) & kMacroExtendedKey) != 0;
        DWORD flags = 0;
        if (state != kMacroPressed)
            flags |= kDeviceKeyReleased;
        // Pause and Num Lock share a scan code; the device keeps Pause apart as "extended".
        if (extended || virtualKey == kVirtualKeyPause)
            flags |= kDeviceKeyExtended;
        *out = DeviceMacroEvent{kDeviceEventKey, scan | flags << 16};
        return true;
    }
    case kMacroMouseButton:
        *out = DeviceMacroEvent{kDeviceEventButton, MouseButtonFlagMap::FindFlags(event.data1, state)};
        return true;
    case kMacroDelay:
        *out = DeviceMacroEvent{kDeviceEventDelay, event.data1};
        return true;
    }
    return false;
}

std::vector<DeviceMacroEvent> ToDeviceMacroEvents(const std::vector<MacroEvent>& events)
{
    std::vector<DeviceMacroEvent> result;
    result.reserve(events.size());
    for (const MacroEvent& event : events) {
        DeviceMacroEvent converted;
        if (ToDeviceMacroEvent(event, &converted))
            result.push_back(converted);
    }
    return result;
}

bool FromDeviceMacroEvent(const DeviceMacroEvent& event, MacroEvent* out)
{
    switch (event.type) {
    case kDeviceEventButton: {
        const MouseButtonTransition transition = MouseButtonFlagMap::Lookup(USHORT(event.value & 0xFFFF));
        *out = MakeMouseButtonEvent(transition.button, transition.state);
        return true;
    }
    case kDeviceEventKey: {
        const uint16_t scan = uint16_t(event.value & 0xFFFF);
        const DWORD flags = event.value >> 16;
        const uint8_t state = (flags & kDeviceKeyReleased) ? kMacroReleased : kMacroPressed;
        bool extended = (flags & kDeviceKeyExtended) != 0;
        uint16_t virtualKey = 0;
        if (scan == kScanPauseNumLock) {
            virtualKey = extended ? kVirtualKeyPause : kVirtualKeyNumLock;
            extended = false;
        }
        *out = MakeKeyEvent(virtualKey, scan, state, extended ? kMacroExtendedKey : 0);
        return true;
    }
    case kDeviceEventDelay:
        *out = MakeDelayEvent(event.value);
        return true;
    }
    return false;
}

bool FromDeviceMacroEvents(const std::vector<DeviceMacroEvent>& source, std::vector<MacroEvent>* events)
{
    events->clear();
    for (const DeviceMacroEvent& event : source) {
        MacroEvent converted;
        if (FromDeviceMacroEvent(event, &converted))
            events->push_back(converted);
    }
    return !events->empty();
}

MacroEventBuffer* BuildMacroEventBuffer(const DeviceMacroEvent* events, size_t count)
{
    const size_t maxCount = (std::numeric_limits<DWORD>::max() - sizeof(MacroEventBuffer)) / sizeof(DeviceMacroEvent);
    if (count > maxCount || (count != 0 && !events))
        return nullptr;
    const size_t bytes = MacroEventBufferBytes(count);
    auto* buffer = static_cast<MacroEventBuffer*>(CoTaskMemAlloc(bytes));
    if (!buffer)
        return nullptr;
    std::memset(buffer, 0, bytes);
    buffer->count = DWORD(count);
    if (count != 0)
        std::memcpy(buffer->events, events, count * sizeof(DeviceMacroEvent));
    return buffer;
}

MacroEventBuffer* BuildMacroEventBuffer(const std::vector<MacroEvent>& events)
{
    const std::vector<DeviceMacroEvent> converted = ToDeviceMacroEvents(events);
    return BuildMacroEventBuffer(converted.data(), converted.size());
}

std::vector<DeviceMacroEvent> ReadMacroEventBuffer(const void* buffer, size_t byteSize)
{
    const size_t header = offsetof(MacroEventBuffer, events);
    if (!buffer || byteSize < header)
        return {};
    const auto* bytes = static_cast<const BYTE*>(buffer);
    DWORD count = 0;
    std::memcpy(&count, bytes + offsetof(MacroEventBuffer, count), sizeof(count));
    const size_t fits = (byteSize - header) / sizeof(DeviceMacroEvent);
    std::vector<DeviceMacroEvent> events(std::min<size_t>(count, fits));
    if (!events.empty())
        std::memcpy(events.data(), bytes + header, events.size() * sizeof(DeviceMacroEvent));
    return events;
}

std::vector<DeviceMacroEvent> ReadReturnedMacroEventBuffer(const MacroEventBuffer* buffer)
{
    if (!buffer)
        return {};
    IMalloc* allocator = nullptr;
    if (FAILED(CoGetMalloc(1, &allocator)) || !allocator)
        return {};
    const SIZE_T size = allocator->GetSize(const_cast<MacroEventBuffer*>(buffer));
    allocator->Release();
    if (size == SIZE_T(-1))
        return {};
    return ReadMacroEventBuffer(buffer, size);
}

bool ReadProfileFlags(const void* buffer, DWORD size, ProfileFlags* flags)
{
    if (!buffer || size < sizeof(ProfileFlags))
        return false;
    std::memcpy(&flags->bits, buffer, sizeof(flags->bits));
    return true;
}

ProfileFlagsWrite MakeProfileFlagsWrite(ProfileFlagBit bit, bool on)
{
    return ProfileFlagsWrite{uint16_t(bit), uint16_t(on ? 1 : 0)};
}

bool ApplyProfileFlagsWrite(uint16_t* bits, const void* buffer, DWORD size)
{
    if (!buffer || size != sizeof(ProfileFlagsWrite))
        return false;
    ProfileFlagsWrite write;
    std::memcpy(&write, buffer, sizeof(write));
    const bool knownBit =
        write.mask == AutoSwitch || write.mask == kProfileSensitivityDisplay || write.mask == ShowProfileOsd;
    if (!knownBit || write.value > 1)
        return false;
    *bits = write.value ? uint16_t(*bits | write.mask) : uint16_t(*bits & ~write.mask);
    return true;
}

LinkedProgramProperty MakeLinkedProgramProperty(const std::wstring& fileName)
{
    LinkedProgramProperty property = {};
    const size_t length = std::min(fileName.size(), kLinkedProgramMaxChars);
    std::copy_n(fileName.data(), length, property.text);
    return property;
}

std::wstring ReadLinkedProgramProperty(const void* buffer, DWORD size)
{
    if (!buffer)
        return {};
    const size_t chars = std::min<size_t>(size / sizeof(wchar_t), kLinkedProgramMaxChars);
    // The buffer is the caller's bytes: copy instead of reading wide characters in place.
    std::wstring text(chars, L'\0');
    std::memcpy(&text[0], buffer, chars * sizeof(wchar_t));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos)
        text.resize(end);
    return text;
}
