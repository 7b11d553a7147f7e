// The device service calls of the tray program.
#include "tray/DeviceManager.h"

#include "service/DeviceRecords.h"
#include "service/client/ServiceClient.h"
#include "tray/TrayIds.h"
#include "tray/TrayPlatform.h"
#include "tray/TrayTexts.h"

#include <algorithm>
#include <climits>
#include <cwchar>

namespace tray {
namespace {

// Names the device keeps are shorter; anything beyond this is not a name.
constexpr size_t kMaxNameChars = 259;

} // namespace

bool ReadProfileName(IDeviceProfile* profile, std::wstring& name)
{
    return profile && ReadServiceName(profile, kMaxNameChars, name, MissingName::kUnread);
}

bool ReadMacroName(IDeviceMacro* macro, std::wstring& name)
{
    return macro && ReadServiceName(macro, kMaxNameChars, name, MissingName::kUnread);
}

int MacroNameNumber(const std::wstring& name)
{
    const std::wstring prefix = kNewMacroPrefix;
    size_t pos = 0;
    while (pos < name.size() && prefix.find(name[pos]) != std::wstring::npos)
        ++pos;
    // A name can hold any number of digits; the count stops below INT_MAX so that the next name's
    // number is still an int.
    long long number = 0;
    for (; pos < name.size() && name[pos] >= L'0' && name[pos] <= L'9'; ++pos) {
        number = number * 10 + (name[pos] - L'0');
        if (number >= INT_MAX - 1)
            return INT_MAX - 1;
    }
    return static_cast<int>(number);
}

CDeviceManager::CDeviceManager()
{
    if (FAILED(TrayPlatform().CreateDeviceService(m_root.Put())) || !m_root) {
        m_root.Reset();
        return;
    }
    m_productId = kKeyboardProductId;
    if (FindServiceDevice(m_root.Get(), m_productId, ProductIdSource::kIdentity, m_device))
        GetSubObject(m_device.Get(), IID_IProfileManager, m_profiles);
}

CDeviceManager::~CDeviceManager()
{
    m_profiles.Reset();
    m_device.Reset();
    m_root.Reset();
}

bool CDeviceManager::ReadSetting(IDeviceProfile* profile, ProfileSetting& setting, bool* linkedRead, bool* flagsRead)
{
    *linkedRead = false;
    *flagsRead = false;
    ComRef<IProfilePropertyStore> store;
    if (!GetSubObject(profile, IID_IProfilePropertyStore, store))
        return false;

    BYTE linked[kLinkedProgramBytes] = {};
    DWORD size = sizeof(linked);
    if (SUCCEEDED(store->GetProperty(kLinkedProgramProperty, 0, linked, 0, &size))) {
        *linkedRead = true;
        setting.linkedProgram = ReadLinkedProgramProperty(linked, std::min<DWORD>(size, sizeof(linked)));
    } else {
        setting.linkedProgram.clear();
    }

    BYTE flagBytes[sizeof(ProfileFlags)] = {};
    size = sizeof(flagBytes);
    if (SUCCEEDED(store->GetProperty(kProfileFlagsProperty, 0, flagBytes, 0, &size))) {
        *flagsRead = true;
        ProfileFlags flags{};
        if (size != 0 && ReadProfileFlags(flagBytes, std::min<DWORD>(size, sizeof(flagBytes)), &flags)) {
            setting.autoSwitch = (flags.bits & AutoSwitch) ? 1 : 0;
            setting.sensitivityDisplay = (flags.bits & kProfileSensitivityDisplay) ? 1 : 0;
            setting.profileDisplay = (flags.bits & ShowProfileOsd) ? 1 : 0;
        }
    }
    return true;
}

bool CDeviceManager::GetAllProfileSettings(std::vector<ProfileSetting>& settings)
{
    settings.clear();
    if (!HasProfiles())
        return false;
    ForEachDeviceProfile(m_profiles.Get(), [&](ComRef<IDeviceProfile>& profile) {
        ProfileSetting setting;
        if (!ReadProfileName(profile.Get(), setting.name))
            return true;
        if (!ReadServiceGuid(profile.Get(), setting.guid))
            setting.guid = GUID_NULL;
        bool linkedRead = false;
        bool flagsRead = false;
        // A profile whose flags cannot be read keeps them off: it never switches or shows by itself.
        if (ReadSetting(profile.Get(), setting, &linkedRead, &flagsRead))
            settings.push_back(setting);
        return true;
    });
    return !settings.empty();
}

bool CDeviceManager::GetProfileNames(std::vector<std::wstring>& names, std::vector<GUID>* guids)
{
    names.clear();
    if (guids)
        guids->clear();
    if (!HasProfiles())
        return false;
    ForEachDeviceProfile(m_profiles.Get(), [&](ComRef<IDeviceProfile>& profile) {
        std::wstring name;
        GUID guid{};
        if (!ReadProfileName(profile.Get(), name) || (guids && !ReadServiceGuid(profile.Get(), guid)))
            return true;
        names.push_back(name);
        if (guids)
            guids->push_back(guid);
        return true;
    });
    return !names.empty();
}

bool CDeviceManager::GetProfileSetting(const std::wstring& name, ProfileSetting& setting)
{
    if (!HasProfiles())
        return false;
    bool result = false;
    ForEachDeviceProfile(m_profiles.Get(), [&](ComRef<IDeviceProfile>& profile) {
        std::wstring profileName;
        if (!ReadProfileName(profile.Get(), profileName) || profileName != name)
            return true;
        ProfileSetting read;
        read.name = profileName;
        bool linkedRead = false;
        bool flagsRead = false;
        if (!ReadSetting(profile.Get(), read, &linkedRead, &flagsRead))
            return true;
        setting = read;
        result = linkedRead && flagsRead;
        return false;
    });
    return result;
}

bool CDeviceManager::GetActiveProfileName(std::wstring& name)
{
    ComRef<IDeviceProfile> active;
    return GetActiveProfile(active) && ReadProfileName(active.Get(), name);
}

bool CDeviceManager::FindProfileByName(const std::wstring& name, ComRef<IDeviceProfile>& profile)
{
    profile.Reset();
    if (!HasProfiles())
        return false;
    ForEachDeviceProfile(m_profiles.Get(), [&](ComRef<IDeviceProfile>& candidate) {
        std::wstring profileName;
        if (!ReadProfileName(candidate.Get(), profileName) || profileName != name)
            return true;
        profile = std::move(candidate);
        return false;
    });
    return static_cast<bool>(profile);
}

bool CDeviceManager::ActivateProfile(const std::wstring& name)
{
    ComRef<IDeviceProfile> profile;
    if (!FindProfileByName(name, profile))
        return false;
    return SUCCEEDED(m_profiles->ActivateProfile(profile.Get()));
}

bool CDeviceManager::FindProfileByGuid(const GUID& guid, ComRef<IDeviceProfile>& profile)
{
    if (!HasProfiles() || IsEqualGUID(guid, GUID_NULL) || FAILED(m_profiles->FindProfile(guid, profile.Put())) ||
        !profile) {
        profile.Reset();
        return false;
    }
    return true;
}

bool CDeviceManager::GetProfileSetting(const GUID& guid, ProfileSetting& setting)
{
    ComRef<IDeviceProfile> profile;
    ProfileSetting read;
    bool linkedRead = false;
    bool flagsRead = false;
    if (!FindProfileByGuid(guid, profile) || !ReadProfileName(profile.Get(), read.name) ||
        !ReadSetting(profile.Get(), read, &linkedRead, &flagsRead))
        return false;
    read.guid = guid;
    setting = read;
    return linkedRead && flagsRead;
}

bool CDeviceManager::GetActiveProfile(ComRef<IDeviceProfile>& active)
{
    return HasProfiles() && SUCCEEDED(m_profiles->GetActiveProfile(active.Put())) && active;
}

bool CDeviceManager::GetActiveProfileGuid(GUID& guid)
{
    ComRef<IDeviceProfile> active;
    return GetActiveProfile(active) && ReadServiceGuid(active.Get(), guid);
}

bool CDeviceManager::ActivateProfile(const GUID& guid)
{
    ComRef<IDeviceProfile> profile;
    if (!FindProfileByGuid(guid, profile))
        return false;
    return SUCCEEDED(m_profiles->ActivateProfile(profile.Get()));
}

bool CDeviceManager::GetMacroStore(ComRef<IMacroStore>& store)
{
    return GetSubObject(m_device.Get(), IID_IMacroStore, store);
}

void CDeviceManager::NextMacroName(std::wstring& name)
{
    ComRef<IMacroStore> store;
    if (!GetMacroStore(store))
        return;
    int largest = 0;
    ForEachDeviceMacro(store.Get(), [&](ComRef<IDeviceMacro>& macro) {
        std::wstring macroName;
        if (ReadMacroName(macro.Get(), macroName) && macroName.find(kNewMacroPrefix) != std::wstring::npos)
            largest = std::max(largest, MacroNameNumber(macroName));
        return true;
    });
    name = std::wstring(kNewMacroPrefix) + std::to_wstring(largest + 1);
}

bool CDeviceManager::CreateDeviceMacro(const std::wstring& name, const std::vector<DeviceMacroEvent>& events,
                                       GUID& guid)
{
    if (!m_device)
        return false;
    MacroEventBuffer* buffer = BuildMacroEventBuffer(events.data(), events.size());
    if (!buffer)
        return false;
    ComRef<IMacroStore> store;
    ComRef<IDeviceMacro> macro;
    if (!GetMacroStore(store) || FAILED(store->CreateMacro(macro.Put())) || !macro) {
        ::CoTaskMemFree(buffer);
        return false;
    }
    GUID created{};
    const bool complete = SUCCEEDED(macro->SetName(name.c_str())) && SUCCEEDED(macro->SetEvents(buffer)) &&
                          ReadServiceGuid(macro.Get(), created);
    ::CoTaskMemFree(buffer);
    if (!complete) {
        // A macro without its name or events would show up in the configurator as a stranger.
        store->DeleteMacro(macro.Get());
        return false;
    }
    guid = created;
    return true;
}

bool CDeviceManager::DeleteDeviceMacro(const GUID& guid)
{
    ComRef<IMacroStore> store;
    ComRef<IDeviceMacro> macro;
    if (!GetMacroStore(store) || FAILED(store->FindMacro(guid, macro.Put())) || !macro)
        return false;
    return SUCCEEDED(store->DeleteMacro(macro.Get()));
}

bool CDeviceManager::BuildMacroAssignment(IDeviceProfile* profile, DWORD buttonId, const GUID& macroGuid)
{
    ComRef<IMacroStore> store;
    if (!GetMacroStore(store))
        return false;
    bool found = false;
    GUID guid{};
    ForEachDeviceMacro(store.Get(), [&](ComRef<IDeviceMacro>& macro) {
        found = ReadServiceGuid(macro.Get(), guid) && IsEqualGUID(guid, macroGuid);
        return !found;
    });
    if (!found)
        return false;
    KeyAssignmentRecord record = MakeMacroAssignmentRecord(0, buttonId, guid, kDevicePlayOnce, 0);
    ComRef<IButtonAssignment> buttons;
    if (!GetSubObject(profile, IID_IButtonAssignment, buttons))
        return false;
    return SUCCEEDED(buttons->SetRecords(1, &record));
}

bool CDeviceManager::AssignMacroInActiveProfile(const GUID& macro, DWORD value, DWORD buttonId)
{
    ComRef<IDeviceProfile> active;
    if (!GetActiveProfile(active) || !BuildMacroAssignment(active.Get(), buttonId, macro))
        return false;
    return SUCCEEDED(m_profiles->ActivateProfile(active.Get()));
}

bool CDeviceManager::AssignMacroInProfile(const std::wstring& profileName, const GUID& macro, DWORD value,
                                          DWORD buttonId)
{
    if (!HasProfiles())
        return false;
    bool assigned = false;
    ForEachDeviceProfile(m_profiles.Get(), [&](ComRef<IDeviceProfile>& profile) {
        std::wstring name;
        if (!ReadProfileName(profile.Get(), name) || ::_wcsicmp(name.c_str(), profileName.c_str()) != 0)
            return true;
        assigned = BuildMacroAssignment(profile.Get(), buttonId, macro);
        return false;
    });
    return assigned;
}

bool CDeviceManager::BeginRecordingLeds()
{
    if (!EnterRecordingMode())
        return false;
    return ApplyLedToActiveProfile(MacroLedScheme().Get(CMacroLedScheme::kRecording));
}

bool CDeviceManager::BlinkRecordingLeds()
{
    return ApplyLedToActiveProfile(MacroLedScheme().Get(CMacroLedScheme::kWaitingForButton));
}

bool CDeviceManager::CancelRecordingLeds()
{
    if (!EnterNormalMode())
        return false;
    return ApplyLedToActiveProfile(MacroLedScheme().Get(CMacroLedScheme::kEnded));
}

bool CDeviceManager::ClearRecordingLeds()
{
    return ApplyLedToActiveProfile(MacroLedScheme().Get(CMacroLedScheme::kEnded));
}

bool CDeviceManager::SaveRecordedMacro(DWORD value, DWORD buttonId, const std::vector<DeviceMacroEvent>& events)
{
    EnterNormalMode();
    const bool lightsOff = ApplyLedToActiveProfile(MacroLedScheme().Get(CMacroLedScheme::kEnded));
    std::wstring name;
    NextMacroName(name);
    GUID macro{};
    if (!lightsOff || name.empty() || !CreateDeviceMacro(name, events, macro))
        return false;

    ComRef<IDeviceProfile> active;
    if (!GetActiveProfile(active) || !BuildMacroAssignment(active.Get(), buttonId, macro)) {
        // The user recorded for a button: a macro that no button plays is not what was asked for.
        DeleteDeviceMacro(macro);
        return false;
    }
    return SUCCEEDED(m_profiles->ActivateProfile(active.Get()));
}

CDpiEventConnection* CDeviceManager::CreateDpiConnection(IDpiEventHandler* handler)
{
    ComRef<IDeviceProfile> active;
    ComRef<IDpiSource> source;
    if (!GetActiveProfile(active) || !GetSubObject(active.Get(), IID_IDpiSource, source))
        return nullptr;
    return new CDpiEventConnection(source.Get(), handler);
}

CProfileEventConnection* CDeviceManager::CreateProfileConnection(IProfileEventHandler* handler)
{
    if (!HasProfiles())
        return nullptr;
    return new CProfileEventConnection(m_profiles.Get(), handler);
}

CMacroEventConnection* CDeviceManager::CreateMacroConnection(IMacroEventHandler* handler)
{
    ComRef<IMacroRecordingSource> source;
    if (!GetSubObject(m_device.Get(), IID_IMacroRecordingSource, source))
        return nullptr;
    return new CMacroEventConnection(source.Get(), handler);
}

CLaunchAppEventConnection* CDeviceManager::CreateLaunchConnection(ILaunchAppEventHandler* handler)
{
    ComRef<IApplicationEventSource> source;
    if (!GetSubObject(m_device.Get(), IID_IApplicationEventSource, source))
        return nullptr;
    return new CLaunchAppEventConnection(source.Get(), handler);
}

bool CDeviceManager::SetLinkedProgram(const std::wstring& profileName, const std::wstring& program)
{
    ComRef<IDeviceProfile> profile;
    ComRef<IProfilePropertyStore> store;
    if (!FindProfileByName(profileName, profile) || !GetSubObject(profile.Get(), IID_IProfilePropertyStore, store))
        return false;
    const LinkedProgramProperty property = MakeLinkedProgramProperty(program);
    return SUCCEEDED(store->SetProperty(kLinkedProgramProperty, reinterpret_cast<const BYTE*>(&property), 0,
                                        sizeof(property), 0));
}

bool CDeviceManager::WriteFlag(const std::wstring& profileName, uint16_t mask, int value)
{
    ComRef<IDeviceProfile> profile;
    ComRef<IProfilePropertyStore> store;
    if (!FindProfileByName(profileName, profile) || !GetSubObject(profile.Get(), IID_IProfilePropertyStore, store))
        return false;
    const ProfileFlagsWrite write = MakeProfileFlagsWrite(static_cast<ProfileFlagBit>(mask), value != 0);
    return SUCCEEDED(store->SetProperty(kProfileFlagsProperty, reinterpret_cast<const BYTE*>(&write), 0,
                                        sizeof(write), 0));
}

bool CDeviceManager::SetAutoSwitch(const std::wstring& profile, int value)
{
    return WriteFlag(profile, AutoSwitch, value);
}

bool CDeviceManager::SetProfileFlags(const std::wstring& profile, int autoSwitch, int sensitivityDisplay,
                                     int profileDisplay)
{
    return WriteFlag(profile, AutoSwitch, autoSwitch) &&
           WriteFlag(profile, kProfileSensitivityDisplay, sensitivityDisplay) &&
           WriteFlag(profile, ShowProfileOsd, profileDisplay);
}

bool CDeviceManager::ApplyLedToActiveProfile(const CLed& led)
{
    // The active profile itself, not the first of its name: another profile may carry that name.
    ComRef<IDeviceProfile> active;
    return GetActiveProfile(active) && ApplyLed(active.Get(), led);
}

bool CDeviceManager::ApplyLedToProfile(const std::wstring& profileName, const CLed& led)
{
    ComRef<IDeviceProfile> profile;
    return FindProfileByName(profileName, profile) && ApplyLed(profile.Get(), led);
}

bool CDeviceManager::ApplyLed(IDeviceProfile* profile, const CLed& led)
{
    ComRef<ILedCollection> lights;
    if (!GetSubObject(profile, IID_ILedCollection, lights))
        return false;
    ComRef<IDeviceLed> light;
    ForEachServiceObject<IDeviceLed>([&](DWORD index, IDeviceLed** out) { return lights->GetLed(index, out); },
                                     [&](ComRef<IDeviceLed>& candidate) {
                                         DWORD id = 0;
                                         if (FAILED(candidate->GetId(&id)) || id != static_cast<DWORD>(led.id))
                                             return true;
                                         light = std::move(candidate);
                                         return false;
                                     });
    if (!light)
        return false;

    ComRef<ILedValue> value;
    if (light.As(IID_ILedValue, value))
        value->SetValue(static_cast<DWORD>(led.value));
    ComRef<ILedBlink> blink;
    if (light.As(IID_ILedBlink, blink))
        blink->SetBlink(static_cast<DWORD>(led.blink), static_cast<DWORD>(led.onTimeMs), static_cast<DWORD>(led.offTimeMs));
    ComRef<ILedAuxValue> aux;
    if (light.As(IID_ILedAuxValue, aux))
        aux->SetAuxValue(static_cast<DWORD>(led.auxValue));
    // Whether the light is on or off is what the recording depends on: that answer counts.
    return SUCCEEDED(led.on == 1 ? light->TurnOn() : light->TurnOff());
}

bool CDeviceManager::SetDeviceMode(DWORD mode)
{
    ComRef<IDeviceMode> deviceMode;
    if (!GetSubObject(m_device.Get(), IID_IDeviceMode, deviceMode))
        return false;
    return SUCCEEDED(deviceMode->SetMode(mode));
}

} // namespace tray
