// Tests of macros, the macro list and the application list.
#include "model/AppList.h"
#include "model/Macro.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

const GUID kGuidA = {0xA, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

MacroEventList TwoKeyEvents()
{
    return {MakeKeyEvent(0x41, 0x1E, kMacroPressed, 0), MakeKeyEvent(0x41, 0x1E, kMacroReleased, 0)};
}

// --- CMacro ----------------------------------------------------------------------------------------

TEST(MacroTest, NewMacroIsEmpty)
{
    const CMacro macro;
    EXPECT_STREQ(macro.GetName(), L"");
    EXPECT_EQ(macro.Guid(), GUID{});
    EXPECT_TRUE(macro.Events().empty());
    EXPECT_TRUE(macro.GetDescription().empty());

    const CMacro named(L"Hello", TwoKeyEvents());
    EXPECT_STREQ(named.GetName(), L"Hello");
    EXPECT_EQ(named.Events(), TwoKeyEvents());
    EXPECT_EQ(named.Guid(), GUID{});
}

TEST(MacroTest, NamesAreCutTo255Characters)
{
    const std::wstring longName(600, L'm');
    CMacro macro(longName.c_str(), {});
    EXPECT_EQ(std::wcslen(macro.GetName()), 255u);
    EXPECT_TRUE(macro.SetName(L"short"));
    EXPECT_STREQ(macro.GetName(), L"short");
    EXPECT_TRUE(macro.SetName((longName + L"x").c_str()));
    EXPECT_EQ(std::wstring(macro.GetName()), std::wstring(255, L'm'));
}

TEST(MacroTest, RenameComparesExactly)
{
    CMacro macro(L"Mail", {});
    EXPECT_FALSE(macro.SetName(L"Mail"));
    // Only the letter case differs: still a new name, which a device write must carry.
    EXPECT_TRUE(macro.SetName(L"MAIL"));
    EXPECT_STREQ(macro.GetName(), L"MAIL");
    EXPECT_TRUE(macro.SetName(nullptr));
    EXPECT_STREQ(macro.GetName(), L"");
}

TEST(MacroTest, EqualityFoldsNameCaseButNotEvents)
{
    CMacro a(L"Copy Line", TwoKeyEvents());
    CMacro b(L"COPY line", TwoKeyEvents());
    a.SetGuid(kGuidA);
    b.SetGuid(kGuidA);
    b.SetDescription(L"imported");
    EXPECT_TRUE(a == b);

    b.Events().push_back(MakeDelayEvent(50));
    EXPECT_FALSE(a == b);

    // A delay the macro display recorded repeats its length in data 2; the device's copy does not.
    a.Events().push_back(MacroEvent{kMacroDelay, 50, 50});
    EXPECT_FALSE(a == b);
    a.Events().back().data2 = 0;
    EXPECT_TRUE(a == b);

    b.SetGuid(GUID{});
    EXPECT_FALSE(a == b);
    b.SetGuid(kGuidA);
    b.SetName(L"Copy Lines");
    EXPECT_FALSE(a == b);
}

// --- CMacroList ------------------------------------------------------------------------------------

TEST(MacroListTest, FindsTheFirstNameFoldingOnlyAsciiLetters)
{
    CMacroList list;
    CMacro* first = list.AddMacro(L"Alpha", {});
    CMacro* second = list.AddMacro(L"Beta", {});
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // A rename can leave two names that differ only in case: the earlier one is found.
    second->SetName(L"ALPHA");
    EXPECT_EQ(list.FindMacroByName(L"alpha"), first);
    EXPECT_EQ(list.FindMacroByName(L"ALPHA"), first);
    EXPECT_EQ(list.FindMacroByName(L"Alph"), nullptr);
    EXPECT_EQ(list.FindMacroByName(nullptr), nullptr);

    CMacro* accented = list.AddMacro(L"\u00C9t\u00E9", {});
    ASSERT_NE(accented, nullptr);
    EXPECT_EQ(list.FindMacroByName(L"\u00C9T\u00C9"), nullptr);
    EXPECT_EQ(list.FindMacroByName(L"\u00C9T\u00E9"), accented);
}

TEST(MacroListTest, AddRefusesATakenNameAndCopiesEvents)
{
    CMacroList list;
    MacroEventList events = TwoKeyEvents();
    CMacro* macro = list.AddMacro(L"Report", events);
    ASSERT_NE(macro, nullptr);
    events.clear();
    EXPECT_EQ(macro->Events(), TwoKeyEvents());

    EXPECT_EQ(list.AddMacro(L"REPORT", {}), nullptr);
    EXPECT_EQ(list.GetCount(), 1u);
    EXPECT_STREQ(list.GetAt(0)->GetName(), L"Report");

    // A name longer than a macro holds is refused when its stored form is taken.
    const std::wstring base(255, L'k');
    ASSERT_NE(list.AddMacro(base.c_str(), {}), nullptr);
    EXPECT_EQ(list.AddMacro((base + L"extra").c_str(), {}), nullptr);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetAt(2), nullptr);
}

