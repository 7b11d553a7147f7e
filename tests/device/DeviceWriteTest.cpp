// Writing the store to the simulated keyboard on the worker thread: a read written back changes nothing,
// every kind of assignment arrives, objects named by text are created once, lost objects come back,
// every failing step stops the write and the next write completes it, and a write is alone and
// survives the device object's destruction.
#include "DeviceLinkTestSupport.h"

#include "model/AssignmentRecords.h"
#include "model/DeviceWrite.h"

#include <cstring>

namespace {

const wchar_t kFirstName[] = L"Profile 1";

std::vector<DeviceMacroEvent> Events(std::initializer_list<std::pair<DWORD, DWORD>> list)
{
    std::vector<DeviceMacroEvent> events;
    for (const auto& [type, value] : list)
        events.push_back(DeviceMacroEvent{type, value});
    return events;
}

KeyAssignment Text(int32_t kind, const wchar_t* text, uint32_t mode = 0, uint8_t count = 0)
{
    KeyAssignment assignment;
    MakeTextAssignment(assignment, kind, text);
    assignment.param = mode;
    assignment.count = count;
    return assignment;
}

KeyAssignment Single(uint16_t scanCode, uint16_t virtualKey, bool extended)
{
    KeyAssignment assignment;
    return MakeSingleKeyAssignment(assignment, scanCode, virtualKey, extended);
}

uint16_t ScanOf(const KeyAssignmentRecord& record)
{
    uint16_t scan = 0;
    GetRecordField(record, kRecordKeyScanOffset, &scan);
    return scan;
}

bool Contains(const std::vector<std::string>& calls, const std::string& operation)
{
    return std::find(calls.begin(), calls.end(), operation) != calls.end();
}

}  // namespace

TEST_F(DeviceLinkTest, ReadingTheKeyboardAndWritingItBackLeavesItAsItWas)
{
    {
        CDeviceSide side;
        const GUID first = side.ProfileAt(0);
        const GUID games = side.CreateProfile(L"Games \u00e9\u4e2d");
        const GUID greeting = side.CreateMacro(L"Greeting", Events({{2, 0x1E}, {3, 40}, {2, 0x1001E}, {1, 0x2}}));
        side.CreateMacro(L"Empty", {});
        const GUID editor = side.CreateApp(L"C:\\Tools\\editor.exe");
        side.SetProgram(games, L"game.exe");
        side.SetFlag(games, AutoSwitch, true);
        side.SetFlag(first, ShowProfileOsd, true);
        side.SetLed(games, 4, false);
        side.SetRecord(games, MakeMacroAssignmentRecord(1, 0x1E, greeting, 4, 0));
        side.SetRecord(games, MakeMacroAssignmentRecord(1, 0x1F, greeting, 2, 9));
        side.SetRecord(games, KeyRecord(0x30, 0x1C, kKeyModifierExtended));
        side.SetRecord(games, KeyRecord(0x45, 0x45, kKeyModifierExtended));
        side.SetRecord(games, KeyRecord(0x40045, 0x45, 0));
        side.SetRecord(games, GuidRecord(0x2E, kServiceProfileSwitch, first));
        side.SetRecord(first, GuidRecord(0x2E, kServiceProfileSwitch, games));
        side.SetRecord(first, GuidRecord(0x20, kServiceProgramStart, editor));
        side.Activate(games);
    }
    const std::string before = State();
    StartUp();
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(State(), before);
}

