// Tests of skin item lists: lookups, showing and hiding a page's widgets, and deleting what a list owns.
#include "skin/GUIItem.h"

#include "framework/Gdi.h"
#include "framework/Wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const HWND kNoWindowYet = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));

// Ids of deleted test items, in deletion order.
std::vector<int>* g_deleted = nullptr;

void Record(int id)
{
    if (g_deleted)
        g_deleted->push_back(id);
}

// A non-window item that counts the show and hide requests it gets.
struct PlainItem : CGUIItem {
    PlainItem(int id, int type, HWND window = nullptr)
    {
        m_id = id;
        m_type = type;
        m_window = window;
    }
    ~PlainItem() override { Record(m_id); }
    void ShowItem(bool show) override { ++(show ? shows : hides); }
    int shows = 0;
    int hides = 0;
};

// A widget: a real child window of the test's parent.
struct TestWindowItem : CWnd, CGUIItem {
    TestWindowItem(int id, int type, HWND parent)
    {
        m_id = id;
        m_type = type;
        CreateEx(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr);
        m_window = m_hWnd;
    }
    ~TestWindowItem() override { Record(m_id); }
};

// A font item: the GDI object is the item.
struct TestFontItem : CFont, CGUIItem {
    explicit TestFontItem(int id)
    {
        m_id = id;
        m_type = SkinItemType::Font;
        m_window = nullptr;
        LOGFONTW lf = {};
        lf.lfHeight = 12;
        CreateFontIndirect(&lf);
    }
    ~TestFontItem() override { Record(m_id); }
};

