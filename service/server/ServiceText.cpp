// Text helpers of the device service.
#include "service/server/ServiceText.h"

#include <cstdio>

#include "model/TextCompare.h"

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

std::string QuoteText(const std::wstring& text, std::size_t maxUnits)
{
    const bool cut = text.size() > maxUnits;
    std::wstring shown = cut ? text.substr(0, maxUnits) : text;
    // Never leave half a surrogate pair at the cut.
    if (cut && !shown.empty() && shown.back() >= 0xD800 && shown.back() <= 0xDBFF)
        shown.pop_back();
    std::string out = "\"";
    std::wstring run;
    auto flush = [&] {
        out += ToUtf8(run);
        run.clear();
    };
    for (wchar_t c : shown) {
        if (c == L'\\' || c == L'"' || c < 0x20 || c == 0x7F) {
            flush();
            char escaped[8];
            switch (c) {
            case L'\\': out += "\\\\"; break;
            case L'"': out += "\\\""; break;
            case L'\n': out += "\\n"; break;
            case L'\r': out += "\\r"; break;
            case L'\t': out += "\\t"; break;
            default:
                std::snprintf(escaped, sizeof(escaped), "\\x%02X", static_cast<unsigned>(c));
                out += escaped;
            }
        } else {
            run.push_back(c);
        }
    }
    flush();
    out += cut ? "\"..." : "\"";
    return out;
}

std::string QuoteText(const wchar_t* text, std::size_t maxUnits)
{
    if (text == nullptr)
        return "null";
    // Read no further than needed: a client's text may be far longer than what is shown.
    std::size_t length = 0;
    const std::size_t limit = maxUnits == std::wstring::npos ? std::wstring::npos : maxUnits + 1;
    while (length < limit && text[length] != L'\0')
        ++length;
    return QuoteText(std::wstring(text, length), maxUnits);
}

std::string GuidText(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof(text), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::string HexText(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%0*lX", digits, static_cast<unsigned long>(value));
    return text;
}

std::string HresultText(HRESULT hr) { return HexText(static_cast<std::uint32_t>(hr)); }

std::string TimeStampText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

bool ParseNumber(const std::string& token, std::uint32_t& value)
{
    if (token.empty() || token.size() > 16)
        return false;
    std::size_t i = 0;
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        base = 16;
        i = 2;
    }
    std::uint64_t result = 0;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return false;
        result = result * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (result > 0xFFFFFFFFull)
            return false;
    }
    value = static_cast<std::uint32_t>(result);
    return true;
}

bool CLogFile::Open(const std::wstring& path)
{
    Close();
    m_file.Attach(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (m_file.IsNull())
        return false;
    m_path = path;
    return true;
}

void CLogFile::Close()
{
    m_file.CloseHandle();
    m_path.clear();
}

void CLogFile::WriteLine(const std::string& line)
{
    if (m_file.IsNull())
        return;
    const std::string text = TimeStampText() + " " + line + "\r\n";
    DWORD written = 0;
    WriteFile(m_file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
