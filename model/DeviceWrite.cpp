// The write of a configuration to the device, step by step.
#include "model/DeviceWrite.h"

#include "model/AssignmentRecords.h"
#include "model/BoundedText.h"
#include "model/DeviceRead.h"
#include "model/GuidWords.h"
#include "model/IGenDevice.h"

#include <algorithm>

namespace {

// The keyboard did not answer (its process or the keyboard itself is gone): no conclusion can be drawn.
bool LinkLost(HRESULT hr)
{
    const DWORD code = HRESULT_CODE(hr);
    return HRESULT_FACILITY(hr) == FACILITY_RPC || hr == CO_E_OBJNOTCONNECTED ||
           hr == HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED) ||
           (HRESULT_FACILITY(hr) == FACILITY_WIN32 && code >= RPC_S_INVALID_STRING_BINDING && code <= RPC_X_BAD_STUB_DATA);
}

bool SameEvents(const std::vector<DeviceMacroEvent>& a, const std::vector<DeviceMacroEvent>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DeviceMacroEvent& x, const DeviceMacroEvent& y) {
        return x.type == y.type && x.value == y.value;
    });
}

// The service's event buffer, freed on every path.
class CEventBuffer {
public:
    explicit CEventBuffer(const std::vector<DeviceMacroEvent>& events)
        : m_buffer(BuildMacroEventBuffer(events.data(), events.size()))
    {
    }
    ~CEventBuffer() { CoTaskMemFree(m_buffer); }
    CEventBuffer(const CEventBuffer&) = delete;
    CEventBuffer& operator=(const CEventBuffer&) = delete;
    const MacroEventBuffer* Get() const { return m_buffer; }

private:
    MacroEventBuffer* m_buffer;
};

enum class Resolution { Resolved, Unknown, ServiceFailed };

class CConfigurationWriter {
public:
    CConfigurationWriter(IServiceDevice* device, const ProductDescriptor& product, CTransferSnapshot& config,
                         unsigned mask)
        : m_device(device), m_product(product), m_config(config), m_mask(mask & 0xFFFF)
    {
    }

    bool Run()
    {
        if (m_device == nullptr)
            return false;
        const bool profilePass = m_product.Has(kCapabilityProfiles) && (m_mask & kTransferAnyProfilePass) != 0;
        if (profilePass) {
            SeparateSharedGuids();
            if (!ProfileManager())
                return false;
            if (m_config.seen.unansweredProfile.pending)
                TakeBackUnansweredProfile();
            if (!PruneDeviceProfiles())
                return false;
            for (ProfileCopy& profile : m_config.profiles) {
                if (!WriteProfile(profile))
                    return false;
            }
            if (!RewriteStaleKeys())
                return false;
        }
        if (Wants(kCapabilityMacros, kTransferMacros)) {
            if (!MacroStore())
                return false;
            if (m_config.seen.unansweredMacro.pending)
                TakeBackUnansweredMacro();
            if (!PruneDeviceMacros() || !WriteMacros() || !RewriteStaleKeys())
                return false;
        }
        if (profilePass && m_config.activeProfile >= 0)
            return ActivateProfile(m_config.profiles[size_t(m_config.activeProfile)]);
        return true;
    }

private:
    bool Wants(DWORD capability, unsigned bits) const { return m_product.Has(capability) && (m_mask & bits) != 0; }

    bool ProfileManager() { return m_profiles || GetSubObject(m_device, IID_IProfileManager, m_profiles); }
    bool MacroStore() { return m_macros || GetSubObject(m_device, IID_IMacroStore, m_macros); }
    bool AppSource() { return m_apps || GetSubObject(m_device, IID_IApplicationEventSource, m_apps); }

    // ---- Profiles

