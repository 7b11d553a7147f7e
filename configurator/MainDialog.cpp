// COssleAppDlg, the frame: opening and reading the keyboard, the pages, Apply, OK and close, the help
// and web buttons, the profile selector, the watch for the keyboard's removal, the command lookup, and
// the one member that decides which widgets take input.
#include "configurator/MainDialog.h"

#include <algorithm>
#include <cwchar>

#include "configurator/ConfigPlatform.h"
#include "configurator/Popups.h"
#include "framework/DeviceInterfaceNotice.h"
#include "skin/AppFolder.h"
#include "skin/BitmapBtn.h"
#include "skin/BitmapWnd.h"
#include "skin/KeyboardLayoutSetting.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"
#include "skin/TextItem.h"

using namespace config;

namespace {

bool HasWindow(const CGUIItem* item)
{
    return item && item->m_window && item->m_window != reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)) &&
           ::IsWindow(item->m_window);
}

// The macros page's widgets that its states enable and disable as a group, with the frame's buttons.
const int kMacroGroup[] = {kIdAddBasicCommand, kIdAddMoreCommand, kIdInsertDelay, kIdBasicCommands,
                           kIdMoreCommands, kIdMacroCreate, kIdMacroImport, kIdMacroExport, kIdMacroSave,
                           kIdMacroDelete, kIdMacroRename, kIdIgnoreDelay, kIdIgnoreDelayText, kIdInsertDelayEdit,
                           kIdFixedDelay, kIdFixedDelayText, kIdFixedDelayEdit, kIdMacroRecord, kIdMacroPlay,
                           kIdMacroFirstEvent, kIdMacroLastEvent, kIdMacroStop};

// Of the group, those that act on the chosen macro: disabled when there is none.
const int kNeedsMacro[] = {kIdMacroStop, kIdMacroPlay, kIdMacroFirstEvent, kIdMacroLastEvent, kIdInsertDelay,
                           kIdInsertDelayEdit, kIdAddBasicCommand, kIdAddMoreCommand, kIdBasicCommands,
                           kIdMoreCommands, kIdIgnoreDelay, kIdIgnoreDelayText, kIdFixedDelay, kIdFixedDelayText,
                           kIdFixedDelayEdit};

// What the system posts for a pressed F1 key, which the default window procedure turns into WM_HELP.
constexpr UINT kSystemKeyF1Message = 0x004D;

template <size_t N>
bool Holds(const int (&ids)[N], int id)
{
    return std::find(ids, ids + N, id) != ids + N;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// The frame's commands

const COssleAppDlg::Command COssleAppDlg::kFrameCommands[] = {
    {kIdButtonFacebook, kClicked, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int) { d.OpenShell(L"OPEN", kSocialPageUrl); }},
    {kIdButtonTwitter, kClicked, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int) { d.OpenShell(L"OPEN", kSocialAccountUrl); }},
    {kIdButtonCommunity, kClicked, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int) { d.OpenShell(L"OPEN", kCommunityUrl); }},
    {kIdButtonUpdate, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.OpenShell(L"OPEN", kSupportUrl); }},
    {kIdButtonHelp, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.OpenManual(); }},
    {kIdButtonExit, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.PostMessage(WM_CLOSE); }},
    {kIdButtonCancel, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.PostMessage(WM_CLOSE); }},
    {kIdButtonOk, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.ApplyAndClose(); }},
    {kIdButtonApply, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.OnApplyButton(); }},
    {kIdTabAssignKeys, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.ShowPage(kPageKeyAssignment); }},
    {kIdTabProfiles, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.ShowPage(kPageProfiles); }},
    {kIdTabMacros, kClicked, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int) {
         d.ShowPage(kPageMacros);
         d.EnterMacroPage();
     }},
    {kIdTabLighting, kClicked, nullptr, kLeavesStore, [](COssleAppDlg& d, int) { d.ShowPage(kPageLighting); }},
    // The key page's and the lighting page's selector alike.
    {kIdProfileSelector, kChosen, nullptr, kLeavesStore,
     [](COssleAppDlg& d, int index) { d.OnProfileSelected(index); }},
    {}};

