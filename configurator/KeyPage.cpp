// COssleAppDlg, the key-assignment page: the keyboard picture's keys, the hint that tells what a key
// does, the five buttons that give the picked key a new function, and resetting keys whose macro or
// profile goes away.
#include "configurator/MainDialog.h"

#include <commdlg.h>
#include <shlwapi.h>

#include "configurator/ConfigPlatform.h"
#include "configurator/Popups.h"
#include "model/GuidWords.h"
#include "skin/BitmapBtn.h"
#include "skin/BitmapWnd.h"
#include "skin/KeyboardDef.h"
#include "skin/TextItem.h"
#include "model/TextCompare.h"

using namespace config;

namespace {

GUID GuidOf(const IKeyboardProfile* profile)
{
    GUID guid{};
    if (profile)
        profile->GetGuid(guid);
    return guid;
}

DWORD Word(const GUID& guid, int index)
{
    DWORD words[4];
    GuidToWords(guid, words);
    return words[index];
}

// The file name and extension of a path.
std::wstring FileNameOf(const std::wstring& path)
{
    return ::PathFindFileNameW(path.c_str());
}

} // namespace

// The page's commands. The keys of the picture report by their own messages (OnKeyItemHover,
// OnKeyItemClick); the profile selector is the frame's.
const COssleAppDlg::Command COssleAppDlg::kKeyPageCommands[] = {
    {kIdAssignDefault, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.AssignDefaultKey(); }},
    {kIdAssignSingleKey, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.AssignSingleKey(); }},
    {kIdAssignMacro, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.AssignMacro(); }},
    {kIdAssignProfile, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.AssignProfileSwitch(); }},
    {kIdAssignLaunch, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.AssignLaunchProgram(); }},
    {}};

void COssleAppDlg::BindKeyPageItems()
{
    for (int i = 0; i < 5; ++i) {
        CGUIItem* button = FindItemById(m_keyPage, kIdAssignDefault + i);
        m_assignButtons[i] = button && button->m_type == SkinItemType::BitmapButton
                                 ? dynamic_cast<CBitmapBtn*>(button) : nullptr;
        CGUIItem* label = FindItemById(m_keyPage, kIdAssignLabelFirst + i);
        m_assignLabels[i] = label && label->m_type == SkinItemType::TextItem ? dynamic_cast<CTextItem*>(label) : nullptr;
    }
    CGUIItem* hint = FindItemById(m_keyPage, kIdKeyHint);
    m_keyHint = hint && hint->m_type == SkinItemType::BitmapWindow ? dynamic_cast<CBitmapWindow*>(hint) : nullptr;
}

