// Reading BACKGROUND and MASK elements into panel bitmaps.
#include "skin/PanelBitmap.h"

#include <memory>

#include "framework/Wnd.h"
#include "model/NameTables.h"
#include "skin/DrawingHelpers.h"
#include "skin/SkinValues.h"

CPanelBitmap* ReadPanelBitmap(const pugi::xml_node& root, const char* elementName, CWnd* parent)
{
    CBitmap* image = LoadChildBitmap(elementName, root);
    if (!image || image->IsNull())
        return nullptr;
    const SIZE size = image->GetSize();

    auto item = std::make_unique<CPanelBitmap>();
    {
        CClientDC dc(parent ? parent->m_hWnd : nullptr);
        if (!dc.GetSafeHdc() || !CopyBitmapRect(*item, dc, *image, 0, 0, size.cx, size.cy))
            return nullptr;
    }
    item->m_copy = *item;
    item->m_id = FindSkinResourceId(pugi::as_wide(elementName));
    item->m_type = SkinItemType::PanelBitmap;
    item->m_window = nullptr;
    item->m_owner = parent;
    return item.release();
}
