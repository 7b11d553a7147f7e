// The envelope shared by the simulated keyboard's files (memory file, profile and macro files) and the
// file access under them: whole-file reads with a size limit, and replacing a file so that a crash at
// any moment leaves either the old or the new file, never a torn one.
//
// Envelope, little-endian: 8-byte magic, 32-bit format version, 32-bit flags (0), 32-bit body length,
// 32-bit CRC-32 of the body, then exactly `body length` bytes.
#pragma once

#include "service/sim/SimTypes.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kEnvelopeHeaderBytes = 24;

struct FileKind {
    char magic[8];
    std::uint32_t version;
};

std::vector<std::uint8_t> WrapInEnvelope(const FileKind& kind, const std::vector<std::uint8_t>& body);

// Checks magic, version, flags, length and CRC; on success `body` and `bodySize` name the body inside
// `data`. BadFile, with a reason, otherwise.
SimStatus OpenEnvelope(const std::uint8_t* data, std::size_t size, const FileKind& kind, const std::uint8_t*& body,
                       std::size_t& bodySize, std::wstring& reason);

// NotFound when the file does not exist, BadFile when it is larger than `maxBytes`, IoError when it
// cannot be read; `error` says which.
SimStatus ReadWholeFile(const std::wstring& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& out,
                        std::wstring& error);

// The name a replacement is written under before it takes the file's place: the file's own name with
// ".tmp" added, in the same folder (a move within one volume is what makes the swap atomic).
std::wstring ReplacementPathOf(const std::wstring& path);

// Writes the bytes to the replacement file, flushes it to the disk and moves it over `path` (replacing
// it, write-through). On failure the replacement is removed and `path` is as it was.
SimStatus ReplaceFileContents(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::wstring& error);

// "<what> <path> (error <code>)": how the files' failures are told in the service's log.
std::wstring WithError(const std::wstring& what, const std::wstring& path, DWORD code);

// Writes all of `bytes` at the file's position, in pieces of at most 1 MiB. False, with the system's last
// error set, when a write fails or writes nothing.
bool WriteAll(HANDLE file, const std::vector<std::uint8_t>& bytes);

// Creates the folders above `path` that do not exist yet. False when one cannot be created.
bool CreateFoldersAbove(const std::wstring& path);
