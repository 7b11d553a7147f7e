// Tests of the skin file loader on the fixture files: top elements and their required parts, the fixed
// section order, the language, layout and key sections, and a panel read with the current language's
// overrides. Elements without a reader of their own yet are read by a probe that records what the
// shared value readers give.
#include "skin/SkinLoader.h"

#include "SkinLoaderTestSupport.h"
#include "SkinTestSupport.h"

#include "framework/Wnd.h"
#include "skin/FontItem.h"
#include "skin/PanelBitmap.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ProbeKind {
    const char* element;
    int type;
};

const ProbeKind kProbeKinds[] = {
    {"BITMAPITEM", SkinItemType::BitmapItem},     {"BITMAPWINDOW", SkinItemType::BitmapWindow},
    {"BUTTON", SkinItemType::BitmapButton},       {"PROFBUTTON", SkinItemType::ProfileButton},
    {"AVIBUTTON", SkinItemType::AviButton},       {"VSLIDER", SkinItemType::VertSlider},
    {"HSLIDERM", SkinItemType::MultiSlider},      {"HSLIDERMAPM", SkinItemType::MarkerSlider},
    {"DMARKER", SkinItemType::DMarker},           {"TEXTITEM", SkinItemType::TextItem},
    {"DPISTAGEWINDOW", SkinItemType::DpiStageWindow}, {"MACRODISPLAY", SkinItemType::MacroDisplay},
    {"LISTCTRL", SkinItemType::ListCtrl},         {"COMBO", SkinItemType::DropdownList},
    {"LISTPANEL", SkinItemType::ListPanel},       {"EDITCTRL", SkinItemType::EditItem},
    {"EDITCTRLSK", SkinItemType::EditItemSingleKey}, {"KBDKEY", SkinItemType::KeyboardKey},
    {"KBLAYOUT", SkinItemType::KeyboardLayout},
};

// What a widget reader would have been given.
struct ProbeItem : CGUIItem {
    std::string tag;
    RECT rect = {};
    CFont* font = nullptr;
    int caps = 0;
    bool multiline = false;
    CWnd* parent = nullptr;
    bool hasKeyImages = false;
    std::vector<CBitmap*> keyImages;  // looked up as sbmn, SBMO, SBMD, SBMDS, SBMM
};

// A container window (BITMAPITEM) that keys can be placed in.
struct WindowProbe : CWnd, ProbeItem {
    explicit WindowProbe(CWnd* parent)
    {
        CreateEx(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent ? parent->m_hWnd : nullptr, nullptr);
        m_window = m_hWnd;
    }
};

CGUIItem* ReadProbe(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    ProbeItem* item = nullptr;
    if (std::strcmp(element.name(), "BITMAPITEM") == 0) {
        item = new WindowProbe(context.parent);
    } else {
        item = new ProbeItem();
        item->m_window = nullptr;
    }
    for (const ProbeKind& kind : kProbeKinds) {
        if (std::strcmp(kind.element, element.name()) == 0)
            item->m_type = kind.type;
    }
    item->m_id = id;
    item->m_owner = context.parent;
    item->tag = element.attribute("tag").value();
    item->rect = ReadItemRect(element, id, kRectWidthHeight);
    item->font = ReadItemFont(element, id, context.list);
    item->caps = ReadCaps(element, id);
    item->multiline = ReadMultiline(element, id);
    item->parent = context.parent;
    if (context.keyStateImages) {
        item->hasKeyImages = true;
        for (const wchar_t* state : {L"sbmn", L"SBMO", L"SBMD", L"SBMDS", L"SBMM"})
            item->keyImages.push_back(FindKeyStateImage(*context.keyStateImages, state));
    }
    return item;
}

