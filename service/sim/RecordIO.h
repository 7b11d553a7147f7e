// Reading and writing the lists that the memory file and the profile and macro files share: button
// records, lights and macro events, each as a 32-bit count followed by fixed-size items.
#pragma once

#include "service/sim/ByteStream.h"
#include "service/sim/SimTypes.h"

#include <cstddef>
#include <vector>

void WriteButtonRecords(CByteWriter& writer, const std::vector<SimButtonRecord>& records);
void WriteLeds(CByteWriter& writer, const std::vector<SimLed>& leds);
void WriteMacroEvents(CByteWriter& writer, const std::vector<SimMacroEvent>& events);

// Each returns false (with the reader failed or the count refused) when the count exceeds `maxCount`
// or the items do not fit in what remains; nothing is allocated for a count that does not fit.
bool ReadButtonRecords(CByteReader& reader, std::size_t maxCount, std::vector<SimButtonRecord>& records);
// `strict`: the on and blink switches must be 0 or 1 (the memory file); otherwise non-zero is on.
bool ReadLeds(CByteReader& reader, std::size_t maxCount, bool strict, std::vector<SimLed>& leds);
bool ReadMacroEvents(CByteReader& reader, std::size_t maxCount, std::vector<SimMacroEvent>& events);
