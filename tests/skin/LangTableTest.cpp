// Tests of language tables: parsing language text, key lookup, overrides, the program-wide language
// state and the LANG element reader on a fixture file.
#include "skin/LangTable.h"

#include "ResourceTestSupport.h"

#include "framework/Wnd.h"
#include "model/NameTables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Parses `text` as the bytes of a language file into `table`.
bool Parse(CLangTable& table, const std::wstring& text)
{
    std::vector<BYTE> bytes = Utf16Bytes(text);
    return ParseLanguageText(table, bytes.data(), bytes.size());
}

std::wstring Lookup(const CLangTable& table, const std::wstring& text, bool* found = nullptr)
{
    std::wstring result = L"(untouched)";
    bool ok = table.LookupText(text, result);
    if (found)
        *found = ok;
    return result;
}

} // namespace

TEST(LanguageTextTest, ReadsTitleAndAlternatingPairsUntilEndOfFile)
{
    CLangTable table;
    EXPECT_TRUE(Parse(table, L"English\r\nversion 3\r\nOK\r\nOkay\r\nCancel\r\nStop it\r\n"
                             L"END OF FILE\r\nAfter\r\nNever read\r\n"));
    EXPECT_EQ(L"English", table.m_title);
    ASSERT_EQ(2u, table.m_pairs.size());
    EXPECT_EQ(2, table.m_pairCount);
    EXPECT_EQ(L"OK", table.m_pairs[0].first);
    EXPECT_EQ(L"Okay", table.m_pairs[0].second);
    EXPECT_EQ(L"Cancel", table.m_pairs[1].first);
    EXPECT_EQ(L"Stop it", table.m_pairs[1].second);

    // The end marker in any case, as a text line and without a line end, still ends the file; on line
    // 0 or 1 it is only a title or the ignored line.
    CLangTable lower;
    EXPECT_TRUE(Parse(lower, L"END OF FILE\rEND OF FILE\rK1\rV1\rK2\rend of File"));
    EXPECT_EQ(L"END OF FILE", lower.m_title);
    ASSERT_EQ(1u, lower.m_pairs.size());
    EXPECT_EQ(L"V1", lower.m_pairs[0].second);
}

TEST(LanguageTextTest, LineEnds)
{
    // CR alone ends a line, runs of CR and LF are one line end, LF alone stays in the line, and the
    // last line keeps all its characters.
    CLangTable table;
    EXPECT_TRUE(Parse(table, L"Title\r\r\n\r\nskipped\rKey\nwith LF\r\n\n\r\rText\nmore\r\nK2\r\n last one \t"));
    EXPECT_EQ(L"Title", table.m_title);
    ASSERT_EQ(2u, table.m_pairs.size());
    EXPECT_EQ(L"Key\nwith LF", table.m_pairs[0].first);
    EXPECT_EQ(L"Text\nmore", table.m_pairs[0].second);
    EXPECT_EQ(L"K2", table.m_pairs[1].first);
    EXPECT_EQ(L" last one \t", table.m_pairs[1].second);
    // A key with an LF is found by the part before it.
    EXPECT_EQ(L"Text\nmore", Lookup(table, L"$key"));

    // A leading LF belongs to the title.
    CLangTable leading;
    Parse(leading, L"\nTitle\rx\rK\rV");
    EXPECT_EQ(L"\nTitle", leading.m_title);
}

TEST(LanguageTextTest, IncompleteAndOddInput)
{
    // A key without its text line is dropped.
    CLangTable dangling;
    EXPECT_TRUE(Parse(dangling, L"T\rI\rK1\rV1\rK2\r"));
    EXPECT_EQ(1, dangling.m_pairCount);
    EXPECT_EQ(1u, dangling.m_pairs.size());

    // Only whole code units are read: the odd last byte is not half a character.
    std::vector<BYTE> bytes = Utf16Bytes(L"T\rI\rK\rVW");
    bytes.pop_back();
    CLangTable odd;
    EXPECT_TRUE(ParseLanguageText(odd, bytes.data(), bytes.size()));
    ASSERT_EQ(1u, odd.m_pairs.size());
    EXPECT_EQ(L"V", odd.m_pairs[0].second);

    // The size bounds the text, not a terminator: bytes past it are never part of a line.
    bytes = Utf16Bytes(L"T\rI\rK\rValue and beyond");
    CLangTable bounded;
    EXPECT_TRUE(ParseLanguageText(bounded, bytes.data(), 2 * 9));
    EXPECT_EQ(L"Val", bounded.m_pairs.at(0).second);

    // A NUL ends a line's text; the line itself still ends at CR.
    CLangTable nul;
    EXPECT_TRUE(Parse(nul, std::wstring(L"T\rI\rK\rVa\0junk\rK2\rV2", 19)));
    ASSERT_EQ(2u, nul.m_pairs.size());
    EXPECT_EQ(L"Va", nul.m_pairs[0].second);
    EXPECT_EQ(L"K2", nul.m_pairs[1].first);

    CLangTable empty;
    EXPECT_FALSE(ParseLanguageText(empty, nullptr, 0));
    EXPECT_FALSE(Parse(empty, L""));
    EXPECT_FALSE(ParseLanguageText(empty, bytes.data(), 1));
    EXPECT_TRUE(empty.m_title.empty());

    // Title only: no pair, so no success, but the title is read.
    CLangTable titleOnly;
    EXPECT_FALSE(Parse(titleOnly, L"Deutsch\r\nv1\r\nEND OF FILE\r\n"));
    EXPECT_EQ(L"Deutsch", titleOnly.m_title);
    EXPECT_EQ(0, titleOnly.m_pairCount);
}

