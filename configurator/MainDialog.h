// COssleAppDlg: the configurator's one window, a skinned dialog built from MainPage.xml whose pages are
// further skin files loaded into it and shown one at a time. It reads the keyboard's configuration when
// it opens, routes the widgets' notifications to the page handlers, keeps the dirty state with its Apply
// button, writes on Apply, OK or Enter, and closes when the keyboard goes.
//
// Members are defined by room: MainDialog.cpp holds the frame (start, pages, apply, close, device watch,
// profile selector, what takes input), KeyPage.cpp the key-assignment page, ProfilesPage.cpp the
// profiles page, MacrosPage.cpp the macros page and LightingPage.cpp the lighting and maintenance page
// with the version lines. Each of these files starts with its table of commands: what a click on one of
// its widgets (or a notice of one, or an entry of its menu) does. The frame looks a command up once in
// the five tables and runs it.
//
// Which widget takes input follows from a few members of the dialog in one member, RefreshInputState,
// which every handler calls at its end.
//
// A write runs on the device object's worker. From its start until its outcome arrives the dialog takes
// no input that would change the store: the page widgets are disabled, the pointer shows the wait
// cursor, and nothing edits the store: a command the tables mark kEditsStore is refused before it runs,
// and the other handlers that edit it refuse for themselves. OK during a write waits for the outcome,
// writes what changed since, then closes; a failed write makes the dialog dirty again and says so.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "configurator/Automation.h"
#include "configurator/ConfigIds.h"
#include "framework/Handle.h"
#include "model/IGenDevice.h"
#include "model/IKeyboardConfig.h"
#include "skin/DropdownListItem.h"
#include "skin/GUIPanel.h"
#include "skin/KeyItem.h"
#include "skin/ListCtrlEx.h"
#include "skin/EditItem.h"
#include "skin/MacroDisplayItem.h"

class CBitmapBtn;
class CBitmapWindow;
class CDialog;
class CListPanelItem;
class CTextItem;
class CXListCtrl;

class COssleAppDlg : public CGUIPanel {
public:
    COssleAppDlg(IKeyboardDevice* device, IKeyboardConfig* config);
    ~COssleAppDlg() override;

    // The main dialog's template: a layered popup on the window class "SINGLE_INSTANCE_APP_TESSARY".
    static CDialogTemplate MainTemplate();
    // Registers that class (the dialog procedure's class, with icon 130); true when it exists.
    static bool RegisterWindowClass(HINSTANCE instance);

