// The proxy/stub DLL: its class object, a stub for every interface, and calls that cross an apartment
// boundary through it (the same marshalling a call to the service process takes) to stand-in objects
// on a thread of their own. Nothing goes into the registry: each apartment names the DLL's class for
// the interfaces itself, and that ends with the apartment.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "service/DeviceRecords.h"

namespace {

constexpr DWORD kDeadlineMs = 10000;

const IID* const kServiceInterfaces[] = {
    &IID_IDeviceCollection, &IID_IServiceDevice,     &IID_IDeviceIdentity,        &IID_IKeyboardLayoutInfo,
    &IID_IProfileManager,   &IID_IDeviceProfile,     &IID_IProfilePropertyStore,  &IID_IButtonAssignment,
    &IID_ILedCollection,    &IID_IDeviceLed,         &IID_ILedValue,              &IID_ILedBlink,
    &IID_ILedAuxValue,      &IID_IMacroStore,        &IID_IDeviceMacro,           &IID_IDeviceApp,
    &IID_IApplicationEventSource, &IID_IDeviceMode,  &IID_IMacroRecordingSource,  &IID_IDpiSource,
    &IID__IProfileManagerEvents,  &IID__IOTFMacroRecordingEvents, &IID__IDPIEvents, &IID__IApplicationEvent,
};

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// The DLL stays loaded for the rest of the test program: COM may hold its factory until exit.
GetClassObjectFn ProxyDllGetClassObject()
{
    static GetClassObjectFn function = [] {
        std::string unixPath = TESSARY_PROXY_DLL;
        std::wstring path = L"Z:";
        for (char c : unixPath)
            path += c == '/' ? L'\\' : wchar_t(c);
        HMODULE module = LoadLibraryW(path.c_str());
        if (!module)
            return GetClassObjectFn(nullptr);
        return reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    }();
    return function;
}

// Makes the current apartment build proxies and stubs of the service's interfaces from the DLL.
class ProxyRegistration {
public:
    ProxyRegistration()
    {
        IUnknown* factory = nullptr;
        GetClassObjectFn get = ProxyDllGetClassObject();
        if (!get || FAILED(get(CLSID_DeviceServiceProxy, IID_IUnknown, reinterpret_cast<void**>(&factory))))
            return;
        m_ok = SUCCEEDED(CoRegisterClassObject(CLSID_DeviceServiceProxy, factory, CLSCTX_INPROC_SERVER,
                                               REGCLS_MULTIPLEUSE, &m_cookie));
        factory->Release();
        for (const IID* iid : kServiceInterfaces)
            m_ok = m_ok && SUCCEEDED(CoRegisterPSClsid(*iid, CLSID_DeviceServiceProxy));
    }
    ~ProxyRegistration()
    {
        if (m_cookie)
            CoRevokeClassObject(m_cookie);
    }
    bool ok() const { return m_ok; }

private:
    DWORD m_cookie = 0;
    bool m_ok = false;
};

// The server object a stub is built over: the stub only asks it for the interface, never calls it.
class AnyInterfaceObject : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

LPWSTR CoTaskText(const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy)
        std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

const GUID kProfileGuid = {0x6A1F0C2D, 0x3B4E, 0x4F50, {0x81, 0x92, 0xA3, 0xB4, 0xC5, 0xD6, 0xE7, 0xF8}};

// One object in the role of every service object and of a client's event sink. It records what it was
// given; the test reads that back after its synchronous calls returned.
class FakeServiceObject : public IServiceDevice,
                          public IProfileManager,
                          public IDeviceProfile,
                          public IProfilePropertyStore,
                          public IButtonAssignment,
                          public IDeviceMacro,
                          public IDeviceApp,
                          public _IApplicationEvent,
                          public _IOTFMacroRecordingEvents {
public:
    // What the object answers.
    std::wstring name = L"Profile \u00e9 1";
    bool nullName = false;
    std::vector<BYTE> property{1, 2, 3, 4, 5, 6};
    DWORD extraReported = 0;  // added to the size or count a read reports, breaking the buffer rule
    std::vector<KeyAssignmentRecord> records;
    std::vector<DeviceMacroEvent> events;
    // What it was given.
    std::vector<BYTE> setProperty;
    DWORD setPropertyKey = 0;
    std::vector<KeyAssignmentRecord> setRecords;
    std::wstring launched;
    DWORD launchKind = 0;
    DWORD finishedValue = 0;
    DWORD finishedButton = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IServiceDevice)
            *object = static_cast<IServiceDevice*>(this);
        else if (riid == IID_IProfileManager)
            *object = static_cast<IProfileManager*>(this);
        else if (riid == IID_IDeviceProfile)
            *object = static_cast<IDeviceProfile*>(this);
        else if (riid == IID_IProfilePropertyStore)
            *object = static_cast<IProfilePropertyStore*>(this);
        else if (riid == IID_IButtonAssignment)
            *object = static_cast<IButtonAssignment*>(this);
        else if (riid == IID_IDeviceMacro)
            *object = static_cast<IDeviceMacro*>(this);
        else if (riid == IID_IDeviceApp)
            *object = static_cast<IDeviceApp*>(this);
        else if (riid == IID__IApplicationEvent)
            *object = static_cast<_IApplicationEvent*>(this);
        else if (riid == IID__IOTFMacroRecordingEvents)
            *object = static_cast<_IOTFMacroRecordingEvents*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    // The test owns the object; counting is only kept so that leaks would show.
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(InterlockedDecrement(&m_refs)); }
    LONG refs() const { return m_refs; }

    // IServiceDevice and IDeviceProfile
    HRESULT STDMETHODCALLTYPE GetInfo(DeviceInfo* info) override
    {
        *info = DeviceInfo{0, 272, 2, 3, 1, 5, CoTaskText(L"keyboard")};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSubObject(REFIID riid, IUnknown** object) override
    {
        return QueryInterface(riid, reinterpret_cast<void**>(object));
    }

    // IProfileManager
    HRESULT STDMETHODCALLTYPE GetProfile(DWORD index, IDeviceProfile** profile) override
    {
        *profile = nullptr;
        if (index != 0)
            return E_INVALIDARG;
        AddRef();
        *profile = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindProfile(GUID guid, IDeviceProfile** profile) override
    {
        *profile = nullptr;
        if (guid != kProfileGuid)
            return E_INVALIDARG;
        AddRef();
        *profile = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ActivateProfile(IDeviceProfile*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetActiveProfile(IDeviceProfile** profile) override { return GetProfile(0, profile); }
    HRESULT STDMETHODCALLTYPE CreateProfile(IDeviceProfile** profile) override { return GetProfile(0, profile); }
    HRESULT STDMETHODCALLTYPE DeleteProfile(IDeviceProfile*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ImportProfileFile(LPCWSTR, IDeviceProfile** profile) override
    {
        return GetProfile(0, profile);
    }

    // IDeviceProfile, IDeviceMacro, IDeviceApp
    HRESULT STDMETHODCALLTYPE GetGuid(GUID* guid) override
    {
        *guid = kProfileGuid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* text) override
    {
        *text = nullName ? nullptr : CoTaskText(name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR text) override
    {
        name = text;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ExportToFile(LPCWSTR) override { return S_OK; }

    // IProfilePropertyStore
    HRESULT STDMETHODCALLTYPE GetProperty(DWORD, DWORD, BYTE* buffer, DWORD, DWORD* size) override
    {
        const DWORD n = std::min<DWORD>(*size, DWORD(property.size()));
        if (n != 0 && buffer)
            std::memcpy(buffer, property.data(), n);
        *size = n + extraReported;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProperty(DWORD key, const BYTE* buffer, DWORD, DWORD size, DWORD) override
    {
        setPropertyKey = key;
        setProperty.assign(buffer, buffer + size);
        return S_OK;
    }

    // IButtonAssignment
    HRESULT STDMETHODCALLTYPE GetInfo(ButtonAssignmentInfo* info) override
    {
        *info = ButtonAssignmentInfo{0, DWORD(records.size())};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAll(DWORD* count, KeyAssignmentRecord* buffer) override
    {
        const DWORD n = std::min<DWORD>(*count, DWORD(records.size()));
        std::memcpy(buffer, records.data(), n * sizeof(KeyAssignmentRecord));
        *count = n + extraReported;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRecords(DWORD count, const KeyAssignmentRecord* given) override
    {
        setRecords.assign(given, given + count);
        return S_OK;
    }

    // IDeviceMacro
    HRESULT STDMETHODCALLTYPE GetEvents(MacroEventBuffer** buffer) override
    {
        *buffer = BuildMacroEventBuffer(events.data(), events.size());
        return *buffer ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE SetEvents(const MacroEventBuffer* buffer) override
    {
        events.assign(buffer->events, buffer->events + buffer->count);
        return S_OK;
    }

    // _IApplicationEvent
    HRESULT STDMETHODCALLTYPE OnLaunchApplication(DWORD kind, LPCWSTR file) override
    {
        launchKind = kind;
        launched = file;
        return S_OK;
    }

    // _IOTFMacroRecordingEvents
    HRESULT STDMETHODCALLTYPE OnRecordingStarted() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordingStopped() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordingFinished(DWORD value, DWORD buttonId) override
    {
        finishedValue = value;
        finishedButton = buttonId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRecordingCancelled() override { return S_OK; }

private:
    LONG m_refs = 1;
};

// A single-threaded apartment on a thread of its own, like the service process's, that marshals the
// objects of the tests. It is started once and kept until the test program ends: Wine's RPC runtime
// never drops the endpoint of an apartment that marshalled something, and with about sixty of them in
// one process it stops serving calls.
class HostApartment {
public:
    static HostApartment& Get()
    {
        static HostApartment host;
        return host;
    }

    // Marshals `object` in the host apartment into a stream for another apartment to unmarshal.
    HRESULT Marshal(IUnknown* object, IStream** stream)
    {
        if (!m_threadId)
            return E_FAIL;
        // Left to the host thread if the deadline passes, as it may still write to it.
        auto* request = new MarshalRequest{object, nullptr, E_FAIL, CHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr))};
        if (request->done.IsNull() || !PostThreadMessageW(m_threadId, kMarshalMessage, 0, reinterpret_cast<LPARAM>(request)))
            return E_FAIL;
        if (WaitForSingleObject(request->done, kDeadlineMs) != WAIT_OBJECT_0)
            return RPC_E_TIMEOUT;
        const HRESULT hr = request->result;
        *stream = request->stream;
        delete request;
        return hr;
    }

private:
    static constexpr UINT kMarshalMessage = WM_APP + 1;

    struct MarshalRequest {
        IUnknown* object;
        IStream* stream;
        HRESULT result;
        CHandle done;
    };

    HostApartment()
    {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD threadId = 0;
        const CHandle thread(CreateThread(nullptr, 0, &HostApartment::Run, ready, 0, &threadId));
        if (!thread.IsNull() && WaitForSingleObject(ready, kDeadlineMs) == WAIT_OBJECT_0 && s_started)
            m_threadId = threadId;
    }

    static DWORD WINAPI Run(void* ready)
    {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts to it
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
            SetEvent(static_cast<HANDLE>(ready));
            return 1;
        }
        ProxyRegistration registration;
        s_started = registration.ok();
        SetEvent(static_cast<HANDLE>(ready));
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == kMarshalMessage) {
                auto* request = reinterpret_cast<MarshalRequest*>(message.lParam);
                request->result =
                    CoMarshalInterThreadInterfaceInStream(IID_IUnknown, request->object, &request->stream);
                SetEvent(request->done);
                continue;
            }
            DispatchMessageW(&message);
        }
        return 0;
    }

    static inline bool s_started = false;
    DWORD m_threadId = 0;
};

// Gives each test (in the multithreaded apartment) a proxy to its own stand-in object in the host.
class CrossApartmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        m_registration = new ProxyRegistration();
        ASSERT_TRUE(m_registration->ok());
        IStream* stream = nullptr;
        ASSERT_EQ(S_OK, HostApartment::Get().Marshal(static_cast<IServiceDevice*>(&m_object), &stream));
        ASSERT_EQ(S_OK, CoGetInterfaceAndReleaseStream(stream, IID_IUnknown, reinterpret_cast<void**>(&m_remote)));
        ASSERT_NE(static_cast<IUnknown*>(static_cast<IServiceDevice*>(&m_object)), m_remote)
            << "the calls must go through a proxy";
    }

    void TearDown() override
    {
        if (m_remote) {
            m_remote->Release();
            // Releasing the last proxy releases the stub's references before it returns.
            EXPECT_EQ(1, m_object.refs()) << "a proxy or stub still holds the object";
        }
        delete m_registration;
        CoUninitialize();
    }

    template <class T>
    T* Remote(REFIID iid)
    {
        T* pointer = nullptr;
        EXPECT_EQ(S_OK, m_remote->QueryInterface(iid, reinterpret_cast<void**>(&pointer)));
        return pointer;
    }

    FakeServiceObject m_object;

private:
    ProxyRegistration* m_registration = nullptr;
    IUnknown* m_remote = nullptr;
};

}  // namespace

TEST(ProxyDll, AnswersForItsOwnClassOnly)
{
    GetClassObjectFn get = ProxyDllGetClassObject();
    ASSERT_NE(nullptr, get) << "TessaryDeviceProxy.dll did not load or exports no DllGetClassObject";

    IPSFactoryBuffer* factory = nullptr;
    ASSERT_EQ(S_OK, get(CLSID_DeviceServiceProxy, IID_IPSFactoryBuffer, reinterpret_cast<void**>(&factory)));
    ASSERT_NE(nullptr, factory);
    factory->Release();

    void* other = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(CLSID_DeviceService, IID_IPSFactoryBuffer, &other));
    EXPECT_EQ(nullptr, other);
}

TEST(ProxyDll, BuildsAStubForEveryServiceInterfaceAndNoOther)
{
    GetClassObjectFn get = ProxyDllGetClassObject();
    ASSERT_NE(nullptr, get);
    IPSFactoryBuffer* factory = nullptr;
    ASSERT_EQ(S_OK, get(CLSID_DeviceServiceProxy, IID_IPSFactoryBuffer, reinterpret_cast<void**>(&factory)));
    AnyInterfaceObject server;
    for (const IID* iid : kServiceInterfaces) {
        IRpcStubBuffer* stub = nullptr;
        EXPECT_EQ(S_OK, factory->CreateStub(*iid, &server, &stub)) << "interface " << iid->Data1;
        if (stub)
            stub->Release();
    }
    IRpcStubBuffer* stub = nullptr;
    EXPECT_NE(S_OK, factory->CreateStub(IID_IClassFactory, &server, &stub));
    if (stub)
        stub->Release();
    factory->Release();
}

TEST_F(CrossApartmentTest, NamesComeBackAsTaskMemoryAndGoOutAsText)
{
    IDeviceProfile* profile = Remote<IDeviceProfile>(IID_IDeviceProfile);
    ASSERT_NE(nullptr, profile);
    LPWSTR name = nullptr;
    ASSERT_EQ(S_OK, profile->GetName(&name));
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(std::wstring(L"Profile \u00e9 1"), name);
    CoTaskMemFree(name);

    ASSERT_EQ(S_OK, profile->SetName(L"Renamed"));
    EXPECT_EQ(L"Renamed", m_object.name);

    // The same path serves macros and program entries.
    IDeviceMacro* macro = Remote<IDeviceMacro>(IID_IDeviceMacro);
    IDeviceApp* app = Remote<IDeviceApp>(IID_IDeviceApp);
    ASSERT_TRUE(macro && app);
    name = nullptr;
    ASSERT_EQ(S_OK, macro->GetName(&name));
    EXPECT_EQ(std::wstring(L"Renamed"), name ? name : L"(null)");
    CoTaskMemFree(name);
    m_object.name.clear();
    name = nullptr;
    ASSERT_EQ(S_OK, app->GetName(&name));
    EXPECT_EQ(std::wstring(), name ? name : L"(null)");
    CoTaskMemFree(name);

    m_object.nullName = true;
    name = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(S_OK, profile->GetName(&name));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(E_POINTER, profile->GetName(nullptr));

    app->Release();
    macro->Release();
    profile->Release();
}

TEST_F(CrossApartmentTest, GuidsByValueDeviceInfoAndSubObjectsMarshal)
{
    IProfileManager* manager = Remote<IProfileManager>(IID_IProfileManager);
    ASSERT_NE(nullptr, manager);
    IDeviceProfile* found = nullptr;
    ASSERT_EQ(S_OK, manager->FindProfile(kProfileGuid, &found));
    ASSERT_NE(nullptr, found);
    GUID guid = {};
    EXPECT_EQ(S_OK, found->GetGuid(&guid));
    EXPECT_TRUE(guid == kProfileGuid);
    found->Release();
    GUID other = kProfileGuid;
    other.Data4[7] ^= 1;
    found = nullptr;
    EXPECT_EQ(E_INVALIDARG, manager->FindProfile(other, &found));
    EXPECT_EQ(nullptr, found);
    manager->Release();

    IServiceDevice* device = Remote<IServiceDevice>(IID_IServiceDevice);
    ASSERT_NE(nullptr, device);
    DeviceInfo info;
    std::memset(&info, 0xCD, sizeof(info));  // callers need not clear it: the text pointer is never read
    ASSERT_EQ(S_OK, device->GetInfo(&info));
    EXPECT_EQ(272u, info.productId);
    EXPECT_EQ(2u, info.versionBMajor);
    EXPECT_EQ(3u, info.versionBMinor);
    EXPECT_EQ(1u, info.firmwareMajor);
    EXPECT_EQ(5u, info.firmwareMinor);
    EXPECT_EQ(std::wstring(L"keyboard"), info.text ? info.text : L"(null)");
    FreeDeviceInfo(&info);

    IUnknown* sub = nullptr;
    ASSERT_EQ(S_OK, device->GetSubObject(IID_IButtonAssignment, &sub));
    ASSERT_NE(nullptr, sub);
    IButtonAssignment* buttons = nullptr;
    EXPECT_EQ(S_OK, sub->QueryInterface(IID_IButtonAssignment, reinterpret_cast<void**>(&buttons)));
    if (buttons)
        buttons->Release();
    sub->Release();
    device->Release();
}

TEST_F(CrossApartmentTest, MacroEventBuffersTravelBothWays)
{
    IDeviceMacro* macro = Remote<IDeviceMacro>(IID_IDeviceMacro);
    ASSERT_NE(nullptr, macro);
    const std::vector<MacroEvent> model{MakeKeyEvent(kVirtualKeyPause, 69, kMacroReleased, 0), MakeDelayEvent(30),
                                        MakeMouseButtonEvent(2, kMacroPressed)};
    MacroEventBuffer* sent = BuildMacroEventBuffer(model);
    ASSERT_NE(nullptr, sent);
    ASSERT_EQ(S_OK, macro->SetEvents(sent));
    CoTaskMemFree(sent);
    ASSERT_EQ(3u, m_object.events.size());
    EXPECT_EQ(0x00030045u, m_object.events[0].value);

    MacroEventBuffer* received = nullptr;
    ASSERT_EQ(S_OK, macro->GetEvents(&received));
    ASSERT_NE(nullptr, received);
    std::vector<MacroEvent> back;
    EXPECT_TRUE(FromDeviceMacroEvents(ReadReturnedMacroEventBuffer(received), &back));
    EXPECT_EQ(model, back);
    CoTaskMemFree(received);

    MacroEventBuffer* empty = BuildMacroEventBuffer(std::vector<MacroEvent>{});
    ASSERT_EQ(S_OK, macro->SetEvents(empty));
    CoTaskMemFree(empty);
    EXPECT_TRUE(m_object.events.empty());
    received = nullptr;
    ASSERT_EQ(S_OK, macro->GetEvents(&received));
    ASSERT_NE(nullptr, received);
    EXPECT_EQ(0u, received->count);
    CoTaskMemFree(received);
    macro->Release();
}

TEST_F(CrossApartmentTest, PropertiesAreReadIntoTheCallersBufferAndNeverPastIt)
{
    IProfilePropertyStore* store = Remote<IProfilePropertyStore>(IID_IProfilePropertyStore);
    ASSERT_NE(nullptr, store);
    BYTE buffer[8];
    std::memset(buffer, 0xEE, sizeof(buffer));
    DWORD size = 4;
    ASSERT_EQ(S_OK, store->GetProperty(kProfileFlagsProperty, 0, buffer, 0, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(4, buffer[3]);
    EXPECT_EQ(0xEE, buffer[4]);

    size = sizeof(buffer);
    ASSERT_EQ(S_OK, store->GetProperty(kProfileFlagsProperty, 0, buffer, 0, &size));
    EXPECT_EQ(6u, size) << "the size on return is what was written";

    m_object.extraReported = 3;
    std::memset(buffer, 0xEE, sizeof(buffer));
    size = 4;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
              store->GetProperty(kProfileFlagsProperty, 0, buffer, 0, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0xEE, buffer[4]);
    m_object.extraReported = 0;

    const LinkedProgramProperty program = MakeLinkedProgramProperty(L"game.exe");
    ASSERT_EQ(S_OK, store->SetProperty(kLinkedProgramProperty, reinterpret_cast<const BYTE*>(&program), 0,
                                       sizeof(program), 0));
    EXPECT_EQ(kLinkedProgramProperty, m_object.setPropertyKey);
    ASSERT_EQ(256u, m_object.setProperty.size());
    EXPECT_EQ(L"game.exe", ReadLinkedProgramProperty(m_object.setProperty.data(), 256));

    size = 0;
    EXPECT_EQ(S_OK, store->GetProperty(kProfileFlagsProperty, 0, nullptr, 0, &size));
    EXPECT_EQ(0u, size);
    store->Release();
}

TEST_F(CrossApartmentTest, ButtonRecordsAreReadIntoTheCallersBufferAndNeverPastIt)
{
    m_object.records = {MakeMacroAssignmentRecord(1, 0x1E, kProfileGuid, kDevicePlayCount, 3),
                        MakeMacroAssignmentRecord(1, 0x1F, kProfileGuid, kDevicePlayOnce, 0)};
    IButtonAssignment* buttons = Remote<IButtonAssignment>(IID_IButtonAssignment);
    ASSERT_NE(nullptr, buttons);
    ButtonAssignmentInfo info = {};
    ASSERT_EQ(S_OK, buttons->GetInfo(&info));
    EXPECT_EQ(2u, info.buttonCount);

    KeyAssignmentRecord read[3];
    std::memset(read, 0xEE, sizeof(read));
    DWORD count = 3;
    ASSERT_EQ(S_OK, buttons->GetAll(&count, read));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(0, std::memcmp(m_object.records.data(), read, 2 * sizeof(KeyAssignmentRecord)));

    m_object.extraReported = 5;
    std::memset(read, 0xEE, sizeof(read));
    count = 1;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), buttons->GetAll(&count, read));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(0xEEEEEEEEu, read[1].leading);

    ASSERT_EQ(S_OK, buttons->SetRecords(1, &m_object.records[1]));
    ASSERT_EQ(1u, m_object.setRecords.size());
    EXPECT_EQ(0x1Fu, m_object.setRecords[0].buttonId);
    buttons->Release();
}

TEST_F(CrossApartmentTest, EventsReachASinkWithTheirValuesAndText)
{
    _IApplicationEvent* launch = Remote<_IApplicationEvent>(IID__IApplicationEvent);
    _IOTFMacroRecordingEvents* recording = Remote<_IOTFMacroRecordingEvents>(IID__IOTFMacroRecordingEvents);
    ASSERT_TRUE(launch && recording);
    EXPECT_EQ(S_OK, launch->OnLaunchApplication(1, L"C:\\Program Files\\App\\app.exe"));
    EXPECT_EQ(1u, m_object.launchKind);
    EXPECT_EQ(L"C:\\Program Files\\App\\app.exe", m_object.launched);
    EXPECT_EQ(S_OK, recording->OnRecordingFinished(7, 0x0004001D));
    EXPECT_EQ(7u, m_object.finishedValue);
    EXPECT_EQ(0x0004001Du, m_object.finishedButton);
    recording->Release();
    launch->Release();
}
