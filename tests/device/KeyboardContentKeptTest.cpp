// What Apply must never take from the keyboard: objects the configurator did not read (unreadable,
// skipped, or made by another program while it was open), records its profiles cannot hold, keys another
// program assigned while the user left them alone, and the device profile of a profile that was copied.
#include "DeviceLinkTestSupport.h"
#include "../support/TestProgram.h"

#include <cstring>

namespace {

const wchar_t kFirstName[] = L"Profile 1";

// The second program on the keyboard: the test client stores a macro as the tray's recorder does.
DWORD RunSecondClient(const std::wstring& arguments)
{
    return CProgram(testfiles::WinePath(TESSARY_TEST_CLIENT_EXE), arguments, CREATE_NO_WINDOW).WaitForExit(kServiceStartMs);
}

uint16_t ScanOf(const KeyAssignmentRecord& record)
{
    uint16_t scan = 0;
    GetRecordField(record, kRecordKeyScanOffset, &scan);
    return scan;
}

}  // namespace

TEST_F(DeviceLinkTest, ApplyKeepsEveryMacroAndProfileItNeverReadAndDeletesWhatTheUserDeleted)
{
    CDeviceSide side;
    const GUID unreadable = side.CreateMacro(L"Unreadable", {{2, 0x1E}});
    const GUID upper = side.CreateMacro(L"Greeting", {{3, 10}});
    const GUID lower = side.CreateMacro(L"greeting", {{3, 20}});
    const GUID dropped = side.CreateMacro(L"Dropped", {});
    side.CreateProfile(L"Dropped");
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    // The first macro's events cannot be read: the read fails partway and leaves that macro out.
    Command("fail IDeviceMacro.GetEvents 1");
    EXPECT_FALSE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    Command("fail clear");
    ASSERT_EQ(m_store->GetMacroCount(), 3u) << "the name taken in other letter case is kept, numbered";
    EXPECT_NE(m_store->FindMacroByName(L"greeting (2)"), nullptr);

    // While the configurator is open, the tray program records a macro on the keyboard.
    ASSERT_EQ(RunSecondClient(L"record-macro \"New Macro1\""), 0u);
    m_store->RemoveMacro(m_store->FindMacroByName(L"Dropped"));
    m_store->RemoveProfile(Profile(L"Dropped"));
    ASSERT_EQ(Write(), 1);

    EXPECT_EQ(side.MacroName(unreadable), L"Unreadable");
    EXPECT_EQ(side.MacroName(upper), L"Greeting");
    EXPECT_FALSE(side.MacroName(lower).empty());
    EXPECT_EQ(side.MacroName(dropped), L"") << "read, then deleted by the user";
    EXPECT_TRUE(IsNullGuid(side.ProfileAt(1))) << "read, then deleted by the user";
    EXPECT_EQ(Keyboard().GetDeviceMacroCount(), 4u) << "the tray's recording is still there";
}

TEST_F(DeviceLinkTest, KeyRecordsAProfileCannotHoldSurviveApplyUntilTheUserAssignsTheKey)
{
    CDeviceSide side;
    const GUID profile = side.ProfileAt(0);
    KeyAssignmentRecord click = {};
    click.leading = 1;
    click.serviceType = kServiceButtonFunction;
    SetRecordField(click, kRecordCodeOffset, DWORD(1));
    for (DWORD button : {DWORD(0x1E), DWORD(0x30)}) {
        click.buttonId = button;
        side.SetRecord(profile, click);
    }
    StartUp();
    KeyAssignment single;
    SetKey(L"B", MakeSingleKeyAssignment(single, 0x2D, 0, false), Profile(kFirstName));
    ASSERT_EQ(Write(), 1);

    click.buttonId = 0x1E;
    const KeyAssignmentRecord kept = side.RecordOf(profile, 0x1E);
    EXPECT_EQ(std::memcmp(&kept, &click, sizeof(kept)), 0) << "the key the user left alone";
    EXPECT_EQ(side.RecordOf(profile, 0x30).serviceType, DWORD(kServiceKey)) << "the key the user assigned";
}

TEST_F(DeviceLinkTest, ApplyKeepsTheMacroTheTrayAssignedMeanwhileAndWritesTheKeyTheUserChanged)
{
    StartUp();
    IKeyboardProfile* first = Profile(kFirstName);
    const GUID profile = GuidOf(first);
    // While the configurator is open, the tray records a macro and assigns it to key A.
    ASSERT_EQ(RunSecondClient(L"record-macro \"New Macro1\" 1E"), 0u);
    CDeviceSide side;
    const KeyAssignmentRecord recorded = side.RecordOf(profile, 0x1E);
    ASSERT_EQ(recorded.serviceType, DWORD(kServiceMacro));
    KeyAssignment single;
    SetKey(L"B", MakeSingleKeyAssignment(single, 0x2D, 0, false), first);
    Mark();
    ASSERT_EQ(Write(), 1);

    const KeyAssignmentRecord kept = side.RecordOf(profile, 0x1E);
    EXPECT_EQ(std::memcmp(&kept, &recorded, sizeof(kept)), 0) << "the tray's recording still plays on A";
    EXPECT_EQ(ScanOf(side.RecordOf(profile, 0x30)), 0x2D) << "the key the user changed";
    EXPECT_EQ(CountCalls("IButtonAssignment.SetRecords"), 1u) << "no key the user left alone was written";
}

TEST_F(DeviceLinkTest, EveryLaterChangeOfAKeyReachesTheKeyboardBackToItsDefaultToo)
{
    StartUp();
    IKeyboardProfile* first = Profile(kFirstName);
    const GUID profile = GuidOf(first);
    KeyAssignment assignment;
    SetKey(L"A", MakeSingleKeyAssignment(assignment, 0x2C, 0, false), first);
    ASSERT_EQ(Write(), 1);
    SetKey(L"A", MakeSingleKeyAssignment(assignment, 0x2D, 0, false), first);
    ASSERT_EQ(Write(), 1);
    CDeviceSide side;
    EXPECT_EQ(ScanOf(side.RecordOf(profile, 0x1E)), 0x2D);
    // The key as it was read: still a change from what the last Apply put on the keyboard.
    SetKey(L"A", MakeDefaultAssignment(assignment, 0x1E, false), first);
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(ScanOf(side.RecordOf(profile, 0x1E)), 0x1E);
}

TEST_F(DeviceLinkTest, ACopiedProfileNeverWritesOverItsOriginal)
{
    StartUp();
    IKeyboardProfile* original = Profile(kFirstName);
    KeyAssignment single;
    IKeyboardProfile* twin = m_store->DuplicateProfile(original);
    SetKey(L"A", MakeSingleKeyAssignment(single, 0x2C, 0, false), twin);
    // A profile that carries its original's GUID anyway still gets a device profile of its own.
    IKeyboardProfile* third = m_store->AddProfile(L"Third");
    const GUID guid = GuidOf(original);
    DWORD words[4];
    GuidToWords(guid, words);
    third->SetGuid(words[0], words[1], words[2], words[3]);
    ASSERT_TRUE(GuidOf(third) == guid);
    SetKey(L"A", MakeSingleKeyAssignment(single, 0x2D, 0, false), third);
    ASSERT_EQ(Write(), 1);

    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 3u);
    EXPECT_FALSE(GuidOf(third) == guid);
    CDeviceSide side;
    EXPECT_EQ(side.ProfileName(guid), kFirstName);
    uint16_t scan = 0;
    GetRecordField(side.RecordOf(guid, 0x1E), kRecordKeyScanOffset, &scan);
    EXPECT_EQ(scan, 0x1E) << "the original's key A is still its own";
}
