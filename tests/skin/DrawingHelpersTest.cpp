// Tests of the off-screen DC, mask-to-region conversion and bitmap rectangle copies, checked by reading
// the pixels back from memory DCs and DIB sections.
#include "skin/DrawingHelpers.h"
#include "skin/MemDC.h"

#include "SkinTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// --- BitmapToRegion --------------------------------------------------------------------------------

// The region of a bitmap built the slow way: one pixel rectangle at a time.
CRgn RegionOfNonWhite(int width, int height, const std::vector<COLORREF>& pixels)
{
    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixels[static_cast<size_t>(y) * width + x] != kWhite) {
                CRgn pixel;
                pixel.CreateRectRgn(x, y, x + 1, y + 1);
                region.CombineRgn(region, pixel, RGN_OR);
            }
        }
    }
    return region;
}

TEST(BitmapToRegionTest, KeepsOnlyPixelsThatAreNotPureWhite)
{
    CBitmap mask = MakeDib(3, 1, {kWhite, kBlack, kWhite});
    CRgn region(BitmapToRegion(mask));
    ASSERT_FALSE(region.IsNull());
    EXPECT_FALSE(region.PtInRegion(0, 0));
    EXPECT_TRUE(region.PtInRegion(1, 0));
    EXPECT_FALSE(region.PtInRegion(2, 0));
    RECT box = {};
    EXPECT_EQ(SIMPLEREGION, region.GetRgnBox(&box));
    EXPECT_EQ(1, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(2, box.right);
    EXPECT_EQ(1, box.bottom);

    // One short of white in any channel counts as inside.
    CBitmap nearWhite = MakeDib(4, 1, {RGB(255, 255, 254), RGB(255, 254, 255), RGB(254, 255, 255), kWhite});
    CRgn nearRegion(BitmapToRegion(nearWhite));
    ASSERT_FALSE(nearRegion.IsNull());
    EXPECT_TRUE(nearRegion.PtInRegion(0, 0));
    EXPECT_TRUE(nearRegion.PtInRegion(1, 0));
    EXPECT_TRUE(nearRegion.PtInRegion(2, 0));
    EXPECT_FALSE(nearRegion.PtInRegion(3, 0));
}

TEST(BitmapToRegionTest, TopRowOfTheImageIsTopOfTheRegion)
{
    // Only the top-left pixel is set: a region read upside down would have it at the bottom.
    std::vector<COLORREF> pixels = {kBlack, kWhite, kWhite, kWhite, kWhite, kWhite};
    CBitmap mask = MakeDib(2, 3, pixels);
    CRgn region(BitmapToRegion(mask));
    ASSERT_FALSE(region.IsNull());
    RECT box = {};
    region.GetRgnBox(&box);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(1, box.right);
    EXPECT_EQ(1, box.bottom);
}

TEST(BitmapToRegionTest, RunsAndManyBatchesGiveTheSameRegionAsOneBuiltAtOnce)
{
    // Wide runs next to single pixels.
    std::vector<COLORREF> runs = {kBlack, kRed, kWhite, kBlue, kWhite, kWhite, kGreen, kBlack};
    CBitmap runMask = MakeDib(8, 1, runs);
    CRgn runRegion(BitmapToRegion(runMask));
    CRgn runExpected = RegionOfNonWhite(8, 1, runs);
    ASSERT_FALSE(runRegion.IsNull());
    EXPECT_TRUE(EqualRgn(runRegion, runExpected));

    // A 100 x 100 checkerboard has 5,000 one-pixel runs: three batches.
    std::vector<COLORREF> board(100 * 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            board[y * 100 + x] = ((x + y) % 2) ? kWhite : kBlack;
    CBitmap boardMask = MakeDib(100, 100, board);
    CRgn boardRegion(BitmapToRegion(boardMask));
    CRgn boardExpected = RegionOfNonWhite(100, 100, board);
    ASSERT_FALSE(boardRegion.IsNull());
    EXPECT_TRUE(EqualRgn(boardRegion, boardExpected));
    EXPECT_TRUE(boardRegion.PtInRegion(99, 99));
    EXPECT_FALSE(boardRegion.PtInRegion(98, 99));
}

TEST(BitmapToRegionTest, ReadsMonochromeAndDeviceBitmaps)
{
    // Monochrome: set bits are white. Rows are padded to 16 bits.
    const BYTE bits[2] = {0xB0, 0x00};  // 1 0 1 1 0 0 0 0
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(8, 1, 1, 1, bits));
    CRgn monoRegion(BitmapToRegion(mono));
    ASSERT_FALSE(monoRegion.IsNull());
    EXPECT_FALSE(monoRegion.PtInRegion(0, 0));
    EXPECT_TRUE(monoRegion.PtInRegion(1, 0));
    EXPECT_FALSE(monoRegion.PtInRegion(3, 0));
    EXPECT_TRUE(monoRegion.PtInRegion(4, 0));
    EXPECT_TRUE(monoRegion.PtInRegion(7, 0));

    // A device-dependent bitmap painted white with a black square.
    CClientDC screen(nullptr);
    CBitmap device;
    ASSERT_TRUE(device.CreateCompatibleBitmap(screen, 10, 10));
    {
        CDC dc;
        dc.CreateCompatibleDC(screen);
        CSelectObject select(dc, device);
        dc.FillSolidRect(RECT{0, 0, 10, 10}, kWhite);
        dc.FillSolidRect(RECT{2, 3, 5, 7}, kBlack);
    }
    CRgn deviceRegion(BitmapToRegion(device));
    CRgn expected;
    expected.CreateRectRgn(2, 3, 5, 7);
    ASSERT_FALSE(deviceRegion.IsNull());
    EXPECT_TRUE(EqualRgn(deviceRegion, expected));
}

TEST(BitmapToRegionTest, AllWhiteGivesAnEmptyRegionAndNoBitmapGivesNone)
{
    CBitmap white = SolidDib(kWhite, 5, 4);
    CRgn region(BitmapToRegion(white));
    ASSERT_FALSE(region.IsNull());
    RECT box = {};
    EXPECT_EQ(NULLREGION, region.GetRgnBox(&box));

    EXPECT_EQ(nullptr, BitmapToRegion(nullptr));
}

// --- CopyBitmapRect --------------------------------------------------------------------------------

// A 10 x 10 source whose pixel (x, y) has colour (20x, 20y, 100).
CBitmap MakeGradient()
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            pixels.push_back(RGB(20 * x, 20 * y, 100));
    return MakeDib(10, 10, pixels);
}

