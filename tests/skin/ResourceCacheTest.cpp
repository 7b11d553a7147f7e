// Tests of the program folder and the skin resource cache: entry identity by name and kind, failures
// remembered, data sizes per kind, and release.
#include "skin/AppFolder.h"
#include "skin/SkinResources.h"

#include "ResourceTestSupport.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <cstring>
#include <vector>

namespace {

// A 2 x 2, 24-bit BMP: blue over red.
std::vector<BYTE> MakeBmp()
{
    return MakeBmpFile(2, 2, [](int, int y) { return y == 0 ? RGB(0, 0, 255) : RGB(255, 0, 0); });
}

// The family name written in the fixture font.
const wchar_t kTestFamily[] = L"Tessary Test Glyphs";

bool FontFamilyExists(const wchar_t* family)
{
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(lf.lfFaceName, family);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

class SkinResourceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

} // namespace

TEST(AppFolderTest, IsTheProgramFolderUnlessSet)
{
    ResetAppFolder();
    std::wstring module(4096, L'\0');
    module.resize(GetModuleFileNameW(nullptr, &module[0], static_cast<DWORD>(module.size())));
    const std::wstring& folder = AppFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(L'\\', folder.back());
    EXPECT_EQ(0u, module.find(folder));
    EXPECT_EQ(std::wstring::npos, module.find(L'\\', folder.size()));

    SetAppFolder(L"C:\\some\\where");
    EXPECT_EQ(L"C:\\some\\where\\", AppFolder());
    SetAppFolder(L"C:\\other\\");
    EXPECT_EQ(L"C:\\other\\", AppFolder());
    ResetAppFolder();
    EXPECT_EQ(folder, AppFolder());
}

TEST_F(SkinResourceTest, OneEntryPerNameAndKindIgnoringCaseOfAZ)
{
    TempAppFolder app;
    app.Write(L"skins\\Panel.bmp", MakeBmp());

    CBitmap* image = GetSkinImage(L"Panel.bmp");
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(2, image->GetSize().cx);
    EXPECT_EQ(image, GetSkinImage(L"PANEL.BMP"));
    EXPECT_EQ(image, FindSkinResource(L"panel.bmp", kSkinImage)->Image());
    EXPECT_EQ(1u, SkinResourceCount());

    // The same file as a DIB section is a second entry with a load of its own.
    HBITMAP dib = GetSkinDibBitmap(L"panel.bmp");
    ASSERT_NE(nullptr, dib);
    EXPECT_NE(static_cast<HBITMAP>(*image), dib);
    DIBSECTION section = {};
    ASSERT_EQ(static_cast<int>(sizeof(section)), GetObjectW(dib, sizeof(section), &section));
    EXPECT_NE(nullptr, section.dsBm.bmBits);
    EXPECT_EQ(2u, SkinResourceCount());
    EXPECT_EQ(dib, GetSkinDibBitmap(L"PANEL.bmp"));
    EXPECT_EQ(2u, SkinResourceCount());

    SkinResource* entry = FindSkinResource(L"Panel.bmp", kSkinDibBitmap);
    EXPECT_EQ(app.Path() + L"skins\\panel.bmp", entry->path);  // the name as first asked for
    EXPECT_EQ(static_cast<int>(MakeBmp().size()), entry->size);
    EXPECT_EQ(0, GetSkinResourceSize(L"panel.bmp", kSkinImage));
}

TEST_F(SkinResourceTest, FailedLoadsAreRememberedAndNotRetried)
{
    TempAppFolder app;
    EXPECT_EQ(nullptr, GetSkinImage(L"missing.bmp"));
    EXPECT_EQ(nullptr, GetSkinImage(L"Missing.BMP"));
    EXPECT_EQ(1u, SkinResourceCount());
    EXPECT_FALSE(FindSkinResource(L"missing.bmp", kSkinImage)->Loaded());

    app.Write(L"skins\\missing.bmp", MakeBmp());
    EXPECT_EQ(nullptr, GetSkinImage(L"missing.bmp"));
    EXPECT_EQ(1u, SkinResourceCount());

    // A file that is not a picture fails the same way, and so does every kind without a file.
    app.Write(L"skins\\text.bmp", "not a picture", 13);
    EXPECT_EQ(nullptr, GetSkinImage(L"text.bmp"));
    EXPECT_EQ(nullptr, GetSkinDibBitmap(L"text.bmp"));
    EXPECT_EQ(nullptr, GetSkinData(L"nothing.bin"));
    EXPECT_FALSE(FindSkinResource(L"nothing.ttf", kSkinFontFile)->Loaded());
    EXPECT_EQ(0, GetSkinResourceSize(L"nothing.ttf", kSkinFontFile));
    EXPECT_EQ(5u, SkinResourceCount());
}

TEST_F(SkinResourceTest, DataFilesAreReadWholeAndSizedByNameAndKind)
{
    TempAppFolder app;
    const std::vector<BYTE> language = {'l', 0, 'a', 0, 'n', 0, 'g'};
    const std::vector<BYTE> binary = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    app.Write(L"lang\\same.dat", language);
    app.Write(L"bin\\same.dat", binary);
    app.Write(L"lang\\empty.txt", nullptr, 0);

    const SkinResource* text = FindSkinResource(L"same.dat", kSkinLanguageData);
    ASSERT_TRUE(text->Loaded());
    ASSERT_NE(nullptr, text->Buffer());
    EXPECT_EQ(0, std::memcmp(language.data(), text->Buffer(), language.size()));
    const BYTE* data = GetSkinData(L"SAME.dat");
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(0, std::memcmp(binary.data(), data, binary.size()));

    // Each kind answers with its own entry's size, never another kind's of the same name.
    EXPECT_EQ(7, GetSkinResourceSize(L"same.dat", kSkinLanguageData));
    EXPECT_EQ(12, GetSkinResourceSize(L"Same.DAT", kSkinBinaryData));
    EXPECT_EQ(0, GetSkinResourceSize(L"same.dat", kSkinDibBitmap));
    EXPECT_EQ(0, GetSkinResourceSize(L"unknown.dat", kSkinBinaryData));
    EXPECT_EQ(2u, SkinResourceCount());  // asking for a size loads nothing

    const SkinResource* empty = FindSkinResource(L"empty.txt", kSkinLanguageData);
    EXPECT_FALSE(empty->Loaded());
    EXPECT_EQ(nullptr, empty->Buffer());
    EXPECT_EQ(0, GetSkinResourceSize(L"empty.txt", kSkinLanguageData));
}

TEST_F(SkinResourceTest, ClearFreesEverythingAndStartsAnew)
{
    TempAppFolder app;
    app.Write(L"skins\\a.bmp", MakeBmp());
    HBITMAP dib = GetSkinDibBitmap(L"a.bmp");
    CBitmap* image = GetSkinImage(L"a.bmp");
    ASSERT_NE(nullptr, dib);
    ASSERT_NE(nullptr, image);
    HBITMAP imageHandle = *image;
    GetSkinImage(L"gone.bmp");
    EXPECT_EQ(3u, SkinResourceCount());

    ClearSkinResources();
    EXPECT_EQ(0u, SkinResourceCount());
    EXPECT_EQ(0u, GetObjectType(dib));
    EXPECT_EQ(0u, GetObjectType(imageHandle));

    // A failure is forgotten with the cache: the file written since is now read.
    app.Write(L"skins\\gone.bmp", MakeBmp());
    EXPECT_NE(nullptr, GetSkinImage(L"gone.bmp"));
    EXPECT_EQ(1u, SkinResourceCount());
}

TEST_F(SkinResourceTest, FontFilesAreRegisteredUntilCleared)
{
    TempAppFolder app;
    std::wstring path = app.Path() + L"fonts\\private.ttf";
    ASSERT_TRUE(CopyFileW(FixturePath(L"TestGlyphs.ttf").c_str(), path.c_str(), FALSE));
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info));
    ASSERT_FALSE(FontFamilyExists(kTestFamily));

    SkinResource* font = FindSkinResource(L"private.ttf", kSkinFontFile);
    EXPECT_TRUE(font->Loaded());
    EXPECT_EQ(1, font->fontCount);
    EXPECT_EQ(static_cast<int>(info.nFileSizeLow), GetSkinResourceSize(L"PRIVATE.ttf", kSkinFontFile));
    EXPECT_TRUE(FontFamilyExists(kTestFamily));
    // Registered once: a second registration would have to be removed twice.
    EXPECT_EQ(font, FindSkinResource(L"private.TTF", kSkinFontFile));

    ClearSkinResources();
    EXPECT_FALSE(FontFamilyExists(kTestFamily));
}

