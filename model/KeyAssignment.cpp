// Builders of KeyAssignment records.
#include "model/KeyAssignment.h"

#include "model/BoundedText.h"

KeyAssignment& MakeDefaultAssignment(KeyAssignment& record, uint16_t scanCode, bool extended)
{
    MakeSingleKeyAssignment(record, scanCode, 0, extended);
    record.kind = kKindDefaultKey;
    return record;
}

KeyAssignment& MakeSingleKeyAssignment(KeyAssignment& record, uint16_t scanCode, uint16_t virtualKey, bool extended)
{
    record = KeyAssignment{};
    record.kind = kKindSingleKey;
    record.data.key.scanCode = scanCode;
    record.data.key.virtualKey = virtualKey;
    record.data.key.extended = extended ? 1 : 0;
    return record;
}

KeyAssignment& MakeMacroAssignment(KeyAssignment& record, const GUID& macroGuid, uint32_t mode)
{
    MakeGuidAssignment(record, kKindMacro, macroGuid);
    record.param = mode;
    return record;
}

KeyAssignment& MakeMacroTextAssignment(KeyAssignment& record, const wchar_t* macroName, uint32_t mode)
{
    MakeTextAssignment(record, kKindMacroText, macroName);
    record.param = mode;
    return record;
}

KeyAssignment& MakeGuidAssignment(KeyAssignment& record, int32_t kind, const GUID& guid)
{
    record = KeyAssignment{};
    record.kind = kind;
    record.data.guid = guid;
    return record;
}

KeyAssignment& MakeTextAssignment(KeyAssignment& record, int32_t kind, const wchar_t* text)
{
    record = KeyAssignment{};
    record.kind = kind;
    CopyBoundedText(record.data.text, text);
    return record;
}
