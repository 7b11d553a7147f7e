// The device service as its clients meet it: COM calls through the registered proxy into the running
// service process, the control pipe playing the keyboard's side, and the memory file it keeps. Every test
// starts the service on a memory file of its own, resets it and stops it at the end.
#include "ServiceTestSupport.h"

#include "service/DeviceRecords.h"
#include "service/InterfacePins.h"
#include "service/sim/StateFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr DWORD kKeyboardProductId = 272;

std::wstring Repeated(std::size_t count)
{
    std::wstring text;
    for (std::size_t i = 0; i < count; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

GUID GuidOf(IDeviceProfile* profile)
{
    GUID guid{};
    EXPECT_HRESULT_SUCCEEDED(profile->GetGuid(&guid));
    return guid;
}

std::wstring NameOf(IDeviceProfile* profile)
{
    CoText name;
    EXPECT_HRESULT_SUCCEEDED(profile->GetName(name.Put()));
    return name.Text();
}

// Whether the file holds the text as the memory file stores it (UTF-16).
bool FileHoldsText(const std::wstring& path, const std::wstring& text)
{
    const std::vector<std::uint8_t> bytes = testfiles::ReadBytes(path);
    const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
    return std::search(bytes.begin(), bytes.end(), first, first + text.size() * sizeof(wchar_t)) != bytes.end();
}

// The helper client, started with `arguments`.
CProgram StartTestClient(const std::wstring& arguments)
{
    return CProgram(testfiles::WinePath(TESSARY_TEST_CLIENT_EXE), arguments);
}

// A profile object of the client's own making: the service must refuse it, not take it for one of its own.
class CForeignProfile : public IDeviceProfile {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDeviceProfile)
            return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetSubObject(REFIID, IUnknown** object) override
    {
        *object = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetGuid(GUID* guid) override
    {
        *guid = GUID{};
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override
    {
        *name = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ExportToFile(LPCWSTR) override { return E_NOTIMPL; }
};

class DeviceServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        m_comReady = true;
        // The tests' event sinks, kept registered as the tray program keeps its own.
        m_sinkPins.PinEventSinks();
        ASSERT_NO_FATAL_FAILURE(m_service.Prepare());
        ASSERT_NO_FATAL_FAILURE(ConnectKeyboard());
        ControlOk("reset");
    }

    void TearDown() override
    {
        ReleaseObjects();
        m_service.Stop();
        m_sinkPins.Release();
        if (m_comReady)
            CoUninitialize();
    }

    void ConnectKeyboard()
    {
        ASSERT_HRESULT_SUCCEEDED(CServiceUnderTest::Connect(m_collection));
        ASSERT_HRESULT_SUCCEEDED(m_collection->GetDevice(0, m_device.Put()));
        ASSERT_HRESULT_SUCCEEDED(m_device->GetSubObject(IID_IProfileManager, reinterpret_cast<IUnknown**>(m_profiles.Put())));
    }

    void ReleaseObjects()
    {
        m_profiles.Reset();
        m_device.Reset();
        m_collection.Reset();
    }

    template <class T>
    void SubObject(IServiceDevice* device, ComRef<T>& object)
    {
        ASSERT_HRESULT_SUCCEEDED(device->GetSubObject(__uuidof(T), reinterpret_cast<IUnknown**>(object.Put())));
    }
    template <class T>
    void SubObject(IDeviceProfile* profile, ComRef<T>& object)
    {
        ASSERT_HRESULT_SUCCEEDED(profile->GetSubObject(__uuidof(T), reinterpret_cast<IUnknown**>(object.Put())));
    }

    void Active(ComRef<IDeviceProfile>& profile) { ASSERT_HRESULT_SUCCEEDED(m_profiles->GetActiveProfile(profile.Put())); }

    DWORD ProfileCount()
    {
        DWORD count = 0;
        ComRef<IDeviceProfile> profile;
        while (SUCCEEDED(m_profiles->GetProfile(count, profile.Put())))
            ++count;
        return count;
    }

    // The number of sinks of the keyboard's outgoing interface that the state dump reports.
    static int SinksConnected(const std::string& events)
    {
        for (const std::string& line : Control("state").lines) {
            const std::size_t at = line.find(" " + events + " ");
            if (line.rfind("  sinks", 0) == 0 && at != std::string::npos)
                return std::atoi(line.c_str() + at + events.size() + 2);
        }
        return -1;
    }

    testfiles::CScopedFolder m_folder;
    CServiceUnderTest m_service{m_folder};
    bool m_comReady = false;
    CInterfacePins m_sinkPins;
    ComRef<IDeviceCollection> m_collection;
    ComRef<IServiceDevice> m_device;
    ComRef<IProfileManager> m_profiles;
};

TEST_F(DeviceServiceTest, NamesComeBackWholeThroughTheProxy)
{
    ComRef<IDeviceProfile> profile;
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    EXPECT_EQ(NameOf(profile.Get()), L"Profile 1");

    const std::wstring names[] = {L"Games", Repeated(259), L"Spiele \u00e9\u00df \u4e2d\u6587 \xD83D\xDE00"};
    for (const std::wstring& name : names) {
        ASSERT_HRESULT_SUCCEEDED(profile->SetName(name.c_str()));
        CoText read;
        ASSERT_HRESULT_SUCCEEDED(profile->GetName(read.Put()));
        ASSERT_FALSE(read.IsNull()) << "a returned name arrived as a null string";
        EXPECT_EQ(read.Text(), name);
    }

    // Longer names are cut at the field, never in the middle of a surrogate pair.
    ASSERT_HRESULT_SUCCEEDED(profile->SetName(Repeated(300).c_str()));
    EXPECT_EQ(NameOf(profile.Get()), Repeated(259));
    const std::wstring pairAtTheLimit = std::wstring(258, L'x') + L"\xD83D\xDE00";
    ASSERT_HRESULT_SUCCEEDED(profile->SetName(pairAtTheLimit.c_str()));
    EXPECT_EQ(NameOf(profile.Get()), std::wstring(258, L'x'));

    ComRef<IMacroStore> macros;
    ComRef<IDeviceMacro> macro;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), macros));
    ASSERT_HRESULT_SUCCEEDED(macros->CreateMacro(macro.Put()));
    ASSERT_HRESULT_SUCCEEDED(macro->SetName(L"Makro \u00fc\u4e2d"));
    CoText macroName;
    ASSERT_HRESULT_SUCCEEDED(macro->GetName(macroName.Put()));
    EXPECT_EQ(macroName.Text(), L"Makro \u00fc\u4e2d");
    ASSERT_HRESULT_SUCCEEDED(macro->SetName(Repeated(300).c_str()));
    ASSERT_HRESULT_SUCCEEDED(macro->GetName(macroName.Put()));
    EXPECT_EQ(macroName.Text(), Repeated(255));

    ComRef<IApplicationEventSource> apps;
    ComRef<IDeviceApp> app;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), apps));
    ASSERT_HRESULT_SUCCEEDED(apps->CreateApp(app.Put()));
    const std::wstring path = L"C:\\Programme\\Spi\u00e9l\\game.exe";
    ASSERT_HRESULT_SUCCEEDED(app->SetName(path.c_str()));
    CoText appName;
    ASSERT_HRESULT_SUCCEEDED(app->GetName(appName.Put()));
    EXPECT_EQ(appName.Text(), path);

    DeviceInfo info{};
    ASSERT_HRESULT_SUCCEEDED(m_device->GetInfo(&info));
    EXPECT_EQ(info.productId, kKeyboardProductId);
    EXPECT_NE(info.text, nullptr);
    FreeDeviceInfo(&info);
}

