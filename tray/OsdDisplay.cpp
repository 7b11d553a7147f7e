// The on-screen display's window and its show and hide cycle.
#include "tray/OsdDisplay.h"

#include "tray/TrayIds.h"

#include <objbase.h>

#include <algorithm>

namespace tray {
namespace {

constexpr DWORD kOsdExStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;

float ScreenScale(HWND window)
{
    HDC dc = ::GetDC(window);
    const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc)
        ::ReleaseDC(window, dc);
    return static_cast<float>(dpi) / 72.0f;
}

} // namespace

RECT OsdWindowRect(const RECT& monitor, int height)
{
    RECT rc;
    rc.left = monitor.left;
    rc.right = monitor.right - 10;
    rc.bottom = monitor.bottom - 50;
    rc.top = rc.bottom - height;
    return rc;
}

int OsdFontHeight(int logPixelsX)
{
    return static_cast<int>(static_cast<float>(logPixelsX) / 72.0f * 20.0f);
}

void COsdWindow::SetText(const std::wstring& text)
{
    size_t length = std::min(text.size(), kOsdMaxTextChars);
    if (length < text.size() && length > 0 && IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    m_text.assign(text, 0, length);
}

LRESULT COsdWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
{
    ::SetLayeredWindowAttributes(m_hWnd, kOsdKeyColour, 0, LWA_COLORKEY);
    m_keyBrush.CreateSolidBrush(kOsdKeyColour);
    m_scale = ScreenScale(m_hWnd);
    m_fontHeight = static_cast<int>(m_scale * 20.0f);
    LOGFONTW font{};
    font.lfHeight = -m_fontHeight;
    font.lfWeight = FW_BOLD;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfCharSet = ANSI_CHARSET;
    wcscpy_s(font.lfFaceName, L"Arial");
    m_font.CreateFontIndirect(&font);
    MoveToCorner();
    handled = FALSE;
    return 0;
}

void COsdWindow::MoveToCorner()
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
        return;
    const RECT rc = OsdWindowRect(info.rcMonitor, m_fontHeight);
    MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
}

LRESULT COsdWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    ::FillRect(dc, &client, m_keyBrush);
    if (!m_text.empty()) {
        HGDIOBJ oldFont = ::SelectObject(dc, m_font);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kOsdTextColour);
        ::DrawTextW(dc, m_text.c_str(), static_cast<int>(m_text.size()), &client, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
        ::SelectObject(dc, oldFont);
    }
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT COsdWindow::OnDisplayChange(UINT, WPARAM, LPARAM, BOOL& handled)
{
    MoveToCorner();
    handled = FALSE;
    return 0;
}

LRESULT COsdWindow::OnShow(UINT, WPARAM, LPARAM, BOOL&)
{
    ShowWindow(SW_SHOWNOACTIVATE);
    Invalidate(FALSE);
    // The same id again restarts the period: the newest name stays its full time.
    m_hideTimer = SetTimer(OsdHideTimer, kOsdShowMs);
    return 0;
}

LRESULT COsdWindow::OnTimer(UINT, WPARAM, LPARAM, BOOL&)
{
    m_text.clear();
    Invalidate(FALSE);
    UpdateWindow();
    ShowWindow(SW_HIDE);
    KillTimer(m_hideTimer);
    m_hideTimer = 0;
    return 0;
}

LRESULT COsdWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_hideTimer)
        KillTimer(m_hideTimer);
    m_hideTimer = 0;
    m_keyBrush.DeleteObject();
    m_font.DeleteObject();
    handled = FALSE;
    return 0;
}

COsdDisplay::COsdDisplay() = default;

COsdDisplay::~COsdDisplay()
{
    // The window goes with the display object, so that nothing of it outlives its owner.
    if (m_window.m_hWnd)
        m_window.DestroyWindow();
    if (m_comInitialised)
        ::CoUninitialize();
}

HRESULT COsdDisplay::CreateOsdWindows()
{
    if (m_window.m_hWnd)
        return S_OK;
    if (!m_comInitialised) {
        if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
            return E_FAIL;
        m_comInitialised = true;
    }
    // The class outlives every window of it, and so does its brush.
    static const HBRUSH background = ::CreateSolidBrush(kOsdKeyColour);
    CWnd::RegisterWndClass(kOsdWindowClass, CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW), background);
    if (!m_window.CreateEx(kOsdExStyle, kOsdWindowClass, kOsdWindowClass, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return E_FAIL;
    m_window.ShowWindow(SW_HIDE);
    return S_OK;
}

void COsdDisplay::ShowProfileName(const std::wstring& name)
{
    if (!m_window.m_hWnd)
        return;
    m_window.SetText(name);
    m_window.PostMessage(OsdShowMessage);
    // The request is handled, and the name painted, at once rather than when the thread next waits: a
    // profile-change handler still has its service objects to release, several calls to the service,
    // and the name would wait for all of them.
    MSG message;
    if (::PeekMessageW(&message, m_window.m_hWnd, OsdShowMessage, OsdShowMessage, PM_REMOVE)) {
        ::DispatchMessageW(&message);
        m_window.UpdateWindow();
    }
}

} // namespace tray
