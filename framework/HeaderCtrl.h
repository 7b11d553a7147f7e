// CHeaderCtrl: a CWnd for the system header control, with the control's messages as methods named after
// them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/Wnd.h"

class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    BOOL GetItem(int index, HDITEMW* item) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    BOOL SetItem(int index, const HDITEMW* item)
    {
        return static_cast<BOOL>(SendMessage(HDM_SETITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    BOOL GetItemRect(int index, RECT* rc) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rc)));
    }
    HIMAGELIST GetImageList() const { return reinterpret_cast<HIMAGELIST>(SendMessage(HDM_GETIMAGELIST)); }
    int OrderToIndex(int order) const { return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, order)); }
};
