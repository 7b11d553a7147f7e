// CDeviceTaskRunner: runs one device task at a time on a worker thread and hands its outcome back to the
// thread that started it, through a message-only window of that thread, then to the owner's notify
// window. The worker shares only what the task's own closure holds, so a task can outlive the runner
// (a destruction that stops waiting) without touching anything that is gone.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <functional>
#include <memory>

// How long destruction waits for a running task.
constexpr DWORD kDeviceTaskDestroyWaitMs = 7500;

// Worker threads of device tasks that have not finished yet, abandoned ones included.
unsigned RunningDeviceTasks();

class CDeviceTaskRunner {
public:
    // Runs on the worker thread, inside a COM apartment of its own. It must use only what it captured by
    // value: the runner and its owner may be gone by the time it ends.
    using Work = std::function<bool()>;
    // Runs on the starting thread once the work has ended, with the work's result.
    using Finish = std::function<void(bool ok)>;

    CDeviceTaskRunner() = default;
    CDeviceTaskRunner(const CDeviceTaskRunner&) = delete;
    CDeviceTaskRunner& operator=(const CDeviceTaskRunner&) = delete;
    // Waits as Shutdown does.
    ~CDeviceTaskRunner();

    // Starts the work on a new thread. False, and nothing started, while a task is busy or when the
    // thread cannot be created. `notifyParam` travels with the outcome's notify message.
    bool Start(Work work, Finish finish, LPARAM notifyParam);
    // True from Start until the outcome was delivered; delivers a finished task's outcome first, so a
    // caller that never pumps messages still sees the task end.
    bool IsBusy();
    // On the starting thread: when the work has ended, runs Finish, clears the busy state, then posts the
    // notify message (wParam 1 or 0, lParam the notify parameter). Nothing otherwise.
    void Deliver();

    void SetNotify(HWND window, UINT message);

    // Waits up to `milliseconds` for a running worker. When it ended, its outcome is delivered; when not,
    // the task is abandoned: it keeps what it holds and reports to nobody. Afterwards the runner is idle.
    // True when the worker had ended.
    bool Shutdown(DWORD milliseconds);

private:
    struct Task;
    static DWORD WINAPI ThreadMain(void* parameter);
    static LRESULT CALLBACK RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureRelay();

    std::shared_ptr<Task> m_task;
    CHandle m_thread;
    Finish m_finish;
    LPARAM m_notifyParam = 0;
    HWND m_relay = nullptr;
    HWND m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    bool m_delivering = false;
};
