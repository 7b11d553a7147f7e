// The registered lookup message for drivers in other processes.
#include "configurator/Automation.h"

namespace config {

UINT AutomationMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TessaryConfig.Automation");
    return message;
}

namespace {

// A paint waits in this thread, for the window, one of its widgets or another window of the thread
// (a popup's owner, say). One question to the queue: walking the widgets and asking each for its update
// region took milliseconds on a page of a hundred keys, and a driver that asks every millisecond would
// slow down the very painting it waits for.
bool PaintPending()
{
    return (::GetQueueStatus(QS_PAINT) & QS_PAINT) != 0;
}

// Where GetGuiResources is only a stub (Wine), the GDI table is per process and accepts an index alone
// (a handle whose upper word is 0) for the entry at that index: a live object answers its type.
DWORD CountGdiHandles()
{
    DWORD count = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++count;
    }
    return count;
}

struct WindowCount {
    DWORD process;
    DWORD windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM data)
{
    ++reinterpret_cast<WindowCount*>(data)->windows;
    return TRUE;
}

// A top-level or message-only window of this process, with its children.
BOOL CALLBACK CountTree(HWND window, LPARAM data)
{
    auto* count = reinterpret_cast<WindowCount*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == count->process) {
        ++count->windows;
        ::EnumChildWindows(window, CountChild, data);
    }
    return TRUE;
}

DWORD CountWindows()
{
    WindowCount count = {::GetCurrentProcessId(), 0};
    ::EnumWindows(CountTree, reinterpret_cast<LPARAM>(&count));
    for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;)
        CountTree(window, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

LRESULT GuiObjects()
{
    HANDLE self = ::GetCurrentProcess();
    DWORD gdi = ::GetGuiResources(self, GR_GDIOBJECTS);
    DWORD user = ::GetGuiResources(self, GR_USEROBJECTS);
    if (gdi == 0)
        gdi = CountGdiHandles();
    if (user == 0)
        user = CountWindows();
    return static_cast<LRESULT>(gdi) | (static_cast<LRESULT>(user) << 32);
}

} // namespace

LRESULT AnswerAutomation(std::initializer_list<const SkinItemList*> lists, WPARAM wParam, LPARAM lParam,
                         LRESULT state)
{
    if (lParam == kAutomationState)
        return state | (PaintPending() ? kAutomationPaintPending : 0);
    if (lParam == kAutomationGuiObjects)
        return GuiObjects();
    if (lParam != kAutomationItemWindow)
        return 0;
    for (const SkinItemList* list : lists) {
        CGUIItem* item = list ? FindItemById(*list, static_cast<int>(wParam)) : nullptr;
        if (item && item->m_window && item->m_window != reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)) &&
            ::IsWindow(item->m_window))
            return reinterpret_cast<LRESULT>(item->m_window);
    }
    return 0;
}

} // namespace config
