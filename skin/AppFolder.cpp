// The program folder, taken from the module's own path.
#include "skin/AppFolder.h"

#include "framework/ModulePath.h"

namespace {

bool gKnown = false;

std::wstring& Folder()
{
    static std::wstring folder;
    return folder;
}

} // namespace

const std::wstring& AppFolder()
{
    if (!gKnown) {
        std::wstring path = ModulePath();
        std::wstring::size_type slash = path.find_last_of(L'\\');
        Folder() = (slash == std::wstring::npos) ? std::wstring() : path.substr(0, slash + 1);
        gKnown = true;
    }
    return Folder();
}

void SetAppFolder(const std::wstring& folder)
{
    Folder() = folder;
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        Folder() += L'\\';
    gKnown = true;
}

void ResetAppFolder()
{
    Folder().clear();
    gKnown = false;
}
