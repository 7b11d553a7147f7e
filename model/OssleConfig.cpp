// The configuration store of this keyboard.
#include "model/OssleConfig.h"

#include "model/GuidWords.h"

void COssleConfig::ResetProfile(IKeyboardProfile* profile, IKeyboardConfig* store)
{
    if (profile != nullptr) {
        profile->ResetAssignments();
        profile->SetApp(L"");
        profile->SetAutoSwitch(0);
    }
    if (store == nullptr)
        return;
    store->SetLightingOn(1, profile);
    IKeyboardProfile* active = store->GetActiveProfile();
    store->SetShowProfileOsdAll(active != nullptr ? active->GetShowProfileOsd() : 0);
}

COssleProfile* COssleConfig::Held(IKeyboardProfile* profile) const
{
    const std::size_t index = Profiles().IndexOf(profile);
    return index == ProfileList::npos ? nullptr : Base::GetProfileAt(index);
}

bool COssleConfig::Resolve(IKeyboardProfile* profile, COssleProfile*& target) const
{
    target = Held(profile);
    return profile == nullptr || target != nullptr;
}

void COssleConfig::ClearProfiles() { Base::ClearProfiles(); }
IKeyboardDevice* COssleConfig::SetDevice(IKeyboardDevice* device) { return Base::SetDevice(device); }
int COssleConfig::GetReservedValue() const { return Base::GetReservedValue(); }
unsigned COssleConfig::GetProfileCount() const { return static_cast<unsigned>(Base::GetProfileCount()); }
unsigned COssleConfig::GetMacroCount() const { return static_cast<unsigned>(Macros().GetCount()); }

IKeyboardProfile* COssleConfig::AddProfile(const wchar_t* name)
{
    COssleProfile* profile = Base::AddProfile(name);
    ResetProfile(profile, this);
    return profile;
}

IKeyboardProfile* COssleConfig::DuplicateProfile(IKeyboardProfile* profile)
{
    return Base::DuplicateProfile(Held(profile));
}

IKeyboardProfile* COssleConfig::FindProfileByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const
{
    return Base::FindProfileByGuid(GuidFromWords(w0, w1, w2, w3));
}

IKeyboardProfile* COssleConfig::FindProfileByName(const wchar_t* name) const { return Base::FindProfileByName(name); }
IKeyboardProfile* COssleConfig::GetProfileAt(unsigned index) const { return Base::GetProfileAt(index); }
IKeyboardProfile* COssleConfig::GetActiveProfile() const { return Base::GetActiveProfile(); }

void COssleConfig::SetActiveProfile(IKeyboardProfile* profile)
{
    COssleProfile* target = nullptr;
    if (Resolve(profile, target))
        Base::SetActiveProfile(target);
}

IKeyboardProfile* COssleConfig::ReplaceProfileName(IKeyboardProfile* profile, const wchar_t* newName)
{
    return Base::ReplaceProfileName(Held(profile), newName);
}

IKeyboardProfile* COssleConfig::CopyProfileAs(IKeyboardProfile* profile, const wchar_t* newName)
{
    return Base::CopyProfileAs(Held(profile), newName);
}

void COssleConfig::RemoveProfile(IKeyboardProfile* profile) { Base::RemoveProfile(Held(profile)); }

bool HasProfileNamed(const IKeyboardConfig& store, const std::wstring& name)
{
    for (unsigned i = 0; i < store.GetProfileCount(); ++i) {
        IKeyboardProfile* profile = store.GetProfileAt(i);
        if (profile != nullptr && profile->GetName() == name)
            return true;
    }
    return false;
}

std::wstring ProfileCopyName(const IKeyboardConfig& store, const std::wstring& name)
{
    constexpr std::size_t kLongName = 20;
    constexpr std::size_t kCutName = 18;
    constexpr int kLastNumber = 99;
    const std::wstring base = name.size() >= kLongName ? name.substr(0, kCutName) : name;
    for (int number = 2; number <= kLastNumber; ++number) {
        std::wstring candidate = base + L"(" + std::to_wstring(number) + L")";
        if (!HasProfileNamed(store, candidate))
            return candidate;
    }
    return std::wstring();
}

CMacro* COssleConfig::AddMacro(const wchar_t* name) { return Macros().AddMacro(name, MacroEventList()); }
void COssleConfig::RemoveMacro(CMacro* macro) { Macros().RemoveMacro(macro); }

CMacro* COssleConfig::FindMacroByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const
{
    return Macros().FindMacroByGuid(GuidFromWords(w0, w1, w2, w3));
}

CMacro* COssleConfig::FindMacroByName(const wchar_t* name) const { return Macros().FindMacroByName(name); }
CMacro* COssleConfig::GetMacroAt(unsigned index) const { return Macros().GetAt(index); }

unsigned COssleConfig::GetAppCount() const { return static_cast<unsigned>(Apps().GetCount()); }
AppEntry* COssleConfig::AddApp(const wchar_t* name) { return Apps().AddApp(name); }
void COssleConfig::RemoveApp(AppEntry* entry) { Apps().RemoveApp(entry); }

AppEntry* COssleConfig::FindAppByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const
{
    return Apps().FindAppByGuid(GuidFromWords(w0, w1, w2, w3));
}

AppEntry* COssleConfig::FindAppByName(const wchar_t* name) const { return Apps().FindAppByName(name); }
AppEntry* COssleConfig::GetAppAt(unsigned index) const { return Apps().GetAt(index); }

bool COssleConfig::LoadSettings() { return Base::LoadSettings(); }
bool COssleConfig::SaveSettings() { return Base::SaveSettings(); }
unsigned COssleConfig::ScanProfileFolder() { return Base::ScanProfileFolder(); }

bool COssleConfig::SaveProfiles(IKeyboardProfile* profile)
{
    COssleProfile* target = nullptr;
    return Resolve(profile, target) && Base::SaveProfiles(target);
}

bool COssleConfig::SetKeyAssignment(int keyId, const KeyAssignment& record, IKeyboardProfile* profile)
{
    COssleProfile* target = nullptr;
    return Resolve(profile, target) && Base::SetKeyAssignment(keyId, record, target);
}

KeyAssignment& COssleConfig::GetKeyAssignment(KeyAssignment& out, int keyId, IKeyboardProfile* profile)
{
    COssleProfile* target = nullptr;
    if (!Resolve(profile, target)) {
        out = KeyAssignment{};
        return out;
    }
    return Base::GetKeyAssignment(out, keyId, target);
}

void COssleConfig::SetLightingOn(BYTE on, IKeyboardProfile* profile)
{
    COssleProfile* target = nullptr;
    if (Resolve(profile, target))
        Base::SetLightingOn(on, target);
}

bool COssleConfig::GetLightingOn(IKeyboardProfile* profile) const
{
    COssleProfile* target = nullptr;
    return Resolve(profile, target) && Base::GetLightingOn(target);
}

void COssleConfig::SetShowProfileOsdAll(BYTE on) { Base::SetShowProfileOsdAll(on); }
