// The configurator's start-up and tear-down: one instance per session, the registry read for reading
// only and within bounds, and the device object's running write outliving nothing it uses.
#include "ConfigTestSupport.h"

#include "configurator/OssleApp.h"
#include "model/Keyboard.h"
#include "skin/AppFolder.h"

using namespace config;

namespace {

// The maker's key of a test: below the current user, gone at the end of the test.
class CTestKey {
public:
    CTestKey() : m_path(L"Software\\TessaryConfigTest\\" + std::to_wstring(GetCurrentProcessId())) {}
    ~CTestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TessaryConfigTest"); }
    void SetText(const wchar_t* name, const std::wstring& text)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    void SetNumber(const wchar_t* name, DWORD value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }
    const std::wstring m_path;
};

class ConfigStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        m_startFolder = folder;
        SetConfigPlatform(&m_platform);
        InitNameTables();  // as the device object's creation does before the registry is read
    }
    void TearDown() override
    {
        SetDamagedInstallationHandler(nullptr);
        SetConfigPlatform(nullptr);
        SetCurrentDirectoryW(m_startFolder.c_str());
        SetSelectedLanguageId(-1);
    }
    // Reads the test's key as start-up does; the path the tray program was started by, if it was.
    std::wstring ReadKey(COssleAppApp& app)
    {
        app.m_registryRoot = HKEY_CURRENT_USER;
        app.m_registryPath = m_key.m_path;
        SetCurrentDirectoryW(m_folder.Path().c_str());
        app.ReadRegistryAndStartTray();
        for (const auto& opened : m_platform.opened) {
            if (opened.file.find(kTrayExe) != std::wstring::npos)
                return opened.file;
        }
        return L"";
    }

    CFakeConfigPlatform m_platform;
    CTestKey m_key;
    testfiles::CScopedFolder m_folder;
    std::wstring m_startFolder;
};

} // namespace

TEST_F(ConfigStartTest, SecondStartBringsTheFirstForwardAndCreatesNothing)
{
    COssleAppApp first;
    ASSERT_EQ(first.ClaimSingleInstance(), COssleAppApp::InstanceClaim::First);
    HWND window = CreateWindowExW(0, kMainWindowClass, L"first", WS_POPUP | WS_VISIBLE, 10, 10, 100, 60, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 200, 10, 100, 60, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);

    COssleAppApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.Config(), nullptr);
    EXPECT_EQ(second.Device(), nullptr);
    EXPECT_EQ(KeyboardDevice(), nullptr) << "a second start must not reach for the keyboard";
    EXPECT_FALSE(second.HoldsInstanceMutex());
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }, 5000)) << "the first comes forward";
    second.ExitInstance();

    // The first keeps its claim for its whole life, also when its window is gone.
    DestroyWindow(window);
    DestroyWindow(other);
    COssleAppApp third;
    third.m_activateWaitMs = 0;
    EXPECT_EQ(third.ClaimSingleInstance(), COssleAppApp::InstanceClaim::AnotherRuns);
    first.ExitInstance();
    COssleAppApp fourth;
    EXPECT_EQ(fourth.ClaimSingleInstance(), COssleAppApp::InstanceClaim::First);
}

