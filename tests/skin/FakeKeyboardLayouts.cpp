// US, German and French layout tables behind the keyboard-layout seam.
#include "FakeKeyboardLayouts.h"

#include <cwchar>

namespace {

// One key of a layout: where it is, what virtual key it gives, its characters (unshifted, Shift, AltGr)
// and, for keys without a character, its name.
struct Key {
    UINT scan;
    bool extended;
    UINT vk;
    wchar_t normal;
    wchar_t shifted;
    wchar_t altGr;
    const wchar_t* name;
    int deadMask;  // bit 0: normal is dead, bit 1: shifted is dead, bit 2: altGr is dead
};

struct Layout {
    const wchar_t* id;
    UINT_PTR handle;
    const Key* keys;
    size_t count;
};

// Keys that carry a name rather than a character, in the order a lookup by scan code should meet
// them: Num Lock shares scan code 0x45 with Pause and has only the extended name.
#define NAMED_KEYS(esc, bksp, tab, enter, ctrl, shift, rshift, alt, space, caps, pause, numlock, scroll,   \
                   numEnter, rctrl, altgr, home, up, pgup, left, right, end, down, pgdn, ins, del, prtsc,   \
                   num7, num0, numMul, numDiv)                                                              \
    {0x01, false, VK_ESCAPE, 0x1B, 0, 0, esc, 0}, {0x0E, false, VK_BACK, 0x08, 0, 0, bksp, 0},              \
        {0x0F, false, VK_TAB, L'\t', 0, 0, tab, 0}, {0x1C, false, VK_RETURN, L'\r', 0, 0, enter, 0},       \
        {0x1D, false, VK_LCONTROL, 0, 0, 0, ctrl, 0}, {0x2A, false, VK_LSHIFT, 0, 0, 0, shift, 0},         \
        {0x36, false, VK_RSHIFT, 0, 0, 0, rshift, 0}, {0x38, false, VK_LMENU, 0, 0, 0, alt, 0},            \
        {0x39, false, VK_SPACE, L' ', L' ', 0, space, 0}, {0x3A, false, VK_CAPITAL, 0, 0, 0, caps, 0},     \
        {0x45, false, VK_NUMLOCK, 0, 0, 0, pause, 0}, {0x45, true, VK_NUMLOCK, 0, 0, 0, numlock, 0},       \
        {0x45, false, VK_PAUSE, 0, 0, 0, pause, 0}, {0x46, false, VK_SCROLL, 0, 0, 0, scroll, 0},          \
        {0x1C, true, VK_RETURN, L'\r', 0, 0, numEnter, 0}, {0x1D, true, VK_RCONTROL, 0, 0, 0, rctrl, 0},   \
        {0x38, true, VK_RMENU, 0, 0, 0, altgr, 0}, {0x47, true, VK_HOME, 0, 0, 0, home, 0},                \
        {0x48, true, VK_UP, 0, 0, 0, up, 0}, {0x49, true, VK_PRIOR, 0, 0, 0, pgup, 0},                     \
        {0x4B, true, VK_LEFT, 0, 0, 0, left, 0}, {0x4D, true, VK_RIGHT, 0, 0, 0, right, 0},                \
        {0x4F, true, VK_END, 0, 0, 0, end, 0}, {0x50, true, VK_DOWN, 0, 0, 0, down, 0},                    \
        {0x51, true, VK_NEXT, 0, 0, 0, pgdn, 0}, {0x52, true, VK_INSERT, 0, 0, 0, ins, 0},                 \
        {0x53, true, VK_DELETE, 0, 0, 0, del, 0}, {0x37, true, VK_SNAPSHOT, 0, 0, 0, prtsc, 0},            \
        {0x47, false, VK_NUMPAD7, L'7', 0, 0, num7, 0}, {0x52, false, VK_NUMPAD0, L'0', 0, 0, num0, 0},    \
        {0x37, false, VK_MULTIPLY, L'*', 0, 0, numMul, 0}, {0x35, true, VK_DIVIDE, L'/', 0, 0, numDiv, 0}, \
        {0x3B, false, VK_F1, 0, 0, 0, L"F1", 0}, {0x58, false, VK_F12, 0, 0, 0, L"F12", 0},                \
        {0x5B, true, VK_LWIN, 0, 0, 0, nullptr, 0}, {0x5D, true, VK_APPS, 0, 0, 0, nullptr, 0}

