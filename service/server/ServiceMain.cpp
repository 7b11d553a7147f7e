// TessaryDeviceService.exe: the simulated keyboard's device service, a COM local server.
//   /RegServer, /UnregServer   register or unregister the service and its proxy/stub DLL, then exit
//   -Worker <class> <event> [serving event]
//                              the worker: the keyboard, its objects and the control pipe, serving its
//                              class object under <class> and setting <event> once it does; it resets
//                              the serving event when it stops
//   -Resident [ready file]     a registrar that outlives its workers (started by a script); it creates
//                              the file once its class is registered
//   otherwise (-Embedding)     the registrar COM starts: the service's class, forwarded to a worker
// The worker serves until a quit request or until no client has used it for a while.
#include "service/InterfacePins.h"
#include "service/server/ComObjects.h"
#include "service/server/ControlPipe.h"
#include "service/server/ServiceCore.h"
#include "service/server/ServiceRegistrar.h"
#include "service/server/ServiceSetup.h"

#include "DeviceService.h"
#include "framework/Handle.h"

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// Messages go to the standard error a caller gave (a shell or script); a program started by COM has none.
void Report(const std::wstring& message)
{
    const std::string text = ToUtf8(L"TessaryDeviceService: " + message + L"\n");
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error && error != INVALID_HANDLE_VALUE)
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    OutputDebugStringW(message.c_str());
}

bool IsSwitch(const std::wstring& argument, const wchar_t* name)
{
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-') && lstrcmpiW(argument.c_str() + 1, name) == 0;
}

// Ends the process with `code` unless it is disarmed (destroyed) within kTeardownMs.
class CTeardownDeadline {
public:
    static constexpr DWORD kTeardownMs = 3000;

    explicit CTeardownDeadline(int code) : m_code(code)
    {
        m_done.Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_done.IsNull())
            m_thread.Attach(CreateThread(nullptr, 0, &CTeardownDeadline::Watch, this, 0, nullptr));
    }
    ~CTeardownDeadline()
    {
        if (!m_thread.IsNull()) {
            SetEvent(m_done);
            WaitForSingleObject(m_thread, INFINITE);
        }
    }
    CTeardownDeadline(const CTeardownDeadline&) = delete;
    CTeardownDeadline& operator=(const CTeardownDeadline&) = delete;

private:
    static DWORD WINAPI Watch(void* parameter)
    {
        auto* self = static_cast<CTeardownDeadline*>(parameter);
        if (WaitForSingleObject(self->m_done, kTeardownMs) == WAIT_TIMEOUT)
            TerminateProcess(GetCurrentProcess(), static_cast<UINT>(self->m_code));
        return 0;
    }

    const int m_code;
    CHandle m_done;
    CHandle m_thread;
};

