// Building the tray menu.
#include "tray/TrayMenu.h"

#include "skin/LangTable.h"
#include "tray/TrayIds.h"
#include "tray/TrayTexts.h"

#include <algorithm>

namespace tray {

HMENU LoadTrayMenu()
{
    HMENU bar = ::CreateMenu();
    HMENU popup = ::CreatePopupMenu();
    if (!bar || !popup) {
        if (bar)
            ::DestroyMenu(bar);
        if (popup)
            ::DestroyMenu(popup);
        return nullptr;
    }
    ::AppendMenuW(popup, MF_STRING, ID_TRAY_LOADCONFIGURATOR, kLoadConfiguratorText);
    for (UINT i = 0; i < kMenuProfileSlots; ++i)
        ::AppendMenuW(popup, MF_STRING, ID_TRAY_PROFILE1 + i, (L"Profile" + std::to_wstring(i + 1)).c_str());
    ::AppendMenuW(popup, MF_STRING, ID_TRAY_CLOSE, kCloseTrayText);
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Tray");
    return bar;
}

std::wstring MenuItemText(const std::wstring& name)
{
    std::wstring text;
    text.reserve(name.size());
    for (wchar_t c : name) {
        text += c;
        if (c == L'&')
            text += L'&';
    }
    return text;
}

HMENU BuildTrayMenu(const std::vector<std::wstring>& names, size_t active, const CLangTable* language)
{
    HMENU menu = LoadTrayMenu();
    if (!menu)
        return nullptr;
    HMENU popup = ::GetSubMenu(menu, 0);

    if (language) {
        std::wstring text;
        if (language->LookupText(kLoadConfiguratorKey, text))
            ::ModifyMenuW(popup, ID_TRAY_LOADCONFIGURATOR, MF_BYCOMMAND | MF_STRING, ID_TRAY_LOADCONFIGURATOR,
                          text.c_str());
        if (language->LookupText(kCloseTrayKey, text))
            ::ModifyMenuW(popup, ID_TRAY_CLOSE, MF_BYCOMMAND | MF_STRING, ID_TRAY_CLOSE, text.c_str());
    }

    const UINT count = static_cast<UINT>(std::min<size_t>(names.size(), kMenuProfileSlots));
    if (count > 0) {
        ::InsertMenuW(popup, ID_TRAY_PROFILE1, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
        for (UINT i = 0; i < count; ++i) {
            const UINT id = ID_TRAY_PROFILE1 + i;
            ::ModifyMenuW(popup, id, MF_BYCOMMAND | MF_STRING, id, MenuItemText(names[i]).c_str());
            ::CheckMenuItem(popup, id, MF_BYCOMMAND | (i == active ? MF_CHECKED : MF_UNCHECKED));
        }
        // Before the close item rather than before the first unused profile item: with every slot in
        // use there is no such item, and the profiles would run into the close item.
        ::InsertMenuW(popup, ID_TRAY_CLOSE, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    }
    for (UINT id = ID_TRAY_PROFILE1 + count; id <= ID_TRAY_PROFILE11; ++id)
        ::DeleteMenu(popup, id, MF_BYCOMMAND);

    ::SetMenuDefaultItem(popup, ID_TRAY_LOADCONFIGURATOR, FALSE);
    return menu;
}

} // namespace tray
