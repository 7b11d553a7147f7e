// Binding of window objects, message-map dispatch with default processing, and unbinding on destruction.
#include "TestSupport.h"

#include <algorithm>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kPreSubclass = 0xFFFFFFFFu;
constexpr UINT kFinal = 0xFFFFFFFEu;

// Logs every message its map sees and both hooks; refuses creation at the message named by `refuse`.
class CRecorder : public CWnd {
public:
    std::vector<UINT> seen;
    UINT refuse = 0;

    void PreSubclassWindow() override { seen.push_back(kPreSubclass); }
    void OnFinalMessage(HWND) override { seen.push_back(kFinal); }
    BOOL ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, DWORD) override
    {
        seen.push_back(msg);
        result = msg == WM_CREATE ? -1 : FALSE;
        return msg == refuse;
    }
    size_t IndexOf(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) - seen.begin(); }
    size_t Count(UINT msg) const { return std::count(seen.begin(), seen.end(), msg); }
};

void ExpectBoundFromFirstMessage(const CRecorder& wnd, const wchar_t* what)
{
    ASSERT_FALSE(wnd.seen.empty()) << what;
    EXPECT_EQ(wnd.seen.front(), kPreSubclass) << what;
    EXPECT_LT(wnd.IndexOf(WM_NCCREATE), wnd.IndexOf(WM_CREATE)) << what;
    EXPECT_LT(wnd.IndexOf(WM_CREATE), wnd.seen.size()) << what;
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd), &wnd) << what;
}

using BindingTest = FrameworkTest;

TEST_F(BindingTest, ObjectSeesCreationOfOwnAndSystemClasses)
{
    CRecorder parent;
    ASSERT_TRUE(CreatePopup(parent, L"", WS_OVERLAPPEDWINDOW));
    ExpectBoundFromFirstMessage(parent, L"own class");
    for (const wchar_t* cls : {L"EDIT", L"BUTTON"}) {
        CRecorder control;
        ASSERT_TRUE(CreateChild(control, parent, 10, cls, 0, L"x")) << cls;
        ExpectBoundFromFirstMessage(control, cls);
        // The control's own procedure still runs behind the map.
        EXPECT_EQ(control.GetWindowText(), L"x") << cls;
    }
    parent.DestroyWindow();
}

TEST_F(BindingTest, WindowThatRefusesCreationLeavesObjectUnbound)
{
    for (UINT refuse : {WM_NCCREATE, WM_CREATE}) {
        CRecorder wnd;
        wnd.refuse = refuse;
        EXPECT_FALSE(CreatePopup(wnd)) << refuse;
        EXPECT_EQ(wnd.m_hWnd, nullptr) << refuse;
    }
}

// Three WM_SETTEXT entries over two chained maps; `taker` names the one that keeps the message.
class CBaseMap : public CWnd {
public:
    std::vector<std::string> calls;
    std::string taker;

    BEGIN_MSG_MAP(CBaseMap)
        MESSAGE_HANDLER(WM_SETTEXT, OnBase)
    END_MSG_MAP()

protected:
    LRESULT Log(const char* name, BOOL& handled)
    {
        calls.push_back(name);
        handled = taker == name;
        return 100 + static_cast<LRESULT>(calls.size());
    }
    LRESULT OnBase(UINT, WPARAM, LPARAM, BOOL& handled) { return Log("base", handled); }
};

class CDerivedMap : public CBaseMap {
public:
    BEGIN_MSG_MAP(CDerivedMap)
        MESSAGE_HANDLER(WM_SETTEXT, OnFirst)
        MESSAGE_HANDLER(WM_SETTEXT, OnSecond)
        CHAIN_MSG_MAP(CBaseMap)
    END_MSG_MAP()

private:
    LRESULT OnFirst(UINT, WPARAM, LPARAM, BOOL& handled) { return Log("first", handled); }
    LRESULT OnSecond(UINT, WPARAM, LPARAM, BOOL& handled) { return Log("second", handled); }
};

using DispatchTest = FrameworkTest;

TEST_F(DispatchTest, EntriesRunInOrderUntilOneKeepsTheMessage)
{
    using Calls = std::vector<std::string>;
    CDerivedMap wnd;
    ASSERT_TRUE(CreatePopup(wnd, L"old"));
    const Calls all = {"first", "second", "base"};
    for (size_t taker = 0; taker < all.size(); ++taker) {
        wnd.calls.clear();
        wnd.taker = all[taker];
        EXPECT_EQ(wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"new")), 101 + LRESULT(taker));
        EXPECT_EQ(wnd.calls, Calls(all.begin(), all.begin() + taker + 1));
        EXPECT_EQ(wnd.GetWindowText(), L"old") << "default processing despite " << wnd.taker;
    }
    // Nobody keeps it: default processing sets the text.
    wnd.calls.clear();
    wnd.taker.clear();
    EXPECT_TRUE(wnd.SetWindowText(L"new"));
    EXPECT_EQ(wnd.calls, all);
    EXPECT_EQ(wnd.GetWindowText(), L"new");
    wnd.DestroyWindow();
}

// An edit control whose handlers defer to the control; typed letters are upper-cased on the way.
class CUpperEdit : public CWnd {
public:
    int setTexts = 0;

    BEGIN_MSG_MAP(CUpperEdit)
        MESSAGE_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
    END_MSG_MAP()

private:
    LRESULT OnChar(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        return DefWindowProc(msg, std::towupper(static_cast<wint_t>(wParam)), lParam);
    }
    LRESULT OnSetText(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++setTexts;
        return DefWindowProc();
    }
};

TEST_F(DispatchTest, DefaultProcessingReachesTheControlsOwnProcedure)
{
    CWnd parent;
    ASSERT_TRUE(CreatePopup(parent));
    CUpperEdit edit;
    ASSERT_TRUE(CreateChild(edit, parent, 11, L"EDIT"));
    EXPECT_TRUE(edit.SetWindowText(L"ab"));
    EXPECT_EQ(edit.setTexts, 1);
    edit.SendMessage(EM_SETSEL, 2, 2);
    edit.SendMessage(WM_CHAR, L'c', 1);
    EXPECT_EQ(edit.GetWindowText(), L"abC");
    parent.DestroyWindow();
}

using DestructionTest = FrameworkTest;

TEST_F(DestructionTest, DestroyWindowUnbindsThenRunsOneFinalMessage)
{
    const size_t before = CWnd::BoundWindowCount();
    CRecorder wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    const HWND hwnd = wnd;
    EXPECT_EQ(CWnd::BoundWindowCount(), before + 1);
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
    EXPECT_EQ(CWnd::BoundWindowCount(), before);
    EXPECT_EQ(wnd.Count(kFinal), 1u);
    EXPECT_EQ(wnd.IndexOf(kFinal), wnd.IndexOf(WM_NCDESTROY) + 1);
    EXPECT_EQ(wnd.seen.back(), kFinal);
}

TEST_F(DestructionTest, DestroyingTheObjectDestroysItsWindowAndUnbindsChildren)
{
    CRecorder child;
    auto parent = std::make_unique<CWnd>();
    ASSERT_TRUE(CreatePopup(*parent));
    ASSERT_TRUE(CreateChild(child, *parent, 12));
    const HWND parentWnd = *parent;
    const HWND childWnd = child;
    parent.reset();
    EXPECT_FALSE(::IsWindow(parentWnd));
    EXPECT_FALSE(::IsWindow(childWnd));
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(childWnd), nullptr);
    EXPECT_EQ(child.Count(kFinal), 1u);
}

} // namespace