const Key kUsKeys[] = {
    NAMED_KEYS(L"Esc", L"Backspace", L"Tab", L"Enter", L"Ctrl", L"Shift", L"Right Shift", L"Alt", L"Space",
               L"Caps Lock", L"Pause", L"Num Lock", L"Scroll Lock", L"Num Enter", L"Right Ctrl", L"Right Alt",
               L"Home", L"Up", L"Page Up", L"Left", L"Right", L"End", L"Down", L"Page Down", L"Insert",
               L"Delete", L"Prnt Scrn", L"Num 7", L"Num 0", L"Num *", L"Num /"),
    {0x02, false, '1', L'1', L'!', 0, nullptr, 0},       {0x03, false, '2', L'2', L'@', 0, nullptr, 0},
    {0x08, false, '7', L'7', L'&', 0, nullptr, 0},       {0x0B, false, '0', L'0', L')', 0, nullptr, 0},
    {0x0C, false, VK_OEM_MINUS, L'-', L'_', 0, nullptr, 0}, {0x0D, false, VK_OEM_PLUS, L'=', L'+', 0, nullptr, 0},
    {0x10, false, 'Q', L'q', L'Q', 0, nullptr, 0},       {0x11, false, 'W', L'w', L'W', 0, nullptr, 0},
    {0x12, false, 'E', L'e', L'E', 0, nullptr, 0},       {0x15, false, 'Y', L'y', L'Y', 0, nullptr, 0},
    {0x1A, false, VK_OEM_4, L'[', L'{', 0, nullptr, 0},  {0x1B, false, VK_OEM_6, L']', L'}', 0, nullptr, 0},
    {0x1E, false, 'A', L'a', L'A', 0, nullptr, 0},       {0x27, false, VK_OEM_1, L';', L':', 0, nullptr, 0},
    {0x28, false, VK_OEM_7, L'\'', L'"', 0, nullptr, 0}, {0x29, false, VK_OEM_3, L'`', L'~', 0, nullptr, 0},
    {0x2B, false, VK_OEM_5, L'\\', L'|', 0, nullptr, 0}, {0x2C, false, 'Z', L'z', L'Z', 0, nullptr, 0},
    {0x32, false, 'M', L'm', L'M', 0, nullptr, 0},       {0x33, false, VK_OEM_COMMA, L',', L'<', 0, nullptr, 0},
    {0x34, false, VK_OEM_PERIOD, L'.', L'>', 0, nullptr, 0}, {0x35, false, VK_OEM_2, L'/', L'?', 0, nullptr, 0},
    {0x56, false, VK_OEM_102, L'\\', L'|', 0, nullptr, 0},
};

