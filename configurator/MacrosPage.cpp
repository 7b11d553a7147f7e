// COssleAppDlg, the macros page: the macro list, recording into the editable macro display and replay
// in the read-only one, the delay options, inserted delays and predefined commands, editing a key
// event, and creating, renaming, deleting, importing and exporting macros. Every change of a macro's
// events goes into the store at once and makes the dialog dirty.
#include "configurator/MainDialog.h"

#include <algorithm>

#include "configurator/Popups.h"
#include "model/GuidWords.h"
#include "model/PredefinedMacros.h"
#include "model/ProfileFolder.h"
#include "skin/BitmapBtn.h"
#include "skin/EditItem.h"
#include "skin/LangTable.h"
#include "skin/ListPanelItem.h"
#include "skin/MacroDisplayItem.h"
#include "skin/SkinValues.h"
#include "skin/VScrollBar.h"

using namespace config;

namespace {

template <class T>
void BindPageItem(const SkinItemList& list, int id, int type, T*& out)
{
    out = FindItemAs<T>(list, id, type);
}

// The number in an edit field: digits only (the fields take nothing else); 0 when empty.
unsigned FieldNumber(const std::wstring& text)
{
    const int value = ParseDecimal(text);
    return value > 0 ? static_cast<unsigned>(value) : 0;
}

} // namespace

// The page's commands and the notices of its widgets. The macro displays report by their own messages
// (OnMacroDisplayChanged, OnMacroEditEvent, OnMacroPlayDone), the fixed-delay field by
// OnMacroEditChanged.
const COssleAppDlg::Command COssleAppDlg::kMacrosPageCommands[] = {
    {kIdMacroList, kChosen, nullptr, kLeavesStore, [](COssleAppDlg& d, int index) { d.OnMacroChosen(index); }},
    {kIdMacroCreate, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.CreateMacro(); }},
    {kIdMacroRename, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.RenameMacro(); }},
    {kIdMacroSave, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.ExportMacro(); }},
    {kIdMacroExport, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.ExportMacro(); }},
    {kIdMacroImport, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.ImportMacro(); }},
    {kIdMacroDelete, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.DeleteMacro(); }},
    {kIdMacroRecord, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.StartMacroRecording(); }},
    {kIdMacroStop, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.OnStopButton(); }},
    {kIdMacroPlay, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.PlayMacro(); }},
    {kIdMacroFirstEvent, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.SelectFirstEvent(); }},
    {kIdMacroLastEvent, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.SelectLastEvent(); }},
    {kIdIgnoreDelay, kClicked, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int) { d.SetIgnoreDelays(d.m_ignoreDelayButton && d.m_ignoreDelayButton->m_checked); }},
    {kIdFixedDelay, kClicked, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int) { d.SetFixedDelay(d.m_fixedDelayButton && d.m_fixedDelayButton->m_checked); }},
    {kIdInsertDelay, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.InsertDelay(); }},
    {kIdInsertDelayEdit, EN_KILLFOCUS, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.OnDelayEditKillFocus(); }},
    {kIdAddBasicCommand, kClicked, nullptr, kEditsStore,
     [](COssleAppDlg& d, int) { d.InsertChosenCommand(d.m_basicCommands); }},
    {kIdAddMoreCommand, kClicked, nullptr, kEditsStore,
     [](COssleAppDlg& d, int) { d.InsertChosenCommand(d.m_moreCommands); }},
    {}};

