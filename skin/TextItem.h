// CTextItem: the skinned label (TEXTITEM elements). An owner-drawn static that draws its translated
// text straight onto the panel's background in a normal, hot or disabled colour. Linked to a check box
// (a CBitmapBtn in check-box mode), it lights the box while the mouse is over the text and clicks it
// when the text is clicked.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Static.h"
#include "skin/GUIItem.h"

class CBitmapBtn;
struct SkinLoadContext;

class CTextItem : public CStatic, public CGUIItem {
public:
    // Where a text that has no DrawText format starts, from the item's top left.
    static constexpr int kInsetX = 5;
    static constexpr int kInsetY = 2;

    // `text` through the current language table; `caps` (1 upper, 2 lower case) applies only to a text
    // the table translated.
    explicit CTextItem(const std::wstring& text = std::wstring(), int caps = 0);
    ~CTextItem() override;

    BEGIN_MSG_MAP(CTextItem)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(OCM_CTLCOLORSTATIC, OnCtlColor)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
    END_MSG_MAP()

    virtual void DrawItem(DRAWITEMSTRUCT* item);

    // Translated (no caps), the first "\n" made a line break, and shown at once.
    void SetText(const std::wstring& text);
    std::wstring GetText() const { return m_text; }
    // Has the parent repaint the area under the text, which then draws itself over it. The text has no
    // background of its own.
    void RedrawParentArea();
    // The hot look, shared with the linked check box.
    void SetHot(BYTE hot);

    std::wstring m_text;
    UINT m_drawTextFormat = 0;  // DrawText flags; 0 draws with TextOut at an inset
    CFont* m_font = nullptr;    // the FONT item's font, not owned
    BYTE m_hot = 0;             // the mouse is over the text (while it holds the capture)
    BYTE m_disabled = 0;        // disabled colour, no reaction to the mouse
    CBitmapBtn* m_checkBox = nullptr;  // the check box this text labels, not owned
    // Text colours; 0 means not set.
    COLORREF m_clrNormal = 0;
    COLORREF m_clrHot = 0;
    COLORREF m_clrDisabled = 0;

protected:
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCaptureChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

// Reader of a TEXTITEM element (type 11): null when its name is unknown or there is no window to put
// the text in. The caller appends the item.
CGUIItem* CreateTextItem(const pugi::xml_node& element, SkinLoadContext& context);
