// Keyboard layout entries (the KBLAYOUT elements of KeyboardLayout.xml: a Windows keyboard layout and the
// keyboard page drawn for it) and the program-wide selection of one of them: its layout is loaded and
// made the layout of the process, and the layout that was active before comes back at exit.
#pragma once

#include <windows.h>

#include <string>

#include <pugixml.hpp>

#include "skin/GUIItem.h"

struct SkinLoadContext;

// The layout chosen when the device's layout is unknown or not listed: KBLAYOUT_ENGLISH.
constexpr int kDefaultKeyboardLayoutId = 362;

// One supported layout (item type 23, no window). Deleting an entry takes it out of KeyboardLayoutMap()
// and, when it is the selected one, clears the selection, so no pointer to it is left behind.
class CKeyboardLayoutSetting : public CGUIItem {
public:
    CKeyboardLayoutSetting();
    ~CKeyboardLayoutSetting() override;

    std::wstring m_layoutId;  // handed to LoadKeyboardLayout: eight hexadecimal digits, such as "00000407"
    std::wstring m_pageFile;  // the KEYBOARD skin file of the keyboard page drawn for this layout
};

// Reader of a KBLAYOUT element: `name` (skin identifier), `kbdlayout` (layout identifier) and `kbditems`
// (page file), absent texts empty. Null when the name is unknown. The loader enters entries with a
// layout id (362..377) in KeyboardLayoutMap().
CGUIItem* ReadKeyboardLayoutElement(const pugi::xml_node& element, SkinLoadContext& context);

// Selects the entry of `layoutId` in KeyboardLayoutMap(), after giving back what an earlier selection
// loaded: loads its Windows layout and activates it for the process, and makes it the layout that key
// names are worked out in (SetCurrentKeyLayout). False, with nothing changed, when the map has no entry
// of that id; true otherwise, also when Windows can't load the layout (the entry is selected all the
// same and the layouts are left as they are).
bool SelectKeyboardLayout(int layoutId);

// At exit: reactivates the layout that was active before the selection and unloads the one the
// selection loaded (unless it was loaded before), then empties KeyboardLayoutMap(). A failed call
// leaves the handles as they are.
void RestoreKeyboardLayout();

// The selected entry, whose page file names the keyboard page; null before any selection.
CKeyboardLayoutSetting* SelectedKeyboardLayout();
// The layout the selection loaded and the one to return to at exit; null when there is nothing to give
// back.
HKL LoadedKeyboardLayout();
HKL PreviousKeyboardLayout();
