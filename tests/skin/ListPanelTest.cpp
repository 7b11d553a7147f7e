// The list panel popup: which entry a click, a click elsewhere, a focus loss or a key ends it with, where
// it opens and how it looks, its scroll bar's share of the wheel, the drop-down opening it through the
// default list popup, and list panel items read from LISTPANEL elements.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../framework/TestSupport.h"
#include "HeapWatch.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/DropdownListItem.h"
#include "skin/FontItem.h"
#include "skin/ListCtrlEx.h"
#include "skin/ListPanel.h"
#include "skin/ListPanelItem.h"
#include "skin/ListPopup.h"
#include "skin/PopupBox.h"
#include "skin/VScrollBar.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDarkGrey = RGB(58, 58, 58);
constexpr COLORREF kMidGrey = RGB(105, 112, 119);
constexpr COLORREF kGreen2 = RGB(1, 116, 6);
constexpr COLORREF kBlue2 = RGB(0, 119, 197);

constexpr DWORD kScriptDeadlineMs = 5000;
constexpr LPARAM kGaveUp = -99;

// What a test does once the popup shows: runs inside the popup's modal loop, from a thread timer, with
// the popup and its list. It returns true when done; false asks to be called again on the next tick.
using PopupScript = std::function<bool(HWND popup, HWND list)>;

struct ScriptState {
    PopupScript script;
    DWORD start = 0;
    UINT_PTR timer = 0;
    bool ran = false;
    bool busy = false;
};
ScriptState g_script;

BOOL CALLBACK FindVisiblePopup(HWND wnd, LPARAM found)
{
    wchar_t cls[16] = {};
    ::GetClassNameW(wnd, cls, 16);
    if (::IsWindowVisible(wnd) && std::wstring(cls) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = wnd;  // the first in z-order is the innermost popup
        return FALSE;
    }
    return TRUE;
}

HWND VisiblePopup()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisiblePopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    const HWND popup = VisiblePopup();
    const HWND list = popup ? ::FindWindowExW(popup, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    // A script that pumps messages brings the next tick in while it runs: that one only waits.
    if (g_script.busy)
        return;
    if (g_script.script && popup && list) {
        g_script.busy = true;
        const bool done = g_script.script(popup, list);
        g_script.busy = false;
        if (done) {
            g_script.script = nullptr;
            g_script.ran = true;
        }
    }
    // A popup that never ends would hang the test: end it with a value no real run gives.
    if (::GetTickCount() - g_script.start > kScriptDeadlineMs && popup)
        ::PostMessageW(popup, WM_LISTPANEL_SELECT, 0, kGaveUp);
}

// Runs `script` while `run` shows a popup; the popup's result.
int RunWithScript(const std::function<int()>& run, PopupScript script)
{
    g_script.script = std::move(script);
    g_script.ran = false;
    g_script.start = ::GetTickCount();
    g_script.timer = ::SetTimer(nullptr, 0, 10, ScriptTick);
    const int result = run();
    ::KillTimer(nullptr, g_script.timer);
    g_script.script = nullptr;
    return result;
}

CListPanelList* ListObject(HWND list) { return dynamic_cast<CListPanelList*>(CWnd::FromHandlePermanent(list)); }

