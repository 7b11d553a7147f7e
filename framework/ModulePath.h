// The full path of the running program file.
#pragma once

#include <string>

// The path of the program file, or an empty string when it cannot be had. Paths can be longer than
// MAX_PATH (long-path prefixes): the buffer grows until the name fits instead of being cut off.
std::wstring ModulePath();
