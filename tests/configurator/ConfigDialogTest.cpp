// The main dialog over the simulated keyboard: giving keys their five kinds of function through the
// key-assignment page and its popups, Apply and what the keyboard then holds, the dialog while a write
// runs, a failed write, OK during a write, the keyboard's removal, the version lines, and the hint of a picked key.
#include "ConfigTestSupport.h"

#include <regex>

#include "configurator/FileVersions.h"

#include "skin/BitmapWnd.h"
#include "skin/EditItemSingleKey.h"

using namespace config;

namespace {

constexpr int kEsc = 420;  // BUTTON_KB_ESC
constexpr int kF1 = 421;   // BUTTON_KB_F1

int EntryIndex(CPopupBox& popup, const std::wstring& text)
{
    auto* list = dynamic_cast<CDropdownListItem*>(FindItemById(popup.m_items, kIdPopupList));
    for (size_t i = 0; list && i < list->m_entries.size(); ++i) {
        if (list->GetEntryText(int(i)) == text)
            return int(i);
    }
    return -1;
}

// The macro popup's answer: the first macro, played a number of times.
void ChooseFirstMacroPlayedMultipleTimes(CPopupBox& popup)
{
    ChooseEntry(popup, 0);
    PostClick(PopupItem(popup, kIdPlayMultiple));
    PopupOk(popup);
}

} // namespace

