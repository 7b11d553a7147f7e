// Skin items and item lists.
#include "skin/GUIItem.h"

#include "framework/Wnd.h"

void CGUIItem::ShowItem(bool show)
{
    // The window object's own handle, not m_window: the loader leaves some widgets' fields at 0 or -1.
    CWnd* wnd = dynamic_cast<CWnd*>(this);
    if (wnd && wnd->m_hWnd)
        ::ShowWindow(wnd->m_hWnd, show ? SW_SHOW : SW_HIDE);
}

CGUIItem* FindItemById(const SkinItemList& list, int id)
{
    for (CGUIItem* item : list) {
        if (item && item->m_id == id)
            return item;
    }
    return nullptr;
}

CGUIItem* FindItemByHwnd(const SkinItemList& list, HWND wnd)
{
    for (CGUIItem* item : list) {
        if (item && item->m_window == wnd)
            return item;
    }
    return nullptr;
}

void ShowSkinItem(CGUIItem* item, bool show)
{
    if (!item)
        return;
    switch (item->m_type) {
    case SkinItemType::BitmapItem:
    case SkinItemType::BitmapButton:
    case SkinItemType::AviButton:
    case SkinItemType::ProfileButton:
    case SkinItemType::VertSlider:
    case SkinItemType::StageThumb:
    case SkinItemType::DMarker:
    case SkinItemType::MultiSlider:
    case SkinItemType::MacroDisplay:
    case SkinItemType::TextItem:
    case SkinItemType::DropdownList:
    case SkinItemType::BitmapWindow:
    case SkinItemType::ListCtrl:
    case SkinItemType::EditItem:
    case SkinItemType::EditItemSingleKey:
    case SkinItemType::DpiStageWindow:
    case SkinItemType::KeyboardKey:
        item->ShowItem(show);
        break;
    default:
        break;
    }
}

void ShowSkinItems(const SkinItemList& list, bool show)
{
    for (CGUIItem* item : list)
        ShowSkinItem(item, show);
}

void DeleteSkinItems(SkinItemList& list)
{
    while (!list.empty()) {
        // Out of the list first, so that nothing a destructor does can reach a half-deleted item.
        CGUIItem* item = list.back();
        list.pop_back();
        if (item && item->m_type != SkinItemType::KeyboardDef)
            delete item;
    }
}

void FreeSkinItemList(SkinItemList& list)
{
    DeleteSkinItems(list);
    SkinItemList().swap(list);
}
