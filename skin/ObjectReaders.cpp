// The rows of the skin element table for the fonts and the keyboard layout entries.
#include "skin/SkinElements.h"

#include <iterator>

#include "skin/FontItem.h"
#include "skin/KeyboardLayoutSetting.h"

namespace {

CGUIItem* ReadFont(const pugi::xml_node& element, SkinLoadContext& context)
{
    return ReadFontElement(element, context.parent);
}

} // namespace

void AddSkinObjectReaders()
{
    static const SkinElementRow kRows[] = {
        {"FONT", &ReadFont},
        {"KBLAYOUT", &ReadKeyboardLayoutElement},
    };
    AddSkinElementReaders(kRows, std::size(kRows));
}