TEST_F(DeviceServiceTest, EnumerationsEndAtTheLastObjectAndFindsKnowOnlyLiveObjects)
{
    ComRef<IServiceDevice> none;
    EXPECT_HRESULT_FAILED(m_collection->GetDevice(1, none.Put()));
    EXPECT_FALSE(none);

    ComRef<IDeviceProfile> first;
    ComRef<IDeviceProfile> second;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(first.Put()));
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(second.Put()));
    const GUID firstGuid = GuidOf(first.Get());
    const GUID secondGuid = GuidOf(second.Get());
    EXPECT_NE(firstGuid, GUID{});
    EXPECT_NE(firstGuid, secondGuid);
    EXPECT_EQ(ProfileCount(), 3u);

    ComRef<IDeviceProfile> found;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->FindProfile(secondGuid, found.Put()));
    EXPECT_EQ(GuidOf(found.Get()), secondGuid);
    GUID unknown{};
    ASSERT_HRESULT_SUCCEEDED(CoCreateGuid(&unknown));
    EXPECT_HRESULT_FAILED(m_profiles->FindProfile(unknown, found.Put()));

    ASSERT_HRESULT_SUCCEEDED(m_profiles->ActivateProfile(second.Get()));
    ComRef<IDeviceProfile> active;
    ASSERT_NO_FATAL_FAILURE(Active(active));
    EXPECT_EQ(GuidOf(active.Get()), secondGuid);

    // A deleted profile's object fails cleanly; the active one moves to a profile that exists.
    ASSERT_HRESULT_SUCCEEDED(m_profiles->DeleteProfile(second.Get()));
    CoText name;
    EXPECT_HRESULT_FAILED(second->GetName(name.Put()));
    EXPECT_TRUE(name.IsNull());
    EXPECT_HRESULT_FAILED(second->ExportToFile(m_folder.File(L"gone.qnp").c_str()));
    EXPECT_HRESULT_FAILED(m_profiles->FindProfile(secondGuid, found.Put()));
    EXPECT_HRESULT_FAILED(m_profiles->ActivateProfile(second.Get()));
    EXPECT_EQ(ProfileCount(), 2u);
    ASSERT_NO_FATAL_FAILURE(Active(active));
    EXPECT_NE(GuidOf(active.Get()), secondGuid);

    // Only the service's own objects name a profile.
    CForeignProfile foreign;
    EXPECT_EQ(m_profiles->ActivateProfile(&foreign), E_INVALIDARG);
    EXPECT_EQ(m_profiles->DeleteProfile(&foreign), E_INVALIDARG);
    EXPECT_EQ(ProfileCount(), 2u);

    ComRef<IMacroStore> macros;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), macros));
    ComRef<IDeviceMacro> macro;
    EXPECT_HRESULT_FAILED(macros->GetMacro(0, macro.Put()));
    ASSERT_HRESULT_SUCCEEDED(macros->CreateMacro(macro.Put()));
    GUID macroGuid{};
    ASSERT_HRESULT_SUCCEEDED(macro->GetGuid(&macroGuid));
    EXPECT_NE(macroGuid, GUID{});
    ComRef<IDeviceMacro> listed;
    ASSERT_HRESULT_SUCCEEDED(macros->GetMacro(0, listed.Put()));
    EXPECT_HRESULT_FAILED(macros->GetMacro(1, listed.Put()));
    ASSERT_HRESULT_SUCCEEDED(macros->DeleteMacro(macro.Get()));
    EXPECT_HRESULT_FAILED(macros->FindMacro(macroGuid, listed.Put()));

    ComRef<IApplicationEventSource> apps;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), apps));
    ComRef<IDeviceApp> app;
    ASSERT_HRESULT_SUCCEEDED(apps->CreateApp(app.Put()));
    GUID appGuid{};
    ASSERT_HRESULT_SUCCEEDED(app->GetGuid(&appGuid));
    ComRef<IDeviceApp> foundApp;
    ASSERT_HRESULT_SUCCEEDED(apps->FindApp(appGuid, foundApp.Put()));
    EXPECT_HRESULT_FAILED(apps->GetApp(1, foundApp.Put()));
    ASSERT_HRESULT_SUCCEEDED(apps->DeleteApp(app.Get()));
    EXPECT_HRESULT_FAILED(apps->FindApp(appGuid, foundApp.Put()));

    ComRef<IUnknown> nothing;
    EXPECT_EQ(m_device->GetSubObject(IID_IDeviceLed, nothing.Put()), E_NOINTERFACE);
}

