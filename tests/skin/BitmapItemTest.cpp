// The bitmap item and the assignment display: containers passing their children's commands to the
// panel, images and window shapes from the skin, the display's frame, key picture, separator, icon
// and caption, and both read from their elements.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "SkinWidgetTestSupport.h"
#include "skin/BitmapBtn.h"
#include "skin/BitmapItem.h"
#include "skin/BitmapWnd.h"
#include "skin/FontItem.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kNearWhite = RGB(254, 254, 254);

// The display of most tests: 100 x 120 with a 90 x 110 frame image, so the content is {10, 10, 90, 110}
// and the picture above the assignment strip {10, 10, 90, 72}.
constexpr int kWidth = 100;
constexpr int kHeight = 120;

::testing::AssertionResult SameRect(const RECT& expected, const RECT& actual)
{
    if (EqualRect(&expected, &actual))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got {" << actual.left << ", " << actual.top << ", " << actual.right
                                         << ", " << actual.bottom << "}";
}

class BitmapItemTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(m_panel.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 40, 40, 320, 240, nullptr,
                                     nullptr));
    }
    void TearDown() override
    {
        m_display.reset();
        DeleteSkinItems(m_list);
        m_panel.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    void MakeDisplay()
    {
        m_display = std::make_unique<CBitmapWindow>();
        ASSERT_TRUE(m_display->Create(CBitmapItem::WindowClass(), L"", WS_CHILD | WS_VISIBLE,
                                      RECT{0, 0, kWidth, kHeight}, m_panel, static_cast<UINT>(-1)));
        m_frame = SolidDib(kWhite, kWidth - 10, kHeight - 10);
        m_normal = SolidDib(kBlue, kWidth, kHeight);
        m_over = SolidDib(kYellow, kWidth, kHeight);
        m_selected = SolidDib(kMagenta, kWidth, kHeight);
    }

    // The display's look, drawn into a bitmap.
    std::vector<COLORREF> Render()
    {
        CBitmap target = SolidDib(kWhite, kWidth, kHeight);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        {
            CSelectObject select(dc, target);
            m_display->Draw(dc);
        }
        return ReadPixels(target);
    }
    static COLORREF At(const std::vector<COLORREF>& pixels, int x, int y)
    {
        return pixels.at(static_cast<size_t>(y) * kWidth + x);
    }
    // The box of the pixels of one colour; left > right when there are none.
    static RECT Box(const std::vector<COLORREF>& pixels, COLORREF colour)
    {
        RECT box = {kWidth, kHeight, -1, -1};
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (At(pixels, x, y) != colour)
                    continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
        return box;
    }

    CRecordingParent m_panel;
    std::unique_ptr<CBitmapWindow> m_display;
    CBitmap m_frame, m_normal, m_over, m_selected;
};

