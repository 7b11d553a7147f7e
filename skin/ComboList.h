// CXComboList: the choice list that a combo cell of the extended list control opens below itself. A
// popup window holding a list box and a scroll bar of its own; it tells the list control what the user
// did through four registered window messages, and the list control writes the choice into the cell.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

// The four messages, registered once by name; each is sent to the owning list with wParam 0, lParam 0.
struct XComboListMessages {
    UINT vkReturn;  // "WM_XCOMBOLIST_VK_RETURN": Enter
    UINT vkEscape;  // "WM_XCOMBOLIST_VK_ESCAPE": Escape, or the third loss of the focus
    UINT keyDown;   // "WM_XCOMBOLIST_KEYDOWN": a navigation or letter key the list moves by
    UINT lButtonUp; // "WM_XCOMBOLIST_LBUTTONUP": a click that chooses
};
const XComboListMessages& XComboListMessage();

class CXComboList : public CWnd {
public:
    explicit CXComboList(HWND owner) : m_owner(owner) {}
    ~CXComboList() override = default;

    BEGIN_MSG_MAP(CXComboList)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    // The popup at `screenRect`, owned by `m_owner` (the list control).
    BOOL CreatePopup(const RECT& screenRect);
    // Keys of the list box: Enter, Escape, navigation and letters; a button release in it.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Gives the list box the focus; the first time also fits the window to whole rows and lays out the
    // list box and the scroll bar.
    void Show();

    HWND ListBox() const { return m_listBox; }
    HWND ScrollBar() const { return m_scrollBar; }
    // The list box's selected text; empty without a selection.
    std::wstring SelectedText() const;

    HWND m_owner;
    int m_focusLosses = 0;
    bool m_firstShow = true;

protected:
    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnVScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    void Tell(UINT msg) const;
    void SetScrollPosition(int position);

    HWND m_listBox = nullptr;
    HWND m_scrollBar = nullptr;
};
