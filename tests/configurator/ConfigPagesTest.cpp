// The profiles page and the lighting and maintenance page of the main dialog over the simulated
// keyboard: the profile list and what its menu, its check cells and the page's buttons do to the store,
// import and export through the keyboard, linking a program, the on/off pair of the lighting and
// restoring a profile's defaults, each followed to the keyboard by Apply where it goes there.
#include "ConfigTestSupport.h"

#include <commdlg.h>

#include "model/ProfileFolder.h"
#include "skin/ListCtrlEx.h"
#include "skin/ListPanelItem.h"

using namespace config;

namespace {

// What the list's context menu and its program dialog answer, as the user would choose.
std::wstring g_menuChoice;
std::wstring g_programChoice;
int g_menusOpened = 0;
bool g_unassignDisabled = false;

void ChooseFromMenu(CListPanelItem* menu, HWND, int, int, int, std::wstring* text)
{
    ++g_menusOpened;
    const int unassign = FindListEntryText(menu->m_entries, L"$UnassignApplication");
    g_unassignDisabled = unassign >= 0 && menu->m_entries[size_t(unassign)].disabled;
    *text = g_menuChoice;
}

bool ChooseProgram(HWND, std::wstring* path)
{
    if (g_programChoice.empty())
        return false;
    *path = g_programChoice;
    return true;
}

const XListCtrlApi kUserListApi = {ChooseFromMenu, ChooseProgram};

std::string Column(const char* name, const char* type, int width)
{
    return std::string("<LISTCOLUMN name=\"") + name + "\" type=\"" + type + "\" width=\"" + std::to_string(width) +
           "\">" + name + "</LISTCOLUMN>";
}

std::vector<std::wstring> ProfileNames(const IKeyboardConfig& store)
{
    std::vector<std::wstring> names;
    for (unsigned i = 0; i < store.GetProfileCount(); ++i)
        names.push_back(store.GetProfileAt(i)->GetName());
    return names;
}

} // namespace

