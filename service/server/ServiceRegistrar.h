// The process that COM starts for CLSID_DeviceService. It holds the class registration only: the
// keyboard, its objects and the control pipe live in a worker process (this program with -Worker) that
// it starts and whose class object it forwards CreateInstance to, so that clients talk to the worker
// directly.
//
// Why two processes: Wine's COM keeps a class registration until the process that made it revokes it.
// A service process that is killed therefore leaves a registration behind that no new process can
// replace, and the service could not be started again. The worker registers under a class id of its
// own, new for every start; when it dies, the registrar revokes the service's class and exits, and the
// next client's CoCreateInstance starts both afresh.
//
// A resident registrar ("-Resident", started by a script rather than by COM) keeps the class when its
// worker ends and starts a new worker for the next client. Every worker then inherits the script's
// standard handles instead of those of whichever client happened to start it.
#pragma once

#include "framework/Handle.h"

#include <windows.h>
#include <unknwn.h>

#include <mutex>
#include <string>
#include <utility>

// The command-line switch of the worker role: "-Worker <class id> <ready event name>".
constexpr wchar_t kWorkerSwitch[] = L"Worker";
// The switch of the resident registrar.
constexpr wchar_t kResidentSwitch[] = L"Resident";

class CServiceRegistrar {
public:
    explicit CServiceRegistrar(bool resident = false, std::wstring readyFile = {})
        : m_resident(resident), m_readyFile(std::move(readyFile)) {}
    ~CServiceRegistrar();
    CServiceRegistrar(const CServiceRegistrar&) = delete;
    CServiceRegistrar& operator=(const CServiceRegistrar&) = delete;

    // Starts the worker, registers the service's class and serves until the worker has ended (a
    // resident registrar: until the process is ended). The process exit code.
    int Run();

    // The class object's work: a new root object from the worker.
    HRESULT CreateInstance(REFIID riid, void** object);
    HRESULT LockServer(BOOL lock);

private:
    bool StartWorker(std::wstring& error);
    // Forgets an ended worker: its class object and process handle.
    void DropWorker();
    void LogWorkerEnd();
    // A resident registrar without a worker starts one; false when none could be started. The lock is held.
    bool EnsureWorker();
    // The worker's class object with a reference of the caller's, or null when there is none.
    IClassFactory* WorkerFactory();
    void Log(const std::wstring& line);

    CHandle m_worker;
    DWORD m_workerId = 0;
    IClassFactory* m_workerFactory = nullptr;
    bool m_stopping = false;
    const bool m_resident;
    const std::wstring m_readyFile;
    // The class object's calls arrive on COM's threads (a multithreaded apartment): the worker's
    // members and the stop flag are read and changed under this lock.
    std::mutex m_lock;
    DWORD m_loopThread = 0;
};
