// Tests of LoadPictureFile on image files written into a temporary folder: formats read, files refused,
// and what the target holds afterwards.
#include "skin/DrawingHelpers.h"

#include "SkinTestSupport.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// 16 x 16: left half (224, 16, 16), right half (15, 32, 224).
const unsigned char kJpeg[] = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x02,
    0x02, 0x02, 0x02, 0x02, 0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04, 0x04, 0x03, 0x04, 0x06, 0x05, 0x06,
    0x06, 0x06, 0x05, 0x06, 0x06, 0x06, 0x07, 0x09, 0x08, 0x06, 0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0b, 0x08,
    0x09, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x06, 0x08, 0x0b, 0x0c, 0x0b, 0x0a, 0x0c, 0x09, 0x0a, 0x0a, 0x0a, 0xff,
    0xdb, 0x00, 0x43, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x05, 0x03, 0x03, 0x05, 0x0a, 0x07, 0x06, 0x07,
    0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a,
    0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a,
    0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0xff, 0xc0, 0x00, 0x11,
    0x08, 0x00, 0x10, 0x00, 0x10, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xff, 0xc4, 0x00,
    0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x07, 0x08, 0xff, 0xc4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x16, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0a, 0x08, 0x09, 0xff, 0xc4, 0x00, 0x14, 0x11, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xda,
    0x00, 0x0c, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0x8d, 0xd3, 0x9b, 0x68, 0x01, 0x64,
    0x30, 0x3f, 0xe7, 0x41, 0xe7, 0x20, 0x00, 0x59, 0x0c, 0x0f, 0xfb, 0xff, 0xd9};

// 4 x 4 in 2 x 2 blocks: red, lime over blue, yellow.
const unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x04, 0x00, 0xf1, 0x00, 0x00, 0xff,
                              0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0x21, 0xf9, 0x04,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00,
                              0x00, 0x02, 0x07, 0x04, 0x12, 0x86, 0x33, 0x22, 0xec, 0x0a, 0x00, 0x3b};

template <class T> void Append(std::vector<unsigned char>& out, T value)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

// A 3 x 2, 24-bit BMP: red, green, blue over (10, 20, 30), white, black.
std::vector<unsigned char> MakeBmp()
{
    const COLORREF rows[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                 {RGB(10, 20, 30), RGB(255, 255, 255), RGB(0, 0, 0)}};
    return MakeBmpFile(3, 2, [&rows](int x, int y) { return rows[y][x]; });
}

// A 16 x 16, 32-bit icon file, all green.
std::vector<unsigned char> MakeIcon()
{
    const DWORD pixelBytes = 16 * 16 * 4;
    const DWORD maskBytes = 16 * 4;
    std::vector<unsigned char> out;
    Append<WORD>(out, 0);  // reserved
    Append<WORD>(out, 1);  // icon
    Append<WORD>(out, 1);  // one image
    out.push_back(16);
    out.push_back(16);
    out.push_back(0);
    out.push_back(0);
    Append<WORD>(out, 1);
    Append<WORD>(out, 32);
    Append<DWORD>(out, sizeof(BITMAPINFOHEADER) + pixelBytes + maskBytes);
    Append<DWORD>(out, 6 + 16);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = 16;
    info.biHeight = 32;  // image and mask
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    Append(out, info);
    for (DWORD i = 0; i < 16 * 16; ++i)
        Append<DWORD>(out, 0xFF00FF00);
    out.insert(out.end(), maskBytes, 0);
    return out;
}

bool Near(COLORREF actual, COLORREF expected, int tolerance)
{
    return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
           std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
           std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

class LoadPictureFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        m_folder = std::wstring(temp) + L"tessary-skin-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
    }

    void TearDown() override
    {
        // Deleting fails while a file is still open: the loader must have closed it.
        for (const std::wstring& file : m_files)
            EXPECT_TRUE(DeleteFileW(file.c_str())) << "still open or missing";
        RemoveDirectoryW(m_folder.c_str());
        OleUninitialize();
    }

    std::wstring Write(const wchar_t* name, const void* data, size_t size)
    {
        std::wstring path = m_folder + L"\\" + name;
        {
            const CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            EXPECT_FALSE(file.IsNull());
            DWORD written = 0;
            if (size)
                WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
        }
        m_files.push_back(path);
        return path;
    }
    std::wstring Write(const wchar_t* name, const std::vector<unsigned char>& data)
    {
        return Write(name, data.data(), data.size());
    }

    // Expects a failed load to have left `target` holding `old`, still a live bitmap.
    static void ExpectUnchanged(const CBitmap& target, HGDIOBJ old)
    {
        EXPECT_EQ(old, target.GetSafeHandle());
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(old));
    }

    std::wstring m_folder;
    std::vector<std::wstring> m_files;
};

