// Reading BACKGROUND and MASK elements into panel bitmaps, and the GUIPANEL top element they open.
#include "skin/PanelBitmap.h"

#include <memory>

#include "framework/Wnd.h"
#include "model/NameTables.h"
#include "skin/SkinElements.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"
#include "skin/SkinValues.h"

namespace {

// BACKGROUND, then MASK; the first that can't be read ends the file, naming its picture when it names
// one.
bool ReadPanelRoot(const pugi::xml_node& panel, SkinLoadContext& context)
{
    for (const char* name : {"BACKGROUND", "MASK"}) {
        CPanelBitmap* bitmap = ReadPanelBitmap(panel, name, context.parent, context.damagedFile);
        if (!bitmap)
            return false;
        context.list.push_back(bitmap);
    }
    return true;
}

} // namespace

CPanelBitmap* ReadPanelBitmap(const pugi::xml_node& root, const char* elementName, CWnd* parent,
                              std::wstring* damagedFile)
{
    // The window's own picture, not the cache's: a panel's background and mask are the largest pictures
    // of the skin, and nothing else shows them.
    const std::wstring name = TrimmedFileName(ElementText(root.child(elementName)));
    if (name.empty())
        return nullptr;
    auto item = std::make_unique<CPanelBitmap>();
    if (!LoadPrivateSkinImage(name, *item) || item->IsNull()) {
        if (damagedFile)
            *damagedFile = L"skins\\" + name;
        return nullptr;
    }
    item->m_copy = *item;
    item->m_id = FindSkinResourceId(pugi::as_wide(elementName));
    item->m_type = SkinItemType::PanelBitmap;
    item->m_window = nullptr;
    item->m_owner = parent;
    return item.release();
}

void AddSkinPanelRoot()
{
    AddSkinPictureDecoder();
    AddSkinRootReader("GUIPANEL", &ReadPanelRoot);
}
