// The skinned table: columns and keyed rows, check cells and what clicks report, the context menu and
// its two built-in choices, in-place edit endings, the cells' look, the header's fixed columns, and
// tables read from LISTCTRL elements.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "HeapWatch.h"
#include "ListMenuTestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/ListCtrlEx.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

struct Notice {
    UINT msg;
    WPARAM wParam;
    int key;
    int column;
    bool state;
    std::wstring text;
};

// The list's parent: records every notification with a copy of its record.
class CListParent : public CWnd {
public:
    std::vector<Notice> notices;
    LRESULT dblClkAnswer = 0;

    BEGIN_MSG_MAP(CListParent)
        MESSAGE_HANDLER(WM_XLIST_CLICK, OnClick)
        MESSAGE_HANDLER(WM_XLIST_CHECKCHANGED, OnState)
        MESSAGE_HANDLER(WM_XLIST_DBLCLK, OnPlain)
        MESSAGE_HANDLER(WM_XLIST_MENUOPENING, OnPlain)
        MESSAGE_HANDLER(WM_XLIST_APPCHANGED, OnText)
        MESSAGE_HANDLER(WM_XLIST_MENUCOMMAND, OnText)
        MESSAGE_HANDLER(WM_XLIST_CELLEDITED, OnText)
    END_MSG_MAP()

    std::vector<UINT> Messages() const
    {
        std::vector<UINT> out;
        for (const Notice& n : notices)
            out.push_back(n.msg);
        return out;
    }

private:
    static const XListNotifyRecord& Record(LPARAM lParam) { return *reinterpret_cast<XListNotifyRecord*>(lParam); }
    LRESULT OnClick(UINT msg, WPARAM wParam, LPARAM, BOOL&)
    {
        notices.push_back({msg, wParam, static_cast<int>(wParam), 0, false, L""});
        return 0;
    }
    LRESULT OnState(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        const auto& r = Record(lParam);
        notices.push_back({msg, wParam, r.key, r.column, *static_cast<const bool*>(r.data), L""});
        return 0;
    }
    LRESULT OnPlain(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        const auto& r = Record(lParam);
        notices.push_back({msg, wParam, r.key, r.column, r.data != nullptr, L""});
        return msg == WM_XLIST_DBLCLK ? dblClkAnswer : 0;
    }
    LRESULT OnText(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        const auto& r = Record(lParam);
        notices.push_back({msg, wParam, r.key, r.column, false, static_cast<const wchar_t*>(r.data)});
        return 0;
    }
};

// Column ids as the profile page uses them.
constexpr int kCurrent = 0;
constexpr int kId = 1;
constexpr int kName = 2;
constexpr int kProgram = 3;
constexpr int kAutoSwitch = 4;

class ListCtrlExTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 50, 50, 420, 260, nullptr,
                                      nullptr));
        m_list = std::make_unique<CXListCtrl>();
        m_list->m_clrBack = kBlue;
        m_list->m_clrBackHi = kYellow;
        ASSERT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, RECT{0, 0, 400, 240},
                                   m_parent, 5));
        // As every LISTCTRL gets it.
        m_list->SetExtendedListViewStyle(LVS_EX_FULLROWSELECT);
    }
    void TearDown() override
    {
        m_list.reset();
        m_parent.DestroyWindow();
        FrameworkTest::TearDown();
    }

    // The profile page's columns, each at the sub-item of its id: current (exclusive check), id, name,
    // program, auto-switch (check); rows keyed 0..count-1.
    void MakeProfileTable(int rows)
    {
        m_on = SolidDib(kRed, 12, 12);
        m_off = SolidDib(kGreen, 12, 12);
        ASSERT_EQ(0, m_list->AddColumn(L"Cur", kCurrent, XListColumnKind::CheckBox, 60, true, &m_off, &m_on, nullptr));
        ASSERT_EQ(1, m_list->AddColumn(L"Id", kId, XListColumnKind::Static, 30, false, nullptr, nullptr, nullptr));
        ASSERT_EQ(2, m_list->AddColumn(L"Name", kName, XListColumnKind::Edit, 100, false, nullptr, nullptr, nullptr));
        ASSERT_EQ(3, m_list->AddColumn(L"Exe", kProgram, XListColumnKind::FileDialog, 100, false, nullptr, nullptr,
                                       nullptr));
        ASSERT_EQ(4, m_list->AddColumn(L"Auto", kAutoSwitch, XListColumnKind::CheckBox, 60, false, &m_off, &m_on,
                                       nullptr));
        for (int i = 0; i < rows; ++i) {
            ASSERT_EQ(i, m_list->InsertRow(i, kWhite, kBlue, kBlue, kWhite));
            m_list->Cell(i, 0)->key = i;
            m_list->SetCellValue(kCurrent, i, i == 0 ? 1 : 0);
            m_list->SetCellValue(kAutoSwitch, i, 0);
            m_list->SetCellText(kName, i, (L"Profile " + std::to_wstring(i)).c_str());
        }
    }

    POINT CellPoint(int row, int subItem, int dx = 0)
    {
        RECT rc = {};
        EXPECT_TRUE(m_list->GetCellRect(row, subItem, &rc));
        return POINT{(rc.left + rc.right) / 2 + dx, (rc.top + rc.bottom) / 2};
    }
    void Click(POINT pt) { m_list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y)); }
    void RightClick(POINT pt)
    {
        // The list-view follows a right press until the button comes up.
        m_list->PostMessage(WM_RBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        m_list->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
    }
    int Value(int row, int subItem) { return m_list->Cell(row, subItem)->value; }

    CListParent m_parent;
    std::unique_ptr<CXListCtrl> m_list;
    FakeListCalls m_fake;
    CBitmap m_on;
    CBitmap m_off;
};

