// Message-map macros: a declarative table of handlers at the top of a window class.
//
//   BEGIN_MSG_MAP(CMyPanel)
//       MESSAGE_HANDLER(WM_CREATE, OnCreate)
//       COMMAND_ID_HANDLER(IDOK, OnOk)
//       REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
//       CHAIN_MSG_MAP(CGUIPanel)
//   END_MSG_MAP()
//
// The table expands to an override of the virtual ProcessWindowMessage, so the most derived map runs
// first and reaches its bases through CHAIN_MSG_MAP. Entries are tried in order; a handler leaves
// bHandled TRUE to answer the message with its return value, or sets it FALSE to let the next entry
// (and finally the window's default procedure) have it. Handler signatures:
//   LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
//   LRESULT OnCommand(WORD notifyCode, WORD id, HWND control, BOOL& bHandled);
//   LRESULT OnNotify(int id, NMHDR* header, BOOL& bHandled);
#pragma once

#include <windows.h>

// Reflected notifications arrive at the child as OCM_BASE + the original message.
#define OCM_BASE (WM_USER + 0x1C00)
#define OCM_COMMAND (OCM_BASE + WM_COMMAND)
#define OCM_NOTIFY (OCM_BASE + WM_NOTIFY)
#define OCM_DRAWITEM (OCM_BASE + WM_DRAWITEM)
#define OCM_MEASUREITEM (OCM_BASE + WM_MEASUREITEM)
#define OCM_COMPAREITEM (OCM_BASE + WM_COMPAREITEM)
#define OCM_DELETEITEM (OCM_BASE + WM_DELETEITEM)
#define OCM_HSCROLL (OCM_BASE + WM_HSCROLL)
#define OCM_VSCROLL (OCM_BASE + WM_VSCROLL)
#define OCM_CTLCOLORBTN (OCM_BASE + WM_CTLCOLORBTN)
#define OCM_CTLCOLORDLG (OCM_BASE + WM_CTLCOLORDLG)
#define OCM_CTLCOLOREDIT (OCM_BASE + WM_CTLCOLOREDIT)
#define OCM_CTLCOLORLISTBOX (OCM_BASE + WM_CTLCOLORLISTBOX)
#define OCM_CTLCOLORMSGBOX (OCM_BASE + WM_CTLCOLORMSGBOX)
#define OCM_CTLCOLORSCROLLBAR (OCM_BASE + WM_CTLCOLORSCROLLBAR)
#define OCM_CTLCOLORSTATIC (OCM_BASE + WM_CTLCOLORSTATIC)

#define BEGIN_MSG_MAP(theClass)                                                                            \
public:                                                                                                    \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,        \
                              DWORD dwMsgMapID = 0) override                                               \
    {                                                                                                      \
        BOOL bHandled = TRUE;                                                                              \
        (void)hWnd;                                                                                        \
        (void)dwMsgMapID;                                                                                  \
        (void)bHandled;

#define MESSAGE_HANDLER(msg, func)                                                                         \
    if (uMsg == (msg)) {                                                                                   \
        bHandled = TRUE;                                                                                   \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                    \
        if (bHandled)                                                                                      \
            return TRUE;                                                                                   \
    }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                                     \
    if (uMsg >= (msgFirst) && uMsg <= (msgLast)) {                                                         \
        bHandled = TRUE;                                                                                   \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                    \
        if (bHandled)                                                                                      \
            return TRUE;                                                                                   \
    }

#define TESSARY_COMMAND_ENTRY_(cmdMsg, cond, func)                                                         \
    if (uMsg == (cmdMsg) && (cond)) {                                                                      \
        bHandled = TRUE;                                                                                   \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);          \
        if (bHandled)                                                                                      \
            return TRUE;                                                                                   \
    }

#define COMMAND_HANDLER(id, code, func)                                                                    \
    TESSARY_COMMAND_ENTRY_(WM_COMMAND, LOWORD(wParam) == (id) && HIWORD(wParam) == (code), func)
#define COMMAND_ID_HANDLER(id, func) TESSARY_COMMAND_ENTRY_(WM_COMMAND, LOWORD(wParam) == (id), func)
#define COMMAND_CODE_HANDLER(code, func) TESSARY_COMMAND_ENTRY_(WM_COMMAND, HIWORD(wParam) == (code), func)
#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                                       \
    TESSARY_COMMAND_ENTRY_(WM_COMMAND, LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast), func)
#define REFLECTED_COMMAND_CODE_HANDLER(code, func)                                                         \
    TESSARY_COMMAND_ENTRY_(OCM_COMMAND, HIWORD(wParam) == (code), func)

#define TESSARY_NOTIFY_ENTRY_(notifyMsg, cond, func)                                                       \
    if (uMsg == (notifyMsg) && (cond)) {                                                                   \
        bHandled = TRUE;                                                                                   \
        lResult = func(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), bHandled);             \
        if (bHandled)                                                                                      \
            return TRUE;                                                                                   \
    }

#define NOTIFY_HANDLER(id, notifyCode, func)                                                               \
    TESSARY_NOTIFY_ENTRY_(WM_NOTIFY,                                                                       \
                          reinterpret_cast<NMHDR*>(lParam)->idFrom == static_cast<UINT_PTR>(id) &&         \
                              reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode),     \
                          func)
#define NOTIFY_CODE_HANDLER(notifyCode, func)                                                              \
    TESSARY_NOTIFY_ENTRY_(WM_NOTIFY,                                                                       \
                          reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode), func)
#define REFLECTED_NOTIFY_CODE_HANDLER(notifyCode, func)                                                    \
    TESSARY_NOTIFY_ENTRY_(OCM_NOTIFY,                                                                      \
                          reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode), func)

#define CHAIN_MSG_MAP(theBase)                                                                             \
    if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID))                    \
        return TRUE;

#define END_MSG_MAP()                                                                                      \
    return FALSE;                                                                                          \
    }
