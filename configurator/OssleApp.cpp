// COssleAppApp: single instance, start-up, the main dialog's run and tear-down.
#include "configurator/OssleApp.h"

#include <commctrl.h>
#include <iterator>
#include <objbase.h>

#include "configurator/ConfigIds.h"
#include "configurator/ConfigPlatform.h"
#include "configurator/MainDialog.h"
#include "model/Keyboard.h"
#include "model/NameTables.h"
#include "model/OssleConfig.h"
#include "skin/AppFolder.h"
#include "skin/KeyboardLayoutSetting.h"
#include "skin/LangTable.h"
#include "skin/SkinElements.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"
#include "skin/WidgetReaders.h"

using namespace config;

namespace {

// The keys of the English text file, which every language's file has too. They are built in: the file
// itself may be what is damaged.
const wchar_t* const kEnglishTextKeys[] = {
#include "EnglishTextKeys.inc"
};

// The file at fault when the language has no whole table: the list when it gives the language no table,
// else the language's text file when it lacks a key that English has. Empty when the table is whole.
std::wstring DamagedLanguageFile(int languageId)
{
    auto table = LanguageMap().find(languageId);
    if (table == LanguageMap().end() || !table->second)
        return L"xml\\Language.xml";
    if (!HasTextForEveryKey(*table->second, kEnglishTextKeys, std::size(kEnglishTextKeys)))
        return L"lang\\" + table->second->m_file;
    return std::wstring();
}

} // namespace

COssleAppApp::COssleAppApp() : m_registryPath(kMakerKey) {}

COssleAppApp::~COssleAppApp()
{
    ExitInstance();
}

IKeyboardConfig* COssleAppApp::Config() const
{
    return m_store.get();
}

bool COssleAppApp::InitInstance()
{
    if (ClaimSingleInstance() != InstanceClaim::First)
        return false;
    StartServices();
    ReadRegistryAndStartTray();
    LoadTables();
    RunMainDialog();
    TearDown();
    return false;
}

int COssleAppApp::ExitInstance()
{
    TearDown();
    if (!m_mutex.IsNull()) {
        ::ReleaseMutex(m_mutex);
        m_mutex.CloseHandle();
    }
    return 0;
}

COssleAppApp::InstanceClaim COssleAppApp::ClaimSingleInstance()
{
    COssleAppDlg::RegisterWindowClass(::GetModuleHandleW(nullptr));
    // The mutex stays ours until the process ends: a window class alone would let a second start slip
    // through before the first one's window exists.
    CHandle mutex(::CreateMutexW(nullptr, TRUE, kInstanceMutex));
    const DWORD error = ::GetLastError();
    if (mutex.IsNull())
        return InstanceClaim::Failed;
    if (error != ERROR_ALREADY_EXISTS) {
        m_mutex = std::move(mutex);
        return InstanceClaim::First;
    }
    mutex.CloseHandle();

    // The first configurator may still be starting: its window comes soon.
    IConfigPlatform& platform = ConfigPlatform();
    const ULONGLONG deadline = platform.TickCount() + m_activateWaitMs;
    HWND running = nullptr;
    while (!(running = ::FindWindowW(kMainWindowClass, nullptr)) && platform.TickCount() < deadline)
        platform.Sleep(50);
    if (running) {
        HWND popup = ::GetLastActivePopup(running);
        ::BringWindowToTop(running);
        if (popup && ::IsIconic(popup))
            ::ShowWindow(popup, SW_RESTORE);
        else
            ::SetForegroundWindow(popup ? popup : running);
    }
    return InstanceClaim::AnotherRuns;
}

void COssleAppApp::StartServices()
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    m_com = SUCCEEDED(::CoInitialize(nullptr));
    SetDamagedInstallationTitle(kDialogTitle);
    ::SetCurrentDirectoryW(AppFolder().c_str());
    m_store = std::make_unique<COssleConfig>();
    CreateKeyboardDevice(&m_device, m_store.get());
}

