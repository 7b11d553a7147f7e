// CDropdownListItem: entries, painting of the closed box, opening the popup list, and the COMBO reader.
#include "skin/DropdownListItem.h"

#include <memory>

#include "skin/LangTable.h"
#include "skin/ListPopup.h"
#include "skin/MemDC.h"
#include "skin/SkinElements.h"

int CDropdownListItem::AddEntry(const std::wstring& text)
{
    m_entries.push_back(ListEntry{text, nullptr, false});
    return static_cast<int>(m_entries.size()) - 1;
}

bool CDropdownListItem::InsertEntry(const std::wstring& text, int index)
{
    if (index < 0)
        return false;
    // Past the end is outside the contract; it appends rather than writing out of bounds.
    const size_t at = static_cast<size_t>(index) < m_entries.size() ? static_cast<size_t>(index) : m_entries.size();
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(at), ListEntry{text, nullptr, false});
    return true;
}

void CDropdownListItem::ClearEntries() { m_entries.clear(); }

std::wstring CDropdownListItem::GetEntryText(int index) const { return ListEntryText(m_entries, index); }

int CDropdownListItem::FindEntry(const LVFINDINFOW* info) const { return FindListEntry(m_entries, info); }

int CDropdownListItem::GetCurSel() const
{
    if (m_selectedText.empty())
        return -1;
    return FindListEntryText(m_entries, m_selectedText);
}

int CDropdownListItem::SetCurSel(int index, const wchar_t* secondText)
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return 0;
    m_secondText.clear();
    if (secondText)
        m_secondText = secondText;
    m_selectedText = m_entries[static_cast<size_t>(index)].text;
    if (m_hWnd)
        Invalidate();
    return 1;
}

std::wstring CDropdownListItem::ShownText() const
{
    std::wstring text = m_leftGap + TranslateText(m_selectedText);
    if (!m_secondText.empty())
        text += L": " + m_secondText;
    return text;
}

LRESULT CDropdownListItem::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    RECT client = {};
    GetClientRect(&client);
    Draw(dc, client);
    return 0;
}

void CDropdownListItem::Draw(CDC& dc, const RECT& client)
{
    const int w = m_borderWidth;
    // A box whose window is disabled (the owner locks its widgets while it writes) looks disabled too.
    const bool disabled = m_disabled || !IsWindowEnabled();
    const COLORREF back = disabled ? m_clrDisabledBack : m_clrBack;
    dc.SetBkMode(TRANSPARENT);
    dc.FillSolidRect(client, back);

    {
        CPen pen(PS_SOLID, w, disabled ? m_clrDisabledBorder : m_clrBorder);
        CSelectObject selectPen(dc, pen);
        ::MoveToEx(dc, client.left, client.bottom - w, nullptr);
        ::LineTo(dc, client.left, client.top);
        ::LineTo(dc, client.right - w, client.top);
        ::LineTo(dc, client.right - w, client.bottom - w);
        ::LineTo(dc, client.left, client.bottom - w);
    }

    // The arrow takes a square of the box's height at its right end; the text the rest, inside the border.
    const int arrowLeft = client.right - (client.bottom - client.top);
    RECT textRect = {client.left + w, client.top + w, arrowLeft - w, client.bottom - w};
    if (textRect.right > textRect.left && textRect.bottom > textRect.top) {
        // The off-screen area starts in the DC's background colour: make that the box's, so the text
        // does not stand on a patch of another colour.
        const COLORREF oldBack = dc.SetBkColor(back);
        {
            CMemDC memDC(&dc, &textRect);
            memDC.SetTextColor(disabled ? m_clrDisabledText : m_clrText);
            memDC.SetBkMode(TRANSPARENT);
            const HGDIOBJ oldFont = m_font ? memDC.SelectObject(*m_font) : nullptr;
            std::wstring text = ShownText();
            memDC.DrawText(text.c_str(), static_cast<int>(text.size()), &textRect,
                           DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_LEFT);
            if (oldFont)
                memDC.SelectObject(oldFont);
        }
        dc.SetBkColor(oldBack);
    }

    // A downward triangle 9 pixels wide and 5 high, centred in the arrow square, always in the text colour.
    CPen arrowPen(PS_SOLID, 1, m_clrText);
    CSelectObject selectArrowPen(dc, arrowPen);
    const int x = arrowLeft + (client.right - arrowLeft - kArrowWidth) / 2;
    const int y = (client.bottom - client.top - kArrowHeight) / 2;
    for (int row = 0; row < kArrowHeight; ++row) {
        ::MoveToEx(dc, x + row, y + row, nullptr);
        ::LineTo(dc, x + row + (kArrowWidth - 2 * row), y + row);
    }
}

LRESULT CDropdownListItem::OnEnable(UINT, WPARAM, LPARAM, BOOL&)
{
    Invalidate(FALSE);
    return 0;
}

