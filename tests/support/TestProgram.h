// A program the test starts as a process of its own, ended by its handle if the test did not end it,
// and the windows of a process.
#pragma once

#include "framework/Handle.h"
#include "framework/Wnd.h"

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
    // `creationFlags` as CreateProcess takes them (CREATE_NO_WINDOW: a console program without a console).
    explicit CProgram(const std::wstring& path, const std::wstring& arguments = std::wstring(), DWORD creationFlags = 0)
    {
        std::wstring command = L"\"" + path + L"\"";
        if (!arguments.empty())
            command += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, &startup,
                           &process)) {
            m_process.Attach(process.hProcess);
            CHandle(process.hThread).CloseHandle();
        }
    }
    ~CProgram()
    {
        if (!m_process.IsNull() && WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0)
            TerminateProcess(m_process, 1);
    }
    bool Started() const { return !m_process.IsNull(); }
    DWORD Id() const { return Started() ? GetProcessId(m_process) : 0; }
    HANDLE Handle() const { return m_process; }
    // The exit code once ended within the time, else STILL_ACTIVE (at once when it never started). This
    // thread's windows keep answering while it waits.
    DWORD WaitForExit(DWORD timeoutMs)
    {
        if (Started())
            PumpMessagesUntil([this] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, timeoutMs);
        return ExitCode();
    }
    // The same for a thread that has nothing to answer: its messages wait.
    DWORD WaitForExitBlocking(DWORD timeoutMs)
    {
        if (Started())
            WaitForSingleObject(m_process, timeoutMs);
        return ExitCode();
    }

private:
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        if (!Started() || !GetExitCodeProcess(m_process, &code))
            code = STILL_ACTIVE;
        return code;
    }

    CHandle m_process;
};
