// The rows of the skin element table for the widgets the configurator makes (the value widgets' rows
// are in ValueWidgetReaders.cpp, so that a program that makes none carries none).
#include "skin/WidgetReaders.h"

#include <iterator>

#include "skin/AnimatedBtn.h"
#include "skin/BitmapBtn.h"
#include "skin/BitmapItem.h"
#include "skin/BitmapWnd.h"
#include "skin/DropdownListItem.h"
#include "skin/EditItem.h"
#include "skin/EditItemSingleKey.h"
#include "skin/KeyItem.h"
#include "skin/ListCtrlEx.h"
#include "skin/ListPanelItem.h"
#include "skin/MacroDisplayItem.h"
#include "skin/ProfileBtn.h"
#include "skin/SkinElements.h"
#include "skin/SkinResources.h"
#include "skin/TextItem.h"

void AddSkinWidgetReaders()
{
    AddSkinPictureDecoder();
    static const SkinElementRow kRows[] = {
        {"BUTTON", &CreateBitmapBtn},
        {"PROFBUTTON", &CreateProfileBtn},
        {"AVIBUTTON", &CreateAVIButton},
        {"EDITCTRL", &CreateEditItem},
        {"EDITCTRLSK", &CreateEditItemSingleKeyInput},
        {"TEXTITEM", &CreateTextItem},
        {"KBDKEY", &CreateKeyboardKeyItem},
        {"COMBO", &CreateDropdownListItem},
        {"LISTPANEL", &CreateListPanelItem},
        {"LISTCTRL", &CreateXListCtrl},
        {"MACRODISPLAY", &CreateMacroDisplayItem},
        {"BITMAPITEM", &CreateBitmapItem},
        {"BITMAPWINDOW", &CreateBitmapWindow},
    };
    AddSkinElementReaders(kRows, std::size(kRows));
}
