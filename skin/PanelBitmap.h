// CPanelBitmap: a panel's background or mask image (BACKGROUND and MASK elements), the panel's private
// copy of the skin image.
#pragma once

#include <string>

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
// which the item holds as its own (LoadPrivateSkinImage), outside the cache. Null when the child is
// missing or names no picture, or when the image can't be loaded: then `damagedFile` (when given)
// names it ("skins\<picture>"). The caller appends the item.
CPanelBitmap* ReadPanelBitmap(const pugi::xml_node& root, const char* elementName, CWnd* parent,
                              std::wstring* damagedFile = nullptr);
