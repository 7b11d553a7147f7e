// The sliders, the multi-stage slider and the level marker, loaded from skin files: the positions and
// values they report while dragged and on release, what they show, and clicks they must refuse.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SkinWidgetTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/APMSlider.h"
#include "skin/BitmapItem.h"
#include "skin/DMarker.h"
#include "skin/SliderHMulti.h"
#include "skin/VertSlider.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

int Id(const wchar_t* name)
{
    return FindSkinResourceId(name);
}

// A client point of `wnd` at x of its parent's client area (y inside the window).
LPARAM AtParentX(const CWnd& wnd, int x)
{
    POINT point = {x, 5};
    ::MapWindowPoints(wnd.GetParent(), wnd, &point, 1);
    point.y = 5;
    return MAKELPARAM(point.x, point.y);
}

int LeftInParent(const CWnd& wnd)
{
    RECT rc = {};
    wnd.GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, wnd.GetParent(), reinterpret_cast<POINT*>(&rc), 2);
    return rc.left;
}

bool Near(COLORREF expected, COLORREF actual)
{
    return std::abs(GetRValue(expected) - GetRValue(actual)) <= 1 &&
           std::abs(GetGValue(expected) - GetGValue(actual)) <= 1 &&
           std::abs(GetBValue(expected) - GetBValue(actual)) <= 1;
}

class SliderTest : public SkinWidgetTest {
protected:
    void SetUp() override
    {
        SkinWidgetTest::SetUp();
        // Stage thumbs: 10 x 10, shaped by their white top-left pixel.
        Write(L"skins\\thumb.bmp", MakeBmpFile(10, 10, [](int x, int y) { return x + y == 0 ? kWhite : kBlue; }));
        Write(L"skins\\thumbhot.bmp", SolidBmpFile(10, 10, kRed));
        Write(L"skins\\picture.bmp", SolidBmpFile(380, 100, kWhite));
    }

    // The values of one kind of notification posted to `to` by the item `id`.
    std::vector<WPARAM> Posted(UINT msg, HWND to, int id) const
    {
        std::vector<WPARAM> values;
        for (const Notification& n : m_panel.Of(msg)) {
            if (n.to == to && n.lParam == id)
                values.push_back(n.wParam);
        }
        return values;
    }
    // A press that must not start a drag, and its release.
    static void ExpectClickRefused(CWnd& widget)
    {
        widget.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 5));
        EXPECT_NE(widget.m_hWnd, ::GetCapture());
        widget.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(0, 5));
    }
    void Drag(CWnd& thumb, int fromX, int toX)
    {
        thumb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, AtParentX(thumb, fromX));
        thumb.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, AtParentX(thumb, toX));
        thumb.SendMessage(WM_LBUTTONUP, 0, AtParentX(thumb, toX));
    }
};

