// The macros page in the main dialog over the simulated keyboard: recording into a macro up to Apply,
// the checks that come before the keyboard records, editing a key event through the single-key popup,
// names the store refuses, deleting, replay and what can be inserted.
#include "ConfigTestSupport.h"

#include "model/PredefinedMacros.h"
#include "model/ProfileFolder.h"
#include "skin/MacroDisplayItem.h"

using namespace config;

namespace {

BOOL WINAPI RefuseRegistration(PCRAWINPUTDEVICE, UINT, UINT)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

RawInputReport KeyReport(USHORT makeCode, USHORT vkey, bool up)
{
    RawInputReport report;
    report.type = RIM_TYPEKEYBOARD;
    report.keyboard.MakeCode = makeCode;
    report.keyboard.VKey = vkey;
    report.keyboard.Flags = up ? RI_KEY_BREAK : RI_KEY_MAKE;
    return report;
}

MacroEvent KeyDown(USHORT scan, USHORT vk) { return MakeKeyEvent(vk, scan, kMacroPressed, 0); }
MacroEvent KeyUp(USHORT scan, USHORT vk) { return MakeKeyEvent(vk, scan, kMacroReleased, 0); }

class MacroPageTest : public ConfigDialogTest {
protected:
    void OpenMacrosPage()
    {
        ASSERT_NO_FATAL_FAILURE(OpenDialog());
        Click(MainButton(kIdTabMacros));
        ASSERT_NE(Display(), nullptr);
        ASSERT_NE(Player(), nullptr);
    }
    CMacroDisplayItem* Display() { return Dialog().m_macroDisplay; }
    CMacroDisplayItem* Player() { return Dialog().m_macroPlayer; }
    HWND Item(int id) { return ItemWindow(Dialog().m_macrosPage, id); }
    // A macro of the store with these events, chosen in the macro list as a user would choose it.
    CMacro* ChooseNewMacro(const wchar_t* name, const MacroEventList& events)
    {
        CMacro* macro = m_store->AddMacro(name);
        EXPECT_NE(macro, nullptr);
        if (!macro)
            return nullptr;
        macro->SetEvents(events);
        Dialog().FillMacroList();
        ChooseMacroAt(int(m_store->GetMacroCount()) - 1);
        return macro;
    }
    void ChooseMacroAt(int index)
    {
        Dialog().m_macroList->SetCurSel(index);
        SendMessageW(Dialog().m_hWnd, WM_DROPDOWN_SELCHANGE, index, reinterpret_cast<LPARAM>(Dialog().m_macroList->m_hWnd));
    }
    bool KeyboardRecords() { return State().find(" mode " + std::to_string(2)) != std::string::npos; }
    void ClickOption(int id)
    {
        Click(Item(id));
    }
};

TEST_F(MacroPageTest, ARecordedMacroIsStoredAtStopAndReachesTheKeyboardOnApply)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageNoMacro);
    EXPECT_FALSE(IsWindowEnabled(Item(kIdMacroPlay)));
    // Record with no macro makes one first.
    AnswerPopups({[](CPopupBox& popup) {
        TypeName(popup, L"Alpha");
        PopupOk(popup);
    }});
    Click(Item(kIdMacroRecord), [&] { return Dialog().ChosenMacro() != nullptr; });
    ASSERT_EQ(m_shownPanels, std::vector<std::wstring>{kMacroNamePopup});
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageIdle);
    EXPECT_FALSE(Display()->IsRecording());

    Click(Item(kIdMacroRecord), [&] { return Display()->IsRecording(); });
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageRecording);
    EXPECT_TRUE(KeyboardRecords());
    EXPECT_FALSE(IsWindowEnabled(MainButton(kIdButtonOk))) << "nothing but Stop while recording";
    EXPECT_FALSE(IsWindowEnabled(Dialog().m_macroList->m_hWnd));
    EXPECT_EQ(Display()->m_ignoreCaptureWindow, Item(kIdMacroStop));
    Display()->TakeReport(KeyReport(0x1E, 'A', false));
    Display()->TakeReport(KeyReport(0x1E, 'A', true));
    ASSERT_EQ(Display()->GetItemCount(), 3);

    Click(Item(kIdMacroStop), [&] { return !Display()->IsRecording(); });
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageIdle);
    EXPECT_FALSE(KeyboardRecords());
    CMacro* alpha = m_store->FindMacroByName(L"Alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->Events(), Display()->Events());
    EXPECT_TRUE(Dialog().IsDirty());

    ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
    EXPECT_NE(State().find("\"Alpha\" events 3"), std::string::npos) << State();
}

