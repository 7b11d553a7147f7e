// CEdit: a CWnd for the system "EDIT" control, with the control's messages as methods named after them.
#pragma once

#include "framework/Wnd.h"

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rc, HWND parent, UINT id)
    {
        return CWnd::Create(L"EDIT", L"", style, rc, parent, id);
    }

    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    // 0 lifts the limit to the control's maximum.
    void LimitText(UINT maxChars) { SendMessage(EM_LIMITTEXT, maxChars); }
    void GetSel(int& start, int& end) const
    {
        DWORD first = 0;
        DWORD last = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
        start = static_cast<int>(first);
        end = static_cast<int>(last);
    }
    // end -1 selects to the end of the text.
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, start, end); }
    void ScrollCaret() { SendMessage(EM_SCROLLCARET); }
    void ReplaceSel(const wchar_t* text, BOOL canUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
};
