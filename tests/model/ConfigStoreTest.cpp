// Tests of the configuration store through IKeyboardConfig: profiles (add, duplicate, rename, copy,
// remove, activate), macros, programs, key assignments and the per-profile switches.
#include "model/GuidWords.h"
#include "model/OssleConfig.h"
#include "skin/KeyboardDef.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr int kKeyA = 2001;

class FakeDevice : public IKeyboardDevice {};

GUID GuidOf(const IKeyboardProfile* profile)
{
    GUID guid;
    profile->GetGuid(guid);
    return guid;
}

KeyAssignment SingleKey(uint16_t scanCode)
{
    KeyAssignment record;
    return MakeSingleKeyAssignment(record, scanCode, 0x41, false);
}

class ConfigStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeyboardDef().Clear();
        KeyboardDef().GetDefaultScanCode(kKeyA) = KeyScanCode{0x1E, 0};
    }
    void TearDown() override { KeyboardDef().Clear(); }

    // The store as its users hold it.
    std::unique_ptr<IKeyboardConfig> m_store = std::make_unique<COssleConfig>();
    IKeyboardConfig& store = *m_store;
};

// --- Profiles -----------------------------------------------------------------------------------------

TEST_F(ConfigStoreTest, NewProfileHasItsDefaults)
{
    IKeyboardProfile* profile = store.AddProfile(L"Work");
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->GetName(), L"Work");
    EXPECT_TRUE(store.GetLightingOn(profile));
    EXPECT_EQ(profile->GetAutoSwitch(), 0);
    EXPECT_TRUE(profile->GetAppPath().empty());
    EXPECT_TRUE(profile->GetAppFileName().empty());
    EXPECT_TRUE(static_cast<COssleProfile*>(profile)->KeyAssignments().empty());
    // Adding is not activating; with nothing active the shared profile display is off.
    EXPECT_EQ(store.GetActiveProfile(), nullptr);
    EXPECT_EQ(profile->GetShowProfileOsd(), 0);
}

TEST_F(ConfigStoreTest, AddedProfileTakesTheActiveProfileDisplayForAll)
{
    IKeyboardProfile* first = store.AddProfile(L"One");
    store.SetActiveProfile(first);
    store.SetShowProfileOsdAll(1);
    IKeyboardProfile* second = store.AddProfile(L"Two");
    EXPECT_EQ(second->GetShowProfileOsd(), 1);

    first->SetShowProfileOsd(0);
    second->SetShowProfileOsd(1);
    IKeyboardProfile* third = store.AddProfile(L"Three");
    EXPECT_EQ(first->GetShowProfileOsd(), 0);
    EXPECT_EQ(second->GetShowProfileOsd(), 0);
    EXPECT_EQ(third->GetShowProfileOsd(), 0);
}

TEST_F(ConfigStoreTest, ProfilesKeepTheirOrderAndTheStoreSetsNoLimit)
{
    // Ten is the profiles page's limit, not the store's: the device object must be able to load all.
    for (int i = 0; i < 11; ++i)
        ASSERT_NE(store.AddProfile((L"P" + std::to_wstring(i)).c_str()), nullptr);
    EXPECT_EQ(store.GetProfileCount(), 11u);
    EXPECT_EQ(store.GetProfileAt(0)->GetName(), L"P0");
    EXPECT_EQ(store.GetProfileAt(10)->GetName(), L"P10");
    EXPECT_EQ(store.GetProfileAt(11), nullptr);
    EXPECT_EQ(store.GetProfileAt(~0u), nullptr);
}

TEST_F(ConfigStoreTest, LookupsFoldOnlyAsciiLettersAndTakeTheFirstMatch)
{
    IKeyboardProfile* first = store.AddProfile(L"Game");
    IKeyboardProfile* second = store.AddProfile(L"GAME");
    IKeyboardProfile* umlaut = store.AddProfile(L"\u00C4rger");
    first->SetGuid(1, 2, 3, 4);
    second->SetGuid(1, 2, 3, 4);

    EXPECT_EQ(store.FindProfileByName(L"game"), first);
    EXPECT_EQ(store.FindProfileByName(L"\u00C4RGER"), umlaut);
    EXPECT_EQ(store.FindProfileByName(L"\u00E4rger"), nullptr);
    EXPECT_EQ(store.FindProfileByName(L"Gam"), nullptr);
    EXPECT_EQ(store.FindProfileByName(nullptr), nullptr);
    EXPECT_EQ(store.FindProfileByGuid(1, 2, 3, 4), first);
    EXPECT_EQ(store.FindProfileByGuid(1, 2, 3, 5), nullptr);
}