TEST_F(ListCtrlExTest, ColumnsAreRefusedForBadIdsKindsDuplicatesAndPastTen)
{
    EXPECT_EQ(-1, m_list->AddColumn(L"x", -1, 1, 50, false, nullptr, nullptr, nullptr));
    EXPECT_EQ(-1, m_list->AddColumn(L"x", 1, -1, 50, false, nullptr, nullptr, nullptr));
    for (int id = 0; id < CXListCtrl::kMaxColumns; ++id)
        EXPECT_EQ(id, m_list->AddColumn(L"c", id * 2, 1, 20, false, nullptr, nullptr, nullptr));
    EXPECT_EQ(-1, m_list->AddColumn(L"again", 4, 1, 20, false, nullptr, nullptr, nullptr));
    EXPECT_EQ(-1, m_list->AddColumn(L"eleventh", 99, 1, 20, false, nullptr, nullptr, nullptr));
    EXPECT_EQ(10, m_list->m_header.GetItemCount());
    EXPECT_EQ(6, m_list->GetColumnId(3));
    EXPECT_EQ(-1, m_list->GetColumnId(10));
    EXPECT_TRUE(m_list->m_headerSubclassed);
    EXPECT_TRUE(m_list->m_header.GetStyle() & HDS_FLAT);
}

TEST_F(ListCtrlExTest, RowsAreFoundByKeyAndUnknownKeysOrColumnsChangeNothing)
{
    MakeProfileTable(3);
    EXPECT_EQ(-1, m_list->InsertRow(-1, 0, 0, 0, 0));
    EXPECT_EQ(2, m_list->FindRowByKey(2));
    EXPECT_EQ(-1, m_list->FindRowByKey(-1));
    EXPECT_EQ(-1, m_list->FindRowByKey(7));
    EXPECT_EQ(L"Profile 1", m_list->GetItemText(1, 2));
    EXPECT_EQ(0, m_list->SetCellText(kName, 7, L"x"));
    EXPECT_EQ(0, m_list->SetCellText(9, 1, L"x"));
    EXPECT_EQ(0, m_list->SetCellValue(kAutoSwitch, 7, 1));
    EXPECT_EQ(kWhite, m_list->Cell(2, 0)->textColour);
    EXPECT_EQ(kBlue, m_list->Cell(2, 0)->backColour);

    EXPECT_EQ(-1, m_list->GetSelectedRow());
    EXPECT_EQ(-1, m_list->GetSelectedRowKey());
    m_list->Cell(1, 0)->key = 41;
    m_list->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(1, m_list->GetSelectedRow());
    EXPECT_EQ(41, m_list->GetSelectedRowKey());

    RECT rc = {};
    EXPECT_FALSE(m_list->GetCellRect(3, 0, &rc));
    EXPECT_FALSE(m_list->GetCellRect(0, 5, &rc));
    ASSERT_TRUE(m_list->GetCellRect(0, 0, &rc));
    EXPECT_EQ(60, rc.right - rc.left) << "the first cell ends where the second begins";

    // A column added after the rows has no cells in them: it is not written past their ends.
    ASSERT_EQ(5, m_list->AddColumn(L"late", 6, XListColumnKind::CheckBox, 40, false, nullptr, nullptr, nullptr));
    EXPECT_EQ(0, m_list->SetCellValue(6, 0, 1));
    EXPECT_EQ(1, m_list->SetCellText(6, 0, L"text"));
}

TEST_F(ListCtrlExTest, DeletedRowsFreeTheirCellsAndLeaveTheOthersIntact)
{
    MakeProfileTable(1);
    const long before = heapwatch::LiveBlocks();
    for (int row = 1; row <= 4; ++row) {
        ASSERT_EQ(row, m_list->InsertRow(row, kWhite, kBlue, kBlue, kWhite));
        m_list->Cell(row, 0)->key = row;
    }
    ASSERT_GT(heapwatch::LiveBlocks(), before);
    ASSERT_TRUE(m_list->DeleteItem(2));
    ASSERT_TRUE(m_list->DeleteItem(3));
    ASSERT_TRUE(m_list->DeleteItem(1));
    EXPECT_EQ(before + 2, heapwatch::LiveBlocks()) << "the new rows' cells less one row";
    EXPECT_EQ(1, m_list->FindRowByKey(3));
    EXPECT_EQ(0, m_list->FindRowByKey(0));
    ASSERT_TRUE(m_list->DeleteAllItems());
    EXPECT_EQ(before - 2, heapwatch::LiveBlocks()) << "every row's cells";
}

