// The on-screen display: a profile's name for two seconds in large green letters at the bottom right of
// the primary monitor, over every window, without taking the focus or the mouse. The text window is a
// layered, click-through, topmost tool window whose background disappears through a colour key.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "tray/TrayIds.h"

namespace tray {

constexpr COLORREF kOsdKeyColour = RGB(0, 255, 0);
constexpr COLORREF kOsdTextColour = RGB(0, 250, 0);
constexpr size_t kOsdMaxTextChars = 254;

// The text window (class "tsy_osd").
class COsdWindow : public CWnd {
public:
    const std::wstring& Text() const { return m_text; }
    // At most kOsdMaxTextChars, never ending in half a surrogate pair.
    void SetText(const std::wstring& text);
    int FontHeight() const { return m_fontHeight; }

    BEGIN_MSG_MAP(COsdWindow)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_DISPLAYCHANGE, OnDisplayChange)
        MESSAGE_HANDLER(OsdShowMessage, OnShow)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnDisplayChange(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnShow(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    void MoveToCorner();

    std::wstring m_text;
    CBrush m_keyBrush;
    CFont m_font;
    int m_fontHeight = 0;
    float m_scale = 1.0f;
    UINT_PTR m_hideTimer = 0;
};

// The display: while the object exists, names can be shown.
class COsdDisplay {
public:
    COsdDisplay();
    ~COsdDisplay();
    COsdDisplay(const COsdDisplay&) = delete;
    COsdDisplay& operator=(const COsdDisplay&) = delete;

    // Creates the text window, hidden; S_OK when it exists, otherwise E_FAIL.
    HRESULT CreateOsdWindows();
    // Shows the name (cut to 254 characters): posts the request to the window and handles it before
    // returning, so the name is on screen by then.
    void ShowProfileName(const std::wstring& name);

    HWND Window() const { return m_window.m_hWnd; }
    const COsdWindow& TextWindow() const { return m_window; }

private:
    COsdWindow m_window;
    bool m_comInitialised = false;
};

// Where the text window goes on a monitor: the full width less 10 pixels, `height` high, its bottom 50
// pixels above the monitor's.
RECT OsdWindowRect(const RECT& monitor, int height);
// The text height in pixels for the screen's horizontal dots per inch: 20 points.
int OsdFontHeight(int logPixelsX);

} // namespace tray
