// Drawing the program's icon.
#include "tray/TrayIconImage.h"

#include <cstdint>
#include <vector>

namespace tray {

HICON CreateTrayIconImage(int size)
{
    if (size <= 0)
        return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = size;
    header.bV5Height = -size;  // top-down, so row y is pixels[y * size]
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;

    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP colour = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                        nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (!colour || !bits) {
        if (colour)
            ::DeleteObject(colour);
        return nullptr;
    }

    auto* pixels = static_cast<uint32_t*>(bits);
    const int border = size / 8;
    const int radius = size / 5;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // A rounded square: the corners outside the radius stay transparent.
            const int cx = x < radius ? radius - x : (x >= size - radius ? x - (size - radius - 1) : 0);
            const int cy = y < radius ? radius - y : (y >= size - radius ? y - (size - radius - 1) : 0);
            uint32_t pixel = 0;
            if (cx * cx + cy * cy <= radius * radius) {
                const bool face = x >= border && x < size - border && y >= border && y < size - border * 2;
                const bool bar = y >= size - border * 2 - size / 6 && y < size - border * 2 &&
                                 x >= border * 2 && x < size - border * 2;
                if (bar)
                    pixel = 0xFF00FA00;  // the display's green
                else if (face)
                    pixel = 0xFF4A4F55;
                else
                    pixel = 0xFF202327;
            }
            pixels[y * size + x] = pixel;
        }
    }

    // Readers that ignore the alpha channel take transparency from the mask: set where alpha is 0.
    // Rows of a monochrome bitmap are padded to 16 bits.
    const int stride = ((size + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(stride) * size, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if ((pixels[y * size + x] >> 24) == 0)
                maskBits[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(colour);
    if (mask)
        ::DeleteObject(mask);
    return icon;
}

} // namespace tray
