// The macro display: what recording makes of raw reports (delays, held keys, the Stop click), refusals
// that must not cost events, the row menus, in-place delay editing, replay, and the MACRODISPLAY element.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "ListMenuTestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "skin/MacroDisplayItem.h"
#include "skin/SkinLoader.h"

namespace {

// The display's parent: counts the notifications.
class CDisplayParent : public CWnd {
public:
    std::vector<UINT> notices;

    BEGIN_MSG_MAP(CDisplayParent)
        MESSAGE_HANDLER(WM_MACRODISPLAY_CHANGED, OnNotice)
        MESSAGE_HANDLER(WM_MACRODISPLAY_EDITEVENT, OnNotice)
        MESSAGE_HANDLER(WM_MACRODISPLAY_PLAYDONE, OnNotice)
    END_MSG_MAP()

    int Count(UINT msg) const { return static_cast<int>(std::count(notices.begin(), notices.end(), msg)); }

private:
    LRESULT OnNotice(UINT msg, WPARAM, LPARAM, BOOL&)
    {
        notices.push_back(msg);
        return 0;
    }
};

// The recorder's clock and pointer, set by the test.
DWORD g_now = 0;
HWND g_underCursor = nullptr;
DWORD FakeTick() { return g_now; }
HWND FakeWindowAtCursor() { return g_underCursor; }
const CMacroDisplayItem::Environment kFakeEnvironment = {FakeTick, FakeWindowAtCursor};

BOOL WINAPI RefuseRegistration(PCRAWINPUTDEVICE, UINT, UINT)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
BOOL WINAPI AcceptRegistration(PCRAWINPUTDEVICE, UINT, UINT) { return TRUE; }

constexpr USHORT kScanA = 0x1E;
constexpr USHORT kScanCtrl = 0x1D;

RawInputReport Key(USHORT makeCode, USHORT vkey, bool up, bool e0 = false)
{
    RawInputReport report;
    report.type = RIM_TYPEKEYBOARD;
    report.keyboard.MakeCode = makeCode;
    report.keyboard.VKey = vkey;
    report.keyboard.Flags = static_cast<USHORT>((up ? RI_KEY_BREAK : RI_KEY_MAKE) | (e0 ? RI_KEY_E0 : 0));
    return report;
}
RawInputReport Mouse(USHORT buttonFlags)
{
    RawInputReport report;
    report.type = RIM_TYPEMOUSE;
    report.mouse.usButtonFlags = buttonFlags;
    return report;
}

MacroEvent KeyEvent(USHORT makeCode, USHORT vkey, bool up, bool e0 = false)
{
    return MakeKeyEvent(vkey, makeCode, up ? kMacroReleased : kMacroPressed, e0 ? kMacroExtendedKey : 0);
}
MacroEvent Delay(uint32_t ms) { return MacroEvent{kMacroDelay, ms, ms}; }

const char* DisplayXml(bool readOnly)
{
    return readOnly ? "<ITEMLIST><MACRODISPLAYLIST><MACRODISPLAY name=\"MACRO_DISPLAY_READONLY\" readonly=\"1\" "
                      "max=\"-4\"><RECT left=\"0\" top=\"0\" right=\"300\" bottom=\"200\"/>"
                      "<LISTCOLUMN name=\"LCITEM_MCREVENT_ICON\" type=\"ICON\" width=\"28\"/>"
                      "<LISTCOLUMN name=\"LCITEM_MCREVENT_DESCRIP\" type=\"STATIC\" width=\"250\"/>"
                      "</MACRODISPLAY></MACRODISPLAYLIST></ITEMLIST>"
                    : "<ITEMLIST><MACRODISPLAYLIST><MACRODISPLAY name=\"MACRO_DISPLAY\" max=\"200\" "
                      "backclr=\"BLACK\" backclrhi=\"WHITE\"><RECT left=\"0\" top=\"0\" right=\"300\" bottom=\"200\"/>"
                      "<MDBMP_KEYDN>icon.bmp</MDBMP_KEYDN>"
                      "<LISTCOLUMN name=\"LCITEM_MCREVENT_ICON\" type=\"ICON\" width=\"28\"/>"
                      "<LISTCOLUMN name=\"LCITEM_MCREVENT_DESCRIP\" type=\"STATIC\" width=\"250\" justify=\"L\"/>"
                      "</MACRODISPLAY></MACRODISPLAYLIST></ITEMLIST>";
}

class MacroDisplayTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SkinFolderTest::SetUp());
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        g_now = 1000;
        g_underCursor = nullptr;
        Write(L"skins\\icon.bmp", SolidBmpFile(28, 18, RGB(255, 0, 0)));
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 40, 40, 400, 260, nullptr, nullptr));
        m_display = Load(false);
        ASSERT_NE(m_display, nullptr);
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    CMacroDisplayItem* Load(bool readOnly)
    {
        WriteXml(readOnly ? L"ro.xml" : L"rw.xml", DisplayXml(readOnly));
        SkinItemList loaded;
        LoadSkinPanelFile(m_folder + (readOnly ? L"xml\\ro.xml" : L"xml\\rw.xml"), &loaded, &m_parent);
        auto* display = loaded.empty() ? nullptr : dynamic_cast<CMacroDisplayItem*>(loaded.front());
        m_list.insert(m_list.end(), loaded.begin(), loaded.end());
        if (display) {
            display->m_environment = &kFakeEnvironment;
            display->m_rawInput = &m_registration;
        }
        return display;
    }
    void StartRecording() { ASSERT_TRUE(m_display->ToggleRecording()); }
    void Feed(const RawInputReport& report, DWORD at)
    {
        g_now = at;
        m_display->TakeReport(report);
    }
    std::vector<MacroEvent> Events() const { return m_display->Events(); }
    void RightClickRow(int row)
    {
        RECT rc = {};
        ASSERT_TRUE(m_display->GetSubItemRect(row, 1, LVIR_BOUNDS, &rc));
        m_display->PostMessage(WM_RBUTTONUP, 0, MAKELPARAM(rc.left + 5, rc.top + 3));
        m_display->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(rc.left + 5, rc.top + 3));
    }

    CDisplayParent m_parent;
    RawInputRegistration m_registration{AcceptRegistration};
    CMacroDisplayItem* m_display = nullptr;
    FakeListCalls m_menu;
};

