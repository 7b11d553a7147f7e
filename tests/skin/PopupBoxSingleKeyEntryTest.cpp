// The single-key popup run modally: keys reach its key field, Enter and Escape are taken as keys and
// neither confirm nor cancel, the skin's OK and Cancel buttons end it, and what the caller gets back.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "SkinLoaderTestSupport.h"
#include "skin/EditItemSingleKey.h"
#include "skin/PopupBoxSingleKeyEntry.h"
#include "skin/RawInput.h"

namespace {

constexpr UINT WM_PROBE = WM_APP + 1;
constexpr UINT_PTR kDeadlineTimer = 77;
constexpr INT_PTR kTimedOut = 99;

LPARAM KeyData(UINT scanCode, bool up)
{
    LPARAM data = 1 | (static_cast<LPARAM>(scanCode) << 16);
    if (up)
        data |= (1 << 30) | (1u << 31);
    return data;
}

// What the popup looked like when a probe reached it.
struct Snapshot {
    bool visible = false;
    std::wstring keyText;
};

// The popup with a script: OnInitDialog posts the user's actions into the modal loop's queue, so they
// pass the same pre-translation walk and dialog handling as real input. A deadline ends a popup that
// would otherwise never close.
class CScriptedKeyPopup : public CPopupBoxSingleKeyEntry {
public:
    CScriptedKeyPopup(SingleKeyValue* result, std::function<void(CScriptedKeyPopup&)> script)
        : CPopupBoxSingleKeyEntry(nullptr, result), m_script(std::move(script))
    {
    }

    BEGIN_MSG_MAP(CScriptedKeyPopup)
        MESSAGE_HANDLER(WM_PROBE, OnProbe)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        CHAIN_MSG_MAP(CPopupBoxSingleKeyEntry)
    END_MSG_MAP()

    BOOL OnInitDialog() override
    {
        const BOOL result = CPopupBoxSingleKeyEntry::OnInitDialog();
        focusAfterInit = ::GetFocus();
        SetTimer(kDeadlineTimer, 10000);
        m_script(*this);
        return result;
    }

    HWND Button(int id) const
    {
        CGUIItem* item = FindItemById(m_items, id);
        return item ? item->m_window : nullptr;
    }
    void Key(UINT virtualKey, UINT scanCode)
    {
        HWND target = m_keyEdit ? m_keyEdit->m_hWnd : m_hWnd;
        ::PostMessageW(target, WM_KEYDOWN, virtualKey, KeyData(scanCode, false));
        ::PostMessageW(target, WM_KEYUP, virtualKey, KeyData(scanCode, true));
    }
    void Click(int buttonId)
    {
        HWND button = Button(buttonId);
        ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
    void Probe() { PostMessage(WM_PROBE); }

    std::vector<Snapshot> snapshots;
    HWND focusAfterInit = nullptr;

private:
    LRESULT OnProbe(UINT, WPARAM, LPARAM, BOOL&)
    {
        Snapshot snapshot;
        snapshot.visible = IsWindowVisible() != FALSE;
        if (m_keyEdit)
            snapshot.keyText = m_keyEdit->GetWindowText();
        snapshots.push_back(snapshot);
        return 0;
    }
    LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
    {
        if (wParam != kDeadlineTimer) {
            bHandled = FALSE;
            return 0;
        }
        KillTimer(kDeadlineTimer);
        EndDialog(static_cast<int>(kTimedOut));
        return 0;
    }

    std::function<void(CScriptedKeyPopup&)> m_script;
};

class SingleKeyPopupTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        m_boundBefore = CWnd::BoundWindowCount();
        SkinFolderTest::SetUp();
        Write(L"skins\\back.bmp", SolidBmpFile(200, 100, RGB(20, 40, 60)));
        Write(L"skins\\mask.bmp", SolidBmpFile(200, 100, RGB(0, 0, 0)));
        WriteSkin(true);
    }
    void TearDown() override
    {
        RawInputRegistration::Shared().Unregister();
        SkinFolderTest::TearDown();
        EXPECT_EQ(CWnd::BoundWindowCount(), m_boundBefore) << "a window stayed bound";
    }

