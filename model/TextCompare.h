// Name comparison for identifiers read from skin files, language files, the registry and the device
// service: equal up to the case of the ASCII letters, with no locale-dependent folding. Also the digits
// of the numbers in the text files the programs read, in the same plain ASCII way.
#pragma once

#include <string>

// Maps 'A'..'Z' to 'a'..'z' and returns every other character unchanged.
constexpr wchar_t FoldAZ(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

// True when both texts have the same length and their characters agree after FoldAZ. Two null pointers
// are equal; a null pointer differs from every text, the empty one included.
bool EqualsNoCaseAZ(const wchar_t* a, const wchar_t* b);
bool EqualsNoCaseAZ(const std::wstring& a, const std::wstring& b);

// The value of an ASCII digit in base 10, or in base 16 (letters of either case); -1 for any other
// character.
constexpr int DigitValue(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
