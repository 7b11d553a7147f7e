// The recording light scheme's three settings.
#include "tray/LedScheme.h"

namespace tray {

CMacroLedScheme::CMacroLedScheme()
{
    // The light's id and colour values are the device's: 7 is the macro light.
    m_entries[kRecording] = CLed{7, 1, 255, 100, 0, 0, 0};
    m_entries[kWaitingForButton] = CLed{7, 1, 255, 100, 1, 300, 300};
    m_entries[kEnded] = CLed{7, 0, 255, 100, 0, 0, 0};
}

const CMacroLedScheme& MacroLedScheme()
{
    static const CMacroLedScheme scheme;
    return scheme;
}

} // namespace tray
