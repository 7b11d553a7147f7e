// BareWindow: the least a Win32 program does to show a window, the yardstick of ConfigDialogBench. One
// popup window of the given size, centred, filled with one colour in WM_PAINT; it closes on WM_CLOSE.
// It answers the configurator's automation lookup for its state (shown, paint pending) exactly as the
// configurator does, so that both programs' "painted" is seen from outside in the same way.
//
//   BareWindow [width height]
#include <windows.h>

#include <cwchar>

#include "configurator/Automation.h"

namespace {

constexpr const wchar_t* kClassName = L"TessaryBareWindow";
UINT g_automation = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_automation && g_automation) {
        if (lParam != config::kAutomationState)
            return 0;
        LRESULT state = ::IsWindowVisible(window) ? config::kAutomationShown : 0;
        if (::GetQueueStatus(QS_PAINT) & QS_PAINT)
            state |= config::kAutomationPaintPending;
        return state;
    }
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        HBRUSH brush = ::CreateSolidBrush(RGB(0x20, 0x24, 0x2C));
        ::FillRect(dc, &paint.rcPaint, brush);
        ::DeleteObject(brush);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    // The same registered name as config::AutomationMessage(), without linking the configurator.
    g_automation = ::RegisterWindowMessageW(L"TessaryConfig.Automation");
    int width = 640;
    int height = 480;
    if (commandLine && *commandLine)
        std::swscanf(commandLine, L"%d %d", &width, &height);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass))
        return 1;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, kClassName, L"BareWindow", WS_POPUP, x, y, width, height,
                                    nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, SW_SHOW);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