RECT RowRect(HWND list, int row)
{
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    ::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

LPARAM RowPoint(HWND list, int row)
{
    const RECT rc = RowRect(list, row);
    return MAKELPARAM(rc.left + 5, (rc.top + rc.bottom) / 2);
}

void Hover(HWND list, LPARAM point) { ::SendMessageW(list, WM_MOUSEMOVE, 0, point); }
void Click(HWND list, LPARAM point)
{
    Hover(list, point);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
}

ListEntries Entries(const std::vector<std::wstring>& texts)
{
    ListEntries entries;
    for (const std::wstring& text : texts)
        entries.push_back(ListEntry{text, nullptr, false});
    return entries;
}

class ListPanelTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        // The real pointer stays far from every popup, so only the messages a test sends move the hot row.
        ::SetCursorPos(1, 1);
        ASSERT_TRUE(m_owner.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                     nullptr));
    }
    void TearDown() override
    {
        m_owner.DestroyWindow();
        SetListPopupApi(nullptr);
        FrameworkTest::TearDown();
    }

    // A popup 120 x 90 at screen (150, 150) with distinct colours.
    std::unique_ptr<CListPanel> MakePanel(const ListEntries* entries, bool sorted = false)
    {
        auto panel = std::make_unique<CListPanel>(&m_owner, PopupBoxTemplate(), sorted, entries,
                                                  RECT{150, 150, 270, 240});
        panel->m_clrText = kWhite;
        panel->m_clrTextHot = kBlack;
        panel->m_clrBack = kBlue;
        panel->m_clrBackHot = kGreen;
        panel->m_clrDisabledText = kWhite;
        panel->m_clrDisabledBack = kMidGrey;
        panel->m_clrBorder = kRed;
        panel->m_borderWidth = 2;
        return panel;
    }
    int Run(CListPanel& panel, PopupScript script)
    {
        return RunWithScript([&] { return static_cast<int>(panel.DoModal()); }, std::move(script));
    }

    CWnd m_owner;
};

TEST_F(ListPanelTest, AClickOnARowEndsThePopupAMomentLaterWithThatEntry)
{
    const ListEntries entries = Entries({L"zero", L"one", L"two"});
    auto panel = MakePanel(&entries);
    DWORD clicked = 0;
    bool focused = false;
    const int result = Run(*panel, [&](HWND, HWND list) {
        focused = ::GetFocus() == list;
        Click(list, RowPoint(list, 2));
        clicked = ::GetTickCount();
        return true;
    });
    const DWORD waited = ::GetTickCount() - clicked;
    EXPECT_EQ(2, result);
    EXPECT_TRUE(focused) << "the list must hold the focus, or losing it could not end the popup";
    EXPECT_GE(waited + 20, CListPanelList::kCloseDelayMs) << "the popup ends after the click's delay";
    EXPECT_EQ(nullptr, panel->m_list) << "the list goes with the popup";
    EXPECT_EQ(nullptr, panel->m_hWnd);
    EXPECT_TRUE(m_owner.IsWindowEnabled());
}

TEST_F(ListPanelTest, SortedRowsStillAnswerWithTheEntrysOwnIndex)
{
    const ListEntries entries = Entries({L"cherry", L"Apple", L"banana"});
    auto panel = MakePanel(&entries, true);
    std::vector<std::wstring> shown;
    const int result = Run(*panel, [&](HWND, HWND list) {
        for (int row = 0; row < 3; ++row)
            shown.push_back(ListObject(list)->GetItemText(row, 0));
        Click(list, RowPoint(list, 1));
        return true;
    });
    EXPECT_EQ((std::vector<std::wstring>{L"Apple", L"banana", L"cherry"}), shown) << "sorted without case";
    EXPECT_EQ(2, result) << "the second row shows entry 2";
}

TEST_F(ListPanelTest, ClicksAwayFromTheRowsAndMovesAfterAClickGiveNoOtherChoice)
{
    const ListEntries entries = Entries({L"zero", L"one"});
    {
        auto panel = MakePanel(&entries);
        const int result = Run(*panel, [&](HWND, HWND list) {
            RECT last = RowRect(list, 1);
            Click(list, MAKELPARAM(10, last.bottom + 10));
            return true;
        });
        EXPECT_EQ(-1, result) << "a click below the last row";
    }
    {
        auto panel = MakePanel(&entries);
        const int result = Run(*panel, [&](HWND, HWND list) {
            Click(list, MAKELPARAM(-30, -30));
            return true;
        });
        EXPECT_EQ(-1, result) << "a click outside the popup reaches the list through the capture";
    }
    {
        auto panel = MakePanel(&entries);
        int step = 0;
        const int result = Run(*panel, [&](HWND, HWND list) {
            if (step++ == 0) {
                Click(list, RowPoint(list, 0));
                return false;
            }
            Hover(list, RowPoint(list, 1));
            return true;
        });
        EXPECT_EQ(0, result) << "the row is frozen once clicked";
    }
    {
        auto panel = MakePanel(&entries);
        const int result = Run(*panel, [&](HWND, HWND list) {
            Hover(list, RowPoint(list, 1));
            ::SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(list, 1));
            return true;
        });
        EXPECT_EQ(-1, result) << "a right click chooses nothing while the mouse stays still";
    }
}