TEST_F(ConfigDialogTest, SingleKeyAndDefaultAreKeptUntilApplyWritesThemToTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    EXPECT_FALSE(IsWindowEnabled(MainButton(kIdButtonApply))) << "a dialog just opened has nothing to apply";
    PickKey(kEsc);
    ASSERT_EQ(Dialog().SelectedKey(), Dialog().FindKeyItem(kEsc));
    EXPECT_TRUE(IsWindowEnabled(AssignButton(kIdAssignSingleKey)));

    AssignKeyA();
    const KeyAssignment esc = StoredKey(L"Esc");
    EXPECT_EQ(esc.kind, kKindSingleKey);
    EXPECT_EQ(esc.data.key.scanCode, 0x1E);
    EXPECT_TRUE(IsWindowEnabled(MainButton(kIdButtonApply)));
    EXPECT_EQ(Dialog().FindKeyItem(kEsc)->m_checked, 1) << "the key shows that it has a function of its own";
    EXPECT_EQ(Dialog().SelectedKey(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(AssignButton(kIdAssignSingleKey))) << "no key is picked any more";
    EXPECT_EQ(KeyboardKey(L"Esc").kind, kKindDefaultKey) << "nothing reaches the keyboard before Apply";

    PickKey(kEsc);
    Click(AssignButton(kIdAssignDefault));
    EXPECT_EQ(StoredKey(L"Esc").kind, kKindDefaultKey);
    PickKey(kF1);
    AnswerPopups({[](CPopupBox& popup) {
        TypeKey(popup, 'B', 0x30);
        PopupOk(popup);
    }});
    Click(AssignButton(kIdAssignSingleKey), [&] { return StoredKey(L"F1").kind == kKindSingleKey; });

    ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
    EXPECT_FALSE(Dialog().IsDirty());
    EXPECT_FALSE(IsWindowEnabled(MainButton(kIdButtonApply)));
    const KeyAssignment f1 = KeyboardKey(L"F1");
    EXPECT_EQ(f1.kind, kKindSingleKey);
    EXPECT_EQ(f1.data.key.scanCode, 0x30);
    EXPECT_EQ(KeyboardKey(L"Esc").kind, kKindDefaultKey);
}

TEST_F(ConfigDialogTest, DialogReadingInTheBackgroundShowsOnlyOnceTheKeyboardIsRead)
{
    CDeviceSide().CreateMacro(L"Greeting", {});
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    m_dialog = std::make_unique<COssleAppDlg>(&Keyboard(), m_store.get());
    m_dialog->ReadWhileBuilding();
    ASSERT_TRUE(m_dialog->Create(nullptr));
    // Enter, Escape or a close reaching the hidden dialog (a second start activates it) closes nothing,
    // then or later.
    ::SendMessageW(Dialog().m_hWnd, WM_COMMAND, IDOK, 0);
    ::SendMessageW(Dialog().m_hWnd, WM_COMMAND, IDCANCEL, 0);
    ::SendMessageW(Dialog().m_hWnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(DialogOpen()) << "the hidden dialog was closed";
    bool shownDuringRead = false;
    ASSERT_TRUE(PumpUntil([&] {
        const bool visible = ::IsWindowVisible(Dialog().m_hWnd) != FALSE;
        shownDuringRead = shownDuringRead || (visible && Dialog().StartupReadRunning());
        return visible;
    })) << "the dialog never showed";
    EXPECT_FALSE(shownDuringRead) << "the dialog showed before the keyboard was read";
    EXPECT_FALSE(Keyboard().IsBusy());
    ASSERT_EQ(m_store->GetMacroCount(), 1u);
    EXPECT_NE(m_store->GetActiveProfile(), nullptr);
    ASSERT_NE(Dialog().m_keyProfileSelector, nullptr);
    EXPECT_EQ(Dialog().m_keyProfileSelector->m_entries.size(), m_store->GetProfileCount())
        << "the profile selector lists the profiles read";
    EXPECT_FALSE(IsWindowEnabled(MainButton(kIdButtonApply))) << "a dialog just opened has nothing to apply";
    PickKey(kEsc);
    EXPECT_TRUE(IsWindowEnabled(AssignButton(kIdAssignMacro))) << "the macro read is there to assign";

    AssignKeyA();
    ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
    PumpUntil([&] { return !HasPendingInput(); });
    EXPECT_TRUE(DialogOpen()) << "the first Apply closed the dialog for an Enter pressed before it showed";
}

TEST_F(ConfigDialogTest, MacroIsAssignedWithItsModeAndARepeatCountThatNeverWraps)
{
    CDeviceSide().CreateMacro(L"Greeting", {});
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    ASSERT_EQ(m_store->GetMacroCount(), 1u);
    PickKey(kEsc);
    ASSERT_TRUE(IsWindowEnabled(AssignButton(kIdAssignMacro)));
    AnswerPopups({
        ChooseFirstMacroPlayedMultipleTimes,
        [](CPopupBox& popup) {
            TypeDigits(popup, L"300");  // the last digit would make 300: it is refused, not wrapped to 44
            PopupOk(popup);
        },
    });
    Click(AssignButton(kIdAssignMacro), [&] { return Dialog().IsDirty(); });
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kSelectMacroPopup, kRepeatCountPopup}));
    KeyAssignment esc = StoredKey(L"Esc");
    EXPECT_EQ(esc.kind, kKindMacro);
    EXPECT_EQ(esc.param, uint32_t(kPlayMultiple));
    EXPECT_EQ(esc.count, 30);
    GUID guid{};
    m_store->GetMacroAt(0)->GetGuid(guid);
    EXPECT_TRUE(esc.data.guid == guid);

    // Opened again on that key, the popup shows the macro and mode the key has.
    std::wstring shownName;
    int shownMode = 0;
    PickKey(kEsc);
    AnswerPopups({[&](CPopupBox& popup) {
        auto& macroPopup = dynamic_cast<COssleMacroAssignmentPopup&>(popup);
        shownName = macroPopup.m_list ? macroPopup.m_list->m_selectedText : L"";
        for (CBitmapBtn* button : macroPopup.m_modeButtons)
            shownMode += button && button->m_checked ? COssleMacroAssignmentPopup::ModeOfButton(button->m_id) : 0;
        popup.EndDialog(IDCANCEL);
    }});
    Click(AssignButton(kIdAssignMacro), [&] { return m_shownPanels.size() == 1 && !HasPendingInput(); });
    EXPECT_EQ(shownName, L"Greeting");
    EXPECT_EQ(shownMode, int(kPlayMultiple));

    // A repeat count that is not given plays the macro once.
    PickKey(kF1);
    AnswerPopups({[](CPopupBox& popup) {
        PostClick(PopupItem(popup, kIdPlayMultiple));
        PopupOk(popup);
    }});
    Click(AssignButton(kIdAssignMacro), [&] { return StoredKey(L"F1").kind == kKindMacro; });
    EXPECT_EQ(StoredKey(L"F1").param, uint32_t(kPlayOnce));
    EXPECT_EQ(StoredKey(L"F1").count, 0);
}

