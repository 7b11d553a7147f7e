// CPanelBitmap: a panel's background or mask image (BACKGROUND and MASK elements), a private copy of
// the skin image made for the panel window's device context.
#pragma once

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "skin/GUIItem.h"

class CWnd;

// The bitmap is the object's own copy; deleting the item deletes it. The cache's image is untouched.
class CPanelBitmap : public CBitmap, public CGUIItem {
public:
    CPanelBitmap() = default;
    ~CPanelBitmap() override = default;

    // The handle of the copy, which the panel turns into its window region.
    HBITMAP m_copy = nullptr;
};

// Reads the child `elementName` (BACKGROUND or MASK) of a skin root: its text names an image of skins\,
// which is copied into a bitmap compatible with the parent's DC (the screen's without a parent). Null
// when the child is missing or the image can't be loaded or copied. The caller appends the item.
CPanelBitmap* ReadPanelBitmap(const pugi::xml_node& root, const char* elementName, CWnd* parent);
