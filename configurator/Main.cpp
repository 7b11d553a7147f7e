// TessaryConfig.exe: the configurator's entry.
#include <windows.h>

#include "configurator/OssleApp.h"
#include "model/DeviceTask.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int code = 0;
    {
        COssleAppApp app;
        app.InitInstance();
        code = app.ExitInstance();
    }
    // A read of the keyboard that the device object stopped waiting for (a service that no longer
    // answers) still works on the store it was left and on the program's tables: the process ends here,
    // before the runtime would tear down those tables under it.
    if (RunningDeviceTasks() > 0)
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
    return code;
}
