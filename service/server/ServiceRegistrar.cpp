// The registrar process: the service's class registration, forwarded to the worker.
#include "service/server/ServiceRegistrar.h"

#include "service/ServiceStart.h"
#include "service/client/ServiceClient.h"
#include "service/server/ClassFactory.h"
#include "service/server/ServiceSetup.h"
#include "service/server/ServiceText.h"

#include "DeviceService.h"
#include "framework/ModulePath.h"

#include <objbase.h>

#include <new>
#include <utility>

namespace {

// How long a worker may take to load its memory and register its class.
constexpr DWORD kWorkerStartMs = 20000;

// Registered with COM for the life of the registrar.
class CRegistrarFactory final : public CClassFactory {
public:
    explicit CRegistrarFactory(CServiceRegistrar& registrar) : m_registrar(registrar) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return m_registrar.CreateInstance(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override { return m_registrar.LockServer(lock); }

private:
    CServiceRegistrar& m_registrar;
};

} // namespace

CServiceRegistrar::~CServiceRegistrar()
{
    DropWorker();
}

void CServiceRegistrar::DropWorker()
{
    if (m_workerFactory)
        m_workerFactory->Release();
    m_workerFactory = nullptr;
    m_worker.CloseHandle();
    m_workerId = 0;
}

bool CServiceRegistrar::EnsureWorker()
{
    if (m_workerFactory != nullptr)
        return true;
    if (!m_resident)
        return false;
    // Called with the lock held: a second client arriving while a worker starts waits for that start.
    std::wstring error;
    if (!StartWorker(error)) {
        Log(error);
        return false;
    }
    // The serving loop waits for the new worker's end from now on.
    PostThreadMessageW(m_loopThread, WM_NULL, 0, 0);
    return true;
}

void CServiceRegistrar::Log(const std::wstring& line)
{
    // The worker's log, next to the memory file: both processes append whole lines.
    const std::wstring state = StateFilePath();
    const std::size_t slash = state.find_last_of(L"\\/");
    CLogFile log;
    if (slash != std::wstring::npos && log.Open(state.substr(0, slash) + L"\\SimKeyboard.log"))
        log.WriteLine("registrar " + std::to_string(GetCurrentProcessId()) + ": " + ToUtf8(line));
}

bool CServiceRegistrar::StartWorker(std::wstring& error)
{
    GUID workerClass{};
    if (FAILED(CoCreateGuid(&workerClass))) {
        error = L"no class id for the worker";
        return false;
    }
    wchar_t classText[40] = {};
    StringFromGUID2(workerClass, classText, 40);
    const std::wstring readyName = L"Local\\TessarySimKeyboardReady" + std::wstring(classText);
    CHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    if (ready.IsNull()) {
        error = L"no start event for the worker";
        return false;
    }

    std::wstring command = L"\"" + ModulePath() + L"\" -" + kWorkerSwitch + L" " + classText + L" " + readyName;
    // A worker whose end ends the service clears the serving event itself as it stops, so a client
    // that saw it stop never finds the event still set while this process has yet to notice.
    if (!m_resident)
        command += std::wstring(L" ") + kServiceServingEvent;
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        error = L"cannot start the worker (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    CHandle worker(process.hProcess);
    CHandle(process.hThread).CloseHandle();

    // The members take the worker only once it serves: the serving loop never waits on the handle of
    // a start that failed.
    const HANDLE waits[2] = {ready, worker};
    DWORD index = 0;
    const HRESULT waited = CoWaitForMultipleHandles(0, kWorkerStartMs, 2, const_cast<HANDLE*>(waits), &index);
    ready.CloseHandle();
    IClassFactory* workerFactory = nullptr;
    HRESULT hr = E_FAIL;
    if (waited != S_OK || index != 0) {
        error = waited == RPC_S_CALLPENDING ? L"the worker did not start in time" : L"the worker ended at start";
    } else {
        hr = CoGetClassObject(workerClass, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(&workerFactory));
        if (FAILED(hr))
            error = L"the worker's class object is unreachable (" + FromUtf8(HresultText(hr)) + L")";
    }
    if (FAILED(hr)) {
        TerminateProcess(worker, 1);
        return false;
    }
    m_worker = std::move(worker);
    m_workerId = process.dwProcessId;
    m_workerFactory = workerFactory;
    return true;
}

IClassFactory* CServiceRegistrar::WorkerFactory()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stopping || !EnsureWorker())
        return nullptr;
    m_workerFactory->AddRef();
    return m_workerFactory;
}

