// The fixture of the tests that drive the simulated keyboard service: the service held and reset to the
// factory state for each test, its call log in the test's folder, a store and a device object of the
// test's own, direct access to the device for preparing and checking it, and the service's state dump
// with GUIDs replaced by their order of appearance for comparing two runs.
#pragma once

#include "DeviceTestSupport.h"
#include "../support/KeyboardProcess.h"

#include "model/GuidWords.h"
#include "model/Keyboard.h"
#include "model/OssleConfig.h"
#include "service/control/ControlClient.h"
#include "skin/AppFolder.h"

#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

constexpr DWORD kServiceStartMs = 15000;

inline ControlReply ServiceCommand(const std::string& command)
{
    ControlOptions options;
    options.pipeMs = kServiceStartMs;
    return SendControlCommand(command, options);
}

// The calls of finding the keyboard: creating the service root, listing devices and reading their
// information.
inline bool IsSearchCall(const std::string& call)
{
    return call == "IClassFactory.CreateInstance" || call == "IDeviceCollection.GetDevice" ||
           call == "IServiceDevice.GetInfo";
}

inline std::string GuidHex(const GUID& guid)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&guid);
    std::string hex;
    char text[4];
    for (size_t i = 0; i < sizeof(GUID); ++i) {
        std::snprintf(text, sizeof(text), "%02X", bytes[i]);
        hex += text;
    }
    return hex;
}

inline bool ParseGuidText(const std::string& text, GUID& guid)
{
    unsigned long d1 = 0;
    unsigned d2 = 0, d3 = 0, b[8] = {};
    if (std::sscanf(text.c_str(), "{%8lX-%4X-%4X-%2X%2X-%2X%2X%2X%2X%2X%2X}", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                    &b[3], &b[4], &b[5], &b[6], &b[7]) != 11)
        return false;
    guid.Data1 = DWORD(d1);
    guid.Data2 = WORD(d2);
    guid.Data3 = WORD(d3);
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = BYTE(b[i]);
    return true;
}

class DeviceLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadProductKeyboard());
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_com = true;
        // A service that is just ending answers for a moment as if it were not there: tried again until
        // the deadline.
        ASSERT_TRUE(m_hold.AcquireServing(kServiceStartMs))
            << "the device service is not registered in this Wine prefix, or its control pipe never opened";
        Command("reset");
        Command("plug");
        m_logPath = m_folder.File(L"calls.log");
        Command("log " + Utf8FromWide(m_logPath));
        SetAppFolder(m_folder.Path());
        m_store = std::make_unique<COssleConfig>();
    }

    void TearDown() override
    {
        m_keyboard.reset();
        EXPECT_TRUE(PumpUntil([] { return RunningDeviceTasks() == 0; })) << "a write outlived its test";
        m_store.reset();
        // Every test gets a keyboard process of its own: the next client starts a new one. A process
        // that served one test after another could stall in Wine's COM when one client's last release of
        // an interface meets another client's call to it.
        CHandle worker;
        if (m_hold.Held()) {
            ServiceCommand("log off");
            ServiceCommand("reset");
            worker = QuitKeyboardProcess(kServiceStartMs);
        }
        m_hold.Release();
        if (!worker.IsNull()) {
            EXPECT_EQ(WaitForSingleObject(worker, kServiceStartMs), WAIT_OBJECT_0) << "the keyboard process did not end";
            worker.CloseHandle();
        }
        ResetAppFolder();
        if (m_com)
            CoUninitialize();
    }

    void Command(const std::string& command)
    {
        const ControlReply reply = ServiceCommand(command);
        ASSERT_EQ(reply.status, ControlStatus::Ok) << command << ": " << reply.message;
    }

    // After the keyboard process ended: holds the next one, which the hold starts, and logs its calls.
    void HoldNewKeyboardProcess()
    {
        m_hold.Release();
        ASSERT_TRUE(m_hold.AcquireServing(kServiceStartMs));
        Command("log " + Utf8FromWide(m_logPath));
    }

    CKeyboard& Keyboard()
    {
        if (!m_keyboard) {
            m_keyboard = std::make_unique<CKeyboard>();
            m_keyboard->SetCompletionPause(0);
            m_keyboard->SetTransferNotify(m_reports.Handle(), kWriteDoneMessage);
        }
        return *m_keyboard;
    }
    // A device object and store as the configurator has them after start-up: initialised and read.
    void StartUp()
    {
        ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
        ASSERT_TRUE(Keyboard().Transfer(m_store.get(), kTransferRead, kTransferReadMask));
    }
    // Starts a write and waits for its report: 1 success, 0 failure, -1 no report, -2 not started.
    int Write(unsigned mask = kTransferWriteMask)
    {
        if (!Keyboard().Transfer(m_store.get(), kTransferWrite, mask))
            return -2;
        return m_reports.WaitForReport();
    }

    // The service's state without the lines about the service itself.
    std::string State()
    {
        const ControlReply reply = ServiceCommand("state");
        EXPECT_EQ(reply.status, ControlStatus::Ok) << reply.message;
        std::string text;
        for (const std::string& line : reply.lines) {
            if (line.rfind("state-file", 0) == 0 || line.rfind("call-log", 0) == 0 || line.rfind("fault", 0) == 0)
                continue;
            text += line + "\n";
        }
        return text;
    }

    // The state with every GUID, also where records hold its bytes, named by order of appearance.
    std::string NormalizedState()
    {
        std::string text = State();
        const std::regex guidText("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
        std::map<std::string, std::string> names;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), guidText); it != std::sregex_iterator(); ++it) {
            GUID guid{};
            if (names.count(it->str()) == 0 && ParseGuidText(it->str(), guid))
                names[it->str()] = "<guid" + std::to_string(names.size()) + ">";
        }
        for (const auto& [shown, name] : names) {
            GUID guid{};
            ParseGuidText(shown, guid);
            for (const std::string& form : {shown, GuidHex(guid)}) {
                for (size_t at = text.find(form); at != std::string::npos; at = text.find(form, at))
                    text.replace(at, form.size(), name);
            }
        }
        return text;
    }

    // The operations the service logged ("IProfileManager.CreateProfile"), from the mark on.
    std::vector<std::string> Calls()
    {
        std::ifstream in(m_logPath.c_str());
        std::vector<std::string> calls;
        std::string line;
        for (size_t n = 0; std::getline(in, line); ++n) {
            if (n < m_mark)
                continue;
            std::istringstream words(line);
            std::string date, time, operation;
            words >> date >> time >> operation;
            calls.push_back(operation);
        }
        return calls;
    }
    void Mark()
    {
        m_mark = 0;
        std::ifstream in(m_logPath.c_str());
        std::string line;
        while (std::getline(in, line))
            ++m_mark;
    }
    size_t CountCalls(const std::string& operation)
    {
        size_t count = 0;
        for (const std::string& call : Calls())
            count += call == operation ? 1 : 0;
        return count;
    }

    IKeyboardProfile* Profile(const wchar_t* name) { return m_store->FindProfileByName(name); }
    KeyAssignment Key(const wchar_t* key, IKeyboardProfile* profile)
    {
        KeyAssignment assignment;
        m_store->GetKeyAssignment(assignment, KeyIdOf(key), profile);
        return assignment;
    }
    void SetKey(const wchar_t* key, const KeyAssignment& assignment, IKeyboardProfile* profile)
    {
        ASSERT_TRUE(m_store->SetKeyAssignment(KeyIdOf(key), assignment, profile));
    }
    static GUID GuidOf(const IKeyboardProfile* profile)
    {
        GUID guid{};
        profile->GetGuid(guid);
        return guid;
    }

    testfiles::CScopedFolder m_folder;
    CReportWindow m_reports;
    std::unique_ptr<COssleConfig> m_store;
    std::unique_ptr<CKeyboard> m_keyboard;

