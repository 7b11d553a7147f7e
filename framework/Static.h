// CStatic: a CWnd for the system "STATIC" control.
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd {
public:
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rc, HWND parent, UINT id)
    {
        return CWnd::Create(L"STATIC", text ? text : L"", style, rc, parent, id);
    }
};
