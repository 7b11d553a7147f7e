// Device-interface notifications as the tray program reads them: which records name the keyboard (the
// record itself is read by ReadDeviceInterfacePath, framework/DeviceInterfaceNotice.h).
#pragma once

#include <string>

namespace tray {

// True when the path names the keyboard: it holds "VID_3F1D" and "PID_0110", in any case.
bool IsKeyboardDevicePath(const std::wstring& path);

} // namespace tray
