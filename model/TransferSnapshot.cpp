// Taking the write's copy of the store and putting its outcome back.
#include "model/TransferSnapshot.h"

#include "model/AssignmentRecords.h"
#include "model/GuidWords.h"
#include "model/TextCompare.h"

#include <algorithm>
#include <cstring>

namespace {

bool HoldsProfile(IKeyboardConfig& store, const IKeyboardProfile* profile)
{
    for (unsigned i = 0, n = store.GetProfileCount(); i < n; ++i) {
        if (store.GetProfileAt(i) == profile)
            return true;
    }
    return false;
}

bool HoldsMacro(IKeyboardConfig& store, const CMacro* macro)
{
    for (unsigned i = 0, n = store.GetMacroCount(); i < n; ++i) {
        if (store.GetMacroAt(i) == macro)
            return true;
    }
    return false;
}

bool HoldsApp(IKeyboardConfig& store, const AppEntry* entry)
{
    for (unsigned i = 0, n = store.GetAppCount(); i < n; ++i) {
        if (store.GetAppAt(i) == entry)
            return true;
    }
    return false;
}

void SetProfileGuid(IKeyboardProfile& profile, const GUID& guid)
{
    DWORD words[4];
    GuidToWords(guid, words);
    profile.SetGuid(words[0], words[1], words[2], words[3]);
}

}  // namespace

bool SeenOnDevice::HasProfile(const GUID& guid) const { return ContainsGuid(profiles, guid); }

bool SeenOnDevice::HasMacro(const GUID& guid) const { return ContainsGuid(macros, guid); }

void SeenOnDevice::Add(std::vector<GUID>& list, const GUID& guid)
{
    if (!IsNullGuid(guid) && !ContainsGuid(list, guid))
        list.push_back(guid);
}

SeenOnDevice::ProfileKeys* SeenOnDevice::FindKeys(const GUID& profile)
{
    for (ProfileKeys& entry : keys) {
        if (entry.profile == profile)
            return &entry;
    }
    return nullptr;
}

void SeenOnDevice::SetKeys(const GUID& profile, KeyMap read)
{
    if (IsNullGuid(profile))
        return;
    if (ProfileKeys* entry = FindKeys(profile))
        entry->keys = std::move(read);
    else
        keys.push_back(ProfileKeys{profile, std::move(read)});
}

void SeenOnDevice::ForgetKeys(const GUID& profile)
{
    keys.erase(std::remove_if(keys.begin(), keys.end(), [&](const ProfileKeys& entry) { return entry.profile == profile; }),
               keys.end());
}

void SeenOnDevice::NoteKey(const GUID& profile, int32_t keyId, const KeyAssignment& assignment)
{
    if (IsNullGuid(profile))
        return;
    ProfileKeys* entry = FindKeys(profile);
    if (entry == nullptr) {
        keys.push_back(ProfileKeys{profile, {}});
        entry = &keys.back();
    }
    entry->keys[keyId] = assignment;
}

bool SeenOnDevice::KeyUnchanged(const GUID& profile, int32_t keyId, const KeyAssignment& assignment) const
{
    for (const ProfileKeys& entry : keys) {
        if (entry.profile != profile)
            continue;
        const auto key = entry.keys.find(keyId);
        if (key == entry.keys.end())
            return false;
        // Byte for byte: two records that differ only where their kind reads nothing are sent again,
        // which costs a call and loses nothing.
        const KeyAssignment& known = key->second;
        return known.kind == assignment.kind && known.param == assignment.param && known.count == assignment.count &&
               std::memcmp(&known.data, &assignment.data, sizeof(known.data)) == 0;
    }
    return false;
}

KeyAssignment StoredKeyAssignment(IKeyboardConfig& store, int32_t keyId, IKeyboardProfile* profile)
{
    KeyAssignment assignment;
    if (!store.SupportsKeyAssignments(profile))
        assignment.kind = kKindButtonOff;
    else if (keyId != 0)
        store.GetKeyAssignment(assignment, keyId, profile);
    return assignment;
}

std::vector<ButtonSlot> MakeButtonSlots(const std::vector<DWORD>& buttonIds, CKeyboardDef& keyboard)
{
    std::vector<ButtonSlot> slots;
    slots.reserve(buttonIds.size());
    for (DWORD id : buttonIds) {
        ButtonSlot slot;
        slot.buttonId = id;
        slot.keyId = KeyIdOfButton(id, keyboard);
        if (slot.keyId != 0)
            slot.keyDefault = keyboard.GetDefaultScanCode(slot.keyId);
        slots.push_back(slot);
    }
    return slots;
}