TEST_F(ListCtrlExTest, CheckCellsToggleOnlyInTheirMiddleAndExclusiveColumnsKeepOneOn)
{
    MakeProfileTable(3);
    Click(CellPoint(1, 4));
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_CHECKCHANGED, WM_XLIST_CLICK}), m_parent.Messages());
    EXPECT_EQ(1, m_parent.notices[0].key);
    EXPECT_EQ(4, m_parent.notices[0].column);
    EXPECT_TRUE(m_parent.notices[0].state);
    EXPECT_EQ(m_list->m_hWnd, reinterpret_cast<HWND>(m_parent.notices[0].wParam));
    EXPECT_EQ(1, m_parent.notices[1].key);
    EXPECT_EQ(1, Value(1, 4));
    Click(CellPoint(1, 4));
    EXPECT_EQ(0, Value(1, 4));
    EXPECT_FALSE(m_parent.notices[2].state);

    m_parent.notices.clear();
    Click(CellPoint(1, 4, 10));  // in the cell but outside its 12-pixel strip
    EXPECT_EQ(0, Value(1, 4));
    EXPECT_EQ((std::vector<UINT>{WM_XLIST_CLICK}), m_parent.Messages());

    m_parent.notices.clear();
    Click(CellPoint(0, 0));  // already the checked one
    EXPECT_EQ((std::vector<UINT>{WM_XLIST_CLICK}), m_parent.Messages());
    Click(CellPoint(2, 0));
    EXPECT_EQ((std::vector<int>{0, 0, 1}), (std::vector<int>{Value(0, 0), Value(1, 0), Value(2, 0)}));
    ASSERT_EQ(3u, m_parent.notices.size());
    EXPECT_EQ(WM_XLIST_CHECKCHANGED, m_parent.notices[1].msg);
    EXPECT_EQ(2, m_parent.notices[1].key);
    EXPECT_TRUE(m_parent.notices[1].state);
}

TEST_F(ListCtrlExTest, DisabledRowsIgnoreClicksAndEmptySpaceReportsNoRow)
{
    MakeProfileTable(2);
    m_list->Cell(1, 0)->enabled = false;
    Click(CellPoint(1, 4));
    EXPECT_EQ(0, Value(1, 4));
    EXPECT_TRUE(m_parent.notices.empty());

    Click(POINT{30, 200});
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_CLICK}), m_parent.Messages());
    EXPECT_EQ(static_cast<WPARAM>(-1), m_parent.notices[0].wParam);

    m_parent.notices.clear();
    m_parent.dblClkAnswer = 77;
    const POINT pt = CellPoint(0, 1);
    EXPECT_EQ(77, m_list->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y)));
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_DBLCLK}), m_parent.Messages());
    EXPECT_EQ(0, m_parent.notices[0].key);
    EXPECT_EQ(1, m_parent.notices[0].column);
}

TEST_F(ListCtrlExTest, TheContextMenuOpensOnlyWithAMenuItemOverACell)
{
    MakeProfileTable(2);
    RightClick(CellPoint(1, 1));
    EXPECT_EQ(0, m_fake.menuCalls);
    EXPECT_TRUE(m_parent.notices.empty());

    m_list->m_contextMenu = m_fake.AnyMenu();  // only handed to the fake
    RightClick(POINT{30, 200});
    EXPECT_EQ(0, m_fake.menuCalls);

    const POINT pt = CellPoint(1, 1);
    RightClick(pt);
    ASSERT_EQ(1, m_fake.menuCalls);
    RECT rc = {};
    m_list->GetCellRect(1, 1, &rc);
    EXPECT_EQ(pt.x, m_fake.menuAt.x);
    EXPECT_EQ(rc.top, m_fake.menuAt.y);
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_MENUOPENING, WM_XLIST_MENUCOMMAND}), m_parent.Messages());
    EXPECT_EQ(1, m_parent.notices[0].key);
    EXPECT_EQ(1, m_parent.notices[1].key);
    EXPECT_EQ(L"", m_parent.notices[1].text) << "nothing chosen";

    m_parent.notices.clear();
    m_fake.choice = L"$Rename";
    RightClick(pt);
    ASSERT_EQ(2u, m_parent.notices.size());
    EXPECT_EQ(L"$Rename", m_parent.notices[1].text);
}