TEST_F(ConfigStartTest, RegistryIsOnlyReadAndOddValuesCountAsMissing)
{
    m_key.SetNumber(L"Language", 347);
    m_key.SetText(L"InstallDir", L"C:\\" + std::wstring(37, L'd'));  // 40 characters
    COssleAppApp app;
    const std::wstring trayPath = ReadKey(app);
    ASSERT_EQ(m_platform.accesses.size(), 1u);
    EXPECT_EQ(m_platform.accesses[0], REGSAM(KEY_READ));
    EXPECT_TRUE(m_platform.created.empty()) << "a key that exists is not created";
    EXPECT_EQ(app.LanguageId(), kDefaultLanguageId) << "a number is no language name";
    EXPECT_EQ(trayPath, AppFolder() + kTrayExe) << "an overlong folder is not taken";

    m_platform.opened.clear();
    m_key.SetText(L"Language", L"French");
    m_key.SetText(L"InstallDir", L"C:\\windows\\\\");
    COssleAppApp named;
    EXPECT_EQ(ReadKey(named), L"C:\\windows\\TessaryTray.exe") << "the tray starts from the folder";
    EXPECT_EQ(named.LanguageId(), FindLanguageId(L"French"));

    // The languages the registry has no name for are named by their identifier.
    m_platform.opened.clear();
    m_key.SetText(L"Language", L"LANGUAGE_GREEK");
    COssleAppApp greek;
    ReadKey(greek);
    EXPECT_EQ(greek.LanguageId(), 360);
}

TEST_F(ConfigStartTest, LanguageValueThatNamesNoLanguageGivesTheDefaultLanguage)
{
    for (const std::wstring& junk : {std::wstring(L"Klingon"), std::wstring(), std::wstring(5000, L'x'),
                                     std::wstring(L"LANGUAGE_GERMANX"), std::wstring(L"BUTTON_OK")}) {
        m_key.SetText(L"Language", junk);
        COssleAppApp app;
        ReadKey(app);
        EXPECT_EQ(app.LanguageId(), kDefaultLanguageId) << "value of " << junk.size() << " characters";
        EXPECT_EQ(SelectedLanguageId(), kDefaultLanguageId) << "only the default language's table is made";
    }
}

// Without its layout table the configurator still runs, on the default layout, but says which file is
// at fault.
TEST_F(ConfigStartTest, MissingLayoutTableIsReportedAndTheStartGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(InstallLanguageFiles(m_folder));
    std::vector<std::wstring> reported;
    SetDamagedInstallationHandler([&](const std::wstring& file) { reported.push_back(file); });
    SetAppFolder(m_folder.Path());
    SetSelectedLanguageId(kDefaultLanguageId);
    COssleAppApp app;
    app.LoadTables();
    EndSkinImagePrefetch();
    ResetAppFolder();
    EXPECT_EQ(reported, (std::vector<std::wstring>{L"xml\\KeyboardLayout.xml"}));
    EXPECT_EQ(app.DamagedFile(), L"") << "the start goes on";
}

TEST_F(ConfigStartTest, MissingKeyIsCreatedForReadingOnly)
{
    COssleAppApp app;
    const std::wstring trayPath = ReadKey(app);
    ASSERT_EQ(m_platform.created.size(), 1u);
    EXPECT_EQ(m_platform.created[0], REGSAM(KEY_READ));
    EXPECT_EQ(app.LanguageId(), kDefaultLanguageId);
    EXPECT_EQ(trayPath, AppFolder() + kTrayExe) << "from the program's own folder";
}

// The shell is handed the tray program's full path, never a bare name for its search to resolve.
TEST_F(ConfigStartTest, TrayProgramIsStartedByItsFullPath)
{
    m_key.SetText(L"InstallDir", L"C:\\");
    COssleAppApp root;
    EXPECT_EQ(ReadKey(root), L"C:\\TessaryTray.exe");
    EXPECT_EQ(m_platform.opened.back().folder, L"C:\\") << "the drive's root, not its current folder";

    m_platform.opened.clear();
    m_key.SetText(L"InstallDir", m_folder.Path() + L"\\missing");
    COssleAppApp missing;
    EXPECT_EQ(ReadKey(missing), AppFolder() + kTrayExe) << "a folder that cannot be entered is not taken";
}

