// The lookups of drop-down and list panel entries.
#include "skin/ListEntry.h"

int FindListEntryText(const ListEntries& entries, const std::wstring& text)
{
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].text == text)
            return static_cast<int>(i);
    }
    return -1;
}

int FindListEntry(const ListEntries& entries, const LVFINDINFOW* info)
{
    if (!info || !(info->flags & LVFI_STRING) || !info->psz)
        return -1;
    return FindListEntryText(entries, info->psz);
}

std::wstring ListEntryText(const ListEntries& entries, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= entries.size())
        return std::wstring();
    return entries[static_cast<size_t>(index)].text;
}
