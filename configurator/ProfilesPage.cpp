// COssleAppDlg, the profiles page: the list of the store's profiles with its context menu, the page's
// buttons, and what each command does to the store; import and export go through the device object,
// which lets the device service read or write the file.
#include "configurator/MainDialog.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <cwchar>

#include "configurator/ConfigPlatform.h"
#include "configurator/Popups.h"
#include "model/GuidWords.h"
#include "model/OssleConfig.h"
#include "model/ProfileFolder.h"
#include "skin/BitmapBtn.h"
#include "skin/ListPanelItem.h"

using namespace config;

namespace {

constexpr COLORREF kActiveRowText = 0x00FF00;

GUID ProfileGuid(const IKeyboardProfile* profile)
{
    GUID guid{};
    if (profile)
        profile->GetGuid(guid);
    return guid;
}

std::wstring ProfileNumber(unsigned index)
{
    wchar_t text[16] = {};
    swprintf(text, 16, L"%02u", index + 1);
    return text;
}

bool IsExistingFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

// The page's buttons and the entries of the profile list's menu. A menu entry acts on the row it was
// opened on (`arg`, its key) or on the selected row; a button on the selected row.
const COssleAppDlg::Command COssleAppDlg::kProfilesPageCommands[] = {
    {kIdNewProfile, kClicked, L"$New", kEditsStore, [](COssleAppDlg& d, int) { d.CreateProfile(); }},
    {kIdImportProfile, kClicked, L"$Import", kEditsStore, [](COssleAppDlg& d, int) { d.ImportProfile(); }},
    {kIdExportProfile, kClicked, L"$Export", kEditsStore, [](COssleAppDlg& d, int) { d.ExportProfile(); }},
    {kIdSaveProfile, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.ExportProfile(); }},
    {kIdDeleteProfile, kClicked, L"$Delete", kEditsStore, [](COssleAppDlg& d, int) { d.DeleteProfile(); }},
    {kIdProfileOsdButton, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.OnProfileOsdButton(); }},
    {0, kClicked, L"$Rename", kEditsStore, [](COssleAppDlg& d, int) { d.RenameProfile(); }},
    {0, kClicked, L"$Copy", kEditsStore, [](COssleAppDlg& d, int key) { d.CopyProfile(key); }},
    {0, kClicked, L"$SetActive", kEditsStore, [](COssleAppDlg& d, int key) { d.OnProfileDblClk(key); }},
    {0, kClicked, L"$RestoreDefault", kEditsStore, [](COssleAppDlg& d, int key) { d.RestoreProfile(key); }},
    {0, kClicked, L"$Preview", kLeavesStore, [](COssleAppDlg& d, int key) { d.PreviewProfile(key); }},
    {}};

void COssleAppDlg::BindProfilesPageItems()
{
    m_profileList = FindItemAs<CXListCtrl>(m_profilesPage, kIdProfileList, SkinItemType::ListCtrl);
    m_profileMenu = FindItemAs<CListPanelItem>(m_profilesPage, kIdProfileMenu, SkinItemType::ListPanel);
    m_profileOsdButton = FindItemAs<CBitmapBtn>(m_profilesPage, kIdProfileOsdButton, SkinItemType::BitmapButton);
    if (m_profileList)
        m_profileList->m_contextMenu = m_profileMenu;
    if (m_profileOsdButton) {
        m_profileOsdButton->m_isCheckBox = 1;
        m_profileOsdButton->m_toggleOnClick = 1;
    }
}

IKeyboardProfile* COssleAppDlg::ProfileAtKey(int key) const
{
    return key >= 0 && m_config ? m_config->GetProfileAt(static_cast<unsigned>(key)) : nullptr;
}

IKeyboardProfile* COssleAppDlg::SelectedProfile() const
{
    return m_profileList ? ProfileAtKey(m_profileList->GetSelectedRowKey()) : nullptr;
}

bool COssleAppDlg::ProfileNameTaken(const std::wstring& name) const
{
    // Exact comparison: names that differ in letter case are different names.
    return m_config && HasProfileNamed(*m_config, name);
}

// ---------------------------------------------------------------------------------------------------
// The list