TEST_F(MacroPageTest, RemovalWhileRecordingStopsTheRecordingAndCloses)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Alpha", {});
    Click(Item(kIdMacroRecord), [&] { return Display()->IsRecording(); });
    ASSERT_TRUE(KeyboardRecords());
    AnswerPopups({PopupOk});
    SendRemoval(Dialog().m_hWnd);
    EXPECT_TRUE(PumpUntil([&] { return !DialogOpen(); })) << "the configurator stayed open, still recording";
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kNoDevicePopup});
    EXPECT_FALSE(KeyboardRecords());
}

TEST_F(MacroPageTest, EnterConfirmsTheNamePopupAndEscapeCancelsIt)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    AnswerPopups({[](CPopupBox& popup) {
        TypeName(popup, L"Alpha");
        PressKeyIn(popup, kIdPopupNameEntry, VK_RETURN);
    }});
    Click(Item(kIdMacroCreate), [&] { return Dialog().ChosenMacro() != nullptr; });
    EXPECT_NE(m_store->FindMacroByName(L"Alpha"), nullptr) << "Enter did not confirm the name";

    AnswerPopups({[](CPopupBox& popup) {
        TypeName(popup, L"Beta");
        PressKeyIn(popup, kIdPopupNameEntry, VK_ESCAPE);
    }});
    Click(Item(kIdMacroCreate));
    EXPECT_FALSE(KeyLeftPopupOpen()) << "Escape did not close the popup";
    EXPECT_EQ(m_store->FindMacroByName(L"Beta"), nullptr) << "Escape kept the name";
    EXPECT_EQ(m_store->GetMacroCount(), 1u);
}

TEST_F(MacroPageTest, RecordingThatCannotStartLeavesTheKeyboardOutOfRecordingMode)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Beta", {});
    // The fixed-delay option with 0 ms (typed while the option was off, so no check caught it).
    SetWindowTextW(Item(kIdFixedDelayEdit), L"0");
    ClickOption(kIdFixedDelay);
    ASSERT_TRUE(Display()->m_fixedDelay);
    AnswerPopups({[](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroRecord), [&] { return m_shownPanels.size() == 1 && !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kDefaultDelayPopup});
    EXPECT_FALSE(Display()->IsRecording());
    EXPECT_FALSE(KeyboardRecords());

    // The system refuses the raw input: the keyboard goes back to its normal mode.
    SetWindowTextW(Item(kIdFixedDelayEdit), L"40");
    RawInputRegistration refusing(RefuseRegistration);
    Display()->m_rawInput = &refusing;
    Click(Item(kIdMacroRecord));
    Display()->m_rawInput = &RawInputRegistration::Shared();
    EXPECT_FALSE(Display()->IsRecording());
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageIdle);
    EXPECT_FALSE(KeyboardRecords());
    EXPECT_EQ(Display()->m_fixedDelayMs, 40u);
}

TEST_F(MacroPageTest, AKeyEventChangesOnlyWhenItsPopupEndsWithOkAndAKey)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    const MacroEventList events = {KeyDown(0x1E, 'A'), MacroEvent{kMacroDelay, 30, 30}, KeyUp(0x1E, 'A')};
    CMacro* macro = ChooseNewMacro(L"Gamma", events);
    ASSERT_EQ(Display()->GetItemCount(), 3);
    Display()->SelectRow(2);
    Dialog().SetDirty(false);
    auto editEvent = [&] {
        SendMessageW(Dialog().m_hWnd, WM_MACRODISPLAY_EDITEVENT, 0, kIdMacroDisplay);
        PumpUntil([] { return !HasPendingInput(); });
    };
    AnswerPopups({[](CPopupBox& popup) {
        TypeKey(popup, 'B', 0x30);
        popup.EndDialog(IDCANCEL);
    }});
    editEvent();
    EXPECT_EQ(m_shownPanels.size(), 1u);
    EXPECT_EQ(macro->Events(), events) << "a key typed, then Cancel";
    EXPECT_FALSE(Dialog().IsDirty());

    AnswerPopups({[](CPopupBox& popup) {
        TypeKey(popup, 'B', 0x30);
        PopupOk(popup);
    }});
    editEvent();
    EXPECT_EQ(macro->Events()[2], KeyUp(0x30, 'B')) << "the new key keeps the event's release";
    EXPECT_EQ(macro->Events()[0], events[0]);
    EXPECT_TRUE(Dialog().IsDirty());
}

