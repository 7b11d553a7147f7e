// Helpers of the tray program's tests against the simulated keyboard service: the keyboard as the test
// sets it up and reads it back through the service's own interfaces, and a hidden dialog that counts
// the events that reached it.
#pragma once

#include "../service/ServiceTestSupport.h"
#include "FakeTrayPlatform.h"

#include "service/DeviceRecords.h"
#include "tray/FennSysTrayDlg.h"

#include <string>
#include <vector>

// The keyboard (device 0) through the service, for arranging a test and checking its outcome.
class CTestKeyboard {
public:
    bool Open()
    {
        if (FAILED(CServiceUnderTest::Connect(m_root)))
            return false;
        for (DWORD index = 0; index < 16; ++index) {
            if (FAILED(m_root->GetDevice(index, m_device.Put())))
                break;
            ComRef<IDeviceIdentity> identity;
            DWORD value = 0;
            DWORD product = 0;
            if (m_device.As(IID_IDeviceIdentity, identity) && SUCCEEDED(identity->GetIdentity(&value, &product)) &&
                product == 0x0110) {
                return SUCCEEDED(m_device->GetSubObject(IID_IProfileManager, reinterpret_cast<IUnknown**>(m_profiles.Put())));
            }
        }
        m_device.Reset();
        return false;
    }

    void Close()
    {
        m_profiles.Reset();
        m_device.Reset();
        m_root.Reset();
    }

    // A new profile with this name, not activated.
    bool AddProfile(const std::wstring& name)
    {
        ComRef<IDeviceProfile> profile;
        return SUCCEEDED(m_profiles->CreateProfile(profile.Put())) && SUCCEEDED(profile->SetName(name.c_str()));
    }

    std::wstring ActiveName()
    {
        ComRef<IDeviceProfile> active;
        CoText name;
        if (FAILED(m_profiles->GetActiveProfile(active.Put())) || FAILED(active->GetName(name.Put())))
            return L"<none>";
        return name.Text();
    }

    DWORD Mode()
    {
        ComRef<IDeviceMode> mode;
        DWORD value = 0;
        if (FAILED(m_device->GetSubObject(IID_IDeviceMode, reinterpret_cast<IUnknown**>(mode.Put()))) ||
            FAILED(mode->GetMode(&value)))
            return 0;
        return value;
    }

    struct Light {
        bool found = false;
        DWORD on = 0;
        DWORD blink = 0;
        DWORD onMs = 0;
        DWORD offMs = 0;
    };
    // A light of the active profile.
    Light ActiveLight(DWORD id)
    {
        Light light;
        ComRef<IDeviceProfile> active;
        ComRef<ILedCollection> lights;
        if (FAILED(m_profiles->GetActiveProfile(active.Put())) ||
            FAILED(active->GetSubObject(IID_ILedCollection, reinterpret_cast<IUnknown**>(lights.Put()))))
            return light;
        for (DWORD index = 0; index < 32; ++index) {
            ComRef<IDeviceLed> led;
            DWORD ledId = 0;
            if (FAILED(lights->GetLed(index, led.Put())))
                break;
            if (FAILED(led->GetId(&ledId)) || ledId != id)
                continue;
            ComRef<ILedBlink> blink;
            light.found = SUCCEEDED(led->GetState(&light.on)) && led.As(IID_ILedBlink, blink) &&
                          SUCCEEDED(blink->GetBlink(&light.blink, &light.onMs, &light.offMs));
            break;
        }
        return light;
    }

