// The skin file loader: reads a skin file (XML below the program's xml\ folder) and appends one skin
// object per element to an item list, creating controls as children of a given parent window.
#pragma once

#include <map>
#include <string>

#include "skin/GUIItem.h"

class CWnd;

// Loads AppFolder() + "xml\" + fileName into `list`. Failures are not reported: whatever could be read
// stays in the list.
void LoadSkinFile(SkinItemList& list, const std::wstring& fileName, CWnd* parent);

// Loads the skin file at `path` into `list`. The top element is KEYBOARD (key definitions first),
// GUIPANEL (BACKGROUND and MASK first) or ITEMLIST; then the list sections follow in their fixed order,
// whatever their order in the file. False when the list is null, the file can't be parsed, it has no
// known top element, or the key definitions, background or mask can't be read.
bool LoadSkinPanelFile(const std::wstring& path, SkinItemList* list, CWnd* parent);

// Keyboard layout entries (ids 362..377) by id, program-wide; entries stay owned by their item lists,
// so an entry takes itself out with ForgetKeyboardLayout when it is deleted.
std::map<int, CGUIItem*>& KeyboardLayoutMap();
void ForgetKeyboardLayout(const CGUIItem* item);