TEST_F(ConfigDialogTest, EnterConfirmsTheRepeatCount)
{
    CDeviceSide().CreateMacro(L"Greeting", {});
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PickKey(kEsc);
    AnswerPopups({
        ChooseFirstMacroPlayedMultipleTimes,
        [](CPopupBox& popup) {
            TypeDigits(popup, L"12");
            PressKeyIn(popup, kIdPopupNumEntry, VK_RETURN);
        },
    });
    Click(AssignButton(kIdAssignMacro), [&] { return Dialog().IsDirty(); });
    EXPECT_EQ(StoredKey(L"Esc").param, uint32_t(kPlayMultiple));
    EXPECT_EQ(StoredKey(L"Esc").count, 12) << "Enter did not confirm the count";
}

TEST_F(ConfigDialogTest, ProfileSwitchAndSelectorTakeTheProfileAtItsPlaceNotItsName)
{
    CDeviceSide device;
    device.CreateProfile(L"WORK");
    const GUID work = device.CreateProfile(L"Work");
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    int workIndex = -1;
    for (unsigned i = 0; i < m_store->GetProfileCount(); ++i) {
        if (GuidOf(m_store->GetProfileAt(i)) == work)
            workIndex = int(i);
    }
    ASSERT_GE(workIndex, 0);

    PickKey(kEsc);
    AnswerPopups({[](CPopupBox& popup) {
        ChooseEntry(popup, EntryIndex(popup, L"Work"));
        PopupOk(popup);
    }});
    Click(AssignButton(kIdAssignProfile), [&] { return Dialog().IsDirty(); });
    const KeyAssignment esc = StoredKey(L"Esc");
    EXPECT_EQ(esc.kind, kKindProfile);
    EXPECT_TRUE(esc.data.guid == work) << "the switch goes to the profile chosen, not the first of that name";

    HWND selector = ItemWindow(Dialog().m_keyPage, kIdProfileSelector);
    PostMessageW(Dialog().m_hWnd, WM_DROPDOWN_SELCHANGE, workIndex, reinterpret_cast<LPARAM>(selector));
    PumpUntil([&] { return !HasPendingInput(); });
    EXPECT_TRUE(GuidOf(m_store->GetActiveProfile()) == work);
}

TEST_F(ConfigDialogTest, LaunchProgramReusesItsEntryAndRefusesAnOverlongPath)
{
    const std::wstring program = L"C:\\Tools\\run.exe";
    const std::wstring overlong = L"C:\\" + std::wstring(247, L'x') + L"\\a.exe";
    ASSERT_EQ(overlong.size(), 256u);
    m_platform.chosenFiles = {program, program, overlong};
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    for (int key : {kEsc, kF1}) {
        PickKey(key);
        Click(AssignButton(kIdAssignLaunch));
    }
    EXPECT_EQ(m_store->GetAppCount(), 1u) << "the same program is one entry";
    EXPECT_EQ(StoredKey(L"F1").kind, kKindLaunchProgramText);
    EXPECT_EQ(std::wstring(StoredKey(L"F1").data.text), program);

    PickKey(kEsc);
    AnswerPopups({PopupOk});
    Click(AssignButton(kIdAssignLaunch));
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kPathLimitPopup});
    EXPECT_EQ(std::wstring(StoredKey(L"Esc").data.text), program) << "an overlong path changes nothing";
    EXPECT_EQ(m_store->GetAppCount(), 1u);
}

