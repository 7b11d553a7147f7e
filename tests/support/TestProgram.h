// A program the test starts as a process of its own, ended by its handle if the test did not end it,
// and the windows of a process.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <string>

// A top-level window of the process with this class (and title, when given).
inline HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr)
{
    for (HWND window = ::FindWindowExW(nullptr, nullptr, className, title); window;
         window = ::FindWindowExW(nullptr, window, className, title)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

class CProgram {
public:
    explicit CProgram(const std::wstring& path, const std::wstring& arguments = std::wstring())
    {
        std::wstring command = L"\"" + path + L"\"";
        if (!arguments.empty())
            command += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            m_process.Attach(process.hProcess);
            CHandle(process.hThread).CloseHandle();
            m_id = process.dwProcessId;
        }
    }
    ~CProgram()
    {
        if (!m_process.IsNull() && WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0)
            TerminateProcess(m_process, 1);
    }
    bool Started() const { return !m_process.IsNull(); }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }
    // The exit code once ended within the time, else STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs)
    {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        const HANDLE process = m_process;
        while (WaitForSingleObject(process, 0) != WAIT_OBJECT_0 && GetTickCount64() < deadline) {
            // This thread's windows keep answering while it waits.
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(1, &process, FALSE, 20, QS_ALLINPUT);
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process, &code);
        return code;
    }

private:
    CHandle m_process;
    DWORD m_id = 0;
};

