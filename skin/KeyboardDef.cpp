// The keyboard definition and its file parsers, and the key-name and keystroke operations (the key
// record operations are in KeyRecord.cpp, the KEYBOARDDEF reader in KeyboardRoot.cpp).
#include "skin/KeyboardDef.h"

#include <cstring>

#include "model/NameTables.h"
#include "model/TextCompare.h"
#include "skin/KeyboardLayout.h"

namespace {

std::uint32_t ReadU32(const BYTE* p)
{
    std::uint32_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

std::int16_t ReadI16(const BYTE* p)
{
    std::int16_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

} // namespace

std::int32_t NumLockKeyId()
{
    static const std::int32_t id = HashKeyName(L"Num Lock");
    return id;
}

CKeyboardDef::CKeyboardDef()
{
    m_id = -1;
    m_type = -1;
    m_window = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));
    m_owner = nullptr;
}

CKeyboardDef::~CKeyboardDef() = default;

bool CKeyboardDef::LoadKeyRecords(const BYTE* data, size_t size)
{
    if (!data || size == 0)
        return false;
    if (m_loaded)
        return true;
    m_loaded = 1;
    if (size < 4)
        return false;

    const std::uint32_t count = ReadU32(data);
    if (count == 0)
        return false;
    size_t pos = 4;
    for (std::uint32_t index = 0; index < count; ++index) {
        // Every byte of the record must be there before any is read; a 64-bit sum so that a huge name
        // length cannot wrap into a small record.
        if (size - pos < 4)
            return false;
        const std::uint32_t nameBytes = ReadU32(data + pos);
        const std::uint64_t recordBytes = 4ull + nameBytes + kKeyRecordFixedBytes;
        if (recordBytes > size - pos)
            return false;

        const BYTE* p = data + pos + 4;
        KeyRecord record;
        wchar_t nameBuffer[kMaxKeyNameBytes / 2 + 1] = {};
        std::memcpy(nameBuffer, p, nameBytes < kMaxKeyNameBytes ? nameBytes : kMaxKeyNameBytes);
        record.name = nameBuffer;
        p += nameBytes;
        record.code1 = ReadI16(p);
        record.code2 = ReadI16(p + 2);
        p += 4;
        std::memcpy(record.makeSequence, p, kKeyBlockBytes);
        std::memcpy(record.blockB, p + kKeyBlockBytes, kKeyBlockBytes);
        std::memcpy(record.blockC, p + 2 * kKeyBlockBytes, kKeyBlockBytes);
        std::memcpy(record.blockD, p + 3 * kKeyBlockBytes, kKeyBlockBytes);
        record.scanCode = DeriveKeyScanCode(record.makeSequence);
        record.id = HashKeyName(record.name);
        pos += static_cast<size_t>(recordBytes);

        if (IsUsableKeyName(record)) {
            const std::int32_t id = record.id;
            m_records[id] = std::move(record);
        }
        // The file is whole only when its data ends with its last record.
        if (pos >= size)
            return index == count - 1;
    }
    return false;  // bytes after the last announced record
}

bool CKeyboardDef::LoadKeyDefaults(const BYTE* data, size_t size)
{
    if (!data || size < 4)
        return false;
    const std::uint32_t count = ReadU32(data);
    if (count != (size - 4) / 8)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const BYTE* pair = data + 4 + 8 * static_cast<size_t>(i);
        const std::int32_t keyId = static_cast<std::int32_t>(ReadU32(pair));
        const std::uint32_t value = ReadU32(pair + 4);
        m_defaults[keyId] = {static_cast<std::uint16_t>(value & 0xFFFF), static_cast<std::uint8_t>((value >> 16) & 0xFF)};
    }
    return true;
}

KeyScanCode CKeyboardDef::GetKeyScanCode(std::int32_t keyId) const
{
    auto it = m_records.find(keyId);
    return it == m_records.end() ? KeyScanCode{} : it->second.scanCode;
}

std::int32_t CKeyboardDef::FindKeyByScanCode(std::uint32_t value) const
{
    const std::uint16_t code = static_cast<std::uint16_t>(value & 0xFFFF);
    const std::uint8_t extended = static_cast<std::uint8_t>((value >> 16) & 0xFF);
    for (const auto& [id, record] : m_records) {
        if (record.scanCode.code == code && record.scanCode.extended == extended)
            return id;
    }
    return 0;
}

KeyScanCode& CKeyboardDef::GetDefaultScanCode(std::int32_t keyId) { return m_defaults[keyId]; }

const KeyRecord* CKeyboardDef::FindKeyRecord(std::int32_t keyId) const
{
    auto it = m_records.find(keyId);
    return it == m_records.end() ? nullptr : &it->second;
}

void CKeyboardDef::Clear()
{
    m_records.clear();
    m_defaults.clear();
    m_loaded = 0;
}

CKeyboardDef& KeyboardDef()
{
    static CKeyboardDef definition;
    return definition;
}

namespace {

// Built before main so that the definition exists from start-up, as the skin lists expect.
[[maybe_unused]] const CKeyboardDef& g_startupDefinition = KeyboardDef();

} // namespace

