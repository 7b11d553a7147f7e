// The version numbers of a program file, as texts, from its version resource.
#pragma once

#include <windows.h>

#include <string>

class CFileVersions {
public:
    virtual ~CFileVersions() = default;

    // The running program's file, whatever the length of its path.
    void SetModulePath();
    void SetModulePath(const std::wstring& path) { m_modulePath = path; }
    // Fills the texts from the file's version resource; false (texts at "0") when it cannot be read.
    bool ReadVersionInfo();

    std::wstring m_modulePath;
    std::wstring m_fileVersion = L"0.0.0.0";
    std::wstring m_productVersion = L"0.0.0.0";
    std::wstring m_fileParts[4] = {L"0", L"0", L"0", L"0"};
    std::wstring m_productParts[4] = {L"0", L"0", L"0", L"0"};
};

// "<label>: <major>.<minor, two digits at least>" of the running program's product version.
std::wstring ProductVersionLine(const std::wstring& label, const CFileVersions& versions);
