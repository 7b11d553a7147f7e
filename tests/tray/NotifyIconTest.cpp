// Tests of the notification-area icon: what the shell is told, its return after a shell restart, its
// removal, and the menu it shows.
#include "tray/TrayNotifyIcon.h"

#include "ScreenSupport.h"
#include "TrayTestSupport.h"

#include "tray/TrayIds.h"
#include "tray/TrayMenu.h"

using tray::CTrayNotifyIcon;

namespace {

// A hidden window that plays the dialog's part: it owns the icon's messages and the menu's commands.
class COwnerWindow : public CWnd {
public:
    COwnerWindow()
    {
        RegisterWndClass(L"TessaryTrayTestOwner");
        CreateEx(0, L"TessaryTrayTestOwner", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }
    BEGIN_MSG_MAP(COwnerWindow)
    END_MSG_MAP()
};

class NotifyIconTest : public ::testing::Test {
protected:
    NotifyIconTest() : m_scoped(m_platform) { m_iconHandle = ::LoadIconW(nullptr, IDI_APPLICATION); }

    CFakePlatform m_platform;
    CScopedPlatform m_scoped;
    COwnerWindow m_owner;
    HICON m_iconHandle;
};

} // namespace

TEST(NotifyIconSizeTest, DataSizesFollowThisBuildsLayout)
{
    // x64: the published 32-bit sizes (956, 952, 936, 152) would make the shell refuse or misread.
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), tray::NotifyIconDataSize(3));
    EXPECT_EQ(976u, tray::NotifyIconDataSize(3));
    EXPECT_EQ(968u, tray::NotifyIconDataSize(2));
    EXPECT_EQ(952u, tray::NotifyIconDataSize(1));
    EXPECT_EQ(168u, tray::NotifyIconDataSize(0));
}

TEST_F(NotifyIconTest, AddsTheIconForTheOwnerWithItsTip)
{
    CTrayNotifyIcon icon;
    const std::wstring longTip(200, L't');
    ASSERT_TRUE(icon.Create(m_owner, longTip, m_iconHandle));
    EXPECT_TRUE(icon.IsAdded());
    EXPECT_EQ(3, icon.ShellVersion()) << "Wine reports a shell of version 6 or later";

    ASSERT_EQ(2u, m_platform.notifyCalls.size());
    const NOTIFYICONDATAW& added = m_platform.notifyCalls[0].data;
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), m_platform.notifyCalls[0].message);
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), added.cbSize);
    EXPECT_EQ(m_owner.m_hWnd, added.hWnd);
    EXPECT_EQ(tray::kTrayIconId, added.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), added.uFlags);
    EXPECT_EQ(tray::TrayCallbackMessage, added.uCallbackMessage);
    EXPECT_EQ(m_iconHandle, added.hIcon);
    EXPECT_EQ(std::wstring(127, L't'), std::wstring(added.szTip)) << "the tip is cut to its first 127 characters";

    // Callbacks carry the icon id and the mouse message apart.
    EXPECT_EQ(static_cast<DWORD>(NIM_SETVERSION), m_platform.notifyCalls[1].message);
    EXPECT_EQ(static_cast<UINT>(NOTIFYICON_VERSION), m_platform.notifyCalls[1].data.uVersion);
}

TEST_F(NotifyIconTest, ShellRestartBringsTheIconBack)
{
    CTrayNotifyIcon icon;
    ASSERT_TRUE(icon.Create(m_owner, L"Quarn Tessary", m_iconHandle));
    m_platform.notifyCalls.clear();

    ::SendMessageW(icon.m_hWnd, CTrayNotifyIcon::TaskbarCreatedMessage(), 0, 0);
    ASSERT_EQ(2u, m_platform.notifyCalls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), m_platform.notifyCalls[0].message);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), m_platform.notifyCalls[1].message);
    const NOTIFYICONDATAW& again = m_platform.notifyCalls[1].data;
    EXPECT_EQ(std::wstring(L"Quarn Tessary"), again.szTip);
    EXPECT_EQ(m_iconHandle, again.hIcon);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), again.uFlags);
    EXPECT_EQ(1, m_platform.IconsShown());

    // A shell that refuses the icon leaves it away until its next restart, which tries again.
    m_platform.notifyResult = FALSE;
    ::SendMessageW(icon.m_hWnd, CTrayNotifyIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_FALSE(icon.IsAdded());
    m_platform.notifyResult = TRUE;
    m_platform.notifyCalls.clear();
    ::SendMessageW(icon.m_hWnd, CTrayNotifyIcon::TaskbarCreatedMessage(), 0, 0);
    ASSERT_EQ(1u, m_platform.notifyCalls.size()) << "nothing to remove first";
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), m_platform.notifyCalls[0].message);
    EXPECT_TRUE(icon.IsAdded());
}

TEST_F(NotifyIconTest, GoesAwayWithItsObject)
{
    HWND helper = nullptr;
    {
        CTrayNotifyIcon icon;
        ASSERT_TRUE(icon.Create(m_owner, L"tip", m_iconHandle));
        helper = icon.m_hWnd;
        EXPECT_TRUE(::IsWindow(helper));
    }
    EXPECT_EQ(0, m_platform.IconsShown());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), m_platform.notifyCalls.back().message);
    EXPECT_FALSE(::IsWindow(helper));
}

TEST_F(NotifyIconTest, RefusedIconIsAFailure)
{
    m_platform.notifyResult = FALSE;
    CTrayNotifyIcon icon;
    EXPECT_FALSE(icon.Create(m_owner, L"tip", m_iconHandle));
    EXPECT_FALSE(icon.IsAdded());
    EXPECT_EQ(1u, m_platform.notifyCalls.size()) << "no version for an icon that is not there";
}

TEST_F(NotifyIconTest, RightButtonShowsTheMenuOnlyForItsOwnIcon)
{
    CTrayNotifyIcon icon;
    ASSERT_TRUE(icon.Create(m_owner, L"tip", m_iconHandle));
    HMENU menu = tray::BuildTrayMenu({L"One", L"Two"}, 0, nullptr);
    icon.SetMenu(menu);

    CMenuWatcher watcher;
    EXPECT_EQ(0, icon.OnTrayNotification(tray::kTrayIconId + 1, WM_RBUTTONUP, POINT{200, 200}));
    EXPECT_EQ(1, icon.OnTrayNotification(tray::kTrayIconId, WM_LBUTTONUP, POINT{200, 200}));
    EXPECT_EQ(-1, watcher.Seen().itemCount) << "no menu for other messages or other icons";

    // The menu's own loop runs inside the call and ends when the watcher closes it.
    EXPECT_EQ(1, icon.OnTrayNotification(tray::kTrayIconId, WM_RBUTTONUP, POINT{200, 200}));
    EXPECT_EQ(6, watcher.Seen().itemCount) << "configurator, separator, two names, separator, close";
    icon.SetMenu(nullptr);
    ::DestroyMenu(menu);
}