// Thumbs on a 310-pixel track: ten pixels a step, value v centred at 10 (v - 1).
const char kMultiSliders[] =
    " <BITMAPLIST><BITMAPITEM name=\"BITMAP_SENSWINDOW1\"><SBMN>picture.bmp</SBMN>"
    "<RECT left=\"0\" top=\"0\" right=\"380\" bottom=\"100\"/></BITMAPITEM></BITMAPLIST>\n"
    " <SLIDERLIST>\n"
    "  <HSLIDERM name=\"SLIDER_DPI_MULTI\" trackid=\"BITMAP_SENSWINDOW1\" interactive=\"1\">\n"
    "   <STAGES><STAGE>SLIDER_DPI_MULTI_STAGE1</STAGE><STAGE tooltip=\"Tip\">SLIDER_DPI_MULTI_STAGE2</STAGE>"
    "<STAGE>SLIDER_DPI_MULTI_STAGE3</STAGE><STAGE>SLIDER_DPI_MULTI_STAGE4</STAGE>"
    "<STAGE>SLIDER_DPI_MULTI_STAGE5</STAGE><STAGE>SLIDER_DPI_MULTI_X_STAGE1</STAGE></STAGES>\n"
    "   <SBMN>thumb.bmp</SBMN><SBMO>thumbhot.bmp</SBMO><RECT left=\"20\" top=\"40\" right=\"310\" bottom=\"10\"/>\n"
    "  </HSLIDERM>\n"
    "  <HSLIDERM name=\"SLIDER_DPI_MULTI_X\" trackid=\"BITMAP_SENSWINDOW1\" interactive=\"y\" loffset=\"40\" "
    "roffset=\"0\"><STAGES><STAGE>SLIDER_DPI_MULTI_Y_STAGE1</STAGE></STAGES>\n"
    "   <SBMN>thumb.bmp</SBMN><RECT left=\"20\" top=\"60\" right=\"310\" bottom=\"10\"/></HSLIDERM>\n"
    "  <HSLIDERM name=\"SLIDER_DPI_MULTI_Y\" trackid=\"BITMAP_SENSWINDOW1\" interactive=\"1\">"
    "<STAGES><STAGE>SLIDER_DPI_MULTI_Y_STAGE2</STAGE></STAGES>\n"
    "   <SBMN>thumb.bmp</SBMN><RECT left=\"20\" top=\"80\" right=\"0\" bottom=\"10\"/></HSLIDERM>\n"
    "  <HSLIDERM name=\"SLIDER_SCROLL\"><SBMN>thumb.bmp</SBMN></HSLIDERM>\n"
    " </SLIDERLIST>\n";

TEST_F(SliderTest, AVerticalSliderReportsAHundredAtTheTopAndNothingAtTheBottom)
{
    Write(L"skins\\vthumb.bmp", SolidBmpFile(20, 10, kRed));
    LoadItems(" <SLIDERLIST>\n"
              "  <VSLIDER name=\"SLIDER_SENSITIVITY\" file=\" vthumb.bmp \"><RECT right=\"20\" bottom=\"110\"/></VSLIDER>\n"
              "  <VSLIDER name=\"SLIDER_DOUBLECLICK\" file=\"vthumb.bmp\"><RECT left=\"100\" right=\"20\" bottom=\"10\"/>"
              "</VSLIDER>\n"
              " </SLIDERLIST>\n");
    auto* slider = Item<CVertSlider>(L"SLIDER_SENSITIVITY");
    ASSERT_NE(nullptr, slider);
    EXPECT_EQ(SkinItemType::VertSlider, slider->m_type);
    EXPECT_TRUE(PumpUntil([&] { return ::GetPixel(CClientDC(slider->m_hWnd), 5, 5) == kRed; }));

    slider->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    slider->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 500));
    RECT rc = {};
    slider->GetWindowRect(&rc);
    EXPECT_EQ(10, rc.bottom - rc.top) << "dragged, the window is the thumb";
    slider->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    slider->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    slider->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, -500));
    slider->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

    // A track no taller than its thumb has no positions: the click is refused.
    auto* flat = Item<CVertSlider>(L"SLIDER_DOUBLECLICK");
    ASSERT_NE(nullptr, flat);
    ExpectClickRefused(*flat);

    ASSERT_TRUE(m_panel.Drain());
    EXPECT_EQ((std::vector<WPARAM>{0, 100}), Posted(WM_SLIDER_POSCHANGED, m_panel, Id(L"SLIDER_SENSITIVITY")));
    EXPECT_TRUE(Posted(WM_SLIDER_POSCHANGED, m_panel, Id(L"SLIDER_DOUBLECLICK")).empty());
}

