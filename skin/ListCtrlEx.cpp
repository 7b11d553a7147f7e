// CXListCtrl: the in-place editor's colours, set-up and teardown, and the columns, rows and cells.
#include "skin/ListCtrlEx.h"

#include <memory>

// ---- CXListEdit

LRESULT CXListEdit::OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    m_backBrush.DeleteObject();
    m_backBrush.CreateSolidBrush(m_clrBack);
    Invalidate();
    if (m_font)
        SetFont(*m_font);
    return result;
}

LRESULT CXListEdit::OnCtlColor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(dc, m_clrText);
    ::SetBkColor(dc, m_clrBack);
    ::SetDCPenColor(dc, m_clrDC);
    ::SetDCBrushColor(dc, m_clrDC);
    return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_backBrush));
}

// ---- CXListCtrl: set-up and teardown

CXListCtrl::~CXListCtrl()
{
    if (IsWindow())
        DestroyWindow();
}

void CXListCtrl::PreSubclassWindow()
{
    SubclassHeader();
}

void CXListCtrl::SubclassHeader()
{
    if (m_headerSubclassed || !m_hWnd)
        return;
    HWND header = GetHeaderCtrl();
    if (header && m_header.SubclassWindow(header))
        m_headerSubclassed = true;
}

LRESULT CXListCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    CloseComboList();
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        delete RowCells(row);
        SetItemData(row, 0);
    }
    if (m_editor.IsWindow())
        m_editor.DestroyWindow();
    if (m_toolTip.IsWindow())
        m_toolTip.DestroyWindow();
    bHandled = FALSE;
    return 0;
}

LRESULT CXListCtrl::OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // Rows are as high as the small images: 18 pixels.
    m_rowHeightImages = ImageList_Create(18, 18, ILC_COLOR4, 10, 10);
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    if (result == -1)
        return result;
    SetImageList(m_rowHeightImages, LVSIL_SMALL);
    SubclassHeader();
    m_editor.m_font = m_font;
    m_editor.m_clrText = m_clrText;
    m_editor.m_clrBack = m_clrBack;
    m_editor.Create(WS_CHILD | ES_AUTOHSCROLL, RECT{0, 0, 0, 0}, m_hWnd, 0);
    return result;
}

LRESULT CXListCtrl::OnDeleteItem(int, NMHDR* header, BOOL&)
{
    // A row takes its cells with it, so pages that delete rows leak nothing. Rows whose cells went at
    // WM_DESTROY arrive here without data.
    const auto* view = reinterpret_cast<const NMLISTVIEW*>(header);
    if (view->iItem == m_editRow)
        EndEdit(false);
    else if (m_editRow >= 0 && view->iItem < m_editRow)
        --m_editRow;
    SetItemData(view->iItem, 0);
    delete reinterpret_cast<XListRowCells*>(view->lParam);
    return 0;
}

// ---- columns and rows

int CXListCtrl::AddColumn(const wchar_t* caption, int columnId, int kind, int width, bool exclusive,
                          CBitmap* offImage, CBitmap* onImage, CBitmap* maskImage)
{
    if (columnId == -1 || kind == -1 || m_columns.count(columnId) ||
        m_columns.size() >= static_cast<size_t>(kMaxColumns))
        return -1;
    SubclassHeader();
    XListColumn column;
    column.kind = kind;
    column.offImage = offImage;
    column.onImage = onImage;
    column.maskImage = maskImage;
    column.exclusive = exclusive;
    column.subItem = static_cast<int>(m_columns.size());
    m_columns[columnId] = column;

    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.fmt = LVCFMT_LEFT;
    lvc.cx = width;
    lvc.pszText = const_cast<wchar_t*>(caption ? caption : L"");
    lvc.iSubItem = column.subItem;
    return InsertColumn(column.subItem, lvc);
}

int CXListCtrl::InsertRow(int index, COLORREF text, COLORREF back, COLORREF selText, COLORREF selBack)
{
    if (index < 0)
        return -1;
    LVITEMW lvi = {};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = index;
    lvi.pszText = const_cast<wchar_t*>(L"");
    if (m_sortMode == 1) {
        lvi.mask |= LVIF_STATE | LVIF_PARAM;
        lvi.lParam = index;
    }
    const int row = InsertItem(lvi);
    if (row < 0)
        return row;
    const int columns = m_header.m_hWnd ? m_header.GetItemCount() : static_cast<int>(m_columns.size());
    auto cells = std::make_unique<XListRowCells>(static_cast<size_t>(columns > 0 ? columns : 0));
    if (!cells->empty()) {
        XListCell& first = cells->front();
        first.textColour = text;
        first.backColour = back;
        first.selTextColour = selText;
        first.selBackColour = selBack;
    }
    SetItemData(row, reinterpret_cast<DWORD_PTR>(cells.release()));
    return row;
}