int ServeAsWorker(HINSTANCE instance, const std::wstring& classText, const std::wstring& readyName,
                  const std::wstring& servingName)
{
    CLSID workerClass{};
    if (FAILED(CLSIDFromString(classText.c_str(), &workerClass)))
        return 1;
    // The pipe first: a worker that finds another one serving must not load or save the memory.
    CControlPipe pipe;
    std::wstring error;
    if (!pipe.Claim(error)) {
        Report(error);
        return 1;
    }
    CServiceCore service;
    if (!service.Start(instance, StateFilePath(), error) || !pipe.Start(service.Window(), error)) {
        service.Log("cannot start: " + ToUtf8(error));
        Report(error);
        return 1;
    }
    // Every interface the worker serves, its class object's among them.
    CInterfacePins pins;
    if (!pins.Pin({&IID_IUnknown, &IID_IClassFactory, &IID_IDeviceCollection, &IID_IServiceDevice,
                   &IID_IDeviceIdentity, &IID_IKeyboardLayoutInfo, &IID_IProfileManager, &IID_IDeviceProfile,
                   &IID_IProfilePropertyStore, &IID_IButtonAssignment, &IID_ILedCollection, &IID_IDeviceLed,
                   &IID_ILedValue, &IID_ILedBlink, &IID_ILedAuxValue, &IID_IMacroStore, &IID_IDeviceMacro,
                   &IID_IDeviceApp, &IID_IApplicationEventSource, &IID_IDeviceMode, &IID_IMacroRecordingSource,
                   &IID_IDpiSource, &IID_IConnectionPointContainer, &IID_IConnectionPoint,
                   &IID_IEnumConnectionPoints, &IID_IEnumConnections}))
        service.Log("not every interface could be pinned: a client's release may stall the service");
    IClassFactory* factory = NewServiceClassFactory(service);
    DWORD cookie = 0;
    const HRESULT hr = factory ? CoRegisterClassObject(workerClass, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie)
                               : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        service.Log("cannot register the class object: " + HresultText(hr));
    } else {
        {
            const CHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName.c_str()));
            if (!ready.IsNull())
                SetEvent(ready);
        }
        service.RunMessageLoop();
        if (!servingName.empty()) {
            const CHandle serving(OpenEventW(EVENT_MODIFY_STATE, FALSE, servingName.c_str()));
            if (!serving.IsNull())
                ResetEvent(serving);
        }
        CoRevokeClassObject(cookie);
    }
    service.Shutdown();
    pipe.Stop();
    const int code = SUCCEEDED(hr) ? 0 : 1;
    // The keyboard's memory is saved: nothing is left that COM's tear-down could lose. That tear-down
    // can wait forever under Wine 8 (a client's call that reaches the apartment while its stubs are
    // unregistered waits for this thread, which waits for the call), and a worker that never ends keeps
    // its class registered and the service unusable. So it gets a bounded time.
    CTeardownDeadline deadline(code);
    pins.Release();
    if (factory)
        factory->Release();
    // COM goes before the service object: releasing the clients' stubs still reaches it.
    CoUninitialize();
    return code;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < argc; ++i)
        arguments.push_back(argv[i]);
    LocalFree(argv);

    bool registrar = true;
    for (const std::wstring& argument : arguments) {
        if (IsSwitch(argument, L"RegServer") || IsSwitch(argument, L"UnregServer") || IsSwitch(argument, kWorkerSwitch))
            registrar = false;
    }
    // The worker is one single-threaded apartment by design. The registrar holds no state that needs
    // one thread, and in a single-threaded apartment Wine 8 can deadlock it: a client's release of an
    // interface's last reference waits, on the apartment's thread, for the calls to that interface,
    // which wait for that thread. In the multithreaded apartment each call runs on a thread of its own.
    if (FAILED(CoInitializeEx(nullptr, registrar ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED)))
        return 1;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (IsSwitch(arguments[i], L"RegServer") || IsSwitch(arguments[i], L"UnregServer")) {
            std::wstring error;
            const bool ok = IsSwitch(arguments[i], L"RegServer") ? RegisterService(error) : UnregisterService(error);
            if (!ok)
                Report(error);
            CoUninitialize();
            return ok ? 0 : 1;
        }
        if (IsSwitch(arguments[i], kWorkerSwitch))
            return i + 2 < arguments.size()
                       ? ServeAsWorker(instance, arguments[i + 1], arguments[i + 2],
                                       i + 3 < arguments.size() ? arguments[i + 3] : std::wstring())
                       : 1;
    }
    bool resident = false;
    std::wstring readyFile;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (IsSwitch(arguments[i], kResidentSwitch)) {
            resident = true;
            if (i + 1 < arguments.size())
                readyFile = arguments[i + 1];
        }
    }
    // COM hands each client the class object anew and takes its stub back at the client's release, which
    // comes right after CreateInstance: the interface stays registered while the class is served.
    CInterfacePins pins;
    pins.Pin({&IID_IUnknown, &IID_IClassFactory});
    int code;
    {
        CServiceRegistrar registrar(resident, readyFile);
        code = registrar.Run();
    }
    // The class is revoked and the worker gone: the tear-down gets the worker's bound.
    CTeardownDeadline deadline(code);
    pins.Release();
    CoUninitialize();
    return code;
}