const Key kGermanKeys[] = {
    NAMED_KEYS(L"Esc", L"Rück", L"Tabulator", L"Eingabe", L"Strg", L"Umschalt", L"Umschalt rechts", L"Alt",
               L"Leer", L"Feststell", L"Pause", L"Num-Feststell", L"Rollen-Feststell", L"Eingabe (Ziffernblock)",
               L"Strg rechts", L"Alt Gr", L"Pos1", L"Nach-oben", L"Bild-auf", L"Nach-links", L"Nach-rechts",
               L"Ende", L"Nach-unten", L"Bild-ab", L"Einfg", L"Entf", L"Druck", L"Num 7", L"Num 0", L"Num *",
               L"Num /"),
    {0x02, false, '1', L'1', L'!', 0, nullptr, 0},       {0x03, false, '2', L'2', L'"', L'²', nullptr, 0},
    {0x08, false, '7', L'7', L'/', L'{', nullptr, 0},    {0x0B, false, '0', L'0', L'=', L'}', nullptr, 0},
    {0x0C, false, VK_OEM_4, L'ß', L'?', L'\\', nullptr, 0}, {0x0D, false, VK_OEM_6, L'´', L'`', 0, nullptr, 3},
    {0x10, false, 'Q', L'q', L'Q', L'@', nullptr, 0},    {0x11, false, 'W', L'w', L'W', 0, nullptr, 0},
    {0x12, false, 'E', L'e', L'E', L'€', nullptr, 0},    {0x15, false, 'Z', L'z', L'Z', 0, nullptr, 0},
    {0x1A, false, VK_OEM_1, L'ü', L'Ü', 0, nullptr, 0},  {0x1B, false, VK_OEM_PLUS, L'+', L'*', L'~', nullptr, 0},
    {0x1E, false, 'A', L'a', L'A', 0, nullptr, 0},       {0x27, false, VK_OEM_3, L'ö', L'Ö', 0, nullptr, 0},
    {0x28, false, VK_OEM_7, L'ä', L'Ä', 0, nullptr, 0},  {0x29, false, VK_OEM_5, L'^', L'°', 0, nullptr, 1},
    {0x2B, false, VK_OEM_2, L'#', L'\'', 0, nullptr, 0}, {0x2C, false, 'Y', L'y', L'Y', 0, nullptr, 0},
    {0x32, false, 'M', L'm', L'M', L'µ', nullptr, 0},    {0x33, false, VK_OEM_COMMA, L',', L';', 0, nullptr, 0},
    {0x34, false, VK_OEM_PERIOD, L'.', L':', 0, nullptr, 0}, {0x35, false, VK_OEM_MINUS, L'-', L'_', 0, nullptr, 0},
    {0x56, false, VK_OEM_102, L'<', L'>', L'|', nullptr, 0},
};

const Key kFrenchKeys[] = {
    NAMED_KEYS(L"Échap", L"Retour arrière", L"Tab", L"Entrée", L"Ctrl", L"Maj", L"Maj droite", L"Alt",
               L"Espace", L"Verr. maj", L"Pause", L"Verr. num", L"Arrêt défil", L"Entrée (pavé num.)",
               L"Ctrl droite", L"Alt Gr", L"Origine", L"Haut", L"Page préc", L"Gauche", L"Droite", L"Fin",
               L"Bas", L"Page suiv", L"Inser", L"Suppr", L"Impr. écran", L"7 (pavé num.)",
               L"0 (pavé num.)", L"* (pavé num.)", L"/ (pavé num.)"),
    {0x02, false, '1', L'&', L'1', 0, nullptr, 0},       {0x03, false, '2', L'é', L'2', L'~', nullptr, 4},
    {0x08, false, '7', L'è', L'7', L'`', nullptr, 4},    {0x0B, false, '0', L'à', L'0', L'@', nullptr, 0},
    {0x0C, false, VK_OEM_4, L')', L'°', L']', nullptr, 0}, {0x0D, false, VK_OEM_PLUS, L'=', L'+', L'}', nullptr, 0},
    {0x10, false, 'A', L'a', L'A', 0, nullptr, 0},       {0x11, false, 'Z', L'z', L'Z', 0, nullptr, 0},
    {0x12, false, 'E', L'e', L'E', L'€', nullptr, 0},    {0x15, false, 'Y', L'y', L'Y', 0, nullptr, 0},
    {0x1A, false, VK_OEM_6, L'^', L'¨', 0, nullptr, 3},  {0x1B, false, VK_OEM_1, L'$', L'£', L'¤', nullptr, 0},
    {0x1E, false, 'Q', L'q', L'Q', 0, nullptr, 0},       {0x27, false, 'M', L'm', L'M', 0, nullptr, 0},
    {0x28, false, VK_OEM_3, L'ù', L'%', 0, nullptr, 0},  {0x29, false, VK_OEM_7, L'²', 0, 0, nullptr, 0},
    {0x2B, false, VK_OEM_5, L'*', L'µ', 0, nullptr, 0},  {0x2C, false, 'W', L'w', L'W', 0, nullptr, 0},
    {0x32, false, VK_OEM_COMMA, L',', L'?', 0, nullptr, 0}, {0x33, false, VK_OEM_PERIOD, L';', L'.', 0, nullptr, 0},
    {0x34, false, VK_OEM_2, L':', L'/', 0, nullptr, 0},  {0x35, false, VK_OEM_8, L'!', L'§', 0, nullptr, 0},
    {0x56, false, VK_OEM_102, L'<', L'>', 0, nullptr, 0},
};

