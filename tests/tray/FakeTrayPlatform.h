// The platform of the tray program's tests: every call the tray program makes through its seam is
// answered and recorded by the test.
#pragma once

#include "tray/TrayPlatform.h"

#include <windows.h>

#include <map>
#include <functional>
#include <string>
#include <vector>

class CFakePlatform : public tray::ITrayPlatform {
public:
    // The device service: absent unless a test asks for the real one.
    bool realService = false;
    HRESULT CreateDeviceService(IDeviceCollection** root) override
    {
        ++serviceCreations;
        // Runs once, at the moment the program turns to the service: what happens there meanwhile.
        if (auto meanwhile = std::move(onNextServiceCreation)) {
            onNextServiceCreation = nullptr;
            meanwhile();
        }
        if (realService)
            return tray::SystemTrayPlatform().CreateDeviceService(root);
        *root = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
    int serviceCreations = 0;
    std::function<void()> onNextServiceCreation;

    struct ShellCall {
        std::wstring file;
        std::wstring currentDirectory;
    };
    std::vector<ShellCall> shellCalls;
    INT_PTR shellResult = 42;
    HINSTANCE ShellOpen(HWND, const wchar_t* file) override
    {
        wchar_t folder[MAX_PATH + 1] = {};
        ::GetCurrentDirectoryW(MAX_PATH, folder);
        shellCalls.push_back({file ? file : L"(null)", folder});
        return reinterpret_cast<HINSTANCE>(shellResult);
    }

    DWORD tick = 100000;
    DWORD TickCount() override { return tick; }

    HWND foreground = nullptr;
    std::map<HWND, DWORD> windowProcesses;
    HWND ForegroundWindow() override { return foreground; }
    DWORD WindowProcessId(HWND window) override
    {
        auto found = windowProcesses.find(window);
        return found == windowProcesses.end() ? 0 : found->second;
    }

    std::vector<tray::ProcessEntry> processes;
    bool processListWorks = true;
    int processListings = 0;
    bool ListProcesses(std::vector<tray::ProcessEntry>& list) override
    {
        ++processListings;
        list = processes;
        return processListWorks;
    }
    // A program in the foreground, with a window handle no real window has.
    void SetForegroundProgram(const std::wstring& exeName, DWORD processId = 4242)
    {
        foreground = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7000 + processId));
        windowProcesses[foreground] = processId;
        processes.push_back({processId, exeName});
    }

    struct NotifyCall {
        DWORD message;
        NOTIFYICONDATAW data;
    };
    std::vector<NotifyCall> notifyCalls;
    BOOL notifyResult = TRUE;
    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override
    {
        notifyCalls.push_back({message, *data});
        return notifyResult;
    }
    // Icons added and not deleted since, by the last call of each kind.
    int IconsShown() const
    {
        int shown = 0;
        for (const NotifyCall& call : notifyCalls) {
            if (call.message == NIM_ADD)
                ++shown;
            else if (call.message == NIM_DELETE && shown > 0)
                --shown;
        }
        return shown;
    }

    std::vector<std::wstring> messageBoxes;
    std::vector<UINT> messageBoxTypes;
    int ShowMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT type) override
    {
        messageBoxes.push_back(text);
        messageBoxTypes.push_back(type);
        return IDOK;
    }
};

// Installs a platform for the scope.
class CScopedPlatform {
public:
    explicit CScopedPlatform(tray::ITrayPlatform& platform) { tray::SetTrayPlatform(&platform); }
    ~CScopedPlatform() { tray::SetTrayPlatform(nullptr); }
    CScopedPlatform(const CScopedPlatform&) = delete;
    CScopedPlatform& operator=(const CScopedPlatform&) = delete;
};
