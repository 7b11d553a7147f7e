// The tray program's dealings with the PC itself: the maker's registry values (language and
// installation folder), starting the configurator from the installation folder, and the process
// questions behind the automatic profile switch (is the configurator running, which program is in
// the foreground).
#pragma once

#include <windows.h>

#include <string>

namespace tray {

class CPcManager {
public:
    // The key both programs read, under HKEY_LOCAL_MACHINE.
    static constexpr const wchar_t* kRegistryKey = L"Software\\Quarn\\Tessary";
    // Longest value text read, in characters; a longer value counts as not read.
    static constexpr size_t kMaxValueChars = 255;

    CPcManager() = default;
    virtual ~CPcManager() = default;

    // Where the values are read (tests point this at a key of their own).
    void SetRegistryKey(HKEY root, const std::wstring& path);
    HKEY RegistryRoot() const { return m_root; }
    const std::wstring& RegistryPath() const { return m_path; }

    // The value "Language"; false when it is missing, not text, empty or too long.
    bool ReadLanguageSetting(std::wstring& language) const;
    // The value "InstallDir", under the same rules.
    bool ReadInstallDir(std::wstring& folder) const;

    // Opens the configurator by its full path in the installation folder (the tray program's own folder
    // when the registry names none), with that folder as the current directory. True when the shell
    // took the start.
    bool LaunchConfigurator() const;
    // True when a process whose file name is exactly the configurator's (with case) runs.
    bool IsConfiguratorRunning() const;
    // The file name of the process's program; false when no such process is listed.
    bool GetProcessExeName(DWORD processId, std::wstring& exeName) const;
    // The file name of the foreground window's program; false without a foreground window or process.
    bool GetForegroundExeName(std::wstring& exeName) const;
    // True when the foreground window's program has exactly this file name (with case).
    bool IsForegroundProcess(const std::wstring& exeName) const;
    // Enables SeDebugPrivilege for this process, so that the process list reaches every program.
    static bool EnableDebugPrivilege();

private:
    bool ReadValue(const wchar_t* name, std::wstring& text) const;

    HKEY m_root = HKEY_LOCAL_MACHINE;
    std::wstring m_path = kRegistryKey;
};

// Reads a text value of an open key: REG_SZ or REG_EXPAND_SZ only, at most `maxChars` characters, cut at
// the first terminator. False for any other type, a longer or empty text, or a failed read.
bool ReadRegistryText(HKEY key, const wchar_t* name, size_t maxChars, std::wstring& text);

// The tray program's one instance.
CPcManager& PcManager();

} // namespace tray
