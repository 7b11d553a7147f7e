// The tray program's user-visible texts: the language keys it looks up and the literal texts shown when
// no language table holds them.
#pragma once

namespace tray {

constexpr const wchar_t* kTooltipKey = L"$QuarnTessary";
constexpr const wchar_t* kTooltipText = L"Quarn Tessary";
constexpr const wchar_t* kLoadConfiguratorKey = L"$LoadTessaryConfigurator";
constexpr const wchar_t* kLoadConfiguratorText = L"Load Tessary Configurator";
constexpr const wchar_t* kCloseTrayKey = L"$CloseTrayIcon";
constexpr const wchar_t* kCloseTrayText = L"Close Tray Icon";
constexpr const wchar_t* kAboutMenuText = L"&About TessaryTray...";
constexpr const wchar_t* kAboutText = L"TessaryTray: profiles, on-screen display and macro recording for the Tessary keyboard.";
// Shown in a plain message box: the icon is all the user would see of the program.
constexpr const wchar_t* kIconFailedText = L"Failed to create tray icon 1";

// Recorded macros are named this, followed by a number.
constexpr const wchar_t* kNewMacroPrefix = L"New Macro";

} // namespace tray