TEST_F(ListPanelTest, LosingTheFocusOrPressingEnterOrEscapeEndsWithNoChoiceAtOnce)
{
    const ListEntries entries = Entries({L"zero", L"one", L"two"});
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 500, 500, 50, 50, nullptr, nullptr));
    {
        auto panel = MakePanel(&entries);
        MSG select = {};
        bool posted = false;
        const int result = Run(*panel, [&](HWND popup, HWND list) {
            Hover(list, RowPoint(list, 1));
            ::SetActiveWindow(other);
            ::SetFocus(other);
            posted = ::PeekMessageW(&select, popup, WM_LISTPANEL_SELECT, WM_LISTPANEL_SELECT, PM_NOREMOVE) != FALSE;
            return true;
        });
        EXPECT_EQ(-1, result);
        EXPECT_TRUE(posted) << "the end is on its way as the focus goes, with no click delay";
        EXPECT_EQ(-1, select.lParam);
    }
    // The dialog turns Enter and Escape into IDOK (1) and IDCANCEL (2): neither may pass for an entry.
    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
        auto panel = MakePanel(&entries);
        const int result = Run(*panel, [&](HWND popup, HWND list) {
            Hover(list, RowPoint(list, 0));
            ::SendMessageW(popup, WM_COMMAND, key == VK_RETURN ? IDOK : IDCANCEL, 0);
            return true;
        });
        EXPECT_EQ(-1, result) << "key " << key;
    }
    other.DestroyWindow();
}

TEST_F(ListPanelTest, ThePopupSitsOnItsRectangleWithTheListInsideTheBorder)
{
    const ListEntries entries = Entries({L"zero"});
    auto panel = MakePanel(&entries);
    RECT popupRect = {}, listRect = {};
    LONG_PTR style = 0;
    const int result = Run(*panel, [&](HWND popup, HWND list) {
        ::GetWindowRect(popup, &popupRect);
        ::GetWindowRect(list, &listRect);
        style = ::GetWindowLongPtrW(list, GWL_STYLE);
        ::SendMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        return true;
    });
    EXPECT_EQ(-1, result) << "a click on the panel itself ends it when there is no scroll bar";
    EXPECT_EQ((std::vector<LONG>{150, 150, 270, 240}),
              (std::vector<LONG>{popupRect.left, popupRect.top, popupRect.right, popupRect.bottom}));
    EXPECT_EQ((std::vector<LONG>{152, 150, 268, 238}),
              (std::vector<LONG>{listRect.left, listRect.top, listRect.right, listRect.bottom}));
    EXPECT_EQ(0x5000C005, style & 0xFFFFFFFF);
}

TEST_F(ListPanelTest, RowsAreDrawnInTheirNormalHotAndDisabledColours)
{
    ListEntries entries = Entries({L"zero", L"one", L"two"});
    entries[2].disabled = true;
    auto panel = MakePanel(&entries);
    std::vector<COLORREF> seen;
    bool shown = false;
    const int result = Run(*panel, [&](HWND, HWND list) {
        Hover(list, RowPoint(list, 1));
        const auto colours = [&] {
            std::vector<COLORREF> colours;
            HDC dc = ::GetDC(list);
            for (int row = 0; row < 3; ++row) {
                const RECT rc = RowRect(list, row);
                colours.push_back(::GetPixel(dc, rc.right - 3, (rc.top + rc.bottom) / 2));
            }
            ::ReleaseDC(list, dc);
            return colours;
        };
        const std::vector<COLORREF> expected = {kBlue, kGreen, kMidGrey};
        shown = PumpUntil([&] {
            ::UpdateWindow(list);
            return colours() == expected;
        });
        seen = colours();
        ::PostMessageW(::GetParent(list), WM_LISTPANEL_SELECT, 0, -1);
        return true;
    });
    EXPECT_EQ(-1, result);
    EXPECT_TRUE(shown);
    EXPECT_EQ((std::vector<COLORREF>{kBlue, kGreen, kMidGrey}), seen) << "normal, hot, disabled";
}