    void WriteSkin(bool withKeyEdit)
    {
        const std::string keyEdit =
            withKeyEdit ? "<EDITCTRLLIST><EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\">"
                          "<RECT left=\"20\" top=\"10\" right=\"160\" bottom=\"20\"/></EDITCTRLSK></EDITCTRLLIST>"
                        : "";
        WriteXml(L"SingleKeyPopup.xml",
                 "<GUIPANEL><BACKGROUND>back.bmp</BACKGROUND><MASK>mask.bmp</MASK>" + keyEdit +
                     "<BUTTONLIST>"
                     "<BUTTON name=\"BUTTON_POPUP_OK\"><RECT left=\"20\" top=\"60\" right=\"60\" bottom=\"20\"/></BUTTON>"
                     "<BUTTON name=\"BUTTON_POPUP_CANCEL\"><RECT left=\"100\" top=\"60\" right=\"60\" bottom=\"20\"/>"
                     "</BUTTON></BUTTONLIST></GUIPANEL>");
    }

    // Runs the popup with `script`; the result starts out with a text the popup has to replace.
    INT_PTR Run(const std::function<void(CScriptedKeyPopup&)>& script, std::vector<Snapshot>* snapshots = nullptr,
                HWND* focusAfterInit = nullptr, bool* hadKeyEdit = nullptr)
    {
        m_result = SingleKeyValue{L"stale", 1, 2, 3};
        CScriptedKeyPopup popup(&m_result, script);
        const INT_PTR answer = popup.DoModal();
        if (snapshots)
            *snapshots = popup.snapshots;
        if (focusAfterInit)
            *focusAfterInit = popup.focusAfterInit;
        if (hadKeyEdit)
            *hadKeyEdit = popup.m_keyEdit != nullptr;
        return answer;
    }

    SingleKeyValue m_result;

private:
    size_t m_boundBefore = 0;
};

TEST_F(SingleKeyPopupTest, EnterIsTakenAsTheKeyAndOkThenConfirmsIt)
{
    std::vector<Snapshot> snapshots;
    HWND focus = nullptr;
    HWND keyEdit = nullptr;
    const INT_PTR answer = Run(
        [&](CScriptedKeyPopup& popup) {
            keyEdit = popup.m_keyEdit ? popup.m_keyEdit->m_hWnd : nullptr;
            popup.Key(VK_RETURN, 0x1C);
            popup.Probe();
            popup.Click(CPopupBoxSingleKeyEntry::kOkButtonId);
        },
        &snapshots, &focus);
    ASSERT_NE(keyEdit, nullptr);
    EXPECT_EQ(focus, keyEdit) << "the key field has the focus when the popup opens";
    ASSERT_EQ(snapshots.size(), 1u);
    EXPECT_TRUE(snapshots[0].visible) << "Enter must not close the popup";
    EXPECT_FALSE(snapshots[0].keyText.empty()) << "Enter is shown as the key";
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(m_result.text, snapshots[0].keyText);
    EXPECT_EQ(m_result.virtualKey, VK_RETURN);
    EXPECT_EQ(m_result.scanCode, 0x1C);
    EXPECT_EQ(m_result.extended, 0u);
}

TEST_F(SingleKeyPopupTest, EscapeIsTakenAsTheKeyAndOnlyTheCancelButtonCancels)
{
    std::vector<Snapshot> snapshots;
    const INT_PTR answer = Run(
        [&](CScriptedKeyPopup& popup) {
            popup.Key(VK_ESCAPE, 0x01);
            popup.Probe();
            popup.Click(CPopupBoxSingleKeyEntry::kCancelButtonId);
        },
        &snapshots);
    ASSERT_EQ(snapshots.size(), 1u);
    EXPECT_TRUE(snapshots[0].visible) << "Escape must not cancel the popup";
    EXPECT_FALSE(snapshots[0].keyText.empty());
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(m_result.text.empty()) << "a cancelled popup gives no key";
}

TEST_F(SingleKeyPopupTest, OkWithoutAKeyKeepsThePopupOpen)
{
    std::vector<Snapshot> snapshots;
    const INT_PTR answer = Run(
        [&](CScriptedKeyPopup& popup) {
            popup.Click(CPopupBoxSingleKeyEntry::kOkButtonId);
            popup.Probe();
            popup.Click(CPopupBoxSingleKeyEntry::kCancelButtonId);
        },
        &snapshots);
    ASSERT_EQ(snapshots.size(), 1u);
    EXPECT_TRUE(snapshots[0].visible);
    EXPECT_EQ(answer, IDCANCEL);
}

