// Tests of the keyboard layout list and selection: reading KBLAYOUT entries, choosing one (its layout
// active for the process, key names following it), giving the user's layout back at exit, the shipped
// KeyboardLayout.xml, and what happens when Windows refuses a call.
#include "skin/KeyboardLayoutSetting.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>
#include <string>

#include "../support/TestFiles.h"
#include "FakeKeyboardLayouts.h"
#include "framework/Wnd.h"
#include "model/NameTables.h"
#include "skin/KeyboardDef.h"
#include "skin/KeyboardLayout.h"
#include "skin/SkinLoader.h"

namespace {

// Calls that tests make fail, and the activations of a null layout that nobody should ask for.
struct Refusals {
    HKL activation = nullptr;  // activating this layout fails
    bool unload = false;       // every unload fails
    int nullActivations = 0;
};
Refusals g_refuse;
const KeyboardLayoutApi* g_fakeApi = nullptr;

HKL RefusingActivate(HKL layout, UINT flags)
{
    if (!layout)
        ++g_refuse.nullActivations;
    if (layout && layout == g_refuse.activation)
        return nullptr;
    return g_fakeApi->ActivateKeyboardLayout(layout, flags);
}

BOOL RefusingUnload(HKL layout)
{
    return g_refuse.unload ? FALSE : g_fakeApi->UnloadKeyboardLayout(layout);
}

constexpr int kEnglish = 362;
constexpr int kFrench = 365;
constexpr int kGerman = 367;
constexpr int kKorean = 368;

const char kLayoutList[] =
    "<ITEMLIST><KBLAYOUTLIST>"
    "<KBLAYOUT name=\"KBLAYOUT_ENGLISH\" kbdlayout=\"00000409\" kbditems=\"KeyboardEnglish.xml\"/>"
    "<KBLAYOUT name=\"kblayout_french\" kbdlayout=\"0000040C\" kbditems=\"KeyboardFrench.xml\"/>"
    "<KBLAYOUT name=\"KBLAYOUT_GERMAN\" kbdlayout=\"00000407\" kbditems=\"KeyboardGerman.xml\"/>"
    "<KBLAYOUT name=\"KBLAYOUT_KOREAN\" kbdlayout=\"00000412\"/>"
    "<KBLAYOUT name=\"KBLAYOUT_MARTIAN\" kbdlayout=\"00000409\" kbditems=\"Mars.xml\"/>"
    "<KBLAYOUT name=\"TEXT_LOGO\" kbditems=\"Logo.xml\"/>"
    "</KBLAYOUTLIST></ITEMLIST>";

class KeyboardLayoutSelection : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitNameTables();
        g_refuse = Refusals();
        g_fakeApi = &m_layouts.Api();
        m_api = m_layouts.Api();
        m_api.ActivateKeyboardLayout = &RefusingActivate;
        m_api.UnloadKeyboardLayout = &RefusingUnload;
        SetKeyboardLayoutApi(&m_api);
        ASSERT_FALSE(m_folder.Path().empty());
    }

    void TearDown() override
    {
        g_refuse = Refusals();
        RestoreKeyboardLayout();
        DeleteSkinItems(m_list);
        KeyboardLayoutMap().clear();
        EXPECT_EQ(nullptr, SelectedKeyboardLayout());
        EXPECT_EQ(nullptr, LoadedKeyboardLayout());
    }

    // Loads `xml` as a skin file into m_list.
    bool Load(const std::string& xml)
    {
        const std::wstring path = m_folder.File(L"KeyboardLayout.xml");
        return testfiles::WriteBytes(path, xml.data(), xml.size()) && LoadSkinPanelFile(path, &m_list, &m_owner);
    }

    CKeyboardLayoutSetting* Entry(int id)
    {
        auto found = KeyboardLayoutMap().find(id);
        return found == KeyboardLayoutMap().end() ? nullptr : dynamic_cast<CKeyboardLayoutSetting*>(found->second);
    }

    static HKL Us() { return FakeKeyboardLayouts::Handle(kLayoutUs); }
    static HKL German() { return FakeKeyboardLayouts::Handle(kLayoutGerman); }
    static HKL French() { return FakeKeyboardLayouts::Handle(kLayoutFrench); }

    FakeKeyboardLayouts m_layouts;
    KeyboardLayoutApi m_api{};
    testfiles::CScopedFolder m_folder{L"tessary-layouts"};
    CWnd m_owner;
    SkinItemList m_list;
};

std::wstring KeyName(UINT vk, UINT scan, BYTE extended = 0)
{
    std::wstring name;
    FormatKeyName(vk, name, scan, extended);
    return name;
}

} // namespace

