// The configurator's device object, its creation and destruction, and the registry reader.
#include "model/Keyboard.h"

#include "model/BoundedText.h"
#include "model/DeviceWrite.h"
#include "model/NameTables.h"
#include "model/OssleConfig.h"
#include "skin/RawInput.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kModeRecording = 2;
constexpr DWORD kModeNormal = 1;

CKeyboard* g_keyboard = nullptr;

void SetProfileGuid(IKeyboardProfile& profile, const GUID& guid)
{
    DWORD words[4];
    GuidToWords(guid, words);
    profile.SetGuid(words[0], words[1], words[2], words[3]);
}

}  // namespace

CKeyboard::CKeyboard() : Base(kKeyboardProduct) {}

CKeyboard::~CKeyboard() = default;

bool CKeyboard::ReadRoutine(IServiceDevice* device, const ProductDescriptor& product, CDeviceReadout& readout,
                            unsigned mask, size_t buttonCount)
{
    return readout.Fetch(device, product, mask, buttonCount);
}

bool CKeyboard::WriteRoutine(IServiceDevice* device, const ProductDescriptor& product, CTransferSnapshot& config,
                             unsigned mask)
{
    return WriteConfiguration(device, product, config, mask);
}

bool CKeyboard::Initialize(IKeyboardConfig* config)
{
    MouseButtonFlagMap::Initialise();
    m_firmwareVersion = UnknownDeviceVersion();
    m_secondaryVersion = UnknownDeviceVersion();
    m_hasLayoutCode = false;
    if (config == nullptr)
        return false;
    // Without a device the store keeps what it has: there is nothing to list it from.
    CConnectScope scope(*this);
    if (!scope)
        return false;
    bool ok = true;
    // Each part is read whatever the others gave: a failed part must not leave the store without
    // profiles, which the next write would take for profiles to delete.
    if (Descriptor().Has(kCapabilityVersions))
        TakeVersions();
    // Read now, on the open connection: asked for later, it would cost a connection of its own.
    m_hasLayoutCode = ReadLayoutCode(m_layoutCode);
    if (Descriptor().Has(kCapabilityProfiles)) {
        // The store starts afresh from this device: it has seen only what is listed now.
        SeenOnDevice& seen = Seen(config);
        seen = SeenOnDevice();
        ok = ListProfiles(*config, seen) && ok;
        if (Descriptor().Has(kCapabilityKeyAssignments))
            ok = ReadButtonIds() && ok;
    }
    return m_connected && ok;
}

// The connection chose the device by the information it read, versions included: reading it again would
// only add a call that can fail.
void CKeyboard::TakeVersions()
{
    const DeviceInfo& info = m_connection.Info();
    m_firmwareVersion = FormatDeviceVersion(info.firmwareMajor, info.firmwareMinor);
    m_secondaryVersion = FormatDeviceVersion(info.versionBMajor, info.versionBMinor);
}

// The store's profiles become the device's, by name and GUID. A profile that cannot be read is left out
// and the others are still listed: every profile missing here would be deleted by the next write.
bool CKeyboard::ListProfiles(IKeyboardConfig& config, SeenOnDevice& seen)
{
    ComRef<IProfileManager> profiles;
    if (!GetSubObject(Device(), IID_IProfileManager, profiles))
        return false;
    config.ClearProfiles();
    bool ok = true;
    ForEachDeviceProfile(profiles.Get(), [&](ComRef<IDeviceProfile>& device) {
        std::wstring name;
        GUID guid{};
        if (!ReadServiceName(device.Get(), kMaxPathText, name) || !ReadServiceGuid(device.Get(), guid)) {
            ok = false;
            return true;
        }
        IKeyboardProfile* profile = config.AddProfile(name.c_str());
        if (profile == nullptr) {
            ok = false;
            return true;
        }
        SetProfileGuid(*profile, guid);
        seen.AddProfile(guid);
        return true;
    });
    return ok;
}

