// CSliderHMulti: a horizontal track carrying up to five stage thumbs (HSLIDERM elements). It shows the
// part of its container's picture under it, passes its thumbs' WM_SLIDER_POSCHANGED on, and a click on
// the track moves the first thumb there.
#pragma once

#include <memory>
#include <vector>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"
#include "skin/PHSlider.h"
#include "skin/SliderCommon.h"

class CBitmapItem;
struct SkinLoadContext;

class CSliderHMulti : public CStripSlider {
public:
    static constexpr size_t kMaxThumbs = 5;

    CSliderHMulti() = default;
    ~CSliderHMulti() override;

    BEGIN_MSG_MAP(CSliderHMulti)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_SLIDER_POSCHANGED, OnPosChanged)
    END_MSG_MAP()

    // The slider's window at `rc` in `in`, showing the part of the container's picture under it (none
    // without a container).
    bool Create(const RECT& rc, HWND in, int id, const CBitmapItem* container);
    // One thumb per stage id (at most kMaxThumbs), each with its own copies of the two images, on a
    // track the slider's size, starting at value k + 3 for thumb k.
    void CreateThumbs(const std::vector<int>& stageIds, HBITMAP normal, HBITMAP hot);
    // Pixels kept free at the track's ends, given to every thumb. Where the thumbs can go stays as it
    // was computed at creation; only the pixel-to-value conversions take the offsets in.
    void SetOffset(int left);
    void SetOffsets(int left, int right);
    // Mouse input of the track and of every thumb.
    void SetInteractive(bool interactive);

    bool m_interactive = true;  // a click on the track moves the first thumb
    int m_imageWidth = 0;  // size of the thumb image
    int m_imageHeight = 0;
    int m_leftOffset = 0;
    int m_rightOffset = 0;
    std::vector<std::unique_ptr<CPHSlider>> m_thumbs;

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPosChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

// Reader of an HSLIDERM element (type 8): null when its name is unknown, it has no STAGE or there is
// no window to put it in. The caller appends it.
CGUIItem* CreateSliderHMulti(const pugi::xml_node& element, SkinLoadContext& context);