TEST_F(DeviceServiceTest, PropertiesAndButtonRecordsReadBackAsSetWithinTheCallersBuffer)
{
    ComRef<IDeviceProfile> profile;
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    ComRef<IProfilePropertyStore> properties;
    ASSERT_NO_FATAL_FAILURE(SubObject(profile.Get(), properties));

    BYTE buffer[kLinkedProgramBytes] = {};
    DWORD size = sizeof(buffer);
    ASSERT_HRESULT_SUCCEEDED(properties->GetProperty(kLinkedProgramProperty, 0, buffer, 0, &size));
    EXPECT_EQ(size, 0u) << "no linked program yet";

    const LinkedProgramProperty program = MakeLinkedProgramProperty(L"game.exe");
    ASSERT_HRESULT_SUCCEEDED(properties->SetProperty(kLinkedProgramProperty, reinterpret_cast<const BYTE*>(&program), 0,
                                                     sizeof(program), 0));
    size = sizeof(buffer);
    ASSERT_HRESULT_SUCCEEDED(properties->GetProperty(kLinkedProgramProperty, 0, buffer, 0, &size));
    EXPECT_EQ(size, kLinkedProgramBytes);
    EXPECT_EQ(ReadLinkedProgramProperty(buffer, size), L"game.exe");

    // A buffer too small for the value: the call fails and the size is not raised past it.
    size = 8;
    EXPECT_HRESULT_FAILED(properties->GetProperty(kLinkedProgramProperty, 0, buffer, 0, &size));
    EXPECT_LE(size, 8u);

    const ProfileFlagsWrite showOsd = MakeProfileFlagsWrite(ShowProfileOsd, true);
    ASSERT_HRESULT_SUCCEEDED(properties->SetProperty(kProfileFlagsProperty, reinterpret_cast<const BYTE*>(&showOsd), 0,
                                                     sizeof(showOsd), 0));
    ProfileFlags flags{};
    size = sizeof(flags);
    ASSERT_HRESULT_SUCCEEDED(properties->GetProperty(kProfileFlagsProperty, 0, reinterpret_cast<BYTE*>(&flags), 0, &size));
    ASSERT_TRUE(ReadProfileFlags(&flags, size, &flags));
    EXPECT_EQ(flags.bits, ShowProfileOsd);
    size = sizeof(buffer);
    EXPECT_HRESULT_FAILED(properties->GetProperty(0x1234, 0, buffer, 0, &size));

    ComRef<IButtonAssignment> buttons;
    ASSERT_NO_FATAL_FAILURE(SubObject(profile.Get(), buttons));
    ButtonAssignmentInfo info{};
    ASSERT_HRESULT_SUCCEEDED(buttons->GetInfo(&info));
    ASSERT_GT(info.buttonCount, 3u);
    std::vector<KeyAssignmentRecord> records(info.buttonCount);
    DWORD count = info.buttonCount;
    ASSERT_HRESULT_SUCCEEDED(buttons->GetAll(&count, records.data()));
    EXPECT_EQ(count, info.buttonCount);

    // Fewer places than buttons: exactly that many records come back.
    std::vector<KeyAssignmentRecord> few(4);
    std::memset(few.data(), 0xEE, few.size() * sizeof(KeyAssignmentRecord));
    count = 3;
    ASSERT_HRESULT_SUCCEEDED(buttons->GetAll(&count, few.data()));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(few[2].buttonId, records[2].buttonId);
    EXPECT_EQ(few[3].buttonId, 0xEEEEEEEEu) << "a record was written past the count given";

    GUID macro{};
    ASSERT_HRESULT_SUCCEEDED(CoCreateGuid(&macro));
    const KeyAssignmentRecord assigned = MakeMacroAssignmentRecord(0, records[2].buttonId, macro, kDevicePlayOnce, 0);
    ASSERT_HRESULT_SUCCEEDED(buttons->SetRecords(1, &assigned));
    KeyAssignmentRecord unknownButton = assigned;
    unknownButton.buttonId = 0xFFFF;
    EXPECT_HRESULT_FAILED(buttons->SetRecords(1, &unknownButton));
    count = info.buttonCount;
    ASSERT_HRESULT_SUCCEEDED(buttons->GetAll(&count, records.data()));
    EXPECT_EQ(std::memcmp(&records[2], &assigned, sizeof(assigned)), 0);
    EXPECT_NE(records[3].serviceType, static_cast<DWORD>(kServiceMacro));
}

