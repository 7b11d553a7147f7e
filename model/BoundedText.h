// Copies of outside text (user input, names from the device service or an imported file) into
// fixed-size fields: every copy is cut to the field and always terminated, so a long name can never
// overrun a record or leave it without its terminator.
#pragma once

#include <cstddef>
#include <string>

// Longest text that a 260-character field holds with its terminator (profile names, paths, the text of
// a key assignment).
constexpr std::size_t kMaxPathText = 259;

// Copies at most capacity - 1 characters of `source` (null = empty) and terminates `dest`; the rest of
// the field is left as it was. Nothing happens when capacity is 0.
void CopyBoundedText(wchar_t* dest, std::size_t capacity, const wchar_t* source);

template <std::size_t N>
void CopyBoundedText(wchar_t (&dest)[N], const wchar_t* source)
{
    CopyBoundedText(dest, N, source);
}

// `source` (null = empty) cut to at most maxLength characters.
std::wstring BoundedText(const wchar_t* source, std::size_t maxLength);
