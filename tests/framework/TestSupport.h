// Helpers of the framework tests: a window class of our own, a message pump bounded by a deadline, and
// a fixture that checks each test unbinds every window it bound.
#pragma once

#include "framework/Wnd.h"

#include <gtest/gtest.h>

#include <functional>

inline const wchar_t* TestWndClass()
{
    static const bool registered = CWnd::RegisterWndClass(L"TessaryFrameworkTest");
    return registered ? L"TessaryFrameworkTest" : nullptr;
}

// A hidden top-level window of our class.
inline BOOL CreatePopup(CWnd& wnd, const wchar_t* title = L"", DWORD style = WS_POPUP)
{
    return wnd.CreateEx(0, TestWndClass(), title, style, 0, 0, 200, 100, nullptr, nullptr);
}

// A visible 80 x 20 child in the top left corner of its parent.
inline BOOL CreateChild(CWnd& wnd, HWND parent, int id, const wchar_t* cls = TestWndClass(), DWORD style = 0,
                        const wchar_t* title = L"")
{
    return wnd.Create(cls, title, WS_CHILD | WS_VISIBLE | style, RECT{0, 0, 80, 20}, parent, id);
}

// Handles this thread's messages, each through the pre-translation walk first, until done() holds or the
// deadline passes (looking again every 50 ms without a message). A WM_QUIT met on the way is put back for
// the caller.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
{
    return PumpMessagesUntil(done, timeoutMs, MessagePumpOptions{50, &WalkPreTranslateTree, true});
}

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { m_boundBefore = CWnd::BoundWindowCount(); }
    void TearDown() override { EXPECT_EQ(CWnd::BoundWindowCount(), m_boundBefore) << "a window stayed bound"; }

private:
    size_t m_boundBefore = 0;
};