TEST_F(BitmapItemTest, TheFrameSurroundsABlackContentAndCaptionsPickTheLook)
{
    MakeDisplay();
    m_display->LoadImages(&m_frame, &m_normal, &m_over, nullptr, nullptr);
    EXPECT_TRUE(SameRect(RECT{10, 10, 90, 110}, m_display->m_contentRect));

    std::vector<COLORREF> look = Render();
    EXPECT_EQ(kBlue, At(look, 5, 5)) << "no caption: the normal image";
    EXPECT_EQ(kBlack, At(look, 89, 109));
    EXPECT_EQ(kBlue, At(look, 90, 60));

    m_display->SetCaption(L"Key");
    EXPECT_EQ(kYellow, At(Render(), 5, 5)) << "a caption shows the over image";
    m_display->m_selected = 1;
    EXPECT_EQ(kYellow, At(Render(), 5, 5)) << "selected without a selected image";
    m_display->LoadImages(&m_frame, nullptr, nullptr, &m_selected, nullptr);
    EXPECT_EQ(kMagenta, At(Render(), 5, 5));
    // A frame image that could not be loaded leaves no frame, not an inside-out content area.
    m_display->LoadImages(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(SameRect(RECT{0, 0, kWidth, kHeight}, m_display->m_contentRect));
    m_display->LoadImages(&m_frame, nullptr, nullptr, nullptr, nullptr);

    // Captions are translated and cased, and frozen while a key is selected.
    auto* table = new CLangTable();
    table->m_pairs = {{L"Macro", L"Makro\\nneu\\nalt"}};
    m_languages.push_back(table);
    SetCurrentLangTable(table);
    m_display->m_selected = 0;
    m_display->m_caps = 1;
    m_display->SetCaption(L"$Macro");
    EXPECT_EQ(L"MAKRO\r\nNEU\\NALT", m_display->m_caption) << "only the first break, and not lost to the case";
    m_display->m_caps = 2;
    m_display->SetCaption(L"$Gone");
    EXPECT_EQ(L"$gone", m_display->m_caption);

    m_display->m_selected = 1;
    m_display->SetCaption(L"$Macro");
    EXPECT_EQ(L"$gone", m_display->m_caption);
}

TEST_F(BitmapItemTest, TheSelectedKeyIsShownCentredAmongItsNeighbours)
{
    MakeDisplay();
    m_display->LoadImages(&m_frame, &m_normal, nullptr, nullptr, nullptr);
    // The keyboard is green left of the key's centre (x 210) and red right of it; the pressed key cyan.
    CBitmap keyboard = MakeDib(400, 200, [] {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x)
                pixels.push_back(x < 210 ? kGreen : kRed);
        return pixels;
    }());
    CBitmap pressed = SolidDib(kCyan, 400, 200);
    StateBitmaps key;
    key.normal = &keyboard;
    key.pressed = &pressed;
    key.rect = {200, 100, 220, 120};
    m_display->m_keyPicture = &key;

    std::vector<COLORREF> look = Render();
    // Picture area {10, 10, 90, 72}: the key's centre in its middle, the pressed key 20 x 20 over it.
    EXPECT_EQ(kGreen, At(look, 49, 12));
    EXPECT_EQ(kRed, At(look, 50, 12));
    EXPECT_EQ(kBlack, At(look, 50, 72)) << "the assignment strip stays black";
    EXPECT_TRUE(SameRect(RECT{40, 31, 60, 51}, Box(look, kCyan)));

    // A key wider than the content gives up the excess on each side, and one taller than the picture
    // likewise.
    key.rect = {100, 50, 200, 130};
    look = Render();
    EXPECT_TRUE(SameRect(RECT{20, 19, 80, 63}, Box(look, kCyan)));

    key.pressed = nullptr;
    EXPECT_LT(Box(Render(), kCyan).right, 0) << "no pressed image, no key on top";
}

TEST_F(BitmapItemTest, TheAssignmentStripShowsTheKindsIconBesideTheCaption)
{
    Write(L"skins\\icon_asskey_macro.bmp", SolidBmpFile(16, 16, kRed));
    Write(L"skins\\icon_asskey_app.bmp", SolidBmpFile(16, 16, kBlue));
    Write(L"skins\\icon_asskey_default.bmp", SolidBmpFile(16, 16, kYellow));
    MakeDisplay();
    m_display->LoadImages(&m_frame, nullptr, nullptr, nullptr, nullptr);
    m_display->SetCaption(L"MM");

    // Nothing until the configurator asks for it.
    EXPECT_LT(Box(Render(), kGreen).right, 0);
    m_display->m_showAssignment = 1;
    m_display->m_assignmentKind = 7;
    std::vector<COLORREF> look = Render();
    EXPECT_TRUE(SameRect(RECT{10, 73, 90, 74}, Box(look, kGreen))) << "the separator";
    const RECT icon = Box(look, kRed);
    EXPECT_EQ(16, icon.right - icon.left);
    EXPECT_GT(icon.top, 73);
    EXPECT_LE(icon.bottom, 110);
    const RECT text = Box(look, kNearWhite);
    ASSERT_LT(text.left, text.right) << "the caption in near-white";
    EXPECT_GE(text.left, icon.right);
    // Icon and caption together are centred in the content.
    EXPECT_LE(std::abs((icon.left - 10) - (90 - text.right)), 4);

    m_display->m_assignmentKind = 63;
    EXPECT_EQ(16, Box(Render(), kBlue).right - Box(Render(), kBlue).left);
    m_display->m_assignmentKind = 0;
    EXPECT_EQ(16, Box(Render(), kYellow).right - Box(Render(), kYellow).left);

    // No icon file for the kind: the caption alone, from the content's left, in the set colour.
    m_display->m_assignmentKind = 5;
    m_display->m_textColour = kCyan;
    look = Render();
    EXPECT_LT(Box(look, kRed).right, 0);
    const RECT alone = Box(look, kCyan);
    ASSERT_LT(alone.left, alone.right);
    EXPECT_LT(alone.left, 16);
    EXPECT_GT(alone.top, 73);
}