void COssleAppDlg::BindMacroPageItems()
{
    BindPageItem(m_macrosPage, kIdMacroList, SkinItemType::DropdownList, m_macroList);
    BindPageItem(m_macrosPage, kIdBasicCommands, SkinItemType::DropdownList, m_basicCommands);
    BindPageItem(m_macrosPage, kIdMoreCommands, SkinItemType::DropdownList, m_moreCommands);
    BindPageItem(m_macrosPage, kIdMacroDisplay, SkinItemType::MacroDisplay, m_macroDisplay);
    BindPageItem(m_macrosPage, kIdMacroPlayer, SkinItemType::MacroDisplay, m_macroPlayer);
    BindPageItem(m_macrosPage, kIdIgnoreDelay, SkinItemType::BitmapButton, m_ignoreDelayButton);
    BindPageItem(m_macrosPage, kIdFixedDelay, SkinItemType::BitmapButton, m_fixedDelayButton);
    BindPageItem(m_macrosPage, kIdMacroRecord, SkinItemType::BitmapButton, m_recordButton);
    BindPageItem(m_macrosPage, kIdMacroStop, SkinItemType::BitmapButton, m_stopButton);
    BindPageItem(m_macrosPage, kIdFixedDelayEdit, SkinItemType::EditItem, m_fixedDelayEdit);
    BindPageItem(m_macrosPage, kIdInsertDelayEdit, SkinItemType::EditItem, m_insertDelayEdit);
    for (CEditItem* delay : {m_fixedDelayEdit, m_insertDelayEdit}) {
        if (delay)
            delay->m_numericOnly = true;
    }
}

// The macro list, the command lists, the row menus and the options as they are when the dialog opens.
void COssleAppDlg::RefreshMacroPage()
{
    FillMacroList();
    FillPredefinedCommandLists();
    if (m_macroDisplay) {
        CListPanelItem* keyMenu = nullptr;
        CListPanelItem* mouseMenu = nullptr;
        BindPageItem(m_macrosPage, kIdMacroKeyRowMenu, SkinItemType::ListPanel, keyMenu);
        BindPageItem(m_macrosPage, kIdMacroMouseRowMenu, SkinItemType::ListPanel, mouseMenu);
        m_macroDisplay->m_keyRowMenu = keyMenu;
        m_macroDisplay->m_mouseRowMenu = mouseMenu;
        m_macroDisplay->m_noDelay = false;
        m_macroDisplay->m_fixedDelay = false;
    }
    for (CBitmapBtn* option : {m_ignoreDelayButton, m_fixedDelayButton}) {
        if (option && option->m_checked)
            option->SetSelected(0);
    }
    if (m_fixedDelayEdit)
        m_fixedDelayEdit->SetWindowText(std::to_wstring(kDefaultFixedDelayMs).c_str());
    RefreshInputState();
}

CMacro* COssleAppDlg::ChosenMacro() const
{
    if (!m_macroList || !m_config)
        return nullptr;
    const int index = m_macroList->GetCurSel();
    if (index < 0)
        return nullptr;
    return m_config->FindMacroByName(m_macroList->GetEntryText(index).c_str());
}

void COssleAppDlg::FillMacroList()
{
    if (!m_macroList || !m_config)
        return;
    m_macroList->ClearEntries();
    for (unsigned i = 0; i < m_config->GetMacroCount(); ++i) {
        if (CMacro* macro = m_config->GetMacroAt(i))
            m_macroList->InsertEntry(macro->GetName(), static_cast<int>(i));
    }
}

void COssleAppDlg::FillPredefinedCommandLists()
{
    std::pair<CDropdownListItem*, std::vector<std::wstring>> lists[] = {{m_basicCommands, {}}, {m_moreCommands, {}}};
    PredefinedMacros().GetFirstGroupNames(lists[0].second);
    PredefinedMacros().GetSecondGroupNames(lists[1].second);
    for (const auto& list : lists) {
        if (!list.first)
            continue;
        list.first->ClearEntries();
        for (const std::wstring& name : list.second)
            list.first->AddEntry(name);
        // A list shows a command from the start, so its Insert button never acts on an empty box.
        if (!list.second.empty())
            list.first->SetCurSel(0);
    }
}

