// The skinned label: its translated text, where and in which colour it is drawn, lighting and clicking
// the check box it labels, and labels read from TEXTITEM elements.
#include <windows.h>

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
#include "skin/TextItem.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 64);
constexpr COLORREF kNearWhite = RGB(254, 254, 254);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The box around every pixel that is not the background; left > right when there is none.
struct Ink {
    RECT box = {1 << 20, 1 << 20, -1, -1};
    std::vector<COLORREF> colours;
    bool Has(COLORREF c) const { return std::find(colours.begin(), colours.end(), c) != colours.end(); }
};

class TextItemTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 60, 60, 300, 120, nullptr,
                                      nullptr));
        ::SetForegroundWindow(m_parent);
        ::SetActiveWindow(m_parent);
    }
    void TearDown() override
    {
        if (::GetCapture())
            ::ReleaseCapture();
        m_text.reset();
        m_checkBox.reset();
        m_parent.DestroyWindow();
        SetCurrentLangTable(nullptr);
        FrameworkTest::TearDown();
    }

    void MakeText(const std::wstring& text, int width = 120, int height = 60, DWORD style = SS_NOTIFY)
    {
        m_text = std::make_unique<CTextItem>(text);
        ASSERT_TRUE(m_text->Create(L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | style, RECT{10, 10, 10 + width, 10 + height},
                                   m_parent, 77));
    }
    void MakeCheckBox()
    {
        m_checkBox = std::make_unique<CBitmapBtn>();
        ASSERT_TRUE(m_checkBox->Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{200, 10, 220, 30}, m_parent, 0));
        m_checkBox->m_isCheckBox = 1;
        m_text->m_checkBox = m_checkBox.get();
    }

    // The text drawn over the background, as the parent's owner-draw request would have it.
    Ink Render()
    {
        RECT client = {};
        m_text->GetClientRect(&client);
        CBitmap target = MakeDib(client.right, client.bottom,
                                 std::vector<COLORREF>(static_cast<size_t>(client.right) * client.bottom, kBackground));
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        {
            CSelectObject select(dc, target);
            DRAWITEMSTRUCT item = {ODT_STATIC, 77, 0, ODA_DRAWENTIRE, 0, m_text->m_hWnd, dc, client, 0};
            m_text->DrawItem(&item);
        }
        Ink ink;
        const std::vector<COLORREF> pixels = ReadPixels(target);
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                const COLORREF c = pixels[static_cast<size_t>(y) * client.right + x];
                if (c == kBackground)
                    continue;
                ink.box.left = std::min<LONG>(ink.box.left, x);
                ink.box.top = std::min<LONG>(ink.box.top, y);
                ink.box.right = std::max<LONG>(ink.box.right, x + 1);
                ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
                if (!ink.Has(c))
                    ink.colours.push_back(c);
            }
        }
        return ink;
    }

    CRecordingParent m_parent;
    std::unique_ptr<CTextItem> m_text;
    std::unique_ptr<CBitmapBtn> m_checkBox;
};

TEST_F(TextItemTest, TextsAreTranslatedAndOnlyTranslatedTextsChangeCase)
{
    CLangTable table;
    table.m_pairs = {{L"Light", L"Licht\\nan\\naus"}, {L"Name", L"Name"}};
    SetCurrentLangTable(&table);

    EXPECT_EQ(L"LICHT\r\nAN\\NAUS", CTextItem(L"$Light", 1).GetText());
    EXPECT_EQ(L"licht\r\nan\\naus", CTextItem(L"$Light", 2).GetText());
    EXPECT_EQ(L"Licht\r\nan\\naus", CTextItem(L"$Light", 0).GetText());
    // Not in the table: shown as written, "$" and case included.
    EXPECT_EQ(L"$Missing", CTextItem(L"$Missing", 1).GetText());
    EXPECT_EQ(L"Plain\r\ntext", CTextItem(L"Plain\\ntext", 2).GetText());
    SetCurrentLangTable(nullptr);
    EXPECT_EQ(L"$Light", CTextItem(L"$Light", 1).GetText());

    SetCurrentLangTable(&table);
    MakeText(L"");
    m_text->SetText(L"$light");
    EXPECT_EQ(L"Licht\r\nan\\naus", m_text->GetText());
}

