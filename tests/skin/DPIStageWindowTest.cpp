// The stage tiles, loaded from skin files: their numbers, selection by click, and what they paint.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SkinWidgetTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/DPIStageWindow.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kGreen = RGB(0, 200, 0);

// Tiles of 100 x 80 whose frame is blue and whose value window, at {20, 50, 80, 70}, is green.
const char kTiles[] =
    " <DPISTAGELIST>\n"
    "  <DPISTAGEWINDOW name=\"DPISTAGEWINDOW_01\"><RECT right=\"100\" bottom=\"80\"/></DPISTAGEWINDOW>\n"
    "  <DPISTAGEWINDOW name=\"NO_SUCH_TILE\"><RECT right=\"100\" bottom=\"80\"/></DPISTAGEWINDOW>\n"
    "  <DPISTAGEWINDOW name=\"DPISTAGEWINDOW_03\">\n"
    "   <RECT left=\"120\" right=\"100\" bottom=\"80\"/>\n"
    "   <BMPINFO name=\"dpiframe\"><BMPDATA>frame.bmp</BMPDATA><BMPMASK>none.bmp</BMPMASK>"
    "<RECT right=\"100\" bottom=\"80\"/></BMPINFO>\n"
    "   <BMPINFO name=\"DPIWIN\"><BMPDATA>window.bmp</BMPDATA><RECT left=\"20\" top=\"50\" right=\"60\" bottom=\"20\"/>"
    "</BMPINFO>\n"
    "   <BMPINFO name=\"OTHER\"><BMPDATA>window.bmp</BMPDATA><RECT right=\"100\" bottom=\"80\"/></BMPINFO>\n"
    "   <TEXTAREA name=\"Heading\" textkey=\"$Stage\"><RECT right=\"100\" bottom=\"48\"/></TEXTAREA>\n"
    "   <TEXTAREA name=\"DPI\" textkey=\"dpi\"><RECT left=\"0\" top=\"50\" right=\"20\" bottom=\"20\"/></TEXTAREA>\n"
    "  </DPISTAGEWINDOW>\n"
    " </DPISTAGELIST>\n";

class DPIStageWindowTest : public SkinWidgetTest {
protected:
    void SetUp() override
    {
        SkinWidgetTest::SetUp();
        Write(L"skins\\frame.bmp", SolidBmpFile(100, 80, kBlue));
        Write(L"skins\\window.bmp", SolidBmpFile(60, 20, kGreen));
    }

    // The rows of the heading area (top 48 rows) that hold text drawn over the blue frame.
    static int TextRows(CDPIStageWindow& tile)
    {
        CBitmap target = MakeDib(100, 80);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        {
            CSelectObject select(dc, target);
            tile.Draw(dc);
        }
        const std::vector<COLORREF> pixels = ReadPixels(target);
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < 48; ++y) {
            if (std::any_of(pixels.begin() + y * 100, pixels.begin() + (y + 1) * 100,
                            [](COLORREF c) { return c != kBlue; })) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
        return top < 0 ? 0 : bottom - top + 1;
    }
};

TEST_F(DPIStageWindowTest, TheThirdTileOfAListSendsItsNumberOnItsFirstClickOnly)
{
    LoadItems(kTiles);
    auto* tile = Item<CDPIStageWindow>(L"DPISTAGEWINDOW_03");
    ASSERT_NE(nullptr, tile);
    EXPECT_EQ(SkinItemType::DpiStageWindow, tile->m_type);
    EXPECT_EQ(1, Item<CDPIStageWindow>(L"DPISTAGEWINDOW_01")->m_stageNumber);
    EXPECT_EQ(3, tile->m_stageNumber) << "a skipped element still counts";

    tile->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(tile->m_hWnd, ::GetFocus());
    tile->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(m_panel.Drain());
    const Notification click = {m_panel, WM_DPISTAGE_CLICKED, 3, FindSkinResourceId(L"DPISTAGEWINDOW_03")};
    EXPECT_EQ((std::vector<Notification>{click}), m_panel.Of(WM_DPISTAGE_CLICKED));
}

TEST_F(DPIStageWindowTest, AHeadingWithALineBreakIsDrawnOnTwoLines)
{
    auto* table = new CLangTable();
    table->m_pairs = {{L"Stage", L"Stage\\none"}, {L"Single", L"Stage one"}};
    m_languages.push_back(table);
    SetCurrentLangTable(table);
    LoadItems(kTiles);
    auto* tile = Item<CDPIStageWindow>(L"DPISTAGEWINDOW_03");
    ASSERT_NE(nullptr, tile);
    tile->m_shown = 1;

    tile->SetHeading(L"$Single");
    const int oneLine = TextRows(*tile);
    ASSERT_GT(oneLine, 4);
    // Upper case must not turn the break into "\N".
    tile->m_capsMode = 1;
    tile->SetHeading(L"$Stage");
    EXPECT_EQ(L"STAGE\r\nONE", tile->m_heading);
    EXPECT_GT(TextRows(*tile), oneLine * 3 / 2);
}

TEST_F(DPIStageWindowTest, AHiddenTileShowsOnlyABlackFrameAndAShownOneItsPictures)
{
    LoadItems(kTiles);
    auto* tile = Item<CDPIStageWindow>(L"DPISTAGEWINDOW_03");
    ASSERT_NE(nullptr, tile);
    auto pixelsAre = [&](COLORREF frame, COLORREF window) {
        return PumpUntil([&] {
            CClientDC dc(tile->m_hWnd);
            return ::GetPixel(dc, 95, 5) == frame && ::GetPixel(dc, 22, 52) == window;
        });
    };
    EXPECT_TRUE(pixelsAre(kBlack, kBlack));

    tile->m_shown = 1;
    tile->m_dpiValue = 800;
    tile->Invalidate();
    EXPECT_TRUE(pixelsAre(kBlue, kGreen));
    EXPECT_EQ(L"800", tile->m_dpiText);

    tile->m_shown = 0;
    tile->Invalidate();
    EXPECT_TRUE(pixelsAre(kBlack, kBlack));
}

} // namespace
