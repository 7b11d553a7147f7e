// GDI helpers shared by the skinned widgets: window shapes from mask images, private copies of parts of
// skin images, and loading image files into bitmaps.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Gdi.h"

// The region of all pixels of `bitmap` that are not of the colour `transparent` (pure white unless told
// otherwise), in the bitmap's pixel coordinates with the top row at y = 0. A bitmap of that colour alone
// gives an empty region; no bitmap, or a failure to read it, gives null. The caller owns the region.
HRGN BitmapToRegion(HBITMAP bitmap, COLORREF transparent = RGB(255, 255, 255));

// Replaces the bitmap of `target` by a copy of the rectangle (x, y)-(right, bottom) of `source`, made
// compatible with `dc`. False, with the target left as it was, when there is no source, the rectangle is
// empty or GDI fails.
bool CopyBitmapRect(CBitmap& target, HDC dc, HBITMAP source, int x, int y, int right, int bottom);

// Fills the whole client area of `window` in `dc` with `colour` (a widget's background erase).
void FillClientArea(HWND window, HDC dc, COLORREF colour);

// Reads an image file in any format the system picture loader reads as a bitmap (BMP, JPEG, GIF, ...)
// into `target` as a DIB section, replacing its bitmap. Icons, metafiles and unreadable files give
// false and leave the target as it was. COM must be initialised on the calling thread.
bool LoadPictureFile(const std::wstring& path, CBitmap& target);

// A DIB-section copy of a bitmap, for a widget that keeps its own copy of a skin bitmap; null without a
// source or when the copy fails. The caller owns it.
HBITMAP DuplicateDib(HBITMAP source);

// A rectangle's width and height.
inline int Width(const RECT& rc) { return rc.right - rc.left; }
inline int Height(const RECT& rc) { return rc.bottom - rc.top; }

// Arial 14 bold: the font of skinned texts whose skin named none. The caller owns it.
HFONT CreateDefaultSkinFont();
// The font to draw with: `font` when there is one, else the default font, made once for the whole
// program (a page of keys would otherwise make and free a font on every paint). Not the caller's.
HFONT SkinFontOrDefault(const CFont* font = nullptr);
