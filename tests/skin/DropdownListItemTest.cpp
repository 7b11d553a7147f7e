// The skinned drop-down: its entries and selection, the look of the closed box, what opening the list
// hands to the popup and tells the parent, and drop-downs read from COMBO elements.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/DropdownListItem.h"
#include "skin/FontItem.h"
#include "skin/ListPopup.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDarkGrey = RGB(58, 58, 58);
constexpr COLORREF kMidGrey = RGB(105, 112, 119);
constexpr COLORREF kGreen2 = RGB(1, 116, 6);
constexpr COLORREF kBlue2 = RGB(0, 119, 197);

// The popup in place of the list panel: records what it was asked for and answers as scripted.
struct FakePopup {
    std::vector<ListPopupRequest> requests;
    std::vector<ListEntry> entriesSeen;
    bool openWhileRunning = false;
    int result = -1;
    int subChoice = -1;
    std::wstring subText;
    CDropdownListItem* item = nullptr;
    std::vector<std::string>* log = nullptr;
    bool clearEntriesWhileRunning = false;
};
FakePopup* g_popup = nullptr;

int RunFakePopup(const ListPopupRequest& request)
{
    g_popup->requests.push_back(request);
    g_popup->entriesSeen = *request.entries;
    if (g_popup->item)
        g_popup->openWhileRunning = g_popup->item->m_open;
    if (g_popup->log)
        g_popup->log->push_back("popup");
    if (g_popup->clearEntriesWhileRunning)
        g_popup->item->ClearEntries();
    return g_popup->result;
}

int FakeSubListChoice(const CListPanelItem*, std::wstring* text)
{
    if (g_popup->subChoice != -1)
        *text = g_popup->subText;
    return g_popup->subChoice;
}

const ListPopupApi kFakePopupApi = {RunFakePopup, FakeSubListChoice};

// The parent: records the drop-down's notifications and may refill the entries when one opens.
class CDropdownParent : public CWnd {
public:
    std::vector<std::string> log;
    std::vector<std::pair<WPARAM, LPARAM>> selChanges;
    LPARAM openingFrom = 0;
    CDropdownListItem* refill = nullptr;

    BEGIN_MSG_MAP(CDropdownParent)
        MESSAGE_HANDLER(WM_DROPDOWN_OPENING, OnOpening)
        MESSAGE_HANDLER(WM_DROPDOWN_SELCHANGE, OnSelChange)
    END_MSG_MAP()

private:
    LRESULT OnOpening(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        log.push_back("opening");
        openingFrom = lParam;
        if (refill) {
            refill->ClearEntries();
            refill->AddEntry(L"fresh");
        }
        return 0;
    }
    LRESULT OnSelChange(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        log.push_back("selchange");
        selChanges.emplace_back(wParam, lParam);
        return 0;
    }
};

class DropdownListItemTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        SetListPopupApi(&kFakePopupApi);
        g_popup = &m_popup;
        m_popup.log = &m_parent.log;
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 100, 90, 260, 120, nullptr,
                                      nullptr));
        m_item = std::make_unique<CDropdownListItem>();
        m_popup.item = m_item.get();
        ASSERT_TRUE(m_item->Create(L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, RECT{10, 20, 130, 40}, m_parent, 7));
    }
    void TearDown() override
    {
        m_item.reset();
        m_parent.DestroyWindow();
        SetListPopupApi(nullptr);
        g_popup = nullptr;
        SetCurrentLangTable(nullptr);
        FrameworkTest::TearDown();
    }

    void Press() { m_item->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }
    LPARAM Self() const { return reinterpret_cast<LPARAM>(m_item->m_hWnd); }

    // Repaints the box and waits until every listed pixel shows its colour.
    bool ShowsColours(const std::vector<std::pair<POINT, COLORREF>>& expected)
    {
        m_item->Invalidate(FALSE);
        const bool shown = PumpUntil([&] {
            CClientDC dc(m_item->m_hWnd);
            return std::all_of(expected.begin(), expected.end(),
                               [&](const auto& p) { return ::GetPixel(dc, p.first.x, p.first.y) == p.second; });
        });
        CClientDC dc(m_item->m_hWnd);
        for (const auto& p : expected)
            EXPECT_EQ(p.second, ::GetPixel(dc, p.first.x, p.first.y)) << "at " << p.first.x << "," << p.first.y;
        return shown;
    }

    FakePopup m_popup;
    CDropdownParent m_parent;
    std::unique_ptr<CDropdownListItem> m_item;
};