const COssleAppDlg::Command* COssleAppDlg::FindCommand(int id, UINT notice)
{
    if (id == 0)
        return nullptr;
    for (const Command* table :
         {kFrameCommands, kKeyPageCommands, kProfilesPageCommands, kLightingPageCommands, kMacrosPageCommands}) {
        for (const Command* command = table; command->run; ++command) {
            if (command->id == id && command->notice == notice)
                return command;
        }
    }
    return nullptr;
}

void COssleAppDlg::RunCommand(const Command& command, int arg)
{
    if (command.editsStore && !CanEditStore())
        return;
    command.run(*this, arg);
    RefreshInputState();
}

const COssleAppDlg::Command* COssleAppDlg::FindMenuCommand(const Command* table, const std::wstring& text)
{
    for (const Command* command = table; command->run; ++command) {
        if (command->menuText && text == command->menuText)
            return command;
    }
    return nullptr;
}

COssleAppDlg::COssleAppDlg(IKeyboardDevice* device, IKeyboardConfig* config)
    : CGUIPanel(kMainPanel, MainTemplate(), nullptr),
      m_device(device),
      m_config(config),
      m_icon(LoadProgramIcon(kMainIconId, IconSize::kLarge)),
      m_smallIcon(LoadProgramIcon(kMainIconId, IconSize::kSmall))
{
}

COssleAppDlg::~COssleAppDlg()
{
    // The pages' widgets are children of this window: they go before it does.
    if (m_hWnd)
        DestroyWindow();
    for (SkinItemList* page : {&m_keyPage, &m_layoutPage, &m_profilesPage, &m_macrosPage, &m_lightingPage})
        FreeSkinItemList(*page);
}

CDialogTemplate COssleAppDlg::MainTemplate()
{
    RegisterWindowClass(::GetModuleHandleW(nullptr));
    return CDialogTemplate(WS_POPUP | DS_SETFONT | DS_FIXEDSYS, WS_EX_LAYERED | WS_EX_APPWINDOW, 0, 0, 320, 200,
                           L"", kMainWindowClass);
}

bool COssleAppDlg::RegisterWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, kMainWindowClass, &existing))
        return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_BYTEALIGNWINDOW | CS_SAVEBITS | CS_DBLCLKS;
    windowClass.lpfnWndProc = ::DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kMainIconId));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;
    return ::RegisterClassExW(&windowClass) != 0;
}

// ---------------------------------------------------------------------------------------------------
// Opening

BOOL COssleAppDlg::OnInitDialog()
{
    CGUIPanel::OnInitDialog();
    if (!m_refusedFor.empty())
        return EndForDamagedFile(m_refusedFor);
    if (!m_icon.IsNull())
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(static_cast<HICON>(m_icon)));
    if (!m_smallIcon.IsNull())
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(static_cast<HICON>(m_smallIcon)));
    RegisterDeviceWatch();

    // Magenta is the skin's transparent colour. A panel shaped by its mask needs no colour key, and a
    // colour key on a shaped window paints black outside the shape, so the key is set only without one.
    if (m_region) {
        ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetExStyle() & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    } else {
        ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetExStyle() | WS_EX_LAYERED);
        ::SetLayeredWindowAttributes(m_hWnd, RGB(255, 0, 255), 0, LWA_COLORKEY);
    }
    SetWindowText(kDialogTitle);
    CenterWindowOver(m_hWnd, nullptr);

    // A page that can't be read (or the key definitions the keyboard page names) leaves the dialog
    // without what it is for: the user is told which file is at fault and the program ends.
    std::wstring damaged;
    bool pagesRead = LoadSkinFile(m_keyPage, kKeyPagePanel, this, &damaged);
    if (CKeyboardLayoutSetting* layout = SelectedKeyboardLayout()) {
        if (pagesRead && !layout->m_pageFile.empty())
            pagesRead = LoadSkinFile(m_layoutPage, layout->m_pageFile, this, &damaged);
    }
    if (!pagesRead)
        return EndForDamagedFile(damaged);

    if (m_device)
        m_device->SetTransferNotify(m_hWnd, WM_TRANSFER_DONE);
    const bool connected = m_device && m_config && m_device->IsConnected();
    // The read starts only after the layout page: loading it replaces the key definitions, which the
    // read's outcome maps the device's buttons through when it reaches the store.
    if (connected && m_readWhileBuilding)
        m_startupRead = m_device->Transfer(m_config, kTransferReadInBackground, kTransferReadMask);
    pagesRead = LoadSkinFile(m_profilesPage, kProfilesPagePanel, this, &damaged) &&
                LoadSkinFile(m_macrosPage, kMacrosPagePanel, this, &damaged) &&
                LoadSkinFile(m_lightingPage, kLightingPagePanel, this, &damaged);
    // Every page is built: what a prefetch of their pictures still holds is nobody's.
    EndSkinImagePrefetch();
    if (!pagesRead)
        return EndForDamagedFile(damaged);
    BindSkinItems();
    ShowPage(kPageKeyAssignment);

    if (m_startupRead) {
        // OnTransferDone finishes the opening and shows the dialog. Its notice comes also when the read
        // ended while the pages were built; a dialog made without DoModal would otherwise never show.
        m_showWhenCreated = false;
        return TRUE;
    }
    if (connected) {
        m_device->Transfer(m_config, kTransferRead, kTransferReadMask);
    } else {
        ShowWithoutKeyboard();
        ArmNoDeviceTimer(kNoDeviceStartMs);
        return TRUE;
    }
    FinishOpening();
    return TRUE;
}

