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

// No profile of the list is the active one.
constexpr size_t kNoActiveProfile = static_cast<size_t>(-1);

// The menu for these profile names (at most eleven are shown) with the one at place `active` checked
// (names need not be unique: the place tells the active profile), separators around the profiles, and
// the configurator and close texts from the language table when it holds them. The configurator item
// is the default. The caller destroys it.
HMENU BuildTrayMenu(const std::vector<std::wstring>& names, size_t active, const CLangTable* language);

// A name as a menu item shows it: "&" would otherwise underline the next character.
std::wstring MenuItemText(const std::wstring& name);

} // namespace tray
