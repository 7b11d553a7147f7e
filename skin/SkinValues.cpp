// The value readers shared by the skin element readers.
#include "skin/SkinValues.h"

#include <climits>
#include <cwctype>

#include "framework/Gdi.h"
#include "model/NameTables.h"
#include "skin/LangTable.h"
#include "skin/SkinResources.h"

bool IsTrueFlag(const pugi::xml_node& element, const char* name)
{
    const char* value = element.attribute(name).value();
    switch (value[0]) {
    case '1':
    case 't':
    case 'T':
    case 'y':
    case 'Y':
        return true;
    default:
        return false;
    }
}

namespace {

// The override text of the item under `key`, else the attribute of the same name. False when neither
// exists.
bool OverriddenAttribute(const pugi::xml_node& element, int itemId, const char* key, std::wstring& text)
{
    if (OverrideText(CurrentLangTable(), itemId, pugi::as_wide(key), text))
        return true;
    pugi::xml_attribute attribute = element.attribute(key);
    if (!attribute)
        return false;
    text = pugi::as_wide(attribute.value());
    return true;
}

int ClampToInt(long long value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

std::wstring AttributeText(const pugi::xml_node& element, const char* name)
{
    return pugi::as_wide(element.attribute(name).value());
}

std::wstring ElementText(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return pugi::as_wide(child.value());
    }
    return std::wstring();
}

namespace {

// Hands each node to `visit` and stops at the first one more than `maxDepth` levels below the walk's
// start. pugixml walks without recursion; its depth() is 0 for the start's children.
class DepthLimitedWalk : public pugi::xml_tree_walker {
public:
    DepthLimitedWalk(int maxDepth, const std::function<void(const pugi::xml_node&)>& visit)
        : m_maxDepth(maxDepth), m_visit(visit)
    {
    }

    bool for_each(pugi::xml_node& node) override
    {
        if (depth() >= m_maxDepth)
            return false;
        if (m_visit)
            m_visit(node);
        return true;
    }

private:
    const int m_maxDepth;
    const std::function<void(const pugi::xml_node&)>& m_visit;
};

} // namespace

bool NestedDeeperThan(const pugi::xml_node& root, int maxDepth,
                      const std::function<void(const pugi::xml_node&)>& visit)
{
    DepthLimitedWalk walk(maxDepth, visit);
    pugi::xml_node start = root;
    return !start.traverse(walk);
}

std::wstring TrimmedFileName(const std::wstring& name)
{
    size_t first = 0;
    size_t last = name.size();
    while (first < last && std::iswspace(name[first]))
        ++first;
    while (last > first && std::iswspace(name[last - 1]))
        --last;
    return name.substr(first, last - first);
}

int ParseDecimal(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulating past the int range would overflow; the value saturates instead.
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (text[i] - L'0');
    }
    return ClampToInt(negative ? -value : value);
}

int ReadItemId(const pugi::xml_node& element)
{
    pugi::xml_attribute name = element.attribute("name");
    if (!name)
        return -1;
    return FindSkinResourceId(pugi::as_wide(name.value()));
}

RECT ParseRectElement(const pugi::xml_node& rectElement)
{
    RECT rc = {};
    rc.left = ParseDecimal(AttributeText(rectElement, "left"));
    rc.top = ParseDecimal(AttributeText(rectElement, "top"));
    rc.right = ParseDecimal(AttributeText(rectElement, "right"));
    rc.bottom = ParseDecimal(AttributeText(rectElement, "bottom"));
    return rc;
}

RECT ReadItemRect(const pugi::xml_node& element, int itemId, int mode)
{
    RECT rc = {};
    if (!OverrideRect(CurrentLangTable(), itemId, rc))
        rc = ParseRectElement(element.child("RECT"));
    if (mode == kRectWidthHeight) {
        // Sums of file values may leave the int range; they saturate rather than wrap.
        rc.right = ClampToInt(static_cast<long long>(rc.left) + rc.right);
        rc.bottom = ClampToInt(static_cast<long long>(rc.top) + rc.bottom);
    }
    return rc;
}

CFont* ReadItemFont(const pugi::xml_node& element, int itemId, const SkinItemList& list)
{
    pugi::xml_attribute attribute = element.attribute("fontid");
    int fontId = attribute ? FindSkinResourceId(pugi::as_wide(attribute.value())) : -1;

    const CLangTable* table = CurrentLangTable();
    std::wstring overrideName;
    if (OverrideText(table, itemId, L"fontid", overrideName)) {
        // A language that names a font of its own has chosen it: no replacement applies on top.
        int overrideId = FindSkinResourceId(overrideName);
        if (overrideId != -1)
            fontId = overrideId;
    } else {
        if (fontId == -1)
            return nullptr;
        if (table) {
            auto replacement = table->m_fontReplacements.find(fontId);
            if (replacement != table->m_fontReplacements.end() && replacement->second != 0)
                fontId = replacement->second;
        }
    }
    if (fontId == -1)
        return nullptr;
    CGUIItem* item = FindItemById(list, fontId);
    if (!item || item->m_type != SkinItemType::Font)
        return nullptr;
    return dynamic_cast<CFont*>(item);
}

