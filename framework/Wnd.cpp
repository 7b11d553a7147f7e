// CWnd: binding, dispatch, reflection and the message pump.
#include "framework/Wnd.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {

// The handle map: every bound window of every thread. Created once and never destroyed, so windows
// that outlive static destruction still find it.
std::mutex& MapLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

std::unordered_map<HWND, CWnd*>& HandleMap()
{
    static auto* map = new std::unordered_map<HWND, CWnd*>;
    return *map;
}

// The window this thread is about to create, bound by the CBT hook at its first message.
thread_local CWnd* t_creating = nullptr;
thread_local HHOOK t_hook = nullptr;
thread_local int t_hookDepth = 0;

// Input-method windows may be created on the thread while one of our windows is made; they are not ours.
bool IsImeWindow(HWND wnd)
{
    wchar_t cls[32] = {};
    ::GetClassNameW(wnd, cls, 32);
    return ::lstrcmpiW(cls, L"IME") == 0 || ::lstrcmpiW(cls, L"MSCTFIME UI") == 0;
}

} // namespace

CWnd::~CWnd()
{
    for (CWndWatch* watch = m_watches; watch; watch = watch->m_next) {
        watch->m_deleted = true;
        watch->m_wnd = nullptr;
    }
    m_watches = nullptr;
    if (m_hWnd) {
        HWND wnd = m_hWnd;
        // Unbind first: the derived parts of this object are gone, so no message may reach them.
        Unbind();
        if (::IsWindow(wnd))
            ::DestroyWindow(wnd);
    }
}

CWndWatch::CWndWatch(CWnd* wnd) : m_wnd(wnd)
{
    if (m_wnd) {
        m_next = m_wnd->m_watches;
        m_wnd->m_watches = this;
    }
}

CWndWatch::~CWndWatch()
{
    if (!m_wnd)
        return;
    for (CWndWatch** link = &m_wnd->m_watches; *link; link = &(*link)->m_next) {
        if (*link == this) {
            *link = m_next;
            break;
        }
    }
}

CWnd* CWnd::FromHandlePermanent(HWND wnd)
{
    if (!wnd)
        return nullptr;
    std::lock_guard<std::mutex> guard(MapLock());
    auto it = HandleMap().find(wnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

size_t CWnd::BoundWindowCount()
{
    std::lock_guard<std::mutex> guard(MapLock());
    return HandleMap().size();
}

bool CWnd::RegisterWndClass(const wchar_t* className, UINT style, HCURSOR cursor, HBRUSH background, HICON icon)
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(instance, className, &wc))
        return true;
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

CWnd::CreationScope::CreationScope(CWnd* wnd) : m_previous(t_creating)
{
    t_creating = wnd;
    if (t_hookDepth++ == 0)
        t_hook = ::SetWindowsHookExW(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
}

CWnd::CreationScope::~CreationScope()
{
    t_creating = m_previous;
    if (--t_hookDepth == 0 && t_hook) {
        ::UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
}

LRESULT CALLBACK CWnd::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_creating) {
        HWND wnd = reinterpret_cast<HWND>(wParam);
        if (!IsImeWindow(wnd)) {
            CWnd* object = t_creating;
            t_creating = nullptr;
            object->m_hWnd = wnd;
            object->PreSubclassWindow();
            object->Bind(wnd);
        }
    }
    return ::CallNextHookEx(t_hook, code, wParam, lParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd)
        return FALSE;
    HWND wnd;
    {
        CreationScope scope(this);
        wnd = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                ::GetModuleHandleW(nullptr), param);
    }
    // A window that refused creation was destroyed again, which unbound it.
    return wnd != nullptr && m_hWnd == wnd;
}

void CWnd::Bind(HWND wnd)
{
    m_hWnd = wnd;
    {
        std::lock_guard<std::mutex> guard(MapLock());
        HandleMap()[wnd] = this;
    }
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
}

