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
    // Length of the line that holds character `charIndex` (-1: the lines of the selection).
    int LineLength(int charIndex = -1) const { return static_cast<int>(SendMessage(EM_LINELENGTH, charIndex)); }
    // Copies line `line` into `buffer` (at most maxChars characters, no terminator added); returns the
    // number copied. The buffer must hold at least one WORD for the size the message reads from it.
    int GetLine(int line, wchar_t* buffer, int maxChars) const
    {
        *reinterpret_cast<WORD*>(buffer) = static_cast<WORD>(maxChars);
        return static_cast<int>(SendMessage(EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer)));
    }
};
