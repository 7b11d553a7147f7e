// The keys of the keyboard picture: their names from the keyboard definition and layout, what the page
// hears when the mouse moves over or clicks a key, how a key looks, and keys read from KBDKEY elements.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "SkinWidgetTestSupport.h"
#include "data/KeyboardDefWriter.h"
#include "skin/KeyItem.h"
#include "skin/KeyboardDef.h"
#include "skin/KeyboardLayout.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

using namespace image_button_colours;

// The colour at (x, y) of what the key draws for the owner-draw `state` over a width x height area
// filled with `under`.
COLORREF KeyLook(CKeyboardKeyItem& key, int width, int height, UINT state, int x, int y, COLORREF under = 0)
{
    CBitmap target = SolidDib(under, width, height);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    {
        CSelectObject select(dc, target);
        DRAWITEMSTRUCT item = {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, key.m_hWnd, dc, RECT{0, 0, width, height}, 0};
        key.DrawItem(&item);
    }
    return PixelAt(target, x, y);
}

// Esc; an extended key; Num Lock without the extended-name code; a key with it; Pause, whose extended
// byte is 2; the key that types "&" (7 on a US layout); and a record the program skips.
const char kKeys[] =
    "- | Esc         | 0x29 | 0  | 01                    | 01\n"
    "- | Right Ctrl  | 0xE4 | 0  | E0:1 1D               | 1D:1\n"
    "- | Num Lock    | 0x53 | 0  | 45                    | 45\n"
    "- | Scroll Lock | 0x47 | 85 | 46                    | 46\n"
    "- | Pause       | 0x48 | 0  | E1:2 1D 45 E1:2 9D C5 | 45:2\n"
    "- | Seven       | 0x24 | 0  | 08                    | 08\n"
    "- | RESERVED    | 0    | 0  | 0B                    | -\n";

// What the key items asked the layout.
struct LayoutCalls {
    std::vector<UINT> mapTypes;
    std::vector<HKL> mapLayouts;
    std::vector<LONG> nameKeyData;
} g_calls;

UINT RecordMapVirtualKey(UINT code, UINT mapType, HKL layout)
{
    g_calls.mapTypes.push_back(mapType);
    g_calls.mapLayouts.push_back(layout);
    return 0x100 + code;
}

int RecordKeyName(LONG keyData, wchar_t* buffer, int size)
{
    g_calls.nameKeyData.push_back(keyData);
    static const std::map<LONG, std::wstring> names = {
        {0x01 << 16, L"Escape"},
        {(0x1D << 16) | (1 << 24), L"Right Control"},
        {(0x45 << 16) | (1 << 24), L"Num Lock"},
        {0x45 << 16, L"Pause"},
        {(0x46 << 16) | (1 << 24), L"Scroll Lock"},
        {0x08 << 16, L"&"},
    };
    auto found = names.find(keyData);
    if (found == names.end() || size <= static_cast<int>(found->second.size()))
        return 0;
    found->second.copy(buffer, found->second.size());
    buffer[found->second.size()] = 0;
    return static_cast<int>(found->second.size());
}

// Where each notification went, in order: {receiver, message, wParam, lParam}.
struct Notice {
    HWND to;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Notice& o) const
    {
        return to == o.to && msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};
std::vector<Notice> g_notices;

// The BITMAPITEM container the keys are made in; it records what reaches it.
class CRecordingWnd : public CWnd, public CGUIItem {
public:
    BEGIN_MSG_MAP(CRecordingWnd)
        MESSAGE_HANDLER(WM_KEYITEM_HOVER, OnNotice)
        MESSAGE_HANDLER(WM_KEYITEM_CLICK, OnNotice)
        MESSAGE_HANDLER(WM_COMMAND, OnNotice)
    END_MSG_MAP()

private:
    LRESULT OnNotice(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        g_notices.push_back({m_hWnd, msg, wParam, lParam});
        return 0;
    }
};