TEST_F(TextItemTest, PlainTextSitsAtAnInsetAndCentredTextInTheMiddle)
{
    MakeText(L"Hello");
    const Ink plain = Render();
    ASSERT_LT(plain.box.left, plain.box.right) << "nothing drawn";
    EXPECT_GE(plain.box.left, 5);
    EXPECT_LT(plain.box.left, 10);
    EXPECT_GE(plain.box.top, 2);
    EXPECT_LT(plain.box.top, 12) << "a plain text is not centred vertically";

    m_text->m_drawTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    const Ink centred = Render();
    ASSERT_LT(centred.box.left, centred.box.right);
    EXPECT_LE(std::abs((centred.box.top - 0) - (60 - centred.box.bottom)), 4);
    EXPECT_LE(std::abs((centred.box.left - 0) - (120 - centred.box.right)), 4);
}

TEST_F(TextItemTest, ColourFollowsDisabledThenHotThenNormal)
{
    MakeText(L"MMMM");
    m_text->m_drawTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    EXPECT_TRUE(Render().Has(kNearWhite)) << "an unset normal colour is near-white";
    m_text->m_clrNormal = kRed;
    m_text->m_hot = 1;
    EXPECT_TRUE(Render().Has(kRed)) << "hot without a hot colour keeps the normal one";
    m_text->m_clrHot = kGreen;
    EXPECT_TRUE(Render().Has(kGreen));
    m_text->m_disabled = 1;
    EXPECT_TRUE(Render().Has(kGreen)) << "disabled without a disabled colour";
    m_text->m_clrDisabled = kBlue;
    const Ink disabled = Render();
    EXPECT_TRUE(disabled.Has(kBlue));
    EXPECT_FALSE(disabled.Has(kGreen));

    // The text paints no background: the parent's stays, and the static's colour request gets none.
    EXPECT_EQ(0, m_text->SendMessage(WM_ERASEBKGND, 0, 0));
    CClientDC dc(m_text->m_hWnd);
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)),
              m_parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                                   reinterpret_cast<LPARAM>(m_text->m_hWnd)));
    EXPECT_EQ(TRANSPARENT, ::GetBkMode(dc));
}

TEST_F(TextItemTest, HoveringLightsTheCheckBoxUntilTheMouseLeaves)
{
    MakeText(L"Label");
    MakeCheckBox();
    ASSERT_NE(nullptr, ::GetActiveWindow());
    m_text->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, m_text->m_hot);
    EXPECT_EQ(1, m_checkBox->m_hot);
    EXPECT_EQ(m_text->m_hWnd, ::GetCapture());

    m_text->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(1, m_text->m_hot);
    // Onto the parent, beside the text.
    m_text->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(150, 5));
    EXPECT_EQ(0, m_text->m_hot);
    EXPECT_EQ(0, m_checkBox->m_hot);
    EXPECT_EQ(nullptr, ::GetCapture());

    // A disabled text does not react.
    m_text->m_disabled = 1;
    m_text->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(0, m_text->m_hot);
    EXPECT_EQ(0, m_checkBox->m_hot);
    EXPECT_EQ(nullptr, ::GetCapture());
    m_text->m_disabled = 0;

    // A window that takes the capture from a hot text keeps it.
    CWnd other;
    ASSERT_TRUE(CreateChild(other, m_parent, 5));
    m_text->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(m_text->m_hWnd, ::GetCapture());
    ::SetCapture(other);
    EXPECT_EQ(other.m_hWnd, ::GetCapture());
    ::ReleaseCapture();
}

TEST_F(TextItemTest, ClickingTheTextClicksItsCheckBox)
{
    MakeText(L"Label");
    // Without a check box a release does nothing.
    m_text->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(m_parent.commands.empty());

    MakeCheckBox();
    const std::pair<WPARAM, HWND> click(MAKEWPARAM(77, 0), m_checkBox->m_hWnd);
    m_text->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, m_checkBox->m_checked);
    m_text->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(0, m_checkBox->m_checked);
    m_checkBox->m_toggleOnClick = 0;
    m_text->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(0, m_checkBox->m_checked);
    EXPECT_EQ((std::vector<std::pair<WPARAM, HWND>>{click, click, click}), m_parent.commands);
}


class TextElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        RegisterSkinElementReader("BITMAPITEM", &ReadContainerStandIn<CContainerStandIn, 150, 0, 100, 100>);
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        RegisterSkinElementReader("BITMAPITEM", nullptr);
        SkinFolderTest::TearDown();
    }

    CTextItem* Text(int id) { return dynamic_cast<CTextItem*>(FindItemById(m_list, id)); }

    CRecordingParent m_parent;
};

