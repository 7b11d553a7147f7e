// The simulated keyboard's on-board memory as one file: its binary image, and loading and saving it so
// that neither a crash during a save nor a damaged file loses more than the unsaved change.
#pragma once

#include "service/sim/KeyboardState.h"
#include "service/sim/StateJournal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Larger files are not memory files (a full device is far smaller).
constexpr std::uint64_t kMaxStateFileBytes = 64ull << 20;

// When the service saves: a burst of changes (a full write makes over a thousand) once it has been
// quiet for kStateSaveQuietMs, and never later than kStateSaveMaxAgeMs after its first unsaved change,
// so the journal (StateJournal.h) that holds each change until then stays short. Stopping always saves.
constexpr unsigned kStateSaveQuietMs = 50;
constexpr unsigned kStateSaveMaxAgeMs = 250;

// The whole file image: envelope "TSKBSTAT", version 1, body as service/sim/README.md describes.
std::vector<std::uint8_t> SerializeState(const CKeyboardState& state);
// The body alone (what the journal records changes of); `sizeHint` bytes are reserved.
std::vector<std::uint8_t> SerializeStateBody(const CKeyboardState& state, std::size_t sizeHint = 0);
// Reads an image; BadFile with a reason (and `out` untouched) when it is damaged, foreign or breaks a
// rule of the device.
SimStatus ParseStateImage(const std::uint8_t* data, std::size_t size, CKeyboardState& out, std::wstring& reason);
SimStatus ParseStateBody(const std::uint8_t* body, std::size_t size, CKeyboardState& out, std::wstring& reason);

struct StateLoadResult {
    enum class Outcome {
        Loaded,     // the file's state
        NoFile,     // no file yet: the factory state
        Recovered,  // the file could not be used: the factory state, the file kept aside when possible
    };
    Outcome outcome = Outcome::NoFile;
    std::wstring message;        // one line for the server's log
    std::wstring keptAsidePath;  // where an unusable file now is; empty when it could not be moved
    // Loaded: the body the state was read from, the journal's changes included.
    std::vector<std::uint8_t> body;
    // The journal's replay. A damaged one, or one that continues a file that could not be used, is kept
    // aside as "<journal>.corrupt-<n>".
    JournalReplay journal;
    std::wstring journalKeptAsidePath;
};

// Loads the state from `path` into `state`, with the changes its journal (JournalPathOf) holds. A file
// that is truncated, corrupt, foreign or unreadable is renamed to "<path>.corrupt-<n>" (the first free
// n), never deleted, and the state is the factory state. A replacement left by an interrupted save is
// removed: it was never the saved state.
StateLoadResult LoadStateFile(const std::wstring& path, CKeyboardState& state);

// Saves the state to `path` (creating its folder): the old file stays whole until the new one is
// complete on the disk. IoError, with a message, on failure.
SimStatus SaveStateFile(const std::wstring& path, const CKeyboardState& state, std::wstring& error);
SimStatus SaveStateBody(const std::wstring& path, const std::vector<std::uint8_t>& body, std::wstring& error);

// Renames the file to "<path>.corrupt-<n>" with the first n not in use; the new name, or empty when it
// could not be moved.
std::wstring KeepFileAside(const std::wstring& path);
