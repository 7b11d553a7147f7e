// The skinned vertical scroll bar: its picture, the thumb placed after the list's position, and the
// scroll codes that presses, held arrows and drags send to the list.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinTestSupport.h"
#include "skin/VScrollBar.h"

namespace {

constexpr int kWidth = 10;
constexpr int kBarHeight = 100;
// Part heights: top end, bottom end, arrows, spine, thumb.
constexpr int kTopH = 4;
constexpr int kBotH = 6;
constexpr int kArrowH = 8;
constexpr int kThumbH = 12;
constexpr int kHighestThumb = kTopH + kArrowH;                              // 12
constexpr int kLowestThumb = kBarHeight - kArrowH - kBotH - kThumbH;        // 74
constexpr int kTrack = kBarHeight - kThumbH - 2 * kArrowH - kBotH - kTopH;  // 62

constexpr COLORREF kTopColour = RGB(200, 0, 0);
constexpr COLORREF kBottomColour = RGB(0, 200, 0);
constexpr COLORREF kUpColour = RGB(0, 0, 200);
constexpr COLORREF kDownColour = RGB(200, 200, 0);
constexpr COLORREF kSpineColour = RGB(0, 200, 200);
constexpr COLORREF kThumbColour = RGB(200, 0, 200);
constexpr COLORREF kBackColour = RGB(90, 90, 90);

// The list beside the bar: scroll information to read, and the scroll codes it is sent.
class CScrollTarget : public CWnd {
public:
    std::vector<WPARAM> codes;
    bool drained = false;

    void SetRange(int max, int page, int pos)
    {
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, max, static_cast<UINT>(page), pos, 0};
        ::SetScrollInfo(m_hWnd, SB_VERT, &info, FALSE);
    }
    long Count(WPARAM code) const { return std::count(codes.begin(), codes.end(), code); }
    // Pumps until everything posted to the list so far has arrived.
    bool Drain()
    {
        drained = false;
        PostMessage(WM_APP);
        return PumpUntil([this] { return drained; });
    }

    BEGIN_MSG_MAP(CScrollTarget)
        MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
        MESSAGE_HANDLER(WM_APP, OnDrained)
    END_MSG_MAP()

private:
    LRESULT OnVScroll(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        codes.push_back(wParam);
        return 0;
    }
    LRESULT OnDrained(UINT, WPARAM, LPARAM, BOOL&)
    {
        drained = true;
        return 0;
    }
};

class VScrollBarTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 80, 80, 200, 140, nullptr,
                                      nullptr));
        ASSERT_TRUE(m_list.Create(TestWndClass(), L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, RECT{0, 0, 100, 100},
                                  m_parent, 1));
        m_list.SetRange(99, 10, 0);
        ASSERT_TRUE(MakeBar(kBarHeight));
    }
    void TearDown() override
    {
        ::ReleaseCapture();
        m_bar.reset();
        m_list.DestroyWindow();
        m_parent.DestroyWindow();
        FrameworkTest::TearDown();
    }

    bool MakeBar(int height, int clientWidth = kWidth)
    {
        m_bar = std::make_unique<CVScrollBar>(m_list.m_hWnd, kWidth);
        ScrollBarBitmaps bitmaps;
        bitmaps.top = &m_top;
        bitmaps.bottom = &m_bottom;
        bitmaps.arrowUp = &m_up;
        bitmaps.arrowDown = &m_down;
        bitmaps.span = &m_spine;
        bitmaps.thumb = &m_thumb;
        m_bar->SetBitmaps(bitmaps);
        return m_bar->Create(nullptr, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY,
                             RECT{120, 0, 120 + clientWidth, height}, m_parent, 0xFFFF) != FALSE;
    }

    void Press(int y, WPARAM keys = MK_LBUTTON) { m_bar->SendMessage(WM_LBUTTONDOWN, keys, MAKELPARAM(2, y)); }
    void Release(int y) { m_bar->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2, y)); }
    void DragTo(int y) { m_bar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, y)); }
    int ThumbAt(int max, int page, int pos)
    {
        m_list.SetRange(max, page, pos);
        m_bar->Synchronise();
        return m_bar->m_thumbTop;
    }

    CWnd m_parent;
    CScrollTarget m_list;
    CBitmap m_top = SolidDib(kTopColour, kWidth, kTopH);
    CBitmap m_bottom = SolidDib(kBottomColour, kWidth, kBotH);
    CBitmap m_up = SolidDib(kUpColour, kWidth, kArrowH);
    CBitmap m_down = SolidDib(kDownColour, kWidth, kArrowH);
    CBitmap m_spine = SolidDib(kSpineColour, kWidth, 1);
    CBitmap m_thumb = SolidDib(kThumbColour, kWidth, kThumbH);
    std::unique_ptr<CVScrollBar> m_bar;
};

TEST_F(VScrollBarTest, ThePartsSitAtBothEndsWhateverTheirHeights)
{
    ASSERT_TRUE(MakeBar(kBarHeight, kWidth + 4));
    m_bar->m_backColour = kBackColour;
    EXPECT_EQ(kHighestThumb, m_bar->m_thumbTop);
    m_bar->Invalidate(FALSE);
    const struct {
        int x, y;
        COLORREF colour;
    } expected[] = {{5, 0, kTopColour},           {5, kTopH - 1, kTopColour},   {5, kTopH, kUpColour},
                    {5, kHighestThumb, kThumbColour}, {5, 23, kThumbColour},    {5, 24, kSpineColour},
                    {5, 85, kSpineColour},        {5, 86, kDownColour},         {5, 93, kDownColour},
                    {5, 94, kBottomColour},       {5, 99, kBottomColour},       {kWidth + 2, 50, kBackColour}};
    EXPECT_TRUE(PumpUntil([&] {
        CClientDC dc(m_bar->m_hWnd);
        return std::all_of(std::begin(expected), std::end(expected),
                           [&](const auto& point) { return ::GetPixel(dc, point.x, point.y) == point.colour; });
    }));
    CClientDC dc(m_bar->m_hWnd);
    for (const auto& point : expected)
        EXPECT_EQ(point.colour, ::GetPixel(dc, point.x, point.y)) << "at y " << point.y;
}