TEST_F(MacroPageTest, ANameTakenInOtherLetterCaseIsRefusedWithTheWarning)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Greeting", {});
    AnswerPopups({[](CPopupBox& popup) {
                      TypeName(popup, L"GREETING");
                      PopupOk(popup);
                  },
                  [](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroCreate), [&] { return m_shownPanels.size() == 2 && !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kMacroNamePopup, kDuplicateMacroPopup}));
    EXPECT_EQ(m_store->GetMacroCount(), 1u);

    // A rename to a name in use is refused the same way; one in other letter case of its own is taken.
    ChooseNewMacro(L"Other", {});
    AnswerPopups({[](CPopupBox& popup) {
                      TypeName(popup, L"greeting");
                      PopupOk(popup);
                  },
                  [](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroRename), [&] { return m_shownPanels.size() == 2 && !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels.back(), kDuplicateMacroPopup);
    EXPECT_STREQ(m_store->GetMacroAt(1)->GetName(), L"Other");
}

TEST_F(MacroPageTest, DeleteActsOnlyOnAChosenMacroAndTheLastOneLeavesAnEmptyPage)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Delta", {KeyDown(0x1E, 'A')});
    Dialog().m_macroList->m_selectedText.clear();  // the box shows no macro
    AnswerPopups({});
    Click(Item(kIdMacroDelete));
    EXPECT_TRUE(m_shownPanels.empty()) << "no macro chosen: nothing to confirm";
    EXPECT_EQ(m_store->GetMacroCount(), 1u);

    Dialog().m_macroList->SetCurSel(0);
    AnswerPopups({[](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroDelete), [&] { return m_store->GetMacroCount() == 0; });
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kDeleteMacroPopup});
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageNoMacro);
    EXPECT_EQ(Display()->GetItemCount(), 0);
    EXPECT_TRUE(Dialog().m_macroList->m_entries.empty());
    EXPECT_TRUE(Dialog().IsDirty());
}

TEST_F(MacroPageTest, StopEndsAReplayAndTheReplayEndsByItself)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Epsilon", {KeyDown(0x1E, 'A'), MacroEvent{kMacroDelay, 60000, 60000}, KeyUp(0x1E, 'A')});
    Click(Item(kIdMacroPlay), [&] { return Player()->GetItemCount() == 1; });
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageReplaying);
    EXPECT_TRUE(IsWindowVisible(Player()->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(Display()->m_hWnd));
    Click(Item(kIdMacroStop), [&] { return Dialog().MacroPageState() == kMacroPageIdle; });
    EXPECT_EQ(Player()->GetItemCount(), 0);
    EXPECT_TRUE(IsWindowVisible(Display()->m_hWnd));

    CMacro* macro = Dialog().ChosenMacro();
    macro->SetEvents({KeyDown(0x1E, 'A'), MacroEvent{kMacroDelay, 20, 20}, KeyUp(0x1E, 'A')});
    Click(Item(kIdMacroPlay), [&] { return Dialog().MacroPageState() == kMacroPageReplaying; });
    EXPECT_TRUE(PumpUntil([&] { return Dialog().MacroPageState() == kMacroPageIdle; }));
}

TEST_F(MacroPageTest, AReplayThatEndsDuringAWriteLeavesThePageLockedUntilTheWriteEnds)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Theta", {KeyDown(0x1E, 'A'), MacroEvent{kMacroDelay, 50, 50}, KeyUp(0x1E, 'A')});
    Keyboard().SetCompletionPause(3000);
    Click(Item(kIdMacroPlay), [&] { return Dialog().MacroPageState() == kMacroPageReplaying; });
    // Enter writes during a replay too.
    ASSERT_TRUE(Dialog().ApplySettings());
    ASSERT_TRUE(PumpUntil([&] { return Dialog().MacroPageState() == kMacroPageIdle; }));
    ASSERT_TRUE(Dialog().TransferRunning());
    EXPECT_FALSE(IsWindowEnabled(MainButton(kIdTabProfiles))) << "the write still runs";
    EXPECT_FALSE(IsWindowEnabled(Item(kIdMacroCreate)));

    ASSERT_TRUE(PumpUntil([&] { return !Dialog().TransferRunning(); }));
    EXPECT_TRUE(IsWindowEnabled(MainButton(kIdTabProfiles)));
    EXPECT_TRUE(IsWindowEnabled(Item(kIdMacroCreate)));
    EXPECT_FALSE(IsWindowEnabled(Item(kIdMacroStop))) << "nothing to stop any more";
}