class ConfigPagesTest : public ConfigDialogTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ConfigDialogTest::SetUp());
        WritePagePanels();
        g_menuChoice.clear();
        g_programChoice.clear();
        g_menusOpened = 0;
        SetXListCtrlApi(&kUserListApi);
    }
    void TearDown() override
    {
        SetXListCtrlApi(nullptr);
        ConfigDialogTest::TearDown();
    }

    void WritePagePanels()
    {
        WriteFile(L"xml\\ManageProfiles.xml",
                  "<ITEMLIST><LISTLIST><LISTCTRL name=\"LIST_PROFILELIST\">" + Rect(10, 40, 600, 240) + "<LISTHDR/>" +
                      "<LISTCOLUMN name=\"LCITEM_PROFILECURRENT\" type=\"CHECKBOX\" width=\"60\" exclusive=\"yes\">"
                      "Active</LISTCOLUMN>" + Column("LCITEM_PROFILEID", "STATIC", 50) +
                      Column("LCITEM_PROFILENAME", "STATIC", 200) + Column("LCITEM_PROFILEEXE", "FILEDIALOG", 200) +
                      Column("LCITEM_AUTOSWITCH", "CHECKBOX", 80) +
                      "</LISTCTRL></LISTLIST><LISTPANELLIST><LISTPANEL name=\"LISTPANEL_PROFILEOPTIONS\">" +
                      Rect(0, 0, 150, 120) + "<LISTPANELITEMS><LISTPANELITEM>$Rename</LISTPANELITEM>"
                      "<LISTPANELITEM>$AssignApplication</LISTPANELITEM><LISTPANELITEM>$UnassignApplication"
                      "</LISTPANELITEM></LISTPANELITEMS></LISTPANEL></LISTPANELLIST><BUTTONLIST>" +
                      Button("BUTTON_NEWPROFILE", 10, 300) + Button("BUTTON_IMPORTPROFILE", 60, 300) +
                      Button("BUTTON_EXPORTPROFILE", 110, 300) + Button("BUTTON_DELETEPROFILE", 160, 300) +
                      "<BUTTON name=\"BUTTON_ENABLE_PROFILE_OSD\" ischeckbox=\"1\">" + Rect(220, 300, 16, 16) +
                      "</BUTTON></BUTTONLIST></ITEMLIST>");
        WriteFile(L"xml\\LightingMaintenance.xml",
                  "<ITEMLIST><BUTTONLIST><BUTTON name=\"GLOW_LEDON\" ischeckbox=\"1\">" + Rect(10, 60, 40, 16) +
                      "</BUTTON><BUTTON name=\"GLOW_LEDOFF\" ischeckbox=\"1\">" + Rect(60, 60, 40, 16) + "</BUTTON>" +
                      Button("BUTTON_RESET", 10, 120) + "</BUTTONLIST></ITEMLIST>");
        const std::string heading = "<TEXTLIST><TEXTITEM name=\"TEXT_WARNDLG_HEADING\">" + Rect(10, 10, 200, 20) +
                                    "</TEXTITEM></TEXTLIST>";
        for (const wchar_t* name :
             {kProfileLimitPopup, kDuplicateProfilePopup, kDisallowDeletePopup, kConfirmDeletePopup,
              kExportProfilePopup, kImportProfilePopup, kFileNameLimitPopup, kSelectApplicationPopup, kRestorePopup})
            WriteFile(std::wstring(L"xml\\") + name, Popup(heading));
        for (const wchar_t* name : {kProfileNamePopup, kProfileRenamePopup})
            WriteFile(std::wstring(L"xml\\") + name,
                      Popup(heading + "<EDITCTRLLIST><EDITCTRL name=\"EDITCTRL_POPUP_NAMEENTRY\">" +
                            Rect(10, 40, 150, 20) + "</EDITCTRL></EDITCTRLLIST>"));
    }

    // The dialog on the given page, over a keyboard with the profiles "Profile 1" and "Games".
    void OpenPage(int tab)
    {
        {
            CDeviceSide side;
            side.CreateProfile(L"Games");
        }
        ASSERT_NO_FATAL_FAILURE(OpenDialog());
        Click(MainButton(tab));
        ASSERT_EQ(Dialog().m_currentPage, tab == kIdTabProfiles ? &Dialog().m_profilesPage : &Dialog().m_lightingPage);
    }
    CXListCtrl& List() { return *Dialog().m_profileList; }
    HWND PageButton(int id) { return ItemWindow(*Dialog().m_currentPage, id); }
    std::wstring Cell(int row, int column) { return List().GetItemText(row, column); }
    int CellValue(int row, int column) { return List().Cell(row, column) ? List().Cell(row, column)->value : -2; }

    // A right click on the row and the choice of `entry` in its menu; popups answered as scripted.
    void Menu(int row, const wchar_t* entry)
    {
        g_menuChoice = entry;
        const int opened = g_menusOpened;
        RECT cell = {};
        ASSERT_TRUE(List().GetCellRect(row, 2, &cell));
        PostMessageW(List().m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2));
        PostMessageW(List().m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2));
        ASSERT_TRUE(PumpUntil([&] { return g_menusOpened > opened && !HasPendingInput(); }));
    }
    // A click on a check cell of the row, as the mouse would make it.
    void ClickCheck(int row, int column)
    {
        RECT cell = {};
        ASSERT_TRUE(List().GetCellRect(row, column, &cell));
        const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
        PostMessageW(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(List().m_hWnd, WM_LBUTTONUP, 0, at);
        PumpUntil([] { return !HasPendingInput(); });
    }
    std::wstring ActiveName() { return m_store->GetActiveProfile() ? m_store->GetActiveProfile()->GetName() : L""; }
};

// ---------------------------------------------------------------------------------------------------
// Profiles page

