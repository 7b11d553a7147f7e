// Tests of the tray program's registry reads, configurator start and process questions.
#include "tray/PcManager.h"

#include "TrayTestSupport.h"

#include "skin/AppFolder.h"

using tray::CPcManager;

namespace {

class PcManagerTest : public ::testing::Test {
protected:
    PcManagerTest() : m_scoped(m_platform) { m_manager.SetRegistryKey(HKEY_CURRENT_USER, m_key.Path()); }

    CFakePlatform m_platform;
    CScopedPlatform m_scoped;
    CTempRegistryKey m_key;
    CPcManager m_manager;
};

} // namespace

TEST_F(PcManagerTest, LanguageAndFolderAreReadAsBoundedText)
{
    std::wstring text = L"unchanged";
    EXPECT_FALSE(m_manager.ReadLanguageSetting(text)) << "no value yet";
    EXPECT_EQ(L"unchanged", text);

    m_key.SetText(L"Language", L"German");
    ASSERT_TRUE(m_manager.ReadLanguageSetting(text));
    EXPECT_EQ(L"German", text);

    // 255 characters is the most a value may have; one more is not read rather than cut.
    m_key.SetText(L"InstallDir", std::wstring(255, L'a'));
    ASSERT_TRUE(m_manager.ReadInstallDir(text));
    EXPECT_EQ(255u, text.size());
    m_key.SetText(L"InstallDir", std::wstring(256, L'b'));
    EXPECT_FALSE(m_manager.ReadInstallDir(text));
    EXPECT_EQ(255u, text.size()) << "a failed read leaves the output alone";

    // Stored without its terminator: the text still ends where the data does.
    const wchar_t bare[] = {L'F', L'r', L'e', L'n', L'c', L'h'};
    m_key.SetBytes(L"Language", bare, sizeof(bare), REG_SZ);
    ASSERT_TRUE(m_manager.ReadLanguageSetting(text));
    EXPECT_EQ(L"French", text);

    // Text only: a number or binary data that happens to look like text is not a language.
    const DWORD number = 0x00650047;
    m_key.SetBytes(L"Language", &number, sizeof(number), REG_DWORD);
    EXPECT_FALSE(m_manager.ReadLanguageSetting(text));
    m_key.SetBytes(L"Language", L"German", 14, REG_BINARY);
    EXPECT_FALSE(m_manager.ReadLanguageSetting(text));
    m_key.SetText(L"InstallDir", L"C:\\Tessary", REG_EXPAND_SZ);
    ASSERT_TRUE(m_manager.ReadInstallDir(text));
    EXPECT_EQ(L"C:\\Tessary", text);

    // Empty, or nothing before an embedded terminator, counts as not set.
    m_key.SetText(L"Language", L"");
    EXPECT_FALSE(m_manager.ReadLanguageSetting(text));
    const wchar_t leadingNul[] = {L'\0', L'X', L'\0'};
    m_key.SetBytes(L"Language", leadingNul, sizeof(leadingNul), REG_SZ);
    EXPECT_FALSE(m_manager.ReadLanguageSetting(text));
}

TEST_F(PcManagerTest, ConfiguratorStartsFromTheInstallationFolder)
{
    CCurrentDirectoryGuard restore;
    testfiles::CScopedFolder folder;

    // Started by its full path, never by a bare name the shell would search for.
    for (const std::wstring& written : {folder.Path(), folder.Path() + L"\\"}) {
        m_platform.shellCalls.clear();
        m_key.SetText(L"InstallDir", written);
        EXPECT_TRUE(m_manager.LaunchConfigurator()) << "InstallDir " << testing::PrintToString(written);
        ASSERT_EQ(1u, m_platform.shellCalls.size());
        EXPECT_EQ(folder.Path() + L"\\TessaryConfig.exe", m_platform.shellCalls[0].file);
        EXPECT_EQ(0, _wcsicmp(folder.Path().c_str(), m_platform.shellCalls[0].currentDirectory.c_str()))
            << testing::PrintToString(m_platform.shellCalls[0].currentDirectory);
    }
}

TEST_F(PcManagerTest, ConfiguratorOfADriveRootOrOfNoRegisteredFolderIsStillTheInstalledOne)
{
    CCurrentDirectoryGuard restore;
    testfiles::CScopedFolder folder;
    // Without a registered folder, the one both programs are installed in: the tray program's own.
    SetAppFolder(folder.Path());
    for (const wchar_t* value : {static_cast<const wchar_t*>(nullptr), L""}) {
        m_platform.shellCalls.clear();
        if (value)
            m_key.SetText(L"InstallDir", value);
        EXPECT_TRUE(m_manager.LaunchConfigurator());
        ASSERT_EQ(1u, m_platform.shellCalls.size());
        EXPECT_EQ(folder.Path() + L"\\TessaryConfig.exe", m_platform.shellCalls[0].file);
    }
    ResetAppFolder();

    // "C:\\" is the root, not the drive's current directory that "C:" would be.
    m_platform.shellCalls.clear();
    m_key.SetText(L"InstallDir", L"C:\\");
    EXPECT_TRUE(m_manager.LaunchConfigurator());
    ASSERT_EQ(1u, m_platform.shellCalls.size());
    EXPECT_EQ(L"C:\\TessaryConfig.exe", m_platform.shellCalls[0].file);
    EXPECT_EQ(L"C:\\", m_platform.shellCalls[0].currentDirectory);

    // The shell's refusal (32 and below) is a failed start.
    m_platform.shellResult = SE_ERR_FNF;
    EXPECT_FALSE(m_manager.LaunchConfigurator());
}

TEST_F(PcManagerTest, ConfiguratorIsRecognisedByItsExactFileName)
{
    m_platform.processes = {{10, L"explorer.exe"}, {11, L"tessaryconfig.exe"}, {12, L"TessaryConfig.exe.bak"}};
    EXPECT_FALSE(m_manager.IsConfiguratorRunning()) << "another case is another program";

    m_platform.processes.push_back({13, L"TessaryConfig.exe"});
    EXPECT_TRUE(m_manager.IsConfiguratorRunning());

    m_platform.processListWorks = false;
    EXPECT_FALSE(m_manager.IsConfiguratorRunning()) << "no process list, no configurator";
}

TEST_F(PcManagerTest, ForegroundProgramIsComparedByBareFileNameWithCase)
{
    EXPECT_FALSE(m_manager.IsForegroundProcess(L"Game.exe")) << "no foreground window";
    std::wstring name = L"unchanged";
    EXPECT_FALSE(m_manager.GetForegroundExeName(name));

    m_platform.SetForegroundProgram(L"Game.exe", 77);
    EXPECT_TRUE(m_manager.IsForegroundProcess(L"Game.exe"));
    EXPECT_FALSE(m_manager.IsForegroundProcess(L"game.exe"));
    EXPECT_FALSE(m_manager.IsForegroundProcess(L"GAME.EXE"));
    EXPECT_FALSE(m_manager.IsForegroundProcess(L"C:\\Games\\Game.exe")) << "a linked name with a folder never matches";
    EXPECT_FALSE(m_manager.IsForegroundProcess(L""));
    ASSERT_TRUE(m_manager.GetProcessExeName(77, name));
    EXPECT_EQ(L"Game.exe", name);
    EXPECT_FALSE(m_manager.GetProcessExeName(78, name));

    // The window's process is gone from the list by the time it is taken.
    m_platform.processes.clear();
    EXPECT_FALSE(m_manager.IsForegroundProcess(L"Game.exe"));
}
