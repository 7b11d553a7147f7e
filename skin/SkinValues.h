// The value readers every skin element reader shares: item ids, rectangles, fonts, container windows,
// colours, text flags, state images and scroll bar images, with the current language table's per-item
// overrides applied where a value may be overridden. Element and attribute names are matched exactly.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include <pugixml.hpp>

#include "skin/GUIItem.h"

class CBitmap;
class CFont;

// How ReadItemRect reads the four values of a RECT.
enum SkinRectMode : int {
    kRectAsIs = 0,         // left, top, right, bottom
    kRectWidthHeight = 1,  // left, top, width, height
};

// The value of an attribute as a wide string; empty when absent.
std::wstring AttributeText(const pugi::xml_node& element, const char* name);
// Whether the attribute is set: its text starts with 1, t, T, y or Y.
bool IsTrueFlag(const pugi::xml_node& element, const char* name);

// The text of the node's first plain or CDATA character-data child; empty without one.
std::wstring ElementText(const pugi::xml_node& node);

// Skin files nest a few levels deep. A document nested deeper than this is damaged: nothing reads it,
// so that no walk of a skin file depends on how deep a broken file goes.
constexpr int kMaxSkinFileDepth = 64;
// Whether any node lies more than `maxDepth` levels below `root`; walks without recursion. `visit`
// (when given) sees every node below `root` in document order until the first one too deep.
bool NestedDeeperThan(const pugi::xml_node& root, int maxDepth,
                      const std::function<void(const pugi::xml_node&)>& visit = {});

// A file name with white space cut from both ends.
std::wstring TrimmedFileName(const std::wstring& name);

// A decimal integer as atoi reads it (leading blanks, sign, digits; 0 when there are none), clamped to
// the int range.
int ParseDecimal(const std::wstring& text);

// The item id named by the `name` attribute (case-insensitive), or -1 when absent or unknown.
int ReadItemId(const pugi::xml_node& element);

// The integer attributes left, top, right and bottom of a RECT element as they stand; missing ones 0.
RECT ParseRectElement(const pugi::xml_node& rectElement);

// The control's rectangle: the "RECT" override of the item, else the RECT child (empty without one),
// read in `mode`.
RECT ReadItemRect(const pugi::xml_node& element, int itemId, int mode);

// The font the control is to use: the FONT item of `list` named by the "fontid" override or the
// fontid attribute, after the current language's font replacement; null when there is none.
CFont* ReadItemFont(const pugi::xml_node& element, int itemId, const SkinItemList& list);

// The item of `list` named by the attribute when it is a BITMAPITEM (type 1); null otherwise.
CGUIItem* FindContainerItem(const pugi::xml_node& element, const char* attributeName, const SkinItemList& list);

// False when the attribute is absent; else true with the named colour, or 0xFFFFFFFF for an unknown
// name.
bool ReadColourAttribute(const pugi::xml_node& element, const char* attributeName, COLORREF& colour);

// The tooltip attribute, when present.
bool ReadTooltip(const pugi::xml_node& element, std::wstring& text);

// Letter case of a control's text: 0 as written, 1 upper ("U..."), 2 lower ("L..."). Overridable.
int ReadCaps(const pugi::xml_node& element, int itemId);

// L'L', L'C' or L'R' from the first character of the justify attribute; left unless "C" or "R".
wchar_t ReadJustify(const pugi::xml_node& element);

// True when the multiline attribute (or its override) is the integer 1.
bool ReadMultiline(const pugi::xml_node& element, int itemId);

// The ischeckbox / interactive flags: true when the value begins with 1, t, T, y or Y.
bool ReadCheckboxFlag(const pugi::xml_node& element);
bool ReadInteractiveFlag(const pugi::xml_node& element);
// The sorted flag of a list (drop-down, list panel), read the same way.
bool ReadSortedFlag(const pugi::xml_node& element);

// Cache lookups of a file name (trimmed first); null for an empty name or a file that can't be loaded.
CBitmap* ResolveSkinImage(const std::wstring& fileName);    // picture from skins\ (kind 0)
HBITMAP ResolveSkinBitmap(const std::wstring& fileName);    // DIB section from skins\ (kind 1)
const BYTE* ResolveLanguageData(const std::wstring& fileName, int* size = nullptr);  // lang\ (kind 5)

// The image named by the text of the element's child `childName`; null when the child is absent or
// the image can't be loaded.
CBitmap* LoadChildBitmap(const char* childName, const pugi::xml_node& element);

// A state image of a button: the image named by the item's override of `childName`, else
// LoadChildBitmap.
CBitmap* ReadStateBitmap(const pugi::xml_node& element, int itemId, const char* childName);

// The images of a keyboard key and its rectangle (width/height mode).
struct StateBitmaps {
    CBitmap* normal = nullptr;    // SBMN
    CBitmap* over = nullptr;      // SBMO
    CBitmap* pressed = nullptr;   // SBMD
    CBitmap* disabled = nullptr;  // SBMDS
    CBitmap* mask = nullptr;      // SBMM
    RECT rect = {};
};

// Fills `out`; the images are read only when the element has an SBMN child. True when the normal image
// exists.
bool ReadStateBitmaps(const pugi::xml_node& element, int itemId, StateBitmaps& out);

// The images of a vertical scroll bar, from the children of a VSCROLL element.
struct ScrollBarBitmaps {
    CBitmap* top = nullptr;        // VSBMP_TOP
    CBitmap* bottom = nullptr;     // VSBMP_BOT
    CBitmap* arrowUp = nullptr;    // VSBMP_AUP
    CBitmap* arrowDown = nullptr;  // VSBMP_ADN
    CBitmap* span = nullptr;       // VSBMP_SPN
    CBitmap* thumb = nullptr;      // VSBMP_TMB
};

// Fills `out` from the element's VSCROLL child; all null without one.
void ReadScrollBarBitmaps(const pugi::xml_node& element, ScrollBarBitmaps& out);