TEST_F(DeviceLinkTest, EveryKindAProfileHoldsArrivesAndNamedObjectsAreCreatedOnce)
{
    StartUp();
    IKeyboardProfile* first = Profile(kFirstName);
    m_store->AddProfile(L"Target");
    CMacro* hello = m_store->AddMacro(L"Hello");
    const MacroEventList helloEvents = {MakeKeyEvent(kVirtualKeyPause, kScanPauseNumLock, kMacroPressed, 0),
                                        MakeDelayEvent(15)};
    hello->Events() = helloEvents;
    m_store->AddApp(L"notepad.exe");
    KeyAssignment assignment;
    SetKey(L"A", MakeDefaultAssignment(assignment, 0x1E, false), first);
    SetKey(L"B", Single(0x2C, 0, false), first);
    SetKey(L"Right Ctrl", Single(0x1C, 0, true), first);
    SetKey(L"Num Lock", Single(kScanPauseNumLock, kVirtualKeyPause, false), first);
    SetKey(L"Pause", Single(kScanPauseNumLock, kVirtualKeyNumLock, false), first);
    SetKey(L"C", Text(kKindMacroText, L"Hello", kPlayUntilPressed), first);
    SetKey(L"D", Text(kKindMacroText, L"hello", kPlayMultiple, 5), first);
    SetKey(L"E", Text(kKindProfileText, L"target"), first);
    SetKey(L"F", Text(kKindLaunchProgramText, L"Notepad.exe"), first);
    SetKey(L"Q", Text(kKindMacroText, L"Nobody"), first);
    SetKey(L"W", Text(kKindProfileText, L"Nowhere"), first);

    ASSERT_EQ(Write(), 1);
    // What the write learned is in the store.
    IKeyboardProfile* target = Profile(L"Target");
    ASSERT_FALSE(IsNullGuid(GuidOf(target)));
    ASSERT_FALSE(IsNullGuid(hello->Guid()));
    ASSERT_FALSE(IsNullGuid(m_store->FindAppByName(L"notepad.exe")->guid));
    EXPECT_EQ(Key(L"C", first).kind, kKindMacro);
    EXPECT_TRUE(Key(L"D", first).data.guid == hello->Guid()) << "the second key reuses the macro's new GUID";
    EXPECT_TRUE(Key(L"E", first).data.guid == GuidOf(target));
    EXPECT_TRUE(Key(L"F", first).data.guid == m_store->FindAppByName(L"notepad.exe")->guid);
    EXPECT_EQ(Key(L"Q", first).kind, kKindMacroText) << "an unknown name stays as the user gave it";
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 1u);

    // What the device got.
    CDeviceSide side;
    EXPECT_EQ(side.ProfileName(GuidOf(target)), L"Target");
    const KeyAssignmentRecord unknown = side.RecordOf(GuidOf(first), 0x10);
    EXPECT_EQ(unknown.serviceType, kServiceKey) << "an unresolved name goes out as the key's default";
    EXPECT_EQ(ScanOf(unknown), 0x10);
    const KeyAssignmentRecord untouched = side.RecordOf(GuidOf(target), 0x1E);
    EXPECT_EQ(untouched.serviceType, kServiceKey) << "a key the new profile never held is its default";
    EXPECT_EQ(ScanOf(untouched), 0x1E);

    // Read back into a fresh store.
    const GUID helloGuid = hello->Guid();
    m_keyboard.reset();
    m_store = std::make_unique<COssleConfig>();
    StartUp();
    first = Profile(kFirstName);
    EXPECT_EQ(Key(L"A", first).kind, kKindDefaultKey);
    EXPECT_EQ(Key(L"B", first).data.key.scanCode, 0x2C);
    EXPECT_EQ(Key(L"Right Ctrl", first).kind, kKindSingleKey);
    EXPECT_EQ(Key(L"Right Ctrl", first).data.key.extended, 1);
    EXPECT_EQ(Key(L"Num Lock", first).data.key.virtualKey, kVirtualKeyPause);
    EXPECT_EQ(Key(L"Pause", first).data.key.virtualKey, kVirtualKeyNumLock);
    EXPECT_EQ(Key(L"C", first).param, uint32_t(kPlayUntilPressed));
    EXPECT_EQ(Key(L"D", first).param, uint32_t(kPlayMultiple));
    EXPECT_EQ(Key(L"D", first).count, 5);
    EXPECT_TRUE(Key(L"C", first).data.guid == helloGuid);
    EXPECT_EQ(Key(L"E", first).kind, kKindProfile);
    EXPECT_EQ(Key(L"F", first).kind, kKindLaunchProgram);
    EXPECT_EQ(Key(L"Q", first).kind, kKindDefaultKey);
    EXPECT_TRUE(m_store->FindMacroByName(L"Hello")->Events() == helloEvents);
}

