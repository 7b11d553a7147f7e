// Ownership of GDI handles by the wrappers, and drawing through a memory DC.
#include "framework/Gdi.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsLive(HGDIOBJ h)
{
    return ::GetObjectType(h) != 0;
}

TEST(GdiObjectTest, DeleteObjectDeletesOnceAndClears)
{
    CBrush brush(RGB(1, 2, 3));
    const HGDIOBJ h = brush.GetSafeHandle();
    ASSERT_TRUE(IsLive(h));
    EXPECT_TRUE(brush.DeleteObject());
    EXPECT_TRUE(brush.IsNull());
    EXPECT_FALSE(IsLive(h));
    EXPECT_FALSE(brush.DeleteObject());

    // Creating again replaces the handle; the destructor deletes the last one.
    HGDIOBJ last = nullptr;
    {
        CPen pen(PS_SOLID, 1, RGB(4, 5, 6));
        const HGDIOBJ first = pen.GetSafeHandle();
        ASSERT_TRUE(pen.CreatePen(PS_SOLID, 2, RGB(4, 5, 6)));
        EXPECT_FALSE(IsLive(first));
        last = pen.GetSafeHandle();
    }
    EXPECT_FALSE(IsLive(last));
}

TEST(GdiObjectTest, AttachReplacesAndDetachReleases)
{
    CBrush brush(RGB(10, 20, 30));
    const HGDIOBJ first = brush.GetSafeHandle();
    const HGDIOBJ second = ::CreateSolidBrush(RGB(40, 50, 60));
    brush.Attach(second);
    EXPECT_FALSE(IsLive(first));
    EXPECT_EQ(brush.GetSafeHandle(), second);
    brush.Attach(second); // the handle held already stays alive
    EXPECT_TRUE(IsLive(second));

    EXPECT_EQ(brush.Detach(), second);
    EXPECT_TRUE(brush.IsNull());
    EXPECT_TRUE(IsLive(second));
    ::DeleteObject(second);
}

TEST(GdiObjectTest, MoveTransfersOwnership)
{
    CBrush a(RGB(1, 1, 1));
    const HGDIOBJ h = a.GetSafeHandle();
    CBrush b(std::move(a));
    EXPECT_TRUE(a.IsNull());
    EXPECT_EQ(b.GetSafeHandle(), h);

    CBrush c(RGB(2, 2, 2));
    const HGDIOBJ replaced = c.GetSafeHandle();
    c = std::move(b);
    EXPECT_FALSE(IsLive(replaced));
    EXPECT_TRUE(b.IsNull());
    EXPECT_EQ(c.GetSafeHandle(), h);
    EXPECT_TRUE(IsLive(h));
}

TEST(GdiDcTest, FillSolidRectRoundTripsThroughAMemoryDc)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    void* bits = nullptr;
    ASSERT_TRUE(bitmap.CreateDIBSection32(dc, 4, 4, &bits));
    ASSERT_NE(bits, nullptr);
    {
        CSelectObject select(dc, bitmap);
        dc.SetBkColor(RGB(9, 9, 9));
        dc.FillSolidRect(RECT{1, 0, 3, 2}, RGB(10, 200, 30));
        EXPECT_EQ(dc.GetBkColor(), RGB(9, 9, 9));
        EXPECT_EQ(dc.GetPixel(2, 1), RGB(10, 200, 30));
        EXPECT_EQ(dc.GetPixel(2, 2), RGB(0, 0, 0));
        ::GdiFlush();
        // Rows run top-down: pixel (1, 0) is the second in memory, stored as 0x00RRGGBB.
        EXPECT_EQ(static_cast<const DWORD*>(bits)[1], 0x000AC81Eu);
    }
    const HDC h = dc.m_hDC;
    EXPECT_TRUE(dc.DeleteDC());
    EXPECT_EQ(dc.m_hDC, nullptr);
    EXPECT_EQ(::GetObjectType(h), 0u);
    EXPECT_FALSE(dc.DeleteDC());
}

} // namespace