// The state decides which display shows and, through RefreshInputState, which widgets take input.
void COssleAppDlg::SetMacroPageState(int state)
{
    m_macroPageState = state;
    // The read-only display shows a replay; the editable one shows otherwise.
    if (m_macroPlayer)
        m_macroPlayer->ShowItem(state == kMacroPageReplaying);
    if (m_macroDisplay) {
        m_macroDisplay->ShowItem(state != kMacroPageReplaying);
        if (state == kMacroPageRecording && m_macroDisplay->m_scrollBar)
            m_macroDisplay->m_scrollBar->ShowWindow(SW_HIDE);
        m_macroDisplay->m_scrollBarHidden = state == kMacroPageRecording;
    }
    if (m_stopButton)
        m_stopButton->SetTooltip(state == kMacroPageReplaying ? L"$Stop" : L"$StopRecordingMacroEvents");
    RefreshInputState();
    for (CDropdownListItem* list : {m_basicCommands, m_moreCommands}) {
        if (list)
            list->Invalidate(FALSE);
    }
}

void COssleAppDlg::EnterMacroPage()
{
    // The page opens on a macro whenever there is one: the first, unless one is chosen already.
    CMacro* macro = ChosenMacro();
    if (!macro && m_config && m_config->GetMacroCount() > 0) {
        ChooseMacro(m_config->GetMacroAt(0));
        return;
    }
    SetMacroPageState(macro ? kMacroPageIdle : kMacroPageNoMacro);
}

void COssleAppDlg::OnMacroChosen(int)
{
    CMacro* macro = ChosenMacro();
    if (!macro || !m_macroDisplay)
        return;
    m_macroDisplay->LoadEvents(&macro->Events());
    SetMacroPageState(kMacroPageIdle);
}

void COssleAppDlg::ChooseMacro(CMacro* macro)
{
    if (!m_macroList || !m_config)
        return;
    for (unsigned i = 0; i < m_config->GetMacroCount(); ++i) {
        if (m_config->GetMacroAt(i) == macro) {
            m_macroList->SetCurSel(static_cast<int>(i));
            break;
        }
    }
    if (m_macroDisplay && macro)
        m_macroDisplay->LoadEvents(&macro->Events());
    SetMacroPageState(macro ? kMacroPageIdle : kMacroPageNoMacro);
}

// ---------------------------------------------------------------------------------------------------
// Commands

void COssleAppDlg::OnStopButton()
{
    if (m_macroPageState == kMacroPageReplaying)
        StopMacroPlayback();
    else
        StopMacroRecording();
}

void COssleAppDlg::SelectFirstEvent()
{
    if (m_macroDisplay && m_macroDisplay->GetItemCount() > 0)
        m_macroDisplay->SelectRow(0);
}

void COssleAppDlg::SelectLastEvent()
{
    if (m_macroDisplay)
        m_macroDisplay->SelectRow(m_macroDisplay->GetItemCount() - 1);
}

void COssleAppDlg::InsertChosenCommand(CDropdownListItem* list)
{
    const int chosen = list ? list->GetCurSel() : -1;
    InsertPredefinedMacro(chosen >= 0 ? list->GetEntryText(chosen) : std::wstring());
}

void COssleAppDlg::WarnAboutMacro(const wchar_t* panel, const std::wstring& name)
{
    Warn(panel, name.empty() ? std::wstring() : L": " + name);
}

void COssleAppDlg::CreateMacro()
{
    if (m_config->GetMacroCount() >= kMaxMacros)
        return;
    std::wstring name;
    COssleNameEntryPopup popup(this, kMacroNamePopup, name);
    if (RunPopup(popup) != IDOK || name.empty() || !CanEditStore())
        return;
    // The store refuses a name in use in any letter case: the user hears why nothing was made.
    CMacro* macro = m_config->AddMacro(name.c_str());
    if (!macro) {
        WarnAboutMacro(kDuplicateMacroPopup, name);
        return;
    }
    SetDirty(true);
    FillMacroList();
    ChooseMacro(macro);
}

