// Tests of the shared name tables, their lookups and the ASCII-only name comparison they rely on.
#include "model/NameTables.h"
#include "model/TextCompare.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class NameTablesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitNameTables(); }
};

bool StartsWith(const wchar_t* text, const std::wstring& prefix)
{
    return text != nullptr && std::wstring(text).compare(0, prefix.size(), prefix) == 0;
}

// --- Name comparison -------------------------------------------------------------------------------

TEST(TextCompareTest, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(EqualsNoCaseAZ(L"Button_Ok", L"bUTTON_oK"));
    EXPECT_TRUE(EqualsNoCaseAZ(std::wstring(L"AZaz09_"), std::wstring(L"azAZ09_")));
    // A bit-twiddling fold (c | 0x20) would pair these punctuation characters up.
    EXPECT_FALSE(EqualsNoCaseAZ(L"@", L"`"));
    EXPECT_FALSE(EqualsNoCaseAZ(L"[", L"{"));
    // Letters outside ASCII keep their case: no locale folding.
    EXPECT_FALSE(EqualsNoCaseAZ(L"\u00C9", L"\u00E9"));
    EXPECT_FALSE(EqualsNoCaseAZ(std::wstring(L"\u00C9"), std::wstring(L"\u00E9")));
}

TEST(TextCompareTest, ComparesWholeTexts)
{
    EXPECT_FALSE(EqualsNoCaseAZ(L"abc", L"ab"));
    EXPECT_FALSE(EqualsNoCaseAZ(L"ab", L"abc"));
    EXPECT_FALSE(EqualsNoCaseAZ(std::wstring(L"abc "), std::wstring(L"abc")));
    EXPECT_TRUE(EqualsNoCaseAZ(L"", L""));
    EXPECT_FALSE(EqualsNoCaseAZ(std::wstring(L"a\0b", 3), std::wstring(L"a\0c", 3)));
    EXPECT_FALSE(EqualsNoCaseAZ(std::wstring(L"a\0b", 3), std::wstring(L"a")));
}

TEST(TextCompareTest, NullEqualsOnlyNull)
{
    EXPECT_TRUE(EqualsNoCaseAZ(static_cast<const wchar_t*>(nullptr), nullptr));
    EXPECT_FALSE(EqualsNoCaseAZ(nullptr, L""));
    EXPECT_FALSE(EqualsNoCaseAZ(L"", nullptr));
}

// --- Skin identifiers ------------------------------------------------------------------------------

TEST_F(NameTablesTest, EverySkinIdentifierMapsBothWays)
{
    const auto& names = SkinResourceNames();
    EXPECT_EQ(names.size(), 675u);
    EXPECT_EQ(names.begin()->first, 0);
    EXPECT_EQ(names.rbegin()->first, 681);
    for (const auto& entry : names) {
        ASSERT_FALSE(entry.second.empty()) << entry.first;
        EXPECT_STREQ(SkinResourceName(entry.first), entry.second.c_str());
        // A duplicate identifier would send the later id back to the earlier one.
        EXPECT_EQ(FindSkinResourceId(entry.second), entry.first) << entry.second.c_str();
    }
}

TEST_F(NameTablesTest, SkinIdGapsHaveNoIdentifier)
{
    for (int id : {14, 361, 378, 419, 540, 541, 661}) {
        EXPECT_EQ(SkinResourceName(id), nullptr) << id;
        EXPECT_EQ(SkinResourceNames().count(id), 0u) << id;
    }
    EXPECT_EQ(SkinResourceName(-1), nullptr);
    EXPECT_EQ(SkinResourceName(682), nullptr);
}

