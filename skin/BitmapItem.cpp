// The bitmap item: its image, its window shape, and passing its children's commands on.
#include "skin/BitmapItem.h"

#include <memory>

#include "skin/DrawingHelpers.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

const wchar_t kWindowClass[] = L"TessarySkinWindow";

// Visible children; the control id of bitmap items and windows is -1.
constexpr DWORD kItemStyle = WS_CHILD | WS_VISIBLE;
constexpr UINT kItemControlId = static_cast<UINT>(-1);

} // namespace

CBitmapItem::~CBitmapItem()
{
    // The window ends while every part of the object still exists.
    if (m_hWnd && IsWindow())
        DestroyWindow();
}

const wchar_t* CBitmapItem::WindowClass()
{
    static const bool registered = CWnd::RegisterWndClass(kWindowClass);
    return registered ? kWindowClass : nullptr;
}

void CBitmapItem::PostCommandToParent(const CWnd& wnd, WPARAM wParam, LPARAM lParam)
{
    if (HWND parent = wnd.m_hWnd ? wnd.GetParent() : nullptr)
        ::PostMessageW(parent, WM_COMMAND, wParam, lParam);
}

BOOL CBitmapItem::OnCommand(WPARAM wParam, LPARAM lParam)
{
    PostCommandToParent(*this, wParam, lParam);
    return CWnd::OnCommand(wParam, lParam);
}

LRESULT CBitmapItem::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    if (m_image.IsNull())
        return 0;
    RECT client = {};
    GetClientRect(&client);
    CDC imageDC;
    if (!imageDC.CreateCompatibleDC(dc))
        return 0;
    CSelectObject select(imageDC, m_image);
    dc.BitBlt(client.left, client.top, client.right - client.left, client.bottom - client.top, imageDC, 0, 0,
              SRCCOPY);
    return 0;
}

CGUIItem* CreateBitmapItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    CBitmap* image = LoadChildBitmap("SBMN", element);
    CBitmap* mask = LoadChildBitmap("SBMM", element);

    CWnd* parent = context.parent;
    if (!parent || !parent->m_hWnd || !CBitmapItem::WindowClass())
        return nullptr;
    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto item = std::make_unique<CBitmapItem>();
    if (!item->Create(CBitmapItem::WindowClass(), L"", kItemStyle, rc, parent->m_hWnd, kItemControlId))
        return nullptr;

    if (mask) {
        if (HRGN region = BitmapToRegion(*mask)) {
            // The window owns its region from here on.
            if (!item->SetWindowRgn(region, TRUE))
                ::DeleteObject(region);
        }
    }
    // Every item shows its image, shaped or not.
    if (image) {
        CClientDC dc(item->m_hWnd);
        CopyBitmapRect(item->m_image, dc, *image, 0, 0, rc.right - rc.left, rc.bottom - rc.top);
    }

    item->SetSkinItem(id, SkinItemType::BitmapItem, nullptr, parent);
    return item.release();
}
