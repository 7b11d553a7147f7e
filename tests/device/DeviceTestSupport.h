// Helpers of the device object's tests: the product keyboard's definition in the program-wide keyboard
// definition, a message-only window that receives the write's report, waiting on conditions with a
// deadline while messages are pumped.
#pragma once

#include "../support/TestFiles.h"

#include "data/KeyboardDefWriter.h"
#include "framework/Wnd.h"
#include "model/DeviceTask.h"
#include "service/sim/ProductKeyboard.h"
#include "skin/KeyboardDef.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

constexpr DWORD kTestDeadlineMs = 20000;
constexpr UINT kWriteDoneMessage = WM_APP + 40;

// The definition the simulated keyboard is built from, so that key ids and button ids agree. Loaded
// once per test program: the definition keeps its first records.
inline void LoadProductKeyboard()
{
    CKeyboardDef& keyboard = KeyboardDef();
    if (keyboard.IsLoaded())
        return;
    std::vector<KeyDescription> keys;
    std::string error;
    ASSERT_TRUE(ParseKeyboardDescription(ProductDescriptionText(), keys, error)) << error;
    const std::vector<BYTE> records = WriteKeyRecordFile(keys);
    const std::vector<BYTE> defaults = WriteKeyDefaultsFile(keys);
    ASSERT_TRUE(keyboard.LoadKeyRecords(records.data(), records.size()));
    ASSERT_TRUE(keyboard.LoadKeyDefaults(defaults.data(), defaults.size()));
}

inline int32_t KeyIdOf(const wchar_t* name) { return HashKeyName(name); }

// Pumps this thread's messages until `done` holds or the deadline passes; the final answer of `done`.
// Each message passes the pre-translation walk of our windows first, as in the programs' loops.
inline bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = kTestDeadlineMs)
{
    return PumpMessagesUntil(done, deadlineMs, MessagePumpOptions{50, &WalkPreTranslateTree, true});
}

// Collects the write reports (wParam of each kWriteDoneMessage) posted to it.
class CReportWindow {
public:
    CReportWindow()
    {
        static const ATOM registered = [] {
            WNDCLASSEXW windowClass = {};
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = &CReportWindow::Proc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TessaryDeviceTestReports";
            return RegisterClassExW(&windowClass);
        }();
        EXPECT_NE(registered, 0);
        m_window = CreateWindowExW(0, L"TessaryDeviceTestReports", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CReportWindow() { DestroyWindow(m_window); }
    CReportWindow(const CReportWindow&) = delete;
    CReportWindow& operator=(const CReportWindow&) = delete;

    HWND Handle() const { return m_window; }
    const std::vector<WPARAM>& Reports() const { return m_reports; }
    const std::vector<LPARAM>& Masks() const { return m_masks; }

    // The next report: 1 success, 0 failure, -1 none before the deadline.
    int WaitForReport(DWORD deadlineMs = kTestDeadlineMs)
    {
        const size_t seen = m_taken;
        if (!PumpUntil([&] { return m_reports.size() > seen; }, deadlineMs))
            return -1;
        return int(m_reports[m_taken++]);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CReportWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == kWriteDoneMessage && self != nullptr) {
            self->m_reports.push_back(wParam);
            self->m_masks.push_back(lParam);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    std::vector<WPARAM> m_reports;
    std::vector<LPARAM> m_masks;
    size_t m_taken = 0;
};

