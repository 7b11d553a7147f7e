// The configurator's popups: binding their items, what OK and Cancel hand back, and the mode buttons.
#include "configurator/Popups.h"

#include <algorithm>
#include <cwchar>

#include "configurator/ConfigIds.h"
#include "skin/BitmapBtn.h"
#include "skin/EditItem.h"
#include "skin/TextItem.h"

using namespace config;

namespace {

PopupShownHook& ShownHook()
{
    static PopupShownHook hook;
    return hook;
}

void RunShownHook(CPopupBox& popup)
{
    // A copy: the hook may replace itself while it runs.
    PopupShownHook hook = ShownHook();
    if (hook)
        hook(popup);
}

// The first line of an edit item; empty without one.
std::wstring FirstLine(CEditItem* edit)
{
    if (!edit || !edit->m_hWnd)
        return std::wstring();
    const int length = edit->LineLength(0);
    if (length <= 0)
        return std::wstring();
    std::wstring line(static_cast<size_t>(length) + 1, L'\0');
    const int copied = edit->GetLine(0, &line[0], length + 1);
    line.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return line;
}

} // namespace

void CenterWindowOver(HWND window, HWND over)
{
    RECT area = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT target = area;
    if (over && ::IsWindow(over))
        ::GetWindowRect(over, &target);
    RECT own = {};
    ::GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = target.left + (target.right - target.left - width) / 2;
    int y = target.top + (target.bottom - target.top - height) / 2;
    x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width));
    y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height));
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetPopupShownHook(PopupShownHook hook)
{
    ShownHook() = std::move(hook);
}

// ---------------------------------------------------------------------------------------------------
// COsslePopup

COsslePopup::COsslePopup(const std::wstring& panelFile, CWnd* owner) : CPopupBox(panelFile, PopupBoxTemplate(), owner)
{
}

CGUIItem* COsslePopup::FindItem(int id, int type) const
{
    CGUIItem* item = FindItemById(m_items, id);
    return item && item->m_type == type ? item : nullptr;
}

BOOL COsslePopup::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CGUIItem* sender = FindItemByHwnd(m_items, reinterpret_cast<HWND>(lParam));
    if (!sender || lParam == 0) {
        // Enter and Escape come from the dialog manager as its OK and Cancel commands, with no window.
        // As in any dialog, Enter presses the default button, OK; Escape presses Cancel, or OK where OK
        // is the only button. A popup without its buttons still ends on Escape.
        const bool fromKeys = HIWORD(wParam) == BN_CLICKED;
        if (fromKeys && LOWORD(wParam) == IDOK) {
            PressButton(kIdPopupOk);
            return TRUE;
        }
        if (fromKeys && LOWORD(wParam) == IDCANCEL) {
            const bool hasCancel = FindItem(kIdPopupCancel, SkinItemType::BitmapButton) != nullptr;
            if (!PressButton(hasCancel ? kIdPopupCancel : kIdPopupOk))
                OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    switch (sender->m_id) {
    case kIdPopupOk:
        OnOK();
        return TRUE;
    case kIdPopupCancel:
        OnCancel();
        return TRUE;
    default:
        return CWnd::OnCommand(wParam, lParam);
    }
}

bool COsslePopup::PressButton(int id)
{
    CGUIItem* button = FindItem(id, SkinItemType::BitmapButton);
    if (!button || !button->m_window || !::IsWindowEnabled(button->m_window))
        return false;
    // The button's own command, so that each popup handles it as it handles a click.
    SendMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button->m_window), BN_CLICKED),
                reinterpret_cast<LPARAM>(button->m_window));
    return true;
}

