// The light settings of an on-the-fly macro recording: light 7 steady while recording, blinking while
// the device waits for the button that gets the macro, off at the end.
#pragma once

namespace tray {

// One light's setting as it is applied to the active profile's light of the same id.
struct CLed {
    int id = 0;
    int on = 0;           // 1: switched on
    int value = 0;        // ILedValue
    int auxValue = 0;     // ILedAuxValue
    int blink = 0;        // 1: blink with the on and off times
    int onTimeMs = 0;
    int offTimeMs = 0;
};

class CMacroLedScheme {
public:
    enum Entry { kRecording = 0, kWaitingForButton = 1, kEnded = 2 };

    CMacroLedScheme();

    const CLed& Get(Entry entry) const { return m_entries[entry]; }

private:
    CLed m_entries[3];
};

// The program's one scheme.
const CMacroLedScheme& MacroLedScheme();

} // namespace tray
