// CAPMSlider: a horizontal strip divided into coloured bands by stage thumbs (HSLIDERM APM elements),
// with a faint copy of the container's picture blended over the bands. A click posts the index of the
// band hit; the stages' own notifications are passed on.
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

class CAPMSlider : public CStripSlider {
public:
    CAPMSlider() = default;
    ~CAPMSlider() override;

    BEGIN_MSG_MAP(CAPMSlider)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_SLIDER_POSCHANGED, OnPosChanged)
    END_MSG_MAP()

    // The slider's window at `rc` in `in`, blending the part of the container's picture under it (none
    // without a container). The two stage images are kept (not owned) for stage thumbs.
    bool Create(const RECT& rc, HWND in, int id, const CBitmapItem* container, HBITMAP stageImage,
                HBITMAP stageHotImage);
    // Adds a stage thumb at `value` with the band right of it in `colour`. The skin files add none; the
    // colour list keeps one entry more than there are stages.
    CPHSlider* AddStage(int stageId, int value, COLORREF colour);

    // Spreads the stages evenly over the range.
    void SetDefaultStages();
    // Lets every stage go anywhere in the range.
    void RemoveTickerCapRanges();
    // Keeps every stage between its neighbours.
    void SetTickerCapRanges();
    // The one of the two above that m_freeStages asks for.
    void ApplyCapRanges();
    // Grey levels for the first bands, one per stage, darkest first.
    void SetDefaultColours();

    // The x of a value's band edge in the client area.
    int BandX(int value) const;
    // The index of the band under client x: the number of leading stages at or below its value. -1 when
    // the slider has no width to read a value from.
    int BandAt(int x) const;
    // The slider's look, drawn into `dc` (client size): the bands with the picture blended over them.
    void Draw(CDC& dc, const RECT& client) const;

    std::vector<COLORREF> m_colours = {0};  // band i lies left of stage i; the last right of the last
    std::vector<std::unique_ptr<CPHSlider>> m_stages;
    HBITMAP m_stageImage = nullptr;  // skin bitmaps, not owned
    HBITMAP m_stageHotImage = nullptr;
    BYTE m_alpha = 50;
    bool m_freeStages = false;

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPosChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    void DrawBands(CDC& dc, const RECT& client) const;
    // The colour of band i; black for a band the list has no colour for.
    COLORREF BandColour(size_t band) const;
    // Repaints the bands on both sides of the stage that moved, leaving its neighbours' windows alone.
    void InvalidateStageStrip(size_t stage);
};

// Reader of an HSLIDERMAPM element (type 9): null when its name is unknown or there is no window to put
// it in. The caller appends it.
CGUIItem* CreateAPMSlider(const pugi::xml_node& element, SkinLoadContext& context);
