// Helpers the skinned value widgets share.
#include "skin/SliderCommon.h"

#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

void ReleaseCaptureOf(HWND wnd)
{
    if (wnd && ::GetCapture() == wnd)
        ::ReleaseCapture();
}

void PostToParentAndCreator(HWND slider, HWND createdIn, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const HWND parent = ::GetParent(slider);
    if (parent)
        ::PostMessageW(parent, msg, wParam, lParam);
    if (createdIn && createdIn != parent)
        ::PostMessageW(createdIn, msg, wParam, lParam);
}

void PaintClientImage(HWND wnd, const CBitmap& image)
{
    CPaintDC dc(wnd);
    CDC imageDC;
    if (image.IsNull() || !imageDC.CreateCompatibleDC(dc))
        return;
    const SIZE size = image.GetSize();
    CSelectObject select(imageDC, image);
    dc.BitBlt(0, 0, size.cx, size.cy, imageDC, 0, 0, SRCCOPY);
}

SliderPlace ReadSliderPlace(const pugi::xml_node& element, int id, const SkinLoadContext& context)
{
    SliderPlace place;
    place.container = dynamic_cast<CBitmapItem*>(FindContainerItem(element, "trackid", context.list));
    if (place.container && !place.container->m_hWnd)
        place.container = nullptr;
    CWnd* host = place.container ? place.container : context.parent;
    if (!host || !host->m_hWnd)
        return place;
    place.in = host;
    place.rc = ReadItemRect(element, id, kRectWidthHeight);
    return place;
}

HBITMAP ReadChildDib(const pugi::xml_node& element, const char* childName)
{
    pugi::xml_node child = element.child(childName);
    return child ? ResolveSkinBitmap(ElementText(child)) : nullptr;
}

bool CStripSlider::CreateStrip(const RECT& rc, HWND in, int id, const CBitmapItem* container)
{
    const wchar_t* windowClass = CBitmapItem::WindowClass();
    if (!windowClass ||
        !CWnd::Create(windowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rc, in, static_cast<UINT>(id)))
        return false;
    m_rect = rc;
    m_createdIn = in;
    if (container && !container->m_image.IsNull()) {
        CClientDC dc(m_hWnd);
        CopyBitmapRect(m_background, dc, container->m_image, rc.left, rc.top, rc.right, rc.bottom);
    }
    return true;
}

LRESULT CStripSlider::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    return 1;
}