TEST_F(NameTablesTest, SkinIdentifiersHaveTheirFixedIds)
{
    const struct { const wchar_t* name; int id; } expected[] = {
        {L"BACKGROUND", 0},
        {L"BUTTON_OK", 11},
        {L"BUTTON_ASSNLEFTCLICK", 15},
        {L"LANGUAGE_DEFAULT", 345},
        {L"LANGUAGE_GREEK", 360},
        {L"KBLAYOUT_ENGLISH", 362},
        {L"KBLAYOUT_PORTUGUESE_BRAZIL", 377},
        {L"BITMAPWIN_ASSIGNKEY", 379},
        {L"BUTTON_ADD_ADV_MACRO_CMDS", 418},
        {L"BUTTON_KB_ESC", 420},
        {L"BUTTON_KB_BRAZIL_NUM_DECIMAL", 494},
        {L"BUTTON_KB_LANG1_HANG_ENG", 539},
        {L"BITMAP_KB_ESC", 542},
        {L"BITMAP_KB_NUM6", 615},
        {L"BITMAP_KB_LTSHFT", 616},
        {L"BITMAP_KB_LANG1_HANG_ENG", 660},
        {L"BITMAP_MECHKBD", 662},
        {L"BUTTON_ASSIGNSELECT_DEFAULT", 672},
        {L"LIST_DROPDOWN_POPUP", 677},
        {L"BITMAP_VBAR_MACROMSEC_HB", 681},
    };
    for (const auto& e : expected)
        EXPECT_EQ(FindSkinResourceId(e.name), e.id) << e.name;
    EXPECT_EQ(FindSkinResourceId(L"BITMAP_KB_BRAZIL_NUM_DECIMAL"), -1);
}

TEST_F(NameTablesTest, KeyboardBitmapsFollowTheKeyButtonsInOrder)
{
    const std::wstring button = L"BUTTON_KB_", bitmap = L"BITMAP_KB_";
    int bitmapId = 542;
    for (int id = 420; id <= 539; ++id) {
        const wchar_t* name = SkinResourceName(id);
        ASSERT_TRUE(StartsWith(name, button)) << id;
        const std::wstring suffix = std::wstring(name).substr(button.size());
        if (suffix == L"BRAZIL_NUM_DECIMAL")
            continue;
        const wchar_t* bitmapName = SkinResourceName(bitmapId);
        ASSERT_NE(bitmapName, nullptr) << bitmapId;
        EXPECT_EQ(std::wstring(bitmapName), bitmap + suffix) << bitmapId;
        ++bitmapId;
    }
    EXPECT_EQ(bitmapId, 661);
}

TEST_F(NameTablesTest, SkinLookupFoldsAsciiCaseOnlyAndMatchesWholeNames)
{
    EXPECT_EQ(FindSkinResourceId(L"button_ok"), 11);
    EXPECT_EQ(FindSkinResourceId(L"bUtToN_oK"), 11);
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_OK "), -1);
    EXPECT_EQ(FindSkinResourceId(L" BUTTON_OK"), -1);
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_O"), -1);
    EXPECT_EQ(FindSkinResourceId(L""), -1);
    // U+212A KELVIN SIGN lower-cases to 'k' under Unicode folding, which must not apply here.
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_O\u212A"), -1);
    EXPECT_EQ(FindSkinResourceId(L"button_o\u212A"), -1);
}

// --- Smaller name tables ---------------------------------------------------------------------------

TEST_F(NameTablesTest, LanguageLookupFindsTheSmallestId)
{
    EXPECT_EQ(LanguageNames().size(), 16u);
    EXPECT_EQ(FindLanguageId(L"english"), 345);
    EXPECT_EQ(FindLanguageId(L"English"), 345);
    EXPECT_EQ(FindLanguageId(L"PortugueseBrazil"), 355);
    EXPECT_EQ(FindLanguageId(L"Thai"), -1);
    // The registry setting reaches the languages without a name of their own by their identifier.
    EXPECT_EQ(FindLanguageSettingId(L"german"), 350);
    EXPECT_EQ(FindLanguageSettingId(L"language_thai"), 356);
    EXPECT_EQ(FindLanguageSettingId(L"LANGUAGE_GREEK"), 360);
    EXPECT_EQ(FindLanguageSettingId(L"Thai"), -1);
    EXPECT_EQ(FindLanguageSettingId(L"KBLAYOUT_THAI"), -1);
    for (const auto& entry : LanguageNames())
        EXPECT_TRUE(StartsWith(SkinResourceName(entry.first), L"LANGUAGE_")) << entry.first;
}

TEST_F(NameTablesTest, ColourLookupDistinguishesAbsenceFromColours)
{
    EXPECT_EQ(ColourNames().size(), 13u);
    EXPECT_EQ(FindColourByName(L"midgrey"), 0x777069);
    EXPECT_EQ(FindColourByName(L"RED"), 0x0000FF);
    EXPECT_EQ(FindColourByName(L"Blue2"), 0xC57700);
    EXPECT_EQ(FindColourByName(L"black"), 0);
    EXPECT_EQ(FindColourByName(L"PURPLE"), -1);
    EXPECT_EQ(FindColourByName(L"GREEN5"), -1);
    for (const auto& entry : ColourNames()) {
        EXPECT_LE(entry.first, 0x00FFFFFFu) << entry.second.c_str();
        EXPECT_EQ(FindColourByName(entry.second), static_cast<int>(entry.first)) << entry.second.c_str();
    }
}