TEST_F(ConfigPagesTest, ProfileListShowsEveryProfileWithTheActiveOneMarked)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    ASSERT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(Cell(0, 1), L"01");
    EXPECT_EQ(Cell(1, 1), L"02");
    EXPECT_EQ(Cell(1, 2), L"Games");
    EXPECT_EQ(CellValue(0, 0), 1) << "the active profile's current cell";
    EXPECT_EQ(List().GetSelectedRowKey(), 0);
    EXPECT_EQ(List().Cell(0, 0)->textColour, COLORREF(0x00FF00)) << "the active row stands out";
    EXPECT_NE(List().Cell(1, 0)->textColour, COLORREF(0x00FF00));

    // Made active through its current cell: the list follows, and Apply has something to write.
    ClickCheck(1, 0);
    EXPECT_EQ(ActiveName(), L"Games");
    EXPECT_EQ(CellValue(0, 0), 0);
    EXPECT_TRUE(Dialog().IsDirty());
}

TEST_F(ConfigPagesTest, NewProfileFromTheButtonBecomesActiveAndReachesTheKeyboardOnApply)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    AnswerPopups({EnterName(L"Work")});
    Click(PageButton(kIdNewProfile));
    EXPECT_EQ(ProfileNames(*m_store), (std::vector<std::wstring>{L"Profile 1", L"Games", L"Work"}));
    EXPECT_EQ(ActiveName(), L"Work");
    EXPECT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(List().GetSelectedRowKey(), 2);

    // A name in use is refused with its warning; the same letters in other case are another name.
    AnswerPopups({EnterName(L"Games"), nullptr});
    Click(PageButton(kIdNewProfile));
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kProfileNamePopup, kDuplicateProfilePopup}));
    EXPECT_EQ(m_store->GetProfileCount(), 3u);
    AnswerPopups({EnterName(L"games")});
    Click(PageButton(kIdNewProfile));
    EXPECT_EQ(m_store->GetProfileCount(), 4u);

    ApplyAndWait();
    COssleConfig keyboard;
    ReadKeyboard(keyboard);
    EXPECT_EQ(ProfileNames(keyboard), (std::vector<std::wstring>{L"Profile 1", L"Games", L"Work", L"games"}));
    EXPECT_EQ(keyboard.GetActiveProfile()->GetName(), L"games");

    // The keyboard holds ten profiles at most.
    for (int i = 5; i <= 10; ++i)
        m_store->AddProfile((L"P" + std::to_wstring(i)).c_str());
    AnswerPopups({nullptr});
    Click(PageButton(kIdNewProfile));
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kProfileLimitPopup}));
    EXPECT_EQ(m_store->GetProfileCount(), 10u);
}

TEST_F(ConfigPagesTest, RenameAndCopyFromTheMenuGiveTheNamesTheUserExpects)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    g_menuChoice = L"$Rename";
    AnswerPopups({EnterName(L"Office")});
    Menu(1, L"$Rename");
    EXPECT_EQ(m_store->GetProfileAt(1)->GetName(), L"Office");
    EXPECT_EQ(Cell(1, 2), L"Office");
    EXPECT_TRUE(Dialog().IsDirty());

    // Its own unchanged name counts as taken.
    AnswerPopups({EnterName(L"Office"), nullptr});
    Menu(1, L"$Rename");
    EXPECT_EQ(m_shownPanels.back(), kDuplicateProfilePopup);

    // Copies are named "<name>(2)", "<name>(3)", and the copy becomes active.
    Dialog().CopyProfile(1);
    EXPECT_EQ(ActiveName(), L"Office(2)");
    Dialog().CopyProfile(1);
    EXPECT_EQ(ActiveName(), L"Office(3)");
    ASSERT_TRUE(m_store->ReplaceProfileName(m_store->GetProfileAt(0), L"ABCDEFGHIJKLMNOPQRST"));
    Dialog().CopyProfile(0);
    EXPECT_EQ(ActiveName(), L"ABCDEFGHIJKLMNOPQR(2)") << "a long name is cut before its number";
    EXPECT_EQ(List().GetItemCount(), 5);
}

