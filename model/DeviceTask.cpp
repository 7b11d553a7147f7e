// The worker thread of device tasks and the hand-over of their outcome.
#include "model/DeviceTask.h"

#include <objbase.h>

#include <atomic>
#include <mutex>

namespace {

constexpr UINT kTaskEndedMessage = WM_APP + 1;
const wchar_t kRelayClass[] = L"TessaryDeviceTaskRelay";
std::atomic<unsigned> g_runningTasks{0};

}  // namespace

// What the worker shares with the runner. `relay` is cleared when the runner stops listening, and is
// only read and written under the lock, so the worker never posts to a window that is being destroyed.
struct CDeviceTaskRunner::Task {
    std::mutex lock;
    Work work;
    bool ended = false;
    bool ok = false;
    HWND relay = nullptr;
};

CDeviceTaskRunner::~CDeviceTaskRunner()
{
    Shutdown(kDeviceTaskDestroyWaitMs);
    if (m_relay != nullptr) {
        SetWindowLongPtrW(m_relay, GWLP_USERDATA, 0);
        DestroyWindow(m_relay);
    }
}

bool CDeviceTaskRunner::EnsureRelay()
{
    if (m_relay != nullptr)
        return true;
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &CDeviceTaskRunner::RelayProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kRelayClass;
        return RegisterClassExW(&windowClass);
    }();
    if (registered == 0)
        return false;
    m_relay = CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (m_relay == nullptr)
        return false;
    SetWindowLongPtrW(m_relay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

LRESULT CALLBACK CDeviceTaskRunner::RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kTaskEndedMessage) {
        if (auto* runner = reinterpret_cast<CDeviceTaskRunner*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            runner->Deliver();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

unsigned RunningDeviceTasks() { return g_runningTasks.load(); }

DWORD WINAPI CDeviceTaskRunner::ThreadMain(void* parameter)
{
    std::shared_ptr<Task> task;
    {
        std::unique_ptr<std::shared_ptr<Task>> handed(static_cast<std::shared_ptr<Task>*>(parameter));
        task = *handed;
    }
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const bool ok = SUCCEEDED(apartment) && task->work();
    if (SUCCEEDED(apartment))
        CoUninitialize();
    {
        std::lock_guard<std::mutex> guard(task->lock);
        task->ended = true;
        task->ok = ok;
        if (task->relay != nullptr)
            PostMessageW(task->relay, kTaskEndedMessage, 0, 0);
    }
    task.reset();
    --g_runningTasks;
    return ok ? 1 : 0;
}

bool CDeviceTaskRunner::Start(Work work, Finish finish, LPARAM notifyParam)
{
    if (IsBusy() || !work || !EnsureRelay())
        return false;
    auto task = std::make_shared<Task>();
    task->work = std::move(work);
    task->relay = m_relay;
    auto* handed = new std::shared_ptr<Task>(task);
    ++g_runningTasks;
    CHandle thread(CreateThread(nullptr, 0, &CDeviceTaskRunner::ThreadMain, handed, 0, nullptr));
    if (thread.IsNull()) {
        --g_runningTasks;
        delete handed;
        return false;
    }
    m_task = std::move(task);
    m_thread = std::move(thread);
    m_finish = std::move(finish);
    m_notifyParam = notifyParam;
    return true;
}

bool CDeviceTaskRunner::IsBusy()
{
    Deliver();
    return m_task != nullptr;
}

void CDeviceTaskRunner::Deliver()
{
    if (!m_task || m_delivering)
        return;
    bool ok = false;
    {
        std::lock_guard<std::mutex> guard(m_task->lock);
        if (!m_task->ended)
            return;
        ok = m_task->ok;
    }
    // The outcome reaches the owner before the runner is idle again: a new task must start from what
    // this one learned.
    Finish finish = std::move(m_finish);
    m_finish = nullptr;
    m_delivering = true;
    if (finish)
        finish(ok);
    m_delivering = false;
    m_thread.CloseHandle();
    m_task.reset();
    if (m_notifyWindow != nullptr)
        PostMessageW(m_notifyWindow, m_notifyMessage, ok ? 1 : 0, m_notifyParam);
}

void CDeviceTaskRunner::SetNotify(HWND window, UINT message)
{
    m_notifyWindow = window;
    m_notifyMessage = message;
}

bool CDeviceTaskRunner::Shutdown(DWORD milliseconds)
{
    if (!m_task)
        return true;
    const bool ended = WaitForSingleObject(m_thread, milliseconds) == WAIT_OBJECT_0;
    if (ended) {
        Deliver();
        return true;
    }
    {
        std::lock_guard<std::mutex> guard(m_task->lock);
        m_task->relay = nullptr;
    }
    m_task.reset();
    m_finish = nullptr;
    m_thread.CloseHandle();
    return false;
}
