// CAnimateCtrl: a CWnd for the common-controls animation window, which plays a silent AVI clip, with the
// control's messages as methods named after them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/Wnd.h"

class CAnimateCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rc, HWND parent, UINT id)
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_ANIMATE_CLASS};
        ::InitCommonControlsEx(&icc);
        return CWnd::Create(ANIMATE_CLASSW, nullptr, style, rc, parent, id);
    }

    // The clip: an "AVI" resource of `instance` by that name, else the file.
    BOOL Open(HINSTANCE instance, const wchar_t* name)
    {
        return static_cast<BOOL>(
            SendMessage(ACM_OPENW, reinterpret_cast<WPARAM>(instance), reinterpret_cast<LPARAM>(name)));
    }
    // Plays frames `from` to `to` (0xFFFF: the last) `repeat` times (-1: until stopped).
    BOOL Play(UINT from, UINT to, UINT repeat)
    {
        return static_cast<BOOL>(SendMessage(ACM_PLAY, repeat, MAKELPARAM(from, to)));
    }
    BOOL IsPlaying() const { return static_cast<BOOL>(SendMessage(ACM_ISPLAYING)); }
};
