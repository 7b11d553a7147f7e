// The bitmap-skinned vertical scroll bar.
#include "skin/VScrollBar.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "skin/DrawingHelpers.h"
#include "skin/MemDC.h"

CVScrollBar::CVScrollBar(HWND scrolled, int width) : m_scrolled(scrolled), m_width(width) {}

BOOL CVScrollBar::Create(const wchar_t* text, DWORD style, const RECT& rc, HWND parent, UINT id)
{
    if (!CStatic::Create(text, style, rc, parent, id))
        return FALSE;
    if (m_hasBitmaps) {
        LoadBitmaps();
        m_thumbTop = Height(kTop) + Height(kArrowUp);
    }
    return TRUE;
}

void CVScrollBar::SetBitmaps(const ScrollBarBitmaps& bitmaps)
{
    CBitmap* const sources[kPartCount] = {bitmaps.top,       bitmaps.bottom, bitmaps.arrowUp,
                                          bitmaps.arrowDown, bitmaps.span,   bitmaps.thumb};
    for (int i = 0; i < kPartCount; ++i) {
        m_parts[i].source = sources[i] ? static_cast<HBITMAP>(*sources[i]) : nullptr;
        m_parts[i].copy.DeleteObject();
        m_parts[i].size = SIZE{};
    }
    m_hasBitmaps = true;
    m_loaded = false;
    if (m_hWnd)
        LoadBitmaps();
    if (m_thumbTop == 0)
        m_thumbTop = Height(kTop) + Height(kArrowUp);
}

void CVScrollBar::LoadBitmaps()
{
    if (m_loaded)
        return;
    CClientDC dc(m_hWnd);
    for (Part& part : m_parts) {
        BITMAP bm = {};
        if (!part.source || !::GetObjectW(part.source, sizeof(bm), &bm))
            continue;
        if (CopyBitmapRect(part.copy, dc, part.source, 0, 0, bm.bmWidth, bm.bmHeight))
            part.size = SIZE{bm.bmWidth, bm.bmHeight};
    }
    m_loaded = true;
}

int CVScrollBar::TrackLength() const
{
    RECT client = {};
    GetClientRect(&client);
    return (client.bottom - client.top) - Height(kThumb) - Height(kArrowDown) - Height(kArrowUp) - Height(kBottom) -
           Height(kTop);
}

void CVScrollBar::ApplyThumbLimits()
{
    RECT client = {};
    GetClientRect(&client);
    const int highest = client.top + Height(kTop) + Height(kArrowUp);
    const int lowest = (client.bottom - Height(kArrowDown) - Height(kBottom)) - Height(kThumb);
    m_thumbTop = std::max(std::min(m_thumbTop, lowest), highest);
}

void CVScrollBar::Synchronise()
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    const bool known = ::GetScrollInfo(m_scrolled, SB_VERT, &info) != FALSE;
    const int range = info.nMax - static_cast<int>(info.nPage);
    m_thumbTop = Height(kTop) + Height(kArrowUp);
    if (known && range > 0)
        m_thumbTop += static_cast<int>(static_cast<double>(TrackLength()) / range * info.nPos);
    ApplyThumbLimits();
    Invalidate(FALSE);
}

void CVScrollBar::PostScroll(UINT code)
{
    ::PostMessageW(m_scrolled, WM_VSCROLL, code, 0);
    Synchronise();
}

bool CVScrollBar::InUpArrow(POINT point) const
{
    const int top = Height(kTop);
    return point.x >= 0 && point.x < m_width && point.y >= top && point.y < top + Height(kArrowUp);
}

bool CVScrollBar::InDownArrow(POINT point) const
{
    RECT client = {};
    GetClientRect(&client);
    const int bottom = client.bottom - Height(kBottom);
    return point.x >= 0 && point.x < m_width && point.y >= bottom - Height(kArrowDown) && point.y < bottom;
}

bool CVScrollBar::InThumb(POINT point) const
{
    return point.x >= 0 && point.x < m_width && point.y >= m_thumbTop && point.y < m_thumbTop + Height(kThumb);
}

void CVScrollBar::Draw(CDC& dc, const RECT& client)
{
    dc.FillSolidRect(client, m_backColour);
    const int height = client.bottom - client.top;
    CDC partDC;
    if (!partDC.CreateCompatibleDC(dc))
        return;
    auto blit = [&](PartIndex index, int y) {
        const Part& part = m_parts[index];
        if (part.copy.IsNull())
            return;
        CSelectObject select(partDC, part.copy);
        dc.BitBlt(client.left, y, m_width, part.size.cy, partDC, 0, 0, SRCCOPY);
    };
    blit(kTop, 0);
    blit(kArrowUp, Height(kTop));
    if (!m_parts[kSpine].copy.IsNull()) {
        for (int y = Height(kTop) + Height(kArrowUp); y <= height - 1; ++y)
            blit(kSpine, y);
    }
    blit(kArrowDown, height - Height(kBottom) - Height(kArrowDown));
    blit(kBottom, height - Height(kBottom));
    blit(kThumb, m_thumbTop);
}