TEST_F(ConfigDialogTest, WhileAWriteRunsTheDialogTakesNoInputThatChangesTheStore)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    Keyboard().SetCompletionPause(1500);
    PickKey(kEsc);
    Click(AssignButton(kIdAssignDefault));
    Click(MainButton(kIdButtonApply), [&] { return Dialog().TransferRunning(); });

    EXPECT_FALSE(IsWindowEnabled(MainButton(kIdTabProfiles)));
    EXPECT_FALSE(IsWindowEnabled(Dialog().FindKeyItem(kF1)->m_hWnd));
    EXPECT_FALSE(IsWindowEnabled(ItemWindow(Dialog().m_keyPage, kIdProfileSelector)));
    EXPECT_TRUE(IsWindowEnabled(MainButton(kIdButtonOk))) << "OK stays, to close after the write";
    PostMessageW(Dialog().m_hWnd, WM_KEYITEM_HOVER, 0, kF1);
    PickKey(kF1);
    EXPECT_TRUE(Dialog().TransferRunning());
    EXPECT_EQ(Dialog().HoveredKey(), nullptr) << "hovering reads the store, which a write must not see change";
    EXPECT_EQ(Dialog().SelectedKey(), nullptr);

    ASSERT_TRUE(PumpUntil([&] { return !Dialog().TransferRunning(); }));
    EXPECT_TRUE(IsWindowEnabled(MainButton(kIdTabProfiles)));
    EXPECT_TRUE(IsWindowEnabled(Dialog().FindKeyItem(kF1)->m_hWnd));
    EXPECT_FALSE(Dialog().IsDirty());
    PickKey(kF1);
    EXPECT_EQ(Dialog().SelectedKey(), Dialog().FindKeyItem(kF1)) << "the page takes input again";
}

TEST_F(ConfigDialogTest, FailedWriteLeavesTheChangesToApplyAgainAndTellsTheUser)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PickKey(kEsc);
    AssignKeyA();
    Command("fail IButtonAssignment.SetRecords 1");
    AnswerPopups({[&](CPopupBox& popup) { PopupOk(popup); }});
    ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
    PumpUntil([&] { return !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kWriteFailedPopup});
    EXPECT_TRUE(Dialog().IsDirty());
    EXPECT_TRUE(IsWindowEnabled(MainButton(kIdButtonApply)));

    ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
    EXPECT_FALSE(Dialog().IsDirty());
    EXPECT_EQ(KeyboardKey(L"Esc").kind, kKindSingleKey);
}

TEST_F(ConfigDialogTest, SpaceDuringAWriteWaitsForItThenCloses)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    Keyboard().SetCompletionPause(800);
    PickKey(kEsc);
    AssignKeyA();
    Click(MainButton(kIdButtonApply), [&] { return Dialog().TransferRunning(); });
    PostMessageW(Dialog().m_hWnd, WM_KEYDOWN, VK_SPACE, 1 | (0x39 << 16));
    PumpUntil([&] { return !HasPendingInput(); });
    EXPECT_TRUE(DialogOpen()) << "the dialog waits for the running write";
    ASSERT_TRUE(PumpUntil([&] { return !DialogOpen(); }));
    EXPECT_EQ(KeyboardKey(L"Esc").kind, kKindSingleKey);
}

TEST_F(ConfigDialogTest, TwoRemovalsShowOneNoDevicePopupAndTheConfiguratorCloses)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    SendRemoval(Dialog().m_hWnd, L"\\\\?\\hid#vid_3f1d&pid_0999#1#{378de44c}");
    HWND dialog = Dialog().m_hWnd;
    AnswerPopups({[dialog](CPopupBox& popup) {
        SendRemoval(dialog);
        PopupOk(popup);
    }});
    SendRemoval(dialog);
    ASSERT_TRUE(PumpUntil([&] { return !DialogOpen(); }));
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kNoDevicePopup});
}

TEST_F(ConfigDialogTest, RemovalDuringTheKeyPopupEndsItStopsRecordingAndStillCloses)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PickKey(kEsc);
    Mark();
    HWND dialog = Dialog().m_hWnd;
    AnswerPopups({
        [dialog](CPopupBox& popup) {
            TypeKey(popup, 'A', 0x1E);
            SendRemoval(dialog);
        },
        PopupOk,
    });
    Click(AssignButton(kIdAssignSingleKey), [&] { return !DialogOpen(); });
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{L"SingleKeyPopup.xml", kNoDevicePopup}));
    EXPECT_NE(StoredKey(L"Esc").kind, kKindSingleKey) << "a popup ended by the removal stores nothing";
    EXPECT_GE(CountCalls("IDeviceMode.SetMode"), 2u) << "recording started and stopped again";
}

