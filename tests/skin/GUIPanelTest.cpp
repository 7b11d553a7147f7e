// The skinned panel: size and shape from its skin's background and mask, the background painted, a
// panel made from a rectangle, and the skin's objects across destruction and a second creation.
#include <windows.h>

#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "skin/GUIPanel.h"
#include "skin/PanelBitmap.h"
#include "skin/PopupBox.h"
#include "skin/SkinValues.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kWidth = 60;
constexpr int kHeight = 40;

// A panel that counts how often it bound its items and how many it saw then.
class CCountingPanel : public CGUIPanel {
public:
    using CGUIPanel::CGUIPanel;
    void BindSkinItems() override
    {
        ++binds;
        itemsAtBind = m_items.size();
    }
    BOOL OnInitDialog() override
    {
        BindSkinItems();
        return CGUIPanel::OnInitDialog();
    }
    int binds = 0;
    size_t itemsAtBind = 0;
};

class GUIPanelTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        m_boundBefore = CWnd::BoundWindowCount();
        SkinFolderTest::SetUp();
        // Left half red, right half blue; the mask leaves out the 10 x 10 top-left corner.
        Write(L"skins\\back.bmp", MakeBmpFile(kWidth, kHeight, [](int x, int) { return x < kWidth / 2 ? kRed : kBlue; }));
        Write(L"skins\\mask.bmp",
              MakeBmpFile(kWidth, kHeight, [](int x, int y) { return x < 10 && y < 10 ? kWhite : kBlack; }));
        Write(L"skins\\white.bmp", SolidBmpFile(kWidth, kHeight, kWhite));
    }
    void TearDown() override
    {
        SkinFolderTest::TearDown();
        EXPECT_EQ(CWnd::BoundWindowCount(), m_boundBefore) << "a window stayed bound";
    }

    void WritePanel(const std::wstring& name, const std::string& mask)
    {
        WriteXml(name, "<GUIPANEL><BACKGROUND>back.bmp</BACKGROUND>" + mask + "</GUIPANEL>");
    }

    static SIZE WindowSize(HWND wnd)
    {
        RECT rc = {};
        ::GetWindowRect(wnd, &rc);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }

private:
    size_t m_boundBefore = 0;
};

