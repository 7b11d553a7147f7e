// Starting the device service's registered local server ahead of CoCreateInstance.
#include "ServiceStart.h"

#include "DeviceService.h"
#include "framework/Handle.h"

#include <objbase.h>

#include <string>

namespace {

// One client at a time starts the program, so two clients arriving together start one service.
constexpr wchar_t kStartMutex[] = L"Local\\TessaryDeviceServiceStart";

bool IsSet(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

bool ServiceServes()
{
    const CHandle serving(OpenEventW(SYNCHRONIZE, FALSE, kServiceServingEvent));
    return IsSet(serving);
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
    const CHandle server(process.hProcess);
    CHandle(process.hThread).CloseHandle();
    // A server that ends first (another one serves already, or it failed) sets nothing.
    const HANDLE waits[2] = {serving, server};
    return WaitForMultipleObjects(2, waits, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

} // namespace

bool StartDeviceService(DWORD timeoutMs)
{
    if (ServiceServes())
        return true;
    const CHandle serving(CreateEventW(nullptr, TRUE, FALSE, kServiceServingEvent));
    if (serving.IsNull())
        return false;
    bool serves = false;
    const CHandle mutex(CreateMutexW(nullptr, FALSE, kStartMutex));
    const DWORD locked = !mutex.IsNull() ? WaitForSingleObject(mutex, timeoutMs) : WAIT_FAILED;
    if (locked == WAIT_OBJECT_0 || locked == WAIT_ABANDONED) {
        // Another client may have started it while this one waited for its turn.
        serves = IsSet(serving) || StartAndWait(serving, timeoutMs);
        ReleaseMutex(mutex);
    }
    return serves;
}

HRESULT CreateDeviceService(DWORD context, REFIID riid, void** object)
{
    if ((context & CLSCTX_LOCAL_SERVER) != 0)
        StartDeviceService();
    return CoCreateInstance(CLSID_DeviceService, nullptr, context, riid, object);
}
