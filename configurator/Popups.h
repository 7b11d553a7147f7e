// The configurator's popups: one family on the skinned popup box. COsslePopup loads its panel, ends
// with OK or Cancel from the panel's buttons and tells the test seam when it shows; one small class per
// kind asks for a warning's acknowledgement, a name, a number, one name out of a list, or a macro with
// its play mode. Each runs modally on the caller's stack.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "configurator/Automation.h"
#include "skin/DropdownListItem.h"
#include "skin/PopupBox.h"
#include "skin/PopupBoxSingleKeyEntry.h"

class CEditItem;
class CBitmapBtn;
class CTextItem;

// Test seam: runs once each configurator popup has been initialised and shown, with the popup, so a
// test can act as the user would. Null: nothing runs.
using PopupShownHook = std::function<void(CPopupBox& popup)>;
void SetPopupShownHook(PopupShownHook hook);

// Centres a window over another one (over the work area without one), kept inside the work area.
void CenterWindowOver(HWND window, HWND over);

// Posted to a popup by itself at the end of its initialisation; runs the shown hook.
constexpr UINT WM_POPUP_SHOWN = WM_APP + 0x102;

class COsslePopup : public CPopupBox {
public:
    COsslePopup(const std::wstring& panelFile, CWnd* owner);

    BEGIN_MSG_MAP(COsslePopup)
        MESSAGE_HANDLER(WM_POPUP_SHOWN, OnShown)
        MESSAGE_HANDLER(config::AutomationMessage(), OnAutomation)
        CHAIN_MSG_MAP(CPopupBox)
    END_MSG_MAP()

    // The panel's OK and Cancel buttons end the popup; other items go the usual way. A sender that is
    // none of the popup's items is not handled, except the dialog manager's Enter (the OK button) and
    // Escape (the Cancel button, or OK where it is the only one).
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // BindSkinItems, the dialog's initialisation, then the shown notice.
    BOOL OnInitDialog() override;

    // The item of this id and kind, or null.
    CGUIItem* FindItem(int id, int type) const;

protected:
    LRESULT OnShown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnAutomation(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // Sends the command of the popup's button `id` as a click would; false when there is no such
    // button or it is disabled.
    bool PressButton(int id);
};

// A message, warning or yes/no question. The heading gets the suffix appended, or is replaced by the
// text given with SetText.
class COssleWarningDlg : public COsslePopup {
public:
    COssleWarningDlg(CWnd* owner, const std::wstring& panelFile, const std::wstring& suffix = std::wstring());
    void SetText(const std::wstring& text) { m_text = text; }

    BOOL OnInitDialog() override;
    void BindSkinItems() override;

    CTextItem* m_heading = nullptr;
    std::wstring m_text;
    std::wstring m_suffix;
};

// A name of at most 20 characters; on OK `name` is the entered text (empty when none was typed).
class COssleNameEntryPopup : public COsslePopup {
public:
    COssleNameEntryPopup(CWnd* owner, const std::wstring& panelFile, std::wstring& name);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void BindSkinItems() override;

    CEditItem* m_edit = nullptr;
    CTextItem* m_heading = nullptr;
    std::wstring& m_name;
};

// A whole number in [minimum, maximum]; on OK `value` is the entry, 0 when it is empty. The entry takes
// digits only and no value outside the range, so no typed number is cut or wraps.
class COssleNumEntryPopup : public COsslePopup {
public:
    COssleNumEntryPopup(CWnd* owner, const std::wstring& panelFile, int& value, int minimum, int maximum);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void BindSkinItems() override;

    CEditItem* m_edit = nullptr;
    int& m_value;
    int m_minimum;
    int m_maximum;
};

// One entry out of a list of names. The entry is known by its index, since names may repeat: on OK
// `name` is its text and ChosenIndex() its position in `names`.
class COssleDropdownSelectPopup : public COsslePopup {
public:
    // `preselect` picks the entry shown first; -1 takes the last entry whose name equals `name`.
    COssleDropdownSelectPopup(CWnd* owner, const std::wstring& panelFile, std::wstring& name,
                              const std::vector<std::wstring>& names, int preselect = -1);

    BEGIN_MSG_MAP(COssleDropdownSelectPopup)
        MESSAGE_HANDLER(WM_DROPDOWN_SELCHANGE, OnSelChange)
        CHAIN_MSG_MAP(COsslePopup)
    END_MSG_MAP()

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void BindSkinItems() override;
    int ChosenIndex() const { return m_chosen; }

    CDropdownListItem* m_list = nullptr;
    std::wstring& m_name;
    std::vector<std::wstring> m_names;
    int m_preselect;
    int m_chosen = -1;

protected:
    LRESULT OnSelChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

// A macro and its play mode (1 once, 2 multiple, 3 until pressed, 4 while pressed); the four mode
// buttons act as radio buttons.
class COssleMacroAssignmentPopup : public COssleDropdownSelectPopup {
public:
    COssleMacroAssignmentPopup(CWnd* owner, int& mode, const std::vector<std::wstring>& names, std::wstring& name);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void BindSkinItems() override;

    // The mode of a mode button's id, or 0.
    static int ModeOfButton(int id);
    static int ButtonOfMode(int mode);

    CBitmapBtn* m_modeButtons[4] = {};
    int& m_mode;
};

// The single-key popup of the skin library, as one of the family: it tells the shown hook too.
class CConfigSingleKeyPopup : public CPopupBoxSingleKeyEntry {
public:
    CConfigSingleKeyPopup(CWnd* owner, SingleKeyValue* result) : CPopupBoxSingleKeyEntry(owner, result) {}

    BEGIN_MSG_MAP(CConfigSingleKeyPopup)
        MESSAGE_HANDLER(WM_POPUP_SHOWN, OnShown)
        MESSAGE_HANDLER(config::AutomationMessage(), OnAutomation)
        CHAIN_MSG_MAP(CPopupBoxSingleKeyEntry)
    END_MSG_MAP()

    BOOL OnInitDialog() override;

protected:
    LRESULT OnShown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnAutomation(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