TEST_F(KeyboardLayoutSelection, EntriesCarryTheirLayoutAndPageAndLeaveNothingBehindWhenDeleted)
{
    ASSERT_TRUE(Load(kLayoutList));
    // The unknown name is skipped; a known id that is no layout id is kept but can't be selected.
    ASSERT_EQ(5u, m_list.size());
    EXPECT_EQ(4u, KeyboardLayoutMap().size());
    for (CGUIItem* item : m_list) {
        EXPECT_EQ(SkinItemType::KeyboardLayout, item->m_type);
        EXPECT_EQ(nullptr, item->m_window);
        EXPECT_EQ(&m_owner, item->m_owner);
    }
    ASSERT_NE(nullptr, Entry(kFrench));
    EXPECT_EQ(L"0000040C", Entry(kFrench)->m_layoutId);
    EXPECT_EQ(L"KeyboardFrench.xml", Entry(kFrench)->m_pageFile);
    EXPECT_EQ(L"", Entry(kKorean)->m_pageFile);
    auto* logo = dynamic_cast<CKeyboardLayoutSetting*>(m_list.back());
    ASSERT_NE(nullptr, logo);
    EXPECT_EQ(L"", logo->m_layoutId);
    EXPECT_FALSE(SelectKeyboardLayout(logo->m_id));

    ASSERT_TRUE(SelectKeyboardLayout(kGerman));
    DeleteSkinItems(m_list);
    EXPECT_TRUE(KeyboardLayoutMap().empty());
    EXPECT_EQ(nullptr, SelectedKeyboardLayout()) << "the selection still points at a deleted entry";
}

TEST_F(KeyboardLayoutSelection, UnlistedLayoutIsRefusedAndChangesNothing)
{
    ASSERT_TRUE(Load(kLayoutList));
    ASSERT_TRUE(SelectKeyboardLayout(kGerman));
    const int loads = m_layouts.loadCalls;

    EXPECT_FALSE(SelectKeyboardLayout(377));
    EXPECT_FALSE(SelectKeyboardLayout(-1));
    EXPECT_EQ(loads, m_layouts.loadCalls);
    EXPECT_EQ(Entry(kGerman), SelectedKeyboardLayout());
    EXPECT_EQ(German(), m_layouts.active);
    EXPECT_EQ(German(), CurrentKeyLayout());
}

TEST_F(KeyboardLayoutSelection, KeyNamesFollowTheSelectedLayoutUntilTheUsersComesBackAtExit)
{
    ASSERT_TRUE(Load(kLayoutList));
    EXPECT_EQ(L"Ctrl", KeyName(VK_LCONTROL, 0x1D));

    ASSERT_TRUE(SelectKeyboardLayout(kGerman));
    EXPECT_EQ(Entry(kGerman), SelectedKeyboardLayout());
    EXPECT_EQ(L"KeyboardGerman.xml", SelectedKeyboardLayout()->m_pageFile);
    EXPECT_EQ(German(), m_layouts.active);
    EXPECT_EQ(German(), CurrentKeyLayout());
    EXPECT_EQ(L"Strg", KeyName(VK_LCONTROL, 0x1D));
    EXPECT_EQ(L"Z", KeyName('Z', 0x15));

    RestoreKeyboardLayout();
    EXPECT_EQ(Us(), m_layouts.active) << "the user's layout was not given back";
    EXPECT_EQ(0u, m_layouts.loaded.count(German()));
    EXPECT_EQ(nullptr, CurrentKeyLayout());
    EXPECT_TRUE(KeyboardLayoutMap().empty());
    EXPECT_EQ(L"Ctrl", KeyName(VK_LCONTROL, 0x1D));
}

TEST_F(KeyboardLayoutSelection, SecondSelectionGivesTheFirstBackBeforeLoadingItsOwn)
{
    ASSERT_TRUE(Load(kLayoutList));
    ASSERT_TRUE(SelectKeyboardLayout(kGerman));
    ASSERT_TRUE(SelectKeyboardLayout(kFrench));
    EXPECT_EQ(0u, m_layouts.loaded.count(German())) << "the first layout stayed loaded";
    EXPECT_EQ(French(), m_layouts.active);
    EXPECT_EQ(French(), LoadedKeyboardLayout());
    EXPECT_EQ(Us(), PreviousKeyboardLayout());
    EXPECT_EQ(L"Ctrl droite", KeyName(VK_RCONTROL, 0x1D, 1));

    RestoreKeyboardLayout();
    EXPECT_EQ(Us(), m_layouts.active);
    EXPECT_TRUE(m_layouts.loaded.empty());
}

