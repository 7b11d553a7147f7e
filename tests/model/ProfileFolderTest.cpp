// Tests of the profile folder and the settings file: the store's paths, the INI access, the folder scan,
// and the handling of profile files on rename, copy and removal. Each test works in its own temporary
// program folder.
#include "model/KeyboardConfig.h"
#include "model/OssleConfig.h"
#include "model/ProfileFolder.h"
#include "skin/AppFolder.h"
#include "../support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::wstring> gLoadedStems;
bool gSaveFails = false;

bool WriteText(const std::wstring& path, const std::string& text)
{
    std::ofstream out(fs::path(path), std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A profile class with file support, as a keyboard whose profiles live on disk would have: a file holds
// the word "profile" and is named by the profile.
class CFileProfile : public COssleProfile {
public:
    CFileProfile() = default;
    explicit CFileProfile(const wchar_t* name) : COssleProfile(name) {}
    CFileProfile(const CFileProfile&) = default;

    bool SaveToFile(std::wstring& outPath, const wchar_t* folder, const wchar_t* extension) override
    {
        if (gSaveFails)
            return false;
        outPath = std::wstring(folder) + GetName() + L"." + extension;
        if (!WriteText(outPath, "profile"))
            return false;
        SetFilePath(outPath.c_str());
        return true;
    }

    bool LoadFromFile(const wchar_t* stem, const wchar_t* folder, const wchar_t* extension) override
    {
        gLoadedStems.push_back(stem);
        const std::wstring path = std::wstring(folder) + stem + L"." + extension;
        if (testfiles::ReadText(path) != "profile")
            return false;
        SetName(stem);
        SetFilePath(path.c_str());
        return true;
    }
};

class CFileConfig : public CKeyboardConfig<CFileProfile> {
public:
    const wchar_t* GetProfileExtension() const override { return L"qnp"; }
};

class ProfileFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static unsigned serial = 0;
        m_root = fs::temp_directory_path() / (L"tsy_store_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                              std::to_wstring(GetTickCount64()) + L"_" + std::to_wstring(++serial));
        fs::create_directories(m_root / L"save");
        SetAppFolder(m_root.wstring());
        gLoadedStems.clear();
        gSaveFails = false;
    }

    void TearDown() override
    {
        gSaveFails = false;
        ResetAppFolder();
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::wstring SaveFolder() const { return AppFolder() + L"save\\"; }
    std::wstring ProfileFile(const wchar_t* stem) const { return SaveFolder() + stem + L".qnp"; }
    void PutProfileFile(const wchar_t* stem, const char* text = "profile") const
    {
        ASSERT_TRUE(WriteText(ProfileFile(stem), text));
    }
    std::wstring ReadActiveName() const
    {
        return ReadSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey, L"<none>");
    }

    fs::path m_root;
};

// --- Paths and the settings file -------------------------------------------------------------------------

TEST_F(ProfileFolderTest, StorePathsLieBelowTheProgramFolder)
{
    COssleConfig store;
    EXPECT_EQ(ProfileFolderPath(), SaveFolder());
    EXPECT_EQ(MacroFolderPath(), SaveFolder());
    EXPECT_EQ(SettingsFilePath(), SaveFolder() + L"Ossle.qnc");

    // A deep program folder is not cut to the classic path limit.
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\";
    SetAppFolder(deep);
    COssleConfig deepStore;
    EXPECT_EQ(SettingsFilePath(), deep + L"save\\Ossle.qnc");
}

TEST_F(ProfileFolderTest, SettingsAreReadAndWrittenAsIni)
{
    const std::wstring file = SaveFolder() + L"test.ini";
    EXPECT_EQ(ReadSetting(file, L"S", L"K", L"fallback"), L"fallback");
    EXPECT_EQ(ReadSetting(file, L"S", L"K", nullptr), L"");

    EXPECT_TRUE(WriteSetting(file, L"S", L"K", L"value"));
    EXPECT_EQ(ReadSetting(file, L"S", L"K", L""), L"value");
    EXPECT_EQ(ReadSetting(file, L"S", L"Other", L"d"), L"d");
    EXPECT_EQ(ReadSetting(file, L"T", L"K", L"d"), L"d");

    EXPECT_TRUE(WriteSetting(file, L"S", L"Long", std::wstring(5000, L'v').c_str()));
    EXPECT_EQ(ReadSetting(file, L"S", L"Long", L""), std::wstring(4095, L'v'));

    // The file is created, its folder is not.
    EXPECT_FALSE(WriteSetting(SaveFolder() + L"missing\\x.ini", L"S", L"K", L"v"));
}

TEST_F(ProfileFolderTest, SaveSettingsRecordsTheActiveProfile)
{
    COssleConfig store;
    IKeyboardProfile* work = store.AddProfile(L"Work");
    // No active profile: nothing is written.
    ASSERT_TRUE(WriteSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey, L"Earlier"));
    const std::string before = testfiles::ReadText(SettingsFilePath());
    EXPECT_FALSE(store.SaveSettings());
    EXPECT_EQ(testfiles::ReadText(SettingsFilePath()), before);

    // This keyboard's profiles keep no files, which does not stop the name from being recorded.
    store.SetActiveProfile(work);
    EXPECT_TRUE(store.SaveSettings());
    EXPECT_EQ(ReadActiveName(), L"Work");
    EXPECT_FALSE(Exists(ProfileFile(L"Work")));
}

