// CXListCtrl: columns and rows, drawing of the cells, mouse and key handling, the context menu, the
// in-place editor, and the LISTCTRL reader.
#include "skin/ListCtrlEx.h"

#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "model/NameTables.h"
#include "skin/DrawingHelpers.h"
#include "skin/ListPanelItem.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

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

constexpr UINT kCellTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS;
constexpr int kTextIndent = 8;
constexpr int kCheckHalfWidth = 6;
constexpr int kColumnIdProgram = 3;
constexpr int kColumnIdAutoSwitch = 4;
constexpr size_t kMaxTipLength = 80;

// Mouse coordinates are signed 16-bit values.
int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

const XListCtrlApi& XListCtrlCalls() { return g_api ? *g_api : kDefaultApi; }
void SetXListCtrlApi(const XListCtrlApi* api) { g_api = api; }

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

// ---- drawing

LRESULT CXListCtrl::OnCustomDraw(int, NMHDR* header, BOOL&)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        const XListCell* first = Cell(row, 0);
        draw->clrText = first ? first->textColour : m_clrText;
        draw->clrTextBk = first ? first->backColour : m_clrBack;
        DrawCell(draw->nmcd.hdc, row, draw->iSubItem);
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void CXListCtrl::DrawCell(HDC dc, int row, int subItem)
{
    RECT rc = {};
    if (!GetCellRect(row, subItem, &rc))
        return;
    CDC target;
    target.Attach(dc);
    target.FillSolidRect(rc, m_clrBack);
    target.Detach();
    const bool selected = row == GetSelectedRow();
    XListCell plain;
    XListCell* cell = Cell(row, subItem);
    if (!cell)
        cell = &plain;
    if (cell->progress)
        DrawProgressCell(dc, rc, *cell);
    else if (cell->combo && selected)
        DrawComboCell(dc, rc, row, subItem, *cell);
    else if (cell->value >= 0)
        DrawImageCell(dc, rc, ColumnAt(subItem), *cell, selected);
    else
        DrawTextCell(dc, rc, row, subItem, *cell, selected);
}