bool HasVisibleStyle(HWND wnd)
{
    return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

class SkinItemListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_deleted = &m_deleted;
        ASSERT_TRUE(m_parent.CreateEx(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
    }
    void TearDown() override
    {
        // What a failed test left behind; the key definition table is never the list's to delete.
        for (CGUIItem* item : m_list) {
            if (item && item->m_type != SkinItemType::KeyboardDef)
                delete item;
        }
        m_list.clear();
        m_parent.DestroyWindow();
        g_deleted = nullptr;
    }

    CWnd m_parent;
    SkinItemList m_list;
    std::vector<int> m_deleted;
    // Program-wide, so never owned by a list: it outlives the test's list.
    PlainItem m_keyboardDef{4, SkinItemType::KeyboardDef};
};

TEST_F(SkinItemListTest, LookupsTakeTheFirstMatch)
{
    auto* button = new TestWindowItem(5, SkinItemType::BitmapButton, m_parent);
    auto* unset = new PlainItem(6, SkinItemType::ListPanel, kNoWindowYet);
    auto* font = new TestFontItem(7);
    auto* duplicate = new PlainItem(5, SkinItemType::LangTable);
    m_list = {button, unset, font, duplicate};

    EXPECT_EQ(button, FindItemById(m_list, 5));
    EXPECT_EQ(font, FindItemById(m_list, 7));
    EXPECT_EQ(nullptr, FindItemById(m_list, 8));

    EXPECT_EQ(button, FindItemByHwnd(m_list, *button));
    EXPECT_EQ(nullptr, FindItemByHwnd(m_list, m_parent));
    EXPECT_EQ(font, FindItemByHwnd(m_list, nullptr));  // the first object without a window

    EXPECT_EQ(nullptr, FindItemById(SkinItemList{}, 5));
    EXPECT_EQ(nullptr, FindItemByHwnd(SkinItemList{}, nullptr));
}

TEST_F(SkinItemListTest, ShowsOnlyTheKindsThatBelongToAPage)
{
    const std::vector<int> shown = {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 14, 16, 17, 18, 19, 20, 22};
    for (int type = -1; type <= 25; ++type) {
        PlainItem item(0, type);
        ShowSkinItem(&item, false);
        ShowSkinItem(&item, true);
        const bool expected = std::find(shown.begin(), shown.end(), type) != shown.end();
        EXPECT_EQ(expected ? 1 : 0, item.hides) << "type " << type;
        EXPECT_EQ(expected ? 1 : 0, item.shows) << "type " << type;
    }
    ShowSkinItem(nullptr, true);
}

TEST_F(SkinItemListTest, HidesAndShowsThePagesWindowsByTheirOwnHandles)
{
    auto* text = new TestWindowItem(1, SkinItemType::TextItem, m_parent);
    auto* bitmap = new TestWindowItem(2, SkinItemType::BitmapItem, m_parent);
    bitmap->m_window = nullptr;  // the loader leaves this field at 0 for some widgets
    auto* edit = new TestWindowItem(3, SkinItemType::EditItem, m_parent);
    edit->m_window = kNoWindowYet;
    auto* markerSlider = new TestWindowItem(4, SkinItemType::MarkerSlider, m_parent);
    auto* font = new TestFontItem(5);
    auto* lang = new PlainItem(6, SkinItemType::LangTable);
    auto* layout = new PlainItem(7, SkinItemType::KeyboardLayout);
    m_list = {text, bitmap, edit, markerSlider, font, lang, layout};

    ShowSkinItems(m_list, false);
    EXPECT_FALSE(HasVisibleStyle(*text));
    EXPECT_FALSE(HasVisibleStyle(*bitmap));
    EXPECT_FALSE(HasVisibleStyle(*edit));
    EXPECT_TRUE(HasVisibleStyle(*markerSlider));
    EXPECT_EQ(0, lang->hides + lang->shows);
    EXPECT_EQ(0, layout->hides + layout->shows);

    ShowSkinItems(m_list, true);
    EXPECT_TRUE(HasVisibleStyle(*text));
    EXPECT_TRUE(HasVisibleStyle(*bitmap));
    EXPECT_TRUE(HasVisibleStyle(*edit));

    // A widget whose window is gone, or a GDI item, is passed over without harm.
    text->DestroyWindow();
    ShowSkinItem(text, false);
    font->ShowItem(false);
    EXPECT_FALSE(font->IsNull());
}

TEST_F(SkinItemListTest, DeletesBackToFrontPassingOverTheKeyDefinitionTable)
{
    auto* panelBitmap = new PlainItem(1, SkinItemType::PanelBitmap);
    auto* button = new TestWindowItem(2, SkinItemType::BitmapButton, m_parent);
    auto* font = new TestFontItem(3);
    auto* lang = new PlainItem(5, SkinItemType::LangTable);
    auto* macro = new TestWindowItem(6, SkinItemType::MacroDisplay, m_parent);
    auto* unknown = new PlainItem(7, 99);
    const HWND buttonWnd = *button;
    const HWND macroWnd = *macro;
    const HGDIOBJ fontHandle = font->GetSafeHandle();
    const size_t boundBefore = CWnd::BoundWindowCount();
    m_list = {panelBitmap, button, font, &m_keyboardDef, lang, macro, unknown};

    DeleteSkinItems(m_list);
    EXPECT_TRUE(m_list.empty());
    EXPECT_EQ((std::vector<int>{7, 6, 5, 3, 2, 1}), m_deleted);
    EXPECT_FALSE(IsWindow(buttonWnd));
    EXPECT_FALSE(IsWindow(macroWnd));
    EXPECT_EQ(0u, GetObjectType(fontHandle));
    EXPECT_EQ(boundBefore - 2, CWnd::BoundWindowCount());

    m_deleted.clear();
    DeleteSkinItems(m_list);
    EXPECT_TRUE(m_deleted.empty());
}

TEST_F(SkinItemListTest, FreeReleasesTheStorage)
{
    m_list = {new PlainItem(1, SkinItemType::LangTable), new TestFontItem(2)};
    FreeSkinItemList(m_list);
    EXPECT_EQ((std::vector<int>{2, 1}), m_deleted);
    EXPECT_TRUE(m_list.empty());
    EXPECT_EQ(0u, m_list.capacity());
}

} // namespace
