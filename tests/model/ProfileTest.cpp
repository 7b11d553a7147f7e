// Tests of the profile classes: defaults, key assignments and their reset to the keyboard's defaults,
// the linked program, copies, and the bounds on names that come from outside.
#include "model/GuidWords.h"
#include "model/OssleProfile.h"
#include "skin/KeyboardDef.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr int kCtrlKey = 1001;
constexpr int kEnterKey = 1002;
constexpr int kNoDefaultKey = 1003;

// Gives the program-wide keyboard definition defaults for two keys and forgets them afterwards.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeyboardDef().Clear();
        KeyboardDef().GetDefaultScanCode(kCtrlKey) = KeyScanCode{0x1D, 0};
        // An E1-prefixed default: any non-zero flag byte counts as extended.
        KeyboardDef().GetDefaultScanCode(kEnterKey) = KeyScanCode{0x1C, 2};
    }
    void TearDown() override { KeyboardDef().Clear(); }
};

KeyAssignment SingleKey(uint16_t scanCode)
{
    KeyAssignment record;
    return MakeSingleKeyAssignment(record, scanCode, 0x41, false);
}

TEST_F(ProfileTest, NewProfileHasTheDefaults)
{
    COssleProfile profile(L"Work");
    EXPECT_EQ(profile.GetName(), L"Work");
    EXPECT_EQ(profile.GetAutoSwitch(), 0);
    EXPECT_EQ(profile.GetShowProfileOsd(), 1);
    EXPECT_EQ(profile.GetLightingOn(), 1);
    GUID guid = GuidFromWords(1, 2, 3, 4);
    profile.GetGuid(guid);
    EXPECT_TRUE(IsNullGuid(guid));
    EXPECT_FALSE(profile.HasFile());
    EXPECT_TRUE(profile.KeyAssignments().empty());
    EXPECT_TRUE(COssleProfile().GetName().empty());
}

TEST_F(ProfileTest, ReadingANeverHeldKeyAddsItEmpty)
{
    COssleProfile profile;
    KeyAssignment out = SingleKey(0x10);
    KeyAssignment& result = profile.GetKeyAssignment(out, kCtrlKey);
    EXPECT_EQ(&result, &out);
    EXPECT_EQ(out.kind, kKindNone);
    EXPECT_EQ(out.data.key.scanCode, 0);
    ASSERT_EQ(profile.KeyAssignments().count(kCtrlKey), 1u);
    EXPECT_EQ(profile.KeyAssignments().at(kCtrlKey).kind, kKindNone);
}

TEST_F(ProfileTest, UnsupportedKindLeavesThePreviousRecord)
{
    COssleProfile profile;
    EXPECT_TRUE(profile.SetKeyAssignment(kCtrlKey, SingleKey(0x1E)));
    KeyAssignment off;
    off.kind = kKindButtonOff;
    EXPECT_FALSE(profile.SetKeyAssignment(kCtrlKey, off));
    EXPECT_FALSE(profile.SetKeyAssignment(kEnterKey, off));

    KeyAssignment out;
    profile.GetKeyAssignment(out, kCtrlKey);
    EXPECT_EQ(out.kind, kKindSingleKey);
    EXPECT_EQ(out.data.key.scanCode, 0x1E);
    EXPECT_EQ(profile.KeyAssignments().count(kEnterKey), 0u);
}

TEST_F(ProfileTest, ResetGivesHeldKeysTheKeyboardDefaults)
{
    COssleProfile profile;
    IKeyboardProfile& view = profile;
    KeyAssignment out;
    view.GetKeyAssignment(out, kCtrlKey);  // held since it was read
    view.SetKeyAssignment(kEnterKey, SingleKey(0x1E));
    view.SetKeyAssignment(kNoDefaultKey, SingleKey(0x1F));

    view.ResetAssignments();

    const auto& keys = profile.KeyAssignments();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys.at(kCtrlKey).kind, kKindDefaultKey);
    EXPECT_EQ(keys.at(kCtrlKey).data.key.scanCode, 0x1D);
    EXPECT_EQ(keys.at(kCtrlKey).data.key.extended, 0);
    EXPECT_EQ(keys.at(kEnterKey).kind, kKindDefaultKey);
    EXPECT_EQ(keys.at(kEnterKey).data.key.scanCode, 0x1C);
    EXPECT_EQ(keys.at(kEnterKey).data.key.virtualKey, 0);
    EXPECT_EQ(keys.at(kEnterKey).data.key.extended, 1);
    // A key the keyboard has no default for gets scan code 0.
    EXPECT_EQ(keys.at(kNoDefaultKey).kind, kKindDefaultKey);
    EXPECT_EQ(keys.at(kNoDefaultKey).data.key.scanCode, 0);

    // Keys the profile never held stay absent.
    COssleProfile fresh;
    fresh.ResetAssignments();
    EXPECT_TRUE(fresh.KeyAssignments().empty());
}