TEST_F(TextElementTest, TextItemElementsBuildLabelsAndLinkOnlyCheckBoxes)
{
    auto* table = new CLangTable();
    table->m_pairs = {{L"Light", L"Licht"}};
    m_languages.push_back(table);
    SetCurrentLangTable(table);
    WriteXml(L"texts.xml",
             "<ITEMLIST>\n"
             " <FONTLIST><FONT name=\"FONT_ARIAL10\" typeface=\"Arial\" pitch=\"10\"/></FONTLIST>\n"
             " <BITMAPLIST><BITMAPITEM name=\"BITMAP_KELDAN\"/></BITMAPLIST>\n"
             " <BUTTONLIST>\n"
             "  <BUTTON name=\"BUTTON_OK\" ischeckbox=\"1\"><RECT right=\"10\" bottom=\"10\"/></BUTTON>\n"
             "  <BUTTON name=\"BUTTON_CANCEL\"><RECT right=\"10\" bottom=\"10\"/></BUTTON>\n"
             " </BUTTONLIST>\n"
             " <TEXTLIST>\n"
             "  <TEXTITEM name=\"NO_SUCH_TEXT\" textkey=\"x\"/>\n"
             "  <TEXTITEM name=\"TEXT_PROFILEINFO\" textkey=\"$Light\" caps=\"U\" fontid=\"FONT_ARIAL10\" checkboxid=\"BUTTON_OK\"\n"
             "            fontclr=\"RED\" fontclrhi=\"NOSUCHCOLOUR\" disbfontclr=\"BLUE\">\n"
             "   <RECT left=\"10\" top=\"20\" right=\"50\" bottom=\"15\"/>\n"
             "  </TEXTITEM>\n"
             "  <TEXTITEM name=\"TEXT_PROFILENAME\" textkey=\"$Gone\" caps=\"L\" justify=\"C\" checkboxid=\"BUTTON_CANCEL\"\n"
             "            interactive=\"yes\" windowid=\"BITMAP_KELDAN\"/>\n"
             "  <TEXTITEM name=\"TEXT_DPI1\" justify=\"R\" multiline=\"1\"/>\n"
             "  <TEXTITEM name=\"TEXT_DPI2\" multiline=\"1\"/>\n"
             " </TEXTLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"texts.xml", &m_parent);
    const int id1 = FindSkinResourceId(L"TEXT_PROFILEINFO");
    const int id2 = FindSkinResourceId(L"TEXT_PROFILENAME");
    ASSERT_EQ(8u, m_list.size()) << "the unknown name is skipped";

    CTextItem* first = Text(id1);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(SkinItemType::TextItem, first->m_type);
    EXPECT_EQ(first->m_hWnd, first->m_window);
    EXPECT_EQ(&m_parent, first->m_owner);
    EXPECT_EQ(id1, first->GetDlgCtrlID());
    EXPECT_EQ(L"LICHT", first->GetText());
    EXPECT_EQ(static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_OWNERDRAW),
              first->GetStyle() & (WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_TYPEMASK));
    EXPECT_EQ(0u, first->m_drawTextFormat);
    RECT rc = {};
    first->GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ((RECT{10, 20, 60, 35}.right), rc.right);
    EXPECT_EQ(35, rc.bottom);
    EXPECT_EQ(static_cast<CFont*>(dynamic_cast<CFontItem*>(m_list[0])), first->m_font);
    EXPECT_EQ(kRed, first->m_clrNormal);
    EXPECT_EQ(0u, first->m_clrHot) << "an unknown colour name sets nothing";
    EXPECT_EQ(kBlue, first->m_clrDisabled);
    auto* checkBox = dynamic_cast<CBitmapBtn*>(m_list[2]);
    ASSERT_NE(nullptr, checkBox);
    EXPECT_EQ(checkBox, first->m_checkBox);

    // A missing key is shown as written, without caps; a push button is no check box to link; an
    // interactive text lets the mouse through to the window beneath.
    CTextItem* second = Text(id2);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(L"$Gone", second->GetText());
    EXPECT_EQ(nullptr, second->m_checkBox);
    EXPECT_EQ(m_list[1]->m_window, second->GetParent());
    EXPECT_EQ(0, second->GetStyle() & SS_NOTIFY);
    EXPECT_EQ(HTTRANSPARENT, second->SendMessage(WM_NCHITTEST, 0, 0));
    EXPECT_NE(HTTRANSPARENT, first->SendMessage(WM_NCHITTEST, 0, 0));
    EXPECT_EQ(static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE), second->m_drawTextFormat);
    second->SendMessage(WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(m_parent.commands.empty());

    EXPECT_EQ(static_cast<UINT>(DT_RIGHT | DT_WORDBREAK), Text(FindSkinResourceId(L"TEXT_DPI1"))->m_drawTextFormat);
    EXPECT_EQ(static_cast<UINT>(DT_WORDBREAK), Text(FindSkinResourceId(L"TEXT_DPI2"))->m_drawTextFormat);
}

} // namespace