void CXListCtrl::DrawTextCell(HDC dc, const RECT& rc, int row, int subItem, const XListCell& cell, bool selected)
{
    const XListCell* first = Cell(row, 0);
    COLORREF text = first ? first->textColour : m_clrText;
    COLORREF back = first ? first->backColour : m_clrBack;
    if (selected) {
        text = first ? first->selTextColour : m_clrTextHi;
        back = first ? first->selBackColour : m_clrBackHi;
    }
    CDC target;
    target.Attach(dc);
    target.FillSolidRect(rc, back);
    target.Detach();
    const std::wstring caption = GetItemText(row, subItem);
    if (caption.empty())
        return;
    UINT format = kCellTextFormat;
    HDITEMW hdi = {};
    hdi.mask = HDI_FORMAT;
    if (m_header.m_hWnd && m_header.GetItem(subItem, &hdi)) {
        if ((hdi.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
            format |= DT_CENTER;
        else if ((hdi.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
            format |= DT_RIGHT;
    }
    HFONT font = m_font ? static_cast<HFONT>(*m_font) : GetFont();
    CFont bold;
    if (cell.bold) {
        LOGFONTW lf = {};
        if (font && ::GetObjectW(font, sizeof(lf), &lf)) {
            lf.lfWeight = FW_BOLD;
            bold.CreateFontIndirect(&lf);
        }
    }
    HGDIOBJ oldFont = nullptr;
    if (!bold.IsNull())
        oldFont = ::SelectObject(dc, bold);
    else if (font)
        oldFont = ::SelectObject(dc, font);
    ::SetTextColor(dc, text);
    ::SetBkMode(dc, TRANSPARENT);
    RECT textRect = rc;
    textRect.left += kTextIndent;
    ::DrawTextW(dc, caption.c_str(), -1, &textRect, format);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}

namespace {

// 32-bit pixels of 0x00RRGGBB, rows from the top.
BITMAPINFO TopDownPixelsInfo(SIZE size)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool ReadTopDownPixels(HDC dc, HBITMAP bitmap, SIZE size, std::vector<DWORD>& pixels)
{
    BITMAPINFO info = TopDownPixelsInfo(size);
    pixels.assign(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy), 0);
    return size.cx > 0 && size.cy > 0 &&
           ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS) == size.cy;
}

} // namespace

void CXListCtrl::DrawImageCell(HDC dc, const RECT& rc, const XListColumn* column, const XListCell& cell,
                               bool selected)
{
    const COLORREF back = selected ? m_clrBackHi : m_clrBack;
    CDC target;
    target.Attach(dc);
    target.FillSolidRect(rc, back);
    target.Detach();
    if (!column)
        return;
    CBitmap* image = cell.value == 1 ? column->onImage : column->offImage;
    if (!image || image->IsNull())
        return;
    const SIZE size = image->GetSize();
    const int x = rc.left + (rc.right - rc.left - size.cx) / 2;
    const int y = rc.top + (rc.bottom - rc.top - size.cy) / 2;
    CDC source;
    source.CreateCompatibleDC(dc);
    std::vector<DWORD> imagePixels, maskPixels;
    if (column->maskImage && !column->maskImage->IsNull() && column->maskImage->GetSize().cx == size.cx &&
        column->maskImage->GetSize().cy == size.cy && ReadTopDownPixels(source, *image, size, imagePixels) &&
        ReadTopDownPixels(source, *column->maskImage, size, maskPixels)) {
        // The background through the mask with the image painted in, channel by channel: out = back x
        // mask / 255 + image. Where the mask is black or white this is what AND then OR give; on the
        // grey rim of a smooth mark it blends, where bit operations would leave stray colours.
        const DWORD backPixel = RGB(GetBValue(back), GetGValue(back), GetRValue(back));
        for (size_t i = 0; i < imagePixels.size(); ++i) {
            DWORD out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const DWORD b = (backPixel >> shift) & 0xFF;
                const DWORD m = (maskPixels[i] >> shift) & 0xFF;
                const DWORD v = (imagePixels[i] >> shift) & 0xFF;
                out |= std::min<DWORD>(255, (b * m + 127) / 255 + v) << shift;
            }
            imagePixels[i] = out;
        }
        const BITMAPINFO info = TopDownPixelsInfo(size);
        ::SetDIBitsToDevice(dc, x, y, size.cx, size.cy, 0, 0, 0, size.cy, imagePixels.data(), &info, DIB_RGB_COLORS);
    } else {
        HGDIOBJ oldSource = source.SelectObject(*image);
        ::BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCCOPY);
        source.SelectObject(oldSource);
    }
}

void CXListCtrl::DrawProgressCell(HDC dc, const RECT& rc, const XListCell& cell)
{
    CDC target;
    target.Attach(dc);
    CBrush frame(m_clrText);
    ::FrameRect(dc, &rc, frame);
    int percent = cell.progressPercent < 0 ? 0 : (cell.progressPercent > 100 ? 100 : cell.progressPercent);
    RECT bar = {rc.left + 1, rc.top + 1, rc.left + 1 + (rc.right - rc.left - 2) * percent / 100, rc.bottom - 1};
    if (bar.right > bar.left)
        target.FillSolidRect(bar, m_clrText);
    target.Detach();
}

// ---- combo cells

RECT CXListCtrl::DropButtonRect(const RECT& cell)
{
    const int side = cell.bottom - cell.top;
    return RECT{cell.right - side, cell.top, cell.right, cell.bottom};
}