TEST_F(ConfigDialogTest, RemovalDuringAFileDialogEndsItFirstThenCloses)
{
    // The file dialog is the system's own; the removal comes while it is open.
    struct CRealFileDialog : CFakeConfigPlatform {
        bool ChooseFile(HWND owner, const wchar_t* filter, DWORD flags, std::wstring& path) override
        {
            SendRemoval(owner);
            return config::SystemConfigPlatform().ChooseFile(owner, filter, flags, path);
        }
    } platform;
    config::SetConfigPlatform(&platform);
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PickKey(kEsc);
    HWND dialog = Dialog().m_hWnd;
    bool fileDialogOpen = false;
    AnswerPopups({[&](CPopupBox& popup) {
        // A window of the thread owned by the dialog that is none of ours: the file dialog.
        std::pair<HWND, bool> search(dialog, false);
        EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM data) -> BOOL {
            auto* found = reinterpret_cast<std::pair<HWND, bool>*>(data);
            found->second = found->second || (GetWindow(window, GW_OWNER) == found->first &&
                                              !CWnd::FromHandlePermanent(window) && IsWindowVisible(window));
            return TRUE;
        }, reinterpret_cast<LPARAM>(&search));
        fileDialogOpen = search.second;
        PopupOk(popup);
    }});
    Click(AssignButton(kIdAssignLaunch), [&] { return !DialogOpen(); });
    EXPECT_TRUE(PumpUntil([&] { return !DialogOpen(); }, 20000));
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kNoDevicePopup});
    EXPECT_FALSE(fileDialogOpen) << "the no-device popup came while the file dialog was still open";
    EXPECT_NE(StoredKey(L"Esc").kind, kKindLaunchProgram);
    config::SetConfigPlatform(&m_platform);
}

TEST_F(ConfigDialogTest, PickedKeyOffersOnlyAssignmentsWithSomethingToAssign)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    ASSERT_EQ(m_store->GetMacroCount(), 0u);
    for (int id = kIdAssignDefault; id <= kIdAssignLaunch; ++id)
        EXPECT_FALSE(IsWindowEnabled(AssignButton(id))) << id;
    PickKey(kEsc);
    EXPECT_TRUE(IsWindowEnabled(AssignButton(kIdAssignDefault)));
    EXPECT_FALSE(IsWindowEnabled(AssignButton(kIdAssignMacro))) << "no macro to assign";
    EXPECT_EQ(IsWindowEnabled(AssignButton(kIdAssignProfile)) != FALSE, m_store->GetProfileCount() >= 2);
    EXPECT_EQ(Dialog().KeyHint()->m_selected, 1) << "the hint stays on the picked key";
    PickKey(kEsc);
    EXPECT_EQ(Dialog().SelectedKey(), nullptr) << "a second click un-picks the key";
    EXPECT_FALSE(IsWindowEnabled(AssignButton(kIdAssignDefault)));
}

TEST_F(ConfigDialogTest, HelpButtonAndF1OpenTheInstalledManual)
{
    ASSERT_TRUE(CreateDirectoryW(m_folder.File(L"Manuals").c_str(), nullptr));
    WriteFile(L"Manuals\\index.html", "<html></html>");
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    AnswerPopups({});
    Click(MainButton(kIdButtonHelp), [&] { return !m_platform.opened.empty(); });
    PostMessageW(Dialog().m_hWnd, WM_KEYDOWN, VK_F1, 1 | (0x3B << 16));
    PostMessageW(Dialog().m_hWnd, WM_KEYUP, VK_F1, 1 | (0x3B << 16) | (3u << 30));
    PumpUntil([&] { return m_platform.opened.size() >= 2 && !HasPendingInput(); });
    ASSERT_EQ(m_platform.opened.size(), 2u) << "the button and F1 each open the manual once";
    for (const auto& opened : m_platform.opened) {
        EXPECT_EQ(opened.verb, L"OPEN");
        EXPECT_EQ(opened.file, AppFolder() + L"Manuals\\index.html");
    }
    EXPECT_TRUE(m_shownPanels.empty()) << "an installed manual needs no word";
}

