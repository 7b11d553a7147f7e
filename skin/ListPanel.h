// CListPanel: the library's pop-up entry list. A borderless modal popup at a given screen rectangle
// holding one CListPanelList (and its scroll bar, when one is set). It ends as soon as the user clicks a
// row, clicks elsewhere or the list loses the focus; DoModal returns the chosen entry's index or -1.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Gdi.h"
#include "skin/ListEntry.h"
#include "skin/ListPanelList.h"
#include "skin/PopupBox.h"
#include "skin/SkinValues.h"

class CListPanel : public CPopupBox {
public:
    // `entries` stay the caller's and must outlive the popup; null opens an empty panel. The caller sets
    // the look below before DoModal.
    CListPanel(CWnd* owner, const CDialogTemplate& dialogTemplate, bool sorted, const ListEntries* entries,
               const RECT& screenRect);
    ~CListPanel() override;

    BEGIN_MSG_MAP(CListPanel)
        MESSAGE_HANDLER(WM_LISTPANEL_SELECT, OnSelect)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnButtonDown)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, OnButtonDown)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        CHAIN_MSG_MAP(CPopupBox)
    END_MSG_MAP()

    BOOL OnInitDialog() override;
    // Enter and Escape reach the dialog as IDOK and IDCANCEL; neither is a choice.
    void OnOK() override { EndPopup(-1); }
    void OnCancel() override { EndPopup(-1); }

    std::unique_ptr<CListPanelList> m_list;
    ScrollBarBitmaps m_scrollBitmaps;         // skin cache images, not owned
    const ListEntries* m_entries = nullptr;   // the caller's
    CFont* m_font = nullptr;                  // not owned; null keeps the list's own font
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextHot = 0;
    COLORREF m_clrDisabledText = 0xFFFFFF;
    COLORREF m_clrBack = 0;
    COLORREF m_clrBackHot = 0xFFFFFF;
    COLORREF m_clrDisabledBack = 0;
    COLORREF m_clrBorder = 0xFFFFFF;
    int m_borderWidth = 1;
    int m_scrollBarWidth = 0;                 // 0: no scroll bar
    bool m_sorted = false;
    std::wstring m_prefix;                    // put in front of every row's text
    int m_textInset = 0;                      // pixels between a row's left edge and its text
    int m_rowPadding = 0;                     // pixels a row is higher than its text
    bool m_fitToRows = false;                 // the popup ends just below its last row
    RECT m_screenRect = {};

protected:
    LRESULT OnSelect(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    // Destroys the list (and its scroll bar) and ends the modal loop with `result`, once.
    void EndPopup(int result);
    void DestroyList();
    // Makes the popup (and its list) end just below the last row.
    void FitToRows(const RECT& listRect);

    bool m_ended = false;
};
