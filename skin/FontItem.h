// CFontItem: a font of a skin file (FONT element), which the file's controls name by its item id.
#pragma once

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "skin/GUIItem.h"

class CWnd;

// The font is the object itself; deleting the item deletes the font.
class CFontItem : public CFont, public CGUIItem {
public:
    CFontItem() = default;
    ~CFontItem() override = default;
};

// Reads a FONT element: the typeface, height (pitch), weight (boldlevel) and an optional private font
// file (the element text) that is registered with the system first. Null when the name is unknown or
// the font can't be created. The caller appends the item to its list.
CFontItem* ReadFontElement(const pugi::xml_node& element, CWnd* parent);
