// The notification-area icon.
#include "tray/TrayNotifyIcon.h"

#include "tray/TrayIds.h"
#include "tray/TrayMenu.h"
#include "tray/TrayPlatform.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

namespace tray {
namespace {

constexpr const wchar_t* kHelperClass = L"TessaryTrayIconHelper";
constexpr const wchar_t* kHelperTitle = L"CTrayNotifyIcon Helper Window";

// Registered before anything runs, so that the helper window knows the message from its first one on.
const UINT gTaskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");

} // namespace

int DetectShellVersion()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (::GetVersionExW(&info) && info.dwMajorVersion > 5)
        return 3;
    int version = 0;
    if (HMODULE shell = ::LoadLibraryW(L"SHELL32.DLL")) {
        auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(::GetProcAddress(shell, "DllGetVersion")));
        DLLVERSIONINFO dll{};
        dll.cbSize = sizeof(dll);
        if (getVersion && SUCCEEDED(getVersion(&dll)))
            version = dll.dwMajorVersion > 5 ? 2 : dll.dwMajorVersion > 4 ? 1 : 0;
        ::FreeLibrary(shell);
    }
    return version;
}

DWORD NotifyIconDataSize(int shellVersion)
{
    // The layouts grew field by field; the sizes follow this build's structure, not fixed numbers.
    switch (shellVersion) {
    case 3:
        return sizeof(NOTIFYICONDATAW);
    case 2:
        return NOTIFYICONDATAW_V3_SIZE;
    case 1:
        return NOTIFYICONDATAW_V2_SIZE;
    default:
        return NOTIFYICONDATAW_V1_SIZE;
    }
}

UINT CTrayNotifyIcon::TaskbarCreatedMessage()
{
    return gTaskbarCreated;
}

CTrayNotifyIcon::CTrayNotifyIcon() : m_shellVersion(DetectShellVersion())
{
    m_data.cbSize = NotifyIconDataSize(m_shellVersion);
}

CTrayNotifyIcon::~CTrayNotifyIcon()
{
    if (m_added) {
        m_data.uFlags = 0;
        TrayPlatform().NotifyIcon(NIM_DELETE, &m_data);
        m_added = false;
    }
    if (m_hWnd)
        DestroyWindow();
    ReleaseMenu();
}

bool CTrayNotifyIcon::Create(HWND owner, const std::wstring& tip, HICON icon)
{
    HMENU menu = LoadTrayMenu();
    if (!menu)
        return false;
    if (!::GetSubMenu(menu, 0)) {
        ::DestroyMenu(menu);
        return false;
    }
    ReleaseMenu();
    m_menu = menu;
    m_ownsMenu = true;
    m_defaultItem = 0;
    m_defaultByPosition = true;
    ApplyDefaultItem();

    RegisterWndClass(kHelperClass, 0);
    if (!m_hWnd && !CreateEx(0, kHelperClass, kHelperTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr))
        return false;

    m_owner = owner;
    m_data.cbSize = NotifyIconDataSize(m_shellVersion);
    m_data.hWnd = owner;
    m_data.uID = kTrayIconId;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = TrayCallbackMessage;
    m_data.hIcon = icon;
    // The oldest layout holds 64 characters, the later ones 128: one is the terminator.
    const size_t tipChars = m_shellVersion == 0 ? 63 : 127;
    const size_t length = std::min(tip.size(), tipChars);
    std::fill(std::begin(m_data.szTip), std::end(m_data.szTip), L'\0');
    std::copy_n(tip.c_str(), length, m_data.szTip);

    m_added = TrayPlatform().NotifyIcon(NIM_ADD, &m_data) != FALSE;
    if (m_added && m_shellVersion > 0) {
        // Callbacks then carry the icon id in wParam and the mouse message in lParam.
        m_data.uVersion = NOTIFYICON_VERSION;
        TrayPlatform().NotifyIcon(NIM_SETVERSION, &m_data);
    }
    return m_added;
}

LRESULT CTrayNotifyIcon::OnTrayNotification(UINT id, UINT mouseMessage, POINT point)
{
    if (id != m_data.uID)
        return 0;
    if (mouseMessage != WM_RBUTTONUP)
        return 1;
    HMENU popup = m_menu ? ::GetSubMenu(m_menu, 0) : nullptr;
    if (!popup)
        return 1;
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground, and the
    // posted WM_NULL lets the owner's queue run once after the menu is gone.
    ::SetForegroundWindow(m_owner);
    ::TrackPopupMenu(popup, 0, point.x, point.y, 0, m_owner, nullptr);
    ::PostMessageW(m_owner, WM_NULL, 0, 0);
    return 1;
}

LRESULT CTrayNotifyIcon::OnTrayNotification(UINT id, UINT mouseMessage)
{
    POINT point{};
    ::GetCursorPos(&point);
    return OnTrayNotification(id, mouseMessage, point);
}

void CTrayNotifyIcon::SetMenu(HMENU menu)
{
    ReleaseMenu();
    m_menu = menu;
    m_ownsMenu = false;
    ApplyDefaultItem();
}

void CTrayNotifyIcon::SetDefaultMenuItem(UINT item, bool byPosition)
{
    m_defaultItem = item;
    m_defaultByPosition = byPosition;
    ApplyDefaultItem();
}

void CTrayNotifyIcon::ApplyDefaultItem()
{
    if (HMENU popup = m_menu ? ::GetSubMenu(m_menu, 0) : nullptr)
        ::SetMenuDefaultItem(popup, m_defaultItem, m_defaultByPosition ? TRUE : FALSE);
}

void CTrayNotifyIcon::ReleaseMenu()
{
    if (m_menu && m_ownsMenu)
        ::DestroyMenu(m_menu);
    m_menu = nullptr;
    m_ownsMenu = false;
}

LRESULT CTrayNotifyIcon::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&)
{
    // A restarted shell may still list the old icon: take it away before adding it again.
    if (m_added) {
        m_data.uFlags = 0;
        TrayPlatform().NotifyIcon(NIM_DELETE, &m_data);
    }
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_added = TrayPlatform().NotifyIcon(NIM_ADD, &m_data) != FALSE;
    return 0;
}

} // namespace tray
