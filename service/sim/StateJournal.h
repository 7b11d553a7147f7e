// The changes the keyboard accepted since its memory file was last saved: an append-only file beside the
// memory file ("<file>.journal") that gets one record per change before the change is answered, so that
// a killed service loses nothing it acknowledged. The memory file is saved once per burst as before; each
// save starts the journal afresh from the saved state.
//
// Little-endian. Header, 24 bytes: magic "TSKBJRNL", 32-bit version 1, 32-bit flags 0, 32-bit length and
// CRC-32 of the memory file body the journal continues. Then records: 32-bit payload length, 32-bit
// CRC-32 of the payload, payload = 32-bit prefix, 32-bit suffix, 32-bit new body length, 32-bit CRC-32
// of the new body, then the new body's bytes between the prefix and the suffix it shares with the body
// before the change.
#pragma once

#include "framework/Handle.h"
#include "service/sim/SimTypes.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::wstring JournalPathOf(const std::wstring& stateFile);

class CStateJournal {
public:
    // Empties the journal at `path` (opening or creating it) and makes `body` the state it continues.
    // False, with a message, when the file cannot be opened or written; the journal is closed then.
    bool Start(const std::wstring& path, std::vector<std::uint8_t> body, std::wstring& error);
    bool IsOpen() const { return !m_file.IsNull(); }
    // Appends the change from the last body to `body` (nothing when they are equal). The record is in the
    // file (the system's cache) when this returns. False, with a message, when it could not be written:
    // the journal is closed then, and the caller must save the whole state instead.
    bool Append(std::vector<std::uint8_t> body, std::wstring& error);
    // The body the journal has reached.
    const std::vector<std::uint8_t>& Body() const { return m_body; }
    void Close() { m_file.CloseHandle(); }

private:
    CHandle m_file;
    std::vector<std::uint8_t> m_body;
};

struct JournalReplay {
    enum class Outcome {
        None,      // no journal, or an empty one
        Applied,   // `records` changes were applied
        Ignored,   // it continues another body (one that was saved since): nothing applied
        Damaged,   // unreadable header: nothing applied, the caller keeps it aside
    };
    Outcome outcome = Outcome::None;
    std::size_t records = 0;
    // Set when the last record is torn or damaged (a kill while it was written, before it was answered);
    // the records before it were applied.
    bool tornTail = false;
    std::wstring message;
};

// Applies the journal at `path` to `body`, the memory file's body it continues.
JournalReplay ReplayJournal(const std::wstring& path, std::vector<std::uint8_t>& body);