ProbeItem* Probe(CGUIItem* item)
{
    return dynamic_cast<ProbeItem*>(item);
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class SkinLoaderTest : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        for (const ProbeKind& kind : kProbeKinds)
            RegisterSkinElementReader(kind.element, &ReadProbe);
        ASSERT_TRUE(m_parent.CreateEx(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
        WriteLanguage(L"english.txt", L"English\r\n-\r\nHello\r\nHello\r\n");
        WriteLanguage(L"german.txt", L"Deutsch\r\n-\r\nHello\r\nHallo\r\n");
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);  // the windows go before their parent
        m_parent.DestroyWindow();
        for (const ProbeKind& kind : kProbeKinds)
            RegisterSkinElementReader(kind.element, nullptr);
        SkinFolderTest::TearDown();
    }

    bool Load(const std::wstring& fixture, SkinItemList* list)
    {
        return LoadSkinPanelFile(CopyFixture(fixture), list, &m_parent);
    }

    // Labels of the list: the probe's tag, else the item type.
    std::vector<std::string> Labels() const
    {
        std::vector<std::string> labels;
        for (CGUIItem* item : m_list) {
            if (ProbeItem* probe = Probe(item))
                labels.push_back(probe->tag);
            else
                labels.push_back("type " + std::to_string(item->m_type));
        }
        return labels;
    }

    void WritePanelImages()
    {
        Write(L"skins\\background.bmp",
              MakeBmpFile(6, 4, [](int x, int y) { return RGB(40 * x, 50 * y, 200); }));
        Write(L"skins\\mask.bmp",
              MakeBmpFile(6, 4, [](int x, int y) { return x < 3 ? RGB(255, 255, 255) : RGB(0, 0, 0); }));
    }

    CWnd m_parent;
};

TEST_F(SkinLoaderTest, SectionsAreReadInTheirFixedOrder)
{
    EXPECT_TRUE(Load(L"order.xml", &m_list));
    const std::vector<std::string> expected = {
        "type 13", "layout", "type 12", "bitmapitem", "bitmapwindow", "button1", "button2", "prof1",
        "avi1",    "vslider", "hsliderm", "hslidermapm", "dmarker", "text", "dpi", "macro",
        "listctrl", "combo1", "combo2", "listpanel", "edit", "editsk", "key",
    };
    EXPECT_EQ(expected, Labels());
    for (CGUIItem* item : m_list)
        EXPECT_EQ(&m_parent, item->m_owner);
}

TEST_F(SkinLoaderTest, LanguagesAreFilteredAndRegistered)
{
    SetSelectedLanguageId(350);
    EXPECT_TRUE(LoadSkinPanelFile(CopyFixture(L"language.xml"), &m_languages, nullptr));
    ASSERT_EQ((std::vector<int>{350}), Ids(m_languages));
    EXPECT_EQ(m_languages[0], LanguageMap()[350]);
    EXPECT_EQ(1u, LanguageMap().size());
    DeleteSkinItems(m_languages);
    EXPECT_TRUE(LanguageMap().empty());

    // -1 keeps every language; a table whose id is no language id is kept but not registered.
    SetSelectedLanguageId(-1);
    LoadSkinFile(m_languages, L"language.xml", nullptr);
    EXPECT_EQ((std::vector<int>{345, 350, 303}), Ids(m_languages));
    EXPECT_EQ((std::vector<int>{13, 13, 13}), Types(m_languages));
    ASSERT_EQ(2u, LanguageMap().size());
    EXPECT_EQ(m_languages[0], LanguageMap()[345]);
    EXPECT_EQ(m_languages[1], LanguageMap()[350]);
}

TEST_F(SkinLoaderTest, LayoutEntriesWithLayoutIdsEnterTheMap)
{
    EXPECT_TRUE(Load(L"layouts.xml", &m_list));
    EXPECT_EQ((std::vector<std::string>{"brazil", "text", "english"}), Labels());
    ASSERT_EQ(2u, KeyboardLayoutMap().size());
    EXPECT_EQ(m_list[0], KeyboardLayoutMap()[377]);
    EXPECT_EQ(m_list[2], KeyboardLayoutMap()[362]);
    ForgetKeyboardLayout(m_list[0]);
    EXPECT_EQ(0u, KeyboardLayoutMap().count(377));
}