TEST_F(ConfigPagesTest, DeleteKeepsTheFirstProfileAndAsksBeforeAnyOther)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    // F1 of the first profile switches to "Games": it goes back to its default with "Games".
    IKeyboardProfile* games = m_store->GetProfileAt(1);
    KeyAssignment toGames;
    MakeGuidAssignment(toGames, kKindProfile, GuidOf(games));
    ASSERT_TRUE(m_store->SetKeyAssignment(KeyIdOf(L"F1"), toGames, m_store->GetProfileAt(0)));

    AnswerPopups({nullptr});
    Click(PageButton(kIdDeleteProfile));
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kDisallowDeletePopup}));
    EXPECT_EQ(m_store->GetProfileCount(), 2u);

    ClickCheck(1, 0);  // "Games" active and selected
    AnswerPopups({nullptr});  // cancelled
    Click(PageButton(kIdDeleteProfile));
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kConfirmDeletePopup}));
    EXPECT_EQ(m_store->GetProfileCount(), 2u);

    AnswerPopups({PopupOk});
    Click(PageButton(kIdDeleteProfile));
    EXPECT_EQ(ProfileNames(*m_store), (std::vector<std::wstring>{L"Profile 1"}));
    EXPECT_EQ(ActiveName(), L"Profile 1") << "the first profile takes over";
    EXPECT_EQ(List().GetItemCount(), 1);
    EXPECT_EQ(StoredKey(L"F1").kind, kKindDefaultKey);

    ApplyAndWait();
    COssleConfig keyboard;
    ReadKeyboard(keyboard);
    EXPECT_EQ(ProfileNames(keyboard), (std::vector<std::wstring>{L"Profile 1"}));
}

TEST_F(ConfigPagesTest, LinkedProgramAndAutomaticSwitchReachTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    // Automatic switching needs a program: the check goes back with its warning.
    AnswerPopups({nullptr});
    ClickCheck(1, 4);
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kSelectApplicationPopup}));
    EXPECT_EQ(CellValue(1, 4), 0);
    EXPECT_EQ(m_store->GetProfileAt(1)->GetAutoSwitch(), 0);

    // With the unlink entry disabled while there is nothing to unlink.
    g_programChoice = L"C:\\Games\\Racer.exe";
    Menu(1, L"$AssignApplication");
    EXPECT_TRUE(g_unassignDisabled);
    EXPECT_EQ(Cell(1, 3), L"Racer.exe");
    EXPECT_EQ(m_store->GetProfileAt(1)->GetAppPath(), L"C:\\Games\\Racer.exe");
    ClickCheck(1, 4);
    EXPECT_EQ(m_store->GetProfileAt(1)->GetAutoSwitch(), 1);

    ApplyAndWait();
    COssleConfig keyboard;
    ReadKeyboard(keyboard);
    EXPECT_EQ(keyboard.GetProfileAt(1)->GetAppFileName(), L"Racer.exe");
    EXPECT_EQ(keyboard.GetProfileAt(1)->GetAutoSwitch(), 1);

    // Unlinking empties the cell and ends the automatic switch.
    Menu(1, L"$UnassignApplication");
    EXPECT_FALSE(g_unassignDisabled);
    EXPECT_EQ(Cell(1, 3), L"");
    EXPECT_EQ(m_store->GetProfileAt(1)->GetAppFileName(), L"");
    EXPECT_EQ(m_store->GetProfileAt(1)->GetAutoSwitch(), 0);
}