TEST_F(NameTablesTest, ActionsMapBothWays)
{
    EXPECT_EQ(ActionNames().size(), 17u);
    EXPECT_EQ(FindActionId(L"$cut"), 1);
    EXPECT_EQ(FindActionId(L"$SAVE"), 9);
    EXPECT_EQ(FindActionId(L"$ZoomOut"), 17);
    EXPECT_EQ(FindActionId(L"cut"), -1);
    EXPECT_STREQ(ActionKey(10), L"$swapwindows");
    EXPECT_EQ(ActionKey(0), nullptr);
    EXPECT_EQ(ActionKey(18), nullptr);
}

TEST_F(NameTablesTest, ColumnLookupsUseTheirOwnTables)
{
    EXPECT_EQ(FindListColumnId(L"LCITEM_PROFILECURRENT"), 0);
    EXPECT_EQ(FindListColumnId(L"lcitem_mcrevent_descrip"), 6);
    EXPECT_EQ(FindListColumnId(L"ICON"), -1);
    EXPECT_EQ(FindColumnKind(L"icon"), 0);
    EXPECT_EQ(FindColumnKind(L"FILEDIALOG"), 5);
    EXPECT_EQ(FindMacroColumnKind(L"Static"), 1);
    // The macro display knows only icon and static cells.
    EXPECT_EQ(FindMacroColumnKind(L"EDIT"), -1);
    EXPECT_EQ(MacroColumnKindNames().size(), 2u);
}

TEST_F(NameTablesTest, AssignmentKindsShareKeysOnlyInTheirTextPairs)
{
    const auto& kinds = AssignmentKindNames();
    ASSERT_EQ(kinds.size(), 64u);
    EXPECT_EQ(kinds.rbegin()->first, 63);
    std::set<std::wstring> distinct;
    for (const auto& entry : kinds)
        distinct.insert(entry.second);
    EXPECT_EQ(distinct.size(), 61u);
    EXPECT_EQ(kinds.at(6), kinds.at(7));
    EXPECT_EQ(kinds.at(21), kinds.at(22));
    EXPECT_EQ(kinds.at(62), kinds.at(63));
    // Kinds 42..58 are the predefined commands, named like the actions 1..17.
    for (int action = 1; action <= 17; ++action)
        EXPECT_EQ(kinds.at(41 + action), ActionKey(action)) << action;
}

TEST_F(NameTablesTest, AssignButtonsAreTheAssignmentItems)
{
    const auto& numbers = AssignButtonNumbers();
    EXPECT_EQ(numbers.size(), 25u);
    std::set<int> distinct;
    for (const auto& entry : numbers) {
        EXPECT_TRUE(StartsWith(SkinResourceName(entry.first), L"BUTTON_ASSN")) << entry.first;
        distinct.insert(entry.second);
    }
    EXPECT_EQ(distinct.size(), numbers.size());
    EXPECT_EQ(distinct.count(24), 0u);
    EXPECT_EQ(numbers.at(18), 10);
    EXPECT_EQ(numbers.at(20), 4);
    EXPECT_EQ(numbers.at(37), 23);
    EXPECT_EQ(numbers.at(39), 26);
}

// --- Keys and layouts ------------------------------------------------------------------------------

TEST_F(NameTablesTest, LayoutCodesMapToKeyboardLayouts)
{
    EXPECT_EQ(MapLayoutCode(0), 362);
    EXPECT_EQ(MapLayoutCode(1), 362);
    EXPECT_EQ(MapLayoutCode(2), 376);
    EXPECT_EQ(MapLayoutCode(14), 371);
    EXPECT_EQ(MapLayoutCode(15), -1);
    EXPECT_EQ(MapLayoutCode(-1), -1);
    for (const auto& entry : LayoutCodeMap())
        EXPECT_TRUE(StartsWith(SkinResourceName(entry.second), L"KBLAYOUT_")) << entry.first;
}

