// Key assignments to and from the device's 32-byte button records, and the write's copy of the store.
#include "DeviceTestSupport.h"

#include "model/AssignmentRecords.h"
#include "model/GuidWords.h"
#include "model/OssleConfig.h"
#include "model/TransferSnapshot.h"

#include <cstring>

namespace {

const GUID kGuid = {0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};

template <class T>
T At(const KeyAssignmentRecord& record, size_t offset)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const BYTE*>(&record) + offset, sizeof(T));
    return value;
}

KeyAssignmentRecord Record(DWORD type, DWORD code = 0)
{
    KeyAssignmentRecord record = {};
    record.leading = 1;
    record.serviceType = type;
    SetRecordField(record, kRecordCodeOffset, code);
    return record;
}

class AssignmentRecordTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(LoadProductKeyboard()); }

    KeyScanCode DefaultOf(const wchar_t* key) { return KeyboardDef().GetDefaultScanCode(KeyIdOf(key)); }
    KeyAssignment RoundTrip(const KeyAssignment& assignment, const wchar_t* key)
    {
        return RecordToAssignment(AssignmentToRecord(assignment, 0x1E, DefaultOf(key)), DefaultOf(key));
    }
};

}  // namespace

TEST(AssignmentRecordKinds, RecordsMapToTheFirstTemplateOfTheirTypeAndCode)
{
    const std::pair<DWORD, int32_t> functions[] = {{0, 8}, {1, 1}, {2, 2}, {3, 3}, {4, 33},
                                                   {5, 32}, {6, 40}, {7, 41}, {8, 10}, {11, 4}};
    for (const auto& [code, kind] : functions)
        EXPECT_EQ(RecordToKind(Record(kServiceButtonFunction, code)), kind) << "function " << code;
    EXPECT_EQ(RecordToKind(Record(kServiceProfileSwitch, 1)), 24);
    EXPECT_EQ(RecordToKind(Record(kServiceProfileSwitch, 2)), 23);
    EXPECT_EQ(RecordToKind(Record(kServiceProfileSwitch, 3)), 21);
    EXPECT_EQ(RecordToKind(Record(kServiceSensitivity, 1)), 13);
    EXPECT_EQ(RecordToKind(Record(kServiceSensitivity, 2)), 14);
    EXPECT_EQ(RecordToKind(Record(kServiceSensitivity, 3)), 16);
    EXPECT_EQ(RecordToKind(Record(kServiceKey, 0x1234)), 0);
    EXPECT_EQ(RecordToKind(Record(kServiceAdvanced)), 9);
    EXPECT_EQ(RecordToKind(Record(kServiceMacro)), 6);
    EXPECT_EQ(RecordToKind(Record(kServiceProgramStart)), 62);
    for (DWORD unmatched : {0u, 2u, 7u, 10u})
        EXPECT_EQ(RecordToKind(Record(unmatched)), -1) << "type " << unmatched;
    EXPECT_EQ(RecordToKind(Record(kServiceButtonFunction, 9)), -1);
}

TEST(AssignmentRecordKinds, TemplatesCarryLeadingValueTypeCodeAndStage)
{
    size_t count = 0;
    const AssignmentTemplate* templates = AssignmentTemplates(&count);
    for (size_t i = 0; i < count; ++i) {
        const KeyAssignmentRecord record = MakeTemplateRecord(templates[i].kind);
        EXPECT_EQ(record.leading, 1u) << templates[i].kind;
        EXPECT_EQ(record.buttonId, 0u);
        EXPECT_EQ(record.serviceType, templates[i].serviceType);
        if (i > 0) {
            EXPECT_LT(templates[i - 1].kind, templates[i].kind) << "templates are walked in ascending kind order";
        }
    }
    const KeyAssignmentRecord stage3 = MakeTemplateRecord(kKindDpiStage3);
    EXPECT_EQ(At<DWORD>(stage3, 12), 3u);
    EXPECT_EQ(At<DWORD>(stage3, 16), 2u);
    EXPECT_EQ(At<DWORD>(MakeTemplateRecord(kKindDoubleClick), 12), 11u);
    EXPECT_EQ(At<DWORD>(MakeTemplateRecord(kKindProfileDown), 12), 1u);
    // A numbered stage stays its stage whatever the assignment's data says.
    KeyAssignment stage5;
    stage5.kind = kKindDpiStage5;
    EXPECT_EQ(At<DWORD>(AssignmentToRecord(stage5, 7, {}), 16), 4u);

    KeyAssignmentRecord none = MakeTemplateRecord(kKindPlay);
    EXPECT_EQ(none.serviceType, 0u);
    EXPECT_EQ(none.leading, 0u);
}

