// Shared set-up of the skin loader tests: a fresh program folder (xml\, skins\, fonts\, lang\) set as
// AppFolder() for one test, BMP and language files written into it, the loader's fixture files copied
// into its xml\ folder, and the program-wide skin state put back afterwards.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/NameTables.h"
#include "../support/TestFiles.h"
#include "SkinTestSupport.h"
#include "skin/AppFolder.h"
#include "skin/BitmapBtn.h"
#include "skin/GUIItem.h"
#include "skin/LangTable.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"

// The loader's fixture folder as a Windows path (the build passes the Unix path).
inline std::wstring LoaderFixturePath(const std::wstring& name)
{
    return testfiles::WinePath(LOADER_FIXTURE_DIR) + L"\\" + name;
}

// Runs one test in its own program folder with COM initialised and the name tables filled. Everything
// the loader keeps program-wide (cache, language choice, layout map, item lists of the test) is
// released in TearDown.
class SkinFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        InitNameTables();
        m_folder = testfiles::MakeTempFolder(L"tessary-loader", {L"xml", L"skins", L"fonts", L"lang"});
        ASSERT_FALSE(m_folder.empty());
        ClearSkinResources();
        SetAppFolder(m_folder);
        SetSelectedLanguageId(-1);
        SetCurrentLangTable(nullptr);
    }

    void TearDown() override
    {
        DeleteSkinItems(m_list);
        DeleteSkinItems(m_languages);
        SetCurrentLangTable(nullptr);
        LanguageMap().clear();
        SetSelectedLanguageId(-1);
        KeyboardLayoutMap().clear();
        // The cache holds files of the folder open or registered: release them before removing it.
        ClearSkinResources();
        ResetAppFolder();
        EXPECT_TRUE(testfiles::RemoveTree(m_folder)) << "a file of the test folder is still in use";
        OleUninitialize();
    }

    std::wstring Write(const std::wstring& relative, const std::vector<BYTE>& data)
    {
        std::wstring path = m_folder + relative;
        EXPECT_TRUE(testfiles::WriteBytes(path, data.data(), data.size()));
        return path;
    }
    std::wstring WriteXml(const std::wstring& name, const std::string& text)
    {
        return Write(L"xml\\" + name, std::vector<BYTE>(text.begin(), text.end()));
    }
    // A language text file (UTF-16LE, no byte-order mark) in lang\.
    void WriteLanguage(const std::wstring& name, const std::wstring& text)
    {
        const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
        Write(L"lang\\" + name, std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t)));
    }
    // Copies a fixture file into xml\ and returns the copy's path.
    std::wstring CopyFixture(const std::wstring& name)
    {
        std::wstring target = m_folder + L"xml\\" + name;
        EXPECT_TRUE(CopyFileW(LoaderFixturePath(name).c_str(), target.c_str(), FALSE)) << "fixture missing";
        return target;
    }

    // The element types of the list, front to back.
    static std::vector<int> Types(const SkinItemList& list)
    {
        std::vector<int> types;
        for (const CGUIItem* item : list)
            types.push_back(item->m_type);
        return types;
    }
    static std::vector<int> Ids(const SkinItemList& list)
    {
        std::vector<int> ids;
        for (const CGUIItem* item : list)
            ids.push_back(item->m_id);
        return ids;
    }

    std::wstring m_folder;
    SkinItemList m_list;       // deleted in TearDown
    SkinItemList m_languages;  // language tables, deleted after m_list
};

// The tooltip text a user sees over the button: its tooltip window is made when the pointer first
// comes over it, so the pointer comes first (empty text: no tooltip at all).
inline std::wstring ShownTooltip(CBitmapBtn& button)
{
    MSG move = {button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1)};
    button.PreTranslateMessage(&move);
    return button.m_toolTip.m_hWnd ? button.m_toolTip.GetText(button, 1) : std::wstring();
}
