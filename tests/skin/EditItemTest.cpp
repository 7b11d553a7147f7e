// Tests of the skinned edit items: what their skin elements make, their colours in both looks, the
// change notification, the digits-only filter and its range, and the single-key field capturing keys
// from key messages and raw keyboard reports.
#include "skin/EditItem.h"
#include "skin/EditItemSingleKey.h"

#include "FakeKeyboardLayouts.h"
#include "SkinLoaderTestSupport.h"

#include "framework/Wnd.h"
#include "skin/FontItem.h"
#include "skin/RawInput.h"
#include "skin/SkinLoader.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int kNameEntry = 385;   // EDITCTRL_POPUP_NAMEENTRY
constexpr int kSingleKey = 386;   // EDITCTRL_POPUP_SINGLEKEYENTRY
constexpr int kDelay = 388;       // EDITCTRL_DELAY

// The window the items are loaded into; it records what reaches its own message map.
class CRecordingParent : public CWnd {
public:
    BEGIN_MSG_MAP(CRecordingParent)
        MESSAGE_HANDLER(WM_EDITITEM_CHANGED, OnEditChanged)
        COMMAND_CODE_HANDLER(EN_CHANGE, OnChange)
    END_MSG_MAP()

    LRESULT OnEditChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        changed.push_back(wParam == 0 ? reinterpret_cast<HWND>(lParam) : nullptr);
        return 0;
    }
    LRESULT OnChange(WORD, WORD, HWND, BOOL&) { return ++parentChanges; }

    std::vector<HWND> changed;  // lParam of each notice; null when wParam was not 0
    int parentChanges = 0;
};

// Offers a message to the pre-translation walk as the message loop would, and dispatches it when no
// window swallowed it. True when it was swallowed.
bool Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    MSG msg = {};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (WalkPreTranslateTree(&msg))
        return true;
    ::DispatchMessageW(&msg);
    return false;
}

// Key data of a key message: repeat count 1, the scan code, the extended bit, and for key-ups the
// previous-state and transition bits.
LPARAM KeyData(UINT scanCode, bool extended, bool up)
{
    LPARAM data = 1 | (static_cast<LPARAM>(scanCode) << 16);
    if (extended)
        data |= 1 << 24;
    if (up)
        data |= (1 << 30) | (1u << 31);
    return data;
}

RAWKEYBOARD KeyReport(USHORT makeCode, USHORT vkey, USHORT flags)
{
    return RAWKEYBOARD{makeCode, flags, 0, vkey, 0, 0};
}

class EditItemTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(CWnd::RegisterWndClass(L"TessaryEditItemTest"));
        ASSERT_TRUE(m_parent.CreateEx(0, L"TessaryEditItemTest", L"edit items", WS_POPUP, 0, 0, 400, 300, nullptr,
                                      nullptr));
    }

    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        RawInputRegistration::Shared().Unregister();
        SkinFolderTest::TearDown();
    }

    // Loads an ITEMLIST file with a font and the given EDITCTRLLIST body into m_list.
    void Load(const std::string& editList)
    {
        WriteXml(L"edit.xml", "<ITEMLIST><FONTLIST><FONT name=\"FONT_ARIAL12\" typeface=\"Arial\" pitch=\"12\"/>"
                              "</FONTLIST><EDITCTRLLIST>" +
                                  editList + "</EDITCTRLLIST></ITEMLIST>");
        ASSERT_TRUE(LoadSkinPanelFile(m_folder + L"xml\\edit.xml", &m_list, &m_parent));
    }

    template <typename Item>
    Item* Find(int id, int type)
    {
        CGUIItem* item = FindItemById(m_list, id);
        if (!item || item->m_type != type)
            return nullptr;
        return dynamic_cast<Item*>(item);
    }

    // A plain edit item 388 at (5, 6), 80 x 20.
    CEditItem* LoadPlainEdit()
    {
        Load("<EDITCTRL name=\"EDITCTRL_DELAY\"><RECT left=\"5\" top=\"6\" right=\"80\" bottom=\"20\"/></EDITCTRL>");
        return Find<CEditItem>(kDelay, SkinItemType::EditItem);
    }

    CRecordingParent m_parent;
};

// ---------------------------------------------------------------------------------------------------
// Skin elements

