// ListEntry: one entry of a drop-down or of a list panel, and the lookups both share.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

class CListPanelItem;

struct ListEntry {
    std::wstring text;                  // as given: may be a language key ("$..." or "#...")
    CListPanelItem* subList = nullptr;  // opens as a nested popup when chosen in a list panel; not owned
    bool disabled = false;              // drawn in the disabled colours, still choosable
};

// Kept by value, in insertion order; an entry's index is its position.
using ListEntries = std::vector<ListEntry>;

// The index of the first entry whose text equals `text` exactly (with case); -1 when none.
int FindListEntryText(const ListEntries& entries, const std::wstring& text);

// A list-view find record: -1 when it is missing or lacks LVFI_STRING; else FindListEntryText of its
// string (-1 for a null string).
int FindListEntry(const ListEntries& entries, const LVFINDINFOW* info);

// The entry's text; empty when the index is out of range.
std::wstring ListEntryText(const ListEntries& entries, int index);
