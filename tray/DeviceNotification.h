// Device-interface notifications as the tray program reads them: which records name the keyboard, and
// reading a record's device path without trusting what the sender put in it.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <string>

namespace tray {

// The device path of an arrival or removal record, read no further than the record's own size says.
// False for a null record, another device type, or a record too short for its header.
bool ReadDeviceInterfacePath(const DEV_BROADCAST_HDR* header, std::wstring& path);

// True when the path names the keyboard: it holds "VID_3F1D" and "PID_0110", in any case.
bool IsKeyboardDevicePath(const std::wstring& path);

} // namespace tray
