// The profile folder and the settings file: the store's process-wide paths below the program folder,
// the settings file's INI access, and the search of the profile folder for profile files.
#pragma once

#include <functional>
#include <string>

// Where the store keeps the active profile's name: section and key of the settings file.
constexpr wchar_t kSettingsSection[] = L"SETTINGS";
constexpr wchar_t kActiveProfileKey[] = L"ActiveProfileName";

// Rebuilds the process-wide paths from the program folder (which ends in a backslash): the profile
// folder "save\", the macro folder (the same folder) and the settings file "save\Ossle.qnc". The store
// does it when it is created; before that the paths are empty.
void BuildStorePaths(const std::wstring& appFolder);
// The profile folder, ending in a backslash; also where profile import and export dialogs start.
const std::wstring& ProfileFolderPath();
// Where macro import and export dialogs start.
const std::wstring& MacroFolderPath();
const std::wstring& SettingsFilePath();
// Makes the profile folder (and the macro folder) when missing; true when both are there.
bool MakeProfileFolders();

// The value of `key` in `section` of an INI file, cut to 4095 characters; `defaultValue` (null = empty)
// when the file, the section or the key is missing. A relative path is taken from the current
// directory, never from the system folder.
std::wstring ReadSetting(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                         const wchar_t* defaultValue);
// True when the value was written. The file is created when missing; its folder is not.
bool WriteSetting(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* value);

// Calls `visit` with the file name stem of each file "<folder>*.<extension>", in the order the file
// search gives them, until `visit` answers false. Folders are not files and are passed over. False when
// no file matched, so `visit` was never called.
bool ForEachProfileFile(const std::wstring& folder, const wchar_t* extension,
                        const std::function<bool(const std::wstring& stem)>& visit);

// True when both paths name the same file: the full paths agree, letter case aside, as the file system
// sees them.
bool IsSameFilePath(const std::wstring& a, const std::wstring& b);
// Deletes a profile's file; true when it is gone.
bool DeleteProfileFile(const std::wstring& path);