TEST_F(AssignmentRecordTest, DefaultKeyIsTheKeysOwnCodeAndOnlyThereReadsBackAsDefault)
{
    KeyAssignment assignment;
    const KeyScanCode a = DefaultOf(L"A");
    MakeDefaultAssignment(assignment, a.code, a.extended != 0);
    const KeyAssignmentRecord record = AssignmentToRecord(assignment, 0x1E, a);
    EXPECT_EQ(record.leading, 1u);
    EXPECT_EQ(record.buttonId, 0x1Eu);
    EXPECT_EQ(record.serviceType, kServiceKey);
    EXPECT_EQ(At<uint16_t>(record, 12), 0x1E);
    EXPECT_EQ(At<DWORD>(record, 14), 0u);

    EXPECT_EQ(RecordToAssignment(record, a).kind, kKindDefaultKey);
    const KeyAssignment onB = RecordToAssignment(record, DefaultOf(L"B"));
    EXPECT_EQ(onB.kind, kKindSingleKey);
    EXPECT_EQ(onB.data.key.scanCode, 0x1E);

    // An extended default (Right Ctrl, E0 1D) is told from the plain key by its extended bit.
    const KeyScanCode rightCtrl = DefaultOf(L"Right Ctrl");
    MakeDefaultAssignment(assignment, rightCtrl.code, true);
    const KeyAssignmentRecord extended = AssignmentToRecord(assignment, 0x2001D, rightCtrl);
    EXPECT_EQ(At<DWORD>(extended, 14), kKeyModifierExtended);
    EXPECT_EQ(RecordToAssignment(extended, rightCtrl).kind, kKindDefaultKey);
    EXPECT_EQ(RecordToAssignment(extended, DefaultOf(L"Left Ctrl")).kind, kKindSingleKey);
}

TEST_F(AssignmentRecordTest, PauseAndNumLockShareScanCode69AndAreToldApartByTheExtendedBit)
{
    KeyAssignment pause;
    MakeSingleKeyAssignment(pause, kScanPauseNumLock, kVirtualKeyPause, false);
    const KeyAssignmentRecord pauseRecord = AssignmentToRecord(pause, 0x45, DefaultOf(L"Num Lock"));
    EXPECT_EQ(At<DWORD>(pauseRecord, 14), kKeyModifierExtended);
    const KeyAssignment pauseBack = RecordToAssignment(pauseRecord, DefaultOf(L"Num Lock"));
    EXPECT_EQ(pauseBack.kind, kKindSingleKey);
    EXPECT_EQ(pauseBack.data.key.virtualKey, kVirtualKeyPause);
    EXPECT_EQ(pauseBack.data.key.extended, 0);

    KeyAssignment numLock;
    MakeSingleKeyAssignment(numLock, kScanPauseNumLock, kVirtualKeyNumLock, false);
    const KeyAssignment numLockBack = RecordToAssignment(AssignmentToRecord(numLock, 0x40045, DefaultOf(L"Pause")),
                                                         DefaultOf(L"Pause"));
    EXPECT_EQ(numLockBack.kind, kKindSingleKey);
    EXPECT_EQ(numLockBack.data.key.virtualKey, kVirtualKeyNumLock);

    // The Pause key's own default (an E1 key) stays the default through a write and a read.
    KeyAssignment pauseDefault;
    const KeyScanCode pauseKey = DefaultOf(L"Pause");
    MakeDefaultAssignment(pauseDefault, pauseKey.code, pauseKey.extended != 0);
    const KeyAssignment back = RecordToAssignment(AssignmentToRecord(pauseDefault, 0x40045, pauseKey), pauseKey);
    EXPECT_EQ(back.kind, kKindDefaultKey);
    EXPECT_EQ(std::memcmp(&back, &pauseDefault, sizeof(back)), 0);
}