TEST_F(ListPanelTest, TheWheelAndRowScrollingMoveTheListOnlyWhereTheyShould)
{
    std::vector<std::wstring> texts;
    for (int i = 0; i < 30; ++i)
        texts.push_back(L"entry " + std::to_wstring(i));
    const ListEntries entries = Entries(texts);
    {
        auto panel = MakePanel(&entries);
        LRESULT wheel = -1;
        int top = -1;
        const int result = Run(*panel, [&](HWND, HWND list) {
            wheel = ::SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -240), 0);
            PumpUntil([] { return false; }, 50);
            top = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
            ::PostMessageW(::GetParent(list), WM_LISTPANEL_SELECT, 0, -1);
            return true;
        });
        EXPECT_EQ(-1, result);
        EXPECT_EQ(0, wheel) << "no scroll bar, no wheel";
        EXPECT_EQ(0, top);
    }
    {
        auto panel = MakePanel(&entries);
        CBitmap thumb = MakeDib(9, 12);
        panel->m_scrollBarWidth = 9;
        panel->m_scrollBitmaps.thumb = &thumb;
        LRESULT wheel = -1;
        int afterWheel = -1, afterRows = -1;
        RECT barRect = {};
        bool scrolled = false;
        const int result = Run(*panel, [&](HWND popup, HWND list) {
            CListPanelList* object = ListObject(list);
            if (object->m_scrollBar)
                object->m_scrollBar->GetWindowRect(&barRect);
            wheel = ::SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -240), 0);
            scrolled = PumpUntil([&] { return ::SendMessageW(list, LVM_GETTOPINDEX, 0, 0) == 2; }, 2000);
            afterWheel = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
            ::SendMessageW(list, WM_LIST_SCROLLROWS, 3, 0);
            afterRows = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
            // With a scroll bar a click on the panel itself does not end the popup.
            ::SendMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
            ::PostMessageW(popup, WM_LISTPANEL_SELECT, 0, 7);
            return true;
        });
        EXPECT_EQ(7, result);
        EXPECT_EQ(1, wheel);
        EXPECT_TRUE(scrolled);
        EXPECT_EQ(2, afterWheel) << "two notches down scroll two rows";
        EXPECT_GT(afterRows, afterWheel) << "rows further down";
        EXPECT_EQ((std::vector<LONG>{259, 150, 268, 238}),
                  (std::vector<LONG>{barRect.left, barRect.top, barRect.right, barRect.bottom}))
            << "the bar takes the list rectangle's right strip";
    }
}

TEST_F(ListPanelTest, AnItemOpensItsPopupAtAPointOfAWindowWithItsOwnSizeAndEntries)
{
    CListPanelItem item;
    item.m_owner = &m_owner;
    item.m_width = 120;
    item.m_defaultHeight = 90;
    item.SetEntries(Entries({L"cut", L"copy"}));
    item.SetCurSel(0);
    RECT rect = {};
    std::vector<RECT> rects;
    const auto popupAt = [&](int height) {
        return RunWithScript([&] { return item.PopupEntryList(m_owner, height, 20, 30); },
                             [&](HWND popup, HWND list) {
                                 ::GetWindowRect(popup, &rect);
                                 rects.push_back(rect);
                                 Click(list, RowPoint(list, 1));
                                 return true;
                             });
    };
    EXPECT_EQ(1, popupAt(0));
    EXPECT_EQ(1, popupAt(40));
    ASSERT_EQ(2u, rects.size());
    // The default height is made for the tallest rows of any language: a menu ends below its last row.
    EXPECT_EQ((std::vector<LONG>{120, 130, 240}), (std::vector<LONG>{rects[0].left, rects[0].top, rects[0].right}));
    EXPECT_LT(rects[0].bottom, 220);
    EXPECT_GT(rects[0].bottom, 130 + 2 * 16) << "two rows with air between them";
    EXPECT_EQ(170, rects[1].bottom) << "a height given wins over the default";
    EXPECT_EQ(L"cut", item.m_selectedText) << "a choice in the popup is not the item's selection";
}