// The message is owned by the dialog, hidden or still being made, so that a second start, which brings
// the dialog's last popup forward, brings the message forward.
bool COssleAppDlg::RefuseDamagedSkin()
{
    ReportDamagedInstallation(m_damagedFile, m_hWnd);
    return true;
}

BOOL COssleAppDlg::EndForDamagedFile(const std::wstring& file)
{
    EndSkinImagePrefetch();
    // The dialog never opens: a start-up read that ends while the message is up must not show it half
    // made, nor may the no-device timer take the message for a file dialog and cancel it.
    m_startupRead = false;
    StopDeviceNotices();
    ReportDamagedInstallation(file, m_hWnd);
    m_showWhenCreated = false;
    EndDialog(IDABORT);
    return TRUE;
}

void COssleAppDlg::FinishOpening()
{
    if (m_config) {
        if (!m_config->GetActiveProfile())
            m_config->SetActiveProfile(m_config->GetProfileAt(0));
        if (m_config->GetActiveProfile()) {
            RefreshAllViews();
            RefreshProfileViews();
            SetDirty(false);
            return;
        }
    }
    ShowWithoutKeyboard();
    // A removal while the keyboard was read has armed the popup already (or shows it now).
    if (!m_noDeviceHandled)
        ArmNoDeviceTimer(kNoDeviceStartMs);
}

void COssleAppDlg::ShowWithoutKeyboard()
{
    SetDirty(false);
    RefreshVersionLines(false);
    Invalidate(FALSE);
}

void COssleAppDlg::BindSkinItems()
{
    for (int i = 0; i < 4; ++i)
        m_tabs[i] = FindItemAs<CBitmapBtn>(m_items, kTabIds[i], SkinItemType::BitmapButton);
    m_okButton = FindItemAs<CBitmapBtn>(m_items, kIdButtonOk, SkinItemType::BitmapButton);
    m_cancelButton = FindItemAs<CBitmapBtn>(m_items, kIdButtonCancel, SkinItemType::BitmapButton);
    m_applyButton = FindItemAs<CBitmapBtn>(m_items, kIdButtonApply, SkinItemType::BitmapButton);
    m_helpButton = FindItemAs<CBitmapBtn>(m_items, kIdButtonHelp, SkinItemType::BitmapButton);
    m_exitButton = FindItemAs<CBitmapBtn>(m_items, kIdButtonExit, SkinItemType::BitmapButton);
    m_updateButton = FindItemAs<CBitmapBtn>(m_items, kIdButtonUpdate, SkinItemType::BitmapButton);
    m_firmwareText = FindItemAs<CTextItem>(m_items, kIdTextFirmware, SkinItemType::TextItem);
    m_driverText = FindItemAs<CTextItem>(m_items, kIdTextDriver, SkinItemType::TextItem);
    m_keyProfileSelector = FindItemAs<CDropdownListItem>(m_keyPage, kIdProfileSelector, SkinItemType::DropdownList);
    m_lightingProfileSelector =
        FindItemAs<CDropdownListItem>(m_lightingPage, kIdProfileSelector, SkinItemType::DropdownList);
    BindKeyPageItems();
    BindProfilesPageItems();
    BindLightingPageItems();
    BindMacroPageItems();
}