XListRowCells* CXListCtrl::RowCells(int row) const
{
    if (row < 0 || row >= GetItemCount())
        return nullptr;
    return reinterpret_cast<XListRowCells*>(GetItemData(row));
}

XListCell* CXListCtrl::Cell(int row, int subItem) const
{
    XListRowCells* cells = RowCells(row);
    // A column added after the row was inserted has no cell in that row.
    if (!cells || subItem < 0 || static_cast<size_t>(subItem) >= cells->size())
        return nullptr;
    return &(*cells)[static_cast<size_t>(subItem)];
}

int CXListCtrl::RowKey(int row) const
{
    const XListCell* first = Cell(row, 0);
    return first ? first->key : -1;
}

int CXListCtrl::FindRowByKey(int key) const
{
    if (key == -1)
        return -1;
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (RowKey(row) == key)
            return row;
    }
    return -1;
}

int CXListCtrl::GetSelectedRow() const { return GetNextItem(-1, LVNI_SELECTED); }

int CXListCtrl::GetSelectedRowKey() const { return RowKey(GetSelectedRow()); }

int CXListCtrl::GetColumnId(int subItem) const
{
    for (const auto& entry : m_columns) {
        if (entry.second.subItem == subItem)
            return entry.first;
    }
    return -1;
}

const XListColumn* CXListCtrl::ColumnAt(int subItem) const
{
    const int id = GetColumnId(subItem);
    return id == -1 ? nullptr : &m_columns.at(id);
}

int CXListCtrl::SetCellText(int columnId, int key, const wchar_t* text)
{
    const int row = FindRowByKey(key);
    auto column = m_columns.find(columnId);
    if (row == -1 || column == m_columns.end())
        return 0;
    SetItemText(row, column->second.subItem, text ? text : L"");
    RedrawCell(columnId, row);
    return 1;
}

int CXListCtrl::SetCellValue(int columnId, int key, int value)
{
    const int row = FindRowByKey(key);
    auto column = m_columns.find(columnId);
    if (row == -1 || column == m_columns.end())
        return 0;
    XListCell* cell = Cell(row, column->second.subItem);
    if (!cell)
        return 0;
    cell->value = value;
    RedrawCell(columnId, row);
    UpdateHeaderCheck(columnId);
    return 1;
}

void CXListCtrl::UpdateHeaderCheck(int columnId)
{
    auto column = m_columns.find(columnId);
    if (column == m_columns.end() || !m_header.m_hWnd)
        return;
    const int subItem = column->second.subItem;
    HDITEMW hdi = {};
    hdi.mask = HDI_FORMAT | HDI_IMAGE;
    if (!m_header.GetItem(subItem, &hdi) || !(hdi.fmt & HDF_IMAGE))
        return;
    bool allOn = true;
    const int count = GetItemCount();
    for (int row = 0; row < count && allOn; ++row) {
        const XListCell* cell = Cell(row, subItem);
        allOn = cell && cell->value == 1;
    }
    hdi.mask = HDI_IMAGE;
    hdi.iImage = allOn ? 1 : 0;
    m_header.SetItem(subItem, &hdi);
}

void CXListCtrl::SetRowColors(int row, COLORREF text, COLORREF back, COLORREF selText, COLORREF selBack)
{
    XListCell* first = Cell(row, 0);
    if (!first)
        return;
    first->textColour = text;
    first->backColour = back;
    first->selTextColour = selText;
    first->selBackColour = selBack;
    Invalidate();
}

bool CXListCtrl::GetCellRect(int row, int subItem, RECT* rc) const
{
    if (row < 0 || row >= GetItemCount() || !ColumnAt(subItem))
        return false;
    return GetCellBounds(row, subItem, static_cast<int>(m_columns.size()), rc) != FALSE;
}

void CXListCtrl::RedrawCell(int columnId, int row)
{
    auto column = m_columns.find(columnId);
    RECT rc = {};
    if (column == m_columns.end() || !GetCellRect(row, column->second.subItem, &rc))
        return;
    InvalidateRect(&rc);
    UpdateWindow();
}