void COssleAppDlg::RenameMacro()
{
    CMacro* macro = ChosenMacro();
    if (!macro)
        return;
    std::wstring name = macro->GetName();
    COssleNameEntryPopup popup(this, kMacroRenamePopup, name);
    if (RunPopup(popup) != IDOK || name.empty() || !CanEditStore() || ChosenMacro() != macro)
        return;
    CMacro* other = m_config->FindMacroByName(name.c_str());
    if (other && other != macro) {
        WarnAboutMacro(kDuplicateMacroPopup, name);
        return;
    }
    if (macro->SetName(name.c_str())) {
        SetDirty(true);
        FillMacroList();
        ChooseMacro(macro);
    }
}

void COssleAppDlg::DeleteMacro()
{
    if (!m_macroList)
        return;
    const int index = m_macroList->GetCurSel();
    // Only an entry of the list names a macro: no choice (-1) deletes nothing.
    if (index < 0 || static_cast<unsigned>(index) >= m_config->GetMacroCount())
        return;
    CMacro* macro = m_config->GetMacroAt(static_cast<unsigned>(index));
    if (!macro)
        return;
    COssleWarningDlg confirm(this, kDeleteMacroPopup, std::wstring(L": ") + macro->GetName());
    if (RunPopup(confirm) != IDOK || !CanEditStore() || m_config->GetMacroAt(static_cast<unsigned>(index)) != macro)
        return;
    ResetKeysUsingMacro(macro);
    m_config->RemoveMacro(macro);
    FillMacroList();
    SetDirty(true);
    m_macroList->SetCurSel(0);
    if (CMacro* first = ChosenMacro()) {
        ChooseMacro(first);
        return;
    }
    m_macroList->AddEntry(L"");
    m_macroList->SetCurSel(0);
    m_macroList->ClearEntries();
    if (m_macroDisplay)
        m_macroDisplay->ClearEvents();
    SetMacroPageState(kMacroPageNoMacro);
}

void COssleAppDlg::StartMacroRecording()
{
    if (!m_macroDisplay)
        return;
    CMacro* macro = ChosenMacro();
    if (!macro) {
        CreateMacro();
        return;
    }
    // Every check comes before the keyboard is put in its recording mode, so a refusal leaves it as
    // it was.
    if (m_fixedDelayButton && m_fixedDelayButton->m_checked) {
        const std::wstring text = m_fixedDelayEdit ? m_fixedDelayEdit->GetWindowText() : std::wstring();
        const unsigned value = FieldNumber(text);
        if (!text.empty())
            m_macroDisplay->m_fixedDelayMs = value;
        if (value == 0) {
            WarnAboutMacro(kDefaultDelayPopup, L"");
            return;
        }
    }
    if (m_macroDisplay->IsRecording())
        return;
    if (m_device)
        m_device->StartMacroRecording();
    if (!m_macroDisplay->ToggleRecording()) {
        if (m_device)
            m_device->StopMacroRecording();
        return;
    }
    m_macroDisplay->ClearEvents();
    m_macroDisplay->SetFocus();
    SetMacroPageState(kMacroPageRecording);
    if (m_recordButton)
        m_recordButton->StartBlinking();
    m_macroDisplay->m_ignoreCaptureWindow = m_stopButton ? m_stopButton->m_hWnd : nullptr;
    Invalidate(FALSE);
}

void COssleAppDlg::StopMacroRecording()
{
    CMacro* macro = ChosenMacro();
    if (!macro || !m_macroDisplay)
        return;
    if (m_device)
        m_device->StopMacroRecording();
    if (!m_macroDisplay->IsRecording() || m_macroDisplay->ToggleRecording())
        return;
    macro->SetEvents(m_macroDisplay->Events());
    SetDirty(true);
    SetMacroPageState(kMacroPageIdle);
    if (m_recordButton)
        m_recordButton->StopBlinking();
    m_macroDisplay->m_ignoreCaptureWindow = nullptr;
    Invalidate(FALSE);
}

