// Reading the screen back in the test's own process, and finding the menu a test has opened.
#pragma once

#include <windows.h>

#include <vector>

// The colours of a screen rectangle, row by row, as GetPixel would give them.
inline std::vector<COLORREF> CaptureScreen(const RECT& rc)
{
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    std::vector<COLORREF> colours;
    if (width <= 0 || height <= 0)
        return colours;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    colours.reserve(static_cast<size_t>(width) * height);
    for (int i = 0; i < width * height; ++i) {
        const DWORD p = pixels[i];
        colours.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return colours;
}

inline size_t CountColour(const std::vector<COLORREF>& colours, COLORREF colour)
{
    size_t count = 0;
    for (COLORREF c : colours)
        count += c == colour ? 1 : 0;
    return count;
}

// What a test learns about a popup menu that opened while it waited: its item count, or -1.
struct MenuWatch {
    int itemCount = -1;
    HMENU menu = nullptr;
};

// Ends a popup menu as soon as one is visible and notes what it held. Runs as a thread timer, which the
// menu's own modal loop keeps dispatching.
inline MenuWatch& CurrentMenuWatch()
{
    static MenuWatch watch;
    return watch;
}

inline void CALLBACK WatchForMenu(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (menuWindow && ::IsWindowVisible(menuWindow)) {
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        CurrentMenuWatch().menu = menu;
        CurrentMenuWatch().itemCount = menu ? ::GetMenuItemCount(menu) : 0;
        ::EndMenu();
    }
}

// Watches for a menu while it exists.
class CMenuWatcher {
public:
    CMenuWatcher()
    {
        CurrentMenuWatch() = MenuWatch{};
        m_timer = ::SetTimer(nullptr, 0, 20, WatchForMenu);
    }
    ~CMenuWatcher() { ::KillTimer(nullptr, m_timer); }
    const MenuWatch& Seen() const { return CurrentMenuWatch(); }

private:
    UINT_PTR m_timer = 0;
};
