// Conversions between key assignments and the device's button records.
#include "model/AssignmentRecords.h"

#include <cstring>
#include <iterator>

namespace {

// A constant table rather than a map built at run time: the worker thread reads it, possibly while the
// process is already tearing down its statics.
constexpr AssignmentTemplate AssignmentTemplateMap[] = {
    {kKindDefaultKey, kServiceKey, false, 0, false, 0},
    {kKindClick, kServiceButtonFunction, true, 1, false, 0},
    {kKindMenu, kServiceButtonFunction, true, 2, false, 0},
    {kKindUniversalScrolling, kServiceButtonFunction, true, 3, false, 0},
    {kKindDoubleClick, kServiceButtonFunction, true, 11, false, 0},
    {kKindSingleKey, kServiceKey, false, 0, false, 0},
    {kKindMacro, kServiceMacro, false, 0, false, 0},
    {kKindMacroText, kServiceMacro, false, 0, false, 0},
    {kKindButtonOff, kServiceButtonFunction, true, 0, false, 0},
    {kKindAdvanced, kServiceAdvanced, false, 0, false, 0},
    {kKindOnTheFlySensitivity, kServiceButtonFunction, true, 8, false, 0},
    {kKindSensitivityStageUp, kServiceSensitivity, true, 1, false, 0},
    {kKindSensitivityStageDown, kServiceSensitivity, true, 2, false, 0},
    {kKindDpiStage1, kServiceSensitivity, true, 3, true, 0},
    {kKindDpiStage2, kServiceSensitivity, true, 3, true, 1},
    {kKindDpiStage3, kServiceSensitivity, true, 3, true, 2},
    {kKindDpiStage4, kServiceSensitivity, true, 3, true, 3},
    {kKindDpiStage5, kServiceSensitivity, true, 3, true, 4},
    {kKindProfile, kServiceProfileSwitch, true, 3, false, 0},
    {kKindProfileText, kServiceProfileSwitch, true, 3, false, 0},
    {kKindProfileUp, kServiceProfileSwitch, true, 2, false, 0},
    {kKindProfileDown, kServiceProfileSwitch, true, 1, false, 0},
    {kKindProfile1, kServiceProfileSwitch, true, 3, false, 0},
    {kKindProfile2, kServiceProfileSwitch, true, 3, false, 0},
    {kKindProfile3, kServiceProfileSwitch, true, 3, false, 0},
    {kKindProfile4, kServiceProfileSwitch, true, 3, false, 0},
    {kKindProfile5, kServiceProfileSwitch, true, 3, false, 0},
    {kKindBackward, kServiceButtonFunction, true, 5, false, 0},
    {kKindForward, kServiceButtonFunction, true, 4, false, 0},
    {kKindScrollUp, kServiceButtonFunction, true, 6, false, 0},
    {kKindScrollDown, kServiceButtonFunction, true, 7, false, 0},
    {kKindLaunchProgram, kServiceProgramStart, false, 0, false, 0},
};

constexpr DWORD kCodeAtThree = 3;  // the code of "a given profile" and "a given stage"
constexpr size_t kGuidBytes = sizeof(GUID);

// Modifier bits of a key record and the flag-byte bits they carry.
constexpr DWORD kModifierBits[4] = {0x1000000, 0x2000000, 0x4000000, 0x8000000};

DWORD RecordDword(const KeyAssignmentRecord& record, size_t offset)
{
    DWORD value = 0;
    GetRecordField(record, offset, &value);
    return value;
}

void CopyFromRecord(void* dest, const KeyAssignmentRecord& record, size_t offset, size_t bytes)
{
    std::memcpy(dest, record.data + (offset - kRecordCodeOffset), bytes);
}

void CopyToRecord(KeyAssignmentRecord& record, size_t offset, const void* source, size_t bytes)
{
    std::memcpy(record.data + (offset - kRecordCodeOffset), source, bytes);
}

KeyAssignment DefaultAssignment(const KeyScanCode& keyDefault)
{
    KeyAssignment assignment;
    MakeDefaultAssignment(assignment, keyDefault.code, keyDefault.extended != 0);
    return assignment;
}

}  // namespace

