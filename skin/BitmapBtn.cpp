// The skinned bitmap button: state images, caption, tooltip, hover, check box and blinking.
#include "skin/BitmapBtn.h"

#include <memory>
#include <vector>

#include "skin/DrawingHelpers.h"
#include "skin/LangTable.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

// What a BUTTON element creates: visible, multi-line, vertically centred and owner-drawn.
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_MULTILINE | BS_VCENTER | BS_OWNERDRAW;
constexpr UINT kTextFormatBase = DT_EDITCONTROL | DT_MODIFYSTRING;

} // namespace

CBitmapBtn::~CBitmapBtn()
{
    // The window and its tooltip end while every part of the object still exists.
    if (m_hWnd && IsWindow())
        DestroyWindow();
    if (m_toolTip.m_hWnd && m_toolTip.IsWindow())
        m_toolTip.DestroyWindow();
    if (m_region)
        ::DeleteObject(m_region);
    m_region = nullptr;
    m_caption.clear();
}

void CBitmapBtn::PreSubclassWindow()
{
    // Owner-draw is a button type, not a flag: it replaces the type bits.
    const UINT style = GetButtonStyle();
    if ((style & BS_TYPEMASK) != BS_OWNERDRAW)
        SetButtonStyle((style & ~BS_TYPEMASK) | BS_OWNERDRAW, TRUE);
    CButton::PreSubclassWindow();
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

BOOL CBitmapBtn::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
        if (!m_toolTip.m_hWnd && m_hasTooltip)
            CreateToolTip();
        if (m_toolTip.m_hWnd)
            m_toolTip.RelayEvent(msg);
    }
    return CButton::PreTranslateMessage(msg);
}

void CBitmapBtn::CreateToolTip()
{
    if (m_toolTip.EnsureCreated(m_hWnd))
        SetTooltipShown(m_tooltipText);
}

void CBitmapBtn::SetTooltip(const std::wstring& text)
{
    std::wstring shown = TranslateText(text);
    for (size_t at = shown.find(kBreakMark); at != std::wstring::npos; at = shown.find(kBreakMark, at + 1))
        shown.replace(at, 2, L" ");
    SetTooltipShown(shown);
}

void CBitmapBtn::SetTooltipShown(const std::wstring& shown)
{
    m_tooltipText = shown;
    m_hasTooltip = true;
    if (m_toolTip.m_hWnd)
        m_toolTip.SetClientTool(m_hWnd, shown, shown);
}

void CBitmapBtn::SetSelected(int selected)
{
    if (selected == m_checked)
        return;
    m_checked = selected;
    Invalidate(FALSE);
}

void CBitmapBtn::SetCaption(const std::wstring& text, int caps)
{
    m_caption = CaptionText(text, caps);
}

void CBitmapBtn::StartBlinking(int periodMs)
{
    m_blinkImage = &m_bmpNormal;
    m_blinkPeriod = periodMs;
    SetTimer(kBlinkTimer, static_cast<UINT>(m_blinkPeriod));
}

void CBitmapBtn::StopBlinking()
{
    KillTimer(kBlinkTimer);
    m_blinkImage = nullptr;
    m_blinkPeriod = 0;
    Invalidate(FALSE);
}

void CBitmapBtn::CopyStateImages(CBitmap* normal, CBitmap* over, CBitmap* down, CBitmap* disabled, int x, int y,
                                 int right, int bottom)
{
    CClientDC dc(m_hWnd);
    const struct {
        CBitmap* source;
        CBitmap& copy;
    } images[] = {{normal, m_bmpNormal}, {over, m_bmpOver}, {down, m_bmpDown}, {disabled, m_bmpDisabled}};
    for (const auto& image : images) {
        if (image.source && !image.source->IsNull())
            CopyBitmapRect(image.copy, dc, *image.source, x, y, right, bottom);
    }
}

void CBitmapBtn::LoadButtonImages(CBitmap* normal, CBitmap* over, CBitmap* down, CBitmap* disabled, CBitmap* mask,
                                  int x, int y, int right, int bottom)
{
    CopyStateImages(normal, over, down, disabled, x, y, right, bottom);
    if (mask && !mask->IsNull()) {
        CClientDC dc(m_hWnd);
        CopyBitmapRect(m_bmpMask, dc, *mask, x, y, right, bottom);
    }
    if (!m_region && !m_bmpMask.IsNull()) {
        m_region = BitmapToRegion(m_bmpMask);
        if (m_region && m_hWnd) {
            HRGN windowRegion = ::CreateRectRgn(0, 0, 0, 0);
            ::CombineRgn(windowRegion, m_region, nullptr, RGN_COPY);
            if (!SetWindowRgn(windowRegion, TRUE))
                ::DeleteObject(windowRegion);
        }
    }
    if (m_hWnd)
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() & ~static_cast<LONG_PTR>(WS_BORDER | WS_TABSTOP));
}