TEST_F(ListCtrlExTest, AssigningAndUnassigningAProgramUpdatesTheRowAndTellsTheParent)
{
    MakeProfileTable(2);
    m_list->m_contextMenu = m_fake.AnyMenu();
    const POINT pt = CellPoint(1, 1);

    m_fake.choice = L"$AssignApplication";
    RightClick(pt);  // cancelled
    EXPECT_EQ(1, m_fake.fileCalls);
    EXPECT_EQ((std::vector<UINT>{WM_XLIST_MENUOPENING}), m_parent.Messages());

    m_parent.notices.clear();
    m_fake.fileOk = true;
    m_fake.file = L"C:\\Games\\Big Game\\game.exe";
    RightClick(pt);
    EXPECT_EQ(L"game.exe", m_list->GetItemText(1, 3));
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_MENUOPENING, WM_XLIST_APPCHANGED}), m_parent.Messages());
    EXPECT_EQ(1, m_parent.notices[1].key);
    EXPECT_EQ(3, m_parent.notices[1].column);
    EXPECT_EQ(m_fake.file, m_parent.notices[1].text);

    m_list->SetCellValue(kAutoSwitch, 1, 1);
    m_parent.notices.clear();
    m_fake.choice = L"$UnassignApplication";
    RightClick(pt);
    EXPECT_EQ(L"", m_list->GetItemText(1, 3));
    EXPECT_EQ(0, Value(1, 4));
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_MENUOPENING, WM_XLIST_APPCHANGED, WM_XLIST_CHECKCHANGED}),
              m_parent.Messages());
    EXPECT_EQ(L"", m_parent.notices[1].text);
    EXPECT_EQ(4, m_parent.notices[2].column);
    EXPECT_FALSE(m_parent.notices[2].state);
}

TEST_F(ListCtrlExTest, UnassigningInARowWithoutAnAutoSwitchCellDoesNotWritePastTheRow)
{
    ASSERT_EQ(0, m_list->AddColumn(L"Name", kName, XListColumnKind::Edit, 120, false, nullptr, nullptr, nullptr));
    ASSERT_EQ(0, m_list->InsertRow(0, kWhite, kBlue, kBlue, kWhite));
    m_list->Cell(0, 0)->key = 5;
    m_list->m_contextMenu = m_fake.AnyMenu();
    m_fake.choice = L"$UnassignApplication";
    RightClick(CellPoint(0, 0));
    EXPECT_EQ((std::vector<UINT>{WM_XLIST_MENUOPENING, WM_XLIST_APPCHANGED, WM_XLIST_CHECKCHANGED}),
              m_parent.Messages());
}

TEST_F(ListCtrlExTest, EnterKeepsAnEditedTextAndEscapeDropsIt)
{
    MakeProfileTable(2);
    MSG key = {m_list->m_hWnd, WM_KEYDOWN, VK_SPACE, 0};
    EXPECT_TRUE(m_list->PreTranslateMessage(&key)) << "space never toggles list-view checks";
    key.wParam = VK_RETURN;
    EXPECT_FALSE(m_list->PreTranslateMessage(&key)) << "no edit open";

    m_list->m_editRow = 1;
    m_list->m_editSubItem = 2;
    m_list->m_editor.SetWindowText(L"Renamed");
    EXPECT_TRUE(m_list->PreTranslateMessage(&key));
    EXPECT_EQ(L"Renamed", m_list->GetItemText(1, 2));
    ASSERT_EQ((std::vector<UINT>{WM_XLIST_CELLEDITED}), m_parent.Messages());
    EXPECT_EQ(1, m_parent.notices[0].key);
    EXPECT_EQ(2, m_parent.notices[0].column);
    EXPECT_EQ(L"Renamed", m_parent.notices[0].text);
    EXPECT_EQ(-1, m_list->m_editRow);

    m_list->m_editRow = 0;
    m_list->m_editSubItem = 2;
    m_list->m_editor.SetWindowText(L"Dropped");
    key.wParam = VK_ESCAPE;
    EXPECT_TRUE(m_list->PreTranslateMessage(&key));
    EXPECT_EQ(L"Profile 0", m_list->GetItemText(0, 2));
    EXPECT_EQ(1u, m_parent.notices.size());

    m_list->m_editRow = 0;
    m_list->m_editSubItem = 2;
    m_list->m_editor.SetWindowText(L"Profile 0");
    EXPECT_FALSE(m_list->EndEdit(true)) << "an unchanged text is not reported";
    EXPECT_EQ(1u, m_parent.notices.size());
}

TEST_F(ListCtrlExTest, CellsAreDrawnInTheRowColoursAndCheckImages)
{
    MakeProfileTable(2);
    m_list->SetRowColors(1, kWhite, kRed, kBlue, kWhite);
    m_list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    RECT name1 = {};
    RECT name0 = {};
    m_list->GetCellRect(1, 1, &name1);
    m_list->GetCellRect(0, 1, &name0);
    const POINT on = CellPoint(0, 0);
    const POINT off = CellPoint(1, 0);
    const std::vector<std::pair<POINT, COLORREF>> expected = {
        {POINT{name1.right - 3, name1.top + 2}, kRed},   // row background
        {POINT{name0.right - 3, name0.top + 2}, kWhite}, // selected row background
        {on, kRed},                                      // on image
        {off, kGreen},                                   // off image
        {POINT{on.x + 20, on.y}, kYellow},               // around a check on the selected row
        {POINT{off.x + 20, off.y}, kBlue},               // around a check elsewhere
        {POINT{100, 200}, kBlue},                        // below the rows
    };
    m_list->Invalidate();
    const bool shown = PumpUntil([&] {
        CClientDC dc(m_list->m_hWnd);
        for (const auto& p : expected)
            if (::GetPixel(dc, p.first.x, p.first.y) != p.second)
                return false;
        return true;
    });
    CClientDC dc(m_list->m_hWnd);
    for (const auto& p : expected)
        EXPECT_EQ(p.second, ::GetPixel(dc, p.first.x, p.first.y)) << p.first.x << "," << p.first.y;
    EXPECT_TRUE(shown);
}

