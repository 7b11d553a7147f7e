// Buttons and factory records from the keyboard description.
#include "service/sim/ProductKeyboard.h"

#include "data/KeyboardDefWriter.h"
#include "skin/KeyRecord.h"

#include <cstring>
#include <set>

std::uint32_t ButtonIdOf(std::uint16_t scanCode, std::uint8_t extended)
{
    std::uint32_t high = 0;
    if (extended == 1)
        high = 2;
    else if (extended == 2)
        high = 4;
    return scanCode | (high << 16);
}

bool ButtonsFromDescription(const std::string& text, std::vector<SimButtonRecord>& buttons, std::string& error)
{
    buttons.clear();
    std::vector<KeyDescription> keys;
    if (!ParseKeyboardDescription(text, keys, error))
        return false;

    std::set<std::uint32_t> seen;
    for (const KeyDescription& key : keys) {
        KeyRecord record;
        record.name = key.name;
        std::memcpy(record.makeSequence, key.blocks[0], sizeof(record.makeSequence));
        if (!IsUsableKeyName(record))
            continue;
        const KeyScanCode reported = DeriveKeyScanCode(record.makeSequence);
        if (reported.code == 0)
            continue;  // a key that reports nothing is no button of the device
        const std::uint32_t id = ButtonIdOf(reported.code, reported.extended);
        if (!seen.insert(id).second)
            continue;
        if (buttons.size() >= kSimMaxButtons) {
            error = "more than " + std::to_string(kSimMaxButtons) + " buttons";
            buttons.clear();
            return false;
        }
        // Pause's E1 default counts as extended, as the device's key records mark it.
        const bool extended = key.hasDefault && key.defaultScanCode.extended != 0;
        buttons.push_back(MakeKeyRecord(id, key.hasDefault ? key.defaultScanCode.code : 0, extended));
    }
    return true;
}

const std::vector<SimButtonRecord>& ProductButtons(std::string* error)
{
    struct Parsed {
        std::vector<SimButtonRecord> buttons;
        std::string error;
        Parsed() { ButtonsFromDescription(ProductDescriptionText(), buttons, error); }
    };
    static const Parsed parsed;
    if (error != nullptr)
        *error = parsed.error;
    return parsed.buttons;
}

SimDeviceInfo ProductKeyboardInfo()
{
    SimDeviceInfo info;
    info.identity = 1;
    info.productId = kSimKeyboardProductId;
    info.firmware = {1, 5};
    info.secondary = {1, 0};
    info.layoutCode = 0;
    info.plugged = true;
    return info;
}