CKeyboardKeyItem* COssleAppDlg::FindKeyItem(int id) const
{
    if (id < kIdFirstKey || id > kIdLastKey)
        return nullptr;
    CGUIItem* item = FindItemById(m_layoutPage, id);
    if (!item || item->m_type != SkinItemType::KeyboardKey)
        return nullptr;
    auto* key = dynamic_cast<CKeyboardKeyItem*>(item);
    return key && key->m_keyRecord ? key : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Hint and marks

LRESULT COssleAppDlg::OnKeyItemHover(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // Reading a key the profile never held adds it to the profile: not while a write runs.
    if (!CanEditStore())
        return 0;
    CKeyboardKeyItem* old = m_hoveredKey;
    // Every move over a key reports: the key reported last is taken without a search of the page.
    const int id = static_cast<int>(lParam);
    m_hoveredKey = old && old->m_id == id ? old : FindKeyItem(id);
    POINT point = {};
    if (m_hoveredKey && !(PointerOverDialog(point) && KeyHoldsPoint(*m_hoveredKey, point))) {
        // A key holds the mouse while the pointer is on it, so it reports the move that takes the
        // pointer off it too: the pointer is over the picture between the keys, or another widget. The
        // keys of a page never overlap, so its own rectangle tells.
        m_hoveredKey = nullptr;
        ClearKeyHint();
        return 0;
    }
    const bool pinned = m_keyHint && m_keyHint->m_selected == 1;
    // The same key again shows again when the hint was cleared in between (the pointer left it).
    const bool shown = m_keyHint && m_hoveredKey && m_keyHint->m_keyPicture == &m_hoveredKey->m_bmpInfo;
    if (m_hoveredKey && !pinned && (m_hoveredKey != old || !shown))
        ShowKeyHint(m_hoveredKey);
    return 0;
}

LRESULT COssleAppDlg::OnKeyItemClick(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (!CanEditStore())
        return 0;
    CKeyboardKeyItem* clicked = FindKeyItem(static_cast<int>(lParam));
    const bool pinned = m_keyHint && m_keyHint->m_selected == 1;
    if (pinned) {
        if (!clicked)
            return 0;
        if (clicked == m_selectedKey) {
            m_keyHint->m_selected = 0;
            m_selectedKey->ClearHover();
            m_selectedKey = nullptr;
        } else {
            if (m_selectedKey)
                m_selectedKey->ClearHover();
            m_selectedKey = clicked;
            clicked->m_highlighted = 1;
            m_keyHint->m_selected = 0;
            ShowKeyHint(clicked);
            m_keyHint->m_selected = 1;
        }
    } else {
        if (m_selectedKey)
            m_selectedKey->ClearHover();
        m_selectedKey = clicked;
        if (clicked) {
            ShowKeyHint(clicked);
            if (m_keyHint)
                m_keyHint->m_selected = 1;
            clicked->m_highlighted = 1;
        }
    }
    RefreshKeyLabels();
    RefreshInputState();
    Invalidate(FALSE);
    return 0;
}

bool COssleAppDlg::PointerOverDialog(POINT& point) const
{
    if (!::GetCursorPos(&point))
        return false;
    // Not through a popup or another program's window in front of the dialog.
    const HWND window = ::WindowFromPoint(point);
    return window && ::GetAncestor(window, GA_ROOT) == m_hWnd;
}

bool COssleAppDlg::KeyHoldsPoint(CKeyboardKeyItem& key, POINT point)
{
    RECT rc = {};
    return key.IsWindowVisible() && key.GetWindowRect(&rc) && ::PtInRect(&rc, point);
}

CKeyboardKeyItem* COssleAppDlg::KeyUnderPointer() const
{
    POINT point = {};
    if (!PointerOverDialog(point))
        return nullptr;
    for (int id = kIdFirstKey; id <= kIdLastKey; ++id) {
        CKeyboardKeyItem* key = FindKeyItem(id);
        if (key && KeyHoldsPoint(*key, point))
            return key;
    }
    return nullptr;
}

void COssleAppDlg::RefreshKeyHint()
{
    if (!m_keyHint || !CanEditStore())
        return;
    if (m_keyHint->m_selected == 1) {
        ShowKeyHint(m_selectedKey);
        return;
    }
    m_hoveredKey = KeyUnderPointer();
    if (m_hoveredKey)
        ShowKeyHint(m_hoveredKey);
    else
        ClearKeyHint();
}

void COssleAppDlg::ClearKeyHint()
{
    if (!m_keyHint || m_keyHint->m_selected == 1)
        return;
    m_keyHint->SetCaption(L"");
    m_keyHint->m_keyPicture = nullptr;
    m_keyHint->m_assignmentKind = 0;
    m_keyHint->Invalidate(FALSE);
}

KeyAssignment COssleAppDlg::CurrentAssignment(CKeyboardKeyItem* key)
{
    KeyAssignment record;
    if (key && key->m_keyRecord && m_config && m_config->GetActiveProfile())
        m_config->GetKeyAssignment(record, key->m_keyRecord->id, nullptr);
    return record;
}

void COssleAppDlg::ShowKeyHint(CKeyboardKeyItem* key)
{
    if (!key || !m_keyHint || !m_config || !m_config->GetActiveProfile())
        return;
    const KeyAssignment record = CurrentAssignment(key);
    const int kind = record.kind == kKindNone ? kKindDefaultKey : record.kind;
    std::wstring text;
    switch (kind) {
    case kKindSingleKey:
        if (record.data.key.scanCode != 0) {
            std::wstring name;
            FormatKeyName(record.data.key.virtualKey, name, record.data.key.scanCode, record.data.key.extended);
            text = L" " + name;
        }
        break;
    case kKindMacro: {
        const GUID& guid = record.data.guid;
        if (CMacro* macro = m_config->FindMacroByGuid(Word(guid, 0), Word(guid, 1), Word(guid, 2), Word(guid, 3)))
            text = std::wstring(L" ") + macro->GetName();
        break;
    }
    case kKindProfile: {
        const GUID& guid = record.data.guid;
        if (IKeyboardProfile* profile =
                m_config->FindProfileByGuid(Word(guid, 0), Word(guid, 1), Word(guid, 2), Word(guid, 3)))
            text = L" " + profile->GetName();
        break;
    }
    case kKindLaunchProgram: {
        const GUID& guid = record.data.guid;
        if (AppEntry* app = m_config->FindAppByGuid(Word(guid, 0), Word(guid, 1), Word(guid, 2), Word(guid, 3)))
            text = L" " + FileNameOf(app->name);
        break;
    }
    case kKindMacroText:
    case kKindProfileText:
        text = std::wstring(L" ") + record.data.text;
        break;
    case kKindLaunchProgramText:
        text = L" " + FileNameOf(record.data.text);
        break;
    default:
        // Keys whose legends are part of the keyboard picture carry no caption: their name says the same.
        text = key->m_caption.empty() ? key->m_keyName : key->m_caption;
        break;
    }
    m_keyHint->m_keyPicture = &key->m_bmpInfo;
    m_keyHint->m_assignmentKind = kind;
    m_keyHint->m_showAssignment = 1;
    m_keyHint->SetCaption(text);
    m_keyHint->Invalidate(FALSE);
}

void COssleAppDlg::RefreshKeyLabels()
{
    if (!m_config || !m_config->GetActiveProfile() || !CanEditStore())
        return;
    for (int id = kIdFirstKey; id <= kIdLastKey; ++id) {
        CKeyboardKeyItem* key = FindKeyItem(id);
        if (!key)
            continue;
        if (key == m_selectedKey) {
            if (!key->m_highlighted) {
                key->m_highlighted = 1;
                key->Invalidate(FALSE);
            }
            continue;
        }
        const KeyAssignment record = CurrentAssignment(key);
        key->SetSelected(record.kind != kKindNone && record.kind != kKindDefaultKey ? 1 : 0);
    }
    // The functions may have changed under the hint too.
    RefreshKeyHint();
}

void COssleAppDlg::RefreshKeyMarks()
{
    RefreshKeyLabels();
    RefreshInputState();
    Invalidate(FALSE);
}

// RefreshInputState's hand for the five buttons: those of a macro and of a profile switch need one to
// choose, and each label shows its button's state.
void COssleAppDlg::EnableAssignButtons(bool enable)
{
    const bool macros = m_config && m_config->GetMacroCount() >= 1;
    const bool profiles = m_config && m_config->GetProfileCount() >= 2;
    const bool states[5] = {enable, enable, enable && macros, enable && profiles, enable};
    for (int i = 0; i < 5; ++i) {
        EnableItem(m_assignButtons[i], states[i]);
        if (CTextItem* label = m_assignLabels[i]) {
            const BYTE disabled = states[i] ? 0 : 1;
            if (label->m_disabled != disabled) {
                label->m_disabled = disabled;
                label->RedrawParentArea();
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// The five assignments

KeyAssignment COssleAppDlg::DefaultAssignment(CKeyboardKeyItem* key) const
{
    KeyAssignment record;
    const KeyScanCode code = KeyboardDef().GetDefaultScanCode(key->m_keyRecord->id);
    MakeDefaultAssignment(record, code.code, code.extended == 1);
    return record;
}

bool COssleAppDlg::StoreAssignment(CKeyboardKeyItem* key, const KeyAssignment& record)
{
    // The key must still be the picked one: a popup may have run in between.
    if (!key || key != m_selectedKey || !key->m_keyRecord || !CanEditStore())
        return false;
    return m_config->SetKeyAssignment(key->m_keyRecord->id, record, nullptr);
}

void COssleAppDlg::FinishAssignment(CKeyboardKeyItem* key, bool checked)
{
    key->SetSelected(checked ? 1 : 0);
    if (m_keyHint)
        m_keyHint->m_selected = 0;
    key->ClearHover();
    m_selectedKey = nullptr;
    RefreshKeyMarks();
    SetDirty(true);
}

void COssleAppDlg::AssignDefaultKey()
{
    CKeyboardKeyItem* key = m_selectedKey;
    if (!key || !key->m_keyRecord)
        return;
    if (!StoreAssignment(key, DefaultAssignment(key)))
        return;
    ::ReleaseCapture();
    FinishAssignment(key, false);
}

void COssleAppDlg::AssignSingleKey()
{
    CKeyboardKeyItem* key = m_selectedKey;
    if (!key || !key->m_keyRecord)
        return;
    if (m_device)
        m_device->StartMacroRecording();
    SingleKeyValue value;
    CConfigSingleKeyPopup popup(this, &value);
    const INT_PTR result = RunPopup(popup);
    if (m_device)
        m_device->StopMacroRecording();
    if (result != IDOK || value.text.empty() || value.scanCode == 0)
        return;
    KeyAssignment record;
    MakeSingleKeyAssignment(record, value.scanCode, value.virtualKey, value.extended != 0);
    if (StoreAssignment(key, record))
        FinishAssignment(key, true);
}

void COssleAppDlg::AssignMacro()
{
    CKeyboardKeyItem* key = m_selectedKey;
    if (!key || !key->m_keyRecord || m_config->GetMacroCount() < 1)
        return;
    std::vector<std::wstring> names;
    for (unsigned i = 0; i < m_config->GetMacroCount(); ++i) {
        CMacro* macro = m_config->GetMacroAt(i);
        names.push_back(macro ? macro->GetName() : L"");
    }
    int mode = kPlayOnce;
    std::wstring name;
    const KeyAssignment current = CurrentAssignment(key);
    if (current.kind == kKindMacro) {
        mode = static_cast<int>(current.param);
        const GUID& guid = current.data.guid;
        if (CMacro* macro = m_config->FindMacroByGuid(Word(guid, 0), Word(guid, 1), Word(guid, 2), Word(guid, 3)))
            name = macro->GetName();
    }
    COssleMacroAssignmentPopup popup(this, mode, names, name);
    if (RunPopup(popup) != IDOK || name.empty())
        return;
    const int chosen = popup.ChosenIndex();
    CMacro* macro = chosen >= 0 ? m_config->GetMacroAt(static_cast<unsigned>(chosen)) : nullptr;
    if (!macro)
        macro = m_config->FindMacroByName(name.c_str());
    if (!macro)
        return;
    GUID guid{};
    macro->GetGuid(guid);
    KeyAssignment record;
    if (IsNullGuid(guid))
        MakeMacroTextAssignment(record, macro->GetName(), static_cast<uint32_t>(mode));
    else
        MakeMacroAssignment(record, guid, static_cast<uint32_t>(mode));
    if (mode == kPlayMultiple) {
        int count = 0;
        COssleNumEntryPopup repeat(this, kRepeatCountPopup, count, kMinRepeatCount, kMaxRepeatCount);
        if (RunPopup(repeat) == IDOK && count >= kMinRepeatCount && count <= kMaxRepeatCount) {
            record.count = static_cast<uint8_t>(count);
        } else {
            // No count given: the macro plays once.
            record.count = 0;
            record.param = kPlayOnce;
        }
    }
    if (StoreAssignment(key, record))
        FinishAssignment(key, true);
}

void COssleAppDlg::AssignProfileSwitch()
{
    CKeyboardKeyItem* key = m_selectedKey;
    if (!key || !key->m_keyRecord || m_config->GetProfileCount() < 2)
        return;
    IKeyboardProfile* active = m_config->GetActiveProfile();
    // The popup's entries and the store positions behind them: names may repeat, positions do not.
    std::vector<std::wstring> names;
    std::vector<unsigned> positions;
    for (unsigned i = 0; i < m_config->GetProfileCount(); ++i) {
        IKeyboardProfile* profile = m_config->GetProfileAt(i);
        if (!profile || profile == active)
            continue;
        names.push_back(profile->GetName());
        positions.push_back(i);
    }
    int preselect = -1;
    std::wstring name;
    const KeyAssignment current = CurrentAssignment(key);
    if (current.kind == kKindProfile) {
        const GUID& guid = current.data.guid;
        IKeyboardProfile* target = m_config->FindProfileByGuid(Word(guid, 0), Word(guid, 1), Word(guid, 2), Word(guid, 3));
        for (size_t i = 0; target && i < positions.size(); ++i) {
            if (m_config->GetProfileAt(positions[i]) == target) {
                preselect = static_cast<int>(i);
                name = target->GetName();
            }
        }
    }
    COssleDropdownSelectPopup popup(this, kSelectProfilePopup, name, names, preselect);
    if (RunPopup(popup) != IDOK)
        return;
    const int chosen = popup.ChosenIndex();
    if (chosen < 0 || static_cast<size_t>(chosen) >= positions.size())
        return;
    IKeyboardProfile* target = m_config->GetProfileAt(positions[static_cast<size_t>(chosen)]);
    if (!target)
        return;
    const GUID guid = GuidOf(target);
    KeyAssignment record;
    if (IsNullGuid(guid))
        MakeTextAssignment(record, kKindProfileText, target->GetName().c_str());
    else
        MakeGuidAssignment(record, kKindProfile, guid);
    if (StoreAssignment(key, record))
        FinishAssignment(key, true);
}

void COssleAppDlg::AssignLaunchProgram()
{
    CKeyboardKeyItem* key = m_selectedKey;
    if (!key || !key->m_keyRecord)
        return;
    std::wstring path;
    static const wchar_t kFilter[] = L"*.exe\0*.exe\0\0";
    if (!ConfigPlatform().ChooseFile(m_hWnd, kFilter, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, path) || path.empty())
        return;
    if (path.size() > kMaxLaunchPathChars) {
        Warn(kPathLimitPopup, std::wstring(), L"$LaunchProgram");
        return;
    }
    AppEntry* entry = m_config->FindAppByName(path.c_str());
    if (!entry)
        entry = m_config->AddApp(path.c_str());
    if (!entry)
        return;
    KeyAssignment record;
    if (IsNullGuid(entry->guid))
        MakeTextAssignment(record, kKindLaunchProgramText, path.c_str());
    else
        MakeGuidAssignment(record, kKindLaunchProgram, entry->guid);
    if (StoreAssignment(key, record))
        FinishAssignment(key, true);
}

// ---------------------------------------------------------------------------------------------------
// Keys whose target goes away

namespace {

template <class Matches>
void ResetMatchingKeys(IKeyboardConfig* config, const COssleAppDlg& dialog, const Matches& matches)
{
    if (!config)
        return;
    for (unsigned index = 0; index < config->GetProfileCount(); ++index) {
        IKeyboardProfile* profile = config->GetProfileAt(index);
        if (!profile)
            continue;
        for (int id = kIdFirstKey; id <= kIdLastKey; ++id) {
            CKeyboardKeyItem* key = dialog.FindKeyItem(id);
            if (!key)
                continue;
            KeyAssignment record;
            profile->GetKeyAssignment(record, key->m_keyRecord->id);
            if (!matches(record))
                continue;
            KeyAssignment fallback;
            const KeyScanCode code = KeyboardDef().GetDefaultScanCode(key->m_keyRecord->id);
            MakeDefaultAssignment(fallback, code.code, code.extended == 1);
            profile->SetKeyAssignment(key->m_keyRecord->id, fallback);
        }
    }
}

} // namespace

void COssleAppDlg::ResetKeysUsingMacro(CMacro* macro)
{
    if (!macro || !CanEditStore())
        return;
    GUID guid{};
    macro->GetGuid(guid);
    const std::wstring name = macro->GetName();
    ResetMatchingKeys(m_config, *this, [&](const KeyAssignment& record) {
        return (record.kind == kKindMacro && record.data.guid == guid) ||
               (record.kind == kKindMacroText && EqualsNoCaseAZ(record.data.text, name.c_str()));
    });
    // The keys reset may belong to any profile: the marks are read again from the shown one.
    RefreshKeyLabels();
}

void COssleAppDlg::ResetKeysUsingProfile(IKeyboardProfile* profile)
{
    if (!profile || !CanEditStore())
        return;
    const GUID guid = GuidOf(profile);
    const std::wstring name = profile->GetName();
    ResetMatchingKeys(m_config, *this, [&](const KeyAssignment& record) {
        return (record.kind == kKindProfile && record.data.guid == guid) ||
               (record.kind == kKindProfileText && EqualsNoCaseAZ(record.data.text, name.c_str()));
    });
    RefreshKeyLabels();
}