TEST_F(DeviceLinkTest, ProfilesAndMacrosTheKeyboardLostAreCreatedAgainAndKeysFollowThem)
{
    StartUp();
    IKeyboardProfile* second = m_store->AddProfile(L"Second");
    CMacro* macro = m_store->AddMacro(L"Hello");
    macro->Events() = {MakeDelayEvent(5)};
    ASSERT_EQ(Write(), 1);
    KeyAssignment assignment;
    SetKey(L"A", MakeMacroAssignment(assignment, macro->Guid(), kPlayOnce), Profile(kFirstName));
    SetKey(L"B", MakeGuidAssignment(assignment, kKindProfile, GuidOf(second)), Profile(kFirstName));
    ASSERT_EQ(Write(), 1);

    const GUID lostProfile = GuidOf(second);
    const GUID lostMacro = macro->Guid();
    {
        CDeviceSide side;
        side.DeleteProfile(lostProfile);
        side.DeleteMacro(lostMacro);
    }
    ASSERT_EQ(Write(), 1);
    EXPECT_FALSE(GuidOf(second) == lostProfile);
    EXPECT_FALSE(IsNullGuid(GuidOf(second)));
    EXPECT_FALSE(macro->Guid() == lostMacro);
    EXPECT_TRUE(Keyboard().IsProfileOnDevice(second));
    EXPECT_TRUE(Keyboard().IsMacroOnDevice(macro));
    EXPECT_TRUE(Key(L"A", Profile(kFirstName)).data.guid == macro->Guid());
    EXPECT_TRUE(Key(L"B", Profile(kFirstName)).data.guid == GuidOf(second));
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 2u);

    // The first profile's keys went out before the lost objects were made again; the same write puts
    // them right on the keyboard.
    CDeviceSide side;
    GUID written{};
    GetRecordField(side.RecordOf(GuidOf(Profile(kFirstName)), 0x1E), kRecordGuidOffset, &written);
    EXPECT_TRUE(written == macro->Guid());
    GetRecordField(side.RecordOf(GuidOf(Profile(kFirstName)), 0x30), kRecordArgumentOffset, &written);
    EXPECT_TRUE(written == GuidOf(second));
}

TEST_F(DeviceLinkTest, AButtonTheKeyboardDefinitionDoesNotKnowKeepsWhatTheKeyboardHolds)
{
    StartUp();
    const GUID profile = GuidOf(Profile(kFirstName));
    const KeyAssignmentRecord own = KeyRecord(0x1E, 0x2C, 0x2000000);
    {
        CDeviceSide side;
        side.SetRecord(profile, own);
    }
    // The copy a write works from, as if the definition had no key for the button of A.
    CTransferSnapshot copy = CTransferSnapshot::Take(*m_store, MakeButtonSlots(Keyboard().ButtonIds(), KeyboardDef()));
    size_t unknown = copy.buttons.size();
    for (size_t i = 0; i < copy.buttons.size(); ++i) {
        if (copy.buttons[i].buttonId == 0x1E)
            unknown = i;
    }
    ASSERT_LT(unknown, copy.buttons.size());
    copy.buttons[unknown].keyId = 0;
    copy.profiles[0].keys[unknown] = KeyAssignment();

    CDeviceConnection connection;
    ASSERT_TRUE(connection.Open(kKeyboardProduct.productId));
    EXPECT_TRUE(WriteConfiguration(connection.Device(), kKeyboardProduct, copy, kTransferWriteMask));
    CDeviceSide side;
    const KeyAssignmentRecord kept = side.RecordOf(profile, 0x1E);
    EXPECT_EQ(std::memcmp(&kept, &own, sizeof(kept)), 0);
}

TEST_F(DeviceLinkTest, RenamesThatChangeOnlyLetterCaseReachTheKeyboard)
{
    {
        CDeviceSide side;
        side.CreateMacro(L"greeting", Events({{3, 10}}));
    }
    StartUp();
    CMacro* macro = m_store->FindMacroByName(L"greeting");
    ASSERT_NE(macro, nullptr);
    ASSERT_TRUE(macro->SetName(L"Greeting"));
    IKeyboardProfile* profile = m_store->ReplaceProfileName(Profile(kFirstName), L"PROFILE 1");
    ASSERT_NE(profile, nullptr);
    ASSERT_EQ(Write(), 1);
    CDeviceSide side;
    EXPECT_EQ(side.MacroName(macro->Guid()), L"Greeting");
    EXPECT_EQ(side.ProfileName(GuidOf(profile)), L"PROFILE 1");
}

