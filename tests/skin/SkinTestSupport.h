// Bitmaps for the skin tests: 32-bit DIB sections made from pixel lists, pixels read back, and BMP files.
#pragma once

#include "framework/Gdi.h"

#include <functional>
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

// A width x height DIB section of one colour.
inline CBitmap SolidDib(COLORREF colour, int width, int height)
{
    return MakeDib(width, height, std::vector<COLORREF>(static_cast<size_t>(width) * height, colour));
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

// A 24-bit bottom-up BMP file of width x height whose pixel (x, y) (top row y = 0) is pixel(x, y).
inline std::vector<BYTE> MakeBmpFile(int width, int height, const std::function<COLORREF(int, int)>& pixel)
{
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + stride * height;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::vector<BYTE> out(reinterpret_cast<const BYTE*>(&file), reinterpret_cast<const BYTE*>(&file + 1));
    out.insert(out.end(), reinterpret_cast<const BYTE*>(&info), reinterpret_cast<const BYTE*>(&info + 1));
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, y);
            out.push_back(GetBValue(c));
            out.push_back(GetGValue(c));
            out.push_back(GetRValue(c));
        }
        out.insert(out.end(), stride - static_cast<DWORD>(width) * 3, 0);
    }
    return out;
}

inline std::vector<BYTE> SolidBmpFile(int width, int height, COLORREF colour)
{
    return MakeBmpFile(width, height, [colour](int, int) { return colour; });
}