TEST_F(MacroDisplayTest, RecordedKeysGetTheMeasuredDelaysBetweenThemAndRepeatsAreDropped)
{
    StartRecording();
    Feed(Key(kScanA, 'A', false), 5000);
    Feed(Key(kScanA, 'A', false), 5100);  // auto-repeat
    Feed(Key(kScanA, 'A', true), 5250);
    Feed(Key(kScanA, 'A', false), 5250 + 20000000);
    const std::vector<MacroEvent> expected = {KeyEvent(kScanA, 'A', false), Delay(250), KeyEvent(kScanA, 'A', true),
                                              Delay(CMacroDisplayItem::kMaxRecordedDelayMs), KeyEvent(kScanA, 'A', false)};
    EXPECT_EQ(expected, Events());
    ASSERT_EQ(5, m_display->GetItemCount());
    EXPECT_EQ(L"0.250 ", m_display->RowText(1));
    EXPECT_EQ(MacroEventText(expected[0]), m_display->RowText(0));
    EXPECT_EQ(0, m_parent.Count(WM_MACRODISPLAY_CHANGED)) << "recording is no change notice";
}

TEST_F(MacroDisplayTest, RightCtrlPressedWhileLeftCtrlIsHeldIsRecorded)
{
    StartRecording();
    Feed(Key(kScanCtrl, VK_CONTROL, false), 100);
    Feed(Key(kScanCtrl, VK_CONTROL, false, true), 200);
    Feed(Key(kScanCtrl, VK_CONTROL, true, true), 300);
    Feed(Key(kScanCtrl, VK_CONTROL, true), 400);
    ASSERT_EQ(7u, Events().size());
    EXPECT_EQ(Events()[2].data2, uint32_t(kMacroExtendedKey) << 8 | kMacroPressed);
    EXPECT_EQ(Events()[4].data2, uint32_t(kMacroExtendedKey) << 8 | kMacroReleased);
}