TEST(CopyBitmapRectTest, CopiesTheRectangleToTheTargetsOrigin)
{
    CBitmap source = MakeGradient();
    CClientDC screen(nullptr);
    CBitmap target = MakeDib(3, 3);
    HGDIOBJ old = target.GetSafeHandle();

    ASSERT_TRUE(CopyBitmapRect(target, screen, source, 2, 3, 7, 9));
    EXPECT_NE(old, target.GetSafeHandle());
    EXPECT_EQ(0u, GetObjectType(old));  // the old bitmap was deleted
    SIZE size = target.GetSize();
    EXPECT_EQ(5, size.cx);
    EXPECT_EQ(6, size.cy);
    EXPECT_EQ(RGB(40, 60, 100), PixelAt(target, 0, 0));
    EXPECT_EQ(RGB(120, 160, 100), PixelAt(target, 4, 5));

    // A part of the target's own bitmap.
    ASSERT_TRUE(CopyBitmapRect(target, screen, target, 1, 1, 3, 2));
    EXPECT_EQ(RGB(60, 80, 100), PixelAt(target, 0, 0));
    EXPECT_EQ(2, target.GetSize().cx);
}

TEST(CopyBitmapRectTest, EmptyRectangleOrNoSourceKeepsTheOldBitmap)
{
    CBitmap source = MakeGradient();
    CClientDC screen(nullptr);
    CBitmap target = SolidDib(kRed, 3, 3);
    HGDIOBJ old = target.GetSafeHandle();

    EXPECT_FALSE(CopyBitmapRect(target, screen, source, 4, 4, 4, 8));
    EXPECT_FALSE(CopyBitmapRect(target, screen, source, 4, 4, 8, 4));
    EXPECT_FALSE(CopyBitmapRect(target, screen, source, 6, 6, 2, 2));
    EXPECT_FALSE(CopyBitmapRect(target, screen, nullptr, 0, 0, 2, 2));

    EXPECT_EQ(old, target.GetSafeHandle());
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(old));
    EXPECT_EQ(kRed, PixelAt(target, 2, 2));
}

// --- CMemDC ----------------------------------------------------------------------------------------

// A memory DC drawing into a 20 x 20 DIB section whose pixels the test reads directly.
class Surface {
public:
    explicit Surface(COLORREF fill)
    {
        dc.CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        bitmap.CreateDIBSection32(dc, kSize, kSize, &pixels);
        bits = static_cast<DWORD*>(pixels);
        old = dc.SelectObject(bitmap);
        dc.FillSolidRect(RECT{0, 0, kSize, kSize}, fill);
    }
    ~Surface() { dc.SelectObject(old); }

