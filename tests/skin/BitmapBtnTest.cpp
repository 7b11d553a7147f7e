// The skinned bitmap button: its look in each state, its shape, caption and tooltip texts, hover and
// capture, clicks and check boxes, blinking, and buttons read from BUTTON elements.
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
#include "skin/FontItem.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

using namespace image_button_colours;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kWidth = 40;
constexpr int kHeight = 20;

// White (outside the button) on the left half, black on the right half.
CBitmap HalfMask()
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels.push_back(x < kWidth / 2 ? kWhite : kBlack);
    return MakeDib(kWidth, kHeight, pixels);
}

class BitmapBtnTest : public ImageButtonTest<CBitmapBtn, kWidth, kHeight, 240> {
protected:
    COLORREF Look(UINT state = 0) { return Render(state)[static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2]; }

    LPARAM At(int x, int y) const { return MAKELPARAM(x, y); }
};

TEST_F(BitmapBtnTest, EachStateShowsItsImage)
{
    EXPECT_EQ(kRed, Look());
    EXPECT_EQ(kBlue, Look(ODS_SELECTED));
    EXPECT_EQ(kGrey, Look(ODS_DISABLED));
    m_button->m_hot = 1;
    EXPECT_EQ(kGreen, Look());
    m_button->m_hot = 0;
    m_button->m_hover = 1;
    EXPECT_EQ(kGreen, Look());
    m_button->m_hover = 0;

    // Selected by the program: down, unless the button is disabled.
    m_button->SetSelected(1);
    EXPECT_EQ(kBlue, Look());
    EXPECT_EQ(kGrey, Look(ODS_DISABLED));

    // A check box shows whether it is checked, even when disabled, and not whether it is pressed.
    m_button->m_isCheckBox = 1;
    EXPECT_EQ(kBlue, Look(ODS_DISABLED));
    m_button->SetSelected(0);
    EXPECT_EQ(kRed, Look(ODS_SELECTED));
    EXPECT_EQ(kGrey, Look(ODS_DISABLED));
}

TEST_F(BitmapBtnTest, TheMaskShapesTheWindowAndTheDrawing)
{
    CBitmap mask = HalfMask();
    CBitmapBtn button;
    ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | BS_OWNERDRAW,
                              RECT{60, 10, 60 + kWidth, 10 + kHeight}, m_parent, 0));
    button.LoadButtonImages(&m_normal, nullptr, nullptr, nullptr, &mask, 0, 0, kWidth, kHeight);
    EXPECT_EQ(0, button.GetStyle() & (WS_BORDER | WS_TABSTOP));

    CRgn windowRegion;
    windowRegion.CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(button, windowRegion));
    EXPECT_FALSE(windowRegion.PtInRegion(5, 5));
    EXPECT_TRUE(windowRegion.PtInRegion(kWidth - 5, 5));

    // Background where the mask is white, the image where it is black.
    CBitmap target = Solid(kYellow);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    {
        CSelectObject select(dc, target);
        DRAWITEMSTRUCT item = {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, 0, button.m_hWnd, dc, RECT{0, 0, kWidth, kHeight}, 0};
        button.DrawItem(&item);
    }
    EXPECT_EQ(kYellow, PixelAt(target, 5, 5));
    EXPECT_EQ(kRed, PixelAt(target, kWidth - 5, 5));

    // The window's region belongs to the system, which deletes it with the next one; the button's own
    // region must outlive that.
    ::SetWindowRgn(button, nullptr, FALSE);
    RECT box = {};
    EXPECT_NE(ERROR, ::GetRgnBox(button.m_region, &box));
    EXPECT_EQ(kWidth / 2, box.left);
}

TEST_F(BitmapBtnTest, TheParentsOwnerDrawRequestPaintsTheButton)
{
    m_button->Invalidate(FALSE);
    EXPECT_TRUE(PumpUntil([&] {
        CClientDC dc(m_button->m_hWnd);
        return ::GetPixel(dc, 5, 5) == kRed;
    }));
}