TEST_F(MacroDisplayTest, FixedAndNoDelayOptionsReplaceTheMeasuredTime)
{
    m_display->m_fixedDelay = true;
    m_display->m_fixedDelayMs = 100;
    StartRecording();
    Feed(Key(kScanA, 'A', false), 10);
    Feed(Key(kScanA, 'A', true), 9999);
    ASSERT_EQ(3, m_display->GetItemCount());
    EXPECT_EQ(Delay(100), Events()[1]);
    EXPECT_EQ(L"0.100 ", m_display->RowText(1));

    m_display->m_fixedDelay = false;
    m_display->m_noDelay = true;
    Feed(Mouse(RI_MOUSE_LEFT_BUTTON_DOWN), 20000);
    Feed(Mouse(0), 20001);  // a move
    EXPECT_EQ(MakeMouseButtonEvent(1, kMacroPressed), Events().back());
    EXPECT_EQ(4u, Events().size());
}

TEST_F(MacroDisplayTest, RecordingStaysOffWhenTheSystemRefusesRawInput)
{
    RawInputRegistration refusing(RefuseRegistration);
    m_display->m_rawInput = &refusing;
    EXPECT_FALSE(m_display->ToggleRecording());
    EXPECT_FALSE(m_display->IsRecording());
    Feed(Key(kScanA, 'A', false), 10);
    EXPECT_TRUE(Events().empty());

    m_display->m_rawInput = &m_registration;
    EXPECT_TRUE(m_display->ToggleRecording());
    EXPECT_TRUE(m_registration.IsRegistered());
    EXPECT_FALSE(m_display->ToggleRecording());
    EXPECT_FALSE(m_registration.IsRegistered());
}

TEST_F(MacroDisplayTest, TheClickOnStopIsNotRecordedEvenWhenItsRawPressComesFirst)
{
    CWnd stop;
    ASSERT_TRUE(CreateChild(stop, m_parent, 77));
    m_display->m_ignoreCaptureWindow = stop;
    StartRecording();
    Feed(Key(kScanA, 'A', false), 10);
    Feed(Mouse(RI_MOUSE_RIGHT_BUTTON_DOWN), 20);  // elsewhere: recorded
    Feed(Mouse(RI_MOUSE_RIGHT_BUTTON_UP), 30);
    // The raw press arrives while the pointer is on Stop, before Stop has the capture; its release
    // arrives after the pointer slipped off.
    g_underCursor = stop;
    Feed(Mouse(RI_MOUSE_LEFT_BUTTON_DOWN), 40);
    g_underCursor = nullptr;
    Feed(Mouse(RI_MOUSE_LEFT_BUTTON_UP), 50);
    // With the capture on Stop.
    ::SetCapture(stop);
    Feed(Mouse(RI_MOUSE_LEFT_BUTTON_DOWN), 60);
    Feed(Mouse(RI_MOUSE_LEFT_BUTTON_UP), 70);
    ReleaseCapture();
    ASSERT_EQ(5u, Events().size());
    EXPECT_EQ(MakeMouseButtonEvent(2, kMacroReleased), Events().back());
    stop.DestroyWindow();
}

TEST_F(MacroDisplayTest, ButtonCodesBeyondTheNameTableShowNoName)
{
    const MacroEventList events = {MakeMouseButtonEvent(200, kMacroPressed), MakeMouseButtonEvent(25, kMacroPressed)};
    EXPECT_TRUE(m_display->LoadEvents(&events));
    EXPECT_EQ(L"", m_display->RowText(0));
    EXPECT_EQ(L"$Button4Down", m_display->RowText(1));
}

