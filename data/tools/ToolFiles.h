// File helpers of the build-time generators, which run under Wine on paths the build hands them.
#pragma once

#include <string>
#include <vector>

// The build passes Unix paths; under Wine the Z: drive is the Unix root.
std::wstring WindowsPath(const wchar_t* path);

bool ReadWholeFile(const std::wstring& path, std::string& text);

// Writes the whole file or, on any failure, removes what was written, so a failed generator never
// leaves an output that a later build would take as up to date.
bool WriteWholeFile(const std::wstring& path, const void* data, size_t size);
