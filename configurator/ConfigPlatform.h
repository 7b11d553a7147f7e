// The seam between the configurator and the system calls that a test must control or observe: opening
// files and web pages through the shell, the maker's registry key, the clock, and the file-open dialog.
// The default forwards each call to the system; tests install their own.
#pragma once

#include <windows.h>

#include <string>

namespace config {

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
    // The open (`save` false) or save dialog of one kind of file, starting in `folder` with `extension`
    // as the default extension; false when the user cancelled.
    virtual bool ChooseDataFile(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                                const std::wstring& folder, DWORD flags, std::wstring& path) = 0;
};

// The platform in use: the Win32 one unless a test installed another.
IConfigPlatform& ConfigPlatform();
// Installs `platform` (not owned); null restores the Win32 one.
void SetConfigPlatform(IConfigPlatform* platform);
// The Win32 implementation, for fakes that forward what they do not change.
IConfigPlatform& SystemConfigPlatform();

} // namespace config
