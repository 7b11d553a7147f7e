// Helpers the skinned value widgets share.
#include "skin/SliderCommon.h"

#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
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

CWnd* ReadSliderHost(const pugi::xml_node& element, const SkinItemList& list, CWnd* parent,
                     CBitmapItem*& container)
{
    container = dynamic_cast<CBitmapItem*>(FindContainerItem(element, "trackid", list));
    if (container && !container->m_hWnd)
        container = nullptr;
    CWnd* host = container ? container : parent;
    return host && host->m_hWnd ? host : nullptr;
}

void CopyContainerPart(CBitmap& target, HWND wnd, const CBitmapItem* container, const RECT& rc)
{
    if (!container || container->m_image.IsNull())
        return;
    CClientDC dc(wnd);
    CopyBitmapRect(target, dc, container->m_image, rc.left, rc.top, rc.right, rc.bottom);
}

HBITMAP ReadChildDib(const pugi::xml_node& element, const char* childName)
{
    pugi::xml_node child = element.child(childName);
    return child ? ResolveSkinBitmap(ElementText(child)) : nullptr;
}
