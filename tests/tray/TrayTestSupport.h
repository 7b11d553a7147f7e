// Helpers of the tray program's tests that run without the device service: the test's platform, a
// registry key and a folder of the test's own, waiting on a condition while the thread's messages are
// pumped, and the keyboard's raw input.
#pragma once

#include "../support/TestFiles.h"

#include "FakeTrayPlatform.h"
#include "framework/Wnd.h"
#include "skin/RawInput.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

inline int NextTestSerial()
{
    static std::atomic<int> serial{0};
    return ++serial;
}

// A key under HKEY_CURRENT_USER that is removed with everything in it at the end.
class CTempRegistryKey {
public:
    CTempRegistryKey()
        : m_path(L"Software\\TessaryTrayTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(NextTestSerial()))
    {
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (key)
            ::RegCloseKey(key);
    }
    ~CTempRegistryKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }
    CTempRegistryKey(const CTempRegistryKey&) = delete;
    CTempRegistryKey& operator=(const CTempRegistryKey&) = delete;

    const std::wstring& Path() const { return m_path; }

    void SetText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) const
    {
        SetBytes(name, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), type);
    }
    void SetBytes(const wchar_t* name, const void* data, DWORD size, DWORD type) const
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_SET_VALUE, &key));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        ::RegCloseKey(key);
    }

private:
    std::wstring m_path;
};

// Restores the process's current directory at the end of the scope.
class CCurrentDirectoryGuard {
public:
    CCurrentDirectoryGuard()
    {
        wchar_t folder[MAX_PATH + 1] = {};
        ::GetCurrentDirectoryW(MAX_PATH, folder);
        m_saved = folder;
    }
    ~CCurrentDirectoryGuard() { ::SetCurrentDirectoryW(m_saved.c_str()); }

private:
    std::wstring m_saved;
};

// Handles the thread's messages for a while: for tests that check that something does NOT happen
// before a moment, never to wait for something.
inline void PumpMessagesFor(DWORD milliseconds)
{
    PumpMessagesUntil([] { return false; }, milliseconds);
}

constexpr USHORT kScanA = 0x1E;

// A key's raw input as the keyboard reports it.
inline RawInputReport Key(USHORT makeCode, USHORT flags)
{
    RawInputReport report;
    report.type = RIM_TYPEKEYBOARD;
    report.keyboard.MakeCode = makeCode;
    report.keyboard.Flags = flags;
    return report;
}