TEST_F(DropdownListItemTest, EntriesKeepTheirPlacesAndLookupsFindTheFirstExactText)
{
    CDropdownListItem& item = *m_item;
    EXPECT_EQ(0, item.AddEntry(L"Beta"));
    EXPECT_EQ(1, item.AddEntry(L"Gamma"));
    EXPECT_FALSE(item.InsertEntry(L"never", -1));
    EXPECT_TRUE(item.InsertEntry(L"Alpha", 0));
    EXPECT_TRUE(item.InsertEntry(L"Beta", 3));  // at the count: appended
    ASSERT_EQ(4u, item.m_entries.size());
    EXPECT_EQ(L"Alpha", item.GetEntryText(0));
    EXPECT_EQ(L"Beta", item.GetEntryText(3));
    EXPECT_EQ(L"", item.GetEntryText(-1));
    EXPECT_EQ(L"", item.GetEntryText(4));
    EXPECT_FALSE(item.m_entries[3].disabled);
    EXPECT_EQ(nullptr, item.m_entries[3].subList);

    LVFINDINFOW find = {LVFI_STRING, L"Beta"};
    EXPECT_EQ(1, item.FindEntry(&find));  // the first of two
    find.psz = L"beta";
    EXPECT_EQ(-1, item.FindEntry(&find));  // with case
    find = {LVFI_PARTIAL, L"Beta"};
    EXPECT_EQ(-1, item.FindEntry(&find));
    EXPECT_EQ(-1, item.FindEntry(nullptr));
    find = {LVFI_STRING, nullptr};
    EXPECT_EQ(-1, item.FindEntry(&find));

    EXPECT_EQ(-1, item.GetCurSel());
    EXPECT_EQ(0, item.SetCurSel(4, L"x"));
    EXPECT_EQ(0, item.SetCurSel(-1));
    EXPECT_TRUE(item.m_selectedText.empty());
    EXPECT_TRUE(item.m_secondText.empty());
    EXPECT_EQ(1, item.SetCurSel(3, L"Sub"));
    EXPECT_EQ(1, item.GetCurSel());  // the first entry of that text
    EXPECT_EQ(L"Sub", item.m_secondText);
    EXPECT_EQ(1, item.SetCurSel(2));
    EXPECT_EQ(L"", item.m_secondText);
    EXPECT_TRUE(m_parent.log.empty()) << "choosing in code notifies nobody";

    item.ClearEntries();
    EXPECT_EQ(-1, item.GetCurSel());
    EXPECT_EQ(L"Gamma", item.m_selectedText) << "the box keeps showing the old text";
}

TEST_F(DropdownListItemTest, TheBoxShowsGapTranslatedTextAndSecondText)
{
    CLangTable table;
    table.m_pairs = {{L"Profile", L"Profil"}};
    SetCurrentLangTable(&table);
    m_item->m_leftGap = L"   ";
    m_item->AddEntry(L"$Profile");
    m_item->AddEntry(L"plain");
    m_item->SetCurSel(0);
    EXPECT_EQ(L"   Profil", m_item->ShownText());
    m_item->SetCurSel(1, L"Macro 2");
    EXPECT_EQ(L"   plain: Macro 2", m_item->ShownText());
    m_item->SetCurSel(1, L"");
    EXPECT_EQ(L"   plain", m_item->ShownText());
    SetCurrentLangTable(nullptr);
}

