// The Win32 side of the configurator's platform seam.
#include "configurator/ConfigPlatform.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
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
        // Long enough for any path the shell hands back; the caller judges the length.
        std::vector<wchar_t> buffer(32768, L'\0');
        OPENFILENAMEW request = {};
        request.lStructSize = sizeof(request);
        request.hwndOwner = owner;
        request.lpstrFilter = filter;
        request.lpstrFile = buffer.data();
        request.nMaxFile = static_cast<DWORD>(buffer.size());
        request.Flags = flags;
        if (!::GetOpenFileNameW(&request))
            return false;
        path = buffer.data();
        return true;
    }
    bool FileDialog(HWND owner, const FileDialogRequest& request, std::wstring& path) override
    {
        // The dialog wants its filter as NUL-separated pairs where people write bars.
        std::wstring filter = request.filter;
        for (wchar_t& c : filter) {
            if (c == L'|')
                c = L'\0';
        }
        filter.push_back(L'\0');
        std::vector<wchar_t> buffer(32768, L'\0');
        request.fileName.copy(buffer.data(), std::min(request.fileName.size(), buffer.size() - 1));
        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = filter.c_str();
        dialog.lpstrFile = buffer.data();
        dialog.nMaxFile = static_cast<DWORD>(buffer.size());
        dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
        dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
        dialog.Flags = request.flags;
        if (!(request.save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog)))
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
