// The profile folder and the settings file.
#include "model/ProfileFolder.h"

#include <windows.h>

#include <vector>

namespace {

struct StorePaths {
    std::wstring profileFolder;
    std::wstring macroFolder;
    std::wstring settingsFile;
};

StorePaths& Paths()
{
    static StorePaths paths;
    return paths;
}

// The profile functions look for a file given without a full path in the system folder; the store's
// files live below the program folder, so a relative path is made full first.
std::wstring FullPath(const std::wstring& path)
{
    if (path.empty())
        return path;
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0)
            return path;
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length);  // the size needed, terminator included
    }
}

// Closes the file search on every way out of the scan.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            FindClose(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

} // namespace

void BuildStorePaths(const std::wstring& appFolder)
{
    StorePaths& paths = Paths();
    paths.profileFolder = appFolder + L"save\\";
    paths.macroFolder = appFolder + L"save\\";
    paths.settingsFile = appFolder + L"save\\Ossle.qnc";
}

const std::wstring& ProfileFolderPath() { return Paths().profileFolder; }
const std::wstring& MacroFolderPath() { return Paths().macroFolder; }
const std::wstring& SettingsFilePath() { return Paths().settingsFile; }

bool MakeProfileFolders()
{
    for (const std::wstring* folder : {&Paths().profileFolder, &Paths().macroFolder}) {
        if (folder->empty())
            return false;
        const DWORD attributes = GetFileAttributesW(folder->c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        if (!CreateDirectoryW(folder->c_str(), nullptr))
            return false;
    }
    return true;
}

std::wstring ReadSetting(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                         const wchar_t* defaultValue)
{
    std::vector<wchar_t> buffer(4096, L'\0');
    const DWORD length = GetPrivateProfileStringW(section, key, defaultValue != nullptr ? defaultValue : L"",
                                                  buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  FullPath(file).c_str());
    return std::wstring(buffer.data(), length < buffer.size() ? length : buffer.size() - 1);
}

bool WriteSetting(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    return WritePrivateProfileStringW(section, key, value, FullPath(file).c_str()) != FALSE;
}

bool ForEachProfileFile(const std::wstring& folder, const wchar_t* extension,
                        const std::function<bool(const std::wstring& stem)>& visit)
{
    const std::wstring pattern = folder + L"*." + (extension != nullptr ? extension : L"");
    WIN32_FIND_DATAW found;
    FindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (search.Get() == INVALID_HANDLE_VALUE)
        return false;
    bool matched = false;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        matched = true;
        const std::wstring name = found.cFileName;
        const std::wstring::size_type dot = name.find_last_of(L'.');
        if (!visit(dot == std::wstring::npos ? name : name.substr(0, dot)))
            break;
    } while (FindNextFileW(search.Get(), &found));
    return matched;
}

bool IsSameFilePath(const std::wstring& a, const std::wstring& b)
{
    const std::wstring fullA = FullPath(a);
    const std::wstring fullB = FullPath(b);
    return CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

bool DeleteProfileFile(const std::wstring& path)
{
    return !path.empty() && DeleteFileW(path.c_str()) != FALSE;
}