TEST_F(EditItemTest, ElementsMakeFieldsWithTheirLookFontLimitAndPlace)
{
    Load("<EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\" fontclr=\"RED\" disbbackclr=\"RED\" max=\"-4\"/>"
         "<EDITCTRL name=\"EDITCTRL_POPUP_NAMEENTRY\" fontclr=\"RED\" backclrhi=\"BLACK2\" disbbdrclr=\"GREEN2\""
         " disbfontclr=\"nosuchcolour\" bdrwidth=\"-3\" fontid=\"FONT_ARIAL12\" justify=\"Centre\" max=\"12\">"
         "<RECT left=\"10\" top=\"20\" right=\"100\" bottom=\"30\"/></EDITCTRL>"
         "<EDITCTRL name=\"NO_SUCH_ITEM\"/>");
    ASSERT_EQ(Types(m_list), (std::vector<int>{SkinItemType::Font, SkinItemType::EditItem,
                                                SkinItemType::EditItemSingleKey}));
    CEditItem* edit = Find<CEditItem>(kNameEntry, SkinItemType::EditItem);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->m_clrText, RGB(255, 0, 0));
    EXPECT_EQ(edit->m_clrBackHot, RGB(11, 11, 11));
    EXPECT_EQ(edit->m_clrBack, 0u) << "an absent colour keeps its start value";
    EXPECT_EQ(edit->m_clrDisabledBorder, RGB(1, 116, 6));
    EXPECT_EQ(edit->m_clrDisabledText, 0xFFFFFFFFu) << "an unknown colour name";
    EXPECT_EQ(edit->m_borderWidth, 0);
    EXPECT_EQ(edit->GetFont(), static_cast<HFONT>(*dynamic_cast<CFontItem*>(m_list.front())));
    EXPECT_EQ(edit->m_window, edit->m_hWnd);
    EXPECT_EQ(edit->m_owner, &m_parent);
    EXPECT_EQ(edit->GetParent(), m_parent.m_hWnd);
    EXPECT_EQ(edit->GetDlgCtrlID(), kNameEntry);
    EXPECT_EQ(edit->GetStyle() & (WS_CHILD | WS_VISIBLE | ES_CENTER), WS_CHILD | WS_VISIBLE | ES_CENTER);
    EXPECT_EQ(edit->GetLimitText(), 12u);
    RECT rc = {};
    edit->GetWindowRect(&rc);
    MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 20);
    EXPECT_EQ(rc.right, 110);
    EXPECT_EQ(rc.bottom, 50);

    auto* key = Find<CEditItemSingleKeyInput>(kSingleKey, SkinItemType::EditItemSingleKey);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->m_clrText, RGB(255, 0, 0));
    EXPECT_EQ(key->m_clrDisabledBack, 0u) << "the single-key field has no disabled colours";
    EXPECT_EQ(key->GetStyle() & ES_CENTER, ES_CENTER);
    EXPECT_EQ(key->GetDlgCtrlID(), kSingleKey);
    EXPECT_GT(key->GetLimitText(), 0x7FFF0000u) << "a negative max lifts the limit";
}

TEST_F(EditItemTest, WithoutAParentWindowNothingIsMade)
{
    WriteXml(L"edit.xml", "<ITEMLIST><EDITCTRLLIST><EDITCTRL name=\"EDITCTRL_DELAY\"/>"
                          "<EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\"/></EDITCTRLLIST></ITEMLIST>");
    ASSERT_TRUE(LoadSkinPanelFile(m_folder + L"xml\\edit.xml", &m_list, nullptr));
    EXPECT_TRUE(m_list.empty());
    EXPECT_FALSE(RawInputRegistration::Shared().IsRegistered());
}

TEST_F(EditItemTest, SingleKeyFieldHoldsTheKeyboardRegistrationUntilItIsDeleted)
{
    Load("<EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\"/>");
    auto* key = Find<CEditItemSingleKeyInput>(kSingleKey, SkinItemType::EditItemSingleKey);
    ASSERT_NE(key, nullptr);
    RawInputRegistration& shared = RawInputRegistration::Shared();
    EXPECT_TRUE(shared.IsRegistered());
    EXPECT_EQ(shared.Usages(), (std::vector<USHORT>{kHidUsageKeyboard}));
    RAWINPUTDEVICE devices[4] = {};
    UINT count = 4;
    ASSERT_EQ(GetRegisteredRawInputDevices(devices, &count, sizeof(RAWINPUTDEVICE)), 1u);
    EXPECT_EQ(devices[0].usUsage, kHidUsageKeyboard);
    EXPECT_EQ(devices[0].hwndTarget, key->m_hWnd);

    DeleteSkinItems(m_list);
    EXPECT_FALSE(shared.IsRegistered());
    EXPECT_TRUE(shared.Usages().empty());
    count = 4;
    EXPECT_EQ(GetRegisteredRawInputDevices(devices, &count, sizeof(RAWINPUTDEVICE)), 0u);
}