LRESULT CVScrollBar::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    RECT client = {};
    GetClientRect(&client);
    CMemDC memDC(&dc, &client);
    Draw(memDC, client);
    return 0;
}

LRESULT CVScrollBar::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const HWND holder = ::GetCapture();
    if (holder != m_hWnd)
        m_returnCapture = m_scrolled && holder == m_scrolled;
    ::SetCapture(m_hWnd);
    if (InThumb(point)) {
        m_dragging = true;
    } else if (InDownArrow(point)) {
        m_downHeld = true;
        SetTimer(kRepeatDelayTimer, kRepeatDelayMs);
    } else if (InUpArrow(point)) {
        m_upHeld = true;
        SetTimer(kRepeatDelayTimer, kRepeatDelayMs);
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CVScrollBar::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam == kRepeatDelayTimer) {
        KillTimer(kRepeatDelayTimer);
        if (m_upHeld || m_downHeld)
            SetTimer(kRepeatTimer, kRepeatMs);
    } else if (wParam == kRepeatTimer) {
        if (m_downHeld)
            PostScroll(SB_LINEDOWN);
        if (m_upHeld)
            PostScroll(SB_LINEUP);
    } else {
        bHandled = FALSE;
    }
    return 0;
}

LRESULT CVScrollBar::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!(wParam & MK_LBUTTON) || !m_dragging)
        return 0;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(m_scrolled, SB_VERT, &info) || info.nMax < static_cast<int>(info.nPage))
        return 0;
    // A bar too short for its images has no track to map the pointer onto.
    const int track = TrackLength();
    if (track <= 0)
        return 0;

    RECT client = {};
    GetClientRect(&client);
    const int y = std::max(static_cast<int>(client.top),
                           std::min(static_cast<int>(GET_Y_LPARAM(lParam)), static_cast<int>(client.bottom)));
    m_thumbTop = y - Height(kThumb) / 2;
    ApplyThumbLimits();
    const int range = info.nMax - static_cast<int>(info.nPage);
    const int position =
        range > 0 ? static_cast<int>((m_thumbTop - Height(kArrowUp) - Height(kTop)) / (static_cast<double>(track) / range))
                  : 0;
    if (position != info.nPos) {
        const UINT code = position > info.nPos ? SB_LINEDOWN : SB_LINEUP;
        for (int n = std::abs(position - info.nPos); n > 0; --n)
            PostScroll(code);
    }
    Invalidate(FALSE);
    return 0;
}

LRESULT CVScrollBar::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    Synchronise();
    KillTimer(kRepeatTimer);
    ::ReleaseCapture();
    bool posted = false;
    if (m_upHeld && InUpArrow(point)) {
        PostScroll(SB_LINEUP);
        posted = true;
    }
    if (m_downHeld && InDownArrow(point)) {
        PostScroll(SB_LINEDOWN);
        posted = true;
    }
    if (!posted && !InThumb(point))
        PostScroll(point.y > m_thumbTop ? SB_PAGEDOWN : SB_PAGEUP);
    m_upHeld = false;
    m_downHeld = false;
    m_dragging = false;
    LRESULT result = DefWindowProc();
    // A list that held the capture for itself (an open drop-down list does) gets it back; any other
    // window would take every later mouse message of the program from the window under the pointer.
    if (m_returnCapture)
        ::SetCapture(m_scrolled);
    m_returnCapture = false;
    return result;
}

std::unique_ptr<CVScrollBar> CreateScrollBar(HWND scrolled, HWND parent, const RECT& rect,
                                             const ScrollBarBitmaps& bitmaps, COLORREF backColour,
                                             COLORREF borderColour, int borderWidth)
{
    constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY;
    constexpr UINT kId = 0xFFFF;
    auto bar = std::make_unique<CVScrollBar>(scrolled, static_cast<int>(rect.right - rect.left));
    if (!bar->Create(L"", kStyle, rect, parent, kId))
        return nullptr;
    bar->m_backColour = backColour;
    bar->m_borderColour = borderColour;
    bar->m_borderWidth = borderWidth;
    bar->SetBitmaps(bitmaps);
    return bar;
}
