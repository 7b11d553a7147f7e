// What the skinned value widgets (sliders, the multi-stage slider, the level marker) share: their
// notifications, how they let go of the mouse and tell their windows, and their pictures.
#pragma once

#include <windows.h>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"

class CBitmapItem;
struct SkinLoadContext;

// A slider or stage thumb has a new position. wParam: the position (0..100 for a vertical slider, the
// step value for a stage thumb); lParam: the sender's item id.
constexpr UINT WM_SLIDER_POSCHANGED = WM_USER + 0x46;
// A click on a multi-stage slider. wParam: the index of the band hit; lParam: the slider's item id.
constexpr UINT WM_APMSTAGE_CLICKED = WM_USER + 0x1F6;
// A level marker was released. wParam: its new value; lParam: its item id.
constexpr UINT WM_DMARKER_MOVED = WM_USER + 0x50;

// Gives up the mouse capture when `wnd` still holds it. A widget that lost it meanwhile (a popup or
// another control took it) must leave the new holder alone.
void ReleaseCaptureOf(HWND wnd);

// Posts a notification of a slider to its parent and to the window it was created in, once to each:
// normally they are one window, which should hear of one change once.
void PostToParentAndCreator(HWND slider, HWND createdIn, UINT msg, WPARAM wParam, LPARAM lParam);

// Paints `image` at the top left of the client area of `wnd` within a paint cycle (only validates
// without an image).
void PaintClientImage(HWND wnd, const CBitmap& image);

// Where a strip slider (the multi-stage sliders) goes: the window it is created in, the container named
// by the element's trackid, whose picture it shows (`container`), or without one the loader's parent and
// no picture; and its rectangle there. `in` is null when there is no window.
struct SliderPlace {
    CWnd* in = nullptr;
    CBitmapItem* container = nullptr;
    RECT rc = {};
};
SliderPlace ReadSliderPlace(const pugi::xml_node& element, int id, const SkinLoadContext& context);

// The DIB of the bitmap file named by the element's child `childName` (skins folder, cached, not
// owned); null without the child or the file.
HBITMAP ReadChildDib(const pugi::xml_node& element, const char* childName);

// What the strip sliders have alike: where they were made, the part of the container's picture they
// show, and the value range of their thumbs.
class CStripSlider : public CWnd, public CGUIItem {
public:
    CBitmap m_background;
    RECT m_rect = {};
    HWND m_createdIn = nullptr;
    int m_rangeMin = 1;
    int m_rangeMax = 32;

protected:
    // Makes the window (the picture window class, visible, clipping its thumbs) at `rc` in `in`, keeps
    // where it was made and takes the part of the container's picture under `rc` (container client
    // coordinates) as its background, which stays empty without a container or picture.
    bool CreateStrip(const RECT& rc, HWND in, int id, const CBitmapItem* container);

    // The paint covers the whole window: there is nothing to erase.
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
