// CBitmapItem: a plain skinned window that shows one image (BITMAPITEM elements). It is also the
// container of the skin files: other elements name it with windowid and become its children, and it
// passes their commands on to its own parent, so a button inside it still reaches the panel.
#pragma once

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/GUIItem.h"

struct SkinLoadContext;

class CBitmapItem : public CWnd, public CGUIItem {
public:
    CBitmapItem() = default;
    ~CBitmapItem() override;

    BEGIN_MSG_MAP(CBitmapItem)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

    // Posts the command on to the parent, then handles it as any window does.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // The window class of the plain skinned windows (bitmap items and bitmap windows).
    static const wchar_t* WindowClass();
    // Posts WM_COMMAND with the same parameters to the parent of `wnd`, when it has one. Commands of the
    // children of a container are meant for the panel the container sits on.
    static void PostCommandToParent(const CWnd& wnd, WPARAM wParam, LPARAM lParam);

    CBitmap m_image;  // the item's own copy of its image, the size of the item

protected:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

// Reader of a BITMAPITEM element (type 1): null when its name is unknown or there is no window to put
// the item in. The item's window field stays 0, so it is found by id only. The caller appends it.
CGUIItem* CreateBitmapItem(const pugi::xml_node& element, SkinLoadContext& context);
