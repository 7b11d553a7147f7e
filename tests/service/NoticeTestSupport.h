// Helpers of the tests that watch device-change notifications: a hidden top-level window that keeps
// every WM_DEVICECHANGE it receives, and the control tool run in another process while this thread
// keeps answering the messages the tool sends.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "service/control/DeviceNotice.h"
#include "../support/TestFiles.h"
#include "../support/TestProgram.h"

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

// Runs the control tool with `arguments` while this thread keeps answering sent messages (the tool's
// broadcast waits for every window). The tool's exit code, or -1 when it did not end in time.
inline int RunToolPumping(const std::wstring& arguments)
{
    CProgram tool(testfiles::WinePath(TESSARY_CONTROL_TOOL), arguments);
    if (!tool.Started())
        return -2;
    const DWORD code = tool.WaitForExit(kToolDeadlineMs);
    return code == STILL_ACTIVE ? -1 : static_cast<int>(code);
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
