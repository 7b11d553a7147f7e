// The skinned label: translated text over the panel's background, hot tracking through the mouse
// capture, and the link to the check box it labels.
#include "skin/TextItem.h"

#include <memory>

#include "model/NameTables.h"
#include "skin/BitmapBtn.h"
#include "skin/DrawingHelpers.h"
#include "skin/LangTable.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

// Visible owner-drawn statics; only the ones with SS_NOTIFY see the mouse.
constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;

void ReplaceFirstBreak(std::wstring& text)
{
    const size_t at = text.find(kBreakMark);
    if (at != std::wstring::npos)
        text.replace(at, 2, L"\r\n");
}

} // namespace

CTextItem::CTextItem(const std::wstring& text, int caps)
{
    std::wstring shown;
    const CLangTable* table = CurrentLangTable();
    const bool translated = table && table->LookupText(text, shown);
    if (!translated)
        shown = text;
    // The break goes in before the case changes: upper case would turn the mark into "\N".
    ReplaceFirstBreak(shown);
    if (translated && !shown.empty()) {
        if (caps == 2)
            ::CharLowerBuffW(&shown[0], static_cast<DWORD>(shown.size()));
        else if (caps == 1)
            ::CharUpperBuffW(&shown[0], static_cast<DWORD>(shown.size()));
    }
    m_text = shown;
}

CTextItem::~CTextItem()
{
    m_text.clear();
    m_hot = 0;
}

void CTextItem::SetText(const std::wstring& text)
{
    m_text = TranslateText(text);
    ReplaceFirstBreak(m_text);
    RedrawParentArea();
}

void CTextItem::RedrawParentArea()
{
    HWND parent = m_hWnd ? GetParent() : nullptr;
    if (!parent)
        return;
    RECT rc = {};
    GetClientRect(&rc);
    ::MapWindowPoints(m_hWnd, parent, reinterpret_cast<POINT*>(&rc), 2);
    ::InvalidateRect(parent, &rc, TRUE);
    ::UpdateWindow(parent);
}

void CTextItem::SetHot(BYTE hot)
{
    m_hot = hot;
    if (m_checkBox) {
        m_checkBox->m_hot = hot;
        if (m_checkBox->m_hWnd)
            m_checkBox->Invalidate(FALSE);
    }
    RedrawParentArea();
}

void CTextItem::DrawItem(DRAWITEMSTRUCT* item)
{
    HFONT font = SkinFontOrDefault(m_font);
    CSelectObject selectFont(item->hDC, font);
    const int oldMode = ::SetBkMode(item->hDC, TRANSPARENT);

    COLORREF colour = m_clrNormal ? m_clrNormal : kUnsetTextColour;
    if (m_disabled == 1 && m_clrDisabled)
        colour = m_clrDisabled;
    else if (m_hot == 1 && m_clrHot)
        colour = m_clrHot;
    const COLORREF oldColour = ::SetTextColor(item->hDC, colour);

    if (m_drawTextFormat != 0) {
        RECT client = {};
        GetClientRect(&client);
        RECT rc = {0, 0, client.right - client.left, client.bottom - client.top};
        ::DrawTextW(item->hDC, m_text.c_str(), static_cast<int>(m_text.size()), &rc, m_drawTextFormat);
    } else {
        ::TextOutW(item->hDC, item->rcItem.left + kInsetX, item->rcItem.top + kInsetY, m_text.c_str(),
                   static_cast<int>(m_text.size()));
    }
    ::SetTextColor(item->hDC, oldColour);
    ::SetBkMode(item->hDC, oldMode);
}

