// Steps the skinned widgets share: where a reader puts a widget, a button's text layout, the paint state
// of an owner-drawn button, and the pointer leaving a widget that holds the mouse capture.
#pragma once

#include <windows.h>

#include <pugixml.hpp>

#include "framework/Gdi.h"

class CWnd;
struct SkinLoadContext;

// Near-white, for caption and text colours the skin left unset (0).
constexpr COLORREF kUnsetTextColour = 0xFEFEFE;

// The two-character sequence by which skin texts ask for a line break.
constexpr wchar_t kBreakMark[] = L"\\n";

// Where a reader of a widget starts: the element's item id and the loader's parent window. False when the
// element names no known item or the parent has no window.
bool ReadWidgetIdAndParent(const pugi::xml_node& element, const SkinLoadContext& context, int& id, CWnd*& parent);

// The window a widget goes in: the container named by the element's windowid when that has a window,
// else the loader's parent; null when neither has a window.
CWnd* ReadContainerParent(const pugi::xml_node& element, const SkinLoadContext& context);

// A caption's justification and line breaking as a BUTTON element gives them: adds the button style
// (BS_LEFT, BS_CENTER, BS_RIGHT) to `style` and the DrawText flags to `textFormat`.
void ReadButtonTextLayout(const pugi::xml_node& element, int id, DWORD& style, UINT& textFormat);

// What an owner-drawn button paints with: its state from the draw record and its client area.
struct ItemPaint {
    bool pressed;
    bool disabled;
    RECT client;
    int width;
    int height;
};
ItemPaint ReadItemPaint(HWND wnd, const DRAWITEMSTRUCT& item);

// A memory DC with a bitmap of a button's size that starts as a copy of what the button covers: the
// button's paint is composed on it and goes to the screen in one piece.
class CComposingDC : public CDC {
public:
    CComposingDC(HDC target, int width, int height);
    // Selects the DC's own bitmap back in before the bitmap and the DC go.
    ~CComposingDC() override;
    // False when the DC or its bitmap could not be made; nothing is drawn then.
    bool IsReady() const { return m_old != nullptr; }

private:
    CBitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
};

// For a widget that holds the capture while the pointer is over it: whether the pointer at `lParam`
// (client coordinates of a mouse message) is now over another window.
bool PointerLeftWindow(HWND wnd, LPARAM lParam);