TEST_F(DeviceServiceTest, LightsMacroEventsModeAndIdentityReadBackAsSet)
{
    ComRef<IDeviceProfile> profile;
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    ComRef<ILedCollection> lights;
    ASSERT_NO_FATAL_FAILURE(SubObject(profile.Get(), lights));
    std::vector<DWORD> ids;
    ComRef<IDeviceLed> light;
    for (DWORD i = 0; SUCCEEDED(lights->GetLed(i, light.Put())); ++i) {
        DWORD id = 0;
        ASSERT_HRESULT_SUCCEEDED(light->GetId(&id));
        ids.push_back(id);
    }
    EXPECT_EQ(ids, (std::vector<DWORD>{1, 3, 4, 7}));

    ASSERT_HRESULT_SUCCEEDED(lights->GetLed(3, light.Put()));
    ComRef<ILedValue> value;
    ComRef<ILedBlink> blink;
    ComRef<ILedAuxValue> aux;
    ASSERT_TRUE(light.As(IID_ILedValue, value));
    ASSERT_TRUE(light.As(IID_ILedBlink, blink));
    ASSERT_TRUE(light.As(IID_ILedAuxValue, aux));
    ASSERT_HRESULT_SUCCEEDED(value->SetValue(128));
    ASSERT_HRESULT_SUCCEEDED(blink->SetBlink(1, 300, 200));
    ASSERT_HRESULT_SUCCEEDED(aux->SetAuxValue(42));
    ASSERT_HRESULT_SUCCEEDED(light->TurnOn());
    DWORD read = 0, on = 0, off = 0, state = 0;
    ASSERT_HRESULT_SUCCEEDED(value->GetValue(&read));
    EXPECT_EQ(read, 128u);
    ASSERT_HRESULT_SUCCEEDED(blink->GetBlink(&read, &on, &off));
    EXPECT_EQ(std::vector<DWORD>({read, on, off}), std::vector<DWORD>({1, 300, 200}));
    ASSERT_HRESULT_SUCCEEDED(aux->GetAuxValue(&read));
    EXPECT_EQ(read, 42u);
    ASSERT_HRESULT_SUCCEEDED(light->GetState(&state));
    EXPECT_NE(state, 0u);
    ASSERT_HRESULT_SUCCEEDED(light->TurnOff());
    ASSERT_HRESULT_SUCCEEDED(light->GetState(&state));
    EXPECT_EQ(state, 0u);

    ComRef<IMacroStore> macros;
    ComRef<IDeviceMacro> macro;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), macros));
    ASSERT_HRESULT_SUCCEEDED(macros->CreateMacro(macro.Put()));
    const DeviceMacroEvent events[] = {{kDeviceEventKey, 0x1E}, {kDeviceEventDelay, 50}, {kDeviceEventKey, 0x1001E}};
    for (std::size_t count : {std::size_t(3), std::size_t(0)}) {
        MacroEventBuffer* sent = BuildMacroEventBuffer(events, count);
        ASSERT_NE(sent, nullptr);
        ASSERT_HRESULT_SUCCEEDED(macro->SetEvents(sent));
        CoTaskMemFree(sent);
        MacroEventBuffer* got = nullptr;
        ASSERT_HRESULT_SUCCEEDED(macro->GetEvents(&got));
        ASSERT_NE(got, nullptr);
        const std::vector<DeviceMacroEvent> back = ReadReturnedMacroEventBuffer(got);
        CoTaskMemFree(got);
        ASSERT_EQ(back.size(), count);
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_TRUE(back[i].type == events[i].type && back[i].value == events[i].value) << i;
    }

    ComRef<IDeviceMode> mode;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), mode));
    ASSERT_HRESULT_SUCCEEDED(mode->SetMode(2));
    DWORD current = 0;
    ASSERT_HRESULT_SUCCEEDED(mode->GetMode(&current));
    EXPECT_EQ(current, 2u);
    EXPECT_HRESULT_FAILED(mode->SetMode(5));

    ComRef<IDeviceIdentity> identity;
    ComRef<IKeyboardLayoutInfo> layout;
    ASSERT_TRUE(m_device.As(IID_IDeviceIdentity, identity));
    ASSERT_TRUE(m_device.As(IID_IKeyboardLayoutInfo, layout));
    DWORD first = 0, productId = 0, code = 99;
    ASSERT_HRESULT_SUCCEEDED(identity->GetIdentity(&first, &productId));
    EXPECT_EQ(productId, kKeyboardProductId);
    ControlOk("layout 3");
    ASSERT_HRESULT_SUCCEEDED(layout->GetLayoutCode(&code));
    EXPECT_EQ(code, 3u);
}

