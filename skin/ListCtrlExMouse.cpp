// CXListCtrl, mouse and keys: check and combo clicks, the context menu, the double click, the in-place edit.
#include "skin/ListCtrlEx.h"

#include <commdlg.h>
#include <windowsx.h>

#include "skin/ListPanelItem.h"

namespace {

void PanelMenu(CListPanelItem* menu, HWND wnd, int height, int x, int y, std::wstring* text)
{
    CWndWatch list(CWnd::FromHandlePermanent(wnd));
    const int choice = menu->PopupEntryList(wnd, height, x, y);
    // The menu is an item of the list's page: when the list went during the popup, so did the menu.
    if (!list.Deleted())
        *text = menu->GetEntryText(choice);
}

bool SystemOpenProgramFile(HWND owner, std::wstring* path)
{
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"*.exe\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (!::GetOpenFileNameW(&ofn))
        return false;
    *path = file;
    return true;
}

const XListCtrlApi kDefaultApi = {PanelMenu, SystemOpenProgramFile};
const XListCtrlApi* g_api = nullptr;

constexpr int kCheckHalfWidth = 6;
constexpr int kColumnIdProgram = 3;
constexpr int kColumnIdAutoSwitch = 4;

std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

const XListCtrlApi& XListCtrlCalls() { return g_api ? *g_api : kDefaultApi; }
void SetXListCtrlApi(const XListCtrlApi* api) { g_api = api; }

// ---- mouse and keys

LRESULT CXListCtrl::OnClick(int, NMHDR*, BOOL&)
{
    EndEdit(true);
    return 0;
}

LRESULT CXListCtrl::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    EndEdit(true);
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    LVHITTESTINFO hit = {};
    hit.pt = pt;
    const int row = HitTest(&hit);
    int key = -1;
    if (row == -1)
        KillTimer(kComboPressTimer);
    if (row != -1) {
        XListCell* first = Cell(row, 0);
        if (!first || !first->enabled)
            return 0;
        key = first->key;
        RECT rc = {};
        const int subItem = ClickedCell(row, pt, &rc);
        XListCell* cell = Cell(row, subItem);
        if (!cell) {
            if (m_comboList)
                KillTimer(kComboPressTimer);
        } else if (cell->combo) {
            PressDropButton(row, subItem, rc, pt);
        } else if (cell->value >= 0) {
            ToggleCheckCell(row, subItem, key);
        }
    }
    ::SendMessageW(GetParent(), WM_XLIST_CLICK, static_cast<WPARAM>(key), reinterpret_cast<LPARAM>(m_hWnd));
    return DefWindowProc(msg, wParam, lParam);
}

int CXListCtrl::ClickedCell(int row, POINT pt, RECT* rc) const
{
    const int columns = m_header.m_hWnd ? m_header.GetItemCount() : static_cast<int>(m_columns.size());
    for (int subItem = 0; subItem < columns; ++subItem) {
        const XListCell* cell = Cell(row, subItem);
        if (!cell || !GetCellRect(row, subItem, rc))
            continue;
        if (cell->value >= 0) {
            const int middle = (rc->left + rc->right) / 2;
            rc->left = middle - kCheckHalfWidth;
            rc->right = middle + kCheckHalfWidth;
        }
        if (::PtInRect(rc, pt))
            return subItem;
    }
    return -1;
}

void CXListCtrl::PressDropButton(int row, int subItem, const RECT& rc, POINT pt)
{
    XListCell* cell = Cell(row, subItem);
    CloseComboList();
    const RECT button = DropButtonRect(rc);
    if (!::PtInRect(&button, pt))
        return;
    cell->pressed = true;
    m_cellPressed = true;
    m_pressedRow = row;
    m_pressedSubItem = subItem;
    m_pressedRect = rc;
    RedrawCell(GetColumnId(subItem), row);
    SetTimer(kComboPressTimer, kComboPressMs);
}

void CXListCtrl::ToggleCheckCell(int row, int subItem, int key)
{
    XListCell* cell = Cell(row, subItem);
    const int columnId = GetColumnId(subItem);
    const XListColumn* column = ColumnAt(subItem);
    bool state = false;
    if (column && column->exclusive) {
        if (cell->value == 1)
            return;
        const int count = GetItemCount();
        for (int other = 0; other < count; ++other) {
            if (XListCell* otherCell = Cell(other, subItem)) {
                otherCell->value = 0;
                RedrawCell(columnId, other);
            }
        }
        cell->value = 1;
        state = true;
    } else {
        cell->value = cell->value == 0 ? 1 : 0;
        state = cell->value != 0;
    }
    RedrawCell(columnId, row);
    XListNotifyRecord record = {key, subItem, &state};
    ::SendMessageW(GetParent(), WM_XLIST_CHECKCHANGED, reinterpret_cast<WPARAM>(m_hWnd),
                   reinterpret_cast<LPARAM>(&record));
    UpdateHeaderCheck(columnId);
}