TEST_F(BitmapBtnTest, CaptionColoursFollowTheStateAndUnsetMeansNearWhite)
{
    m_normal = Solid(kBlack);
    m_down = Solid(kBlack);
    m_button->LoadButtonImagesNoMask(&m_normal, nullptr, &m_down, nullptr, 0, 0, kWidth, kHeight);
    m_button->SetCaption(L"MMMM", 0);
    m_button->m_drawTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    auto has = [](const std::vector<COLORREF>& pixels, COLORREF colour) {
        return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
    };
    EXPECT_TRUE(has(Render(0), RGB(254, 254, 254)));
    m_button->m_clrDown = kRed;
    m_button->m_clrNormal = kGreen;
    const std::vector<COLORREF> pressed = Render(ODS_SELECTED);
    EXPECT_TRUE(has(pressed, kRed));
    EXPECT_FALSE(has(pressed, kGreen));
    EXPECT_TRUE(has(Render(0), kGreen));
}

TEST_F(BitmapBtnTest, CaptionAndTooltipTextsAreTranslatedAndTheirBreaksHandled)
{
    CLangTable table;
    table.m_pairs = {{L"Save", L"Sichern\\nund\\nweiter"}};
    SetCurrentLangTable(&table);

    m_button->SetCaption(L"$Save", 1);
    EXPECT_EQ(L"SICHERN\r\nUND\\NWEITER", m_button->m_caption);
    m_button->SetCaption(L"One\\nTwo\\nThree", 2);
    EXPECT_EQ(L"one\r\ntwo\\nthree", m_button->m_caption);
    m_button->SetCaption(L"$Missing", 0);
    EXPECT_EQ(L"$Missing", m_button->m_caption);

    m_button->SetTooltip(L"$Save");
    EXPECT_FALSE(m_button->m_toolTip.IsWindow()) << "no tooltip window before the pointer comes";
    EXPECT_EQ(L"Sichern und weiter", ShownTooltip(*m_button));
    ASSERT_TRUE(m_button->m_toolTip.IsWindow());
    EXPECT_EQ(1, m_button->m_toolTip.GetToolCount());
    m_button->SetTooltip(L"a\\nb");
    EXPECT_EQ(1, m_button->m_toolTip.GetToolCount());
    EXPECT_EQ(L"a b", ShownTooltip(*m_button));
    SetCurrentLangTable(nullptr);
}

TEST_F(BitmapBtnTest, HoverHoldsTheCaptureUntilTheMouseMovesOntoAnotherWindow)
{
    ASSERT_NE(nullptr, ::GetActiveWindow());
    m_button->SendMessage(WM_MOUSEMOVE, 0, At(5, 5));
    EXPECT_EQ(1, m_button->m_hover);
    EXPECT_EQ(m_button->m_hWnd, ::GetCapture());
    EXPECT_EQ(kGreen, Look());

    // Still over the button: nothing changes. Over the parent with the button held: the look goes, the
    // capture stays for the press.
    m_button->SendMessage(WM_MOUSEMOVE, 0, At(kWidth - 1, kHeight - 1));
    EXPECT_EQ(1, m_button->m_hover);
    m_button->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(kWidth + 50, 5));
    EXPECT_EQ(0, m_button->m_hover);
    EXPECT_EQ(m_button->m_hWnd, ::GetCapture());
    m_button->SendMessage(WM_MOUSEMOVE, 0, At(kWidth + 50, 5));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(kRed, Look());

    // A move with the button held does not start hovering.
    m_button->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(0, m_button->m_hover);
    EXPECT_EQ(nullptr, ::GetCapture());

    // Losing the focus ends hovering.
    m_button->SendMessage(WM_MOUSEMOVE, 0, At(5, 5));
    EXPECT_EQ(1, m_button->m_hover);
    m_button->SendMessage(WM_KILLFOCUS);
    EXPECT_EQ(0, m_button->m_hover);

    // A window that takes the capture from a hovered button keeps it.
    CWnd other;
    ASSERT_TRUE(CreateChild(other, m_parent, 5));
    m_button->SendMessage(WM_MOUSEMOVE, 0, At(5, 5));
    ASSERT_EQ(m_button->m_hWnd, ::GetCapture());
    ::SetCapture(other);
    EXPECT_EQ(other.m_hWnd, ::GetCapture());
    ::ReleaseCapture();
}