TEST_F(DeviceServiceTest, TwoClientProcessesShareOneKeyboard)
{
    const std::wstring name = L"Renamed elsewhere \u00e9";
    ASSERT_EQ(StartTestClient(L"rename-active \"" + name + L"\"").WaitForExitBlocking(30000), 0u);
    ComRef<IDeviceProfile> profile;
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    EXPECT_EQ(NameOf(profile.Get()), name);

    // And a second apartment of this process reaches the same device as well.
    ComRef<IDeviceProfile> created;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(created.Put()));
    ASSERT_HRESULT_SUCCEEDED(created->SetName(L"Made on the first thread"));
    std::wstring seen;
    const CHandle thread(CreateThread(nullptr, 0, [](void* out) -> DWORD {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            ComRef<IDeviceCollection> collection;
            ComRef<IServiceDevice> device;
            ComRef<IProfileManager> profiles;
            ComRef<IDeviceProfile> second;
            CoText text;
            if (SUCCEEDED(CServiceUnderTest::Connect(collection)) && SUCCEEDED(collection->GetDevice(0, device.Put())) &&
                SUCCEEDED(device->GetSubObject(IID_IProfileManager, reinterpret_cast<IUnknown**>(profiles.Put()))) &&
                SUCCEEDED(profiles->GetProfile(1, second.Put())) && SUCCEEDED(second->GetName(text.Put())))
                *static_cast<std::wstring*>(out) = text.Text();
        }
        CoUninitialize();
        return 0;
    }, &seen, 0, nullptr));
    ASSERT_FALSE(thread.IsNull());
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 20000));
    EXPECT_EQ(seen, L"Made on the first thread");
}

TEST_F(DeviceServiceTest, EventsReachTheSinksOnTheClientsThreadInOrder)
{
    ComRef<IDeviceProfile> second;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(second.Put()));
    ComRef<IDeviceProfile> active;
    ASSERT_NO_FATAL_FAILURE(Active(active));
    ComRef<IMacroRecordingSource> recording;
    ComRef<IApplicationEventSource> apps;
    ComRef<IDpiSource> dpi;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), recording));
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), apps));
    ASSERT_NO_FATAL_FAILURE(SubObject(active.Get(), dpi));

    CRecordingSink sink;
    const DWORD profileCookie = AdviseSink(m_profiles.Get(), IID__IProfileManagerEvents, sink.Unknown());
    const DWORD recordingCookie = AdviseSink(recording.Get(), IID__IOTFMacroRecordingEvents, sink.Unknown());
    const DWORD appCookie = AdviseSink(apps.Get(), IID__IApplicationEvent, sink.Unknown());
    const DWORD dpiCookie = AdviseSink(dpi.Get(), IID__IDPIEvents, sink.Unknown());
    ASSERT_NE(profileCookie, 0u);
    ASSERT_NE(recordingCookie, 0u);
    ASSERT_NE(appCookie, 0u);
    ASSERT_NE(dpiCookie, 0u);
    EXPECT_EQ(SinksConnected("_IProfileManagerEvents"), 1);

    ControlOk("profile-key");
    ASSERT_TRUE(PumpUntil([&] { return !sink.calls.empty(); })) << "the profile-changed event never arrived";
    EXPECT_EQ(sink.calls[0].what, "profile");
    EXPECT_EQ(sink.calls[0].first, 1u) << "the new active profile's index";
    EXPECT_EQ(sink.calls[0].thread, GetCurrentThreadId());
    ASSERT_NO_FATAL_FAILURE(Active(active));
    EXPECT_EQ(GuidOf(active.Get()), GuidOf(second.Get()));

    ControlOk("record start");
    ControlOk("record stop");
    ControlOk("record finish 0x2001C 7");
    ControlOk("record cancel");
    ControlOk("launch C:\\Program Files\\Spi\xC3\xA9l\\game.exe");
    ControlOk("dpi 800 1600");
    ASSERT_TRUE(PumpUntil([&] { return sink.calls.size() == 7; })) << sink.calls.size() << " events arrived";
    std::vector<std::string> order;
    for (const CRecordingSink::Call& call : sink.calls) {
        order.push_back(call.what);
        EXPECT_EQ(call.thread, GetCurrentThreadId()) << call.what;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"profile", "started", "stopped", "finished", "cancelled", "launch", "dpi"}));
    EXPECT_EQ(sink.calls[3].first, 7u);
    EXPECT_EQ(sink.calls[3].second, 0x2001Cu) << "the button id is the second value";
    EXPECT_EQ(sink.calls[5].first, 1u);
    EXPECT_EQ(sink.calls[5].text, L"C:\\Program Files\\Spi\u00e9l\\game.exe");
    EXPECT_EQ(sink.calls[6].first, 800u);
    EXPECT_EQ(sink.calls[6].second, 1600u);

    EXPECT_HRESULT_SUCCEEDED(UnadviseSink(m_profiles.Get(), IID__IProfileManagerEvents, profileCookie));
    EXPECT_HRESULT_FAILED(UnadviseSink(m_profiles.Get(), IID__IProfileManagerEvents, profileCookie));
    EXPECT_HRESULT_SUCCEEDED(UnadviseSink(recording.Get(), IID__IOTFMacroRecordingEvents, recordingCookie));
    EXPECT_HRESULT_SUCCEEDED(UnadviseSink(apps.Get(), IID__IApplicationEvent, appCookie));
    EXPECT_HRESULT_SUCCEEDED(UnadviseSink(dpi.Get(), IID__IDPIEvents, dpiCookie));
    EXPECT_EQ(SinksConnected("_IProfileManagerEvents"), 0);
    EXPECT_EQ(SinksConnected("_IApplicationEvent"), 0);
}

