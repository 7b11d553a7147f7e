// Bitmaps for the skin tests: 32-bit DIB sections made from pixel lists, and pixels read back.
#pragma once

#include "framework/Gdi.h"

#include <vector>

// A top-down 32-bit DIB section of width x height; `pixels` lists the colours row by row from the top
// (empty: all black).
inline CBitmap MakeDib(int width, int height, const std::vector<COLORREF>& pixels = {})
{
    CBitmap bitmap;
    void* bits = nullptr;
    bitmap.CreateDIBSection32(nullptr, width, height, &bits);
    if (bits) {
        DWORD* out = static_cast<DWORD*>(bits);
        for (size_t i = 0; i < pixels.size() && i < static_cast<size_t>(width) * height; ++i)
            out[i] = (GetRValue(pixels[i]) << 16) | (GetGValue(pixels[i]) << 8) | GetBValue(pixels[i]);
        GdiFlush();
    }
    return bitmap;
}

// All pixels of a bitmap (not selected into any DC) as colours, row by row from the top.
inline std::vector<COLORREF> ReadPixels(HBITMAP bitmap, int* width = nullptr, int* height = nullptr)
{
    BITMAP bm = {};
    if (!GetObjectW(bitmap, sizeof(bm), &bm))
        return {};
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    if (GetDIBits(dc, bitmap, 0, bm.bmHeight, raw.data(), &bi, DIB_RGB_COLORS) != bm.bmHeight)
        return {};
    if (width)
        *width = bm.bmWidth;
    if (height)
        *height = bm.bmHeight;
    std::vector<COLORREF> pixels;
    pixels.reserve(raw.size());
    for (DWORD p : raw)
        pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return pixels;
}

inline COLORREF PixelAt(HBITMAP bitmap, int x, int y)
{
    int width = 0;
    std::vector<COLORREF> pixels = ReadPixels(bitmap, &width);
    return pixels.empty() ? CLR_INVALID : pixels[static_cast<size_t>(y) * width + x];
}
