// The tray icon's menu: the configurator item, the device's profiles with the active one checked, and
// the close item.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CLangTable;

namespace tray {

// The menu as the program ships it: one popup with the configurator item, eleven profile items and the
// close item, without separators. The caller destroys it.
HMENU LoadTrayMenu();

// The menu for these profile names (at most eleven are shown) with the one equal to `active` (exactly,
// with case) checked, separators around the profiles, and the configurator and close texts from the
// language table when it holds them. The configurator item is the default. The caller destroys it.
HMENU BuildTrayMenu(const std::vector<std::wstring>& names, const std::wstring& active, const CLangTable* language);

// A name as a menu item shows it: "&" would otherwise underline the next character.
std::wstring MenuItemText(const std::wstring& name);

} // namespace tray
