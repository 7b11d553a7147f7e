// Text helpers of the device service: UTF-8 and UTF-16 conversion, quoting for control replies and logs,
// GUID, HRESULT and time spelling, number parsing for control commands, and a log file that takes one
// line at a time.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// The text in double quotes, with backslash, quote and control characters escaped so that it stays on
// one line; cut after `maxUnits` units with "..." after the closing quote. Null text is spelt null.
std::string QuoteText(const std::wstring& text, std::size_t maxUnits = std::wstring::npos);
std::string QuoteText(const wchar_t* text, std::size_t maxUnits = std::wstring::npos);

std::string GuidText(const GUID& guid);  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
std::string HexText(std::uint32_t value, int digits = 8);  // 0x0000001E
std::string HresultText(HRESULT hr);
// Local time as "YYYY-MM-DD hh:mm:ss.mmm".
std::string TimeStampText();

// A whole token as an unsigned 32-bit number, decimal or with 0x in hexadecimal.
bool ParseNumber(const std::string& token, std::uint32_t& value);

// A text file that lines are appended to, shared with readers and with whoever deletes it. Every line
// goes to the file at once, so a crash loses nothing already logged.
class CLogFile {
public:
    // Creates the file when missing; false (and closed) when it cannot be opened.
    bool Open(const std::wstring& path);
    void Close();
    bool IsOpen() const { return !m_file.IsNull(); }
    const std::wstring& Path() const { return m_path; }
    // Writes the time stamp, a blank, the line and a line end.
    void WriteLine(const std::string& line);

private:
    CHandle m_file;
    std::wstring m_path;
};
