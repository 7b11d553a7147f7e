// The hidden dialog: start-up, device and session notifications, the icon's menu, the automatic switch,
// the service's events and the close.
#include "tray/FennSysTrayDlg.h"

#include "framework/DeviceInterfaceNotice.h"
#include "model/NameTables.h"
#include "skin/AppFolder.h"
#include "skin/LangTable.h"
#include "skin/RawInput.h"
#include "skin/SkinLoader.h"
#include "tray/AboutDlg.h"
#include "tray/DeviceManager.h"
#include "tray/MacroRecorder.h"
#include "tray/PcManager.h"
#include "tray/TrayMenu.h"
#include "tray/TrayPlatform.h"
#include "tray/TrayTexts.h"

#include <dbt.h>
#include <wtsapi32.h>

namespace tray {
namespace {

// Never shown: the window exists to receive the icon's, the timers' and the system's messages.
CDialogTemplate TrayHiddenDialog()
{
    return CDialogTemplate(WS_POPUP | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK,
                           WS_EX_LAYERED | WS_EX_TRANSPARENT, 0, 0, 122, 65, kDialogTitle);
}

} // namespace

CFennSysTrayDlg::CFennSysTrayDlg() : CDialog(TrayHiddenDialog(), nullptr)
{
    // S_FALSE (already initialised on this thread) also has to be balanced.
    m_comInitialised = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // The service drops its proxy of an event sink right after an event, at every reconnection; the
    // sinks' interfaces stay registered for the dialog's life instead of going with each sink.
    if (m_comInitialised)
        m_sinkPins.PinEventSinks();
    m_windowIcon = LoadProgramIcon(kWindowIconResource, IconSize::kLarge);
    m_windowIconSmall = LoadProgramIcon(kWindowIconResource, IconSize::kSmall);
    m_trayIcon = LoadProgramIcon(kTrayIconResource, IconSize::kSmall);
}

CFennSysTrayDlg::~CFennSysTrayDlg()
{
    Shutdown();
    if (m_hWnd)
        DestroyWindow();
    m_icon.SetMenu(nullptr);
    if (m_menu)
        ::DestroyMenu(m_menu);
    m_menu = nullptr;
    FreeSkinItemList(m_languageItems);
    // Last: nothing of the service is held any more.
    m_sinkPins.Release();
    if (m_comInitialised)
        ::CoUninitialize();
}

BOOL CFennSysTrayDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HMENU system = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(system, MF_STRING, kCmdAboutBox, kAboutMenuText);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(static_cast<HICON>(m_windowIcon)));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(static_cast<HICON>(m_windowIconSmall)));

    LoadLanguage();
    std::wstring tip = kTooltipText;
    if (const CLangTable* language = CurrentLangTable()) {
        std::wstring text;
        if (language->LookupText(kTooltipKey, text))
            tip = text;
    }

    if (!m_icon.Create(m_hWnd, tip, m_trayIcon)) {
        TrayPlatform().ShowMessageBox(m_hWnd, kIconFailedText, kDialogTitle, MB_ICONHAND);
        return TRUE;
    }
    m_iconCreated = true;

    m_osd = std::make_unique<COsdDisplay>();
    if (FAILED(m_osd->CreateOsdWindows()))
        m_osd.reset();

    ArmAutoSwitch();
    if (!m_deviceWatch)
        m_deviceWatch = RegisterMouseInterfaceNotices(m_hWnd);
    m_sessionRegistered = ::WTSRegisterSessionNotification(m_hWnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
    ConnectEventSinks();
    return TRUE;
}

void CFennSysTrayDlg::LoadLanguage()
{
    InitNameTables();
    AppFolder();
    LoadSkinFile(m_languageItems, L"Language.xml", this);
    std::wstring name;
    // A value that names no language counts as missing.
    const int named = PcManager().ReadLanguageSetting(name) ? FindLanguageSettingId(name) : -1;
    const int id = named != -1 ? named : kDefaultLanguageId;
    auto& languages = LanguageMap();
    auto found = languages.find(id);
    if (found != languages.end() && found->second)
        SetCurrentLangTable(found->second);
}

void CFennSysTrayDlg::OnFinalMessage(HWND)
{
    if (m_quitOnDestroy)
        ::PostQuitMessage(0);
}

// ---- Device work ----

void CFennSysTrayDlg::ArmAutoSwitch()
{
    SetTimer(AutoSwitchTimer, kAutoSwitchPeriodMs);
    m_autoSwitchArmed = true;
}

void CFennSysTrayDlg::DisarmAutoSwitch()
{
    KillTimer(AutoSwitchTimer);
    m_autoSwitchArmed = false;
}

