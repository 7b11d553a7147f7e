// GDI helpers shared by the skinned widgets: mask bitmap to region, bitmap rectangle copies, image files.
#include "skin/DrawingHelpers.h"

#include "framework/ComRef.h"
#include "framework/Handle.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <vector>

namespace {

// ExtCreateRegion gets at most this many rectangles at a time.
constexpr DWORD kMaxRectsPerRegion = 2000;
// The rectangle buffer grows by this many at a time.
constexpr DWORD kRectGrowth = 100;

// Rectangles collected for one ExtCreateRegion call, in an RGNDATA buffer.
class RegionBatch {
public:
    RegionBatch() : m_buffer(sizeof(RGNDATAHEADER) + kRectGrowth * sizeof(RECT)) { Reset(); }

    DWORD Count() const { return Header()->nCount; }

    void Add(int left, int top, int right, int bottom)
    {
        RGNDATAHEADER* header = Header();
        if (sizeof(RGNDATAHEADER) + (header->nCount + 1) * sizeof(RECT) > m_buffer.size()) {
            m_buffer.resize(m_buffer.size() + kRectGrowth * sizeof(RECT));
            header = Header();
        }
        RECT* rects = reinterpret_cast<RECT*>(m_buffer.data() + sizeof(RGNDATAHEADER));
        rects[header->nCount++] = RECT{left, top, right, bottom};
        RECT& bound = header->rcBound;
        if (left < bound.left)
            bound.left = left;
        if (top < bound.top)
            bound.top = top;
        if (right > bound.right)
            bound.right = right;
        if (bottom > bound.bottom)
            bound.bottom = bottom;
    }

    // Makes a region of the collected rectangles, ORs it into `result` (or makes it the result) and
    // starts a new batch. False when GDI refuses the region.
    bool FlushInto(HRGN& result)
    {
        DWORD size = static_cast<DWORD>(sizeof(RGNDATAHEADER) + Count() * sizeof(RECT));
        HRGN part = ::ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(m_buffer.data()));
        Reset();
        if (!part)
            return false;
        if (!result) {
            result = part;
        } else {
            ::CombineRgn(result, result, part, RGN_OR);
            ::DeleteObject(part);
        }
        return true;
    }

private:
    RGNDATAHEADER* Header() { return reinterpret_cast<RGNDATAHEADER*>(m_buffer.data()); }
    const RGNDATAHEADER* Header() const { return reinterpret_cast<const RGNDATAHEADER*>(m_buffer.data()); }

    void Reset()
    {
        RGNDATAHEADER* header = Header();
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = 0;
        header->nRgnSize = 0;
        header->rcBound = RECT{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
    }

    std::vector<BYTE> m_buffer;
};

// Give back what LoadPictureFile takes, on every path; a cleared field means handed on.
struct GlobalFreer {
    HGLOBAL h;
    ~GlobalFreer()
    {
        if (h)
            ::GlobalFree(h);
    }
};
} // namespace

