// CreateXListCtrl: the reader of a LISTCTRL skin element and its columns.
#include "skin/ListCtrlEx.h"

#include <memory>

#include "model/NameTables.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

struct ListColourRow {
    const char* attribute;
    COLORREF CXListCtrl::*colour;
};

const ListColourRow kListColours[] = {
    {"fontclr", &CXListCtrl::m_clrText},
    {"fontclrhi", &CXListCtrl::m_clrTextHi},
    {"backclr", &CXListCtrl::m_clrBack},
    {"backclrhi", &CXListCtrl::m_clrBackHi},
};

bool ReadExclusiveFlag(const pugi::xml_node& element)
{
    const std::wstring value = AttributeText(element, "exclusive");
    if (value.empty())
        return false;
    const wchar_t c = value[0];
    return c == L'1' || c == L't' || c == L'T' || c == L'y' || c == L'Y';
}

} // namespace

CGUIItem* CreateXListCtrl(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    auto list = std::make_unique<CXListCtrl>();
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL;
    const pugi::xml_node headerElement = element.child("LISTHDR");
    if (!headerElement)
        style |= LVS_NOCOLUMNHEADER;
    const RECT rect = ReadItemRect(element, id, kRectWidthHeight);
    CWnd* parent = context.parent;
    list->m_font = ReadItemFont(element, id, context.list);
    for (const ListColourRow& row : kListColours) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, row.attribute, colour))
            (*list).*(row.colour) = colour;
    }
    if (!list->Create(style, rect, parent ? parent->m_hWnd : nullptr, static_cast<UINT>(id)))
        return nullptr;
    if (headerElement) {
        COLORREF colour = 0;
        if (ReadColourAttribute(headerElement, "backclr", colour))
            list->m_header.m_clrShadow = list->m_header.m_clrLight = list->m_header.m_clrBack = colour;
        if (ReadColourAttribute(headerElement, "fontclr", colour))
            list->m_header.m_clrText = colour;
    }
    list->SetExtendedListViewStyle(list->GetExtendedListViewStyle() | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB |
                                   LVS_EX_DOUBLEBUFFER);
    if (list->m_font)
        list->SetFont(*list->m_font);
    COLORREF colour = 0;
    if (ReadColourAttribute(element, "backclr", colour))
        list->SetBkColor(colour);
    if (ReadColourAttribute(element, "bdrclr", colour))
        list->SendMessage(LVM_SETOUTLINECOLOR, 0, colour);

    bool anyColumn = false;
    bool allOffered = true;
    for (pugi::xml_node column = element.child("LISTCOLUMN"); column; column = column.next_sibling("LISTCOLUMN")) {
        anyColumn = true;
        const int columnId = FindListColumnId(AttributeText(column, "name"));
        const int kind = FindColumnKind(AttributeText(column, "type"));
        int width = ParseDecimal(AttributeText(column, "width"));
        if (width < 0)
            width = 0;
        if (columnId == -1 || kind == -1 || width == 0) {
            allOffered = false;
            continue;
        }
        bool exclusive = false;
        CBitmap* off = nullptr;
        CBitmap* on = nullptr;
        CBitmap* mask = nullptr;
        if (kind == XListColumnKind::CheckBox) {
            exclusive = ReadExclusiveFlag(column);
            off = LoadChildBitmap("SBMN", column);
            on = LoadChildBitmap("SBMD", column);
            mask = LoadChildBitmap("SBMM", column);
        }
        const std::wstring caption = TrimmedFileName(ElementText(column));
        list->AddColumn(caption.c_str(), columnId, kind, width, exclusive, off, on, mask);
    }
    if (!anyColumn || !allOffered)
        return nullptr;

    list->m_id = id;
    list->m_type = SkinItemType::ListCtrl;
    list->m_window = list->m_hWnd;
    list->m_owner = parent;
    return list.release();
}