TEST_F(BitmapItemTest, CommandsOfChildrenReachThePanelPosted)
{
    WriteXml(L"container.xml",
             "<ITEMLIST>\n"
             " <BITMAPLIST><BITMAPITEM name=\"BITMAP_KELDAN\"><RECT left=\"100\" top=\"0\" right=\"120\" "
             "bottom=\"100\"/></BITMAPITEM></BITMAPLIST>\n"
             " <BUTTONLIST><BUTTON name=\"BUTTON_OK\" ischeckbox=\"1\" windowid=\"BITMAP_KELDAN\">"
             "<RECT left=\"5\" top=\"5\" right=\"20\" bottom=\"20\"/></BUTTON></BUTTONLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"container.xml", &m_panel);
    ASSERT_EQ(2u, m_list.size());
    auto* container = dynamic_cast<CBitmapItem*>(m_list[0]);
    auto* button = dynamic_cast<CBitmapBtn*>(m_list[1]);
    ASSERT_NE(nullptr, container);
    ASSERT_NE(nullptr, button);
    ASSERT_EQ(container->m_hWnd, button->GetParent());

    button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(m_panel.commands.empty()) << "posted, not sent";
    const std::pair<WPARAM, HWND> click(MAKEWPARAM(0, BN_CLICKED), button->m_hWnd);
    ASSERT_TRUE(PumpUntil([&] { return !m_panel.commands.empty(); }));
    EXPECT_EQ(click, m_panel.commands.front());

    // The assignment display passes commands on the same way.
    MakeDisplay();
    m_display->SendMessage(WM_COMMAND, MAKEWPARAM(7, 3), 0);
    ASSERT_TRUE(PumpUntil([&] { return m_panel.commands.size() == 2; }));
    EXPECT_EQ((std::pair<WPARAM, HWND>(MAKEWPARAM(7, 3), nullptr)), m_panel.commands.back());
}

TEST_F(BitmapItemTest, ElementsBuildItemsAndDisplays)
{
    Write(L"skins\\picture.bmp", MakeBmpFile(60, 40, [](int x, int y) { return x < 40 && y < 30 ? kRed : kBlue; }));
    Write(L"skins\\frame.bmp", SolidBmpFile(kWidth - 10, kHeight - 10, kWhite));
    Write(L"skins\\normal.bmp", SolidBmpFile(kWidth, kHeight, kGreen));
    // White is outside the window: the left half of a mask.
    Write(L"skins\\mask.bmp", MakeBmpFile(kWidth, kHeight, [](int x, int) { return x < 20 ? kWhite : kBlack; }));
    WriteXml(L"elements.xml",
             "<ITEMLIST>\n"
             " <FONTLIST><FONT name=\"FONT_ARIAL10\" typeface=\"Arial\" pitch=\"10\"/></FONTLIST>\n"
             " <BITMAPLIST>\n"
             "  <BITMAPITEM name=\"NO_SUCH_ITEM\"><SBMN>picture.bmp</SBMN></BITMAPITEM>\n"
             "  <BITMAPITEM name=\"BITMAP_KELDAN\"><SBMN>picture.bmp</SBMN><SBMM>mask.bmp</SBMM>"
             "<RECT left=\"200\" top=\"0\" right=\"40\" bottom=\"30\"/></BITMAPITEM>\n"
             "  <BITMAPITEM name=\"BITMAP_MECHKBD\"><SBMN>picture.bmp</SBMN>"
             "<RECT left=\"250\" top=\"0\" right=\"40\" bottom=\"30\"/></BITMAPITEM>\n"
             "  <BITMAPWINDOW name=\"TEXT_LOGO\"><SBMN>normal.bmp</SBMN>"
             "<RECT right=\"100\" bottom=\"120\"/></BITMAPWINDOW>\n"
             "  <BITMAPWINDOW name=\"BITMAPWIN_ASSIGNKEY\" caps=\"U\" justify=\"C\" fontid=\"FONT_ARIAL10\"\n"
             "                fontclr=\"RED\" tooltip=\"Tip\\nhere\">\n"
             "   <SBMDS>frame.bmp</SBMDS><SBMN>normal.bmp</SBMN><SBMM>mask.bmp</SBMM>\n"
             "   <RECT left=\"0\" top=\"0\" right=\"100\" bottom=\"120\"/>\n"
             "  </BITMAPWINDOW>\n"
             " </BITMAPLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"elements.xml", &m_panel);
    ASSERT_EQ((std::vector<int>{SkinItemType::Font, SkinItemType::BitmapItem, SkinItemType::BitmapItem,
                                SkinItemType::BitmapWindow}),
              Types(m_list))
        << "an unknown name and a display without frame image are skipped";

    // A shaped item: only found by its id, its window field is 0.
    auto* item = dynamic_cast<CBitmapItem*>(m_list[1]);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(FindSkinResourceId(L"BITMAP_KELDAN"), item->m_id);
    EXPECT_EQ(nullptr, item->m_window);
    EXPECT_EQ(nullptr, FindItemByHwnd(m_list, item->m_hWnd));
    EXPECT_EQ(-1, item->GetDlgCtrlID());
    EXPECT_EQ(40, item->m_image.GetSize().cx);
    EXPECT_EQ(30, item->m_image.GetSize().cy);
    EXPECT_EQ(kRed, PixelAt(item->m_image, 39, 29));
    CRgn itemRegion;
    itemRegion.CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(*item, itemRegion));
    EXPECT_FALSE(itemRegion.PtInRegion(10, 10));
    EXPECT_TRUE(itemRegion.PtInRegion(30, 10));

    // Without a mask the item still shows its image.
    auto* plain = dynamic_cast<CBitmapItem*>(m_list[2]);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(kRed, PixelAt(plain->m_image, 0, 0));
    ::InvalidateRect(plain->m_hWnd, nullptr, TRUE);

    auto* display = dynamic_cast<CBitmapWindow*>(m_list[3]);
    ASSERT_NE(nullptr, display);
    EXPECT_EQ(FindSkinResourceId(L"BITMAPWIN_ASSIGNKEY"), display->m_id);
    EXPECT_EQ(display->m_hWnd, display->m_window);
    EXPECT_EQ(display, FindItemByHwnd(m_list, display->m_hWnd));
    EXPECT_EQ(-1, display->GetDlgCtrlID());
    EXPECT_TRUE(SameRect(RECT{10, 10, 90, 110}, display->m_contentRect));
    EXPECT_EQ(kWidth, display->m_bmpNormal.GetSize().cx);
    EXPECT_TRUE(display->m_bmpOver.IsNull());
    EXPECT_EQ(1, display->m_caps);
    EXPECT_EQ(static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE), display->m_drawTextFormat);
    EXPECT_EQ(static_cast<CFont*>(dynamic_cast<CFontItem*>(m_list[0])), display->m_font);
    EXPECT_EQ(kRed, display->m_textColour);
    ASSERT_NE(nullptr, display->m_toolTip.m_hWnd);
    EXPECT_EQ(L"Tip here", display->m_toolTip.GetText(display->m_hWnd, 1));
    CRgn displayRegion;
    displayRegion.CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(*display, displayRegion));
    EXPECT_FALSE(displayRegion.PtInRegion(10, 10));
    EXPECT_TRUE(displayRegion.PtInRegion(50, 10));

    // Both paint their images on screen.
    display->Invalidate();
    EXPECT_TRUE(PumpUntil([&] {
        CClientDC plainDC(plain->m_hWnd);
        CClientDC displayDC(display->m_hWnd);
        return ::GetPixel(plainDC, 5, 5) == kRed && ::GetPixel(displayDC, 50, 5) == kGreen &&
               ::GetPixel(displayDC, 50, 50) == kBlack;
    }));
    EXPECT_EQ(0, display->SendMessage(WM_ERASEBKGND, 0, 0));
}

} // namespace