TEST_F(ConfigDialogTest, TearDownWaitsForARunningWrite)
{
    COssleAppApp app;
    app.StartServices();
    ASSERT_NE(KeyboardDevice(), nullptr);
    ASSERT_GE(app.Config()->GetProfileCount(), 1u);
    KeyboardDevice()->SetCompletionPause(600);
    ASSERT_TRUE(app.Device()->Transfer(app.Config(), kTransferWrite, kTransferWriteMask));
    app.TearDown();
    EXPECT_EQ(RunningDeviceTasks(), 0u) << "the write ended before the store it came from";
    EXPECT_EQ(KeyboardDevice(), nullptr);
    EXPECT_EQ(app.Config(), nullptr);
}

// A damaged installation never leaves a window that cannot work or be closed: a main panel that is cut,
// random or without its mask, a page nested 100,000 levels deep, key data that is missing, and popups
// whose panels are missing or damaged are each reported in a plain message box naming the file, and
// the dialog or popup does not open; a keyboard asked to record for the single-key popup is back in its
// normal mode.
TEST_F(ConfigDialogTest, DamagedInstallationIsReportedAndLeavesNothingOpen)
{
    std::vector<std::wstring> reported;
    SetDamagedInstallationHandler([&](const std::wstring& file) { reported.push_back(file); });
    AnswerPopups({});
    const std::string main = testfiles::ReadText(m_folder.File(L"xml\\MainPage.xml"));
    const std::string deep = "<ITEMLIST>" + testfiles::Repeated("<B>", 100000);
    const struct {
        std::wstring file;
        std::string text;
        std::wstring atFault;
    } kDamage[] = {
        {L"xml\\MainPage.xml", main.substr(0, main.size() / 2), L"xml\\MainPage.xml"},
        {L"xml\\MainPage.xml", std::string(900, '\xA7'), L"xml\\MainPage.xml"},
        {L"skins\\mainmask.bmp", "BM", L"skins\\mainmask.bmp"},
        {L"xml\\AssignKeys.xml", deep + "frame.bmp", L"xml\\AssignKeys.xml"},
        {L"xml\\TestKeys.xml", "<KEYBOARD><KEYBOARDDEF name=\"KBDDEF_WINDOWS\" file=\"Keyboard.bin\"/></KEYBOARD>",
         L"bin\\Keyboard.bin"},
    };
    for (const auto& damage : kDamage) {
        SCOPED_TRACE(damage.file);
        const std::string kept = testfiles::ReadText(m_folder.File(damage.file));
        WriteFile(damage.file, damage.text);
        ClearSkinResources();
        reported.clear();
        m_dialog = std::make_unique<COssleAppDlg>(&Keyboard(), m_store.get());
        m_dialog->Create(nullptr);
        EXPECT_FALSE(DialogOpen());
        EXPECT_EQ(reported, std::vector<std::wstring>{damage.atFault});
        m_dialog.reset();
        WriteFile(damage.file, kept);
    }
    ClearSkinResources();

    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    reported.clear();
    WriteFile(L"xml\\SingleKeyPopup.xml", std::string(300, '\x01'));
    PickKey(420);  // Esc
    Click(AssignButton(kIdAssignSingleKey));
    EXPECT_TRUE(m_shownPanels.empty()) << "no blank popup opens";
    EXPECT_EQ(reported, std::vector<std::wstring>{L"xml\\SingleKeyPopup.xml"});
    EXPECT_EQ(State().find(" mode 2"), std::string::npos) << "the keyboard is left recording";
    EXPECT_TRUE(DialogOpen()) << "the program runs on without the popup";

    reported.clear();
    DeleteFileW(m_folder.File(L"xml\\NoDevicePopup.xml").c_str());
    SendRemoval(Dialog().m_hWnd);
    EXPECT_TRUE(PumpUntil([&] { return !DialogOpen(); }, 5000)) << "the dialog closes as after the popup";
    EXPECT_TRUE(m_shownPanels.empty());
    EXPECT_EQ(reported, std::vector<std::wstring>{L"xml\\NoDevicePopup.xml"});
}

