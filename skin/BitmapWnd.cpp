// The assignment display: its images and content area, the key picture, the separator, the assignment
// icon with its caption, and its tooltip.
#include "skin/BitmapWnd.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "skin/BitmapItem.h"
#include "skin/DrawingHelpers.h"
#include "skin/LangTable.h"
#include "skin/MemDC.h"
#include "skin/SkinElements.h"
#include "skin/SkinResources.h"
#include "skin/SkinValues.h"
#include "skin/WidgetSteps.h"

namespace {

constexpr COLORREF kSeparatorColour = RGB(0, 255, 0);

// The separator runs this far above the content's bottom; the icon and caption sit below it.
constexpr int kSeparatorOffset = 37;

constexpr DWORD kWindowStyle = WS_CHILD | WS_VISIBLE;
constexpr UINT kWindowControlId = static_cast<UINT>(-1);


bool HasImage(const CBitmap* image)
{
    return image && !image->IsNull();
}

// Copies (x, y, width, height) of `image` to (left, top) of `dc`.
void CopyImage(HDC dc, int left, int top, int width, int height, HBITMAP image, int x, int y)
{
    CDC imageDC;
    if (!imageDC.CreateCompatibleDC(dc))
        return;
    CSelectObject select(imageDC, image);
    ::BitBlt(dc, left, top, width, height, imageDC, x, y, SRCCOPY);
}

} // namespace

CBitmapWindow::~CBitmapWindow()
{
    // The window and its tooltip end while every part of the object still exists.
    if (m_hWnd && IsWindow())
        DestroyWindow();
    if (m_toolTip.m_hWnd && m_toolTip.IsWindow())
        m_toolTip.DestroyWindow();
}

BOOL CBitmapWindow::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CBitmapItem::PostCommandToParent(*this, wParam, lParam);
    return CWnd::OnCommand(wParam, lParam);
}

BOOL CBitmapWindow::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.EnsureCreated(m_hWnd))
        m_toolTip.RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

void CBitmapWindow::SetTooltip(const std::wstring& text)
{
    std::wstring shown = TranslateText(text);
    for (size_t at = shown.find(kBreakMark); at != std::wstring::npos; at = shown.find(kBreakMark, at + 1))
        shown.replace(at, 2, L" ");
    m_toolTip.SetClientTool(m_hWnd, text, shown);
}

void CBitmapWindow::SetCaption(const std::wstring& text)
{
    if (m_selected == 1)
        return;
    m_caption = CaptionText(text, m_caps);
    if (m_hWnd)
        Invalidate(FALSE);
}

void CBitmapWindow::LoadImages(CBitmap* frame, CBitmap* normal, CBitmap* over, CBitmap* selected, CBitmap* mask)
{
    RECT client = {};
    GetClientRect(&client);
    const int width = Width(client);
    const int height = Height(client);
    // Without a frame image there is no frame: the content is the whole client area.
    const SIZE frameSize = HasImage(frame) ? frame->GetSize() : SIZE{width, height};
    const int dx = width - frameSize.cx;
    const int dy = height - frameSize.cy;
    m_contentRect = {dx, dy, width - dx, height - dy};

    CClientDC dc(m_hWnd);
    const struct {
        CBitmap* source;
        CBitmap& copy;
    } images[] = {{frame, m_bmpFrame}, {normal, m_bmpNormal}, {over, m_bmpOver}, {selected, m_bmpSelected}};
    for (const auto& image : images) {
        if (HasImage(image.source))
            CopyBitmapRect(image.copy, dc, *image.source, 0, 0, width, height);
    }
    if (HasImage(mask)) {
        if (HRGN region = BitmapToRegion(*mask)) {
            // The window owns its region from here on.
            if (!SetWindowRgn(region, TRUE))
                ::DeleteObject(region);
        }
    }
}

const wchar_t* CBitmapWindow::AssignmentIconName(int assignmentKind)
{
    switch (assignmentKind) {
    case 5:
        return L"icon_asskey_single_key.bmp";
    case 6:
    case 7:
        return L"icon_asskey_macro.bmp";
    case 21:
    case 22:
        return L"icon_asskey_profile.bmp";
    case 62:
    case 63:
        return L"icon_asskey_app.bmp";
    default:
        return L"icon_asskey_default.bmp";
    }
}

void CBitmapWindow::Draw(HDC dc)
{
    RECT client = {};
    GetClientRect(&client);

    CBitmap* image = nullptr;
    if (m_selected == 1 && HasImage(&m_bmpSelected))
        image = &m_bmpSelected;
    else if (!m_caption.empty() && HasImage(&m_bmpOver))
        image = &m_bmpOver;
    else if (HasImage(&m_bmpNormal))
        image = &m_bmpNormal;
    if (image)
        CopyImage(dc, 0, 0, Width(client), Height(client), *image, 0, 0);

    // The content is black; what the state image shows around it is the frame.
    const RECT content = m_contentRect;
    CBrush black(RGB(0, 0, 0));
    ::FillRect(dc, &content, black);
    const RECT picture = {content.left, content.top, content.right, content.bottom - kAssignmentStrip};

    const bool showAssignment = m_showAssignment == 1 && !m_caption.empty();
    if (showAssignment) {
        CPen pen(PS_SOLID, 1, kSeparatorColour);
        CSelectObject selectPen(dc, pen);
        ::MoveToEx(dc, content.left, content.bottom - kSeparatorOffset, nullptr);
        ::LineTo(dc, content.right, content.bottom - kSeparatorOffset);
    }
    if (m_keyPicture)
        DrawKeyPicture(dc, picture, content);
    if (showAssignment)
        DrawAssignment(dc, content);
}

