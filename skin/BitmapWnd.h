// CBitmapWindow: the assignment display of the key-assignment page (BITMAPWINDOW elements). Inside a
// framed area it shows the selected key of the keyboard picture among its neighbours and, under a
// separator line, an icon for the kind of the key's assignment with a caption.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/ToolTipCtrl.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"

struct SkinLoadContext;
struct StateBitmaps;

class CBitmapWindow : public CWnd, public CGUIItem {
public:
    // Height of the strip under the picture that holds the separator, the icon and the caption.
    static constexpr int kAssignmentStrip = 38;

    CBitmapWindow() = default;
    ~CBitmapWindow() override;

    BEGIN_MSG_MAP(CBitmapWindow)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    END_MSG_MAP()

    // Posts the command on to the parent, as a bitmap item does, then handles it as any window does.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Relays the window's messages to its tooltip (created, inactive, on first need).
    BOOL PreTranslateMessage(MSG* msg) override;

    // The translated text in m_caps, the first "\n" made a line break, shown at once. Ignored while the
    // window shows a selection (m_selected 1).
    void SetCaption(const std::wstring& text);
    // The text (translated, every "\n" shown as a blank) of the window's tooltip.
    void SetTooltip(const std::wstring& text);

    // The window's own copies of its skin images, cut to the client size from their top-left corners;
    // the frame image (SBMDS) sets the content area. A mask shapes the window.
    void LoadImages(CBitmap* frame, CBitmap* normal, CBitmap* over, CBitmap* selected, CBitmap* mask);
    // The whole look, drawn into `dc` (a DC of the client size).
    void Draw(HDC dc);
    // The icon file that stands for an assignment kind.
    static const wchar_t* AssignmentIconName(int assignmentKind);

    CBitmap m_bmpFrame;     // SBMDS
    CBitmap m_bmpNormal;    // SBMN
    CBitmap m_bmpOver;      // SBMO
    CBitmap m_bmpSelected;  // SBMD
    const StateBitmaps* m_keyPicture = nullptr;  // a key item's picture (m_bmpInfo), not owned
    std::wstring m_caption;
    BYTE m_caps = 0;             // 1 upper case, 2 lower case
    UINT m_drawTextFormat = 0;
    CFont* m_font = nullptr;     // the FONT item's font, not owned
    COLORREF m_textColour = 0;   // 0 means not set
    BYTE m_selected = 0;         // set by the configurator
    BYTE m_showAssignment = 0;   // set by the configurator: separator, icon and caption
    // Where the picture and the assignment go: the client area less the frame around it.
    RECT m_contentRect = {};
    CToolTipCtrl m_toolTip;
    int m_assignmentKind = 0;    // kind code of the key's assignment; set by the configurator

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    void DrawKeyPicture(HDC dc, const RECT& picture, const RECT& content);
    void DrawAssignment(HDC dc, const RECT& content);
};

// Reader of a BITMAPWINDOW element (type 16): null when its name is unknown, it has no SBMDS child or
// there is no window to put it in. The caller appends the item.
CGUIItem* CreateBitmapWindow(const pugi::xml_node& element, SkinLoadContext& context);