void COssleAppDlg::PlayMacro()
{
    CMacro* macro = ChosenMacro();
    if (!macro || !m_macroPlayer)
        return;
    SetMacroPageState(kMacroPageReplaying);
    m_macroPlayer->PlayEvents(&macro->Events());
    Invalidate(FALSE);
}

void COssleAppDlg::StopMacroPlayback()
{
    if (!ChosenMacro() || !m_macroPlayer)
        return;
    SetMacroPageState(kMacroPageIdle);
    m_macroPlayer->StopReplay();
    Invalidate(FALSE);
}

void COssleAppDlg::SetIgnoreDelays(bool on)
{
    if (!m_macroDisplay)
        return;
    if (on && m_fixedDelayButton && m_fixedDelayButton->m_checked) {
        m_fixedDelayButton->SetSelected(0);
        m_macroDisplay->m_fixedDelay = false;
    }
    m_macroDisplay->m_noDelay = on;
    RefreshInputState();
}

void COssleAppDlg::SetFixedDelay(bool on)
{
    if (!m_macroDisplay)
        return;
    if (on && m_ignoreDelayButton && m_ignoreDelayButton->m_checked) {
        m_ignoreDelayButton->SetSelected(0);
        m_macroDisplay->m_noDelay = false;
    }
    m_macroDisplay->m_fixedDelay = on;
    RefreshInputState();
}

void COssleAppDlg::CheckDefaultDelay()
{
    if (!m_macroDisplay || !m_fixedDelayEdit || !m_fixedDelayButton || !m_fixedDelayButton->m_checked)
        return;
    const std::wstring text = m_fixedDelayEdit->GetWindowText();
    const unsigned value = FieldNumber(text);
    if (!text.empty())
        m_macroDisplay->m_fixedDelayMs = value;
    if (value != 0)
        return;
    WarnAboutMacro(kDefaultDelayPopup, L"");
    m_fixedDelayEdit->SetWindowText(std::to_wstring(kDefaultFixedDelayMs).c_str());
}

void COssleAppDlg::OnDelayEditKillFocus()
{
    if (!m_macroDisplay || !m_insertDelayEdit)
        return;
    const std::wstring text = m_insertDelayEdit->GetWindowText();
    if (!text.empty())
        m_macroDisplay->m_fixedDelayMs = FieldNumber(text);
}

// Puts `inserted` into the chosen macro's events before position `at` and shows the result.
bool COssleAppDlg::InsertMacroEvents(size_t at, const MacroEventList& inserted)
{
    CMacro* macro = ChosenMacro();
    if (!macro || !m_macroDisplay || !CanEditStore())
        return false;
    MacroEventList events = macro->Events();
    events.insert(events.begin() + std::min(at, events.size()), inserted.begin(), inserted.end());
    macro->SetEvents(events);
    m_macroDisplay->LoadEvents(&macro->Events());
    SetDirty(true);
    return true;
}

void COssleAppDlg::InsertDelay()
{
    if (!m_insertDelayEdit || !m_macroDisplay)
        return;
    const unsigned value = FieldNumber(m_insertDelayEdit->GetWindowText());
    const int row = m_macroDisplay->GetSelectedRow();
    if (value == 0 || row < 0)
        return;
    if (InsertMacroEvents(static_cast<size_t>(row) + 1, {MacroEvent{kMacroDelay, value, value}}))
        m_macroDisplay->SelectRow(row + 1);
}

void COssleAppDlg::InsertPredefinedMacro(const std::wstring& command)
{
    MacroEventList steps;
    if (!m_macroDisplay || !PredefinedMacros().GetMacroSteps(command, steps) || steps.empty())
        return;
    const int row = m_macroDisplay->GetSelectedRow();
    if (InsertMacroEvents(static_cast<size_t>(row + 1), steps))
        m_macroDisplay->SelectRow(row + static_cast<int>(steps.size()));
}