LRESULT CXListCtrl::OnRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    EndEdit(true);
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    if (!m_contextMenu)
        return result;
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    LVHITTESTINFO hit = {};
    hit.pt = pt;
    const int row = SubItemHitTest(&hit);
    RECT cellRect = {};
    if (row == -1 || !GetCellRect(row, hit.iSubItem, &cellRect))
        return result;
    const int key = RowKey(row);
    // The menu's loop runs every message of the program: a device removal may free the page, and this
    // list with it, before the menu returns.
    CWndWatch self(this);
    XListNotifyRecord opening = {key, 0, nullptr};
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    ::SendMessageW(owner ? owner : GetParent(), WM_XLIST_MENUOPENING, reinterpret_cast<WPARAM>(m_hWnd),
                   reinterpret_cast<LPARAM>(&opening));
    std::wstring text;
    XListCtrlCalls().PopupMenu(m_contextMenu, m_hWnd, 0, pt.x, cellRect.top, &text);
    if (self.Deleted())
        return result;
    OnMenuChoice(row, key, text);
    return result;
}

void CXListCtrl::OnMenuChoice(int row, int key, const std::wstring& text)
{
    HWND parent = GetParent();
    if (text == L"$AssignApplication") {
        std::wstring path;
        if (!XListCtrlCalls().OpenProgramFile(m_hWnd, &path))
            return;
        SetCellText(kColumnIdProgram, key, FileNameOf(path).c_str());
        XListNotifyRecord record = {key, kColumnIdProgram, path.c_str()};
        ::SendMessageW(parent, WM_XLIST_APPCHANGED, reinterpret_cast<WPARAM>(m_hWnd),
                       reinterpret_cast<LPARAM>(&record));
    } else if (text == L"$UnassignApplication") {
        SetCellText(kColumnIdProgram, key, L"");
        XListNotifyRecord record = {key, kColumnIdProgram, L""};
        ::SendMessageW(parent, WM_XLIST_APPCHANGED, reinterpret_cast<WPARAM>(m_hWnd),
                       reinterpret_cast<LPARAM>(&record));
        // A row inserted before its fifth column existed has no cell there.
        if (XListCell* cell = Cell(row, kColumnIdAutoSwitch))
            cell->value = 0;
        RedrawCell(kColumnIdAutoSwitch, row);
        const bool state = false;
        XListNotifyRecord check = {key, kColumnIdAutoSwitch, &state};
        ::SendMessageW(parent, WM_XLIST_CHECKCHANGED, reinterpret_cast<WPARAM>(m_hWnd),
                       reinterpret_cast<LPARAM>(&check));
    } else {
        XListNotifyRecord record = {key, 0, text.c_str()};
        ::SendMessageW(parent, WM_XLIST_MENUCOMMAND, reinterpret_cast<WPARAM>(m_hWnd),
                       reinterpret_cast<LPARAM>(&record));
    }
}

LRESULT CXListCtrl::OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    LVHITTESTINFO hit = {};
    hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int row = SubItemHitTest(&hit);
    XListNotifyRecord record = {row == -1 ? -1 : RowKey(row), hit.iSubItem, nullptr};
    return ::SendMessageW(GetParent(), WM_XLIST_DBLCLK, reinterpret_cast<WPARAM>(m_hWnd),
                          reinterpret_cast<LPARAM>(&record));
}

LRESULT CXListCtrl::OnColumnClick(int, NMHDR* header, BOOL&)
{
    // Columns don't sort; the header's image is read and left as it is.
    const auto* view = reinterpret_cast<NMLISTVIEW*>(header);
    HDITEMW hdi = {};
    hdi.mask = HDI_IMAGE;
    if (m_header.m_hWnd)
        m_header.GetItem(view->iSubItem, &hdi);
    return 0;
}

BOOL CXListCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_MOUSEMOVE && msg->hwnd == m_hWnd)
        TrackToolTip(msg);
    if (msg->message != WM_KEYDOWN)
        return FALSE;
    if (m_editRow >= 0 && m_editSubItem >= 0) {
        if (msg->wParam == VK_RETURN) {
            EndEdit(true);
            return TRUE;
        }
        if (msg->wParam == VK_ESCAPE) {
            EndEdit(false);
            return TRUE;
        }
        return FALSE;
    }
    // The list-view would toggle its own check boxes with the space key.
    return msg->wParam == VK_SPACE;
}

bool CXListCtrl::EndEdit(bool keep)
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (m_editRow < 0 || m_editSubItem < 0)
        return false;
    const std::wstring text = m_editor.GetWindowText();
    bool written = false;
    if (keep && text != GetItemText(m_editRow, m_editSubItem)) {
        SetItemText(m_editRow, m_editSubItem, text.c_str());
        XListNotifyRecord record = {RowKey(m_editRow), m_editSubItem, text.c_str()};
        ::SendMessageW(GetParent(), WM_XLIST_CELLEDITED, reinterpret_cast<WPARAM>(m_hWnd),
                       reinterpret_cast<LPARAM>(&record));
        written = true;
    }
    m_editor.ShowWindow(SW_HIDE);
    m_editRow = -1;
    m_editSubItem = -1;
    Invalidate();
    return written;
}