TEST_F(DropdownListItemTest, TheBoxIsDrawnInItsOwnOrItsDisabledColours)
{
    // A 120 x 20 box: border 1, arrow square from x 100, arrow at x 105..113, rows y 7..11.
    CDropdownListItem& item = *m_item;
    item.m_clrBack = kBlue;
    item.m_clrBorder = kRed;
    item.m_clrText = kGreen;
    item.m_clrDisabledBack = kDarkGrey;
    item.m_clrDisabledBorder = kMidGrey;
    item.m_clrDisabledText = kWhite;
    const std::vector<std::pair<POINT, COLORREF>> enabled = {
        {{0, 10}, kRed},    {{1, 10}, kBlue},    {{50, 0}, kRed},    {{50, 1}, kBlue},   {{50, 19}, kRed},
        {{119, 10}, kRed},  {{118, 10}, kBlue},  {{50, 10}, kBlue},  {{98, 10}, kBlue},  {{102, 7}, kBlue},
        {{105, 7}, kGreen}, {{113, 7}, kGreen},  {{114, 7}, kBlue},  {{109, 11}, kGreen}, {{108, 11}, kBlue},
        {{106, 8}, kGreen}, {{105, 8}, kBlue},   {{109, 12}, kBlue}, {{109, 6}, kBlue},
    };
    EXPECT_TRUE(ShowsColours(enabled));

    // Disabled: the arrow stays in the normal text colour.
    item.m_disabled = true;
    EXPECT_TRUE(ShowsColours({{{0, 10}, kMidGrey}, {{50, 10}, kDarkGrey}, {{50, 19}, kMidGrey},
                              {{105, 7}, kGreen}, {{102, 7}, kDarkGrey}}));

    // A box whose window is disabled (its owner locks it while it writes) looks disabled at once.
    item.m_disabled = false;
    EXPECT_TRUE(ShowsColours({{{50, 10}, kBlue}}));
    item.EnableWindow(FALSE);
    item.UpdateWindow();
    CClientDC dc(item.m_hWnd);
    EXPECT_EQ(kDarkGrey, ::GetPixel(dc, 50, 10));
    EXPECT_EQ(kMidGrey, ::GetPixel(dc, 0, 10));
}

TEST_F(DropdownListItemTest, TheSelectedTextIsDrawnInTheTextColourWithinTheTextArea)
{
    CDropdownListItem& item = *m_item;
    item.m_clrBack = kBlue;
    item.m_clrText = kGreen;
    item.m_clrDisabledText = kRed;
    item.AddEntry(L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");  // wider than the box: cut with an ellipsis
    item.SetCurSel(0);
    auto countIn = [&](COLORREF colour, int left, int right) {
        CClientDC dc(item.m_hWnd);
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = left; x < right; ++x)
                count += ::GetPixel(dc, x, y) == colour;
        return count;
    };
    item.Invalidate(FALSE);
    EXPECT_TRUE(PumpUntil([&] { return countIn(kGreen, 1, 100) > 20; }));
    // The text stops at the arrow square, whose only text-coloured pixels are the arrow's 25.
    EXPECT_EQ(25, countIn(kGreen, 100, 120));

    item.m_disabled = true;
    item.Invalidate(FALSE);
    EXPECT_TRUE(PumpUntil([&] { return countIn(kRed, 1, 100) > 20 && countIn(kGreen, 1, 100) == 0; }));
}

TEST_F(DropdownListItemTest, ADisabledBoxNeitherOpensNorTellsItsParent)
{
    m_item->AddEntry(L"one");
    m_item->m_disabled = true;
    m_popup.result = 0;
    Press();
    EXPECT_TRUE(m_parent.log.empty());
    EXPECT_TRUE(m_popup.requests.empty());
    EXPECT_EQ(-1, m_item->GetCurSel());
}

