// TessaryTrayBench.exe: how much the tray program costs while it waits, and how fast it reacts.
//   1. the tray program's CPU time over a stretch of idle time (60 s unless given) with the keyboard
//      present and its sinks connected;
//   2. the time from a profile-key press sent to the simulated keyboard's control pipe (what the control
//      tool sends) until the on-screen display is visible, over several presses.
// Runs the service on a memory file of its own (the prefix's setting is restored afterwards) and the
// TessaryTray.exe next to this program. Needs an X display. Usage: TessaryTrayBench [idle seconds]
#include "service/DeviceRecords.h"
#include "service/control/ControlClient.h"
#include "framework/ComRef.h"
#include "framework/Handle.h"
#include "framework/Wnd.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>


namespace {

constexpr const wchar_t* kSettingsKey = L"Software\\Tessary\\SimKeyboard";
constexpr const wchar_t* kStateFileValue = L"StateFile";
constexpr int kPresses = 10;

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Handles this thread's messages for that long.
void Pump(DWORD milliseconds)
{
    PumpMessagesUntil([] { return false; }, milliseconds, 50);
}

bool RunAndWait(const std::wstring& commandLine, DWORD timeoutMs)
{
    std::wstring command = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const CHandle program(process.hProcess);
    const CHandle programThread(process.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(program, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(program, &code);
    return code == 0;
}

// The service's memory-file setting, pointed at a file of the benchmark's own for the run.
class CStateFileSetting {
public:
    explicit CStateFileSetting(const std::wstring& file)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, kStateFileValue, nullptr, &m_type, nullptr, &bytes) == ERROR_SUCCESS) {
            m_previous.resize(bytes);
            RegQueryValueExW(key, kStateFileValue, nullptr, &m_type, m_previous.data(), &bytes);
            m_hadPrevious = true;
        }
        RegSetValueExW(key, kStateFileValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                       static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~CStateFileSetting()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (m_hadPrevious)
            RegSetValueExW(key, kStateFileValue, 0, m_type, m_previous.data(), static_cast<DWORD>(m_previous.size()));
        else
            RegDeleteValueW(key, kStateFileValue);
        RegCloseKey(key);
    }

private:
    bool m_hadPrevious = false;
    DWORD m_type = REG_SZ;
    std::vector<BYTE> m_previous;
};

// Quits a running service and waits until its process is gone.
void StopService()
{
    ControlOptions options;
    options.pipeMs = 200;
    const ControlReply reply = SendControlCommand("pid", options);
    if (reply.status != ControlStatus::Ok || reply.lines.size() != 1)
        return;
    const CHandle process(OpenProcess(SYNCHRONIZE, FALSE, std::stoul(reply.lines[0])));
    SendControlCommand("quit");
    if (!process.IsNull())
        WaitForSingleObject(process, 15000);
}

bool SetDisplayFlagEverywhere()
{
    ComRef<IDeviceCollection> root;
    ComRef<IServiceDevice> device;
    ComRef<IProfileManager> profiles;
    if (FAILED(CoCreateInstance(CLSID_DeviceService, nullptr, CLSCTX_LOCAL_SERVER, IID_IDeviceCollection, root.PutVoid())) ||
        FAILED(root->GetDevice(0, device.Put())) ||
        FAILED(device->GetSubObject(IID_IProfileManager, reinterpret_cast<IUnknown**>(profiles.Put()))))
        return false;
    ComRef<IDeviceProfile> second;
    if (FAILED(profiles->CreateProfile(second.Put())) || FAILED(second->SetName(L"Games")))
        return false;
    const ProfileFlagsWrite display = MakeProfileFlagsWrite(ShowProfileOsd, true);
    for (DWORD index = 0;; ++index) {
        ComRef<IDeviceProfile> profile;
        if (FAILED(profiles->GetProfile(index, profile.Put())))
            return index > 0;
        ComRef<IProfilePropertyStore> store;
        if (FAILED(profile->GetSubObject(IID_IProfilePropertyStore, reinterpret_cast<IUnknown**>(store.Put()))) ||
            FAILED(store->SetProperty(kProfileFlagsProperty, reinterpret_cast<const BYTE*>(&display), 0, sizeof(display), 0)))
            return false;
    }
}

bool TrayConnected()
{
    for (const std::string& line : SendControlCommand("state").lines) {
        if (line.find("sinks _IProfileManagerEvents 1 _IOTFMacroRecordingEvents 1") != std::string::npos)
            return true;
    }
    return false;
}

HWND FindOwnWindow(DWORD processId, const wchar_t* className, const wchar_t* title)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, className, title); window;
         window = FindWindowExW(nullptr, window, className, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

ULONGLONG CpuTime100ns(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    auto value = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

int Run(int idleSeconds)
{
    const std::wstring folder = ProgramFolder();
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring stateFile = std::wstring(temp) + L"tessary-tray-bench-" + std::to_wstring(GetCurrentProcessId()) + L".state";

    if (!RunAndWait(L"\"" + folder + L"TessaryDeviceService.exe\" /RegServer", 30000)) {
        fwprintf(stderr, L"bench: the service could not be registered\n");
        return 1;
    }
    // A service still running from before would keep its own memory file.
    StopService();
    CStateFileSetting setting(stateFile);
    CServiceHold hold;
    if (FAILED(hold.Acquire()) || !SetDisplayFlagEverywhere()) {
        fwprintf(stderr, L"bench: the service did not start\n");
        return 1;
    }

    std::wstring command = L"\"" + folder + L"TessaryTray.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION tray{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &tray)) {
        fwprintf(stderr, L"bench: TessaryTray.exe did not start\n");
        return 1;
    }
    CHandle trayProcess(tray.hProcess);
    CHandle(tray.hThread).CloseHandle();
    int result = 1;
    HWND dialog = nullptr;
    HWND display = nullptr;
    if (!PumpMessagesUntil([&] { return TrayConnected(); }, 30000) ||
        !PumpMessagesUntil([&] { return (dialog = FindOwnWindow(tray.dwProcessId, L"#32770", L"TessaryTray")) != nullptr; }, 5000) ||
        !(display = FindOwnWindow(tray.dwProcessId, L"tsy_osd", nullptr))) {
        fwprintf(stderr, L"bench: the tray program did not come up\n");
    } else {
        // Start-up work is not idle time.
        Pump(2000);
        const ULONGLONG cpuBefore = CpuTime100ns(trayProcess);
        const ULONGLONG wallBefore = GetTickCount64();
        Pump(static_cast<DWORD>(idleSeconds) * 1000);
        const ULONGLONG cpu = CpuTime100ns(trayProcess) - cpuBefore;
        const ULONGLONG wall = GetTickCount64() - wallBefore;
        wprintf(L"idle: %.1f ms of CPU time in %.1f s (%.3f %% of one core), device present, sinks connected\n",
                cpu / 10000.0, wall / 1000.0, 100.0 * (cpu / 10000.0) / static_cast<double>(wall));

        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        std::vector<double> latencies;
        for (int press = 0; press < kPresses; ++press) {
            if (!PumpMessagesUntil([&] { return !IsWindowVisible(display); }, 5000))
                break;
            LARGE_INTEGER start, shown;
            QueryPerformanceCounter(&start);
            if (SendControlCommand("profile-key").status != ControlStatus::Ok)
                break;
            const ULONGLONG deadline = GetTickCount64() + 5000;
            while (!IsWindowVisible(display) && GetTickCount64() < deadline)
                Sleep(0);
            QueryPerformanceCounter(&shown);
            if (!IsWindowVisible(display))
                break;
            latencies.push_back(1000.0 * (shown.QuadPart - start.QuadPart) / frequency.QuadPart);
        }
        if (latencies.size() == static_cast<size_t>(kPresses)) {
            std::vector<double> sorted = latencies;
            std::sort(sorted.begin(), sorted.end());
            wprintf(L"profile key to display shown: median %.1f ms, min %.1f ms, max %.1f ms over %d presses\n",
                    sorted[sorted.size() / 2], sorted.front(), sorted.back(), kPresses);
            result = 0;
        } else {
            fwprintf(stderr, L"bench: the display did not show after press %zu\n", latencies.size() + 1);
        }
    }

    if (dialog)
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(trayProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(trayProcess, 1);
    trayProcess.CloseHandle();
    hold.Release();
    StopService();
    DeleteFileW(stateFile.c_str());
    DeleteFileW((stateFile + L".tmp").c_str());
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int idleSeconds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 60;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int code = Run(idleSeconds);
    if (SUCCEEDED(init))
        CoUninitialize();
    return code;
}