TEST_F(GUIPanelTest, SkinPanelTakesItsSizeShapeAndLookFromTheSkin)
{
    WritePanel(L"shaped.xml", "<MASK>mask.bmp</MASK>");
    CCountingPanel panel(L"shaped.xml", PopupBoxTemplate(), nullptr);
    ASSERT_TRUE(panel.Create());
    EXPECT_EQ(panel.binds, 1);
    EXPECT_EQ(panel.itemsAtBind, 2u) << "the skin is loaded before the dialog initialises";

    RECT rc = {};
    panel.GetWindowRect(&rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(WindowSize(panel).cx, kWidth);
    EXPECT_EQ(WindowSize(panel).cy, kHeight);
    EXPECT_EQ(panel.m_rect.right, kWidth);
    EXPECT_EQ(panel.m_rect.bottom, kHeight);

    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(::GetWindowRgn(panel, region), COMPLEXREGION);
    EXPECT_FALSE(region.PtInRegion(3, 3)) << "white mask pixels are outside the window";
    EXPECT_TRUE(region.PtInRegion(12, 3));
    EXPECT_TRUE(region.PtInRegion(kWidth - 1, kHeight - 1));

    panel.ShowWindow(SW_SHOWNOACTIVATE);
    panel.Invalidate(FALSE);
    panel.UpdateWindow();
    const auto pixelIs = [&](int x, int y, COLORREF colour) {
        CClientDC dc(panel);
        return ::GetPixel(dc, x, y) == colour;
    };
    EXPECT_TRUE(PumpUntil([&] { return pixelIs(15, 20, kRed) && pixelIs(kWidth - 5, 20, kBlue); }))
        << "the background is painted from its top-left corner";
    panel.DestroyWindow();
}

TEST_F(GUIPanelTest, PanelWithoutUsableMaskStaysRectangular)
{
    for (const std::string& mask : {std::string(), std::string("<MASK>white.bmp</MASK>")}) {
        SCOPED_TRACE(mask);
        WritePanel(L"plain.xml", mask);
        CCountingPanel panel(L"plain.xml", PopupBoxTemplate(), nullptr);
        ASSERT_TRUE(panel.Create());
        EXPECT_EQ(WindowSize(panel).cx, kWidth);
        EXPECT_EQ(WindowSize(panel).cy, kHeight);
        CRgn region;
        region.CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(::GetWindowRgn(panel, region), ERROR) << "no region was given to the window";
        EXPECT_EQ(panel.m_region, nullptr);
    }
}

TEST_F(GUIPanelTest, PanelWithoutBackgroundKeepsItsTemplateSize)
{
    WriteXml(L"empty.xml", "<ITEMLIST/>");
    for (const wchar_t* file : {L"empty.xml", L"missing.xml"}) {
        SCOPED_TRACE(file);
        CCountingPanel panel(file, PopupBoxTemplate(), nullptr);
        ASSERT_TRUE(panel.Create());
        const SIZE size = WindowSize(panel);
        EXPECT_GT(size.cx, 100) << "a panel nobody can see or reach would be left";
        EXPECT_GT(size.cy, 50);
        EXPECT_EQ(panel.m_rect.right, size.cx);
        EXPECT_EQ(panel.m_rect.bottom, size.cy);
        EXPECT_TRUE(panel.m_items.empty());
    }
}

TEST_F(GUIPanelTest, PanelFromRectangleHasExactlyTheRectanglesSize)
{
    CCountingPanel panel(nullptr, RECT{7, 9, 7 + 123, 9 + 45}, PopupBoxTemplate());
    ASSERT_TRUE(panel.Create());
    EXPECT_EQ(WindowSize(panel).cx, 123);
    EXPECT_EQ(WindowSize(panel).cy, 45);
    EXPECT_TRUE(panel.m_items.empty());
    EXPECT_EQ(panel.m_background, nullptr);
    // Painting a panel without a background draws nothing and must not fail.
    panel.ShowWindow(SW_SHOWNOACTIVATE);
    panel.Invalidate(TRUE);
    panel.UpdateWindow();
    EXPECT_TRUE(PumpUntil([&] { return !::GetUpdateRect(panel, nullptr, FALSE); }));
}

TEST_F(GUIPanelTest, DestroyedPanelDropsItsBitmapsButKeepsItsObjectsUntilDeleted)
{
    WritePanel(L"shaped.xml", "<MASK>mask.bmp</MASK>");
    auto* panel = new CCountingPanel(L"shaped.xml", PopupBoxTemplate(), nullptr);
    ASSERT_TRUE(panel->Create());
    ASSERT_NE(panel->m_background, nullptr);
    ASSERT_NE(panel->m_mask, nullptr);
    EXPECT_EQ(panel->m_background, FindItemById(panel->m_items, 0));
    EXPECT_EQ(panel->m_mask, FindItemById(panel->m_items, 1));

    panel->DestroyWindow();
    EXPECT_FALSE(panel->m_created);
    EXPECT_TRUE(panel->m_background->IsNull());
    EXPECT_TRUE(panel->m_mask->IsNull());
    EXPECT_EQ(panel->m_items.size(), 2u);
    delete panel;  // frees the objects; the fixture checks nothing stays bound
}

TEST_F(GUIPanelTest, PanelMadeAgainLoadsAFreshSkin)
{
    WriteXml(L"edit.xml", "<GUIPANEL><BACKGROUND>back.bmp</BACKGROUND><MASK>mask.bmp</MASK><EDITCTRLLIST>"
                          "<EDITCTRL name=\"EDITCTRL_DELAY\"><RECT left=\"5\" top=\"5\" right=\"40\" bottom=\"15\"/>"
                          "</EDITCTRL></EDITCTRLLIST></GUIPANEL>");
    CCountingPanel panel(L"edit.xml", PopupBoxTemplate(), nullptr);
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(panel.Create());
        EXPECT_EQ(panel.itemsAtBind, 3u);
        CGUIItem* edit = FindItemById(panel.m_items, 388);
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(::IsWindow(edit->m_window)) << "the items found are those of the living window";
        EXPECT_EQ(::GetParent(edit->m_window), panel.m_hWnd);
        EXPECT_FALSE(panel.m_background->IsNull());
        // The mask is given up once it made the region: the next creation must make it again.
        CRgn region;
        region.CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(::GetWindowRgn(panel, region), COMPLEXREGION) << "the panel lost its shape";
        panel.DestroyWindow();
    }
}

TEST_F(GUIPanelTest, PanelPictureThatAWidgetAlsoShowsStaysWithTheWidget)
{
    // The panel holds its background outside the cache; a widget naming the same picture has the cache's,
    // taken after the panel was made (first run) or before (second run). Shared, the panel's end would
    // blank the widget.
    WritePanel(L"plain.xml", "");
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        CCountingPanel panel(L"plain.xml", PopupBoxTemplate(), nullptr);
        ASSERT_TRUE(panel.Create());
        ASSERT_NE(panel.m_background, nullptr);
        ASSERT_FALSE(panel.m_background->IsNull());
        EXPECT_EQ(panel.m_background->GetSize().cx, kWidth);
        CBitmap* widgetPicture = ResolveSkinImage(L"back.bmp");
        ASSERT_NE(widgetPicture, nullptr);
        EXPECT_NE(static_cast<HBITMAP>(*widgetPicture), static_cast<HBITMAP>(*panel.m_background));
        panel.DestroyWindow();
        EXPECT_EQ(widgetPicture->GetSize().cx, kWidth) << "the widget's picture went with the panel";
    }
}

} // namespace