TEST(MacroListTest, RemoveTakesOnlyListedMacros)
{
    CMacroList list;
    CMacro* a = list.AddMacro(L"A", {});
    CMacro* b = list.AddMacro(L"B", {});
    CMacro* c = list.AddMacro(L"C", {});
    c->SetGuid(kGuidA);
    EXPECT_EQ(list.FindMacroByGuid(kGuidA), c);
    EXPECT_EQ(list.FindMacroByGuid(GUID{}), a);

    CMacro outsider(L"B", TwoKeyEvents());
    list.RemoveMacro(&outsider);
    list.RemoveMacro(nullptr);
    EXPECT_EQ(list.GetCount(), 3u);
    EXPECT_STREQ(outsider.GetName(), L"B");
    EXPECT_EQ(outsider.Events().size(), 2u);

    list.RemoveMacro(b);
    ASSERT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetAt(0), a);
    EXPECT_EQ(list.GetAt(1), c);
    EXPECT_EQ(list.FindMacroByName(L"b"), nullptr);
}

// --- CQnAppList ------------------------------------------------------------------------------------

TEST(AppListTest, AddFindAndRemove)
{
    CQnAppList apps;
    AppEntry* editor = apps.AddApp(L"C:\\Tools\\Editor.exe");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->guid, GUID{});
    EXPECT_EQ(apps.AddApp(L"c:\\tools\\EDITOR.EXE"), nullptr);
    EXPECT_EQ(apps.FindAppByName(L"C:\\TOOLS\\editor.exe"), editor);
    EXPECT_EQ(apps.FindAppByName(L"C:\\Tools\\Editor"), nullptr);

    AppEntry* shell = apps.AddApp(L"shell.exe");
    shell->guid = kGuidA;
    EXPECT_EQ(apps.FindAppByGuid(kGuidA), shell);
    EXPECT_EQ(apps.FindAppByGuid(GUID{}), editor);

    AppEntry outsider{L"shell.exe", kGuidA};
    apps.RemoveApp(&outsider);
    apps.RemoveApp(nullptr);
    EXPECT_EQ(apps.GetCount(), 2u);
    apps.RemoveApp(editor);
    ASSERT_EQ(apps.GetCount(), 1u);
    EXPECT_EQ(apps.GetAt(0), shell);
    EXPECT_EQ(apps.GetAt(1), nullptr);
}

TEST(AppListTest, EntriesCompareNamesWithCase)
{
    const AppEntry a{L"Run.exe", kGuidA};
    EXPECT_TRUE(a == (AppEntry{L"Run.exe", kGuidA}));
    EXPECT_FALSE(a == (AppEntry{L"run.exe", kGuidA}));
    EXPECT_FALSE(a == (AppEntry{L"Run.exe", GUID{}}));
}

} // namespace