LRESULT CTextItem::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    DefWindowProc();
    const bool leftHeld = (wParam & MK_LBUTTON) != 0;
    if ((leftHeld && m_hot == 0) || m_disabled == 1)
        return 0;
    if (::GetCapture() != m_hWnd) {
        if (::GetActiveWindow() && GetParent()) {
            SetHot(1);
            ::SetCapture(m_hWnd);
        }
        return 0;
    }
    if (!PointerLeftWindow(m_hWnd, lParam))
        return 0;
    // The mouse has left the text.
    if (m_hot == 1)
        SetHot(0);
    if (!leftHeld)
        ::ReleaseCapture();
    return 0;
}

LRESULT CTextItem::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    // The capture has moved on already; releasing it here would take it from the window that just took
    // it. The hot look stays until the mouse moves elsewhere.
    if (m_hot == 1 && reinterpret_cast<HWND>(lParam) != m_hWnd)
        RedrawParentArea();
    bHandled = FALSE;
    return 0;
}

LRESULT CTextItem::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    HWND parent = GetParent();
    // Only a top-level window can be the active one.
    if (parent && !(::GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD) && ::GetActiveWindow() != parent)
        ::SetActiveWindow(parent);
    bHandled = FALSE;
    return 0;
}

LRESULT CTextItem::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_checkBox)
        return 0;
    if (m_checkBox->m_toggleOnClick == 1) {
        m_checkBox->m_checked = m_checkBox->m_checked ? 0 : 1;
        m_checkBox->Invalidate(FALSE);
    }
    ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0),
                   reinterpret_cast<LPARAM>(m_checkBox->m_hWnd));
    // The command's handler may have ended the window.
    if (m_hWnd)
        RedrawParentArea();
    return 0;
}

LRESULT CTextItem::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CTextItem::OnCtlColor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT CTextItem::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

CGUIItem* CreateTextItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;

    const std::wstring textKey = AttributeText(element, "textkey");
    const int caps = ReadCaps(element, id);
    CWnd* parent = ReadContainerParent(element, context);
    if (!parent)
        return nullptr;
    const wchar_t justify = ReadJustify(element);
    const bool multiline = ReadMultiline(element, id);
    const bool interactive = ReadInteractiveFlag(element);

    auto text = std::make_unique<CTextItem>(textKey, caps);

    // Only a check box read earlier in the same list can be linked.
    if (element.attribute("checkboxid")) {
        const int checkBoxId = FindSkinResourceId(AttributeText(element, "checkboxid"));
        CGUIItem* named = checkBoxId == -1 ? nullptr : FindItemById(context.list, checkBoxId);
        if (named && named->m_type == SkinItemType::BitmapButton) {
            auto* button = dynamic_cast<CBitmapBtn*>(named);
            if (button && button->m_isCheckBox)
                text->m_checkBox = button;
        }
    }

    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    const DWORD style = interactive ? kTextStyle : (kTextStyle | SS_NOTIFY);
    if (!text->Create(L"", style, rc, parent->m_hWnd, static_cast<UINT>(id)))
        return nullptr;

    UINT alignment = 0;
    if (justify == L'C')
        alignment = DT_CENTER;
    else if (justify == L'R')
        alignment = DT_RIGHT;
    if (alignment != 0)
        text->m_drawTextFormat = alignment | (multiline ? DT_WORDBREAK : (DT_VCENTER | DT_SINGLELINE));
    else if (multiline)
        text->m_drawTextFormat = DT_WORDBREAK;

    if (CFont* font = ReadItemFont(element, id, context.list)) {
        text->SetFont(*font, TRUE);
        text->m_font = font;
    }

    const struct {
        const char* attribute;
        COLORREF CTextItem::*colour;
    } colours[] = {{"fontclr", &CTextItem::m_clrNormal},
                   {"fontclrhi", &CTextItem::m_clrHot},
                   {"disbfontclr", &CTextItem::m_clrDisabled}};
    for (const auto& row : colours) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, row.attribute, colour) && colour != 0xFFFFFFFF)
            (*text).*row.colour = colour;
    }

    text->SetSkinItem(id, SkinItemType::TextItem, text->m_hWnd, parent);
    return text.release();
}