LRESULT CDropdownListItem::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_disabled)
        return 0;
    const HWND parent = GetParent();
    ::SendMessageW(parent, WM_DROPDOWN_OPENING, 0, reinterpret_cast<LPARAM>(m_hWnd));

    RECT rc = {};
    GetClientRect(&rc);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    rc.top = rc.bottom;
    rc.bottom = rc.bottom + m_listHeight;
    m_popupRect = rc;

    ListPopupRequest request;
    request.owner = parent;
    request.sorted = m_sorted;
    request.entries = &m_entries;
    request.screenRect = m_popupRect;
    request.font = m_font;
    request.textColour = m_clrText;
    request.textColourHot = m_clrTextHot;
    request.backColour = m_clrBack;
    request.backColourHot = m_clrBackHot;
    request.borderColour = m_clrBorder;
    request.borderWidth = m_borderWidth;
    request.scrollBarWidth = m_scrollBarWidth;
    request.scrollBarBitmaps = m_scrollBitmaps;
    request.prefix = m_leftGap;

    m_open = true;
    Invalidate();
    CWndWatch self(this);
    const int result = ListPopup().RunListPopup(request);
    // The popup's loop runs every message of the program: a device removal may have closed the page
    // and freed this box with it.
    if (self.Deleted())
        return 0;
    m_open = false;
    Invalidate();

    // The parent may have changed the entries while the popup ran: an index that no longer names an
    // entry is no choice.
    if (result < 0 || static_cast<size_t>(result) >= m_entries.size())
        return 0;
    if (const CListPanelItem* subList = m_entries[static_cast<size_t>(result)].subList) {
        std::wstring subText;
        if (ListPopup().SubListChoice(subList, &subText) == -1)
            return 0;
        SetCurSel(result, subText.c_str());
    } else {
        SetCurSel(result, nullptr);
    }
    ::SendMessageW(parent, WM_DROPDOWN_SELCHANGE, static_cast<WPARAM>(result), reinterpret_cast<LPARAM>(m_hWnd));
    return 0;
}

namespace {

struct DropdownColourRow {
    const char* attribute;
    COLORREF CDropdownListItem::*colour;
};

const DropdownColourRow kDropdownColours[] = {
    {"fontclr", &CDropdownListItem::m_clrText},
    {"fontclrhi", &CDropdownListItem::m_clrTextHot},
    {"backclr", &CDropdownListItem::m_clrBack},
    {"backclrhi", &CDropdownListItem::m_clrBackHot},
    {"bdrclr", &CDropdownListItem::m_clrBorder},
    {"disbbackclr", &CDropdownListItem::m_clrDisabledBack},
    {"disbbdrclr", &CDropdownListItem::m_clrDisabledBorder},
    {"disbfontclr", &CDropdownListItem::m_clrDisabledText},
};

constexpr int kMaxLeftGap = 256;

// A non-negative integer attribute; 0 when absent or negative.
int NonNegativeAttribute(const pugi::xml_node& element, const char* name)
{
    const int value = ParseDecimal(AttributeText(element, name));
    return value < 0 ? 0 : value;
}

} // namespace

CGUIItem* CreateDropdownListItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    const pugi::xml_node list = element.child("CLIST");
    if (!list)
        return nullptr;

    auto item = std::make_unique<CDropdownListItem>();
    for (const DropdownColourRow& row : kDropdownColours) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, row.attribute, colour))
            (*item).*(row.colour) = colour;
    }
    if (element.attribute("bdrwidth"))
        item->m_borderWidth = NonNegativeAttribute(element, "bdrwidth");
    // A gap wider than any box is a broken skin value; it must not cost the program its memory.
    const int gap = NonNegativeAttribute(element, "lgap");
    item->m_leftGap.assign(static_cast<size_t>(gap < kMaxLeftGap ? gap : kMaxLeftGap), L' ');
    item->m_font = ReadItemFont(element, id, context.list);
    item->m_sorted = ReadSortedFlag(element);

    item->m_listHeight = NonNegativeAttribute(list, "height");
    ReadScrollBarBitmaps(list, item->m_scrollBitmaps);
    if (item->m_scrollBitmaps.thumb)
        item->m_scrollBarWidth = static_cast<int>(item->m_scrollBitmaps.thumb->GetSize().cx);

    item->m_boxRect = ReadItemRect(element.child("CBOX"), id, kRectWidthHeight);
    CWnd* parent = context.parent;
    if (!item->Create(L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, item->m_boxRect, parent ? parent->m_hWnd : nullptr,
                      static_cast<UINT>(id)))
        return nullptr;

    const pugi::xml_node items = element.child("COMBOITEMS");
    for (pugi::xml_node entry = items.child("COMBOITEM"); entry; entry = entry.next_sibling("COMBOITEM"))
        item->AddEntry(TrimmedFileName(ElementText(entry)));

    item->m_id = id;
    item->m_type = SkinItemType::DropdownList;
    item->m_window = item->m_hWnd;
    item->m_owner = parent;
    return item.release();
}
