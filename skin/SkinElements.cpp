// The skin element reader table.
#include "skin/SkinElements.h"

#include <cstring>
#include <map>
#include <string>

#include "model/TextCompare.h"
#include "skin/APMSlider.h"
#include "skin/AnimatedBtn.h"
#include "skin/BitmapBtn.h"
#include "skin/BitmapItem.h"
#include "skin/BitmapWnd.h"
#include "skin/DMarker.h"
#include "skin/DPIStageWindow.h"
#include "skin/DropdownListItem.h"
#include "skin/EditItem.h"
#include "skin/EditItemSingleKey.h"
#include "skin/FontItem.h"
#include "skin/KeyItem.h"
#include "skin/KeyboardLayoutSetting.h"
#include "skin/LangTable.h"
#include "skin/ListCtrlEx.h"
#include "skin/ListPanelItem.h"
#include "skin/MacroDisplayItem.h"
#include "skin/ProfileBtn.h"
#include "skin/SliderHMulti.h"
#include "skin/TextItem.h"
#include "skin/VertSlider.h"

namespace {

CGUIItem* ReadFont(const pugi::xml_node& element, SkinLoadContext& context)
{
    return ReadFontElement(element, context.parent);
}

CGUIItem* ReadLang(const pugi::xml_node& element, SkinLoadContext& context)
{
    return ReadLangElement(element, context.parent, context.list);
}

struct ReaderRow {
    const char* element;
    SkinElementReader reader;
};

const ReaderRow kReaders[] = {
    {"FONT", &ReadFont},
    {"LANG", &ReadLang},
    {"BUTTON", &ReadBitmapBtnElement},
    {"PROFBUTTON", &CreateProfileBtn},
    {"AVIBUTTON", &CreateAVIButton},
    {"EDITCTRL", &CreateEditItem},
    {"EDITCTRLSK", &CreateEditItemSingleKeyInput},
    {"KBLAYOUT", &ReadKeyboardLayoutElement},
    {"TEXTITEM", &CreateTextItem},
    {"KBDKEY", &CreateKeyboardKeyItem},
    {"COMBO", &CreateDropdownListItem},
    {"LISTPANEL", &CreateListPanelItem},
    {"LISTCTRL", &CreateXListCtrl},
    {"MACRODISPLAY", &CreateMacroDisplayItem},
    {"BITMAPITEM", &CreateBitmapItem},
    {"BITMAPWINDOW", &CreateBitmapWindow},
    {"VSLIDER", &CreateVertSlider},
    {"HSLIDERM", &CreateSliderHMulti},
    {"HSLIDERMAPM", &CreateAPMSlider},
    {"DMARKER", &CreateDMarker},
    {"DPISTAGEWINDOW", &CreateDPIStageWindow},
};

std::map<std::string, SkinElementReader>& RegisteredReaders()
{
    static std::map<std::string, SkinElementReader> readers;
    return readers;
}

} // namespace

CBitmap* FindKeyStateImage(const KeyStateImages& images, const wchar_t* state)
{
    if (!state)
        return nullptr;
    for (const KeyStateImage& entry : images) {
        if (entry.state && EqualsNoCaseAZ(entry.state, state))
            return entry.image;
    }
    return nullptr;
}

SkinElementReader FindSkinElementReader(const char* elementName)
{
    if (!elementName)
        return nullptr;
    auto registered = RegisteredReaders().find(elementName);
    if (registered != RegisteredReaders().end())
        return registered->second;
    for (const ReaderRow& row : kReaders) {
        if (std::strcmp(row.element, elementName) == 0)
            return row.reader;
    }
    return nullptr;
}

SkinElementReader RegisterSkinElementReader(const char* elementName, SkinElementReader reader)
{
    auto& readers = RegisteredReaders();
    SkinElementReader previous = nullptr;
    auto found = readers.find(elementName);
    if (found != readers.end()) {
        previous = found->second;
        readers.erase(found);
    }
    if (reader)
        readers[elementName] = reader;
    return previous;
}