TEST_F(ListCtrlExTest, ACheckImageBlendsIntoItsRowThroughTheGreyRimOfItsMask)
{
    // Columns of four pixels: outside the mark, its smooth rim (half covered), the mark itself.
    constexpr COLORREF kGrey = RGB(100, 100, 100);
    std::vector<COLORREF> image(144), mask(144);
    for (int i = 0; i < 144; ++i) {
        const int band = (i % 12) / 4;
        image[i] = band == 0 ? RGB(0, 0, 0) : band == 1 ? RGB(64, 0, 0) : kRed;
        mask[i] = band == 0 ? kWhite : band == 1 ? RGB(128, 128, 128) : RGB(0, 0, 0);
    }
    CBitmap mark = MakeDib(12, 12, image);
    CBitmap markMask = MakeDib(12, 12, mask);
    m_list->m_clrBack = kGrey;
    ASSERT_EQ(0, m_list->AddColumn(L"Cur", kCurrent, XListColumnKind::CheckBox, 60, true, &mark, &mark, &markMask));
    ASSERT_EQ(0, m_list->InsertRow(0, kWhite, kGrey, kWhite, kGrey));
    m_list->Cell(0, 0)->key = 0;
    m_list->SetCellValue(kCurrent, 0, 1);
    const POINT centre = CellPoint(0, 0);
    const int left = centre.x - 6;
    const std::vector<std::pair<int, COLORREF>> expected = {
        {left + 1, kGrey}, {left + 5, RGB(64 + 50, 50, 50)}, {left + 9, kRed}};
    m_list->Invalidate();
    PumpUntil([&] {
        CClientDC dc(m_list->m_hWnd);
        return ::GetPixel(dc, left + 9, centre.y) == kRed;
    });
    CClientDC dc(m_list->m_hWnd);
    for (const auto& [x, colour] : expected)
        EXPECT_EQ(colour, ::GetPixel(dc, x, centre.y)) << "at x " << x - left << " of the mark";
}

TEST_F(ListCtrlExTest, HeaderDividersDoNotResizeColumns)
{
    MakeProfileTable(1);
    CXHeaderCtrl& header = m_list->m_header;
    RECT item = {};
    ASSERT_TRUE(header.GetItemRect(0, &item));
    const int y = (item.top + item.bottom) / 2;
    header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 1, y));
    header.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right + 40, y));
    header.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(item.right + 40, y));
    EXPECT_EQ(60, m_list->GetColumnWidth(0));
    EXPECT_EQ(TRUE, header.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(header.m_hWnd), HTCLIENT));
}

TEST_F(ListCtrlExTest, TheHeaderKeepsOneRecordPerColumnThroughInsertsAndDeletes)
{
    MakeProfileTable(0);
    EXPECT_EQ(5u, m_list->m_header.m_itemsEx.size());
    m_list->SendMessage(LVM_DELETECOLUMN, 1);
    EXPECT_EQ(4u, m_list->m_header.m_itemsEx.size());
}

TEST_F(ListCtrlExTest, AComboCellsDropButtonOpensItsChoicesAndTheChoiceGoesIntoTheCell)
{
    MakeProfileTable(2);
    const std::vector<std::wstring> choices = {L"Low", L"", L"High"};
    XListCell* cell = m_list->Cell(1, kName);
    cell->combo = true;
    cell->choices = &choices;
    m_list->SetCellText(kName, 1, L"");
    m_list->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    RECT rc = {};
    ASSERT_TRUE(m_list->GetCellRect(1, kName, &rc));

    Click(POINT{rc.left + 10, (rc.top + rc.bottom) / 2});
    EXPECT_EQ(nullptr, m_list->ComboList()) << "only the drop button opens the list";
    Click(POINT{rc.right - 3, (rc.top + rc.bottom) / 2});
    ASSERT_TRUE(PumpUntil([&] { return m_list->ComboList() != nullptr; }, 3000));
    HWND choiceBox = m_list->ComboList()->ListBox();
    EXPECT_EQ(2, SendMessageW(choiceBox, LB_GETCOUNT, 0, 0)) << "empty choices are left out";
    EXPECT_EQ(L"Low", m_list->GetItemText(1, kName)) << "an empty cell takes the first choice";

    SendMessageW(choiceBox, LB_SETCURSEL, 1, 0);
    m_list->SendMessage(XComboListMessage().lButtonUp);
    ASSERT_TRUE(PumpUntil([&] { return m_list->ComboList() == nullptr; }, 3000));
    EXPECT_EQ(L"High", m_list->GetItemText(1, kName));
    for (const Notice& notice : m_parent.notices)
        EXPECT_EQ(WM_XLIST_CLICK, notice.msg) << "a choice from the list is not reported";

    // Escape closes the list and leaves the cell as it was.
    Click(POINT{rc.right - 3, (rc.top + rc.bottom) / 2});
    ASSERT_TRUE(PumpUntil([&] { return m_list->ComboList() != nullptr; }, 3000));
    SendMessageW(m_list->ComboList()->ListBox(), LB_SETCURSEL, 0, 0);
    m_list->SendMessage(XComboListMessage().vkEscape);
    ASSERT_TRUE(PumpUntil([&] { return m_list->ComboList() == nullptr; }, 3000));
    EXPECT_EQ(L"High", m_list->GetItemText(1, kName));
    EXPECT_FALSE(m_list->Cell(1, kName)->pressed);
}