    // The pixel at device coordinates.
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        DWORD p = bits[y * kSize + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    static constexpr int kSize = 20;
    CDC dc;
    CBitmap bitmap;
    DWORD* bits = nullptr;
    HGDIOBJ old = nullptr;
};

TEST(MemDCTest, PaintsOffScreenAndCopiesTheAreaOnDestruction)
{
    Surface target(kBlue);
    target.dc.SetBkColor(kRed);
    const RECT area = {5, 5, 15, 12};
    {
        CMemDC mem(&target.dc, &area);
        EXPECT_TRUE(mem.m_bMemDC);
        EXPECT_NE(target.dc.m_hDC, mem.m_hDC);
        EXPECT_EQ(10, mem.m_bitmap.GetSize().cx);
        EXPECT_EQ(7, mem.m_bitmap.GetSize().cy);
        // Same logical coordinates as the target: the area's corner is the bitmap's first pixel.
        EXPECT_EQ(kRed, mem.GetPixel(5, 5));
        mem.FillSolidRect(RECT{6, 6, 8, 8}, kGreen);
        EXPECT_EQ(kGreen, mem.GetPixel(6, 6));
        EXPECT_EQ(kBlue, target.Pixel(6, 6));  // nothing on the target yet
    }
    EXPECT_EQ(kGreen, target.Pixel(6, 6));
    EXPECT_EQ(kGreen, target.Pixel(7, 7));
    EXPECT_EQ(kRed, target.Pixel(5, 5));    // background fill
    EXPECT_EQ(kRed, target.Pixel(14, 11));
    EXPECT_EQ(kBlue, target.Pixel(4, 5));   // outside the area
    EXPECT_EQ(kBlue, target.Pixel(15, 11));
    EXPECT_EQ(kBlue, target.Pixel(14, 12));
}

TEST(MemDCTest, WithoutRectangleCoversTheTargetsClipBox)
{
    Surface target(kBlue);
    target.dc.SetBkColor(kRed);
    CRgn clip;
    clip.CreateRectRgn(2, 3, 8, 9);
    SelectClipRgn(target.dc, clip);
    {
        CMemDC mem(&target.dc);
        EXPECT_EQ(2, mem.m_rect.left);
        EXPECT_EQ(3, mem.m_rect.top);
        EXPECT_EQ(8, mem.m_rect.right);
        EXPECT_EQ(9, mem.m_rect.bottom);
    }
    EXPECT_EQ(kRed, target.Pixel(2, 3));
    EXPECT_EQ(kRed, target.Pixel(7, 8));
    EXPECT_EQ(kBlue, target.Pixel(8, 8));
    EXPECT_EQ(kBlue, target.Pixel(1, 3));
}

TEST(MemDCTest, KeepsTheTargetsMapping)
{
    // Two device pixels per logical unit.
    Surface target(kBlue);
    target.dc.SetBkColor(kRed);
    target.dc.SetMapMode(MM_ANISOTROPIC);
    target.dc.SetWindowExt(1, 1);
    target.dc.SetViewportExt(2, 2);
    const RECT area = {2, 2, 6, 6};
    {
        CMemDC mem(&target.dc, &area);
        EXPECT_EQ(MM_ANISOTROPIC, mem.GetMapMode());
        EXPECT_EQ(8, mem.m_bitmap.GetSize().cx);
        EXPECT_EQ(8, mem.m_bitmap.GetSize().cy);
        EXPECT_EQ(2, mem.m_rect.left);
        EXPECT_EQ(6, mem.m_rect.bottom);
        mem.FillSolidRect(RECT{2, 2, 4, 4}, kGreen);
    }
    EXPECT_EQ(kGreen, target.Pixel(4, 4));
    EXPECT_EQ(kGreen, target.Pixel(7, 7));
    EXPECT_EQ(kRed, target.Pixel(8, 8));
    EXPECT_EQ(kRed, target.Pixel(11, 11));
    EXPECT_EQ(kBlue, target.Pixel(3, 3));
    EXPECT_EQ(kBlue, target.Pixel(12, 12));
}

TEST(MemDCTest, OnAPrintingDCDrawsDirectlyAndKeepsTheDC)
{
    Surface target(kBlue);
    target.dc.SetBkColor(kRed);
    target.dc.m_bPrinting = true;
    const HDC targetDC = target.dc.m_hDC;
    const RECT area = {5, 5, 10, 10};
    {
        CMemDC mem(&target.dc, &area);
        EXPECT_FALSE(mem.m_bMemDC);
        EXPECT_EQ(targetDC, mem.m_hDC);
        EXPECT_EQ(targetDC, mem.m_hAttribDC);
        EXPECT_TRUE(mem.IsPrinting());
        EXPECT_TRUE(mem.m_bitmap.IsNull());
        EXPECT_EQ(kRed, target.Pixel(5, 5));
        mem.FillSolidRect(RECT{6, 6, 7, 7}, kGreen);
        EXPECT_EQ(kGreen, target.Pixel(6, 6));
    }
    EXPECT_EQ(targetDC, target.dc.m_hDC);
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(targetDC));
    target.dc.FillSolidRect(RECT{0, 0, 1, 1}, kGreen);
    EXPECT_EQ(kGreen, target.Pixel(0, 0));
}

} // namespace