TEST_F(ListPanelTest, ADropdownOpensTheListPanelBelowItsBoxByDefault)
{
    CDropdownListItem box;
    ASSERT_TRUE(box.Create(L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, RECT{10, 20, 130, 40}, m_owner, 7));
    box.AddEntry(L"first");
    box.AddEntry(L"second");
    box.m_listHeight = 60;
    box.m_leftGap = L"  ";
    RECT rect = {};
    std::wstring prefix;
    RunWithScript(
        [&] {
            box.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            return 0;
        },
        [&](HWND popup, HWND list) {
            ::GetWindowRect(popup, &rect);
            prefix = ListObject(list)->m_prefix;
            Click(list, RowPoint(list, 1));
            return true;
        });
    EXPECT_EQ(1, box.GetCurSel());
    EXPECT_EQ(L"  ", prefix);
    EXPECT_EQ((std::vector<LONG>{110, 140, 230, 200}),
              (std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}));
    box.DestroyWindow();
}

TEST_F(ListPanelTest, ARowWithASubListOpensItBesideTheRowAndKeepsItsChoice)
{
    CListPanelItem subList;
    subList.m_owner = &m_owner;
    subList.m_width = 80;
    subList.SetEntries(Entries({L"a", L"b", L"c", L"d", L"e", L"f", L"g"}));
    ListEntries entries = Entries({L"plain", L"more"});
    entries[1].subList = &subList;
    auto panel = MakePanel(&entries);
    HWND outer = nullptr;
    RECT row = {}, nested = {};
    int rowHeight = 0;
    const int result = Run(*panel, [&](HWND popup, HWND list) {
        if (!outer) {
            outer = popup;
            row = RowRect(list, 1);
            rowHeight = row.bottom - row.top;
            ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
            Hover(list, RowPoint(list, 1));
            ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(list, 1));
            return false;
        }
        if (popup == outer)
            return false;
        ::GetWindowRect(popup, &nested);
        Click(list, RowPoint(list, 2));
        return true;
    });
    EXPECT_EQ(1, result) << "the outer popup still ends with its own row";
    EXPECT_EQ(L"c", subList.m_selectedText) << "the nested choice becomes the sub-list's selection";
    EXPECT_EQ((std::vector<LONG>{row.right, row.top, row.right + 80, row.top + 5 * rowHeight}),
              (std::vector<LONG>{nested.left, nested.top, nested.right, nested.bottom}))
        << "beside the row, at most five rows high";
}

// A page of a skinned dialog as the configurator holds one: a drop-down and a table with its context
// menu, all items of the panel. A device removal closes it by freeing the whole page at once.
bool g_removedWhileListOpen = false;

class CRemovablePage : public CPopupBox {
public:
    explicit CRemovablePage(std::unique_ptr<CRemovablePage>& holder)
        : CPopupBox(nullptr, RECT{100, 100, 400, 300}, PopupBoxTemplate()), m_holder(holder)
    {
    }

    BEGIN_MSG_MAP(CRemovablePage)
        MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
        CHAIN_MSG_MAP(CPopupBox)
    END_MSG_MAP()

    bool Build()
    {
        if (!Create())
            return false;
        ShowWindow(SW_SHOWNOACTIVATE);
        m_box = new CDropdownListItem;
        m_items.push_back(m_box);
        m_box->AddEntry(L"first");
        m_box->m_listHeight = 60;
        auto* menu = new CListPanelItem;
        m_items.push_back(menu);
        menu->m_owner = this;
        menu->m_width = 100;
        menu->m_defaultHeight = 60;
        menu->SetEntries(Entries({L"cut"}));
        m_table = new CXListCtrl;
        m_items.push_back(m_table);
        m_table->m_contextMenu = menu;
        return m_box->Create(L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, RECT{10, 10, 130, 30}, m_hWnd, 7) &&
               m_table->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{10, 40, 290, 190}, m_hWnd, 8) &&
               m_table->AddColumn(L"Name", 2, XListColumnKind::Edit, 200, false, nullptr, nullptr, nullptr) == 0 &&
               m_table->InsertRow(0, kWhite, kBlue, kBlue, kWhite) == 0;
    }

    CDropdownListItem* m_box = nullptr;
    CXListCtrl* m_table = nullptr;