void CWnd::Unbind()
{
    if (!m_hWnd)
        return;
    if (m_superProc &&
        ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(StaticWndProc))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    {
        std::lock_guard<std::mutex> guard(MapLock());
        auto it = HandleMap().find(m_hWnd);
        if (it != HandleMap().end() && it->second == this)
            HandleMap().erase(it);
    }
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND wnd)
{
    if (m_hWnd || !::IsWindow(wnd) || FromHandlePermanent(wnd))
        return FALSE;
    m_hWnd = wnd;
    PreSubclassWindow();
    Bind(wnd);
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    if (!m_hWnd || ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(StaticWndProc))
        return nullptr;
    HWND wnd = m_hWnd;
    Unbind();
    m_superProc = nullptr;
    return wnd;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

std::wstring CWnd::GetWindowText() const
{
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = FromHandlePermanent(wnd);
    if (!object)
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    return object->Dispatch(wnd, msg, wParam, lParam);
}

LRESULT CWnd::Dispatch(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG current = {wnd, msg, wParam, lParam, 0, {0, 0}};
    const MSG* previous = m_currentMsg;
    m_currentMsg = &current;
    CWndWatch self(this);
    LRESULT result = WindowProc(msg, wParam, lParam);
    // A handler may have deleted this object (closing the window's page): nothing of it is left to put back.
    if (self.Deleted())
        return result;
    m_currentMsg = previous;
    if (msg == WM_NCDESTROY && m_hWnd == wnd) {
        Unbind();
        OnFinalMessage(wnd); // may delete this
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND wnd = m_currentMsg ? m_currentMsg->hwnd : m_hWnd;
    return ::CallWindowProcW(m_superProc ? m_superProc : ::DefWindowProcW, wnd, msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc()
{
    if (!m_currentMsg)
        return 0;
    return DefWindowProc(m_currentMsg->message, m_currentMsg->wParam, m_currentMsg->lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (msg) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    case WM_NOTIFY:
        if (OnNotify(wParam, lParam, &result))
            return result;
        break;
    default:
        if (ReflectChildNotify(msg, wParam, lParam, result))
            return result;
        if (ProcessWindowMessage(m_hWnd, msg, wParam, lParam, result))
            return result;
        break;
    }
    return DefWindowProc(msg, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (lParam && ReflectChildNotify(WM_COMMAND, wParam, lParam, result))
        return TRUE;
    return ProcessWindowMessage(m_hWnd, WM_COMMAND, wParam, lParam, result);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (ReflectChildNotify(WM_NOTIFY, wParam, lParam, *result))
        return TRUE;
    return ProcessWindowMessage(m_hWnd, WM_NOTIFY, wParam, lParam, *result);
}

BOOL CWnd::ReflectChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!lParam)
        return FALSE;
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU)
            child = item->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU)
            child = ::GetDlgItem(m_hWnd, static_cast<int>(item->CtlID));
        break;
    }
    case WM_COMPAREITEM:
        child = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_DELETEITEM:
        child = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
        break;
    default:
        return FALSE;
    }
    if (!child || child == m_hWnd)
        return FALSE;
    CWnd* object = FromHandlePermanent(child);
    if (!object)
        return FALSE;
    MSG current = {child, OCM_BASE + msg, wParam, lParam, 0, {0, 0}};
    const MSG* previous = object->m_currentMsg;
    object->m_currentMsg = &current;
    CWndWatch childObject(object);
    BOOL handled = object->ProcessWindowMessage(child, OCM_BASE + msg, wParam, lParam, result);
    if (!childObject.Deleted())
        object->m_currentMsg = previous;
    return handled;
}

bool WalkPreTranslateTree(MSG* msg)
{
    for (HWND wnd = msg->hwnd; wnd;) {
        if (CWnd* object = CWnd::FromHandlePermanent(wnd)) {
            if (object->PreTranslateMessage(msg))
                return true;
        }
        if (!(::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
            break;
        wnd = ::GetParent(wnd);
    }
    return false;
}

bool PumpMessage(int* exitCode)
{
    MSG msg = {};
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        if (exitCode)
            *exitCode = got == 0 ? static_cast<int>(msg.wParam) : -1;
        return false;
    }
    if (!WalkPreTranslateTree(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs, const MessagePumpOptions& options)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return done();
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                        static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, options.pollMs)),
                                        QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT && options.keepQuit) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return done();
        }
        if (!options.preTranslate || !options.preTranslate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs)
{
    MessagePumpOptions options;
    options.pollMs = pollMs;
    return PumpMessagesUntil(done, timeoutMs, options);
}

int RunMessageLoop()
{
    int exitCode = 0;
    while (PumpMessage(&exitCode)) {
    }
    return exitCode;
}
