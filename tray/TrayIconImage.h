// The program's icon, drawn at run time in any size: a dark key cap with a green bar, the colour of the
// on-screen display.
#pragma once

#include <windows.h>

namespace tray {

// A new icon of size x size pixels; the caller destroys it. Null when it cannot be made.
HICON CreateTrayIconImage(int size);

} // namespace tray
