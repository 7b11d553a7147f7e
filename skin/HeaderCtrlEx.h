// CXHeaderCtrl: the header of the extended list control. It paints its items itself in flat colours (the
// list's LISTHDR gives them), with an optional image and bitmap per item and translated captions, and
// refuses column resizing: the columns of a skinned table have the widths the skin gave them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "framework/HeaderCtrl.h"

// The header's own record of one item, kept in step with the items; nothing in the program reads its
// values yet.
struct HeaderItemEx {
    int reserved1 = 0;
    int reserved2 = 0;
    int reserved3 = -1;
    int reserved4 = -1;
};

class CXHeaderCtrl : public CHeaderCtrl {
public:
    CXHeaderCtrl() = default;
    ~CXHeaderCtrl() override = default;

    // Header notifications reach the header's object reflected from the list-view it belongs to.
    BEGIN_MSG_MAP(CXHeaderCtrl)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
        MESSAGE_HANDLER(HDM_SETIMAGELIST, OnSetImageList)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(HDM_INSERTITEMW, OnInsertItem)
        MESSAGE_HANDLER(HDM_INSERTITEMA, OnInsertItem)
        MESSAGE_HANDLER(HDM_DELETEITEM, OnDeleteItem)
        REFLECTED_NOTIFY_CODE_HANDLER(HDN_BEGINTRACKW, OnBeginTrack)
        REFLECTED_NOTIFY_CODE_HANDLER(HDN_BEGINTRACKA, OnBeginTrack)
    END_MSG_MAP()

    // Adds the flat style.
    void PreSubclassWindow() override;
    // Draws one item that is not owner-drawn into {left, top, right, bottom}: image, bitmap at the right
    // end, and the translated caption between them.
    virtual void DrawItem(HDC dc, int left, int top, int right, int bottom, const HDITEMW& item);

    bool m_useMemDC = true;
    int m_margin = 6;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    COLORREF m_clrShadow = 0;
    COLORREF m_clrLight = 0xFEFEFE;
    COLORREF m_clrBack = 0;
    COLORREF m_clrText = 0xFFFFFF;
    std::vector<HeaderItemEx> m_itemsEx;  // one per header item, in item order

protected:
    // The divider cursor never shows: the columns can't be resized.
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }
    LRESULT OnSetImageList(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnInsertItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDeleteItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnBeginTrack(int, NMHDR*, BOOL&) { return 1; }
};