TEST_F(SliderTest, AStageThumbReleasedWhereItWasDraggedReportsTheValueTheDragShowed)
{
    LoadItems(kMultiSliders);
    auto* container = Item<CBitmapItem>(L"BITMAP_SENSWINDOW1");
    auto* slider = Item<CSliderHMulti>(L"SLIDER_DPI_MULTI");
    ASSERT_NE(nullptr, slider);
    EXPECT_EQ(nullptr, Item<CSliderHMulti>(L"SLIDER_SCROLL")) << "a slider without stages";
    ASSERT_EQ(5u, slider->m_thumbs.size()) << "a sixth stage is ignored";
    CPHSlider& first = *slider->m_thumbs[0];
    CPHSlider& second = *slider->m_thumbs[1];
    EXPECT_EQ(3, first.m_value);
    EXPECT_EQ(7, slider->m_thumbs[4]->m_value);
    EXPECT_EQ(15, LeftInParent(first));
    EXPECT_EQ(L"Tip", second.m_toolTip.GetText(second.m_hWnd, 1));

    // Past the right end: the drag shows 32, and the release must not make it 31.
    Drag(first, 20, 400);
    EXPECT_EQ(305, LeftInParent(first));
    // Cut to [4, 10], a drag to the far left stops at 4.
    second.SetCapRange(4, 10);
    second.SetValue(8);
    Drag(second, 75, -100);

    // With the track's first 40 pixels kept free, the far left is below the range: the low end.
    auto* offset = Item<CSliderHMulti>(L"SLIDER_DPI_MULTI_X");
    ASSERT_NE(nullptr, offset);
    Drag(*offset->m_thumbs[0], 25, -100);
    EXPECT_EQ(1, offset->m_thumbs[0]->m_value);
    offset->m_thumbs[0]->SetValue(10);
    offset->m_thumbs[0]->SetValue(-5);
    EXPECT_EQ(1, offset->m_thumbs[0]->m_value);
    EXPECT_EQ(-5, LeftInParent(*offset->m_thumbs[0])) << "at the track's left end";

    ASSERT_TRUE(m_panel.Drain());
    // Posted once to the container the slider was created in, which is also its parent.
    EXPECT_EQ((std::vector<WPARAM>{32, 32}), Posted(WM_SLIDER_POSCHANGED, *container, Id(L"SLIDER_DPI_MULTI_STAGE1")));
    EXPECT_EQ((std::vector<WPARAM>{4, 4}), Posted(WM_SLIDER_POSCHANGED, *container, Id(L"SLIDER_DPI_MULTI_STAGE2")));
    const std::vector<WPARAM> low = Posted(WM_SLIDER_POSCHANGED, *container, Id(L"SLIDER_DPI_MULTI_Y_STAGE1"));
    ASSERT_FALSE(low.empty());
    EXPECT_EQ(1u, low.back());
}

TEST_F(SliderTest, ATrackClickMovesOnlyTheFirstThumbAndAZeroWidthSliderRefusesClicks)
{
    LoadItems(kMultiSliders);
    auto* container = Item<CBitmapItem>(L"BITMAP_SENSWINDOW1");
    auto* slider = Item<CSliderHMulti>(L"SLIDER_DPI_MULTI");
    ASSERT_NE(nullptr, slider);
    slider->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
    EXPECT_EQ(11, slider->m_thumbs[0]->m_value);
    EXPECT_EQ(4, slider->m_thumbs[1]->m_value);

    auto* flat = Item<CSliderHMulti>(L"SLIDER_DPI_MULTI_Y");
    ASSERT_NE(nullptr, flat);
    ExpectClickRefused(*flat->m_thumbs[0]);
    flat->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(0, 5));

    ASSERT_TRUE(m_panel.Drain());
    EXPECT_EQ((std::vector<WPARAM>{11}), Posted(WM_SLIDER_POSCHANGED, *container, Id(L"SLIDER_DPI_MULTI_STAGE1")));
    EXPECT_TRUE(Posted(WM_SLIDER_POSCHANGED, *container, Id(L"SLIDER_DPI_MULTI_Y_STAGE2")).empty());
}

