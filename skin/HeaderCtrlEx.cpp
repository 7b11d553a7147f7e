// CXHeaderCtrl: style set-up and painting of the list control's header.
#include "skin/HeaderCtrlEx.h"

#include <algorithm>
#include <memory>

#include "skin/LangTable.h"
#include "skin/MemDC.h"

namespace {

constexpr int kMaxCaption = 160;
constexpr UINT kCaptionFormat = DT_SINGLELINE | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;

void Line(CDC& dc, int x, int top, int bottom, COLORREF colour)
{
    if (bottom > top)
        dc.FillSolidRect(RECT{x, top, x + 1, bottom}, colour);
}

} // namespace

void CXHeaderCtrl::PreSubclassWindow()
{
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() | HDS_FLAT);
}

LRESULT CXHeaderCtrl::OnInsertItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const size_t at = std::min(static_cast<size_t>(wParam), m_itemsEx.size());
    m_itemsEx.insert(m_itemsEx.begin() + static_cast<std::ptrdiff_t>(at), HeaderItemEx{});
    const LRESULT index = DefWindowProc(msg, wParam, lParam);
    if (index < 0)
        m_itemsEx.erase(m_itemsEx.begin() + static_cast<std::ptrdiff_t>(at));
    return index;
}

LRESULT CXHeaderCtrl::OnDeleteItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam < m_itemsEx.size())
        m_itemsEx.erase(m_itemsEx.begin() + static_cast<std::ptrdiff_t>(wParam));
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CXHeaderCtrl::OnSetImageList(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    IMAGEINFO info = {};
    HIMAGELIST list = reinterpret_cast<HIMAGELIST>(lParam);
    if (list && ImageList_GetImageInfo(list, 0, &info)) {
        m_imageWidth = info.rcImage.right - info.rcImage.left;
        m_imageHeight = info.rcImage.bottom - info.rcImage.top;
    }
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CXHeaderCtrl::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC paint(m_hWnd);
    std::unique_ptr<CMemDC> memory;
    CDC* dc = &paint;
    if (m_useMemDC) {
        memory = std::make_unique<CMemDC>(&paint);
        dc = memory.get();
    }
    RECT clip = {};
    dc->GetClipBox(&clip);
    dc->FillSolidRect(clip, m_clrBack);
    HFONT font = GetFont();
    HGDIOBJ oldFont = font ? dc->SelectObject(font) : nullptr;
    dc->SetBkColor(m_clrBack);
    dc->SetTextColor(m_clrText);

    const int count = GetItemCount();
    int totalWidth = 0;
    for (int order = 0; order < count; ++order) {
        const int index = OrderToIndex(order);
        wchar_t caption[kMaxCaption + 1] = {};
        HDITEMW item = {};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
        item.pszText = caption;
        item.cchTextMax = kMaxCaption;
        RECT rc = {};
        if (!GetItem(index, &item) || !GetItemRect(index, &rc))
            continue;
        totalWidth += item.cxy;
        RECT visible = {};
        if (::IntersectRect(&visible, &rc, &clip)) {
            if (item.fmt & HDF_OWNERDRAW) {
                DRAWITEMSTRUCT draw = {};
                draw.CtlType = ODT_HEADER;
                draw.CtlID = static_cast<UINT>(GetDlgCtrlID());
                draw.itemID = static_cast<UINT>(index);
                draw.itemAction = ODA_DRAWENTIRE;
                draw.hwndItem = m_hWnd;
                draw.hDC = *dc;
                draw.rcItem = rc;
                draw.itemData = static_cast<ULONG_PTR>(item.lParam);
                ::SendMessageW(GetParent(), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
            } else {
                DrawItem(*dc, rc.left + m_margin, rc.top, rc.right - m_margin, rc.bottom, item);
            }
        }
        if (order < count - 1) {
            Line(*dc, rc.right - 1, rc.top + 2, rc.bottom - 2, m_clrLight);
            Line(*dc, rc.right, rc.top + 2, rc.bottom - 2, m_clrShadow);
        }
    }
    if (totalWidth > 0) {
        RECT client = {};
        GetClientRect(&client);
        const RECT frame = {client.left, client.top, client.left + totalWidth, client.bottom};
        dc->FillSolidRect(RECT{frame.left, frame.top, frame.right - 1, frame.top + 1}, m_clrShadow);
        dc->FillSolidRect(RECT{frame.left, frame.top, frame.left + 1, frame.bottom - 1}, m_clrShadow);
        dc->FillSolidRect(RECT{frame.right - 1, frame.top, frame.right, frame.bottom}, m_clrLight);
        dc->FillSolidRect(RECT{frame.left, frame.bottom - 1, frame.right, frame.bottom}, m_clrLight);
    }
    if (oldFont)
        dc->SelectObject(oldFont);
    return 0;
}

void CXHeaderCtrl::DrawItem(HDC dc, int left, int top, int right, int bottom, const HDITEMW& item)
{
    int imagePart = 0;
    int bitmapPart = 0;
    HIMAGELIST images = GetImageList();
    if (images && (item.mask & HDI_IMAGE) && item.iImage != -1 && right - left > 0) {
        const int width = right - left < m_imageWidth ? right - left : m_imageWidth;
        ImageList_DrawEx(images, item.iImage, dc, left, (top + bottom) / 2 - m_imageHeight / 2, width,
                         m_imageHeight, CLR_DEFAULT, CLR_DEFAULT, ILD_NORMAL);
        imagePart = m_imageWidth + m_margin;
    }
    BITMAP bm = {};
    if ((item.fmt & HDF_BITMAP) && item.hbm && ::GetObjectW(item.hbm, sizeof(bm), &bm) &&
        right - left >= bm.bmWidth) {
        HDC source = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(source, item.hbm);
        ::BitBlt(dc, right - bm.bmWidth, (top + bottom) / 2 - bm.bmHeight / 2, bm.bmWidth, bm.bmHeight, source, 0,
                 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
        bitmapPart = bm.bmWidth + m_margin;
    }
    RECT text = {left + imagePart, top, right - bitmapPart, bottom};
    if (text.right - text.left < 1 || !(item.mask & HDI_TEXT) || !(item.fmt & HDF_STRING) || !item.pszText)
        return;
    const std::wstring caption = TranslateText(item.pszText);
    ::SetTextColor(dc, m_clrText);
    ::DrawTextW(dc, caption.c_str(), -1, &text, kCaptionFormat);
}