BOOL COsslePopup::OnInitDialog()
{
    const BOOL result = CPopupBox::OnInitDialog();
    CenterWindowOver(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    PostMessage(WM_POPUP_SHOWN);
    return result;
}

LRESULT COsslePopup::OnShown(UINT, WPARAM, LPARAM, BOOL&)
{
    RunShownHook(*this);
    return 0;
}

LRESULT COsslePopup::OnAutomation(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return AnswerAutomation({&m_items}, wParam, lParam, kAutomationIsPopup);
}

// ---------------------------------------------------------------------------------------------------
// COssleWarningDlg

COssleWarningDlg::COssleWarningDlg(CWnd* owner, const std::wstring& panelFile, const std::wstring& suffix)
    : COsslePopup(panelFile, owner), m_suffix(suffix)
{
}

void COssleWarningDlg::BindSkinItems()
{
    m_heading = dynamic_cast<CTextItem*>(FindItem(kIdPopupHeading, SkinItemType::TextItem));
    if (m_heading && !m_suffix.empty())
        m_heading->SetText(m_heading->GetText() + m_suffix);
}

BOOL COssleWarningDlg::OnInitDialog()
{
    const BOOL result = COsslePopup::OnInitDialog();
    if (m_heading && !m_text.empty())
        m_heading->SetText(m_text);
    return result;
}

// ---------------------------------------------------------------------------------------------------
// COssleNameEntryPopup

COssleNameEntryPopup::COssleNameEntryPopup(CWnd* owner, const std::wstring& panelFile, std::wstring& name)
    : COsslePopup(panelFile, owner), m_name(name)
{
}

void COssleNameEntryPopup::BindSkinItems()
{
    m_edit = dynamic_cast<CEditItem*>(FindItem(kIdPopupNameEntry, SkinItemType::EditItem));
    m_heading = dynamic_cast<CTextItem*>(FindItem(kIdPopupHeading, SkinItemType::TextItem));
    if (m_heading && !m_name.empty())
        m_heading->SetText(m_heading->GetText() + L": " + m_name);
}

BOOL COssleNameEntryPopup::OnInitDialog()
{
    COsslePopup::OnInitDialog();
    if (m_edit && m_edit->m_hWnd) {
        m_edit->SetFocus();
        m_edit->SendMessage(EM_LIMITTEXT, kMaxNameChars);
    }
    return FALSE;  // the focus is set
}

void COssleNameEntryPopup::OnOK()
{
    m_name = FirstLine(m_edit);
    CDialog::OnOK();
}

// ---------------------------------------------------------------------------------------------------
// COssleNumEntryPopup

COssleNumEntryPopup::COssleNumEntryPopup(CWnd* owner, const std::wstring& panelFile, int& value, int minimum,
                                         int maximum)
    : COsslePopup(panelFile, owner), m_value(value), m_minimum(minimum), m_maximum(maximum)
{
}

void COssleNumEntryPopup::BindSkinItems()
{
    m_edit = dynamic_cast<CEditItem*>(FindItem(kIdPopupNumEntry, SkinItemType::EditItem));
}

BOOL COssleNumEntryPopup::OnInitDialog()
{
    COsslePopup::OnInitDialog();
    if (m_edit && m_edit->m_hWnd) {
        m_edit->m_numericOnly = 1;
        m_edit->m_dialogKeys = true;
        m_edit->m_minValue = m_minimum;
        m_edit->m_maxValue = m_maximum;
        int digits = 1;
        for (int bound = m_maximum; bound >= 10; bound /= 10)
            ++digits;
        m_edit->SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(digits));
        m_edit->SetFocus();
    }
    return FALSE;
}

void COssleNumEntryPopup::OnOK()
{
    // Pasted text passes the key filter: a number that does not fit is refused here, not cut.
    const std::wstring line = FirstLine(m_edit);
    int value = 0;
    if (!line.empty()) {
        wchar_t* end = nullptr;
        const long long parsed = std::wcstoll(line.c_str(), &end, 10);
        if (parsed < m_minimum || parsed > m_maximum || (end && *end != L'\0')) {
            ::MessageBeep(MB_ICONWARNING);
            return;
        }
        value = static_cast<int>(parsed);
    }
    m_value = value;
    CDialog::OnOK();
}

// ---------------------------------------------------------------------------------------------------
// COssleDropdownSelectPopup

COssleDropdownSelectPopup::COssleDropdownSelectPopup(CWnd* owner, const std::wstring& panelFile, std::wstring& name,
                                                     const std::vector<std::wstring>& names, int preselect)
    : COsslePopup(panelFile, owner), m_name(name), m_names(names), m_preselect(preselect)
{
}

void COssleDropdownSelectPopup::BindSkinItems()
{
    m_list = dynamic_cast<CDropdownListItem*>(FindItem(kIdPopupList, SkinItemType::DropdownList));
    m_chosen = -1;
    if (!m_list)
        return;
    m_list->ClearEntries();
    for (const std::wstring& name : m_names)
        m_list->AddEntry(name);
    int index = m_preselect;
    if (index < 0 || static_cast<size_t>(index) >= m_names.size()) {
        index = 0;
        for (size_t i = 0; i < m_names.size(); ++i) {
            if (m_names[i] == m_name)
                index = static_cast<int>(i);
        }
    }
    if (!m_names.empty() && m_list->SetCurSel(index))
        m_chosen = index;
}

