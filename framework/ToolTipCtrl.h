// CToolTipCtrl: a CWnd for the common-controls tooltip window, with the control's messages as methods
// named after them. Tools are identified by the window they belong to and an id.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    // A popup tooltip window owned by `parent` (by its top-level window when `parent` is a child).
    BOOL Create(HWND parent, DWORD style = 0)
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr);
    }

    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    // A tool over `rc` of `wnd`'s client area.
    BOOL AddTool(HWND wnd, const wchar_t* text, const RECT& rc, UINT_PTR id)
    {
        TTTOOLINFOW ti = MakeToolInfo(wnd, id);
        ti.rect = rc;
        ti.lpszText = const_cast<wchar_t*>(text);
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
    }
    void DelTool(HWND wnd, UINT_PTR id)
    {
        TTTOOLINFOW ti = MakeToolInfo(wnd, id);
        SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    void UpdateTipText(const wchar_t* text, HWND wnd, UINT_PTR id)
    {
        TTTOOLINFOW ti = MakeToolInfo(wnd, id);
        ti.lpszText = const_cast<wchar_t*>(text);
        SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    std::wstring GetText(HWND wnd, UINT_PTR id) const
    {
        wchar_t buffer[INFOTIPSIZE] = {};
        TTTOOLINFOW ti = MakeToolInfo(wnd, id);
        ti.lpszText = buffer;
        SendMessage(TTM_GETTEXTW, INFOTIPSIZE, reinterpret_cast<LPARAM>(&ti));
        return buffer;
    }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

    // Creates the control for `wnd`, inactive, when it does not exist yet; false when it can't be made.
    bool EnsureCreated(HWND wnd)
    {
        if (!m_hWnd && Create(wnd, 0))
            Activate(FALSE);
        return m_hWnd != nullptr;
    }
    // A widget's one tooltip: tool 1 over the whole client area of `wnd`, added with `text` when the
    // control has no tool yet, then showing `shown` and active. Inactive while it changes.
    void SetClientTool(HWND wnd, const std::wstring& text, const std::wstring& shown)
    {
        if (!EnsureCreated(wnd))
            return;
        Activate(FALSE);
        if (GetToolCount() == 0) {
            RECT client = {};
            ::GetClientRect(wnd, &client);
            AddTool(wnd, text.c_str(), client, 1);
        }
        UpdateTipText(shown.c_str(), wnd, 1);
        Activate(TRUE);
    }

private:
    static TTTOOLINFOW MakeToolInfo(HWND wnd, UINT_PTR id)
    {
        TTTOOLINFOW ti = {};
        // The size every common-controls version accepts.
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = wnd;
        ti.uId = id;
        return ti;
    }
};
