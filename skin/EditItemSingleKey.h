// CEditItemSingleKeyInput: the edit item of an EDITCTRLSK element, which captures one key: whatever key
// the user presses, by raw keyboard input or by key messages, the field shows that key's name and keeps
// its codes.
#pragma once

#include <windows.h>

#include <string>

#include "skin/EditItem.h"
#include "skin/KeyboardDef.h"

class CEditItemSingleKeyInput : public CEditItem {
public:
    CEditItemSingleKeyInput() = default;
    // Ends the program's raw-input registration when the reader made it for this field; a field that
    // never held it leaves another holder's registration alone.
    ~CEditItemSingleKeyInput() override;

    BEGIN_MSG_MAP(CEditItemSingleKeyInput)
        MESSAGE_HANDLER(WM_INPUT, OnInput)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(WM_CHAR, OnChar)
        CHAIN_MSG_MAP(CEditItem)
    END_MSG_MAP()

    // Key-down and key-up messages name the key in the field; the key-downs of keys that move focus or
    // toggle, and auto-repeats, are swallowed. Every other message goes on as usual.
    BOOL PreTranslateMessage(MSG* msg) override;

    // Shows the key of one raw keyboard report, unless it is a fake or prefix report.
    void TakeKeyboardReport(const RAWKEYBOARD& report);

    // The last key shown: its codes (scanCode, virtualKey, state, flags) and name.
    KeyStroke m_stroke;
    // The shared raw-input registration was made for this field.
    bool m_holdsRawInput = false;

protected:
    LRESULT OnInput(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnChar(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    // Fills m_stroke with `fill`; keeps the filled codes only when `fill` says the key is to be shown,
    // so the codes kept always belong to the name in the field. The working fields keep every fill, as
    // a later report may refer back to an earlier one.
    template <typename Fill>
    bool FillStroke(Fill fill);
    // Replaces the whole text by the key's name.
    void ShowKeyName(const std::wstring& name);
};

// Reader of an EDITCTRLSK element (type 19): registers raw keyboard input for the new field. Null when
// its name is unknown or the control can't be made.
CGUIItem* CreateEditItemSingleKeyInput(const pugi::xml_node& element, SkinLoadContext& context);
