// Profile and macro file images, export and import.
#include "service/sim/ExchangeFiles.h"

#include "service/sim/BinaryFile.h"
#include "service/sim/ByteStream.h"
#include "service/sim/RecordIO.h"

#include <set>

namespace {

constexpr FileKind kProfileFile = {{'T', 'S', 'K', 'B', 'P', 'R', 'O', 'F'}, 1};
constexpr FileKind kMacroFile = {{'T', 'S', 'K', 'B', 'M', 'A', 'C', 'R'}, 1};

// Reads a name of any length the buffer holds and keeps what the field takes.
std::wstring ReadName(CByteReader& reader, std::size_t maxUnits)
{
    // One unit beyond the field lets the cut see a surrogate pair split at the limit.
    return BoundSimText(reader.Text(maxUnits + 1), maxUnits);
}

SimStatus Refuse(std::wstring& reason, const wchar_t* why)
{
    reason = why;
    return SimStatus::BadFile;
}

template <typename Parse, typename Adopt>
SimStatus Import(const std::wstring& path, Parse parse, Adopt adopt, std::wstring& error)
{
    std::vector<std::uint8_t> bytes;
    const SimStatus read = ReadWholeFile(path, kMaxExchangeFileBytes, bytes, error);
    if (read != SimStatus::Ok)
        return read;
    std::wstring reason;
    if (parse(bytes.data(), bytes.size(), reason) != SimStatus::Ok) {
        error = L"refused " + path + L": " + reason;
        return SimStatus::BadFile;
    }
    const SimStatus added = adopt();
    if (added != SimStatus::Ok)
        error = L"the device cannot take the object of " + path;
    return added;
}

} // namespace

std::vector<std::uint8_t> ProfileFileImage(const SimProfile& profile)
{
    std::vector<std::uint8_t> body;
    CByteWriter writer(body);
    writer.Text(profile.name);
    writer.U32(profile.flags);
    writer.Text(profile.linkedProgram);
    WriteLeds(writer, profile.leds);
    WriteButtonRecords(writer, profile.records);
    return WrapInEnvelope(kProfileFile, body);
}

std::vector<std::uint8_t> MacroFileImage(const SimMacro& macro)
{
    std::vector<std::uint8_t> body;
    CByteWriter writer(body);
    writer.Text(macro.name);
    WriteMacroEvents(writer, macro.events);
    return WrapInEnvelope(kMacroFile, body);
}

SimStatus ParseProfileFile(const std::uint8_t* data, std::size_t size, SimProfile& out, std::wstring& reason)
{
    const std::uint8_t* body = nullptr;
    std::size_t bodySize = 0;
    if (OpenEnvelope(data, size, kProfileFile, body, bodySize, reason) != SimStatus::Ok)
        return SimStatus::BadFile;

    CByteReader reader(body, bodySize);
    SimProfile profile;
    profile.name = ReadName(reader, kSimMaxProfileName);
    const std::uint32_t flags = reader.U32();
    profile.linkedProgram = ReadName(reader, kSimMaxLinkedProgram);
    if (!reader.Ok())
        return Refuse(reason, L"the profile's header is cut short");
    if (flags > 0xFFFF)
        return Refuse(reason, L"the profile flags are out of range");
    profile.flags = static_cast<std::uint16_t>(flags);
    if (!ReadLeds(reader, kSimMaxLeds, false, profile.leds))
        return Refuse(reason, L"the lights are damaged or too many");
    if (!ReadButtonRecords(reader, kSimMaxButtons, profile.records))
        return Refuse(reason, L"the button records are damaged or too many");
    if (!reader.AtEnd())
        return Refuse(reason, L"bytes follow the button records");

    std::set<std::uint32_t> ids;
    for (const SimLed& led : profile.leds) {
        if (!ids.insert(led.id).second)
            return Refuse(reason, L"a light id repeats");
    }
    ids.clear();
    for (const SimButtonRecord& record : profile.records) {
        if (!ids.insert(record.buttonId).second)
            return Refuse(reason, L"a button id repeats");
    }
    out = std::move(profile);
    return SimStatus::Ok;
}

SimStatus ParseMacroFile(const std::uint8_t* data, std::size_t size, SimMacro& out, std::wstring& reason)
{
    const std::uint8_t* body = nullptr;
    std::size_t bodySize = 0;
    if (OpenEnvelope(data, size, kMacroFile, body, bodySize, reason) != SimStatus::Ok)
        return SimStatus::BadFile;

    CByteReader reader(body, bodySize);
    SimMacro macro;
    macro.name = ReadName(reader, kSimMaxMacroName);
    if (!reader.Ok())
        return Refuse(reason, L"the macro's name is cut short");
    if (!ReadMacroEvents(reader, kSimMaxMacroEvents, macro.events))
        return Refuse(reason, L"the events are damaged or too many");
    if (!reader.AtEnd())
        return Refuse(reason, L"bytes follow the events");
    out = std::move(macro);
    return SimStatus::Ok;
}

SimStatus ExportProfileFile(const CSimDevice& device, const GUID& guid, const std::wstring& path, std::wstring& error)
{
    const SimProfile* profile = device.FindProfile(guid);
    if (profile == nullptr) {
        error = L"no such profile";
        return SimStatus::NotFound;
    }
    return ReplaceFileContents(path, ProfileFileImage(*profile), error);
}

SimStatus ExportMacroFile(const CSimDevice& device, const GUID& guid, const std::wstring& path, std::wstring& error)
{
    const SimMacro* macro = device.FindMacro(guid);
    if (macro == nullptr) {
        error = L"no such macro";
        return SimStatus::NotFound;
    }
    return ReplaceFileContents(path, MacroFileImage(*macro), error);
}

SimStatus ImportProfileFile(CSimDevice& device, const std::wstring& path, GUID& created, std::wstring& error)
{
    SimProfile profile;
    return Import(
        path,
        [&](const std::uint8_t* data, std::size_t size, std::wstring& reason) {
            return ParseProfileFile(data, size, profile, reason);
        },
        [&] { return device.AdoptProfile(profile, created); }, error);
}

SimStatus ImportMacroFile(CSimDevice& device, const std::wstring& path, GUID& created, std::wstring& error)
{
    SimMacro macro;
    return Import(
        path,
        [&](const std::uint8_t* data, std::size_t size, std::wstring& reason) {
            return ParseMacroFile(data, size, macro, reason);
        },
        [&] { return device.AdoptMacro(macro, created); }, error);
}
