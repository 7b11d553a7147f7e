// CVertSlider: a bitmap-skinned thumb dragged up and down its track (VSLIDER elements). On release it
// posts its position, 100 at the top of the track and 0 at the bottom, as WM_SLIDER_POSCHANGED.
#pragma once

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"
#include "skin/SliderCommon.h"

struct SkinLoadContext;

class CVertSlider : public CWnd, public CGUIItem {
public:
    CVertSlider() = default;
    ~CVertSlider() override;

    BEGIN_MSG_MAP(CVertSlider)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    END_MSG_MAP()

    // The thumb window over the whole `track` (parent client coordinates) in `parent`; `image` (may be
    // null) gives the thumb's size and, from the track's top left, its picture.
    bool Create(const RECT& track, HWND parent, int controlId, CBitmap* image);
    // The position of a thumb whose top is at `top` (parent coordinates); -1 when the track leaves the
    // thumb no room to move.
    int PositionAt(int top) const;

    int m_controlId = -1;
    int m_position = 0;
    bool m_dragging = false;
    CBitmap m_thumbImage;
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
    RECT m_track = {};
    POINT m_downPoint = {};
    HWND m_parent = nullptr;

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    // The window's rectangle in the parent's client coordinates.
    RECT RectInParent() const;
};

// Reader of a VSLIDER element (type 5): null when its name is unknown or there is no window to put it
// in. The caller appends it.
CGUIItem* CreateVertSlider(const pugi::xml_node& element, SkinLoadContext& context);
