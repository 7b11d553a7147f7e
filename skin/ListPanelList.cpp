// CListPanelList: creation and filling, the row under the mouse, the closing click, row drawing and the
// scroll bar's share of the mouse.
#include "skin/ListPanelList.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "framework/Gdi.h"
#include "skin/LangTable.h"
#include "skin/ListPanel.h"
#include "skin/ListPanelItem.h"
#include "skin/MemDC.h"
#include "skin/VScrollBar.h"

namespace {

int CALLBACK CompareEntryTexts(LPARAM first, LPARAM second, LPARAM)
{
    const auto* a = reinterpret_cast<const ListEntry*>(first);
    const auto* b = reinterpret_cast<const ListEntry*>(second);
    return _wcsicmp(a->text.c_str(), b->text.c_str());
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

} // namespace

CListPanelList::CListPanelList(CListPanel* panel, bool sorted, const std::wstring& prefix)
    : m_panel(panel), m_sorted(sorted), m_prefix(prefix)
{
}

CListPanelList::~CListPanelList()
{
    // End the window while this object still handles its messages, so the capture is given back.
    if (m_hWnd)
        DestroyWindow();
    m_scrollBar.reset();
}

BOOL CListPanelList::CreateList(const RECT& rect)
{
    const int barWidth = std::max(m_panel->m_scrollBarWidth, 0);
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER;
    if (barWidth == 0)
        style |= LVS_NOSORTHEADER;
    const RECT listRect = {rect.left, rect.top, rect.right - barWidth, rect.bottom};
    if (!Create(style, listRect, m_panel->m_hWnd, 0))
        return FALSE;

    ::InitializeFlatSB(m_hWnd);
    ::FlatSB_EnableScrollBar(m_hWnd, SB_BOTH, ESB_DISABLE_BOTH);
    if (m_panel->m_font)
        SetFont(*m_panel->m_font, FALSE);
    SendMessage(LVM_SETTEXTCOLOR, 0, m_panel->m_clrText);
    if (m_panel->m_rowPadding > 0) {
        // A list view's rows are as high as its small images: an empty list of them sets the height
        // (the list view destroys it with itself).
        CClientDC dc(m_hWnd);
        const HGDIOBJ oldFont = m_panel->m_font ? dc.SelectObject(*m_panel->m_font) : nullptr;
        TEXTMETRICW metrics = {};
        ::GetTextMetricsW(dc, &metrics);
        if (oldFont)
            dc.SelectObject(oldFont);
        SetImageList(ImageList_Create(1, metrics.tmHeight + 1 + m_panel->m_rowPadding, ILC_COLOR, 0, 1), LVSIL_SMALL);
    }

    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = listRect.right - listRect.left - m_panel->m_borderWidth;
    column.pszText = const_cast<wchar_t*>(L"");
    InsertColumn(0, column);

    // A font asked for by character height has a negative height; the step is a distance either way.
    LOGFONTW logFont = {};
    if (m_panel->m_font && m_panel->m_font->GetLogFont(&logFont))
        m_rowStep = std::abs(logFont.lfHeight) + 1;
    else
        m_rowStep = kDefaultRowStep;

    if (barWidth > 0) {
        const RECT barRect = {rect.right - barWidth, rect.top, rect.right, rect.bottom};
        m_scrollBar = CreateScrollBar(m_hWnd, m_panel->m_hWnd, barRect, m_panel->m_scrollBitmaps,
                                      m_panel->m_clrBack, m_panel->m_clrBorder, m_panel->m_borderWidth);
    }

    Fill();
    ::SetCapture(m_hWnd);
    return TRUE;
}

void CListPanelList::Fill()
{
    SendMessage(LVM_DELETEALLITEMS);
    if (m_panel->m_entries) {
        const ListEntries& entries = *m_panel->m_entries;
        for (size_t i = 0; i < entries.size(); ++i) {
            LVITEMW item = {};
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<wchar_t*>(L"");
            if (m_sorted) {
                item.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
                item.lParam = reinterpret_cast<LPARAM>(&entries[i]);
            } else {
                item.mask = LVIF_TEXT;
            }
            const int row = InsertItem(item);
            if (row < 0)
                continue;
            SetItemText(row, 0, entries[i].text.c_str());
            SetItemData(row, reinterpret_cast<DWORD_PTR>(&entries[i]));
        }
        if (m_sorted)
            SendMessage(LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareEntryTexts));
    }
    Invalidate();
}