private:
    CServiceHold m_hold;
    bool m_com = false;
    std::wstring m_logPath;
    size_t m_mark = 0;
};

// The device as a second client sees it, for preparing content the configurator did not write and for
// checking what it wrote. Calls go through the same service on the test's thread.
class CDeviceSide {
public:
    CDeviceSide()
    {
        EXPECT_TRUE(m_connection.Open(kKeyboardProduct.productId));
        EXPECT_TRUE(GetSubObject(m_connection.Device(), IID_IProfileManager, m_profiles));
        EXPECT_TRUE(GetSubObject(m_connection.Device(), IID_IMacroStore, m_macros));
        EXPECT_TRUE(GetSubObject(m_connection.Device(), IID_IApplicationEventSource, m_apps));
    }

    ComRef<IDeviceProfile> Profile(const GUID& guid)
    {
        ComRef<IDeviceProfile> profile;
        EXPECT_EQ(m_profiles->FindProfile(guid, profile.Put()), S_OK);
        return profile;
    }
    GUID ProfileAt(DWORD index)
    {
        ComRef<IDeviceProfile> profile;
        GUID guid{};
        if (SUCCEEDED(m_profiles->GetProfile(index, profile.Put())))
            profile->GetGuid(&guid);
        return guid;
    }
    GUID CreateProfile(const wchar_t* name)
    {
        ComRef<IDeviceProfile> profile;
        GUID guid{};
        EXPECT_EQ(m_profiles->CreateProfile(profile.Put()), S_OK);
        if (profile) {
            profile->GetGuid(&guid);
            profile->SetName(name);
        }
        return guid;
    }
    void DeleteProfile(const GUID& guid) { EXPECT_EQ(m_profiles->DeleteProfile(Profile(guid).Get()), S_OK); }
    void Activate(const GUID& guid) { EXPECT_EQ(m_profiles->ActivateProfile(Profile(guid).Get()), S_OK); }

