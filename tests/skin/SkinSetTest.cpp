// The skin set as the build installs it next to the programs: every panel loads through the real
// loader with every picture it names, at the size its controls need; every key of every keyboard page
// is a key item with its key record; every text key has an English text; the panels hold the items the
// configurator binds.
#include "SkinSetSupport.h"

namespace {

// The English table loaded as the configurator loads it.
class SkinSetTest : public InstalledSkinTest {
protected:
    SkinSetTest() : InstalledSkinTest(345) {}
};

TEST_F(SkinSetTest, EveryTextKeyOfTheSkinAndTheVocabularyHasAnEnglishText)
{
    std::set<std::wstring> keys;
    for (const std::wstring& file : InstalledPanelFiles()) {
        pugi::xml_document document;
        std::vector<pugi::xml_node> elements;
        Walk(Root(document, file), elements);
        for (const pugi::xml_node& element : elements) {
            for (pugi::xml_attribute attribute : element.attributes()) {
                if (attribute.value()[0] == '$')
                    keys.insert(Wide(attribute.value()));
            }
            const std::wstring text = Trimmed(element.text().get());
            if (!text.empty() && text[0] == L'$')
                keys.insert(text);
        }
    }
    ASSERT_GT(keys.size(), 50u) << "the skin set seems not to be installed";
    for (const auto* table : {&ActionNames(), &AssignmentKindNames()}) {
        for (const auto& entry : *table)
            keys.insert(entry.second);
    }
    for (const std::wstring& key : keys) {
        std::wstring text;
        EXPECT_TRUE(m_english->LookupText(key, text)) << "English has no text for " << testing::PrintToString(key);
    }
}

TEST_F(SkinSetTest, EveryPanelLoadsWithEveryPictureItNamesAtItsControlsSize)
{
    const std::vector<std::wstring> files = InstalledPanelFiles();
    ASSERT_GE(files.size(), 40u);
    for (const std::wstring& file : files) {
        SCOPED_TRACE(testing::PrintToString(file));
        pugi::xml_document document;
        const pugi::xml_node root = Root(document, file);
        const std::string top = root.name();
        if (top != "GUIPANEL" && top != "KEYBOARD")
            continue;  // the language and layout lists
        // The keyboard pages load in the test of their keys; here only their pictures are looked up.
        if (top == "GUIPANEL") {
            EXPECT_TRUE(LoadPanel(file));
        }

        std::vector<pugi::xml_node> elements;
        Walk(root, elements);
        for (const pugi::xml_node& element : elements) {
            // An unknown identifier drops the control without a word.
            if (element.attribute("name")) {
                EXPECT_GE(FindSkinResourceId(Wide(element.attribute("name").value())), 0) << element.attribute("name").value();
            }
            const std::wstring text = Trimmed(element.text().get());
            if (text.size() > 4 && text.compare(text.size() - 4, 4, L".bmp") == 0) {
                EXPECT_GT(ImageSize(text).cx, 0) << "picture missing: " << testing::PrintToString(text);
            }
        }
        // A button shows the top left of its pictures: smaller ones would leave part of it unpainted,
        // larger ones lose their edges.
        for (pugi::xml_node button : root.child("BUTTONLIST").children("BUTTON")) {
            const SIZE size = RectSize(button);
            for (const char* state : {"SBMN", "SBMO", "SBMD", "SBMDS"}) {
                const SIZE image = ImageSize(Trimmed(button.child(state).text().get()));
                EXPECT_TRUE(image.cx == size.cx && image.cy == size.cy)
                    << button.attribute("name").value() << " " << state << " is " << image.cx << "x" << image.cy;
            }
        }
        if (root.child("BACKGROUND")) {
            const SIZE background = ImageSize(Trimmed(root.child("BACKGROUND").text().get()));
            const SIZE mask = ImageSize(Trimmed(root.child("MASK").text().get()));
            EXPECT_TRUE(background.cx == mask.cx && background.cy == mask.cy) << "the mask does not fit the background";
        }
    }
}

TEST_F(SkinSetTest, EveryKeyOfEveryKeyboardPageIsAKeyWithItsRecordInsideThePicture)
{
    pugi::xml_document layouts;
    const pugi::xml_node list = Root(layouts, L"KeyboardLayout.xml").child("KBLAYOUTLIST");
    int pages = 0;
    for (pugi::xml_node layout : list.children("KBLAYOUT")) {
        const std::wstring page = Wide(layout.attribute("kbditems").value());
        SCOPED_TRACE(testing::PrintToString(page));
        ++pages;
        ASSERT_TRUE(LoadPanel(page));
        CGUIItem* picture = FindItemById(m_items, FindSkinResourceId(L"BITMAP_MECHKBD"));
        ASSERT_TRUE(picture && picture->m_type == SkinItemType::BitmapItem);
        RECT plate = {};
        ::GetClientRect(dynamic_cast<CWnd*>(picture)->m_hWnd, &plate);

        std::vector<RECT> keys;
        std::set<int> ids;
        for (CGUIItem* item : m_items) {
            if (item->m_type != SkinItemType::KeyboardKey)
                continue;
            auto* key = dynamic_cast<CKeyboardKeyItem*>(item);
            ASSERT_TRUE(key);
            EXPECT_TRUE(key->m_keyRecord) << SkinResourceName(key->m_id) << " has no key record";
            EXPECT_TRUE(ids.insert(key->m_id).second) << SkinResourceName(key->m_id) << " twice";
            EXPECT_TRUE(key->m_bmpInfo.normal && key->m_bmpInfo.pressed) << SkinResourceName(key->m_id) << " has no hint picture";
            RECT rc = {};
            ::GetWindowRect(key->m_hWnd, &rc);
            ::MapWindowPoints(nullptr, ::GetParent(key->m_hWnd), reinterpret_cast<POINT*>(&rc), 2);
            RECT inside = {};
            EXPECT_TRUE(::IntersectRect(&inside, &rc, &plate) && ::EqualRect(&inside, &rc))
                << SkinResourceName(key->m_id) << " lies outside the keyboard picture";
            for (const RECT& other : keys)
                EXPECT_FALSE(::IntersectRect(&inside, &rc, &other)) << SkinResourceName(key->m_id) << " covers another key";
            keys.push_back(rc);
        }
        // 104 keys and the five macro keys, the logo key and the keys of the national layouts.
        EXPECT_GE(keys.size(), 110u);
    }
    EXPECT_EQ(pages, 16);
}

TEST_F(SkinSetTest, PanelsHoldTheItemsTheConfiguratorWorksWith)
{
    struct Expected {
        const wchar_t* file;
        std::vector<std::pair<int, int>> items;  // id, item type
    };
    const int button = SkinItemType::BitmapButton;
    const int text = SkinItemType::TextItem;
    const std::vector<Expected> panels = {
        {L"MainPage.xml",
         {{221, button}, {223, button}, {224, button}, {225, button}, {11, button}, {13, button}, {12, button},
          {9, button}, {10, button}, {99, button}, {6, button}, {7, button}, {8, button}, {304, text}, {305, text}}},
        {L"AssignKeys.xml",
         {{672, button}, {673, button}, {674, button}, {675, button}, {676, button}, {665, text}, {666, text},
          {667, text}, {668, text}, {669, text}, {379, SkinItemType::BitmapWindow}, {382, SkinItemType::DropdownList}}},
        {L"SelectMacroPopup.xml",
         {{154, button}, {155, button}, {677, SkinItemType::DropdownList}, {177, button}, {178, button}, {179, button},
          {180, button}}},
        {L"SelectProfilePopup.xml", {{154, button}, {155, button}, {677, SkinItemType::DropdownList}}},
        {L"ProfileNamePopup.xml", {{154, button}, {155, button}, {309, text}, {385, SkinItemType::EditItem}}},
        {L"ProfileRenamePopup.xml", {{154, button}, {155, button}, {309, text}, {385, SkinItemType::EditItem}}},
        {L"MacroNamePopup.xml", {{154, button}, {155, button}, {309, text}, {385, SkinItemType::EditItem}}},
        {L"MacroRepeatEntryPopup.xml", {{154, button}, {155, button}, {389, SkinItemType::EditItem}}},
        {L"SingleKeyPopup.xml", {{154, button}, {155, button}, {386, SkinItemType::EditItemSingleKey}}},
    };
    for (const Expected& panel : panels) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(panel.file)));
        ASSERT_TRUE(LoadPanel(panel.file));
        for (const auto& [id, type] : panel.items)
            EXPECT_EQ(TypeOf(id), type) << SkinResourceName(id);
    }
    // Every message popup: OK and a heading the program can extend with a name or replace.
    static const wchar_t* const kMessagePopups[] = {
        L"NoDevicePopup.xml", L"RestorePopup.xml", L"ProfileLimitReachedPopup.xml",
        L"DuplicateProfileWarningPopup.xml", L"DisallowDeletePopup.xml", L"ConfirmDeletePopup.xml",
        L"ExportProfileWarningPopup.xml", L"ImporttProfileWarningPopup.xml", L"PathLengthLimitReachedPopUp.xml",
        L"FileNameLengthLimitReachedPopUp.xml", L"SelectApplicationWarningPopup.xml",
        L"DuplicateMacroWarningPopup.xml", L"DefaultDelayWarningPopup.xml", L"ImportMacroWarningPopup.xml",
        L"ExportMacroWarningPopup.xml", L"ConfirmDeleteMacroPopup.xml",
    };
    for (const wchar_t* file : kMessagePopups) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(file)));
        ASSERT_TRUE(LoadPanel(file));
        EXPECT_EQ(TypeOf(154), button);
        EXPECT_EQ(TypeOf(309), text);
    }
}

} // namespace