TEST_F(DeviceLinkTest, AKeyboardThatRefusesToDeleteNeverHoldsTheWriteAndTheNextWriteTidiesUp)
{
    {
        CDeviceSide side;
        side.CreateProfile(L"Stray");
        side.CreateMacro(L"Stray", {});
    }
    StartUp();
    m_store->RemoveProfile(Profile(L"Stray"));
    m_store->RemoveMacro(m_store->FindMacroByName(L"Stray"));
    Command("fail IProfileManager.DeleteProfile 1000");
    Command("fail IMacroStore.DeleteMacro 1000");
    Mark();
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(CountCalls("IProfileManager.DeleteProfile"), 1u);
    Command("fail IProfileManager.DeleteProfile 0");
    Mark();
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(CountCalls("IMacroStore.DeleteMacro"), 1u);
    Command("fail clear");
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 1u);
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 0u);
}

// ---- A write that fails leaves nothing half-made on the keyboard.

TEST_F(DeviceLinkTest, AFailedWriteTakesBackTheProfileOrMacroItCouldNotComplete)
{
    StartUp();
    m_store->AddProfile(L"Second");
    // Carried out, but the answer is lost: the write finds the one new profile and takes it back.
    Command("fail IProfileManager.CreateProfile 1 0x800706BE after");
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 1u);
    // A name the keyboard refuses.
    Command("fail IDeviceProfile.SetName 1");
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 1u);

    m_store->AddMacro(L"Hello")->Events() = {MakeDelayEvent(25)};
    Command("fail IDeviceMacro.SetEvents 1");
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 0u) << "the user cancels now: nothing nameless may stay";
    Command("fail IMacroStore.CreateMacro 1 0x800706BE after");
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 0u);

    Command("fail clear");
    EXPECT_EQ(Write(), 1);
    CDeviceSide side;
    EXPECT_EQ(side.ProfileName(side.ProfileAt(1)), L"Second");
    EXPECT_TRUE(IsNullGuid(side.ProfileAt(2)));
    EXPECT_EQ(side.MacroName(m_store->FindMacroByName(L"Hello")->Guid()), L"Hello");
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 1u);
}

// The keyboard process killed right after it made the profile: the write cannot ask it what it made,
// the next write (a new keyboard process, which kept the profile) takes it back before it creates the
// profile again.
TEST_F(DeviceLinkTest, AProfileMadeByACallKilledBeforeItsAnswerIsTakenBackByTheNextWrite)
{
    StartUp();
    m_store->AddProfile(L"Second");
    Command("fail IProfileManager.CreateProfile 1 0x800706BE exit");
    EXPECT_EQ(Write(), 0);
    ASSERT_NO_FATAL_FAILURE(HoldNewKeyboardProcess());
    ASSERT_EQ(Keyboard().GetDeviceProfileCount(), 2u) << "the keyboard lost the profile it had made";
    EXPECT_EQ(Write(), 1);
    CDeviceSide side;
    EXPECT_EQ(side.ProfileName(side.ProfileAt(1)), L"Second");
    EXPECT_TRUE(IsNullGuid(side.ProfileAt(2))) << "the profile of the lost answer is still there";
}

// The macro of a lost answer is taken back even when the next write makes a key's new macro first:
// the macro the write made itself is no stranger.
TEST_F(DeviceLinkTest, AnUnansweredMacroIsTakenBackByAWriteThatMakesAnotherFirst)
{
    StartUp();
    m_store->AddMacro(L"Hello")->Events() = {MakeDelayEvent(25)};
    SetKey(L"A", Text(kKindMacroText, L"Hello", kPlayOnce), Profile(kFirstName));
    Command("fail IMacroStore.CreateMacro 1 0x800706BE exit");
    EXPECT_EQ(Write(), 0);
    ASSERT_NO_FATAL_FAILURE(HoldNewKeyboardProcess());
    ASSERT_EQ(Keyboard().GetDeviceMacroCount(), 1u) << "the keyboard lost the macro it had made";
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 1u) << "the empty macro of the lost answer is still there";
}