HRESULT CServiceRegistrar::CreateInstance(REFIID riid, void** object)
{
    IClassFactory* factory = WorkerFactory();
    if (factory == nullptr)
        return CO_E_SERVER_STOPPING;
    // The worker's object comes back as a proxy; handed on, it connects the client to the worker.
    const HRESULT hr = factory->CreateInstance(nullptr, riid, object);
    factory->Release();
    // A failure that only says the worker is gone: the client may try again and gets a new service.
    return ServingProcessGone(hr) ? CO_E_SERVER_STOPPING : hr;
}

HRESULT CServiceRegistrar::LockServer(BOOL lock)
{
    IClassFactory* factory = WorkerFactory();
    if (factory == nullptr)
        return CO_E_SERVER_STOPPING;
    const HRESULT hr = factory->LockServer(lock);
    factory->Release();
    return ServingProcessGone(hr) ? CO_E_SERVER_STOPPING : hr;
}

int CServiceRegistrar::Run()
{
    m_loopThread = GetCurrentThreadId();
    std::wstring error;
    if (!m_resident && !StartWorker(error)) {
        Log(error);
        return 1;
    }
    IClassFactory* factory = new (std::nothrow) CRegistrarFactory(*this);
    DWORD cookie = 0;
    const HRESULT hr = factory ? CoRegisterClassObject(CLSID_DeviceService, factory, CLSCTX_LOCAL_SERVER,
                                                       REGCLS_MULTIPLEUSE, &cookie)
                               : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        Log(L"cannot register the service's class: " + FromUtf8(HresultText(hr)));
        if (!m_worker.IsNull())
            TerminateProcess(m_worker, 1);
        if (factory)
            factory->Release();
        return 1;
    }
    Log(m_resident ? std::wstring(L"serving the class, resident")
                   : L"serving the class for worker " + std::to_wstring(m_workerId));
    // A client that started this process waits for this event instead of COM's fixed start-up wait.
    CHandle serving(CreateEventW(nullptr, TRUE, FALSE, kServiceServingEvent));
    if (!serving.IsNull())
        SetEvent(serving);
    if (!m_readyFile.empty()) {
        // Its presence is the whole message.
        const CHandle ready(CreateFileW(m_readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    // The worker decides when the service ends (no clients, quit, or its death); the class goes with it,
    // unless the registrar is resident: then the next client gets a new worker.
    // Class object calls run on COM's threads: this loop only watches the worker and reads messages.
    for (;;) {
        HANDLE worker;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            worker = m_worker;
        }
        const DWORD handles = worker ? 1 : 0;
        const DWORD wait = MsgWaitForMultipleObjects(handles, &worker, FALSE, INFINITE, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0 && handles == 1) {
            if (!m_resident)
                break;
            std::lock_guard<std::mutex> lock(m_lock);
            LogWorkerEnd();
            DropWorker();
            continue;
        }
        if (wait != WAIT_OBJECT_0 + handles)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopping = true;
    }
    if (!serving.IsNull()) {
        ResetEvent(serving);
        serving.CloseHandle();
    }
    CoRevokeClassObject(cookie);
    LogWorkerEnd();
    factory->Release();
    // Proxies go while COM is still up.
    DropWorker();
    return 0;
}

void CServiceRegistrar::LogWorkerEnd()
{
    DWORD code = 0;
    if (!m_worker.IsNull() && GetExitCodeProcess(m_worker, &code) && code != 0 && code != STILL_ACTIVE)
        Log(L"worker " + std::to_wstring(m_workerId) + L" ended with " + FromUtf8(HexText(code)) +
            (m_resident ? L"" : L": class revoked"));
}
