// The vertical slider: dragging its thumb inside the track and the position it reports.
#include "skin/VertSlider.h"

#include <windowsx.h>

#include <memory>

#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

constexpr DWORD kSliderStyle = WS_CHILD | WS_VISIBLE;
constexpr int kTopPosition = 100;

} // namespace

CVertSlider::~CVertSlider()
{
    if (m_hWnd && IsWindow())
        DestroyWindow();
}

bool CVertSlider::Create(const RECT& track, HWND parent, int controlId, CBitmap* image)
{
    m_track = track;
    m_parent = parent;
    m_controlId = controlId;
    if (!CBitmapItem::WindowClass() ||
        !CWnd::Create(CBitmapItem::WindowClass(), L"", kSliderStyle, track, parent, static_cast<UINT>(controlId)))
        return false;
    if (image && !image->IsNull()) {
        const SIZE size = image->GetSize();
        m_thumbWidth = size.cx;
        m_thumbHeight = size.cy;
        CClientDC dc(m_hWnd);
        CopyBitmapRect(m_thumbImage, dc, *image, track.left, track.top, track.right, track.bottom);
    }
    return true;
}

RECT CVertSlider::RectInParent() const
{
    RECT rc = {};
    GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

int CVertSlider::PositionAt(int top) const
{
    const int travel = m_track.bottom - m_thumbHeight - m_track.top;
    if (travel <= 0)
        return -1;
    const unsigned moved = top > m_track.top ? static_cast<unsigned>(top - m_track.top) : 0u;
    const unsigned p = moved * 100u / static_cast<unsigned>(travel);
    return kTopPosition - static_cast<int>(p > 100u ? 100u : p);
}

LRESULT CVertSlider::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PaintClientImage(m_hWnd, m_thumbImage);
    return 0;
}

LRESULT CVertSlider::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    // A track no taller than the thumb has no positions to choose from.
    if (PositionAt(m_track.top) < 0)
        return 0;
    m_downPoint = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_dragging = true;
    ::SetCapture(m_hWnd);
    return 0;
}

LRESULT CVertSlider::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!m_dragging)
        return 0;
    RECT rc = RectInParent();
    const int dy = GET_Y_LPARAM(lParam) - m_downPoint.y;
    int top = rc.top + dy;
    if (top + m_thumbHeight > m_track.bottom)
        top = m_track.bottom - m_thumbHeight;
    if (top < m_track.top)
        top = m_track.top;
    SetWindowPos(nullptr, m_track.left, top, m_thumbWidth, m_thumbHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CVertSlider::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    m_dragging = false;
    ReleaseCaptureOf(m_hWnd);
    const int position = PositionAt(RectInParent().top);
    if (position < 0)
        return 0;
    m_position = position;
    ::PostMessageW(m_parent, WM_SLIDER_POSCHANGED, static_cast<WPARAM>(m_position), static_cast<LPARAM>(m_controlId));
    return 0;
}

CGUIItem* CreateVertSlider(const pugi::xml_node& element, SkinLoadContext& context)
{
    int id = -1;
    CWnd* parent = nullptr;
    if (!ReadWidgetIdAndParent(element, context, id, parent))
        return nullptr;
    CBitmap* image = ResolveSkinImage(AttributeText(element, "file"));
    const RECT track = ReadItemRect(element, id, kRectWidthHeight);
    auto slider = std::make_unique<CVertSlider>();
    if (!slider->Create(track, parent->m_hWnd, id, image))
        return nullptr;
    slider->SetSkinItem(id, SkinItemType::VertSlider, slider->m_hWnd, parent);
    return slider.release();
}
