// Profile files (".qnp") and macro files (".qnm"): one profile or one macro taken out of the simulated
// keyboard and brought back, on this device or another. Importing always adds a new object with a new
// GUID; a file that is truncated, corrupt, foreign or of another version is refused and changes nothing.
#pragma once

#include "service/sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Larger files are not profile or macro files (a full macro is far smaller).
constexpr std::uint64_t kMaxExchangeFileBytes = 4ull << 20;

// File images: envelope "TSKBPROF" or "TSKBMACR", version 1, body as service/sim/README.md describes.
// The GUID is not written: it belongs to the device the object came from.
std::vector<std::uint8_t> ProfileFileImage(const SimProfile& profile);
std::vector<std::uint8_t> MacroFileImage(const SimMacro& macro);

// Read an image; names come back cut to their fields. BadFile, with a reason, when the image is damaged
// or breaks the format (counts over the device's limits, repeated light ids or button ids).
SimStatus ParseProfileFile(const std::uint8_t* data, std::size_t size, SimProfile& out, std::wstring& reason);
SimStatus ParseMacroFile(const std::uint8_t* data, std::size_t size, SimMacro& out, std::wstring& reason);

// Write the device's profile or macro of that GUID to `path`, replacing a file there as a whole.
// NotFound for an unknown GUID, IoError when the file cannot be written.
SimStatus ExportProfileFile(const CSimDevice& device, const GUID& profile, const std::wstring& path,
                            std::wstring& error);
SimStatus ExportMacroFile(const CSimDevice& device, const GUID& macro, const std::wstring& path, std::wstring& error);

// Add the file's profile or macro to the device under a new GUID (CSimDevice::AdoptProfile and
// AdoptMacro); `created` names it. NotFound or IoError when the file cannot be read, BadFile when it is
// refused, LimitReached when the device is full.
SimStatus ImportProfileFile(CSimDevice& device, const std::wstring& path, GUID& created, std::wstring& error);
SimStatus ImportMacroFile(CSimDevice& device, const std::wstring& path, GUID& created, std::wstring& error);