TEST_F(DeviceServiceTest, EveryChangeOfTheActiveProfileReachesTheOtherProgram)
{
    ComRef<IDeviceProfile> first;
    ASSERT_NO_FATAL_FAILURE(Active(first));
    ComRef<IDeviceProfile> second;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(second.Put()));
    CRecordingSink sink;
    const DWORD cookie = AdviseSink(m_profiles.Get(), IID__IProfileManagerEvents, sink.Unknown());
    ASSERT_NE(cookie, 0u);

    // A program activates a profile, activates it once more (no change), then deletes the active one.
    ASSERT_HRESULT_SUCCEEDED(m_profiles->ActivateProfile(second.Get()));
    ASSERT_HRESULT_SUCCEEDED(m_profiles->ActivateProfile(second.Get()));
    ASSERT_HRESULT_SUCCEEDED(m_profiles->DeleteProfile(second.Get()));
    ASSERT_TRUE(PumpUntil([&] { return sink.calls.size() >= 2; })) << sink.calls.size() << " events arrived";
    EXPECT_EQ(sink.calls[0].first, 1u) << "the activated profile's index";
    EXPECT_EQ(sink.calls[1].first, 0u) << "the deletion made the first profile active; the repeated activation "
                                          "changed nothing and reported nothing";
    EXPECT_HRESULT_SUCCEEDED(UnadviseSink(m_profiles.Get(), IID__IProfileManagerEvents, cookie));
}

TEST_F(DeviceServiceTest, AClientThatDiesLeavesTheServiceWorking)
{
    CRecordingSink sink;
    const DWORD cookie = AdviseSink(m_profiles.Get(), IID__IProfileManagerEvents, sink.Unknown());
    ASSERT_NE(cookie, 0u);
    const std::wstring ready = m_folder.File(L"client-ready");
    const CProgram client = StartTestClient(L"hold \"" + ready + L"\"");
    ASSERT_TRUE(client.Started());
    const bool holding =
        PumpUntil([&] { return FileExists(ready) || WaitForSingleObject(client.Handle(), 0) == WAIT_OBJECT_0; }, 20000);
    EXPECT_TRUE(holding && FileExists(ready)) << "the second client did not connect";
    EXPECT_EQ(SinksConnected("_IProfileManagerEvents"), 2);
    TerminateProcess(client.Handle(), 9);
    WaitForSingleObject(client.Handle(), 10000);

    ControlOk("profile-key");
    ASSERT_TRUE(PumpUntil([&] { return !sink.calls.empty(); })) << "the living sink missed the event";
    EXPECT_TRUE(PumpUntil([&] { return SinksConnected("_IProfileManagerEvents") == 1; }))
        << "the dead client's sink was kept";

    ComRef<IDeviceProfile> profile;
    EXPECT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(profile.Put()));
    EXPECT_HRESULT_SUCCEEDED(UnadviseSink(m_profiles.Get(), IID__IProfileManagerEvents, cookie));
}

TEST_F(DeviceServiceTest, ExportedFilesImportAsNewObjectsAndDamagedFilesChangeNothing)
{
    ComRef<IDeviceProfile> profile;
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    ASSERT_HRESULT_SUCCEEDED(profile->SetName(L"Export \u00e9"));
    ComRef<IProfilePropertyStore> properties;
    ASSERT_NO_FATAL_FAILURE(SubObject(profile.Get(), properties));
    const LinkedProgramProperty program = MakeLinkedProgramProperty(L"editor.exe");
    ASSERT_HRESULT_SUCCEEDED(properties->SetProperty(kLinkedProgramProperty, reinterpret_cast<const BYTE*>(&program), 0,
                                                     sizeof(program), 0));
    const std::wstring profileFile = m_folder.File(L"exported.qnp");
    ASSERT_HRESULT_SUCCEEDED(profile->ExportToFile(profileFile.c_str()));

    ComRef<IDeviceProfile> imported;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->ImportProfileFile(profileFile.c_str(), imported.Put()));
    EXPECT_NE(GuidOf(imported.Get()), GuidOf(profile.Get()));
    EXPECT_EQ(NameOf(imported.Get()), L"Export \u00e9");
    ComRef<IDeviceProfile> listed;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->GetProfile(1, listed.Put()));
    EXPECT_EQ(GuidOf(listed.Get()), GuidOf(imported.Get()));
    ComRef<IProfilePropertyStore> importedProperties;
    ASSERT_NO_FATAL_FAILURE(SubObject(imported.Get(), importedProperties));
    BYTE buffer[kLinkedProgramBytes] = {};
    DWORD size = sizeof(buffer);
    ASSERT_HRESULT_SUCCEEDED(importedProperties->GetProperty(kLinkedProgramProperty, 0, buffer, 0, &size));
    EXPECT_EQ(ReadLinkedProgramProperty(buffer, size), L"editor.exe");

    ComRef<IMacroStore> macros;
    ComRef<IDeviceMacro> macro;
    ASSERT_NO_FATAL_FAILURE(SubObject(m_device.Get(), macros));
    ASSERT_HRESULT_SUCCEEDED(macros->CreateMacro(macro.Put()));
    ASSERT_HRESULT_SUCCEEDED(macro->SetName(L"Combo"));
    const DeviceMacroEvent events[] = {{kDeviceEventKey, 0x1E}, {kDeviceEventDelay, 20}};
    MacroEventBuffer* sent = BuildMacroEventBuffer(events, 2);
    ASSERT_HRESULT_SUCCEEDED(macro->SetEvents(sent));
    CoTaskMemFree(sent);
    const std::wstring macroFile = m_folder.File(L"exported.qnm");
    ASSERT_HRESULT_SUCCEEDED(macro->ExportToFile(macroFile.c_str()));
    ComRef<IDeviceMacro> importedMacro;
    ASSERT_HRESULT_SUCCEEDED(macros->ImportMacroFile(macroFile.c_str(), importedMacro.Put()));
    GUID original{}, copy{};
    ASSERT_HRESULT_SUCCEEDED(macro->GetGuid(&original));
    ASSERT_HRESULT_SUCCEEDED(importedMacro->GetGuid(&copy));
    EXPECT_NE(original, copy);
    MacroEventBuffer* got = nullptr;
    ASSERT_HRESULT_SUCCEEDED(importedMacro->GetEvents(&got));
    EXPECT_EQ(ReadReturnedMacroEventBuffer(got).size(), 2u);
    CoTaskMemFree(got);

    // Damaged files: one changed byte, a cut-off file, a missing file. Nothing is added.
    std::vector<std::uint8_t> bytes = testfiles::ReadBytes(profileFile);
    ASSERT_GT(bytes.size(), 30u);
    bytes[bytes.size() - 5] ^= 0x40;
    WriteBytes(m_folder.File(L"flipped.qnp"), bytes);
    std::vector<std::uint8_t> macroBytes = testfiles::ReadBytes(macroFile);
    macroBytes.resize(macroBytes.size() - 3);
    WriteBytes(m_folder.File(L"short.qnm"), macroBytes);
    const std::string before = Joined(Control("state").lines);
    ComRef<IDeviceProfile> refused;
    ComRef<IDeviceMacro> refusedMacro;
    EXPECT_HRESULT_FAILED(m_profiles->ImportProfileFile(m_folder.File(L"flipped.qnp").c_str(), refused.Put()));
    EXPECT_FALSE(refused);
    EXPECT_HRESULT_FAILED(macros->ImportMacroFile(m_folder.File(L"short.qnm").c_str(), refusedMacro.Put()));
    EXPECT_EQ(m_profiles->ImportProfileFile(m_folder.File(L"missing.qnp").c_str(), refused.Put()),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_HRESULT_FAILED(m_profiles->ImportProfileFile(Repeated(40000).c_str(), refused.Put()));
    EXPECT_EQ(Joined(Control("state").lines), before);
}

