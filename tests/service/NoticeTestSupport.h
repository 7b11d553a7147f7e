// Helpers of the tests that watch device-change notifications: a hidden top-level window that keeps
// every WM_DEVICECHANGE it receives, and the control tool run in another process while this thread
// keeps answering the messages the tool sends.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "framework/Handle.h"
#include "service/control/DeviceNotice.h"

constexpr DWORD kToolDeadlineMs = 20000;

inline std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towupper(c));
    return text;
}

// One WM_DEVICECHANGE as the window saw it.
struct Notice {
    WPARAM event = 0;
    bool hasRecord = false;
    DWORD size = 0;
    DWORD type = 0;
    GUID interfaceClass = {};
    std::wstring path;
};

// A hidden top-level window that keeps every WM_DEVICECHANGE it gets.
class CNoticeWindow {
public:
    CNoticeWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TessaryNoticeTestWindow";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                 wc.hInstance, this);
    }
    ~CNoticeWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    CNoticeWindow(const CNoticeWindow&) = delete;
    CNoticeWindow& operator=(const CNoticeWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    const std::vector<Notice>& Notices() const { return m_notices; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<CNoticeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_DEVICECHANGE && self) {
            Notice notice;
            notice.event = wParam;
            notice.hasRecord = ReadDeviceInterfacePath(wParam, lParam, &notice.path, &notice.interfaceClass);
            if (notice.hasRecord) {
                const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
                notice.size = header->dbch_size;
                notice.type = header->dbch_devicetype;
            }
            self->m_notices.push_back(notice);
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
    std::vector<Notice> m_notices;
};

inline std::wstring ToolPath()
{
    std::string unixPath = TESSARY_CONTROL_TOOL;
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : wchar_t(c);
    return path;
}

// Runs the control tool with `arguments` while this thread keeps answering sent messages (the tool's
// broadcast waits for every window). The tool's exit code, or -1 when it did not end in time.
inline int RunToolPumping(const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + ToolPath() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -2;
    const CHandle tool(process.hProcess);
    CHandle(process.hThread).CloseHandle();
    const HANDLE waited = tool;
    const ULONGLONG deadline = GetTickCount64() + kToolDeadlineMs;
    int code = -1;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        const DWORD wait = MsgWaitForMultipleObjects(1, &waited, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            DWORD exitCode = 0;
            GetExitCodeProcess(tool, &exitCode);
            code = static_cast<int>(exitCode);
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    if (code == -1)
        TerminateProcess(tool, 1);
    return code;
}

// The record receivers get: the keyboard's path with its terminator inside dbcc_size.
inline void ExpectKeyboardRecord(const Notice& notice)
{
    ASSERT_TRUE(notice.hasRecord);
    EXPECT_EQ(notice.type, DWORD(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(notice.size, BuildDeviceInterfaceRecord(kKeyboardDevicePath).size());
    EXPECT_TRUE(IsEqualGUID(notice.interfaceClass, kMouseInterfaceClass));
    EXPECT_EQ(notice.path, kKeyboardDevicePath);
    EXPECT_NE(Upper(notice.path).find(L"VID_3F1D"), std::wstring::npos);
    EXPECT_NE(Upper(notice.path).find(L"PID_0110"), std::wstring::npos);
}
