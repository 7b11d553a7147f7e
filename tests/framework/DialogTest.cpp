// Dialogs: modal loops (ended from inside, nested, ended by WM_QUIT), owner disabling, the
// PreTranslateMessage walk before IsDialogMessage, and modeless dialogs.
#include "TestSupport.h"

#include "framework/Dialog.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using Log = std::vector<std::string>;
constexpr UINT_PTR kWatchdogTimer = 99;
constexpr int kTimedOut = -77;

// A dialog driven from inside its own loop through hooks for OnInitDialog and WM_APP. It logs what it
// sees, and a watchdog ends a loop that would otherwise never end.
class CTestDialog : public CDialog {
public:
    using CDialog::CDialog;
    std::function<void(CTestDialog&)> onInit;
    std::function<void(CTestDialog&)> onApp;
    Log log;
    int hides = 0;  // times the dialog was hidden

    BEGIN_MSG_MAP(CTestDialog)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_APP, OnApp)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_WINDOWPOSCHANGING, OnPosChanging)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

    BOOL OnInitDialog() override
    {
        log.push_back("init");
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void OnOK() override
    {
        log.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        log.push_back("cancel");
        CDialog::OnCancel();
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN)
            log.push_back("pretranslate dialog");
        return CDialog::PreTranslateMessage(msg);
    }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        log.push_back("create");
        SetTimer(kWatchdogTimer, 10000);
        handled = FALSE;
        return 0;
    }
    LRESULT OnApp(UINT, WPARAM, LPARAM, BOOL&)
    {
        if (onApp)
            onApp(*this);
        return 0;
    }
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&)
    {
        // Should ending fail too, destroying the dialog still ends its loop.
        if (std::exchange(m_watchdogFired, true))
            DestroyWindow();
        else
            EndDialog(kTimedOut);
        return 0;
    }
    LRESULT OnPosChanging(UINT, WPARAM, LPARAM lParam, BOOL& handled)
    {
        if (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)
            ++hides;
        handled = FALSE;
        return 0;
    }
    bool m_watchdogFired = false;
};

// A child window that logs the keys its PreTranslateMessage sees, and keeps them when told to.
class CKeyChild : public CWnd {
public:
    CKeyChild(Log& log, const char* name) : m_log(log), m_name(name) {}
    bool consumes = false;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != WM_KEYDOWN)
            return FALSE;
        m_log.push_back(std::string("pretranslate ") + m_name);
        return consumes;
    }

private:
    Log& m_log;
    const char* m_name;
};

using DialogTest = FrameworkTest;

TEST_F(DialogTest, DoModalReturnsTheResultGivenToEndDialog)
{
    CTestDialog dialog;
    dialog.onInit = [](CTestDialog& d) { d.PostMessage(WM_APP); };
    dialog.onApp = [](CTestDialog& d) { d.EndDialog(1234); };
    EXPECT_EQ(dialog.DoModal(), 1234);
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    // The same object runs further loops: ended inside OnInitDialog, then through the OnOK virtual.
    dialog.onInit = [](CTestDialog& d) { d.EndDialog(5); };
    EXPECT_EQ(dialog.DoModal(), 5);
    dialog.onInit = [](CTestDialog& d) { d.PostMessage(WM_COMMAND, IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.log.back(), "ok");
}

TEST_F(DialogTest, NestedModalLoopsEndInnerFirstAndReenableTheirOwners)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner, L"", WS_OVERLAPPEDWINDOW));
    CTestDialog outer(&owner);
    CTestDialog inner(&outer);
    INT_PTR innerResult = 0;
    bool ownerEnabledInInner = true, outerEnabledInInner = true;
    bool outerEnabledAfterInner = false, ownerEnabledAfterInner = true;

    inner.onInit = [](CTestDialog& d) { d.PostMessage(WM_APP); };
    inner.onApp = [&](CTestDialog& d) {
        ownerEnabledInInner = owner.IsWindowEnabled();
        outerEnabledInInner = outer.IsWindowEnabled();
        d.EndDialog(7);
    };
    outer.onInit = [](CTestDialog& d) { d.PostMessage(WM_APP); };
    outer.onApp = [&](CTestDialog& d) {
        if (innerResult != 0)
            return d.EndDialog(8);
        innerResult = inner.DoModal();
        outerEnabledAfterInner = d.IsWindowEnabled();
        ownerEnabledAfterInner = owner.IsWindowEnabled();
        d.PostMessage(WM_APP); // only a running outer loop ends the outer dialog now
    };

    EXPECT_EQ(outer.DoModal(), 8);
    EXPECT_EQ(innerResult, 7);
    EXPECT_FALSE(ownerEnabledInInner);
    EXPECT_FALSE(outerEnabledInInner);
    EXPECT_TRUE(outerEnabledAfterInner);
    EXPECT_FALSE(ownerEnabledAfterInner);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