TEST_F(NameTablesTest, KeyLabelsCoverNamedKeysOnly)
{
    EXPECT_STREQ(KeyLabel(0x7E), L"F15");
    EXPECT_STREQ(KeyLabel(0x7F), L"F16");
    EXPECT_STREQ(KeyLabel(0x80), L"F17");
    EXPECT_STREQ(KeyLabel(VK_F1), L"F1");
    EXPECT_STREQ(KeyLabel(VK_F12), L"F12");
    EXPECT_STREQ(KeyLabel(VK_NUMPAD0), L"Num0");
    EXPECT_STREQ(KeyLabel(VK_NUMPAD9), L"Num9");
    EXPECT_STREQ(KeyLabel(VK_BROWSER_FORWARD), L"Forward");
    for (UINT vk : {UINT('A'), UINT('Z'), UINT('0'), UINT('9'), UINT(VK_OEM_1), UINT(VK_OEM_COMMA), 0x81u}) {
        EXPECT_EQ(KeyLabel(vk), nullptr) << vk;
    }
    EXPECT_EQ(KeyLabel(0xFFFFFFFFu), nullptr);
}

TEST_F(NameTablesTest, VirtualKeysMapToDistinctHidUsages)
{
    const auto& usages = VirtualKeyToHidUsage();
    EXPECT_EQ(usages.size(), 104u);
    std::set<int> distinct;
    for (const auto& entry : usages)
        distinct.insert(entry.second);
    EXPECT_EQ(distinct.size(), usages.size());
    EXPECT_EQ(usages.at('A'), 0x04);
    EXPECT_EQ(usages.at('Z'), 0x1D);
    EXPECT_EQ(usages.at('1'), 0x1E);
    EXPECT_EQ(usages.at('0'), 0x27);
    EXPECT_EQ(usages.at(VK_NUMPAD1), 0x59);
    EXPECT_EQ(usages.at(VK_NUMPAD0), 0x62);
    EXPECT_EQ(usages.at(VK_F12), 0x45);
    EXPECT_EQ(usages.count(VK_F13), 0u);
    EXPECT_EQ(usages.at(VK_OEM_7), 0x34);
}

TEST(MouseButtonNamesTest, ThumbGridTwelveHasTwoCodes)
{
    EXPECT_STREQ(kMouseButtonNames[0], L"<null>");
    EXPECT_STREQ(kMouseButtonNames[12], L"$ThumbGrid1");
    EXPECT_STREQ(kMouseButtonNames[23], L"$ThumbGrid12");
    EXPECT_STREQ(kMouseButtonNames[24], kMouseButtonNames[23]);
    EXPECT_STREQ(kMouseButtonNames[25], L"$Button4");
    EXPECT_STREQ(kMouseButtonNames[kMouseButtonCount - 1], L"$Button5");
}

// --- Filling ---------------------------------------------------------------------------------------

TEST_F(NameTablesTest, FillingAgainLeavesTheSameContents)
{
    const auto actions = ActionNames();
    const auto kinds = AssignmentKindNames();
    const auto buttons = AssignButtonNumbers();
    const auto skin = SkinResourceNames();
    const auto labels = KeyLabels();
    const auto usages = VirtualKeyToHidUsage();
    const auto colours = ColourNames();
    const auto languages = LanguageNames();
    const auto columns = ListColumnNames();
    const auto columnKinds = ColumnKindNames();
    const auto macroKinds = MacroColumnKindNames();
    const auto layouts = LayoutCodeMap();

    InitNameTables();

    EXPECT_EQ(ActionNames(), actions);
    EXPECT_EQ(AssignmentKindNames(), kinds);
    EXPECT_EQ(AssignButtonNumbers(), buttons);
    EXPECT_EQ(SkinResourceNames(), skin);
    EXPECT_EQ(KeyLabels(), labels);
    EXPECT_EQ(VirtualKeyToHidUsage(), usages);
    EXPECT_EQ(ColourNames(), colours);
    EXPECT_EQ(LanguageNames(), languages);
    EXPECT_EQ(ListColumnNames(), columns);
    EXPECT_EQ(ColumnKindNames(), columnKinds);
    EXPECT_EQ(MacroColumnKindNames(), macroKinds);
    EXPECT_EQ(LayoutCodeMap(), layouts);
}

} // namespace
