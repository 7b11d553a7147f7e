// Registry, configurator start and process lookups of the tray program.
#include "tray/PcManager.h"

#include "framework/Handle.h"
#include "skin/AppFolder.h"

#include "tray/TrayIds.h"
#include "tray/TrayPlatform.h"

#include <cwchar>
#include <vector>

namespace tray {

bool ReadRegistryText(HKEY key, const wchar_t* name, size_t maxChars, std::wstring& text)
{
    // One character more than allowed, so that a value of exactly maxChars plus its terminator fits and
    // a longer one is told apart by ERROR_MORE_DATA instead of being cut silently.
    std::vector<wchar_t> buffer(maxChars + 2, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>((maxChars + 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // The stored data need not carry its terminator: end it at the bytes returned, then at the first NUL.
    size_t length = bytes / sizeof(wchar_t);
    if (length > maxChars + 1)
        return false;
    buffer[length] = L'\0';
    std::wstring value(buffer.data());
    if (value.empty() || value.size() > maxChars)
        return false;
    text = value;
    return true;
}

void CPcManager::SetRegistryKey(HKEY root, const std::wstring& path)
{
    m_root = root;
    m_path = path;
}

bool CPcManager::ReadValue(const wchar_t* name, std::wstring& text) const
{
    // Opened, or created when missing, for reading only: the tray program never writes a value.
    HKEY key = nullptr;
    if (::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool read = ReadRegistryText(key, name, kMaxValueChars, text);
    ::RegCloseKey(key);
    return read;
}

bool CPcManager::ReadLanguageSetting(std::wstring& language) const
{
    return ReadValue(L"Language", language);
}

bool CPcManager::ReadInstallDir(std::wstring& folder) const
{
    return ReadValue(L"InstallDir", folder);
}

namespace {

// The configurator's full path in `folder`; empty for no folder.
std::wstring ConfiguratorPath(const std::wstring& folder)
{
    if (folder.empty())
        return std::wstring();
    // "C:\" is the drive's root; without its backslash, "C:" would mean the drive's current directory.
    const bool separated = folder.back() == L'\\' || folder.back() == L'/';
    return folder + (separated ? L"" : L"\\") + kConfiguratorExe;
}

} // namespace

bool CPcManager::LaunchConfigurator() const
{
    // Both programs are installed in one folder: the tray program's own stands in when the registry
    // names none.
    std::wstring folder;
    if (!ReadInstallDir(folder))
        folder = AppFolder();
    const std::wstring program = ConfiguratorPath(folder);
    if (program.empty())
        return false;
    std::wstring directory = program.substr(0, program.size() - std::wcslen(kConfiguratorExe));
    if (directory.size() > 1 && directory[directory.size() - 2] != L':')
        directory.pop_back();
    ::SetCurrentDirectoryW(directory.c_str());
    // By its full path: a bare name would let the shell's search start another program of that name.
    HINSTANCE result = TrayPlatform().ShellOpen(nullptr, program.c_str());
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool CPcManager::IsConfiguratorRunning() const
{
    EnableDebugPrivilege();
    std::vector<ProcessEntry> processes;
    if (!TrayPlatform().ListProcesses(processes))
        return false;
    for (const ProcessEntry& process : processes) {
        if (process.exeName == kConfiguratorExe)
            return true;
    }
    return false;
}

bool CPcManager::GetProcessExeName(DWORD processId, std::wstring& exeName) const
{
    std::vector<ProcessEntry> processes;
    if (!TrayPlatform().ListProcesses(processes))
        return false;
    for (const ProcessEntry& process : processes) {
        if (process.processId == processId) {
            exeName = process.exeName;
            return true;
        }
    }
    return false;
}

bool CPcManager::GetForegroundExeName(std::wstring& exeName) const
{
    ITrayPlatform& platform = TrayPlatform();
    HWND foreground = platform.ForegroundWindow();
    if (!foreground)
        return false;
    return GetProcessExeName(platform.WindowProcessId(foreground), exeName);
}

bool CPcManager::IsForegroundProcess(const std::wstring& exeName) const
{
    std::wstring foregroundName;
    return GetForegroundExeName(foregroundName) && foregroundName == exeName;
}

bool CPcManager::EnableDebugPrivilege()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &opened))
        return false;
    const CHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = false;
    if (::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
        // AdjustTokenPrivileges succeeds even when it assigned nothing; only the last error tells.
        ::SetLastError(ERROR_SUCCESS);
        ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        enabled = ::GetLastError() == ERROR_SUCCESS;
    }
    return enabled;
}

CPcManager& PcManager()
{
    static CPcManager manager;
    return manager;
}

} // namespace tray
