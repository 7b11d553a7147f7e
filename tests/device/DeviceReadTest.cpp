// The device object against the simulated keyboard service: finding the keyboard, initialising the store
// from it, reading its configuration, the single operations, and importing and exporting files.
#include "DeviceLinkTestSupport.h"

#include "model/NameTables.h"
#include "skin/RawInput.h"

namespace {

const wchar_t kFirstName[] = L"Profile 1";

MacroEventList GreetingEvents()
{
    return {MakeKeyEvent(0, 0x1E, kMacroPressed, 0), MakeDelayEvent(40), MakeKeyEvent(0, 0x1E, kMacroReleased, 0),
            MakeMouseButtonEvent(MouseButtonFlagMap::Lookup(0x1).button, MouseButtonFlagMap::Lookup(0x1).state)};
}

// A device object whose read on the worker waits at a gate before it fetches, as a read does on a
// keyboard service that stopped answering.
CHandle g_readGate;

class CGatedKeyboard : public CBaseDevice<IKeyboardConfig, IKeyboardProfile, CGatedKeyboard> {
public:
    CGatedKeyboard() : CBaseDevice(kKeyboardProduct) {}
    using CBaseDevice::StartDeviceRead;

    static bool ReadRoutine(IServiceDevice* device, const ProductDescriptor& product, CDeviceReadout& readout,
                            unsigned mask, size_t buttonCount)
    {
        WaitForSingleObject(g_readGate, kTestDeadlineMs);
        return CKeyboard::ReadRoutine(device, product, readout, mask, buttonCount);
    }
};

}  // namespace

TEST_F(DeviceLinkTest, InitializeListsTheKeyboardsProfilesVersionsAndButtons)
{
    CDeviceSide side;
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    EXPECT_TRUE(Keyboard().IsConnected());
    std::wstring version;
    Keyboard().GetFirmwareVersion(version);
    EXPECT_EQ(version, L"1.05");
    Keyboard().GetSecondaryVersion(version);
    EXPECT_EQ(version, L"1.00");
    EXPECT_EQ(Keyboard().GetProductId(), 272u);

    ASSERT_EQ(m_store->GetProfileCount(), 1u);
    EXPECT_EQ(m_store->GetProfileAt(0)->GetName(), kFirstName);
    EXPECT_TRUE(GuidOf(m_store->GetProfileAt(0)) == side.ProfileAt(0));
    ASSERT_EQ(Keyboard().ButtonIds().size(), ProductButtons().size());
    for (size_t i = 0; i < ProductButtons().size(); ++i)
        EXPECT_EQ(Keyboard().ButtonIds()[i], ProductButtons()[i].buttonId) << i;

    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 1u);
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 0u);
    EXPECT_TRUE(Keyboard().IsProfileOnDevice(m_store->GetProfileAt(0)));
    DWORD layout = 99;
    EXPECT_TRUE(Keyboard().GetLayoutCode(layout));
    EXPECT_EQ(layout, 0u);
    EXPECT_TRUE(Keyboard().StartMacroRecording());
    EXPECT_NE(State().find(" mode 2"), std::string::npos);
    EXPECT_TRUE(Keyboard().StopMacroRecording());
    EXPECT_NE(State().find(" mode 1"), std::string::npos);
}

TEST_F(DeviceLinkTest, LayoutIsTheKeyboardsOwnAndAsksNoFurtherCall)
{
    Command("layout 3");
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    Mark();
    DWORD layout = 99;
    EXPECT_TRUE(Keyboard().GetLayoutCode(layout));
    EXPECT_EQ(layout, 3u) << "the key page would show another country's keys";
    EXPECT_TRUE(Calls().empty()) << "the layout read at start-up opened a connection of its own";
}

TEST_F(DeviceLinkTest, WithoutTheKeyboardOnlyTheSearchTalksToTheServiceAndTheStoreKeepsItsProfiles)
{
    m_store->AddProfile(L"Kept");
    Command("unplug");
    Mark();
    IKeyboardDevice* device = nullptr;
    EXPECT_FALSE(CreateKeyboardDevice(&device, m_store.get()));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device, KeyboardDevice());
    EXPECT_EQ(m_store->GetDevice(), device);
    EXPECT_FALSE(AssignmentKindNames().empty());
    EXPECT_FALSE(device->IsConnected());
    std::wstring version;
    device->GetFirmwareVersion(version);
    EXPECT_EQ(version, L"0.00");
    device->GetSecondaryVersion(version);
    EXPECT_EQ(version, L"0.00");
    EXPECT_FALSE(device->Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    EXPECT_FALSE(device->Transfer(m_store.get(), kTransferWrite, kTransferWriteMask));
    EXPECT_EQ(device->GetDeviceProfileCount(), 0u);
    ASSERT_EQ(m_store->GetProfileCount(), 1u);
    EXPECT_EQ(m_store->GetProfileAt(0)->GetName(), L"Kept");
    for (const std::string& call : Calls())
        EXPECT_TRUE(IsSearchCall(call) && call != "IServiceDevice.GetInfo") << call;
    DestroyKeyboardDevice();
    EXPECT_EQ(KeyboardDevice(), nullptr);
    Command("plug");
}