TEST_F(ConfigStoreTest, DuplicateKeepsNameAndSwitchesButNotTheDeviceProfilesGuid)
{
    IKeyboardProfile* original = store.AddProfile(L"Base");
    original->SetGuid(7, 7, 7, 7);
    original->SetApp(L"C:\\Games\\run.exe");
    store.SetLightingOn(0, original);
    store.SetKeyAssignment(kKeyA, SingleKey(0x30), original);

    IKeyboardProfile* twin = store.DuplicateProfile(original);
    ASSERT_NE(twin, nullptr);
    EXPECT_NE(twin, original);
    EXPECT_EQ(store.GetProfileAt(1), twin);
    EXPECT_EQ(twin->GetName(), L"Base");
    EXPECT_EQ(GuidOf(twin), GUID{}) << "one GUID in two profiles writes both into one device profile";
    EXPECT_EQ(twin->GetAppFileName(), L"run.exe");
    EXPECT_FALSE(store.GetLightingOn(twin));
    KeyAssignment out;
    EXPECT_EQ(store.GetKeyAssignment(out, kKeyA, twin).data.key.scanCode, 0x30);
    EXPECT_EQ(store.DuplicateProfile(nullptr), nullptr);
    EXPECT_EQ(store.GetProfileCount(), 2u);
}

TEST_F(ConfigStoreTest, ActivatingAcceptsOnlyHeldProfiles)
{
    IKeyboardProfile* profile = store.AddProfile(L"Held");
    store.SetActiveProfile(profile);
    EXPECT_EQ(store.GetActiveProfile(), profile);

    COssleProfile stranger(L"Stranger");
    store.SetActiveProfile(&stranger);
    EXPECT_EQ(store.GetActiveProfile(), profile);
    store.SetActiveProfile(nullptr);
    EXPECT_EQ(store.GetActiveProfile(), nullptr);
}

TEST_F(ConfigStoreTest, RenameRespectsLetterCaseAndKeepsPlaceAndActivity)
{
    store.AddProfile(L"Before");
    IKeyboardProfile* profile = store.AddProfile(L"Office");
    store.AddProfile(L"After");
    profile->SetGuid(9, 8, 7, 6);
    store.SetActiveProfile(profile);

    EXPECT_EQ(store.ReplaceProfileName(profile, L"Office"), nullptr);
    EXPECT_EQ(store.GetProfileAt(1), profile);

    IKeyboardProfile* renamed = store.ReplaceProfileName(profile, L"OFFICE");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->GetName(), L"OFFICE");
    EXPECT_EQ(GuidOf(renamed), GuidFromWords(9, 8, 7, 6));
    EXPECT_EQ(store.GetProfileAt(1), renamed);
    EXPECT_EQ(store.GetActiveProfile(), renamed);
    EXPECT_EQ(store.GetProfileCount(), 3u);
    EXPECT_EQ(store.GetProfileAt(0)->GetName(), L"Before");
    EXPECT_EQ(store.GetProfileAt(2)->GetName(), L"After");

    // An inactive profile stays inactive.
    IKeyboardProfile* after = store.ReplaceProfileName(store.GetProfileAt(2), L"Later");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(store.GetActiveProfile(), renamed);
    EXPECT_EQ(store.ReplaceProfileName(nullptr, L"X"), nullptr);
}

TEST_F(ConfigStoreTest, RenameOfAProfileNotHeldChangesNothing)
{
    store.AddProfile(L"Held");
    COssleProfile stranger(L"Stranger");
    EXPECT_EQ(store.ReplaceProfileName(&stranger, L"Other"), nullptr);
    EXPECT_EQ(stranger.GetName(), L"Stranger");
    EXPECT_EQ(store.GetProfileCount(), 1u);
}

TEST_F(ConfigStoreTest, RenameAndCopyCompareTheNameAsStored)
{
    const std::wstring longName(400, L'n');
    IKeyboardProfile* profile = store.AddProfile(longName.c_str());
    EXPECT_EQ(profile->GetName(), std::wstring(259, L'n'));
    // Cut to the field, the long name is the current one: no rename, no copy.
    EXPECT_EQ(store.ReplaceProfileName(profile, longName.c_str()), nullptr);
    EXPECT_EQ(store.CopyProfileAs(profile, longName.c_str()), nullptr);
    EXPECT_EQ(store.GetProfileCount(), 1u);
}

