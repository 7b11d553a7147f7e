// The device-change notification that stands in for the system's when the simulated keyboard is
// plugged or unplugged: the record of a mouse-class device interface whose path names the keyboard and its
// delivery to every top-level window of every program. Receivers read it with ReadDeviceInterfacePath
// (framework/DeviceInterfaceNotice.h), as the programs do.
//
// Wine raises no device-interface notifications of its own, so the control tool sends them after the
// service has changed the keyboard's plugged state; tests send them in-process the same way.
#pragma once

#include "framework/DeviceInterfaceNotice.h"

#include <windows.h>

#include <string>
#include <vector>

// A device path of the kind the system gives the keyboard's mouse interface. Receivers look for
// "VID_3F1D" and "PID_0110" in its upper-cased form.
extern const wchar_t kKeyboardDevicePath[];

// The same kind of path for the device at `index` of the service's list with its product id (the
// keyboard at index 0 gets kKeyboardDevicePath).
std::wstring DeviceInterfacePath(WORD productId, unsigned index);

enum class DeviceChange {
    Arrival,       // DBT_DEVICEARRIVAL with a device-interface record
    Removal,       // DBT_DEVICEREMOVECOMPLETE with a device-interface record
    NodesChanged,  // DBT_DEVNODES_CHANGED, no record
};

// The WM_DEVICECHANGE event code (wParam) of a change.
WPARAM DeviceChangeEvent(DeviceChange change);

// A DEV_BROADCAST_DEVICEINTERFACE_W record with its name stored in the same block: dbcc_size is the
// whole block (the name and its terminator included, never less than the structure), the device type
// DBT_DEVTYP_DEVICEINTERFACE. Receivers copy across processes exactly dbcc_size bytes, so the name must
// lie inside them.
std::vector<BYTE> BuildDeviceInterfaceRecord(const std::wstring& devicePath,
                                             const GUID& interfaceClass = kMouseInterfaceClass);

// Sends WM_DEVICECHANGE to the top-level windows of every program, hidden ones included, and returns
// once each has handled it (a window that does not answer is given up after the system's timeout).
// Arrival and removal carry the record of `devicePath`. False when nothing could be sent.
bool BroadcastDeviceChange(DeviceChange change, const std::wstring& devicePath = kKeyboardDevicePath);
