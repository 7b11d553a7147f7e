// The list-popup seam: how a drop-down opens its entries as a modal list popup below itself, and how it
// reads the current choice of an entry's sub-list. The default is the list panel (CListPanel, and
// CListPanelItem's selection for sub-lists); tests install a table of their own here.
#pragma once

#include <windows.h>

#include <string>

#include "skin/ListEntry.h"
#include "skin/SkinValues.h"

class CFont;

// Everything a drop-down hands to the popup that it opens.
struct ListPopupRequest {
    HWND owner = nullptr;             // the window the popup is built on: the drop-down's parent
    bool sorted = false;              // the rows are shown sorted; results stay entry indexes
    const ListEntries* entries = nullptr;
    RECT screenRect = {};             // where the popup goes, in screen coordinates
    CFont* font = nullptr;            // null keeps the popup's own font
    COLORREF textColour = 0;
    COLORREF textColourHot = 0;       // highlighted row
    COLORREF backColour = 0;
    COLORREF backColourHot = 0;       // highlighted row
    COLORREF borderColour = 0;
    int borderWidth = 1;
    int scrollBarWidth = 0;           // 0: no scroll bar
    ScrollBarBitmaps scrollBarBitmaps;
    std::wstring prefix;              // put in front of every row's text
};

struct ListPopupApi {
    // Runs the popup modally; the chosen entry index, or -1 when it ended without a choice.
    int (*RunListPopup)(const ListPopupRequest& request);
    // The index of the sub-list's current choice (-1 when it has none) and, when not -1, that entry's
    // text in `text`.
    int (*SubListChoice)(const CListPanelItem* subList, std::wstring* text);
};

// The calls in use: the installed table, else the default.
const ListPopupApi& ListPopup();
// Installs `api` (kept by pointer: it must outlive its use); null restores the default.
void SetListPopupApi(const ListPopupApi* api);
