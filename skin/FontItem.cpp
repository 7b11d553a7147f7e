// Reading FONT elements into font items.
#include "skin/FontItem.h"

#include <cwchar>
#include <memory>
#include <string>

#include "skin/SkinResources.h"
#include "skin/SkinValues.h"

CFontItem* ReadFontElement(const pugi::xml_node& element, CWnd* parent)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;

    LOGFONTW lf = {};
    lf.lfPitchAndFamily = 0x20;
    const std::wstring typeface = AttributeText(element, "typeface");
    if (!typeface.empty()) {
        // The face buffer is fixed; a longer name is cut so that the terminator still fits.
        const size_t capacity = sizeof(lf.lfFaceName) / sizeof(lf.lfFaceName[0]);
        typeface.copy(lf.lfFaceName, capacity - 1);
        lf.lfFaceName[capacity - 1] = L'\0';
    }
    const int pitch = ParseDecimal(AttributeText(element, "pitch"));
    if (pitch > 0)
        lf.lfHeight = pitch;
    const int weight = ParseDecimal(AttributeText(element, "boldlevel"));
    if (weight > 0)
        lf.lfWeight = weight;

    // A private font file must be registered before a font of its face can be created.
    const std::wstring fontFile = TrimmedFileName(ElementText(element));
    if (!fontFile.empty())
        FindSkinResource(fontFile, kSkinFontFile);

    auto item = std::make_unique<CFontItem>();
    if (!item->CreateFontIndirect(&lf))
        return nullptr;
    item->m_id = id;
    item->m_type = SkinItemType::Font;
    item->m_window = nullptr;
    item->m_owner = parent;
    return item.release();
}