TEST_F(SliderTest, EveryHoveredThumbLosesItsHotLookWhenThePointerLeaves)
{
    LoadItems(kMultiSliders);
    auto* slider = Item<CSliderHMulti>(L"SLIDER_DPI_MULTI");
    ASSERT_NE(nullptr, slider);
    CPHSlider& first = *slider->m_thumbs[0];
    CPHSlider& second = *slider->m_thumbs[1];
    // The pointer crosses both thumbs before the first one hears that it left, then leaves the panel.
    for (CPHSlider* thumb : {&first, &second}) {
        POINT over = {5, 5};
        ::ClientToScreen(*thumb, &over);
        ::SetCursorPos(over.x, over.y);
        thumb->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    }
    EXPECT_TRUE(first.m_hover && second.m_hover);
    ::SetCursorPos(1, 1);
    EXPECT_TRUE(PumpUntil([&] { return !first.m_hover && !second.m_hover; }))
        << "still hot: first " << first.m_hover << ", second " << second.m_hover;
}

TEST_F(SliderTest, AMultiStageSliderBlendsItsPictureOverTheBandsAndReportsTheBandClicked)
{
    Write(L"skins\\stage.bmp", MakeBmpFile(10, 20, [](int x, int y) { return x + y == 0 ? kWhite : kBlue; }));
    LoadItems(" <BITMAPLIST><BITMAPITEM name=\"BITMAP_APM_SLIDER\"><SBMN>picture.bmp</SBMN>"
              "<RECT left=\"0\" top=\"100\" right=\"380\" bottom=\"60\"/></BITMAPITEM></BITMAPLIST>\n"
              " <SLIDERLIST>\n"
              "  <HSLIDERMAPM name=\"SLIDER_APM_MULTI\" trackid=\"BITMAP_APM_SLIDER\"><SBMN>stage.bmp</SBMN>"
              "<RECT left=\"10\" top=\"10\" right=\"310\" bottom=\"20\"/></HSLIDERMAPM>\n"
              "  <HSLIDERMAPM name=\"SLIDER_ID_SPEED\" trackid=\"BITMAP_APM_SLIDER\">"
              "<RECT left=\"10\" top=\"40\" right=\"0\" bottom=\"20\"/></HSLIDERMAPM>\n"
              " </SLIDERLIST>\n");
    auto* container = Item<CBitmapItem>(L"BITMAP_APM_SLIDER");
    auto* slider = Item<CAPMSlider>(L"SLIDER_APM_MULTI");
    ASSERT_NE(nullptr, slider);
    auto render = [&] {
        CBitmap target = MakeDib(310, 20);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        {
            CSelectObject select(dc, target);
            slider->Draw(dc, RECT{0, 0, 310, 20});
        }
        return ReadPixels(target);
    };
    // Without stages: one black band under the white picture at alpha 50.
    EXPECT_TRUE(Near(RGB(50, 50, 50), render()[5 * 310 + 150]));
    slider->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(250, 5));

    const int stageIds[] = {Id(L"SLIDER_APM_MULTI_STAGE1"), Id(L"SLIDER_APM_MULTI_STAGE2"),
                            Id(L"SLIDER_DPI_MULTI_STAGE1")};
    ASSERT_NE(nullptr, slider->AddStage(stageIds[0], 8, kRed));
    ASSERT_NE(nullptr, slider->AddStage(stageIds[1], 16, kGreen));
    ASSERT_NE(nullptr, slider->AddStage(stageIds[2], 24, kBlue));
    // Only two colours for four bands: the last two are black, not whatever lies past the list.
    slider->m_colours = {kRed, kGreen};
    std::vector<COLORREF> look = render();
    EXPECT_TRUE(Near(RGB(255, 50, 50), look[5 * 310 + 2]));
    EXPECT_TRUE(Near(RGB(50, 255, 50), look[5 * 310 + slider->BandX(12)]));
    EXPECT_TRUE(Near(RGB(50, 50, 50), look[5 * 310 + slider->BandX(20)]));
    EXPECT_TRUE(Near(RGB(50, 50, 50), look[5 * 310 + 308]));
    // x 190 is the value 20: past the stages at 8 and 16.
    slider->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(190, 5));

    // A stage moved is kept between its neighbours, and its notification is passed on.
    slider->SetTickerCapRanges();
    CPHSlider& middle = *slider->m_stages[1];
    middle.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    middle.SendMessage(WM_LBUTTONUP, 0, AtParentX(middle, 300));

    auto* flat = Item<CAPMSlider>(L"SLIDER_ID_SPEED");
    ASSERT_NE(nullptr, flat);
    flat->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(0, 5));

    ASSERT_TRUE(m_panel.Drain());
    EXPECT_EQ((std::vector<WPARAM>{0, 2}), Posted(WM_APMSTAGE_CLICKED, *container, Id(L"SLIDER_APM_MULTI")));
    EXPECT_EQ((std::vector<WPARAM>{24}), Posted(WM_SLIDER_POSCHANGED, *container, stageIds[1]));
    EXPECT_TRUE(Posted(WM_APMSTAGE_CLICKED, *container, Id(L"SLIDER_ID_SPEED")).empty());
}

