// The on-the-fly macro recorder: turns the raw keyboard and mouse reports that arrive while the device
// records into the device's macro events, with a delay event between any two of them.
#pragma once

#include <windows.h>

#include <vector>

#include "DeviceService.h"
#include "skin/RawInput.h"

namespace tray {

// The time since the previous recorded event, from the platform clock.
class CDelayTimer {
public:
    static constexpr DWORD kMaxDelayMs = 0xFFFFFF;  // what a delay event can hold

    CDelayTimer();
    virtual ~CDelayTimer() = default;

    void Restart();
    // Milliseconds since the last Restart or Take (unsigned, so a wrapped clock still counts forward),
    // at most kMaxDelayMs; the clock restarts from now.
    DWORD Take();

private:
    DWORD m_lastTick;
};

class TrayMacroRecorder {
public:
    // Event types of the device's macro events.
    static constexpr DWORD kMouseButtonEvent = 1;
    static constexpr DWORD kKeyEvent = 2;
    static constexpr DWORD kDelayEvent = 3;

    // Clears the events and records from now on.
    void StartRecorder();
    // Ends recording and keeps the events.
    void Stop() { m_recording = false; }
    // Ends recording and drops the events.
    void Reset();

    bool IsRecording() const { return m_recording; }
    const std::vector<DeviceMacroEvent>& Events() const { return m_events; }

    // Reads the report behind a WM_INPUT handle and records it.
    void RecordRawInput(HRAWINPUT input);
    // Records one report: a key going down or up (auto-repeat dropped), or a single mouse button going
    // down or up. Everything else, and everything while not recording, is dropped.
    void RecordReport(const RawInputReport& report);

private:
    void AppendDelayEvent();

    bool m_recording = false;
    std::vector<DeviceMacroEvent> m_events;
    CDelayTimer m_delay;
};

// The program's one recorder.
TrayMacroRecorder& MacroRecorder();

} // namespace tray
