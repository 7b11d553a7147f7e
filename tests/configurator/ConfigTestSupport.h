// The configurator's dialog tests: the simulated keyboard service and a store and device object of the
// test's own (shared with the device tests), a program folder with small panel files of the test's own
// that hold the items the configurator binds, the main dialog opened on them, clicks and keys posted as
// the widgets and the user would send them, and popups answered through the popup seam.
#pragma once

// The configurator's headers come first: the device tests' helpers name a function KeyRecord, which
// would hide the key definition's record type from the skin headers.
#include "configurator/ConfigIds.h"
#include "configurator/ConfigPlatform.h"
#include "configurator/MainDialog.h"
#include "configurator/Popups.h"
#include "framework/Wnd.h"
#include "skin/BitmapBtn.h"
#include "skin/EditItem.h"
#include "skin/KeyboardLayoutSetting.h"
#include "skin/TextItem.h"

#include "../device/DeviceLinkTestSupport.h"
#include "../skin/SkinLoaderTestSupport.h"
#include "../support/DeviceChangeRecord.h"

#include <dbt.h>

#include <deque>

// A click on a skin widget, as the mouse would make it.
inline void PostClick(HWND window)
{
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

inline HWND ItemWindow(const SkinItemList& list, int id)
{
    CGUIItem* item = FindItemById(list, id);
    return item ? item->m_window : nullptr;
}

// The keyboard's removal as the system reports it, delivered to `window`.
inline void SendRemoval(HWND window, const wchar_t* path = L"\\\\?\\hid#vid_3f1d&pid_0110&mi_01#7&1#{378de44c}")
{
    std::vector<BYTE> record = DeviceInterfaceRecord(path);
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(record.data()));
}

// The language list with English alone, and English's text file as the build installs it, in `folder`.
inline void InstallLanguageFiles(const testfiles::CScopedFolder& folder)
{
    for (const wchar_t* sub : {L"xml", L"lang"})
        CreateDirectoryW(folder.File(sub).c_str(), nullptr);
    const std::string list =
        "<ITEMLIST><LANGLIST><LANG name=\"LANGUAGE_DEFAULT\" file=\"English.txt\"/></LANGLIST></ITEMLIST>";
    ASSERT_TRUE(testfiles::WriteBytes(folder.File(L"xml\\Language.xml"), list.data(), list.size()));
    ASSERT_TRUE(CopyFileW((testfiles::WinePath(TESSARY_BIN_DIR) + L"\\lang\\English.txt").c_str(),
                          folder.File(L"lang\\English.txt").c_str(), FALSE));
}

// The platform calls the configurator makes, with the file dialog's answer chosen by the test.
class CFakeConfigPlatform : public config::IConfigPlatform {
public:
    HINSTANCE ShellOpen(HWND, const wchar_t* verb, const wchar_t* file) override
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        opened.push_back({verb, file, folder});
        return reinterpret_cast<HINSTANCE>(33);
    }
    LONG OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override
    {
        accesses.push_back(access);
        return config::SystemConfigPlatform().OpenKey(root, path, access, key);
    }
    LONG CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override
    {
        created.push_back(access);
        return config::SystemConfigPlatform().CreateKey(root, path, access, key);
    }
    ULONGLONG TickCount() override { return GetTickCount64(); }
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
    bool ChooseFile(HWND, const wchar_t*, DWORD, std::wstring& path) override
    {
        if (chosenFiles.empty())
            return false;
        path = chosenFiles.front();
        chosenFiles.pop_front();
        return true;
    }
    bool FileDialog(HWND, const config::FileDialogRequest& request, std::wstring& path) override
    {
        fileDialogs.push_back(request);
        return ChooseFile(nullptr, nullptr, request.flags, path);
    }

    struct Opened {
        std::wstring verb, file, folder;
    };
    std::vector<Opened> opened;
    std::vector<REGSAM> accesses;
    std::vector<REGSAM> created;
    std::deque<std::wstring> chosenFiles;
    std::vector<config::FileDialogRequest> fileDialogs;
};