TEST_F(MacroDisplayTest, AReplacementOfUnknownKindLeavesTheOldEventInPlace)
{
    const MacroEventList events = {KeyEvent(kScanA, 'A', false), Delay(40), KeyEvent(kScanA, 'A', true)};
    ASSERT_TRUE(m_display->LoadEvents(&events));
    EXPECT_FALSE(m_display->ReplaceEvent(1, MacroEvent{7, 1, 1}));
    EXPECT_FALSE(m_display->ReplaceEvent(3, Delay(5)));
    EXPECT_EQ(events, Events());
    EXPECT_EQ(3, m_display->GetItemCount());
    EXPECT_EQ(0, m_parent.Count(WM_MACRODISPLAY_CHANGED));

    EXPECT_TRUE(m_display->ReplaceEvent(2, KeyEvent(0x30, 'B', true)));
    EXPECT_EQ(KeyEvent(0x30, 'B', true), Events()[2]);
    EXPECT_EQ(1, m_parent.Count(WM_MACRODISPLAY_CHANGED));
}

TEST_F(MacroDisplayTest, DeleteRemovesTheRowItWasChosenOnAndSelectsTheNext)
{
    const MacroEventList events = {KeyEvent(kScanA, 'A', false), Delay(40), KeyEvent(kScanA, 'A', true)};
    ASSERT_TRUE(m_display->LoadEvents(&events));
    m_display->m_keyRowMenu = m_menu.AnyMenu();
    m_menu.choice = L"$delete";
    RightClickRow(1);
    EXPECT_EQ((MacroEventList{events[0], events[2]}), Events());
    EXPECT_EQ(1, m_display->GetSelectedRow());
    EXPECT_EQ(1, m_parent.Count(WM_MACRODISPLAY_CHANGED));
    RightClickRow(1);
    EXPECT_EQ(MacroEventList{events[0]}, Events());
    EXPECT_EQ(-1, m_display->GetSelectedRow()) << "deleting the last row leaves no selection";
}

TEST_F(MacroDisplayTest, ARowKindWithoutMenuOpensNothingAndInsertDelayUsesTheFixedDelay)
{
    const MacroEventList events = {MakeMouseButtonEvent(1, kMacroPressed), KeyEvent(kScanA, 'A', false)};
    ASSERT_TRUE(m_display->LoadEvents(&events));
    m_display->m_keyRowMenu = m_menu.AnyMenu();
    RightClickRow(0);
    EXPECT_EQ(0, m_menu.menuCalls);

    m_display->m_fixedDelayMs = 75;
    m_menu.choice = L"$InsertDelay";
    RightClickRow(1);
    ASSERT_EQ(1, m_menu.menuCalls);
    EXPECT_EQ((MacroEventList{events[0], events[1], Delay(75)}), Events());
    EXPECT_EQ(2, m_display->GetSelectedRow());

    m_menu.choice = L"$Edit";
    RightClickRow(1);
    EXPECT_EQ(1, m_parent.Count(WM_MACRODISPLAY_EDITEVENT));
}

TEST_F(MacroDisplayTest, TheDelayEditorKeepsTheExactDelayWhenAcceptedUnchanged)
{
    const MacroEventList events = {KeyEvent(kScanA, 'A', false), Delay(1001), KeyEvent(kScanA, 'A', true)};
    ASSERT_TRUE(m_display->LoadEvents(&events));
    m_display->SelectRow(1);
    m_display->SetFocus();
    auto editAndEnter = [&](const wchar_t* typed) {
        HWND edit = reinterpret_cast<HWND>(m_display->SendMessage(LVM_EDITLABELW, 1, 0));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(m_display->m_editingLabel);
        if (typed)
            SetWindowTextW(edit, typed);
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        PumpUntil([&] { return !m_display->m_editingLabel; }, 2000);
    };
    editAndEnter(nullptr);
    EXPECT_EQ(Delay(1001), Events()[1]);
    EXPECT_EQ(L"1.001 ", m_display->RowText(1));
    editAndEnter(L"2500");
    EXPECT_EQ(Delay(2500).data1, Events()[1].data1);
    EXPECT_EQ(L"2.500 ", m_display->RowText(1));
    editAndEnter(L"");
    EXPECT_EQ(2500u, Events()[1].data1) << "an empty entry keeps the delay";
}

