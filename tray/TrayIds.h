// Identifiers the tray program's windows agree on: menu commands, timers, private messages and the
// names it is known by to other processes.
#pragma once

#include <windows.h>

namespace tray {

// Menu commands. The profile items are consecutive; their index is the command minus ID_TRAY_PROFILE1.
constexpr UINT ID_TRAY_LOADCONFIGURATOR = 32770;
constexpr UINT ID_TRAY_PROFILE1 = 32771;
constexpr UINT kMenuProfileSlots = 11;
constexpr UINT ID_TRAY_PROFILE11 = ID_TRAY_PROFILE1 + kMenuProfileSlots - 1;  // 32781
constexpr UINT ID_TRAY_CLOSE = 33000;
constexpr UINT kCmdAboutBox = 0x0010;  // system menu command; the system keeps the low four bits

// Timers of the hidden dialog and of the on-screen display window.
constexpr UINT_PTR AutoSwitchTimer = 700;
constexpr UINT kAutoSwitchPeriodMs = 5000;
constexpr UINT_PTR TrayClickTimer = 701;
constexpr UINT_PTR OsdHideTimer = 101;
constexpr UINT kOsdShowMs = 2000;

// Private messages.
constexpr UINT TrayCallbackMessage = 0x464;
constexpr UINT OsdShowMessage = WM_USER + 12;

// The notification-area icon's id, which the shell hands back with each callback.
constexpr UINT kTrayIconId = 129;

// The program's icon resources (TrayIcons.rc): the dialog's window icon and the notification-area icon.
constexpr UINT kWindowIconResource = 128;
constexpr UINT kTrayIconResource = 131;

// Names other processes see.
constexpr const wchar_t* kSingleInstanceMutex = L"TessarySysTray";
constexpr const wchar_t* kDialogTitle = L"TessaryTray";
constexpr const wchar_t* kConfiguratorExe = L"TessaryConfig.exe";
constexpr const wchar_t* kOsdWindowClass = L"tsy_osd";

// The keyboard's product id (its paths' tags: framework/DeviceInterfaceNotice.h).
constexpr DWORD kKeyboardProductId = 0x0110;

// Languages: the id taken when the registry names none.
constexpr int kDefaultLanguageId = 345;

} // namespace tray
