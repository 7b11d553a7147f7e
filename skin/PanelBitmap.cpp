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
bool ReadPanelRoot(const pugi::xml_node& panel, SkinLoadContext& context, std::wstring& damagedFile)
{
    for (const char* name : {"BACKGROUND", "MASK"}) {
        CPanelBitmap* bitmap = ReadPanelBitmap(panel, name, context.parent);
        if (!bitmap) {
            const std::wstring picture = TrimmedFileName(ElementText(panel.child(name)));
            if (!picture.empty())
                damagedFile = L"skins\\" + picture;
            return false;
        }
        context.list.push_back(bitmap);
    }
    return true;
}

} // namespace

CPanelBitmap* ReadPanelBitmap(const pugi::xml_node& root, const char* elementName, CWnd* parent)
{
    // The window's own picture, not the cache's: a panel's background and mask are the largest pictures
    // of the skin, and nothing else shows them.
    pugi::xml_node child = root.child(elementName);
    const std::wstring name = child ? TrimmedFileName(ElementText(child)) : std::wstring();
    auto item = std::make_unique<CPanelBitmap>();
    if (name.empty() || !LoadPrivateSkinImage(name, *item) || item->IsNull())
        return nullptr;
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
