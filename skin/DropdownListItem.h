// CDropdownListItem: the skinned drop-down choice box of a COMBO element. The closed box shows the
// chosen entry and a small arrow; a click opens the entries as a list popup just below the box, and a
// choice there becomes the selection and is reported to the parent.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Static.h"
#include "skin/GUIItem.h"
#include "skin/ListEntry.h"
#include "skin/SkinValues.h"

struct SkinLoadContext;

// Sent to the parent on a press on an enabled box, before the list opens (the parent may refill the
// entries): wParam 0, lParam the box's window.
constexpr UINT WM_DROPDOWN_OPENING = WM_USER + 0x234;
// Sent to the parent after an entry chosen in the popup became the selection (also when it already
// was): wParam the entry index, lParam the box's window.
constexpr UINT WM_DROPDOWN_SELCHANGE = WM_USER + 0x214;

class CDropdownListItem : public CStatic, public CGUIItem {
public:
    CDropdownListItem() = default;
    ~CDropdownListItem() override = default;

    // A double click goes to the static control's own procedure: it does not open the list.
    BEGIN_MSG_MAP(CDropdownListItem)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_ENABLE, OnEnable)
    END_MSG_MAP()

    // Appends an entry; its index.
    int AddEntry(const std::wstring& text);
    // Inserts before `index` (the count appends); false and no change for a negative index.
    bool InsertEntry(const std::wstring& text, int index);
    // The selected and second texts stay, so the box goes on showing them.
    void ClearEntries();
    std::wstring GetEntryText(int index) const;
    // -1 without a record or without LVFI_STRING; else the first entry with exactly that text, or -1.
    int FindEntry(const LVFINDINFOW* info) const;
    // The first entry whose text is the selected text; -1 when that is empty or not an entry's text.
    int GetCurSel() const;
    // Makes the entry the selection, with `secondText` (null: none) shown after it, and repaints. 0 and
    // no change for an index out of range, else 1. Sends nothing.
    int SetCurSel(int index, const wchar_t* secondText = nullptr);

    // What the box shows: the left gap, the translated selected text and ": " with the second text.
    std::wstring ShownText() const;

    bool m_disabled = false;         // the owner sets it directly, then repaints
    bool m_open = false;             // while the popup list is shown
    std::wstring m_selectedText;
    std::wstring m_secondText;       // the chosen sub-entry's text, when the entry has a sub-list
    std::wstring m_leftGap;          // blanks in front of every shown text, in the box and the popup
    ListEntries m_entries;
    RECT m_boxRect = {};             // as read from the skin
    RECT m_popupRect = {};           // screen coordinates, worked out at each opening
    int m_listHeight = 0;
    CFont* m_font = nullptr;         // the FONT item's font, not owned; null keeps the DC's font
    // Colours; 0 until the skin sets them.
    COLORREF m_clrText = 0;
    COLORREF m_clrTextHot = 0;       // highlighted row of the popup
    COLORREF m_clrBack = 0;
    COLORREF m_clrBackHot = 0;       // highlighted row of the popup
    COLORREF m_clrBorder = 0;
    COLORREF m_clrDisabledBack = 0;
    COLORREF m_clrDisabledBorder = 0;
    COLORREF m_clrDisabledText = 0;
    int m_borderWidth = 1;
    ScrollBarBitmaps m_scrollBitmaps;  // of the popup's scroll bar; skin cache images, not owned
    int m_scrollBarWidth = 0;          // the thumb image's width; 0: the popup has no scroll bar
    bool m_sorted = false;

    static constexpr int kArrowWidth = 9;
    static constexpr int kArrowHeight = 5;

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // The static control's own handling would paint the box as a plain static at once.
    LRESULT OnEnable(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    void Draw(CDC& dc, const RECT& client);
};

// Reader of a COMBO element (type 14): null when its name is unknown, it has no CLIST child or the box
// can't be created.
CGUIItem* CreateDropdownListItem(const pugi::xml_node& element, SkinLoadContext& context);
