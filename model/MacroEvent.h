// MacroEvent: one step of a macro (a key, a mouse button or a delay), and builders that keep the bytes
// a kind does not define at 0, as event equality depends on them.
#pragma once

#include <cstdint>

enum MacroEventKind : uint32_t {
    kMacroKey = 0,
    kMacroMouseButton = 1,
    kMacroDelay = 2,
};

// Byte 0 of data2 for keys and mouse buttons.
constexpr uint8_t kMacroPressed = 255;
constexpr uint8_t kMacroReleased = 1;
// Byte 1 of data2 for keys.
constexpr uint8_t kMacroExtendedKey = 1;

struct MacroEvent {
    uint32_t kind;
    // Key: virtual-key code << 16 | scan code. Mouse button: the button code. Delay: milliseconds.
    uint32_t data1;
    // Key: state in byte 0, flags in byte 1. Mouse button: state in byte 0. Delay: the milliseconds
    // again when the macro display recorded or inserted it, else 0.
    uint32_t data2;
};

inline bool operator==(const MacroEvent& a, const MacroEvent& b)
{
    return a.kind == b.kind && a.data1 == b.data1 && a.data2 == b.data2;
}
inline bool operator!=(const MacroEvent& a, const MacroEvent& b) { return !(a == b); }

inline MacroEvent MakeKeyEvent(uint16_t virtualKey, uint16_t scanCode, uint8_t state, uint8_t flags)
{
    return MacroEvent{kMacroKey, uint32_t(virtualKey) << 16 | scanCode, uint32_t(flags) << 8 | state};
}

inline MacroEvent MakeMouseButtonEvent(uint32_t buttonCode, uint8_t state)
{
    return MacroEvent{kMacroMouseButton, buttonCode, state};
}

// A delay as the device reports it (data2 0); the macro display sets data2 itself.
inline MacroEvent MakeDelayEvent(uint32_t milliseconds)
{
    return MacroEvent{kMacroDelay, milliseconds, 0};
}
