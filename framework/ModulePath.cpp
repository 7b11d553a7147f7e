// The full path of the running program file.
#include "framework/ModulePath.h"

#include <windows.h>

std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        // A full buffer means the name was truncated (the call then returns the buffer size).
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 0x8000 * 2)
            return std::wstring();
        path.resize(path.size() * 2);
    }
}
