// Child notifications handed back to the child's own object, and to the parent when the child passes.
#include "TestSupport.h"

#include "framework/Gdi.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kChildId = 20;
constexpr UINT kCustomCode = 0x7001;
constexpr COLORREF kChildColour = RGB(0, 200, 0);
constexpr COLORREF kParentColour = RGB(0, 0, 200);

struct NMCUSTOM {
    NMHDR hdr;
    int value;
};

// Takes its reflected notifications while `takes` is set, and counts those it took.
class CChild : public CWnd {
public:
    bool takes = true;
    int taken = 0;
    CBrush brush{kChildColour};

    BEGIN_MSG_MAP(CChild)
        REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
        REFLECTED_NOTIFY_CODE_HANDLER(kCustomCode, OnCustom)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
        MESSAGE_RANGE_HANDLER(OCM_CTLCOLORMSGBOX, OCM_CTLCOLORSTATIC, OnCtlColor)
    END_MSG_MAP()

private:
    LRESULT Take(BOOL& handled, LRESULT result)
    {
        handled = takes;
        taken += takes;
        return result;
    }
    LRESULT OnClicked(WORD, WORD, HWND, BOOL& handled) { return Take(handled, 0); }
    LRESULT OnCustom(int, NMHDR* nm, BOOL& handled)
    {
        return Take(handled, reinterpret_cast<NMCUSTOM*>(nm)->value);
    }
    LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        return Take(handled, reinterpret_cast<LRESULT>(static_cast<HBRUSH>(brush)));
    }
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& handled)
    {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (takes)
            ::FillRect(item->hDC, &item->rcItem, brush);
        return Take(handled, TRUE);
    }
};

// Logs what its children leave to its map.
class CParent : public CWnd {
public:
    std::vector<UINT> seen;
    CBrush brush{kParentColour};

    long Saw(UINT msg) const { return std::count(seen.begin(), seen.end(), msg); }

    BEGIN_MSG_MAP(CParent)
        COMMAND_HANDLER(kChildId, BN_CLICKED, OnClicked)
        NOTIFY_HANDLER(kChildId, kCustomCode, OnCustom)
        MESSAGE_HANDLER(WM_DRAWITEM, OnMessage)
        MESSAGE_RANGE_HANDLER(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, OnMessage)
    END_MSG_MAP()

private:
    LRESULT OnClicked(WORD, WORD, HWND, BOOL&) { return seen.push_back(WM_COMMAND), 0; }
    LRESULT OnCustom(int, NMHDR*, BOOL&) { return seen.push_back(WM_NOTIFY), -5; }
    LRESULT OnMessage(UINT msg, WPARAM, LPARAM, BOOL&)
    {
        seen.push_back(msg);
        return msg == WM_DRAWITEM ? TRUE : reinterpret_cast<LRESULT>(static_cast<HBRUSH>(brush));
    }
};

class ReflectionTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(CreatePopup(parent));
    }
    void TearDown() override
    {
        parent.DestroyWindow();
        FrameworkTest::TearDown();
    }

    // Has the control paint itself into a 32-bit bitmap, and reads back one pixel.
    static COLORREF PaintedPixel(HWND control, int x, int y)
    {
        CDC dc;
        CBitmap bitmap;
        if (!dc.CreateCompatibleDC(nullptr) || !bitmap.CreateDIBSection32(dc, 100, 30, nullptr))
            return CLR_INVALID;
        CSelectObject select(dc, bitmap);
        dc.FillSolidRect(RECT{0, 0, 100, 30}, RGB(255, 255, 255));
        ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.m_hDC), PRF_CLIENT);
        return dc.GetPixel(x, y);
    }

    CChild child;
    CParent parent;
};

TEST_F(ReflectionTest, ButtonClickGoesToTheChildOrElseToTheParent)
{
    ASSERT_TRUE(CreateChild(child, parent, kChildId, L"BUTTON"));
    child.SendMessage(BM_CLICK);
    EXPECT_EQ(child.taken, 1);
    EXPECT_TRUE(parent.seen.empty());

    child.takes = false;
    child.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.Saw(WM_COMMAND), 1);
}

TEST_F(ReflectionTest, NotifyWithCustomHeaderIsAnsweredByTheChild)
{
    ASSERT_TRUE(CreateChild(child, parent, kChildId));
    NMCUSTOM nm = {{child, kChildId, kCustomCode}, 42};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, kChildId, reinterpret_cast<LPARAM>(&nm)), 42);
    EXPECT_TRUE(parent.seen.empty());

    child.takes = false;
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, kChildId, reinterpret_cast<LPARAM>(&nm)), -5);
    EXPECT_EQ(parent.Saw(WM_NOTIFY), 1);
}

TEST_F(ReflectionTest, OwnerDrawnButtonIsDrawnByItsObject)
{
    ASSERT_TRUE(CreateChild(child, parent, kChildId, L"BUTTON", BS_OWNERDRAW));
    EXPECT_EQ(PaintedPixel(child, 5, 5), kChildColour);
    EXPECT_TRUE(parent.seen.empty());

    child.takes = false;
    PaintedPixel(child, 5, 5);
    EXPECT_EQ(parent.Saw(WM_DRAWITEM), 1);
}

TEST_F(ReflectionTest, ControlsPaintWithTheBrushTheirObjectReturns)
{
    const std::pair<const wchar_t*, UINT> controls[] = {{L"STATIC", WM_CTLCOLORSTATIC},
                                                        {L"EDIT", WM_CTLCOLOREDIT}};
    for (const auto& [cls, ctlColor] : controls) {
        CChild control;
        ASSERT_TRUE(CreateChild(control, parent, kChildId, cls)) << cls;
        EXPECT_EQ(PaintedPixel(control, 40, 10), kChildColour) << cls;
        EXPECT_TRUE(parent.seen.empty()) << cls;

        control.takes = false;
        EXPECT_EQ(PaintedPixel(control, 40, 10), kParentColour) << cls;
        EXPECT_GE(parent.Saw(ctlColor), 1) << cls;
        parent.seen.clear();
    }
}

TEST_F(ReflectionTest, NotificationComesBackThroughAContainer)
{
    CParent container;
    ASSERT_TRUE(CreateChild(container, parent, 30));
    ASSERT_TRUE(CreateChild(child, container, kChildId, L"BUTTON"));
    child.SendMessage(BM_CLICK);
    EXPECT_EQ(child.taken, 1);
    EXPECT_TRUE(container.seen.empty());

    child.takes = false;
    child.SendMessage(BM_CLICK);
    EXPECT_EQ(container.Saw(WM_COMMAND), 1);
    EXPECT_TRUE(parent.seen.empty());
}

} // namespace
