// The skin file loader: top elements, the list sections in their fixed order, and what some sections
// do beyond calling their element readers.
#include "skin/SkinLoader.h"

#include <cstring>
#include <vector>

#include <pugixml.hpp>

#include "framework/Wnd.h"
#include "skin/AppFolder.h"
#include "skin/LangTable.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

constexpr int kFirstLanguageId = 345;
constexpr int kLastLanguageId = 360;
constexpr int kFirstLayoutId = 362;
constexpr int kLastLayoutId = 377;

enum class SectionKind { Plain, Languages, Layouts, Keys };

struct ChildKind {
    const char* element;
    bool firstOnly;  // only the first element of this name is read
};

struct Section {
    const char* list;
    SectionKind kind;
    ChildKind children[4];  // unused rows have a null element
};

// Fonts and containers come before the controls that name them, so this order is part of the format.
const Section kSections[] = {
    {"LANGLIST", SectionKind::Languages, {{"LANG", false}}},
    {"KBLAYOUTLIST", SectionKind::Layouts, {{"KBLAYOUT", false}}},
    {"FONTLIST", SectionKind::Plain, {{"FONT", false}}},
    {"BITMAPLIST", SectionKind::Plain, {{"BITMAPITEM", false}, {"BITMAPWINDOW", false}}},
    {"BUTTONLIST", SectionKind::Plain, {{"BUTTON", false}, {"PROFBUTTON", true}, {"AVIBUTTON", true}}},
    {"SLIDERLIST",
     SectionKind::Plain,
     {{"VSLIDER", false}, {"HSLIDERM", false}, {"HSLIDERMAPM", false}, {"DMARKER", false}}},
    {"TEXTLIST", SectionKind::Plain, {{"TEXTITEM", false}}},
    {"DPISTAGELIST", SectionKind::Plain, {{"DPISTAGEWINDOW", false}}},
    {"MACRODISPLAYLIST", SectionKind::Plain, {{"MACRODISPLAY", false}}},
    {"LISTLIST", SectionKind::Plain, {{"LISTCTRL", false}, {"COMBO", false}}},
    {"LISTPANELLIST", SectionKind::Plain, {{"LISTPANEL", false}}},
    {"EDITCTRLLIST", SectionKind::Plain, {{"EDITCTRL", false}, {"EDITCTRLSK", false}}},
    {"KBDKEYLIST", SectionKind::Keys, {{"KBDKEY", false}}},
};

// An ITEMLIST holds nothing but the sections.
bool ReadNothingFirst(const pugi::xml_node&, SkinLoadContext&)
{
    return true;
}

struct RootRow {
    const char* element;
    SkinRootReader reader;  // null until a program adds it
};

// The top elements in the order they are tried: the first one present whose reader was added decides.
std::vector<RootRow>& Roots()
{
    static std::vector<RootRow> roots = {{"KEYBOARD", nullptr}, {"GUIPANEL", nullptr}, {"ITEMLIST", &ReadNothingFirst}};
    return roots;
}

const char* const kKeyStates[] = {"SBMN", "SBMO", "SBMD", "SBMDS", "SBMM"};
const wchar_t* const kKeyStateNames[] = {L"SBMN", L"SBMO", L"SBMD", L"SBMDS", L"SBMM"};

// A LANG element becomes a table only for the selected language, or for every language with -1.
bool WantsLanguage(const pugi::xml_node& element)
{
    const int selected = SelectedLanguageId();
    return selected == -1 || selected == ReadItemId(element);
}

// Registration in the program-wide maps, which outlive the file.
void AfterRead(SectionKind kind, CGUIItem* item)
{
    if (kind == SectionKind::Languages && item->m_id >= kFirstLanguageId && item->m_id <= kLastLanguageId) {
        if (auto* table = dynamic_cast<CLangTable*>(item))
            RegisterLanguageTable(table);
    } else if (kind == SectionKind::Layouts && item->m_id >= kFirstLayoutId && item->m_id <= kLastLayoutId) {
        KeyboardLayoutMap()[item->m_id] = item;
    }
}