void COssleAppDlg::RefreshAllViews()
{
    for (CBitmapBtn* tab : m_tabs) {
        if (tab)
            tab->m_toggleOnClick = 0;
    }
    for (CBitmapBtn* button : m_assignButtons) {
        if (button)
            button->m_toggleOnClick = 0;
    }
    RefreshVersionLines();
    RefreshKeyLabels();
    // Ends with the refresh of what takes input.
    RefreshMacroPage();
    Invalidate(FALSE);
}

void COssleAppDlg::RefreshProfileViews()
{
    FillProfileSelector(m_keyProfileSelector);
    FillProfileSelector(m_lightingProfileSelector);
    RefreshKeyLabels();
    RefreshProfileList();
    RefreshLightingRadios();
}

void COssleAppDlg::FillProfileSelector(CDropdownListItem* selector)
{
    if (!selector || !m_config)
        return;
    selector->ClearEntries();
    int active = 0;
    IKeyboardProfile* current = m_config->GetActiveProfile();
    for (unsigned i = 0; i < m_config->GetProfileCount(); ++i) {
        IKeyboardProfile* profile = m_config->GetProfileAt(i);
        if (!profile)
            continue;
        selector->InsertEntry(profile->GetName(), static_cast<int>(i));
        if (profile == current)
            active = static_cast<int>(i);
    }
    selector->SetCurSel(active);
}

void COssleAppDlg::ActivateProfile(IKeyboardProfile* profile)
{
    if (!CanEditStore())
        return;
    m_config->SetActiveProfile(profile);
    RefreshProfileViews();
    SetDirty(true);
}

void COssleAppDlg::ActivateFirstProfile()
{
    if (m_config)
        ActivateProfile(m_config->GetProfileAt(0));
}

// ---------------------------------------------------------------------------------------------------
// Pages

void COssleAppDlg::SetTabChecked(int index, bool checked)
{
    if (m_tabs[index] && (m_tabs[index]->m_checked != 0) != checked)
        m_tabs[index]->SetSelected(checked ? 1 : 0);
}

void COssleAppDlg::ShowPage(unsigned flags)
{
    SkinItemList* page = nullptr;
    if (flags & kPageKeyAssignment)
        page = &m_keyPage;
    else if (flags & kPageProfiles)
        page = &m_profilesPage;
    else if (flags & kPageMacros)
        page = &m_macrosPage;
    else if (flags & kPageLighting)
        page = &m_lightingPage;
    if (!page || page == m_currentPage)
        return;
    ShowSkinItems(m_keyPage, (flags & kPageKeys) != 0);
    ShowSkinItems(m_layoutPage, (flags & kPageLayout) != 0);
    ShowSkinItems(m_profilesPage, (flags & kPageProfiles) != 0);
    ShowSkinItems(m_macrosPage, (flags & kPageMacros) != 0);
    ShowSkinItems(m_lightingPage, (flags & kPageLighting) != 0);
    for (int i = 0; i < 4; ++i)
        SetTabChecked(i, (flags & kTabPages[i]) != 0);
    m_currentPage = page;
    m_pageFlags = flags;
    if (page != &m_keyPage) {
        if (m_selectedKey)
            m_selectedKey->ClearHover();
        m_selectedKey = nullptr;
        if (m_keyHint) {
            m_keyHint->m_selected = 0;
            m_keyHint->SetCaption(L"");
            m_keyHint->m_keyPicture = nullptr;
            m_keyHint->m_assignmentKind = 0;
        }
    }
    RefreshInputState();
    Invalidate(FALSE);
}

