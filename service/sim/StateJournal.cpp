// The memory file's journal: one record per accepted change, replayed at load.
#include "service/sim/StateJournal.h"

#include "service/sim/BinaryFile.h"
#include "service/sim/ByteStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMagic[8] = {'T', 'S', 'K', 'B', 'J', 'R', 'N', 'L'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kRecordHeadBytes = 8;
constexpr std::size_t kPayloadHeadBytes = 16;
// A journal grows only while saves of the memory file fail; past this it is not a journal of ours.
constexpr std::uint64_t kMaxJournalBytes = 256ull << 20;

} // namespace

std::wstring JournalPathOf(const std::wstring& stateFile) { return stateFile + L".journal"; }

bool CStateJournal::Start(const std::wstring& path, std::vector<std::uint8_t> body, std::wstring& error)
{
    if (!IsOpen()) {
        // Readers may look; nobody else writes it.
        m_file.Attach(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!IsOpen()) {
            error = WithError(L"cannot open the journal", path, GetLastError());
            return false;
        }
    }
    std::vector<std::uint8_t> header;
    CByteWriter writer(header);
    writer.Bytes(kMagic, sizeof(kMagic));
    writer.U32(kVersion);
    writer.U32(0);
    writer.U32(static_cast<std::uint32_t>(body.size()));
    writer.U32(Crc32(body.data(), body.size()));
    // Emptied first: a kill between the two steps leaves an empty journal, which continues nothing.
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN) || !SetEndOfFile(m_file) || !WriteAll(m_file, header)) {
        error = WithError(L"cannot write the journal", path, GetLastError());
        Close();
        return false;
    }
    m_body = std::move(body);
    return true;
}

bool CStateJournal::Append(std::vector<std::uint8_t> body, std::wstring& error)
{
    if (!IsOpen()) {
        error = L"the journal is not open";
        return false;
    }
    if (body == m_body)
        return true;
    const std::size_t common = std::min(body.size(), m_body.size());
    const std::size_t prefix =
        static_cast<std::size_t>(std::mismatch(body.begin(), body.begin() + common, m_body.begin()).first - body.begin());
    const std::size_t suffix = static_cast<std::size_t>(
        std::mismatch(body.rbegin(), body.rbegin() + (common - prefix), m_body.rbegin()).first - body.rbegin());
    const std::size_t middle = body.size() - prefix - suffix;

    std::vector<std::uint8_t> payload;
    payload.reserve(kPayloadHeadBytes + middle);
    CByteWriter writer(payload);
    writer.U32(static_cast<std::uint32_t>(prefix));
    writer.U32(static_cast<std::uint32_t>(suffix));
    writer.U32(static_cast<std::uint32_t>(body.size()));
    writer.U32(Crc32(body.data(), body.size()));
    writer.Bytes(body.data() + prefix, middle);

    std::vector<std::uint8_t> record;
    record.reserve(kRecordHeadBytes + payload.size());
    CByteWriter head(record);
    head.U32(static_cast<std::uint32_t>(payload.size()));
    head.U32(Crc32(payload.data(), payload.size()));
    head.Bytes(payload.data(), payload.size());
    // One write: the record is whole in the file or, after a kill in the middle, torn at its end, where
    // the replay stops. It reaches the system's cache here, which a killed process cannot take back.
    if (!WriteAll(m_file, record)) {
        error = L"cannot append to the journal (error " + std::to_wstring(GetLastError()) + L")";
        Close();
        return false;
    }
    m_body = std::move(body);
    return true;
}

JournalReplay ReplayJournal(const std::wstring& path, std::vector<std::uint8_t>& body)
{
    JournalReplay result;
    std::vector<std::uint8_t> bytes;
    std::wstring error;
    const SimStatus status = ReadWholeFile(path, kMaxJournalBytes, bytes, error);
    if (status == SimStatus::NotFound || (status == SimStatus::Ok && bytes.empty()))
        return result;
    if (status != SimStatus::Ok) {
        result.outcome = JournalReplay::Outcome::Damaged;
        result.message = error;
        return result;
    }
    CByteReader header(bytes.data(), std::min(bytes.size(), kHeaderBytes));
    char magic[8] = {};
    header.Bytes(magic, sizeof(magic));
    const std::uint32_t version = header.U32();
    const std::uint32_t flags = header.U32();
    const std::uint32_t baseLength = header.U32();
    const std::uint32_t baseCrc = header.U32();
    if (!header.Ok() || std::memcmp(magic, kMagic, sizeof(kMagic)) != 0 || version != kVersion || flags != 0) {
        result.outcome = JournalReplay::Outcome::Damaged;
        result.message = L"the journal " + path + L" has no journal header";
        return result;
    }
    if (baseLength != body.size() || baseCrc != Crc32(body.data(), body.size())) {
        // Saved since (a kill between a save and the journal's new start): the file holds it all.
        result.outcome = JournalReplay::Outcome::Ignored;
        result.message = L"the journal " + path + L" continues an older memory file: ignored";
        return result;
    }

    std::vector<std::uint8_t> current = body;
    std::size_t pos = kHeaderBytes;
    while (pos < bytes.size()) {
        CByteReader head(bytes.data() + pos, bytes.size() - pos);
        const std::uint32_t length = head.U32();
        const std::uint32_t crc = head.U32();
        if (!head.Ok() || length < kPayloadHeadBytes || head.Remaining() < length ||
            Crc32(bytes.data() + pos + kRecordHeadBytes, length) != crc) {
            result.tornTail = true;
            break;
        }
        const std::uint8_t* payload = bytes.data() + pos + kRecordHeadBytes;
        CByteReader fields(payload, kPayloadHeadBytes);
        const std::uint64_t prefix = fields.U32();
        const std::uint64_t suffix = fields.U32();
        const std::uint64_t newLength = fields.U32();
        const std::uint32_t newCrc = fields.U32();
        const std::uint64_t middle = length - kPayloadHeadBytes;
        if (prefix + suffix > current.size() || prefix + middle + suffix != newLength) {
            result.tornTail = true;
            break;
        }
        std::vector<std::uint8_t> next;
        next.reserve(static_cast<std::size_t>(newLength));
        next.insert(next.end(), current.begin(), current.begin() + static_cast<std::ptrdiff_t>(prefix));
        next.insert(next.end(), payload + kPayloadHeadBytes, payload + kPayloadHeadBytes + middle);
        next.insert(next.end(), current.end() - static_cast<std::ptrdiff_t>(suffix), current.end());
        if (Crc32(next.data(), next.size()) != newCrc) {
            result.tornTail = true;
            break;
        }
        current.swap(next);
        ++result.records;
        pos += kRecordHeadBytes + length;
    }
    body.swap(current);
    result.outcome = result.records > 0 ? JournalReplay::Outcome::Applied : JournalReplay::Outcome::None;
    result.message = L"replayed " + std::to_wstring(result.records) + L" change(s) from the journal " + path;
    if (result.tornTail)
        result.message += L"; its last record was torn (never answered) and was dropped";
    return result;
}