TEST_F(ConfigStoreTest, CopyAsAppendsANewProfileWithoutGuid)
{
    IKeyboardProfile* original = store.AddProfile(L"Main");
    original->SetGuid(5, 5, 5, 5);
    store.SetActiveProfile(original);

    EXPECT_EQ(store.CopyProfileAs(original, L"Main"), nullptr);
    IKeyboardProfile* copy = store.CopyProfileAs(original, L"MAIN");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(store.GetProfileAt(1), copy);
    EXPECT_EQ(copy->GetName(), L"MAIN");
    EXPECT_TRUE(IsNullGuid(GuidOf(copy)));
    EXPECT_EQ(GuidOf(original), GuidFromWords(5, 5, 5, 5));
    EXPECT_EQ(store.GetActiveProfile(), original);
    // The store checks no names against other profiles: that is the pages' work.
    EXPECT_NE(store.CopyProfileAs(copy, L"Main"), nullptr);
    EXPECT_EQ(store.CopyProfileAs(nullptr, L"Z"), nullptr);
    EXPECT_EQ(store.GetProfileCount(), 3u);
}

TEST_F(ConfigStoreTest, RemoveAndClear)
{
    IKeyboardProfile* a = store.AddProfile(L"A");
    IKeyboardProfile* b = store.AddProfile(L"B");
    IKeyboardProfile* c = store.AddProfile(L"C");
    store.SetActiveProfile(b);

    COssleProfile stranger(L"B");
    store.RemoveProfile(&stranger);
    store.RemoveProfile(nullptr);
    EXPECT_EQ(store.GetProfileCount(), 3u);
    EXPECT_EQ(store.GetActiveProfile(), b);

    store.RemoveProfile(b);
    EXPECT_EQ(store.GetActiveProfile(), nullptr);
    ASSERT_EQ(store.GetProfileCount(), 2u);
    EXPECT_EQ(store.GetProfileAt(0), a);
    EXPECT_EQ(store.GetProfileAt(1), c);

    store.SetActiveProfile(c);
    store.ClearProfiles();
    EXPECT_EQ(store.GetProfileCount(), 0u);
    EXPECT_EQ(store.GetActiveProfile(), nullptr);
}

TEST_F(ConfigStoreTest, ResetRestoresDefaultsAndSharedDisplay)
{
    IKeyboardProfile* active = store.AddProfile(L"Active");
    IKeyboardProfile* other = store.AddProfile(L"Other");
    store.SetActiveProfile(active);
    active->SetShowProfileOsd(1);
    other->SetApp(L"C:\\Tools\\edit.exe");
    other->SetAutoSwitch(1);
    store.SetLightingOn(0, other);
    store.SetKeyAssignment(kKeyA, SingleKey(0x30), other);

    COssleConfig::ResetProfile(other, &store);
    EXPECT_TRUE(other->GetAppPath().empty());
    EXPECT_TRUE(other->GetAppFileName().empty());
    EXPECT_EQ(other->GetAutoSwitch(), 0);
    EXPECT_TRUE(store.GetLightingOn(other));
    EXPECT_EQ(other->GetShowProfileOsd(), 1);
    KeyAssignment out;
    store.GetKeyAssignment(out, kKeyA, other);
    EXPECT_EQ(out.kind, kKindDefaultKey);
    EXPECT_EQ(out.data.key.scanCode, 0x1E);

    // Without a profile only the active profile's lighting comes back.
    store.SetLightingOn(0, active);
    active->SetAutoSwitch(1);
    COssleConfig::ResetProfile(nullptr, &store);
    EXPECT_TRUE(store.GetLightingOn(active));
    EXPECT_EQ(active->GetAutoSwitch(), 1);
}

// --- Macros and programs ----------------------------------------------------------------------------------