// The button ids of the active device profile: the buttons every profile's key assignments are written
// for and read from.
bool CKeyboard::ReadButtonIds()
{
    m_buttonIds.clear();
    ComRef<IProfileManager> profiles;
    ComRef<IDeviceProfile> active;
    ComRef<IButtonAssignment> buttons;
    if (!GetSubObject(Device(), IID_IProfileManager, profiles) || FAILED(profiles->GetActiveProfile(active.Put())) ||
        !active || !GetSubObject(active.Get(), IID_IButtonAssignment, buttons))
        return false;
    ButtonAssignmentInfo info = {};
    std::vector<KeyAssignmentRecord> records;
    if (FAILED(buttons->GetInfo(&info)) || !FetchButtonRecords(buttons.Get(), info.buttonCount, records))
        return false;
    for (const KeyAssignmentRecord& record : records)
        m_buttonIds.push_back(record.buttonId);
    return !m_buttonIds.empty();
}

void CKeyboard::Uninitialize()
{
    Base::Uninitialize();
    m_hasLayoutCode = false;
}
bool CKeyboard::IsBusy() { return Base::IsBusy(); }

bool CKeyboard::ImportMacroFile(const wchar_t* path, IKeyboardConfig* config)
{
    return Base::ImportMacroFile(path, config);
}

bool CKeyboard::ExportMacroFile(const wchar_t* path, CMacro* macro) { return Base::ExportMacroFile(path, macro); }
bool CKeyboard::IsMacroOnDevice(CMacro* macro) { return Base::IsMacroOnDevice(macro); }

bool CKeyboard::ImportProfileFile(const wchar_t* path, IKeyboardConfig* config)
{
    if (path == nullptr || config == nullptr || !Descriptor().Has(kCapabilityProfiles))
        return false;
    CConnectScope scope(*this);
    ComRef<IProfileManager> profiles;
    if (!scope || !GetSubObject(Device(), IID_IProfileManager, profiles))
        return false;
    ComRef<IDeviceProfile> imported;
    if (FAILED(profiles->ImportProfileFile(path, imported.Put())) || !imported)
        return false;

    std::wstring name;
    GUID guid{};
    IKeyboardProfile* profile = nullptr;
    SeenOnDevice::KeyMap keys;
    bool ok = ReadServiceName(imported.Get(), kMaxPathText, name) && ReadServiceGuid(imported.Get(), guid);
    if (ok && HasProfileNamed(*config, name)) {
        // One name, one profile: a taken name becomes the name a copy would get, on the keyboard too. The
        // store takes the name the keyboard holds, so a keyboard that refuses the rename fails the import.
        const std::wstring free = ProfileCopyName(*config, name);
        if (!free.empty()) {
            name = free;
            ok = SUCCEEDED(imported->SetName(name.c_str()));
        }
    }
    ok = ok && (profile = config->AddProfile(name.c_str())) != nullptr;
    if (ok) {
        SetProfileGuid(*profile, guid);
        if (Descriptor().Has(kCapabilityProfileProperties))
            ReadProfileProperties(imported.Get(), *profile);
        if (Descriptor().Has(kCapabilityKeyAssignments)) {
            ComRef<IButtonAssignment> buttons;
            ok = GetSubObject(imported.Get(), IID_IButtonAssignment, buttons) &&
                 ReadKeyAssignments(*config, profile, buttons.Get(), m_buttonIds.size(), &keys);
        }
        if (ok && Descriptor().Has(kCapabilityLeds))
            ok = ReadLeds(*config, imported.Get(), profile);
        if (ok) {
            Seen(config).AddProfile(guid);
            if (Descriptor().Has(kCapabilityKeyAssignments))
                Seen(config).SetKeys(guid, std::move(keys));
        }
    }
    if (!ok) {
        // Half an import helps nobody: the store drops the profile and the device the imported copy.
        if (profile != nullptr)
            config->RemoveProfile(profile);
        profiles->DeleteProfile(imported.Get());
    }
    return ok;
}

