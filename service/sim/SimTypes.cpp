// Comparisons, bounded text, factory records and lights, and GUIDs for the simulated keyboard's records.
#include "service/sim/SimTypes.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>

bool operator==(const SimButtonRecord& a, const SimButtonRecord& b)
{
    return std::memcmp(&a, &b, sizeof(SimButtonRecord)) == 0;
}

bool operator==(const SimMacroEvent& a, const SimMacroEvent& b) { return a.type == b.type && a.value == b.value; }

bool operator==(const SimLed& a, const SimLed& b)
{
    return a.id == b.id && a.on == b.on && a.value == b.value && a.blink == b.blink && a.onTimeMs == b.onTimeMs &&
           a.offTimeMs == b.offTimeMs && a.auxValue == b.auxValue;
}

bool operator==(const SimProfile& a, const SimProfile& b)
{
    return a.guid == b.guid && a.name == b.name && a.flags == b.flags && a.linkedProgram == b.linkedProgram &&
           a.leds == b.leds && a.records == b.records;
}

bool operator==(const SimMacro& a, const SimMacro& b)
{
    return a.guid == b.guid && a.name == b.name && a.events == b.events;
}

bool operator==(const SimApp& a, const SimApp& b) { return a.guid == b.guid && a.name == b.name; }

bool operator==(const SimDeviceInfo& a, const SimDeviceInfo& b)
{
    return a.identity == b.identity && a.productId == b.productId && a.firmware.major == b.firmware.major &&
           a.firmware.minor == b.firmware.minor && a.secondary.major == b.secondary.major &&
           a.secondary.minor == b.secondary.minor && a.layoutCode == b.layoutCode && a.plugged == b.plugged;
}

bool operator==(const SimDeviceData& a, const SimDeviceData& b)
{
    return a.info == b.info && a.defaults == b.defaults && a.profiles == b.profiles &&
           a.activeProfile == b.activeProfile && a.macros == b.macros && a.apps == b.apps;
}

std::wstring BoundSimText(const std::wstring& text, std::size_t maxUnits)
{
    std::size_t length = std::min(text.find(L'\0'), text.size());
    if (length > maxUnits) {
        length = maxUnits;
        // Half a surrogate pair is not a character; the cut drops it with its partner.
        if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
            --length;
    }
    return text.substr(0, length);
}

SimButtonRecord MakeKeyRecord(std::uint32_t buttonId, std::uint16_t scanCode, bool extended)
{
    SimButtonRecord record{};
    record.leading = 1;
    record.buttonId = buttonId;
    record.serviceType = kSimServiceKey;
    std::memcpy(record.data, &scanCode, sizeof(scanCode));
    const std::uint32_t modifiers = extended ? kSimKeyExtended : 0;
    std::memcpy(record.data + 2, &modifiers, sizeof(modifiers));
    return record;
}

std::vector<SimLed> FactoryLeds()
{
    std::vector<SimLed> leds;
    for (std::uint32_t id : {1u, 3u, 4u, 7u}) {
        SimLed led;
        led.id = id;
        led.on = id == LightingOn;
        led.value = 255;
        led.auxValue = 100;
        leds.push_back(led);
    }
    return leds;
}

GUID NewUniqueGuid(const std::vector<GUID>& taken)
{
    static LONG64 fallbackCounter = 0;
    for (;;) {
        GUID guid{};
        if (FAILED(CoCreateGuid(&guid))) {
            // Never seen in practice; a GUID from the clock and a counter is still unique in this
            // process, which is all the device's lists need.
            LARGE_INTEGER now{};
            QueryPerformanceCounter(&now);
            const LONG64 count = InterlockedIncrement64(&fallbackCounter);
            std::memcpy(&guid, &now, sizeof(now));
            std::memcpy(reinterpret_cast<BYTE*>(&guid) + 8, &count, sizeof(count));
        }
        if (guid != kSimNullGuid && std::find(taken.begin(), taken.end(), guid) == taken.end())
            return guid;
    }
}
