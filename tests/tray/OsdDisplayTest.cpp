// Tests of the on-screen display: where it sits, what it shows, how long, and that it never gets in
// the user's way.
#include "tray/OsdDisplay.h"

#include "ScreenSupport.h"
#include "TrayTestSupport.h"

#include "tray/TrayIds.h"

using tray::COsdDisplay;

namespace {

RECT PrimaryMonitor()
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

RECT WindowRect(HWND window)
{
    RECT rc{};
    ::GetWindowRect(window, &rc);
    return rc;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class OsdDisplayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, m_osd.CreateOsdWindows()); }

    // Shows a name and waits until the window shows it on screen.
    ::testing::AssertionResult ShowAndWait(const std::wstring& name)
    {
        m_osd.ShowProfileName(name);
        if (!PumpMessagesUntil([&] { return ::IsWindowVisible(m_osd.Window()) != FALSE; }, 5000))
            return ::testing::AssertionFailure() << "the display never showed";
        ::UpdateWindow(m_osd.Window());
        return ::testing::AssertionSuccess();
    }

    COsdDisplay m_osd;
};

} // namespace

TEST_F(OsdDisplayTest, SitsHiddenAtTheBottomRightOverEverything)
{
    HWND window = m_osd.Window();
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 31);
    EXPECT_EQ(std::wstring(L"tsy_osd"), className);
    EXPECT_FALSE(::IsWindowVisible(window));

    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    for (LONG_PTR flag : {LONG_PTR(WS_EX_NOACTIVATE), LONG_PTR(WS_EX_LAYERED), LONG_PTR(WS_EX_TOOLWINDOW),
                           LONG_PTR(WS_EX_TRANSPARENT), LONG_PTR(WS_EX_TOPMOST)})
        EXPECT_EQ(flag, exStyle & flag) << std::hex << flag;
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);

    // 20 points high, full width less 10 pixels, bottom 50 pixels above the monitor's.
    HDC dc = ::GetDC(window);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(window, dc);
    EXPECT_EQ(tray::OsdFontHeight(dpi), m_osd.TextWindow().FontHeight());
    const RECT monitor = PrimaryMonitor();
    const RECT expected = tray::OsdWindowRect(monitor, m_osd.TextWindow().FontHeight());
    EXPECT_TRUE(SameRect(expected, WindowRect(window)));
    EXPECT_EQ(monitor.right - 10, expected.right);
    EXPECT_EQ(monitor.bottom - 50, expected.bottom);
    EXPECT_EQ(40, tray::OsdFontHeight(144)) << "a 144 dpi screen gets twice the 72 dpi size";

    // Back to the corner after the display changes.
    ::MoveWindow(window, 5, 5, 100, 10, FALSE);
    ::SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    EXPECT_TRUE(SameRect(expected, WindowRect(window)));
}

TEST_F(OsdDisplayTest, ShowsTheNameInGreenForTwoSeconds)
{
    const DWORD shown = ::GetTickCount();
    ASSERT_TRUE(ShowAndWait(L"Games"));
    const std::vector<COLORREF> screen = CaptureScreen(WindowRect(m_osd.Window()));
    EXPECT_GT(CountColour(screen, tray::kOsdTextColour), 20u) << "the letters are drawn";
    EXPECT_EQ(0u, CountColour(screen, tray::kOsdKeyColour)) << "the background lets the screen show through";
    EXPECT_FALSE(::GetForegroundWindow() == m_osd.Window()) << "showing never takes the focus";

    ASSERT_TRUE(PumpMessagesUntil([&] { return !::IsWindowVisible(m_osd.Window()); }, 6000));
    EXPECT_GE(::GetTickCount() - shown, 1900u) << "hidden only after its two seconds";
    EXPECT_TRUE(m_osd.TextWindow().Text().empty());
}

TEST_F(OsdDisplayTest, TheNameIsOnScreenBeforeTheCallerGoesOn)
{
    // A profile-change handler releases its service objects after asking: the name must not wait for that.
    m_osd.ShowProfileName(L"Games");
    EXPECT_TRUE(::IsWindowVisible(m_osd.Window()));
    EXPECT_EQ(L"Games", m_osd.TextWindow().Text());
    ASSERT_TRUE(PumpMessagesUntil([&] { return !::IsWindowVisible(m_osd.Window()); }, 6000));
}

TEST_F(OsdDisplayTest, NewNameReplacesTheShownOneAndStaysItsOwnTime)
{
    ASSERT_TRUE(ShowAndWait(L"First"));
    const DWORD first = ::GetTickCount();
    PumpMessagesFor(1000);
    m_osd.ShowProfileName(L"Second");
    PumpMessagesUntil([&] { return m_osd.TextWindow().Text() == L"Second"; }, 1000);
    const DWORD second = ::GetTickCount();
    // Past the first name's two seconds, but not the second's: the window is still up.
    PumpMessagesUntil([&] { return ::GetTickCount() - first >= 2300; }, 3000);
    if (::GetTickCount() - second < 1900) {
        EXPECT_TRUE(::IsWindowVisible(m_osd.Window()));
        EXPECT_EQ(L"Second", m_osd.TextWindow().Text());
    }
    ASSERT_TRUE(PumpMessagesUntil([&] { return !::IsWindowVisible(m_osd.Window()); }, 6000));
    EXPECT_GE(::GetTickCount() - second, 1900u);
}

TEST_F(OsdDisplayTest, EmptyNameShowsNothingVisible)
{
    ASSERT_TRUE(ShowAndWait(L""));
    EXPECT_EQ(0u, CountColour(CaptureScreen(WindowRect(m_osd.Window())), tray::kOsdTextColour));
    ASSERT_TRUE(PumpMessagesUntil([&] { return !::IsWindowVisible(m_osd.Window()); }, 6000));
}

TEST_F(OsdDisplayTest, ClicksFallThroughToTheWindowBeneath)
{
    ASSERT_TRUE(ShowAndWait(L"Click through"));
    const RECT rc = WindowRect(m_osd.Window());
    const POINT onText{rc.right - 10, rc.bottom - 5};
    EXPECT_NE(m_osd.Window(), ::WindowFromPoint(onText));
}

TEST_F(OsdDisplayTest, LongNamesAreCut)
{
    tray::COsdWindow window;
    window.SetText(std::wstring(300, L'x'));
    EXPECT_EQ(254u, window.Text().size());
    // Never half a character: a surrogate pair that would be cut goes whole.
    window.SetText(std::wstring(253, L'x') + L"\U0001F600" + L"yy");
    EXPECT_EQ(253u, window.Text().size());
}
