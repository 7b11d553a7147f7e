// The profile button: its look in each state, its text columns, its tooltip shown as written, hovering
// that keeps the order of its siblings, clicks as a push button and as a check box, and buttons read
// from PROFBUTTON elements.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "SkinWidgetTestSupport.h"
#include "skin/ProfileBtn.h"
#include "skin/SkinElements.h"

namespace {

using namespace image_button_colours;
constexpr COLORREF kText = RGB(0xE0, 0xE0, 0xE0);
constexpr int kWidth = 380;
constexpr int kHeight = 24;

// The fixture creates its button in the style a PROFBUTTON element gives it.
class ProfileBtnTest : public ImageButtonTest<CProfileBtn, kWidth, kHeight, 420> {
protected:
    COLORREF Look(UINT state = 0) { return Render(state)[static_cast<size_t>(2) * kWidth + 2]; }

    // Whether any pixel of columns [left, right) differs from the red normal image.
    static bool Inked(const std::vector<COLORREF>& pixels, int left, int right, int top = 0, int bottom = kHeight)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (pixels[static_cast<size_t>(y) * kWidth + x] != kRed)
                    return true;
        return false;
    }
    static bool HasText(const std::vector<COLORREF>& pixels, int left, int right)
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = left; x < right; ++x)
                if (pixels[static_cast<size_t>(y) * kWidth + x] == kText)
                    return true;
        return false;
    }
};

TEST_F(ProfileBtnTest, EachStateShowsItsImage)
{
    // A new button does not look hovered, although its creation style has bit 0 set.
    EXPECT_EQ(0, m_button->m_hover);
    EXPECT_EQ(kRed, Look());
    EXPECT_EQ(kBlue, Look(ODS_SELECTED));
    EXPECT_EQ(kGrey, Look(ODS_DISABLED));
    // The look forced by other items is a bitmap button's; a profile button ignores it.
    m_button->m_hot = 1;
    EXPECT_EQ(kRed, Look());
    m_button->m_hot = 0;
    // Hovering wins over being disabled; being checked or pressed wins over both.
    m_button->m_hover = 1;
    EXPECT_EQ(kGreen, Look(ODS_DISABLED));
    m_button->m_checked = 1;
    EXPECT_EQ(kBlue, Look(ODS_DISABLED));

    // A check box shows only whether it is checked.
    m_button->m_isCheckBox = 1;
    EXPECT_EQ(kBlue, Look(ODS_DISABLED));
    m_button->m_checked = 0;
    EXPECT_EQ(kRed, Look());
    EXPECT_EQ(kRed, Look(ODS_SELECTED | ODS_DISABLED));
}

TEST_F(ProfileBtnTest, ColumnsAreDrawnInTheirPlacesOnlyWhenTheFirstHasText)
{
    m_button->m_column2 = L"MMMM";
    m_button->m_column3 = L"MMMM";
    m_button->m_column4 = L"MMMM";
    EXPECT_FALSE(Inked(Render(), 0, kWidth));

    m_button->m_column1 = L"MM";
    // A text far too long for its column ends in an ellipsis inside it.
    m_button->m_column2 = std::wstring(60, L'M');
    const std::vector<COLORREF> pixels = Render();
    EXPECT_TRUE(HasText(pixels, 5, 55));
    EXPECT_TRUE(HasText(pixels, 60, 160));
    EXPECT_TRUE(HasText(pixels, 165, 265));
    EXPECT_TRUE(HasText(pixels, 270, 370));
    EXPECT_FALSE(Inked(pixels, 0, 5));
    EXPECT_FALSE(Inked(pixels, 56, 60));
    EXPECT_FALSE(Inked(pixels, 161, 165));
    EXPECT_FALSE(Inked(pixels, 266, 270));
    EXPECT_FALSE(Inked(pixels, 371, kWidth));
    // The band of the texts starts half a line above the middle: nothing above it.
    EXPECT_FALSE(Inked(pixels, 0, kWidth, 0, kHeight / 2 - 7));

    // Over the state image.
    m_button->m_checked = 1;
    const std::vector<COLORREF> down = Render();
    EXPECT_EQ(kBlue, down[0]);
    EXPECT_TRUE(HasText(down, 5, 55));
}

TEST_F(ProfileBtnTest, TheTooltipShowsItsTextAsWritten)
{
    CLangTable table;
    table.m_pairs = {{L"Save", L"Sichern"}};
    SetCurrentLangTable(&table);
    m_button->SetTooltip(L"$Save");
    EXPECT_EQ(L"$Save", ShownTooltip(*m_button));
    m_button->SetTooltip(L"a\\nb");
    EXPECT_EQ(1, m_button->m_toolTip.GetToolCount());
    EXPECT_EQ(L"a\\nb", ShownTooltip(*m_button));
    SetCurrentLangTable(nullptr);
}