private:
    LRESULT OnDeviceChange(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        if (wParam == DBT_DEVICEREMOVECOMPLETE) {
            g_removedWhileListOpen = !IsWindowEnabled();  // a list popup disables the page it runs on
            m_holder.reset();
        }
        return TRUE;
    }

    std::unique_ptr<CRemovablePage>& m_holder;
};

class PageRemovalTest : public ListPanelTest {
protected:
    void SetUp() override
    {
        ListPanelTest::SetUp();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        m_page = std::make_unique<CRemovablePage>(m_page);
        ASSERT_TRUE(m_page->Build());
    }
    void TearDown() override
    {
        m_page.reset();
        ListPanelTest::TearDown();
    }

    // Opens a list with `press` and, while it shows, removes the device: the page must be gone, and
    // nothing may write to its memory after it was freed.
    void RemoveWhileOpen(const std::function<void()>& press)
    {
        g_removedWhileListOpen = false;
        const HWND page = *m_page;
        heapwatch::Quarantine freed;
        RunWithScript(
            [&] {
                press();
                return 0;
            },
            [&](HWND popup, HWND) {
                if (popup == page)
                    return false;
                ::SendMessageW(page, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
                return true;
            });
        EXPECT_TRUE(g_removedWhileListOpen);
        EXPECT_FALSE(m_page);
        EXPECT_FALSE(::IsWindow(page));
        EXPECT_EQ(0, freed.WrittenAfterDelete()) << "blocks of the freed page written to";
    }

    std::unique_ptr<CRemovablePage> m_page;
};

TEST_F(PageRemovalTest, ADeviceRemovalWhileADropdownIsOpenClosesThePageSafely)
{
    const HWND box = *m_page->m_box;
    RemoveWhileOpen([&] { ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); });
}

TEST_F(PageRemovalTest, ADeviceRemovalWhileATablesMenuIsOpenClosesThePageSafely)
{
    const HWND table = *m_page->m_table;
    RECT cell = {};
    ASSERT_TRUE(m_page->m_table->GetCellRect(0, 0, &cell));
    const LPARAM at = MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2);
    RemoveWhileOpen([&] {
        // The list-view follows a right press until the button comes up.
        ::PostMessageW(table, WM_RBUTTONUP, 0, at);
        ::SendMessageW(table, WM_RBUTTONDOWN, MK_RBUTTON, at);
    });
}

TEST(ListPanelItemTest, EntriesAndSelectionFollowTheEntryTexts)
{
    CListPanelItem subList;
    CListPanelItem item;
    ListEntries given = Entries({L"alpha", L"Beta", L"beta"});
    given[1].disabled = true;
    given[2].subList = &subList;
    item.SetEntries(given);
    ASSERT_EQ(3u, item.m_entries.size());
    EXPECT_FALSE(item.m_entries[1].disabled) << "copies start enabled";
    EXPECT_EQ(&subList, item.m_entries[2].subList);
    EXPECT_EQ(L"", item.GetEntryText(3));
    EXPECT_EQ(L"", item.GetEntryText(-1));
    EXPECT_EQ(nullptr, item.GetEntryTextOrNull(3));
    ASSERT_NE(nullptr, item.GetEntryTextOrNull(1));
    EXPECT_EQ(L"Beta", *item.GetEntryTextOrNull(1));

    LVFINDINFOW find = {};
    find.flags = LVFI_STRING;
    find.psz = L"beta";
    EXPECT_EQ(2, item.FindEntry(&find)) << "exact case";
    find.flags = LVFI_PARAM;
    EXPECT_EQ(-1, item.FindEntry(&find));

    EXPECT_EQ(-1, item.GetCurSel());
    EXPECT_EQ(0, item.SetCurSel(3));
    EXPECT_EQ(1, item.SetCurSel(1));
    EXPECT_EQ(1, item.GetCurSel());
    item.SetEntries(Entries({L"other"}));
    EXPECT_EQ(-1, item.GetCurSel()) << "a selected text that is no entry's is no selection";

    // The drop-down reads a sub-list's choice through the default popup table.
    std::wstring text = L"unchanged";
    EXPECT_EQ(-1, ListPopup().SubListChoice(&item, &text));
    EXPECT_EQ(L"unchanged", text);
    item.SetCurSel(0);
    EXPECT_EQ(0, ListPopup().SubListChoice(&item, &text));
    EXPECT_EQ(L"other", text);
}

class ListPanelElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
        Write(L"skins\\thumb.bmp", SolidBmpFile(11, 14, kRed));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    CWnd m_parent;
};

TEST_F(ListPanelElementTest, AListPanelElementBuildsAWindowlessItemWithItsLookAndEntries)
{
    WriteXml(L"panel.xml",
             "<ITEMLIST>\n"
             " <FONTLIST><FONT name=\"FONT_ARIAL10\" typeface=\"Arial\" pitch=\"10\"/></FONTLIST>\n"
             " <LISTPANELLIST>\n"
             "  <LISTPANEL name=\"NO_SUCH_PANEL\"><RECT right=\"9\" bottom=\"9\"/></LISTPANEL>\n"
             "  <LISTPANEL name=\"LIST_DROPDOWN_POPUP\" fontid=\"FONT_ARIAL10\" fontclr=\"RED\" fontclrhi=\"GREEN\"\n"
             "         disbfontclr=\"BLUE\" backclr=\"WHITE\" backclrhi=\"DARKGREY\" bdrclr=\"MIDGREY\"\n"
             "         disbbackclr=\"GREEN2\" bdrwidth=\"-4\" sorted=\"true\">\n"
             "   <RECT left=\"10\" top=\"10\" right=\"120\" bottom=\"90\"/>\n"
             "   <VSCROLL><VSBMP_TMB>thumb.bmp</VSBMP_TMB></VSCROLL>\n"
             "   <LISTPANELITEMS><LISTPANELITEM>  Cut\t</LISTPANELITEM><LISTPANELITEM>\xC3\xBC" "ber</LISTPANELITEM>"
             "</LISTPANELITEMS>\n"
             "  </LISTPANEL>\n"
             "  <LISTPANEL name=\"LIST_PROFILELIST\"/>\n"
             " </LISTPANELLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"panel.xml", &m_parent);
    ASSERT_EQ(3u, m_list.size()) << "an unknown name gives no item";
    auto* item = dynamic_cast<CListPanelItem*>(m_list[1]);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(FindSkinResourceId(L"LIST_DROPDOWN_POPUP"), item->m_id);
    EXPECT_EQ(SkinItemType::ListPanel, item->m_type);
    EXPECT_EQ(nullptr, item->m_window);
    EXPECT_EQ(&m_parent, item->m_owner);
    EXPECT_EQ(120, item->m_width) << "RECT's right, read as it stands";
    EXPECT_EQ(90, item->m_defaultHeight);
    EXPECT_EQ(static_cast<CFont*>(dynamic_cast<CFontItem*>(m_list[0])), item->m_font);
    EXPECT_EQ((std::vector<COLORREF>{kRed, kGreen, kBlue, kWhite, kDarkGrey, kMidGrey, kGreen2}),
              (std::vector<COLORREF>{item->m_clrText, item->m_clrTextHot, item->m_clrDisabledText, item->m_clrBack,
                                     item->m_clrBackHot, item->m_clrBorder, item->m_clrDisabledBack}));
    EXPECT_EQ(0, item->m_borderWidth);
    EXPECT_TRUE(item->m_sorted);
    EXPECT_EQ(11, item->m_scrollBarWidth);
    EXPECT_NE(nullptr, item->m_scrollBitmaps.thumb);
    ASSERT_EQ(2u, item->m_entries.size());
    EXPECT_EQ(L"Cut", item->GetEntryText(0));
    EXPECT_EQ(L"\u00FCber", item->GetEntryText(1));

    auto* plain = dynamic_cast<CListPanelItem*>(m_list[2]);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ((std::vector<COLORREF>{0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0}),
              (std::vector<COLORREF>{plain->m_clrText, plain->m_clrTextHot, plain->m_clrDisabledText,
                                     plain->m_clrBack, plain->m_clrBackHot, plain->m_clrBorder,
                                     plain->m_clrDisabledBack}));
    EXPECT_EQ(1, plain->m_borderWidth);
    EXPECT_FALSE(plain->m_sorted);
    EXPECT_EQ(0, plain->m_scrollBarWidth);
    EXPECT_TRUE(plain->m_entries.empty());
}

} // namespace