TEST_F(ProfileTest, LinkedProgramTakesItsFileNameFromThePath)
{
    COssleProfile profile;
    IKeyboardProfile& view = profile;
    view.SetApp(L"C:\\Program Files\\Tools\\app.exe");
    EXPECT_EQ(view.GetAppPath(), L"C:\\Program Files\\Tools\\app.exe");
    EXPECT_EQ(view.GetAppFileName(), L"app.exe");

    view.SetApp(L"D:game.exe");
    EXPECT_EQ(view.GetAppFileName(), L"game.exe");
    view.SetApp(L"tool");
    EXPECT_EQ(view.GetAppFileName(), L"tool");

    view.SetApp(L"");
    EXPECT_TRUE(view.GetAppPath().empty());
    EXPECT_TRUE(view.GetAppFileName().empty());

    // The device reports only the file name; the path stays as it is.
    view.SetApp(L"C:\\a\\b.exe");
    view.SetAppFileName(L"other.exe");
    EXPECT_EQ(view.GetAppPath(), L"C:\\a\\b.exe");
    EXPECT_EQ(view.GetAppFileName(), L"other.exe");
    view.SetAppFileName(nullptr);
    EXPECT_TRUE(view.GetAppFileName().empty());
}

TEST_F(ProfileTest, OutsideNamesAreBounded)
{
    COssleProfile profile(std::wstring(300, L'p').c_str());
    EXPECT_EQ(profile.GetName().size(), 259u);
    profile.SetName(std::wstring(1000, L'q').c_str());
    EXPECT_EQ(profile.GetName(), std::wstring(259, L'q'));
    profile.SetName(nullptr);
    EXPECT_TRUE(profile.GetName().empty());

    profile.SetAppFileName(std::wstring(200, L'f').c_str());
    EXPECT_EQ(profile.GetAppFileName().size(), 127u);
    profile.SetApp((L"C:\\" + std::wstring(300, L'g')).c_str());
    EXPECT_EQ(profile.GetAppPath().size(), 259u);
    EXPECT_EQ(profile.GetAppFileName(), std::wstring(127, L'g'));
}

TEST_F(ProfileTest, CopyKeepsEverythingButTheFile)
{
    COssleProfile original(L"Games");
    original.SetGuid(0x11111111, 0x22222222, 0x33333333, 0x44444444);
    original.SetApp(L"C:\\games\\run.exe");
    original.SetAutoSwitch(1);
    original.SetShowProfileOsd(0);
    original.SetLightingOn(0);
    original.SetKeyAssignment(kCtrlKey, SingleKey(0x2C));
    original.SetFilePath(L"C:\\save\\Games.qnp");
    ASSERT_TRUE(original.HasFile());

    const COssleProfile copy(original);
    EXPECT_EQ(copy.GetName(), L"Games");
    GUID guid;
    copy.GetGuid(guid);
    EXPECT_EQ(guid, GuidFromWords(0x11111111, 0x22222222, 0x33333333, 0x44444444));
    EXPECT_EQ(copy.GetAppPath(), L"C:\\games\\run.exe");
    EXPECT_EQ(copy.GetAppFileName(), L"run.exe");
    EXPECT_EQ(copy.GetAutoSwitch(), 1);
    EXPECT_EQ(copy.GetShowProfileOsd(), 0);
    EXPECT_EQ(copy.GetLightingOn(), 0);
    ASSERT_EQ(copy.KeyAssignments().size(), 1u);
    EXPECT_EQ(copy.KeyAssignments().at(kCtrlKey).data.key.scanCode, 0x2C);
    // Deleting the copy's file must never take the original's with it.
    EXPECT_FALSE(copy.HasFile());
    EXPECT_TRUE(copy.GetFilePath().empty());
}

TEST_F(ProfileTest, InterfaceFixedAnswers)
{
    std::unique_ptr<IKeyboardProfile> profile = std::make_unique<COssleProfile>(L"P");
    profile->SetShowDpiOsd(1);
    EXPECT_FALSE(profile->GetShowDpiOsd());
    std::wstring path = L"unchanged";
    EXPECT_FALSE(profile->SaveToFile(path, L"C:\\save\\", L"qnp"));
    EXPECT_FALSE(profile->LoadFromFile(L"P", L"C:\\save\\", L"qnp"));
    EXPECT_FALSE(profile->HasFile());

    // The four words are the GUID in memory order.
    profile->SetGuid(0x01020304, 0x07080506, 0x0C0B0A09, 0x100F0E0D);
    GUID guid;
    profile->GetGuid(guid);
    const GUID expected = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    EXPECT_EQ(guid, expected);
}

} // namespace