TEST_F(DeviceLinkTest, TheFirstKeyboardWhoseInformationCanBeReadIsChosen)
{
    Command("add-device 272");
    GUID firstKeyboard{};
    {
        CDeviceSide side;
        firstKeyboard = side.ProfileAt(0);
    }
    Command("fail IServiceDevice.GetInfo 1");
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    EXPECT_FALSE(GuidOf(m_store->GetProfileAt(0)) == firstKeyboard) << "the unreadable first keyboard is skipped";

    COssleConfig otherStore;
    CKeyboard other;
    ASSERT_TRUE(other.Initialize(&otherStore));
    EXPECT_TRUE(GuidOf(otherStore.GetProfileAt(0)) == firstKeyboard) << "of two keyboards the first is used";
}

TEST_F(DeviceLinkTest, ReadFillsProfilesAssignmentsLightsAndMacros)
{
    CDeviceSide side;
    const GUID first = side.ProfileAt(0);
    const GUID games = side.CreateProfile(L"Games");
    const GUID greeting = side.CreateMacro(L"Greeting", ToDeviceMacroEvents(GreetingEvents()));
    side.CreateMacro(L"Empty", {});
    const GUID editor = side.CreateApp(L"C:\\Tools\\editor.exe");
    side.SetProgram(games, L"game.exe");
    side.SetFlag(games, AutoSwitch, true);
    side.SetFlag(games, ShowProfileOsd, false);
    side.SetFlag(first, ShowProfileOsd, true);
    side.SetLed(games, 4, false);
    side.SetRecord(games, MakeMacroAssignmentRecord(1, 0x1E, greeting, 3, 2));
    side.SetRecord(games, KeyRecord(0x30, 0x2C, 0));
    side.SetRecord(games, GuidRecord(0x2E, kServiceProfileSwitch, first));
    side.SetRecord(games, GuidRecord(0x20, kServiceProgramStart, editor));
    side.SetRecord(games, KeyRecord(0x45, 0x45, kKeyModifierExtended));
    KeyAssignmentRecord fourValues = KeyRecord(0x12, 0, 0);
    fourValues.serviceType = kServiceFourValues;
    side.SetRecord(games, fourValues);
    side.Activate(games);

    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    IKeyboardProfile* profile = Profile(L"Games");
    ASSERT_NE(profile, nullptr);
    KeyAssignment kept;
    SetKey(L"E", MakeSingleKeyAssignment(kept, 0x2D, 0, false), profile);
    ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));

    EXPECT_EQ(m_store->GetActiveProfile(), profile);
    EXPECT_EQ(profile->GetAppFileName(), L"game.exe");
    EXPECT_EQ(profile->GetAutoSwitch(), 1);
    EXPECT_EQ(profile->GetShowProfileOsd(), 0);
    EXPECT_EQ(Profile(kFirstName)->GetShowProfileOsd(), 1);
    EXPECT_FALSE(m_store->GetLightingOn(profile));
    EXPECT_TRUE(m_store->GetLightingOn(Profile(kFirstName)));

    const KeyAssignment macro = Key(L"A", profile);
    EXPECT_EQ(macro.kind, kKindMacro);
    EXPECT_TRUE(macro.data.guid == greeting);
    EXPECT_EQ(macro.param, uint32_t(kPlayWhilePressed));
    EXPECT_EQ(macro.count, 2);
    EXPECT_EQ(Key(L"B", profile).kind, kKindSingleKey);
    EXPECT_EQ(Key(L"B", profile).data.key.scanCode, 0x2C);
    EXPECT_EQ(Key(L"C", profile).kind, kKindProfile);
    EXPECT_TRUE(Key(L"C", profile).data.guid == first);
    EXPECT_EQ(Key(L"D", profile).kind, kKindLaunchProgram);
    EXPECT_TRUE(Key(L"D", profile).data.guid == editor);
    EXPECT_EQ(Key(L"Num Lock", profile).data.key.virtualKey, kVirtualKeyPause);
    EXPECT_EQ(Key(L"Pause", profile).kind, kKindDefaultKey);
    EXPECT_EQ(Key(L"F", profile).kind, kKindDefaultKey);
    EXPECT_EQ(Key(L"E", profile).data.key.scanCode, 0x2D) << "a record the profile cannot hold leaves the key";

    ASSERT_EQ(m_store->GetMacroCount(), 2u);
    CMacro* read = m_store->FindMacroByName(L"Greeting");
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->Guid() == greeting);
    EXPECT_TRUE(read->Events() == GreetingEvents());
    EXPECT_TRUE(m_store->FindMacroByName(L"Empty")->Events().empty());
    EXPECT_TRUE(Keyboard().IsMacroOnDevice(read));
}

