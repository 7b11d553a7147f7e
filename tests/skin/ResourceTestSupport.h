// A fresh temporary program folder for the resource and language tests, with the subfolders lang, skins,
// bin and fonts, set as AppFolder() while the object lives and removed with everything in it afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/TestFiles.h"
#include "skin/AppFolder.h"
#include "skin/SkinResources.h"

class TempAppFolder {
public:
    TempAppFolder()
    {
        m_folder = testfiles::MakeTempFolder(L"tessary-res", {L"lang", L"skins", L"bin", L"fonts"});
        EXPECT_FALSE(m_folder.empty());
        ClearSkinResources();
        SetAppFolder(m_folder);
    }

    ~TempAppFolder()
    {
        // The cache holds files of this folder (fonts stay registered): release them first.
        ClearSkinResources();
        ResetAppFolder();
        EXPECT_TRUE(testfiles::RemoveTree(m_folder)) << "a file of the test folder is still in use";
    }

    const std::wstring& Path() const { return m_folder; }

    // Writes `size` bytes to the file `relative` (such as L"lang\\english.txt"); returns its full path.
    std::wstring Write(const std::wstring& relative, const void* data, size_t size)
    {
        std::wstring path = m_folder + relative;
        EXPECT_TRUE(testfiles::WriteBytes(path, data, size));
        return path;
    }
    std::wstring Write(const std::wstring& relative, const std::vector<BYTE>& data)
    {
        return Write(relative, data.data(), data.size());
    }
    // The text as UTF-16LE code units, without a byte-order mark or terminator.
    std::wstring WriteText(const std::wstring& relative, const std::wstring& text)
    {
        return Write(relative, text.data(), text.size() * sizeof(wchar_t));
    }

private:
    std::wstring m_folder;
};

// A file of the resource fixtures as a Windows path (Wine reaches the Unix file system through drive Z:).
inline std::wstring FixturePath(const wchar_t* name)
{
    return testfiles::WinePath(RESOURCE_FIXTURE_DIR) + L"\\" + name;
}

// The bytes of a text as UTF-16LE code units.
inline std::vector<BYTE> Utf16Bytes(const std::wstring& text)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t));
}
