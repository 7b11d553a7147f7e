// The record every skin object carries (CGUIItem), the codes of the skin object kinds, and the item
// lists that panels and pages keep their skin objects in, with their lookups, showing and deletion.
#pragma once

#include <windows.h>

#include <vector>

class CWnd;

// Kinds of skin objects, by the element of the skin file that creates them. The codes are stored in
// CGUIItem::m_type, an int.
namespace SkinItemType {
enum Code : int {
    PanelBitmap = 0,        // BACKGROUND, MASK: CPanelBitmap
    BitmapItem = 1,         // BITMAPITEM: CBitmapItem
    BitmapButton = 2,       // BUTTON: CBitmapBtn
    AviButton = 3,          // AVIBUTTON: CAVIButton
    ProfileButton = 4,      // PROFBUTTON: CProfileBtn
    VertSlider = 5,         // VSLIDER: CVertSlider
    StageThumb = 6,         // a STAGE thumb of an HSLIDERM: CPHSlider
    DMarker = 7,            // DMARKER: CDMarker
    MultiSlider = 8,        // HSLIDERM: CSliderHMulti
    MarkerSlider = 9,       // HSLIDERMAPM: CAPMSlider
    MacroDisplay = 10,      // MACRODISPLAY: CMacroDisplayItem
    TextItem = 11,          // TEXTITEM: CTextItem
    Font = 12,              // FONT: CFontItem
    LangTable = 13,         // LANG: CLangTable
    DropdownList = 14,      // COMBO: CDropdownListItem
    ListPanel = 15,         // LISTPANEL: CListPanelItem
    BitmapWindow = 16,      // BITMAPWINDOW: CBitmapWindow
    ListCtrl = 17,          // LISTCTRL: CXListCtrl
    EditItem = 18,          // EDITCTRL: CEditItem
    EditItemSingleKey = 19, // EDITCTRLSK: CEditItemSingleKeyInput
    DpiStageWindow = 20,    // DPISTAGEWINDOW: CDPIStageWindow
    KeyboardDef = 21,       // KEYBOARDDEF: CKeyboardDef, the one program-wide key definition table
    KeyboardKey = 22,       // KBDKEY: CKeyboardKeyItem
    KeyboardLayout = 23,    // KBLAYOUT: CKeyboardLayoutSetting
};
} // namespace SkinItemType

// A second base of every skin object (after its window or GDI class, if any). Deleting through it
// deletes the whole object: a window object destroys its window, a GDI object deletes its handle.
class CGUIItem {
public:
    CGUIItem() = default;
    virtual ~CGUIItem() = default;

    // Shows (SW_SHOW) or hides (SW_HIDE) the object's own window; nothing for objects that are not
    // windows or have none. Widgets with companion windows override it to take those along.
    virtual void ShowItem(bool show);

    // What an element reader records of the object it made.
    void SetSkinItem(int id, int type, HWND window, CWnd* owner)
    {
        m_id = id;
        m_type = type;
        m_window = window;
        m_owner = owner;
    }

    int m_id = -1;    // skin item id: index of the object's identifier in SkinResourceNames()
    int m_type = -1;  // a SkinItemType code
    // The control's window once created; 0 for objects without a window. Not cleared when the window
    // goes away.
    HWND m_window = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));
    CWnd* m_owner = nullptr;  // the parent window the loader was given
};

// Skin objects in the order the loader created them. The list owns them (see DeleteSkinItems).
using SkinItemList = std::vector<CGUIItem*>;

// The first item from the front with this id, or null.
CGUIItem* FindItemById(const SkinItemList& list, int id);
// The first item with this id when it is of this kind, as the widget class; null otherwise.
template <class T>
T* FindItemAs(const SkinItemList& list, int id, int type)
{
    CGUIItem* item = FindItemById(list, id);
    return item && item->m_type == type ? dynamic_cast<T*>(item) : nullptr;
}
// The first item whose window field is `wnd`, or null. A null `wnd` finds the first object without
// a window (a panel bitmap, font, language table or layout entry).
CGUIItem* FindItemByHwnd(const SkinItemList& list, HWND wnd);

// Shows or hides a widget (ShowItem) when its kind is shown with its page: codes 1-8, 10, 11, 14, 16-20
// and 22. Other codes, the marker slider (9) among them, are left alone.
void ShowSkinItem(CGUIItem* item, bool show);
// ShowSkinItem for every item, front to back.
void ShowSkinItems(const SkinItemList& list, bool show);

// Deletes the items back to front and empties the list. The key definition table (21) is program-wide:
// it is taken out of the list but not deleted.
void DeleteSkinItems(SkinItemList& list);
// DeleteSkinItems, then releases the list's storage.
void FreeSkinItemList(SkinItemList& list);