// Every change is in the journal beside the memory file before its call answers: a service killed right
// after an answer keeps the change, and its next start puts it into the memory file. A quit answers once
// the memory file holds everything.
TEST_F(DeviceServiceTest, EveryAnsweredChangeOutlivesAKilledService)
{
    ComRef<IDeviceProfile> profile;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(profile.Put()));
    ASSERT_HRESULT_SUCCEEDED(m_profiles->ActivateProfile(profile.Get()));
    for (int i = 0; i < 20; ++i)
        ASSERT_HRESULT_SUCCEEDED(profile->SetName(i % 2 ? L"Busy 1" : L"Busy 2"));
    ASSERT_HRESULT_SUCCEEDED(profile->SetName(L"Survivor"));
    profile.Reset();

    ASSERT_NO_FATAL_FAILURE(KillKeyboardProcess());
    // The old proxies point at a dead process: they fail instead of hanging.
    EXPECT_HRESULT_FAILED(m_profiles->GetActiveProfile(profile.Put()));
    ReleaseObjects();

    ASSERT_NO_FATAL_FAILURE(ConnectKeyboard());
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    EXPECT_EQ(NameOf(profile.Get()), L"Survivor");
    EXPECT_EQ(ProfileCount(), 2u);
    EXPECT_FALSE(FileExists(m_service.StateFile() + L".tmp"));
    EXPECT_TRUE(FileHoldsText(m_service.StateFile(), L"Survivor")) << "the start did not save what it replayed";
    const std::string log = testfiles::ReadText(m_folder.File(L"SimKeyboard.log"));
    EXPECT_NE(log.find("replayed"), std::string::npos) << log;

    ASSERT_HRESULT_SUCCEEDED(profile->SetName(L"Quitter"));
    profile.Reset();
    ReleaseObjects();
    ControlOk("quit");
    EXPECT_TRUE(FileHoldsText(m_service.StateFile(), L"Quitter")) << "quit answered before the save";
}

// A client that finds the service stopped starts it itself and goes on once it serves (not after COM's
// fixed wait); one that finds it serving starts nothing.
TEST_F(DeviceServiceTest, AClientStartsAStoppedServiceOnceAndFindsItServing)
{
    ReleaseObjects();
    ASSERT_TRUE(CServiceUnderTest::StopRunning());
    ASSERT_TRUE(StartDeviceService());
    const ControlReply first = Control("pid");
    ASSERT_EQ(first.status, ControlStatus::Ok) << "serving, yet the keyboard does not answer";
    EXPECT_TRUE(StartDeviceService());
    EXPECT_EQ(Control("pid").lines, first.lines) << "a second service was started";
    ASSERT_NO_FATAL_FAILURE(ConnectKeyboard());
    EXPECT_EQ(ProfileCount(), 1u);
}