TEST_F(ConfigPagesTest, RefusedProgramLinkKeepsTheProfilesProgramInItsCell)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    g_programChoice = L"C:\\Games\\Racer.exe";
    Menu(1, L"$AssignApplication");
    ASSERT_EQ(Cell(1, 3), L"Racer.exe");

    g_programChoice = L"C:\\Games\\" + std::wstring(123, L'x') + L".exe";  // a file name of 127 characters
    AnswerPopups({nullptr});
    Menu(1, L"$AssignApplication");
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kFileNameLimitPopup}));
    EXPECT_EQ(m_store->GetProfileAt(1)->GetAppFileName(), L"Racer.exe") << "the profile keeps its program";
    EXPECT_EQ(Cell(1, 3), L"Racer.exe") << "and the list shows it, not the refused one or nothing";
}

TEST_F(ConfigPagesTest, RestoreFromTheMenuGivesThatProfileItsDefaultsOnlyWhenConfirmed)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    IKeyboardProfile* games = m_store->GetProfileAt(1);
    games->SetApp(L"C:\\Games\\Racer.exe");
    games->SetAutoSwitch(1);
    AnswerPopups({nullptr});
    Menu(1, L"$RestoreDefault");
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kRestorePopup}));
    EXPECT_EQ(games->GetAppFileName(), L"Racer.exe") << "cancelled: nothing changes";
    EXPECT_FALSE(Dialog().IsDirty());

    AnswerPopups({PopupOk});
    Menu(1, L"$RestoreDefault");
    EXPECT_EQ(games->GetAppFileName(), L"");
    EXPECT_EQ(games->GetAutoSwitch(), 0);
    EXPECT_EQ(Cell(1, 3), L"") << "the list shows it at once";
    EXPECT_TRUE(Dialog().IsDirty());
}

TEST_F(ConfigPagesTest, ExportedProfileComesBackByImportAsANewProfile)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    // A profile the keyboard does not hold yet cannot be exported.
    AnswerPopups({EnterName(L"Fresh"), nullptr});
    Click(PageButton(kIdNewProfile));
    Click(PageButton(kIdExportProfile));
    EXPECT_EQ(m_shownPanels.back(), kExportProfilePopup);
    EXPECT_TRUE(m_platform.fileDialogs.empty());
    // Nor can one be imported while the store's profiles differ from the keyboard's.
    AnswerPopups({nullptr});
    Click(PageButton(kIdImportProfile));
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kImportProfilePopup}));
    ApplyAndWait();

    ClickCheck(1, 0);  // "Games"
    const std::wstring file = ProfileFolderPath() + L"Games.qnp";
    m_platform.chosenFiles.push_back(file);
    Click(PageButton(kIdExportProfile));
    ASSERT_EQ(m_platform.fileDialogs.size(), 1u);
    EXPECT_EQ(m_platform.fileDialogs[0].folder, ProfileFolderPath()) << "the dialog starts in the profile folder";
    EXPECT_EQ(m_platform.fileDialogs[0].fileName, L"Games.qnp") << "the dialog proposes the profile's name";
    ASSERT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the missing profile folder was made and the keyboard wrote the file into it";

    // The file's profile bears a taken name: it comes in under the name a copy would get.
    m_platform.chosenFiles.push_back(file);
    Click(PageButton(kIdImportProfile));
    const std::vector<std::wstring> names = {L"Profile 1", L"Games", L"Fresh", L"Games(2)"};
    EXPECT_EQ(ProfileNames(*m_store), names);
    EXPECT_EQ(Cell(3, 2), L"Games(2)");
    EXPECT_EQ(Keyboard().GetDeviceProfileCount(), 4u) << "an import reaches the keyboard at once";
    COssleConfig keyboard;
    ReadKeyboard(keyboard);
    EXPECT_EQ(ProfileNames(keyboard), names) << "one name, one profile on the keyboard too";
    ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
    COssleConfig applied;
    ReadKeyboard(applied);
    EXPECT_EQ(ProfileNames(applied), names);
}