// Each test gets a fresh keyboard definition, layout calls that it can see, and a visible, active
// window for the list.
class KeyItemTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        std::vector<KeyDescription> keys;
        std::string error;
        ASSERT_TRUE(ParseKeyboardDescription(kKeys, keys, error)) << error;
        KeyboardDef().Clear();
        const std::vector<BYTE> records = WriteKeyRecordFile(keys);
        ASSERT_TRUE(KeyboardDef().LoadKeyRecords(records.data(), records.size()));
        g_calls = LayoutCalls();
        g_notices.clear();
        m_api = SystemKeyboardLayoutApi();
        m_api.MapVirtualKeyEx = &RecordMapVirtualKey;
        m_api.GetKeyNameText = &RecordKeyName;
        SetKeyboardLayoutApi(&m_api);
        RegisterSkinElementReader("BITMAPITEM", &ReadContainerStandIn<CRecordingWnd, 0, 0, 200, 60>);
        ASSERT_TRUE(m_page.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 40, 40, 240, 100, nullptr,
                                    nullptr));
        ::SetForegroundWindow(m_page);
        ::SetActiveWindow(m_page);
    }
    void TearDown() override
    {
        if (::GetCapture())
            ::ReleaseCapture();
        DeleteSkinItems(m_list);
        m_page.DestroyWindow();
        RegisterSkinElementReader("BITMAPITEM", nullptr);
        SetKeyboardLayoutApi(nullptr);
        SetCurrentKeyLayout(nullptr);
        KeyboardDef().Clear();
        SkinFolderTest::TearDown();
    }

    // A key of the definition on the page, named by the system.
    std::unique_ptr<CKeyboardKeyItem> MakeKey(const wchar_t* keyName)
    {
        auto key = std::make_unique<CKeyboardKeyItem>();
        EXPECT_TRUE(key->Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{10, 10, 50, 30}, m_page, 0));
        key->m_keyRecord = KeyboardDef().FindKeyRecord(HashKeyName(keyName));
        EXPECT_NE(nullptr, key->m_keyRecord) << "no record";
        key->UpdateKeyName();
        return key;
    }

    CKeyboardKeyItem* Key(const wchar_t* name)
    {
        return dynamic_cast<CKeyboardKeyItem*>(FindItemById(m_list, FindSkinResourceId(name)));
    }

    KeyboardLayoutApi m_api = {};
    CRecordingWnd m_page;
};

TEST_F(KeyItemTest, KeysAreNamedBySystemNamesInTheCurrentLayout)
{
    const HKL layout = reinterpret_cast<HKL>(static_cast<INT_PTR>(0x04070407));
    SetCurrentKeyLayout(layout);
    auto esc = MakeKey(L"Esc");
    EXPECT_EQ(0x01, esc->m_scanCode);
    EXPECT_EQ(0x101, esc->m_virtualKey);
    EXPECT_EQ(0, esc->m_extended);
    EXPECT_EQ(L"Escape", esc->m_keyName);
    EXPECT_EQ(L"Escape", ShownTooltip(*esc));
    ASSERT_EQ(1u, g_calls.mapTypes.size());
    EXPECT_EQ(static_cast<UINT>(MAPVK_VSC_TO_VK_EX), g_calls.mapTypes[0]);
    EXPECT_EQ(layout, g_calls.mapLayouts[0]);

    auto rightCtrl = MakeKey(L"Right Ctrl");
    EXPECT_EQ(0x1D, rightCtrl->m_scanCode);
    EXPECT_EQ(1, rightCtrl->m_extended);
    EXPECT_EQ(L"Right Control", rightCtrl->m_keyName);

    // Num Lock and keys marked 85 are asked for by their extended name; Pause's prefix is no extension.
    EXPECT_EQ(L"Num Lock", MakeKey(L"Num Lock")->m_keyName);
    EXPECT_EQ(L"Scroll Lock", MakeKey(L"Scroll Lock")->m_keyName);
    auto pause = MakeKey(L"Pause");
    EXPECT_EQ(0, pause->m_extended);
    EXPECT_EQ(L"Pause", pause->m_keyName);

    // A lone ampersand is doubled so that it shows.
    auto seven = MakeKey(L"Seven");
    EXPECT_EQ(L"&&", seven->m_keyName);
    EXPECT_EQ(L"&&", ShownTooltip(*seven));

    // A name the skin gave is kept.
    auto named = std::make_unique<CKeyboardKeyItem>();
    ASSERT_TRUE(named->Create(L"", WS_CHILD | BS_OWNERDRAW, RECT{0, 0, 10, 10}, m_page, 0));
    named->m_keyName = L"Mine";
    named->m_keyRecord = KeyboardDef().FindKeyRecord(HashKeyName(L"Esc"));
    const size_t asked = g_calls.nameKeyData.size();
    named->UpdateKeyName();
    EXPECT_EQ(L"Mine", named->m_keyName);
    EXPECT_EQ(asked, g_calls.nameKeyData.size());
    EXPECT_EQ(0x01, named->m_scanCode);
}

