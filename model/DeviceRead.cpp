// Reading the device's configuration: fetching it from the service, and storing it.
#include "model/DeviceRead.h"

#include "model/AssignmentRecords.h"
#include "model/BoundedText.h"
#include "model/GuidWords.h"
#include "model/IGenDevice.h"

#include <algorithm>

namespace {

IKeyboardProfile* FindStoreProfile(IKeyboardConfig& store, const GUID& guid)
{
    DWORD words[4];
    GuidToWords(guid, words);
    return store.FindProfileByGuid(words[0], words[1], words[2], words[3]);
}

}  // namespace

ProfileProperties FetchProfileProperties(IDeviceProfile* device)
{
    ProfileProperties read;
    read.hasName = ReadServiceName(device, kMaxPathText, read.name);
    read.hasGuid = ReadServiceGuid(device, read.guid);

    ComRef<IProfilePropertyStore> properties;
    if (!GetSubObject(device, IID_IProfilePropertyStore, properties))
        return read;

    LinkedProgramProperty program = {};
    DWORD programSize = sizeof(program);
    read.hasProgram = SUCCEEDED(properties->GetProperty(kLinkedProgramProperty, 0, reinterpret_cast<BYTE*>(&program),
                                                        0, &programSize)) &&
                      programSize != 0;

    BYTE flagBytes[sizeof(ProfileFlags)] = {};
    DWORD flagSize = sizeof(flagBytes);
    read.hasFlags = SUCCEEDED(properties->GetProperty(kProfileFlagsProperty, 0, flagBytes, 0, &flagSize)) &&
                    ReadProfileFlags(flagBytes, std::min<DWORD>(flagSize, sizeof(flagBytes)), &read.flags);

    if (read.hasProgram)
        read.program = ReadLinkedProgramProperty(&program, std::min<DWORD>(programSize, sizeof(program)));
    return read;
}

void StoreProfileProperties(const ProfileProperties& read, IKeyboardProfile& profile)
{
    if (read.hasName)
        profile.SetName(read.name.c_str());
    if (read.hasGuid) {
        DWORD words[4];
        GuidToWords(read.guid, words);
        profile.SetGuid(words[0], words[1], words[2], words[3]);
    }
    if (read.hasProgram) {
        profile.SetAppFileName(read.program.c_str());
        if (read.hasFlags)
            profile.SetAutoSwitch((read.flags.bits & AutoSwitch) ? 1 : 0);
    }
    if (read.hasFlags) {
        profile.SetShowDpiOsd((read.flags.bits & kProfileSensitivityDisplay) ? 1 : 0);
        profile.SetShowProfileOsd((read.flags.bits & ShowProfileOsd) ? 1 : 0);
    }
}

bool ReadProfileProperties(IDeviceProfile* device, IKeyboardProfile& profile)
{
    StoreProfileProperties(FetchProfileProperties(device), profile);
    return true;
}

bool FetchButtonRecords(IButtonAssignment* buttons, std::size_t buttonCount, std::vector<KeyAssignmentRecord>& records)
{
    records.clear();
    if (buttonCount == 0 || buttons == nullptr || buttonCount > kMaxServiceEnumeration)
        return false;
    records.resize(buttonCount);
    DWORD count = DWORD(buttonCount);
    if (FAILED(buttons->GetAll(&count, records.data()))) {
        records.clear();
        return false;
    }
    records.resize(std::min<std::size_t>(count, buttonCount));
    return true;
}

void StoreKeyAssignments(IKeyboardConfig& store, IKeyboardProfile* profile,
                         const std::vector<KeyAssignmentRecord>& records, SeenOnDevice::KeyMap* asRead)
{
    CKeyboardDef& keyboard = KeyboardDef();
    bool anyActive = false;
    for (const KeyAssignmentRecord& record : records) {
        const int32_t keyId = KeyIdOfButton(record.buttonId, keyboard);
        if (keyId == 0)
            continue;
        const KeyAssignment assignment = RecordToAssignment(record, keyboard.GetDefaultScanCode(keyId));
        store.SetKeyAssignment(keyId, assignment, profile);
        // What the store made of it: it keeps only the kinds a profile can hold.
        if (asRead != nullptr)
            (*asRead)[keyId] = StoredKeyAssignment(store, keyId, profile);
        if (assignment.kind != kKindButtonOff)
            anyActive = true;
    }
    store.ReservedSetProfileFlag(anyActive ? 1 : 0, profile);
}