TEST_F(LoadPictureFileTest, ReadsBmpExactlyIntoADibSection)
{
    std::wstring path = Write(L"picture.bmp", MakeBmp());
    CBitmap target = MakeDib(1, 1);
    HGDIOBJ old = target.GetSafeHandle();
    ASSERT_TRUE(LoadPictureFile(path, target));
    EXPECT_EQ(0u, GetObjectType(old));  // the previous bitmap was deleted

    DIBSECTION dib = {};
    ASSERT_EQ(static_cast<int>(sizeof(dib)), target.GetObject(sizeof(dib), &dib));
    EXPECT_NE(nullptr, dib.dsBm.bmBits);
    EXPECT_EQ(3, dib.dsBm.bmWidth);
    EXPECT_EQ(2, dib.dsBm.bmHeight);

    EXPECT_EQ(RGB(255, 0, 0), PixelAt(target, 0, 0));
    EXPECT_EQ(RGB(0, 0, 255), PixelAt(target, 2, 0));
    EXPECT_EQ(RGB(10, 20, 30), PixelAt(target, 0, 1));
    EXPECT_EQ(RGB(0, 0, 0), PixelAt(target, 2, 1));
}

TEST_F(LoadPictureFileTest, ReadsJpegAndGif)
{
    CBitmap jpeg;
    ASSERT_TRUE(LoadPictureFile(Write(L"picture.jpg", kJpeg, sizeof(kJpeg)), jpeg));
    EXPECT_EQ(16, jpeg.GetSize().cx);
    EXPECT_EQ(16, jpeg.GetSize().cy);
    EXPECT_TRUE(Near(PixelAt(jpeg, 3, 8), RGB(224, 16, 16), 24));
    EXPECT_TRUE(Near(PixelAt(jpeg, 12, 8), RGB(15, 32, 224), 24));

    CBitmap gif;
    ASSERT_TRUE(LoadPictureFile(Write(L"picture.gif", kGif, sizeof(kGif)), gif));
    EXPECT_EQ(4, gif.GetSize().cx);
    EXPECT_EQ(RGB(255, 0, 0), PixelAt(gif, 0, 0));
    EXPECT_EQ(RGB(0, 255, 0), PixelAt(gif, 3, 0));
    EXPECT_EQ(RGB(0, 0, 255), PixelAt(gif, 0, 3));
    EXPECT_EQ(RGB(255, 255, 0), PixelAt(gif, 3, 3));
}

TEST_F(LoadPictureFileTest, RefusesWhatIsNotABitmapAndKeepsTheTarget)
{
    CBitmap target = MakeDib(2, 2);
    HGDIOBJ old = target.GetSafeHandle();

    EXPECT_FALSE(LoadPictureFile(m_folder + L"\\missing.bmp", target));
    ExpectUnchanged(target, old);

    const char text[] = "not a picture at all, just some words";
    EXPECT_FALSE(LoadPictureFile(Write(L"words.bmp", text, sizeof(text)), target));
    ExpectUnchanged(target, old);

    EXPECT_FALSE(LoadPictureFile(Write(L"empty.bmp", nullptr, 0), target));
    ExpectUnchanged(target, old);

    EXPECT_FALSE(LoadPictureFile(Write(L"green.ico", MakeIcon()), target));
    ExpectUnchanged(target, old);
}

TEST_F(LoadPictureFileTest, RepeatedLoadsKeepTheGdiObjectCount)
{
    std::wstring path = Write(L"picture.bmp", MakeBmp());
    CBitmap target;
    ASSERT_TRUE(LoadPictureFile(path, target));
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (before == 0)
        GTEST_SKIP() << "GetGuiResources does not count GDI objects here";
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(LoadPictureFile(path, target));
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

} // namespace
