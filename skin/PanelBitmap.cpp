// Reading BACKGROUND and MASK elements into panel bitmaps.
#include "skin/PanelBitmap.h"

#include <memory>

#include "framework/Wnd.h"
#include "model/NameTables.h"
#include "skin/SkinValues.h"

CPanelBitmap* ReadPanelBitmap(const pugi::xml_node& root, const char* elementName, CWnd* parent)
{
    // The window's own picture, not the cache's: a panel's background and mask are the largest pictures
    // of the skin, and nothing else shows them.
    auto item = std::make_unique<CPanelBitmap>();
    if (!LoadPrivateChildBitmap(elementName, root, *item) || item->IsNull())
        return nullptr;
    item->m_copy = *item;
    item->m_id = FindSkinResourceId(pugi::as_wide(elementName));
    item->m_type = SkinItemType::PanelBitmap;
    item->m_window = nullptr;
    item->m_owner = parent;
    return item.release();
}