TEST_F(DropdownListItemTest, OpeningTellsTheParentFirstAndHandsThePopupTheLookBelowTheBox)
{
    CDropdownListItem& item = *m_item;
    CFont font;
    LOGFONTW lf = {};
    lf.lfHeight = 12;
    font.CreateFontIndirect(&lf);
    CBitmap thumb = MakeDib(7, 9);
    item.m_font = &font;
    item.m_clrText = kRed;
    item.m_clrTextHot = kGreen;
    item.m_clrBack = kBlue;
    item.m_clrBackHot = kWhite;
    item.m_clrBorder = kDarkGrey;
    item.m_clrDisabledBack = kMidGrey;
    item.m_borderWidth = 3;
    item.m_scrollBarWidth = 7;
    item.m_scrollBitmaps.thumb = &thumb;
    item.m_leftGap = L"  ";
    item.m_sorted = true;
    item.m_listHeight = 60;
    item.AddEntry(L"stale");
    m_parent.refill = &item;

    Press();
    EXPECT_EQ((std::vector<std::string>{"opening", "popup"}), m_parent.log);
    EXPECT_EQ(Self(), m_parent.openingFrom);
    ASSERT_EQ(1u, m_popup.requests.size());
    const ListPopupRequest& request = m_popup.requests[0];
    ASSERT_EQ(1u, m_popup.entriesSeen.size());
    EXPECT_EQ(L"fresh", m_popup.entriesSeen[0].text) << "the parent's refill reaches the popup";
    EXPECT_TRUE(m_popup.openWhileRunning);
    EXPECT_FALSE(item.m_open);

    POINT corner = {0, 0};
    ::ClientToScreen(item, &corner);
    EXPECT_EQ(corner.x, request.screenRect.left);
    EXPECT_EQ(corner.x + 120, request.screenRect.right);
    EXPECT_EQ(corner.y + 20, request.screenRect.top);
    EXPECT_EQ(corner.y + 20 + 60, request.screenRect.bottom);
    EXPECT_EQ(m_parent.m_hWnd, request.owner);
    EXPECT_TRUE(request.sorted);
    EXPECT_EQ(&font, request.font);
    EXPECT_EQ(kRed, request.textColour);
    EXPECT_EQ(kGreen, request.textColourHot);
    EXPECT_EQ(kBlue, request.backColour);
    EXPECT_EQ(kWhite, request.backColourHot);
    EXPECT_EQ(kDarkGrey, request.borderColour);
    EXPECT_EQ(3, request.borderWidth);
    EXPECT_EQ(7, request.scrollBarWidth);
    EXPECT_EQ(&thumb, request.scrollBarBitmaps.thumb);
    EXPECT_EQ(L"  ", request.prefix);
}

TEST_F(DropdownListItemTest, AChoiceBecomesTheSelectionAndIsReportedEvenWhenUnchanged)
{
    m_item->AddEntry(L"one");
    m_item->AddEntry(L"two");
    m_item->SetCurSel(0, L"old second");

    // Ending without a choice, also with an empty list, changes and reports nothing.
    Press();
    EXPECT_EQ(0, m_item->GetCurSel());
    EXPECT_TRUE(m_parent.selChanges.empty());

    m_popup.result = 1;
    Press();
    EXPECT_EQ(1, m_item->GetCurSel());
    EXPECT_EQ(L"", m_item->m_secondText);
    Press();
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{1, Self()}, {1, Self()}}), m_parent.selChanges);
    EXPECT_EQ((std::vector<std::string>{"opening", "popup", "opening", "popup", "selchange", "opening", "popup",
                                        "selchange"}),
              m_parent.log);

    m_parent.selChanges.clear();
    m_item->ClearEntries();
    m_popup.result = -1;
    Press();
    EXPECT_EQ(4u, m_popup.requests.size()) << "an empty list still opens";
    EXPECT_TRUE(m_popup.entriesSeen.empty());
    EXPECT_TRUE(m_parent.selChanges.empty());
}

