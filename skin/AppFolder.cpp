// The program folder, taken from the module's own path.
#include "skin/AppFolder.h"

#include <windows.h>

namespace {

bool gKnown = false;

std::wstring& Folder()
{
    static std::wstring folder;
    return folder;
}

// The full path of the program file. Paths can be longer than MAX_PATH (long-path prefixes), so the
// buffer grows until the name fits instead of being cut off.
std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
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

} // namespace

const std::wstring& AppFolder()
{
    if (!gKnown) {
        std::wstring path = ModulePath();
        std::wstring::size_type slash = path.find_last_of(L'\\');
        Folder() = (slash == std::wstring::npos) ? std::wstring() : path.substr(0, slash + 1);
        gKnown = true;
    }
    return Folder();
}

void SetAppFolder(const std::wstring& folder)
{
    Folder() = folder;
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        Folder() += L'\\';
    gKnown = true;
}

void ResetAppFolder()
{
    Folder().clear();
    gKnown = false;
}