TEST_F(AssignmentRecordTest, ModifierBitsTravelAsTheFlagByte)
{
    KeyAssignment key;
    MakeSingleKeyAssignment(key, 0x2C, 0, false);
    key.data.key.extended = 0x0B;
    const KeyAssignmentRecord record = AssignmentToRecord(key, 0x1E, DefaultOf(L"A"));
    EXPECT_EQ(At<DWORD>(record, 14), 0x1000000u | 0x2000000u | 0x8000000u);
    EXPECT_EQ(RoundTrip(key, L"A").data.key.extended, 0x0B);
}

TEST_F(AssignmentRecordTest, MacroPlayModesAreSwappedForTheDeviceAndBack)
{
    const std::pair<uint32_t, BYTE> modes[] = {{kPlayOnce, 1}, {kPlayMultiple, 2}, {kPlayUntilPressed, 4},
                                               {kPlayWhilePressed, 3}, {9, 0}};
    for (const auto& [model, device] : modes) {
        KeyAssignment macro;
        MakeMacroAssignment(macro, kGuid, model);
        macro.count = 7;
        const KeyAssignmentRecord record = AssignmentToRecord(macro, 0x1E, DefaultOf(L"A"));
        EXPECT_EQ(record.serviceType, kServiceMacro);
        EXPECT_TRUE(At<GUID>(record, 12) == kGuid);
        EXPECT_EQ(At<BYTE>(record, 28), device) << model;
        EXPECT_EQ(At<BYTE>(record, 29), 7);
        const KeyAssignment back = RecordToAssignment(record, DefaultOf(L"A"));
        EXPECT_EQ(back.kind, kKindMacro);
        EXPECT_TRUE(back.data.guid == kGuid);
        EXPECT_EQ(back.param, device == 0 ? 0u : model);
        EXPECT_EQ(back.count, 7);
    }
}

TEST_F(AssignmentRecordTest, ProfileAndProgramGuidsSitWhereTheDeviceReadsThem)
{
    KeyAssignment profile;
    MakeGuidAssignment(profile, kKindProfile, kGuid);
    const KeyAssignmentRecord switchRecord = AssignmentToRecord(profile, 0x1E, DefaultOf(L"A"));
    EXPECT_EQ(switchRecord.serviceType, kServiceProfileSwitch);
    EXPECT_EQ(At<DWORD>(switchRecord, 12), 3u);
    EXPECT_TRUE(At<GUID>(switchRecord, 16) == kGuid);
    const KeyAssignment profileBack = RoundTrip(profile, L"A");
    EXPECT_EQ(std::memcmp(&profileBack, &profile, sizeof(profile)), 0);

    KeyAssignment program;
    MakeGuidAssignment(program, kKindLaunchProgram, kGuid);
    const KeyAssignmentRecord programRecord = AssignmentToRecord(program, 0x1E, DefaultOf(L"A"));
    EXPECT_EQ(programRecord.serviceType, kServiceProgramStart);
    EXPECT_TRUE(At<GUID>(programRecord, 12) == kGuid);
    const KeyAssignment programBack = RoundTrip(program, L"A");
    EXPECT_EQ(std::memcmp(&programBack, &program, sizeof(program)), 0);
}

TEST_F(AssignmentRecordTest, UnknownAndUnresolvedAssignmentsAreWrittenAsTheKeysDefault)
{
    const KeyScanCode b = DefaultOf(L"B");
    KeyAssignment expected;
    MakeDefaultAssignment(expected, b.code, b.extended != 0);
    const KeyAssignmentRecord reference = AssignmentToRecord(expected, 0x30, b);

    KeyAssignment untouched;  // a key a new profile never held
    KeyAssignment macroName;
    MakeMacroTextAssignment(macroName, L"\x4142\x4344 a long macro name", kPlayOnce);
    KeyAssignment profileName;
    MakeTextAssignment(profileName, kKindProfileText, L"Games");
    KeyAssignment programName;
    MakeTextAssignment(programName, kKindLaunchProgramText, L"C:\\editor.exe");
    for (const KeyAssignment& given : {untouched, macroName, profileName, programName}) {
        const KeyAssignmentRecord record = AssignmentToRecord(given, 0x30, b);
        EXPECT_EQ(std::memcmp(&record, &reference, sizeof(record)), 0) << "kind " << given.kind;
    }
}