const ListEntry* CListPanelList::EntryOfRow(int row) const
{
    const int index = EntryIndexOfRow(row);
    return index < 0 ? nullptr : &(*m_panel->m_entries)[static_cast<size_t>(index)];
}

int CListPanelList::EntryIndexOfRow(int row) const
{
    if (row < 0 || !m_panel->m_entries || m_panel->m_entries->empty())
        return -1;
    const ListEntries& entries = *m_panel->m_entries;
    const auto data = static_cast<uintptr_t>(GetItemData(row));
    const auto first = reinterpret_cast<uintptr_t>(entries.data());
    if (data < first || (data - first) % sizeof(ListEntry) != 0)
        return -1;
    const size_t index = (data - first) / sizeof(ListEntry);
    return index < entries.size() ? static_cast<int>(index) : -1;
}

int CListPanelList::RowAtPoint(POINT point) const
{
    int found = -1;
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        RECT bounds = {};
        if (GetItemRect(row, &bounds, LVIR_BOUNDS) && ::PtInRect(&bounds, point))
            found = row;
    }
    return found;
}

bool CListPanelList::InScrollBarStrip(POINT point) const
{
    if (!m_scrollBar)
        return false;
    RECT client = {};
    GetClientRect(&client);
    return point.x >= client.right && point.x < client.right + m_panel->m_scrollBarWidth;
}

void CListPanelList::ForwardToScrollBar(UINT msg, WPARAM wParam, POINT point)
{
    RECT client = {};
    GetClientRect(&client);
    m_scrollBar->PostMessage(msg, wParam, MAKELPARAM(point.x - client.right, point.y));
}

void CListPanelList::SynchroniseScrollBar()
{
    if (m_scrollBar)
        m_scrollBar->Synchronise();
}

void CListPanelList::PostSelect(WPARAM subChoice, LPARAM entryIndex)
{
    ::PostMessageW(m_panel->m_hWnd, WM_LISTPANEL_SELECT, subChoice, entryIndex);
}

LRESULT CListPanelList::OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_closing)
        return 0;
    const POINT point = PointOf(lParam);
    if (InScrollBarStrip(point)) {
        ForwardToScrollBar(msg, wParam, point);
        return 0;
    }
    const int hot = RowAtPoint(point);
    if (hot != m_hotRow) {
        m_hotRow = hot;
        Invalidate(FALSE);
    }
    return 0;
}

LRESULT CListPanelList::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const POINT point = PointOf(lParam);
    if (InScrollBarStrip(point)) {
        ForwardToScrollBar(msg, wParam, point);
        return 0;
    }
    const ListEntry* entry = EntryOfRow(m_hotRow);
    if (entry && entry->subList && !entry->subList->m_entries.empty()) {
        CListPanelItem* subList = entry->subList;
        RECT bounds = {};
        GetItemRect(m_hotRow, &bounds, LVIR_BOUNDS);
        const int count = static_cast<int>(subList->m_entries.size());
        const int height = (bounds.bottom - bounds.top) * std::min(count, kMaxSubListRows);
        CWndWatch self(this);
        const int result = subList->PopupEntryList(m_hWnd, height, bounds.right, bounds.top);
        // The sub-list's loop runs every message of the program: the panel may have ended (freeing
        // this list), or a page closed meanwhile may have taken this list's window and the sub-list.
        if (self.Deleted() || !IsWindow())
            return 0;
        m_subChoice = result;
        if (result >= 0 && result < count)
            subList->SetCurSel(result);
    }
    m_closing = true;
    SetTimer(kCloseTimer, kCloseDelayMs);
    return 0;
}

LRESULT CListPanelList::OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const POINT point = PointOf(lParam);
    if (InScrollBarStrip(point)) {
        ForwardToScrollBar(msg, wParam, point);
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CListPanelList::OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    // Not closing: a row the mouse reaches before the timer fires still becomes the choice.
    m_hotRow = -1;
    m_subChoice = -1;
    SetTimer(kCloseTimer, kCloseDelayMs);
    return 0;
}

