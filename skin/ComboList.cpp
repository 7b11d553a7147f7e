// CXComboList: creation and layout, keys and clicks, focus losses and scrolling.
#include "skin/ComboList.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const wchar_t* kComboListClass = L"TessaryXComboList";
constexpr int kScrollBarWidth = 11;
constexpr int kEscapeAfterLosses = 3;

} // namespace

const XComboListMessages& XComboListMessage()
{
    static const XComboListMessages messages = {
        ::RegisterWindowMessageW(L"WM_XCOMBOLIST_VK_RETURN"),
        ::RegisterWindowMessageW(L"WM_XCOMBOLIST_VK_ESCAPE"),
        ::RegisterWindowMessageW(L"WM_XCOMBOLIST_KEYDOWN"),
        ::RegisterWindowMessageW(L"WM_XCOMBOLIST_LBUTTONUP"),
    };
    return messages;
}

BOOL CXComboList::CreatePopup(const RECT& screenRect)
{
    static const bool registered = RegisterWndClass(kComboListClass, 0, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!registered)
        return FALSE;
    return CreateEx(0, kComboListClass, L"", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_VSCROLL, screenRect.left,
                    screenRect.top, screenRect.right - screenRect.left, screenRect.bottom - screenRect.top, m_owner,
                    nullptr);
}

void CXComboList::Tell(UINT msg) const
{
    if (m_owner)
        ::SendMessageW(m_owner, msg, 0, 0);
}

LRESULT CXComboList::OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    if (result == -1)
        return result;
    // The window's own scroll bar is not used: the child one is laid out beside the list box.
    ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    m_listBox = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
                                  m_hWnd, nullptr, nullptr, nullptr);
    m_scrollBar = ::CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, m_hWnd,
                                    nullptr, nullptr, nullptr);
    const WPARAM font = m_owner ? static_cast<WPARAM>(::SendMessageW(m_owner, WM_GETFONT, 0, 0)) : 0;
    for (HWND child : {m_listBox, m_scrollBar}) {
        if (child && font)
            ::SendMessageW(child, WM_SETFONT, font, FALSE);
    }
    return result;
}

std::wstring CXComboList::SelectedText() const
{
    const LRESULT selection = m_listBox ? ::SendMessageW(m_listBox, LB_GETCURSEL, 0, 0) : LB_ERR;
    if (selection == LB_ERR)
        return L"";
    const LRESULT length = ::SendMessageW(m_listBox, LB_GETTEXTLEN, static_cast<WPARAM>(selection), 0);
    if (length <= 0)
        return L"";
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(m_listBox, LB_GETTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void CXComboList::Show()
{
    if (!m_listBox)
        return;
    ::SetFocus(m_listBox);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    RECT window = {};
    GetWindowRect(&window);
    const int itemHeight = std::max(1, static_cast<int>(::SendMessageW(m_listBox, LB_GETITEMHEIGHT, 0, 0)));
    const int rows = itemHeight * ((window.bottom - window.top) / itemHeight);
    SetWindowPos(nullptr, 0, 0, window.right - window.left, rows + 4, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    GetClientRect(&client);
    const int listWidth = std::max(0, static_cast<int>(client.right - client.left) - 12);
    ::SetWindowPos(m_listBox, HWND_TOP, client.left + 1, client.top + 1, listWidth, rows, 0);
    ::SetWindowPos(m_scrollBar, nullptr, client.left + 1 + listWidth, client.top + 1, kScrollBarWidth, rows,
                   SWP_NOZORDER);
    const LRESULT count = ::SendMessageW(m_listBox, LB_GETCOUNT, 0, 0);
    const LRESULT selection = ::SendMessageW(m_listBox, LB_GETCURSEL, 0, 0);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = count < 0 ? 1 : static_cast<int>(count);
    info.nPage = static_cast<UINT>(rows / itemHeight);
    info.nPos = selection == LB_ERR ? 0 : static_cast<int>(selection);
    ::SetScrollInfo(m_scrollBar, SB_CTL, &info, TRUE);
    const int top = selection == LB_ERR ? 0 : std::max(0, static_cast<int>(selection) - 1);
    ::SendMessageW(m_listBox, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CXComboList::SetScrollPosition(int position)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE;
    ::GetScrollInfo(m_scrollBar, SB_CTL, &info);
    ::SetScrollPos(m_scrollBar, SB_CTL, std::clamp(position, 0, std::max(info.nMax, 0)), TRUE);
}

BOOL CXComboList::PreTranslateMessage(MSG* msg)
{
    const XComboListMessages& messages = XComboListMessage();
    if (msg->message == WM_LBUTTONUP && msg->hwnd == m_listBox) {
        Tell(messages.lButtonUp);
        return FALSE;
    }
    if (msg->message != WM_KEYDOWN)
        return FALSE;
    const WPARAM key = msg->wParam;
    if (key == VK_RETURN) {
        Tell(messages.vkReturn);
        return FALSE;
    }
    if (key == VK_ESCAPE) {
        Tell(messages.vkEscape);
        return FALSE;
    }
    const LRESULT current = m_listBox ? ::SendMessageW(m_listBox, LB_GETCURSEL, 0, 0) : LB_ERR;
    const int selection = current == LB_ERR ? 0 : static_cast<int>(current);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(m_scrollBar, SB_CTL, &info);
    const int page = static_cast<int>(info.nPage);
    int position = 0;
    switch (key) {
    case VK_DOWN:
        position = selection + 1;
        break;
    case VK_UP:
        position = selection - 1;
        break;
    case VK_PRIOR:
        position = selection - page + 1;
        break;
    case VK_NEXT:
        position = selection + page - 1;
        break;
    case VK_HOME:
        position = 0;
        break;
    case VK_END:
        position = info.nMax;
        break;
    default: {
        if (key < 'A' || key > 'Z' || !m_listBox)
            return FALSE;
        const wchar_t letter[2] = {static_cast<wchar_t>(key), 0};
        const LRESULT found = ::SendMessageW(m_listBox, LB_FINDSTRING, static_cast<WPARAM>(selection),
                                             reinterpret_cast<LPARAM>(letter));
        // No entry begins with the letter: the key means nothing to the list.
        if (found == LB_ERR)
            return FALSE;
        position = static_cast<int>(found);
        break;
    }
    }
    Tell(messages.keyDown);
    SetScrollPosition(position);
    return FALSE;
}

LRESULT CXComboList::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    Tell(XComboListMessage().lButtonUp);
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CXComboList::OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    if (++m_focusLosses >= kEscapeAfterLosses)
        Tell(XComboListMessage().vkEscape);
    return result;
}

LRESULT CXComboList::OnVScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (reinterpret_cast<HWND>(lParam) != m_scrollBar || !m_scrollBar) {
        bHandled = FALSE;
        return 0;
    }
    ::SendMessageW(m_listBox, WM_VSCROLL, wParam, 0);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(m_scrollBar, SB_CTL, &info);
    int position = info.nPos;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        --position;
        break;
    case SB_LINEDOWN:
        ++position;
        break;
    case SB_PAGEUP:
        position -= static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN:
        position += static_cast<int>(info.nPage);
        break;
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        position = static_cast<short>(HIWORD(wParam));
        break;
    default:
        return 0;
    }
    SetScrollPosition(position);
    return 0;
}

LRESULT CXComboList::OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_listBox)
        ::DestroyWindow(m_listBox);
    m_listBox = nullptr;
    return DefWindowProc(msg, wParam, lParam);
}