TEST(LangLookupTest, DollarKeysIgnoreBlanksInTheFileAndCaseOfAZ)
{
    CLangTable upper;
    Parse(upper, L"T\rI\rDELETE\rRemove\rDe lete2\rRemove 2\rDel\rShort\r");
    bool found = false;
    EXPECT_EQ(L"Remove", Lookup(upper, L"$Delete", &found));
    EXPECT_TRUE(found);
    EXPECT_EQ(L"Remove 2", Lookup(upper, L"$delete2"));
    // The request is used as written: a blank after the "$" never matches.
    EXPECT_EQ(L"$ Delete", Lookup(upper, L"$ Delete", &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(L"$De lete2", Lookup(upper, L"$De lete2", &found));
    EXPECT_FALSE(found);
    // Whole keys only, and texts without a marker are never translated.
    EXPECT_EQ(L"$Dele", Lookup(upper, L"$Dele", &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(L"DELETE", Lookup(upper, L"DELETE", &found));
    EXPECT_FALSE(found);

    // Only tabs and other white space than U+0020 stay part of the key.
    CLangTable tab;
    Parse(tab, L"T\rI\rA\tB\rtabbed\r");
    EXPECT_EQ(L"tabbed", Lookup(tab, L"$a\tb"));
    std::wstring result;
    EXPECT_FALSE(tab.LookupText(L"$AB", result));
}

TEST(LangLookupTest, HashPrefixesMarkersAloneAndFolding)
{
    CLangTable table;
    Parse(table, L"T\rI\rCopy\rDuplicate\rDelete All\rWipe\rDelete\rRemove\r"
                 L"\x00C9" L"cran\rScreen\r");
    bool found = false;
    EXPECT_EQ(L"Wipe", Lookup(table, L"#del", &found));  // first in file order
    EXPECT_TRUE(found);
    EXPECT_EQ(L"Wipe", Lookup(table, L"#DeleteA"));  // the key's blank is gone
    EXPECT_EQ(L"#Delete All", Lookup(table, L"#Delete All", &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(L"#DeleteAllOfIt", Lookup(table, L"#DeleteAllOfIt", &found));
    EXPECT_FALSE(found);

    for (const wchar_t* alone : {L"#", L"$", L""}) {
        EXPECT_EQ(alone, Lookup(table, alone, &found));
        EXPECT_FALSE(found);
    }

    // Only A-Z fold: E acute (U+00C9) does not equal e acute (U+00E9).
    EXPECT_EQ(L"Screen", Lookup(table, L"$\x00C9" L"CRAN"));
    EXPECT_EQ(L"$\x00E9" L"cran", Lookup(table, L"$\x00E9" L"cran", &found));
    EXPECT_FALSE(found);
}

TEST(LangLookupTest, LongKeysAreFoundByTheirFirst59Characters)
{
    // 70 characters with blanks at 10 and 20: 68 without them.
    std::wstring key;
    for (int i = 0; i < 70; ++i)
        key += (i == 10 || i == 20) ? L' ' : wchar_t(L'a' + i % 26);
    std::wstring compact;
    for (wchar_t c : key) {
        if (c != L' ')
            compact += c;
    }
    CLangTable table;
    Parse(table, L"T\rI\r" + key + L"\rLong text\r");

    bool found = false;
    EXPECT_EQ(L"Long text", Lookup(table, L"$" + compact.substr(0, 59), &found));
    EXPECT_TRUE(found);
    EXPECT_FALSE(table.LookupText(L"$" + compact.substr(0, 58), key));
    EXPECT_FALSE(table.LookupText(L"$" + compact.substr(0, 60), key));
    EXPECT_FALSE(table.LookupText(L"$" + compact, key));
    EXPECT_FALSE(table.LookupText(L"$" + key, key));
    EXPECT_EQ(59u, NormalizeTextKey(key).size());
}

TEST(LangOverrideTest, FindAndReadOverrides)
{
    CLangTable table;
    const std::int32_t rect[4] = {1, 2, 3, 4};
    AddOverride(table, 7, L"RECT", rect, sizeof(rect));
    AddOverride(table, 7, L"caps", L"U", 4);
    AddOverride(table, 7, L"CAPS", L"L", 4);
    AddOverride(table, 8, L"RECT", rect, 12);  // three ints only
    AddOverride(table, 9, L"RECT", nullptr, 0);
    AddOverride(table, 10, L"SBMN", L"unterminated", 10);  // "unter", no terminator

    EXPECT_EQ(nullptr, FindOverride(nullptr, 7, L"RECT"));
    EXPECT_EQ(nullptr, FindOverride(&table, 7, L"multiline"));
    EXPECT_EQ(nullptr, FindOverride(&table, 11, L"RECT"));
    const LangOverride* caps = FindOverride(&table, 7, L"Caps");
    ASSERT_NE(nullptr, caps);
    EXPECT_EQ(L"caps", caps->name);  // the first of that item and name

    std::wstring text;
    EXPECT_TRUE(OverrideText(&table, 7, L"CAPS", text));
    EXPECT_EQ(L"U", text);
    EXPECT_TRUE(OverrideText(&table, 10, L"sbmn", text));
    EXPECT_EQ(L"unter", text);
    EXPECT_FALSE(OverrideText(&table, 10, L"SBMO", text));
    EXPECT_FALSE(OverrideText(nullptr, 7, L"caps", text));

    RECT rc = {};
    EXPECT_TRUE(OverrideRect(&table, 7, rc));
    EXPECT_EQ(1, rc.left);
    EXPECT_EQ(4, rc.bottom);
    rc = RECT{-1, -1, -1, -1};
    EXPECT_FALSE(OverrideRect(&table, 8, rc));
    EXPECT_FALSE(OverrideRect(&table, 9, rc));
    EXPECT_FALSE(OverrideRect(&table, 10, rc));
    EXPECT_FALSE(OverrideRect(nullptr, 7, rc));
    EXPECT_EQ(-1, rc.left);
}

TEST(LanguageStateTest, RegistrationTranslationAndDeletedTables)
{
    EXPECT_EQ(-1, SelectedLanguageId());
    SetSelectedLanguageId(350);
    EXPECT_EQ(350, SelectedLanguageId());
    SetSelectedLanguageId(-1);

    auto* english = new CLangTable();
    english->m_id = 345;
    Parse(*english, L"T\rI\rOK\rOkay\r");
    auto* greek = new CLangTable();
    greek->m_id = 360;
    CLangTable notALanguage;
    notALanguage.m_id = 361;
    RegisterLanguageTable(english);
    RegisterLanguageTable(greek);
    RegisterLanguageTable(&notALanguage);
    RegisterLanguageTable(nullptr);
    ASSERT_EQ(2u, LanguageMap().size());
    EXPECT_EQ(english, LanguageMap()[345]);

    EXPECT_EQ(L"$OK", TranslateText(L"$OK"));
    SetCurrentLangTable(english);
    EXPECT_EQ(L"Okay", TranslateText(L"$OK"));
    EXPECT_EQ(L"$Other", TranslateText(L"$Other"));

    // A deleted table leaves no pointer to it behind.
    delete english;
    EXPECT_EQ(nullptr, CurrentLangTable());
    EXPECT_EQ(1u, LanguageMap().count(360));
    EXPECT_EQ(0u, LanguageMap().count(345));
    EXPECT_EQ(L"$OK", TranslateText(L"$OK"));
    delete greek;
    EXPECT_TRUE(LanguageMap().empty());
}

class LangElementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitNameTables();
        ASSERT_TRUE(m_document.load_file(FixturePath(L"languages.xml").c_str()));
        m_app.WriteText(L"lang\\english.txt", L"English\r\n1\r\n$OK\r\nOkay\r\nCancel\r\nStop\r\nEND OF FILE\r\n");
        m_app.WriteText(L"lang\\greek.txt", L"Greek\r\n1\r\n");
        m_app.Write(L"lang\\empty.txt", nullptr, 0);
        for (pugi::xml_node lang : m_document.child("ITEMLIST").child("LANGLIST").children("LANG")) {
            CGUIItem* item = ReadLangElement(lang, &m_parent, m_list);
            m_results.push_back(item);
            if (item)
                m_list.push_back(item);
        }
    }
    void TearDown() override { DeleteSkinItems(m_list); }

    CLangTable* Result(size_t index) { return dynamic_cast<CLangTable*>(m_results.at(index)); }

    TempAppFolder m_app;
    pugi::xml_document m_document;
    CWnd m_parent;
    SkinItemList m_list;
    std::vector<CGUIItem*> m_results;
};

TEST_F(LangElementTest, CreatesTablesOnlyForKnownNamesWithData)
{
    ASSERT_EQ(6u, m_results.size());
    CLangTable* english = Result(0);
    ASSERT_NE(nullptr, english);
    EXPECT_EQ(345, english->m_id);
    EXPECT_EQ(SkinItemType::LangTable, english->m_type);
    EXPECT_EQ(nullptr, english->m_window);
    EXPECT_EQ(&m_parent, english->m_owner);
    EXPECT_EQ(L"English", english->m_title);
    EXPECT_EQ(L"Okay", Lookup(*english, L"$$OK"));
    EXPECT_EQ(L"Stop", Lookup(*english, L"$cancel"));
    EXPECT_EQ(2, english->m_pairCount);

    EXPECT_EQ(nullptr, m_results[1]);  // missing file
    EXPECT_EQ(nullptr, m_results[2]);  // empty file
    EXPECT_EQ(nullptr, m_results[3]);  // unknown language name
    ASSERT_NE(nullptr, Result(4));     // a file without pairs still gives a table
    EXPECT_EQ(L"Greek", Result(4)->m_title);
    EXPECT_EQ(0, Result(4)->m_pairCount);
    ASSERT_NE(nullptr, Result(5));     // any known identifier, but not a language id
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_OK"), Result(5)->m_id);
    // The file is read once for the two tables that name it.
    EXPECT_EQ(4u, SkinResourceCount());

    for (CGUIItem* item : m_list)
        RegisterLanguageTable(static_cast<CLangTable*>(item));
    EXPECT_EQ(2u, LanguageMap().size());
    EXPECT_EQ(Result(4), LanguageMap()[360]);
}

TEST_F(LangElementTest, FontReplacementsAndOverrides)
{
    CLangTable* table = Result(0);
    ASSERT_NE(nullptr, table);
    const std::map<int, int> fonts = {
        {FindSkinResourceId(L"FONT_ARIAL10"), FindSkinResourceId(L"FONT_ARIAL18")},
        {FindSkinResourceId(L"FONT_ARIAL14"), FindSkinResourceId(L"FONT_ARIAL16")},
    };
    EXPECT_EQ(fonts, table->m_fontReplacements);

    const int ok = FindSkinResourceId(L"BUTTON_OK");
    const int cancel = FindSkinResourceId(L"BUTTON_CANCEL");
    const int apply = FindSkinResourceId(L"BUTTON_APPLY");
    const int help = FindSkinResourceId(L"BUTTON_HELP");
    // Unknown items and elements with three or no attributes give nothing.
    ASSERT_EQ(6u, table->m_overrides.size());

    std::wstring text;
    const LangOverride* caps = FindOverride(table, ok, L"caps");
    ASSERT_NE(nullptr, caps);
    EXPECT_EQ(4u, caps->data.size());  // "U" and its terminator
    EXPECT_TRUE(OverrideText(table, ok, L"caps", text));
    EXPECT_EQ(L"U", text);
    EXPECT_TRUE(OverrideText(table, cancel, L"fontid", text));  // "name" may come second
    EXPECT_EQ(L"FONT_ARIAL14", text);

    RECT rc = {};
    ASSERT_TRUE(OverrideRect(table, apply, rc));
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(-20, rc.top);
    EXPECT_EQ(300, rc.right);
    EXPECT_EQ(0, rc.bottom);

    EXPECT_TRUE(OverrideText(table, help, L"SBMN", text));
    EXPECT_EQ(L"help_n.png", text);
    EXPECT_TRUE(OverrideText(table, help, L"SBMD", text));
    EXPECT_EQ(L"help_d.png", text);
    EXPECT_TRUE(OverrideText(table, help, L"SBMM", text));
    EXPECT_EQ(L"help_m.png", text);
    EXPECT_EQ(nullptr, FindOverride(table, help, L"SBMO"));
    EXPECT_EQ(nullptr, FindOverride(table, help, L"OTHER"));
    EXPECT_EQ(nullptr, FindOverride(table, FindSkinResourceId(L"BUTTON_EXIT"), L"caps"));
}