TEST_F(ConfigPagesTest, ImportDialogOnlyTakesAFileThatExists)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabProfiles));
    m_platform.chosenFiles.push_back(m_folder.File(L"Missing.qnp"));
    Click(PageButton(kIdImportProfile));
    ASSERT_EQ(m_platform.fileDialogs.size(), 1u);
    EXPECT_TRUE(m_platform.fileDialogs[0].flags & OFN_FILEMUSTEXIST) << "the dialog itself refuses a typed name";
    EXPECT_FALSE(m_platform.fileDialogs[0].flags & OFN_OVERWRITEPROMPT);
    EXPECT_EQ(m_store->GetProfileCount(), 2u);
    EXPECT_FALSE(Dialog().IsDirty());

    // A path the keyboard could not store is refused before anything is read.
    m_platform.chosenFiles.push_back(L"C:\\" + std::wstring(260, L'p') + L".qnp");
    AnswerPopups({nullptr});
    Click(PageButton(kIdImportProfile));
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kPathLimitPopup}));
}

// ---------------------------------------------------------------------------------------------------
// Lighting and maintenance page

TEST_F(ConfigPagesTest, LightingPairSwitchesTheActiveProfileAndOnlyAChangeNeedsApply)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabLighting));
    CBitmapBtn* on = Dialog().m_ledOnButton;
    CBitmapBtn* off = Dialog().m_ledOffButton;
    ASSERT_TRUE(on && off);
    ASSERT_TRUE(m_store->GetLightingOn(nullptr));
    EXPECT_EQ(on->m_checked, 1);
    EXPECT_EQ(off->m_checked, 0);

    Click(on->m_hWnd);
    EXPECT_FALSE(Dialog().IsDirty()) << "the pressed button again changes nothing";
    EXPECT_EQ(on->m_checked, 1);

    Click(off->m_hWnd);
    EXPECT_FALSE(m_store->GetLightingOn(nullptr));
    EXPECT_EQ(on->m_checked, 0);
    EXPECT_EQ(off->m_checked, 1);
    EXPECT_TRUE(Dialog().IsDirty());
    ApplyAndWait();
    COssleConfig keyboard;
    ReadKeyboard(keyboard);
    EXPECT_FALSE(keyboard.GetLightingOn(keyboard.GetProfileAt(0)));
    EXPECT_TRUE(keyboard.GetLightingOn(keyboard.GetProfileAt(1))) << "only the active profile's lighting";
}

// The question answered from the keyboard, as in any dialog: Escape is No, Enter is Yes.
TEST_F(ConfigPagesTest, RestoreDefaultsResetsTheActiveProfileOnlyWhenConfirmed)
{
    ASSERT_NO_FATAL_FAILURE(OpenPage(kIdTabLighting));
    KeyAssignment space;
    MakeSingleKeyAssignment(space, 0x39, VK_SPACE, false);
    ASSERT_TRUE(m_store->SetKeyAssignment(KeyIdOf(L"Esc"), space, nullptr));
    m_store->SetLightingOn(0, nullptr);

    AnswerPopups({PressEscape});
    Click(PageButton(kIdRestoreDefaults), [&] { return IsWindowEnabled(Dialog().m_hWnd) && !HasPendingInput(); });
    EXPECT_EQ(m_shownPanels, (std::vector<std::wstring>{kRestorePopup}));
    EXPECT_EQ(StoredKey(L"Esc").kind, kKindSingleKey) << "cancelled: nothing changes";
    EXPECT_FALSE(Dialog().IsDirty());

    AnswerPopups({PressEnter});
    Click(PageButton(kIdRestoreDefaults), [&] { return Dialog().IsDirty(); });
    EXPECT_FALSE(KeyLeftPopupOpen()) << "Enter left the question open";
    EXPECT_EQ(StoredKey(L"Esc").kind, kKindDefaultKey);
    EXPECT_TRUE(m_store->GetLightingOn(nullptr));
    EXPECT_EQ(Dialog().m_ledOnButton->m_checked, 1) << "the pair shows the restored lighting";
    EXPECT_TRUE(Dialog().IsDirty());
}