// A missing manual is reported instead of opened, once for each ask: F1 pressed on the keyboard shows
// one message, which Escape closes, and the help button's message closes with Enter.
TEST_F(ConfigDialogTest, AMissingManualIsReportedOnceAndItsMessageClosesWithEnterOrEscape)
{
    WriteFile(L"xml\\ManualMissingPopup.xml", Popup(""));
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    AnswerPopups({PressEscape, PressEnter});
    SetForegroundWindow(Dialog().m_hWnd);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == Dialog().m_hWnd; }, 5000));
    PressKeyboardKey(VK_F1, 0x3B);
    PumpUntil([&] { return !m_shownPanels.empty() && IsWindowEnabled(Dialog().m_hWnd) && !HasPendingInput(); });
    Click(MainButton(kIdButtonHelp), [&] { return m_shownPanels.size() >= 2 && IsWindowEnabled(Dialog().m_hWnd); });
    PumpUntil([] { return !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kManualMissingPopup, kManualMissingPopup}));
    EXPECT_FALSE(KeyLeftPopupOpen()) << "a key left the message open";
    EXPECT_TRUE(m_platform.opened.empty()) << "nothing is handed to the shell";
    EXPECT_TRUE(DialogOpen());
}

TEST_F(ConfigDialogTest, ExitDropsUnappliedChanges)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    PickKey(kEsc);
    AssignKeyA();
    Mark();
    Click(MainButton(kIdButtonExit), [&] { return !DialogOpen(); });
    EXPECT_FALSE(DialogOpen());
    EXPECT_EQ(CountCalls("IButtonAssignment.SetRecords"), 0u) << "closing writes nothing";
    EXPECT_EQ(KeyboardKey(L"Esc").kind, kKindDefaultKey);
}

TEST_F(ConfigDialogTest, VersionLinesKeepTheirLabelsInFrontOfTheNumbers)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    std::wstring firmware;
    ASSERT_TRUE(Keyboard().GetFirmwareVersion(firmware));
    auto text = [this](int id) {
        auto* item = dynamic_cast<CTextItem*>(FindItemById(Dialog().m_items, id));
        return item ? item->GetText() : std::wstring(L"(missing)");
    };
    EXPECT_EQ(text(kIdTextFirmware), L"Firmware version: " + firmware);
    EXPECT_TRUE(std::regex_match(text(kIdTextDriver), std::wregex(L"Software version: [0-9]+\\.[0-9]{2,}")))
        << text(kIdTextDriver);

    CFileVersions versions;
    versions.m_productParts[0] = L"1";
    versions.m_productParts[1] = L"2";
    EXPECT_EQ(ProductVersionLine(L"Software version", versions), L"Software version: 1.02");
    versions.m_productParts[1] = L"12";
    EXPECT_EQ(ProductVersionLine(L"Software version", versions), L"Software version: 1.12");
}

TEST_F(ConfigDialogTest, BehindKeyboardNotFoundNothingOffersItselfAndTheVersionLinesShow)
{
    Command("unplug");
    EXPECT_FALSE(Keyboard().Initialize(m_store.get()));
    std::vector<int> enabled;
    std::wstring firmware, software;
    auto text = [this](int id) {
        auto* item = dynamic_cast<CTextItem*>(FindItemById(Dialog().m_items, id));
        return item ? item->GetText() : std::wstring(L"(missing)");
    };
    AnswerPopups({[&](CPopupBox& popup) {
        for (int id : {kIdAssignDefault, kIdAssignSingleKey, kIdAssignMacro, kIdAssignProfile, kIdAssignLaunch})
            if (IsWindowEnabled(AssignButton(id)))
                enabled.push_back(id);
        if (IsWindowEnabled(MainButton(kIdButtonApply)))
            enabled.push_back(kIdButtonApply);
        firmware = text(kIdTextFirmware);
        software = text(kIdTextDriver);
        PopupOk(popup);
    }});
    m_dialog = std::make_unique<COssleAppDlg>(&Keyboard(), m_store.get());
    ASSERT_TRUE(m_dialog->Create(nullptr));
    m_dialog->ShowWindow(SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return !DialogOpen(); }));
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kNoDevicePopup});
    EXPECT_EQ(enabled, std::vector<int>{}) << "nothing to assign or apply without a keyboard";
    EXPECT_EQ(firmware, L"Firmware version") << "the label alone: no keyboard told its firmware";
    EXPECT_TRUE(std::regex_match(software, std::wregex(L"Software version: [0-9]+\\.[0-9]{2,}"))) << software;
}