LRESULT COssleDropdownSelectPopup::OnSelChange(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (!m_list || reinterpret_cast<HWND>(lParam) != m_list->m_hWnd) {
        bHandled = FALSE;
        return 0;
    }
    const int index = static_cast<int>(wParam);
    if (index >= 0 && static_cast<size_t>(index) < m_names.size())
        m_chosen = index;
    return 0;
}

BOOL COssleDropdownSelectPopup::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CGUIItem* sender = FindItemByHwnd(m_items, reinterpret_cast<HWND>(lParam));
    if (sender && lParam != 0 && sender->m_id == kIdPopupOk) {
        if (m_chosen >= 0 && static_cast<size_t>(m_chosen) < m_names.size())
            m_name = m_names[static_cast<size_t>(m_chosen)];
        OnOK();
        return TRUE;
    }
    return COsslePopup::OnCommand(wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------
// COssleMacroAssignmentPopup

COssleMacroAssignmentPopup::COssleMacroAssignmentPopup(CWnd* owner, int& mode, const std::vector<std::wstring>& names,
                                                       std::wstring& name)
    : COssleDropdownSelectPopup(owner, kSelectMacroPopup, name, names), m_mode(mode)
{
    if (m_mode < 1 || m_mode > 4)
        m_mode = 1;
}

int COssleMacroAssignmentPopup::ModeOfButton(int id)
{
    switch (id) {
    case kIdPlayOnce:
        return 1;
    case kIdPlayMultiple:
        return 2;
    case kIdPlayUntilPressed:
        return 3;
    case kIdPlayWhilePressed:
        return 4;
    default:
        return 0;
    }
}

int COssleMacroAssignmentPopup::ButtonOfMode(int mode)
{
    switch (mode) {
    case 2:
        return kIdPlayMultiple;
    case 3:
        return kIdPlayUntilPressed;
    case 4:
        return kIdPlayWhilePressed;
    default:
        return kIdPlayOnce;
    }
}

void COssleMacroAssignmentPopup::BindSkinItems()
{
    COssleDropdownSelectPopup::BindSkinItems();
    const int checked = ButtonOfMode(m_mode);
    for (int i = 0; i < 4; ++i) {
        const int id = kIdPlayOnce + i;
        auto* button = dynamic_cast<CBitmapBtn*>(FindItem(id, SkinItemType::BitmapButton));
        m_modeButtons[i] = button;
        if (!button)
            continue;
        button->m_isCheckBox = 1;
        button->m_toggleOnClick = 1;
        button->SetSelected(id == checked ? 1 : 0);
    }
}

BOOL COssleMacroAssignmentPopup::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CGUIItem* sender = FindItemByHwnd(m_items, reinterpret_cast<HWND>(lParam));
    const int mode = sender && lParam != 0 ? ModeOfButton(sender->m_id) : 0;
    if (mode == 0)
        return COssleDropdownSelectPopup::OnCommand(wParam, lParam);
    // The clicked button flipped itself already; whatever it did, it ends checked and the others not.
    m_mode = mode;
    for (CBitmapBtn* button : m_modeButtons) {
        if (button)
            button->SetSelected(button == dynamic_cast<CBitmapBtn*>(sender) ? 1 : 0);
    }
    return TRUE;
}

void COssleMacroAssignmentPopup::OnOK()
{
    if (m_chosen >= 0 && static_cast<size_t>(m_chosen) < m_names.size())
        m_name = m_names[static_cast<size_t>(m_chosen)];
    bool anyChecked = false;
    for (CBitmapBtn* button : m_modeButtons)
        anyChecked = anyChecked || (button && button->m_checked);
    if (!anyChecked)
        m_mode = 1;
    CDialog::OnOK();
}

// ---------------------------------------------------------------------------------------------------
// CConfigSingleKeyPopup

BOOL CConfigSingleKeyPopup::OnInitDialog()
{
    const BOOL result = CPopupBoxSingleKeyEntry::OnInitDialog();
    CenterWindowOver(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    PostMessage(WM_POPUP_SHOWN);
    return result;
}

LRESULT CConfigSingleKeyPopup::OnShown(UINT, WPARAM, LPARAM, BOOL&)
{
    RunShownHook(*this);
    return 0;
}

LRESULT CConfigSingleKeyPopup::OnAutomation(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return AnswerAutomation({&m_items}, wParam, lParam, kAutomationIsPopup);
}