TEST_F(DeviceServiceTest, ADamagedMemoryFileIsKeptAsideAndTheFactoryStateUsed)
{
    ComRef<IDeviceProfile> profile;
    ASSERT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(profile.Put()));
    profile.Reset();
    ReleaseObjects();
    ASSERT_TRUE(CServiceUnderTest::StopRunning());
    std::vector<std::uint8_t> bytes = testfiles::ReadBytes(m_service.StateFile());
    ASSERT_GT(bytes.size(), 40u);
    bytes[bytes.size() / 2] ^= 0xFF;
    WriteBytes(m_service.StateFile(), bytes);

    ASSERT_NO_FATAL_FAILURE(ConnectKeyboard());
    EXPECT_EQ(ProfileCount(), 1u) << "the factory state has one profile";
    ASSERT_NO_FATAL_FAILURE(Active(profile));
    EXPECT_EQ(NameOf(profile.Get()), L"Profile 1");
    EXPECT_EQ(testfiles::ReadBytes(m_service.StateFile() + L".corrupt-1"), bytes) << "the damaged file was not kept as it was";
    const std::string log = testfiles::ReadText(m_folder.File(L"SimKeyboard.log"));
    EXPECT_NE(log.find("unusable"), std::string::npos) << log;
    EXPECT_NE(log.find("corrupt-1"), std::string::npos) << log;
}

TEST_F(DeviceServiceTest, InjectedFailuresHitTheNamedCallThenStopAndTheCallLogShowsThem)
{
    const std::wstring logFile = m_folder.File(L"calls.log");
    ControlOk("log " + Utf8FromWide(logFile));
    ComRef<IDeviceProfile> profile;
    ASSERT_NO_FATAL_FAILURE(Active(profile));

    ControlOk("fail IProfileManager.ActivateProfile 2 0x80070005");
    EXPECT_EQ(m_profiles->ActivateProfile(profile.Get()), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(m_profiles->ActivateProfile(profile.Get()), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(m_profiles->ActivateProfile(profile.Get()), S_OK);

    // A bare operation name fails that operation of any interface; E_FAIL by default.
    ControlOk("fail getname 1");
    CoText name;
    EXPECT_EQ(profile->GetName(name.Put()), E_FAIL);
    EXPECT_TRUE(name.IsNull());
    EXPECT_HRESULT_SUCCEEDED(profile->GetName(name.Put()));

    ControlOk("fail CreateProfile 5 0x8007000E");
    ControlOk("fail clear");
    ComRef<IDeviceProfile> created;
    EXPECT_HRESULT_SUCCEEDED(m_profiles->CreateProfile(created.Put()));
    created.Reset();

    // "after": the keyboard carries the call out and only the answer is lost.
    ControlOk("fail CreateProfile 1 0x800706BE after");
    EXPECT_EQ(m_profiles->CreateProfile(created.Put()), HRESULT(0x800706BE));
    EXPECT_FALSE(created) << "a failure handed out an object";
    EXPECT_EQ(ProfileCount(), 3u);

    EXPECT_EQ(Control("fail NoSuchOperation 1").status, ControlStatus::Error);
    EXPECT_EQ(Control("fail ActivateProfile 1 0").status, ControlStatus::Error) << "a success cannot be injected";
    ControlOk("log off");

    const std::string log = testfiles::ReadText(logFile);
    EXPECT_NE(log.find("IProfileManager.ActivateProfile"), std::string::npos) << log;
    EXPECT_NE(log.find("-> 0x80070005"), std::string::npos) << log;
    EXPECT_NE(log.find("IDeviceProfile.GetName"), std::string::npos) << log;
    EXPECT_NE(log.find("IProfileManager.CreateProfile -> 0x00000000"), std::string::npos) << log;
}

TEST_F(DeviceServiceTest, UnpluggedDevicesLeaveTheEnumerationAndTheirObjectsFail)
{
    ControlOk("add-device 0x0111 0");
    ComRef<IServiceDevice> first;
    ComRef<IServiceDevice> keyboard;
    ASSERT_HRESULT_SUCCEEDED(m_collection->GetDevice(0, first.Put()));
    ASSERT_HRESULT_SUCCEEDED(m_collection->GetDevice(1, keyboard.Put()));
    DeviceInfo info{};
    ASSERT_HRESULT_SUCCEEDED(first->GetInfo(&info));
    EXPECT_EQ(info.productId, 0x0111u);
    FreeDeviceInfo(&info);
    ASSERT_HRESULT_SUCCEEDED(keyboard->GetInfo(&info));
    EXPECT_EQ(info.productId, kKeyboardProductId);
    FreeDeviceInfo(&info);

    ControlOk("unplug 1");
    ComRef<IServiceDevice> missing;
    EXPECT_HRESULT_FAILED(m_collection->GetDevice(1, missing.Put()));
    ComRef<IDeviceProfile> profile;
    EXPECT_HRESULT_FAILED(m_profiles->GetActiveProfile(profile.Put())) << "an unplugged keyboard answered";
    EXPECT_EQ(Control("profile-key").status, ControlStatus::Error);

    ControlOk("plug 1");
    EXPECT_HRESULT_SUCCEEDED(m_profiles->GetActiveProfile(profile.Put()));
    EXPECT_EQ(Control("remove-device 1").status, ControlStatus::Error) << "the only keyboard was removed";
    ControlOk("remove-device 0");
    ASSERT_HRESULT_SUCCEEDED(m_collection->GetDevice(0, missing.Put()));
    ASSERT_HRESULT_SUCCEEDED(missing->GetInfo(&info));
    EXPECT_EQ(info.productId, kKeyboardProductId);
    FreeDeviceInfo(&info);
    EXPECT_HRESULT_FAILED(first->GetInfo(&info)) << "a removed device's object still answers";
}

TEST_F(DeviceServiceTest, TheServiceExitsOnItsOwnAfterItsLastClientLeft)
{
    const CHandle process = CServiceUnderTest::OpenServiceProcess();
    ASSERT_FALSE(process.IsNull());
    ReleaseObjects();
    EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0) << "the service stayed without clients";
}

} // namespace