void CFennSysTrayDlg::Resume()
{
    ArmAutoSwitch();
    ConnectEventSinks();
}

void CFennSysTrayDlg::StopOnDeviceLoss()
{
    DisarmAutoSwitch();
    CancelMacroRecording();
    DisconnectEventSinks();
}

void CFennSysTrayDlg::StopOnSessionEnd()
{
    DisarmAutoSwitch();
    DisconnectEventSinks();
    OnRecordingCancelled();
}

void CFennSysTrayDlg::ConnectEventSinks()
{
    if (m_profileConnection && m_macroConnection && m_launchConnection) {
        ReplaceGoneEventSinks();
        return;
    }
    CDeviceManager device;
    if (!m_profileConnection)
        m_profileConnection.reset(device.CreateProfileConnection(this));
    if (!m_macroConnection)
        m_macroConnection.reset(device.CreateMacroConnection(this));
    if (!m_launchConnection)
        m_launchConnection.reset(device.CreateLaunchConnection(this));
    if (!m_profileConnection || !m_macroConnection || !m_launchConnection) {
        m_profileConnection.reset();
        m_macroConnection.reset();
        m_launchConnection.reset();
    }
}

void CFennSysTrayDlg::ReplaceGoneEventSinks()
{
    // The three sources live in one keyboard process of the service: the profile connection's answers
    // for all of them. When that process has ended, the connections hear nothing any more, even once
    // a new process serves the keyboard.
    const CProfileEventConnection* checked = m_profileConnection.get();
    if (!checked->SourceGone())
        return;
    CDeviceManager device;
    std::unique_ptr<CProfileEventConnection> profile(device.CreateProfileConnection(this));
    std::unique_ptr<CMacroEventConnection> macro(device.CreateMacroConnection(this));
    std::unique_ptr<CLaunchAppEventConnection> launch(device.CreateLaunchConnection(this));
    // The calls above let this thread handle device and session notices, which may have dropped or
    // replaced the connections meanwhile: those stand. Until all three new ones exist, the gone ones
    // stay, and the next check tries again.
    if (!profile || !macro || !launch || m_profileConnection.get() != checked)
        return;
    m_profileConnection = std::move(profile);
    m_macroConnection = std::move(macro);
    m_launchConnection = std::move(launch);
}

void CFennSysTrayDlg::DisconnectEventSinks()
{
    if (!m_profileConnection || !m_macroConnection || !m_launchConnection)
        return;
    m_profileConnection.reset();
    m_macroConnection.reset();
    m_launchConnection.reset();
    m_dpiConnection.reset();
}

bool CFennSysTrayDlg::IsDevicePresent()
{
    CDeviceManager device;
    return device.HasDevice();
}

LRESULT CFennSysTrayDlg::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    switch (wParam) {
    case DBT_DEVNODES_CHANGED:
        // This event carries no record: lParam is not looked at.
        if (!IsDevicePresent())
            StopOnDeviceLoss();
        break;
    case DBT_DEVICEARRIVAL:
    case DBT_DEVICEREMOVECOMPLETE: {
        std::wstring path;
        if (ReadDeviceInterfacePath(wParam, lParam, &path) && IsKeyboardDevicePath(path)) {
            if (wParam == DBT_DEVICEARRIVAL)
                Resume();
            else
                StopOnDeviceLoss();
        }
        break;
    }
    default:
        break;
    }
    return TRUE;
}

LRESULT CFennSysTrayDlg::OnSessionChange(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    switch (wParam) {
    case WTS_CONSOLE_CONNECT:
    case WTS_SESSION_LOGON:
    case WTS_SESSION_UNLOCK:
        Resume();
        break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_SESSION_LOGOFF:
    case WTS_SESSION_LOCK:
        StopOnSessionEnd();
        break;
    default:
        // Remote sessions come and go without the console's user.
        break;
    }
    return 0;
}

// ---- Icon, menu and timers ----

LRESULT CFennSysTrayDlg::OnTrayNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const UINT id = static_cast<UINT>(wParam);
    const UINT message = static_cast<UINT>(lParam);
    switch (message) {
    case WM_LBUTTONDBLCLK:
        // The double click takes the place of the single click whose menu is still pending.
        KillTimer(TrayClickTimer);
        m_pendingClickTimer = 0;
        if (!PcManager().IsConfiguratorRunning())
            PcManager().LaunchConfigurator();
        break;
    case WM_RBUTTONUP:
        RefreshTrayMenu();
        m_icon.OnTrayNotification(id, message);
        break;
    case WM_LBUTTONDOWN:
        ::GetCursorPos(&m_clickPoint);
        m_pendingClickTimer = SetTimer(TrayClickTimer, ::GetDoubleClickTime());
        m_icon.OnTrayNotification(id, message);
        break;
    default:
        m_icon.OnTrayNotification(id, message);
        break;
    }
    return 0;
}