HRGN BitmapToRegion(HBITMAP bitmap, COLORREF transparent)
{
    if (!bitmap)
        return nullptr;
    BITMAP bm = {};
    if (!::GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;
    const int width = bm.bmWidth;
    const int height = bm.bmHeight;

    CDC copyDC;
    CDC sourceDC;
    if (!copyDC.CreateCompatibleDC(nullptr) || !sourceDC.CreateCompatibleDC(nullptr))
        return nullptr;

    // A 32-bit copy makes every source format read the same way: one DWORD per pixel, rows stored
    // bottom-up (positive height).
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CBitmap copy(::CreateDIBSection(copyDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (copy.IsNull() || !bits)
        return nullptr;
    {
        // A bitmap that is selected into another DC cannot be read here.
        CSelectObject selectSource(sourceDC, bitmap);
        if (::GetCurrentObject(sourceDC, OBJ_BITMAP) != bitmap)
            return nullptr;
        CSelectObject selectCopy(copyDC, copy);
        if (!copyDC.BitBlt(0, 0, width, height, sourceDC, 0, 0, SRCCOPY))
            return nullptr;
    }
    ::GdiFlush();

    HRGN result = nullptr;
    RegionBatch batch;
    const BYTE* pixels = static_cast<const BYTE*>(bits);
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = pixels + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const int x0 = x;
            while (x < width) {
                const BYTE* p = row + static_cast<size_t>(x) * 4;  // blue, green, red, unused
                if (p[0] == GetBValue(transparent) && p[1] == GetGValue(transparent) &&
                    p[2] == GetRValue(transparent))
                    break;
                ++x;
            }
            if (x > x0) {
                batch.Add(x0, y, x, y + 1);
                if (batch.Count() == kMaxRectsPerRegion && !batch.FlushInto(result)) {
                    if (result)
                        ::DeleteObject(result);
                    return nullptr;
                }
            }
        }
    }
    if (batch.Count() > 0 && !batch.FlushInto(result)) {
        if (result)
            ::DeleteObject(result);
        return nullptr;
    }
    // Nothing but the transparent colour: an empty region rather than none.
    if (!result)
        result = ::CreateRectRgn(0, 0, 0, 0);
    return result;
}

bool CopyBitmapRect(CBitmap& target, HDC dc, HBITMAP source, int x, int y, int right, int bottom)
{
    if (!source || right <= x || bottom <= y)
        return false;
    const int width = right - x;
    const int height = bottom - y;

    // The copy is made complete before the target gives up its bitmap, so any failure leaves the target
    // as it was (and a source that is the target's own bitmap stays valid while it is read).
    CBitmap copy(::CreateCompatibleBitmap(dc, width, height));
    if (copy.IsNull())
        return false;
    CDC sourceDC;
    CDC copyDC;
    if (!sourceDC.CreateCompatibleDC(dc) || !copyDC.CreateCompatibleDC(dc))
        return false;
    {
        CSelectObject selectSource(sourceDC, source);
        if (::GetCurrentObject(sourceDC, OBJ_BITMAP) != source)
            return false;
        CSelectObject selectCopy(copyDC, copy);
        if (::GetCurrentObject(copyDC, OBJ_BITMAP) != copy.GetSafeHandle() ||
            !copyDC.StretchBlt(0, 0, width, height, sourceDC, x, y, width, height, SRCCOPY))
            return false;
    }
    target.Attach(copy.Detach());
    return true;
}

bool LoadPictureFile(const std::wstring& path, CBitmap& target)
{
    CHandle file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (file.IsNull())
        return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF)
        return false;
    const DWORD length = static_cast<DWORD>(size.QuadPart);

    GlobalFreer memory{::GlobalAlloc(GMEM_MOVEABLE, length)};
    if (!memory.h)
        return false;
    void* data = ::GlobalLock(memory.h);
    if (!data)
        return false;
    DWORD read = 0;
    const BOOL readOk = ::ReadFile(file, data, length, &read, nullptr);
    ::GlobalUnlock(memory.h);
    if (!readOk || read != length)
        return false;
    file.CloseHandle();

    // From here on the stream owns the memory.
    ComRef<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(memory.h, TRUE, stream.Put())) || !stream)
        return false;
    memory.h = nullptr;

    ComRef<IPicture> picture;
    if (FAILED(::OleLoadPicture(stream.Get(), static_cast<LONG>(length), FALSE, IID_IPicture, picture.PutVoid())) ||
        !picture)
        return false;

    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)) || !handle)
        return false;
    // The picture deletes its own bitmap when it is released, so the target gets a copy.
    HBITMAP bitmap = static_cast<HBITMAP>(::CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return false;
    target.Attach(bitmap);
    return true;
}

HBITMAP DuplicateDib(HBITMAP source)
{
    if (!source)
        return nullptr;
    return static_cast<HBITMAP>(::CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HFONT CreateDefaultSkinFont()
{
    return ::CreateFontW(14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0x20, L"Arial");
}

HFONT SkinFontOrDefault(const CFont* font)
{
    if (font && !font->IsNull())
        return *font;
    static const HFONT fallback = CreateDefaultSkinFont();
    return fallback;
}

void FillClientArea(HWND window, HDC dc, COLORREF colour)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    CDC target;
    target.Attach(dc);
    target.FillSolidRect(client, colour);
    target.Detach();
}