// ---------------------------------------------------------------------------------------------------
// Commands

CGUIItem* COssleAppDlg::FindSender(HWND window) const
{
    if (!window)
        return nullptr;
    if (CGUIItem* item = FindItemByHwnd(m_items, window))
        return item;
    return m_currentPage ? FindItemByHwnd(*m_currentPage, window) : nullptr;
}

BOOL COssleAppDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CGUIItem* sender = FindSender(reinterpret_cast<HWND>(lParam));
    const Command* command = nullptr;
    if (sender && (sender->m_type == SkinItemType::BitmapButton || sender->m_type == SkinItemType::TextItem))
        command = FindCommand(sender->m_id, kClicked);
    else if (sender && HIWORD(wParam) != kClicked)
        command = FindCommand(sender->m_id, HIWORD(wParam));
    if (command)
        RunCommand(*command, -1);
    return CGUIPanel::OnCommand(wParam, lParam);
}

void COssleAppDlg::OpenShell(const wchar_t* verb, const std::wstring& file)
{
    ConfigPlatform().ShellOpen(nullptr, verb, file.c_str());
}

void COssleAppDlg::OpenManual()
{
    // Without the page the shell would fail quietly (or open a browser on an error page).
    const std::wstring page = AppFolder() + kManualPage;
    const DWORD attributes = ::GetFileAttributesW(page.c_str());
    bool missing = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!missing) {
        const auto result = reinterpret_cast<INT_PTR>(ConfigPlatform().ShellOpen(nullptr, L"OPEN", page.c_str()));
        missing = result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND;
    }
    if (missing)
        Warn(kManualMissingPopup);
}

void COssleAppDlg::OnApplyButton()
{
    HCURSOR previous = ::GetCursor();
    if (previous)
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    ApplySettings();
    if (previous && !m_transferRunning)
        ::SetCursor(previous);
}

LRESULT COssleAppDlg::OnDropdownSelChange(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    CGUIItem* sender = FindSender(reinterpret_cast<HWND>(lParam));
    if (!sender || sender->m_type != SkinItemType::DropdownList)
        return 0;
    if (const Command* command = FindCommand(sender->m_id, kChosen))
        RunCommand(*command, static_cast<int>(wParam));
    return 0;
}

void COssleAppDlg::OnProfileSelected(int index)
{
    if (!CanEditStore()) {
        // The choice is not taken during a write: the selectors go back to the active profile.
        FillProfileSelector(m_keyProfileSelector);
        FillProfileSelector(m_lightingProfileSelector);
        return;
    }
    // By position, not by name: two profiles may carry names that differ only in letter case.
    IKeyboardProfile* profile = index >= 0 ? m_config->GetProfileAt(static_cast<unsigned>(index)) : nullptr;
    if (profile && profile != m_config->GetActiveProfile())
        ActivateProfile(profile);
}

// ---------------------------------------------------------------------------------------------------
// What takes input

void COssleAppDlg::EnableItem(const CGUIItem* item, bool enable)
{
    if (!HasWindow(item) || (::IsWindowEnabled(item->m_window) != FALSE) == enable)
        return;
    ::EnableWindow(item->m_window, enable ? TRUE : FALSE);
    ::InvalidateRect(item->m_window, nullptr, FALSE);
}