// The language list and the language's text file are the installation's too: deleted, cut, random or
// nested, a list without the language, or a text file without a key that English has, each is reported
// once by its name, and the start ends there without showing the dialog, its single-instance claim let go.
TEST_F(ConfigDialogTest, DamagedLanguageFileIsReportedAndEndsTheStart)
{
    ASSERT_NO_FATAL_FAILURE(InstallLanguageFiles(m_folder));
    std::vector<std::wstring> reported;
    bool dialogShown = false;
    SetDamagedInstallationHandler([&](const std::wstring& file) {
        reported.push_back(file);
        HWND dialog = FindWindowW(kMainWindowClass, nullptr);
        dialogShown = dialogShown || (dialog && IsWindowVisible(dialog));
    });
    const std::string list = testfiles::ReadText(m_folder.File(L"xml\\Language.xml"));
    const std::string texts = testfiles::ReadText(m_folder.File(L"lang\\English.txt"));
    const std::string deep = "<ITEMLIST>" + testfiles::Repeated("<B>", 100000);
    const std::string kDeleted = "(deleted)";
    const struct {
        std::wstring file;
        std::string text;
    } kDamage[] = {
        {L"xml\\Language.xml", kDeleted},
        {L"xml\\Language.xml", list.substr(0, list.size() / 2)},
        {L"xml\\Language.xml", std::string(900, '\xA7')},
        {L"xml\\Language.xml", deep},
        {L"xml\\Language.xml",
         "<ITEMLIST><LANGLIST><LANG name=\"LANGUAGE_GERMAN\" file=\"English.txt\"/></LANGLIST></ITEMLIST>"},
        {L"lang\\English.txt", kDeleted},
        {L"lang\\English.txt", texts.substr(0, texts.size() / 2)},
        {L"lang\\English.txt", std::string(900, '\xA7')},
    };
    SetSelectedLanguageId(kDefaultLanguageId);
    for (const auto& damage : kDamage) {
        SCOPED_TRACE(testing::PrintToString(damage.file) + " " + testing::PrintToString(damage.text.substr(0, 40)));
        if (damage.text == kDeleted)
            DeleteFileW(m_folder.File(damage.file).c_str());
        else
            WriteFile(damage.file, damage.text);
        ClearSkinResources();
        reported.clear();
        {
            COssleAppApp app;
            ASSERT_EQ(app.ClaimSingleInstance(), COssleAppApp::InstanceClaim::First);
            app.LoadTables();
            app.RunMainDialog();
            EXPECT_EQ(reported, std::vector<std::wstring>{damage.file});
            EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), nullptr);
        }
        COssleAppApp next;
        EXPECT_EQ(next.ClaimSingleInstance(), COssleAppApp::InstanceClaim::First);
        WriteFile(L"xml\\Language.xml", list);
        WriteFile(L"lang\\English.txt", texts);
    }
    EXPECT_FALSE(dialogShown);
}

// A page found damaged while the keyboard is read in the background: the read that ends while the
// message is up neither shows the half-made dialog nor closes the message.
TEST_F(ConfigDialogTest, DamagedPageReportedDuringTheStartUpReadNeverShowsTheDialog)
{
    ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
    bool shown = false;
    SetDamagedInstallationHandler([&](const std::wstring&) {
        EXPECT_TRUE(PumpUntil([&] { return !Keyboard().IsBusy(); }, 10000)) << "the read never ended";
        // The read's end posts its notice, which would show the dialog, before IsBusy turns false.
        PumpUntil([] { return !HasPendingInput(); }, 5000);
        shown = ::IsWindowVisible(Dialog().m_hWnd) != FALSE;
    });
    WriteFile(L"xml\\ManageProfiles.xml", std::string(300, '\xA7'));
    m_dialog = std::make_unique<COssleAppDlg>(&Keyboard(), m_store.get());
    m_dialog->ReadWhileBuilding();
    m_dialog->Create(nullptr);
    EXPECT_FALSE(shown) << "the half-made dialog showed behind the message";
    EXPECT_FALSE(DialogOpen());
}
