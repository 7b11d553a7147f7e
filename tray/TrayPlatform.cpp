// The Win32 side of the tray program's platform seam.
#include "tray/TrayPlatform.h"

#include "framework/Handle.h"
#include "service/ServiceStart.h"

#include <tlhelp32.h>

namespace tray {
namespace {

class CSystemPlatform : public ITrayPlatform {
public:
    HRESULT CreateDeviceService(IDeviceCollection** root) override
    {
        const DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
        return ::CreateDeviceService(context, IID_IDeviceCollection, reinterpret_cast<void**>(root));
    }

    HINSTANCE ShellOpen(HWND owner, const wchar_t* file) override
    {
        return ::ShellExecuteW(owner, L"open", file, nullptr, nullptr, SW_SHOWNORMAL);
    }

    DWORD TickCount() override { return ::GetTickCount(); }

    HWND ForegroundWindow() override { return ::GetForegroundWindow(); }

    DWORD WindowProcessId(HWND window) override
    {
        DWORD processId = 0;
        if (!::GetWindowThreadProcessId(window, &processId))
            return 0;
        return processId;
    }

    bool ListProcesses(std::vector<ProcessEntry>& processes) override
    {
        processes.clear();
        const CHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot.IsNull())
            return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
            // szExeFile is a fixed array: never read past it, even if the system left it unterminated.
            size_t length = 0;
            while (length < MAX_PATH && entry.szExeFile[length])
                ++length;
            processes.push_back({entry.th32ProcessID, std::wstring(entry.szExeFile, length)});
        }
        return true;
    }

    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override { return ::Shell_NotifyIconW(message, data); }

    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override
    {
        return ::MessageBoxW(owner, text, caption, type);
    }
};

ITrayPlatform* gInstalled = nullptr;

} // namespace

ITrayPlatform& SystemTrayPlatform()
{
    static CSystemPlatform platform;
    return platform;
}

ITrayPlatform& TrayPlatform()
{
    return gInstalled ? *gInstalled : SystemTrayPlatform();
}

void SetTrayPlatform(ITrayPlatform* platform)
{
    gInstalled = platform;
}

} // namespace tray
