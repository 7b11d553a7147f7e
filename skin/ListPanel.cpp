// CListPanel: placing the popup, creating its list, ending with the list's choice, and painting.
#include "skin/ListPanel.h"

#include "skin/VScrollBar.h"

CListPanel::CListPanel(CWnd* owner, const CDialogTemplate& dialogTemplate, bool sorted, const ListEntries* entries,
                       const RECT& screenRect)
    : CPopupBox(owner, screenRect, dialogTemplate), m_entries(entries), m_sorted(sorted), m_screenRect(screenRect)
{
}

CListPanel::~CListPanel()
{
    DestroyList();
    if (m_hWnd)
        DestroyWindow();
}

BOOL CListPanel::OnInitDialog()
{
    m_ended = false;
    // The window already has the rectangle's size; it only moves there.
    const BOOL result = CPopupBox::OnInitDialog();
    SetWindowPos(nullptr, m_screenRect.left, m_screenRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_entries) {
        RECT client = {};
        GetClientRect(&client);
        const RECT listRect = {client.left + m_borderWidth, client.top, client.right - m_borderWidth,
                               client.bottom - m_borderWidth};
        m_list = std::make_unique<CListPanelList>(this, m_sorted, m_prefix);
        if (!m_list->CreateList(listRect))
            m_list.reset();
        else if (m_fitToRows)
            FitToRows(listRect);
    }
    return result;
}

void CListPanel::FitToRows(const RECT& listRect)
{
    // The rows' height depends on the language's font: a fixed height would leave an empty band under
    // the last entry in one language and cut it off in another.
    const int rows = m_list->GetItemCount();
    RECT last = {};
    if (m_list->m_scrollBar || rows == 0 || !m_list->GetItemRect(rows - 1, &last, LVIR_BOUNDS))
        return;
    const int listHeight = last.bottom;
    if (listHeight == listRect.bottom - listRect.top)
        return;
    m_list->SetWindowPos(nullptr, 0, 0, listRect.right - listRect.left, listHeight,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT window = {};
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.right - window.left, listRect.top + listHeight + m_borderWidth,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CListPanel::DestroyList() { m_list.reset(); }

void CListPanel::EndPopup(int result)
{
    // Destroying the focused list makes it report a focus loss: only the first end counts.
    if (m_ended)
        return;
    m_ended = true;
    DestroyList();
    EndDialog(result);
}

LRESULT CListPanel::OnSelect(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    EndPopup(static_cast<int>(lParam));
    return 0;
}

LRESULT CListPanel::OnButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_list && m_list->m_scrollBar) {
        bHandled = FALSE;
        return 0;
    }
    EndPopup(-1);
    return 0;
}

LRESULT CListPanel::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    RECT client = {};
    GetClientRect(&client);
    dc.FillSolidRect(client, m_clrBack);
    const int w = m_borderWidth;
    CPen pen(PS_SOLID, w, m_clrBorder);
    CSelectObject selectPen(dc, pen);
    ::MoveToEx(dc, client.left, client.top, nullptr);
    ::LineTo(dc, client.left, client.bottom - w);
    ::LineTo(dc, client.right - w, client.bottom - w);
    ::LineTo(dc, client.right - w, client.top);
    ::LineTo(dc, client.left, client.top);
    return 0;
}

LRESULT CListPanel::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