TEST_F(MacroPageTest, DelaysAndCommandsAreInsertedAfterTheSelectedEventOrAtTheStart)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    CMacro* macro = ChooseNewMacro(L"Zeta", {KeyDown(0x1E, 'A'), KeyUp(0x1E, 'A')});
    Display()->ClearSelection();
    SetWindowTextW(Item(kIdInsertDelayEdit), L"120");
    Click(Item(kIdInsertDelay));
    EXPECT_EQ(macro->Events().size(), 2u) << "no event selected: no delay";

    Click(Item(kIdMacroFirstEvent));
    Click(Item(kIdInsertDelay));
    ASSERT_EQ(macro->Events().size(), 3u);
    EXPECT_EQ(macro->Events()[1], (MacroEvent{kMacroDelay, 120, 120}));
    EXPECT_EQ(Display()->GetSelectedRow(), 1);

    std::vector<std::wstring> commands;
    PredefinedMacros().GetFirstGroupNames(commands);
    ASSERT_FALSE(commands.empty());
    MacroEventList steps;
    PredefinedMacros().GetMacroSteps(commands[0], steps);
    Display()->ClearSelection();
    Dialog().m_basicCommands->SetCurSel(0);
    Click(Item(kIdAddBasicCommand));
    ASSERT_EQ(macro->Events().size(), 3u + steps.size());
    EXPECT_TRUE(std::equal(steps.begin(), steps.end(), macro->Events().begin()));
    EXPECT_EQ(Display()->GetSelectedRow(), int(steps.size()) - 1) << "the last inserted step is selected";
}

