// The stage thumb: geometry of its track, pixel-to-step conversion, dragging, hover and its picture.
#include "skin/PHSlider.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
#include "skin/LangTable.h"

namespace {

// Visible children in the tab order.
constexpr DWORD kThumbStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// The colour of a bitmap's top-left pixel, CLR_INVALID when it can't be read.
COLORREF CornerColour(HBITMAP bitmap)
{
    CDC dc;
    if (!bitmap || !dc.CreateCompatibleDC(nullptr))
        return CLR_INVALID;
    CSelectObject select(dc, bitmap);
    return dc.GetPixel(0, 0);
}

} // namespace

CPHSlider::~CPHSlider()
{
    // The window and its tooltip end while every part of the object still exists.
    if (m_hWnd && IsWindow())
        DestroyWindow();
    if (m_toolTip.m_hWnd && m_toolTip.IsWindow())
        m_toolTip.DestroyWindow();
}

bool CPHSlider::Create(HBITMAP normal, HBITMAP hot, int stageId, const RECT& track, HWND parent)
{
    m_normalImage.Attach(normal);
    m_hotImage.Attach(hot);
    const SIZE size = m_normalImage.GetSize();
    m_thumbWidth = size.cx;
    m_thumbHeight = size.cy;
    m_track = track;
    m_parent = parent;
    m_interactive = true;
    if (!CBitmapItem::WindowClass() ||
        !CreateEx(0, CBitmapItem::WindowClass(), L"", kThumbStyle, 0, 0, m_thumbWidth, m_thumbHeight, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(stageId))))
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetExStyle() | WS_EX_TOPMOST);
    m_id = stageId;
    m_type = SkinItemType::StageThumb;
    m_window = m_hWnd;
    if (stageId != 0) {
        const COLORREF key = CornerColour(m_normalImage);
        if (HRGN region = key == CLR_INVALID ? nullptr : BitmapToRegion(m_normalImage, key)) {
            // The window owns its region from here on.
            if (!SetWindowRgn(region, TRUE))
                ::DeleteObject(region);
        }
    }
    ComputeGeometry();
    return true;
}

std::unique_ptr<CPHSlider> CPHSlider::CreateInSlider(CWnd& slider, int rangeMin, int rangeMax, HBITMAP normal,
                                                     HBITMAP hot, int stageId, int value)
{
    auto thumb = std::make_unique<CPHSlider>();
    thumb->m_rangeMin = rangeMin;
    thumb->m_rangeMax = rangeMax;
    RECT track = {};
    slider.GetClientRect(&track);
    if (!thumb->Create(DuplicateDib(normal), DuplicateDib(hot), stageId, track, slider.m_hWnd))
        return nullptr;
    thumb->SetCapRange(rangeMin, rangeMax);
    thumb->m_owner = &slider;
    thumb->SetValue(value);
    return thumb;
}

void CPHSlider::ComputeGeometry()
{
    m_stepCount = m_rangeMax - m_rangeMin + 1;
    m_trackStart = m_track.left + m_leftOffset;
    const int trackEnd = m_track.right - m_rightOffset;
    const int usable = trackEnd - m_trackStart;
    // No width or no steps leaves no pixel a value could be read from; HasSteps() then refuses clicks.
    m_pixelsPerStep = (usable > 0 && m_rangeMax > m_rangeMin)
                          ? static_cast<float>(usable) / static_cast<float>(m_rangeMax - m_rangeMin)
                          : 0.0f;
    m_minThumbX = m_trackStart - m_thumbWidth / 2;
    m_maxThumbX = trackEnd - m_thumbWidth / 2;
    m_minCentreX = m_trackStart;
    m_maxCentreX = trackEnd;
}

void CPHSlider::SetCapRange(int min, int max)
{
    CapRangeMin = std::clamp(min, m_rangeMin, m_rangeMax);
    CapRangeMax = std::clamp(max, m_rangeMin, m_rangeMax);
}

