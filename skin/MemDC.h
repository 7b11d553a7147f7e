// CMemDC: an off-screen device context for flicker-free painting. Widgets create one on the DC of their
// paint cycle, draw into it as into that DC, and the result reaches the screen in one BitBlt when the
// CMemDC goes out of scope. On a printing DC there is nothing to gain, so it draws straight through.
#pragma once

#include "framework/Gdi.h"

class CMemDC : public CDC {
public:
    // The painted area is `rect` in the target's logical units, or the target's clip box when null.
    // The area starts out filled with the target's background colour.
    explicit CMemDC(CDC* target, const RECT* rect = nullptr);
    // Copies the area to the target (off-screen case); a printing target keeps its DC.
    ~CMemDC() override;

    CBitmap m_bitmap;               // the off-screen bitmap, the size of the area in device units
    HBITMAP m_oldBitmap = nullptr;  // selected before m_bitmap, selected back at the end
    CDC* m_pDC = nullptr;           // the target, not owned
    RECT m_rect = {};               // the painted area, logical units
    bool m_bMemDC = false;          // true when painting goes off-screen
};
