// Keeps Wine's desktop and service processes alive for a whole test run: one hidden top-level window
// and a message loop. Once the window exists it creates the file named by its argument, so the test
// script knows Wine is up before any test runs. The script ends it by its process id.
#include "framework/Handle.h"

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TessaryDesktopHolder";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                               wc.hInstance, nullptr);
    if (argc > 1) {
        // The file's existence is the whole message: it is closed at once.
        const CHandle ready(CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    if (!wnd)
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