TEST_F(AssignmentRecordTest, RecordsTheProfileCannotHoldReadBackAsNoAssignment)
{
    KeyAssignmentRecord fourValues = Record(kServiceFourValues, 0x11223344);
    const KeyAssignment back = RecordToAssignment(fourValues, DefaultOf(L"A"));
    EXPECT_EQ(back.kind, kKindNone);
    EXPECT_EQ(back.data.key.scanCode, 0x3344) << "the values are carried";

    COssleConfig store;
    IKeyboardProfile* profile = store.AddProfile(L"P");
    EXPECT_FALSE(store.SetKeyAssignment(KeyIdOf(L"A"), back, profile));
}

TEST_F(AssignmentRecordTest, ButtonIdsNameTheirKeys)
{
    EXPECT_EQ(KeyIdOfButton(0x40045, KeyboardDef()), KeyIdOf(L"Pause"));
    EXPECT_EQ(KeyIdOfButton(0x45, KeyboardDef()), KeyIdOf(L"Num Lock"));
    EXPECT_EQ(KeyIdOfButton(0x2001D, KeyboardDef()), KeyIdOf(L"Right Ctrl"));
    EXPECT_EQ(KeyIdOfButton(0x1D, KeyboardDef()), KeyIdOf(L"Left Ctrl"));
    EXPECT_EQ(KeyIdOfButton(0x7F7F, KeyboardDef()), 0);
}

// ---- The write's copy of the store

TEST_F(AssignmentRecordTest, CopyOfTheStoreTakesEveryKeyAndMergesOnlyWhatTheWriteLearned)
{
    COssleConfig store;
    IKeyboardProfile* known = store.AddProfile(L"Known");
    known->SetGuid(1, 2, 3, 4);
    IKeyboardProfile* fresh = store.AddProfile(L"Fresh");
    IKeyboardProfile* removed = store.AddProfile(L"Removed");
    store.SetActiveProfile(fresh);
    KeyAssignment named;
    MakeMacroTextAssignment(named, L"Greeting", kPlayOnce);
    store.SetKeyAssignment(KeyIdOf(L"A"), named, fresh);
    CMacro* macro = store.AddMacro(L"Greeting");
    macro->Events() = {MakeKeyEvent(0, 0x1E, kMacroPressed, 0), MakeDelayEvent(20)};

    const std::vector<ButtonSlot> slots = MakeButtonSlots({0x1E, 0x30, 0x7F7F}, KeyboardDef());
    CTransferSnapshot copy = CTransferSnapshot::Take(store, slots);
    ASSERT_EQ(copy.profiles.size(), 3u);
    EXPECT_EQ(copy.activeProfile, 1);
    ASSERT_EQ(copy.profiles[1].keys.size(), 3u);
    EXPECT_EQ(copy.profiles[1].keys[0].kind, kKindMacroText);
    EXPECT_EQ(copy.profiles[1].keys[1].kind, kKindNone);
    EXPECT_EQ(copy.macros[0].events.size(), 2u);
    EXPECT_EQ(copy.macros[0].events[0].type, DWORD(kDeviceEventKey));

    // What a write does to its copy: GUIDs for the new objects and the resolved key.
    copy.profiles[1].guid = kGuid;
    copy.profiles[2].guid = kGuid;
    copy.macros[0].guid = kGuid;
    MakeMacroAssignment(copy.profiles[1].keys[0], kGuid, kPlayOnce);
    copy.profiles[1].resolved[0] = true;
    MakeGuidAssignment(copy.profiles[1].keys[1], kKindProfile, kGuid);  // changed, but not learned
    store.RemoveProfile(removed);

    copy.MergeInto(store);
    GUID guid{};
    fresh->GetGuid(guid);
    EXPECT_TRUE(guid == kGuid);
    known->GetGuid(guid);
    EXPECT_TRUE(guid == GuidFromWords(1, 2, 3, 4));
    EXPECT_TRUE(macro->Guid() == kGuid);
    KeyAssignment key;
    store.GetKeyAssignment(key, KeyIdOf(L"A"), fresh);
    EXPECT_EQ(key.kind, kKindMacro);
    store.GetKeyAssignment(key, KeyIdOf(L"B"), fresh);
    EXPECT_EQ(key.kind, kKindNone);
    EXPECT_EQ(store.GetProfileCount(), 2u);
}