TEST_F(KeyItemTest, ThePageHearsOfHoverAndClickBeforeTheContainer)
{
    Write(L"skins\\kbd.bmp", SolidBmpFile(200, 60, kRed));
    WriteXml(L"keys.xml",
             "<ITEMLIST>\n"
             " <BITMAPLIST><BITMAPITEM name=\"BITMAP_KELDAN\"/></BITMAPLIST>\n"
             " <KBDKEYLIST windowid=\"BITMAP_KELDAN\">\n"
             "  <BUTTONBITMAPS><SBMN>kbd.bmp</SBMN></BUTTONBITMAPS>\n"
             "  <KBDKEY name=\"BUTTON_KB_ESC\" kbddefid=\"Esc\"><RECT left=\"10\" top=\"10\" right=\"30\" bottom=\"20\"/></KBDKEY>\n"
             " </KBDKEYLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"keys.xml", &m_page);
    ASSERT_EQ(2u, m_list.size());
    CKeyboardKeyItem* key = Key(L"BUTTON_KB_ESC");
    ASSERT_NE(nullptr, key);
    const HWND container = m_list[0]->m_window;
    const LPARAM id = key->m_id;

    key->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    key->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
    EXPECT_EQ(1, key->m_hover) << "the button's own hover handling still runs";
    key->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 2));
    key->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 2));
    key->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 2));
    const std::vector<Notice> expected = {
        {m_page, WM_KEYITEM_HOVER, 0, id},
        {m_page, WM_KEYITEM_HOVER, 0, id},
        {m_page, WM_KEYITEM_CLICK, 0, id},
        {container, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(key->m_hWnd)},
    };
    EXPECT_EQ(expected, g_notices);
    EXPECT_EQ(0, key->m_checked) << "a click does not select a key";
    EXPECT_EQ(m_page.m_hWnd, ::GetActiveWindow());
}

TEST_F(KeyItemTest, KeysLookOverWhenMarkedOnlyWhileEnabled)
{
    auto key = MakeKey(L"Esc");
    CBitmap normal = SolidDib(kRed, 40, 20);
    CBitmap over = SolidDib(kGreen, 40, 20);
    CBitmap down = SolidDib(kBlue, 40, 20);
    CBitmap disabled = SolidDib(kGrey, 40, 20);
    key->LoadButtonImagesNoMask(&normal, &over, &down, &disabled, 0, 0, 40, 20);
    auto look = [&](UINT state) { return KeyLook(*key, 40, 20, state, 20, 10); };

    EXPECT_EQ(kRed, look(0));
    EXPECT_EQ(kRed, look(ODS_DISABLED)) << "keys have no disabled look";
    EXPECT_EQ(kRed, look(ODS_SELECTED)) << "pressing does not change a key";
    key->m_hot = 1;
    EXPECT_EQ(kRed, look(0)) << "a label's hot mark is not a key's";
    key->m_hot = 0;
    key->m_highlighted = 1;
    EXPECT_EQ(kGreen, look(0));
    EXPECT_EQ(kRed, look(ODS_DISABLED));
    key->SetSelected(1);
    EXPECT_EQ(kGreen, look(0)) << "the mark shows over the selection";
    EXPECT_EQ(kBlue, look(ODS_DISABLED));
    key->ClearHover();
    EXPECT_EQ(0, key->m_highlighted);
    EXPECT_EQ(kBlue, look(0));
    key->SetSelected(0);
    key->m_hover = 1;
    EXPECT_EQ(kGreen, look(0));
}

