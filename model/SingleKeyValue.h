// The value that the single-key entry popup edits: the key's display text and its codes.
#pragma once

#include <cstdint>
#include <string>

struct SingleKeyValue {
    std::wstring text;
    uint16_t scanCode = 0;
    uint16_t virtualKey = 0;
    uint32_t extended = 0;
};
