// The skin file loader: reads a skin file (XML below the program's xml\ folder) and appends one skin
// object per element to an item list, creating controls as children of a given parent window.
#pragma once

#include <functional>
#include <map>
#include <string>

#include <windows.h>

#include "skin/GUIItem.h"

class CWnd;
struct SkinLoadContext;
namespace pugi {
class xml_node;
}

// Loads AppFolder() + "xml\" + fileName into `list`; whatever could be read stays in the list. The
// result is LoadSkinPanelFile's, for the callers that cannot go on without the file.
bool LoadSkinFile(SkinItemList& list, const std::wstring& fileName, CWnd* parent,
                  std::wstring* damagedFile = nullptr);

// Loads the skin file at `path` into `list`. The top element is KEYBOARD (key definitions first),
// GUIPANEL (BACKGROUND and MASK first) or ITEMLIST, tried in that order; then the list sections follow
// in their fixed order, whatever their order in the file. False when the list is null, the file can't
// be parsed, it has no known top element (KEYBOARD and GUIPANEL are known once added, below), or the
// key definitions, background or mask can't be read, or a language's text file can't be read (the rest
// of the file is read all the same). A file nested deeper than kMaxSkinFileDepth is refused as damaged.
// On false, `damagedFile` (when given) names the picture or data file at fault below the program folder
// ("skins\...", "bin\...", "lang\..."), or is empty when the skin file itself is; LoadSkinFile names
// the skin file then.
bool LoadSkinPanelFile(const std::wstring& path, SkinItemList* list, CWnd* parent,
                       std::wstring* damagedFile = nullptr);

// Reads what a top element holds before its list sections (the key definitions, a panel's pictures)
// into context.list. False ends the load as failed, with *context.damagedFile (always given, empty
// when called) naming the picture or data file at fault below the program folder, or left empty when
// the skin file itself is.
using SkinRootReader = bool (*)(const pugi::xml_node& root, SkinLoadContext& context);

// The loader knows ITEMLIST alone; a program adds the other top elements its skin files have before it
// loads them, so that one that never reads a keyboard page or a panel carries neither reader. A name
// already added keeps its reader.
void AddSkinRootReader(const char* element, SkinRootReader reader);
// KEYBOARD: the keyboard pages, with the key definitions (KeyboardRoot.cpp).
void AddSkinKeyboardRoot();
// GUIPANEL: panels and popups, with their background and mask and the decoding of pictures
// (PanelBitmap.cpp).
void AddSkinPanelRoot();

// Tells the user that a file of the installation is missing or damaged (`file` below the program
// folder), in a plain message box over `owner` (none: on its own), since the skin may be what is broken.
// The program decides whether it goes on. Tests replace the box with a handler of their own; null
// restores it.
void ReportDamagedInstallation(const std::wstring& file, HWND owner = nullptr);
void SetDamagedInstallationHandler(std::function<void(const std::wstring& file)> handler);
// The message box's title, the program's name.
void SetDamagedInstallationTitle(const std::wstring& title);

// Keyboard layout entries (ids 362..377) by id, program-wide; entries stay owned by their item lists,
// so an entry takes itself out with ForgetKeyboardLayout when it is deleted.
std::map<int, CGUIItem*>& KeyboardLayoutMap();
void ForgetKeyboardLayout(const CGUIItem* item);