LRESULT CFennSysTrayDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (wParam == AutoSwitchTimer) {
        AutoSwitchPoll();
    } else if (wParam == TrayClickTimer) {
        if (m_pendingClickTimer != 0 && wParam == m_pendingClickTimer) {
            KillTimer(TrayClickTimer);
            m_pendingClickTimer = 0;
            RefreshTrayMenu();
            ShowMenuAt(m_clickPoint);
        }
    } else {
        handled = FALSE;
    }
    return 0;
}

void CFennSysTrayDlg::ShowMenuAt(POINT point)
{
    m_icon.OnTrayNotification(kTrayIconId, WM_RBUTTONUP, point);
}

void CFennSysTrayDlg::RefreshTrayMenu()
{
    // Two profiles may share a name: the active one is found by its GUID.
    size_t active = kNoActiveProfile;
    {
        CDeviceManager device;
        device.GetProfileNames(m_profileNames, &m_profileGuids);
        GUID activeGuid{};
        if (device.GetActiveProfileGuid(activeGuid)) {
            for (size_t i = 0; i < m_profileGuids.size() && active == kNoActiveProfile; ++i) {
                if (IsEqualGUID(m_profileGuids[i], activeGuid))
                    active = i;
            }
        }
    }
    HMENU menu = BuildTrayMenu(m_profileNames, active, CurrentLangTable());
    if (!menu)
        return;
    // The icon lets go of the old menu before it is destroyed.
    m_icon.SetMenu(menu);
    m_icon.SetDefaultMenuItem(ID_TRAY_LOADCONFIGURATOR, false);
    if (m_menu)
        ::DestroyMenu(m_menu);
    m_menu = menu;
}

LRESULT CFennSysTrayDlg::OnLoadConfigurator(WORD, WORD, HWND, BOOL&)
{
    if (!PcManager().IsConfiguratorRunning())
        PcManager().LaunchConfigurator();
    return 0;
}

LRESULT CFennSysTrayDlg::OnMenuProfile(WORD, WORD id, HWND, BOOL&)
{
    SelectMenuProfile(id - ID_TRAY_PROFILE1);
    return 0;
}

void CFennSysTrayDlg::SelectMenuProfile(size_t index)
{
    if (m_profileGuids.size() < index + 1 || m_profileNames.size() < index + 1)
        return;
    // The entry's own profile, by its GUID: another profile may have the same name.
    const GUID guid = m_profileGuids[index];
    CDeviceManager device;
    // The display follows the profile that becomes active, so its own flag decides.
    ProfileSetting chosen;
    const bool settingRead = device.GetProfileSetting(guid, chosen);
    if (ActivateOwnChoice(device, guid) && settingRead && chosen.profileDisplay)
        ShowOsdProfileName(chosen.name);
}

bool CFennSysTrayDlg::ActivateOwnChoice(CDeviceManager& device, const GUID& guid)
{
    // Noted before the call: the service's report may be handled while the call still waits.
    m_ownActivation = guid;
    if (device.ActivateProfile(guid))
        return true;
    m_ownActivation = GUID_NULL;
    return false;
}

void CFennSysTrayDlg::AutoSwitchPoll()
{
    CDeviceManager device;
    if (!device.HasDevice())
        return;
    // Every poll also makes sure the connections still reach a living keyboard process (the manager
    // above has started a new one if the last one ended).
    if (HasEventConnections())
        ReplaceGoneEventSinks();
    GUID active{};
    if (!device.GetAllProfileSettings(m_profileSettings) || !device.GetActiveProfileGuid(active))
        return;
    bool anyAutoSwitch = false;
    for (const ProfileSetting& setting : m_profileSettings)
        anyAutoSwitch = anyAutoSwitch || setting.autoSwitch;
    // One look at the process list per poll, and none when no profile would use it.
    std::wstring foreground;
    if (!anyAutoSwitch || !PcManager().GetForegroundExeName(foreground))
        return;
    for (const ProfileSetting& setting : m_profileSettings) {
        if (!setting.autoSwitch || setting.linkedProgram != foreground)
            continue;
        // Shown only when the switch happened: a failed activation leaves the old profile in place.
        if (!IsEqualGUID(setting.guid, active) && ActivateOwnChoice(device, setting.guid) &&
            setting.profileDisplay)
            ShowOsdProfileName(setting.name);
        break;
    }
}