// The panels the configurator loads, cut down to the items it binds.
inline std::string Rect(int left, int top, int width, int height)
{
    return "<RECT left=\"" + std::to_string(left) + "\" top=\"" + std::to_string(top) + "\" right=\"" +
           std::to_string(width) + "\" bottom=\"" + std::to_string(height) + "\"/>";
}
inline std::string Button(const char* name, int left, int top)
{
    return std::string("<BUTTON name=\"") + name + "\">" + Rect(left, top, 40, 16) + "</BUTTON>";
}
// A popup panel with OK and Cancel, further buttons and other lists (a panel has one list of each kind).
inline std::string Popup(const std::string& body, const std::string& buttons = "")
{
    return "<GUIPANEL><BACKGROUND>popup.bmp</BACKGROUND><MASK>popupmask.bmp</MASK><BUTTONLIST>" +
           Button("BUTTON_POPUP_OK", 10, 100) + Button("BUTTON_POPUP_CANCEL", 60, 100) + buttons + "</BUTTONLIST>" +
           body + "</GUIPANEL>";
}
inline std::string Combo()
{
    return "<LISTLIST><COMBO name=\"LIST_DROPDOWN_POPUP\"><CBOX>" + Rect(10, 40, 150, 18) +
           "</CBOX><CLIST height=\"60\"/></COMBO></LISTLIST>";
}

