// The stage tile: reading its pictures and text areas, selection by click, and its picture.
#include "skin/DPIStageWindow.h"

#include <memory>

#include "model/TextCompare.h"
#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
#include "skin/LangTable.h"
#include "skin/SkinElements.h"
#include "skin/SkinResources.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

constexpr DWORD kTileStyle = WS_CHILD | WS_VISIBLE;

constexpr COLORREF kBlack = RGB(0, 0, 0);

// A value is drawn this far inside its window's edges.
constexpr int kValueInsetX = 3;
constexpr int kValueInsetY = 2;

const wchar_t kSelectedValueImage[] = L"stageSelected.bmp";

const wchar_t* const kImageSlotNames[CDPIStageWindow::kImageSlotCount] = {L"DPIFRAME", L"DPIFRAMESELECTED", L"DPIWIN",
                                                                          L"DPIWINX", L"DPIWINY"};
const wchar_t* const kTextAreaNames[CDPIStageWindow::kTextAreaCount] = {L"HEADING", L"X",    L"Y",
                                                                        L"DPI",     L"DPIX", L"DPIY"};

// The index of `name` in `names` (compared up to the case of A-Z), or -1.
template <size_t N> int IndexOfName(const wchar_t* const (&names)[N], const std::wstring& name)
{
    for (size_t i = 0; i < N; ++i) {
        if (EqualsNoCaseAZ(names[i], name))
            return static_cast<int>(i);
    }
    return -1;
}


void BlitImage(CDC& dc, const RECT& rc, HBITMAP image)
{
    CDC imageDC;
    if (!image || !imageDC.CreateCompatibleDC(dc))
        return;
    CSelectObject select(imageDC, image);
    dc.BitBlt(rc.left, rc.top, Width(rc), Height(rc), imageDC, 0, 0, SRCCOPY);
}

// Draws `text` in `rc`. A text with a line break is drawn on its lines, centred vertically as a block
// (a single-line format would draw it on one line).
void DrawLines(CDC& dc, const std::wstring& text, RECT rc, UINT flags)
{
    if (text.empty())
        return;
    if (text.find(L'\n') != std::wstring::npos) {
        flags &= ~static_cast<UINT>(DT_SINGLELINE | DT_VCENTER);
        RECT measured = rc;
        dc.DrawText(text.c_str(), static_cast<int>(text.size()), &measured, flags | DT_CALCRECT);
        rc.top += (Height(rc) - Height(measured)) / 2;
    }
    dc.DrawText(text.c_str(), static_cast<int>(text.size()), &rc, flags);
}

} // namespace

CDPIStageWindow::~CDPIStageWindow()
{
    if (m_hWnd && IsWindow())
        DestroyWindow();
    if (m_toolTip.m_hWnd && m_toolTip.IsWindow())
        m_toolTip.DestroyWindow();
}

BOOL CDPIStageWindow::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.EnsureCreated(m_hWnd))
        m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

void CDPIStageWindow::SetHeading(const std::wstring& key)
{
    m_heading = CaptionText(key, m_capsMode);
    if (m_hWnd)
        Invalidate(TRUE);
}

void CDPIStageWindow::DrawAreaText(CDC& dc, TextArea area, UINT flags) const
{
    DrawLines(dc, m_areas[area].text, m_areas[area].rect, flags);
}

void CDPIStageWindow::DrawValueWindow(CDC& dc, ImageSlot slot, const RECT& rc, std::wstring& text, int value)
{
    CBitmap* selectedImage = m_selected ? GetSkinImage(kSelectedValueImage) : nullptr;
    BlitImage(dc, rc, m_selected ? (selectedImage ? static_cast<HBITMAP>(*selectedImage) : nullptr)
                                 : static_cast<HBITMAP>(m_images[slot]));
    text = std::to_wstring(value);
    RECT inner = {rc.left + kValueInsetX, rc.top + kValueInsetY, rc.right - kValueInsetX, rc.bottom - kValueInsetY};
    dc.FillSolidRect(inner, kBlack);
    DrawLines(dc, text, inner, m_drawFlags | DT_CENTER);
}

