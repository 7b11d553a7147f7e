// Files and folders for tests: a fresh temporary folder, writing and reading bytes, removing a tree,
// repeated text, and the Windows path of a file of the source tree (Wine reaches the Unix file system through drive Z:).
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testfiles {

// Creates a new folder below the temporary folder, with the given subfolders; returns it with a
// trailing backslash, or an empty string when it could not be made.
inline std::wstring MakeTempFolder(const wchar_t* prefix, std::initializer_list<const wchar_t*> subfolders = {})
{
    static std::atomic<int> serial{0};
    wchar_t temp[MAX_PATH] = {};
    if (!GetTempPathW(MAX_PATH, temp))
        return L"";
    std::wstring folder = std::wstring(temp) + prefix + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++serial) + L"\\";
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        return L"";
    for (const wchar_t* sub : subfolders) {
        if (!CreateDirectoryW((folder + sub).c_str(), nullptr))
            return L"";
    }
    return folder;
}

// Removes a folder (given with a trailing backslash) and everything in it; false when anything stayed.
inline bool RemoveTree(const std::wstring& folder)
{
    bool ok = true;
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ok = RemoveTree(folder + name + L"\\") && ok;
            else
                ok = DeleteFileW((folder + name).c_str()) && ok;
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return RemoveDirectoryW(folder.c_str()) && ok;
}

// Writes the bytes to a new file (replacing one that exists); false when that failed.
inline bool WriteBytes(const std::wstring& path, const void* data, size_t size)
{
    const CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (file.IsNull())
        return false;
    DWORD written = 0;
    return size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
}

// The whole file's bytes; empty when it cannot be read. A file another process still writes is read as
// far as it goes.
inline std::vector<std::uint8_t> ReadBytes(const std::wstring& path)
{
    std::vector<std::uint8_t> bytes;
    const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.IsNull())
        return bytes;
    std::uint8_t buffer[65536];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &count, nullptr) && count > 0)
        bytes.insert(bytes.end(), buffer, buffer + count);
    return bytes;
}

// The whole file as a byte string (as it is, no decoding); empty when it cannot be read.
inline std::string ReadText(const std::wstring& path)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// `piece` `count` times over, such as the tags of a file nested far too deep.
inline std::string Repeated(const std::string& piece, size_t count)
{
    std::string text;
    text.reserve(piece.size() * count);
    for (size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

// The Windows path of a Unix path, such as a fixture folder of the source tree.
inline std::wstring WinePath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c)
        path += (*c == '/') ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// A fresh temporary folder of the test's own, removed with everything in it at the end of the scope.
class CScopedFolder {
public:
    explicit CScopedFolder(const wchar_t* prefix = L"tessary-test") : m_folder(MakeTempFolder(prefix)) {}
    ~CScopedFolder()
    {
        if (!m_folder.empty())
            RemoveTree(m_folder);
    }
    CScopedFolder(const CScopedFolder&) = delete;
    CScopedFolder& operator=(const CScopedFolder&) = delete;

    // The folder without a trailing backslash; empty when it could not be made.
    std::wstring Path() const { return m_folder.empty() ? m_folder : m_folder.substr(0, m_folder.size() - 1); }
    std::wstring File(const std::wstring& name) const { return m_folder + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found = {};
        HANDLE find = FindFirstFileW((m_folder + L"*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..")
                    names.push_back(name);
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::wstring m_folder;
};

} // namespace testfiles