void CFennSysTrayDlg::ShowOsdProfileName(const std::wstring& name)
{
    if (m_osd)
        m_osd->ShowProfileName(name);
}

// ---- Events of the service ----

void CFennSysTrayDlg::OnProfileChanged(DWORD)
{
    // The service reports every change, this program's own too: a profile this program activated and
    // showed itself is not shown again.
    const GUID own = m_ownActivation;
    m_ownActivation = GUID_NULL;
    CDeviceManager device;
    // The active profile itself, not the first one of its name.
    GUID active{};
    ProfileSetting setting;
    if (!device.GetActiveProfileGuid(active))
        return;
    const bool settingRead = device.GetProfileSetting(active, setting);
    if (setting.name.empty() || (!IsEqualGUID(own, GUID_NULL) && IsEqualGUID(active, own)))
        return;
    if (settingRead && setting.profileDisplay)
        ShowOsdProfileName(setting.name);
}

void CFennSysTrayDlg::OnLaunchApplication(DWORD kind, const wchar_t* file)
{
    if (kind != 1 || !file || !*file)
        return;
    // No program the configurator assigns has a longer path than the system's limit, and the shell's
    // start overruns its own stack on a much longer one: such a request fails as any other failed
    // start does, silently.
    if (::wcsnlen(file, MAX_PATH) >= MAX_PATH)
        return;
    TrayPlatform().ShellOpen(nullptr, file);
}

void CFennSysTrayDlg::OnRecordingStarted()
{
    {
        CDeviceManager device;
        device.BeginRecordingLeds();
    }
    MacroRecorder().StartRecorder();
    RawInputRegistration& rawInput = RawInputRegistration::Shared();
    rawInput.AddUsage(kHidUsageKeyboard);
    rawInput.AddUsage(kHidUsageMouse);
    rawInput.Register(m_hWnd);
}

void CFennSysTrayDlg::OnRecordingStopped()
{
    {
        CDeviceManager device;
        device.BlinkRecordingLeds();
    }
    RawInputRegistration::Shared().Unregister();
    MacroRecorder().Stop();
}

void CFennSysTrayDlg::OnRecordingFinished(DWORD value, DWORD buttonId)
{
    // The save calls the service, and while a call waits the service's next events are handled here: a
    // new recording starting or a cancel changes the recorder. So the save works from its own copy of
    // the events, and the recorder is done with this recording before the save, so that a recording
    // started meanwhile goes on.
    const std::vector<DeviceMacroEvent> events = MacroRecorder().Events();
    MacroRecorder().Reset();
    CDeviceManager device;
    device.SaveRecordedMacro(value, buttonId, events);
}

void CFennSysTrayDlg::OnRecordingCancelled()
{
    {
        CDeviceManager device;
        device.CancelRecordingLeds();
    }
    RawInputRegistration::Shared().Unregister();
    MacroRecorder().Reset();
}

void CFennSysTrayDlg::CancelMacroRecording()
{
    {
        CDeviceManager device;
        device.ClearRecordingLeds();
    }
    RawInputRegistration::Shared().Unregister();
    MacroRecorder().Reset();
}

LRESULT CFennSysTrayDlg::OnRawInput(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    MacroRecorder().RecordRawInput(reinterpret_cast<HRAWINPUT>(lParam));
    // The default processing frees the system's copy of the input.
    handled = FALSE;
    return 0;
}

// ---- System menu and close ----

LRESULT CFennSysTrayDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if ((wParam & 0xFFF0) != kCmdAboutBox) {
        handled = FALSE;
        return 0;
    }
    CAboutDlg about(this);
    about.DoModal();
    return 0;
}

void CFennSysTrayDlg::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // A dialog whose icon failed set up nothing that needs undoing on the device.
    if (m_iconCreated)
        OnRecordingCancelled();
    DisconnectEventSinks();
    if (m_sessionRegistered && m_hWnd)
        ::WTSUnRegisterSessionNotification(m_hWnd);
    m_sessionRegistered = false;
    if (m_deviceWatch && ::UnregisterDeviceNotification(m_deviceWatch))
        m_deviceWatch = nullptr;
    if (m_hWnd) {
        DisarmAutoSwitch();
        KillTimer(TrayClickTimer);
    }
    m_pendingClickTimer = 0;
    // After the sinks: the display's share of COM goes only once nothing of the service is held.
    m_osd.reset();
}

LRESULT CFennSysTrayDlg::OnCloseTrayIcon(WORD, WORD, HWND, BOOL&)
{
    Shutdown();
    DestroyWindow();
    return 0;
}

LRESULT CFennSysTrayDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    Shutdown();
    DestroyWindow();
    return 0;
}

} // namespace tray