TEST_F(ConfigDialogTest, HintNamesAPickedKeyThatKeepsItsDefaultFunction)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    CKeyboardKeyItem* key = Dialog().FindKeyItem(kEsc);
    ASSERT_NE(key, nullptr);
    ASSERT_FALSE(key->m_keyName.empty());
    PickKey(kEsc);
    EXPECT_EQ(Dialog().KeyHint()->m_assignmentKind, 0);
    EXPECT_EQ(Dialog().KeyHint()->m_caption, key->m_keyName) << "the hint's caption strip stays empty";
}

TEST_F(ConfigDialogTest, HintFollowsThePointerAndShowsAKeysNewFunctionAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    CKeyboardKeyItem* esc = Dialog().FindKeyItem(kEsc);
    ASSERT_NE(esc, nullptr);
    auto hover = [&](int id) {
        PostMessageW(Dialog().m_hWnd, WM_KEYITEM_HOVER, 0, id);
        PumpUntil([] { return !HasPendingInput(); }, 5000);
    };
    RECT rc = {};
    esc->GetWindowRect(&rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    hover(kEsc);
    EXPECT_EQ(Dialog().KeyHint()->m_caption, esc->m_keyName);
    // The pointer leaves the key for the dialog's background, then comes back to it.
    SendMessageW(Dialog().m_hWnd, WM_NCMOUSEMOVE, HTCAPTION, 0);
    EXPECT_EQ(Dialog().KeyHint()->m_caption, L"");
    hover(kEsc);
    EXPECT_EQ(Dialog().KeyHint()->m_caption, esc->m_keyName) << "the same key again shows again";
    // The key reports the move that takes the pointer off it, onto the picture between the keys.
    POINT gap = {5, 200};
    ClientToScreen(Dialog().m_hWnd, &gap);
    SetCursorPos(gap.x, gap.y);
    hover(kEsc);
    EXPECT_EQ(Dialog().KeyHint()->m_caption, L"") << "no key under the pointer";
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    hover(kEsc);

    // The key gets a function while the pointer rests on it.
    PickKey(kEsc);
    AssignKeyA();
    std::wstring name;
    FormatKeyName('A', name, 0x1E, 0);
    EXPECT_EQ(Dialog().KeyHint()->m_caption, L" " + name) << "the hint shows the key as it is now";
    EXPECT_EQ(Dialog().KeyHint()->m_assignmentKind, kKindSingleKey);
}

TEST_F(ConfigDialogTest, TabsSwitchPagesAndLeakNoDrawingObjectsOrWindows)
{
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    HWND dialog = Dialog().m_hWnd;
    auto shownPage = [&] {
        return unsigned(SendMessageW(dialog, AutomationMessage(), 0, kAutomationState) >> kAutomationPageShift) & 0xFF;
    };
    auto objects = [&] { return SendMessageW(dialog, AutomationMessage(), 0, kAutomationGuiObjects); };
    EXPECT_EQ(shownPage(), kPageKeyAssignment);
    const int tabs[] = {kIdTabProfiles, kIdTabMacros, kIdTabLighting, kIdTabAssignKeys};
    const unsigned pages[] = {kPageProfiles, kPageMacros, kPageLighting, kPageKeyAssignment};
    auto cycle = [&] {
        for (int i = 0; i < 4; ++i) {
            Click(MainButton(tabs[i]), [&] { return shownPage() == pages[i] && !HasPendingInput(); });
            ASSERT_EQ(shownPage(), pages[i]) << "tab " << tabs[i];
            EXPECT_EQ(IsWindowVisible(AssignButton(kIdAssignDefault)) != FALSE, i == 3)
                << "the key page's buttons show on the key page only";
        }
    };
    // The first round draws every page once; what it keeps (cached pictures and fonts) stays.
    ASSERT_NO_FATAL_FAILURE(cycle());
    const LRESULT before = objects();
    EXPECT_GT(before & 0xFFFFFFFF, 0) << "GDI objects are counted";
    EXPECT_GT(before >> 32, 10) << "the dialog's windows are counted";
    for (int round = 0; round < 5; ++round)
        ASSERT_NO_FATAL_FAILURE(cycle());
    EXPECT_EQ(objects() & 0xFFFFFFFF, before & 0xFFFFFFFF) << "GDI objects";
    EXPECT_EQ(objects() >> 32, before >> 32) << "USER objects";
}