void CPHSlider::SetValue(int value)
{
    m_value = ClampToCap(value);
    if (!m_hWnd)
        return;
    // The thumb shows the value it keeps.
    const int x = static_cast<int>(static_cast<float>(m_value - m_rangeMin) * m_pixelsPerStep) + m_minThumbX;
    SetWindowPos(nullptr, x, m_track.top, m_thumbWidth, m_thumbHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate(FALSE);
}

void CPHSlider::SetTooltip(const std::wstring& key)
{
    m_toolTip.SetClientTool(m_hWnd, key, TranslateText(key));
}

int CPHSlider::ValueAtCentre(int x) const
{
    if (!HasSteps())
        return ClampToCap(m_rangeMin);
    const int centre = std::clamp(x, m_minCentreX, std::max(m_minCentreX, m_maxCentreX));
    // Half a step to the right, so a thumb within half a step of a value's position takes that value.
    const float offset = static_cast<float>(centre - m_track.left - m_leftOffset +
                                            static_cast<int>(m_pixelsPerStep * 0.5f));
    const int steps = static_cast<int>(std::ceil(offset / m_pixelsPerStep));
    return ClampToCap(m_rangeMin - 1 + steps);
}

int CPHSlider::ClampToCap(int value) const
{
    // Signed: a value below the range (a pointer left of an offset track) is the low end, not the top.
    return std::max(CapRangeMin, std::min(value, CapRangeMax));
}

int CPHSlider::CentreFromClient(LPARAM lParam) const
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::MapWindowPoints(m_hWnd, m_parent, &point, 1);
    return std::clamp(static_cast<int>(point.x), m_minCentreX, std::max(m_minCentreX, m_maxCentreX));
}

void CPHSlider::Notify() const
{
    ::PostMessageW(m_parent, WM_SLIDER_POSCHANGED, static_cast<WPARAM>(m_value), static_cast<LPARAM>(m_id));
}

BOOL CPHSlider::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.EnsureCreated(m_hWnd))
        m_toolTip.RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

LRESULT CPHSlider::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!m_interactive || !HasSteps())
        return 0;
    ::SetCapture(m_hWnd);
    m_dragging = true;
    m_downPoint = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    Invalidate(FALSE);
    return 0;
}

LRESULT CPHSlider::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!m_interactive)
        return 0;
    if (!m_leaveRequested) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_leaveRequested = ::TrackMouseEvent(&track) != FALSE;
    }
    m_hover = true;
    if (m_dragging) {
        const int centre = CentreFromClient(lParam);
        SetWindowPos(nullptr, centre - m_thumbWidth / 2, m_track.top, m_thumbWidth, m_thumbHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        const int value = ValueAtCentre(centre);
        if (value != m_value) {
            m_value = value;
            Notify();
        }
    }
    Invalidate(FALSE);
    return 0;
}

LRESULT CPHSlider::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!m_interactive || !HasSteps())
        return 0;
    m_dragging = false;
    ReleaseCaptureOf(m_hWnd);
    SetValue(ValueAtCentre(CentreFromClient(lParam)));
    Notify();
    // A request made while the pointer was off the thumb (dragged with the capture) may never be
    // answered: the next move asks again.
    m_leaveRequested = false;
    m_hover = false;
    Invalidate(FALSE);
    return 0;
}

LRESULT CPHSlider::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_leaveRequested = false;
    m_hover = false;
    Invalidate(FALSE);
    return 0;
}

LRESULT CPHSlider::OnKillFocus(UINT, WPARAM, LPARAM, BOOL&)
{
    LRESULT result = DefWindowProc();
    m_leaveRequested = false;
    m_hover = false;
    Invalidate(FALSE);
    return result;
}

LRESULT CPHSlider::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    const CBitmap& image = (m_dragging || m_hover) && !m_hotImage.IsNull() ? m_hotImage : m_normalImage;
    CDC imageDC;
    if (image.IsNull() || !imageDC.CreateCompatibleDC(dc))
        return 0;
    CSelectObject select(imageDC, image);
    dc.BitBlt(0, 0, m_thumbWidth, m_thumbHeight, imageDC, 0, 0, SRCCOPY);
    return 0;
}

LRESULT CPHSlider::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    return 1;
}