void ReadSection(const pugi::xml_node& root, const Section& section, SkinItemList& list, CWnd* parent,
                 std::wstring& damagedFile)
{
    pugi::xml_node listElement = root.child(section.list);
    if (!listElement)
        return;

    SkinLoadContext context{parent, list, nullptr, &damagedFile};
    KeyStateImages keyImages;
    if (section.kind == SectionKind::Keys) {
        pugi::xml_node shared = listElement.child("BUTTONBITMAPS");
        if (!shared)
            return;
        for (size_t i = 0; i < sizeof(kKeyStates) / sizeof(kKeyStates[0]); ++i)
            keyImages.push_back({kKeyStateNames[i], LoadChildBitmap(kKeyStates[i], shared)});
        context.keyStateImages = &keyImages;
        if (CGUIItem* container = FindContainerItem(listElement, "windowid", list)) {
            if (auto* window = dynamic_cast<CWnd*>(container))
                context.parent = window;
        }
    }

    for (const ChildKind& child : section.children) {
        if (!child.element)
            break;
        SkinElementReader reader = FindSkinElementReader(child.element);
        if (!reader)
            continue;
        for (pugi::xml_node element = listElement.child(child.element); element;
             element = element.next_sibling(child.element)) {
            if (section.kind != SectionKind::Languages || WantsLanguage(element)) {
                if (CGUIItem* item = reader(element, context)) {
                    list.push_back(item);
                    AfterRead(section.kind, item);
                }
            }
            if (child.firstOnly)
                break;
        }
    }
}

// Reads every section; false when an element named a data file that can't be read (`damagedFile`).
bool ReadSections(const pugi::xml_node& root, SkinItemList& list, CWnd* parent, std::wstring& damagedFile)
{
    for (const Section& section : kSections)
        ReadSection(root, section, list, parent, damagedFile);
    return damagedFile.empty();
}

} // namespace

void AddSkinRootReader(const char* element, SkinRootReader reader)
{
    for (RootRow& row : Roots()) {
        if (std::strcmp(row.element, element) == 0) {
            if (!row.reader)
                row.reader = reader;
            return;
        }
    }
    Roots().push_back({element, reader});
}

std::map<int, CGUIItem*>& KeyboardLayoutMap()
{
    static std::map<int, CGUIItem*> layouts;
    return layouts;
}

void ForgetKeyboardLayout(const CGUIItem* item)
{
    auto& layouts = KeyboardLayoutMap();
    for (auto entry = layouts.begin(); entry != layouts.end();) {
        if (entry->second == item)
            entry = layouts.erase(entry);
        else
            ++entry;
    }
}

bool LoadSkinFile(SkinItemList& list, const std::wstring& fileName, CWnd* parent, std::wstring* damagedFile)
{
    const bool loaded = LoadSkinPanelFile(AppFolder() + L"xml\\" + fileName, &list, parent, damagedFile);
    if (!loaded && damagedFile && damagedFile->empty())
        *damagedFile = L"xml\\" + fileName;
    return loaded;
}

bool LoadSkinPanelFile(const std::wstring& path, SkinItemList* list, CWnd* parent, std::wstring* damagedFile)
{
    // Until a file it names is found at fault, the skin file is.
    auto fail = [&](const std::wstring& file) {
        if (damagedFile)
            *damagedFile = file;
        return false;
    };
    if (!list)
        return false;
    pugi::xml_document document;
    if (document.load_file(path.c_str()).status != pugi::status_ok || NestedDeeperThan(document, kMaxSkinFileDepth))
        return fail(std::wstring());

    for (const RootRow& row : Roots()) {
        pugi::xml_node root = document.child(row.element);
        if (!root || !row.reader)
            continue;
        std::wstring damaged;
        SkinLoadContext context{parent, *list, nullptr, &damaged};
        if (!row.reader(root, context))
            return fail(damaged);
        return ReadSections(root, *list, parent, damaged) || fail(damaged);
    }
    return fail(std::wstring());
}

namespace {

std::function<void(const std::wstring&)>& DamageHandler()
{
    static std::function<void(const std::wstring&)> handler;
    return handler;
}

std::wstring& DamageTitle()
{
    static std::wstring title = L"Tessary";
    return title;
}

} // namespace

void ReportDamagedInstallation(const std::wstring& file, HWND owner)
{
    if (DamageHandler()) {
        DamageHandler()(file);
        return;
    }
    // The file's own name first: a long folder does not fit a line of the box and is cut at its end.
    const std::wstring text = L"A file of the installation is missing or damaged:\n\n" + file + L"\n\nin " +
                              AppFolder() + L"\n\nPlease install the program again.";
    ::MessageBoxW(owner, text.c_str(), DamageTitle().c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void SetDamagedInstallationHandler(std::function<void(const std::wstring& file)> handler)
{
    DamageHandler() = std::move(handler);
}

void SetDamagedInstallationTitle(const std::wstring& title)
{
    DamageTitle() = title;
}
