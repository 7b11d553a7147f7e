// Reading device-interface notification records.
#include "tray/DeviceNotification.h"

#include "tray/TrayIds.h"

#include <cstddef>
#include <cwctype>

namespace tray {

bool ReadDeviceInterfacePath(const DEV_BROADCAST_HDR* header, std::wstring& path)
{
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return false;
    const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header->dbch_size < nameOffset)
        return false;
    const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const size_t maxChars = (header->dbch_size - nameOffset) / sizeof(wchar_t);
    size_t length = 0;
    while (length < maxChars && record->dbcc_name[length])
        ++length;
    path.assign(record->dbcc_name, length);
    return true;
}

bool IsKeyboardDevicePath(const std::wstring& path)
{
    std::wstring upper = path;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper.find(kDeviceVendorTag) != std::wstring::npos && upper.find(kDeviceProductTag) != std::wstring::npos;
}

} // namespace tray