// Two popups of one owner, the second opened while the first runs (a warning over a warning): when the
// second ends, the first is the active window again, not the owner it disables, which would cover it.
// Neither is hidden before it goes: on a display without a window manager each hide would stand the
// program still for two seconds under Wine, and take the clicks meant for the window below.
TEST_F(DialogTest, EndedPopupGoesAtOnceAndHandsActivationToThePopupBelow)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner, L"", WS_OVERLAPPEDWINDOW));
    owner.ShowWindow(SW_SHOW);
    ::SetActiveWindow(owner);
    CTestDialog below(&owner);
    CTestDialog above(&owner);
    HWND activeAfterAbove = nullptr;
    above.onInit = [](CTestDialog& d) { d.PostMessage(WM_APP); };
    above.onApp = [](CTestDialog& d) { d.EndDialog(1); };
    below.onInit = [](CTestDialog& d) { d.PostMessage(WM_APP); };
    below.onApp = [&](CTestDialog& d) {
        if (activeAfterAbove)
            return d.EndDialog(2);
        EXPECT_EQ(above.DoModal(), 1);
        activeAfterAbove = ::GetActiveWindow();
        EXPECT_EQ(activeAfterAbove, d.m_hWnd) << "the popup below lost the activation to the disabled owner";
        d.PostMessage(WM_APP);
    };
    EXPECT_EQ(below.DoModal(), 2);
    EXPECT_EQ(::GetActiveWindow(), owner.m_hWnd);
    EXPECT_EQ(above.hides + below.hides, 0);
    owner.DestroyWindow();
}

TEST_F(DialogTest, QuitInsideNestedLoopsEndsBothAndStaysQueued)
{
    CTestDialog outer;
    CTestDialog inner(&outer);
    INT_PTR innerResult = 0;
    inner.onInit = [](CTestDialog&) { ::PostQuitMessage(3); };
    outer.onInit = [](CTestDialog& d) { d.PostMessage(WM_APP); };
    outer.onApp = [&](CTestDialog&) { innerResult = inner.DoModal(); };

    EXPECT_EQ(outer.DoModal(), -1);
    EXPECT_EQ(innerResult, -1);
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

// dialog > container > leaf; Escape is posted to the leaf from inside the modal loop.
class PreTranslateTest : public FrameworkTest {
protected:
    INT_PTR RunWithEscapeToLeaf(bool leafConsumes)
    {
        CKeyChild container(dialog.log, "container");
        CKeyChild leaf(dialog.log, "leaf");
        leaf.consumes = leafConsumes;
        dialog.onInit = [&](CTestDialog& d) {
            EXPECT_TRUE(CreateChild(container, d, 40));
            EXPECT_TRUE(CreateChild(leaf, container, 41));
            ::PostMessageW(leaf, WM_KEYDOWN, VK_ESCAPE, 1);
            d.PostMessage(WM_APP); // ends the dialog unless the key did
        };
        dialog.onApp = [](CTestDialog& d) { d.EndDialog(100); };
        return dialog.DoModal();
    }
    CTestDialog dialog;
};

TEST_F(PreTranslateTest, WalkGoesFromTheTargetUpToTheDialog)
{
    EXPECT_EQ(RunWithEscapeToLeaf(false), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"create", "init", "pretranslate leaf", "pretranslate container",
                               "pretranslate dialog", "cancel"}));
}

TEST_F(PreTranslateTest, KeyConsumedByAChildNeverReachesTheDialog)
{
    EXPECT_EQ(RunWithEscapeToLeaf(true), 100);
    EXPECT_EQ(dialog.log, (Log{"create", "init", "pretranslate leaf"}));
}

TEST_F(DialogTest, ModelessDialogTakesKeysThroughPumpMessage)
{
    CTestDialog dialog;
    CKeyChild child(dialog.log, "child");
    dialog.onInit = [&](CTestDialog& d) {
        EXPECT_TRUE(CreateChild(child, d, 42));
    };
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(dialog.IsModal());
    dialog.ShowWindow(SW_SHOW);
    ::PostMessageW(child, WM_KEYDOWN, VK_RETURN, 1);
    // Enter without a default button is IDOK, which destroys a modeless dialog.
    EXPECT_TRUE(PumpUntil([&] { return dialog.m_hWnd == nullptr; }));
    EXPECT_EQ(dialog.log, (Log{"create", "init", "pretranslate child", "pretranslate dialog", "ok"}));
    EXPECT_EQ(child.m_hWnd, nullptr);
    dialog.DestroyWindow();

    ::PostQuitMessage(9);
    EXPECT_EQ(RunMessageLoop(), 9);
}

} // namespace
