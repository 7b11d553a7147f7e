// Tests of key names and keystrokes in US, German and French layouts: FormatKeyName and the three ways
// a KeyStroke is filled (key data, key messages, raw input).
#include "skin/KeyboardDef.h"

#include <gtest/gtest.h>

#include "FakeKeyboardLayouts.h"
#include "model/NameTables.h"

namespace {

class KeyNames : public ::testing::Test {
protected:
    void SetUp() override { InitNameTables(); }

    std::wstring Name(UINT vk, UINT scan, BYTE extended)
    {
        std::wstring name = L"stale";
        EXPECT_TRUE(FormatKeyName(vk, name, scan, extended));
        return name;
    }

    // lParam of a key message: scan code, extended bit, Alt context, previous state.
    static LPARAM KeyData(UINT scan, bool extended = false, bool altContext = false, bool repeat = false)
    {
        return static_cast<LPARAM>(1 | scan << 16 | (extended ? 1u << 24 : 0) | (altContext ? 1u << 29 : 0) |
                                   (repeat ? 1u << 30 : 0));
    }

    static KeyStroke FromKeyData(UINT vk, LPARAM keyData, bool down = true)
    {
        KeyStroke stroke;
        stroke.workVirtualKey = static_cast<std::int16_t>(vk);
        FillKeyStrokeFromKeyData(keyData, stroke, down);
        return stroke;
    }

    FakeKeyboardLayouts m_layouts;
};

MSG Message(UINT message, WPARAM vk, LPARAM keyData)
{
    MSG msg = {};
    msg.message = message;
    msg.wParam = vk;
    msg.lParam = keyData;
    return msg;
}

} // namespace

TEST_F(KeyNames, SystemNamesFollowTheActiveLayout)
{
    struct Case {
        UINT vk, scan;
        BYTE extended;
        const wchar_t *us, *german, *french;
    } cases[] = {
        {VK_LCONTROL, 0x1D, 0, L"Ctrl", L"Strg", L"Ctrl"},
        {VK_RCONTROL, 0x1D, 1, L"Right Ctrl", L"Strg rechts", L"Ctrl droite"},
        {VK_RETURN, 0x1C, 0, L"Enter", L"Eingabe", L"Entrée"},
        {VK_SEPARATOR, 0x1C, 1, L"Num Enter", L"Eingabe (Ziffernblock)", L"Entrée (pavé num.)"},
        {VK_DELETE, 0x53, 1, L"Delete", L"Entf", L"Suppr"},
        {VK_PAUSE, 0x45, 0, L"Pause", L"Pause", L"Pause"},
        // Num Lock shares 0x45 with Pause; its own name is the extended one, asked for whatever the flag.
        {VK_NUMLOCK, 0x45, 0, L"Num Lock", L"Num-Feststell", L"Verr. num"},
        {'Y', 0x15, 0, L"Y", L"Z", L"Y"},
        {'Z', 0x2C, 0, L"Z", L"Y", L"W"},
        {'A', 0x10, 0, L"Q", L"Q", L"A"},
        {'M', 0x27, 0, L";", L"Ö", L"M"},
        {'2', 0x03, 0, L"2", L"2", L"É"},
    };
    for (const Case& c : cases) {
        m_layouts.Activate(kLayoutUs);
        EXPECT_EQ(c.us, Name(c.vk, c.scan, c.extended)) << c.vk;
        m_layouts.Activate(kLayoutGerman);
        EXPECT_EQ(c.german, Name(c.vk, c.scan, c.extended)) << c.vk;
        m_layouts.Activate(kLayoutFrench);
        EXPECT_EQ(c.french, Name(c.vk, c.scan, c.extended)) << c.vk;
    }
}

TEST_F(KeyNames, WithoutASystemNameTheLabelThenTheCharacterIsShown)
{
    // The Windows key has no system name in these tables: its short label stands in.
    EXPECT_EQ(L"LWin", Name(VK_LWIN, 0x5B, 1));
    // A scan code no layout knows: the virtual key's character, upper-cased whole.
    m_layouts.Activate(kLayoutFrench);
    EXPECT_EQ(L"É", Name('2', 0x7F, 0));
    m_layouts.Activate(kLayoutGerman);
    EXPECT_EQ(L"Ü", Name(VK_OEM_1, 0x7F, 0));
    // A dead key has no character of its own, and an unknown key has nothing at all.
    EXPECT_EQ(L"", Name(VK_OEM_5, 0x7F, 0));
    EXPECT_EQ(L"", Name(0xE8, 0x7F, 0));
}

