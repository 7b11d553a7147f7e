// The skinned text field and the reader of its EDITCTRL element.
#include "skin/EditItem.h"

#include <iterator>
#include <memory>
#include <string>

#include "skin/SkinValues.h"

// ---------------------------------------------------------------------------------------------------
// Messages

LRESULT CEditItem::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    const LRESULT result = DefWindowProc();
    if (result == -1)
        return result;
    m_backBrush.CreateSolidBrush(m_clrBack);
    Invalidate();
    if (m_font)
        SetFont(*m_font, TRUE);
    return result;
}

LRESULT CEditItem::OnCtlColor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    const bool enabled = IsWindowEnabled() != FALSE;
    ::SetTextColor(dc, enabled ? m_clrText : m_clrDisabledText);
    ::SetBkColor(dc, enabled ? m_clrBack : m_clrDisabledBack);
    const COLORREF border = enabled ? m_clrBorder : m_clrDisabledBorder;
    ::SetDCPenColor(dc, border);
    ::SetDCBrushColor(dc, border);
    return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_backBrush));
}

LRESULT CEditItem::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;  // the control paints its whole client area in the background brush
}

LRESULT CEditItem::OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;  // no context menu from a right click
}

LRESULT CEditItem::OnChange(WORD, WORD, HWND, BOOL&)
{
    // Taken here, so the parent's own EN_CHANGE handling never runs.
    ::SendMessageW(GetParent(), WM_EDITITEM_CHANGED, 0, reinterpret_cast<LPARAM>(m_hWnd));
    return 0;
}

LRESULT CEditItem::OnUpdate(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Digits-only mode

BOOL CEditItem::PreTranslateMessage(MSG* msg)
{
    if (!m_numericOnly)
        return CEdit::PreTranslateMessage(msg);
    switch (msg->message) {
    case WM_KEYDOWN: {
        const WPARAM key = msg->wParam;
        const bool editing = key == VK_BACK || key == VK_LEFT || key == VK_RIGHT || key == VK_DELETE;
        const bool digit = (key >= '0' && key <= '9') || (key >= VK_NUMPAD0 && key <= VK_NUMPAD9);
        if (m_dialogKeys && (key == VK_RETURN || key == VK_ESCAPE))
            return CEdit::PreTranslateMessage(msg);
        return editing || digit ? FALSE : TRUE;
    }
    case WM_CHAR: {
        const wchar_t ch = static_cast<wchar_t>(msg->wParam);
        if (ch >= L'0' && ch <= L'9')
            return DigitKeepsValueInRange(ch) ? FALSE : TRUE;
        return ch == VK_BACK ? FALSE : TRUE;
    }
    case WM_CONTEXTMENU:
        return TRUE;
    default:
        return CEdit::PreTranslateMessage(msg);
    }
}

bool CEditItem::DigitKeepsValueInRange(wchar_t digit) const
{
    // The value the text would have: the digit takes the place of the selection (or goes in at the
    // caret), so a digit typed before others or over a selected value is judged by what it makes.
    std::wstring text = GetWindowText();
    int start = 0;
    int end = 0;
    GetSel(start, end);
    const int length = static_cast<int>(text.size());
    start = start < 0 ? 0 : (start > length ? length : start);
    end = end < start ? start : (end > length ? length : end);
    text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), 1, digit);
    const int value = ParseDecimal(text);
    // The program sets only a minimum for fields without a ceiling: a maximum below the minimum (the
    // start value -1 among them) bounds nothing.
    const bool bounded = m_maxValue >= m_minValue;
    return value >= m_minValue && (!bounded || value <= m_maxValue);
}

// ---------------------------------------------------------------------------------------------------
// Reading the element

void ReadEditItemLook(const pugi::xml_node& element, int itemId, const SkinItemList& list, const EditColourRow* rows,
                      size_t rowCount, CEditItem& item)
{
    for (size_t i = 0; i < rowCount; ++i) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, rows[i].attribute, colour))
            item.*(rows[i].colour) = colour;
    }
    if (element.attribute("bdrwidth")) {
        const int width = ParseDecimal(AttributeText(element, "bdrwidth"));
        item.m_borderWidth = width < 0 ? 0 : width;
    }
    if (CFont* font = ReadItemFont(element, itemId, list))
        item.m_font = font;
}

bool CreateEditItemWindow(const pugi::xml_node& element, int itemId, DWORD style, CWnd* parent, CEditItem& item)
{
    const RECT rc = ReadItemRect(element, itemId, kRectWidthHeight);
    if (!item.Create(style, rc, parent ? parent->m_hWnd : nullptr, static_cast<UINT>(itemId)))
        return false;
    item.m_id = itemId;
    item.m_window = item.m_hWnd;
    item.m_owner = parent;
    return true;
}

void ApplyEditTextLimit(const pugi::xml_node& element, CEditItem& item)
{
    if (!element.attribute("max"))
        return;
    const int limit = ParseDecimal(AttributeText(element, "max"));
    item.LimitText(limit < 0 ? 0 : static_cast<UINT>(limit));
}

namespace {

const EditColourRow kEditColours[] = {
    {"fontclr", &CEditItem::m_clrText},
    {"fontclrhi", &CEditItem::m_clrTextHot},
    {"backclr", &CEditItem::m_clrBack},
    {"backclrhi", &CEditItem::m_clrBackHot},
    {"bdrclr", &CEditItem::m_clrBorder},
    {"disbbackclr", &CEditItem::m_clrDisabledBack},
    {"disbbdrclr", &CEditItem::m_clrDisabledBorder},
    {"disbfontclr", &CEditItem::m_clrDisabledText},
};

} // namespace

CGUIItem* CreateEditItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    auto item = std::make_unique<CEditItem>();
    ReadEditItemLook(element, id, context.list, kEditColours, std::size(kEditColours), *item);
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (ReadJustify(element) == L'C')
        style |= ES_CENTER;
    if (!CreateEditItemWindow(element, id, style, context.parent, *item))
        return nullptr;
    ApplyEditTextLimit(element, *item);
    item->m_type = SkinItemType::EditItem;
    return item.release();
}
