// CDialog: in-memory template, creation, modal loop.
#include "framework/Dialog.h"

CDialogTemplate::CDialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                                 const std::wstring& title, const std::wstring& className, WORD pointSize,
                                 const std::wstring& faceName)
{
    m_data.push_back(LOWORD(style));
    m_data.push_back(HIWORD(style));
    m_data.push_back(LOWORD(exStyle));
    m_data.push_back(HIWORD(exStyle));
    m_data.push_back(0); // no controls
    m_data.push_back(static_cast<WORD>(x));
    m_data.push_back(static_cast<WORD>(y));
    m_data.push_back(static_cast<WORD>(cx));
    m_data.push_back(static_cast<WORD>(cy));
    m_data.push_back(0); // no menu
    if (className.empty())
        m_data.push_back(0);
    else
        AppendString(className);
    AppendString(title);
    if (style & DS_SETFONT) {
        m_data.push_back(pointSize);
        AppendString(faceName);
    }
}

void CDialogTemplate::AppendString(const std::wstring& text)
{
    m_data.insert(m_data.end(), text.begin(), text.end());
    m_data.push_back(0);
}

CDialog::CDialog(CWnd* parent)
    : m_template(WS_POPUP | DS_SETFONT | DS_FIXEDSYS, 0, 0, 0, 316, 180), m_pParentWnd(parent)
{
}

CDialog::CDialog(const CDialogTemplate& dialogTemplate, CWnd* parent)
    : m_template(dialogTemplate), m_pParentWnd(parent)
{
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Everything but WM_INITDIALOG went through the dialog's message map already (the window is
    // subclassed); the dialog procedure only answers what the dialog manager asks it.
    if (msg == WM_INITDIALOG) {
        if (auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(wnd)))
            return dialog->OnInitDialog();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::CreateIndirect(HWND owner)
{
    if (m_hWnd)
        return FALSE;
    HWND wnd;
    {
        CreationScope scope(this);
        wnd = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), m_template.Get(), owner,
                                           StaticDialogProc, reinterpret_cast<LPARAM>(this));
    }
    return wnd != nullptr && m_hWnd == wnd;
}

BOOL CDialog::Create(CWnd* parent)
{
    if (parent)
        m_pParentWnd = parent;
    m_modal = false;
    return CreateIndirect(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (owner)
        owner = ::GetAncestor(owner, GA_ROOT);
    m_modal = true;
    m_endModal = false;
    m_modalResult = -1;
    m_showWhenCreated = true;
    // Another modal dialog of the same owner may be running below this one (its owner is disabled
    // then): activation goes back to it at the end, not to the disabled owner, which would cover it.
    // Taken before the creation, which may activate the new dialog already.
    HWND previous = ::GetActiveWindow();
    if (!CreateIndirect(owner)) {
        m_modal = false;
        return -1;
    }
    bool disabledOwner = false;
    if (!m_endModal) {
        if (owner && ::IsWindowEnabled(owner)) {
            ::EnableWindow(owner, FALSE);
            disabledOwner = true;
        }
        if (m_showWhenCreated)
            ShowWindow(SW_SHOW);
        RunModalLoop();
    }
    // Enable the owner before the dialog goes, so that activation returns to it.
    if (disabledOwner)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        if (::GetActiveWindow() == m_hWnd) {
            HWND next = owner;
            if (previous && previous != m_hWnd && previous != owner && ::IsWindow(previous) &&
                ::IsWindowVisible(previous) && ::IsWindowEnabled(previous))
                next = previous;
            if (next)
                ::SetActiveWindow(next);
        }
        DestroyShownWindow();
    }
    m_modal = false;
    return m_modalResult;
}

void CDialog::DestroyShownWindow()
{
    // Wine's X11 driver waits up to two seconds in every hide of a window it handed to a window
    // manager, for the manager to confirm; on a display without one nothing confirms, the program
    // stands still and the clicks meant for the window below reach the one going away. A window
    // destroyed while not marked visible is not hidden first: it goes at once, with or without a
    // window manager. What it covered is repainted as a hide would have repainted it.
    RECT covered = {};
    const bool visible = (GetStyle() & WS_VISIBLE) != 0;
    if (visible) {
        ::GetWindowRect(m_hWnd, &covered);
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() & ~static_cast<LONG_PTR>(WS_VISIBLE));
    }
    ::DestroyWindow(m_hWnd);
    if (visible)
        ::RedrawWindow(nullptr, &covered, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void CDialog::RunModalLoop()
{
    while (!m_endModal && m_hWnd) {
        MSG msg = {};
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Leave WM_QUIT for the loops outside this one.
            ::PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : -1);
            m_modalResult = -1;
            break;
        }
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    if (m_modal) {
        m_endModal = true;
        if (m_hWnd)
            PostMessage(WM_NULL); // wakes the loop when ended from outside a message
    } else {
        DestroyWindow();
    }
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                 (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    if (!input || !m_hWnd)
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}
