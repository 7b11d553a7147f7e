// Memory file image, load with recovery, crash-safe save.
#include "service/sim/StateFile.h"

#include "framework/Handle.h"
#include "service/sim/BinaryFile.h"
#include "service/sim/ByteStream.h"
#include "service/sim/RecordIO.h"
#include "service/sim/StateJournal.h"

namespace {

constexpr FileKind kStateFile = {{'T', 'S', 'K', 'B', 'S', 'T', 'A', 'T'}, 1};

void WriteDevice(CByteWriter& writer, const SimDeviceData& data)
{
    const SimDeviceInfo& info = data.info;
    writer.U32(info.identity);
    writer.U32(info.productId);
    writer.U32(info.firmware.major);
    writer.U32(info.firmware.minor);
    writer.U32(info.secondary.major);
    writer.U32(info.secondary.minor);
    writer.U32(info.layoutCode);
    writer.U32(info.plugged ? 1 : 0);
    WriteButtonRecords(writer, data.defaults);

    writer.U32(static_cast<std::uint32_t>(data.profiles.size()));
    for (const SimProfile& profile : data.profiles) {
        writer.Guid(profile.guid);
        writer.Text(profile.name);
        writer.U32(profile.flags);
        writer.Text(profile.linkedProgram);
        WriteLeds(writer, profile.leds);
        WriteButtonRecords(writer, profile.records);
    }
    writer.Guid(data.activeProfile);

    writer.U32(static_cast<std::uint32_t>(data.macros.size()));
    for (const SimMacro& macro : data.macros) {
        writer.Guid(macro.guid);
        writer.Text(macro.name);
        WriteMacroEvents(writer, macro.events);
    }

    writer.U32(static_cast<std::uint32_t>(data.apps.size()));
    for (const SimApp& app : data.apps) {
        writer.Guid(app.guid);
        writer.Text(app.name);
    }
}

// A text the device wrote is never longer than its field; a longer one means damage.
bool ReadField(CByteReader& reader, std::size_t maxUnits, std::wstring& text)
{
    bool cut = false;
    text = reader.Text(maxUnits, &cut);
    return reader.Ok() && !cut;
}

bool ReadFlag(CByteReader& reader, bool& flag)
{
    const std::uint32_t value = reader.U32();
    flag = value != 0;
    return reader.Ok() && value <= 1;
}

bool ReadDevice(CByteReader& reader, std::unique_ptr<CSimDevice>& device, std::wstring& reason)
{
    SimDeviceData data;
    SimDeviceInfo& info = data.info;
    info.identity = reader.U32();
    info.productId = reader.U32();
    info.firmware.major = reader.U32();
    info.firmware.minor = reader.U32();
    info.secondary.major = reader.U32();
    info.secondary.minor = reader.U32();
    info.layoutCode = reader.U32();
    reason = L"a device record is damaged";
    if (!ReadFlag(reader, info.plugged) || !ReadButtonRecords(reader, kSimMaxButtons, data.defaults))
        return false;

    const std::uint32_t profileCount = reader.U32();
    if (!reader.Ok() || profileCount > kSimMaxProfiles)
        return false;
    data.profiles.resize(profileCount);
    for (SimProfile& profile : data.profiles) {
        profile.guid = reader.Guid();
        if (!ReadField(reader, kSimMaxProfileName, profile.name))
            return false;
        const std::uint32_t flags = reader.U32();
        if (flags > 0xFFFF || !ReadField(reader, kSimMaxLinkedProgram, profile.linkedProgram))
            return false;
        profile.flags = static_cast<std::uint16_t>(flags);
        if (!ReadLeds(reader, kSimMaxLeds, true, profile.leds) ||
            !ReadButtonRecords(reader, kSimMaxButtons, profile.records))
            return false;
    }
    data.activeProfile = reader.Guid();

    const std::uint32_t macroCount = reader.U32();
    if (!reader.Ok() || macroCount > kSimMaxMacros)
        return false;
    data.macros.resize(macroCount);
    for (SimMacro& macro : data.macros) {
        macro.guid = reader.Guid();
        if (!ReadField(reader, kSimMaxMacroName, macro.name) || !ReadMacroEvents(reader, kSimMaxMacroEvents, macro.events))
            return false;
    }

    const std::uint32_t appCount = reader.U32();
    if (!reader.Ok() || appCount > kSimMaxApps)
        return false;
    data.apps.resize(appCount);
    for (SimApp& app : data.apps) {
        app.guid = reader.Guid();
        if (!ReadField(reader, kSimMaxAppName, app.name))
            return false;
    }
    return CSimDevice::FromData(std::move(data), device, reason);
}

const wchar_t* OutcomeText(SimStatus status)
{
    return status == SimStatus::IoError ? L"it could not be read" : L"it is damaged or not a keyboard memory file";
}

} // namespace

std::vector<std::uint8_t> SerializeStateBody(const CKeyboardState& state, std::size_t sizeHint)
{
    std::vector<std::uint8_t> body;
    body.reserve(sizeHint);
    CByteWriter writer(body);
    writer.U32(static_cast<std::uint32_t>(state.DeviceCount()));
    for (std::size_t i = 0; i < state.DeviceCount(); ++i)
        WriteDevice(writer, state.Device(i)->Data());
    return body;
}

std::vector<std::uint8_t> SerializeState(const CKeyboardState& state)
{
    return WrapInEnvelope(kStateFile, SerializeStateBody(state));
}

