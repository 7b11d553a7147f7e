// WM_DEVICECHANGE notices of device interfaces as the programs receive them: the interface class they
// watch and their registration for it, the bounded reading of a notice's record, and which paths name
// the keyboard.
#pragma once

#include <windows.h>

#include <string>

// {378DE44C-56EF-11D1-BC8C-00A0C91405DD}: the mouse device interface class, under which the keyboard's
// pointing interface comes and goes. The programs register for it.
extern const GUID kMouseInterfaceClass;

// Registers `wnd` for the arrivals and removals of kMouseInterfaceClass interfaces; null when the system
// refuses. The caller ends it with UnregisterDeviceNotification.
HDEVNOTIFY RegisterMouseInterfaceNotices(HWND wnd);

// What a receiver may read from WM_DEVICECHANGE (`event` is wParam, `data` lParam): true with the
// device path and interface class only when the event carries a record (wParam with bit 0x8000, as
// arrival and removal have; for the other events lParam is not a record the system copied, so it is
// never read), the record's size covers its header and class, and it is a device interface; the size
// is checked before anything else of the record is read. The path ends at its terminator or at the
// record's end, whichever comes first.
bool ReadDeviceInterfacePath(WPARAM event, LPARAM data, std::wstring* path, GUID* interfaceClass = nullptr);

// The keyboard as it appears in device-interface paths.
constexpr const wchar_t* kDeviceVendorTag = L"VID_3F1D";
constexpr const wchar_t* kDeviceProductTag = L"PID_0110";

// True when a device-interface path names the keyboard: it holds both tags, each anywhere, in any case of
// the ASCII letters.
bool IsKeyboardDevicePath(const std::wstring& path);
