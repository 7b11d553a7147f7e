// CXListCtrl, what the cells show: their drawing, the empty list's background, and the tips of cut texts.
#include "skin/ListCtrlEx.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "skin/DrawingHelpers.h"

namespace {

constexpr UINT kCellTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS;
constexpr int kTextIndent = 8;
constexpr size_t kMaxTipLength = 80;

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
    const POINT pt = {GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
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
