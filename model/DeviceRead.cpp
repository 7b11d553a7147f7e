// Reading the device's configuration into the store.
#include "model/DeviceRead.h"

#include "model/AssignmentRecords.h"
#include "model/BoundedText.h"
#include "model/GuidWords.h"
#include "model/IGenDevice.h"

#include <algorithm>

namespace {

constexpr DWORD kLedIdRecording = 1;
constexpr DWORD kLedIdLighting = 4;

IKeyboardProfile* FindStoreProfile(IKeyboardConfig& store, const GUID& guid)
{
    DWORD words[4];
    GuidToWords(guid, words);
    return store.FindProfileByGuid(words[0], words[1], words[2], words[3]);
}

}  // namespace

bool ReadProfileProperties(IDeviceProfile* device, IKeyboardProfile& profile)
{
    std::wstring name;
    if (ReadServiceName(device, kMaxPathText, name))
        profile.SetName(name.c_str());
    GUID guid{};
    if (ReadServiceGuid(device, guid)) {
        DWORD words[4];
        GuidToWords(guid, words);
        profile.SetGuid(words[0], words[1], words[2], words[3]);
    }

    ComRef<IProfilePropertyStore> properties;
    if (!GetSubObject(device, IID_IProfilePropertyStore, properties))
        return true;

    LinkedProgramProperty program = {};
    DWORD programSize = sizeof(program);
    const bool hasProgram = SUCCEEDED(properties->GetProperty(kLinkedProgramProperty, 0, reinterpret_cast<BYTE*>(&program),
                                                              0, &programSize)) &&
                            programSize != 0;

    BYTE flagBytes[sizeof(ProfileFlags)] = {};
    DWORD flagSize = sizeof(flagBytes);
    ProfileFlags flags = {};
    const bool hasFlags = SUCCEEDED(properties->GetProperty(kProfileFlagsProperty, 0, flagBytes, 0, &flagSize)) &&
                          ReadProfileFlags(flagBytes, std::min<DWORD>(flagSize, sizeof(flagBytes)), &flags);

    if (hasProgram) {
        const std::wstring fileName = ReadLinkedProgramProperty(&program, std::min<DWORD>(programSize, sizeof(program)));
        profile.SetAppFileName(fileName.c_str());
        if (hasFlags)
            profile.SetAutoSwitch((flags.bits & kProfileAutoSwitch) ? 1 : 0);
    }
    if (hasFlags) {
        profile.SetShowDpiOsd((flags.bits & kProfileSensitivityDisplay) ? 1 : 0);
        profile.SetShowProfileOsd((flags.bits & kProfileShowOsd) ? 1 : 0);
    }
    return true;
}

bool ReadKeyAssignments(IKeyboardConfig& store, IKeyboardProfile* profile, IButtonAssignment* buttons,
                        std::size_t buttonCount, SeenOnDevice::KeyMap* asRead)
{
    if (buttonCount == 0 || buttons == nullptr || buttonCount > kMaxServiceEnumeration)
        return false;
    std::vector<KeyAssignmentRecord> records(buttonCount);
    DWORD count = DWORD(buttonCount);
    if (FAILED(buttons->GetAll(&count, records.data())))
        return false;
    records.resize(std::min<std::size_t>(count, buttonCount));

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
    return true;
}

bool ReadLeds(IKeyboardConfig& store, IDeviceProfile* device, IKeyboardProfile* profile)
{
    ComRef<ILedCollection> leds;
    if (!GetSubObject(device, IID_ILedCollection, leds))
        return false;
    bool ok = true;
    for (DWORD index = 0; index < kMaxServiceEnumeration; ++index) {
        ComRef<IDeviceLed> led;
        if (FAILED(leds->GetLed(index, led.Put())) || !led)
            break;
        DWORD id = 0;
        if (FAILED(led->GetId(&id))) {
            ok = false;
            continue;
        }
        DWORD state = 0;
        if (FAILED(led->GetState(&state)))
            continue;
        if (id == kLedIdRecording)
            store.SetLed1On(state != 0, profile);
        else if (id == kLedIdLighting)
            store.SetLightingOn(state != 0, profile);
    }
    return ok;
}

