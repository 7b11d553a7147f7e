// CListPanelList: the list-view inside a list panel popup. It holds the mouse capture while the popup is
// open, tracks the row under the mouse, draws every row itself in the panel's colours and tells the
// panel which entry was clicked (or that none was) a moment after the click. When the panel has a
// scroll bar, the bar stands at its right and gets the mouse messages of its strip from the list.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "framework/ListCtrl.h"
#include "skin/ListEntry.h"

class CListPanel;
class CVScrollBar;

// Posted by the list to its panel when the popup is to end: wParam the chosen sub-list entry (-1 when
// none; 0 on focus loss), lParam the chosen entry's index, -1 for no choice.
constexpr UINT WM_LISTPANEL_SELECT = WM_USER + 0x130;
// Scrolls the list by wParam rows (signed; negative scrolls up); lParam 0. Returns 0.
constexpr UINT WM_LIST_SCROLLROWS = WM_USER + 0x258;

class CListPanelList : public CListCtrl {
public:
    static constexpr UINT_PTR kCloseTimer = 1;
    static constexpr UINT kCloseDelayMs = 250;  // a click ends the popup this long after the press
    static constexpr int kDefaultRowStep = 15;
    static constexpr int kMeasuredRowHeight = 18;
    static constexpr int kMaxSubListRows = 5;  // a nested popup shows at most this many rows at once

    CListPanelList(CListPanel* panel, bool sorted, const std::wstring& prefix);
    ~CListPanelList() override;

    BEGIN_MSG_MAP(CListPanelList)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKey)
        MESSAGE_HANDLER(WM_KEYUP, OnKey)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
        MESSAGE_HANDLER(WM_LIST_SCROLLROWS, OnScrollRows)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(OCM_MEASUREITEM, OnMeasureItem)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
    END_MSG_MAP()

    // Creates the list in `rect` of the panel (client coordinates, the scroll-bar strip included), its
    // column, its scroll bar when the panel has one, and one row per entry; then captures the mouse.
    BOOL CreateList(const RECT& rect);

    // The entry index of a row (its item data names the entry); -1 for no row or an unknown entry.
    int EntryIndexOfRow(int row) const;
    // The row a client point lies in: the last whose bounds contain it, -1 when none.
    int RowAtPoint(POINT point) const;

    CListPanel* m_panel = nullptr;                 // the owning panel, not owned
    std::unique_ptr<CVScrollBar> m_scrollBar;      // null without a scroll bar
    bool m_closing = false;                        // a click was taken: the hot row is frozen
    int m_rowStep = kDefaultRowStep;               // pixels per row for WM_LIST_SCROLLROWS
    int m_hotRow = -1;
    int m_subChoice = -1;
    bool m_sorted = false;
    std::wstring m_prefix;

protected:
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseWheel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKey(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnScrollRows(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCustomDraw(int id, NMHDR* header, BOOL& bHandled);

private:
    const ListEntry* EntryOfRow(int row) const;
    // True when the client point lies in the scroll-bar strip at the list's right.
    bool InScrollBarStrip(POINT point) const;
    // Hands a mouse message of the strip to the scroll bar, in the bar's coordinates.
    void ForwardToScrollBar(UINT msg, WPARAM wParam, POINT point);
    void SynchroniseScrollBar();
    void Fill();
    void PostSelect(WPARAM subChoice, LPARAM entryIndex);
};
