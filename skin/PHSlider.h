// CPHSlider: one stage thumb of a horizontal slider. It is dragged along its track, shows its hot image
// while hovered or dragged, and posts WM_SLIDER_POSCHANGED to its parent whenever its step value changes
// and once more when it is released. The multi-thumb slider and the multi-stage slider are made of them.
#pragma once

#include <memory>
#include <string>

#include "framework/Gdi.h"
#include "framework/ToolTipCtrl.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"
#include "skin/SliderCommon.h"

class CPHSlider : public CWnd, public CGUIItem {
public:
    CPHSlider() = default;
    ~CPHSlider() override;

    BEGIN_MSG_MAP(CPHSlider)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    END_MSG_MAP()

    // Relays the thumb's messages to its tooltip (created, inactive, on first need).
    BOOL PreTranslateMessage(MSG* msg) override;

    // Creates the thumb window in `parent` at the size of `normal`, shaped (unless the stage id is 0) to
    // the pixels that differ from the image's top-left one. The thumb takes over both images. `track`:
    // where the thumb travels, in the parent's client coordinates. Fills the item's id, type and window;
    // the owner is the creator's to set.
    bool Create(HBITMAP normal, HBITMAP hot, int stageId, const RECT& track, HWND parent);
    // A thumb in `slider` on a track its client area's size, over [rangeMin, rangeMax] and allowed all
    // of it, with its own copies of the two images, at `value`; null when its window can't be made.
    static std::unique_ptr<CPHSlider> CreateInSlider(CWnd& slider, int rangeMin, int rangeMax, HBITMAP normal,
                                                     HBITMAP hot, int stageId, int value);
    // Recomputes where the thumb can go and how many pixels one step is.
    void ComputeGeometry();
    // Narrows the values the thumb accepts to [min, max] (each kept inside the range); the value and
    // the thumb stay where they are.
    void SetCapRange(int min, int max);
    // Stores the value kept inside the cap range and puts the thumb on its step.
    void SetValue(int value);
    // The thumb's tooltip: the text of a language key.
    void SetTooltip(const std::wstring& key);
    // The value of a thumb centred at x (parent coordinates), inside the cap range. Dragging and release
    // both use it, so the value a drag showed is the one the release reports.
    int ValueAtCentre(int x) const;
    // False when the track has no width or the range no steps: there is no value a pixel stands for.
    bool HasSteps() const { return m_pixelsPerStep > 0.0f; }

    int m_value = 1;
    int m_rangeMin = 1;
    int m_rangeMax = 32;
    int CapRangeMin = 1;
    int CapRangeMax = 32;
    int m_stepCount = 32;
    int m_leftOffset = 0;   // pixels kept free at the track's ends; read by the pixel conversions only
    int m_rightOffset = 0;
    float m_pixelsPerStep = 0.0f;
    int m_trackStart = 0;
    int m_minThumbX = 0;  // leftmost / rightmost left edge of the thumb
    int m_maxThumbX = 0;
    int m_minCentreX = 0;  // leftmost / rightmost centre of the thumb
    int m_maxCentreX = 0;
    CBitmap m_normalImage;
    CBitmap m_hotImage;  // drawn while hovered or dragged
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
    CToolTipCtrl m_toolTip;
    bool m_dragging = false;
    bool m_hover = false;
    // This thumb asked to be told when the pointer leaves it. Each thumb keeps its own: a request of one
    // thumb says nothing about another, which would otherwise stay hot once the pointer has gone.
    bool m_leaveRequested = false;
    RECT m_track = {};
    POINT m_downPoint = {};
    HWND m_parent = nullptr;
    bool m_interactive = true;

protected:
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseLeave(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    int ClampToCap(int value) const;
    // The x of a client point in parent coordinates, kept between the leftmost and rightmost centre.
    int CentreFromClient(LPARAM lParam) const;
    void Notify() const;
};