    struct Macro {
        std::wstring name;
        GUID guid{};
        std::vector<DeviceMacroEvent> events;
    };
    std::vector<Macro> Macros()
    {
        std::vector<Macro> macros;
        ComRef<IMacroStore> store;
        if (FAILED(m_device->GetSubObject(IID_IMacroStore, reinterpret_cast<IUnknown**>(store.Put()))))
            return macros;
        for (DWORD index = 0; index < 1024; ++index) {
            ComRef<IDeviceMacro> macro;
            if (FAILED(store->GetMacro(index, macro.Put())))
                break;
            Macro entry;
            CoText name;
            macro->GetName(name.Put());
            entry.name = name.Text();
            macro->GetGuid(&entry.guid);
            MacroEventBuffer* buffer = nullptr;
            if (SUCCEEDED(macro->GetEvents(&buffer)) && buffer) {
                entry.events = ReadReturnedMacroEventBuffer(buffer);
                CoTaskMemFree(buffer);
            }
            macros.push_back(entry);
        }
        return macros;
    }

    // The active profile's records, in the device's button order.
    std::vector<KeyAssignmentRecord> ActiveRecords()
    {
        std::vector<KeyAssignmentRecord> records;
        ComRef<IDeviceProfile> active;
        ComRef<IButtonAssignment> buttons;
        ButtonAssignmentInfo info{};
        if (FAILED(m_profiles->GetActiveProfile(active.Put())) ||
            FAILED(active->GetSubObject(IID_IButtonAssignment, reinterpret_cast<IUnknown**>(buttons.Put()))) ||
            FAILED(buttons->GetInfo(&info)))
            return records;
        records.resize(info.buttonCount);
        DWORD count = info.buttonCount;
        if (FAILED(buttons->GetAll(&count, records.data())))
            return {};
        records.resize(count);
        return records;
    }

    bool RecordOf(DWORD buttonId, KeyAssignmentRecord& record)
    {
        for (const KeyAssignmentRecord& candidate : ActiveRecords()) {
            if (candidate.buttonId == buttonId) {
                record = candidate;
                return true;
            }
        }
        return false;
    }

private:
    ComRef<IDeviceCollection> m_root;
    ComRef<IServiceDevice> m_device;
    ComRef<IProfileManager> m_profiles;
};

// The hidden dialog, counting each event of the service after handling it.
class CObservedTrayDialog : public tray::CFennSysTrayDlg {
public:
    int profileEvents = 0;
    int started = 0;
    int stopped = 0;
    int finished = 0;
    int cancelled = 0;
    int launches = 0;
    std::vector<std::wstring> shown;  // names the on-screen display was asked to show

    void ShowOsdProfileName(const std::wstring& name) override
    {
        shown.push_back(name);
        CFennSysTrayDlg::ShowOsdProfileName(name);
    }

    void OnProfileChanged(DWORD value) override
    {
        CFennSysTrayDlg::OnProfileChanged(value);
        ++profileEvents;
    }
    void OnRecordingStarted() override
    {
        CFennSysTrayDlg::OnRecordingStarted();
        ++started;
    }
    void OnRecordingStopped() override
    {
        CFennSysTrayDlg::OnRecordingStopped();
        ++stopped;
    }
    void OnRecordingFinished(DWORD value, DWORD buttonId) override
    {
        CFennSysTrayDlg::OnRecordingFinished(value, buttonId);
        ++finished;
    }
    void OnRecordingCancelled() override
    {
        CFennSysTrayDlg::OnRecordingCancelled();
        ++cancelled;
    }
    void OnLaunchApplication(DWORD kind, const wchar_t* file) override
    {
        CFennSysTrayDlg::OnLaunchApplication(kind, file);
        ++launches;
    }
};

// The sink counts the service reports for the keyboard: profile, recording, sensitivity, launch.
inline std::string SinkCounts()
{
    for (const std::string& line : ControlOk("state")) {
        const size_t at = line.find("sinks ");
        if (at == std::string::npos)
            continue;
        std::string counts;
        size_t pos = at + 6;
        while (pos < line.size()) {
            const size_t space = line.find(' ', pos);
            const size_t end = line.find(' ', space + 1);
            counts += (counts.empty() ? "" : " ") + line.substr(space + 1, end == std::string::npos ? std::string::npos : end - space - 1);
            if (end == std::string::npos)
                break;
            pos = end + 1;
        }
        return counts;
    }
    return "(no sinks line)";
}