// Killed partway: the keys the keyboard answered stay on it (and are noted as written), so the retry
// sends none of them again and completes the rest.
TEST_F(DeviceLinkTest, AWriteWhoseKeyboardProcessWasKilledPartwayIsCompletedByTheRetry)
{
    StartUp();
    IKeyboardProfile* first = Profile(kFirstName);
    SetKey(L"A", Single(0x2D, 0, false), first);
    SetKey(L"B", Single(0x2E, 0, false), first);
    m_store->AddMacro(L"Hello")->Events() = {MakeDelayEvent(25)};
    Command("fail IMacroStore.CreateMacro 1 0x800706BE exit");
    EXPECT_EQ(Write(), 0);
    ASSERT_NO_FATAL_FAILURE(HoldNewKeyboardProcess());
    Mark();
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(CountCalls("IButtonAssignment.SetRecords"), 0u);
    CDeviceSide side;
    for (const auto& [button, scan] : {std::pair<DWORD, uint16_t>{0x1E, 0x2D}, {0x30, 0x2E}}) {
        uint16_t held = 0;
        GetRecordField(side.RecordOf(GuidOf(first), button), kRecordKeyScanOffset, &held);
        EXPECT_EQ(held, scan) << "button " << button;
    }
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 1u) << "the empty macro of the lost answer is still there";
}

// ---- Every step that fails stops the write, which reports it; the next write completes the device.

class FailingStepTest : public DeviceLinkTest, public ::testing::WithParamInterface<const char*> {
protected:
    // A store that touches every step: a renamed profile with keys naming a new macro, a new program
    // entry and a new profile, a changed macro, and a profile and a macro the user deleted.
    void Prepare()
    {
        {
            CDeviceSide side;
            side.CreateMacro(L"Old", Events({{2, 0x1E}, {2, 0x1001E}}));
            side.CreateProfile(L"Stray profile");
            side.CreateMacro(L"Stray macro", {});
        }
        StartUp();
        m_store->RemoveProfile(Profile(L"Stray profile"));
        m_store->RemoveMacro(m_store->FindMacroByName(L"Stray macro"));
        IKeyboardProfile* first = m_store->ReplaceProfileName(Profile(kFirstName), L"Renamed");
        CMacro* old = m_store->FindMacroByName(L"Old");
        ASSERT_NE(first, nullptr);
        ASSERT_NE(old, nullptr);
        old->Events() = {MakeDelayEvent(30)};
        IKeyboardProfile* second = m_store->AddProfile(L"Second");
        m_store->SetActiveProfile(second);
        m_store->SetLightingOn(0, second);
        m_store->AddMacro(L"Hello")->Events() = {MakeDelayEvent(25), MakeKeyEvent(0, 0x2C, kMacroPressed, 0)};
        m_store->AddApp(L"notepad.exe");
        SetKey(L"A", Text(kKindMacroText, L"Hello", kPlayOnce), first);
        SetKey(L"B", Text(kKindLaunchProgramText, L"notepad.exe"), first);
        SetKey(L"C", Text(kKindProfileText, L"Second"), first);
        SetKey(L"A", Single(0x2D, 0, false), second);
    }
    void Restart()
    {
        m_keyboard.reset();
        m_store = std::make_unique<COssleConfig>();
        Command("reset");
    }
};

