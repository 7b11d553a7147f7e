// Tests of the tray menu as the user sees it: which items, in which order, with which texts and marks.
#include "tray/TrayMenu.h"

#include "TrayTestSupport.h"

#include "skin/LangTable.h"
#include "tray/TrayIds.h"

namespace {

struct Item {
    UINT id;  // 0 for a separator
    std::wstring text;
    bool checked;
    bool operator==(const Item& other) const
    {
        return id == other.id && text == other.text && checked == other.checked;
    }
};

void PrintTo(const Item& item, std::ostream* out)
{
    *out << "{" << item.id << ", \"" << testing::PrintToString(item.text) << "\", " << item.checked << "}";
}

// The popup's items from the top.
std::vector<Item> Items(HMENU menu)
{
    std::vector<Item> items;
    HMENU popup = ::GetSubMenu(menu, 0);
    for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
        wchar_t text[300] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 299;
        ::GetMenuItemInfoW(popup, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            items.push_back({0, L"", false});
        else
            items.push_back({info.wID, text, (info.fState & MFS_CHECKED) != 0});
    }
    return items;
}

class MenuHolder {
public:
    explicit MenuHolder(HMENU menu) : m_menu(menu) {}
    ~MenuHolder()
    {
        if (m_menu)
            ::DestroyMenu(m_menu);
    }
    operator HMENU() const { return m_menu; }

private:
    HMENU m_menu;
};

const Item kConfigurator{tray::ID_TRAY_LOADCONFIGURATOR, L"Load Tessary Configurator", false};
const Item kSeparator{0, L"", false};
const Item kClose{tray::ID_TRAY_CLOSE, L"Close Tray Icon", false};

} // namespace

TEST(TrayMenuTest, ProfilesSitBetweenSeparatorsWithTheActiveOneChecked)
{
    MenuHolder menu(tray::BuildTrayMenu({L"Work", L"Games", L"Video"}, 1, nullptr));
    ASSERT_TRUE(menu);
    const std::vector<Item> expected = {kConfigurator,
                                        kSeparator,
                                        {tray::ID_TRAY_PROFILE1, L"Work", false},
                                        {tray::ID_TRAY_PROFILE1 + 1, L"Games", true},
                                        {tray::ID_TRAY_PROFILE1 + 2, L"Video", false},
                                        kSeparator,
                                        kClose};
    EXPECT_EQ(expected, Items(menu));
    // The configurator item is the default, shown bold.
    EXPECT_EQ(tray::ID_TRAY_LOADCONFIGURATOR, ::GetMenuDefaultItem(::GetSubMenu(menu, 0), FALSE, 0));
}

TEST(TrayMenuTest, NoProfilesLeaveTheTwoFixedItems)
{
    MenuHolder menu(tray::BuildTrayMenu({}, tray::kNoActiveProfile, nullptr));
    EXPECT_EQ((std::vector<Item>{kConfigurator, kClose}), Items(menu));
}

TEST(TrayMenuTest, ManyProfilesEndBeforeTheCloseItem)
{
    std::vector<std::wstring> names;
    for (int i = 1; i <= 13; ++i)
        names.push_back(L"P" + std::to_wstring(i));
    MenuHolder menu(tray::BuildTrayMenu(names, 10, nullptr));
    const std::vector<Item> items = Items(menu);
    // Eleven names at most, and the separator still closes the list with every slot in use.
    ASSERT_EQ(15u, items.size());
    EXPECT_EQ(kSeparator, items[1]);
    EXPECT_EQ((Item{tray::ID_TRAY_PROFILE11, L"P11", true}), items[12]);
    EXPECT_EQ(kSeparator, items[13]);
    EXPECT_EQ(kClose, items[14]);

    MenuHolder ten(tray::BuildTrayMenu(std::vector<std::wstring>(names.begin(), names.begin() + 10), tray::kNoActiveProfile, nullptr));
    EXPECT_EQ(14u, Items(ten).size()) << "ten names between two separators";
}

TEST(TrayMenuTest, NamesAreShownAsWritten)
{
    // An ampersand is a letter of the name, not the mark of a shortcut key.
    MenuHolder menu(tray::BuildTrayMenu({L"Rock & Roll"}, tray::kNoActiveProfile, nullptr));
    wchar_t shown[64] = {};
    ::GetMenuStringW(::GetSubMenu(menu, 0), tray::ID_TRAY_PROFILE1, shown, 63, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(L"Rock && Roll"), shown);
    EXPECT_EQ(L"a&&&&b", tray::MenuItemText(L"a&&b"));
}

TEST(TrayMenuTest, FixedItemsTakeTheLanguageTexts)
{
    CLangTable language;
    language.m_pairs = {{L"LoadTessaryConfigurator", L"Konfigurator starten"}, {L"CloseTrayIcon", L"Beenden"}};
    language.m_pairCount = 2;
    MenuHolder menu(tray::BuildTrayMenu({L"A"}, 0, &language));
    const std::vector<Item> items = Items(menu);
    ASSERT_EQ(5u, items.size());
    EXPECT_EQ(L"Konfigurator starten", items.front().text);
    EXPECT_EQ(L"Beenden", items.back().text);

    // A table without the keys keeps the built-in texts.
    CLangTable other;
    other.m_pairs = {{L"Something", L"Else"}};
    other.m_pairCount = 1;
    MenuHolder plain(tray::BuildTrayMenu({}, tray::kNoActiveProfile, &other));
    EXPECT_EQ((std::vector<Item>{kConfigurator, kClose}), Items(plain));
}
