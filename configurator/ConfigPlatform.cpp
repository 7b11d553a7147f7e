// The Win32 side of the configurator's platform seam.
#include "configurator/ConfigPlatform.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace config {
namespace {

class CSystemConfigPlatform : public IConfigPlatform {
public:
    HINSTANCE ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file) override
    {
        return ::ShellExecuteW(owner, verb, file, nullptr, nullptr, SW_SHOWNORMAL);
    }
    LONG OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override
    {
        return ::RegOpenKeyExW(root, path, 0, access, key);
    }
    LONG CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override
    {
        return ::RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, key, nullptr);
    }
    ULONGLONG TickCount() override { return ::GetTickCount64(); }
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
    bool ChooseFile(HWND owner, const wchar_t* filter, DWORD flags, std::wstring& path) override
    {
        return RunFileDialog(owner, false, filter, nullptr, nullptr, flags, path);
    }
    bool ChooseDataFile(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                        const std::wstring& folder, DWORD flags, std::wstring& path) override
    {
        return RunFileDialog(owner, save, filter, extension, folder.c_str(), flags, path);
    }

private:
    static bool RunFileDialog(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                              const wchar_t* folder, DWORD flags, std::wstring& path)
    {
        // Long enough for any path the shell hands back; the caller judges the length.
        std::vector<wchar_t> buffer(32768, L'\0');
        if (extension) {
            // The dialog starts with "*.<extension>" as its file name, which lists the kind's files.
            const std::wstring start = std::wstring(L"*.") + extension;
            start.copy(buffer.data(), start.size());
        }
        OPENFILENAMEW request = {};
        request.lStructSize = sizeof(request);
        request.hwndOwner = owner;
        request.lpstrFilter = filter;
        request.lpstrFile = buffer.data();
        request.nMaxFile = static_cast<DWORD>(buffer.size());
        request.lpstrInitialDir = folder;
        request.lpstrDefExt = extension;
        request.Flags = flags;
        if (!(save ? ::GetSaveFileNameW(&request) : ::GetOpenFileNameW(&request)))
            return false;
        path = buffer.data();
        return true;
    }
};

IConfigPlatform* g_platform = nullptr;

} // namespace

IConfigPlatform& SystemConfigPlatform()
{
    static CSystemConfigPlatform platform;
    return platform;
}

IConfigPlatform& ConfigPlatform()
{
    return g_platform ? *g_platform : SystemConfigPlatform();
}

void SetConfigPlatform(IConfigPlatform* platform)
{
    g_platform = platform;
}

} // namespace config
