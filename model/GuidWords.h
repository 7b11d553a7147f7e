// GUIDs as the model's interfaces pass them: four 32-bit words in memory order (the first word is
// Data1, the second Data2 and Data3, the last two the eight bytes of Data4), the null test, and the
// search of a list of GUIDs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

inline GUID GuidFromWords(DWORD w0, DWORD w1, DWORD w2, DWORD w3)
{
    const DWORD words[4] = {w0, w1, w2, w3};
    GUID guid;
    static_assert(sizeof(words) == sizeof(guid), "a GUID is four 32-bit words");
    std::memcpy(&guid, words, sizeof(guid));
    return guid;
}

inline void GuidToWords(const GUID& guid, DWORD (&words)[4])
{
    std::memcpy(words, &guid, sizeof(guid));
}

inline bool IsNullGuid(const GUID& guid)
{
    return guid == GUID{};
}

inline bool ContainsGuid(const std::vector<GUID>& list, const GUID& guid)
{
    return std::find(list.begin(), list.end(), guid) != list.end();
}
