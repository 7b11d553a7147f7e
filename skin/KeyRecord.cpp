// The key record operations that need no definition loaded: a key's id from its name, the scan code
// its make sequence reports, and which records name usable keys.
#include "skin/KeyRecord.h"

#include "model/TextCompare.h"

std::int32_t HashKeyName(const wchar_t* name)
{
    std::uint32_t hash = 5381;
    for (const wchar_t* p = name; p && *p; ++p)
        hash = hash * 33u + static_cast<std::uint16_t>(*p);
    return static_cast<std::int32_t>(hash);
}

KeyScanCode DeriveKeyScanCode(const KeyCodeEntry (&sequence)[kKeySequenceLength])
{
    const KeyCodeEntry& first = sequence[0];
    if (first.flag == 0)
        return {first.code, 0};
    // The code the key reports is the last plain entry of the run after the prefix. The run never takes
    // the last slot, which the file format leaves as a terminator.
    const KeyCodeEntry* current = &first;
    for (int k = 1; k < kKeySequenceLength; ++k) {
        const KeyCodeEntry& entry = sequence[k];
        if (entry.code == 0 || entry.flag != 0 || k + 1 >= kKeySequenceLength)
            break;
        current = &entry;
    }
    return {current->code, first.flag};
}

bool IsUsableKeyName(const KeyRecord& record)
{
    static const wchar_t* const kUnusable[] = {L"DO NOT USE", L"UNASSIGNED", L"RESERVED", L"None"};
    for (const wchar_t* name : kUnusable) {
        if (EqualsNoCaseAZ(record.name, name))
            return false;
    }
    return static_cast<std::int16_t>(record.makeSequence[0].code) >= 0;
}
