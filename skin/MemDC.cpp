// CMemDC: off-screen painting for the skinned widgets.
#include "skin/MemDC.h"

CMemDC::CMemDC(CDC* target, const RECT* rect) : m_pDC(target)
{
    m_bMemDC = !target->IsPrinting();
    if (rect)
        m_rect = *rect;
    else
        target->GetClipBox(&m_rect);

    if (m_bMemDC && CreateCompatibleDC(target->m_hDC)) {
        // The bitmap covers the area in device pixels; the same mapping as the target's, with the window
        // origin moved to the area's corner, makes logical coordinates mean the same in both DCs.
        target->LPtoDP(&m_rect);
        m_bitmap.CreateCompatibleBitmap(target->m_hDC, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
        m_oldBitmap = static_cast<HBITMAP>(SelectObject(m_bitmap));
        SetMapMode(target->GetMapMode());
        SIZE windowExt = target->GetWindowExt();
        SIZE viewportExt = target->GetViewportExt();
        SetWindowExt(windowExt.cx, windowExt.cy);
        SetViewportExt(viewportExt.cx, viewportExt.cy);
        target->DPtoLP(&m_rect);
        SetWindowOrg(m_rect.left, m_rect.top);
    } else {
        // Printing, or no memory DC to be had: draw straight into the target's handles, which stay its own.
        m_bMemDC = false;
        m_hDC = target->m_hDC;
        m_hAttribDC = target->m_hAttribDC;
        m_bPrinting = target->m_bPrinting;
        m_release = Release::None;
    }

    FillSolidRect(m_rect, target->GetBkColor());
}

CMemDC::~CMemDC()
{
    if (m_bMemDC) {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
                      m_rect.left, m_rect.top, SRCCOPY);
        if (m_oldBitmap)
            SelectObject(m_oldBitmap);
    } else {
        Detach();
    }
}
