// Encoding of recorded keys, buttons and delays.
#include "tray/MacroRecorder.h"

#include "tray/TrayPlatform.h"

namespace tray {

CDelayTimer::CDelayTimer() : m_lastTick(TrayPlatform().TickCount()) {}

void CDelayTimer::Restart()
{
    m_lastTick = TrayPlatform().TickCount();
}

DWORD CDelayTimer::Take()
{
    const DWORD now = TrayPlatform().TickCount();
    DWORD delay = now - m_lastTick;
    m_lastTick = now;
    return delay > kMaxDelayMs ? kMaxDelayMs : delay;
}

void TrayMacroRecorder::StartRecorder()
{
    m_events.clear();
    m_recording = true;
    m_delay.Restart();
}

void TrayMacroRecorder::Reset()
{
    m_recording = false;
    m_events.clear();
}

void TrayMacroRecorder::AppendDelayEvent()
{
    // The first event has nothing before it to wait for; the clock starts at it.
    if (m_events.empty()) {
        m_delay.Restart();
        return;
    }
    m_events.push_back({kDelayEvent, m_delay.Take()});
}

void TrayMacroRecorder::RecordRawInput(HRAWINPUT input)
{
    if (!m_recording)
        return;
    RawInputReport report;
    if (ReadRawInput(input, &report))
        RecordReport(report);
}

void TrayMacroRecorder::RecordReport(const RawInputReport& report)
{
    if (!m_recording)
        return;
    if (report.type == RIM_TYPEKEYBOARD) {
        const DWORD value = DWORD(report.keyboard.MakeCode) | (DWORD(report.keyboard.Flags) << 16);
        const bool pressed = (report.keyboard.Flags & RI_KEY_BREAK) == 0;
        // A held key repeats its press; the macro keeps the first one only.
        if (pressed && !m_events.empty() && m_events.back().type == kKeyEvent && m_events.back().value == value)
            return;
        AppendDelayEvent();
        m_events.push_back({kKeyEvent, value});
    } else if (report.type == RIM_TYPEMOUSE) {
        const USHORT flags = report.mouse.usButtonFlags;
        // Exactly one of the five buttons going down or up; movement, the wheel and reports with several
        // transitions are not macro events.
        switch (flags) {
        case 0x0001: case 0x0002: case 0x0004: case 0x0008: case 0x0010:
        case 0x0020: case 0x0040: case 0x0080: case 0x0100: case 0x0200:
            AppendDelayEvent();
            m_events.push_back({kMouseButtonEvent, DWORD(flags) | (DWORD(report.mouse.usButtonData) << 16)});
            break;
        default:
            break;
        }
    }
}

TrayMacroRecorder& MacroRecorder()
{
    static TrayMacroRecorder recorder;
    return recorder;
}

} // namespace tray