TEST_F(ConfigStoreTest, MacrosAndProgramsGoToTheirLists)
{
    CMacro* copy = store.AddMacro(L"Copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->Events().empty());
    EXPECT_EQ(store.AddMacro(L"COPY"), nullptr);
    CMacro* paste = store.AddMacro(L"Paste");
    paste->SetGuid(GuidFromWords(3, 1, 4, 1));
    EXPECT_EQ(store.GetMacroCount(), 2u);
    EXPECT_EQ(store.FindMacroByName(L"copy"), copy);
    EXPECT_EQ(store.FindMacroByGuid(3, 1, 4, 1), paste);
    EXPECT_EQ(store.GetMacroAt(1), paste);
    EXPECT_EQ(store.GetMacroAt(2), nullptr);
    // A change of letter case is a rename the device must receive; lookups still find the macro.
    EXPECT_TRUE(copy->SetName(L"COPY"));
    EXPECT_EQ(store.FindMacroByName(L"Copy"), copy);
    store.RemoveMacro(copy);
    EXPECT_EQ(store.GetMacroAt(0), paste);

    AppEntry* editor = store.AddApp(L"C:\\Tools\\Edit.exe");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(store.AddApp(L"c:\\tools\\edit.exe"), nullptr);
    AppEntry* player = store.AddApp(L"C:\\Media\\play.exe");
    player->guid = GuidFromWords(1, 1, 2, 3);
    EXPECT_EQ(store.GetAppCount(), 2u);
    EXPECT_EQ(store.FindAppByName(L"C:\\TOOLS\\EDIT.EXE"), editor);
    EXPECT_EQ(store.FindAppByGuid(1, 1, 2, 3), player);
    EXPECT_EQ(store.GetAppAt(2), nullptr);
    store.RemoveApp(editor);
    EXPECT_EQ(store.GetAppAt(0), player);
}

// --- Key assignments and switches ------------------------------------------------------------------------

TEST_F(ConfigStoreTest, KeyAssignmentsGoToTheGivenOrActiveProfile)
{
    KeyAssignment out = SingleKey(0x55);
    EXPECT_FALSE(store.SetKeyAssignment(kKeyA, SingleKey(0x10), nullptr));
    EXPECT_EQ(store.GetKeyAssignment(out, kKeyA, nullptr).kind, kKindNone);

    IKeyboardProfile* active = store.AddProfile(L"Active");
    IKeyboardProfile* other = store.AddProfile(L"Other");
    store.SetActiveProfile(active);
    EXPECT_TRUE(store.SetKeyAssignment(kKeyA, SingleKey(0x10), nullptr));
    EXPECT_TRUE(store.SetKeyAssignment(kKeyA, SingleKey(0x20), other));
    EXPECT_EQ(store.GetKeyAssignment(out, kKeyA, nullptr).data.key.scanCode, 0x10);
    EXPECT_EQ(store.GetKeyAssignment(out, kKeyA, other).data.key.scanCode, 0x20);

    KeyAssignment off;
    off.kind = kKindButtonOff;
    EXPECT_FALSE(store.SetKeyAssignment(kKeyA, off, active));
    EXPECT_EQ(store.GetKeyAssignment(out, kKeyA, active).kind, kKindSingleKey);

    // A profile the store does not hold is not written through it.
    COssleProfile stranger;
    EXPECT_FALSE(store.SetKeyAssignment(kKeyA, SingleKey(0x30), &stranger));
    EXPECT_TRUE(stranger.KeyAssignments().empty());
}

TEST_F(ConfigStoreTest, LightingAndDisplaySwitches)
{
    store.SetLightingOn(0, nullptr);
    EXPECT_FALSE(store.GetLightingOn(nullptr));

    IKeyboardProfile* active = store.AddProfile(L"Active");
    IKeyboardProfile* other = store.AddProfile(L"Other");
    store.SetActiveProfile(active);
    store.SetLightingOn(0, nullptr);
    EXPECT_FALSE(store.GetLightingOn(active));
    EXPECT_TRUE(store.GetLightingOn(other));

    store.SetShowProfileOsdAll(1);
    EXPECT_EQ(active->GetShowProfileOsd(), 1);
    EXPECT_EQ(other->GetShowProfileOsd(), 1);
    store.SetShowProfileOsdAll(0);
    EXPECT_EQ(active->GetShowProfileOsd(), 0);
    EXPECT_EQ(other->GetShowProfileOsd(), 0);
}

// The device object writes LED 1 and reads key assignments by these answers.
TEST_F(ConfigStoreTest, SwitchesTheKeyboardDoesNotKeep)
{
    store.SetActiveProfile(store.AddProfile(L"P"));
    store.SetLed1On(1, nullptr);
    store.SetSupportsKeyAssignments(0, nullptr);
    EXPECT_FALSE(store.GetLed1On(nullptr));
    EXPECT_TRUE(store.SupportsKeyAssignments(nullptr));
    EXPECT_FALSE(store.AddColorStage(RGB(1, 2, 3), 0, 10));
    EXPECT_EQ(store.GetColorStageCount(), 0);
}

TEST_F(ConfigStoreTest, DeviceIsRememberedButNeverForgotten)
{
    FakeDevice device;
    EXPECT_EQ(store.SetDevice(&device), &device);
    EXPECT_EQ(store.SetDevice(nullptr), nullptr);
    EXPECT_EQ(static_cast<COssleConfig&>(store).GetDevice(), &device);
}

} // namespace