TEST_F(ProfileFolderTest, ActiveNamesReadBackWhole)
{
    COssleConfig store;
    for (const wchar_t* name : {L" Padded ", L"\"Quoted\"", L"'single"}) {
        IKeyboardProfile* profile = store.AddProfile(name);
        store.SetActiveProfile(profile);
        ASSERT_TRUE(store.SaveSettings());
        EXPECT_EQ(ReadActiveName(), name);
    }
}

TEST_F(ProfileFolderTest, SaveSettingsFailsWithoutTheProfileFolder)
{
    fs::remove_all(m_root / L"save");
    COssleConfig store;
    store.SetActiveProfile(store.AddProfile(L"Work"));
    EXPECT_FALSE(store.SaveSettings());
}

// --- The folder scan with this keyboard's profiles ------------------------------------------------------

TEST_F(ProfileFolderTest, ScanWithoutProfileFilesKeepsTheProfiles)
{
    COssleConfig store;
    IKeyboardProfile* kept = store.AddProfile(L"Kept");
    store.SetActiveProfile(kept);
    ASSERT_TRUE(WriteText(SaveFolder() + L"notes.txt", "x"));
    fs::create_directory(m_root / L"save" / L"folder.qnp");

    EXPECT_EQ(store.ScanProfileFolder(), 0u);
    EXPECT_EQ(store.GetProfileCount(), 1u);
    EXPECT_EQ(store.GetActiveProfile(), kept);

    fs::remove_all(m_root / L"save");
    EXPECT_EQ(store.ScanProfileFolder(), 0u);
    EXPECT_EQ(store.GetProfileCount(), 1u);
}

TEST_F(ProfileFolderTest, ProfileFilesThisKeyboardCannotLoadEmptyTheList)
{
    PutProfileFile(L"One");
    PutProfileFile(L"Two");
    COssleConfig store;
    store.SetActiveProfile(store.AddProfile(L"Existing"));

    EXPECT_EQ(store.ScanProfileFolder(), 0u);
    EXPECT_EQ(store.GetProfileCount(), 0u);
    EXPECT_EQ(store.GetActiveProfile(), nullptr);

    ASSERT_TRUE(WriteSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey, L"One"));
    store.AddProfile(L"One");
    EXPECT_FALSE(store.LoadSettings());
    EXPECT_EQ(store.GetProfileCount(), 0u);
    EXPECT_EQ(store.GetActiveProfile(), nullptr);
}

// --- Profiles with files ------------------------------------------------------------------------------------

TEST_F(ProfileFolderTest, ScanLoadsEveryProfileFile)
{
    PutProfileFile(L"Alpha");
    PutProfileFile(L"beta");
    ASSERT_TRUE(WriteText(SaveFolder() + L"gamma.txt", "profile"));
    CFileConfig store;
    store.AddProfile(L"Replaced");

    EXPECT_EQ(store.ScanProfileFolder(), 2u);
    ASSERT_EQ(store.GetProfileCount(), 2u);
    EXPECT_NE(store.FindProfileByName(L"alpha"), nullptr);
    EXPECT_NE(store.FindProfileByName(L"BETA"), nullptr);
    EXPECT_EQ(store.FindProfileByName(L"Replaced"), nullptr);
    EXPECT_EQ(store.FindProfileByName(L"beta")->GetFilePath(), ProfileFile(L"beta"));
}

TEST_F(ProfileFolderTest, ScanStopsAtTheFirstFileThatFails)
{
    PutProfileFile(L"a");
    PutProfileFile(L"b");
    PutProfileFile(L"broken", "garbage");
    PutProfileFile(L"c");
    CFileConfig store;

    const unsigned loaded = store.ScanProfileFolder();
    // Whatever order the search gives: every file before the broken one loads, none after it is read.
    ASSERT_FALSE(gLoadedStems.empty());
    EXPECT_EQ(gLoadedStems.back(), L"broken");
    EXPECT_EQ(loaded, gLoadedStems.size() - 1);
    EXPECT_EQ(store.GetProfileCount(), loaded);
}