void COssleAppDlg::RefreshInputState()
{
    // Replaying or recording a macro holds the frame: only the page's Stop takes a click.
    const bool frameFree = m_macroPageState == kMacroPageNoMacro || m_macroPageState == kMacroPageIdle;
    const bool hasMacro = m_macroPageState != kMacroPageNoMacro;
    // While a write runs no page widget and no tab takes input; OK stays, to close after the write.
    const bool pagesFree = !m_transferRunning;

    for (CBitmapBtn* tab : m_tabs)
        EnableItem(tab, frameFree && pagesFree);
    for (CBitmapBtn* button : {m_okButton, m_cancelButton, m_helpButton, m_exitButton, m_updateButton})
        EnableItem(button, frameFree);
    EnableItem(m_applyButton, frameFree && m_dirty);

    auto macroPageRule = [&](const CGUIItem* item) {
        if (item == m_macroList)
            return frameFree;
        if (item == m_macroDisplay)
            return m_macroPageState != kMacroPageReplaying;
        if (item == m_macroPlayer)
            return m_macroPageState == kMacroPageReplaying;
        if (!Holds(kMacroGroup, item->m_id))
            return true;
        if (item->m_id == kIdMacroStop)
            return m_macroPageState == kMacroPageReplaying || m_macroPageState == kMacroPageRecording;
        if (item->m_id == kIdFixedDelayEdit)
            return m_macroPageState == kMacroPageIdle && m_fixedDelayButton && m_fixedDelayButton->m_checked;
        return frameFree && (hasMacro || !Holds(kNeedsMacro, item->m_id));
    };
    for (const SkinItemList* page : {&m_keyPage, &m_layoutPage, &m_profilesPage, &m_macrosPage, &m_lightingPage}) {
        for (CGUIItem* item : *page) {
            // The assignment buttons and their labels go together, below.
            if (std::find(std::begin(m_assignButtons), std::end(m_assignButtons), item) != std::end(m_assignButtons))
                continue;
            EnableItem(item, pagesFree && (page != &m_macrosPage || macroPageRule(item)));
        }
    }
    EnableAssignButtons(pagesFree && m_selectedKey != nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Apply, OK and close

bool COssleAppDlg::CanEditStore() const
{
    return m_config && !m_transferRunning && !(m_device && m_device->IsBusy());
}

void COssleAppDlg::SetDirty(bool dirty)
{
    m_dirty = dirty;
    RefreshInputState();
}

bool COssleAppDlg::ApplySettings()
{
    if (!m_device || !m_config || m_transferRunning || m_device->IsBusy())
        return false;
    if (!m_device->Transfer(m_config, kTransferWrite, kTransferWriteMask)) {
        SetDirty(true);
        return false;
    }
    m_transferRunning = true;
    SetDirty(false);
    RefreshCursor();
    return true;
}

void COssleAppDlg::RefreshCursor()
{
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::SetCursorPos(cursor.x, cursor.y);
}

LRESULT COssleAppDlg::OnSetCursor(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (!m_transferRunning) {
        bHandled = FALSE;
        return 0;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
}

LRESULT COssleAppDlg::OnTransferDone(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (m_startupRead) {
        m_startupRead = false;
        // A close asked for while the dialog was hidden is not carried over to the user's first Apply.
        m_closeAfterTransfer = false;
        // A failed read leaves what it could read; without a profile the no-device popup follows, as
        // when the keyboard was not there at all.
        FinishOpening();
        if (!IsWindowVisible())
            ShowWindow(SW_SHOW);
        return 0;
    }
    if (!m_transferRunning)
        return 0;
    m_transferRunning = false;
    RefreshKeyMarks();
    RefreshCursor();
    if (wParam == 0) {
        // Nothing is lost: the store still holds every change, so the next Apply writes it again.
        m_closeAfterTransfer = false;
        SetDirty(true);
        // A write that failed because the keyboard went is told by the no-device popup, which ends
        // the configurator; a second popup about it would only stand in that one's way.
        if (m_noDeviceHandled)
            return 0;
        COssleWarningDlg warning(this, kWriteFailedPopup);
        RunPopup(warning);
        return 0;
    }
    if (m_closeAfterTransfer) {
        m_closeAfterTransfer = false;
        ApplyAndClose();
    }
    return 0;
}

void COssleAppDlg::ApplyAndClose()
{
    // Hidden while the keyboard is read: nothing to apply or close yet.
    if (m_startupRead)
        return;
    if (m_transferRunning || (m_device && m_device->IsBusy())) {
        m_closeAfterTransfer = true;
        return;
    }
    if (m_dirty) {
        if (ApplySettings()) {
            m_closeAfterTransfer = true;
            return;
        }
        // No write could start: closing now would drop the changes without a word.
        COssleWarningDlg warning(this, kWriteFailedPopup);
        RunPopup(warning);
        return;
    }
    PostMessage(WM_CLOSE);
}

void COssleAppDlg::OnOK()
{
    // While a macro is recorded, Enter and Escape are keys of the macro.
    if (m_macroPageState == kMacroPageRecording)
        return;
    ApplyAndClose();
}

void COssleAppDlg::OnCancel()
{
    // While a macro is recorded Escape is a key of the macro; while the dialog is hidden for the
    // start-up read nothing of it has shown yet, so nothing closes it (a second start, which brings
    // it forward, must not end it). The keyboard's removal closes it in either case.
    if (!m_closeForRemoval && (m_macroPageState == kMacroPageRecording || m_startupRead))
        return;
    CGUIPanel::OnCancel();
}

BOOL COssleAppDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_SPACE)
        msg->wParam = VK_RETURN;
    // F1 asks for help wherever the focus is. A key that does not come from the keyboard makes no
    // WM_HELP, so the dialog makes it here from the key; the system's own notice of a pressed F1, which
    // it posts to become WM_HELP later, is dropped, or the manual would be asked for twice (the second
    // message over the first). While a macro records, F1 is left to the recording.
    if (msg->message == kSystemKeyF1Message)
        return TRUE;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1 && m_macroPageState != kMacroPageRecording) {
        HELPINFO info = {};
        info.cbSize = sizeof(info);
        info.iContextType = HELPINFO_WINDOW;
        info.hItemHandle = msg->hwnd;
        info.MousePos = msg->pt;
        SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        return TRUE;
    }
    return CGUIPanel::PreTranslateMessage(msg);
}

