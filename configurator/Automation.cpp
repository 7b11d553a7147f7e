// The registered lookup message for drivers in other processes.
#include "configurator/Automation.h"

namespace config {

UINT AutomationMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TessaryConfig.Automation");
    return message;
}

namespace {

bool PaintPending(HWND window)
{
    if (::GetUpdateRect(window, nullptr, FALSE))
        return true;
    BOOL pending = FALSE;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) {
                *reinterpret_cast<BOOL*>(data) = TRUE;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return pending != FALSE;
}

} // namespace

LRESULT AnswerAutomation(HWND window, std::initializer_list<const SkinItemList*> lists, WPARAM wParam, LPARAM lParam,
                         LRESULT state)
{
    if (lParam == kAutomationState)
        return state | (PaintPending(window) ? kAutomationPaintPending : 0);
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