CGUIItem* FindContainerItem(const pugi::xml_node& element, const char* attributeName, const SkinItemList& list)
{
    pugi::xml_attribute attribute = element.attribute(attributeName);
    if (!attribute)
        return nullptr;
    int id = FindSkinResourceId(pugi::as_wide(attribute.value()));
    if (id == -1)
        return nullptr;
    CGUIItem* item = FindItemById(list, id);
    return (item && item->m_type == SkinItemType::BitmapItem) ? item : nullptr;
}

bool ReadColourAttribute(const pugi::xml_node& element, const char* attributeName, COLORREF& colour)
{
    pugi::xml_attribute attribute = element.attribute(attributeName);
    if (!attribute)
        return false;
    int found = FindColourByName(pugi::as_wide(attribute.value()));
    colour = found == -1 ? 0xFFFFFFFF : static_cast<COLORREF>(found);
    return true;
}

bool ReadTooltip(const pugi::xml_node& element, std::wstring& text)
{
    pugi::xml_attribute attribute = element.attribute("tooltip");
    if (!attribute)
        return false;
    text = pugi::as_wide(attribute.value());
    return true;
}

int ReadCaps(const pugi::xml_node& element, int itemId)
{
    std::wstring text;
    if (!OverriddenAttribute(element, itemId, "caps", text) || text.empty())
        return 0;
    if (text[0] == L'L')
        return 2;
    if (text[0] == L'U')
        return 1;
    return 0;
}

wchar_t ReadJustify(const pugi::xml_node& element)
{
    const char first = element.attribute("justify").value()[0];
    if (first == 'C')
        return L'C';
    if (first == 'R')
        return L'R';
    return L'L';
}

bool ReadMultiline(const pugi::xml_node& element, int itemId)
{
    std::wstring text;
    return OverriddenAttribute(element, itemId, "multiline", text) && ParseDecimal(text) == 1;
}

bool ReadCheckboxFlag(const pugi::xml_node& element)
{
    return IsTrueFlag(element, "ischeckbox");
}

bool ReadInteractiveFlag(const pugi::xml_node& element)
{
    return IsTrueFlag(element, "interactive");
}

bool ReadSortedFlag(const pugi::xml_node& element)
{
    return IsTrueFlag(element, "sorted");
}

CBitmap* ResolveSkinImage(const std::wstring& fileName)
{
    std::wstring name = TrimmedFileName(fileName);
    return name.empty() ? nullptr : GetSkinImage(name);
}

HBITMAP ResolveSkinBitmap(const std::wstring& fileName)
{
    std::wstring name = TrimmedFileName(fileName);
    return name.empty() ? nullptr : GetSkinDibBitmap(name);
}

const BYTE* ResolveLanguageData(const std::wstring& fileName, int* size)
{
    if (size)
        *size = 0;
    std::wstring name = TrimmedFileName(fileName);
    if (name.empty())
        return nullptr;
    SkinResource* entry = FindSkinResource(name, kSkinLanguageData);
    if (size)
        *size = entry->size;
    return entry->Buffer();
}

CBitmap* LoadChildBitmap(const char* childName, const pugi::xml_node& element)
{
    pugi::xml_node child = element.child(childName);
    if (!child)
        return nullptr;
    return ResolveSkinImage(ElementText(child));
}

CBitmap* ReadStateBitmap(const pugi::xml_node& element, int itemId, const char* childName)
{
    std::wstring fileName;
    if (OverrideText(CurrentLangTable(), itemId, pugi::as_wide(childName), fileName))
        return ResolveSkinImage(fileName);
    return LoadChildBitmap(childName, element);
}

bool ReadStateBitmaps(const pugi::xml_node& element, int itemId, StateBitmaps& out)
{
    out = StateBitmaps();
    out.rect = ReadItemRect(element, itemId, kRectWidthHeight);
    if (element.child("SBMN")) {
        out.normal = LoadChildBitmap("SBMN", element);
        out.over = LoadChildBitmap("SBMO", element);
        out.pressed = LoadChildBitmap("SBMD", element);
        out.disabled = LoadChildBitmap("SBMDS", element);
        out.mask = LoadChildBitmap("SBMM", element);
    }
    return out.normal != nullptr;
}

void ReadScrollBarBitmaps(const pugi::xml_node& element, ScrollBarBitmaps& out)
{
    out = ScrollBarBitmaps();
    pugi::xml_node scroll = element.child("VSCROLL");
    if (!scroll)
        return;
    out.top = LoadChildBitmap("VSBMP_TOP", scroll);
    out.bottom = LoadChildBitmap("VSBMP_BOT", scroll);
    out.arrowUp = LoadChildBitmap("VSBMP_AUP", scroll);
    out.arrowDown = LoadChildBitmap("VSBMP_ADN", scroll);
    out.span = LoadChildBitmap("VSBMP_SPN", scroll);
    out.thumb = LoadChildBitmap("VSBMP_TMB", scroll);
}