TEST_F(ProfileFolderTest, LoadSettingsActivatesTheNamedProfile)
{
    PutProfileFile(L"Home");
    PutProfileFile(L"Work");
    CFileConfig store;

    ASSERT_TRUE(WriteSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey, L"WORK"));
    EXPECT_FALSE(store.LoadSettings());
    ASSERT_NE(store.GetActiveProfile(), nullptr);
    EXPECT_EQ(store.GetActiveProfile()->GetName(), L"Work");

    // An unknown name leaves the first profile active.
    ASSERT_TRUE(WriteSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey, L"Gone"));
    EXPECT_FALSE(store.LoadSettings());
    EXPECT_EQ(store.GetActiveProfile(), store.GetProfileAt(0));
}

TEST_F(ProfileFolderTest, SavingWritesEveryProfileFile)
{
    CFileConfig store;
    CFileProfile* home = store.AddProfile(L"Home");
    store.AddProfile(L"Work");
    store.SetActiveProfile(home);

    EXPECT_TRUE(store.SaveSettings());
    EXPECT_TRUE(Exists(ProfileFile(L"Home")));
    EXPECT_TRUE(Exists(ProfileFile(L"Work")));
    EXPECT_EQ(ReadActiveName(), L"Home");

    // One profile gives its own result; all profiles give true whatever they answer.
    gSaveFails = true;
    EXPECT_FALSE(store.SaveProfiles(home));
    EXPECT_TRUE(store.SaveProfiles(nullptr));
}

TEST_F(ProfileFolderTest, RenameMovesTheProfileFile)
{
    CFileConfig store;
    CFileProfile* profile = store.AddProfile(L"Old");
    ASSERT_TRUE(store.SaveProfiles(profile));

    CFileProfile* renamed = store.ReplaceProfileName(profile, L"New");
    ASSERT_NE(renamed, nullptr);
    EXPECT_TRUE(Exists(ProfileFile(L"New")));
    EXPECT_FALSE(Exists(ProfileFile(L"Old")));
    EXPECT_EQ(renamed->GetFilePath(), ProfileFile(L"New"));
}

TEST_F(ProfileFolderTest, RenameKeepsTheOnlyFile)
{
    CFileConfig store;
    CFileProfile* profile = store.AddProfile(L"Old");
    ASSERT_TRUE(store.SaveProfiles(profile));

    // Only the letter case changes: the saved file is the old file, which must survive.
    CFileProfile* upper = store.ReplaceProfileName(profile, L"OLD");
    ASSERT_NE(upper, nullptr);
    EXPECT_TRUE(Exists(ProfileFile(L"Old")));
    EXPECT_TRUE(upper->HasFile());

    // The new file cannot be written: the old one stays, and stays the profile's.
    gSaveFails = true;
    const std::wstring oldPath = upper->GetFilePath();
    CFileProfile* renamed = store.ReplaceProfileName(upper, L"Elsewhere");
    ASSERT_NE(renamed, nullptr);
    EXPECT_TRUE(Exists(oldPath));
    EXPECT_EQ(renamed->GetFilePath(), oldPath);

    store.RemoveProfile(renamed);
    EXPECT_FALSE(Exists(oldPath));
}

TEST_F(ProfileFolderTest, CopiesAndStrangersNeverTouchTheOriginalsFile)
{
    CFileConfig store;
    CFileProfile* original = store.AddProfile(L"Main");
    ASSERT_TRUE(store.SaveProfiles(original));

    CFileProfile* twin = store.DuplicateProfile(original);
    CFileProfile* copy = store.CopyProfileAs(original, L"Second");
    EXPECT_FALSE(twin->HasFile());
    EXPECT_FALSE(copy->HasFile());
    store.RemoveProfile(twin);
    store.RemoveProfile(copy);
    EXPECT_TRUE(Exists(ProfileFile(L"Main")));

    // A profile the store does not hold is not the store's to delete, file included.
    CFileProfile stranger(L"Main");
    stranger.SetFilePath(ProfileFile(L"Main").c_str());
    store.RemoveProfile(&stranger);
    EXPECT_TRUE(Exists(ProfileFile(L"Main")));
    EXPECT_EQ(store.GetProfileCount(), 1u);

    store.RemoveProfile(original);
    EXPECT_FALSE(Exists(ProfileFile(L"Main")));
}

} // namespace
