// The key record layout and the operations on one record that need no definition loaded: a key's id
// from its name, the scan code its make sequence reports, and whether a record names a usable key. The
// device service, the simulated keyboard and the data generators use these without the definition.
#pragma once

#include <cstdint>
#include <string>

// The key id of a key name: djb2 (start 5381, id = id * 33 + code unit) over the UTF-16 code units up
// to the first NUL, with 32-bit wrap-around. KBDKEY items name their key the same way.
std::int32_t HashKeyName(const wchar_t* name);
inline std::int32_t HashKeyName(const std::wstring& name) { return HashKeyName(name.c_str()); }

// A scan code and its extended flag byte. As derived from a key record the flag byte is the flag of the
// record's first sequence entry, so it can be 2 (an E1 prefix) as well as 1 (E0).
struct KeyScanCode {
    std::uint16_t code = 0;
    std::uint8_t extended = 0;
};

// One entry of a key's scan-code sequence, laid out as in the key record file.
struct KeyCodeEntry {
    std::uint16_t code = 0;
    std::uint8_t flag = 0;  // non-zero on a prefix entry (E0, E1)
    std::uint8_t unused = 0;
};
static_assert(sizeof(KeyCodeEntry) == 4, "KeyCodeEntry is the 4-byte file entry");

constexpr int kKeySequenceLength = 10;  // entries per block
constexpr int kKeyBlockBytes = kKeySequenceLength * static_cast<int>(sizeof(KeyCodeEntry));
constexpr int kMaxKeyNameBytes = 512;   // longer names are cut to 256 code units
// Bytes of a record after its name: code1, code2 and four blocks.
constexpr int kKeyRecordFixedBytes = 2 + 2 + 4 * kKeyBlockBytes;

// One key of the definition.
struct KeyRecord {
    std::int32_t id = 0;  // HashKeyName(name)
    std::wstring name;
    std::int16_t code1 = 0;
    std::int16_t code2 = 0;  // 85: the key's system name is the extended-key name
    KeyCodeEntry makeSequence[kKeySequenceLength] = {};  // block A
    // Kept as read; the program does not interpret them.
    std::uint8_t blockB[kKeyBlockBytes] = {};
    std::uint8_t blockC[kKeyBlockBytes] = {};
    std::uint8_t blockD[kKeyBlockBytes] = {};
    KeyScanCode scanCode;  // derived from makeSequence
};

// The scan code a key reports, from its make sequence: a plain first entry is the code itself; after a
// prefix entry it is the last of the plain entries that follow (never the tenth entry), with the
// prefix's flag as extended byte. E0 1D gives {0x1D, 1}; E1 1D 45 E1 ... gives {0x45, 2}.
KeyScanCode DeriveKeyScanCode(const KeyCodeEntry (&sequence)[kKeySequenceLength]);

// False for the names "DO NOT USE", "UNASSIGNED", "RESERVED" and "None" (any case) and for a first
// sequence code of 0x8000 or above.
bool IsUsableKeyName(const KeyRecord& record);