void CXListCtrl::DrawComboCell(HDC dc, const RECT& rc, int row, int subItem, XListCell& cell)
{
    CDC target;
    target.Attach(dc);
    target.FillSolidRect(rc, m_clrBack);
    const std::wstring caption = GetItemText(row, subItem);
    if (!caption.empty()) {
        HFONT font = m_font ? static_cast<HFONT>(*m_font) : GetFont();
        HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
        ::SetTextColor(dc, m_clrText);
        ::SetBkMode(dc, TRANSPARENT);
        RECT textRect = rc;
        textRect.left += kTextIndent;
        textRect.right -= rc.bottom - rc.top;
        ::DrawTextW(dc, caption.c_str(), -1, &textRect, kCellTextFormat);
        if (oldFont)
            ::SelectObject(dc, oldFont);
    }
    RECT button = DropButtonRect(rc);
    int shift = 0;
    if (cell.pressed) {
        CBrush frame(m_clrBack);
        ::FrameRect(dc, &button, frame);
        RECT inside = {button.left + 1, button.top + 1, button.right - 1, button.bottom - 1};
        target.FillSolidRect(inside, m_clrBack);
        shift = 1;
    } else {
        ::DrawEdge(dc, &button, EDGE_RAISED, BF_RECT);
        RECT inside = {button.left + 2, button.top + 2, button.right - 2, button.bottom - 2};
        target.FillSolidRect(inside, m_clrBack);
    }
    // A down arrow of three rows: 5, 3 and 1 pixels.
    const int middle = (button.left + button.right) / 2 + shift;
    const int top = (button.top + button.bottom) / 2 - 1 + shift;
    for (int line = 0; line < 3; ++line)
        target.FillSolidRect(RECT{middle - 2 + line, top + line, middle + 3 - line, top + line + 1}, m_clrText);
    target.Detach();
    if (cell.pressed) {
        m_pressedRect = rc;
        if (!m_comboList)
            OpenComboList(dc, rc, row, subItem, cell);
    }
}

void CXListCtrl::OpenComboList(HDC dc, const RECT& rc, int row, int subItem, XListCell& cell)
{
    if (!m_editFontMade) {
        LOGFONTW lf = {};
        HGDIOBJ current = ::GetCurrentObject(dc, OBJ_FONT);
        if (current && ::GetObjectW(current, sizeof(lf), &lf))
            m_editFont.CreateFontIndirect(&lf);
        m_editFontMade = true;
    }
    const int height = (rc.bottom - rc.top - 2) * cell.dropRows;
    RECT screen = {rc.left, rc.bottom - 1, rc.right - 1, rc.bottom - 1 + height};
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&screen.left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&screen.right));
    m_comboList = std::make_unique<CXComboList>(m_hWnd);
    if (!m_comboList->CreatePopup(screen)) {
        m_comboList.reset();
        return;
    }
    HWND listBox = m_comboList->ListBox();
    if (!m_editFont.IsNull()) {
        ::SendMessageW(listBox, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_editFont)), FALSE);
    }
    std::vector<std::wstring> choices;
    if (cell.choices) {
        for (const std::wstring& choice : *cell.choices) {
            if (!choice.empty())
                choices.push_back(choice);
        }
    }
    for (const std::wstring& choice : choices)
        ::SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    std::wstring text = GetItemText(row, subItem);
    if (text.empty() && !choices.empty()) {
        text = choices.front();
        SetItemText(row, subItem, text.c_str());
    }
    auto found = std::find(choices.begin(), choices.end(), text);
    const size_t chosen = found == choices.end() ? 0 : static_cast<size_t>(found - choices.begin());
    ::SendMessageW(listBox, LB_SETCURSEL, chosen, 0);
    m_comboText = chosen < choices.size() ? choices[chosen] : std::wstring();
}

void CXListCtrl::CloseComboList()
{
    if (m_comboList && m_comboList->IsWindow())
        m_comboList->DestroyWindow();
    m_comboList.reset();
    if (XListCell* cell = Cell(m_pressedRow, m_pressedSubItem))
        cell->pressed = false;
    m_cellPressed = false;
}

void CXListCtrl::TakeComboChoice()
{
    if (!m_comboList)
        return;
    const std::wstring text = m_comboList->SelectedText();
    const LRESULT selection = ::SendMessageW(m_comboList->ListBox(), LB_GETCURSEL, 0, 0);
    if (selection == LB_ERR)
        return;
    // A choice written here is not reported: the page reads the cell when it needs it.
    SetCellText(GetColumnId(m_pressedSubItem), RowKey(m_pressedRow), text.c_str());
}