    BEGIN_MSG_MAP(COssleAppDlg)
        MESSAGE_HANDLER(WM_QUERYDRAGICON, OnQueryDragIcon)
        MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
        MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
        MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
        MESSAGE_HANDLER(WM_TIMER, OnTimerMessage)
        MESSAGE_HANDLER(WM_CLOSE, OnCloseMessage)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroyMessage)
        MESSAGE_HANDLER(WM_HELP, OnHelpMessage)
        MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChangeMessage)
        MESSAGE_HANDLER(config::WM_TRANSFER_DONE, OnTransferDone)
        MESSAGE_HANDLER(WM_DROPDOWN_SELCHANGE, OnDropdownSelChange)
        MESSAGE_HANDLER(WM_KEYITEM_HOVER, OnKeyItemHover)
        MESSAGE_HANDLER(WM_KEYITEM_CLICK, OnKeyItemClick)
        MESSAGE_HANDLER(config::AutomationMessage(), OnAutomation)
        // Profiles page: the profile list's notifications; those of other lists pass on.
        MESSAGE_HANDLER(WM_XLIST_MENUCOMMAND, OnProfileListNotify)
        MESSAGE_HANDLER(WM_XLIST_MENUOPENING, OnProfileListNotify)
        MESSAGE_HANDLER(WM_XLIST_APPCHANGED, OnProfileListNotify)
        MESSAGE_HANDLER(WM_XLIST_CHECKCHANGED, OnProfileListNotify)
        MESSAGE_HANDLER(WM_XLIST_CELLEDITED, OnProfileListNotify)
        MESSAGE_HANDLER(WM_XLIST_DBLCLK, OnProfileListNotify)
        MESSAGE_HANDLER(WM_MACRODISPLAY_CHANGED, OnMacroDisplayChanged)
        MESSAGE_HANDLER(WM_MACRODISPLAY_EDITEVENT, OnMacroEditEvent)
        MESSAGE_HANDLER(WM_MACRODISPLAY_PLAYDONE, OnMacroPlayDone)
        MESSAGE_HANDLER(WM_EDITITEM_CHANGED, OnMacroEditChanged)
        CHAIN_MSG_MAP(CGUIPanel)
    END_MSG_MAP()

    // ---- Commands: each page file's table (the frame's in MainDialog.cpp)
    // What a widget's notice, or an entry of a page's menu, does. A table ends with an entry without
    // `run`.
    struct Command {
        int id;                   // the widget's skin id; 0 for an entry of a menu only
        UINT notice;              // kClicked, or the notice code of a widget that is not clicked
        const wchar_t* menuText;  // the entry of the page's menu that does the same, or null
        // kEditsStore: refused, without a word, while the store may not be edited (CanEditStore).
        bool editsStore;
        // `arg`: the menu row's key, the chosen entry of a list, or -1 for a click.
        void (*run)(COssleAppDlg& dialog, int arg);
    };
    static constexpr bool kEditsStore = true;
    static constexpr bool kLeavesStore = false;
    // A button's or a text item's click; other widgets' notices go by their own codes.
    static constexpr UINT kClicked = BN_CLICKED;
    // A list's choice (WM_DROPDOWN_SELCHANGE, with the chosen entry as `arg`).
    static constexpr UINT kChosen = 0x10000;
    static const Command kFrameCommands[];
    static const Command kKeyPageCommands[];
    static const Command kProfilesPageCommands[];
    static const Command kMacrosPageCommands[];
    static const Command kLightingPageCommands[];
    // The entry of the five tables for a widget's notice, or null.
    static const Command* FindCommand(int id, UINT notice);
    // The entry of `table` for a menu entry's text, or null.
    static const Command* FindMenuCommand(const Command* table, const std::wstring& text);
    // Runs a command, unless it edits the store and the store may not be edited now; then the enabled
    // states follow what it did.
    void RunCommand(const Command& command, int arg);

    // ---- What takes input (MainDialog.cpp)
    // Sets the enabled state of every widget from a few members: a write runs (nothing that edits the
    // store takes input), dirty (Apply), a key picked (the assignment buttons), the macros page's state
    // (replaying and recording hold the frame) and the fixed-delay option (its field takes a number).
    // Every handler calls it at its end, and so do the members that change that state (SetDirty,
    // SetMacroPageState, RefreshKeyMarks).
    void RefreshInputState();

    // ---- Frame (MainDialog.cpp)
    // Before DoModal: the keyboard is read on the device object's worker while the pages are built,
    // and the dialog shows once the read has ended (not before: it would show an empty configuration).
    // Without it the read runs at once on this thread, and whoever created the dialog shows it.
    void ReadWhileBuilding() { m_readWhileBuilding = true; }
    // Before DoModal: a file the program cannot do without (its language texts) is damaged. The dialog
    // is made only to own the message that names the file, so that a second start brings the message
    // forward, and ends without showing.
    void RefuseToOpen(const std::wstring& damagedFile) { m_refusedFor = damagedFile; }
    // True while that read runs: the dialog is hidden.
    bool StartupReadRunning() const { return m_startupRead; }
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override;
    void OnCancel() override;
    void BindSkinItems() override;
    virtual void OnClose();
    virtual BOOL OnHelpInfo();
    BOOL OnDeviceChange(UINT event, DWORD_PTR data);
    void OnTimer(UINT_PTR id);

    void SetDirty(bool dirty);
    bool IsDirty() const { return m_dirty; }
    // Hands the whole configuration to the device object's worker; false when a write runs already or
    // none could start.
    bool ApplySettings();
    // The Apply button: ApplySettings with the wait cursor while it starts.
    void OnApplyButton();
    // The profile selectors' choice: that profile becomes the active one (not during a write).
    void OnProfileSelected(int index);
    void ShowPage(unsigned flags);
    void RefreshAllViews();
    void RefreshProfileViews();
    void ActivateProfile(IKeyboardProfile* profile);
    void ActivateFirstProfile();
    void FillProfileSelector(CDropdownListItem* selector);
    // A damaged main panel refuses the window; a damaged page ends the opening dialog. Either way the
    // user is told in a plain message box which file is at fault.
    bool RefuseDamagedSkin() override;
    BOOL EndForDamagedFile(const std::wstring& file);
    // True from the start of a write until its outcome arrived: the store must not be edited.
    bool TransferRunning() const { return m_transferRunning; }
    // Runs a popup modally as this dialog's one open popup, which a removal of the keyboard ends.
    INT_PTR RunPopup(CDialog& popup);

    // ---- Key-assignment page (KeyPage.cpp)
    LRESULT OnKeyItemHover(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKeyItemClick(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    void ClearKeyHint();
    // The hint shows the picked key, else the key under the pointer (none: empty), as they are now.
    void RefreshKeyHint();
    CKeyboardKeyItem* KeyUnderPointer() const;
    void ShowKeyHint(CKeyboardKeyItem* key);
    void RefreshKeyLabels();
    void RefreshKeyMarks();
    void EnableAssignButtons(bool enable);
    void AssignDefaultKey();
    void AssignSingleKey();
    void AssignMacro();
    void AssignProfileSwitch();
    void AssignLaunchProgram();
    void ResetKeysUsingMacro(CMacro* macro);
    void ResetKeysUsingProfile(IKeyboardProfile* profile);
    // The key item of the layout page with this id and a key definition, or null.
    CKeyboardKeyItem* FindKeyItem(int id) const;
    CKeyboardKeyItem* SelectedKey() const { return m_selectedKey; }
    CKeyboardKeyItem* HoveredKey() const { return m_hoveredKey; }
    CBitmapWindow* KeyHint() const { return m_keyHint; }

    // ---- Profiles page (ProfilesPage.cpp)
    LRESULT OnProfileListNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // The profile-display button: the flag of every profile follows its checked state.
    void OnProfileOsdButton();
    void RefreshProfileList();
    void CreateProfile();
    void RenameProfile();
    void CopyProfile(int key);
    void DeleteProfile();
    void RestoreProfile(int key);
    void ImportProfile();
    void ExportProfile();
    void PreviewProfile(int key);
    void OnProfileMenuCommand(int key, const std::wstring& text);
    void OnProfileMenuOpening(int key);
    void OnProfileAppChanged(int key, const std::wstring& path);
    void OnProfileCheckChanged(int key, int subItem, bool on);
    void OnProfileCellEdited(int key, const std::wstring& text);
    void OnProfileDblClk(int key);
    // The store's profile that a profile-list row's key names (its index in the store), or null.
    IKeyboardProfile* ProfileAtKey(int key) const;
    // The profile of the list's selected row, or null.
    IKeyboardProfile* SelectedProfile() const;
    CXListCtrl* m_profileList = nullptr;
    CListPanelItem* m_profileMenu = nullptr;
    CBitmapBtn* m_profileOsdButton = nullptr;

    // ---- Lighting and maintenance page (LightingPage.cpp)
    void RefreshLightingRadios();
    void SetLighting(bool on);
    bool ConfirmRestoreDefaults();
    void RestoreDefaults();
    // The firmware's and this program's versions after the labels of the two version lines.
    // Without the firmware's line when no keyboard was read: it has told no version then.
    void RefreshVersionLines(bool withFirmware = true);
    CBitmapBtn* m_ledOnButton = nullptr;
    CBitmapBtn* m_ledOffButton = nullptr;

    // ---- Macros page (MacrosPage.cpp)
    void BindMacroPageItems();
    void RefreshMacroPage();
    void EnterMacroPage();
    void OnMacroChosen(int index);
    // 0 no macro, 1 idle, 2 replaying, 3 recording (config::kMacroPage*).
    void SetMacroPageState(int state);
    int MacroPageState() const { return m_macroPageState; }
    // The store's macro named by the macro list's chosen entry, or null.
    CMacro* ChosenMacro() const;
    void FillMacroList();
    void FillPredefinedCommandLists();
    void CreateMacro();
    void RenameMacro();
    void DeleteMacro();
    void ImportMacro();
    void ExportMacro();
    void StartMacroRecording();
    void StopMacroRecording();
    void PlayMacro();
    void StopMacroPlayback();
    // The Stop button: ends the replay, else the recording.
    void OnStopButton();
    void SelectFirstEvent();
    void SelectLastEvent();
    // An Insert button of a predefined-command list: the list's chosen command.
    void InsertChosenCommand(CDropdownListItem* list);
    void SetIgnoreDelays(bool on);
    void SetFixedDelay(bool on);
    void CheckDefaultDelay();
    void OnDelayEditKillFocus();
    void InsertDelay();
    void InsertPredefinedMacro(const std::wstring& command);
    LRESULT OnMacroDisplayChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMacroEditEvent(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMacroPlayDone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMacroEditChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    CDropdownListItem* m_macroList = nullptr;
    CDropdownListItem* m_basicCommands = nullptr;
    CDropdownListItem* m_moreCommands = nullptr;
    CMacroDisplayItem* m_macroDisplay = nullptr;
    CMacroDisplayItem* m_macroPlayer = nullptr;
    CBitmapBtn* m_ignoreDelayButton = nullptr;
    CBitmapBtn* m_fixedDelayButton = nullptr;
    CBitmapBtn* m_recordButton = nullptr;
    CBitmapBtn* m_stopButton = nullptr;
    CEditItem* m_fixedDelayEdit = nullptr;
    CEditItem* m_insertDelayEdit = nullptr;

    // Page lists; all widgets are children of this dialog.
    SkinItemList m_keyPage;
    SkinItemList m_layoutPage;
    SkinItemList m_profilesPage;
    SkinItemList m_macrosPage;
    SkinItemList m_lightingPage;
    SkinItemList* m_currentPage = nullptr;
    unsigned m_pageFlags = 0;  // ShowPage's flags for m_currentPage

    // Bound items of the frame.
    CBitmapBtn* m_tabs[4] = {};  // assign keys, profiles, macros, lighting
    CBitmapBtn* m_okButton = nullptr;
    CBitmapBtn* m_cancelButton = nullptr;
    CBitmapBtn* m_applyButton = nullptr;
    CBitmapBtn* m_helpButton = nullptr;
    CBitmapBtn* m_exitButton = nullptr;
    CBitmapBtn* m_updateButton = nullptr;
    CTextItem* m_firmwareText = nullptr;
    CTextItem* m_driverText = nullptr;
    CDropdownListItem* m_keyProfileSelector = nullptr;
    CDropdownListItem* m_lightingProfileSelector = nullptr;
    // Bound items of the key page.
    CBitmapBtn* m_assignButtons[5] = {};
    CTextItem* m_assignLabels[5] = {};
    CBitmapWindow* m_keyHint = nullptr;

private:
    LRESULT OnQueryDragIcon(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnNcMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSetCursor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimerMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroyMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnHelpMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDeviceChangeMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTransferDone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDropdownSelChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // The lookup for drivers in other processes (configurator/Automation.h).
    LRESULT OnAutomation(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // After the start-up read: the first profile active when the keyboard named none, the views filled,
    // or without any profile the no-device popup armed.
    void FinishOpening();
    // Behind the "not found" popup of an opening without a keyboard: nothing to assign or apply, and
    // the version lines as far as they are known without the keyboard.
    void ShowWithoutKeyboard();
    void RegisterDeviceWatch();
    void EndDeviceWatch();
    // Ends the device watch, the no-device timer and the transfer notices: nothing of the keyboard reaches
    // the dialog any more.
    void StopDeviceNotices();
    void ArmNoDeviceTimer(UINT milliseconds);
    void ShowNoDevicePopup();
    // Cancels the file dialogs this dialog owns; true when there was one.
    bool EndFileDialogs();
    // The pointer shows at once whether the dialog writes (the wait cursor) or not.
    void RefreshCursor();
    // OK's end: applies what is dirty (waiting for a running write first), then closes.
    void ApplyAndClose();
    void OpenShell(const wchar_t* verb, const std::wstring& file);
    // F1 and the help button: the manual below the program's folder, or a word that it is missing.
    void OpenManual();
    CGUIItem* FindSender(HWND window) const;
    void BindKeyPageItems();
    void BindProfilesPageItems();
    void BindLightingPageItems();
    // Shows a warning popup with the given suffix after its heading (or none), or with `text` ("$" key or
    // text) in place of its heading.
    void Warn(const wchar_t* panel, const std::wstring& suffix = std::wstring(),
              const std::wstring& text = std::wstring());
    // The open or save dialog of profile or macro files (`kind` names them in the filter), starting in
    // `folder` (made when missing); a save proposes `name` as the file name. False when cancelled or no
    // path came back.
    bool ChooseExchangeFile(bool save, const wchar_t* kind, const wchar_t* extension, const std::wstring& folder,
                            const std::wstring& name, std::wstring& path);
    bool ProfileNameTaken(const std::wstring& name) const;
    // The pointer's screen position, when it is over this dialog itself (not over a window in front).
    bool PointerOverDialog(POINT& point) const;
    // The key shows and `point` (screen) lies in its rectangle.
    static bool KeyHoldsPoint(CKeyboardKeyItem& key, POINT point);
    // The finishing steps every assignment command shares.
    void FinishAssignment(CKeyboardKeyItem* key, bool checked);
    bool StoreAssignment(CKeyboardKeyItem* key, const KeyAssignment& record);
    KeyAssignment CurrentAssignment(CKeyboardKeyItem* key);
    KeyAssignment DefaultAssignment(CKeyboardKeyItem* key) const;
    bool CanEditStore() const;
    // RefreshInputState's hand: enables or disables a widget's window, repainting it on a change only.
    static void EnableItem(const CGUIItem* item, bool enable);
    void SetTabChecked(int index, bool checked);
    // Macros page helpers (MacrosPage.cpp).
    void ChooseMacro(CMacro* macro);
    void WarnAboutMacro(const wchar_t* panel, const std::wstring& name);
    bool InsertMacroEvents(size_t at, const MacroEventList& inserted);

    IKeyboardDevice* m_device;
    IKeyboardConfig* m_config;
    CIcon m_icon;
    CIcon m_smallIcon;
    HDEVNOTIFY m_deviceNotify = nullptr;
    UINT_PTR m_noDeviceTimer = 0;
    bool m_noDeviceHandled = false;  // a removal was taken: later ones show no second popup
    bool m_closeForRemoval = false;  // the no-device popup was shown: the close it asks for is done
    bool m_dirty = false;
    bool m_transferRunning = false;
    bool m_closeAfterTransfer = false;
    bool m_readWhileBuilding = false;
    std::wstring m_refusedFor;  // the damaged file the dialog only reports
    // The start-up read runs on the device object's worker; its outcome reaches the store when it ends.
    bool m_startupRead = false;
    CDialog* m_openPopup = nullptr;
    CKeyboardKeyItem* m_selectedKey = nullptr;
    CKeyboardKeyItem* m_hoveredKey = nullptr;
    int m_macroPageState = 1;
};