TEST_F(KeyItemTest, KbdKeyElementsDrawTheirPartOfTheSharedImagesAndFindTheirKeys)
{
    Write(L"skins\\kbd.bmp", MakeBmpFile(200, 60, [](int x, int y) { return RGB(x, y, 7); }));
    Write(L"skins\\over.bmp", SolidBmpFile(200, 60, kGreen));
    Write(L"skins\\info.bmp", SolidBmpFile(8, 8, kBlue));
    WriteXml(L"keys.xml",
             "<ITEMLIST>\n"
             " <KBDKEYLIST>\n"
             "  <BUTTONBITMAPS><SBMN>kbd.bmp</SBMN><SBMO>over.bmp</SBMO></BUTTONBITMAPS>\n"
             "  <KBDKEY name=\"NO_SUCH_KEY\" kbddefid=\"Esc\"><RECT right=\"5\" bottom=\"5\"/></KBDKEY>\n"
             "  <KBDKEY name=\"BUTTON_KB_ESC\" kbddefid=\"Esc\" ischeckbox=\"0\" caption=\"Esc\" justify=\"C\">\n"
             "   <RECT left=\"30\" top=\"10\" right=\"20\" bottom=\"15\"/>\n"
             "   <SBMN fontclr=\"RED\">over.bmp</SBMN>\n"
             "   <BMPINFO name=\"BITMAP_KB_ESC\"><SBMN>info.bmp</SBMN><RECT left=\"1\" top=\"2\" right=\"3\" bottom=\"4\"/></BMPINFO>\n"
             "  </KBDKEY>\n"
             "  <KBDKEY name=\"BUTTON_KB_F1\" kbddefid=\"Right Ctrl\" tooltip=\"Mine\"><RECT right=\"5\" bottom=\"5\"/></KBDKEY>\n"
             "  <KBDKEY name=\"BUTTON_KB_F2\" kbddefid=\"RESERVED\" tooltip=\"Spare\"><RECT right=\"5\" bottom=\"5\"/></KBDKEY>\n"
             "  <KBDKEY name=\"BUTTON_KB_F3\" kbddefid=\"No such key\"><RECT right=\"5\" bottom=\"5\"/>\n"
             "   <BMPINFO name=\"BITMAP_KB_F3\"><RECT right=\"3\" bottom=\"4\"/></BMPINFO>\n"
             "  </KBDKEY>\n"
             " </KBDKEYLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"keys.xml", &m_page);
    ASSERT_EQ(4u, m_list.size()) << "the unknown name is skipped";

    CKeyboardKeyItem* esc = Key(L"BUTTON_KB_ESC");
    ASSERT_NE(nullptr, esc);
    EXPECT_EQ(SkinItemType::KeyboardKey, esc->m_type);
    EXPECT_EQ(esc->m_hWnd, esc->m_window);
    EXPECT_EQ(&m_page, esc->m_owner);
    EXPECT_EQ(m_page.m_hWnd, esc->m_ownerWnd);
    EXPECT_EQ(m_page.m_hWnd, esc->GetParent());
    EXPECT_EQ(0, esc->GetDlgCtrlID());
    EXPECT_EQ(1, esc->m_isCheckBox) << "ischeckbox does not apply to keys";
    EXPECT_EQ(0, esc->m_toggleOnClick);
    EXPECT_EQ(static_cast<UINT>(DT_EDITCONTROL | DT_MODIFYSTRING | DT_CENTER | DT_VCENTER | DT_WORDBREAK |
                                DT_SINGLELINE),
              esc->m_drawTextFormat);
    EXPECT_EQ(L"Esc", esc->m_caption);
    EXPECT_EQ(0u, esc->m_clrNormal) << "keys draw captions in the default colours";

    // The key draws its own rectangle of the keyboard-sized images, without copies of its own.
    esc->m_caption.clear();
    EXPECT_EQ(RGB(30, 10, 7), KeyLook(*esc, 20, 15, 0, 0, 0));
    EXPECT_EQ(RGB(49, 24, 7), KeyLook(*esc, 20, 15, 0, 19, 14));
    esc->m_highlighted = 1;
    EXPECT_EQ(kGreen, KeyLook(*esc, 20, 15, 0, 0, 0));
    esc->m_highlighted = 0;
    esc->SetSelected(1);
    EXPECT_EQ(kGrey, KeyLook(*esc, 20, 15, 0, 0, 0, kGrey)) << "no down image: what the key covers shows";
    esc->SetSelected(0);
    EXPECT_TRUE(esc->m_bmpNormal.IsNull() && esc->m_bmpOver.IsNull());

    EXPECT_EQ(KeyboardDef().FindKeyRecord(HashKeyName(L"Esc")), esc->m_keyRecord);
    EXPECT_EQ(L"Escape", esc->m_keyName);
    EXPECT_FALSE(esc->m_toolTip.IsWindow()) << "a loaded page makes no tooltip window before the pointer comes";
    EXPECT_EQ(L"Escape", ShownTooltip(*esc));
    ASSERT_NE(nullptr, esc->m_bmpInfo.normal);
    EXPECT_EQ(kBlue, PixelAt(*esc->m_bmpInfo.normal, 0, 0));
    EXPECT_EQ((RECT{1, 2, 4, 6}.right), esc->m_bmpInfo.rect.right);
    EXPECT_EQ(6, esc->m_bmpInfo.rect.bottom);

    // The skin's tooltip is the key's name even when the key is found.
    CKeyboardKeyItem* f1 = Key(L"BUTTON_KB_F1");
    ASSERT_NE(nullptr, f1);
    ASSERT_NE(nullptr, f1->m_keyRecord);
    EXPECT_EQ(0x1D, f1->m_scanCode);
    EXPECT_EQ(L"Mine", f1->m_keyName);
    EXPECT_EQ(L"Mine", ShownTooltip(*f1));

    // Keys the definition skips or lacks have no record and no codes.
    for (const wchar_t* name : {L"BUTTON_KB_F2", L"BUTTON_KB_F3"}) {
        CKeyboardKeyItem* key = Key(name);
        ASSERT_NE(nullptr, key) << name;
        EXPECT_EQ(nullptr, key->m_keyRecord) << name;
        EXPECT_EQ(-1, key->m_scanCode) << name;
        EXPECT_EQ(-1, key->m_virtualKey) << name;
    }
    EXPECT_EQ(L"Spare", Key(L"BUTTON_KB_F2")->m_keyName);
    EXPECT_TRUE(Key(L"BUTTON_KB_F3")->m_keyName.empty());
    EXPECT_EQ(nullptr, Key(L"BUTTON_KB_F3")->m_bmpInfo.normal) << "a picture without an image is not kept";
    EXPECT_EQ(0, Key(L"BUTTON_KB_F3")->m_bmpInfo.rect.right);
}

} // namespace