void COssleAppDlg::RefreshProfileList()
{
    if (!m_config)
        return;
    IKeyboardProfile* active = m_config->GetActiveProfile();
    if (m_profileOsdButton && active)
        m_profileOsdButton->SetSelected(active->GetShowProfileOsd() ? 1 : 0);
    if (!m_profileList)
        return;
    CXListCtrl& list = *m_profileList;
    const int count = static_cast<int>(m_config->GetProfileCount());
    while (list.GetItemCount() > count)
        list.DeleteItem(list.GetItemCount() - 1);
    while (list.GetItemCount() < count) {
        if (list.InsertRow(list.GetItemCount(), list.m_clrText, list.m_clrBack, list.m_clrTextHi, list.m_clrBackHi) < 0)
            return;
    }
    int activeRow = -1;
    for (int row = 0; row < count; ++row) {
        IKeyboardProfile* profile = m_config->GetProfileAt(static_cast<unsigned>(row));
        if (XListCell* first = list.Cell(row, 0))
            first->key = row;
        list.SetCellValue(kProfileColumnCurrent, row, 0);
        list.SetCellText(kProfileColumnNumber, row, ProfileNumber(static_cast<unsigned>(row)).c_str());
        list.SetCellText(kProfileColumnName, row, profile ? profile->GetName().c_str() : L"");
        list.SetCellText(kProfileColumnProgram, row, profile ? profile->GetAppFileName().c_str() : L"");
        list.SetCellValue(kProfileColumnAutoSwitch, row, profile && profile->GetAutoSwitch() ? 1 : 0);
        list.SetRowColors(row, list.m_clrText, list.m_clrBack, list.m_clrTextHi, list.m_clrBackHi);
        if (profile && profile == active)
            activeRow = row;
    }
    // Without an active profile the first row stands for the current one.
    const int shown = activeRow >= 0 ? activeRow : 0;
    if (count > 0) {
        list.SetItemState(shown, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetCellValue(kProfileColumnCurrent, shown, 1);
        list.SetRowColors(shown, kActiveRowText, list.m_clrBack, kActiveRowText, list.m_clrBackHi);
        list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(shown), FALSE);
    }
    list.Invalidate(FALSE);
}

LRESULT COssleAppDlg::OnProfileListNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (!m_profileList || reinterpret_cast<HWND>(wParam) != m_profileList->m_hWnd) {
        bHandled = FALSE;
        return 0;
    }
    const auto* record = reinterpret_cast<const XListNotifyRecord*>(lParam);
    if (m_currentPage != &m_profilesPage || !record)
        return 0;
    const auto* text = static_cast<const wchar_t*>(record->data);
    switch (msg) {
    case WM_XLIST_MENUCOMMAND:
        // The command ends with the refresh of what takes input (RunCommand); an entry that runs none,
        // or one refused during a write, changes nothing.
        OnProfileMenuCommand(record->key, text ? text : L"");
        return 0;
    case WM_XLIST_MENUOPENING:
        OnProfileMenuOpening(record->key);
        break;
    case WM_XLIST_APPCHANGED:
        OnProfileAppChanged(record->key, text ? text : L"");
        break;
    case WM_XLIST_CHECKCHANGED:
        if (record->data)
            OnProfileCheckChanged(record->key, record->column, *static_cast<const bool*>(record->data));
        break;
    case WM_XLIST_CELLEDITED:
        OnProfileCellEdited(record->key, text ? text : L"");
        break;
    case WM_XLIST_DBLCLK:
        OnProfileDblClk(record->key);
        break;
    default:
        break;
    }
    RefreshInputState();
    return 0;
}

void COssleAppDlg::OnProfileMenuCommand(int key, const std::wstring& text)
{
    if (key < 0)
        return;
    if (const Command* command = FindMenuCommand(kProfilesPageCommands, text))
        RunCommand(*command, key);
}

void COssleAppDlg::OnProfileMenuOpening(int key)
{
    if (!m_profileMenu || !m_config)
        return;
    const int row = key >= 0 ? key : (m_profileList ? m_profileList->GetSelectedRowKey() : -1);
    const int entry = FindListEntryText(m_profileMenu->m_entries, L"$UnassignApplication");
    if (entry < 0)
        return;
    IKeyboardProfile* profile = row >= 0 ? m_config->GetProfileAt(static_cast<unsigned>(row)) : nullptr;
    m_profileMenu->m_entries[static_cast<size_t>(entry)].disabled = profile && profile->GetAppFileName().empty();
}