const AssignmentTemplate* AssignmentTemplates(size_t* count)
{
    *count = std::size(AssignmentTemplateMap);
    return AssignmentTemplateMap;
}

const AssignmentTemplate* FindAssignmentTemplate(int32_t kind)
{
    for (const AssignmentTemplate& entry : AssignmentTemplateMap) {
        if (entry.kind == kind)
            return &entry;
    }
    return nullptr;
}

KeyAssignmentRecord MakeTemplateRecord(int32_t kind)
{
    KeyAssignmentRecord record = {};
    const AssignmentTemplate* entry = FindAssignmentTemplate(kind);
    if (entry == nullptr)
        return record;
    record.leading = kConfiguratorRecordLeading;
    record.serviceType = entry->serviceType;
    if (entry->hasCode)
        SetRecordField(record, kRecordCodeOffset, entry->code);
    if (entry->hasStage)
        SetRecordField(record, kRecordArgumentOffset, entry->stage);
    return record;
}

int32_t RecordToKind(const KeyAssignmentRecord& record)
{
    const DWORD code = RecordDword(record, kRecordCodeOffset);
    for (const AssignmentTemplate& entry : AssignmentTemplateMap) {
        if (entry.serviceType != record.serviceType)
            continue;
        switch (record.serviceType) {
        case kServiceButtonFunction:
        case kServiceProfileSwitch:
        case kServiceSensitivity:
            if (entry.code == code)
                return entry.kind;
            break;
        case kServiceFourValues:
        case kServiceKey:
        case kServiceAdvanced:
        case kServiceMacro:
        case kServiceProgramStart:
            return entry.kind;
        default:
            break;
        }
    }
    return kKindNone;
}

BYTE ToDevicePlayMode(uint32_t modelMode)
{
    switch (modelMode) {
    case kPlayOnce: return 1;
    case kPlayMultiple: return 2;
    case kPlayUntilPressed: return 4;
    case kPlayWhilePressed: return 3;
    default: return 0;
    }
}

uint32_t FromDevicePlayMode(BYTE deviceMode)
{
    switch (deviceMode) {
    case 1: return kPlayOnce;
    case 2: return kPlayMultiple;
    case 4: return kPlayUntilPressed;
    case 3: return kPlayWhilePressed;
    default: return 0;
    }
}

bool IsNamedAssignment(int32_t kind)
{
    return kind == kKindMacroText || kind == kKindProfileText || kind == kKindLaunchProgramText;
}

KeyAssignmentRecord AssignmentToRecord(const KeyAssignment& given, DWORD buttonId, const KeyScanCode& keyDefault)
{
    const bool unknown = given.kind == kKindNone || IsNamedAssignment(given.kind);
    const KeyAssignment assignment = unknown ? DefaultAssignment(keyDefault) : given;

    KeyAssignmentRecord record = MakeTemplateRecord(assignment.kind);
    record.buttonId = buttonId;
    const AssignmentTemplate* entry = FindAssignmentTemplate(assignment.kind);
    if (entry == nullptr)
        return record;

    switch (entry->serviceType) {
    case kServiceFourValues:
    case kServiceProgramStart:
        CopyToRecord(record, kRecordGuidOffset, &assignment.data, kGuidBytes);
        break;
    case kServiceProfileSwitch:
        if (entry->code == kCodeAtThree)
            CopyToRecord(record, kRecordArgumentOffset, &assignment.data, kGuidBytes);
        break;
    case kServiceSensitivity:
        // The generic "a stage" kind carries its stage in the data (a read gives it back that way); the
        // numbered stage kinds are their stage.
        if (entry->code == kCodeAtThree && assignment.kind == kKindDpiStage1) {
            DWORD stage = 0;
            std::memcpy(&stage, &assignment.data, sizeof(stage));
            SetRecordField(record, kRecordArgumentOffset, stage);
        }
        break;
    case kServiceKey: {
        const AssignedKey& key = assignment.data.key;
        DWORD modifiers = 0;
        for (int bit = 0; bit < 4; ++bit) {
            if (key.extended & (1u << bit))
                modifiers |= kModifierBits[bit];
        }
        // Pause shares its scan code with Num Lock; the device tells Pause by the extended bit.
        if (key.virtualKey == kVirtualKeyPause)
            modifiers |= kKeyModifierExtended;
        SetRecordField(record, kRecordKeyScanOffset, key.scanCode);
        SetRecordField(record, kRecordKeyModifiersOffset, modifiers);
        break;
    }
    case kServiceMacro:
        SetRecordField(record, kRecordGuidOffset, assignment.data.guid);
        SetRecordField(record, kRecordPlayModeOffset, ToDevicePlayMode(assignment.param));
        SetRecordField(record, kRecordRepeatCountOffset, BYTE(assignment.count));
        break;
    default:
        break;
    }
    return record;
}