TEST_F(SkinLoaderTest, KeysShareTheListImagesAndItsContainer)
{
    Write(L"skins\\key_normal.bmp", SolidBmpFile(2, 2, RGB(9, 9, 9)));
    Write(L"skins\\key_over.bmp", SolidBmpFile(2, 2, RGB(7, 7, 7)));
    EXPECT_TRUE(Load(L"keys.xml", &m_list));
    ASSERT_EQ((std::vector<std::string>{"keyboard", "esc", "f1"}), Labels());
    auto* container = dynamic_cast<WindowProbe*>(m_list[0]);
    ASSERT_NE(nullptr, container);
    CBitmap* normal = GetSkinImage(L"key_normal.bmp");
    CBitmap* over = GetSkinImage(L"key_over.bmp");
    ASSERT_TRUE(normal && over);
    for (size_t i = 1; i < 3; ++i) {
        ProbeItem* key = Probe(m_list[i]);
        EXPECT_EQ(container, key->parent);
        EXPECT_EQ(container, key->m_owner);
        ASSERT_TRUE(key->hasKeyImages);
        EXPECT_EQ((std::vector<CBitmap*>{normal, over, nullptr, normal, nullptr}), key->keyImages);
    }
    EXPECT_FALSE(Probe(m_list[0])->hasKeyImages);

    // Without the shared images no key is read.
    SkinItemList second;
    EXPECT_TRUE(Load(L"keys_without_images.xml", &second));
    EXPECT_EQ((std::vector<int>{SkinItemType::BitmapItem}), Types(second));
    DeleteSkinItems(second);

    // A windowid that names no container leaves the keys with the panel.
    EXPECT_TRUE(Load(L"keys_no_container.xml", &second));
    ASSERT_EQ((std::vector<int>{SkinItemType::TextItem, SkinItemType::KeyboardKey}), Types(second));
    EXPECT_EQ(&m_parent, Probe(second[1])->parent);
    EXPECT_EQ((std::vector<CBitmap*>{nullptr, nullptr, nullptr, nullptr, normal}), Probe(second[1])->keyImages);
    DeleteSkinItems(second);
}

TEST_F(SkinLoaderTest, FilesThatFailAddNothingOrOnlyTheirBackground)
{
    WritePanelImages();
    EXPECT_FALSE(Load(L"malformed.xml", &m_list));
    EXPECT_FALSE(Load(L"unknown_top.xml", &m_list));
    EXPECT_FALSE(Load(L"keyboard_without_definition.xml", &m_list));
    EXPECT_FALSE(LoadSkinPanelFile(m_folder + L"xml\\absent.xml", &m_list, &m_parent));
    EXPECT_TRUE(m_list.empty());
    EXPECT_FALSE(LoadSkinPanelFile(CopyFixture(L"order.xml"), nullptr, &m_parent));
    LoadSkinFile(m_list, L"absent.xml", &m_parent);
    EXPECT_TRUE(m_list.empty());

    // The background read before a failing mask stays; no section is read.
    EXPECT_FALSE(Load(L"panel_without_mask.xml", &m_list));
    ASSERT_EQ((std::vector<int>{0}), Ids(m_list));
    EXPECT_EQ((std::vector<int>{SkinItemType::PanelBitmap}), Types(m_list));
    DeleteSkinItems(m_list);
    EXPECT_FALSE(Load(L"panel_mask_unreadable.xml", &m_list));
    EXPECT_EQ((std::vector<int>{0}), Ids(m_list));
}

std::string NestedElements(int levels)
{
    return testfiles::Repeated("<B>", levels) + testfiles::Repeated("</B>", levels);
}

// A damaged file is refused naming the file at fault: the skin file itself (missing, or nested deeper
// than any skin file, which no walk of it may depend on), or the picture or key data it names.
TEST_F(SkinLoaderTest, DamagedFilesAreRefusedNamingTheFileAtFault)
{
    WritePanelImages();
    WriteXml(L"deep.xml", "<ITEMLIST><BUTTONLIST>" + NestedElements(100000) + "</BUTTONLIST></ITEMLIST>");
    // Below the document: the top element and the elements in it.
    WriteXml(L"shallow.xml", "<ITEMLIST>" + NestedElements(kMaxSkinFileDepth - 1) + "</ITEMLIST>");
    Write(L"skins\\random.bmp", std::vector<BYTE>(300, 0x5A));
    WriteXml(L"random_background.xml", "<GUIPANEL><BACKGROUND> random.bmp </BACKGROUND><MASK>mask.bmp</MASK></GUIPANEL>");
    WriteXml(L"keyboard.xml", "<KEYBOARD><KEYBOARDDEF name=\"KBDDEF_WINDOWS\" file=\"Keyboard.bin\"/></KEYBOARD>");
    CopyFixture(L"panel_mask_unreadable.xml");

    const struct {
        const wchar_t* file;
        const wchar_t* atFault;
    } kCases[] = {
        {L"deep.xml", L"xml\\deep.xml"},
        {L"absent.xml", L"xml\\absent.xml"},
        {L"random_background.xml", L"skins\\random.bmp"},
        {L"panel_mask_unreadable.xml", L"skins\\missing.bmp"},
        {L"keyboard.xml", L"bin\\Keyboard.bin"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file);
        std::wstring atFault;
        EXPECT_FALSE(LoadSkinFile(m_list, c.file, &m_parent, &atFault));
        EXPECT_EQ(atFault, c.atFault);
        DeleteSkinItems(m_list);
    }
    std::wstring atFault;
    EXPECT_TRUE(LoadSkinFile(m_list, L"shallow.xml", &m_parent, &atFault)) << "as deep as a skin file may be";
    EXPECT_TRUE(atFault.empty());
}

