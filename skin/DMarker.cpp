// The level marker: value from the pointer, its picture, and the mouse capture while it is dragged.
#include "skin/DMarker.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

constexpr DWORD kMarkerStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;


} // namespace

CDMarker::~CDMarker()
{
    if (m_hWnd && IsWindow())
        DestroyWindow();
}

bool CDMarker::Create(const RECT& rc, HWND parent, int controlId, CBitmap* back, CBitmap* mark)
{
    m_rect = rc;
    m_parent = parent;
    m_controlId = controlId;
    if (!CBitmapItem::WindowClass() ||
        !CWnd::Create(CBitmapItem::WindowClass(), L"", kMarkerStyle, rc, parent, static_cast<UINT>(controlId)))
        return false;
    CClientDC dc(m_hWnd);
    if (back && !back->IsNull())
        CopyBitmapRect(m_backImage, dc, *back, rc.left, rc.top, rc.right, rc.bottom);
    if (mark && !mark->IsNull())
        CopyBitmapRect(m_markImage, dc, *mark, rc.left, rc.top, rc.right, rc.bottom);
    return true;
}

int CDMarker::ValueAt(LPARAM clientPoint) const
{
    const int width = Width(m_rect);
    if (width <= 0)
        return -1;
    POINT point = {GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
    ::MapWindowPoints(m_hWnd, m_parent, &point, 1);
    const int x = std::max(static_cast<int>(point.x), static_cast<int>(m_rect.left));
    const int value = m_minValue + (m_maxValue - m_minValue) * (x - m_rect.left) / width;
    return std::clamp(value, m_minValue, m_maxValue);
}

void CDMarker::Draw(CDC& dc) const
{
    const int width = Width(m_rect);
    const int height = Height(m_rect);
    CDC imageDC;
    if (!imageDC.CreateCompatibleDC(dc))
        return;
    if (!m_backImage.IsNull()) {
        CSelectObject select(imageDC, m_backImage);
        dc.BitBlt(0, 0, width, height, imageDC, 0, 0, SRCCOPY);
    }
    const int range = m_maxValue - m_minValue;
    if (!m_markImage.IsNull() && range > 0) {
        const int fill = width * (m_value - m_minValue) / range;
        CSelectObject select(imageDC, m_markImage);
        dc.BitBlt(0, 0, fill, height, imageDC, 0, 0, SRCCOPY);
    }
}

LRESULT CDMarker::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    CDC memDC;
    CBitmap composed;
    if (Width(m_rect) <= 0 || Height(m_rect) <= 0 || !memDC.CreateCompatibleDC(dc) ||
        !composed.CreateCompatibleBitmap(dc, Width(m_rect), Height(m_rect)))
        return 0;
    CSelectObject select(memDC, composed);
    Draw(memDC);
    dc.BitBlt(0, 0, Width(m_rect), Height(m_rect), memDC, 0, 0, SRCCOPY);
    return 0;
}

LRESULT CDMarker::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    // A marker without width has no value under any point.
    if (!m_interactive || Width(m_rect) <= 0)
        return 0;
    ::SetCapture(m_hWnd);
    m_dragging = true;
    m_downPoint = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return 0;
}

LRESULT CDMarker::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!m_dragging)
        return 0;
    const int value = ValueAt(lParam);
    if (value >= 0) {
        m_value = value;
        Invalidate(FALSE);
    }
    return 0;
}

LRESULT CDMarker::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    m_dragging = false;
    const int value = m_interactive ? ValueAt(lParam) : -1;
    if (value >= 0) {
        m_value = value;
        ::PostMessageW(m_parent, WM_DMARKER_MOVED, static_cast<WPARAM>(m_value), static_cast<LPARAM>(m_controlId));
    }
    LRESULT result = DefWindowProc();
    // A press that began elsewhere may end here while another window holds the mouse.
    ReleaseCaptureOf(m_hWnd);
    Invalidate(FALSE);
    return result;
}

LRESULT CDMarker::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    // The capture has gone to another window already: taking it back from that window would leave it
    // without the mouse. The drag ends at the button-up or when the focus goes.
    if (m_dragging)
        Invalidate(FALSE);
    return 0;
}

LRESULT CDMarker::OnKillFocus(UINT, WPARAM, LPARAM, BOOL&)
{
    LRESULT result = DefWindowProc();
    m_dragging = false;
    Invalidate(FALSE);
    return result;
}

CGUIItem* CreateDMarker(const pugi::xml_node& element, SkinLoadContext& context)
{
    int id = -1;
    CWnd* parent = nullptr;
    if (!ReadWidgetIdAndParent(element, context, id, parent))
        return nullptr;
    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto marker = std::make_unique<CDMarker>();
    if (!marker->Create(rc, parent->m_hWnd, id, LoadChildBitmap("SBMN", element), LoadChildBitmap("MARK", element)))
        return nullptr;
    marker->SetSkinItem(id, SkinItemType::DMarker, marker->m_hWnd, parent);
    return marker.release();
}
