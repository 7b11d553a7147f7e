// TessaryTray.exe: the tray program's entry.
#include <windows.h>

#include "tray/FennSysTrayApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    tray::CFennSysTrayApp app;
    if (!app.InitInstance())
        return app.ExitInstance();
    app.Run();
    return app.ExitInstance();
}
