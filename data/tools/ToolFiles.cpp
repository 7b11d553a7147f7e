#include "data/tools/ToolFiles.h"

#include <cstdio>

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

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = fwrite(data, 1, size, file) == size;
    const bool closed = fclose(file) == 0;
    if (written && closed)
        return true;
    _wremove(path.c_str());
    return false;
}