void COssleAppDlg::OnProfileAppChanged(int key, const std::wstring& path)
{
    IKeyboardProfile* profile = ProfileAtKey(key);
    if (!profile)
        return;
    const std::wstring fileName = ::PathFindFileNameW(path.c_str());
    if (CanEditStore() && fileName.size() <= kMaxLinkedFileNameChars) {
        profile->SetApp(path.c_str());
        SetDirty(true);
        return;
    }
    // The list showed the refused program already: the cell goes back to the program the profile keeps.
    if (m_profileList)
        m_profileList->SetCellText(kProfileColumnProgram, key, profile->GetAppFileName().c_str());
    if (CanEditStore())
        Warn(kFileNameLimitPopup, std::wstring(), L"$AssignApplication");
}

void COssleAppDlg::OnProfileCheckChanged(int key, int subItem, bool on)
{
    IKeyboardProfile* profile = ProfileAtKey(key);
    if (!profile || !m_profileList)
        return;
    switch (m_profileList->GetColumnId(subItem)) {
    case kProfileColumnAutoSwitch:
        if (CanEditStore() && (!profile->GetAppFileName().empty() || !on)) {
            profile->SetAutoSwitch(on ? 1 : 0);
            SetDirty(true);
            return;
        }
        m_profileList->SetCellValue(kProfileColumnAutoSwitch, key, profile->GetAutoSwitch() ? 1 : 0);
        if (CanEditStore())
            Warn(kSelectApplicationPopup, L": " + profile->GetName());
        break;
    case kProfileColumnCurrent:
        if (on)
            ActivateProfile(profile);
        break;
    default:
        break;
    }
}

void COssleAppDlg::OnProfileCellEdited(int key, const std::wstring& text)
{
    IKeyboardProfile* profile = ProfileAtKey(key);
    if (!profile || !CanEditStore())
        return;
    if (ProfileNameTaken(text)) {
        Warn(kDuplicateProfilePopup, L": " + text);
        if (m_profileList)
            m_profileList->SetCellText(kProfileColumnName, m_profileList->GetSelectedRowKey(), profile->GetName().c_str());
        return;
    }
    if (m_config->ReplaceProfileName(profile, text.c_str())) {
        SetDirty(true);
        RefreshProfileViews();
    }
}

void COssleAppDlg::OnProfileDblClk(int key)
{
    IKeyboardProfile* profile = ProfileAtKey(key);
    if (profile && profile != m_config->GetActiveProfile())
        ActivateProfile(profile);
}

// ---------------------------------------------------------------------------------------------------
// Commands

void COssleAppDlg::OnProfileOsdButton()
{
    if (m_profileOsdButton) {
        m_config->SetShowProfileOsdAll(m_profileOsdButton->m_checked ? 1 : 0);
        SetDirty(true);
    }
}

void COssleAppDlg::CreateProfile()
{
    if (m_config->GetProfileCount() >= kMaxProfiles) {
        Warn(kProfileLimitPopup, std::wstring(), L"$CreateProfile");
        return;
    }
    std::wstring name;
    COssleNameEntryPopup popup(this, kProfileNamePopup, name);
    if (RunPopup(popup) != IDOK || name.empty() || !CanEditStore())
        return;
    if (ProfileNameTaken(name)) {
        Warn(kDuplicateProfilePopup, L": " + name);
        return;
    }
    if (IKeyboardProfile* profile = m_config->AddProfile(name.c_str()))
        ActivateProfile(profile);
}

void COssleAppDlg::RenameProfile()
{
    IKeyboardProfile* profile = SelectedProfile();
    if (!profile)
        return;
    std::wstring name = profile->GetName();
    COssleNameEntryPopup popup(this, kProfileRenamePopup, name);
    if (RunPopup(popup) != IDOK || name.empty() || !CanEditStore())
        return;
    if (ProfileNameTaken(name)) {
        Warn(kDuplicateProfilePopup, L": " + name);
        return;
    }
    if (m_config->ReplaceProfileName(profile, name.c_str())) {
        RefreshProfileViews();
        SetDirty(true);
    }
}

void COssleAppDlg::CopyProfile(int key)
{
    IKeyboardProfile* source = ProfileAtKey(key);
    if (!source)
        return;
    if (m_config->GetProfileCount() >= kMaxProfiles) {
        Warn(kProfileLimitPopup, std::wstring(), L"$Copy");
        return;
    }
    // All 98 numbered names taken: no copy.
    const std::wstring name = ProfileCopyName(*m_config, source->GetName());
    if (name.empty())
        return;
    if (IKeyboardProfile* copy = m_config->CopyProfileAs(source, name.c_str()))
        ActivateProfile(copy);
}