TEST_F(SkinResourceTest, PicturesDecodedAheadReachTheirWidgetsWhateverTheOrderAskedIn)
{
    TempAppFolder folder;
    ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"xml").c_str(), nullptr));
    for (const wchar_t* name : {L"skins\\first.bmp", L"skins\\second.bmp", L"skins\\elsewhere.bmp"})
        folder.Write(name, MakeBmp());
    const char panel[] = "<GUIPANEL><BACKGROUND> first.bmp </BACKGROUND><BUTTON><SBMN>Second.BMP</SBMN>"
                         "<SBMO>missing.bmp</SBMO><SBMD>first.bmp</SBMD></BUTTON></GUIPANEL>";
    folder.Write(L"xml\\panel.xml", panel, sizeof(panel) - 1);

    PrefetchSkinImages({L"panel.xml"});
    // Asked for before its turn may have come, after a picture the files do not name, and twice.
    CBitmap* second = GetSkinImage(L"second.bmp");
    CBitmap* elsewhere = GetSkinImage(L"elsewhere.bmp");
    CBitmap background;
    ASSERT_TRUE(LoadPrivateSkinImage(L"FIRST.bmp", background));
    CBitmap* first = GetSkinImage(L"first.bmp");
    EXPECT_EQ(GetSkinImage(L"missing.bmp"), nullptr);
    EndSkinImagePrefetch();

    for (CBitmap* picture : {second, elsewhere, first, &background}) {
        ASSERT_NE(picture, nullptr);
        ASSERT_FALSE(picture->IsNull());
        EXPECT_EQ(picture->GetSize().cx, 2);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, *picture);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255)) << "the picture came out wrong";
        EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    EXPECT_NE(static_cast<HBITMAP>(background), static_cast<HBITMAP>(*first))
        << "the panel's own picture and the cache's are one bitmap: the first to go takes it from the other";
}

// A damaged skin file nested far deeper than any skin file is skipped by the prefetch, which still
// decodes the pictures of the other files: nothing that waits for it waits for ever.
TEST_F(SkinResourceTest, PrefetchSkipsAFileNestedBeyondAnySkinFile)
{
    TempAppFolder folder;
    ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"xml").c_str(), nullptr));
    folder.Write(L"skins\\first.bmp", MakeBmp());
    const std::string deep = "<GUIPANEL>" + testfiles::Repeated("<B>", 100000) + "first.bmp" +
                             testfiles::Repeated("</B>", 100000) + "</GUIPANEL>";
    folder.Write(L"xml\\deep.xml", deep.data(), deep.size());
    const char panel[] = "<GUIPANEL><BACKGROUND>first.bmp</BACKGROUND></GUIPANEL>";
    folder.Write(L"xml\\panel.xml", panel, sizeof(panel) - 1);

    PrefetchSkinImages({L"deep.xml", L"panel.xml"});
    CBitmap* first = GetSkinImage(L"first.bmp");
    EndSkinImagePrefetch();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetSize().cx, 2);
}
