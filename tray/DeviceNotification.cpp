// Which device-interface notices name the keyboard.
#include "tray/DeviceNotification.h"

#include "tray/TrayIds.h"

#include <cwctype>

namespace tray {

bool IsKeyboardDevicePath(const std::wstring& path)
{
    std::wstring upper = path;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper.find(kDeviceVendorTag) != std::wstring::npos && upper.find(kDeviceProductTag) != std::wstring::npos;
}

} // namespace tray
