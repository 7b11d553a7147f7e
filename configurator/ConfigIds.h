// Identifiers the configurator's windows agree on: skin item ids it binds, its timers and private
// messages, panel files, and the names it is known by to other processes.
#pragma once

#include <windows.h>

namespace config {

// Skin items of the main panel.
constexpr int kIdButtonFacebook = 6;     // BUTTON_FB
constexpr int kIdButtonTwitter = 7;      // BUTTON_TWITTER
constexpr int kIdButtonCommunity = 8;    // BUTTON_GILD
constexpr int kIdButtonHelp = 9;         // BUTTON_HELP
constexpr int kIdButtonExit = 10;        // BUTTON_EXIT
constexpr int kIdButtonOk = 11;          // BUTTON_OK
constexpr int kIdButtonApply = 12;       // BUTTON_APPLY
constexpr int kIdButtonCancel = 13;      // BUTTON_CANCEL
constexpr int kIdButtonUpdate = 99;      // BUTTON_UPDATE
constexpr int kIdTabAssignKeys = 221;    // BUTTON_ASSIGNKEYS
constexpr int kIdTabProfiles = 223;      // BUTTON_MANAGEPROFILES
constexpr int kIdTabMacros = 224;        // BUTTON_MANAGEMACROS
constexpr int kIdTabLighting = 225;      // BUTTON_LIGHTINGMAINTENANCE
constexpr int kIdTextFirmware = 304;     // TEXT_FIRMWAREVER
constexpr int kIdTextDriver = 305;       // TEXT_DRIVERVER

// Skin items of the key-assignment page and its layout page.
constexpr int kIdKeyboardPicture = 662;  // BITMAP_MECHKBD
constexpr int kIdFirstKey = 420;         // BUTTON_KB_ESC
constexpr int kIdLastKey = 539;          // BUTTON_KB_LANG1_HANG_ENG
constexpr int kIdAssignDefault = 672;    // BUTTON_ASSIGNSELECT_DEFAULT .. _LAUNCHPROGRAM (676)
constexpr int kIdAssignSingleKey = 673;
constexpr int kIdAssignMacro = 674;
constexpr int kIdAssignProfile = 675;
constexpr int kIdAssignLaunch = 676;
constexpr int kIdAssignLabelFirst = 665; // TEXT_ASSIGNSELECT_DEFAULT .. _LAUNCHPROGRAM (669)
constexpr int kIdKeyHint = 379;          // BITMAPWIN_ASSIGNKEY
constexpr int kIdProfileSelector = 382;  // LIST_GLOBALPROFILELIST
constexpr int kIdMacroList = 381;        // LIST_GLOBALMACROLIST
constexpr int kIdLedOn = 62;             // GLOW_LEDON
constexpr int kIdLedOff = 63;            // GLOW_LEDOFF

// Skin items of the profiles page.
constexpr int kIdProfileList = 380;          // LIST_PROFILELIST
constexpr int kIdProfileMenu = 411;          // LISTPANEL_PROFILEOPTIONS
constexpr int kIdProfileOsdButton = 172;     // BUTTON_ENABLE_PROFILE_OSD
constexpr int kIdProfileOsdLabel = 334;      // TEXT_ENABLE_PROFILE_OSD
constexpr int kIdNewProfile = 141;           // BUTTON_NEWPROFILE
constexpr int kIdImportProfile = 142;        // BUTTON_IMPORTPROFILE
constexpr int kIdExportProfile = 143;        // BUTTON_EXPORTPROFILE
constexpr int kIdSaveProfile = 144;          // BUTTON_SAVEPROFILE (exports too)
constexpr int kIdDeleteProfile = 145;        // BUTTON_DELETEPROFILE
// Column ids of the profile list.
constexpr int kProfileColumnCurrent = 0;     // LCITEM_PROFILECURRENT
constexpr int kProfileColumnNumber = 1;      // LCITEM_PROFILEID
constexpr int kProfileColumnName = 2;        // LCITEM_PROFILENAME
constexpr int kProfileColumnProgram = 3;     // LCITEM_PROFILEEXE
constexpr int kProfileColumnAutoSwitch = 4;  // LCITEM_AUTOSWITCH

// Skin items of the lighting and maintenance page.
constexpr int kIdRestoreDefaults = 98;       // BUTTON_RESET

// Skin items of the popups.
constexpr int kIdPopupOk = 154;          // BUTTON_POPUP_OK
constexpr int kIdPopupCancel = 155;      // BUTTON_POPUP_CANCEL
constexpr int kIdPopupHeading = 309;     // TEXT_WARNDLG_HEADING
constexpr int kIdPopupNameEntry = 385;   // EDITCTRL_POPUP_NAMEENTRY
constexpr int kIdPopupNumEntry = 389;    // EDITCTRL_POPUP_NUMENTRY
constexpr int kIdPopupList = 677;        // LIST_DROPDOWN_POPUP
constexpr int kIdPlayOnce = 177;         // BUTTON_MACRO_PLAY_ONCE
constexpr int kIdPlayMultiple = 178;     // BUTTON_MACRO_PLAY_MULTIPLE
constexpr int kIdPlayWhilePressed = 179; // BUTTON_MACRO_PLAY_WHILEPRESSED
constexpr int kIdPlayUntilPressed = 180; // BUTTON_MACRO_PLAY_UNTILPRESSED

// Skin items of the macros page.
constexpr int kIdMacroCreate = 157;        // BUTTON_MACRO_CREATE
constexpr int kIdMacroSave = 158;          // BUTTON_MACRO_SAVE (exports, as 159 does)
constexpr int kIdMacroExport = 159;        // BUTTON_MACRO_EXPORT
constexpr int kIdMacroImport = 160;        // BUTTON_MACRO_IMPORT
constexpr int kIdMacroDelete = 161;        // BUTTON_MACRO_DELETE
constexpr int kIdMacroRecord = 162;        // BUTTON_MACRO_RECORD_START
constexpr int kIdMacroStop = 163;          // BUTTON_MACRO_RECORD_STOP
constexpr int kIdMacroPlay = 164;          // BUTTON_MACRO_RECORD_PLAY
constexpr int kIdMacroFirstEvent = 165;    // BUTTON_MACRO_RECORD_BACKWARD
constexpr int kIdMacroLastEvent = 166;     // BUTTON_MACRO_RECORD_FORWARD
constexpr int kIdMacroRename = 167;        // BUTTON_MACRO_ADVANCED
constexpr int kIdIgnoreDelay = 168;        // BUTTON_IGNORE_DELAY
constexpr int kIdFixedDelay = 169;         // BUTTON_INSERTDEFAULT_DELAY
constexpr int kIdInsertDelay = 170;        // BUTTON_INSERT_DELAY
constexpr int kIdMacroDisplay = 218;       // MACRO_DISPLAY
constexpr int kIdMacroPlayer = 219;        // MACRO_DISPLAY_READONLY
constexpr int kIdIgnoreDelayText = 322;    // TEXT_IGNORE_DELAY
constexpr int kIdFixedDelayText = 323;     // TEXT_INSERTDEFAULT_DELAY
constexpr int kIdBasicCommands = 383;      // LIST_GLOBAL_BASIC_COMMANDS
constexpr int kIdMoreCommands = 384;       // LIST_GLOBAL_ADDITIONAL_COMMANDS
constexpr int kIdFixedDelayEdit = 387;     // EDITCTRL_DEFAULT_DELAY
constexpr int kIdInsertDelayEdit = 388;    // EDITCTRL_DELAY
constexpr int kIdMacroKeyRowMenu = 412;    // LISTPANEL_MACROOPTIONS
constexpr int kIdMacroMouseRowMenu = 413;  // LISTPANEL_MACROOPTIONS2
constexpr int kIdAddBasicCommand = 417;    // BUTTON_ADD_BASIC_MACRO_CMDS
constexpr int kIdAddMoreCommand = 418;     // BUTTON_ADD_ADV_MACRO_CMDS
// Macros page states (COssleAppDlg::SetMacroPageState).
constexpr int kMacroPageNoMacro = 0;
constexpr int kMacroPageIdle = 1;
constexpr int kMacroPageReplaying = 2;
constexpr int kMacroPageRecording = 3;
constexpr unsigned kMaxMacros = 65536;
constexpr unsigned kDefaultFixedDelayMs = 50;
constexpr const wchar_t* kMacroFileExtension = L"qnm";
constexpr const wchar_t* kMacroNamePopup = L"MacroNamePopup.xml";
constexpr const wchar_t* kMacroRenamePopup = L"MacroRenamePopup.xml";
constexpr const wchar_t* kDuplicateMacroPopup = L"DuplicateMacroWarningPopup.xml";
constexpr const wchar_t* kDefaultDelayPopup = L"DefaultDelayWarningPopup.xml";
constexpr const wchar_t* kImportMacroPopup = L"ImportMacroWarningPopup.xml";
constexpr const wchar_t* kExportMacroPopup = L"ExportMacroWarningPopup.xml";
constexpr const wchar_t* kDeleteMacroPopup = L"ConfirmDeleteMacroPopup.xml";

// Page flags of COssleAppDlg::ShowPage.
constexpr unsigned kPageKeys = 0x01;
constexpr unsigned kPageProfiles = 0x02;
constexpr unsigned kPageMacros = 0x04;
constexpr unsigned kPageLighting = 0x08;
constexpr unsigned kPageLayout = 0x10;
constexpr unsigned kPageKeyAssignment = kPageKeys | kPageLayout;
// The four tabs in their order, and the page each shows.
inline constexpr int kTabIds[4] = {kIdTabAssignKeys, kIdTabProfiles, kIdTabMacros, kIdTabLighting};
inline constexpr unsigned kTabPages[4] = {kPageKeyAssignment, kPageProfiles, kPageMacros, kPageLighting};

// Timers and private messages of the main dialog.
constexpr UINT_PTR kNoDeviceTimer = 1;
constexpr UINT kNoDeviceStartMs = 500;
constexpr UINT kNoDeviceRemovalMs = 100;
// The device object posts the outcome of a write: wParam 1 success, 0 failure; lParam the mask.
constexpr UINT WM_TRANSFER_DONE = WM_APP + 0x101;

// Limits.
constexpr size_t kMaxLaunchPathChars = 255;   // a program path of 256 characters or more is refused
constexpr int kMaxNameChars = 20;
constexpr int kMinRepeatCount = 1;
constexpr int kMaxRepeatCount = 255;
constexpr int kRepeatCountDigits = 3;
constexpr unsigned kMaxProfiles = 10;
constexpr size_t kMaxImportPathChars = 255;
constexpr size_t kMaxLinkedFileNameChars = 126;  // a linked program's file name of 127 or more is refused

// Panel files.
constexpr const wchar_t* kMainPanel = L"MainPage.xml";
constexpr const wchar_t* kKeyPagePanel = L"AssignKeys.xml";
constexpr const wchar_t* kProfilesPagePanel = L"ManageProfiles.xml";
constexpr const wchar_t* kMacrosPagePanel = L"ManageMacros.xml";
constexpr const wchar_t* kLightingPagePanel = L"LightingMaintenance.xml";
constexpr const wchar_t* kNoDevicePopup = L"NoDevicePopup.xml";
constexpr const wchar_t* kPathLimitPopup = L"PathLengthLimitReachedPopUp.xml";
constexpr const wchar_t* kSelectMacroPopup = L"SelectMacroPopup.xml";
constexpr const wchar_t* kRepeatCountPopup = L"MacroRepeatEntryPopup.xml";
constexpr const wchar_t* kSelectProfilePopup = L"SelectProfilePopup.xml";
// Profiles page.
constexpr const wchar_t* kProfileLimitPopup = L"ProfileLimitReachedPopup.xml";
constexpr const wchar_t* kProfileNamePopup = L"ProfileNamePopup.xml";
constexpr const wchar_t* kProfileRenamePopup = L"ProfileRenamePopup.xml";
constexpr const wchar_t* kDuplicateProfilePopup = L"DuplicateProfileWarningPopup.xml";
constexpr const wchar_t* kDisallowDeletePopup = L"DisallowDeletePopup.xml";
constexpr const wchar_t* kConfirmDeletePopup = L"ConfirmDeletePopup.xml";
constexpr const wchar_t* kExportProfilePopup = L"ExportProfileWarningPopup.xml";
constexpr const wchar_t* kImportProfilePopup = L"ImporttProfileWarningPopup.xml";
constexpr const wchar_t* kFileNameLimitPopup = L"FileNameLengthLimitReachedPopUp.xml";
constexpr const wchar_t* kSelectApplicationPopup = L"SelectApplicationWarningPopup.xml";
constexpr const wchar_t* kProfileFileExtension = L"qnp";
// Lighting and maintenance page.
constexpr const wchar_t* kRestorePopup = L"RestorePopup.xml";
// A write that failed or could not start: the changes are kept and Apply is offered again.
constexpr const wchar_t* kWriteFailedPopup = L"ApplyFailedPopup.xml";

// Names other processes and the shell see.
constexpr const wchar_t* kMainWindowClass = L"SINGLE_INSTANCE_APP_TESSARY";
constexpr const wchar_t* kInstanceMutex = L"SINGLE_INSTANCE_APP_TESSARY";
constexpr const wchar_t* kDialogTitle = L"Quarn Tessary Configurator";
constexpr const wchar_t* kTrayExe = L"TessaryTray.exe";
constexpr const wchar_t* kMakerKey = L"Software\\Quarn\\Tessary";
constexpr const wchar_t* kManualPage = L"Manuals\\index.html";
// Said instead of opening nothing when the manual is not where the build installs it.
constexpr const wchar_t* kManualMissingPopup = L"ManualMissingPopup.xml";
constexpr int kMainIconId = 130;

// The maker's pages behind the panel's link buttons.
constexpr const wchar_t* kSocialPageUrl = L"https://www.facebook.com/quarn";
constexpr const wchar_t* kSocialAccountUrl = L"https://twitter.com/quarn";
constexpr const wchar_t* kCommunityUrl = L"https://community.quarn.com/";
constexpr const wchar_t* kSupportUrl = L"https://www.quarn.com/support/tessary";

// Languages and layouts.
constexpr int kDefaultLanguageId = 345;
constexpr int kLastLanguageId = 360;

} // namespace config
