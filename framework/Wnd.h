// CWnd: a C++ object bound to one window, with a message map.
//
// A CWnd is bound to its HWND from the window's very first message on (WM_NCCREATE, WM_CREATE), also
// for system controls and dialogs: creation goes through a thread-local CBT hook that subclasses the new
// window before it sees any message. Messages go to the virtual WindowProc, which reflects child
// notifications to the child's object and then walks the message map (ProcessWindowMessage, built with
// the macros of MsgMap.h). What no handler takes goes to the window's original procedure.
//
// Reflection: a parent hands WM_COMMAND (from controls), WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM,
// WM_COMPAREITEM, WM_DELETEITEM, WM_CTLCOLOR*, WM_HSCROLL and WM_VSCROLL (from scroll controls) to the
// sending child's object first, as OCM_BASE + message. When the child's map handles it, that is the
// answer and the parent's map never sees it; otherwise the parent handles the message as usual. Every
// CWnd does this, so notifications also come back through container windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/MsgMap.h"

class CWndWatch;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // A window that still exists is unbound and destroyed with its object.
    virtual ~CWnd();

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // The object bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND wnd);
    // Number of bound windows on all threads (tests check that destruction unbinds).
    static size_t BoundWindowCount();

    // Registers a window class whose windows get their behaviour from their CWnd (the class procedure
    // is DefWindowProcW). Registering an existing name again succeeds.
    static bool RegisterWndClass(const wchar_t* className, UINT style = CS_DBLCLKS, HCURSOR cursor = nullptr,
                                 HBRUSH background = nullptr, HICON icon = nullptr);

    // Creates and binds the window; class may be our own or a system class ("BUTTON", "EDIT", ...).
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menuOrId, void* param = nullptr);
    BOOL Create(const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rc, HWND parent,
                UINT id, void* param = nullptr)
    {
        return CreateEx(0, className, title, style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                        parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
    }
    // Binds an existing window (calls PreSubclassWindow first); false when it is bound already.
    BOOL SubclassWindow(HWND wnd);
    // Gives the window its original procedure back and unbinds it.
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    // Hooks.
    // Runs before the window is bound, with m_hWnd set: for windows this object creates, before the
    // window's first message.
    virtual void PreSubclassWindow() {}
    // Runs for messages of this window and its descendants before they are translated and dispatched;
    // true consumes the message.
    virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
    // Runs after the last message (WM_NCDESTROY), when the object is unbound already.
    virtual void OnFinalMessage(HWND wnd) {}

    // The message map: true when a handler took the message (lResult is then the answer).
    virtual BOOL ProcessWindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD mapId = 0)
    {
        return FALSE;
    }

    // Default processing: the window's original procedure.
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled.
    LRESULT DefWindowProc();
    const MSG* GetCurrentMessage() const { return m_currentMsg; }

    // Thin wrappers, named after the calls they wrap.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE)
    {
        return ::MoveWindow(m_hWnd, x, y, w, h, repaint);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int w, int h, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after, x, y, w, h, flags);
    }
    BOOL GetClientRect(RECT* rc) const { return ::GetClientRect(m_hWnd, rc); }
    BOOL GetWindowRect(RECT* rc) const { return ::GetWindowRect(m_hWnd, rc); }
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL InvalidateRect(const RECT* rc, BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, rc, erase); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL SetWindowText(const wchar_t* text) { return ::SetWindowTextW(m_hWnd, text); }
    std::wstring GetWindowText() const;
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, BOOL redraw = TRUE)
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    int SetWindowRgn(HRGN rgn, BOOL redraw = TRUE) { return ::SetWindowRgn(m_hWnd, rgn, redraw); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    LONG_PTR GetExStyle() const { return ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }

    // WM_COMMAND and WM_NOTIFY enter here: reflection to the sending child, then the message map.
    // Override to see them before the map; call the base for the usual handling. True: handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Every message of the window enters here.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Hands a notification to the object of the child that sent it (see the header comment). True when
    // the child's map handled it; false also for messages that are not notifications.
    BOOL ReflectChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Binds m_hWnd to this object and routes its messages through StaticWndProc.
    void Bind(HWND wnd);
    void Unbind();

    static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);

    // Creation of windows through the CBT hook (also used by CDialog).
    struct CreationScope {
        explicit CreationScope(CWnd* wnd);
        ~CreationScope();
        CWnd* m_previous;
    };

    // Dispatches a message with this object's current-message bookkeeping.
    LRESULT Dispatch(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superProc = nullptr;
    const MSG* m_currentMsg = nullptr;

private:
    friend class CWndWatch;
    CWndWatch* m_watches = nullptr;  // told by the destructor that this object is gone
};

// Tells code that runs a nested message loop, or sends a message, on behalf of a window object whether
// that object was deleted meanwhile: a loop runs every message of the program, and one of them (a
// device removal closing the page) may free the object whose handler is still on the stack. Watches
// live on the stack of the thread that owns the window.
class CWndWatch {
public:
    // Watches `wnd`; a null window is never reported deleted.
    explicit CWndWatch(CWnd* wnd);
    ~CWndWatch();
    CWndWatch(const CWndWatch&) = delete;
    CWndWatch& operator=(const CWndWatch&) = delete;

    bool Deleted() const { return m_deleted; }

private:
    friend class CWnd;
    CWnd* m_wnd;
    CWndWatch* m_next = nullptr;
    bool m_deleted = false;
};

// Walks PreTranslateMessage from msg->hwnd up through its parents to the top-level window; true when
// one of them consumed the message.
bool WalkPreTranslateTree(MSG* msg);

// Pumps one message: GetMessage, the PreTranslateMessage walk, TranslateMessage and DispatchMessage.
// Returns false on WM_QUIT (the exit code in *exitCode).
bool PumpMessage(int* exitCode = nullptr);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// How PumpMessagesUntil treats what it meets; the defaults suit a tool that waits for another window or
// process.
struct MessagePumpOptions {
    // Without a message, `done` is asked again after this long at the latest: a condition that another
    // thread or process fulfils without a message is seen soon too.
    DWORD pollMs = 20;
    // Sees each message first and keeps it from being dispatched by answering true
    // (WalkPreTranslateTree: the walk of the programs' own loops).
    bool (*preTranslate)(MSG*) = nullptr;
    // A WM_QUIT met on the way is posted again and ends the wait, for the caller's own loop to see;
    // otherwise it is handled like any message (and so lost).
    bool keepQuit = false;
};

// Handles the thread's messages one at a time, asking `done` before each, until it holds or `timeoutMs`
// passed; `done`'s last answer. For tools and tests that wait for another window or process.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs, const MessagePumpOptions& options);
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 20);
