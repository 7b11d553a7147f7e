// CBitmapBtn: the skinned push button and check box of the panels (BUTTON elements). An owner-drawn
// button that paints one of four state images, optionally shaped by a mask, with a caption in a state
// colour, a tooltip, hover tracking through the mouse capture, and a blinking look.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "framework/Button.h"
#include "framework/Gdi.h"
#include "framework/ToolTipCtrl.h"
#include "skin/GUIItem.h"

struct SkinLoadContext;

class CBitmapBtn : public CButton, public CGUIItem {
public:
    static constexpr UINT_PTR kBlinkTimer = 16;
    static constexpr int kBlinkPeriodMs = 500;

    CBitmapBtn() = default;
    ~CBitmapBtn() override;

    BEGIN_MSG_MAP(CBitmapBtn)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
    END_MSG_MAP()

    // Makes any button owner-drawn and takes it out of the tab order.
    void PreSubclassWindow() override;
    // Relays the button's mouse messages to its tooltip, which the first of them creates when the
    // button has a tooltip text.
    BOOL PreTranslateMessage(MSG* msg) override;

    BOOL Create(const wchar_t* caption, DWORD style, const RECT& rc, HWND parent, UINT id)
    {
        return CButton::Create(caption, style, rc, parent, id);
    }
    virtual void DrawItem(DRAWITEMSTRUCT* item);

    // The button's own copies of the given skin images, cut to (x, y)-(right, bottom); a null image
    // leaves that state's copy as it was. With a mask, the first mask also shapes the window.
    void LoadButtonImages(CBitmap* normal, CBitmap* over, CBitmap* down, CBitmap* disabled, CBitmap* mask, int x,
                          int y, int right, int bottom);
    void LoadButtonImagesNoMask(CBitmap* normal, CBitmap* over, CBitmap* down, CBitmap* disabled, int x, int y,
                                int right, int bottom);

    // The text (translated, every "\n" shown as a blank) of the button's tooltip. The tooltip window
    // is made when the pointer first comes over the button: a keyboard page of a hundred keys would
    // otherwise make a hundred windows with their fonts before it shows.
    void SetTooltip(const std::wstring& text);
    void SetSelected(int selected);
    // The translated text in `caps` (1 upper, 2 lower case, else as it is), the first "\n" made a line
    // break. No repaint.
    void SetCaption(const std::wstring& text, int caps);
    // Alternates the normal and down images every `periodMs` until StopBlinking.
    void StartBlinking(int periodMs = kBlinkPeriodMs);
    void StopBlinking();
    bool IsBlinking() const { return m_blinkImage != nullptr; }

    CToolTipCtrl m_toolTip;
    std::wstring m_tooltipText;  // what the tooltip shows, kept until it is made
    bool m_hasTooltip = false;
    int m_checked = 0;     // down as a check box, or selected by the program
    int m_isCheckBox = 0;
    int m_hover = 0;       // the mouse is over the button (while it holds the capture)
    CBitmap m_bmpNormal;
    CBitmap m_bmpOver;
    CBitmap m_bmpDown;
    CBitmap m_bmpDisabled;
    CBitmap m_bmpMask;
    // Caption colours by state; 0 means not set.
    COLORREF m_clrNormal = 0;
    COLORREF m_clrOver = 0;
    COLORREF m_clrDown = 0;
    COLORREF m_clrDisabled = 0;
    BYTE m_toggleOnClick = 1;  // a click on a check box flips m_checked (key items keep it)
    std::wstring m_caption;
    CFont* m_font = nullptr;   // the FONT item's font, not owned
    // Region made from the mask; ours. The window is given a copy, since the system owns a window's
    // region from SetWindowRgn on.
    HRGN m_region = nullptr;
    UINT m_drawTextFormat = 0;
    int m_blinkPeriod = 0;
    CBitmap* m_blinkImage = nullptr;  // the image shown while blinking; null when not blinking
    BYTE m_hot = 0;                   // over look forced by another item
    // Hovering raises the button above its siblings; derived buttons that must keep their order clear it.
    bool m_raiseOnHover = true;

protected:
    // The caption over the composed image, in `colour` and the button's font (Arial 14 bold without one).
    void DrawCaption(CDC& dc, const RECT& client, COLORREF colour) const;
    // The caption's colour in the button's state (near-white where the skin left it unset).
    COLORREF TextColour(bool pressed, bool disabled) const;
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCaptureChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDblClk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // Shows `shown` as the tooltip's text as it stands, at once when the tooltip exists, else once it
    // is made.
    void SetTooltipShown(const std::wstring& shown);

private:
    void CopyStateImages(CBitmap* normal, CBitmap* over, CBitmap* down, CBitmap* disabled, int x, int y,
                         int right, int bottom);
    // The state image of DrawItem's step 1.
    CBitmap* StateImage(bool pressed, bool disabled);
    void CreateToolTip();
};

// Reader of a BUTTON element (type 2): null when its name is unknown or there is no window to put the
// button in. The caller appends the item.
CGUIItem* CreateBitmapBtn(const pugi::xml_node& element, SkinLoadContext& context);
