// The seam between the configurator and the system calls that a test must control or observe: opening
// files and web pages through the shell, the maker's registry key, the clock, and the file dialogs.
// The default forwards each call to the system; tests install their own.
#pragma once

#include <windows.h>

#include <string>

namespace config {

// A file dialog of the profile (and macro) files: open or save, one filter, a default extension, the
// initial folder and file name, and the OFN_* flags.
struct FileDialogRequest {
    bool save = false;
    std::wstring filter;            // "<description>|<pattern>||", as the shell's filters are written
    std::wstring defaultExtension;  // without the dot
    std::wstring folder;
    std::wstring fileName;
    DWORD flags = 0;
};

class IConfigPlatform {
public:
    virtual ~IConfigPlatform() = default;

    // ShellExecuteW(owner, verb, file, no parameters, no directory, SW_SHOWNORMAL).
    virtual HINSTANCE ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file) = 0;
    // RegOpenKeyExW and RegCreateKeyExW below a root key; the status of the call.
    virtual LONG OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) = 0;
    virtual LONG CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) = 0;
    virtual ULONGLONG TickCount() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    // The file-open dialog with one filter; false when the user cancelled. `path` is the chosen file.
    virtual bool ChooseFile(HWND owner, const wchar_t* filter, DWORD flags, std::wstring& path) = 0;
    // The open or save dialog of `request`; false when the user cancelled. `path` is the chosen file.
    virtual bool FileDialog(HWND owner, const FileDialogRequest& request, std::wstring& path) = 0;
};

// The platform in use: the Win32 one unless a test installed another.
IConfigPlatform& ConfigPlatform();
// Installs `platform` (not owned); null restores the Win32 one.
void SetConfigPlatform(IConfigPlatform* platform);
// The Win32 implementation, for fakes that forward what they do not change.
IConfigPlatform& SystemConfigPlatform();

} // namespace config