LRESULT COssleAppDlg::OnCloseMessage(UINT, WPARAM, LPARAM, BOOL&)
{
    OnClose();
    return 0;
}

void COssleAppDlg::OnClose()
{
    if (m_startupRead && !m_closeForRemoval)
        return;
    if (m_device && m_device->IsConnected() && !m_device->IsBusy())
        m_device->StopMacroRecording();
    // The dialog manager's own close would look for a control with the Cancel id, which a skin's
    // text item may carry: the dialog ends through its Cancel handling directly.
    OnCancel();
    EndDeviceWatch();
}

LRESULT COssleAppDlg::OnDestroyMessage(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;  // the panel's own handling follows
    StopDeviceNotices();
    return 0;
}

void COssleAppDlg::StopDeviceNotices()
{
    EndDeviceWatch();
    if (m_noDeviceTimer) {
        KillTimer(kNoDeviceTimer);
        m_noDeviceTimer = 0;
    }
    if (m_device)
        m_device->SetTransferNotify(nullptr, 0);
}

LRESULT COssleAppDlg::OnHelpMessage(UINT, WPARAM, LPARAM, BOOL&)
{
    return OnHelpInfo();
}

BOOL COssleAppDlg::OnHelpInfo()
{
    if (m_macroPageState == kMacroPageRecording)
        return FALSE;
    OpenManual();
    return FALSE;
}

INT_PTR COssleAppDlg::RunPopup(CDialog& popup)
{
    CDialog* previous = m_openPopup;
    m_openPopup = &popup;
    const INT_PTR result = popup.DoModal();
    m_openPopup = previous;
    return result;
}

void COssleAppDlg::Warn(const wchar_t* panel, const std::wstring& suffix, const std::wstring& text)
{
    COssleWarningDlg warning(this, panel, suffix);
    if (!text.empty())
        warning.SetText(text);
    RunPopup(warning);
}

// ---------------------------------------------------------------------------------------------------
// Frame messages

LRESULT COssleAppDlg::OnAutomation(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    LRESULT state = IsWindowVisible() ? kAutomationShown : 0;
    if (m_dirty)
        state |= kAutomationDirty;
    if (m_transferRunning)
        state |= kAutomationWriting;
    if (m_openPopup)
        state |= kAutomationPopupOpen;
    state |= static_cast<LRESULT>(m_pageFlags & 0xFF) << kAutomationPageShift;
    if (m_selectedKey)
        state |= static_cast<LRESULT>(m_selectedKey->m_id) << 16;
    return AnswerAutomation({&m_items, &m_keyPage, &m_layoutPage, m_currentPage}, wParam, lParam, state);
}

