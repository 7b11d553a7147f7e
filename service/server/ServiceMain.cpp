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
#include "service/server/ComObjects.h"
#include "service/server/ControlPipe.h"
#include "service/server/ServiceCore.h"
#include "service/server/ServiceRegistrar.h"
#include "service/server/ServiceSetup.h"

#include <windows.h>
#include <objbase.h>
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
    IClassFactory* factory = NewServiceClassFactory(service);
    DWORD cookie = 0;
    const HRESULT hr = factory ? CoRegisterClassObject(workerClass, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie)
                               : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        service.Log("cannot register the class object: " + HresultText(hr));
    } else {
        HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName.c_str());
        if (ready) {
            SetEvent(ready);
            CloseHandle(ready);
        }
        service.RunMessageLoop();
        if (!servingName.empty()) {
            HANDLE serving = OpenEventW(EVENT_MODIFY_STATE, FALSE, servingName.c_str());
            if (serving) {
                ResetEvent(serving);
                CloseHandle(serving);
            }
        }
        CoRevokeClassObject(cookie);
    }
    service.Shutdown();
    pipe.Stop();
    if (factory)
        factory->Release();
    // COM goes before the service object: releasing the clients' stubs still reaches it.
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
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

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
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
    int code;
    {
        CServiceRegistrar registrar(resident, readyFile);
        code = registrar.Run();
    }
    CoUninitialize();
    return code;
}