TEST_F(BitmapBtnTest, ClicksNotifyTheParentOnceAndDoubleClicksNot)
{
    // A push button: the system's click, on release.
    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_TRUE(m_parent.commands.empty());
    m_button->SendMessage(WM_LBUTTONUP, 0, At(5, 5));
    m_button->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    m_button->SendMessage(WM_LBUTTONUP, 0, At(5, 5));
    const std::pair<WPARAM, HWND> click(MAKEWPARAM(0, BN_CLICKED), m_button->m_hWnd);
    EXPECT_EQ((std::vector<std::pair<WPARAM, HWND>>{click}), m_parent.commands);
    m_parent.commands.clear();

    // A check box: flips and notifies on each press.
    m_button->m_isCheckBox = 1;
    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(1, m_button->m_checked);
    m_button->SendMessage(WM_LBUTTONUP, 0, At(5, 5));
    m_button->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(1, m_button->m_checked);
    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(0, m_button->m_checked);
    EXPECT_EQ((std::vector<std::pair<WPARAM, HWND>>{click, click}), m_parent.commands);

    // Key items keep their state and still notify.
    m_button->m_toggleOnClick = 0;
    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(0, m_button->m_checked);
    EXPECT_EQ(3u, m_parent.commands.size());
}

TEST_F(BitmapBtnTest, BlinkingAlternatesImagesOverEveryStateUntilStopped)
{
    m_button->StartBlinking(20);
    EXPECT_EQ(kRed, Look(ODS_SELECTED));
    m_button->m_hover = 1;
    EXPECT_TRUE(PumpUntil([&] { return m_button->m_blinkImage == &m_button->m_bmpDown; }));
    EXPECT_EQ(kBlue, Look(ODS_DISABLED));
    EXPECT_TRUE(PumpUntil([&] { return m_button->m_blinkImage == &m_button->m_bmpNormal; }));

    m_button->StopBlinking();
    EXPECT_EQ(kGreen, Look());
    // A tick that was already on its way does not bring blinking back.
    m_button->SendMessage(WM_TIMER, CBitmapBtn::kBlinkTimer);
    EXPECT_FALSE(m_button->IsBlinking());
    EXPECT_FALSE(::KillTimer(*m_button, CBitmapBtn::kBlinkTimer));
}


class ButtonElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        RegisterSkinElementReader("BITMAPITEM", &ReadContainerStandIn<CContainerStandIn, 100, 0, 120, 100>);
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
        Write(L"skins\\normal.bmp", MakeBmpFile(60, 40, [](int x, int y) { return x < 40 && y < 30 ? kRed : kBlue; }));
        Write(L"skins\\over.bmp", SolidBmpFile(40, 30, kGreen));
        Write(L"skins\\mask.bmp", MakeBmpFile(40, 30, [](int x, int) { return x < 20 ? kWhite : kBlack; }));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        RegisterSkinElementReader("BITMAPITEM", nullptr);
        SkinFolderTest::TearDown();
    }

    CBitmapBtn* Button(int index) { return dynamic_cast<CBitmapBtn*>(m_list.at(static_cast<size_t>(index))); }

    CWnd m_parent;
};