TEST_F(KeyNames, KeyDataSplitsTheGenericModifierKeys)
{
    struct Case {
        UINT vk, scan;
        bool extended;
        std::uint16_t expected;
        const wchar_t* name;
    } cases[] = {
        {VK_CONTROL, 0x1D, false, VK_LCONTROL, L"Ctrl"},
        {VK_CONTROL, 0x1D, true, VK_RCONTROL, L"Right Ctrl"},
        {VK_SHIFT, 0x2A, false, VK_LSHIFT, L"Shift"},
        {VK_SHIFT, 0x36, false, VK_RSHIFT, L"Right Shift"},
        {VK_SHIFT, 0x00, false, VK_SHIFT, L"Shft"},
        {VK_MENU, 0x38, false, VK_LMENU, L"Alt"},
        {VK_MENU, 0x38, true, VK_RMENU, L"Right Alt"},
        {VK_RETURN, 0x1C, false, VK_RETURN, L"Enter"},
        {VK_RETURN, 0x1C, true, VK_SEPARATOR, L"Num Enter"},
    };
    for (const Case& c : cases) {
        const KeyStroke stroke = FromKeyData(c.vk, KeyData(c.scan, c.extended));
        EXPECT_EQ(c.expected, stroke.virtualKey) << c.vk << " " << c.scan;
        EXPECT_EQ(static_cast<std::int16_t>(c.expected), stroke.workVirtualKey);
        EXPECT_EQ(static_cast<std::int16_t>(c.scan), stroke.scanCode);
        EXPECT_EQ(static_cast<std::int16_t>(c.scan), stroke.workScanCode);
        EXPECT_EQ(c.extended ? kKeyStrokeExtended : 0, stroke.flags & kKeyStrokeExtended);
        EXPECT_EQ(c.name, stroke.name);
    }
    EXPECT_EQ(kKeyStrokeDown, FromKeyData('A', KeyData(0x1E)).state);
    EXPECT_EQ(kKeyStrokeUp, FromKeyData('A', KeyData(0x1E), false).state);
    EXPECT_TRUE(FromKeyData(VK_F1, KeyData(0x3B, false, true)).flags & kKeyStrokeAlt);
}

TEST_F(KeyNames, KeystrokeModifiersAreThoseTheCharacterNeeds)
{
    // A letter's character is its capital, which takes Shift.
    EXPECT_EQ(kKeyStrokeShift, FromKeyData('A', KeyData(0x1E)).flags);
    EXPECT_EQ(0, FromKeyData('7', KeyData(0x08)).flags);
    // French digits type accented letters unshifted: the whole character is looked up, so none of the
    // modifier bits is set.
    SetCurrentKeyLayout(FakeKeyboardLayouts::Handle(kLayoutFrench));
    EXPECT_EQ(0, FromKeyData('2', KeyData(0x03)).flags);
    SetCurrentKeyLayout(FakeKeyboardLayouts::Handle(kLayoutGerman));
    EXPECT_EQ(0, FromKeyData(VK_OEM_7, KeyData(0x28)).flags);
}

namespace {
HKL g_seenLayout = reinterpret_cast<HKL>(-1);
} // namespace

TEST_F(KeyNames, KeystrokeModifiersIgnoreUntypeableAndMissingCharacters)
{
    KeyboardLayoutApi api = m_layouts.Api();
    // A layout that cannot type anything, and that would claim Shift+Ctrl for NUL.
    api.VkKeyScanEx = [](wchar_t ch, HKL layout) -> SHORT {
        g_seenLayout = layout;
        return ch == 0 ? 0x0332 : -1;
    };
    SetKeyboardLayoutApi(&api);
    SetCurrentKeyLayout(FakeKeyboardLayouts::Handle(kLayoutGerman));
    EXPECT_EQ(0, FromKeyData('A', KeyData(0x1E)).flags);
    EXPECT_EQ(FakeKeyboardLayouts::Handle(kLayoutGerman), g_seenLayout) << "the current key layout is used";
    EXPECT_EQ(0, FromKeyData(VK_F1, KeyData(0x3B)).flags) << "F1 has no character";
    SetKeyboardLayoutApi(&m_layouts.Api());
}

