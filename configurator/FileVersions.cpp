#include "configurator/FileVersions.h"

#include "framework/ModulePath.h"

#include <vector>

namespace {

void SplitVersion(DWORD high, DWORD low, std::wstring& whole, std::wstring (&parts)[4])
{
    const WORD numbers[4] = {HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low)};
    whole.clear();
    for (int i = 0; i < 4; ++i) {
        parts[i] = std::to_wstring(numbers[i]);
        whole += (i ? L"." : L"") + parts[i];
    }
}

} // namespace

void CFileVersions::SetModulePath()
{
    m_modulePath = ModulePath();
}

bool CFileVersions::ReadVersionInfo()
{
    if (m_modulePath.empty())
        return false;
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(m_modulePath.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(m_modulePath.c_str(), 0, size, data.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    SplitVersion(info->dwFileVersionMS, info->dwFileVersionLS, m_fileVersion, m_fileParts);
    SplitVersion(info->dwProductVersionMS, info->dwProductVersionLS, m_productVersion, m_productParts);
    return true;
}

std::wstring ProductVersionLine(const std::wstring& label, const CFileVersions& versions)
{
    wchar_t minor[16] = {};
    swprintf(minor, 16, L"%.2d", _wtoi(versions.m_productParts[1].c_str()));
    return label + L": " + versions.m_productParts[0] + L"." + minor;
}