TEST_F(SingleKeyPopupTest, AnotherKeyAfterEscapeIsConfirmedWithItsCodes)
{
    const INT_PTR answer = Run([&](CScriptedKeyPopup& popup) {
        popup.Key(VK_ESCAPE, 0x01);
        popup.Key('A', 0x1E);
        popup.Click(CPopupBoxSingleKeyEntry::kOkButtonId);
    });
    EXPECT_EQ(answer, IDOK);
    EXPECT_FALSE(m_result.text.empty());
    EXPECT_EQ(m_result.virtualKey, 'A');
    EXPECT_EQ(m_result.scanCode, 0x1E);
}

TEST_F(SingleKeyPopupTest, PopupWithoutKeyFieldClosesOnlyByCancel)
{
    WriteSkin(false);
    std::vector<Snapshot> snapshots;
    bool hadKeyEdit = true;
    const INT_PTR answer = Run(
        [&](CScriptedKeyPopup& popup) {
            popup.Click(CPopupBoxSingleKeyEntry::kOkButtonId);
            popup.Probe();
            popup.Click(CPopupBoxSingleKeyEntry::kCancelButtonId);
        },
        &snapshots, nullptr, &hadKeyEdit);
    EXPECT_FALSE(hadKeyEdit);
    ASSERT_EQ(snapshots.size(), 1u);
    EXPECT_TRUE(snapshots[0].visible) << "OK gives nothing and keeps the popup";
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(m_result.text.empty());
}

TEST_F(SingleKeyPopupTest, PopupCanBeRunAgain)
{
    SingleKeyValue result;
    int run = 0;
    CScriptedKeyPopup popup(&result, [&](CScriptedKeyPopup& p) {
        ++run;
        p.Key(run == 1 ? 'A' : 'B', run == 1 ? 0x1E : 0x30);
        p.Click(CPopupBoxSingleKeyEntry::kOkButtonId);
    });
    EXPECT_EQ(popup.DoModal(), IDOK);
    EXPECT_EQ(result.virtualKey, 'A');
    EXPECT_EQ(popup.DoModal(), IDOK) << "the second run works on its own window's items";
    EXPECT_EQ(result.virtualKey, 'B');
    EXPECT_EQ(popup.m_items.size(), 5u);
}

// A popup whose panel is missing or damaged (cut, random, no mask picture) never opens as a blank modal
// window: the user is told which file is at fault and the caller gets neither OK nor Cancel.
TEST_F(SingleKeyPopupTest, DamagedPanelIsReportedAndNeverOpens)
{
    std::vector<std::wstring> reported;
    SetDamagedInstallationHandler([&](const std::wstring& file) { reported.push_back(file); });
    const std::string random(700, '\x9C');
    const std::pair<std::string, std::wstring> kPanels[] = {
        {"<GUIPANEL><BACKGROUND>back.bmp</BACKGROUND><MASK>mask.bmp</MASK><BUTTONLIST>", L"xml\\SingleKeyPopup.xml"},
        {random, L"xml\\SingleKeyPopup.xml"},
        {"<GUIPANEL><BACKGROUND>back.bmp</BACKGROUND><MASK>gone.bmp</MASK></GUIPANEL>", L"skins\\gone.bmp"},
        {"<ITEMLIST/>", L"xml\\SingleKeyPopup.xml"},
    };
    for (const auto& [panel, atFault] : kPanels) {
        reported.clear();
        WriteXml(L"SingleKeyPopup.xml", panel);
        bool initialised = false;
        EXPECT_EQ(Run([&](CScriptedKeyPopup&) { initialised = true; }), -1);
        EXPECT_FALSE(initialised);
        EXPECT_EQ(reported, std::vector<std::wstring>{atFault});
    }
    reported.clear();
    DeleteFileW((m_folder + L"xml\\SingleKeyPopup.xml").c_str());
    EXPECT_EQ(Run([](CScriptedKeyPopup&) {}), -1);
    EXPECT_EQ(reported, std::vector<std::wstring>{L"xml\\SingleKeyPopup.xml"});
    SetDamagedInstallationHandler(nullptr);
}

} // namespace