LRESULT COssleAppDlg::OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&)
{
    return reinterpret_cast<LRESULT>(static_cast<HICON>(m_icon));
}

LRESULT COssleAppDlg::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&)
{
    const LRESULT hit = DefWindowProc();
    return hit == HTCLIENT ? HTCAPTION : hit;
}

LRESULT COssleAppDlg::OnNcMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    ClearKeyHint();
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Device watch

void COssleAppDlg::RegisterDeviceWatch()
{
    if (m_deviceNotify)
        return;
    m_deviceNotify = RegisterMouseInterfaceNotices(m_hWnd);
}

void COssleAppDlg::EndDeviceWatch()
{
    if (m_deviceNotify) {
        ::UnregisterDeviceNotification(m_deviceNotify);
        m_deviceNotify = nullptr;
    }
}

LRESULT COssleAppDlg::OnDeviceChangeMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return OnDeviceChange(static_cast<UINT>(wParam), static_cast<DWORD_PTR>(lParam));
}

BOOL COssleAppDlg::OnDeviceChange(UINT event, DWORD_PTR data)
{
    // Only removals carry a record of their own; for other events the data is not ours to read.
    if (event != DBT_DEVICEREMOVECOMPLETE || data == 0)
        return TRUE;
    std::wstring path;
    if (!ReadDeviceInterfacePath(event, static_cast<LPARAM>(data), &path) || !IsKeyboardDevicePath(path))
        return TRUE;
    // The first removal closes the configurator; another one before it is gone adds nothing.
    if (!m_noDeviceHandled)
        ArmNoDeviceTimer(kNoDeviceRemovalMs);
    return TRUE;
}

void COssleAppDlg::ArmNoDeviceTimer(UINT milliseconds)
{
    m_noDeviceHandled = true;
    m_noDeviceTimer = SetTimer(kNoDeviceTimer, milliseconds);
}

LRESULT COssleAppDlg::OnTimerMessage(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != kNoDeviceTimer) {
        bHandled = FALSE;
        return 0;
    }
    OnTimer(wParam);
    return 0;
}

void COssleAppDlg::OnTimer(UINT_PTR id)
{
    if (id != kNoDeviceTimer || !m_noDeviceTimer)
        return;
    KillTimer(kNoDeviceTimer);
    m_noDeviceTimer = 0;
    if (m_openPopup || EndFileDialogs()) {
        // A popup or a file dialog asks about a keyboard that is gone: it ends first, and its caller
        // stores nothing; the no-device popup follows once its loop has returned.
        if (m_openPopup)
            m_openPopup->EndDialog(IDCANCEL);
        m_noDeviceTimer = SetTimer(kNoDeviceTimer, kNoDeviceRemovalMs);
        return;
    }
    ShowNoDevicePopup();
}

bool COssleAppDlg::EndFileDialogs()
{
    // The system's file dialogs run their own loop with this dialog as their owner; they are the
    // only dialogs of the class "#32770" it owns. Cancelling one makes its caller store nothing.
    struct Search {
        HWND owner;
        bool found;
    } search = {m_hWnd, false};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (::GetWindow(window, GW_OWNER) == s->owner && wcscmp(name, L"#32770") == 0 &&
                !CWnd::FromHandlePermanent(window)) {
                ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                s->found = true;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void COssleAppDlg::ShowNoDevicePopup()
{
    // A recording ends before the popup (its clicks are no keys of the macro); a recording keyboard
    // goes back to its normal mode, in case it is still there.
    if (m_macroPageState == kMacroPageRecording)
        StopMacroRecording();
    if (m_device && m_device->IsConnected() && !m_device->IsBusy())
        m_device->StopMacroRecording();
    COssleWarningDlg popup(this, kNoDevicePopup);
    RunPopup(popup);
    // The configurator closes, whatever it was doing.
    m_closeForRemoval = true;
    PostMessage(WM_CLOSE);
}
