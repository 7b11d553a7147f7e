// CAVIButton: a button of the panels (AVIBUTTON elements) that plays a silent video clip in its own area
// when it is double-clicked. A single click does nothing and tells the parent nothing.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "framework/AnimateCtrl.h"
#include "framework/Button.h"
#include "framework/Gdi.h"
#include "skin/GUIItem.h"

struct SkinLoadContext;

// A plain owner-drawn button rather than a bitmap button: it has no state images, and the bitmap
// button's handlers would take the double click that starts the clip.
class CAVIButton : public CButton, public CGUIItem {
public:
    CAVIButton() = default;
    ~CAVIButton() override;

    BEGIN_MSG_MAP(CAVIButton)
        REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
        REFLECTED_COMMAND_CODE_HANDLER(BN_DOUBLECLICKED, OnDoubleClicked)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
    END_MSG_MAP()

    virtual void DrawItem(DRAWITEMSTRUCT* item);

    // The clip, a file name used as written.
    void SetVideoFile(const std::wstring& file) { m_videoFile = file; }
    // Kept with the button; nothing plays it.
    void SetSoundFile(const std::wstring& file) { m_soundFile = file; }

    CAnimateCtrl m_animate;  // made on the first double click
    std::wstring m_videoFile;
    std::wstring m_soundFile;
    CBitmap m_poster;        // the face shown until the clip first plays; empty unless the program sets it
    int m_playing = 0;       // 1 once the clip has been started

protected:
    LRESULT OnClicked(WORD code, WORD id, HWND control, BOOL& bHandled);
    LRESULT OnDoubleClicked(WORD code, WORD id, HWND control, BOOL& bHandled);
    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnShowWindow(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

// Reader of an AVIBUTTON element (type 3): null when its name is unknown or there is no window to put
// the button in. The caller appends the item.
CGUIItem* CreateAVIButton(const pugi::xml_node& element, SkinLoadContext& context);