KeyAssignment RecordToAssignment(const KeyAssignmentRecord& record, const KeyScanCode& keyDefault)
{
    KeyAssignment assignment;
    assignment.kind = RecordToKind(record);

    switch (record.serviceType) {
    case kServiceFourValues:
    case kServiceProgramStart:
        CopyFromRecord(&assignment.data, record, kRecordGuidOffset, kGuidBytes);
        break;
    case kServiceProfileSwitch:
        CopyFromRecord(&assignment.data, record, kRecordArgumentOffset, kGuidBytes);
        break;
    case kServiceSensitivity: {
        const DWORD stage = RecordDword(record, kRecordArgumentOffset);
        std::memcpy(&assignment.data, &stage, sizeof(stage));
        break;
    }
    case kServiceKey: {
        uint16_t scan = 0;
        DWORD modifiers = 0;
        GetRecordField(record, kRecordKeyScanOffset, &scan);
        GetRecordField(record, kRecordKeyModifiersOffset, &modifiers);
        uint8_t flags = 0;
        for (int bit = 0; bit < 4; ++bit) {
            if (modifiers & kModifierBits[bit])
                flags |= uint8_t(1u << bit);
        }
        const bool extendedBit = (modifiers & kKeyModifierExtended) != 0;
        uint16_t virtualKey = 0;
        if (scan == kScanPauseNumLock) {
            flags &= uint8_t(~1u);
            virtualKey = extendedBit ? kVirtualKeyPause : kVirtualKeyNumLock;
        }
        // The default is judged on the record's own extended bit: Pause's default is an E1 key, which
        // the record marks extended, although the assignment then keeps Pause unextended.
        const bool onlyExtendedBit = (modifiers & ~kKeyModifierExtended & 0x0F000000) == 0;
        if (scan == keyDefault.code && extendedBit == (keyDefault.extended != 0) && onlyExtendedBit)
            return DefaultAssignment(keyDefault);
        assignment.kind = kKindSingleKey;
        assignment.data.key.scanCode = scan;
        assignment.data.key.virtualKey = virtualKey;
        assignment.data.key.extended = flags;
        break;
    }
    case kServiceMacro: {
        GUID guid{};
        BYTE mode = 0;
        BYTE count = 0;
        GetRecordField(record, kRecordGuidOffset, &guid);
        GetRecordField(record, kRecordPlayModeOffset, &mode);
        GetRecordField(record, kRecordRepeatCountOffset, &count);
        assignment.data.guid = guid;
        assignment.param = FromDevicePlayMode(mode);
        assignment.count = count;
        break;
    }
    default:
        break;
    }
    return assignment;
}

int32_t KeyIdOfButton(DWORD buttonId, const CKeyboardDef& keyboard)
{
    const uint32_t value = uint32_t(ButtonIdScanCode(buttonId)) | uint32_t(ButtonIdExtendedFlag(buttonId)) << 16;
    return keyboard.FindKeyByScanCode(value);
}