LRESULT CXListCtrl::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    switch (wParam) {
    case kComboPressTimer:
        if (m_cellPressed) {
            POINT cursor = {};
            ::GetCursorPos(&cursor);
            ::ScreenToClient(m_hWnd, &cursor);
            if (!::PtInRect(&m_pressedRect, cursor)) {
                m_cellPressed = false;
                if (XListCell* cell = Cell(m_pressedRow, m_pressedSubItem))
                    cell->pressed = false;
                RedrawCell(GetColumnId(m_pressedSubItem), m_pressedRow);
            }
        } else if (m_comboList) {
            m_comboList->Show();
        } else {
            KillTimer(kComboPressTimer);
        }
        return 0;
    case kComboCloseTimer:
        KillTimer(kComboCloseTimer);
        CloseComboList();
        return 0;
    case kComboChooseTimer:
        KillTimer(kComboChooseTimer);
        TakeComboChoice();
        CloseComboList();
        RedrawCell(GetColumnId(m_pressedSubItem), m_pressedRow);
        return 0;
    case kComboFollowTimer:
        KillTimer(kComboFollowTimer);
        TakeComboChoice();
        return 0;
    default:
        bHandled = FALSE;
        return 0;
    }
}

LRESULT CXListCtrl::OnComboChosen(UINT, WPARAM, LPARAM, BOOL&)
{
    KillTimer(kComboPressTimer);
    SetTimer(kComboChooseTimer, kComboAnswerMs);
    return 0;
}

LRESULT CXListCtrl::OnComboKeyDown(UINT, WPARAM, LPARAM, BOOL&)
{
    SetTimer(kComboFollowTimer, kComboAnswerMs);
    return 0;
}

LRESULT CXListCtrl::OnComboEscape(UINT, WPARAM, LPARAM, BOOL&)
{
    // Escape, or the list losing the focus for good, closes the list and keeps the cell as it is.
    KillTimer(kComboPressTimer);
    SetTimer(kComboCloseTimer, kComboAnswerMs);
    return 0;
}

LRESULT CXListCtrl::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    if (GetItemCount() == 0) {
        RECT client = {};
        GetClientRect(&client);
        RECT headerRect = {};
        if (m_header.m_hWnd && ::IsWindowVisible(m_header) && m_header.GetItemRect(0, &headerRect))
            client.top = headerRect.bottom + 2;
        CClientDC dc(m_hWnd);
        dc.FillSolidRect(client, m_clrBack);
    }
    return result;
}

LRESULT CXListCtrl::OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    FillClientArea(m_hWnd, reinterpret_cast<HDC>(wParam), m_clrBack);
    return 1;
}

// ---- mouse and keys

LRESULT CXListCtrl::OnClick(int, NMHDR*, BOOL&)
{
    EndEdit(true);
    return 0;
}

