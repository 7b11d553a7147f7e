// Owning wrappers for GDI objects and device contexts.
#include "framework/Gdi.h"

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height)
{
    Attach(::CreateCompatibleBitmap(dc, width, height));
    return m_h != nullptr;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
    return m_h != nullptr;
}

BOOL CBitmap::CreateDIBSection32(HDC dc, int width, int height, void** bits)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Attach(::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits)
        *bits = m_h ? pixels : nullptr;
    return m_h != nullptr;
}

SIZE CBitmap::GetSize() const
{
    BITMAP bm = {};
    if (!m_h || !GetBitmap(&bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* lf)
{
    Attach(::CreateFontIndirectW(lf));
    return m_h != nullptr;
}

BOOL CBrush::CreateSolidBrush(COLORREF colour)
{
    Attach(::CreateSolidBrush(colour));
    return m_h != nullptr;
}

BOOL CPen::CreatePen(int style, int width, COLORREF colour)
{
    Attach(::CreatePen(style, width, colour));
    return m_h != nullptr;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    Attach(::CreateRectRgn(left, top, right, bottom));
    return m_h != nullptr;
}

CDC::~CDC()
{
    if (m_release == Release::Delete)
        DeleteDC();
}

void CDC::Attach(HDC dc)
{
    DeleteDC();
    m_hDC = m_hAttribDC = dc;
    m_release = Release::Delete;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(HDC dc)
{
    Attach(::CreateCompatibleDC(dc));
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    BOOL ok = ::DeleteDC(m_hDC);
    m_hDC = m_hAttribDC = nullptr;
    return ok;
}

void CDC::FillSolidRect(const RECT& rc, COLORREF colour)
{
    COLORREF old = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

SIZE CDC::GetWindowExt() const
{
    SIZE s = {};
    ::GetWindowExtEx(m_hAttribDC, &s);
    return s;
}

SIZE CDC::GetViewportExt() const
{
    SIZE s = {};
    ::GetViewportExtEx(m_hAttribDC, &s);
    return s;
}

CPaintDC::CPaintDC(HWND wnd) : m_hWnd(wnd)
{
    m_release = Release::EndPaint;
    m_hDC = m_hAttribDC = ::BeginPaint(wnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = m_hAttribDC = nullptr;
}

CClientDC::CClientDC(HWND wnd) : m_hWnd(wnd)
{
    m_release = Release::ReleaseDC;
    m_hDC = m_hAttribDC = ::GetDC(wnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = m_hAttribDC = nullptr;
}
