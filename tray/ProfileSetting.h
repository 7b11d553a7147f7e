// One device profile as the tray program sees it: its name, the program it is linked to and its three
// flags, read from the device service's profile properties, and the GUID it is told apart by: two
// profiles may share a name.
#pragma once

#include <windows.h>

#include <string>

namespace tray {

struct ProfileSetting {
    std::wstring name;
    std::wstring linkedProgram;  // file name only, at most 127 characters; empty: none
    int autoSwitch = 0;          // 0 or 1: activate while the linked program is in the foreground
    int sensitivityDisplay = 0;  // 0 or 1: has no effect in this program
    int profileDisplay = 0;      // 0 or 1: show the name on screen when the profile becomes active
    GUID guid = GUID_NULL;       // GUID_NULL when it could not be read
};

} // namespace tray