TEST_F(DeviceLinkTest, ReadInTheBackgroundFillsTheStoreAndTheNextWriteDeletesWhatTheUserDeleted)
{
    CDeviceSide side;
    const GUID second = side.CreateProfile(L"Second");
    side.SetRecord(second, KeyRecord(0x1E, 0x2C, 0));
    side.CreateMacro(L"Greeting", ToDeviceMacroEvents(GreetingEvents()));
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));

    ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferReadInBackground, kTransferReadMask));
    EXPECT_EQ(m_reports.WaitForReport(), 1) << "the read's outcome is posted like a write's";
    EXPECT_FALSE(Keyboard().IsBusy());
    EXPECT_EQ(Key(L"A", Profile(L"Second")).data.key.scanCode, 0x2C);
    ASSERT_EQ(m_store->GetMacroCount(), 1u);
    EXPECT_TRUE(m_store->GetMacroAt(0)->Events() == GreetingEvents());

    // What the read saw on the keyboard tells the write what the user deleted since.
    m_store->RemoveMacro(m_store->GetMacroAt(0));
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 0u) << "a macro deleted after the read stayed on the keyboard";
}

// The program ends while the read waits on the keyboard: the device object stops waiting, and the store
// can go with it, since the read fills only its own readout and reaches nobody when it ends.
TEST_F(DeviceLinkTest, ReadThatDestructionStopsWaitingForLeavesTheStoreAlone)
{
    CDeviceSide().CreateMacro(L"Greeting", ToDeviceMacroEvents(GreetingEvents()));
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    g_readGate.Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto gated = std::make_unique<CGatedKeyboard>();
    gated->SetTransferNotify(m_reports.Handle(), kWriteDoneMessage);
    gated->SetDestroyWait(0);
    ASSERT_TRUE(gated->StartDeviceRead(m_store.get(), kTransferReadMask));
    gated.reset();
    EXPECT_NE(RunningDeviceTasks(), 0u);

    SetEvent(g_readGate);
    EXPECT_TRUE(PumpUntil([] { return RunningDeviceTasks() == 0; })) << "the read never ended";
    g_readGate.CloseHandle();
    EXPECT_EQ(m_store->GetMacroCount(), 0u) << "the read reached the store after its device object was gone";
    EXPECT_TRUE(m_reports.Reports().empty());
}

TEST_F(DeviceLinkTest, ReadKeepsAutoSwitchOfAProfileWithoutLinkedProgram)
{
    CDeviceSide side;
    side.SetFlag(side.ProfileAt(0), AutoSwitch, true);
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    EXPECT_EQ(m_store->GetProfileAt(0)->GetAutoSwitch(), 0);
    ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    EXPECT_EQ(m_store->GetProfileAt(0)->GetAutoSwitch(), 0);
}

TEST_F(DeviceLinkTest, ReadSkipsWhatItCannotReadAndStillReadsTheMacros)
{
    CDeviceSide side;
    const GUID second = side.CreateProfile(L"Second");
    const GUID third = side.CreateProfile(L"Third");
    side.SetRecord(second, KeyRecord(0x1E, 0x2C, 0));
    side.SetRecord(third, KeyRecord(0x1E, 0x2D, 0));
    side.CreateMacro(L"Greeting", ToDeviceMacroEvents(GreetingEvents()));
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));

    // The active profile's GUID, then the first profile's: the first is skipped.
    Command("fail IDeviceProfile.GetGuid 2");
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    EXPECT_EQ(Key(L"A", Profile(L"Second")).data.key.scanCode, 0x2C);
    EXPECT_EQ(Key(L"A", Profile(L"Third")).data.key.scanCode, 0x2D);
    EXPECT_EQ(m_store->GetMacroCount(), 1u);

    // The last profile's key read fails: the macros are read all the same, or the next write would
    // delete them from the device.
    m_store->RemoveMacro(m_store->GetMacroAt(0));
    m_store->RemoveProfile(Profile(kFirstName));
    m_store->RemoveProfile(Profile(L"Second"));
    Command("fail IButtonAssignment.GetAll 1");
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    EXPECT_EQ(m_store->GetMacroCount(), 1u);
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(side.MacroName(m_store->GetMacroAt(0)->Guid()), L"Greeting");
}

