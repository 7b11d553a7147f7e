// TessaryConfig.exe: the configurator's entry.
#include <windows.h>

#include "configurator/OssleApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    COssleAppApp app;
    app.InitInstance();
    return app.ExitInstance();
}