LRESULT CListPanelList::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam != kCloseTimer)
        return 0;
    m_closing = false;
    KillTimer(kCloseTimer);
    PostSelect(static_cast<WPARAM>(m_subChoice), EntryIndexOfRow(m_hotRow));
    return 0;
}

LRESULT CListPanelList::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    // A row with a sub-list lost the focus to its own nested popup.
    const ListEntry* entry = EntryOfRow(m_hotRow);
    if (entry && entry->subList)
        return 0;
    m_hotRow = -1;
    m_subChoice = -1;
    PostSelect(0, -1);
    return 0;
}

LRESULT CListPanelList::OnMouseWheel(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (!m_scrollBar)
        return 0;
    SynchroniseScrollBar();
    const int steps = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    const WPARAM code = steps > 0 ? SB_LINEUP : SB_LINEDOWN;
    for (int i = 0; i < std::abs(steps); ++i)
        PostMessage(WM_VSCROLL, code, 0);
    return 1;
}

LRESULT CListPanelList::OnKey(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    SynchroniseScrollBar();
    if (wParam != VK_RIGHT)
        bHandled = FALSE;
    return 0;
}

LRESULT CListPanelList::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    SynchroniseScrollBar();
    return 1;
}

LRESULT CListPanelList::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&)
{
    const LONG_PTR style = GetStyle();
    if (style & (WS_VSCROLL | WS_HSCROLL))
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
    return 0;
}

LRESULT CListPanelList::OnScrollRows(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const int rows = static_cast<int>(static_cast<INT_PTR>(wParam));
    SendMessage(LVM_SCROLL, 0, static_cast<LPARAM>(rows * m_rowStep));
    Invalidate();
    return 0;
}

LRESULT CListPanelList::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    KillTimer(kCloseTimer);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    return 0;
}

LRESULT CListPanelList::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kMeasuredRowHeight;
    return TRUE;
}

LRESULT CListPanelList::OnCustomDraw(int, NMHDR* header, BOOL&)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    const CListPanel& panel = *m_panel;
    const int border = panel.m_borderWidth;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        if (m_scrollBar) {
            RECT client = {};
            GetClientRect(&client);
            RECT back = client;
            back.right -= border;
            const HDC dc = draw->nmcd.hdc;
            ::SetBkColor(dc, panel.m_clrBack);
            ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &back, nullptr, 0, nullptr);
            CPen pen(PS_SOLID, border, panel.m_clrBorder);
            CSelectObject selectPen(dc, pen);
            ::MoveToEx(dc, client.right - border, client.top, nullptr);
            ::LineTo(dc, client.right - border, client.bottom);
        }
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;

    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    COLORREF text = panel.m_clrText;
    COLORREF back = panel.m_clrBack;
    const ListEntry* entry = EntryOfRow(row);
    if (entry && entry->disabled) {
        text = panel.m_clrDisabledText;
        back = panel.m_clrDisabledBack;
    } else if (row == m_hotRow || (SendMessage(LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)) {
        text = panel.m_clrTextHot;
        back = panel.m_clrBackHot;
    }

    RECT rc = {};
    if (!GetItemRect(row, &rc, LVIR_BOUNDS))
        return CDRF_SKIPDEFAULT;
    rc.left += 2 * border;
    rc.top += 1;
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return CDRF_SKIPDEFAULT;

    CDC target;
    target.Attach(draw->nmcd.hdc);
    {
        CMemDC memDC(&target, &rc);
        memDC.FillSolidRect(rc, back);
        memDC.SetBkMode(TRANSPARENT);
        memDC.SetTextColor(text);
        const HGDIOBJ oldFont = panel.m_font ? memDC.SelectObject(*panel.m_font) : nullptr;
        std::wstring shown = m_prefix + TranslateText(GetItemText(row, 0));
        RECT textRect = rc;
        textRect.left += panel.m_textInset;
        memDC.DrawText(shown.c_str(), static_cast<int>(shown.size()), &textRect,
                       DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        if (oldFont)
            memDC.SelectObject(oldFont);
    }
    target.Detach();
    return CDRF_SKIPDEFAULT;
}
