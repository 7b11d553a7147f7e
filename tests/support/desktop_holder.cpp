// Keeps Wine's desktop process alive for a whole test run: one hidden top-level window, a message loop,
// nothing else. The test script ends it by its process id.
#include <windows.h>

int wmain()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TessaryDesktopHolder";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                    nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
