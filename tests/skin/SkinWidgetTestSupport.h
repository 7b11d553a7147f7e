// Shared set-up of the widget tests: a visible panel in a fresh program folder that skin files are
// loaded into and that records the notifications its widgets send and post, and a parent window that
// records the commands of its children; a stand-in for BITMAPITEM containers; a bitmap button with a
// solid image per state.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../framework/TestSupport.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

// A widget's notification (a message from WM_USER on) and the window it went to.
struct Notification {
    HWND to;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Notification& other) const
    {
        return to == other.to && msg == other.msg && wParam == other.wParam && lParam == other.lParam;
    }
};

// A top-level panel that records the notifications sent to it and those posted to it or to any window
// inside it (seen on their way through the message loop, so PumpUntil must run for them).
class CNotificationPanel : public CWnd {
public:
    std::vector<Notification> received;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message >= WM_USER && msg->message < 0x8000) {
            received.push_back({msg->hwnd, msg->message, msg->wParam, msg->lParam});
            m_postedToSelf = msg->hwnd == m_hWnd;
        }
        return FALSE;
    }
    // The notifications of one kind, in order of arrival.
    std::vector<Notification> Of(UINT msg) const
    {
        std::vector<Notification> found;
        for (const Notification& n : received) {
            if (n.msg == msg)
                found.push_back(n);
        }
        return found;
    }
    // Pumps until everything posted so far has arrived, and what widgets passed on meanwhile too.
    bool Drain()
    {
        for (int round = 0; round < 8; ++round) {
            const size_t before = received.size();
            m_drained = false;
            ::PostMessageW(m_hWnd, kDrainMessage, 0, 0);
            if (!PumpUntil([this] { return m_drained; }))
                return false;
            if (received.size() == before)
                return true;
        }
        return false;
    }

    BEGIN_MSG_MAP(CNotificationPanel)
        MESSAGE_HANDLER(kDrainMessage, OnDrained)
        MESSAGE_RANGE_HANDLER(WM_USER, 0x7FFF, OnNotification)
    END_MSG_MAP()

private:
    static constexpr UINT kDrainMessage = WM_APP + 0x3FF;

    LRESULT OnDrained(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_drained = true;
        return 0;
    }
    LRESULT OnNotification(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        if (!m_postedToSelf)
            received.push_back({m_hWnd, msg, wParam, lParam});
        m_postedToSelf = false;
        return 0;
    }
    bool m_postedToSelf = false;  // the message being dispatched was recorded on its way already
    bool m_drained = false;
};

// Records the commands that reach it from its children.
class CRecordingParent : public CWnd {
public:
    std::vector<std::pair<WPARAM, HWND>> commands;

    BEGIN_MSG_MAP(CRecordingParent)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

private:
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        commands.emplace_back(wParam, reinterpret_cast<HWND>(lParam));
        return 0;
    }
};

// A BITMAPITEM stand-in: a child window that other elements can name as their container.
class CContainerStandIn : public CWnd, public CGUIItem {};

// An element reader for BITMAPITEM in tests: a `Container` (a CWnd and CGUIItem, CContainerStandIn or a
// recording one) at x, y with that size, inside and owned by the window the list is loaded for.
template <class Container, int X, int Y, int Width, int Height>
CGUIItem* ReadContainerStandIn(const pugi::xml_node& element, SkinLoadContext& context)
{
    auto item = std::make_unique<Container>();
    if (!item->CreateEx(0, TestWndClass(), L"", WS_CHILD | WS_VISIBLE, X, Y, Width, Height, context.parent->m_hWnd,
                        nullptr))
        return nullptr;
    item->m_id = ReadItemId(element);
    item->m_type = SkinItemType::BitmapItem;
    item->m_window = item->m_hWnd;
    item->m_owner = context.parent;
    return item.release();
}

// Widget tests: a program folder for the skin files and a visible panel that the widgets are loaded
// into and that records their notifications.
class SkinWidgetTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(m_panel.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 40, 40, 400, 300, nullptr,
                                     nullptr));
    }
    void TearDown() override
    {
        ::ReleaseCapture();
        DeleteSkinItems(m_list);
        m_panel.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    // Loads an ITEMLIST file made of `sections` into m_list.
    void LoadItems(const std::string& sections)
    {
        WriteXml(L"widgets.xml", "<ITEMLIST>\n" + sections + "</ITEMLIST>\n");
        LoadSkinFile(m_list, L"widgets.xml", &m_panel);
    }
    // The first item of the list with that identifier, as the widget class it should be.
    template <class T> T* Item(const wchar_t* name) const
    {
        return dynamic_cast<T*>(FindItemById(m_list, FindSkinResourceId(name)));
    }

    CNotificationPanel m_panel;
};

// The colours of ImageButtonTest's state images and of the background it draws its button over.
namespace image_button_colours {
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kYellow = RGB(255, 255, 0);
}  // namespace image_button_colours

// A button of class Button (a CBitmapBtn or one derived from it), Width x Height at (10, 10) in a
// visible parent ParentWidth x 120 that records its commands, with a solid image per state: red normal,
// green hovered, blue pressed, grey disabled.
template <class Button, int Width, int Height, int ParentWidth>
class ImageButtonTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 60, 60, ParentWidth, 120,
                                      nullptr, nullptr));
        ::SetForegroundWindow(m_parent);
        ::SetActiveWindow(m_parent);
        m_button = std::make_unique<Button>();
        ASSERT_TRUE(m_button->Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{10, 10, 10 + Width, 10 + Height},
                                     m_parent, 0));
        m_button->LoadButtonImagesNoMask(&m_normal, &m_over, &m_down, &m_disabled, 0, 0, Width, Height);
    }
    void TearDown() override
    {
        if (::GetCapture())
            ::ReleaseCapture();
        m_button.reset();
        m_parent.DestroyWindow();
        SetCurrentLangTable(nullptr);
        FrameworkTest::TearDown();
    }

    // A bitmap of the button's size in one colour.
    static CBitmap Solid(COLORREF colour) { return SolidDib(colour, Width, Height); }

    // The button drawn, in `state`, over a bitmap filled with `background`.
    std::vector<COLORREF> Render(UINT state = 0, COLORREF background = image_button_colours::kYellow)
    {
        CBitmap target = Solid(background);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        {
            CSelectObject select(dc, target);
            DRAWITEMSTRUCT item = {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, m_button->m_hWnd, dc,
                                   RECT{0, 0, Width, Height}, 0};
            m_button->DrawItem(&item);
        }
        return ReadPixels(target);
    }

    CRecordingParent m_parent;
    CBitmap m_normal = Solid(image_button_colours::kRed);
    CBitmap m_over = Solid(image_button_colours::kGreen);
    CBitmap m_down = Solid(image_button_colours::kBlue);
    CBitmap m_disabled = Solid(image_button_colours::kGrey);
    std::unique_ptr<Button> m_button;
};
