// Starting the device service's registered local server ahead of CoCreateInstance.
#include "ServiceStart.h"

#include "DeviceService.h"

#include <objbase.h>

#include <string>

namespace {

// One client at a time starts the program, so two clients arriving together start one service.
constexpr wchar_t kStartMutex[] = L"Local\\TessaryDeviceServiceStart";

bool IsSet(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

bool ServiceServes()
{
    HANDLE serving = OpenEventW(SYNCHRONIZE, FALSE, kServiceServingEvent);
    const bool set = IsSet(serving);
    if (serving)
        CloseHandle(serving);
    return set;
}

// The command line COM would run: the class's LocalServer32 value, with the switch COM adds.
bool RegisteredCommand(std::wstring& command)
{
    wchar_t clsid[40] = {};
    StringFromGUID2(CLSID_DeviceService, clsid, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\LocalServer32";
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS || bytes < sizeof(wchar_t))
        return false;
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, &value[0],
                     &bytes) != ERROR_SUCCESS)
        return false;
    value.resize(wcsnlen(value.c_str(), value.size()));
    if (value.empty())
        return false;
    command = value + L" -Embedding";
    return true;
}

bool StartAndWait(HANDLE serving, DWORD timeoutMs)
{
    std::wstring command;
    if (!RegisteredCommand(command))
        return false;
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    // A server that ends first (another one serves already, or it failed) sets nothing.
    const HANDLE waits[2] = {serving, process.hProcess};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
    CloseHandle(process.hProcess);
    return waited == WAIT_OBJECT_0;
}

} // namespace

bool StartDeviceService(DWORD timeoutMs)
{
    if (ServiceServes())
        return true;
    HANDLE serving = CreateEventW(nullptr, TRUE, FALSE, kServiceServingEvent);
    if (!serving)
        return false;
    bool serves = false;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kStartMutex);
    const DWORD locked = mutex ? WaitForSingleObject(mutex, timeoutMs) : WAIT_FAILED;
    if (locked == WAIT_OBJECT_0 || locked == WAIT_ABANDONED) {
        // Another client may have started it while this one waited for its turn.
        serves = IsSet(serving) || StartAndWait(serving, timeoutMs);
        ReleaseMutex(mutex);
    }
    if (mutex)
        CloseHandle(mutex);
    CloseHandle(serving);
    return serves;
}

HRESULT CreateDeviceService(DWORD context, REFIID riid, void** object)
{
    if ((context & CLSCTX_LOCAL_SERVER) != 0)
        StartDeviceService();
    return CoCreateInstance(CLSID_DeviceService, nullptr, context, riid, object);
}
