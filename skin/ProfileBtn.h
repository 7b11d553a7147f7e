// CProfileBtn: a row-like button of the profile lists (PROFBUTTON elements). A bitmap button whose four
// state images are the size of the panel, with up to four text columns drawn over them, usable as a
// push button or a check box. Its tooltip text is shown as given, and hovering keeps its place among
// its siblings.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "skin/BitmapBtn.h"

struct SkinLoadContext;

class CProfileBtn : public CBitmapBtn {
public:
    CProfileBtn();
    ~CProfileBtn() override = default;

    BEGIN_MSG_MAP(CProfileBtn)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        CHAIN_MSG_MAP(CBitmapBtn)
    END_MSG_MAP()

    void DrawItem(DRAWITEMSTRUCT* item) override;

    // The tooltip's text exactly as given: no translation, no line-break marks replaced.
    void SetTooltip(const std::wstring& text);

    // The texts of the columns; nothing is drawn over the image while the first is empty.
    std::wstring m_column1;
    std::wstring m_column2;
    std::wstring m_column3;
    std::wstring m_column4;

protected:
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDblClk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    CBitmap* StateImage(bool pressed, bool disabled);
};

// Reader of a PROFBUTTON element (type 4): null when its name is unknown or there is no window to put
// the button in. The caller appends the item.
CGUIItem* CreateProfileBtn(const pugi::xml_node& element, SkinLoadContext& context);
