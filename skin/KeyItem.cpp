// The keys of the keyboard picture: key names from the keyboard definition and layout, hover and click
// notifications for the page, and their own simpler look.
#include "skin/KeyItem.h"

#include <memory>
#include <vector>

#include "skin/KeyboardDef.h"
#include "skin/KeyboardLayout.h"
#include "skin/SkinElements.h"
#include "skin/WidgetSteps.h"

namespace {

// The same window styles and caption formats as a BUTTON element.
constexpr DWORD kKeyStyle = WS_CHILD | WS_VISIBLE | BS_MULTILINE | BS_VCENTER | BS_OWNERDRAW;
constexpr UINT kTextFormatBase = DT_EDITCONTROL | DT_MODIFYSTRING;

// Key code 85 of a record asks for the extended name of the key.
constexpr std::int16_t kExtendedNameCode = 85;
constexpr int kKeyNameLength = 256;

} // namespace

CKeyboardKeyItem::CKeyboardKeyItem()
{
    // A key is a check box that only the page selects.
    m_isCheckBox = 1;
    m_toggleOnClick = 0;
    m_checked = 0;
}

CKeyboardKeyItem::~CKeyboardKeyItem()
{
    // The window ends while the key's own handlers can still run.
    if (m_hWnd && IsWindow())
        DestroyWindow();
    m_keyRecord = nullptr;
}

void CKeyboardKeyItem::UpdateKeyName()
{
    if (!m_keyRecord)
        return;
    const KeyScanCode scanCode = KeyboardDef().GetKeyScanCode(m_keyRecord->id);
    m_scanCode = scanCode.code;
    m_virtualKey = static_cast<int>(KeyboardLayout().MapVirtualKeyEx(scanCode.code, MAPVK_VSC_TO_VK_EX,
                                                                      CurrentKeyLayout()));
    m_extended = scanCode.extended == 1 ? 1 : 0;
    if (m_keyName.empty()) {
        LONG keyData = static_cast<LONG>(m_scanCode) << 16;
        if (m_extended == 1 || m_keyRecord->id == NumLockKeyId() || m_keyRecord->code2 == kExtendedNameCode)
            keyData |= 1 << 24;
        wchar_t name[kKeyNameLength] = {};
        const int length = KeyboardLayout().GetKeyNameText(keyData, name, kKeyNameLength);
        if (length > 0)
            m_keyName.assign(name, static_cast<size_t>(length < kKeyNameLength ? length : kKeyNameLength - 1));
    }
    // A lone ampersand would be taken as a mnemonic mark.
    if (m_keyName == L"&")
        m_keyName = L"&&";
    SetTooltip(m_keyName);
}

void CKeyboardKeyItem::ClearHover()
{
    m_highlighted = 0;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CKeyboardKeyItem::UseSharedImages(CBitmap* normal, CBitmap* over, CBitmap* down, int x, int y)
{
    m_sharedImages = true;
    m_sharedNormal = normal;
    m_sharedOver = over;
    m_sharedDown = down;
    m_sharedOrigin = POINT{x, y};
}

HWND CKeyboardKeyItem::NotifyWindow() const
{
    return m_ownerWnd ? m_ownerWnd : GetParent();
}

void CKeyboardKeyItem::DrawItem(DRAWITEMSTRUCT* item)
{
    const auto [pressed, disabled, client, width, height] = ReadItemPaint(m_hWnd, *item);
    if (width <= 0 || height <= 0)
        return;

    CBitmap* image = m_sharedImages ? m_sharedNormal : &m_bmpNormal;
    if (!disabled && (m_hover || m_highlighted == 1))
        image = m_sharedImages ? m_sharedOver : &m_bmpOver;
    else if (m_checked)
        image = m_sharedImages ? m_sharedDown : &m_bmpDown;
    const POINT origin = m_sharedImages ? m_sharedOrigin : POINT{0, 0};

    // The key's image is opaque and covers the key: it goes straight to the key, the caption over it,
    // with no composing bitmap of its own on every paint of a hundred keys. A missing image leaves what
    // the key covers.
    CDC target;
    target.Attach(item->hDC);
    if (image && !image->IsNull()) {
        CDC imageDC;
        imageDC.CreateCompatibleDC(item->hDC);
        CSelectObject selectImage(imageDC, *image);
        target.BitBlt(0, 0, width, height, imageDC, origin.x, origin.y, SRCCOPY);
    }

    if (!m_caption.empty()) {
        const int savedState = ::SaveDC(target);
        DrawCaption(target, client, TextColour(pressed, disabled));
        ::RestoreDC(target, savedState);
    }
    target.Detach();
}

LRESULT CKeyboardKeyItem::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    ::SendMessageW(NotifyWindow(), WM_KEYITEM_HOVER, 0, m_id);
    bHandled = FALSE;
    return 0;
}

