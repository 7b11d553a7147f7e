// Reading device-interface notices.
#include "framework/DeviceInterfaceNotice.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

const GUID kMouseInterfaceClass = {0x378DE44C, 0x56EF, 0x11D1, {0xBC, 0x8C, 0x00, 0xA0, 0xC9, 0x14, 0x05, 0xDD}};

HDEVNOTIFY RegisterMouseInterfaceNotices(HWND wnd)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kMouseInterfaceClass;
    return ::RegisterDeviceNotificationW(wnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

bool ReadDeviceInterfacePath(WPARAM event, LPARAM data, std::wstring* path, GUID* interfaceClass)
{
    // Only events with this bit carry a record the system copied into the receiver; for the others
    // lParam may be a pointer into another process.
    if (!(event & 0x8000) || !data)
        return false;
    constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    const auto* bytes = reinterpret_cast<const BYTE*>(data);
    DWORD size = 0;
    std::memcpy(&size, bytes + offsetof(DEV_BROADCAST_HDR, dbch_size), sizeof(size));
    if (size < kNameOffset)
        return false;
    const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
    if (record->dbcc_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return false;
    const size_t capacity = (size - kNameOffset) / sizeof(wchar_t);
    const auto* name = reinterpret_cast<const wchar_t*>(bytes + kNameOffset);
    if (path)
        path->assign(name, wcsnlen(name, capacity));
    if (interfaceClass)
        *interfaceClass = record->dbcc_classguid;
    return true;
}

bool IsKeyboardDevicePath(const std::wstring& path)
{
    std::wstring upper = path;
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper.find(kDeviceVendorTag) != std::wstring::npos && upper.find(kDeviceProductTag) != std::wstring::npos;
}
