// A WM_DEVICECHANGE record as the system copies it to a receiver, for the tests that hand one in.
#pragma once

#include "framework/DeviceInterfaceNotice.h"

#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

// A record of the mouse interface class (the one the programs register for): the header, then the name
// and its terminator, dbcc_size the whole block and never less than the structure.
inline std::vector<BYTE> DeviceInterfaceRecord(const std::wstring& name, DWORD deviceType = DBT_DEVTYP_DEVICEINTERFACE)
{
    constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::vector<BYTE> bytes(std::max(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W), kNameOffset + (name.size() + 1) * 2), 0);
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    record->dbcc_size = static_cast<DWORD>(bytes.size());
    record->dbcc_devicetype = deviceType;
    record->dbcc_classguid = kMouseInterfaceClass;
    std::copy(name.begin(), name.end(), record->dbcc_name);
    return bytes;
}