LRESULT CXListCtrl::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    EndEdit(true);
    const POINT pt = {PointX(lParam), PointY(lParam)};
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
        const int columns = m_header.m_hWnd ? m_header.GetItemCount() : static_cast<int>(m_columns.size());
        bool clickedCell = false;
        for (int subItem = 0; subItem < columns; ++subItem) {
            RECT rc = {};
            XListCell* cell = Cell(row, subItem);
            if (!cell || !GetCellRect(row, subItem, &rc))
                continue;
            if (cell->value >= 0) {
                const int middle = (rc.left + rc.right) / 2;
                rc.left = middle - kCheckHalfWidth;
                rc.right = middle + kCheckHalfWidth;
            }
            if (!::PtInRect(&rc, pt))
                continue;
            clickedCell = true;
            if (cell->combo) {
                CloseComboList();
                const RECT button = DropButtonRect(rc);
                if (::PtInRect(&button, pt)) {
                    cell->pressed = true;
                    m_cellPressed = true;
                    m_pressedRow = row;
                    m_pressedSubItem = subItem;
                    m_pressedRect = rc;
                    RedrawCell(GetColumnId(subItem), row);
                    SetTimer(kComboPressTimer, kComboPressMs);
                }
                break;
            }
            if (cell->value >= 0) {
                const int columnId = GetColumnId(subItem);
                const XListColumn* column = ColumnAt(subItem);
                bool state = false;
                if (column && column->exclusive) {
                    if (cell->value == 1)
                        break;
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
            break;
        }
        if (m_comboList && !clickedCell)
            KillTimer(kComboPressTimer);
    }
    ::SendMessageW(GetParent(), WM_XLIST_CLICK, static_cast<WPARAM>(key), reinterpret_cast<LPARAM>(m_hWnd));
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CXListCtrl::OnRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    EndEdit(true);
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    if (!m_contextMenu)
        return result;
    const POINT pt = {PointX(lParam), PointY(lParam)};
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
    hit.pt = POINT{PointX(lParam), PointY(lParam)};
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

// ---- the LISTCTRL reader

namespace {

struct ListColourRow {
    const char* attribute;
    COLORREF CXListCtrl::*colour;
};

const ListColourRow kListColours[] = {
    {"fontclr", &CXListCtrl::m_clrText},
    {"fontclrhi", &CXListCtrl::m_clrTextHi},
    {"backclr", &CXListCtrl::m_clrBack},
    {"backclrhi", &CXListCtrl::m_clrBackHi},
};

bool ReadExclusiveFlag(const pugi::xml_node& element)
{
    const std::wstring value = AttributeText(element, "exclusive");
    if (value.empty())
        return false;
    const wchar_t c = value[0];
    return c == L'1' || c == L't' || c == L'T' || c == L'y' || c == L'Y';
}

} // namespace

CGUIItem* CreateXListCtrl(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    auto list = std::make_unique<CXListCtrl>();
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL;
    const pugi::xml_node headerElement = element.child("LISTHDR");
    if (!headerElement)
        style |= LVS_NOCOLUMNHEADER;
    const RECT rect = ReadItemRect(element, id, kRectWidthHeight);
    CWnd* parent = context.parent;
    list->m_font = ReadItemFont(element, id, context.list);
    for (const ListColourRow& row : kListColours) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, row.attribute, colour))
            (*list).*(row.colour) = colour;
    }
    if (!list->Create(style, rect, parent ? parent->m_hWnd : nullptr, static_cast<UINT>(id)))
        return nullptr;
    if (headerElement) {
        COLORREF colour = 0;
        if (ReadColourAttribute(headerElement, "backclr", colour))
            list->m_header.m_clrShadow = list->m_header.m_clrLight = list->m_header.m_clrBack = colour;
        if (ReadColourAttribute(headerElement, "fontclr", colour))
            list->m_header.m_clrText = colour;
    }
    list->SetExtendedListViewStyle(list->GetExtendedListViewStyle() | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB |
                                   LVS_EX_DOUBLEBUFFER);
    if (list->m_font)
        list->SetFont(*list->m_font);
    COLORREF colour = 0;
    if (ReadColourAttribute(element, "backclr", colour))
        list->SetBkColor(colour);
    if (ReadColourAttribute(element, "bdrclr", colour))
        list->SendMessage(LVM_SETOUTLINECOLOR, 0, colour);

    bool anyColumn = false;
    bool allOffered = true;
    for (pugi::xml_node column = element.child("LISTCOLUMN"); column; column = column.next_sibling("LISTCOLUMN")) {
        anyColumn = true;
        const int columnId = FindListColumnId(AttributeText(column, "name"));
        const int kind = FindColumnKind(AttributeText(column, "type"));
        int width = ParseDecimal(AttributeText(column, "width"));
        if (width < 0)
            width = 0;
        if (columnId == -1 || kind == -1 || width == 0) {
            allOffered = false;
            continue;
        }
        bool exclusive = false;
        CBitmap* off = nullptr;
        CBitmap* on = nullptr;
        CBitmap* mask = nullptr;
        if (kind == XListColumnKind::CheckBox) {
            exclusive = ReadExclusiveFlag(column);
            off = LoadChildBitmap("SBMN", column);
            on = LoadChildBitmap("SBMD", column);
            mask = LoadChildBitmap("SBMM", column);
        }
        const std::wstring caption = TrimmedFileName(ElementText(column));
        list->AddColumn(caption.c_str(), columnId, kind, width, exclusive, off, on, mask);
    }
    if (!anyColumn || !allOffered)
        return nullptr;

    list->m_id = id;
    list->m_type = SkinItemType::ListCtrl;
    list->m_window = list->m_hWnd;
    list->m_owner = parent;
    return list.release();
}