TEST_F(DropdownListItemTest, AnIndexThatNoLongerNamesAnEntryIsNoChoice)
{
    m_item->AddEntry(L"one");
    m_item->AddEntry(L"two");
    m_item->SetCurSel(0);
    m_popup.result = 1;
    m_popup.clearEntriesWhileRunning = true;
    Press();
    EXPECT_TRUE(m_parent.selChanges.empty());
    EXPECT_EQ(L"one", m_item->m_selectedText);
}

TEST_F(DropdownListItemTest, AnEntryWithASubListTakesTheSubListsChoiceAsSecondText)
{
    m_item->AddEntry(L"plain");
    m_item->AddEntry(L"Assign");
    m_item->m_entries[1].subList = reinterpret_cast<CListPanelItem*>(&m_popup);  // only passed on
    m_item->SetCurSel(0);
    m_popup.result = 1;

    // A sub-list without a choice leaves everything as it was.
    Press();
    EXPECT_EQ(0, m_item->GetCurSel());
    EXPECT_TRUE(m_parent.selChanges.empty());

    m_popup.subChoice = 2;
    m_popup.subText = L"Macro 3";
    Press();
    EXPECT_EQ(1, m_item->GetCurSel());
    EXPECT_EQ(L"Assign: Macro 3", m_item->ShownText());
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{1, Self()}}), m_parent.selChanges);
}

class ComboElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
        Write(L"skins\\thumb.bmp", SolidBmpFile(11, 14, kRed));
        Write(L"skins\\spine.bmp", SolidBmpFile(5, 3, kBlue));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    CWnd m_parent;
};

TEST_F(ComboElementTest, AComboElementBuildsTheWholeDropdown)
{
    WriteXml(L"combo.xml",
             "<ITEMLIST>\n"
             " <FONTLIST><FONT name=\"FONT_ARIAL10\" typeface=\"Arial\" pitch=\"10\"/></FONTLIST>\n"
             " <LISTLIST>\n"
             "  <COMBO name=\"NO_SUCH_COMBO\"><CLIST height=\"9\"/></COMBO>\n"
             "  <COMBO name=\"LIST_PROFILELIST\"><CBOX><RECT right=\"9\" bottom=\"9\"/></CBOX></COMBO>\n"
             "  <COMBO name=\"LIST_DROPDOWN_POPUP\" fontid=\"FONT_ARIAL10\" fontclr=\"RED\" fontclrhi=\"GREEN\"\n"
             "         backclr=\"BLUE\" backclrhi=\"WHITE\" bdrclr=\"DARKGREY\" disbbackclr=\"MIDGREY\"\n"
             "         disbbdrclr=\"GREEN2\" disbfontclr=\"BLUE2\" bdrwidth=\"-4\" lgap=\"3\" sorted=\"Yes\">\n"
             "   <CLIST height=\"80\"><VSCROLL><VSBMP_SPN>spine.bmp</VSBMP_SPN><VSBMP_TMB>thumb.bmp</VSBMP_TMB>"
             "</VSCROLL></CLIST>\n"
             "   <CBOX><RECT left=\"10\" top=\"20\" right=\"150\" bottom=\"22\"/></CBOX>\n"
             "   <COMBOITEMS><COMBOITEM>  First\t</COMBOITEM><COMBOITEM/><COMBOITEM>\xC3\xBC" "ber</COMBOITEM>"
             "</COMBOITEMS>\n"
             "  </COMBO>\n"
             " </LISTLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"combo.xml", &m_parent);
    ASSERT_EQ(2u, m_list.size()) << "unknown names and combos without CLIST give no item";
    auto* item = dynamic_cast<CDropdownListItem*>(m_list[1]);
    ASSERT_NE(nullptr, item);
    const int id = FindSkinResourceId(L"LIST_DROPDOWN_POPUP");
    EXPECT_EQ(id, item->m_id);
    EXPECT_EQ(SkinItemType::DropdownList, item->m_type);
    EXPECT_EQ(item->m_hWnd, item->m_window);
    EXPECT_EQ(&m_parent, item->m_owner);
    EXPECT_EQ(m_parent.m_hWnd, item->GetParent());
    EXPECT_EQ(id, item->GetDlgCtrlID());
    EXPECT_EQ(static_cast<LONG_PTR>(0x50000100), item->GetStyle());
    EXPECT_EQ(L"", item->GetWindowText());
    RECT rc = {};
    item->GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ((std::vector<LONG>{10, 20, 160, 42}), (std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}));
    EXPECT_EQ(160, item->m_boxRect.right);

    EXPECT_EQ(static_cast<CFont*>(dynamic_cast<CFontItem*>(m_list[0])), item->m_font);
    EXPECT_EQ((std::vector<COLORREF>{kRed, kGreen, kBlue, kWhite, kDarkGrey, kMidGrey, kGreen2, kBlue2}),
              (std::vector<COLORREF>{item->m_clrText, item->m_clrTextHot, item->m_clrBack, item->m_clrBackHot,
                                     item->m_clrBorder, item->m_clrDisabledBack, item->m_clrDisabledBorder,
                                     item->m_clrDisabledText}));
    EXPECT_EQ(0, item->m_borderWidth);
    EXPECT_EQ(L"   ", item->m_leftGap);
    EXPECT_TRUE(item->m_sorted);
    EXPECT_EQ(80, item->m_listHeight);
    EXPECT_EQ(11, item->m_scrollBarWidth);
    EXPECT_NE(nullptr, item->m_scrollBitmaps.span);
    EXPECT_EQ(nullptr, item->m_scrollBitmaps.arrowUp);
    ASSERT_EQ(3u, item->m_entries.size());
    EXPECT_EQ(L"First", item->GetEntryText(0));
    EXPECT_EQ(L"", item->GetEntryText(1));
    EXPECT_EQ(L"\u00FCber", item->GetEntryText(2));
    EXPECT_EQ(-1, item->GetCurSel());
}