// What a user does in a popup.
inline HWND PopupItem(CPopupBox& popup, int id) { return ItemWindow(popup.m_items, id); }
inline void PopupOk(CPopupBox& popup) { PostClick(PopupItem(popup, config::kIdPopupOk)); }
inline void TypeInto(CPopupBox& popup, int editId, const wchar_t* text)
{
    HWND edit = PopupItem(popup, editId);
    for (const wchar_t* c = text; *c; ++c)
        PostMessageW(edit, WM_CHAR, *c, 1);
}
inline void TypeDigits(CPopupBox& popup, const wchar_t* digits) { TypeInto(popup, config::kIdPopupNumEntry, digits); }
inline void TypeName(CPopupBox& popup, const wchar_t* name) { TypeInto(popup, config::kIdPopupNameEntry, name); }
// True when the last PressKeyIn left its popup open: the popup was then cancelled with its button after
// a while, so that a test fails instead of waiting for ever.
inline bool& KeyLeftPopupOpen()
{
    static bool open = false;
    return open;
}
// Presses a key in a popup's field (field 0: in the popup itself), as the keyboard would.
inline void PressKeyIn(CPopupBox& popup, int editId, UINT virtualKey)
{
    static HWND cancel = nullptr;
    static UINT_PTR timer = 0;
    if (timer)
        KillTimer(nullptr, timer);
    cancel = PopupItem(popup, config::kIdPopupCancel);
    if (!cancel)
        cancel = PopupItem(popup, config::kIdPopupOk);
    KeyLeftPopupOpen() = false;
    timer = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        timer = 0;
        if (IsWindow(cancel) && IsWindowVisible(cancel)) {
            KeyLeftPopupOpen() = true;
            PostClick(cancel);
        }
    });
    HWND target = editId ? PopupItem(popup, editId) : popup.m_hWnd;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, 1 | (3u << 30));
}
inline void PressEnter(CPopupBox& popup) { PressKeyIn(popup, 0, VK_RETURN); }
inline void PressEscape(CPopupBox& popup) { PressKeyIn(popup, 0, VK_ESCAPE); }
// A key pressed and released on the keyboard, as the system delivers it to the window in front.
inline void PressKeyboardKey(UINT virtualKey, UINT scanCode)
{
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = static_cast<WORD>(virtualKey);
        inputs[i].ki.wScan = static_cast<WORD>(scanCode);
        inputs[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(2, inputs, sizeof(INPUT));
}
// Types a key into the single-key popup's field.
inline void TypeKey(CPopupBox& popup, UINT virtualKey, UINT scanCode)
{
    HWND edit = PopupItem(popup, CPopupBoxSingleKeyEntry::kKeyEditId);
    PostMessageW(edit, WM_KEYDOWN, virtualKey, 1 | (LPARAM(scanCode) << 16));
    PostMessageW(edit, WM_KEYUP, virtualKey, 1 | (LPARAM(scanCode) << 16) | (3u << 30));
}
// Types a name into a name popup and confirms it.
inline std::function<void(CPopupBox&)> EnterName(std::wstring name)
{
    return [name](CPopupBox& popup) {
        TypeInto(popup, config::kIdPopupNameEntry, name.c_str());
        PopupOk(popup);
    };
}
// Chooses an entry of the popup's list as the list's drop-down reports a choice.
inline void ChooseEntry(CPopupBox& popup, int index)
{
    auto* list = dynamic_cast<CDropdownListItem*>(FindItemById(popup.m_items, config::kIdPopupList));
    if (!list)
        return;
    list->SetCurSel(index);
    PostMessageW(popup.m_hWnd, WM_DROPDOWN_SELCHANGE, index, reinterpret_cast<LPARAM>(list->m_hWnd));
}

class ConfigDialogTest : public DeviceLinkTest {
protected:
    void SetUp() override
    {
        m_boundBefore = CWnd::BoundWindowCount();
        ASSERT_NO_FATAL_FAILURE(DeviceLinkTest::SetUp());
        InitNameTables();
        ClearSkinResources();
        SetSelectedLanguageId(-1);
        SetCurrentLangTable(nullptr);
        for (const wchar_t* sub : {L"xml", L"skins"})
            ASSERT_TRUE(CreateDirectoryW(m_folder.File(sub).c_str(), nullptr));
        WriteFixturePanels();
        LoadSkinFile(m_layouts, L"KeyboardLayout.xml", nullptr);
        ASSERT_TRUE(SelectKeyboardLayout(kDefaultKeyboardLayoutId));
        config::SetConfigPlatform(&m_platform);
    }

    void TearDown() override
    {
        SetPopupShownHook(nullptr);
        SetDamagedInstallationHandler(nullptr);
        SetSelectedLanguageId(-1);
        m_dialog.reset();
        config::SetConfigPlatform(nullptr);
        RestoreKeyboardLayout();
        FreeSkinItemList(m_layouts);
        KeyboardLayoutMap().clear();
        ClearSkinResources();
        DeviceLinkTest::TearDown();
        EXPECT_EQ(CWnd::BoundWindowCount(), m_boundBefore) << "a window stayed bound";
    }

    void WriteFile(const std::wstring& relative, const std::string& text)
    {
        ASSERT_TRUE(testfiles::WriteBytes(m_folder.File(relative), text.data(), text.size()));
    }
    void WriteBitmap(const std::wstring& name, int width, int height, COLORREF colour)
    {
        const std::vector<BYTE> bmp = SolidBmpFile(width, height, colour);
        ASSERT_TRUE(testfiles::WriteBytes(m_folder.File(L"skins\\" + name), bmp.data(), bmp.size()));
    }

    void WriteFixturePanels()
    {
        WriteBitmap(L"main.bmp", 640, 400, RGB(30, 34, 40));
        WriteBitmap(L"mainmask.bmp", 640, 400, RGB(0, 0, 0));
        WriteBitmap(L"popup.bmp", 240, 130, RGB(50, 54, 60));
        WriteBitmap(L"popupmask.bmp", 240, 130, RGB(0, 0, 0));
        WriteBitmap(L"keys.bmp", 640, 400, RGB(90, 90, 90));
        WriteBitmap(L"frame.bmp", 200, 120, RGB(10, 10, 10));
        WriteFile(L"xml\\MainPage.xml",
                  "<GUIPANEL><BACKGROUND>main.bmp</BACKGROUND><MASK>mainmask.bmp</MASK><BUTTONLIST>" +
                      Button("BUTTON_OK", 400, 360) + Button("BUTTON_CANCEL", 450, 360) +
                      Button("BUTTON_APPLY", 500, 360) + Button("BUTTON_EXIT", 600, 4) +
                      Button("BUTTON_HELP", 550, 4) + Button("BUTTON_ASSIGNKEYS", 10, 4) +
                      Button("BUTTON_MANAGEPROFILES", 60, 4) + Button("BUTTON_MANAGEMACROS", 110, 4) +
                      Button("BUTTON_LIGHTINGMAINTENANCE", 160, 4) + "</BUTTONLIST><TEXTLIST>"
                      "<TEXTITEM name=\"TEXT_FIRMWAREVER\" textkey=\"Firmware version\">" + Rect(10, 350, 200, 16) +
                      "</TEXTITEM><TEXTITEM name=\"TEXT_DRIVERVER\" textkey=\"Software version\">" +
                      Rect(10, 370, 200, 16) + "</TEXTITEM></TEXTLIST></GUIPANEL>");
        std::string assign = "<ITEMLIST><BUTTONLIST>";
        const char* kinds[] = {"DEFAULT", "SINGLEKEY", "MACRO", "PROFILE", "LAUNCHPROGRAM"};
        for (int i = 0; i < 5; ++i)
            assign += Button((std::string("BUTTON_ASSIGNSELECT_") + kinds[i]).c_str(), 440, 40 + 30 * i);
        assign += "</BUTTONLIST><TEXTLIST>";
        for (int i = 0; i < 5; ++i)
            assign += std::string("<TEXTITEM name=\"TEXT_ASSIGNSELECT_") + kinds[i] + "\">" +
                      Rect(490, 40 + 30 * i, 100, 16) + "</TEXTITEM>";
        assign += "</TEXTLIST><BITMAPLIST><BITMAPWINDOW name=\"BITMAPWIN_ASSIGNKEY\"><SBMDS>frame.bmp</SBMDS>" +
                  Rect(420, 200, 200, 120) + "</BITMAPWINDOW></BITMAPLIST><LISTLIST>"
                  "<COMBO name=\"LIST_GLOBALPROFILELIST\"><CBOX>" + Rect(200, 4, 150, 18) +
                  "</CBOX><CLIST height=\"80\"/></COMBO></LISTLIST></ITEMLIST>";
        WriteFile(L"xml\\AssignKeys.xml", assign);
        // Pages the dialog tests do not look at; the pages tests write their own.
        WriteFile(L"xml\\ManageProfiles.xml", "<ITEMLIST/>");
        WriteFile(L"xml\\LightingMaintenance.xml", "<ITEMLIST/>");
        WriteFile(L"xml\\KeyboardLayout.xml",
                  "<ITEMLIST><KBLAYOUTLIST><KBLAYOUT name=\"KBLAYOUT_ENGLISH\" kbdlayout=\"00000409\" "
                  "kbditems=\"TestKeys.xml\"/></KBLAYOUTLIST></ITEMLIST>");
        WriteFile(L"xml\\TestKeys.xml",
                  "<ITEMLIST><KBDKEYLIST><BUTTONBITMAPS><SBMN>keys.bmp</SBMN></BUTTONBITMAPS>"
                  "<KBDKEY name=\"BUTTON_KB_ESC\" kbddefid=\"Esc\">" + Rect(20, 60, 30, 30) + "</KBDKEY>"
                  "<KBDKEY name=\"BUTTON_KB_F1\" kbddefid=\"F1\">" + Rect(60, 60, 30, 30) + "</KBDKEY>"
                  "</KBDKEYLIST></ITEMLIST>");
        const std::string heading = "<TEXTLIST><TEXTITEM name=\"TEXT_WARNDLG_HEADING\">" + Rect(10, 10, 200, 20) +
                                    "</TEXTITEM></TEXTLIST>";
        for (const wchar_t* name : {L"NoDevicePopup.xml", L"ApplyFailedPopup.xml", L"PathLengthLimitReachedPopUp.xml"})
            WriteFile(std::wstring(L"xml\\") + name, Popup(heading));
        WriteFile(L"xml\\SelectProfilePopup.xml", Popup(Combo()));
        WriteFile(L"xml\\SelectMacroPopup.xml",
                  Popup(Combo(), Button("BUTTON_MACRO_PLAY_ONCE", 10, 70) + Button("BUTTON_MACRO_PLAY_MULTIPLE", 60, 70) +
                                     Button("BUTTON_MACRO_PLAY_WHILEPRESSED", 110, 70) +
                                     Button("BUTTON_MACRO_PLAY_UNTILPRESSED", 160, 70)));
        WriteFile(L"xml\\MacroRepeatEntryPopup.xml",
                  Popup("<EDITCTRLLIST><EDITCTRL name=\"EDITCTRL_POPUP_NUMENTRY\">" + Rect(10, 40, 80, 20) +
                        "</EDITCTRL></EDITCTRLLIST>"));
        WriteMacrosPagePanels(heading);
        WriteFile(L"xml\\SingleKeyPopup.xml",
                  Popup("<EDITCTRLLIST><EDITCTRLSK name=\"EDITCTRL_POPUP_SINGLEKEYENTRY\">" + Rect(10, 40, 150, 20) +
                        "</EDITCTRLSK></EDITCTRLLIST>"));
    }

    // The macros page: its lists, the two displays with their row menus, the buttons, options and delay
    // fields; and the page's popups.
    void WriteMacrosPagePanels(const std::string& heading)
    {
        auto display = [](const char* name, bool readOnly) {
            return std::string("<MACRODISPLAY name=\"") + name + "\"" + (readOnly ? " readonly=\"1\"" : "") + ">" +
                   Rect(200, 40, 200, 200) +
                   "<LISTCOLUMN name=\"LCITEM_MCREVENT_ICON\" type=\"ICON\" width=\"28\"/>"
                   "<LISTCOLUMN name=\"LCITEM_MCREVENT_DESCRIP\" type=\"STATIC\" width=\"160\"/></MACRODISPLAY>";
        };
        auto combo = [](const char* name, int top) {
            return std::string("<COMBO name=\"") + name + "\"><CBOX>" + Rect(10, top, 150, 18) +
                   "</CBOX><CLIST height=\"80\"/></COMBO>";
        };
        auto edit = [](const char* name, int top) {
            return std::string("<EDITCTRL name=\"") + name + "\">" + Rect(420, top, 60, 18) + "</EDITCTRL>";
        };
        auto menu = [](const char* name, const char* entries) {
            return std::string("<LISTPANEL name=\"") + name + "\">" + Rect(0, 0, 120, 60) + "<LISTPANELITEMS>" +
                   entries + "</LISTPANELITEMS></LISTPANEL>";
        };
        std::string buttons;
        const char* names[] = {"BUTTON_MACRO_CREATE", "BUTTON_MACRO_ADVANCED", "BUTTON_MACRO_DELETE",
                               "BUTTON_MACRO_IMPORT", "BUTTON_MACRO_EXPORT", "BUTTON_MACRO_RECORD_START",
                               "BUTTON_MACRO_RECORD_STOP", "BUTTON_MACRO_RECORD_PLAY", "BUTTON_MACRO_RECORD_BACKWARD",
                               "BUTTON_MACRO_RECORD_FORWARD", "BUTTON_INSERT_DELAY", "BUTTON_ADD_BASIC_MACRO_CMDS",
                               "BUTTON_ADD_ADV_MACRO_CMDS"};
        int top = 40;
        for (const char* name : names) {
            buttons += Button(name, 10, top += 20);
        }
        for (const char* name : {"BUTTON_IGNORE_DELAY", "BUTTON_INSERTDEFAULT_DELAY"})
            buttons += std::string("<BUTTON name=\"") + name + "\" ischeckbox=\"1\">" + Rect(420, top += 20, 16, 16) +
                       "</BUTTON>";
        WriteFile(L"xml\\ManageMacros.xml",
                  "<ITEMLIST><BUTTONLIST>" + buttons + "</BUTTONLIST><MACRODISPLAYLIST>" +
                      display("MACRO_DISPLAY", false) + display("MACRO_DISPLAY_READONLY", true) +
                      "</MACRODISPLAYLIST><LISTLIST>" + combo("LIST_GLOBALMACROLIST", 20) +
                      combo("LIST_GLOBAL_BASIC_COMMANDS", 320) + combo("LIST_GLOBAL_ADDITIONAL_COMMANDS", 345) +
                      "</LISTLIST><LISTPANELLIST>" +
                      menu("LISTPANEL_MACROOPTIONS", "<LISTPANELITEM>$InsertDelay</LISTPANELITEM>"
                                                     "<LISTPANELITEM>$Edit</LISTPANELITEM>"
                                                     "<LISTPANELITEM>$Delete</LISTPANELITEM>") +
                      menu("LISTPANEL_MACROOPTIONS2", "<LISTPANELITEM>$Delete</LISTPANELITEM>") +
                      "</LISTPANELLIST><EDITCTRLLIST>" + edit("EDITCTRL_DEFAULT_DELAY", 40) +
                      edit("EDITCTRL_DELAY", 70) + "</EDITCTRLLIST></ITEMLIST>");
        for (const wchar_t* name : {L"DuplicateMacroWarningPopup.xml", L"DefaultDelayWarningPopup.xml",
                                    L"ImportMacroWarningPopup.xml", L"ExportMacroWarningPopup.xml",
                                    L"ConfirmDeleteMacroPopup.xml"})
            WriteFile(std::wstring(L"xml\\") + name, Popup(heading));
        const std::string nameEntry = "<EDITCTRLLIST><EDITCTRL name=\"EDITCTRL_POPUP_NAMEENTRY\">" +
                                      Rect(10, 40, 150, 20) + "</EDITCTRL></EDITCTRLLIST>";
        WriteFile(L"xml\\MacroNamePopup.xml", Popup(nameEntry));
        WriteFile(L"xml\\MacroRenamePopup.xml", Popup(nameEntry));
    }

    // The main dialog over the test's store and device object, shown and read from the keyboard.
    void OpenDialog()
    {
        ASSERT_TRUE(Keyboard().Initialize(m_store.get()));
        m_dialog = std::make_unique<COssleAppDlg>(&Keyboard(), m_store.get());
        ASSERT_TRUE(m_dialog->Create(nullptr));
        m_dialog->ShowWindow(SW_SHOW);
    }
    COssleAppDlg& Dialog() { return *m_dialog; }
    bool DialogOpen() const { return m_dialog && m_dialog->m_hWnd && ::IsWindow(m_dialog->m_hWnd); }

    HWND MainButton(int id) { return ItemWindow(m_dialog->m_items, id); }
    HWND AssignButton(int id) { return ItemWindow(m_dialog->m_keyPage, id); }
    // Presses a button of the dialog, then pumps until `done`, or until nothing waits any more.
    void Click(HWND button, const std::function<bool()>& done = nullptr)
    {
        ASSERT_NE(button, nullptr);
        PostClick(button);
        PumpUntil(done ? done : [] { return !HasPendingInput(); }, 5000);
    }
    static bool HasPendingInput()
    {
        MSG message;
        return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
    }
    // The key of the keyboard picture picked as a click on it would pick it.
    void PickKey(int id)
    {
        PostMessageW(m_dialog->m_hWnd, WM_KEYITEM_CLICK, 0, id);
        PumpUntil([] { return !HasPendingInput(); }, 5000);
    }
    // What the user does once each popup shows, in order; a popup beyond the script is cancelled.
    void AnswerPopups(std::vector<std::function<void(CPopupBox&)>> answers)
    {
        m_answers = std::move(answers);
        m_shownPanels.clear();
        SetPopupShownHook([this](CPopupBox& popup) {
            m_shownPanels.push_back(popup.m_skinFile);
            const size_t turn = m_shownPanels.size() - 1;
            if (turn < m_answers.size() && m_answers[turn])
                m_answers[turn](popup);
            else
                popup.EndDialog(IDCANCEL);
        });
    }
    // Gives the picked key the key A through the single-key popup, and waits until the dialog has the change.
    void AssignKeyA()
    {
        AnswerPopups({[](CPopupBox& popup) {
            TypeKey(popup, 'A', 0x1E);
            PopupOk(popup);
        }});
        Click(AssignButton(config::kIdAssignSingleKey), [&] { return Dialog().IsDirty(); });
    }
    KeyAssignment StoredKey(const wchar_t* name)
    {
        KeyAssignment record;
        m_store->GetKeyAssignment(record, KeyIdOf(name), nullptr);
        return record;
    }
    // What the keyboard holds for the key in the active profile, read by a second device object into a
    // store of its own.
    KeyAssignment KeyboardKey(const wchar_t* name)
    {
        COssleConfig fresh;
        ReadKeyboard(fresh);
        GUID active{};
        if (m_store->GetActiveProfile())
            m_store->GetActiveProfile()->GetGuid(active);
        DWORD words[4];
        GuidToWords(active, words);
        KeyAssignment record;
        if (IKeyboardProfile* profile = fresh.FindProfileByGuid(words[0], words[1], words[2], words[3]))
            profile->GetKeyAssignment(record, KeyIdOf(name));
        return record;
    }
    // What the keyboard holds, read by a second device object into `fresh`.
    static void ReadKeyboard(COssleConfig& fresh)
    {
        CKeyboard reader;
        EXPECT_TRUE(reader.Initialize(&fresh));
        EXPECT_TRUE(reader.Transfer(&fresh, kTransferRead, kTransferReadMask));
    }
    // Apply, then the write's outcome.
    void ApplyAndWait()
    {
        Click(MainButton(config::kIdButtonApply), [&] { return Dialog().TransferRunning(); });
        ASSERT_TRUE(PumpUntil([&] { return !Dialog().TransferRunning(); }));
    }

    CFakeConfigPlatform m_platform;
    std::unique_ptr<COssleAppDlg> m_dialog;
    SkinItemList m_layouts;
    std::vector<std::wstring> m_shownPanels;

private:
    std::vector<std::function<void(CPopupBox&)>> m_answers;
    size_t m_boundBefore = 0;
};
