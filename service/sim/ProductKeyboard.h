// The buttons of the simulated keyboard: exactly the keys of the product's keyboard description, each
// with its button id and factory record, and the identity the product keyboard reports.
#pragma once

#include "service/sim/SimTypes.h"

#include <string>
#include <vector>

// The button id of a key that reports `scanCode` with the extended byte `extended` (1 after an E0
// prefix, 2 after E1): the scan code in the low half, 2 or 4 in the high half for an extended key.
std::uint32_t ButtonIdOf(std::uint16_t scanCode, std::uint8_t extended);

// The factory records of the keys of a keyboard description (its text format), in description order:
// one per usable key that reports a scan code, the first key of each button id only (two keys that
// report the same code are one button to the device). A key without a default sends nothing by default
// (scan code 0). False, with the parser's message, when the text is not a valid description.
bool ButtonsFromDescription(const std::string& text, std::vector<SimButtonRecord>& buttons, std::string& error);

// The product's description, built into the program.
const std::string& ProductDescriptionText();

// The buttons of the product keyboard, parsed once. Empty, with `error` set, if the built-in description
// cannot be read (a build fault: the tests check it).
const std::vector<SimButtonRecord>& ProductButtons(std::string* error = nullptr);

// The identity of the product keyboard: product id 0x0110, plugged in.
SimDeviceInfo ProductKeyboardInfo();
