// CListCtrl: a CWnd for the system list-view control, with the control's messages as methods named
// after them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rc, HWND parent, UINT id)
    {
        return CWnd::Create(WC_LISTVIEWW, L"", style, rc, parent, id);
    }

    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    DWORD GetExtendedListViewStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    DWORD SetExtendedListViewStyle(DWORD exStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, exStyle));
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int which)
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list)));
    }
    BOOL SetBkColor(COLORREF colour) { return static_cast<BOOL>(SendMessage(LVM_SETBKCOLOR, 0, colour)); }
    int InsertColumn(int index, const LVCOLUMNW& column)
    {
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    }
    int GetColumnWidth(int column) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, column)); }
    int InsertItem(const LVITEMW& item)
    {
        return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItemText(int item, int subItem, const wchar_t* text)
    {
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = const_cast<wchar_t*>(text);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi)));
    }
    std::wstring GetItemText(int item, int subItem) const
    {
        wchar_t buffer[1024] = {};
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer;
        lvi.cchTextMax = static_cast<int>(sizeof(buffer) / sizeof(buffer[0]));
        SendMessage(LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi));
        return buffer;
    }
    DWORD_PTR GetItemData(int item) const
    {
        LVITEMW lvi = {};
        lvi.mask = LVIF_PARAM;
        lvi.iItem = item;
        if (!SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)))
            return 0;
        return static_cast<DWORD_PTR>(lvi.lParam);
    }
    BOOL SetItemData(int item, DWORD_PTR data)
    {
        LVITEMW lvi = {};
        lvi.mask = LVIF_PARAM;
        lvi.iItem = item;
        lvi.lParam = static_cast<LPARAM>(data);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
    }
    BOOL SetItemState(int item, UINT state, UINT mask)
    {
        LVITEMW lvi = {};
        lvi.state = state;
        lvi.stateMask = mask;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi)));
    }
    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
    }
    BOOL GetSubItemRect(int item, int subItem, int area, RECT* rc) const
    {
        rc->top = subItem;
        rc->left = area;
        return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(rc)));
    }
    // The bounds of one cell. The list-view gives sub-item 0 the whole row; with more than one column
    // (`columns`) its cell ends where sub-item 1 begins.
    BOOL GetCellBounds(int item, int subItem, int columns, RECT* rc) const
    {
        if (!GetSubItemRect(item, subItem, LVIR_BOUNDS, rc))
            return FALSE;
        RECT next = {};
        if (subItem == 0 && columns >= 2 && GetSubItemRect(item, 1, LVIR_BOUNDS, &next))
            rc->right = next.left;
        return TRUE;
    }
    BOOL GetItemRect(int item, RECT* rc, int area) const
    {
        rc->left = area;
        return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(rc)));
    }
    int HitTest(LVHITTESTINFO* info) const
    {
        return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
    }
    int SubItemHitTest(LVHITTESTINFO* info) const
    {
        return static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(info)));
    }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    BOOL DeleteItem(int item) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, item)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
};
