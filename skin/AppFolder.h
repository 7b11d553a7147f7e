// The program's own folder, against which the skin, font, language and data folders are resolved.
#pragma once

#include <string>

// The folder of the running program file, ending in a backslash. Computed on first use; a folder set
// with SetAppFolder takes its place.
const std::wstring& AppFolder();

// Replaces the program folder (tests point it at a temporary folder). A trailing backslash is added
// when missing; an empty folder stays empty, so names resolve against the current directory.
void SetAppFolder(const std::wstring& folder);

// Forgets a folder set with SetAppFolder: the next AppFolder() takes the program's folder again.
void ResetAppFolder();