void CBitmapBtn::LoadButtonImagesNoMask(CBitmap* normal, CBitmap* over, CBitmap* down, CBitmap* disabled, int x,
                                        int y, int right, int bottom)
{
    CopyStateImages(normal, over, down, disabled, x, y, right, bottom);
    if (m_hWnd)
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() & ~static_cast<LONG_PTR>(WS_BORDER | WS_TABSTOP));
}

CBitmap* CBitmapBtn::StateImage(bool pressed, bool disabled)
{
    if (m_blinkImage)
        return m_blinkImage;
    const bool over = m_hover || m_hot == 1;
    if (m_isCheckBox) {
        // Pressing does not change a check box's look; only its checked state does.
        if (m_checked)
            return &m_bmpDown;
        if (disabled)
            return &m_bmpDisabled;
        return over ? &m_bmpOver : &m_bmpNormal;
    }
    if (disabled)
        return &m_bmpDisabled;
    if (m_checked || pressed)
        return &m_bmpDown;
    return over ? &m_bmpOver : &m_bmpNormal;
}

COLORREF CBitmapBtn::TextColour(bool pressed, bool disabled) const
{
    COLORREF colour = m_clrNormal;
    if (m_checked || pressed)
        colour = m_clrDown;
    else if (m_hover)
        colour = m_clrOver;
    else if (disabled)
        colour = m_clrDisabled;
    return colour == 0 ? kUnsetTextColour : colour;
}

void CBitmapBtn::DrawItem(DRAWITEMSTRUCT* item)
{
    const auto [pressed, disabled, client, width, height] = ReadItemPaint(m_hWnd, *item);
    if (width <= 0 || height <= 0)
        return;

    // Starting from what the button covers keeps the background where the mask (or a missing image)
    // leaves it visible.
    CComposingDC composed(item->hDC, width, height);
    if (!composed.IsReady())
        return;

    CBitmap* image = StateImage(pressed, disabled);
    if (image && !image->IsNull()) {
        CDC imageDC;
        imageDC.CreateCompatibleDC(item->hDC);
        CSelectObject selectImage(imageDC, *image);
        if (!m_bmpMask.IsNull()) {
            // image ^ background, then & mask, then ^ image: the image where the mask is black, the
            // background where it is white.
            CDC maskDC;
            maskDC.CreateCompatibleDC(item->hDC);
            CSelectObject selectMask(maskDC, m_bmpMask);
            composed.BitBlt(0, 0, width, height, imageDC, 0, 0, SRCINVERT);
            composed.BitBlt(0, 0, width, height, maskDC, 0, 0, SRCAND);
            composed.BitBlt(0, 0, width, height, imageDC, 0, 0, SRCINVERT);
        } else {
            composed.BitBlt(0, 0, width, height, imageDC, 0, 0, SRCCOPY);
        }
    }

    DrawCaption(composed, client, TextColour(pressed, disabled));

    ::BitBlt(item->hDC, 0, 0, width, height, composed, 0, 0, SRCCOPY);
}

void CBitmapBtn::DrawCaption(CDC& dc, const RECT& client, COLORREF colour) const
{
    if (m_caption.empty())
        return;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(colour);
    CSelectObject selectFont(dc, SkinFontOrDefault(m_font));
    // DrawText may write into the text it is given (DT_MODIFYSTRING): it gets a copy with room.
    std::vector<wchar_t> text(m_caption.begin(), m_caption.end());
    text.resize(text.size() + 5, L'\0');
    RECT rc = client;
    dc.DrawText(text.data(), static_cast<int>(m_caption.size()), &rc, m_drawTextFormat);
}

LRESULT CBitmapBtn::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    DefWindowProc();
    const bool leftHeld = (wParam & MK_LBUTTON) != 0;
    if (leftHeld && !m_hover)
        return 0;
    if (::GetCapture() != m_hWnd) {
        if (::GetActiveWindow() && GetParent()) {
            m_hover = 1;
            if (m_raiseOnHover)
                ::BringWindowToTop(m_hWnd);
            ::SetCapture(m_hWnd);
            Invalidate(FALSE);
        }
        return 0;
    }
    if (!PointerLeftWindow(m_hWnd, lParam))
        return 0;
    // The mouse has left the button.
    if (m_hover == 1) {
        m_hover = 0;
        Invalidate(FALSE);
    }
    if (!leftHeld)
        ::ReleaseCapture();
    return 0;
}