TEST_F(DeviceLinkTest, ProfileFilesGoOutAndComeBackAsNewProfilesAndAFailedImportLeavesNothing)
{
    CDeviceSide side;
    side.SetRecord(side.ProfileAt(0), KeyRecord(0x1E, 0x2C, 0));
    side.SetProgram(side.ProfileAt(0), L"tool.exe");
    StartUp();
    const std::wstring file = m_folder.File(L"exported.qnp");
    ASSERT_TRUE(Keyboard().ExportProfileFile(file.c_str(), Profile(kFirstName)));

    // The file's name is taken: the keyboard must take the free one, or the store would hold it twice.
    for (const char* fault : {"fail IButtonAssignment.GetAll 1", "fail IDeviceProfile.SetName 1"}) {
        Command(fault);
        EXPECT_FALSE(Keyboard().ImportProfileFile(file.c_str(), m_store.get())) << fault;
        EXPECT_EQ(m_store->GetProfileCount(), 1u) << fault;
        EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 1u) << fault;
    }

    ASSERT_TRUE(Keyboard().ImportProfileFile(file.c_str(), m_store.get()));
    ASSERT_EQ(m_store->GetProfileCount(), 2u);
    IKeyboardProfile* imported = m_store->GetProfileAt(1);
    EXPECT_FALSE(GuidOf(imported) == GuidOf(m_store->GetProfileAt(0)));
    EXPECT_TRUE(Keyboard().IsProfileOnDevice(imported));
    EXPECT_EQ(imported->GetAppFileName(), L"tool.exe");
    EXPECT_EQ(Key(L"A", imported).data.key.scanCode, 0x2C);
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 2u);

    EXPECT_FALSE(Keyboard().ImportProfileFile(m_folder.File(L"missing.qnp").c_str(), m_store.get()));
    EXPECT_EQ(m_store->GetProfileCount(), 2u);
}

TEST_F(DeviceLinkTest, MacroFilesGoOutAndComeBackAndAnImportUnderATakenNameGetsAFreeName)
{
    CDeviceSide side;
    side.CreateMacro(L"Greeting", ToDeviceMacroEvents(GreetingEvents()));
    StartUp();
    CMacro* macro = m_store->FindMacroByName(L"Greeting");
    ASSERT_NE(macro, nullptr);
    const std::wstring file = m_folder.File(L"greeting.qnm");
    ASSERT_TRUE(Keyboard().ExportMacroFile(file.c_str(), macro));

    // A failed read takes the import back on both sides.
    Command("fail IDeviceMacro.GetEvents 1");
    EXPECT_FALSE(Keyboard().ImportMacroFile(file.c_str(), m_store.get()));
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 1u);
    EXPECT_EQ(m_store->GetMacroCount(), 1u);

    ASSERT_TRUE(Keyboard().ImportMacroFile(file.c_str(), m_store.get()));
    ASSERT_EQ(m_store->GetMacroCount(), 2u);
    CMacro* imported = m_store->GetMacroAt(1);
    EXPECT_STREQ(imported->GetName(), L"Greeting (2)");
    EXPECT_EQ(side.MacroName(imported->Guid()), L"Greeting (2)") << "the keyboard holds it under that name too";
    EXPECT_FALSE(imported->Guid() == macro->Guid());
    EXPECT_TRUE(imported->Events() == GreetingEvents());
    EXPECT_EQ(imported->GetDescription(), file);
    EXPECT_TRUE(Keyboard().IsMacroOnDevice(imported));

    // A macro the device never had: nothing is asked beyond finding the keyboard.
    CMacro* unsent = m_store->AddMacro(L"Unsent");
    Mark();
    EXPECT_FALSE(Keyboard().ExportMacroFile(m_folder.File(L"unsent.qnm").c_str(), unsent));
    for (const std::string& call : Calls())
        EXPECT_TRUE(IsSearchCall(call)) << call;
}