TEST_F(VScrollBarTest, TheThumbFollowsTheListsPositionWithinItsLimits)
{
    EXPECT_EQ(kHighestThumb, ThumbAt(99, 10, 0));
    // 12 + 62 / 89 * 44 = 42.65, truncated.
    EXPECT_EQ(42, ThumbAt(99, 10, 44));
    EXPECT_EQ(kLowestThumb, ThumbAt(99, 10, 90));
    // A list that fits its window keeps the thumb at the top.
    EXPECT_EQ(kHighestThumb, ThumbAt(5, 10, 0));
    EXPECT_EQ(kHighestThumb, ThumbAt(10, 10, 1));
}

TEST_F(VScrollBarTest, APressOnTheSpineScrollsOnePageTowardsItAndGivesTheCaptureBack)
{
    ::SetCapture(m_list);  // as an open drop-down list holds it
    Press(60);
    EXPECT_EQ(m_bar->m_hWnd, ::GetCapture());
    Release(60);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ((std::vector<WPARAM>{SB_PAGEDOWN}), m_list.codes);
    EXPECT_EQ(m_list.m_hWnd, ::GetCapture());

    m_list.codes.clear();
    ASSERT_EQ(42, ThumbAt(99, 10, 44));
    Press(30);
    Release(30);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ((std::vector<WPARAM>{SB_PAGEUP}), m_list.codes);
}

TEST_F(VScrollBarTest, AListThatDidNotHoldTheMouseIsNotHandedItAfterAPress)
{
    Press(60);
    Release(60);
    EXPECT_NE(m_list.m_hWnd, ::GetCapture()) << "the list would take every later click";
}

TEST_F(VScrollBarTest, AShortPressOnAnArrowScrollsOneLine)
{
    Press(90);
    Release(90);
    // Late ticks of the repeat timers find no arrow held.
    m_bar->SendMessage(WM_TIMER, CVScrollBar::kRepeatDelayTimer);
    m_bar->SendMessage(WM_TIMER, CVScrollBar::kRepeatTimer);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ((std::vector<WPARAM>{SB_LINEDOWN}), m_list.codes);

    m_list.codes.clear();
    Press(kTopH + 1);
    Release(kTopH + 1);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ((std::vector<WPARAM>{SB_LINEUP}), m_list.codes);
}

TEST_F(VScrollBarTest, AHeldArrowRepeatsAfterADelayAndOnceMoreOnRelease)
{
    const DWORD pressed = ::GetTickCount();
    DWORD firstLine = 0;
    Press(kTopH + 1);
    ASSERT_TRUE(PumpUntil([&] {
        if (!firstLine && !m_list.codes.empty())
            firstLine = ::GetTickCount();
        return m_list.codes.size() >= 3;
    }));
    EXPECT_GE(firstLine - pressed, 200u);
    const size_t held = m_list.codes.size();
    Release(kTopH + 1);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ(held + 1, m_list.codes.size());
    EXPECT_EQ(static_cast<long>(m_list.codes.size()), m_list.Count(SB_LINEUP));

    // Released away from the arrow: no extra line, and the repeat has stopped.
    m_list.codes.clear();
    Press(90);
    ASSERT_TRUE(PumpUntil([&] { return !m_list.codes.empty(); }));
    Release(kHighestThumb + 1);
    const size_t afterRelease = m_list.codes.size();
    m_bar->SendMessage(WM_TIMER, CVScrollBar::kRepeatTimer);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ(afterRelease, m_list.codes.size());
    EXPECT_EQ(static_cast<long>(afterRelease), m_list.Count(SB_LINEDOWN));
}

TEST_F(VScrollBarTest, DraggingTheThumbScrollsLineByLineToThePointer)
{
    Press(kHighestThumb + 3);
    EXPECT_TRUE(m_bar->m_dragging);
    // Thumb top 50 - 6 = 44: (44 - 12) / (62 / 89) = 45.9 lines.
    DragTo(50);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ(45, m_list.Count(SB_LINEDOWN));
    EXPECT_EQ(45u, m_list.codes.size());

    // Back up from position 45 to the top.
    m_list.codes.clear();
    m_list.SetRange(99, 10, 45);
    DragTo(0);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_EQ(45, m_list.Count(SB_LINEUP));
    EXPECT_EQ(45u, m_list.codes.size());
    Release(0);
    EXPECT_FALSE(m_bar->m_dragging);
}

TEST_F(VScrollBarTest, DragsScrollNothingWhenThereIsNothingToScrollOrNoTrack)
{
    m_list.SetRange(5, 10, 0);
    Press(kHighestThumb + 3);
    DragTo(60);
    EXPECT_EQ(kHighestThumb, m_bar->m_thumbTop);
    Release(kHighestThumb + 3);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_TRUE(m_list.codes.empty());

    // A bar exactly as tall as its parts has no track: a drag must not send anything.
    ::ReleaseCapture();
    m_list.SetRange(99, 10, 0);
    ASSERT_TRUE(MakeBar(kBarHeight - kTrack));
    Press(kHighestThumb + 3);
    DragTo(kBarHeight - kTrack - 1);
    ASSERT_TRUE(m_list.Drain());
    EXPECT_TRUE(m_list.codes.empty());
}

} // namespace
