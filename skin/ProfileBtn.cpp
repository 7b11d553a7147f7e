// The profile button: state images, text columns, tooltip, clicks and the PROFBUTTON reader.
#include "skin/ProfileBtn.h"

#include <memory>
#include <vector>

#include "skin/DrawingHelpers.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

constexpr COLORREF kColumnTextColour = 0xE0E0E0;
constexpr UINT kColumnTextFormat = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;

// Columns, from the button's left edge: the first is narrow, the others 100 pixels wide, 5 apart.
struct ColumnSpan {
    int left;
    int right;
};
constexpr ColumnSpan kColumns[] = {{5, 55}, {60, 160}, {165, 265}, {270, 370}};

constexpr DWORD kProfileButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;

} // namespace

CProfileBtn::CProfileBtn()
{
    // Profile buttons sit side by side in a list: hovering one must not change their order.
    m_raiseOnHover = false;
}

void CProfileBtn::SetTooltip(const std::wstring& text)
{
    SetTooltipShown(text);
}

CBitmap* CProfileBtn::StateImage(bool pressed, bool disabled)
{
    if (m_isCheckBox)
        return m_checked ? &m_bmpDown : &m_bmpNormal;
    if (m_checked || pressed)
        return &m_bmpDown;
    if (m_hover)
        return &m_bmpOver;
    return disabled ? &m_bmpDisabled : &m_bmpNormal;
}

void CProfileBtn::DrawItem(DRAWITEMSTRUCT* item)
{
    const auto [pressed, disabled, client, width, height] = ReadItemPaint(m_hWnd, *item);
    if (width <= 0 || height <= 0)
        return;

    CBitmap* image = StateImage(pressed, disabled);
    const bool hasImage = image && !image->IsNull();
    if (m_column1.empty()) {
        if (hasImage) {
            CDC imageDC;
            imageDC.CreateCompatibleDC(item->hDC);
            CSelectObject selectImage(imageDC, *image);
            ::BitBlt(item->hDC, 0, 0, width, height, imageDC, 0, 0, SRCCOPY);
        }
        return;
    }

    // Without an image the text goes over what the button covers.
    CComposingDC composed(item->hDC, width, height);
    if (!composed.IsReady())
        return;
    if (hasImage) {
        CDC imageDC;
        imageDC.CreateCompatibleDC(item->hDC);
        CSelectObject selectImage(imageDC, *image);
        composed.BitBlt(0, 0, width, height, imageDC, 0, 0, SRCCOPY);
    }

    composed.SetBkMode(TRANSPARENT);
    composed.SetTextColor(kColumnTextColour);
    CSelectObject selectFont(composed, SkinFontOrDefault());
    SIZE extent = {};
    ::GetTextExtentPoint32W(composed, m_column1.c_str(), static_cast<int>(m_column1.size()), &extent);
    // One band for all columns, from just above the middle down to the bottom.
    const int top = height / 2 - extent.cy / 2;
    const std::wstring* texts[] = {&m_column1, &m_column2, &m_column3, &m_column4};
    for (size_t i = 0; i < 4; ++i) {
        RECT rc = {client.left + kColumns[i].left, top, client.left + kColumns[i].right, client.bottom};
        composed.DrawText(texts[i]->c_str(), static_cast<int>(texts[i]->size()), &rc, kColumnTextFormat);
    }

    ::BitBlt(item->hDC, 0, 0, width, height, composed, 0, 0, SRCCOPY);
}

LRESULT CProfileBtn::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND parent = GetParent();
    // Only a top-level window can be the active one.
    if (parent && !(::GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD) && ::GetActiveWindow() != parent)
        ::SetActiveWindow(parent);
    return DefWindowProc();
}

LRESULT CProfileBtn::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_isCheckBox)
        return DefWindowProc();
    m_checked = m_checked ? 0 : 1;
    Invalidate(FALSE);
    ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
    return 0;
}

LRESULT CProfileBtn::OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&)
{
    // Left to the system button, which tells the parent of the double click (the bitmap button drops it).
    return DefWindowProc();
}

CGUIItem* CreateProfileBtn(const pugi::xml_node& element, SkinLoadContext& context)
{
    int id = -1;
    CWnd* parent = nullptr;
    if (!ReadWidgetIdAndParent(element, context, id, parent))
        return nullptr;

    // Panel-sized images, taken as they are: profile buttons have no per-language images.
    CBitmap* normal = LoadChildBitmap("SBMN", element);
    CBitmap* over = LoadChildBitmap("SBMO", element);
    CBitmap* down = LoadChildBitmap("SBMD", element);
    CBitmap* disabled = LoadChildBitmap("SBMDS", element);

    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto button = std::make_unique<CProfileBtn>();
    if (!button->Create(L"", kProfileButtonStyle, rc, parent->m_hWnd, 0))
        return nullptr;
    button->LoadButtonImagesNoMask(normal, over, down, disabled, rc.left, rc.top, rc.right, rc.bottom);

    std::wstring tooltip;
    if (ReadTooltip(element, tooltip))
        button->SetTooltip(tooltip);

    button->SetSkinItem(id, SkinItemType::ProfileButton, button->m_hWnd, parent);
    return button.release();
}