TEST_F(KeyNames, KeyMessagesThatMoveFocusOrToggleAreSwallowed)
{
    KeyStroke stroke;
    EXPECT_TRUE(FillKeyStrokeFromMessage(Message(WM_KEYDOWN, VK_TAB, KeyData(0x0F)), stroke));
    EXPECT_EQ(VK_TAB, stroke.virtualKey);
    EXPECT_EQ(0x0F, stroke.scanCode);
    EXPECT_EQ(kKeyStrokeDown, stroke.state);
    EXPECT_EQ(L"Tab", stroke.name);

    for (WPARAM vk : {VK_BACK, VK_TAB, VK_PAUSE, VK_CAPITAL, VK_SPACE, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN,
                      VK_LWIN, VK_RWIN, VK_APPS, VK_NUMLOCK, VK_SCROLL})
        EXPECT_TRUE(FillKeyStrokeFromMessage(Message(WM_KEYDOWN, vk, KeyData(0x01)), stroke)) << vk;
    for (WPARAM vk : {WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_END), WPARAM(VK_DELETE), WPARAM(VK_F1)})
        EXPECT_FALSE(FillKeyStrokeFromMessage(Message(WM_KEYDOWN, vk, KeyData(0x01)), stroke)) << vk;

    // Only plain key-downs are swallowed; the others fill the stroke and pass.
    EXPECT_FALSE(FillKeyStrokeFromMessage(Message(WM_SYSKEYDOWN, VK_TAB, KeyData(0x0F, false, true)), stroke));
    EXPECT_EQ(kKeyStrokeDown, stroke.state);
    EXPECT_FALSE(FillKeyStrokeFromMessage(Message(WM_KEYUP, VK_TAB, KeyData(0x0F, false, false, true)), stroke));
    EXPECT_EQ(kKeyStrokeUp, stroke.state) << "a key-up always has its previous-state bit set";
    EXPECT_FALSE(FillKeyStrokeFromMessage(Message(WM_SYSKEYUP, VK_MENU, KeyData(0x38, true, false, true)), stroke));
    EXPECT_EQ(VK_RMENU, stroke.virtualKey);
}

TEST_F(KeyNames, RepeatsAndOtherMessagesLeaveTheStrokeAlone)
{
    KeyStroke stroke;
    ASSERT_FALSE(FillKeyStrokeFromMessage(Message(WM_KEYDOWN, 'Q', KeyData(0x10)), stroke));
    const KeyStroke before = stroke;
    for (const MSG& msg : {Message(WM_KEYDOWN, VK_TAB, KeyData(0x0F, false, false, true)),
                           Message(WM_SYSKEYDOWN, 'W', KeyData(0x11, false, true, true)),
                           Message(WM_CHAR, 'w', KeyData(0x11)), Message(WM_MOUSEMOVE, 0, 0)}) {
        EXPECT_TRUE(FillKeyStrokeFromMessage(msg, stroke)) << msg.message;
        EXPECT_EQ(before.virtualKey, stroke.virtualKey);
        EXPECT_EQ(before.workVirtualKey, stroke.workVirtualKey);
        EXPECT_EQ(before.scanCode, stroke.scanCode);
        EXPECT_EQ(before.state, stroke.state);
        EXPECT_EQ(before.flags, stroke.flags);
        EXPECT_EQ(before.name, stroke.name);
    }
}

TEST_F(KeyNames, RawInputReportsOnlyRealKeys)
{
    KeyStroke stroke;
    EXPECT_FALSE(FillKeyStrokeFromRawInput(stroke, nullptr));

    RAWKEYBOARD report = {};
    report.MakeCode = 0x1D;
    report.Flags = RI_KEY_E0;
    report.VKey = VK_CONTROL;
    m_layouts.Activate(kLayoutGerman);
    EXPECT_TRUE(FillKeyStrokeFromRawInput(stroke, &report));
    EXPECT_EQ(VK_CONTROL, stroke.virtualKey);
    EXPECT_EQ(0x1D, stroke.scanCode);
    EXPECT_EQ(kKeyStrokeExtended, stroke.flags);
    EXPECT_EQ(kKeyStrokeDown, stroke.state);
    EXPECT_EQ(L"Strg rechts", stroke.name);

    report.Flags = RI_KEY_E0 | RI_KEY_BREAK;
    EXPECT_TRUE(FillKeyStrokeFromRawInput(stroke, &report));
    EXPECT_EQ(kKeyStrokeUp, stroke.state);

    // The fake Shift before an extended cursor key: not a key, and the last key stays.
    report = {};
    report.MakeCode = 0x2A;
    report.Flags = RI_KEY_E0;
    report.VKey = 0xFF;
    EXPECT_FALSE(FillKeyStrokeFromRawInput(stroke, &report));
    EXPECT_EQ(VK_CONTROL, stroke.workVirtualKey);

    // The E1 half of Pause, and a report without a scan code.
    report = {};
    report.MakeCode = 0x1D;
    report.Flags = RI_KEY_E1;
    report.VKey = VK_PAUSE;
    EXPECT_FALSE(FillKeyStrokeFromRawInput(stroke, &report));
    report = {};
    report.VKey = 'A';
    EXPECT_FALSE(FillKeyStrokeFromRawInput(stroke, &report));

    // A plain report without a virtual key names the previous key.
    stroke.workVirtualKey = 'Q';
    report = {};
    report.MakeCode = 0x1E;
    report.VKey = 0xFF;
    m_layouts.Activate(kLayoutFrench);
    EXPECT_TRUE(FillKeyStrokeFromRawInput(stroke, &report));
    EXPECT_EQ('Q', stroke.virtualKey);
    EXPECT_EQ(L"Q", stroke.name);
}
