// Owning wrappers for GDI objects and device contexts.
//
// Each wrapper owns at most one handle. Deleting (or destroying the wrapper) deletes the handle and
// clears it, so a wrapper can be reused. Attach takes ownership of a handle, Detach gives it up.
// Method names are those of the Win32 calls they wrap.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

struct CDeleteObjectCall {
    static BOOL Call(HGDIOBJ h) { return ::DeleteObject(h); }
};

// Owns one GDI object, as COwnedHandle owns a kernel handle; the wrappers below add the typed handle.
class CGdiObject : public COwnedHandle<HGDIOBJ, CDeleteObjectCall> {
public:
    CGdiObject() = default;
    explicit CGdiObject(HGDIOBJ h) { m_h = h; }
    CGdiObject(CGdiObject&&) noexcept = default;
    CGdiObject& operator=(CGdiObject&&) noexcept = default;
    virtual ~CGdiObject() = default;

    HGDIOBJ GetSafeHandle() const { return m_h; }
    // Deletes the handle; true when there was one and GDI deleted it.
    BOOL DeleteObject() { return Release(); }
    int GetObject(int size, void* buffer) const { return ::GetObjectW(m_h, size, buffer); }
    DWORD GetObjectType() const { return ::GetObjectType(m_h); }
};

class CBitmap : public CGdiObject {
public:
    CBitmap() = default;
    explicit CBitmap(HBITMAP h) : CGdiObject(h) {}
    operator HBITMAP() const { return static_cast<HBITMAP>(m_h); }

    BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    // A 32-bit top-down DIB section; *bits receives the pixel memory (may be null).
    BOOL CreateDIBSection32(HDC dc, int width, int height, void** bits);
    int GetBitmap(BITMAP* bm) const { return GetObject(sizeof(BITMAP), bm); }
    // Width and height, or {0, 0} without a bitmap.
    SIZE GetSize() const;
};

class CFont : public CGdiObject {
public:
    CFont() = default;
    explicit CFont(HFONT h) : CGdiObject(h) {}
    operator HFONT() const { return static_cast<HFONT>(m_h); }

    BOOL CreateFontIndirect(const LOGFONTW* lf);
    int GetLogFont(LOGFONTW* lf) const { return GetObject(sizeof(LOGFONTW), lf); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_h); }

    BOOL CreateSolidBrush(COLORREF colour);
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    operator HPEN() const { return static_cast<HPEN>(m_h); }

    BOOL CreatePen(int style, int width, COLORREF colour);
};

class CRgn : public CGdiObject {
public:
    CRgn() = default;
    explicit CRgn(HRGN h) : CGdiObject(h) {}
    operator HRGN() const { return static_cast<HRGN>(m_h); }

    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    int CombineRgn(HRGN a, HRGN b, int mode) { return ::CombineRgn(*this, a, b, mode); }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
    int GetRgnBox(RECT* rc) const { return ::GetRgnBox(*this, rc); }
};

// A device context. m_hDC is the output DC and m_hAttribDC the one attributes are read from; they are
// the same handle except where a DC shares another's handles (see CMemDC).
class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    bool m_bPrinting = false;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    bool IsPrinting() const { return m_bPrinting; }

    // Takes ownership of a DC that this object will delete with DeleteDC.
    void Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(HDC dc);
    BOOL DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    BOOL BitBlt(int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, w, h, src, xs, ys, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, w, h, src, xs, ys, ws, hs, rop);
    }
    void FillSolidRect(const RECT& rc, COLORREF colour);
    COLORREF GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    int GetClipBox(RECT* rc) const { return ::GetClipBox(m_hDC, rc); }
    int GetMapMode() const { return ::GetMapMode(m_hAttribDC); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    SIZE GetWindowExt() const;
    SIZE GetViewportExt() const;
    BOOL SetWindowExt(int cx, int cy) { return ::SetWindowExtEx(m_hDC, cx, cy, nullptr); }
    BOOL SetViewportExt(int cx, int cy) { return ::SetViewportExtEx(m_hDC, cx, cy, nullptr); }
    BOOL SetWindowOrg(int x, int y) { return ::SetWindowOrgEx(m_hDC, x, y, nullptr); }
    BOOL LPtoDP(RECT* rc) const { return ::LPtoDP(m_hAttribDC, reinterpret_cast<POINT*>(rc), 2); }
    BOOL DPtoLP(RECT* rc) const { return ::DPtoLP(m_hAttribDC, reinterpret_cast<POINT*>(rc), 2); }
    int DrawText(const wchar_t* text, int length, RECT* rc, UINT format)
    {
        return ::DrawTextW(m_hDC, text, length, rc, format);
    }

protected:
    enum class Release { Delete, ReleaseDC, EndPaint, None };
    Release m_release = Release::Delete;
};

// The DC of a window's paint cycle (BeginPaint/EndPaint).
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// GetDC/ReleaseDC of a window's client area; a null window gives the screen.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// Selects an object into a DC for one scope and selects the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(::SelectObject(dc, obj)) {}
    ~CSelectObject()
    {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};
