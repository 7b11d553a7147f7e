// kbdgen: turns the keyboard description into the key record file and the defaults file.
//   kbdgen <description.txt> <key record file> <defaults file>
// Runs at build time (through the cross-compiling emulator). Exit code 0 on success; on any error it
// prints the reason and leaves no output file behind, so the build stops and retries next time.
#include <cstdio>
#include <string>
#include <vector>

#include "data/KeyboardDefWriter.h"
#include "data/tools/ToolFiles.h"

namespace {

bool WriteBytes(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: kbdgen <description.txt> <key record file> <defaults file>\n");
        return 2;
    }
    const std::wstring input = WindowsPath(argv[1]);
    const std::wstring records = WindowsPath(argv[2]);
    const std::wstring defaults = WindowsPath(argv[3]);

    std::string text;
    if (!ReadWholeFile(input, text)) {
        fprintf(stderr, "kbdgen: cannot read %ls\n", input.c_str());
        return 1;
    }
    std::vector<KeyDescription> keys;
    std::string error;
    if (!ParseKeyboardDescription(text, keys, error)) {
        fprintf(stderr, "%ls: %s\n", input.c_str(), error.c_str());
        return 1;
    }
    if (!WriteBytes(records, WriteKeyRecordFile(keys)) || !WriteBytes(defaults, WriteKeyDefaultsFile(keys))) {
        _wremove(records.c_str());
        fprintf(stderr, "kbdgen: cannot write the output files\n");
        return 1;
    }
    return 0;
}