LRESULT COssleAppDlg::OnMacroDisplayChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    CMacro* macro = ChosenMacro();
    if (lParam != kIdMacroDisplay || !macro || !m_macroDisplay || !CanEditStore())
        return 0;
    macro->SetEvents(m_macroDisplay->Events());
    SetDirty(true);
    return 0;
}

LRESULT COssleAppDlg::OnMacroEditEvent(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (lParam != kIdMacroDisplay || !m_macroDisplay || !CanEditStore())
        return 0;
    const int row = m_macroDisplay->GetSelectedRow();
    const MacroEventList& events = m_macroDisplay->Events();
    if (row < 0 || static_cast<size_t>(row) >= events.size() || events[row].kind != kMacroKey)
        return 0;
    const MacroEvent old = events[row];
    SingleKeyValue value;
    value.scanCode = static_cast<uint16_t>(old.data1 & 0xFFFF);
    value.virtualKey = static_cast<uint16_t>(old.data1 >> 16);
    value.extended = (old.data2 >> 8) & 0xFF;
    CConfigSingleKeyPopup popup(this, &value);
    // Only OK with a key replaces the event: Cancel, or a removal of the keyboard, keeps it.
    if (RunPopup(popup) != IDOK || value.scanCode == 0 || value.text.empty())
        return 0;
    const MacroEvent replacement =
        MakeKeyEvent(value.virtualKey, value.scanCode, static_cast<uint8_t>(old.data2 & 0xFF),
                     value.extended ? kMacroExtendedKey : 0);
    if (replacement == old || !CanEditStore())
        return 0;
    if (m_macroDisplay->ReplaceEvent(row, replacement))
        SetDirty(true);
    return 0;
}

LRESULT COssleAppDlg::OnMacroPlayDone(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (lParam == kIdMacroPlayer)
        StopMacroPlayback();
    return 0;
}

LRESULT COssleAppDlg::OnMacroEditChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    if (!m_fixedDelayEdit || reinterpret_cast<HWND>(lParam) != m_fixedDelayEdit->m_hWnd) {
        bHandled = FALSE;
        return 0;
    }
    CheckDefaultDelay();
    return 0;
}

void COssleAppDlg::ImportMacro()
{
    if (!m_device)
        return;
    // The file's macro is added to the keyboard's list: the store must hold no macros the keyboard
    // lacks, or the two lists would part.
    if (m_config->GetMacroCount() != m_device->GetDeviceMacroCount()) {
        WarnAboutMacro(kImportMacroPopup, L"");
        return;
    }
    std::wstring path;
    if (!ChooseExchangeFile(false, L"Macro", kMacroFileExtension, MacroFolderPath(), L"", path))
        return;
    if (path.size() > kMaxLaunchPathChars) {
        Warn(kPathLimitPopup, std::wstring(), L"$Import");
        return;
    }
    // The store appends the file's macro: it is the one shown after the import.
    const unsigned count = m_config->GetMacroCount();
    if (CanEditStore() && m_device->ImportMacroFile(path.c_str(), m_config)) {
        FillMacroList();
        SetDirty(true);
        ChooseMacro(m_config->GetMacroAt(count));
    }
}

void COssleAppDlg::ExportMacro()
{
    CMacro* macro = ChosenMacro();
    if (!macro || !m_device)
        return;
    GUID guid{};
    macro->GetGuid(guid);
    if (IsNullGuid(guid) || !m_device->IsMacroOnDevice(macro)) {
        WarnAboutMacro(kExportMacroPopup, macro->GetName());
        return;
    }
    std::wstring path;
    if (ChooseExchangeFile(true, L"Macro", kMacroFileExtension, MacroFolderPath(), macro->GetName(), path))
        m_device->ExportMacroFile(path.c_str(), macro);
}
