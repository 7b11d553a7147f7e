// CDMarker: a horizontal level marker (DMARKER elements). Its mark picture is revealed from the left up
// to the current value, which the user drags; the release posts WM_DMARKER_MOVED to the parent.
#pragma once

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"
#include "skin/SliderCommon.h"

struct SkinLoadContext;

class CDMarker : public CWnd, public CGUIItem {
public:
    CDMarker() = default;
    ~CDMarker() override;

    BEGIN_MSG_MAP(CDMarker)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
    END_MSG_MAP()

    // The marker's window at `rc` in `parent`, with its own copies of the parts of `back` and `mark`
    // (either may be null) under it.
    bool Create(const RECT& rc, HWND parent, int controlId, CBitmap* back, CBitmap* mark);
    // The value under a client point; -1 when the marker has no width to read one from.
    int ValueAt(LPARAM clientPoint) const;
    // The marker's look, drawn into `dc` at the marker's size.
    void Draw(CDC& dc) const;

    int m_controlId = -1;
    CBitmap m_backImage;
    CBitmap m_markImage;
    RECT m_rect = {};  // in the parent's client coordinates
    int m_minValue = 0;
    int m_maxValue = 10;
    int m_value = 0;
    bool m_dragging = false;
    POINT m_downPoint = {};
    HWND m_parent = nullptr;
    bool m_interactive = true;

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCaptureChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

// Reader of a DMARKER element (type 7): null when its name is unknown or there is no window to put it
// in. The caller appends it.
CGUIItem* CreateDMarker(const pugi::xml_node& element, SkinLoadContext& context);