void COssleAppDlg::DeleteProfile()
{
    IKeyboardProfile* profile = SelectedProfile();
    if (!profile)
        return;
    IKeyboardProfile* first = m_config->GetProfileAt(0);
    const GUID guid = ProfileGuid(profile);
    if (profile == first || (!IsNullGuid(guid) && guid == ProfileGuid(first))) {
        Warn(kDisallowDeletePopup, L": " + profile->GetName());
        return;
    }
    COssleWarningDlg confirm(this, kConfirmDeletePopup, L": " + profile->GetName());
    if (RunPopup(confirm) != IDOK || !CanEditStore())
        return;
    if (profile->HasFile())
        DeleteProfileFile(profile->GetFilePath());
    ResetKeysUsingProfile(profile);
    m_config->RemoveProfile(profile);
    SetDirty(true);
    if (m_config->GetActiveProfile())
        RefreshProfileViews();
    else
        ActivateFirstProfile();
}

void COssleAppDlg::RestoreProfile(int key)
{
    IKeyboardProfile* profile = ProfileAtKey(key);
    if (!profile || !ConfirmRestoreDefaults() || !CanEditStore())
        return;
    COssleConfig::ResetProfile(profile, m_config);
    SetDirty(true);
    RefreshProfileViews();
}

void COssleAppDlg::PreviewProfile(int)
{
    // Nothing to preview on this keyboard: its profiles differ only in what the keys do.
}

bool COssleAppDlg::ChooseExchangeFile(bool save, const wchar_t* kind, const wchar_t* extension,
                                      const std::wstring& folder, const std::wstring& name, std::wstring& path)
{
    FileDialogRequest request;
    request.save = save;
    const std::wstring dotted = std::wstring(L".") + extension;
    request.defaultExtension = extension;
    // A save proposes the object's own name (an open has none), made a file name: a character no file
    // name may hold becomes "_".
    std::wstring stem = name;
    for (wchar_t& c : stem) {
        if (c < L' ' || std::wcschr(L"\\/:*?\"<>|", c) != nullptr)
            c = L'_';
    }
    request.fileName = stem + dotted;
    request.filter = std::wstring(extension) + L" " + kind + L" Files (*" + dotted + L")|*" + dotted + L"||";
    MakeProfileFolders();
    request.folder = folder;
    // A file to read must be there: a name typed into the open dialog is not taken as it stands.
    request.flags = save ? OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT
                         : OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    path.clear();
    // A path no longer than ".ext" names no file.
    return ConfigPlatform().FileDialog(m_hWnd, request, path) && path.size() > dotted.size();
}

void COssleAppDlg::ExportProfile()
{
    IKeyboardProfile* profile = SelectedProfile();
    if (!profile || !m_device)
        return;
    // Only a profile the keyboard holds can be written to a file by it.
    if (IsNullGuid(ProfileGuid(profile)) || !m_device->IsProfileOnDevice(profile)) {
        Warn(kExportProfilePopup, L": " + profile->GetName());
        return;
    }
    std::wstring path;
    if (ChooseExchangeFile(true, L"Profile", kProfileFileExtension, ProfileFolderPath(), profile->GetName(), path) &&
        CanEditStore())
        m_device->ExportProfileFile(path.c_str(), profile);
}

void COssleAppDlg::ImportProfile()
{
    if (!m_device)
        return;
    if (m_config->GetProfileCount() >= kMaxProfiles) {
        Warn(kProfileLimitPopup, std::wstring(), L"$Import");
        return;
    }
    // The import adds the profile on the keyboard at once: profiles created or deleted here and not
    // yet applied would no longer match the keyboard's.
    if (m_config->GetProfileCount() != m_device->GetDeviceProfileCount()) {
        Warn(kImportProfilePopup);
        return;
    }
    std::wstring path;
    if (!ChooseExchangeFile(false, L"Profile", kProfileFileExtension, ProfileFolderPath(), L"", path) ||
        !CanEditStore())
        return;
    if (path.size() > kMaxImportPathChars) {
        Warn(kPathLimitPopup, std::wstring(), L"$Import");
        return;
    }
    if (!IsExistingFile(path))
        return;
    if (m_device->ImportProfileFile(path.c_str(), m_config)) {
        RefreshProfileViews();
        SetDirty(true);
    }
}