// The whole path of a panel: the language file first, its table made current, then the panel, whose
// background and mask are private copies of the skin images and whose texts get the fonts of the file
// through the language's font replacement and overrides.
TEST_F(SkinLoaderTest, PanelWithFontsBitmapsAndLanguageOverrides)
{
    WritePanelImages();
    CopyFixture(L"language.xml");
    LoadSkinFile(m_languages, L"language.xml", nullptr);
    ASSERT_NE(nullptr, LanguageMap()[345]);
    SetCurrentLangTable(LanguageMap()[345]);

    CopyFixture(L"panel.xml");
    LoadSkinFile(m_list, L"panel.xml", &m_parent);
    EXPECT_EQ((std::vector<int>{0, 1, 248, 250, 252, 303, 304, 305, 302}), Ids(m_list));
    EXPECT_EQ((std::vector<int>{0, 0, 12, 12, 12, 11, 11, 11, 11}), Types(m_list));
    ASSERT_EQ(9u, m_list.size());
    for (CGUIItem* item : m_list)
        EXPECT_EQ(&m_parent, item->m_owner);

    for (int i = 0; i < 2; ++i) {
        auto* bitmap = dynamic_cast<CPanelBitmap*>(m_list[i]);
        ASSERT_NE(nullptr, bitmap);
        EXPECT_EQ(nullptr, bitmap->m_window);
        CBitmap* source = GetSkinImage(i == 0 ? L"background.bmp" : L"mask.bmp");
        ASSERT_NE(nullptr, source);
        EXPECT_NE(static_cast<HBITMAP>(*source), static_cast<HBITMAP>(*bitmap));
        EXPECT_EQ(static_cast<HBITMAP>(*bitmap), bitmap->m_copy);
        int width = 0;
        int height = 0;
        std::vector<COLORREF> copied = ReadPixels(*bitmap, &width, &height);
        EXPECT_EQ(6, width);
        EXPECT_EQ(4, height);
        EXPECT_EQ(ReadPixels(*source), copied);
    }
    EXPECT_EQ(RGB(80, 50, 200), PixelAt(*dynamic_cast<CPanelBitmap*>(m_list[0]), 2, 1));

    auto* arial12 = dynamic_cast<CFontItem*>(m_list[2]);
    auto* arial14 = dynamic_cast<CFontItem*>(m_list[3]);
    auto* arial16 = dynamic_cast<CFontItem*>(m_list[4]);
    ASSERT_TRUE(arial12 && arial14 && arial16);
    LOGFONTW lf = {};
    ASSERT_NE(0, arial16->GetLogFont(&lf));
    EXPECT_EQ(std::wstring(L"Arial"), lf.lfFaceName);
    EXPECT_EQ(16, lf.lfHeight);
    EXPECT_EQ(700, lf.lfWeight);

    ProbeItem* logo = Probe(m_list[5]);
    EXPECT_EQ(arial16, logo->font);  // the language's font, not the replaced attribute font
    EXPECT_EQ(2, logo->caps);        // the language's "L" over the file's "U"
    EXPECT_TRUE(SameRect({10, 20, 110, 50}, logo->rect));
    EXPECT_FALSE(logo->multiline);

    ProbeItem* firmware = Probe(m_list[6]);
    EXPECT_EQ(arial14, firmware->font);  // FONT_ARIAL12 replaced for this language
    EXPECT_TRUE(SameRect({0, 40, 50, 50}, firmware->rect));

    ProbeItem* driver = Probe(m_list[7]);
    EXPECT_EQ(arial16, driver->font);
    EXPECT_TRUE(SameRect({1, 2, 31, 42}, driver->rect));

    ProbeItem* wheel = Probe(m_list[8]);
    EXPECT_TRUE(wheel->multiline);
    EXPECT_EQ(nullptr, wheel->font);
    EXPECT_EQ(0, wheel->caps);
}

} // namespace
