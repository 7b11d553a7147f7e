// Keyboard layout entries and the program-wide layout selection.
#include "skin/KeyboardLayoutSetting.h"

#include <algorithm>
#include <vector>

#include "skin/KeyboardLayout.h"
#include "skin/SkinElements.h"
#include "skin/SkinLoader.h"
#include "skin/SkinValues.h"

namespace {

// Used from the UI thread only.
struct LayoutSelection {
    CKeyboardLayoutSetting* entry = nullptr;
    HKL previous = nullptr;   // active before the selection; reactivated at exit
    HKL loaded = nullptr;     // what LoadKeyboardLayout gave the selection
    bool unloadAtExit = false;  // the selection added `loaded` to the session's layouts
};

LayoutSelection g_selection;

// The layouts loaded in the session.
std::vector<HKL> SessionLayouts(const KeyboardLayoutApi& api)
{
    const int count = api.GetKeyboardLayoutList(0, nullptr);
    if (count <= 0)
        return {};
    std::vector<HKL> layouts(static_cast<size_t>(count));
    const int listed = api.GetKeyboardLayoutList(count, layouts.data());
    layouts.resize(static_cast<size_t>(std::max(0, std::min(listed, count))));
    return layouts;
}

// Reactivates the previous layout and unloads the loaded one; the handles are cleared only when both
// calls succeed, so a refused call can be tried again at exit.
void GiveBackLoadedLayout()
{
    if (!g_selection.loaded || !g_selection.previous)
        return;
    const KeyboardLayoutApi& api = KeyboardLayout();
    if (!api.ActivateKeyboardLayout(g_selection.previous, KLF_SETFORPROCESS))
        return;
    // A layout the session had before the selection is the user's, not ours to unload.
    if (g_selection.unloadAtExit && api.UnloadKeyboardLayout(g_selection.loaded) != TRUE)
        return;
    g_selection.loaded = nullptr;
    g_selection.previous = nullptr;
    g_selection.unloadAtExit = false;
    SetCurrentKeyLayout(nullptr);
}

} // namespace

CKeyboardLayoutSetting::CKeyboardLayoutSetting()
{
    m_type = SkinItemType::KeyboardLayout;
    m_window = nullptr;
}

CKeyboardLayoutSetting::~CKeyboardLayoutSetting()
{
    ForgetKeyboardLayout(this);
    if (g_selection.entry == this)
        g_selection.entry = nullptr;
}

CGUIItem* ReadKeyboardLayoutElement(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    auto* entry = new CKeyboardLayoutSetting();
    entry->m_id = id;
    entry->m_owner = context.parent;
    entry->m_layoutId = AttributeText(element, "kbdlayout");
    entry->m_pageFile = AttributeText(element, "kbditems");
    return entry;
}

bool SelectKeyboardLayout(int layoutId)
{
    auto found = KeyboardLayoutMap().find(layoutId);
    if (found == KeyboardLayoutMap().end())
        return false;
    auto* entry = dynamic_cast<CKeyboardLayoutSetting*>(found->second);
    if (!entry)
        return false;

    GiveBackLoadedLayout();
    g_selection.entry = entry;

    const KeyboardLayoutApi& api = KeyboardLayout();
    // Loading with KLF_ACTIVATE already makes the new layout the thread's, so the layout to return to is
    // the one active before the load, not what the activation below reports.
    const HKL before = api.GetKeyboardLayout(0);
    const std::vector<HKL> known = SessionLayouts(api);
    const HKL layout = api.LoadKeyboardLayout(entry->m_layoutId.c_str(), KLF_ACTIVATE);
    if (!layout)
        return true;  // activating a null layout would switch to the previous one in the list
    const bool added = std::find(known.begin(), known.end(), layout) == known.end();
    api.ActivateKeyboardLayout(layout, KLF_SETFORPROCESS);
    // An earlier selection that could not be given back keeps its previous layout: that one is the user's.
    if (!g_selection.previous)
        g_selection.previous = before;
    g_selection.loaded = layout;
    g_selection.unloadAtExit = added;
    SetCurrentKeyLayout(layout);
    return true;
}

void RestoreKeyboardLayout()
{
    GiveBackLoadedLayout();
    KeyboardLayoutMap().clear();
}

CKeyboardLayoutSetting* SelectedKeyboardLayout() { return g_selection.entry; }

HKL LoadedKeyboardLayout() { return g_selection.loaded; }

HKL PreviousKeyboardLayout() { return g_selection.previous; }
