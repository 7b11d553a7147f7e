// The keyboard description (a readable text, one line per key) and the writer that turns it into the
// key record file and the defaults file that the skin library reads. The build's generator and the
// tests share it, so the files the tests check are made exactly as the shipped ones.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/KeyRecord.h"

// One line of the description: one key record, and its default scan code when it has one.
struct KeyDescription {
    std::wstring skinName;  // identifier of the key's item on the keyboard page, empty when none
    std::wstring name;
    std::int16_t code1 = 0;
    std::int16_t code2 = 0;
    // Blocks A (the make sequence), B, C and D of the record.
    KeyCodeEntry blocks[4][kKeySequenceLength] = {};
    bool hasDefault = false;
    KeyScanCode defaultScanCode;
    int line = 0;  // line in the description text, for messages
};

// Reads a description (UTF-8). On failure returns false with a message naming the line; `keys` then
// holds the lines read before it.
bool ParseKeyboardDescription(const std::string& text, std::vector<KeyDescription>& keys, std::string& error);

// Text helpers of the readable description formats, shared with the skin generator: the text without
// blanks, tabs and carriage returns at its ends, and its blank-separated words.
std::string TrimBlanks(const std::string& text);
std::vector<std::string> SplitWords(const std::string& text);

// The key record file: the count, then every key in description order.
std::vector<BYTE> WriteKeyRecordFile(const std::vector<KeyDescription>& keys);
// One record as the key record file holds it (for building files record by record).
void AppendKeyRecord(std::vector<BYTE>& out, const KeyDescription& key);
// The defaults file: one pair {HashKeyName(name), code | extended << 16} per key with a default, in
// description order.
std::vector<BYTE> WriteKeyDefaultsFile(const std::vector<KeyDescription>& keys);
