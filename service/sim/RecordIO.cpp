// Shared list formats of the simulated keyboard's files.
#include "service/sim/RecordIO.h"

namespace {

constexpr std::size_t kRecordBytes = 32;
constexpr std::size_t kLedBytes = 28;
constexpr std::size_t kEventBytes = 8;

// The count, checked against the limit and against the bytes left before anything is allocated.
bool ReadCount(CByteReader& reader, std::size_t maxCount, std::size_t itemBytes, std::size_t& count)
{
    const std::uint32_t value = reader.U32();
    if (!reader.Ok() || value > maxCount || !reader.Fits(value, itemBytes))
        return false;
    count = value;
    return true;
}

} // namespace

void WriteButtonRecords(CByteWriter& writer, const std::vector<SimButtonRecord>& records)
{
    writer.U32(static_cast<std::uint32_t>(records.size()));
    for (const SimButtonRecord& record : records) {
        writer.U32(record.leading);
        writer.U32(record.buttonId);
        writer.U32(record.serviceType);
        writer.Bytes(record.data, sizeof(record.data));
    }
}

void WriteLeds(CByteWriter& writer, const std::vector<SimLed>& leds)
{
    writer.U32(static_cast<std::uint32_t>(leds.size()));
    for (const SimLed& led : leds) {
        writer.U32(led.id);
        writer.U32(led.on ? 1 : 0);
        writer.U32(led.value);
        writer.U32(led.blink ? 1 : 0);
        writer.U32(led.onTimeMs);
        writer.U32(led.offTimeMs);
        writer.U32(led.auxValue);
    }
}

void WriteMacroEvents(CByteWriter& writer, const std::vector<SimMacroEvent>& events)
{
    writer.U32(static_cast<std::uint32_t>(events.size()));
    for (const SimMacroEvent& event : events) {
        writer.U32(event.type);
        writer.U32(event.value);
    }
}

bool ReadButtonRecords(CByteReader& reader, std::size_t maxCount, std::vector<SimButtonRecord>& records)
{
    std::size_t count = 0;
    if (!ReadCount(reader, maxCount, kRecordBytes, count))
        return false;
    records.resize(count);
    for (SimButtonRecord& record : records) {
        record.leading = reader.U32();
        record.buttonId = reader.U32();
        record.serviceType = reader.U32();
        reader.Bytes(record.data, sizeof(record.data));
    }
    return reader.Ok();
}

bool ReadLeds(CByteReader& reader, std::size_t maxCount, bool strict, std::vector<SimLed>& leds)
{
    std::size_t count = 0;
    if (!ReadCount(reader, maxCount, kLedBytes, count))
        return false;
    leds.resize(count);
    for (SimLed& led : leds) {
        led.id = reader.U32();
        const std::uint32_t on = reader.U32();
        led.value = reader.U32();
        const std::uint32_t blink = reader.U32();
        led.onTimeMs = reader.U32();
        led.offTimeMs = reader.U32();
        led.auxValue = reader.U32();
        if (strict && (on > 1 || blink > 1))
            return false;
        led.on = on != 0;
        led.blink = blink != 0;
    }
    return reader.Ok();
}

bool ReadMacroEvents(CByteReader& reader, std::size_t maxCount, std::vector<SimMacroEvent>& events)
{
    std::size_t count = 0;
    if (!ReadCount(reader, maxCount, kEventBytes, count))
        return false;
    events.resize(count);
    for (SimMacroEvent& event : events) {
        event.type = reader.U32();
        event.value = reader.U32();
    }
    return reader.Ok();
}
