// CListPanelItem: a window-less skin item of a LISTPANEL element. It holds a list of entries and the
// look of a list panel popup, and opens that popup at any point on request (context menus of lists).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include <pugixml.hpp>

#include "skin/GUIItem.h"
#include "skin/ListEntry.h"
#include "skin/SkinValues.h"

class CFont;
class CWnd;
struct SkinLoadContext;

class CListPanelItem : public CGUIItem {
public:
    CListPanelItem() = default;
    ~CListPanelItem() override = default;

    // Runs the popup with this item's entries at (x, y) of `window`'s client area, `height` high (0:
    // the default height) and the item's width. The chosen entry's index, or -1. The selection stays.
    int PopupEntryList(HWND window, int height, int x, int y);
    // Pixels between a menu row's left edge and its text.
    static constexpr int kMenuTextInset = 8;
    // Pixels a menu row is higher than its text, shared above and below it.
    static constexpr int kMenuRowPadding = 6;

    // Replaces the entries by copies of `entries`' texts and sub-lists, none of them disabled.
    void SetEntries(const ListEntries& entries);
    // The entry's text; empty when the index is out of range.
    std::wstring GetEntryText(int index) const;
    // The entry's text, or null when the index is out of range.
    const std::wstring* GetEntryTextOrNull(int index) const;
    // -1 without a record or without LVFI_STRING; else the first entry with exactly that text, or -1.
    int FindEntry(const LVFINDINFOW* info) const;
    // The first entry whose text is the selected text; -1 when that is empty or not an entry's text.
    int GetCurSel() const;
    // Makes the entry's text the selected text: 1; 0 and no change for an index out of range.
    int SetCurSel(int index);

    std::wstring m_selectedText;
    int m_width = 0;                  // of every popup
    int m_defaultHeight = 0;          // of a popup asked for with height 0
    ListEntries m_entries;
    CFont* m_font = nullptr;          // the FONT item's font, not owned; null keeps the list's own
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextHot = 0;
    COLORREF m_clrDisabledText = 0xFFFFFF;
    COLORREF m_clrBack = 0;
    COLORREF m_clrBackHot = 0xFFFFFF;
    COLORREF m_clrBorder = 0xFFFFFF;
    COLORREF m_clrDisabledBack = 0;
    int m_borderWidth = 1;
    int m_scrollBarWidth = 0;         // the thumb image's width; 0: the popup has no scroll bar
    ScrollBarBitmaps m_scrollBitmaps; // skin cache images, not owned
    bool m_sorted = false;
};

// Reader of a LISTPANEL element (type 15): null when its name is unknown.
CGUIItem* CreateListPanelItem(const pugi::xml_node& element, SkinLoadContext& context);

// The list popup as the drop-down opens it: a CListPanel run modally from `request` (see ListPopup.h).
struct ListPopupRequest;
int RunListPanelPopup(const ListPopupRequest& request);
// A sub-list's current choice (GetCurSel) and, when there is one, its text.
int ListPanelSubListChoice(const CListPanelItem* subList, std::wstring* text);
