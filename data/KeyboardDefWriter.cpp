// Reading the keyboard description and writing the key record and defaults files.
#include "data/KeyboardDefWriter.h"

#include <cstring>
#include <map>
#include <set>

#include "model/TextCompare.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(TrimBlanks(text.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}


bool ToWide(const std::string& text, std::wstring& out)
{
    out.clear();
    if (text.empty())
        return true;
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    if (length <= 0)
        return false;
    out.resize(length);
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), &out[0], length);
    return true;
}

// Whole-text number: hexadecimal digits (with or without 0x) when `hex`, else decimal or 0x hex, with an
// optional minus sign for decimals.
bool ParseNumber(const std::string& text, bool hex, long long& value)
{
    std::string digits = text;
    int base = hex ? 16 : 10;
    bool negative = false;
    if (!hex && !digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.erase(0, 2);
        base = 16;
    }
    if (digits.empty() || digits.size() > 8)
        return false;
    value = 0;
    for (char c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return false;
        value = value * base + digit;
    }
    if (negative)
        value = -value;
    return true;
}

bool ParseCode16(const std::string& text, std::int16_t& out)
{
    long long value;
    if (!ParseNumber(text, false, value) || value < -32768 || value > 0xFFFF)
        return false;
    out = static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
    return true;
}

// "code" or "code:flag", both hexadecimal.
bool ParseEntry(const std::string& text, std::uint16_t& code, std::uint8_t& flag)
{
    const size_t colon = text.find(':');
    long long value;
    if (!ParseNumber(text.substr(0, colon), true, value) || value > 0xFFFF)
        return false;
    code = static_cast<std::uint16_t>(value);
    flag = 0;
    if (colon != std::string::npos) {
        if (!ParseNumber(text.substr(colon + 1), true, value) || value > 0xFF)
            return false;
        flag = static_cast<std::uint8_t>(value);
    }
    return true;
}

bool ParseSequence(const std::string& text, KeyCodeEntry (&block)[kKeySequenceLength])
{
    const std::vector<std::string> words = SplitWords(text);
    if (words.size() > static_cast<size_t>(kKeySequenceLength))
        return false;
    for (size_t i = 0; i < words.size(); ++i) {
        if (!ParseEntry(words[i], block[i].code, block[i].flag))
            return false;
    }
    return true;
}

void AppendBytes(std::vector<BYTE>& out, const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

void AppendU32(std::vector<BYTE>& out, std::uint32_t value) { AppendBytes(out, &value, sizeof(value)); }

} // namespace

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    size_t pos = 0;
    while ((pos = text.find_first_not_of(" \t", pos)) != std::string::npos) {
        const size_t end = text.find_first_of(" \t", pos);
        words.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end;
    }
    return words;
}

bool ParseKeyboardDescription(const std::string& text, std::vector<KeyDescription>& keys, std::string& error)
{
    keys.clear();
    error.clear();
    std::set<std::wstring> names;
    std::set<std::wstring> skinNames;
    std::map<std::int32_t, std::wstring> ids;

    size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        ++lineNumber;
        if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        line = TrimBlanks(line);
        if (line.empty() || line[0] == '#')
            continue;

        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        };
        const std::vector<std::string> columns = Split(line, '|');
        if (columns.size() < 6 || columns.size() > 9)
            return fail("expected 6 to 9 columns separated by '|'");

        KeyDescription key;
        key.line = lineNumber;
        if (columns[0] != "-" && !ToWide(columns[0], key.skinName))
            return fail("the skin identifier is not UTF-8");
        if (!ToWide(columns[1], key.name) || key.name.empty())
            return fail("the key name is empty or not UTF-8");
        if (key.name.size() > static_cast<size_t>(kMaxKeyNameBytes / 2))
            return fail("the key name is longer than 256 UTF-16 units");
        if (!ParseCode16(columns[2], key.code1) || !ParseCode16(columns[3], key.code2))
            return fail("code1 and code2 are 16-bit numbers");
        for (size_t block = 0; block < 4; ++block) {
            const size_t column = block == 0 ? 4 : 5 + block;
            if (column < columns.size() && !ParseSequence(columns[column], key.blocks[block]))
                return fail("a sequence is up to 10 hexadecimal entries, prefix entries as code:flag");
        }
        if (columns[5] != "-") {
            std::uint8_t extended;
            if (!ParseEntry(columns[5], key.defaultScanCode.code, extended))
                return fail("the default scan code is hexadecimal code[:extended] or '-'");
            key.defaultScanCode.extended = extended;
            key.hasDefault = true;
        }

        KeyRecord record;
        record.name = key.name;
        std::memcpy(record.makeSequence, key.blocks[0], sizeof(record.makeSequence));
        if (IsUsableKeyName(record)) {
            // Usable keys are found by name and by id: both must be unique.
            if (!names.insert(key.name).second)
                return fail("a usable key of this name exists already");
            const std::int32_t id = HashKeyName(key.name);
            if (ids.count(id))
                return fail("the key id of this name equals the id of another key");
            ids[id] = key.name;
        }
        if (!key.skinName.empty() && !skinNames.insert(key.skinName).second)
            return fail("this skin identifier names another key already");
        keys.push_back(key);
    }
    return true;
}

void AppendKeyRecord(std::vector<BYTE>& out, const KeyDescription& key)
{
    AppendU32(out, static_cast<std::uint32_t>(key.name.size() * sizeof(wchar_t)));
    AppendBytes(out, key.name.data(), key.name.size() * sizeof(wchar_t));
    AppendBytes(out, &key.code1, sizeof(key.code1));
    AppendBytes(out, &key.code2, sizeof(key.code2));
    for (const auto& block : key.blocks)
        AppendBytes(out, block, sizeof(block));
}

std::vector<BYTE> WriteKeyRecordFile(const std::vector<KeyDescription>& keys)
{
    std::vector<BYTE> out;
    AppendU32(out, static_cast<std::uint32_t>(keys.size()));
    for (const KeyDescription& key : keys)
        AppendKeyRecord(out, key);
    return out;
}

std::vector<BYTE> WriteKeyDefaultsFile(const std::vector<KeyDescription>& keys)
{
    std::vector<BYTE> pairs;
    std::uint32_t count = 0;
    for (const KeyDescription& key : keys) {
        if (!key.hasDefault)
            continue;
        AppendU32(pairs, static_cast<std::uint32_t>(HashKeyName(key.name)));
        AppendU32(pairs, key.defaultScanCode.code | (static_cast<std::uint32_t>(key.defaultScanCode.extended) << 16));
        ++count;
    }
    std::vector<BYTE> out;
    AppendU32(out, count);
    out.insert(out.end(), pairs.begin(), pairs.end());
    return out;
}
