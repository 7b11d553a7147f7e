// The program-wide keyboard definition: which physical keys the keyboard has (name, codes and scan-code
// sequence of each key, by key id) and their default scan codes, read from two binary data files named
// by the KEYBOARDDEF element of a KEYBOARD skin file. Also the key-name and keystroke operations: the
// display name of a key, and KeyStroke records filled from raw input, key messages or key data.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "skin/GUIItem.h"
#include "skin/KeyRecord.h"

class CWnd;
namespace pugi {
class xml_node;
}

// The key id of "Num Lock", computed once; its system name is the extended-key name.
std::int32_t NumLockKeyId();

// The keyboard definition (item type 21). The program has one, KeyboardDef(); skin item lists point to
// it but never delete it.
class CKeyboardDef : public CGUIItem {
public:
    CKeyboardDef();
    ~CKeyboardDef() override;

    // Parses a key record file held in memory. Only the first call with data parses (and marks the
    // definition loaded whatever the outcome); later calls return true. True when the data ends exactly
    // with the last announced record; the usable records read are kept either way. A record that does not
    // fit in the rest of the data ends the parse with false.
    bool LoadKeyRecords(const BYTE* data, size_t size);
    // Parses a defaults file held in memory: {count, count x {key id, value}}. False, with nothing
    // applied, when the count does not match the size; otherwise each pair sets or replaces a default.
    bool LoadKeyDefaults(const BYTE* data, size_t size);

    // The derived scan code of a usable key; {0, 0} for other ids.
    KeyScanCode GetKeyScanCode(std::int32_t keyId) const;
    // The key id of the usable key (smallest id first) whose derived code is bits 0-15 of `value` and
    // extended byte bits 16-23; 0 when none.
    std::int32_t FindKeyByScanCode(std::uint32_t value) const;
    // The default scan code of the key; an id without one gets a {0, 0} entry, which is returned.
    KeyScanCode& GetDefaultScanCode(std::int32_t keyId);
    // The usable record of the id, or null. Records stay where they are until program exit.
    const KeyRecord* FindKeyRecord(std::int32_t keyId) const;
    bool IsLoaded() const { return m_loaded != 0; }
    const std::map<std::int32_t, KeyRecord>& Records() const { return m_records; }
    const std::map<std::int32_t, KeyScanCode>& Defaults() const { return m_defaults; }

    // Forgets every record and default and the loaded mark. Pointers to records become invalid: only for
    // tests, which need a fresh program-wide definition.
    void Clear();

private:
    std::map<std::int32_t, KeyRecord> m_records;      // usable keys by key id
    std::map<std::int32_t, KeyScanCode> m_defaults;   // default scan codes by key id
    BYTE m_loaded = 0;
};

// The program-wide definition (id, type and window -1, no owner until a KEYBOARDDEF registers it).
CKeyboardDef& KeyboardDef();

// Reads the KEYBOARDDEF child of a KEYBOARD skin root: `name` (skin id), `file` (key record file, from
// bin\) and optional `kbddefaults` (defaults file, from bin\). The records are parsed by the first file
// only; defaults replace earlier ones of the same ids. Registers KeyboardDef() in `list` under the
// element's id with type 21 and `parent` as owner; the list does not own it. False when the element,
// its name or file is missing or unknown, the record file can't be read or parsed (nothing registered),
// or the defaults file can't be read or parsed (registered all the same); `damagedFile` (when given)
// then names the data file at fault ("bin\<file>"), and stays as it was when the element is. The
// loader's KEYBOARD reader (KeyboardRoot.cpp, AddSkinKeyboardRoot).
bool LoadKeyboardDef(const pugi::xml_node& root, CWnd* parent, SkinItemList& list,
                     std::wstring* damagedFile = nullptr);

// A key press or release as the macro recorder and the single-key edit keep it. The first four fields
// are the key data of a key macro event, in the same order and widths.
struct KeyStroke {
    std::int16_t scanCode = 0;
    std::uint16_t virtualKey = 0;
    std::uint8_t state = 0;  // kKeyStrokeDown or kKeyStrokeUp
    std::uint8_t flags = 0;  // kKeyStroke* bits
    std::wstring name;       // display name (FormatKeyName)
    std::int16_t workVirtualKey = 0;  // the virtual key the caller puts in before filling; names use it
    std::int16_t workScanCode = 0;
};

constexpr std::uint8_t kKeyStrokeDown = 255;
constexpr std::uint8_t kKeyStrokeUp = 1;
constexpr std::uint8_t kKeyStrokeExtended = 0x01;
constexpr std::uint8_t kKeyStrokeAlt = 0x02;
constexpr std::uint8_t kKeyStrokeCtrl = 0x04;
constexpr std::uint8_t kKeyStrokeShift = 0x08;

// The name shown for a key, in the active keyboard layout: the system key name (the extended one when
// `extended` is 1 or the key is Num Lock or 0xC2), else the short key label of the virtual key, else
// the key's character upper-cased, else empty. Always true.
bool FormatKeyName(UINT virtualKey, std::wstring& name, UINT scanCode, BYTE extended);

// Fills the stroke from the lParam of a key message; `stroke.workVirtualKey` holds the message's virtual
// key. Control, Shift, Alt and Enter become their left/right (or keypad) keys; the Shift, Ctrl and Alt
// flags say which modifiers the current layout needs to type the key's character.
void FillKeyStrokeFromKeyData(LPARAM keyData, KeyStroke& stroke, bool isDown);

// Fills the stroke from a key message. True when the caller is to swallow the message: every message
// that is not a key message and every auto-repeated key-down (the stroke left as it was), and the
// key-downs of keys that would otherwise move focus or toggle (Tab, arrows, Space, Num Lock, ...).
bool FillKeyStrokeFromMessage(const MSG& message, KeyStroke& stroke);

// Fills the stroke from a raw-input keyboard report. True when the report is a real key, false for
// none and for the fake prefix reports of keys such as Pause and the extended cursor keys.
bool FillKeyStrokeFromRawInput(KeyStroke& stroke, const RAWKEYBOARD* report);