void COssleAppApp::ReadRegistryAndStartTray()
{
    IConfigPlatform& platform = ConfigPlatform();
    int languageId = kDefaultLanguageId;
    HKEY key = nullptr;
    // Read access is all the configurator needs; the key is made only when it is not there at all.
    LONG status = platform.OpenKey(m_registryRoot, m_registryPath.c_str(), KEY_READ, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        status = platform.CreateKey(m_registryRoot, m_registryPath.c_str(), KEY_READ, &key);
    if (status == ERROR_SUCCESS && key) {
        wchar_t text[kRegistryStringChars] = {};
        // A value that names no language counts as missing: the default language, never texts shown as
        // their keys.
        const int named =
            ReadRegistryString(key, L"Language", text) == ERROR_SUCCESS ? FindLanguageSettingId(text) : -1;
        if (named != -1)
            languageId = named;
        std::wstring folder;
        if (ReadRegistryString(key, L"InstallDir", text) == ERROR_SUCCESS)
            folder = text;
        // One trailing backslash goes, but not a drive root's: "C:" alone names that drive's current folder.
        if (!folder.empty() && folder.back() == L'\\' && !(folder.size() == 3 && folder[1] == L':'))
            folder.pop_back();
        // By its full path, from the folder that became current (the program's own when the registry
        // names none that exists): a bare name would let the shell's search start another program.
        if (folder.empty() || !::SetCurrentDirectoryW(folder.c_str()))
            folder = AppFolder();
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
            folder += L'\\';
        platform.ShellOpen(nullptr, L"open", (folder + kTrayExe).c_str());
        ::RegCloseKey(key);
    }
    m_languageId = languageId;
    SetSelectedLanguageId(languageId >= kDefaultLanguageId && languageId <= kLastLanguageId ? languageId : -1);
}

void COssleAppApp::LoadTables()
{
    // The objects and widgets the configurator's skin files name (it makes no value widget), and its
    // keyboard pages and panels.
    AddSkinObjectReaders();
    AddSkinWidgetReaders();
    AddSkinKeyboardRoot();
    AddSkinPanelRoot();
    // Without its texts the dialog would show every text as its key: a language list or text file that
    // can't be read ends the start, as a damaged panel does (RunMainDialog reports it).
    m_damagedFile.clear();
    const int languageId = m_languageId == -1 ? kDefaultLanguageId : m_languageId;
    if (!LoadSkinFile(m_languageItems, L"Language.xml", nullptr, &m_damagedFile))
        return;
    m_damagedFile = DamagedLanguageFile(languageId);
    if (!m_damagedFile.empty())
        return;
    if (m_languageId != -1)
        SetCurrentLangTable(LanguageMap()[languageId]);

    // Without the layouts the program still runs on the default layout, but the user learns why the key
    // labels may not match the keyboard.
    m_layoutId = kDefaultKeyboardLayoutId;
    DWORD code = 0;
    if (m_device && m_device->IsConnected() && m_device->GetLayoutCode(code))
        m_layoutId = MapLayoutCode(static_cast<int>(code));
    std::wstring damaged;
    if (!LoadSkinFile(m_layoutItems, L"KeyboardLayout.xml", nullptr, &damaged))
        ReportDamagedInstallation(damaged);
    if (!SelectKeyboardLayout(m_layoutId))
        SelectKeyboardLayout(kDefaultKeyboardLayoutId);

    // The main dialog's pictures are decoded on another thread while it makes its windows.
    std::vector<std::wstring> panels = {kMainPanel, kKeyPagePanel};
    if (CKeyboardLayoutSetting* layout = SelectedKeyboardLayout()) {
        if (!layout->m_pageFile.empty())
            panels.push_back(layout->m_pageFile);
    }
    panels.insert(panels.end(), {kProfilesPagePanel, kMacrosPagePanel, kLightingPagePanel});
    PrefetchSkinImages(panels);
}

void COssleAppApp::RunMainDialog()
{
    COssleAppDlg dialog(m_device, m_store.get());
    if (m_damagedFile.empty())
        dialog.ReadWhileBuilding();
    else
        dialog.RefuseToOpen(m_damagedFile);
    dialog.DoModal();
}

void COssleAppApp::TearDown()
{
    EndSkinImagePrefetch();
    if (m_device || KeyboardDevice()) {
        DestroyKeyboardDevice();
        m_device = nullptr;
    }
    m_store.reset();
    if (!m_layoutItems.empty()) {
        RestoreKeyboardLayout();
        FreeSkinItemList(m_layoutItems);
    }
    if (!m_languageItems.empty()) {
        SetCurrentLangTable(nullptr);
        FreeSkinItemList(m_languageItems);
    }
    if (m_com) {
        ::CoUninitialize();
        m_com = false;
    }
}
