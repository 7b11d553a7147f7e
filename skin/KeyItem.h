// CKeyboardKeyItem: one key of the keyboard picture (KBDKEY elements of a KBDKEYLIST). A bitmap button
// that stands for one physical key of the keyboard definition, shows the key's system name as its
// tooltip, tells the page when the mouse moves over it or clicks it, and can be marked by the page.
// All keys of a list cut their images out of one set of keyboard-sized images.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "skin/BitmapBtn.h"
#include "skin/SkinValues.h"

struct KeyRecord;
struct SkinLoadContext;

// Sent to the key's owner window with lParam = the key's skin item id (wParam 0): the mouse moved over
// the key, or the key was pressed.
constexpr UINT WM_KEYITEM_HOVER = WM_USER + 0x320;
constexpr UINT WM_KEYITEM_CLICK = WM_USER + 0x321;

class CKeyboardKeyItem : public CBitmapBtn {
public:
    CKeyboardKeyItem();
    ~CKeyboardKeyItem() override;

    BEGIN_MSG_MAP(CKeyboardKeyItem)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        CHAIN_MSG_MAP(CBitmapBtn)
    END_MSG_MAP()

    void DrawItem(DRAWITEMSTRUCT* item) override;

    // Scan code, virtual key (current key layout) and, unless the skin named the key, the system's name
    // of the key from m_keyRecord; the name becomes the tooltip.
    void UpdateKeyName();
    // Takes the page's mark away.
    void ClearHover();
    // The key draws its states straight from these keyboard-sized images (the skin cache's, which
    // outlive it), from (x, y) on, instead of from copies of its own: a page of a hundred keys then
    // makes no three hundred bitmaps before it shows. A null image leaves what the key covers.
    void UseSharedImages(CBitmap* normal, CBitmap* over, CBitmap* down, int x, int y);

    const KeyRecord* m_keyRecord = nullptr;  // the key in KeyboardDef(), not owned; lives until exit
    std::wstring m_keyName;                  // display name and tooltip
    int m_virtualKey = -1;
    int m_scanCode = -1;
    BYTE m_extended = 0;     // the key's extended byte is 1
    BYTE m_highlighted = 0;  // the page's mark, drawn like hover
    // The key's picture for the assignment display (BMPINFO child); the key does not draw it.
    StateBitmaps m_bmpInfo;
    // The window that gets the key's notifications (the window the key list was loaded for); the parent
    // when null.
    HWND m_ownerWnd = nullptr;

protected:
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    HWND NotifyWindow() const;

    bool m_sharedImages = false;
    CBitmap* m_sharedNormal = nullptr;
    CBitmap* m_sharedOver = nullptr;
    CBitmap* m_sharedDown = nullptr;
    POINT m_sharedOrigin = {};
};

// Reader of a KBDKEY element of a KBDKEYLIST (type 22): null when its name is unknown, the list has no
// shared images or there is no window to put the key in. The caller appends the item.
CGUIItem* CreateKeyboardKeyItem(const pugi::xml_node& element, SkinLoadContext& context);
