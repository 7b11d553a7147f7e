// CVScrollBar: a bitmap-skinned vertical scroll bar that stands beside a list whose own scroll bars are
// hidden. It keeps no position of its own: it places its thumb from the list's scroll information and
// scrolls the list by posting WM_VSCROLL line and page codes to it.
#pragma once

#include <memory>

#include "framework/Gdi.h"
#include "framework/Static.h"
#include "skin/SkinValues.h"

class CVScrollBar : public CStatic {
public:
    static constexpr UINT_PTR kRepeatTimer = 1;       // one line per tick while an arrow is held
    static constexpr UINT_PTR kRepeatDelayTimer = 2;  // from the press to the first repeat
    static constexpr UINT kRepeatMs = 50;
    static constexpr UINT kRepeatDelayMs = 250;

    // `scrolled`: the list it scrolls; `width`: the thumb image's width, the width of every part.
    CVScrollBar(HWND scrolled, int width);
    ~CVScrollBar() override = default;

    BEGIN_MSG_MAP(CVScrollBar)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    END_MSG_MAP()

    // The static control's creation; the images given so far are copied for the new window.
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rc, HWND parent, UINT id);

    // The six images (skin resource cache images, not owned); copied at once when the window exists.
    void SetBitmaps(const ScrollBarBitmaps& bitmaps);
    // Places the thumb after the list's scroll position and repaints.
    void Synchronise();

    // One part of the bar: the cache's image, the bar's own copy and its size.
    struct Part {
        HBITMAP source = nullptr;
        CBitmap copy;
        SIZE size = {};
    };
    enum PartIndex { kTop, kBottom, kArrowUp, kArrowDown, kSpine, kThumb, kPartCount };

    int m_thumbTop = 0;  // client y of the thumb
    bool m_upHeld = false;
    bool m_downHeld = false;
    bool m_dragging = false;
    bool m_returnCapture = false;  // the scrolled window held the mouse capture when the press came
    bool m_hasBitmaps = false;
    bool m_loaded = false;
    Part m_parts[kPartCount];
    HWND m_scrolled = nullptr;
    // Set by the owner after creation. The border is not drawn.
    COLORREF m_backColour = 0;
    COLORREF m_borderColour = 0;
    int m_borderWidth = 1;
    int m_width = 0;

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    int Height(PartIndex part) const { return m_parts[part].copy.IsNull() ? 0 : m_parts[part].size.cy; }
    void LoadBitmaps();
    void Draw(CDC& dc, const RECT& client);
    // Keeps the thumb between the arrows; the upper limit wins when the bar is too short for both.
    void ApplyThumbLimits();
    // The height the thumb can travel.
    int TrackLength() const;
    void PostScroll(UINT code);
    bool InUpArrow(POINT point) const;
    bool InDownArrow(POINT point) const;
    bool InThumb(POINT point) const;
};

// The scroll bar of the list `scrolled` (a list panel's popup, a macro display), made in `rect` of
// `parent` with the images ReadScrollBarBitmaps read from the list's element (skin cache images, not
// owned); `rect` is as wide as the thumb image. It takes the list's background colour, and its border
// colour and width, which it does not draw. Null when its window can't be made.
std::unique_ptr<CVScrollBar> CreateScrollBar(HWND scrolled, HWND parent, const RECT& rect,
                                             const ScrollBarBitmaps& bitmaps, COLORREF backColour,
                                             COLORREF borderColour, int borderWidth);
