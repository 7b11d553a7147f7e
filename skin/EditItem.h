// CEditItem: the skinned text field of an EDITCTRL element: an edit control in skin colours, with an
// optional digits-only mode bounded by a value range, that tells its parent when its text changes.
#pragma once

#include <windows.h>

#include <cstddef>

#include <pugixml.hpp>

#include "framework/Edit.h"
#include "framework/Gdi.h"
#include "skin/GUIItem.h"
#include "skin/SkinElements.h"

// Sent to the parent when the text of an edit item changed: wParam 0, lParam the edit's window.
constexpr UINT WM_EDITITEM_CHANGED = WM_USER + 0x384;

class CEditItem : public CEdit, public CGUIItem {
public:
    CEditItem() = default;
    ~CEditItem() override = default;

    BEGIN_MSG_MAP(CEditItem)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_RANGE_HANDLER(OCM_CTLCOLORMSGBOX, OCM_CTLCOLORSTATIC, OnCtlColor)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
        REFLECTED_COMMAND_CODE_HANDLER(EN_CHANGE, OnChange)
        REFLECTED_COMMAND_CODE_HANDLER(EN_UPDATE, OnUpdate)
    END_MSG_MAP()

    // In digits-only mode, keeps every key but editing and digit keys, and every digit that would take
    // the value out of [m_minValue, m_maxValue] (no upper bound when m_maxValue < m_minValue), from
    // reaching the control.
    BOOL PreTranslateMessage(MSG* msg) override;

    CFont* m_font = nullptr;            // the FONT item's font; the skin's item list owns it
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextHot = 0;          // read from the skin, not drawn
    COLORREF m_clrBack = 0;
    COLORREF m_clrBackHot = 0xFFFFFF;   // read from the skin, not drawn
    COLORREF m_clrBorder = 0xFFFFFF;
    COLORREF m_clrDisabledBack = 0;
    COLORREF m_clrDisabledBorder = 0;
    COLORREF m_clrDisabledText = 0;
    BYTE m_numericOnly = 0;             // digits-only mode; the program turns it on
    int m_minValue = 0;
    int m_maxValue = -1;                // below m_minValue: no upper bound
    // In digits-only mode Enter and Escape go on to the dialog (to confirm or cancel it) instead of
    // being dropped with the other keys that are no digits.
    bool m_dialogKeys = false;
    int m_borderWidth = 1;              // read from the skin, not drawn
    CBrush m_backBrush;                 // background of both looks, made from m_clrBack

protected:
    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnChange(WORD notifyCode, WORD id, HWND control, BOOL& bHandled);
    LRESULT OnUpdate(WORD notifyCode, WORD id, HWND control, BOOL& bHandled);

private:
    // True when the value of the text with the current selection replaced by `digit` lies in range.
    bool DigitKeepsValueInRange(wchar_t digit) const;
};

// One colour attribute of an edit element and the member it sets.
struct EditColourRow {
    const char* attribute;
    COLORREF CEditItem::*colour;
};

// The parts the EDITCTRL and EDITCTRLSK readers share.
// Sets the colours of the rows whose attributes are present (in row order), the border width and the
// font of the element on `item`.
void ReadEditItemLook(const pugi::xml_node& element, int itemId, const SkinItemList& list, const EditColourRow* rows,
                      size_t rowCount, CEditItem& item);
// Creates the control at the element's rectangle as a child of `parent` with the item id as control id.
bool CreateEditItemWindow(const pugi::xml_node& element, int itemId, DWORD style, CWnd* parent, CEditItem& item);
// The element's `max` attribute, when present, as the text limit (0 or negative: the control's maximum).
void ApplyEditTextLimit(const pugi::xml_node& element, CEditItem& item);

// Reader of an EDITCTRL element (type 18); null when its name is unknown or the control can't be made.
CGUIItem* CreateEditItem(const pugi::xml_node& element, SkinLoadContext& context);