bool CKeyboard::ExportProfileFile(const wchar_t* path, IKeyboardProfile* profile)
{
    return Base::ExportProfileFile(path, profile);
}

bool CKeyboard::IsProfileOnDevice(IKeyboardProfile* profile) { return Base::IsProfileOnDevice(profile); }

bool CKeyboard::SetDeviceMode(DWORD mode)
{
    CConnectScope scope(*this);
    ComRef<IDeviceMode> deviceMode;
    return scope && GetSubObject(Device(), IID_IDeviceMode, deviceMode) && SUCCEEDED(deviceMode->SetMode(mode));
}

bool CKeyboard::StartMacroRecording() { return SetDeviceMode(kModeRecording); }
bool CKeyboard::StopMacroRecording() { return SetDeviceMode(kModeNormal); }

bool CKeyboard::GetLayoutCode(DWORD& code)
{
    if (!m_hasLayoutCode)
        return false;
    code = m_layoutCode;
    return true;
}

bool CKeyboard::ReadLayoutCode(DWORD& code)
{
    ComRef<IKeyboardLayoutInfo> layout;
    if (FAILED(Device()->QueryInterface(IID_IKeyboardLayoutInfo, reinterpret_cast<void**>(layout.Put()))) || !layout)
        return false;
    DWORD value = 0;
    if (FAILED(layout->GetLayoutCode(&value)))
        return false;
    code = value;
    return true;
}

bool CKeyboard::Transfer(IKeyboardConfig* config, int direction, unsigned mask)
{
    switch (direction) {
    case kTransferWrite:
        return StartDeviceTask(config, mask);
    case kTransferRead:
        return RunDeviceTaskNow(config, mask);
    case kTransferReadInBackground:
        return StartDeviceRead(config, mask);
    default:
        return false;
    }
}

bool CKeyboard::IsConnected() { return Base::IsConnected(); }

bool CKeyboard::GetFirmwareVersion(std::wstring& version)
{
    version = m_firmwareVersion;
    return true;
}

bool CKeyboard::GetSecondaryVersion(std::wstring& version)
{
    version = m_secondaryVersion;
    return true;
}

DWORD CKeyboard::GetProductId() { return Descriptor().productId; }
unsigned CKeyboard::GetDeviceProfileCount() { return Base::GetDeviceProfileCount(); }
unsigned CKeyboard::GetDeviceMacroCount() { return Base::GetDeviceMacroCount(); }
void CKeyboard::SetTransferNotify(HWND window, UINT message) { Base::SetTransferNotify(window, message); }

bool CreateKeyboardDevice(IKeyboardDevice** device, IKeyboardConfig* config)
{
    if (g_keyboard == nullptr)
        g_keyboard = new CKeyboard();
    const bool ok = g_keyboard->Initialize(config);
    if (device != nullptr)
        *device = g_keyboard;
    if (config != nullptr)
        config->SetDevice(g_keyboard);
    InitNameTables();
    return ok;
}

void DestroyKeyboardDevice()
{
    CKeyboard* keyboard = g_keyboard;
    g_keyboard = nullptr;
    delete keyboard;
}

CKeyboard* KeyboardDevice() { return g_keyboard; }

LONG ReadRegistryString(HKEY key, const wchar_t* valueName, wchar_t (&buffer)[kRegistryStringChars])
{
    buffer[0] = L'\0';
    wchar_t data[kRegistryStringChars] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(data);
    const LONG status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATATYPE;
    // The stored bytes need not end with a terminator; the text ends at the first one it holds.
    const size_t stored = std::min<size_t>(size / sizeof(wchar_t), kRegistryStringChars);
    size_t length = 0;
    while (length < stored && data[length] != L'\0')
        ++length;
    if (length >= kRegistryStringChars)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, data, length * sizeof(wchar_t));
    buffer[length] = L'\0';
    return ERROR_SUCCESS;
}