TEST_F(EditItemTest, ASingleKeyFieldThatNeverHeldTheRegistrationLeavesItsHolderRecording)
{
    // Another recorder (the macro page's) holds the registration for its own window.
    RawInputRegistration& shared = RawInputRegistration::Shared();
    shared.AddUsage(kHidUsageMouse);
    ASSERT_TRUE(shared.Register(m_parent));

    Load("<EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\"/>");
    ASSERT_NE(Find<CEditItemSingleKeyInput>(kSingleKey, SkinItemType::EditItemSingleKey), nullptr);
    DeleteSkinItems(m_list);
    EXPECT_TRUE(shared.IsRegistered()) << "a field whose own registration was refused";

    ASSERT_TRUE(LoadSkinPanelFile(m_folder + L"xml\\edit.xml", &m_list, nullptr));
    EXPECT_EQ(Types(m_list), std::vector<int>{SkinItemType::Font}) << "the field could not be made";
    EXPECT_TRUE(shared.IsRegistered()) << "a field whose creation failed";
}

// ---------------------------------------------------------------------------------------------------
// Look and notification

TEST_F(EditItemTest, ColoursFollowTheEnabledStateOnTheBackgroundBrush)
{
    Load("<EDITCTRL name=\"EDITCTRL_DELAY\" fontclr=\"RED\" backclr=\"BLUE\" bdrclr=\"GREEN\""
         " disbbackclr=\"DARKGREY\" disbbdrclr=\"GREEN2\" disbfontclr=\"MIDGREY\"/>");
    CEditItem* edit = Find<CEditItem>(kDelay, SkinItemType::EditItem);
    ASSERT_NE(edit, nullptr);
    LOGBRUSH brush = {};
    ASSERT_TRUE(edit->m_backBrush.GetObject(sizeof(brush), &brush));
    EXPECT_EQ(brush.lbColor, RGB(0, 0, 255));

    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    // text, background, DC pen, DC brush
    auto look = [&](UINT message) {
        const LRESULT answer = m_parent.SendMessage(message, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                                                    reinterpret_cast<LPARAM>(edit->m_hWnd));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), static_cast<HBRUSH>(edit->m_backBrush));
        return std::vector<COLORREF>{GetTextColor(dc), GetBkColor(dc), GetDCPenColor(dc), GetDCBrushColor(dc)};
    };
    const COLORREF green = RGB(0, 255, 0);
    EXPECT_EQ(look(WM_CTLCOLOREDIT), (std::vector<COLORREF>{RGB(255, 0, 0), RGB(0, 0, 255), green, green}));
    edit->EnableWindow(FALSE);
    const COLORREF green2 = RGB(1, 116, 6);
    // A disabled edit control asks with WM_CTLCOLORSTATIC.
    EXPECT_EQ(look(WM_CTLCOLORSTATIC), (std::vector<COLORREF>{RGB(105, 112, 119), RGB(58, 58, 58), green2, green2}));
}

TEST_F(EditItemTest, TypingNotifiesTheParentInsteadOfItsChangeCommand)
{
    CEditItem* edit = LoadPlainEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(Deliver(*edit, WM_CHAR, L'x'));
    EXPECT_EQ(edit->GetWindowText(), L"x");
    EXPECT_EQ(m_parent.changed, std::vector<HWND>{edit->m_hWnd});
    EXPECT_EQ(m_parent.parentChanges, 0) << "EN_CHANGE reached the parent's own map";
}

// ---------------------------------------------------------------------------------------------------
// Digits-only mode

class DigitsOnlyTest : public EditItemTest {
protected:
    void SetUp() override
    {
        EditItemTest::SetUp();
        m_edit = LoadPlainEdit();
        ASSERT_NE(m_edit, nullptr);
        m_edit->m_numericOnly = 1;
        m_edit->m_minValue = 0;
        m_edit->m_maxValue = 255;
    }

    // A key-down and, when the key-down got through, its character. True when the character arrived.
    bool Type(WPARAM key, wchar_t ch)
    {
        if (Deliver(*m_edit, WM_KEYDOWN, key, 1))
            return false;
        return !Deliver(*m_edit, WM_CHAR, ch, 1);
    }
    void Start(const wchar_t* text, int selStart, int selEnd)
    {
        m_edit->SetWindowText(text);
        m_edit->SetSel(selStart, selEnd);
    }

    CEditItem* m_edit = nullptr;
};