SimStatus ParseStateImage(const std::uint8_t* data, std::size_t size, CKeyboardState& out, std::wstring& reason)
{
    const std::uint8_t* body = nullptr;
    std::size_t bodySize = 0;
    if (OpenEnvelope(data, size, kStateFile, body, bodySize, reason) != SimStatus::Ok)
        return SimStatus::BadFile;
    return ParseStateBody(body, bodySize, out, reason);
}

SimStatus ParseStateBody(const std::uint8_t* body, std::size_t bodySize, CKeyboardState& out, std::wstring& reason)
{
    CByteReader reader(body, bodySize);
    const std::uint32_t deviceCount = reader.U32();
    if (!reader.Ok() || deviceCount == 0 || deviceCount > kSimMaxDevices) {
        reason = L"the device count is out of range";
        return SimStatus::BadFile;
    }
    std::vector<std::unique_ptr<CSimDevice>> devices;
    for (std::uint32_t i = 0; i < deviceCount; ++i) {
        std::unique_ptr<CSimDevice> device;
        if (!ReadDevice(reader, device, reason))
            return SimStatus::BadFile;
        devices.push_back(std::move(device));
    }
    if (!reader.AtEnd()) {
        reason = L"bytes follow the last device";
        return SimStatus::BadFile;
    }
    if (!CKeyboardState::FromDevices(std::move(devices), out)) {
        reason = L"the product keyboard is missing";
        return SimStatus::BadFile;
    }
    return SimStatus::Ok;
}

std::wstring KeepFileAside(const std::wstring& path)
{
    for (int n = 1; n <= 9999; ++n) {
        const std::wstring aside = path + L".corrupt-" + std::to_wstring(n);
        if (MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
            return aside;
        const DWORD code = GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS)
            return std::wstring();
    }
    return std::wstring();
}

StateLoadResult LoadStateFile(const std::wstring& path, CKeyboardState& state)
{
    StateLoadResult result;
    // A replacement still lying about is what an interrupted save left: the file itself is the state.
    DeleteFileW(ReplacementPathOf(path).c_str());
    const std::wstring journal = JournalPathOf(path);

    std::vector<std::uint8_t> bytes;
    std::wstring error;
    SimStatus status = ReadWholeFile(path, kMaxStateFileBytes, bytes, error);
    std::wstring reason = error;
    if (status == SimStatus::Ok) {
        const std::uint8_t* body = nullptr;
        std::size_t bodySize = 0;
        status = OpenEnvelope(bytes.data(), bytes.size(), kStateFile, body, bodySize, reason);
        if (status == SimStatus::Ok)
            status = ParseStateBody(body, bodySize, state, reason);
        if (status == SimStatus::Ok) {
            result.outcome = StateLoadResult::Outcome::Loaded;
            result.message = L"Loaded the keyboard memory from " + path + L".";
            result.body.assign(body, body + bodySize);
            // The changes accepted after the file's last save.
            std::vector<std::uint8_t> replayed = result.body;
            result.journal = ReplayJournal(journal, replayed);
            if (result.journal.outcome == JournalReplay::Outcome::Applied) {
                CKeyboardState changed;
                std::wstring why;
                if (ParseStateBody(replayed.data(), replayed.size(), changed, why) == SimStatus::Ok) {
                    state = std::move(changed);
                    result.body.swap(replayed);
                } else {
                    result.journal.outcome = JournalReplay::Outcome::Damaged;
                    result.journal.records = 0;
                    result.journal.message = L"the journal " + journal + L" leads to a damaged state (" + why +
                                             L"): not applied";
                }
            }
            if (result.journal.outcome == JournalReplay::Outcome::Damaged)
                result.journalKeptAsidePath = KeepFileAside(journal);
            return result;
        }
    }

    state.ResetToFactory();
    // Whatever journal lies there continues a state that is gone: kept for whoever looks into it.
    if (GetFileAttributesW(journal.c_str()) != INVALID_FILE_ATTRIBUTES) {
        bool empty = false;
        {
            // Closed before the journal may be moved aside.
            const CHandle probe(
                CreateFileW(journal.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            LARGE_INTEGER size{};
            empty = !probe.IsNull() && GetFileSizeEx(probe, &size) && size.QuadPart == 0;
        }
        if (!empty) {
            result.journal.outcome = JournalReplay::Outcome::Damaged;
            result.journal.message = L"the journal " + journal + L" continues a memory file that could not be used";
            result.journalKeptAsidePath = KeepFileAside(journal);
        }
    }
    if (status == SimStatus::NotFound) {
        result.outcome = StateLoadResult::Outcome::NoFile;
        result.message = L"No keyboard memory file at " + path + L"; starting from the factory state.";
        return result;
    }
    result.outcome = StateLoadResult::Outcome::Recovered;
    result.keptAsidePath = KeepFileAside(path);
    result.message = L"The keyboard memory file " + path + L" was not used: " + OutcomeText(status) + L" (" +
                     reason + L"). ";
    if (!result.keptAsidePath.empty())
        result.message += L"It was kept as " + result.keptAsidePath + L". Starting from the factory state.";
    else
        result.message += L"It could not be moved aside and will be replaced by the next save. Starting from "
                          L"the factory state.";
    return result;
}

SimStatus SaveStateFile(const std::wstring& path, const CKeyboardState& state, std::wstring& error)
{
    return SaveStateBody(path, SerializeStateBody(state), error);
}

SimStatus SaveStateBody(const std::wstring& path, const std::vector<std::uint8_t>& body, std::wstring& error)
{
    if (!CreateFoldersAbove(path)) {
        error = L"cannot create the folder of " + path;
        return SimStatus::IoError;
    }
    return ReplaceFileContents(path, WrapInEnvelope(kStateFile, body), error);
}