TEST_F(KeyboardLayoutSelection, LayoutTheUserAlreadyHadIsActivatedButNeverUnloaded)
{
    ASSERT_TRUE(Load(kLayoutList));
    ASSERT_TRUE(SelectKeyboardLayout(kEnglish));
    EXPECT_EQ(Us(), m_layouts.active);
    RestoreKeyboardLayout();
    EXPECT_EQ(0, m_layouts.unloadCalls) << "the user's own layout was unloaded";
    EXPECT_EQ(Us(), m_layouts.active);
    EXPECT_EQ(nullptr, LoadedKeyboardLayout());
}

TEST_F(KeyboardLayoutSelection, LayoutWindowsCannotLoadStillSelectsTheEntryAndLeavesTheLayoutsAlone)
{
    ASSERT_TRUE(Load(kLayoutList));
    EXPECT_TRUE(SelectKeyboardLayout(kKorean));  // the test tables have no Korean layout
    EXPECT_EQ(Entry(kKorean), SelectedKeyboardLayout());
    EXPECT_EQ(0, g_refuse.nullActivations) << "a null layout was activated, which switches to another one";
    EXPECT_EQ(Us(), m_layouts.active);
    EXPECT_EQ(nullptr, CurrentKeyLayout());
    RestoreKeyboardLayout();
    EXPECT_EQ(0, m_layouts.unloadCalls);
    EXPECT_EQ(Us(), m_layouts.active);
}

TEST_F(KeyboardLayoutSelection, RefusedGiveBackKeepsTheHandlesAndTheUsersLayoutForLater)
{
    ASSERT_TRUE(Load(kLayoutList));
    ASSERT_TRUE(SelectKeyboardLayout(kGerman));

    // At a later selection: German can't be given back and stays active, yet the layout to return to
    // stays the user's.
    g_refuse.activation = Us();
    ASSERT_TRUE(SelectKeyboardLayout(kFrench));
    EXPECT_EQ(French(), m_layouts.active);
    EXPECT_EQ(French(), LoadedKeyboardLayout());
    EXPECT_EQ(Us(), PreviousKeyboardLayout());

    // At exit: a refused reactivation or unload leaves the handles for another try.
    RestoreKeyboardLayout();
    EXPECT_EQ(French(), LoadedKeyboardLayout());
    EXPECT_EQ(Us(), PreviousKeyboardLayout());
    EXPECT_TRUE(KeyboardLayoutMap().empty());
    g_refuse = Refusals();
    g_refuse.unload = true;
    RestoreKeyboardLayout();
    EXPECT_EQ(French(), LoadedKeyboardLayout());

    g_refuse = Refusals();
    RestoreKeyboardLayout();
    EXPECT_EQ(Us(), m_layouts.active);
    EXPECT_EQ(0u, m_layouts.loaded.count(French()));
    EXPECT_EQ(nullptr, LoadedKeyboardLayout());
}

TEST_F(KeyboardLayoutSelection, ShippedListNamesEveryLayoutWithItsWindowsLayoutAndPage)
{
    const std::wstring path = testfiles::WinePath(KEYBOARD_LAYOUT_FILE);
    ASSERT_TRUE(LoadSkinPanelFile(path, &m_list, nullptr)) << "the list was not installed next to the programs";
    ASSERT_EQ(16u, m_list.size());
    ASSERT_EQ(16u, KeyboardLayoutMap().size());
    std::set<std::wstring> pages;
    for (int id = 362; id <= 377; ++id) {
        CKeyboardLayoutSetting* entry = Entry(id);
        ASSERT_NE(nullptr, entry) << id;
        EXPECT_EQ(8u, entry->m_layoutId.size()) << id;
        for (wchar_t c : entry->m_layoutId)
            EXPECT_TRUE(std::iswxdigit(c)) << id;
        EXPECT_FALSE(entry->m_pageFile.empty()) << id;
        pages.insert(entry->m_pageFile);
    }
    EXPECT_EQ(16u, pages.size());
    EXPECT_EQ(L"00000409", Entry(kEnglish)->m_layoutId);
    EXPECT_EQ(L"00000407", Entry(kGerman)->m_layoutId);
    EXPECT_EQ(L"0000040C", Entry(kFrench)->m_layoutId);

    // Every device layout code leads to a listed layout.
    for (const auto& code : LayoutCodeMap())
        EXPECT_TRUE(SelectKeyboardLayout(code.second)) << "device layout code " << code.first;
}