TEST_F(DigitsOnlyTest, DigitsThatLeaveTheRangeAreRefused)
{
    EXPECT_TRUE(Type('2', L'2'));
    EXPECT_TRUE(Type(VK_NUMPAD5, L'5'));
    EXPECT_FALSE(Type('6', L'6'));
    EXPECT_EQ(m_edit->GetWindowText(), L"25");

    m_edit->m_minValue = 1;
    m_edit->m_maxValue = 99;
    Start(L"", 0, 0);
    EXPECT_FALSE(Type('0', L'0')) << "below the minimum";
    EXPECT_EQ(m_edit->GetWindowText(), L"");
}

TEST_F(DigitsOnlyTest, AFieldWithoutAMaximumTakesEveryDigit)
{
    m_edit->m_minValue = 1;
    m_edit->m_maxValue = -1;  // never set
    EXPECT_TRUE(Type('5', L'5'));
    EXPECT_TRUE(Type('0', L'0'));
    EXPECT_TRUE(Type('0', L'0'));
    EXPECT_EQ(m_edit->GetWindowText(), L"500");
    Start(L"", 0, 0);
    EXPECT_FALSE(Type('0', L'0')) << "the minimum still holds";
}

TEST_F(DigitsOnlyTest, OnlyEditingAndDigitKeysPass)
{
    Start(L"123", 3, 3);
    for (WPARAM key : std::initializer_list<WPARAM>{'A', VK_SPACE, VK_RETURN, VK_HOME, VK_UP, VK_OEM_MINUS, VK_CONTROL}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(Deliver(*m_edit, WM_KEYDOWN, key, 1));
    }
    EXPECT_TRUE(Deliver(*m_edit, WM_CHAR, L'a', 1)) << "a letter's character is refused as well";
    EXPECT_TRUE(Deliver(*m_edit, WM_CHAR, L'-', 1));
    EXPECT_TRUE(Deliver(*m_edit, WM_CHAR, 0x16, 1)) << "Ctrl+V";
    EXPECT_TRUE(Deliver(*m_edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_edit->m_hWnd), -1));
    EXPECT_EQ(m_edit->GetWindowText(), L"123");

    for (WPARAM key : std::initializer_list<WPARAM>{VK_LEFT, VK_RIGHT, VK_DELETE, VK_BACK, '0', '9', VK_NUMPAD0, VK_NUMPAD9}) {
        SCOPED_TRACE(key);
        MSG msg = {*m_edit, WM_KEYDOWN, key, 1};
        EXPECT_FALSE(m_edit->PreTranslateMessage(&msg));
    }
    EXPECT_TRUE(Type(VK_BACK, L'\b'));
    EXPECT_EQ(m_edit->GetWindowText(), L"12");

    m_edit->m_numericOnly = 0;
    EXPECT_TRUE(Type('A', L'a')) << "without digits-only mode every key passes";
    EXPECT_EQ(m_edit->GetWindowText(), L"12a");
}

TEST_F(DigitsOnlyTest, ADigitIsJudgedWhereItGoes)
{
    Start(L"12", 0, 0);
    EXPECT_FALSE(Type('9', L'9')) << "912 is out of range, though 129 would not be";
    Start(L"12", 1, 1);
    EXPECT_TRUE(Type('5', L'5'));
    EXPECT_EQ(m_edit->GetWindowText(), L"152");
    Start(L"255", 0, -1);
    EXPECT_TRUE(Type('3', L'3')) << "a digit typed over the selected value replaces it";
    EXPECT_EQ(m_edit->GetWindowText(), L"3");
}

// ---------------------------------------------------------------------------------------------------
// Single-key field

class SingleKeyTest : public EditItemTest {
protected:
    void SetUp() override
    {
        EditItemTest::SetUp();
        Load("<EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\" max=\"3\">"
             "<RECT left=\"0\" top=\"0\" right=\"200\" bottom=\"24\"/></EDITCTRLSK>");
        m_key = Find<CEditItemSingleKeyInput>(kSingleKey, SkinItemType::EditItemSingleKey);
        ASSERT_NE(m_key, nullptr);
    }

    bool Key(UINT message, WPARAM vk, UINT scan, bool extended = false)
    {
        return Deliver(*m_key, message, vk, KeyData(scan, extended, message == WM_KEYUP));
    }

    FakeKeyboardLayouts m_layouts;
    CEditItemSingleKeyInput* m_key = nullptr;
};

