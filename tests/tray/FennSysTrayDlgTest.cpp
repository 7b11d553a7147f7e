// Tests of the tray program's start, its hidden dialog's reactions to the icon, the device and the
// session, and its end, with no device service present.
#include "tray/FennSysTrayApp.h"
#include "tray/FennSysTrayDlg.h"

#include "ScreenSupport.h"
#include "TrayTestSupport.h"
#include "../support/DeviceChangeRecord.h"

#include "skin/AppFolder.h"
#include "skin/LangTable.h"
#include "skin/SkinResources.h"
#include "tray/PcManager.h"

#include <dbt.h>
#include <wtsapi32.h>

#include <fstream>

using tray::CFennSysTrayApp;
using tray::CFennSysTrayDlg;

namespace {

void WriteUtf8(const std::wstring& path, const std::string& text)
{
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << text;
}

// A language text file as the table reads it: UTF-16LE, CR LF.
void WriteLanguageText(const std::wstring& path, const std::wstring& text)
{
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    for (wchar_t c : text) {
        if (c == L'\n')
            out.write("\r\0", 2);
        const char bytes[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        out.write(bytes, 2);
    }
}

class FennSysTrayDlgTest : public ::testing::Test {
protected:
    FennSysTrayDlgTest() : m_scoped(m_platform)
    {
        SetAppFolder(m_folder.Path());
        ClearSkinResources();
        tray::PcManager().SetRegistryKey(HKEY_CURRENT_USER, m_key.Path());
        std::filesystem::create_directories(m_folder.File(L"xml"));
        std::filesystem::create_directories(m_folder.File(L"lang"));
    }
    ~FennSysTrayDlgTest() override
    {
        tray::PcManager().SetRegistryKey(HKEY_LOCAL_MACHINE, tray::CPcManager::kRegistryKey);
        ClearSkinResources();
        ResetAppFolder();
    }

    void WriteTwoLanguages()
    {
        WriteUtf8(m_folder.File(L"xml\\Language.xml"),
                  "<ITEMLIST><LANGLIST>"
                  "<LANG name=\"LANGUAGE_DEFAULT\" file=\"english.txt\"/>"
                  "<LANG name=\"LANGUAGE_GERMAN\" file=\"german.txt\"/>"
                  "</LANGLIST></ITEMLIST>");
        WriteLanguageText(m_folder.File(L"lang\\english.txt"),
                          L"English\nv1\nQuarnTessary\nTessary (English)\nEND OF FILE\n");
        WriteLanguageText(m_folder.File(L"lang\\german.txt"),
                          L"Deutsch\nv1\nQuarnTessary\nTessary (Deutsch)\nCloseTrayIcon\nSchlie\u00dfen\nEND OF FILE\n");
    }

    std::unique_ptr<CFennSysTrayDlg> StartDialog()
    {
        auto dialog = std::make_unique<CFennSysTrayDlg>();
        EXPECT_TRUE(dialog->Create(nullptr));
        return dialog;
    }

    HICON AddedIcon() const
    {
        for (const auto& call : m_platform.notifyCalls) {
            if (call.message == NIM_ADD)
                return call.data.hIcon;
        }
        return nullptr;
    }

    std::wstring AddedTip() const
    {
        for (const auto& call : m_platform.notifyCalls) {
            if (call.message == NIM_ADD)
                return call.data.szTip;
        }
        return L"(no icon)";
    }

    void SendDeviceChange(HWND dialog, WPARAM event, const std::wstring& path)
    {
        std::vector<BYTE> record = DeviceInterfaceRecord(path);
        ::SendMessageW(dialog, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
    }

    CFakePlatform m_platform;
    CScopedPlatform m_scoped;
    testfiles::CScopedFolder m_folder;
    CTempRegistryKey m_key;
    CCurrentDirectoryGuard m_restoreDirectory;
};

// Ends the message loop with this code should the program never end it.
void CALLBACK QuitAfterDeadline(HWND, UINT, UINT_PTR, DWORD)
{
    ::PostQuitMessage(99);
}

} // namespace

TEST_F(FennSysTrayDlgTest, StartsHiddenWithIconDisplayAndTimer)
{
    auto dialog = StartDialog();
    EXPECT_TRUE(dialog->IconCreated());
    EXPECT_FALSE(::IsWindowVisible(*dialog)) << "the dialog is never shown";
    EXPECT_EQ(1, m_platform.IconsShown());
    EXPECT_EQ(L"Quarn Tessary", AddedTip()) << "no language file: the literal tip";
    ASSERT_NE(nullptr, dialog->Osd());
    EXPECT_TRUE(::IsWindow(dialog->Osd()->Window()));
    EXPECT_TRUE(dialog->IsAutoSwitchArmed());
    EXPECT_FALSE(dialog->HasEventConnections()) << "no service, no connections";

    // The About box is reached through the system menu.
    HMENU system = ::GetSystemMenu(*dialog, FALSE);
    wchar_t text[64] = {};
    EXPECT_GT(::GetMenuStringW(system, tray::kCmdAboutBox, text, 63, MF_BYCOMMAND), 0);
}

namespace {

// The colour pixels of an icon, top row first; empty when it has none.
std::vector<DWORD> IconPixels(HICON icon)
{
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return {};
    std::vector<DWORD> pixels;
    BITMAP bitmap{};
    if (info.hbmColor && ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(format.bmiHeader);
        format.bmiHeader.biWidth = bitmap.bmWidth;
        format.bmiHeader.biHeight = -bitmap.bmHeight;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        pixels.resize(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
        HDC screen = ::GetDC(nullptr);
        if (!::GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS))
            pixels.clear();
        ::ReleaseDC(nullptr, screen);
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return pixels;
}

} // namespace

// The window icon is the program's resource 128 and the notification-area icon its resource 131, each
// in the size the system asks for.
TEST_F(FennSysTrayDlgTest, IconsAreTheProgramsOwn)
{
    const std::wstring program = testfiles::WinePath(TRAY_BIN_DIR) + L"\\TessaryTray.exe";
    HMODULE image = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image) << "the built program";
    const auto shipped = [image](UINT id, int metric) {
        const int size = ::GetSystemMetrics(metric);
        HICON icon = static_cast<HICON>(::LoadImageW(image, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
        std::vector<DWORD> pixels = IconPixels(icon);
        if (icon)
            ::DestroyIcon(icon);
        return pixels;
    };
    const std::vector<DWORD> window = shipped(128, SM_CXICON);
    const std::vector<DWORD> windowSmall = shipped(128, SM_CXSMICON);
    const std::vector<DWORD> notification = shipped(131, SM_CXSMICON);
    ::FreeLibrary(image);
    ASSERT_FALSE(window.empty());
    ASSERT_FALSE(notification.empty());

    auto dialog = StartDialog();
    EXPECT_EQ(window, IconPixels(reinterpret_cast<HICON>(::SendMessageW(*dialog, WM_GETICON, ICON_BIG, 0))));
    EXPECT_EQ(windowSmall, IconPixels(reinterpret_cast<HICON>(::SendMessageW(*dialog, WM_GETICON, ICON_SMALL, 0))));
    EXPECT_EQ(notification, IconPixels(AddedIcon()));
}

TEST_F(FennSysTrayDlgTest, LanguageComesFromTheRegistryChoice)
{
    WriteTwoLanguages();
    {
        m_key.SetText(L"Language", L"german");
        auto dialog = StartDialog();
        EXPECT_EQ(L"Tessary (Deutsch)", AddedTip()) << "the name is matched without regard to case";
        ASSERT_NE(nullptr, CurrentLangTable());
        dialog->RefreshTrayMenu();
        wchar_t close[64] = {};
        ::GetMenuStringW(::GetSubMenu(dialog->Menu(), 0), tray::ID_TRAY_CLOSE, close, 63, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(L"Schlie\u00dfen"), close);
    }
    EXPECT_EQ(nullptr, CurrentLangTable()) << "the tables go with the dialog";

    m_platform.notifyCalls.clear();
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_key.Path().c_str(), L"Language");
        auto dialog = StartDialog();
        EXPECT_EQ(L"Tessary (English)", AddedTip()) << "no choice: the default language";
    }

    // A value that names no language counts as no choice.
    for (const std::wstring& junk : {std::wstring(L"Klingon"), std::wstring(), std::wstring(5000, L'x')}) {
        m_platform.notifyCalls.clear();
        m_key.SetText(L"Language", junk);
        auto dialog = StartDialog();
        EXPECT_EQ(L"Tessary (English)", AddedTip()) << "value of " << junk.size() << " characters";
    }
}

// A damaged Language.xml (nested 100,000 levels deep, or random bytes) never holds the tray up: it
// starts with its texts as written.
TEST_F(FennSysTrayDlgTest, DamagedLanguageFileLeavesTheTextsAsWritten)
{
    WriteTwoLanguages();
    const std::string deep = "<ITEMLIST><LANGLIST><LANG name=\"LANGUAGE_DEFAULT\" file=\"english.txt\"/></LANGLIST>" +
                             testfiles::Repeated("<B>", 100000) + testfiles::Repeated("</B>", 100000) + "</ITEMLIST>";
    for (const std::string& damaged : {deep, std::string(4000, '\xB5')}) {
        m_platform.notifyCalls.clear();
        WriteUtf8(m_folder.File(L"xml\\Language.xml"), damaged);
        auto dialog = StartDialog();
        EXPECT_TRUE(dialog->IconCreated());
        EXPECT_EQ(L"Quarn Tessary", AddedTip());
    }
}

TEST_F(FennSysTrayDlgTest, ShippedLanguageDataGivesTheTrayTexts)
{
    SetAppFolder(testfiles::WinePath(TRAY_BIN_DIR));
    auto dialog = StartDialog();
    const CLangTable* language = CurrentLangTable();
    ASSERT_NE(nullptr, language) << "the build puts xml\\Language.xml and lang\\ next to the programs";
    std::wstring text;
    ASSERT_TRUE(language->LookupText(L"$LoadTessaryConfigurator", text));
    EXPECT_EQ(L"Load Tessary Configurator", text);
    ASSERT_TRUE(language->LookupText(L"$CloseTrayIcon", text));
    EXPECT_EQ(L"Close Tray Icon", text);
    EXPECT_EQ(L"Quarn Tessary", AddedTip());
}

TEST_F(FennSysTrayDlgTest, DeviceNotificationsForTheKeyboardStopAndResume)
{
    auto dialog = StartDialog();
    ASSERT_TRUE(dialog->IsAutoSwitchArmed());

    SendDeviceChange(*dialog, DBT_DEVICEREMOVECOMPLETE, L"\\\\?\\HID#VID_3F1D&PID_0110#7&1#{378de44c}");
    EXPECT_FALSE(dialog->IsAutoSwitchArmed());

    SendDeviceChange(*dialog, DBT_DEVICEARRIVAL, L"\\\\?\\HID#VID_3F1D&PID_0999#1");
    EXPECT_FALSE(dialog->IsAutoSwitchArmed()) << "another product of the same maker";
    SendDeviceChange(*dialog, DBT_DEVICEARRIVAL, L"\\\\?\\hid#vid_3f1d&pid_0110#1");
    EXPECT_TRUE(dialog->IsAutoSwitchArmed()) << "the path is compared upper-cased";

    // A record of another type, or none where the event brings none, is not read as a keyboard.
    DEV_BROADCAST_HDR volume{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0};
    ::SendMessageW(*dialog, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    ::SendMessageW(*dialog, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_TRUE(dialog->IsAutoSwitchArmed());

    // The device nodes changed and the service finds no keyboard: stop.
    EXPECT_EQ(TRUE, ::SendMessageW(*dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0x1234));
    EXPECT_FALSE(dialog->IsAutoSwitchArmed());
}

TEST_F(FennSysTrayDlgTest, SessionEndsAndLocksSuspendConsoleReturnsResume)
{
    auto dialog = StartDialog();
    const struct {
        WPARAM code;
        bool armedAfter;
    } steps[] = {
        {WTS_SESSION_LOCK, false},     {WTS_REMOTE_CONNECT, false}, {WTS_SESSION_UNLOCK, true},
        {WTS_REMOTE_DISCONNECT, true}, {WTS_SESSION_LOGOFF, false}, {WTS_SESSION_LOGON, true},
        {WTS_CONSOLE_DISCONNECT, false}, {WTS_CONSOLE_CONNECT, true}, {99, true},
    };
    for (const auto& step : steps) {
        ::SendMessageW(*dialog, WM_WTSSESSION_CHANGE, step.code, 1);
        EXPECT_EQ(step.armedAfter, dialog->IsAutoSwitchArmed()) << "after session event " << step.code;
    }
}

TEST_F(FennSysTrayDlgTest, LaunchRequestOpensTheFileOnlyForKindOne)
{
    auto dialog = StartDialog();
    dialog->OnLaunchApplication(2, L"C:\\Docs\\notes.txt");
    dialog->OnLaunchApplication(1, nullptr);
    dialog->OnLaunchApplication(1, L"");
    EXPECT_TRUE(m_platform.shellCalls.empty());
    dialog->OnLaunchApplication(1, L"C:\\Docs\\notes.txt");
    ASSERT_EQ(1u, m_platform.shellCalls.size());
    EXPECT_EQ(L"C:\\Docs\\notes.txt", m_platform.shellCalls[0].file);
}

TEST_F(FennSysTrayDlgTest, SingleClickOpensTheMenuDoubleClickTheConfigurator)
{
    testfiles::CScopedFolder install;
    m_key.SetText(L"InstallDir", install.Path() + L"\\");
    auto dialog = StartDialog();

    {
        CMenuWatcher watcher;
        ::SendMessageW(*dialog, tray::TrayCallbackMessage, tray::kTrayIconId, WM_LBUTTONDOWN);
        EXPECT_EQ(-1, watcher.Seen().itemCount) << "not before the double-click time";
        ASSERT_TRUE(PumpMessagesUntil([&] { return watcher.Seen().itemCount >= 0; }, 5000)) << "the menu never opened";
        EXPECT_EQ(2, watcher.Seen().itemCount) << "no device: the configurator and close items only";
    }
    {
        CMenuWatcher watcher;
        ::SendMessageW(*dialog, tray::TrayCallbackMessage, tray::kTrayIconId, WM_LBUTTONDOWN);
        ::SendMessageW(*dialog, tray::TrayCallbackMessage, tray::kTrayIconId, WM_LBUTTONDBLCLK);
        ASSERT_EQ(1u, m_platform.shellCalls.size());
        EXPECT_EQ(install.Path() + L"\\TessaryConfig.exe", m_platform.shellCalls[0].file);
        PumpMessagesFor(::GetDoubleClickTime() + 300);
        EXPECT_EQ(-1, watcher.Seen().itemCount) << "the double click cancels the single click's menu";
    }

    // While the configurator runs, neither the double click nor the menu item starts another.
    m_platform.processes.push_back({500, L"TessaryConfig.exe"});
    ::SendMessageW(*dialog, tray::TrayCallbackMessage, tray::kTrayIconId, WM_LBUTTONDBLCLK);
    ::SendMessageW(*dialog, WM_COMMAND, tray::ID_TRAY_LOADCONFIGURATOR, 0);
    EXPECT_EQ(1u, m_platform.shellCalls.size());
    m_platform.processes.back().exeName = L"tessaryconfig.exe";
    ::SendMessageW(*dialog, WM_COMMAND, tray::ID_TRAY_LOADCONFIGURATOR, 0);
    EXPECT_EQ(2u, m_platform.shellCalls.size()) << "another case is not the configurator";
}

TEST_F(FennSysTrayDlgTest, SecondInstanceEndsQuietly)
{
    CFennSysTrayApp first;
    ASSERT_TRUE(first.InitInstance());
    ASSERT_NE(nullptr, first.MainDialog());

    CFennSysTrayApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(nullptr, second.MainDialog());
    EXPECT_TRUE(m_platform.messageBoxes.empty());
    EXPECT_EQ(1, m_platform.IconsShown());

    // Once the first has ended, a new one starts.
    first.ExitInstance();
    CFennSysTrayApp third;
    EXPECT_TRUE(third.InitInstance());
}

TEST_F(FennSysTrayDlgTest, IconFailureIsReportedAndEndsTheProgram)
{
    m_platform.notifyResult = FALSE;
    CFennSysTrayApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(1u, m_platform.messageBoxes.size());
    EXPECT_EQ(L"Failed to create tray icon 1", m_platform.messageBoxes[0]);
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), m_platform.messageBoxTypes[0]);
    EXPECT_EQ(nullptr, app.MainDialog());
    EXPECT_FALSE(app.HoldsInstanceMutex());
    EXPECT_EQ(nullptr, ::FindWindowW(L"tsy_osd", nullptr)) << "nothing after the icon was set up";

    // The mutex went with it: the next start is not taken for a second instance.
    m_platform.notifyResult = TRUE;
    CFennSysTrayApp next;
    EXPECT_TRUE(next.InitInstance());
}

TEST_F(FennSysTrayDlgTest, ClosingRemovesTheIconAndEndsTheLoop)
{
    for (UINT how : {0u, 1u}) {
        m_platform.notifyCalls.clear();
        CFennSysTrayApp app;
        ASSERT_TRUE(app.InitInstance());
        HWND dialog = *app.MainDialog();
        HWND osd = app.MainDialog()->Osd()->Window();
        if (how == 0)
            ::PostMessageW(dialog, WM_COMMAND, tray::ID_TRAY_CLOSE, 0);
        else
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, QuitAfterDeadline);
        EXPECT_EQ(0, app.Run()) << "the loop ended by the close, not by the test's deadline";
        ::KillTimer(nullptr, guard);
        EXPECT_FALSE(::IsWindow(dialog));
        EXPECT_FALSE(::IsWindow(osd));
        app.ExitInstance();
        EXPECT_EQ(0, m_platform.IconsShown());
        EXPECT_FALSE(app.HoldsInstanceMutex());
    }
}
