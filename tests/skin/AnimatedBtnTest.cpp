// The animated button: clicks that tell nobody, a double click that shows the clip and plays it once
// (again on the next), the poster's part shown before, and buttons read from AVIBUTTON elements.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../framework/TestSupport.h"
#include "../support/TestFiles.h"
#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"
#include "SkinWidgetTestSupport.h"
#include "skin/AnimatedBtn.h"
#include "skin/SkinElements.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr int kClipWidth = 16;
constexpr int kClipHeight = 8;

// An uncompressed 24-bit AVI of `frames` frames of one colour, 50 frames a second.
std::vector<BYTE> MakeAviFile(int frames, COLORREF colour)
{
    std::vector<BYTE> out;
    auto put32 = [&](DWORD v) { out.insert(out.end(), reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 4); };
    auto put16 = [&](WORD v) { out.insert(out.end(), reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 2); };
    auto fourcc = [&](const char* c) { out.insert(out.end(), c, c + 4); };
    // Opens a chunk; returns where its size goes, filled by close.
    auto open = [&](const char* id) {
        fourcc(id);
        put32(0);
        return out.size();
    };
    auto close = [&](size_t at) {
        const DWORD size = static_cast<DWORD>(out.size() - at);
        std::memcpy(&out[at - 4], &size, 4);
    };
    const DWORD frameBytes = kClipWidth * kClipHeight * 3;  // rows of 48 bytes: no padding

    const size_t riff = open("RIFF");
    fourcc("AVI ");
    const size_t hdrl = open("LIST");
    fourcc("hdrl");
    const size_t avih = open("avih");
    put32(20000);                     // microseconds per frame
    put32(frameBytes * 50);
    put32(0);
    put32(0x10);                      // has an index
    put32(static_cast<DWORD>(frames));
    put32(0);
    put32(1);                         // streams
    put32(frameBytes);
    put32(kClipWidth);
    put32(kClipHeight);
    for (int i = 0; i < 4; ++i)
        put32(0);
    close(avih);
    const size_t strl = open("LIST");
    fourcc("strl");
    const size_t strh = open("strh");
    fourcc("vids");
    fourcc("DIB ");
    put32(0);
    put16(0);
    put16(0);
    put32(0);
    put32(1);                         // scale
    put32(50);                        // rate
    put32(0);
    put32(static_cast<DWORD>(frames));
    put32(frameBytes);
    put32(0xFFFFFFFF);
    put32(0);
    put16(0);
    put16(0);
    put16(kClipWidth);
    put16(kClipHeight);
    close(strh);
    const size_t strf = open("strf");
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = kClipWidth;
    info.biHeight = kClipHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = frameBytes;
    out.insert(out.end(), reinterpret_cast<BYTE*>(&info), reinterpret_cast<BYTE*>(&info + 1));
    close(strf);
    close(strl);
    close(hdrl);

    const size_t movi = open("LIST");
    fourcc("movi");
    std::vector<DWORD> offsets;
    for (int f = 0; f < frames; ++f) {
        offsets.push_back(static_cast<DWORD>(out.size() - movi));
        const size_t chunk = open("00db");
        for (int p = 0; p < kClipWidth * kClipHeight; ++p) {
            out.push_back(GetBValue(colour));
            out.push_back(GetGValue(colour));
            out.push_back(GetRValue(colour));
        }
        close(chunk);
    }
    close(movi);
    const size_t idx1 = open("idx1");
    for (DWORD offset : offsets) {
        fourcc("00db");
        put32(0x10);                  // key frame
        put32(offset);
        put32(frameBytes);
    }
    close(idx1);
    close(riff);
    return out;
}

// Counts the start and stop reports of the clip's window.
class CWatchedAVIButton : public CAVIButton {
public:
    int starts = 0;
    int stops = 0;

    BEGIN_MSG_MAP(CWatchedAVIButton)
        COMMAND_CODE_HANDLER(ACN_START, OnStart)
        COMMAND_CODE_HANDLER(ACN_STOP, OnStop)
        CHAIN_MSG_MAP(CAVIButton)
    END_MSG_MAP()

private:
    LRESULT OnStart(WORD, WORD, HWND, BOOL&)
    {
        ++starts;
        return 0;
    }
    LRESULT OnStop(WORD, WORD, HWND, BOOL&)
    {
        ++stops;
        return 0;
    }
};

class AVIButtonTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_FALSE(m_folder.Path().empty());
        m_clip = m_folder.File(L"clip.avi");
        const std::vector<BYTE> avi = MakeAviFile(3, kMagenta);
        ASSERT_TRUE(testfiles::WriteBytes(m_clip, avi.data(), avi.size()));
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP | WS_VISIBLE, 60, 60, 200, 100, nullptr,
                                      nullptr));
        m_button = std::make_unique<CWatchedAVIButton>();
        ASSERT_TRUE(m_button->Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{10, 10, 70, 40}, m_parent, 0));
        m_button->SetVideoFile(m_clip);
    }
    void TearDown() override
    {
        if (::GetCapture())
            ::ReleaseCapture();
        m_button.reset();
        m_parent.DestroyWindow();
        FrameworkTest::TearDown();
    }

    void Click()
    {
        m_button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        m_button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    void DoubleClick()
    {
        Click();
        m_button->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        m_button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    testfiles::CScopedFolder m_folder{L"tessary-avi"};  // outlives the button, which holds the clip open
    std::wstring m_clip;
    CRecordingParent m_parent;
    std::unique_ptr<CWatchedAVIButton> m_button;
};

TEST_F(AVIButtonTest, ASingleClickDoesNothingAndTellsNobody)
{
    Click();
    EXPECT_TRUE(m_parent.commands.empty());
    EXPECT_EQ(nullptr, m_button->m_animate.m_hWnd);
    EXPECT_EQ(0, m_button->m_playing);
}

TEST_F(AVIButtonTest, ADoubleClickShowsTheClipAndPlaysItOnceEachTime)
{
    DoubleClick();
    EXPECT_TRUE(m_parent.commands.empty());
    ASSERT_TRUE(m_button->m_animate.IsWindow());
    EXPECT_EQ(1, m_button->m_playing);
    EXPECT_EQ(m_button->m_hWnd, m_button->m_animate.GetParent());
    EXPECT_TRUE(m_button->m_animate.IsWindowVisible());
    RECT rc = {};
    m_button->m_animate.GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, *m_button, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(1, rc.left);
    EXPECT_EQ(1, rc.top);

    // Played through once, then it stops by itself, showing the clip.
    EXPECT_TRUE(PumpUntil([&] { return m_button->stops == 1; }));
    EXPECT_EQ(1, m_button->starts);
    EXPECT_FALSE(m_button->m_animate.IsPlaying());
    EXPECT_TRUE(PumpUntil([&] {
        CClientDC dc(m_button->m_animate.m_hWnd);
        return ::GetPixel(dc, 2, 2) == kMagenta;
    }));

    // Again, in the same window.
    const HWND animate = m_button->m_animate.m_hWnd;
    DoubleClick();
    EXPECT_EQ(animate, m_button->m_animate.m_hWnd);
    EXPECT_TRUE(PumpUntil([&] { return m_button->stops == 2; }));
    EXPECT_EQ(2, m_button->starts);
    EXPECT_TRUE(m_parent.commands.empty());
}

TEST_F(AVIButtonTest, ThePostersCentreShowsUntilTheClipFirstPlays)
{
    // Each pixel of the poster tells where it is.
    constexpr int kPosterWidth = 120;
    constexpr int kPosterHeight = 80;
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kPosterHeight; ++y)
        for (int x = 0; x < kPosterWidth; ++x)
            pixels.push_back(RGB(x, y, 7));
    m_button->m_poster = MakeDib(kPosterWidth, kPosterHeight, pixels);

    auto render = [&] {
        CBitmap target = SolidDib(kYellow, 60, 30);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        {
            CSelectObject select(dc, target);
            DRAWITEMSTRUCT item = {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, 0, m_button->m_hWnd, dc, RECT{0, 0, 60, 30}, 0};
            m_button->DrawItem(&item);
        }
        return PixelAt(target, 0, 0);
    };
    // Client 60 x 30: from (120 / 2 - 30 - 10, 80 / 2 - 15 - 5).
    EXPECT_EQ(RGB(20, 20, 7), render());
    m_button->m_playing = 1;
    EXPECT_EQ(kYellow, render());
}

class AVIElementTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, TestWndClass(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        m_parent.DestroyWindow();
        SkinFolderTest::TearDown();
    }

    CWnd m_parent;
};

TEST_F(AVIElementTest, OnlyTheFirstAnimatedButtonIsBuiltWithItsFileNames)
{
    WriteXml(L"avi.xml",
             "<ITEMLIST>\n"
             " <BUTTONLIST>\n"
             "  <AVIBUTTON name=\"BUTTON_AVI\">\n"
             "   <RECT left=\"5\" top=\"6\" right=\"60\" bottom=\"30\"/>\n"
             "   <VIDEO>  media\\intro.avi </VIDEO><SOUND>intro.wav</SOUND>\n"
             "  </AVIBUTTON>\n"
             "  <AVIBUTTON name=\"BUTTON_OK\"><RECT right=\"10\" bottom=\"10\"/></AVIBUTTON>\n"
             " </BUTTONLIST>\n"
             "</ITEMLIST>\n");
    LoadSkinFile(m_list, L"avi.xml", &m_parent);
    ASSERT_EQ(1u, m_list.size());
    auto* button = dynamic_cast<CAVIButton*>(m_list[0]);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(FindSkinResourceId(L"BUTTON_AVI"), button->m_id);
    EXPECT_EQ(SkinItemType::AviButton, button->m_type);
    EXPECT_EQ(button->m_hWnd, button->m_window);
    EXPECT_EQ(&m_parent, button->m_owner);
    EXPECT_EQ(m_parent.m_hWnd, button->GetParent());
    EXPECT_EQ(static_cast<LONG_PTR>(BS_OWNERDRAW), button->GetStyle() & BS_TYPEMASK);
    RECT rc = {};
    button->GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ((RECT{5, 6, 65, 36}).right, rc.right);
    EXPECT_EQ(36, rc.bottom);
    // The video's name as written, without the skin folder in front.
    EXPECT_EQ(L"media\\intro.avi", button->m_videoFile);
    EXPECT_EQ(L"intro.wav", button->m_soundFile);
    EXPECT_EQ(0, button->m_playing);
}

} // namespace
