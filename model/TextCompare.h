// Name comparison for identifiers read from skin files, language files, the registry and the device
// service: equal up to the case of the ASCII letters, with no locale-dependent folding.
#pragma once

#include <string>

// Maps 'A'..'Z' to 'a'..'z' and returns every other character unchanged.
constexpr wchar_t FoldAZ(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

// True when both texts have the same length and their characters agree after FoldAZ. Two null pointers
// are equal; a null pointer differs from every text, the empty one included.
bool EqualsNoCaseAZ(const wchar_t* a, const wchar_t* b);
bool EqualsNoCaseAZ(const std::wstring& a, const std::wstring& b);
