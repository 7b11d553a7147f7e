// A fresh temporary program folder for the resource and language tests, with the subfolders lang, skins,
// bin and fonts, set as AppFolder() while the object lives and removed with everything in it afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/AppFolder.h"
#include "skin/SkinResources.h"

class TempAppFolder {
public:
    TempAppFolder()
    {
        static int serial = 0;
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"tessary-res-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++serial) + L"\\";
        EXPECT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
        for (const wchar_t* sub : {L"lang", L"skins", L"bin", L"fonts"})
            EXPECT_TRUE(CreateDirectoryW((m_folder + sub).c_str(), nullptr));
        ClearSkinResources();
        SetAppFolder(m_folder);
    }

    ~TempAppFolder()
    {
        // The cache holds files of this folder (fonts stay registered): release them first.
        ClearSkinResources();
        ResetAppFolder();
        EXPECT_TRUE(RemoveTree(m_folder)) << "a file of the test folder is still in use";
    }

    const std::wstring& Path() const { return m_folder; }

    // Writes `size` bytes to the file `relative` (such as L"lang\\english.txt"); returns its full path.
    std::wstring Write(const std::wstring& relative, const void* data, size_t size)
    {
        std::wstring path = m_folder + relative;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        if (size) {
            EXPECT_TRUE(WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr));
        }
        CloseHandle(file);
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
    static bool RemoveTree(const std::wstring& folder)
    {
        bool ok = true;
        WIN32_FIND_DATAW found = {};
        HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    ok = RemoveTree(folder + name + L"\\") && ok;
                else
                    ok = DeleteFileW((folder + name).c_str()) && ok;
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        return RemoveDirectoryW(folder.c_str()) && ok;
    }

    std::wstring m_folder;
};

// A file of the resource fixtures as a Windows path (Wine reaches the Unix file system through drive Z:).
inline std::wstring FixturePath(const wchar_t* name)
{
    std::string folder = RESOURCE_FIXTURE_DIR;
    std::wstring path = L"Z:" + std::wstring(folder.begin(), folder.end()) + L"\\" + name;
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// The bytes of a text as UTF-16LE code units.
inline std::vector<BYTE> Utf16Bytes(const std::wstring& text)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t));
}