LRESULT CKeyboardKeyItem::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    ::SendMessageW(NotifyWindow(), WM_KEYITEM_CLICK, 0, m_id);
    // The page may have ended the key.
    if (!m_hWnd)
        return 0;
    // The button activates its parent, which is a container here: the owner is the window to activate.
    HWND owner = m_ownerWnd;
    if (owner && ::IsWindow(owner) && !(::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) &&
        ::GetActiveWindow() != owner)
        ::SetActiveWindow(owner);
    bHandled = FALSE;
    return 0;
}

CGUIItem* CreateKeyboardKeyItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1 || !context.keyStateImages)
        return nullptr;
    CWnd* parent = context.parent;
    if (!parent || !parent->m_hWnd)
        return nullptr;
    // The loader hands a container of the list as the parent; the list's window is the container's owner.
    HWND owner = parent->m_hWnd;
    if (auto* container = dynamic_cast<CGUIItem*>(parent)) {
        if (container->m_type == SkinItemType::BitmapItem && container->m_owner && container->m_owner->m_hWnd)
            owner = container->m_owner->m_hWnd;
    }

    DWORD style = kKeyStyle;
    UINT textFormat = kTextFormatBase;
    ReadButtonTextLayout(element, id, style, textFormat);

    const RECT rc = ReadItemRect(element, id, kRectWidthHeight);
    auto key = std::make_unique<CKeyboardKeyItem>();
    key->m_drawTextFormat = textFormat;
    if (!key->Create(L"", style, rc, parent->m_hWnd, 0))
        return nullptr;

    if (CFont* font = ReadItemFont(element, id, context.list)) {
        key->SetFont(*font, TRUE);
        key->m_font = font;
    }

    // The shared images are the size of the keyboard picture: the key cuts out its own rectangle.
    const KeyStateImages& images = *context.keyStateImages;
    CBitmap* normal = FindKeyStateImage(images, L"SBMN");
    CBitmap* over = FindKeyStateImage(images, L"SBMO");
    CBitmap* down = FindKeyStateImage(images, L"SBMD");
    CBitmap* disabled = FindKeyStateImage(images, L"SBMDS");
    CBitmap* mask = FindKeyStateImage(images, L"SBMM");
    // A mask shapes each key's window from its own cut of it; without one the key needs no copies.
    if (mask)
        key->LoadButtonImages(normal, over, down, disabled, mask, rc.left, rc.top, rc.right, rc.bottom);
    else
        key->UseSharedImages(normal, over, down, rc.left, rc.top);

    std::wstring tooltip;
    if (ReadTooltip(element, tooltip)) {
        key->m_keyName = tooltip;
        key->SetTooltip(tooltip);
    }
    if (element.attribute("caption")) {
        const int caps = ReadCaps(element, id);
        key->SetCaption(AttributeText(element, "caption"), caps);
    }

    if (element.attribute("kbddefid")) {
        const KeyRecord* record = KeyboardDef().FindKeyRecord(HashKeyName(AttributeText(element, "kbddefid")));
        key->m_keyRecord = record && !record->name.empty() ? record : nullptr;
        if (key->m_keyRecord)
            key->UpdateKeyName();
    }

    if (pugi::xml_node info = element.child("BMPINFO")) {
        StateBitmaps picture;
        if (ReadStateBitmaps(info, ReadItemId(info), picture))
            key->m_bmpInfo = picture;
    }

    key->m_ownerWnd = owner;
    key->m_id = id;
    key->m_type = SkinItemType::KeyboardKey;
    key->m_window = key->m_hWnd;
    key->m_owner = parent;
    return key.release();
}
