// CDPIStageWindow: a skinned tile of one numbered sensitivity stage (DPISTAGEWINDOW elements): a frame
// with a heading, a label and the stage's value in a value window, or separate X and Y values. The
// first click selects the tile, swaps in the selection images and sends WM_DPISTAGE_CLICKED.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Static.h"
#include "framework/ToolTipCtrl.h"
#include "skin/GUIItem.h"

struct SkinLoadContext;

// A stage tile was selected; sent. wParam: the tile's stage number (1, 2, ...); lParam: its item id.
constexpr UINT WM_DPISTAGE_CLICKED = WM_USER + 0x1F4;

class CDPIStageWindow : public CStatic, public CGUIItem {
public:
    // The tile's pictures, by the BMPINFO names that fill them.
    enum ImageSlot { kFrame, kFrameSelected, kWin, kWinX, kWinY, kImageSlotCount };
    // The tile's texts, by the TEXTAREA names that fill them.
    enum TextArea { kHeading, kX, kY, kDpi, kDpiX, kDpiY, kTextAreaCount };
    struct Area {
        std::wstring text;
        RECT rect = {};
    };

    explicit CDPIStageWindow(int stageNumber) : m_stageNumber(stageNumber) {}
    ~CDPIStageWindow() override;

    BEGIN_MSG_MAP(CDPIStageWindow)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

    // Relays the tile's messages to its tooltip (created, inactive, on first need).
    BOOL PreTranslateMessage(MSG* msg) override;

    // The heading: the text of a language key in the tile's letter case, its first "\n" a line break.
    void SetHeading(const std::wstring& key);
    // The tile's contents, drawn into `dc` (frame size): frame, heading, labels and value windows.
    void Draw(CDC& dc);

    int m_stageNumber;
    BYTE m_interactive = 1;
    BYTE m_selected = 0;
    BYTE m_shown = 0;  // nothing is painted until the contents are to be shown
    HWND m_previousFocus = nullptr;
    CFont* m_font = nullptr;  // null: Arial 14 bold
    COLORREF m_textColour = 0;  // 0: near-white
    UINT m_drawFlags = DT_VCENTER | DT_SINGLELINE;
    BYTE m_capsMode = 0;  // heading case: 0 as is, 1 upper, 2 lower
    int m_dpiValue = 0;
    int m_xValue = 0;
    int m_yValue = 0;
    bool m_xyMode = false;
    std::wstring m_heading;
    std::wstring m_dpiText = L"0";
    std::wstring m_xText = L"0";
    std::wstring m_yText = L"0";
    CBitmap m_images[kImageSlotCount];
    RECT m_frameRect = {};  // shared by the frame and its selected picture
    RECT m_winRect = {};
    RECT m_winXRect = {};
    RECT m_winYRect = {};
    Area m_areas[kTextAreaCount];
    CToolTipCtrl m_toolTip;

protected:
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    void DrawAreaText(CDC& dc, TextArea area, UINT flags) const;
    // A value window: its picture at `rc` (the selection picture while selected), then the value centred
    // on black inside it.
    void DrawValueWindow(CDC& dc, ImageSlot slot, const RECT& rc, std::wstring& text, int value);
};

// Reader of a DPISTAGEWINDOW element (type 20): null when its name is unknown or there is no window to
// put it in. Its stage number is its place among the DPISTAGEWINDOW elements of its list, skipped ones
// included. The caller appends it.
CGUIItem* CreateDPIStageWindow(const pugi::xml_node& element, SkinLoadContext& context);
