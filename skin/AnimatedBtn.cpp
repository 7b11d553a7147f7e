// The animated button: a clip played on double click, a poster before that, and the AVIBUTTON reader.
#include "skin/AnimatedBtn.h"

#include <memory>

#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

constexpr DWORD kAviButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
constexpr DWORD kAnimateStyle = WS_CHILD | WS_VISIBLE;
// ACM_PLAY's frame number for "the last frame".
constexpr UINT kLastFrame = 0xFFFF;

} // namespace

CAVIButton::~CAVIButton()
{
    // The window and the clip's window (its child) end while every part of the object still exists.
    if (m_hWnd && IsWindow())
        DestroyWindow();
}

void CAVIButton::DrawItem(DRAWITEMSTRUCT* item)
{
    // Once the clip has started, its window covers the button.
    if (m_playing == 1 || m_poster.IsNull())
        return;
    RECT client = {};
    GetClientRect(&client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const SIZE poster = m_poster.GetSize();
    CDC posterDC;
    if (!posterDC.CreateCompatibleDC(item->hDC))
        return;
    CSelectObject selectPoster(posterDC, m_poster);
    // The part of the poster around its centre, a little up and to the left.
    ::BitBlt(item->hDC, client.left, client.top, width, height, posterDC, poster.cx / 2 - width / 2 - 10,
             poster.cy / 2 - height / 2 - 5, SRCCOPY);
}

LRESULT CAVIButton::OnClicked(WORD, WORD, HWND, BOOL&)
{
    // A single click is not passed on to the parent.
    return 0;
}

LRESULT CAVIButton::OnDoubleClicked(WORD, WORD, HWND, BOOL&)
{
    if (!m_animate.m_hWnd) {
        RECT rc = {};
        GetClientRect(&rc);
        ::OffsetRect(&rc, 1, 1);
        if (!m_animate.Create(kAnimateStyle, rc, m_hWnd, 0))
            return 0;
        m_animate.Open(::GetModuleHandleW(nullptr), m_videoFile.c_str());
        m_playing = 1;
    }
    m_animate.Play(0, kLastFrame, 1);
    return 0;
}

LRESULT CAVIButton::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    return DefWindowProc() == -1 ? -1 : 0;
}

LRESULT CAVIButton::OnShowWindow(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CAVIButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

CGUIItem* CreateAVIButton(const pugi::xml_node& element, SkinLoadContext& context)
{
    int id = -1;
    CWnd* parent = nullptr;
    if (!ReadWidgetIdAndParent(element, context, id, parent))
        return nullptr;

    auto button = std::make_unique<CAVIButton>();
    const std::wstring video = TrimmedFileName(ElementText(element.child("VIDEO")));
    if (!video.empty())
        button->SetVideoFile(video);
    const std::wstring sound = TrimmedFileName(ElementText(element.child("SOUND")));
    if (!sound.empty())
        button->SetSoundFile(sound);

    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    if (!button->Create(nullptr, kAviButtonStyle, rc, parent->m_hWnd, 0))
        return nullptr;

    button->SetSkinItem(id, SkinItemType::AviButton, button->m_hWnd, parent);
    return button.release();
}