    void SetRecord(const GUID& profile, const KeyAssignmentRecord& record)
    {
        ComRef<IButtonAssignment> buttons;
        ASSERT_TRUE(GetSubObject(Profile(profile).Get(), IID_IButtonAssignment, buttons));
        EXPECT_EQ(buttons->SetRecords(1, &record), S_OK);
    }
    KeyAssignmentRecord RecordOf(const GUID& profile, DWORD buttonId)
    {
        ComRef<IButtonAssignment> buttons;
        KeyAssignmentRecord found = {};
        if (!GetSubObject(Profile(profile).Get(), IID_IButtonAssignment, buttons))
            return found;
        std::vector<KeyAssignmentRecord> records(512);
        DWORD count = DWORD(records.size());
        EXPECT_EQ(buttons->GetAll(&count, records.data()), S_OK);
        for (DWORD i = 0; i < count && i < records.size(); ++i) {
            if (records[i].buttonId == buttonId)
                found = records[i];
        }
        return found;
    }
    void SetProperty(const GUID& profile, DWORD key, const void* data, DWORD size)
    {
        ComRef<IProfilePropertyStore> properties;
        ASSERT_TRUE(GetSubObject(Profile(profile).Get(), IID_IProfilePropertyStore, properties));
        EXPECT_EQ(properties->SetProperty(key, static_cast<const BYTE*>(data), 0, size, 0), S_OK);
    }
    void SetFlag(const GUID& profile, ProfileFlagBit bit, bool on)
    {
        const ProfileFlagsWrite write = MakeProfileFlagsWrite(bit, on);
        SetProperty(profile, kProfileFlagsProperty, &write, sizeof(write));
    }
    void SetProgram(const GUID& profile, const std::wstring& fileName)
    {
        const LinkedProgramProperty program = MakeLinkedProgramProperty(fileName);
        SetProperty(profile, kLinkedProgramProperty, &program, sizeof(program));
    }
    void SetLed(const GUID& profile, DWORD id, bool on)
    {
        ComRef<ILedCollection> leds;
        ASSERT_TRUE(GetSubObject(Profile(profile).Get(), IID_ILedCollection, leds));
        for (DWORD index = 0; index < 64; ++index) {
            ComRef<IDeviceLed> led;
            DWORD ledId = 0;
            if (FAILED(leds->GetLed(index, led.Put())))
                break;
            if (SUCCEEDED(led->GetId(&ledId)) && ledId == id) {
                EXPECT_EQ(on ? led->TurnOn() : led->TurnOff(), S_OK);
            }
        }
    }

    GUID CreateMacro(const wchar_t* name, const std::vector<DeviceMacroEvent>& events)
    {
        ComRef<IDeviceMacro> macro;
        GUID guid{};
        EXPECT_EQ(m_macros->CreateMacro(macro.Put()), S_OK);
        if (!macro)
            return guid;
        macro->GetGuid(&guid);
        macro->SetName(name);
        MacroEventBuffer* buffer = BuildMacroEventBuffer(events.data(), events.size());
        EXPECT_EQ(macro->SetEvents(buffer), S_OK);
        CoTaskMemFree(buffer);
        return guid;
    }
    void DeleteMacro(const GUID& guid)
    {
        ComRef<IDeviceMacro> macro;
        ASSERT_EQ(m_macros->FindMacro(guid, macro.Put()), S_OK);
        EXPECT_EQ(m_macros->DeleteMacro(macro.Get()), S_OK);
    }
    std::wstring MacroName(const GUID& guid)
    {
        ComRef<IDeviceMacro> macro;
        std::wstring name;
        if (SUCCEEDED(m_macros->FindMacro(guid, macro.Put())))
            ReadServiceName(macro.Get(), 1000, name);
        return name;
    }
    std::wstring ProfileName(const GUID& guid)
    {
        std::wstring name;
        ReadServiceName(Profile(guid).Get(), 1000, name);
        return name;
    }
    GUID CreateApp(const wchar_t* name)
    {
        ComRef<IDeviceApp> app;
        GUID guid{};
        EXPECT_EQ(m_apps->CreateApp(app.Put()), S_OK);
        if (app) {
            app->GetGuid(&guid);
            app->SetName(name);
        }
        return guid;
    }

private:
    CDeviceConnection m_connection;
    ComRef<IProfileManager> m_profiles;
    ComRef<IMacroStore> m_macros;
    ComRef<IApplicationEventSource> m_apps;
};

inline KeyAssignmentRecord KeyRecord(DWORD buttonId, uint16_t scanCode, DWORD modifiers)
{
    KeyAssignmentRecord record = {};
    record.leading = 1;
    record.buttonId = buttonId;
    record.serviceType = kServiceKey;
    SetRecordField(record, kRecordKeyScanOffset, scanCode);
    SetRecordField(record, kRecordKeyModifiersOffset, modifiers);
    return record;
}

inline KeyAssignmentRecord GuidRecord(DWORD buttonId, DWORD type, const GUID& guid)
{
    KeyAssignmentRecord record = {};
    record.leading = 1;
    record.buttonId = buttonId;
    record.serviceType = type;
    if (type == kServiceProfileSwitch) {
        SetRecordField(record, kRecordCodeOffset, DWORD(3));
        SetRecordField(record, kRecordArgumentOffset, guid);
    } else {
        SetRecordField(record, kRecordGuidOffset, guid);
    }
    return record;
}
