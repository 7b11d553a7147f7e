// The seam between the tray program and the system calls that a test must control or observe: creating
// the device service, opening files through the shell, the clock, the foreground window and the process
// list, the notification area and the message box. The default forwards each call to the system; tests
// install their own.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "DeviceService.h"

namespace tray {

struct ProcessEntry {
    DWORD processId = 0;
    std::wstring exeName;  // file name without folder, as the process list reports it
};

class ITrayPlatform {
public:
    virtual ~ITrayPlatform() = default;

    // CoCreateInstance of the device service's class for IDeviceCollection, in any context.
    virtual HRESULT CreateDeviceService(IDeviceCollection** root) = 0;
    // ShellExecuteW(owner, "open", file, no parameters, no directory, SW_SHOWNORMAL).
    virtual HINSTANCE ShellOpen(HWND owner, const wchar_t* file) = 0;
    virtual DWORD TickCount() = 0;
    virtual HWND ForegroundWindow() = 0;
    // 0 when the window has no process.
    virtual DWORD WindowProcessId(HWND window) = 0;
    // A snapshot of the running processes; false when none could be taken.
    virtual bool ListProcesses(std::vector<ProcessEntry>& processes) = 0;
    virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) = 0;
    virtual int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

// The platform in use: the Win32 one unless a test installed another.
ITrayPlatform& TrayPlatform();
// Installs `platform` (not owned); null restores the Win32 one.
void SetTrayPlatform(ITrayPlatform* platform);

// The Win32 implementation, for fakes that forward what they do not change.
ITrayPlatform& SystemTrayPlatform();

} // namespace tray