CTransferSnapshot CTransferSnapshot::Take(IKeyboardConfig& store, const std::vector<ButtonSlot>& buttons,
                                         const SeenOnDevice& seen)
{
    CTransferSnapshot copy;
    copy.buttons = buttons;
    copy.seen = seen;

    IKeyboardProfile* active = store.GetActiveProfile();
    for (unsigned i = 0, n = store.GetProfileCount(); i < n; ++i) {
        IKeyboardProfile* profile = store.GetProfileAt(i);
        if (profile == nullptr)
            continue;
        ProfileCopy entry;
        entry.origin = profile;
        entry.name = profile->GetName();
        profile->GetGuid(entry.guid);
        entry.originalGuid = entry.guid;
        entry.appFileName = profile->GetAppFileName();
        entry.autoSwitch = profile->GetAutoSwitch() != 0;
        entry.showDpiOsd = profile->GetShowDpiOsd();
        entry.showProfileOsd = profile->GetShowProfileOsd() != 0;
        entry.led1On = store.GetLed1On(profile);
        entry.lightingOn = store.GetLightingOn(profile);
        entry.keys.reserve(buttons.size());
        for (const ButtonSlot& slot : buttons)
            entry.keys.push_back(StoredKeyAssignment(store, slot.keyId, profile));
        entry.resolved.assign(buttons.size(), false);
        if (profile == active)
            copy.activeProfile = int(copy.profiles.size());
        copy.profiles.push_back(std::move(entry));
    }

    for (unsigned i = 0, n = store.GetMacroCount(); i < n; ++i) {
        CMacro* macro = store.GetMacroAt(i);
        if (macro == nullptr)
            continue;
        MacroCopy entry;
        entry.origin = macro;
        entry.name = macro->GetName();
        entry.guid = macro->Guid();
        entry.originalGuid = entry.guid;
        // Converted here: the conversion reads process-wide tables that belong to this thread's side.
        entry.events = ToDeviceMacroEvents(macro->Events());
        copy.macros.push_back(std::move(entry));
    }

    for (unsigned i = 0, n = store.GetAppCount(); i < n; ++i) {
        AppEntry* app = store.GetAppAt(i);
        if (app == nullptr)
            continue;
        copy.apps.push_back(AppCopy{app, app->name, app->guid, app->guid});
    }
    return copy;
}

void CTransferSnapshot::MergeInto(IKeyboardConfig& store) const
{
    for (const ProfileCopy& entry : profiles) {
        if (!HoldsProfile(store, entry.origin))
            continue;
        GUID current{};
        entry.origin->GetGuid(current);
        if (entry.guid != entry.originalGuid && current == entry.originalGuid)
            SetProfileGuid(*entry.origin, entry.guid);
        for (size_t i = 0; i < buttons.size() && i < entry.keys.size(); ++i) {
            if (entry.resolved[i] && buttons[i].keyId != 0)
                store.SetKeyAssignment(buttons[i].keyId, entry.keys[i], entry.origin);
        }
    }
    for (const MacroCopy& entry : macros) {
        if (entry.guid != entry.originalGuid && HoldsMacro(store, entry.origin) &&
            entry.origin->Guid() == entry.originalGuid)
            entry.origin->SetGuid(entry.guid);
    }
    for (const AppCopy& entry : apps) {
        if (entry.guid != entry.originalGuid && HoldsApp(store, entry.origin) && entry.origin->guid == entry.originalGuid)
            entry.origin->guid = entry.guid;
    }
}

ProfileCopy* CTransferSnapshot::FindProfileByGuid(const GUID& guid)
{
    for (ProfileCopy& entry : profiles) {
        if (entry.guid == guid)
            return &entry;
    }
    return nullptr;
}

ProfileCopy* CTransferSnapshot::FindProfileByName(const std::wstring& name)
{
    for (ProfileCopy& entry : profiles) {
        if (EqualsNoCaseAZ(entry.name, name))
            return &entry;
    }
    return nullptr;
}

MacroCopy* CTransferSnapshot::FindMacroByGuid(const GUID& guid)
{
    for (MacroCopy& entry : macros) {
        if (entry.guid == guid)
            return &entry;
    }
    return nullptr;
}

MacroCopy* CTransferSnapshot::FindMacroByName(const std::wstring& name)
{
    for (MacroCopy& entry : macros) {
        if (EqualsNoCaseAZ(entry.name, name))
            return &entry;
    }
    return nullptr;
}

AppCopy* CTransferSnapshot::FindAppByName(const std::wstring& name)
{
    for (AppCopy& entry : apps) {
        if (EqualsNoCaseAZ(entry.name, name))
            return &entry;
    }
    return nullptr;
}