TEST_F(SliderTest, ALevelMarkerReportsTheValueUnderTheReleaseAndShowsItsMarkUpToIt)
{
    Write(L"skins\\back.bmp", SolidBmpFile(400, 300, kGreen));
    Write(L"skins\\mark.bmp", SolidBmpFile(400, 300, kRed));
    LoadItems(" <SLIDERLIST>\n"
              "  <DMARKER name=\"SLIDER_ID_ACCEL\"><SBMN>back.bmp</SBMN><MARK>mark.bmp</MARK>"
              "<RECT left=\"20\" top=\"200\" right=\"100\" bottom=\"10\"/></DMARKER>\n"
              "  <DMARKER name=\"SLIDER_ID_ACCELDISB\"><RECT left=\"20\" top=\"220\" right=\"0\" bottom=\"10\"/>"
              "</DMARKER>\n"
              " </SLIDERLIST>\n");
    auto* marker = Item<CDMarker>(L"SLIDER_ID_ACCEL");
    ASSERT_NE(nullptr, marker);
    EXPECT_EQ(SkinItemType::DMarker, marker->m_type);
    marker->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(-10, 5));
    marker->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(150, 5));
    marker->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(50, 5));
    EXPECT_TRUE(PumpUntil([&] {
        CClientDC dc(marker->m_hWnd);
        return ::GetPixel(dc, 49, 5) == kRed && ::GetPixel(dc, 50, 5) == kGreen;
    }));

    auto* flat = Item<CDMarker>(L"SLIDER_ID_ACCELDISB");
    ASSERT_NE(nullptr, flat);
    ExpectClickRefused(*flat);

    ASSERT_TRUE(m_panel.Drain());
    EXPECT_EQ((std::vector<WPARAM>{0, 10, 5}), Posted(WM_DMARKER_MOVED, m_panel, Id(L"SLIDER_ID_ACCEL")));
    EXPECT_TRUE(Posted(WM_DMARKER_MOVED, m_panel, Id(L"SLIDER_ID_ACCELDISB")).empty());
}

TEST_F(SliderTest, AMarkerLeavesTheMouseWithTheWindowThatTookItDuringADrag)
{
    LoadItems(" <SLIDERLIST><DMARKER name=\"SLIDER_ID_ACCEL\"><RECT left=\"20\" top=\"200\" right=\"100\" "
              "bottom=\"10\"/></DMARKER></SLIDERLIST>\n");
    auto* marker = Item<CDMarker>(L"SLIDER_ID_ACCEL");
    ASSERT_NE(nullptr, marker);
    marker->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    ASSERT_EQ(marker->m_hWnd, ::GetCapture());
    marker->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 5));
    EXPECT_EQ(3, marker->m_value);

    ::SetCapture(m_panel);  // as a popup opening over the drag would
    EXPECT_EQ(m_panel.m_hWnd, ::GetCapture());
    marker->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
    EXPECT_EQ(m_panel.m_hWnd, ::GetCapture());
}

} // namespace