    // Two store profiles with one GUID (a copy that kept its original's) would both write into one
    // device profile, the later overwriting the earlier: the later one gets a device profile of its own.
    void SeparateSharedGuids()
    {
        for (size_t i = 0; i < m_config.profiles.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                if (!IsNullGuid(m_config.profiles[i].guid) && m_config.profiles[i].guid == m_config.profiles[j].guid) {
                    m_config.profiles[i].guid = GUID{};
                    break;
                }
            }
        }
    }

    // Deletes the device profiles the store saw and no longer has, and notes the GUIDs of those it
    // leaves.
    bool PruneDeviceProfiles()
    {
        return PruneDeviceObjects<IDeviceProfile>(
            [this](DWORD index, IDeviceProfile** profile) { return m_profiles->GetProfile(index, profile); },
            [this](const GUID& guid) {
                return m_config.FindProfileByGuid(guid) != nullptr || !m_config.seen.HasProfile(guid);
            },
            [this](IDeviceProfile* profile) { return m_profiles->DeleteProfile(profile); }, m_deviceProfiles);
    }

    // Walks the device's list of objects, deleting those the store does not keep and noting the GUIDs of
    // the others in `kept`. False when a deletion failed; the walk goes on past it. An object whose GUID
    // cannot be read is left alone, noted as the null GUID.
    template <class Object, class GetAt, class Keeps, class Delete>
    static bool PruneDeviceObjects(GetAt getAt, Keeps keeps, Delete remove, std::vector<GUID>& kept)
    {
        kept.clear();
        bool ok = true;
        GUID lastDeleted{};
        DWORD lastDeletedIndex = kMaxServiceEnumeration;
        for (DWORD index = 0; index < kMaxServiceEnumeration;) {
            ComRef<Object> object;
            if (FAILED(getAt(index, object.Put())) || !object)
                break;
            GUID guid{};
            if (!ReadServiceGuid(object.Get(), guid)) {
                kept.push_back(GUID{});
                ++index;
                continue;
            }
            if (keeps(guid)) {
                kept.push_back(guid);
                ++index;
                continue;
            }
            // The index stays after a deletion, as the next object moves up. A refused deletion, or one
            // that the device reports but does not carry out, moves on instead of asking again forever.
            if (index == lastDeletedIndex && guid == lastDeleted) {
                ok = false;
                ++index;
                continue;
            }
            if (SUCCEEDED(remove(object.Get()))) {
                lastDeleted = guid;
                lastDeletedIndex = index;
            } else {
                ok = false;
                ++index;
            }
        }
        return ok;
    }

    bool WriteProfile(ProfileCopy& profile)
    {
        ComRef<IDeviceProfile> device;
        if (!EnsureDeviceProfile(profile, device))
            return false;
        if (Wants(kCapabilityProfileProperties, kTransferProfileProperties) && !WriteProfileProperties(device.Get(), profile))
            return false;
        if (Wants(kCapabilityKeyAssignments, kTransferKeyAssignments)) {
            if (!WriteKeyAssignments(device.Get(), profile))
                return false;
            profile.keysWritten = true;
        }
        if (Wants(kCapabilityLeds, kTransferLeds) && !WriteLeds(device.Get(), profile))
            return false;
        return true;
    }

    // The device profile of a store profile, named as the store names it. A profile without GUID, or one
    // whose GUID the device no longer has, gets a new device profile: one lost profile must not make
    // every later write fail.
    bool EnsureDeviceProfile(ProfileCopy& profile, ComRef<IDeviceProfile>& device)
    {
        if (!IsNullGuid(profile.guid)) {
            if (SUCCEEDED(m_profiles->FindProfile(profile.guid, device.Put())) && device) {
                std::wstring name;
                if (!ReadServiceName(device.Get(), kMaxPathText, name))
                    return false;
                // Compared exactly, so that a change of letter case reaches the device too.
                return name == profile.name || SUCCEEDED(device->SetName(profile.name.c_str()));
            }
            // Listed a moment ago: the device has it but would not hand it out.
            if (ContainsGuid(m_deviceProfiles, profile.guid))
                return false;
        }
        return CreateDeviceProfile(profile, device);
    }

    // A new device profile with the profile's name, or none: a profile the write cannot complete (no
    // GUID, no name) is taken back, so that a failed write leaves no nameless profile on the keyboard.
    bool CreateDeviceProfile(ProfileCopy& profile, ComRef<IDeviceProfile>& device)
    {
        if (FAILED(m_profiles->CreateProfile(device.Put())) || !device) {
            device.Reset();
            m_config.seen.unansweredProfile = {true, m_deviceProfiles};
            TakeBackUnansweredProfile();
            return false;
        }
        GUID guid{};
        const bool complete = ReadServiceGuid(device.Get(), guid) && !IsNullGuid(guid) &&
                              SUCCEEDED(device->SetName(profile.name.c_str()));
        if (!complete) {
            const bool takenBack = SUCCEEDED(m_profiles->DeleteProfile(device.Get()));
            device.Reset();
            // A keyboard that cannot take it back now keeps it under the profile's GUID: the next write
            // names it, or deletes it once the user has deleted the profile.
            if (!takenBack && !IsNullGuid(guid))
                AdoptDeviceProfile(profile, guid);
            return false;
        }
        AdoptDeviceProfile(profile, guid);
        return true;
    }

    void AdoptDeviceProfile(ProfileCopy& profile, const GUID& guid)
    {
        RetargetAssignments(kKindProfile, profile.guid, guid);
        profile.guid = guid;
        m_deviceProfiles.push_back(guid);
        m_config.seen.AddProfile(guid);
    }

    void TakeBackUnansweredProfile()
    {
        TakeBackUnanswered<IDeviceProfile>(
            m_config.seen.unansweredProfile,
            [this](DWORD index, IDeviceProfile** profile) { return m_profiles->GetProfile(index, profile); },
            [this](const GUID& guid) { return m_config.seen.HasProfile(guid); },
            [](IDeviceProfile*) { return true; },
            [this](IDeviceProfile* profile) { return m_profiles->DeleteProfile(profile); });
    }

    // After a create call that failed: the keyboard's list is compared with the objects it held before
    // the call. One object more than before, which the store never saw, is the one the call made, and is
    // deleted when `untouched` confirms nothing was put into it since; anything else is left alone, as no
    // one can tell which is which. Only a walk that the keyboard answered to its end and that found every
    // object known before decides: until then the question stays for the next write.
    template <class Object, class GetAt, class Seen, class Untouched, class Delete>
    static void TakeBackUnanswered(SeenOnDevice::UnansweredCreate& unanswered, GetAt getAt, Seen seen,
                                   Untouched untouched, Delete remove)
    {
        std::vector<GUID> found;
        std::vector<ComRef<Object>> appeared;
        for (DWORD index = 0; index < kMaxServiceEnumeration; ++index) {
            ComRef<Object> object;
            const HRESULT hr = getAt(index, object.Put());
            if (LinkLost(hr))
                return;
            if (FAILED(hr) || !object)
                break;
            GUID guid{};
            if (!ReadServiceGuid(object.Get(), guid))
                return;
            found.push_back(guid);
            if (!ContainsGuid(unanswered.known, guid) && !seen(guid))
                appeared.push_back(std::move(object));
        }
        for (const GUID& guid : unanswered.known) {
            if (!IsNullGuid(guid) && !ContainsGuid(found, guid))
                return;
        }
        // Objects this program made or read since the call (a key's new macro made in the profile pass,
        // say) are seen: only the unseen ones count.
        const bool onlyOneMore = appeared.size() == 1;
        if (onlyOneMore && untouched(appeared.front().Get()) && FAILED(remove(appeared.front().Get())))
            return;
        unanswered = SeenOnDevice::UnansweredCreate();
    }

    // The profile's name was made right by EnsureDeviceProfile.
    bool WriteProfileProperties(IDeviceProfile* device, const ProfileCopy& profile)
    {
        if (profile.appFileName.size() > kLinkedProgramMaxChars)
            return false;
        ComRef<IProfilePropertyStore> properties;
        if (!GetSubObject(device, IID_IProfilePropertyStore, properties))
            return false;
        const LinkedProgramProperty program = MakeLinkedProgramProperty(profile.appFileName);
        if (FAILED(properties->SetProperty(kLinkedProgramProperty, reinterpret_cast<const BYTE*>(&program), 0,
                                           sizeof(program), 0)))
            return false;
        const bool autoSwitch = !profile.appFileName.empty() && profile.autoSwitch;
        const std::pair<ProfileFlagBit, bool> flags[] = {
            {AutoSwitch, autoSwitch},
            {kProfileSensitivityDisplay, profile.showDpiOsd},
            {ShowProfileOsd, profile.showProfileOsd},
        };
        for (const auto& flag : flags) {
            const ProfileFlagsWrite write = MakeProfileFlagsWrite(flag.first, flag.second);
            if (FAILED(properties->SetProperty(kProfileFlagsProperty, reinterpret_cast<const BYTE*>(&write), 0,
                                               sizeof(write), 0)))
                return false;
        }
        return true;
    }

    // ---- Key assignments

    bool WriteKeyAssignments(IDeviceProfile* device, ProfileCopy& profile)
    {
        // Decided before names turn into GUIDs: a key the user gave a name is a change, whatever GUID the
        // name resolves to. A profile this write created has no keys on record, so all of them go out.
        std::vector<bool> changed(m_config.buttons.size(), false);
        for (size_t i = 0; i < m_config.buttons.size() && i < profile.keys.size(); ++i)
            changed[i] = !m_config.seen.KeyUnchanged(profile.guid, m_config.buttons[i].keyId, profile.keys[i]);
        if (!ResolveNamedAssignments(profile))
            return false;
        if (m_config.buttons.empty())
            return false;
        ComRef<IButtonAssignment> buttons;
        if (!GetSubObject(device, IID_IButtonAssignment, buttons))
            return false;
        // A button the keyboard definition does not know has no assignment in the store, and a key the
        // profile never held (its record was of a kind the profile cannot hold, or could not be read)
        // was never given anything by the user: the device keeps what it holds for both. So does a key
        // the user left as it was read or written last.
        for (size_t i = 0; i < m_config.buttons.size(); ++i) {
            if (m_config.buttons[i].keyId != 0 && profile.keys[i].kind != kKindNone && changed[i] &&
                !WriteKey(buttons.Get(), profile, i))
                return false;
        }
        return true;
    }

    bool WriteKey(IButtonAssignment* buttons, const ProfileCopy& profile, size_t key)
    {
        const ButtonSlot& slot = m_config.buttons[key];
        const KeyAssignmentRecord record = AssignmentToRecord(profile.keys[key], slot.buttonId, slot.keyDefault);
        if (FAILED(buttons->SetRecords(1, &record)))
            return false;
        m_config.seen.NoteKey(profile.guid, slot.keyId, profile.keys[key]);
        return true;
    }

    // Keys already on the device that point at an object this write had to create again: written once
    // more, so that the device never keeps a key aimed at nothing.
    bool RewriteStaleKeys()
    {
        for (ProfileCopy& profile : m_config.profiles) {
            if (std::find(profile.stale.begin(), profile.stale.end(), true) == profile.stale.end())
                continue;
            ComRef<IDeviceProfile> device;
            ComRef<IButtonAssignment> buttons;
            if (FAILED(m_profiles->FindProfile(profile.guid, device.Put())) || !device ||
                !GetSubObject(device.Get(), IID_IButtonAssignment, buttons))
                return false;
            for (size_t i = 0; i < profile.stale.size(); ++i) {
                if (profile.stale[i] && !WriteKey(buttons.Get(), profile, i))
                    return false;
                profile.stale[i] = false;
            }
        }
        return true;
    }

    // Turns assignments that name a macro, profile or program by text into assignments by GUID, creating
    // what the device does not have yet. A name the store does not know stays as it is (and is written as
    // the key's default); false only when the device failed.
    bool ResolveNamedAssignments(ProfileCopy& profile)
    {
        for (size_t i = 0; i < profile.keys.size(); ++i) {
            if (!IsNamedAssignment(profile.keys[i].kind))
                continue;
            KeyAssignment resolved = profile.keys[i];
            const Resolution outcome = Resolve(resolved);
            if (outcome == Resolution::ServiceFailed)
                return false;
            if (outcome == Resolution::Resolved) {
                profile.keys[i] = resolved;
                profile.resolved[i] = true;
            }
        }
        return true;
    }

    Resolution Resolve(KeyAssignment& assignment)
    {
        const std::wstring name = BoundedText(assignment.data.text, kAssignmentTextLength);
        switch (assignment.kind) {
        case kKindProfileText: {
            ProfileCopy* target = m_config.FindProfileByName(name);
            if (target == nullptr)
                return Resolution::Unknown;
            if (IsNullGuid(target->guid)) {
                ComRef<IDeviceProfile> created;
                if (!CreateDeviceProfile(*target, created))
                    return Resolution::ServiceFailed;
            }
            MakeGuidAssignment(assignment, kKindProfile, target->guid);
            return Resolution::Resolved;
        }
        case kKindMacroText: {
            MacroCopy* macro = m_config.FindMacroByName(name);
            if (macro == nullptr)
                return Resolution::Unknown;
            // A macro that already has a GUID (two keys given the same new macro) converts with it.
            if (IsNullGuid(macro->guid) && (!MacroStore() || !CreateDeviceMacro(*macro) || IsNullGuid(macro->guid)))
                return Resolution::ServiceFailed;
            const uint32_t mode = assignment.param;
            const uint8_t count = assignment.count;
            MakeMacroAssignment(assignment, macro->guid, mode);
            assignment.count = count;
            return Resolution::Resolved;
        }
        case kKindLaunchProgramText: {
            AppCopy* app = m_config.FindAppByName(name);
            if (app == nullptr)
                return Resolution::Unknown;
            if (IsNullGuid(app->guid) && !CreateDeviceApp(*app))
                return Resolution::ServiceFailed;
            MakeGuidAssignment(assignment, kKindLaunchProgram, app->guid);
            return Resolution::Resolved;
        }
        default:
            return Resolution::Unknown;
        }
    }

    bool CreateDeviceApp(AppCopy& app)
    {
        if (!AppSource())
            return false;
        ComRef<IDeviceApp> created;
        if (FAILED(m_apps->CreateApp(created.Put())) || !created)
            return false;
        GUID guid{};
        if (!ReadServiceGuid(created.Get(), guid) || IsNullGuid(guid)) {
            m_apps->DeleteApp(created.Get());
            return false;
        }
        // Nothing later writes a program entry's name: an entry that did not get it is taken back, so
        // that the next write creates it whole.
        if (FAILED(created->SetName(app.name.c_str()))) {
            m_apps->DeleteApp(created.Get());
            return false;
        }
        app.guid = guid;
        return true;
    }

    // ---- Lights

    // Light 1 and the lighting (4) as the profile has them, every other light off.
    bool WriteLeds(IDeviceProfile* device, const ProfileCopy& profile)
    {
        ComRef<ILedCollection> leds;
        if (!GetSubObject(device, IID_ILedCollection, leds))
            return false;
        bool ok = true;
        ForEachServiceObject<IDeviceLed>(
            [&](DWORD index, IDeviceLed** out) { return leds->GetLed(index, out); },
            [&](ComRef<IDeviceLed>& led) {
                DWORD id = 0;
                if (FAILED(led->GetId(&id))) {
                    ok = false;
                } else {
                    const bool on =
                        id == kLedIdRecording ? profile.led1On : id == LightingOn ? profile.lightingOn : false;
                    ok = SUCCEEDED(on ? led->TurnOn() : led->TurnOff());
                }
                return ok;
            });
        return ok;
    }

    // ---- Macros

    // Deletes the device macros the store saw and no longer has, and notes the GUIDs of the others: a
    // macro recorded on the keyboard while the configurator was open is not the configurator's.
    bool PruneDeviceMacros()
    {
        m_macrosListed = true;
        return PruneDeviceObjects<IDeviceMacro>(
            [this](DWORD index, IDeviceMacro** macro) { return m_macros->GetMacro(index, macro); },
            [this](const GUID& guid) {
                return m_config.FindMacroByGuid(guid) != nullptr || !m_config.seen.HasMacro(guid);
            },
            [this](IDeviceMacro* macro) { return m_macros->DeleteMacro(macro); }, m_deviceMacros);
    }

    bool WriteMacros()
    {
        for (MacroCopy& macro : m_config.macros) {
            if (!WriteMacro(macro))
                return false;
        }
        return true;
    }

    // Only what differs is written. Names are compared exactly: a rename that changes only letter case
    // is a rename.
    bool WriteMacro(MacroCopy& macro)
    {
        ComRef<IDeviceMacro> device;
        if (IsNullGuid(macro.guid) || FAILED(m_macros->FindMacro(macro.guid, device.Put())) || !device) {
            // A macro the device lists but would not hand out is not recreated beside itself.
            if (!IsNullGuid(macro.guid) && ContainsGuid(m_deviceMacros, macro.guid))
                return false;
            return CreateDeviceMacro(macro);
        }
        std::wstring name;
        if (!ReadServiceName(device.Get(), kMaxMacroName, name) || name != macro.name) {
            if (FAILED(device->SetName(macro.name.c_str())))
                return false;
        }
        std::vector<DeviceMacroEvent> current;
        if (FetchMacroEvents(device.Get(), current) && SameEvents(current, macro.events))
            return true;
        CEventBuffer events(macro.events);
        return events.Get() != nullptr && SUCCEEDED(device->SetEvents(events.Get()));
    }

    // A new device macro with the macro's events and name, or none: a macro the write cannot complete
    // (no GUID, events or name refused) is taken back, so that a failed write leaves no empty, nameless
    // macro on the keyboard. The macro's new GUID is how later writes and key assignments refer to it.
    bool CreateDeviceMacro(MacroCopy& macro)
    {
        CEventBuffer events(macro.events);
        if (events.Get() == nullptr)
            return false;
        // A key naming a new macro gets it before the macro pass has listed the keyboard's macros: what
        // the keyboard holds must be known before the call, or an unanswered one cannot be taken back.
        if (!m_macrosListed) {
            PruneDeviceObjects<IDeviceMacro>(
                [this](DWORD index, IDeviceMacro** macro) { return m_macros->GetMacro(index, macro); },
                [](const GUID&) { return true; }, [](IDeviceMacro*) { return E_UNEXPECTED; }, m_deviceMacros);
            m_macrosListed = true;
        }
        ComRef<IDeviceMacro> created;
        if (FAILED(m_macros->CreateMacro(created.Put())) || !created) {
            m_config.seen.unansweredMacro = {true, m_deviceMacros};
            TakeBackUnansweredMacro();
            return false;
        }
        GUID guid{};
        const bool complete = ReadServiceGuid(created.Get(), guid) && !IsNullGuid(guid) &&
                              SUCCEEDED(created->SetEvents(events.Get())) &&
                              SUCCEEDED(created->SetName(macro.name.c_str()));
        if (!complete) {
            const bool takenBack = SUCCEEDED(m_macros->DeleteMacro(created.Get()));
            // A keyboard that cannot take it back now keeps it under the macro's GUID: the next write
            // completes it, or deletes it once the user has deleted the macro.
            if (!takenBack && !IsNullGuid(guid))
                AdoptDeviceMacro(macro, guid);
            return false;
        }
        AdoptDeviceMacro(macro, guid);
        return true;
    }

    void AdoptDeviceMacro(MacroCopy& macro, const GUID& guid)
    {
        RetargetAssignments(kKindMacro, macro.guid, guid);
        macro.guid = guid;
        m_deviceMacros.push_back(guid);
        m_config.seen.AddMacro(guid);
    }

    // A macro the keyboard made for a create call whose answer was lost holds no events: one that holds
    // some was recorded since (the tray program records macros) and stays.
    void TakeBackUnansweredMacro()
    {
        TakeBackUnanswered<IDeviceMacro>(
            m_config.seen.unansweredMacro,
            [this](DWORD index, IDeviceMacro** macro) { return m_macros->GetMacro(index, macro); },
            [this](const GUID& guid) { return m_config.seen.HasMacro(guid); },
            [](IDeviceMacro* macro) {
                std::vector<DeviceMacroEvent> events;
                return FetchMacroEvents(macro, events) && events.empty();
            },
            [this](IDeviceMacro* macro) { return m_macros->DeleteMacro(macro); });
    }

    // An object the device lost comes back under a new GUID: the keys that pointed at the old one follow
    // it. Those the device already holds are marked to be written again (RewriteStaleKeys).
    void RetargetAssignments(int32_t kind, const GUID& from, const GUID& to)
    {
        if (IsNullGuid(from))
            return;
        for (ProfileCopy& profile : m_config.profiles) {
            for (size_t i = 0; i < profile.keys.size(); ++i) {
                KeyAssignment& key = profile.keys[i];
                if (key.kind == kind && key.data.guid == from) {
                    key.data.guid = to;
                    profile.resolved[i] = true;
                    if (profile.keysWritten) {
                        profile.stale.resize(profile.keys.size());
                        profile.stale[i] = true;
                    }
                }
            }
        }
    }

    // ---- Activation

    bool ActivateProfile(const ProfileCopy& profile)
    {
        ComRef<IDeviceProfile> device;
        return SUCCEEDED(m_profiles->FindProfile(profile.guid, device.Put())) && device &&
               SUCCEEDED(m_profiles->ActivateProfile(device.Get()));
    }

    IServiceDevice* m_device;
    const ProductDescriptor& m_product;
    CTransferSnapshot& m_config;
    unsigned m_mask;
    ComRef<IProfileManager> m_profiles;
    ComRef<IMacroStore> m_macros;
    ComRef<IApplicationEventSource> m_apps;
    // On the device and kept by the prune, or created by this write: an object listed here that cannot
    // be found is a failure; one not listed is one the device lost, and is created again.
    std::vector<GUID> m_deviceProfiles;
    std::vector<GUID> m_deviceMacros;
    bool m_macrosListed = false;
};

}  // namespace

bool WriteConfiguration(IServiceDevice* device, const ProductDescriptor& product, CTransferSnapshot& config,
                        unsigned mask)
{
    CConfigurationWriter writer(device, product, config, mask);
    return writer.Run();
}
