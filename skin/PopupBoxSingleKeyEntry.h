// CPopupBoxSingleKeyEntry: the popup that asks the user for one key (SingleKeyPopup.xml). Its key field
// takes every key, Enter and Escape too: those count as the key, not as OK or Cancel, until another key
// or a mouse click follows. Only the popup's OK and Cancel buttons end it then.
#pragma once

#include "model/SingleKeyValue.h"
#include "skin/PopupBox.h"

class CEditItemSingleKeyInput;

class CPopupBoxSingleKeyEntry : public CPopupBox {
public:
    static constexpr int kKeyEditId = 386;       // EDITCTRL_POPUP_SINGLEKEYENTRY
    static constexpr int kOkButtonId = 154;      // BUTTON_POPUP_OK
    static constexpr int kCancelButtonId = 155;  // BUTTON_POPUP_CANCEL

    // Run with DoModal; on IDOK `result` holds the key (text and codes).
    CPopupBoxSingleKeyEntry(CWnd* parent, SingleKeyValue* result);

    BEGIN_MSG_MAP(CPopupBoxSingleKeyEntry)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        CHAIN_MSG_MAP(CPopupBox)
    END_MSG_MAP()

    // The skin's OK and Cancel buttons; other senders go the usual way.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Notes whether the last key was Enter or Escape before the dialog sees the key.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Puts the focus on the key field; returns FALSE (focus set).
    BOOL OnInitDialog() override;
    // Copies the field's key into the result; ends the popup only when there was a key and it was not
    // Enter or Escape just pressed.
    void OnOK() override;
    // Ends the popup with an empty result, unless Enter or Escape was just pressed.
    void OnCancel() override;
    void BindSkinItems() override;

    CEditItemSingleKeyInput* m_keyEdit = nullptr;  // item 386 of the skin, not owned; null without one
    bool m_enterOrEscapePressed = false;
    SingleKeyValue* m_result;

protected:
    LRESULT OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