void CDPIStageWindow::Draw(CDC& dc)
{
    const CBitmap& frame =
        m_selected && !m_images[kFrameSelected].IsNull() ? m_images[kFrameSelected] : m_images[kFrame];
    if (!frame.IsNull())
        BlitImage(dc, RECT{0, 0, Width(m_frameRect), Height(m_frameRect)}, frame);

    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_textColour == 0 ? kUnsetTextColour : m_textColour);
    HFONT font = SkinFontOrDefault(m_font);
    CSelectObject selectFont(dc, font);

    DrawLines(dc, m_heading, m_areas[kHeading].rect, m_drawFlags | DT_CENTER);
    if (m_xyMode) {
        DrawAreaText(dc, kDpiX, m_drawFlags);
        DrawAreaText(dc, kDpiY, m_drawFlags);
        DrawAreaText(dc, kX, m_drawFlags | DT_CENTER);
        DrawAreaText(dc, kY, m_drawFlags | DT_CENTER);
        DrawValueWindow(dc, kWinX, m_winXRect, m_xText, m_xValue);
        DrawValueWindow(dc, kWinY, m_winYRect, m_yText, m_yValue);
    } else {
        DrawAreaText(dc, kDpi, m_drawFlags);
        DrawValueWindow(dc, kWin, m_winRect, m_dpiText, m_dpiValue);
    }
}

LRESULT CDPIStageWindow::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    LRESULT result = DefWindowProc();
    if (!m_interactive || m_selected)
        return result;
    m_selected = 1;
    CWndWatch watch(this);
    ::SendMessageW(GetParent(), WM_DPISTAGE_CLICKED, static_cast<WPARAM>(m_stageNumber), static_cast<LPARAM>(m_id));
    // The parent's handler may have ended the tile.
    if (watch.Deleted() || !m_hWnd)
        return result;
    m_previousFocus = SetFocus();
    Invalidate(TRUE);
    return result;
}

LRESULT CDPIStageWindow::OnKillFocus(UINT, WPARAM, LPARAM, BOOL&)
{
    LRESULT result = DefWindowProc();
    Invalidate(TRUE);
    return result;
}

LRESULT CDPIStageWindow::OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (!m_selected) {
        CDC dc;
        dc.Attach(reinterpret_cast<HDC>(wParam));
        dc.FillSolidRect(m_frameRect, kBlack);
        dc.Detach();
    }
    return 1;
}

LRESULT CDPIStageWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    const int width = Width(m_frameRect);
    const int height = Height(m_frameRect);
    if (!m_shown || width <= 0 || height <= 0)
        return 0;
    CDC memDC;
    CBitmap composed;
    if (!memDC.CreateCompatibleDC(dc) || !composed.CreateCompatibleBitmap(dc, width, height))
        return 0;
    CSelectObject select(memDC, composed);
    Draw(memDC);
    dc.BitBlt(0, 0, width, height, memDC, 0, 0, SRCCOPY);
    return 0;
}

CGUIItem* CreateDPIStageWindow(const pugi::xml_node& element, SkinLoadContext& context)
{
    // Tiles are numbered by their place in the list, counting the ones that are skipped.
    int stageNumber = 0;
    for (pugi::xml_node tile = element; tile; tile = tile.previous_sibling("DPISTAGEWINDOW"))
        ++stageNumber;
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    CWnd* parent = context.parent;
    if (!parent || !parent->m_hWnd || !CBitmapItem::WindowClass())
        return nullptr;
    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto tile = std::make_unique<CDPIStageWindow>(stageNumber);
    if (!tile->CWnd::Create(CBitmapItem::WindowClass(), L"", kTileStyle, rc, parent->m_hWnd, static_cast<UINT>(id)))
        return nullptr;

    for (pugi::xml_node area = element.child("TEXTAREA"); area; area = area.next_sibling("TEXTAREA")) {
        const int index = IndexOfName(kTextAreaNames, AttributeText(area, "name"));
        if (index < 0)
            continue;
        tile->m_areas[index].text = AttributeText(area, "textkey");
        tile->m_areas[index].rect = ReadItemRect(area, -1, kRectWidthHeight);
    }
    RECT* const slotRects[CDPIStageWindow::kImageSlotCount] = {&tile->m_frameRect, &tile->m_frameRect, &tile->m_winRect,
                                                               &tile->m_winXRect, &tile->m_winYRect};
    CClientDC dc(tile->m_hWnd);
    for (pugi::xml_node info = element.child("BMPINFO"); info; info = info.next_sibling("BMPINFO")) {
        const int slot = IndexOfName(kImageSlotNames, AttributeText(info, "name"));
        if (slot < 0)
            continue;
        const RECT slotRect = ReadItemRect(info, -1, kRectWidthHeight);
        if (CBitmap* image = LoadChildBitmap("BMPDATA", info))
            CopyBitmapRect(tile->m_images[slot], dc, *image, 0, 0, Width(slotRect), Height(slotRect));
        *slotRects[slot] = slotRect;
    }
    tile->SetHeading(tile->m_areas[CDPIStageWindow::kHeading].text);
    if (CFont* font = ReadItemFont(element, id, context.list))
        tile->SetFont(*font, TRUE);

    tile->SetSkinItem(id, SkinItemType::DpiStageWindow, tile->m_hWnd, parent);
    return tile.release();
}