TEST_F(ButtonElementTest, AButtonElementBuildsTheWholeButton)
{
    auto* table = new CLangTable();
    table->m_pairs = {{L"Ok", L"weiter\\njetzt"}};
    m_languages.push_back(table);
    SetCurrentLangTable(table);
    WriteXml(L"buttons.xml",
             "<ITEMLIST>\n"
             " <FONTLIST><FONT name=\"FONT_ARIAL10\" typeface=\"Arial\" pitch=\"10\"/></FONTLIST>\n"
             " <BUTTONLIST>\n"
             "  <BUTTON name=\"NO_SUCH_BUTTON\"><RECT left=\"1\" top=\"1\" right=\"5\" bottom=\"5\"/></BUTTON>\n"
             "  <BUTTON name=\"BUTTON_OK\" fontid=\"FONT_ARIAL10\" justify=\"C\" multiline=\"1\" ischeckbox=\"y\"\n"
             "          caption=\"$Ok\" caps=\"U\" tooltip=\"first\\nsecond\">\n"
             "   <RECT left=\"10\" top=\"20\" right=\"40\" bottom=\"30\"/>\n"
             "   <SBMN fontclr=\"RED\">normal.bmp</SBMN><SBMO fontclr=\"NOSUCHCOLOUR\">over.bmp</SBMO>\n"
             "   <SBMD fontclr=\"BLUE\">missing.bmp</SBMD><SBMM> mask.bmp </SBMM>\n"
             "  </BUTTON>\n"
             " </BUTTONLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"buttons.xml", &m_parent);
    ASSERT_EQ(2u, m_list.size());
    CBitmapBtn* button = Button(1);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_OK"), button->m_id);
    EXPECT_EQ(SkinItemType::BitmapButton, button->m_type);
    EXPECT_EQ(button->m_hWnd, button->m_window);
    EXPECT_EQ(&m_parent, button->m_owner);
    EXPECT_EQ(m_parent.m_hWnd, button->GetParent());
    EXPECT_EQ(0, button->GetDlgCtrlID());

    RECT rc = {};
    button->GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(20, rc.top);
    EXPECT_EQ(50, rc.right);
    EXPECT_EQ(50, rc.bottom);
    const LONG_PTR style = button->GetStyle();
    EXPECT_EQ(static_cast<LONG_PTR>(BS_OWNERDRAW), style & BS_TYPEMASK);
    EXPECT_EQ(static_cast<LONG_PTR>(BS_CENTER | BS_MULTILINE | BS_VCENTER),
              style & (BS_CENTER | BS_MULTILINE | BS_VCENTER));
    EXPECT_EQ(0, style & (WS_TABSTOP | WS_BORDER));
    EXPECT_EQ(static_cast<UINT>(DT_EDITCONTROL | DT_MODIFYSTRING | DT_CENTER | DT_VCENTER | DT_WORDBREAK),
              button->m_drawTextFormat);

    EXPECT_EQ(static_cast<CFont*>(dynamic_cast<CFontItem*>(m_list[0])), button->m_font);
    EXPECT_EQ(reinterpret_cast<HFONT>(button->SendMessage(WM_GETFONT)), static_cast<HFONT>(*button->m_font));
    EXPECT_EQ(1, button->m_isCheckBox);
    EXPECT_EQ(L"WEITER\r\nJETZT", button->m_caption);
    EXPECT_EQ(kRed, button->m_clrNormal);
    EXPECT_EQ(0u, button->m_clrOver);  // an unknown colour name sets nothing
    EXPECT_EQ(kBlue, button->m_clrDown);
    EXPECT_EQ(L"first second", ShownTooltip(*button));

    // Images cut to the button's size from their top left, the mask shaping the window.
    EXPECT_EQ(kRed, PixelAt(button->m_bmpNormal, 39, 29));
    EXPECT_EQ(40, button->m_bmpNormal.GetSize().cx);
    EXPECT_EQ(kGreen, PixelAt(button->m_bmpOver, 0, 0));
    EXPECT_TRUE(button->m_bmpDown.IsNull());
    ASSERT_NE(nullptr, button->m_region);
    EXPECT_FALSE(::PtInRegion(button->m_region, 5, 5));
    EXPECT_TRUE(::PtInRegion(button->m_region, 30, 5));
}

TEST_F(ButtonElementTest, WindowIdPutsTheButtonIntoItsContainer)
{
    WriteXml(L"contained.xml",
             "<ITEMLIST>\n"
             " <BUTTONLIST>\n"
             "  <BUTTON name=\"BUTTON_OK\" windowid=\"BITMAP_KELDAN\"><RECT right=\"10\" bottom=\"10\"/></BUTTON>\n"
             "  <BUTTON name=\"BUTTON_CANCEL\" windowid=\"BUTTON_OK\"><RECT right=\"10\" bottom=\"10\"/></BUTTON>\n"
             " </BUTTONLIST>\n"
             " <BITMAPLIST><BITMAPITEM name=\"BITMAP_KELDAN\"/></BITMAPLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"contained.xml", &m_parent);
    ASSERT_EQ(3u, m_list.size());
    auto* container = dynamic_cast<CContainerStandIn*>(m_list[0]);
    ASSERT_NE(nullptr, container);
    EXPECT_EQ(container->m_hWnd, Button(1)->GetParent());
    EXPECT_EQ(container, Button(1)->m_owner);
    // A windowid naming something other than a container leaves the button with the loader's parent.
    EXPECT_EQ(m_parent.m_hWnd, Button(2)->GetParent());
    EXPECT_TRUE(Button(2)->m_caption.empty());
    EXPECT_EQ(0, Button(2)->m_isCheckBox);
}

} // namespace