#undef NAMED_KEYS

const Layout kLayouts[] = {
    {kLayoutUs, 0x04090409, kUsKeys, sizeof(kUsKeys) / sizeof(kUsKeys[0])},
    {kLayoutGerman, 0x04070407, kGermanKeys, sizeof(kGermanKeys) / sizeof(kGermanKeys[0])},
    {kLayoutFrench, 0x040C040C, kFrenchKeys, sizeof(kFrenchKeys) / sizeof(kFrenchKeys[0])},
};

FakeKeyboardLayouts* g_fake = nullptr;

HKL ToHandle(UINT_PTR value) { return reinterpret_cast<HKL>(value); }

const Layout* FindLayout(HKL handle)
{
    if (!handle && g_fake)
        handle = g_fake->active;
    for (const Layout& layout : kLayouts) {
        if (ToHandle(layout.handle) == handle)
            return &layout;
    }
    return nullptr;
}

const Layout* FindLayoutById(const wchar_t* id)
{
    for (const Layout& layout : kLayouts) {
        if (id && _wcsicmp(layout.id, id) == 0)
            return &layout;
    }
    return nullptr;
}

const Key* KeyByScan(const Layout* layout, UINT scan, bool extended)
{
    for (size_t i = 0; layout && i < layout->count; ++i) {
        if (layout->keys[i].scan == scan && layout->keys[i].extended == extended)
            return &layout->keys[i];
    }
    return nullptr;
}

// The generic Shift, Ctrl and Alt keys are found as their left keys.
const Key* KeyByVk(const Layout* layout, UINT vk)
{
    if (vk == VK_SHIFT)
        vk = VK_LSHIFT;
    else if (vk == VK_CONTROL)
        vk = VK_LCONTROL;
    else if (vk == VK_MENU)
        vk = VK_LMENU;
    for (size_t i = 0; layout && i < layout->count; ++i) {
        if (layout->keys[i].vk == vk)
            return &layout->keys[i];
    }
    return nullptr;
}

UINT GenericVk(UINT vk)
{
    switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return vk;
    }
}

HKL FakeLoad(const wchar_t* id, UINT flags)
{
    ++g_fake->loadCalls;
    const Layout* layout = FindLayoutById(id);
    if (!layout)
        return nullptr;
    g_fake->loaded.insert(ToHandle(layout->handle));
    if (flags & KLF_ACTIVATE)
        g_fake->active = ToHandle(layout->handle);
    return ToHandle(layout->handle);
}

HKL FakeActivate(HKL handle, UINT)
{
    for (const Layout& layout : kLayouts) {
        if (ToHandle(layout.handle) == handle) {
            HKL previous = g_fake->active;
            g_fake->active = handle;
            return previous;
        }
    }
    return nullptr;
}

BOOL FakeUnload(HKL handle)
{
    ++g_fake->unloadCalls;
    return g_fake->loaded.erase(handle) ? TRUE : FALSE;
}

HKL FakeGetLayout(DWORD) { return g_fake->active; }

UINT FakeMapVirtualKey(UINT code, UINT mapType, HKL handle)
{
    const Layout* layout = FindLayout(handle);
    switch (mapType) {
    case MAPVK_VK_TO_VSC:
    case MAPVK_VK_TO_VSC_EX: {
        const Key* key = KeyByVk(layout, code);
        if (!key)
            return 0;
        return key->scan | ((mapType == MAPVK_VK_TO_VSC_EX && key->extended) ? 0xE000 : 0);
    }
    case MAPVK_VSC_TO_VK:
    case MAPVK_VSC_TO_VK_EX: {
        const Key* key = KeyByScan(layout, code & 0xFF, (code & 0xFF00) == 0xE000);
        if (!key)
            return 0;
        return mapType == MAPVK_VSC_TO_VK ? GenericVk(key->vk) : key->vk;
    }
    case MAPVK_VK_TO_CHAR: {
        const Key* key = KeyByVk(layout, code);
        if (!key || !key->normal)
            return 0;
        UINT ch = static_cast<UINT>(key->normal);
        if (ch >= L'a' && ch <= L'z')
            ch -= L'a' - L'A';
        return ch | ((key->deadMask & 1) ? 0x80000000u : 0);
    }
    default:
        return 0;
    }
}

