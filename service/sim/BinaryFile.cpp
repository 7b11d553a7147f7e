// File envelope, bounded whole-file reads and crash-safe replacement.
#include "service/sim/BinaryFile.h"

#include "service/sim/ByteStream.h"

#include "framework/Handle.h"

#include <algorithm>
#include <cstring>

std::wstring WithError(const std::wstring& what, const std::wstring& path, DWORD code)
{
    return what + L" " + path + L" (error " + std::to_wstring(code) + L")";
}

bool WriteAll(HANDLE file, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::vector<std::uint8_t> WrapInEnvelope(const FileKind& kind, const std::vector<std::uint8_t>& body)
{
    std::vector<std::uint8_t> out;
    out.reserve(kEnvelopeHeaderBytes + body.size());
    CByteWriter writer(out);
    writer.Bytes(kind.magic, sizeof(kind.magic));
    writer.U32(kind.version);
    writer.U32(0);
    writer.U32(static_cast<std::uint32_t>(body.size()));
    writer.U32(Crc32(body.data(), body.size()));
    writer.Bytes(body.data(), body.size());
    return out;
}

SimStatus OpenEnvelope(const std::uint8_t* data, std::size_t size, const FileKind& kind, const std::uint8_t*& body,
                       std::size_t& bodySize, std::wstring& reason)
{
    auto fail = [&](const wchar_t* why) {
        reason = why;
        return SimStatus::BadFile;
    };
    if (data == nullptr || size < kEnvelopeHeaderBytes)
        return fail(L"shorter than its header");
    if (std::memcmp(data, kind.magic, sizeof(kind.magic)) != 0)
        return fail(L"not a file of this kind");
    CByteReader reader(data + sizeof(kind.magic), kEnvelopeHeaderBytes - sizeof(kind.magic));
    const std::uint32_t version = reader.U32();
    const std::uint32_t flags = reader.U32();
    const std::uint32_t length = reader.U32();
    const std::uint32_t crc = reader.U32();
    if (version != kind.version)
        return fail(L"a format version this program does not read");
    if (flags != 0)
        return fail(L"header flags this program does not know");
    if (static_cast<std::uint64_t>(kEnvelopeHeaderBytes) + length != static_cast<std::uint64_t>(size))
        return fail(L"its length does not match its header (truncated or extended)");
    if (Crc32(data + kEnvelopeHeaderBytes, length) != crc)
        return fail(L"its checksum does not match (corrupt)");
    body = data + kEnvelopeHeaderBytes;
    bodySize = length;
    return SimStatus::Ok;
}

SimStatus ReadWholeFile(const std::wstring& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& out,
                        std::wstring& error)
{
    out.clear();
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsNull()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            error = WithError(L"no file", path, code);
            return SimStatus::NotFound;
        }
        error = WithError(L"cannot open", path, code);
        return SimStatus::IoError;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = WithError(L"cannot size", path, GetLastError());
        return SimStatus::IoError;
    }
    if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        error = L"too large to be a file of this kind: " + path;
        return SimStatus::BadFile;
    }
    out.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < out.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(file, out.data() + done, chunk, &read, nullptr)) {
            error = WithError(L"cannot read", path, GetLastError());
            out.clear();
            return SimStatus::IoError;
        }
        if (read == 0)
            break;  // shorter than its size said: another writer truncated it; read what is there
        done += read;
    }
    out.resize(done);
    return SimStatus::Ok;
}

std::wstring ReplacementPathOf(const std::wstring& path) { return path + L".tmp"; }

SimStatus ReplaceFileContents(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::wstring& error)
{
    const std::wstring temp = ReplacementPathOf(path);
    auto fail = [&](const wchar_t* what, const std::wstring& name, DWORD code) {
        error = WithError(what, name, code);
        DeleteFileW(temp.c_str());
        return SimStatus::IoError;
    };
    {
        // No sharing: a second writer fails here instead of interleaving with this one.
        CHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (file.IsNull()) {
            // Not removed: it may be another writer's file.
            error = WithError(L"cannot create", temp, GetLastError());
            return SimStatus::IoError;
        }
        if (!WriteAll(file, bytes)) {
            const DWORD code = GetLastError();
            file.CloseHandle();
            return fail(L"cannot write", temp, code);
        }
        // The data must be on the disk before the name points at it, or a power cut after the move
        // could leave the new name on an empty file.
        if (!FlushFileBuffers(file)) {
            const DWORD code = GetLastError();
            file.CloseHandle();
            return fail(L"cannot flush", temp, code);
        }
        if (!file.CloseHandle())
            return fail(L"cannot close", temp, GetLastError());
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(L"cannot replace", path, GetLastError());
    return SimStatus::Ok;
}

bool CreateFoldersAbove(const std::wstring& path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos || last == 0)
        return true;
    const std::wstring folder = path.substr(0, last);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder.size() == 2 && folder[1] == L':')
        return false;  // a drive that does not exist
    if (!CreateFoldersAbove(folder))
        return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