TEST_P(FailingStepTest, StopsTheWriteReportsItAndTheNextWriteCompletesTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(Prepare());
    ASSERT_EQ(Write(), 1);
    const std::string complete = NormalizedState();
    Restart();

    ASSERT_NO_FATAL_FAILURE(Prepare());
    const std::string operation = GetParam();
    Command("fail " + operation + " 1");
    Mark();
    EXPECT_EQ(Write(), 0);
    const std::vector<std::string> calls = Calls();
    ASSERT_TRUE(Contains(calls, operation)) << "the step was reached";
    if (operation != "IProfileManager.ActivateProfile") {
        EXPECT_FALSE(Contains(calls, "IProfileManager.ActivateProfile")) << "nothing after a failure";
    }
    Command("fail clear");
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(NormalizedState(), complete);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceWrite, FailingStepTest,
    ::testing::Values("IServiceDevice.GetSubObject", "IProfileManager.DeleteProfile", "IProfileManager.FindProfile",
                      "IDeviceProfile.GetName", "IDeviceProfile.SetName", "IProfileManager.CreateProfile",
                      "IDeviceProfile.GetSubObject", "IProfilePropertyStore.SetProperty",
                      "IButtonAssignment.SetRecords", "IDeviceLed.GetId", "IDeviceLed.TurnOn", "IDeviceLed.TurnOff",
                      "IMacroStore.CreateMacro", "IDeviceMacro.SetEvents", "IDeviceMacro.SetName",
                      "IApplicationEventSource.CreateApp", "IDeviceApp.SetName", "IMacroStore.DeleteMacro",
                      "IMacroStore.FindMacro", "IProfileManager.ActivateProfile"),
    [](const ::testing::TestParamInfo<const char*>& info) {
        std::string name = info.param;
        name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
        return name;
    });

// ---- One write at a time, and the device object's end

TEST_F(DeviceLinkTest, WhileAWriteRunsEverythingElseIsRefusedAndItReportsOnce)
{
    StartUp();
    Keyboard().SetCompletionPause(3000);
    m_store->AddProfile(L"Second");
    Mark();
    ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferWrite, kTransferWriteMask));
    EXPECT_TRUE(Keyboard().IsBusy());
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), kTransferWrite, kTransferWriteMask));
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), 2, kTransferWriteMask));
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 0u);
    EXPECT_FALSE(Keyboard().IsProfileOnDevice(Profile(kFirstName)));
    EXPECT_FALSE(Keyboard().StartMacroRecording());

    EXPECT_EQ(m_reports.WaitForReport(), 1);
    EXPECT_FALSE(Keyboard().IsBusy());
    EXPECT_EQ(m_reports.Masks().back(), LPARAM(kTransferWriteMask));
    EXPECT_FALSE(IsNullGuid(GuidOf(Profile(L"Second"))));
    EXPECT_EQ(CountCalls("IProfileManager.CreateProfile"), 1u);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(m_reports.Reports().size(), 1u);

    Keyboard().SetCompletionPause(0);
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 2u);
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 2u);
}

TEST_F(DeviceLinkTest, AWriteThatCannotReachTheKeyboardIsRefusedAtOnce)
{
    StartUp();
    Command("unplug");
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), kTransferWrite, kTransferWriteMask));
    EXPECT_FALSE(Keyboard().IsBusy());
    Command("plug");
    EXPECT_EQ(Write(), 1);
}

TEST_F(DeviceLinkTest, DestructionWaitsForTheWriteWhoseOutcomeStillReachesTheStore)
{
    StartUp();
    Keyboard().SetCompletionPause(1000);
    Keyboard().SetDestroyWait(kTestDeadlineMs);  // the wait's length is not what is tested here
    IKeyboardProfile* second = m_store->AddProfile(L"Second");
    ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferWrite, kTransferWriteMask));
    m_keyboard.reset();
    EXPECT_EQ(RunningDeviceTasks(), 0u);
    EXPECT_FALSE(IsNullGuid(GuidOf(second)));
    CDeviceSide side;
    EXPECT_EQ(side.ProfileName(GuidOf(second)), L"Second");
}

TEST_F(DeviceLinkTest, DestructionThatStopsWaitingLeavesTheWriteItsOwnCopyOfTheStore)
{
    StartUp();
    Keyboard().SetCompletionPause(1500);
    Keyboard().SetDestroyWait(50);
    IKeyboardProfile* second = m_store->AddProfile(L"Second");
    m_store->SetActiveProfile(second);
    ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferWrite, kTransferWriteMask));
    m_keyboard.reset();
    m_store.reset();
    EXPECT_NE(RunningDeviceTasks(), 0u);
    ASSERT_TRUE(PumpUntil([] { return RunningDeviceTasks() == 0; }));
    EXPECT_TRUE(m_reports.Reports().empty());
    const std::string state = State();
    EXPECT_NE(state.find("\"Second\" active"), std::string::npos) << state;
}
