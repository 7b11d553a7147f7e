// CGUIPanel: the skinned dialog. A dialog template without controls whose controls, size, shape and
// background all come from a skin file: the file is loaded when the window is created, the background
// image gives the size, the mask image cuts the window region, and the background is all it paints.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "skin/GUIItem.h"

class CPanelBitmap;

class CGUIPanel : public CDialog {
public:
    // A panel of the skin file `skinFile` below xml\; it takes its size from the skin's background.
    // Without a background (the file can't be read or has none) it keeps its template's size.
    CGUIPanel(const std::wstring& skinFile, const CDialogTemplate& dialogTemplate, CWnd* parent);
    // A panel without a skin file, exactly `rect`'s size; it paints nothing of its own.
    CGUIPanel(CWnd* parent, const RECT& rect, const CDialogTemplate& dialogTemplate);
    // Deletes every object of the skin file, the two panel bitmaps among them.
    ~CGUIPanel() override;

    BEGIN_MSG_MAP(CGUIPanel)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

    // Looks up the items the panel works with (by id and type) and keeps pointers to them. Runs once
    // the skin's objects exist: before OnInitDialog's base handling in popups, after the pages in the
    // main dialog.
    virtual void BindSkinItems() = 0;

    std::wstring m_skinFile;            // below xml\; empty for a panel built from a rectangle
    SkinItemList m_items;               // every object of the skin file; owned
    CPanelBitmap* m_background = nullptr;  // item 0 of the list, not owned
    CPanelBitmap* m_mask = nullptr;        // item 1 of the list, not owned
    HRGN m_region = nullptr;            // the window's region; the system owns it once the window has it
    RECT m_rect = {};                   // the panel's rectangle; right and bottom are its size
    bool m_created = false;             // the window exists and may paint
    // Set at creation when the skin file, or the background or mask it names, could not be read: the
    // file at fault, below the program folder; empty while the skin is whole.
    std::wstring m_damagedFile;

protected:
    // Asked at creation when the skin is damaged: true refuses the window, whose creation then fails.
    // The base goes on with what could be read.
    virtual bool RefuseDamagedSkin() { return false; }

    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