bool ReadKeyAssignments(IKeyboardConfig& store, IKeyboardProfile* profile, IButtonAssignment* buttons,
                        std::size_t buttonCount, SeenOnDevice::KeyMap* asRead)
{
    std::vector<KeyAssignmentRecord> records;
    if (!FetchButtonRecords(buttons, buttonCount, records))
        return false;
    StoreKeyAssignments(store, profile, records, asRead);
    return true;
}

bool FetchLeds(IDeviceProfile* device, std::vector<LedState>& leds)
{
    leds.clear();
    ComRef<ILedCollection> collection;
    if (!GetSubObject(device, IID_ILedCollection, collection))
        return false;
    bool ok = true;
    ForEachServiceObject<IDeviceLed>(
        [&](DWORD index, IDeviceLed** out) { return collection->GetLed(index, out); },
        [&](ComRef<IDeviceLed>& led) {
            LedState read;
            if (FAILED(led->GetId(&read.id)))
                ok = false;
            else if (SUCCEEDED(led->GetState(&read.state)))
                leds.push_back(read);
            return true;
        });
    return ok;
}

void StoreLeds(IKeyboardConfig& store, const std::vector<LedState>& leds, IKeyboardProfile* profile)
{
    for (const LedState& led : leds) {
        if (led.id == kLedIdRecording)
            store.SetLed1On(led.state != 0, profile);
        else if (led.id == LightingOn)
            store.SetLightingOn(led.state != 0, profile);
    }
}

bool ReadLeds(IKeyboardConfig& store, IDeviceProfile* device, IKeyboardProfile* profile)
{
    std::vector<LedState> leds;
    const bool ok = FetchLeds(device, leds);
    StoreLeds(store, leds, profile);
    return ok;
}

bool FetchMacroEvents(IDeviceMacro* macro, std::vector<DeviceMacroEvent>& events)
{
    MacroEventBuffer* buffer = nullptr;
    const HRESULT result = macro->GetEvents(&buffer);
    events.clear();
    if (SUCCEEDED(result))
        events = ReadReturnedMacroEventBuffer(buffer);
    CoTaskMemFree(buffer);
    return SUCCEEDED(result);
}

bool ReadMacroEvents(IDeviceMacro* macro, MacroEventList& events)
{
    std::vector<DeviceMacroEvent> raw;
    if (!FetchMacroEvents(macro, raw))
        return false;
    FromDeviceMacroEvents(raw, &events);
    return true;
}

std::wstring NumberedName(const std::wstring& name, unsigned number, std::size_t maxChars)
{
    const std::wstring suffix = L" (" + std::to_wstring(number) + L")";
    std::wstring base = name.substr(0, maxChars > suffix.size() ? maxChars - suffix.size() : 0);
    // A cut between the halves of a surrogate pair would leave half a character.
    if (!base.empty() && base.size() < name.size() && IS_HIGH_SURROGATE(base.back()))
        base.pop_back();
    return base + suffix;
}

CMacro* AddMacroUnderFreeName(IKeyboardConfig& store, const std::wstring& name)
{
    // Names tried before a macro is given up as unnameable: far more than a keyboard holds macros.
    constexpr unsigned kMaxNameNumber = 70000;
    CMacro* macro = store.AddMacro(name.c_str());
    for (unsigned number = 2; macro == nullptr && number < kMaxNameNumber; ++number)
        macro = store.AddMacro(NumberedName(name, number, kMaxMacroName).c_str());
    return macro;
}

CDeviceReadout CDeviceReadout::For(IKeyboardConfig& store)
{
    CDeviceReadout readout;
    for (unsigned i = 0, n = store.GetProfileCount(); i < n; ++i) {
        GUID guid{};
        if (IKeyboardProfile* profile = store.GetProfileAt(i)) {
            profile->GetGuid(guid);
            readout.storeProfiles.push_back(guid);
        }
    }
    for (unsigned i = 0, n = store.GetMacroCount(); i < n; ++i) {
        if (CMacro* macro = store.GetMacroAt(i))
            readout.storeMacros.push_back(macro->Guid());
    }
    return readout;
}