void CBitmapWindow::DrawKeyPicture(HDC dc, const RECT& picture, const RECT& content)
{
    const int width = Width(picture);
    const int height = Height(picture);
    if (width <= 0 || height <= 0)
        return;
    const RECT& key = m_keyPicture->rect;
    // The keyboard around the key, with the key's centre in the middle.
    if (HasImage(m_keyPicture->normal)) {
        const int x = (key.left + key.right) / 2 - width / 2;
        const int y = (key.top + key.bottom) / 2 - height / 2;
        CopyImage(dc, picture.left, picture.top, width, height, *m_keyPicture->normal, x, y);
    }
    // The key itself, pressed, in the middle; a key larger than the area gives up its edges.
    if (HasImage(m_keyPicture->pressed)) {
        RECT shown = key;
        if (Width(key) > Width(content))
            ::InflateRect(&shown, Width(content) - Width(key), 0);
        if (Height(key) > height)
            ::InflateRect(&shown, 0, height - Height(key));
        if (Width(shown) <= 0 || Height(shown) <= 0)
            return;
        CopyImage(dc, picture.left + (width - Width(shown)) / 2, picture.top + (height - Height(shown)) / 2,
                  Width(shown), Height(shown), *m_keyPicture->pressed, shown.left, shown.top);
    }
}

void CBitmapWindow::DrawAssignment(HDC dc, const RECT& content)
{
    const int top = content.bottom - kSeparatorOffset;
    CBitmap* icon = GetSkinImage(AssignmentIconName(m_assignmentKind));

    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, m_textColour ? m_textColour : kUnsetTextColour);
    HFONT font = SkinFontOrDefault(m_font);
    CSelectObject selectFont(dc, font);
    // DrawText gets a copy it may write to.
    std::vector<wchar_t> text(m_caption.begin(), m_caption.end());
    text.push_back(L'\0');
    const int length = static_cast<int>(m_caption.size());
    const UINT format = m_drawTextFormat | DT_END_ELLIPSIS;

    RECT textRect = {content.left, top, content.right, content.bottom};
    if (HasImage(icon)) {
        SIZE extent = {};
        ::GetTextExtentPoint32W(dc, m_caption.c_str(), length, &extent);
        POINT corners[2] = {{0, 0}, {extent.cx, extent.cy}};
        ::LPtoDP(dc, corners, 2);
        const int textWidth = corners[1].x - corners[0].x;
        const int textHeight = corners[1].y - corners[0].y;
        const SIZE iconSize = icon->GetSize();
        const int x = textWidth + iconSize.cx <= Width(content)
                          ? content.left + (Width(content) - textWidth - iconSize.cx) / 2
                          : content.left;
        const int y = top + ((content.bottom - std::max<int>(textHeight, iconSize.cy)) - top) / 2;
        CopyImage(dc, x, y, iconSize.cx, iconSize.cy, *icon, 0, 0);
        textRect.left = x + iconSize.cx;
    }
    ::DrawTextW(dc, text.data(), length, &textRect, format);

    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

LRESULT CBitmapWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    RECT client = {};
    GetClientRect(&client);
    if (Width(client) <= 0 || Height(client) <= 0)
        return 0;
    CMemDC memory(&dc, &client);
    Draw(memory);
    return 0;
}

LRESULT CBitmapWindow::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

CGUIItem* CreateBitmapWindow(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1 || !element.child("SBMDS"))
        return nullptr;
    CBitmap* frame = LoadChildBitmap("SBMDS", element);
    CBitmap* normal = LoadChildBitmap("SBMN", element);
    CBitmap* over = LoadChildBitmap("SBMO", element);
    CBitmap* selected = LoadChildBitmap("SBMD", element);
    CBitmap* mask = LoadChildBitmap("SBMM", element);

    const int caps = ReadCaps(element, id);
    const bool multiline = ReadMultiline(element, id);
    CWnd* parent = context.parent;
    if (!parent || !parent->m_hWnd || !CBitmapItem::WindowClass())
        return nullptr;
    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto window = std::make_unique<CBitmapWindow>();
    if (!window->Create(CBitmapItem::WindowClass(), L"", kWindowStyle, rc, parent->m_hWnd, kWindowControlId))
        return nullptr;

    window->LoadImages(frame, normal, over, selected, mask);
    std::wstring tooltip;
    if (ReadTooltip(element, tooltip))
        window->SetTooltip(tooltip);

    window->m_caps = static_cast<BYTE>(caps == 1 || caps == 2 ? caps : 0);
    UINT alignment = 0;
    switch (ReadJustify(element)) {
    case L'C':
        alignment = DT_CENTER;
        break;
    case L'R':
        alignment = DT_RIGHT;
        break;
    default:
        break;
    }
    window->m_drawTextFormat = alignment | (multiline ? DT_WORDBREAK : (DT_VCENTER | DT_SINGLELINE));

    if (CFont* font = ReadItemFont(element, id, context.list)) {
        window->SetFont(*font, TRUE);
        window->m_font = font;
    }
    COLORREF colour = 0;
    if (ReadColourAttribute(element, "fontclr", colour) && colour != 0xFFFFFFFF)
        window->m_textColour = colour;

    window->SetSkinItem(id, SkinItemType::BitmapWindow, window->m_hWnd, parent);
    return window.release();
}
