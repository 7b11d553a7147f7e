// The tray program's hidden main dialog. It is never shown: it owns the notification-area icon and its
// menu, the on-screen display and the event connections to the device service, receives the icon's
// mouse messages, the timers, the device and session notifications and raw input while a macro is
// recorded, and is what the service's events are handled by.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Handle.h"
#include "service/InterfacePins.h"
#include "skin/GUIItem.h"
#include "tray/EventConnections.h"
#include "tray/EventHandlers.h"
#include "tray/OsdDisplay.h"
#include "tray/ProfileSetting.h"
#include "tray/TrayIds.h"
#include "tray/TrayNotifyIcon.h"

namespace tray {

class CDeviceManager;

class CFennSysTrayDlg : public CDialog,
                    public IDpiEventHandler,
                    public IProfileEventHandler,
                    public IMacroEventHandler,
                    public ILaunchAppEventHandler {
public:
    CFennSysTrayDlg();
    ~CFennSysTrayDlg() override;

    // Set by the application: the message loop ends when the dialog's window is gone.
    void SetQuitOnDestroy(bool quit) { m_quitOnDestroy = quit; }
    // False when the icon could not be created; the dialog then set up nothing else.
    bool IconCreated() const { return m_iconCreated; }

    BOOL OnInitDialog() override;
    // The dialog is never shown: Enter and Escape have no meaning for it.
    void OnOK() override {}
    void OnCancel() override {}

    // Device work: the automatic switch timer and the event connections.
    void Resume();
    void StopOnDeviceLoss();
    void StopOnSessionEnd();
    // Makes the three event connections, all three or none; connections that exist already are checked
    // instead (ReplaceGoneEventSinks).
    void ConnectEventSinks();
    void DisconnectEventSinks();
    bool HasEventConnections() const { return m_profileConnection != nullptr; }
    bool IsAutoSwitchArmed() const { return m_autoSwitchArmed; }

    // Profiles.
    void RefreshTrayMenu();
    void SelectMenuProfile(size_t index);
    void AutoSwitchPoll();
    // Virtual so that tests can count what is shown.
    virtual void ShowOsdProfileName(const std::wstring& name);

    // The recording on the device stops with the device or the session.
    void CancelMacroRecording();

    // Everything the close does before the window is destroyed; runs once.
    void Shutdown();

    CTrayNotifyIcon& Icon() { return m_icon; }
    HMENU Menu() const { return m_menu; }
    COsdDisplay* Osd() const { return m_osd.get(); }
    const std::vector<std::wstring>& ProfileNames() const { return m_profileNames; }
    CProfileEventConnection* ProfileConnection() const { return m_profileConnection.get(); }
    CMacroEventConnection* MacroConnection() const { return m_macroConnection.get(); }
    CLaunchAppEventConnection* LaunchConnection() const { return m_launchConnection.get(); }

    // IDpiEventHandler
    void OnDpiChanged(DWORD value1, DWORD value2) override {}
    // IProfileEventHandler
    void OnProfileChanged(DWORD value) override;
    // IMacroEventHandler
    void OnRecordingStarted() override;
    void OnRecordingStopped() override;
    void OnRecordingCancelled() override;
    void OnRecordingFinished(DWORD value, DWORD buttonId) override;
    // ILaunchAppEventHandler
    void OnLaunchApplication(DWORD kind, const wchar_t* file) override;

    BEGIN_MSG_MAP(CFennSysTrayDlg)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
        MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
        MESSAGE_HANDLER(WM_WTSSESSION_CHANGE, OnSessionChange)
        MESSAGE_HANDLER(TrayCallbackMessage, OnTrayNotify)
        COMMAND_ID_HANDLER(ID_TRAY_LOADCONFIGURATOR, OnLoadConfigurator)
        COMMAND_RANGE_HANDLER(ID_TRAY_PROFILE1, ID_TRAY_PROFILE11, OnMenuProfile)
        COMMAND_ID_HANDLER(ID_TRAY_CLOSE, OnCloseTrayIcon)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_INPUT, OnRawInput)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void OnFinalMessage(HWND wnd) override;

private:
    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnSessionChange(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnTrayNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnLoadConfigurator(WORD, WORD, HWND, BOOL&);
    LRESULT OnMenuProfile(WORD, WORD id, HWND, BOOL&);
    LRESULT OnCloseTrayIcon(WORD, WORD, HWND, BOOL&);
    LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRawInput(UINT, WPARAM, LPARAM lParam, BOOL& handled);

    void LoadLanguage();
    void ArmAutoSwitch();
    void DisarmAutoSwitch();
    void ShowMenuAt(POINT point);
    bool IsDevicePresent();
    // Activates the profile on the device, remembering that this program did it, so that the service's
    // report of the change does not show the name a second time.
    bool ActivateOwnChoice(CDeviceManager& device, const GUID& guid);
    // Makes the three connections anew when they lead to a keyboard process that has ended.
    void ReplaceGoneEventSinks();

    bool m_comInitialised = false;
    CInterfacePins m_sinkPins;
    bool m_quitOnDestroy = false;
    bool m_iconCreated = false;
    bool m_shutDown = false;
    bool m_autoSwitchArmed = false;
    bool m_sessionRegistered = false;

    // Declared before the notification icon, which still names the tray icon while it goes.
    CIcon m_windowIcon;
    CIcon m_windowIconSmall;
    CIcon m_trayIcon;
    CTrayNotifyIcon m_icon;
    std::vector<std::wstring> m_profileNames;
    std::vector<GUID> m_profileGuids;  // the menu's profiles, at their names' places
    std::vector<ProfileSetting> m_profileSettings;
    // The profile this program activated last, until the service reports the next change; GUID_NULL
    // for none.
    GUID m_ownActivation = GUID_NULL;
    HMENU m_menu = nullptr;
    POINT m_clickPoint{0, 0};
    UINT_PTR m_pendingClickTimer = 0;
    std::unique_ptr<COsdDisplay> m_osd;
    HDEVNOTIFY m_deviceWatch = nullptr;
    std::unique_ptr<CDpiEventConnection> m_dpiConnection;  // never made: the program shows no sensitivity
    std::unique_ptr<CProfileEventConnection> m_profileConnection;
    std::unique_ptr<CMacroEventConnection> m_macroConnection;
    std::unique_ptr<CLaunchAppEventConnection> m_launchConnection;
    SkinItemList m_languageItems;
};

} // namespace tray