// ---- cell tips

int CXListCtrl::OnToolHitTest(POINT pt, TTTOOLINFOW* info) const
{
    if ((GetStyle() & LVS_TYPEMASK) != LVS_REPORT)
        return -1;
    const int top = GetTopIndex();
    int last = top + GetCountPerPage();
    if (last > GetItemCount())
        last = GetItemCount();
    for (int row = top; row < last; ++row) {
        RECT bounds = {};
        if (!GetItemRect(row, &bounds, LVIR_BOUNDS) || !::PtInRect(&bounds, pt))
            continue;
        const int columns = m_header.m_hWnd ? m_header.GetItemCount() : static_cast<int>(m_columns.size());
        int left = bounds.left;
        for (int subItem = 0; subItem < columns; ++subItem) {
            const int width = GetColumnWidth(subItem);
            if (pt.x >= left && pt.x < left + width) {
                const int id = ((row << 10) | (subItem & 0x3FF)) + 1;
                if (info) {
                    RECT client = {};
                    GetClientRect(&client);
                    RECT cell = {left, bounds.top, left + width, bounds.bottom};
                    ::IntersectRect(&info->rect, &cell, &client);
                    info->hwnd = m_hWnd;
                    info->uId = static_cast<UINT_PTR>(id);
                    info->lpszText = LPSTR_TEXTCALLBACKW;
                }
                return id;
            }
            left += width;
        }
        return -1;
    }
    return -1;
}

std::wstring CXListCtrl::CellTipText(UINT_PTR toolId) const
{
    if (toolId == 0)
        return L"";
    const int id = static_cast<int>(toolId - 1);
    const int row = id >> 10;
    const int subItem = id & 0x3FF;
    const XListColumn* column = ColumnAt(subItem);
    if (!column || (column->kind != XListColumnKind::Edit && column->kind != XListColumnKind::FileDialog) ||
        row >= GetItemCount())
        return L"";
    std::wstring text = GetItemText(row, subItem);
    if (text.empty())
        return L"";
    CClientDC dc(m_hWnd);
    HFONT font = m_font ? static_cast<HFONT>(*m_font) : GetFont();
    HGDIOBJ oldFont = font ? dc.SelectObject(font) : nullptr;
    RECT measured = {};
    ::DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    if (oldFont)
        dc.SelectObject(oldFont);
    if (measured.right - measured.left <= GetColumnWidth(subItem) - kTextIndent)
        return L"";
    if (text.size() > kMaxTipLength)
        text.resize(kMaxTipLength);
    return text;
}

LRESULT CXListCtrl::OnNeedText(int, NMHDR* header, BOOL&)
{
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    if (info->uFlags & TTF_IDISHWND)
        return 0;
    m_tipText = CellTipText(header->idFrom);
    info->lpszText = const_cast<wchar_t*>(m_tipText.c_str());
    info->hinst = nullptr;
    return 0;
}

void CXListCtrl::TrackToolTip(MSG* msg)
{
    if (!m_toolTip.m_hWnd && !m_toolTip.Create(m_hWnd))
        return;
    const POINT pt = {PointX(msg->lParam), PointY(msg->lParam)};
    TTTOOLINFOW info = {};
    const int id = OnToolHitTest(pt, &info);
    if (id != m_tipToolId) {
        if (m_tipToolId != -1)
            m_toolTip.DelTool(m_hWnd, static_cast<UINT_PTR>(m_tipToolId));
        if (id != -1)
            m_toolTip.AddTool(m_hWnd, LPSTR_TEXTCALLBACKW, info.rect, static_cast<UINT_PTR>(id));
        m_tipToolId = id;
    }
    m_toolTip.RelayEvent(msg);
}