TEST_F(SingleKeyTest, KeyMessagesShowTheKeyAndKeepItsCodes)
{
    EXPECT_FALSE(Key(WM_KEYDOWN, 'Q', 0x10));
    EXPECT_EQ(m_key->GetWindowText(), L"Q");
    EXPECT_EQ(m_key->m_stroke.virtualKey, 'Q');
    EXPECT_EQ(m_key->m_stroke.scanCode, 0x10);
    EXPECT_EQ(m_key->m_stroke.state, kKeyStrokeDown);
    EXPECT_FALSE(Key(WM_KEYUP, 'Q', 0x10));
    EXPECT_EQ(m_key->m_stroke.state, kKeyStrokeUp);
    EXPECT_EQ(m_key->GetLimitText(), 3u) << "the skin's limit is back after the name went in";

    // Tab would move the focus: its key-down is swallowed, and it shows when it is released.
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_TAB, 0x0F));
    EXPECT_EQ(m_key->GetWindowText(), L"Q");
    EXPECT_EQ(m_key->m_stroke.virtualKey, 'Q') << "the codes kept are those of the key shown";
    EXPECT_FALSE(Key(WM_KEYUP, VK_TAB, 0x0F));
    EXPECT_EQ(m_key->GetWindowText(), L"Tab");
    EXPECT_EQ(m_key->m_stroke.virtualKey, VK_TAB);

    // Names longer than the skin's limit still go in whole.
    EXPECT_FALSE(Key(WM_KEYDOWN, VK_DELETE, 0x53, true));
    EXPECT_EQ(m_key->GetWindowText(), L"Delete");
    EXPECT_EQ(m_key->m_stroke.flags & kKeyStrokeExtended, kKeyStrokeExtended);
}

TEST_F(SingleKeyTest, RepeatsAndTypedCharactersChangeNothing)
{
    Key(WM_KEYDOWN, 'Q', 0x10);
    const LPARAM repeat = KeyData(0x1E, false, false) | (1 << 30);
    EXPECT_TRUE(Deliver(*m_key, WM_KEYDOWN, 'A', repeat));
    EXPECT_EQ(m_key->GetWindowText(), L"Q");
    EXPECT_EQ(m_key->m_stroke.virtualKey, 'Q');

    EXPECT_FALSE(Deliver(*m_key, WM_CHAR, L'q', 1));
    EXPECT_FALSE(Deliver(*m_key, WM_CHAR, 0x16, 1));  // Ctrl+V
    EXPECT_EQ(m_key->GetWindowText(), L"Q");

    m_key->m_numericOnly = 1;  // the digits-only filter is not the single-key field's
    EXPECT_FALSE(Key(WM_KEYDOWN, 'A', 0x1E));
    EXPECT_EQ(m_key->GetWindowText(), L"A");
}

TEST_F(SingleKeyTest, TheWholeTextIsReplacedWhereverTheCaretIs)
{
    Key(WM_KEYUP, VK_DELETE, 0x53, true);
    ASSERT_EQ(m_key->GetWindowText(), L"Delete");
    m_key->SetSel(2, 2);
    EXPECT_FALSE(Key(WM_KEYDOWN, 'Q', 0x10));
    EXPECT_EQ(m_key->GetWindowText(), L"Q");
}

TEST_F(SingleKeyTest, RawReportsShowRealKeysOnly)
{
    m_key->TakeKeyboardReport(KeyReport(0x10, 'Q', RI_KEY_MAKE));
    EXPECT_EQ(m_key->GetWindowText(), L"Q");
    EXPECT_EQ(m_parent.changed.size(), 1u);

    // Insert with Num Lock on: a fake Shift, the key, and on release the key and the fake Shift again.
    m_key->TakeKeyboardReport(KeyReport(0x2A, 0xFF, RI_KEY_E0));
    EXPECT_EQ(m_key->GetWindowText(), L"Q") << "a fake Shift is no key";
    m_key->TakeKeyboardReport(KeyReport(0x52, VK_INSERT, RI_KEY_E0));
    m_key->TakeKeyboardReport(KeyReport(0x52, VK_INSERT, RI_KEY_E0 | RI_KEY_BREAK));
    m_key->TakeKeyboardReport(KeyReport(0x2A, 0xFF, RI_KEY_E0 | RI_KEY_BREAK));
    EXPECT_EQ(m_key->GetWindowText(), L"Insert");
    EXPECT_EQ(m_key->m_stroke.scanCode, 0x52) << "the fake Shift's codes replaced the key's";
    EXPECT_EQ(m_key->m_stroke.virtualKey, VK_INSERT);
    EXPECT_EQ(m_key->m_stroke.flags & kKeyStrokeExtended, kKeyStrokeExtended);
    EXPECT_EQ(m_key->m_stroke.name, L"Insert");

    // A WM_INPUT whose report can't be read changes nothing.
    m_key->SendMessage(WM_INPUT, RIM_INPUT, 0x1234);
    EXPECT_EQ(m_key->GetWindowText(), L"Insert");
}

} // namespace
