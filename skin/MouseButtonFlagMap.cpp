// The map between the button-transition flags of a raw mouse report and the button codes and states of
// macro events. The device service's records use it without the rest of raw input.
#include "skin/RawInput.h"

#include <map>

namespace {

struct FlagEntry {
    USHORT flags;
    MouseButtonTransition transition;
};

// One transition per flag, in ascending flag order.
const FlagEntry kFlagEntries[] = {
    {RI_MOUSE_LEFT_BUTTON_DOWN, {1, kMouseButtonPressed}},
    {RI_MOUSE_LEFT_BUTTON_UP, {1, kMouseButtonReleased}},
    {RI_MOUSE_RIGHT_BUTTON_DOWN, {2, kMouseButtonPressed}},
    {RI_MOUSE_RIGHT_BUTTON_UP, {2, kMouseButtonReleased}},
    {RI_MOUSE_MIDDLE_BUTTON_DOWN, {3, kMouseButtonPressed}},
    {RI_MOUSE_MIDDLE_BUTTON_UP, {3, kMouseButtonReleased}},
    {RI_MOUSE_BUTTON_4_DOWN, {25, kMouseButtonPressed}},
    {RI_MOUSE_BUTTON_4_UP, {25, kMouseButtonReleased}},
    {RI_MOUSE_BUTTON_5_DOWN, {26, kMouseButtonPressed}},
    {RI_MOUSE_BUTTON_5_UP, {26, kMouseButtonReleased}},
};

std::map<USHORT, MouseButtonTransition>& FlagMap()
{
    static std::map<USHORT, MouseButtonTransition> map;
    return map;
}

bool g_flagMapFilled = false;

}  // namespace

void MouseButtonFlagMap::Initialise()
{
    if (g_flagMapFilled)
        return;
    for (const FlagEntry& entry : kFlagEntries)
        FlagMap()[entry.flags] = entry.transition;
    g_flagMapFilled = true;
}

bool MouseButtonFlagMap::IsFilled()
{
    return g_flagMapFilled;
}

MouseButtonTransition MouseButtonFlagMap::Lookup(USHORT buttonFlags)
{
    Initialise();
    const auto& map = FlagMap();
    const auto found = map.find(buttonFlags);
    return found == map.end() ? MouseButtonTransition{} : found->second;
}

USHORT MouseButtonFlagMap::FindFlags(uint32_t button, uint8_t state)
{
    Initialise();
    if (button == 0)
        return 0;
    for (const auto& [flags, transition] : FlagMap()) {
        if (transition.button == button && transition.state == state)
            return flags;
    }
    return 0;
}
