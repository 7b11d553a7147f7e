// kbdgen: turns the keyboard description into the key record file and the defaults file.
//   kbdgen <description.txt> <key record file> <defaults file>
// Runs at build time (through the cross-compiling emulator). Exit code 0 on success; on any error it
// prints the reason and leaves no output file behind, so the build stops and retries next time.
#include <cstdio>
#include <string>
#include <vector>

#include "data/KeyboardDefWriter.h"

namespace {

// The build passes Unix paths when it runs us under Wine; the Z: drive is the Unix root there.
std::wstring WindowsPath(const wchar_t* path)
{
    std::wstring result = path;
    if (!result.empty() && result[0] == L'/')
        result.insert(0, L"Z:");
    for (wchar_t& c : result) {
        if (c == L'/')
            c = L'\\';
    }
    return result;
}

bool ReadWholeFile(const std::wstring& path, std::string& text)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, read);
    const bool ok = !ferror(file);
    fclose(file);
    return ok;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = fclose(file) == 0;
    if (written && closed)
        return true;
    _wremove(path.c_str());
    return false;
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
    if (!WriteWholeFile(records, WriteKeyRecordFile(keys)) || !WriteWholeFile(defaults, WriteKeyDefaultsFile(keys))) {
        _wremove(records.c_str());
        fprintf(stderr, "kbdgen: cannot write the output files\n");
        return 1;
    }
    return 0;
}
