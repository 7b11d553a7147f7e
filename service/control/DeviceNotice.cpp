// Building and broadcasting the simulated keyboard's device-change notification.
#include "service/control/DeviceNotice.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

const wchar_t kKeyboardDevicePath[] =
    L"\\\\?\\HID#VID_3F1D&PID_0110&MI_00#7&1a2b3c4d&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}";

std::wstring DeviceInterfacePath(WORD productId, unsigned index)
{
    wchar_t path[160];
    swprintf(path, sizeof(path) / sizeof(path[0]),
             L"\\\\?\\HID#VID_3F1D&PID_%04X&MI_00#7&1a2b3c4d&0&%04X#{378de44c-56ef-11d1-bc8c-00a0c91405dd}",
             static_cast<unsigned>(productId), index & 0xFFFF);
    return path;
}

namespace {

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

} // namespace

WPARAM DeviceChangeEvent(DeviceChange change)
{
    switch (change) {
    case DeviceChange::Arrival:
        return DBT_DEVICEARRIVAL;
    case DeviceChange::Removal:
        return DBT_DEVICEREMOVECOMPLETE;
    case DeviceChange::NodesChanged:
        break;
    }
    return DBT_DEVNODES_CHANGED;
}

std::vector<BYTE> BuildDeviceInterfaceRecord(const std::wstring& devicePath, const GUID& interfaceClass)
{
    size_t bytes = kNameOffset + (devicePath.size() + 1) * sizeof(wchar_t);
    if (bytes < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W))
        bytes = sizeof(DEV_BROADCAST_DEVICEINTERFACE_W);
    std::vector<BYTE> record(bytes, 0);
    DEV_BROADCAST_DEVICEINTERFACE_W header = {};
    header.dbcc_size = static_cast<DWORD>(bytes);
    header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header.dbcc_classguid = interfaceClass;
    std::memcpy(record.data(), &header, kNameOffset);
    std::memcpy(record.data() + kNameOffset, devicePath.c_str(), devicePath.size() * sizeof(wchar_t));
    return record;
}

bool BroadcastDeviceChange(DeviceChange change, const std::wstring& devicePath)
{
    std::vector<BYTE> record;
    LPARAM data = 0;
    if (change != DeviceChange::NodesChanged) {
        record = BuildDeviceInterfaceRecord(devicePath);
        data = reinterpret_cast<LPARAM>(record.data());
    }
    // Only a sent broadcast arrives under Wine: the posted and force-if-hung kinds report success and
    // deliver nothing, since the record has to be copied into each receiver while the sender waits.
    DWORD recipients = BSM_APPLICATIONS;
    return BroadcastSystemMessageW(BSF_QUERY, &recipients, WM_DEVICECHANGE, DeviceChangeEvent(change), data) > 0;
}