LRESULT CBitmapBtn::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    // The capture has moved on already; releasing it here would take it from the window that just
    // took it. The hover look stays until the mouse moves elsewhere or the focus goes.
    if (m_hover == 1 && reinterpret_cast<HWND>(lParam) != m_hWnd)
        Invalidate(FALSE);
    bHandled = FALSE;
    return 0;
}

LRESULT CBitmapBtn::OnKillFocus(UINT, WPARAM, LPARAM, BOOL&)
{
    LRESULT result = DefWindowProc();
    m_hover = 0;
    Invalidate(FALSE);
    return result;
}

LRESULT CBitmapBtn::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner)
        owner = GetParent();
    // Only a top-level window can be the active one.
    if (owner && !(::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) && ::GetActiveWindow() != owner)
        ::SetActiveWindow(owner);
    if (!m_isCheckBox) {
        bHandled = FALSE;
        return 0;
    }
    if (m_toggleOnClick == 1)
        m_checked = m_checked ? 0 : 1;
    Invalidate(FALSE);
    ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
    return 0;
}

LRESULT CBitmapBtn::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_isCheckBox)
        return 0;
    LRESULT result = DefWindowProc();
    // The click's handler may have ended the window.
    if (m_hWnd)
        Invalidate(FALSE);
    return result;
}

LRESULT CBitmapBtn::OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&)
{
    // A double click is not a second click.
    return 0;
}

LRESULT CBitmapBtn::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CBitmapBtn::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != kBlinkTimer) {
        bHandled = FALSE;
        return 0;
    }
    KillTimer(kBlinkTimer);
    // A tick that arrives after blinking stopped must not start it again.
    if (!m_blinkImage)
        return 0;
    m_blinkImage = m_blinkImage == &m_bmpNormal ? &m_bmpDown : &m_bmpNormal;
    SetTimer(kBlinkTimer, static_cast<UINT>(m_blinkPeriod));
    Invalidate(FALSE);
    return 0;
}

LRESULT CBitmapBtn::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

CGUIItem* CreateBitmapBtn(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;

    CBitmap* normal = ReadStateBitmap(element, id, "SBMN");
    CBitmap* over = ReadStateBitmap(element, id, "SBMO");
    CBitmap* down = ReadStateBitmap(element, id, "SBMD");
    CBitmap* disabled = ReadStateBitmap(element, id, "SBMDS");
    CBitmap* mask = ReadStateBitmap(element, id, "SBMM");

    DWORD style = kButtonStyle;
    UINT textFormat = kTextFormatBase;
    ReadButtonTextLayout(element, id, style, textFormat);

    CWnd* parent = ReadContainerParent(element, context);
    if (!parent)
        return nullptr;

    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto button = std::make_unique<CBitmapBtn>();
    button->m_drawTextFormat = textFormat;
    if (!button->Create(L"", style, rc, parent->m_hWnd, 0))
        return nullptr;

    if (CFont* font = ReadItemFont(element, id, context.list)) {
        button->SetFont(*font, TRUE);
        button->m_font = font;
    }
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (mask)
        button->LoadButtonImages(normal, over, down, disabled, mask, 0, 0, width, height);
    else
        button->LoadButtonImagesNoMask(normal, over, down, disabled, 0, 0, width, height);

    std::wstring tooltip;
    if (ReadTooltip(element, tooltip))
        button->SetTooltip(tooltip);
    button->m_isCheckBox = ReadCheckboxFlag(element) ? 1 : 0;

    if (element.attribute("caption")) {
        const int caps = ReadCaps(element, id);
        const struct {
            const char* child;
            COLORREF CBitmapBtn::*colour;
        } colours[] = {{"SBMN", &CBitmapBtn::m_clrNormal},
                       {"SBMO", &CBitmapBtn::m_clrOver},
                       {"SBMD", &CBitmapBtn::m_clrDown},
                       {"SBMDS", &CBitmapBtn::m_clrDisabled}};
        for (const auto& row : colours) {
            COLORREF colour = 0;
            pugi::xml_node child = element.child(row.child);
            if (child && ReadColourAttribute(child, "fontclr", colour) && colour != 0xFFFFFFFF)
                (*button).*row.colour = colour;
        }
        button->SetCaption(AttributeText(element, "caption"), caps);
    }

    button->SetSkinItem(id, SkinItemType::BitmapButton, button->m_hWnd, parent);
    return button.release();
}