// The combo list's owner: counts the four messages.
class CComboOwner : public CWnd {
public:
    int returns = 0, escapes = 0, keyDowns = 0, buttonUps = 0;

    BEGIN_MSG_MAP(CComboOwner)
        MESSAGE_HANDLER(XComboListMessage().vkReturn, OnMessage)
        MESSAGE_HANDLER(XComboListMessage().vkEscape, OnMessage)
        MESSAGE_HANDLER(XComboListMessage().keyDown, OnMessage)
        MESSAGE_HANDLER(XComboListMessage().lButtonUp, OnMessage)
    END_MSG_MAP()

private:
    LRESULT OnMessage(UINT msg, WPARAM, LPARAM, BOOL&)
    {
        const XComboListMessages& m = XComboListMessage();
        int& count = msg == m.vkReturn ? returns : msg == m.vkEscape ? escapes : msg == m.keyDown ? keyDowns : buttonUps;
        ++count;
        return 0;
    }
};

TEST_F(ListCtrlExTest, TheComboListTellsItsListOfKeysClicksAndOnlyTheThirdFocusLoss)
{
    CComboOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    CXComboList combo(owner);
    // Two rows high, so the scroll bar has somewhere to go.
    const int rowHeight = 16;
    ASSERT_TRUE(combo.CreatePopup(RECT{100, 100, 260, 100 + 2 * rowHeight + 8}));
    for (const wchar_t* entry : {L"Alpha", L"Beta", L"Bravo", L"Gamma"})
        SendMessageW(combo.ListBox(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendMessageW(combo.ListBox(), LB_SETCURSEL, 0, 0);
    combo.Show();
    auto key = [&](WPARAM vk) {
        MSG msg = {combo.ListBox(), WM_KEYDOWN, vk, 0, 0, {0, 0}};
        return combo.PreTranslateMessage(&msg);
    };
    EXPECT_FALSE(key('Z'));
    EXPECT_EQ(0, owner.keyDowns) << "a letter no entry begins with";
    key('B');
    EXPECT_EQ(1, owner.keyDowns);
    EXPECT_EQ(1, GetScrollPos(combo.ScrollBar(), SB_CTL));
    key(VK_END);
    SCROLLINFO info = {sizeof(info), SIF_ALL};
    GetScrollInfo(combo.ScrollBar(), SB_CTL, &info);
    EXPECT_EQ(std::min(4, info.nMax - int(info.nPage) + 1), info.nPos);
    EXPECT_GT(info.nPos, 1);
    key(VK_RETURN);
    EXPECT_EQ(1, owner.returns);

    combo.m_focusLosses = 0;
    owner.escapes = 0;
    combo.SendMessage(WM_KILLFOCUS);
    combo.SendMessage(WM_KILLFOCUS);
    EXPECT_EQ(0, owner.escapes);
    combo.SendMessage(WM_KILLFOCUS);
    EXPECT_EQ(1, owner.escapes);
    combo.DestroyWindow();
    owner.DestroyWindow();
}

TEST_F(ListCtrlExTest, OnlyEditAndProgramCellsThatDontFitGetATipOfAtMost80Characters)
{
    MakeProfileTable(2);
    const std::wstring longText(100, L'W');
    m_list->SetCellText(kName, 1, longText.c_str());
    m_list->SetCellText(kId, 1, longText.c_str());
    m_list->SetCellText(kProgram, 1, L"a.exe");

    RECT name = {};
    ASSERT_TRUE(m_list->GetCellRect(1, 2, &name));
    TTTOOLINFOW info = {};
    const int nameTool = m_list->OnToolHitTest(POINT{name.left + 3, name.top + 3}, &info);
    EXPECT_EQ(((1 << 10) | 2) + 1, nameTool);
    EXPECT_EQ((std::vector<LONG>{name.left, name.top, name.right, name.bottom}),
              (std::vector<LONG>{info.rect.left, info.rect.top, info.rect.right, info.rect.bottom}));
    EXPECT_EQ(m_list->m_hWnd, info.hwnd);
    EXPECT_EQ(-1, m_list->OnToolHitTest(POINT{30, 200}, nullptr));

    // The tip comes through the tooltip's request, as the tooltip control asks for it.
    NMTTDISPINFOW request = {};
    request.hdr.hwndFrom = nullptr;
    request.hdr.code = TTN_NEEDTEXTW;
    request.hdr.idFrom = static_cast<UINT_PTR>(nameTool);
    m_list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    ASSERT_NE(nullptr, request.lpszText);
    EXPECT_EQ(std::wstring(80, L'W'), request.lpszText);

    EXPECT_EQ(L"", m_list->CellTipText(((1 << 10) | 1) + 1)) << "static cells get no tip";
    EXPECT_EQ(L"", m_list->CellTipText(((1 << 10) | 3) + 1)) << "a text that fits needs no tip";
    EXPECT_EQ(L"", m_list->CellTipText(((7 << 10) | 2) + 1)) << "no such row";
    m_list->SetCellText(kProgram, 1, longText.substr(0, 30).c_str());
    EXPECT_EQ(longText.substr(0, 30), m_list->CellTipText(((1 << 10) | 3) + 1));
}

TEST_F(ListCtrlExTest, TheHeaderPaintsFlatColoursSeparatorsAndTranslatedCaptions)
{
    CLangTable table;
    table.m_pairs = {{L"Wide", L"WWWWWWWWWWWW"}};
    SetCurrentLangTable(&table);
    CXHeaderCtrl& header = m_list->m_header;
    header.m_clrBack = kGreen;
    header.m_clrText = kWhite;
    header.m_clrLight = kYellow;
    header.m_clrShadow = kRed;
    ASSERT_EQ(0, m_list->AddColumn(L"$Wide", 0, XListColumnKind::Static, 150, false, nullptr, nullptr, nullptr));
    ASSERT_EQ(1, m_list->AddColumn(L"$Narrow", 1, XListColumnKind::Static, 150, false, nullptr, nullptr, nullptr));
    RECT first = {};
    ASSERT_TRUE(header.GetItemRect(0, &first));
    const int middle = (first.top + first.bottom) / 2;
    header.Invalidate();
    // Text pixels far into the first item only come from the long translation.
    auto textFarIn = [&](HDC dc) {
        for (int x = first.left + 60; x < first.right - 6; ++x)
            for (int y = first.top + 2; y < first.bottom - 2; ++y)
                if (::GetPixel(dc, x, y) == kWhite)
                    return true;
        return false;
    };
    const bool shown = PumpUntil([&] {
        CClientDC dc(header.m_hWnd);
        return ::GetPixel(dc, first.right - 1, middle) == kYellow && ::GetPixel(dc, first.right, middle) == kRed &&
               ::GetPixel(dc, first.left + 2, first.bottom - 3) == kGreen && textFarIn(dc);
    });
    CClientDC dc(header.m_hWnd);
    EXPECT_EQ(kYellow, ::GetPixel(dc, first.right - 1, middle)) << "light half of the separator";
    EXPECT_EQ(kRed, ::GetPixel(dc, first.right, middle)) << "shadow half of the separator";
    EXPECT_EQ(kGreen, ::GetPixel(dc, first.left + 2, first.bottom - 3)) << "background";
    EXPECT_EQ(kRed, ::GetPixel(dc, 5, 0)) << "frame, top edge";
    EXPECT_TRUE(textFarIn(dc)) << "the caption is the language's text";
    EXPECT_TRUE(shown);
    SetCurrentLangTable(nullptr);
}

class ListCtrlElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
        Write(L"skins\\on.bmp", SolidBmpFile(12, 12, kRed));
        Write(L"skins\\off.bmp", SolidBmpFile(12, 12, kGreen));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    CWnd m_parent;
};

TEST_F(ListCtrlElementTest, AListCtrlElementBuildsTheTableWithItsColumns)
{
    WriteXml(L"list.xml",
             "<ITEMLIST><LISTLIST>\n"
             " <LISTCTRL name=\"LIST_PROFILELIST\" fontclr=\"RED\" backclr=\"BLUE\" backclrhi=\"WHITE\">\n"
             "  <RECT left=\"10\" top=\"20\" right=\"300\" bottom=\"150\"/>\n"
             "  <LISTHDR backclr=\"GREEN\" fontclr=\"WHITE\"/>\n"
             "  <LISTCOLUMN name=\"LCITEM_PROFILECURRENT\" type=\"CHECKBOX\" width=\"40\" exclusive=\"yes\">"
             "<SBMN>off.bmp</SBMN><SBMD>on.bmp</SBMD></LISTCOLUMN>\n"
             "  <LISTCOLUMN name=\"LCITEM_PROFILENAME\" type=\"EDIT\" width=\"120\">  $Name </LISTCOLUMN>\n"
             " </LISTCTRL>\n"
             "</LISTLIST></ITEMLIST>\n");
    LoadSkinFile(m_list, L"list.xml", &m_parent);
    ASSERT_EQ(1u, m_list.size());
    auto* list = dynamic_cast<CXListCtrl*>(m_list[0]);
    ASSERT_NE(nullptr, list);
    const int id = FindSkinResourceId(L"LIST_PROFILELIST");
    EXPECT_EQ(id, list->m_id);
    EXPECT_EQ(SkinItemType::ListCtrl, list->m_type);
    EXPECT_EQ(list->m_hWnd, list->m_window);
    EXPECT_EQ(&m_parent, list->m_owner);
    EXPECT_EQ(id, list->GetDlgCtrlID());
    EXPECT_EQ(static_cast<LONG_PTR>(0x50000005), list->GetStyle() & 0xFFFFFFFF);
    EXPECT_EQ(static_cast<DWORD>(0x10120), list->GetExtendedListViewStyle() & 0x10120);
    EXPECT_EQ((std::vector<COLORREF>{kRed, 0, kBlue, kWhite}),
              (std::vector<COLORREF>{list->m_clrText, list->m_clrTextHi, list->m_clrBack, list->m_clrBackHi}));
    EXPECT_EQ((std::vector<COLORREF>{kGreen, kGreen, kGreen, kWhite}),
              (std::vector<COLORREF>{list->m_header.m_clrShadow, list->m_header.m_clrLight, list->m_header.m_clrBack,
                                     list->m_header.m_clrText}));
    RECT rc = {};
    list->GetWindowRect(&rc);
    EXPECT_EQ(300, rc.right - rc.left) << "the rectangle is read as left, top, width, height";
    ASSERT_EQ(2u, list->m_columns.size());
    const XListColumn& current = list->m_columns.at(0);
    EXPECT_EQ(XListColumnKind::CheckBox, current.kind);
    EXPECT_TRUE(current.exclusive);
    EXPECT_NE(nullptr, current.onImage);
    EXPECT_NE(nullptr, current.offImage);
    EXPECT_EQ(nullptr, current.maskImage);
    EXPECT_EQ(1, list->m_columns.at(2).subItem);
    EXPECT_EQ(40, list->GetColumnWidth(0));
    HDITEMW hdi = {};
    wchar_t caption[32] = {};
    hdi.mask = HDI_TEXT;
    hdi.pszText = caption;
    hdi.cchTextMax = 32;
    list->m_header.GetItem(1, &hdi);
    EXPECT_STREQ(L"$Name", caption);
}

TEST_F(ListCtrlElementTest, OneColumnThatCantBeOfferedTakesTheWholeTableAway)
{
    WriteXml(L"bad.xml",
             "<ITEMLIST><LISTLIST>\n"
             " <LISTCTRL name=\"LIST_PROFILELIST\"><RECT right=\"200\" bottom=\"100\"/>\n"
             "  <LISTCOLUMN name=\"LCITEM_PROFILENAME\" type=\"EDIT\" width=\"120\">Name</LISTCOLUMN>\n"
             "  <LISTCOLUMN name=\"LCITEM_NOSUCH\" type=\"EDIT\" width=\"120\">Other</LISTCOLUMN>\n"
             " </LISTCTRL>\n"
             " <LISTCTRL name=\"LIST_PROFILELIST\"><RECT right=\"200\" bottom=\"100\"/>\n"
             "  <LISTCOLUMN name=\"LCITEM_PROFILENAME\" type=\"EDIT\" width=\"-5\">Name</LISTCOLUMN>\n"
             " </LISTCTRL>\n"
             " <LISTCTRL name=\"LIST_PROFILELIST\"><RECT right=\"200\" bottom=\"100\"/></LISTCTRL>\n"
             " <LISTCTRL name=\"LIST_PROFILELIST\"><RECT right=\"200\" bottom=\"100\"/>\n"
             "  <LISTCOLUMN name=\"LCITEM_PROFILENAME\" type=\"EDIT\" width=\"120\">Name</LISTCOLUMN>\n"
             "  <LISTCOLUMN name=\"LCITEM_PROFILENAME\" type=\"STATIC\" width=\"50\">Twice</LISTCOLUMN>\n"
             " </LISTCTRL>\n"
             "</LISTLIST></ITEMLIST>\n");
    LoadSkinFile(m_list, L"bad.xml", &m_parent);
    ASSERT_EQ(1u, m_list.size()) << "a refused column still counts as offered";
    auto* list = dynamic_cast<CXListCtrl*>(m_list[0]);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1u, list->m_columns.size());
    EXPECT_TRUE(list->GetStyle() & LVS_NOCOLUMNHEADER);
    HWND child = ::GetWindow(m_parent, GW_CHILD);
    int children = 0;
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT))
        ++children;
    EXPECT_EQ(1, children) << "tables that yield nothing leave no window behind";
}

} // namespace