SHORT FakeVkKeyScan(wchar_t ch, HKL handle)
{
    const Layout* layout = FindLayout(handle);
    for (size_t i = 0; layout && i < layout->count; ++i) {
        const Key& key = layout->keys[i];
        if (key.normal == ch)
            return static_cast<SHORT>(key.vk);
    }
    for (size_t i = 0; layout && i < layout->count; ++i) {
        const Key& key = layout->keys[i];
        if (key.shifted == ch)
            return static_cast<SHORT>(key.vk | 0x100);
        if (key.altGr == ch)
            return static_cast<SHORT>(key.vk | 0x600);
    }
    return -1;
}

int FakeKeyName(LONG keyData, wchar_t* buffer, int size)
{
    const Key* key = KeyByScan(FindLayout(nullptr), (keyData >> 16) & 0xFF, (keyData & (1 << 24)) != 0);
    if (!key || size <= 0)
        return 0;
    wchar_t character[2] = {key->normal, 0};
    CharUpperBuffW(character, 1);
    const wchar_t* text = key->name ? key->name : (key->normal > L' ' ? character : nullptr);
    if (!text)
        return 0;
    const int length = static_cast<int>(std::wcslen(text)) < size - 1 ? static_cast<int>(std::wcslen(text)) : size - 1;
    std::wmemcpy(buffer, text, length);
    buffer[length] = 0;
    return length;
}

int FakeToUnicode(UINT vk, UINT, const BYTE* keyState, wchar_t* buffer, int size, UINT)
{
    const Key* key = KeyByVk(FindLayout(nullptr), vk);
    if (!key || size <= 0)
        return 0;
    const bool shift = keyState && (keyState[VK_SHIFT] & 0x80);
    const bool altGr = keyState && (keyState[VK_CONTROL] & 0x80) && (keyState[VK_MENU] & 0x80);
    const int slot = altGr ? 2 : shift ? 1 : 0;
    const wchar_t ch = slot == 2 ? key->altGr : slot == 1 ? key->shifted : key->normal;
    if (!ch)
        return 0;
    buffer[0] = ch;
    return (key->deadMask & (1 << slot)) ? -1 : 1;
}

// The active layout and every loaded one, as the session's list holds them.
int FakeGetLayoutList(int count, HKL* layouts)
{
    std::set<HKL> all = g_fake->loaded;
    if (g_fake->active)
        all.insert(g_fake->active);
    if (count == 0)
        return static_cast<int>(all.size());
    int written = 0;
    for (HKL layout : all) {
        if (written == count)
            break;
        layouts[written++] = layout;
    }
    return written;
}

const KeyboardLayoutApi kFakeApi = {
    FakeLoad, FakeActivate, FakeUnload, FakeGetLayout, FakeMapVirtualKey, FakeVkKeyScan, FakeKeyName, FakeToUnicode,
    FakeGetLayoutList,
};

} // namespace

FakeKeyboardLayouts::FakeKeyboardLayouts()
{
    g_fake = this;
    active = Handle(kLayoutUs);
    SetKeyboardLayoutApi(&kFakeApi);
    SetCurrentKeyLayout(nullptr);
}

FakeKeyboardLayouts::~FakeKeyboardLayouts()
{
    SetKeyboardLayoutApi(nullptr);
    SetCurrentKeyLayout(nullptr);
    g_fake = nullptr;
}

HKL FakeKeyboardLayouts::Handle(const wchar_t* layoutId)
{
    const Layout* layout = FindLayoutById(layoutId);
    return layout ? ToHandle(layout->handle) : nullptr;
}

void FakeKeyboardLayouts::Activate(const wchar_t* layoutId) { active = Handle(layoutId); }

const KeyboardLayoutApi& FakeKeyboardLayouts::Api() const { return kFakeApi; }
