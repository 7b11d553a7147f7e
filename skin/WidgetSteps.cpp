// Steps the skinned widgets share.
#include "skin/WidgetSteps.h"

#include "framework/Wnd.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

#include <windowsx.h>

bool ReadWidgetIdAndParent(const pugi::xml_node& element, const SkinLoadContext& context, int& id, CWnd*& parent)
{
    id = ReadItemId(element);
    parent = context.parent;
    return id != -1 && parent && parent->m_hWnd;
}

CWnd* ReadContainerParent(const pugi::xml_node& element, const SkinLoadContext& context)
{
    CWnd* parent = context.parent;
    if (CGUIItem* container = FindContainerItem(element, "windowid", context.list)) {
        CWnd* containerWnd = dynamic_cast<CWnd*>(container);
        if (!containerWnd)
            containerWnd = CWnd::FromHandlePermanent(container->m_window);
        if (containerWnd && containerWnd->m_hWnd)
            parent = containerWnd;
    }
    return parent && parent->m_hWnd ? parent : nullptr;
}

void ReadButtonTextLayout(const pugi::xml_node& element, int id, DWORD& style, UINT& textFormat)
{
    switch (ReadJustify(element)) {
    case L'R':
        style |= BS_RIGHT;
        textFormat |= DT_RIGHT;
        break;
    case L'C':
        style |= BS_CENTER;
        textFormat |= DT_CENTER;
        break;
    default:
        style |= BS_LEFT;
        break;
    }
    textFormat |= ReadMultiline(element, id) ? (DT_VCENTER | DT_WORDBREAK) : (DT_VCENTER | DT_WORDBREAK | DT_SINGLELINE);
}

ItemPaint ReadItemPaint(HWND wnd, const DRAWITEMSTRUCT& item)
{
    RECT client = {};
    ::GetClientRect(wnd, &client);
    return ItemPaint{(item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_DISABLED) != 0, client,
                     client.right - client.left, client.bottom - client.top};
}

CComposingDC::CComposingDC(HDC target, int width, int height)
{
    if (!CreateCompatibleDC(target) || !m_bitmap.CreateCompatibleBitmap(target, width, height))
        return;
    m_old = SelectObject(m_bitmap);
    BitBlt(0, 0, width, height, target, 0, 0, SRCCOPY);
}

CComposingDC::~CComposingDC()
{
    if (m_old)
        SelectObject(m_old);
}

bool PointerLeftWindow(HWND wnd, LPARAM lParam)
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(wnd, &point);
    HWND under = ::WindowFromPoint(point);
    return under && under != wnd;
}
