// The skin set as the build installs it next to the programs: the program folder, its panel files and
// a fixture that loads them through the real loader with the installed language tables.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "../support/TestFiles.h"
#include "model/NameTables.h"
#include "skin/AppFolder.h"
#include "skin/GUIItem.h"
#include "skin/KeyItem.h"
#include "skin/LangTable.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"

inline std::wstring ProgramFolder()
{
    return testfiles::WinePath(SKIN_PROGRAM_DIR) + L"\\";
}

inline std::wstring Wide(const char* text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1)
        MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], size);
    return out;
}

inline std::vector<std::wstring> InstalledPanelFiles()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((ProgramFolder() + L"xml\\*.xml").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Every element below `node`, depth first.
inline void Walk(const pugi::xml_node& node, std::vector<pugi::xml_node>& out)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element) {
            out.push_back(child);
            Walk(child, out);
        }
    }
}

inline std::wstring Trimmed(const char* text)
{
    std::wstring value = Wide(text);
    const size_t first = value.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return {};
    return value.substr(first, value.find_last_not_of(L" \t\r\n") - first + 1);
}

inline SIZE RectSize(const pugi::xml_node& element)
{
    const pugi::xml_node rect = element.child("RECT");
    return SIZE{rect.attribute("right").as_int(), rect.attribute("bottom").as_int()};
}

inline SIZE ImageSize(const std::wstring& name)
{
    BITMAP bm = {};
    CBitmap* image = GetSkinImage(name);
    if (!image || !GetObjectW(*image, sizeof(bm), &bm))
        return SIZE{-1, -1};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

// The installed program folder as the skin's program folder, with the language tables of `languageId`
// (-1: every language) loaded as the programs load them; everything program-wide is put back afterwards.
class InstalledSkinTest : public FrameworkTest {
protected:
    explicit InstalledSkinTest(int languageId) : m_languageId(languageId) {}

    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        InitNameTables();
        ClearSkinResources();
        SetAppFolder(ProgramFolder());
        SetSelectedLanguageId(m_languageId);
        LoadSkinFile(m_languages, L"Language.xml", nullptr);
        auto english = LanguageMap().find(345);
        ASSERT_NE(english, LanguageMap().end()) << "no English table in the program folder";
        m_english = english->second;
        ASSERT_TRUE(CreatePopup(m_host));
    }

    void TearDown() override
    {
        DeleteSkinItems(m_items);
        m_host.DestroyWindow();
        SetCurrentLangTable(nullptr);
        DeleteSkinItems(m_languages);
        LanguageMap().clear();
        SetSelectedLanguageId(-1);
        KeyboardLayoutMap().clear();
        ClearSkinResources();
        ResetAppFolder();
        OleUninitialize();
        FrameworkTest::TearDown();
    }

    bool LoadPanel(const std::wstring& name)
    {
        DeleteSkinItems(m_items);
        return LoadSkinPanelFile(ProgramFolder() + L"xml\\" + name, &m_items, &m_host);
    }

    static pugi::xml_node Root(pugi::xml_document& document, const std::wstring& name)
    {
        if (document.load_file((ProgramFolder() + L"xml\\" + name).c_str()).status != pugi::status_ok)
            return {};
        return document.first_child();
    }

    int TypeOf(int id) const
    {
        CGUIItem* item = FindItemById(m_items, id);
        return item ? item->m_type : -1;
    }

    const int m_languageId;
    CWnd m_host;
    CLangTable* m_english = nullptr;
    SkinItemList m_items;
    SkinItemList m_languages;
};