bool ReadMacroEvents(IDeviceMacro* macro, MacroEventList& events)
{
    MacroEventBuffer* buffer = nullptr;
    const HRESULT result = macro->GetEvents(&buffer);
    std::vector<DeviceMacroEvent> raw;
    if (SUCCEEDED(result))
        raw = ReadReturnedMacroEventBuffer(buffer);
    CoTaskMemFree(buffer);
    if (FAILED(result))
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

bool ReadMacros(IMacroStore* macros, IKeyboardConfig& store, SeenOnDevice& seen)
{
    bool ok = true;
    for (DWORD index = 0; index < kMaxServiceEnumeration; ++index) {
        ComRef<IDeviceMacro> device;
        if (FAILED(macros->GetMacro(index, device.Put())) || !device)
            break;
        std::wstring name;
        GUID guid{};
        if (!ReadServiceName(device.Get(), kMaxMacroName, name) || !ReadServiceGuid(device.Get(), guid) ||
            IsNullGuid(guid))
            continue;
        DWORD words[4];
        GuidToWords(guid, words);
        if (store.FindMacroByGuid(words[0], words[1], words[2], words[3]) != nullptr) {
            seen.AddMacro(guid);
            continue;
        }
        CMacro* macro = AddMacroUnderFreeName(store, name);
        if (macro == nullptr)
            continue;
        macro->SetGuid(guid);
        MacroEventList events;
        if (!ReadMacroEvents(device.Get(), events)) {
            store.RemoveMacro(macro);
            ok = false;
            continue;
        }
        macro->SetEvents(events);
        seen.AddMacro(guid);
    }
    return ok;
}

bool ReadConfiguration(IServiceDevice* device, const ProductDescriptor& product, IKeyboardConfig& store,
                       unsigned mask, std::size_t buttonCount, SeenOnDevice& seen)
{
    if (device == nullptr)
        return false;
    mask &= 0xFFFF;
    auto wants = [&](DWORD capability, unsigned bits) { return product.Has(capability) && (mask & bits) != 0; };
    bool ok = true;

    if (wants(kCapabilityProfiles, kTransferAnyProfilePass)) {
        ComRef<IProfileManager> profiles;
        if (!GetSubObject(device, IID_IProfileManager, profiles)) {
            ok = false;
        } else {
            GUID active{};
            ComRef<IDeviceProfile> activeProfile;
            if (SUCCEEDED(profiles->GetActiveProfile(activeProfile.Put())) && activeProfile)
                ReadServiceGuid(activeProfile.Get(), active);

            for (DWORD index = 0; index < kMaxServiceEnumeration; ++index) {
                ComRef<IDeviceProfile> deviceProfile;
                if (FAILED(profiles->GetProfile(index, deviceProfile.Put())) || !deviceProfile)
                    break;
                GUID guid{};
                if (!ReadServiceGuid(deviceProfile.Get(), guid)) {
                    ok = false;
                    continue;
                }
                IKeyboardProfile* profile = FindStoreProfile(store, guid);
                if (profile == nullptr)
                    continue;
                if (!IsNullGuid(active) && active == guid)
                    store.SetActiveProfile(profile);

                bool profileOk = true;
                if (wants(kCapabilityProfileProperties, kTransferProfileProperties))
                    ReadProfileProperties(deviceProfile.Get(), *profile);
                if (wants(kCapabilityKeyAssignments, kTransferKeyAssignments)) {
                    ComRef<IButtonAssignment> buttons;
                    SeenOnDevice::KeyMap read;
                    profileOk = GetSubObject(deviceProfile.Get(), IID_IButtonAssignment, buttons) &&
                                ReadKeyAssignments(store, profile, buttons.Get(), buttonCount, &read);
                    if (profileOk)
                        seen.SetKeys(guid, std::move(read));
                    else
                        seen.ForgetKeys(guid);
                }
                if (profileOk && wants(kCapabilityLeds, kTransferLeds))
                    profileOk = ReadLeds(store, deviceProfile.Get(), profile);
                ok = ok && profileOk;
            }
        }
    }

    if (wants(kCapabilityMacros, kTransferMacros)) {
        ComRef<IMacroStore> macros;
        const bool macrosOk = GetSubObject(device, IID_IMacroStore, macros) && ReadMacros(macros.Get(), store, seen);
        ok = ok && macrosOk;
    }
    return ok;
}