TEST_F(MacroDisplayTest, ReplayShowsEventsOneDelayAfterAnotherThenClearsAndSaysDone)
{
    CMacroDisplayItem* player = Load(true);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(0, player->m_maxEvents);
    EXPECT_FALSE(player->ToggleRecording());
    const MacroEventList events = {KeyEvent(kScanA, 'A', false), Delay(300), KeyEvent(kScanA, 'A', true)};
    const DWORD start = GetTickCount();
    player->PlayEvents(&events);
    EXPECT_EQ(MacroEventList{events[0]}, player->Events());
    ASSERT_TRUE(PumpUntil([&] { return m_parent.Count(WM_MACRODISPLAY_PLAYDONE) == 1; }, 5000));
    EXPECT_GE(GetTickCount() - start, 250u);
    EXPECT_EQ(0, player->GetItemCount());

    const MacroEventList endsInDelay = {KeyEvent(kScanA, 'A', false), Delay(60000)};
    player->PlayEvents(&endsInDelay);
    EXPECT_EQ(2, m_parent.Count(WM_MACRODISPLAY_PLAYDONE)) << "a final delay is not waited out";
}

TEST_F(MacroDisplayTest, AnEmptyDisplayShowsTheSkinsBackgroundNotTheSystemsWhite)
{
    // Recording starts with an empty display and shows it without its scroll bar's frame.
    WriteXml(L"grey.xml", "<ITEMLIST><MACRODISPLAYLIST><MACRODISPLAY name=\"MACRO_DISPLAY\" backclr=\"DARKGREY2\">"
                          "<RECT left=\"0\" top=\"0\" right=\"300\" bottom=\"200\"/>"
                          "<LISTCOLUMN name=\"LCITEM_MCREVENT_ICON\" type=\"ICON\" width=\"28\"/>"
                          "<LISTCOLUMN name=\"LCITEM_MCREVENT_DESCRIP\" type=\"STATIC\" width=\"250\"/>"
                          "</MACRODISPLAY></MACRODISPLAYLIST></ITEMLIST>");
    m_display->ShowWindow(SW_HIDE);
    SkinItemList loaded;
    LoadSkinPanelFile(m_folder + L"xml\\grey.xml", &loaded, &m_parent);
    m_list.insert(m_list.end(), loaded.begin(), loaded.end());
    auto* display = loaded.empty() ? nullptr : dynamic_cast<CMacroDisplayItem*>(loaded.front());
    ASSERT_NE(display, nullptr);
    display->m_scrollBarHidden = true;
    display->ClearEvents();
    ::RedrawWindow(display->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = ::GetDC(display->m_hWnd);
    const COLORREF centre = ::GetPixel(dc, 150, 100);
    ::ReleaseDC(display->m_hWnd, dc);
    EXPECT_EQ(RGB(43, 43, 43), centre);
}

TEST_F(MacroDisplayTest, TheImageListLastsUntilTheDisplayItselfGoes)
{
    const auto images = reinterpret_cast<HIMAGELIST>(m_display->SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    m_display->DestroyWindow();
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(images, &cx, &cy)) << "the list view destroyed the display's image list";
    EXPECT_EQ(18, cy);
}

TEST_F(MacroDisplayTest, AnElementWithAnUnknownColumnYieldsNothing)
{
    WriteXml(L"bad.xml", "<ITEMLIST><MACRODISPLAYLIST><MACRODISPLAY name=\"MACRO_DISPLAY\">"
                         "<RECT left=\"0\" top=\"0\" right=\"100\" bottom=\"100\"/>"
                         "<LISTCOLUMN name=\"LCITEM_MCREVENT_ICON\" type=\"ICON\" width=\"28\"/>"
                         "<LISTCOLUMN name=\"NO_SUCH_COLUMN\" type=\"STATIC\" width=\"50\"/>"
                         "</MACRODISPLAY></MACRODISPLAYLIST></ITEMLIST>");
    SkinItemList loaded;
    LoadSkinPanelFile(m_folder + L"xml\\bad.xml", &loaded, &m_parent);
    EXPECT_TRUE(loaded.empty());
    DeleteSkinItems(loaded);
    EXPECT_EQ(1u, m_display->m_icons.size());
    EXPECT_EQ(200, m_display->m_maxEvents);
}

} // namespace