TEST_F(MacroPageTest, OnlyAppliedMacrosAreExportedAndImportsWaitForAppliedChanges)
{
    CDeviceSide().CreateMacro(L"Greeting", {});
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseMacroAt(0);
    const std::wstring file = m_folder.File(L"greeting.qnm");
    m_platform.chosenFiles.push_back(file);
    AnswerPopups({});
    Click(Item(kIdMacroExport));
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "the keyboard's macro is in the file";
    ASSERT_EQ(m_platform.fileDialogs.size(), 1u);
    EXPECT_TRUE(m_platform.fileDialogs[0].save);
    EXPECT_TRUE(m_shownPanels.empty());

    // A macro made since the last Apply is neither exported nor lets an import in.
    CMacro* fresh = ChooseNewMacro(L"Fresh", {});
    AnswerPopups({[](CPopupBox& popup) { PopupOk(popup); }, [](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroExport), [&] { return m_shownPanels.size() == 1 && !HasPendingInput(); });
    Click(Item(kIdMacroImport), [&] { return m_shownPanels.size() == 2 && !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kExportMacroPopup, kImportMacroPopup}));
    EXPECT_EQ(m_platform.fileDialogs.size(), 1u);
    m_store->RemoveMacro(fresh);
    Dialog().FillMacroList();

    // The store's macro is renamed, so the file's macro comes in as a second one.
    ChooseMacroAt(0);
    AnswerPopups({[](CPopupBox& popup) {
        SetWindowTextW(PopupItem(popup, kIdPopupNameEntry), L"");
        TypeName(popup, L"Hello");
        PopupOk(popup);
    }});
    Click(Item(kIdMacroRename), [&] { return m_store->FindMacroByName(L"Hello") != nullptr; });
    m_platform.chosenFiles.push_back(L"C:\\" + std::wstring(300, L'x') + L".qnm");
    m_platform.chosenFiles.push_back(file);
    AnswerPopups({[](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroImport), [&] { return m_shownPanels.size() == 1 && !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, std::vector<std::wstring>{kPathLimitPopup}) << "an overlong path is refused";
    Click(Item(kIdMacroImport), [&] { return m_store->GetMacroCount() == 2; });
    EXPECT_NE(m_store->FindMacroByName(L"Greeting"), nullptr);
    EXPECT_EQ(Dialog().m_macroList->m_entries.size(), 2u);
    EXPECT_FALSE(m_platform.fileDialogs.back().save);
    EXPECT_TRUE(Dialog().IsDirty());
}

TEST_F(MacroPageTest, ThePageOpensOnAMacroAndAnImportUnderATakenNameIsKeptUnderAFreeOneAndShown)
{
    CDeviceSide().CreateMacro(L"Greeting", {});
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    CMacro* greeting = m_store->FindMacroByName(L"Greeting");
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ(Dialog().ChosenMacro(), greeting) << "the page opens on the first macro";
    EXPECT_EQ(Dialog().MacroPageState(), kMacroPageIdle);

    const std::wstring file = MacroFolderPath() + L"Greeting.qnm";
    m_platform.chosenFiles.push_back(file);
    Click(Item(kIdMacroExport));
    ASSERT_EQ(m_platform.fileDialogs.size(), 1u);
    EXPECT_EQ(m_platform.fileDialogs[0].folder, MacroFolderPath());
    EXPECT_EQ(m_platform.fileDialogs[0].fileName, L"Greeting.qnm") << "the dialog proposes the macro's name";
    ASSERT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the missing folder was made and the keyboard wrote the file into it";

    m_platform.chosenFiles.push_back(file);
    Click(Item(kIdMacroImport), [&] { return m_store->GetMacroCount() == 2; });
    ASSERT_EQ(m_store->GetMacroCount(), 2u) << "the file's macro was dropped for its name";
    CMacro* imported = m_store->GetMacroAt(1);
    EXPECT_STREQ(imported->GetName(), L"Greeting (2)");
    EXPECT_EQ(Dialog().ChosenMacro(), imported) << "the page shows the imported macro";
    EXPECT_EQ(Dialog().m_macroList->m_entries.size(), 2u);
    EXPECT_NE(State().find("\"Greeting (2)\""), std::string::npos) << "the keyboard holds it under that name too\n"
                                                                   << State();
}

TEST_F(MacroPageTest, DeletingAMacroKeepsTheMarksOfTheShownProfilesKeysThatStillHaveAFunction)
{
    {
        CDeviceSide side;
        side.CreateMacro(L"Greeting", {});
        side.CreateProfile(L"Games");
    }
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ASSERT_EQ(m_store->GetActiveProfile(), m_store->GetProfileAt(0));
    IKeyboardProfile* games = m_store->GetProfileAt(1);
    GUID greeting{};
    m_store->FindMacroByName(L"Greeting")->GetGuid(greeting);
    KeyAssignment toMacro;
    KeyAssignment typesA;
    MakeMacroAssignment(toMacro, greeting, 1);
    MakeSingleKeyAssignment(typesA, 0x1E, 'A', false);
    // The shown profile: Esc plays the macro, F1 types "A". In "Games" F1 plays the macro.
    ASSERT_TRUE(m_store->SetKeyAssignment(KeyIdOf(L"Esc"), toMacro, nullptr));
    ASSERT_TRUE(m_store->SetKeyAssignment(KeyIdOf(L"F1"), typesA, nullptr));
    ASSERT_TRUE(m_store->SetKeyAssignment(KeyIdOf(L"F1"), toMacro, games));
    Dialog().RefreshKeyMarks();
    CKeyboardKeyItem* esc = Dialog().FindKeyItem(kIdFirstKey);
    CKeyboardKeyItem* f1 = Dialog().FindKeyItem(kIdFirstKey + 1);
    ASSERT_EQ(esc->m_checked, 1);
    ASSERT_EQ(f1->m_checked, 1);

    ChooseMacroAt(0);
    AnswerPopups({[](CPopupBox& popup) { PopupOk(popup); }});
    Click(Item(kIdMacroDelete), [&] { return m_store->GetMacroCount() == 0; });
    KeyAssignment record;
    EXPECT_EQ(m_store->GetKeyAssignment(record, KeyIdOf(L"F1"), games).kind, kKindDefaultKey);
    EXPECT_EQ(StoredKey(L"Esc").kind, kKindDefaultKey);
    EXPECT_EQ(esc->m_checked, 0) << "Esc has no function of its own any more";
    EXPECT_EQ(f1->m_checked, 1) << "F1 of the shown profile still types A";
}

TEST_F(MacroPageTest, TheTwoDelayOptionsExcludeEachOther)
{
    ASSERT_NO_FATAL_FAILURE(OpenMacrosPage());
    ChooseNewMacro(L"Eta", {});
    EXPECT_FALSE(IsWindowEnabled(Item(kIdFixedDelayEdit)));
    ClickOption(kIdIgnoreDelay);
    EXPECT_TRUE(Display()->m_noDelay);
    ClickOption(kIdFixedDelay);
    EXPECT_TRUE(Display()->m_fixedDelay);
    EXPECT_FALSE(Display()->m_noDelay);
    EXPECT_EQ(Dialog().m_ignoreDelayButton->m_checked, 0);
    EXPECT_TRUE(IsWindowEnabled(Item(kIdFixedDelayEdit)));
    ClickOption(kIdIgnoreDelay);
    EXPECT_FALSE(Display()->m_fixedDelay);
    EXPECT_EQ(Dialog().m_fixedDelayButton->m_checked, 0);
    EXPECT_FALSE(IsWindowEnabled(Item(kIdFixedDelayEdit)));
}

} // namespace