TEST_F(ProfileBtnTest, HoveringTakesTheCaptureAndKeepsTheOrderOfSiblings)
{
    CWnd sibling;
    ASSERT_TRUE(sibling.Create(TestWndClass(), L"", WS_CHILD | WS_VISIBLE, RECT{0, 60, 40, 80}, m_parent, 0));
    ::SetWindowPos(*m_button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(sibling.m_hWnd, ::GetWindow(m_parent, GW_CHILD));

    m_button->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, m_button->m_hover);
    EXPECT_EQ(m_button->m_hWnd, ::GetCapture());
    EXPECT_EQ(sibling.m_hWnd, ::GetWindow(m_parent, GW_CHILD));

    // Moving onto the sibling ends hovering and gives the capture back.
    m_button->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 60));
    EXPECT_EQ(0, m_button->m_hover);
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(ProfileBtnTest, PushButtonsClickOnReleaseAndCheckBoxesFlipOnRelease)
{
    const std::pair<WPARAM, HWND> click(MAKEWPARAM(0, BN_CLICKED), m_button->m_hWnd);
    auto clicks = [&] {
        size_t count = 0;
        for (const auto& command : m_parent.commands)
            count += command == click ? 1 : 0;
        return count;
    };

    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(0u, clicks());
    m_button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1u, clicks());
    // The second press of a double click reaches the system button, which reports it as such.
    m_button->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    m_button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1u, clicks());
    ASSERT_EQ(2u, m_parent.commands.size());
    EXPECT_EQ(std::make_pair(MAKEWPARAM(0, BN_DOUBLECLICKED), m_button->m_hWnd), m_parent.commands[1]);

    // A check box: one command per release, from the button itself, and the system's none.
    m_parent.commands.clear();
    m_button->m_isCheckBox = 1;
    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(0, m_button->m_checked);
    EXPECT_TRUE(m_parent.commands.empty());
    m_button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, m_button->m_checked);
    m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    m_button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(0, m_button->m_checked);
    EXPECT_EQ((std::vector<std::pair<WPARAM, HWND>>{click, click}), m_parent.commands);
}

class ProfileElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
        // A panel-sized image: red inside the first button's rectangle, blue around it.
        Write(L"skins\\panel.bmp", MakeBmpFile(200, 100, [](int x, int y) {
                  return x >= 50 && x < 90 && y >= 20 && y < 30 ? kRed : kBlue;
              }));
        Write(L"skins\\over.bmp", SolidBmpFile(200, 100, kGreen));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    CWnd m_parent;
};

TEST_F(ProfileElementTest, OnlyTheFirstProfileButtonIsBuiltWithImagesCutAtItsPlace)
{
    auto* table = new CLangTable();
    table->m_pairs = {{L"Tip", L"Hinweis"}};
    m_languages.push_back(table);
    SetCurrentLangTable(table);
    WriteXml(L"profiles.xml",
             "<ITEMLIST>\n"
             " <BUTTONLIST>\n"
             "  <PROFBUTTON name=\"BUTTON_PROFILE01\" tooltip=\"$Tip\">\n"
             "   <RECT left=\"50\" top=\"20\" right=\"40\" bottom=\"10\"/>\n"
             "   <SBMN>panel.bmp</SBMN><SBMO> over.bmp </SBMO><SBMD>missing.bmp</SBMD>\n"
             "  </PROFBUTTON>\n"
             "  <PROFBUTTON name=\"BUTTON_PROFILE02\"><RECT right=\"40\" bottom=\"10\"/></PROFBUTTON>\n"
             " </BUTTONLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"profiles.xml", &m_parent);
    ASSERT_EQ(1u, m_list.size());
    auto* button = dynamic_cast<CProfileBtn*>(m_list[0]);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_PROFILE01"), button->m_id);
    EXPECT_EQ(SkinItemType::ProfileButton, button->m_type);
    EXPECT_EQ(button->m_hWnd, button->m_window);
    EXPECT_EQ(&m_parent, button->m_owner);
    EXPECT_EQ(m_parent.m_hWnd, button->GetParent());
    EXPECT_EQ(0, button->GetDlgCtrlID());
    EXPECT_EQ(static_cast<LONG_PTR>(BS_OWNERDRAW), button->GetStyle() & BS_TYPEMASK);
    EXPECT_EQ(0, button->GetStyle() & (WS_TABSTOP | WS_BORDER));
    EXPECT_EQ(0, button->m_hover);
    EXPECT_EQ(0, button->m_isCheckBox);

    const SIZE size = button->m_bmpNormal.GetSize();
    EXPECT_EQ(40, size.cx);
    EXPECT_EQ(10, size.cy);
    EXPECT_EQ(kRed, PixelAt(button->m_bmpNormal, 0, 0));
    EXPECT_EQ(kRed, PixelAt(button->m_bmpNormal, 39, 9));
    EXPECT_EQ(kGreen, PixelAt(button->m_bmpOver, 0, 0));
    EXPECT_TRUE(button->m_bmpDown.IsNull());
    EXPECT_EQ(L"$Tip", ShownTooltip(*button));
}

TEST_F(ProfileElementTest, AProfileButtonWithAnUnknownNameIsSkipped)
{
    WriteXml(L"unknown.xml",
             "<ITEMLIST><BUTTONLIST>\n"
             " <PROFBUTTON name=\"NO_SUCH_PROFILE\"><RECT right=\"40\" bottom=\"10\"/></PROFBUTTON>\n"
             " <PROFBUTTON name=\"BUTTON_PROFILE02\"><RECT right=\"40\" bottom=\"10\"/></PROFBUTTON>\n"
             "</BUTTONLIST></ITEMLIST>\n");
    LoadSkinFile(m_list, L"unknown.xml", &m_parent);
    EXPECT_TRUE(m_list.empty());
}

} // namespace