bool CDeviceReadout::Fetch(IServiceDevice* device, const ProductDescriptor& product, unsigned mask,
                           std::size_t buttonCount)
{
    if (device == nullptr)
        return false;
    mask &= 0xFFFF;
    auto wants = [&](DWORD capability, unsigned bits) { return product.Has(capability) && (mask & bits) != 0; };
    bool ok = true;

    if (wants(kCapabilityProfiles, kTransferAnyProfilePass)) {
        ComRef<IProfileManager> manager;
        if (!GetSubObject(device, IID_IProfileManager, manager)) {
            ok = false;
        } else {
            ComRef<IDeviceProfile> active;
            if (SUCCEEDED(manager->GetActiveProfile(active.Put())) && active)
                ReadServiceGuid(active.Get(), activeProfile);

            ForEachDeviceProfile(manager.Get(), [&](ComRef<IDeviceProfile>& deviceProfile) {
                Profile read;
                if (!ReadServiceGuid(deviceProfile.Get(), read.guid)) {
                    ok = false;
                    return true;
                }
                // The read creates no profiles: Initialize listed them.
                if (!ContainsGuid(storeProfiles, read.guid))
                    return true;
                bool profileOk = true;
                if (wants(kCapabilityProfileProperties, kTransferProfileProperties)) {
                    read.hasProperties = true;
                    read.properties = FetchProfileProperties(deviceProfile.Get());
                }
                if (wants(kCapabilityKeyAssignments, kTransferKeyAssignments)) {
                    ComRef<IButtonAssignment> buttons;
                    read.keysWanted = true;
                    read.keysRead = GetSubObject(deviceProfile.Get(), IID_IButtonAssignment, buttons) &&
                                    FetchButtonRecords(buttons.Get(), buttonCount, read.records);
                    profileOk = read.keysRead;
                }
                if (profileOk && wants(kCapabilityLeds, kTransferLeds)) {
                    read.ledsRead = true;
                    profileOk = FetchLeds(deviceProfile.Get(), read.leds);
                }
                ok = ok && profileOk;
                profiles.push_back(std::move(read));
                return true;
            });
        }
    }

    if (wants(kCapabilityMacros, kTransferMacros))
        ok = ReadMacros(device) && ok;
    return ok;
}

bool CDeviceReadout::ReadMacros(IServiceDevice* device)
{
    ComRef<IMacroStore> store;
    if (!GetSubObject(device, IID_IMacroStore, store))
        return false;
    bool ok = true;
    ForEachDeviceMacro(store.Get(), [&](ComRef<IDeviceMacro>& deviceMacro) {
        Macro read;
        if (!ReadServiceName(deviceMacro.Get(), kMaxMacroName, read.name) ||
            !ReadServiceGuid(deviceMacro.Get(), read.guid) || IsNullGuid(read.guid))
            return true;
        read.held = ContainsGuid(storeMacros, read.guid);
        if (!read.held) {
            read.eventsOk = FetchMacroEvents(deviceMacro.Get(), read.events);
            ok = ok && read.eventsOk;
        }
        macros.push_back(std::move(read));
        return true;
    });
    return ok;
}

void CDeviceReadout::MergeInto(IKeyboardConfig& store, SeenOnDevice& seen) const
{
    for (const Profile& read : profiles) {
        IKeyboardProfile* profile = FindStoreProfile(store, read.guid);
        if (profile == nullptr)
            continue;
        if (!IsNullGuid(activeProfile) && activeProfile == read.guid)
            store.SetActiveProfile(profile);
        if (read.hasProperties)
            StoreProfileProperties(read.properties, *profile);
        if (read.keysWanted) {
            if (read.keysRead) {
                SeenOnDevice::KeyMap asRead;
                StoreKeyAssignments(store, profile, read.records, &asRead);
                seen.SetKeys(read.guid, std::move(asRead));
            } else {
                seen.ForgetKeys(read.guid);
            }
        }
        if (read.ledsRead)
            StoreLeds(store, read.leds, profile);
    }
    MergeMacros(store, seen);
}

void CDeviceReadout::MergeMacros(IKeyboardConfig& store, SeenOnDevice& seen) const
{
    for (const Macro& read : macros) {
        DWORD words[4];
        GuidToWords(read.guid, words);
        if (store.FindMacroByGuid(words[0], words[1], words[2], words[3]) != nullptr) {
            seen.AddMacro(read.guid);
            continue;
        }
        if (read.held || !read.eventsOk)
            continue;
        CMacro* macro = AddMacroUnderFreeName(store, read.name);
        if (macro == nullptr)
            continue;
        macro->SetGuid(read.guid);
        MacroEventList events;
        FromDeviceMacroEvents(read.events, &events);
        macro->SetEvents(events);
        seen.AddMacro(read.guid);
    }
}