bool FormatKeyName(UINT virtualKey, std::wstring& name, UINT scanCode, BYTE extended)
{
    const KeyboardLayoutApi& layout = KeyboardLayout();
    LONG keyData = static_cast<LONG>(scanCode << 16);
    // Num Lock shares its scan code with Pause: only the extended name is Num Lock's.
    if (extended == 1 || virtualKey == VK_NUMLOCK || virtualKey == 0xC2)
        keyData |= 1 << 24;
    wchar_t buffer[40] = {};
    if (layout.GetKeyNameText(keyData, buffer, 40) > 0 && buffer[0]) {
        name = buffer;
        return true;
    }
    if (const wchar_t* label = KeyLabel(virtualKey)) {
        name = label;
        return true;
    }
    BYTE keyState[256] = {};
    wchar_t chars[2] = {};
    // A dead key answers -1: it has no character of its own to show.
    if (layout.ToUnicode(virtualKey, scanCode, keyState, chars, 2, 0) <= 0 || !chars[0]) {
        name.clear();
        return true;
    }
    wchar_t upper[2] = {chars[0], 0};
    CharUpperBuffW(upper, 1);
    name.assign(1, upper[0]);
    return true;
}

void FillKeyStrokeFromKeyData(LPARAM keyData, KeyStroke& stroke, bool isDown)
{
    const bool extended = (keyData & (1 << 24)) != 0;
    stroke.workScanCode = static_cast<std::int16_t>((keyData >> 16) & 0xFF);
    switch (static_cast<std::uint16_t>(stroke.workVirtualKey)) {
    case VK_CONTROL:
        stroke.workVirtualKey = extended ? VK_RCONTROL : VK_LCONTROL;
        break;
    case VK_SHIFT:
        if (stroke.workScanCode == 0x2A)
            stroke.workVirtualKey = VK_LSHIFT;
        else if (stroke.workScanCode == 0x36)
            stroke.workVirtualKey = VK_RSHIFT;
        break;
    case VK_MENU:
        stroke.workVirtualKey = extended ? VK_RMENU : VK_LMENU;
        break;
    case VK_RETURN:
        if (extended)
            stroke.workVirtualKey = VK_SEPARATOR;  // keypad Enter
        break;
    }

    stroke.scanCode = stroke.workScanCode;
    stroke.virtualKey = static_cast<std::uint16_t>(stroke.workVirtualKey);
    stroke.state = isDown ? kKeyStrokeDown : kKeyStrokeUp;
    stroke.flags = 0;
    if (extended)
        stroke.flags |= kKeyStrokeExtended;
    if (keyData & (1 << 29))
        stroke.flags |= kKeyStrokeAlt;

    // The modifiers the layout needs to type the key's character. A key without a character needs none,
    // and a character the layout cannot type (-1) says nothing about modifiers.
    const KeyboardLayoutApi& layout = KeyboardLayout();
    const HKL hkl = CurrentKeyLayout();
    const wchar_t ch = static_cast<wchar_t>(layout.MapVirtualKeyEx(stroke.virtualKey, MAPVK_VK_TO_CHAR, hkl) & 0xFFFF);
    if (ch != 0) {
        const SHORT scan = layout.VkKeyScanEx(ch, hkl);
        if (scan != -1) {
            if (scan & 0x100)
                stroke.flags |= kKeyStrokeShift;
            if (scan & 0x200)
                stroke.flags |= kKeyStrokeCtrl;
            if (scan & 0x400)
                stroke.flags |= kKeyStrokeAlt;
        }
    }

    FormatKeyName(static_cast<std::uint16_t>(stroke.workVirtualKey), stroke.name,
                  static_cast<std::uint16_t>(stroke.scanCode), stroke.flags & kKeyStrokeExtended);
}

bool FillKeyStrokeFromMessage(const MSG& message, KeyStroke& stroke)
{
    const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if (!down && !up)
        return true;
    if (down && (message.lParam & (1 << 30)))
        return true;  // auto-repeat: the key is down already

    stroke.workVirtualKey = static_cast<std::int16_t>(message.wParam & 0xFFFF);
    stroke.name.clear();
    FillKeyStrokeFromKeyData(message.lParam, stroke, down);

    if (message.message != WM_KEYDOWN)
        return false;
    // Keys that dialogs use for navigation or that toggle a lock state.
    switch (message.wParam & 0xFFFF) {
    case VK_BACK:
    case VK_TAB:
    case VK_PAUSE:
    case VK_CAPITAL:
    case VK_SPACE:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_NUMLOCK:
    case VK_SCROLL:
        return true;
    default:
        return false;
    }
}

bool FillKeyStrokeFromRawInput(KeyStroke& stroke, const RAWKEYBOARD* report)
{
    if (!report)
        return false;
    stroke.workScanCode = static_cast<std::int16_t>(report->MakeCode);
    stroke.scanCode = stroke.workScanCode;
    // 0xFF comes with the prefix half of a two-part key report: the key is the one seen before.
    if (report->VKey != 0xFF)
        stroke.workVirtualKey = static_cast<std::int16_t>(report->VKey);
    stroke.virtualKey = static_cast<std::uint16_t>(stroke.workVirtualKey);
    stroke.state = (report->Flags & RI_KEY_BREAK) ? kKeyStrokeUp : kKeyStrokeDown;
    stroke.flags = (report->Flags & RI_KEY_E0) ? kKeyStrokeExtended : 0;
    FormatKeyName(stroke.virtualKey, stroke.name, static_cast<std::uint16_t>(stroke.scanCode),
                  stroke.flags & kKeyStrokeExtended);
    return report->MakeCode != 0 && !(report->Flags & RI_KEY_E1) &&
           !((report->Flags & RI_KEY_E0) && report->VKey == 0xFF);
}