TEST_F(ComboElementTest, MissingOrBrokenValuesFallBackToSafeOnes)
{
    WriteXml(L"plain.xml",
             "<ITEMLIST><LISTLIST>\n"
             "  <COMBO name=\"LIST_PROFILELIST\" lgap=\"2000000000\" sorted=\"no\"><CLIST height=\"-5\"/></COMBO>\n"
             "  <COMBO name=\"LIST_DROPDOWN_POPUP\" lgap=\"-3\" bdrclr=\"NOSUCHCOLOUR\"><CLIST/></COMBO>\n"
             "</LISTLIST></ITEMLIST>\n");
    LoadSkinFile(m_list, L"plain.xml", &m_parent);
    ASSERT_EQ(2u, m_list.size());
    auto* first = dynamic_cast<CDropdownListItem*>(m_list[0]);
    auto* second = dynamic_cast<CDropdownListItem*>(m_list[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(1, first->m_borderWidth);
    EXPECT_FALSE(first->m_sorted);
    EXPECT_EQ(0, first->m_listHeight);
    EXPECT_EQ(0, first->m_scrollBarWidth);
    EXPECT_EQ(nullptr, first->m_font);
    EXPECT_GT(first->m_leftGap.size(), 0u);
    EXPECT_LE(first->m_leftGap.size(), 256u) << "a huge gap is bounded";
    EXPECT_TRUE(second->m_leftGap.empty());
    EXPECT_EQ(0xFFFFFFFFu, second->m_clrBorder);
    EXPECT_EQ(0u, second->m_clrText);
    EXPECT_TRUE(second->m_entries.empty());

    // Without a window to put the box in there is no drop-down.
    SkinItemList orphans;
    LoadSkinFile(orphans, L"plain.xml", nullptr);
    EXPECT_TRUE(orphans.empty());
    DeleteSkinItems(orphans);
}

} // namespace
