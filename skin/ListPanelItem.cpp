// CListPanelItem: entries and selection, opening the popup, the LISTPANEL reader, and the list popup
// that drop-downs open.
#include "skin/ListPanelItem.h"

#include <memory>

#include "framework/Wnd.h"
#include "skin/ListPanel.h"
#include "skin/ListPopup.h"
#include "skin/SkinElements.h"

int CListPanelItem::PopupEntryList(HWND window, int height, int x, int y)
{
    POINT corner = {x, y};
    ::ClientToScreen(window, &corner);
    const int popupHeight = height != 0 ? height : m_defaultHeight;
    const RECT rect = {corner.x, corner.y, corner.x + m_width, corner.y + popupHeight};

    CListPanel panel(m_owner, PopupBoxTemplate(), m_sorted, &m_entries, rect);
    panel.m_font = m_font;
    panel.m_clrText = m_clrText;
    panel.m_clrTextHot = m_clrTextHot;
    panel.m_clrDisabledText = m_clrDisabledText;
    panel.m_clrBack = m_clrBack;
    panel.m_clrBackHot = m_clrBackHot;
    panel.m_clrDisabledBack = m_clrDisabledBack;
    panel.m_clrBorder = m_clrBorder;
    panel.m_borderWidth = m_borderWidth;
    panel.m_scrollBarWidth = m_scrollBarWidth;
    if (m_scrollBarWidth != 0)
        panel.m_scrollBitmaps = m_scrollBitmaps;
    // A menu (the default height): its entries stand in from the edge as a list's cells do, with some
    // air between them, and it is as tall as they are.
    panel.m_textInset = kMenuTextInset;
    panel.m_rowPadding = height == 0 ? kMenuRowPadding : 0;
    panel.m_fitToRows = height == 0;
    return static_cast<int>(panel.DoModal());
}

void CListPanelItem::SetEntries(const ListEntries& entries)
{
    m_entries.clear();
    for (const ListEntry& entry : entries)
        m_entries.push_back(ListEntry{entry.text, entry.subList, false});
}

std::wstring CListPanelItem::GetEntryText(int index) const { return ListEntryText(m_entries, index); }

const std::wstring* CListPanelItem::GetEntryTextOrNull(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return nullptr;
    return &m_entries[static_cast<size_t>(index)].text;
}

int CListPanelItem::FindEntry(const LVFINDINFOW* info) const { return FindListEntry(m_entries, info); }

int CListPanelItem::GetCurSel() const
{
    if (m_selectedText.empty())
        return -1;
    return FindListEntryText(m_entries, m_selectedText);
}

int CListPanelItem::SetCurSel(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return 0;
    m_selectedText = m_entries[static_cast<size_t>(index)].text;
    return 1;
}

namespace {

struct ListPanelColourRow {
    const char* attribute;
    COLORREF CListPanelItem::*colour;
};

const ListPanelColourRow kListPanelColours[] = {
    {"fontclr", &CListPanelItem::m_clrText},
    {"fontclrhi", &CListPanelItem::m_clrTextHot},
    {"disbfontclr", &CListPanelItem::m_clrDisabledText},
    {"backclr", &CListPanelItem::m_clrBack},
    {"backclrhi", &CListPanelItem::m_clrBackHot},
    {"bdrclr", &CListPanelItem::m_clrBorder},
    {"disbbackclr", &CListPanelItem::m_clrDisabledBack},
};

} // namespace

CGUIItem* CreateListPanelItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;

    auto item = std::make_unique<CListPanelItem>();
    const RECT rect = ReadItemRect(element, id, kRectAsIs);
    item->m_width = rect.right;
    item->m_defaultHeight = rect.bottom;
    for (const ListPanelColourRow& row : kListPanelColours) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, row.attribute, colour))
            (*item).*(row.colour) = colour;
    }
    if (element.attribute("bdrwidth")) {
        const int width = ParseDecimal(AttributeText(element, "bdrwidth"));
        item->m_borderWidth = width < 0 ? 0 : width;
    }
    item->m_font = ReadItemFont(element, id, context.list);
    item->m_sorted = ReadSortedFlag(element);

    ListEntries entries;
    const pugi::xml_node items = element.child("LISTPANELITEMS");
    for (pugi::xml_node entry = items.child("LISTPANELITEM"); entry; entry = entry.next_sibling("LISTPANELITEM"))
        entries.push_back(ListEntry{TrimmedFileName(ElementText(entry)), nullptr, false});
    if (!entries.empty())
        item->SetEntries(entries);

    ReadScrollBarBitmaps(element, item->m_scrollBitmaps);
    if (item->m_scrollBitmaps.thumb)
        item->m_scrollBarWidth = static_cast<int>(item->m_scrollBitmaps.thumb->GetSize().cx);

    item->m_id = id;
    item->m_type = SkinItemType::ListPanel;
    item->m_window = nullptr;
    item->m_owner = context.parent;
    return item.release();
}

int RunListPanelPopup(const ListPopupRequest& request)
{
    CListPanel panel(CWnd::FromHandlePermanent(request.owner), PopupBoxTemplate(), request.sorted, request.entries,
                     request.screenRect);
    panel.m_font = request.font;
    panel.m_clrText = request.textColour;
    panel.m_clrTextHot = request.textColourHot;
    panel.m_clrBack = request.backColour;
    panel.m_clrBackHot = request.backColourHot;
    panel.m_clrBorder = request.borderColour;
    panel.m_borderWidth = request.borderWidth;
    panel.m_scrollBarWidth = request.scrollBarWidth;
    panel.m_scrollBitmaps = request.scrollBarBitmaps;
    panel.m_prefix = request.prefix;
    return static_cast<int>(panel.DoModal());
}

int ListPanelSubListChoice(const CListPanelItem* subList, std::wstring* text)
{
    if (!subList)
        return -1;
    const int choice = subList->GetCurSel();
    if (choice != -1 && text)
        *text = subList->GetEntryText(choice);
    return choice;
}
