// Contents of the process-wide name tables and the lookups over them.
#include "model/NameTables.h"

#include "model/TextCompare.h"

namespace {

std::map<int, std::wstring> gActionNames;
std::map<int, std::wstring> gAssignmentKindNames;
std::map<int, int> gAssignButtonNumbers;
std::map<int, std::wstring> gSkinResourceNames;
std::map<int, std::wstring> gKeyLabels;
std::map<int, int> gVirtualKeyToHidUsage;
std::map<COLORREF, std::wstring> gColourNames;
std::map<int, std::wstring> gLanguageNames;
std::map<int, std::wstring> gListColumnNames;
std::map<int, std::wstring> gColumnKindNames;
std::map<int, std::wstring> gMacroColumnKindNames;
std::map<int, int> gLayoutCodeMap;

// Skin identifiers with ids 0..418; null marks an id that has no identifier.
const wchar_t* const kSkinNamesLow[] = {
    // 0
    L"BACKGROUND", L"MASK", L"NORMAL", L"OVER", L"DOWN", L"DISABLED", L"BUTTON_FB", L"BUTTON_TWITTER",
    L"BUTTON_GILD", L"BUTTON_HELP",
    // 10
    L"BUTTON_EXIT", L"BUTTON_OK", L"BUTTON_APPLY", L"BUTTON_CANCEL", nullptr, L"BUTTON_ASSNLEFTCLICK",
    L"BUTTON_ASSNRIGHTCLICK", L"BUTTON_ASSNSCROLLBUTTON", L"BUTTON_ASSNSCROLLUP", L"BUTTON_ASSNSCROLLDOWN",
    // 20
    L"BUTTON_ASSNRSIDEFRONT", L"BUTTON_ASSNRSIDEREAR", L"BUTTON_ASSNLSIDEFRONT", L"BUTTON_ASSNLSIDEREAR",
    L"BUTTON_ASSNCENTREFRONT", L"BUTTON_ASSNCENTREREAR", L"BUTTON_ASSNTHUMBGRID01", L"BUTTON_ASSNTHUMBGRID02",
    L"BUTTON_ASSNTHUMBGRID03", L"BUTTON_ASSNTHUMBGRID04",
    // 30
    L"BUTTON_ASSNTHUMBGRID05", L"BUTTON_ASSNTHUMBGRID06", L"BUTTON_ASSNTHUMBGRID07",
    L"BUTTON_ASSNTHUMBGRID08", L"BUTTON_ASSNTHUMBGRID09", L"BUTTON_ASSNTHUMBGRID10",
    L"BUTTON_ASSNTHUMBGRID11", L"BUTTON_ASSNTHUMBGRID12", L"BUTTON_ASSNLEFTCLICKFRONT",
    L"BUTTON_ASSNLEFTCLICKREAR",
    // 40
    L"BUTTON_SETTING", L"BUTTON_RATE1", L"BUTTON_RATE2", L"BUTTON_RATE3", L"BUTTON_DPI_STAGE1",
    L"BUTTON_DPI_STAGE2", L"BUTTON_DPI_STAGE3", L"BUTTON_DPI_STAGE4", L"BUTTON_DPI_STAGE5", L"BUTTON_DPI_UP",
    // 50
    L"BUTTON_DPI_DOWN", L"BUTTON_WINDOWS4", L"BUTTON_WINDOWS5", L"BUTTON_PROFILE01", L"BUTTON_PROFILE02",
    L"BUTTON_PROFILE03", L"BUTTON_PROFILE04", L"BUTTON_PROFILE05", L"BUTTON_PROFILE_UP",
    L"BUTTON_PROFILE_DOWN",
    // 60
    L"SCROLL_LEDON", L"SCROLL_LEDOFF", L"GLOW_LEDON", L"GLOW_LEDOFF", L"SNAKE_LEDON", L"SNAKE_LEDOFF",
    L"UPDATE", L"SHOW_SCREEN", L"AUTO_SWITCH", L"SCROLL_BUTTON_OFF",
    // 70
    L"UNDER_GLOW_OFF", L"SNAKE_LOGO_OFF", L"BATTERY", L"DISPLAYGUI", L"BUTTON_PROFILE",
    L"BUTTON_SWAP_WINDOWS", L"BUTTON_CLOSE_WINDOWS", L"BUTTON_LOCK_PC", L"BUTTON_OPEN_EXPLORER",
    L"BUTTON_RUN",
    // 80
    L"BUTTON_SHOW_DESKTOP", L"BUTTON_ZOOM_IN", L"BUTTON_ZOOM_OUT", L"BUTTON_EXPAND", L"BUTTON_ACCL",
    L"BUTTON_ENABLEXY", L"BUTTON_ENABLEXY_POPUP", L"BUTTON_ENABLEACCELERATION", L"BUTTON_CUT", L"BUTTON_COPY",
    // 90
    L"BUTTON_PAST", L"BUTTON_UNDO", L"BUTTON_ALL", L"BUTTON_FIND", L"BUTTON_NEW", L"BUTTON_PRINT",
    L"BUTTON_SAVE", L"BUTTON_LOAD", L"BUTTON_RESET", L"BUTTON_UPDATE",
    // 100
    L"BUTTON_CHECKBOX_AUTOSAVE", L"BUTTON_CLOSE", L"BUTTON_FLY", L"BUTTON_SINGLE", L"BUTTON_MACRO",
    L"BUTTON_SCROLL_UP", L"BUTTON_SCROLL_DOWN", L"BUTTON_BASIC", L"BUTTON_ADDITIONAL", L"BUTTON_MEDIA",
    // 110
    L"BUTTON_DELAY", L"BUTTON_PLAY", L"BUTTON_STOP", L"BUTTON_PREVIOUS", L"BUTTON_NEXT", L"BUTTON_PAUSE",
    L"BUTTON_VOLUME_UP", L"BUTTON_VOLUME_DOWN", L"BUTTON_MUTE", L"BUTTON_SKIP_BACK",
    // 120
    L"BUTTON_SKIP_FORWARD", L"BUTTON_CLICK", L"BUTTON_MENU", L"BUTTON_UNIVERSAL", L"BUTTON_DOUBLE",
    L"BUTTON_SELECT", L"BUTTON_ASSIGN", L"BUTTON_DPI_SETTING", L"BUTTON_SWITCH_PROFILE", L"BUTTON_BACK",
    // 130
    L"BUTTON_FORWARD", L"BUTTON_OFA", L"BUTTON_OFF", L"BUTTON_SCROLL", L"BUTTON_OFAON", L"BUTTON_OFAON_FLAG",
    L"BUTTON_OFAOFF", L"BUTTON_OFAOFF_FLAG", L"BUTTON_OFASHOW", L"BUTTON_SHRINK",
    // 140
    L"BUTTON_RESETPROFILE", L"BUTTON_NEWPROFILE", L"BUTTON_IMPORTPROFILE", L"BUTTON_EXPORTPROFILE",
    L"BUTTON_SAVEPROFILE", L"BUTTON_DELETEPROFILE", L"BUTTON_RESETCONFIG", L"BUTTON_LOADCONFIG",
    L"BUTTON_SAVECONFIG", L"BUTTON_AVI",
    // 150
    L"BUTTON_APM_ADD_COLOR", L"BUTTON_APM_DEL_COLOR", L"BUTTON_APM_APY_COLOR", L"BUTTON_APM_CHOSEN_COLOR",
    L"BUTTON_POPUP_OK", L"BUTTON_POPUP_CANCEL", L"BUTTON_POPUP_APPLY", L"BUTTON_MACRO_CREATE",
    L"BUTTON_MACRO_SAVE", L"BUTTON_MACRO_EXPORT",
    // 160
    L"BUTTON_MACRO_IMPORT", L"BUTTON_MACRO_DELETE", L"BUTTON_MACRO_RECORD_START", L"BUTTON_MACRO_RECORD_STOP",
    L"BUTTON_MACRO_RECORD_PLAY", L"BUTTON_MACRO_RECORD_BACKWARD", L"BUTTON_MACRO_RECORD_FORWARD",
    L"BUTTON_MACRO_ADVANCED", L"BUTTON_IGNORE_DELAY", L"BUTTON_INSERTDEFAULT_DELAY",
    // 170
    L"BUTTON_INSERT_DELAY", L"BUTTON_SENSITIVITY_STAGES", L"BUTTON_ENABLE_PROFILE_OSD",
    L"BUTTON_ENABLE_DPI_OSD", L"BUTTON_KEYASSIGN_123NUM_123", L"BUTTON_KEYASSIGN_123NUM_NUM",
    L"BUTTON_DISABLE_KEYS", L"BUTTON_MACRO_PLAY_ONCE", L"BUTTON_MACRO_PLAY_MULTIPLE",
    L"BUTTON_MACRO_PLAY_WHILEPRESSED",
    // 180
    L"BUTTON_MACRO_PLAY_UNTILPRESSED", L"SLIDER_DPI_MULTI", L"SLIDER_DPI_MULTI_X", L"SLIDER_DPI_MULTI_Y",
    L"SLIDER_DPI_MULTI_POPUP", L"SLIDER_DPI_MULTI_X_POPUP", L"SLIDER_DPI_MULTI_Y_POPUP",
    L"SLIDER_DPI_MULTI_STAGE1_POPUP", L"SLIDER_DPI_MULTI_STAGE1_X_POPUP", L"SLIDER_DPI_MULTI_STAGE1_Y_POPUP",
    // 190
    L"SLIDER_APM_MULTI", L"SLIDER_APM_MULTI_STAGE1", L"SLIDER_APM_MULTI_STAGE2", L"SLIDER_DPI_MULTI_STAGE1",
    L"SLIDER_DPI_MULTI_STAGE2", L"SLIDER_DPI_MULTI_STAGE3", L"SLIDER_DPI_MULTI_STAGE4",
    L"SLIDER_DPI_MULTI_STAGE5", L"SLIDER_DPI_MULTI_X_STAGE1", L"SLIDER_DPI_MULTI_X_STAGE2",
    // 200
    L"SLIDER_DPI_MULTI_X_STAGE3", L"SLIDER_DPI_MULTI_X_STAGE4", L"SLIDER_DPI_MULTI_X_STAGE5",
    L"SLIDER_DPI_MULTI_Y_STAGE1", L"SLIDER_DPI_MULTI_Y_STAGE2", L"SLIDER_DPI_MULTI_Y_STAGE3",
    L"SLIDER_DPI_MULTI_Y_STAGE4", L"SLIDER_DPI_MULTI_Y_STAGE5", L"SLIDER_ID_SENSX", L"SLIDER_ID_SENSY",
    // 210
    L"SLIDER_ID_SPEED", L"SLIDER_ID_ACCEL", L"SLIDER_ID_ACCELDISB", L"SLIDER_ACCEL_STAGE1",
    L"SLIDER_ACCEL_STAGE1DISB", L"SLIDER_SENSITIVITY", L"SLIDER_SCROLL", L"SLIDER_DOUBLECLICK",
    L"MACRO_DISPLAY", L"MACRO_DISPLAY_READONLY",
    // 220
    L"BUTTON_ASSIGNBUTTONS", L"BUTTON_ASSIGNKEYS", L"BUTTON_ADJUSTPERFORMANCE", L"BUTTON_MANAGEPROFILES",
    L"BUTTON_MANAGEMACROS", L"BUTTON_LIGHTINGMAINTENANCE", L"BUTTON_ADDONS", L"INDICATOR_WIRED",
    L"INDICATOR_WIRELESS", L"BITMAP_KELDAN",
    // 230
    L"BITMAP_ORBAVIEWPLAN", L"BITMAP_ORBAVIEWSIDE", L"BITMAP_BUTTONNUMSTRIP", L"BITMAP_BUTTONNUMSTRIP12",
    L"BITMAP_VERTICALBARVIEWS", L"BITMAP_HORIZONTALBARLONG", L"BITMAP_VERTICALBARLONG",
    L"BITMAP_HORIZONTALBARLONG_SKT", L"BITMAP_HORIZONTALBARLONG_SKB", L"BITMAP_VERTICALBARLONG_SKL",
    // 240
    L"BITMAP_VERTICALBARLONG_SKR", L"BITMAP_BACKGROUND_RECT", L"BITMAP_PROFILE_RECT", L"TEXT_PROFILEINFO",
    L"TEXT_PROFILENAME", L"FONT_ARIALNARROW12", L"FONT_ARIALNARROW14", L"FONT_ARIAL10", L"FONT_ARIAL12",
    L"FONT_ARIAL14B",
    // 250
    L"FONT_ARIAL14", L"FONT_ARIAL16B", L"FONT_ARIAL16", L"FONT_ARIAL18", L"FONT_ARIAL18B", L"FONT_ARIAL24B",
    L"FONT_ARIAL32B", L"FONT_ARIAL36B", L"FONT_ARIAL12_BUTTON", L"FONT_ARIAL14_BUTTON",
    // 260
    L"FONT_DINREGULAR12", L"FONT_QUARNLIGHT14B", L"FONT_QUARNREG13", L"FONT_QUARNREG15B", L"FONT_QUARNREG14B",
    L"FONT_QUARNREG18", L"FONT_QUARNREG24B", L"FONT_QUARNREG32B", L"FONT_QUARNREG34B", L"FONT_QUARNREG36B",
    // 270
    L"BITMAP_SLSENSTRK_X", L"BITMAP_SLSENSTRK_Y", L"BITMAP_SLSENSTRK_XY", L"BITMAP_SLSENSTRK_X_POPUP",
    L"BITMAP_SLSENSTRK_Y_POPUP", L"BITMAP_SLSENSTRK_XY_POPUP", L"BITMAP_SLACCLTRK", L"BITMAP_SLACCLTRKDISB",
    L"BITMAP_APM_SLIDER", L"BITMAP_APM_CHOSEN_COLOR",
    // 280
    L"BITMAP_APM_BACKGROUND", L"BITMAP_APM_LOWER_LIMIT", L"BITMAP_APM_UPPER_LIMIT", L"BITMAP_ASSNBTNNUM",
    L"TEXT_ASSIGNBUTTONS", L"TEXT_CURRENTDPI", L"TEXT_DPI1", L"TEXT_DPI2", L"TEXT_DPIVALUE1",
    L"TEXT_DPIVALUE2",
    // 290
    L"TEXT_HEADING_X", L"TEXT_HEADING_Y", L"TEXT_ENABLEXY", L"TEXT_ENABLEXY_POPUP", L"TEXT_ENABLEOTFS",
    L"TEXT_ENABLEACCELERATION", L"TEXT_ACCELERATION", L"TEXT_APPLIESTOALL", L"TEXT_POLLINGRATE",
    L"TEXT_POLLINGRATEMSG",
    // 300
    L"TEXT_LIGHTINGHEADING", L"TEXT_MAINTENANCEHEADING", L"TEXT_SCROLLWHEEL", L"TEXT_LOGO",
    L"TEXT_FIRMWAREVER", L"TEXT_DRIVERVER", L"TEXT_ADDONHEADING", L"TEXT_ADDONPARA1", L"TEXT_ADDONPARA2",
    L"TEXT_WARNDLG_HEADING",
    // 310
    L"TEXT_WARNDLG_MESSAGE", L"TEXT_APM_LOWER_LIMIT_DESC", L"TEXT_APM_UPPER_LIMIT_DESC",
    L"TEXT_APM_LOWER_LIMIT_VALUE", L"TEXT_APM_UPPER_LIMIT_VALUE", L"TEXT_CURRENTKEY",
    L"TEXT_INSERT_BASIC_COMMAND", L"TEXT_INSERT_ADDITIONAL_COMMAND", L"TEXT_MACRO_NAME",
    L"TEXT_CURRENTASSIGNMENT",
    // 320
    L"TEXT_MACROEVENTS", L"TEXT_MACROLIST_HEADING", L"TEXT_IGNORE_DELAY", L"TEXT_INSERTDEFAULT_DELAY",
    L"TEXT_INSERTDEFAULT_DELAY_MS", L"TEXT_DELAY_MS", L"TEXT_ASSIGNBUTTONS_HEADING",
    L"TEXT_MOUSEWHEEL_OPTIONS_HEADING", L"TEXT_THUMBGRIDVIEW_HEADING", L"TEXT_THUMBGRIDVIEW_BUTTON",
    // 330
    L"TEXT_TOPVIEW_BUTTON", L"TEXT_TOPVIEW_HEADING", L"TEXT_SENSITIVITYSTAGE_HEADING",
    L"TEXT_NUMSTAGES_LABEL", L"TEXT_ENABLE_PROFILE_OSD", L"TEXT_ENABLE_DPI_OSD", L"TEXT_ASSIGNKEY_TAB_TITLE",
    L"TEXT_MACRO_TAB_TITLE", L"TEXT_PROFILE_TAB_TITLE", L"BUTTON_CHECKADDONS",
    // 340
    L"BITMAP_SENSWINDOW1", L"BITMAP_SENSWINDOW2", L"BITMAP_QUARNLOGO", L"BUTTON_SENSSTAGES",
    L"BITMAP_PROFILEWINDOW", L"LANGUAGE_DEFAULT", L"LANGUAGE_CHINESE_SIMPLIFIED",
    L"LANGUAGE_CHINESE_TRADITIONAL", L"LANGUAGE_FRENCH", L"LANGUAGE_FRENCHCANADIAN",
    // 350
    L"LANGUAGE_GERMAN", L"LANGUAGE_KOREAN", L"LANGUAGE_RUSSIAN", L"LANGUAGE_JAPANESE", L"LANGUAGE_SPANISH",
    L"LANGUAGE_PORTUGUESE_BRAZIL", L"LANGUAGE_THAI", L"LANGUAGE_NORDIC", L"LANGUAGE_UK", L"LANGUAGE_TURKISH",
    // 360
    L"LANGUAGE_GREEK", nullptr, L"KBLAYOUT_ENGLISH", L"KBLAYOUT_CHINESE_SIMPLIFIED",
    L"KBLAYOUT_CHINESE_TRADITIONAL", L"KBLAYOUT_FRENCH", L"KBLAYOUT_FRENCHCANADIAN", L"KBLAYOUT_GERMAN",
    L"KBLAYOUT_KOREAN", L"KBLAYOUT_RUSSIAN",
    // 370
    L"KBLAYOUT_JAPANESE", L"KBLAYOUT_SPANISH_LATIN_AMERICA", L"KBLAYOUT_THAI", L"KBLAYOUT_NORDIC",
    L"KBLAYOUT_UK", L"KBLAYOUT_TURKISH", L"KBLAYOUT_GREEK", L"KBLAYOUT_PORTUGUESE_BRAZIL", nullptr,
    L"BITMAPWIN_ASSIGNKEY",
    // 380
    L"LIST_PROFILELIST", L"LIST_GLOBALMACROLIST", L"LIST_GLOBALPROFILELIST", L"LIST_GLOBAL_BASIC_COMMANDS",
    L"LIST_GLOBAL_ADDITIONAL_COMMANDS", L"EDITCTRL_POPUP_NAMEENTRY", L"EDITCTRL_POPUP_SINGLEKEYENTRY",
    L"EDITCTRL_DEFAULT_DELAY", L"EDITCTRL_DELAY", L"EDITCTRL_POPUP_NUMENTRY",
    // 390
    L"DPISTAGEWINDOW_01", L"DPISTAGEWINDOW_02", L"DPISTAGEWINDOW_03", L"DPISTAGEWINDOW_04",
    L"DPISTAGEWINDOW_05", L"BITMAP_STAGECOUNT_DISPLAY", L"BUTTON_DPISTAGES_DEC", L"BUTTON_DPISTAGES_INC",
    L"TEXT_NUMSTAGES", L"TEXT_PREVIEW_01",
    // 400
    L"TEXT_PREVIEW_02", L"TEXT_PREVIEW_03", L"TEXT_PREVIEW_04", L"TEXT_PREVIEW_05", L"TEXT_PREVIEW_06",
    L"TEXT_PREVIEW_07", L"TEXT_PREVIEW_08", L"TEXT_PREVIEW_09", L"TEXT_PREVIEW_10", L"TEXT_PREVIEW_11",
    // 410
    L"TEXT_PREVIEW_12", L"LISTPANEL_PROFILEOPTIONS", L"LISTPANEL_MACROOPTIONS", L"LISTPANEL_MACROOPTIONS2",
    L"LISTPANEL_ASSIGNSUBMENU_PR", L"LISTPANEL_ASSIGNSUBMENU_MA", L"LISTPANEL_ASSIGNSUBMENU_DPI",
    L"BUTTON_ADD_BASIC_MACRO_CMDS", L"BUTTON_ADD_ADV_MACRO_CMDS",
};
static_assert(sizeof(kSkinNamesLow) / sizeof(kSkinNamesLow[0]) == 419, "skin ids 0..418");

// The keys of the keyboard page, in the order of their item ids. Each key has a button item
// (BUTTON_KB_<suffix>, from kFirstKeyButtonId) and, except the Brazilian keypad decimal key, a bitmap
// item (BITMAP_KB_<suffix>, from kFirstKeyBitmapId).
const wchar_t* const kKeySuffixes[] = {
    L"ESC", L"F1", L"F2", L"F3", L"F4", L"F5", L"F6", L"F7", L"F8", L"F9", L"F10", L"F11", L"F12", L"PRTSC",
    L"SCRLK", L"PAUSE", L"TILDE", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"0", L"MINUS",
    L"PLUS", L"BKSPC", L"INSRT", L"HOME", L"PGUP", L"NUMLK", L"NUMSH", L"NUMSR", L"NUMMS", L"TAB", L"Q", L"W",
    L"E", L"R", L"T", L"Y", L"U", L"I", L"O", L"P", L"LTCRBKT", L"RTCRBKT", L"VRTLINE", L"DEL", L"END",
    L"PGDOWN", L"NUM7", L"NUM8", L"NUM9", L"NUMPLUS", L"CAPSLK", L"A", L"S", L"D", L"F", L"G", L"H", L"J",
    L"K", L"L", L"COLON", L"QUOTN", L"ENTER", L"NUM4", L"NUM5", L"NUM6", L"BRAZIL_NUM_DECIMAL", L"LTSHFT",
    L"Z", L"X", L"C", L"V", L"B", L"N", L"M", L"LESSTHN", L"GRTRTHN", L"QTNMRK", L"RTSHFT", L"UPARW", L"NUM1",
    L"NUM2", L"NUM3", L"NUMENTR", L"LTCTRL", L"LTWIN", L"LTALT", L"SPACE", L"RTALT", L"RTWIN", L"QRN",
    L"MENU", L"RTCTRL", L"LTARW", L"DWNARW", L"RTARW", L"NUM0", L"NUM_PT", L"LMCR1", L"LMCR2", L"LMCR3",
    L"LMCR4", L"LMCR5", L"EU1_NOTE2", L"EU2_NOTE2", L"INTL2_YEN", L"INTL2_KATA_HIRA", L"INTL5_MUHENKAN",
    L"INTL4_HENKAN", L"INTL1_RO", L"LANG2_HANJA", L"LANG1_HANG_ENG",
};
constexpr int kKeyCount = sizeof(kKeySuffixes) / sizeof(kKeySuffixes[0]);
static_assert(kKeyCount == 120, "120 keyboard keys");
constexpr int kFirstKeyButtonId = 420;
constexpr int kFirstKeyBitmapId = 542;
const wchar_t kKeyWithoutBitmap[] = L"BRAZIL_NUM_DECIMAL";

// Skin identifiers with ids 662..681.
constexpr int kFirstHighSkinId = 662;
const wchar_t* const kSkinNamesHigh[] = {
    // 662
    L"BITMAP_MECHKBD", L"KBDDEF_WINDOWS", L"TEXT_ASSIGN_FUNCTION", L"TEXT_ASSIGNSELECT_DEFAULT",
    L"TEXT_ASSIGNSELECT_SINGLEKEY", L"TEXT_ASSIGNSELECT_MACRO", L"TEXT_ASSIGNSELECT_PROFILE",
    L"TEXT_ASSIGNSELECT_LAUNCHPROGRAM", L"TEXT_CURRENTASSIGNMENT_HEADING", L"TEXT_CURRENTASSIGNMENT_TEXT",
    // 672
    L"BUTTON_ASSIGNSELECT_DEFAULT", L"BUTTON_ASSIGNSELECT_SINGLEKEY", L"BUTTON_ASSIGNSELECT_MACRO",
    L"BUTTON_ASSIGNSELECT_PROFILE", L"BUTTON_ASSIGNSELECT_LAUNCHPROGRAM", L"LIST_DROPDOWN_POPUP",
    L"BITMAP_VBAR_MACROMSEC_VL", L"BITMAP_VBAR_MACROMSEC_VR", L"BITMAP_VBAR_MACROMSEC_HT",
    L"BITMAP_VBAR_MACROMSEC_HB",
};
static_assert(sizeof(kSkinNamesHigh) / sizeof(kSkinNamesHigh[0]) == 20, "skin ids 662..681");

void FillActionNames()
{
    static const wchar_t* const names[] = {
        L"$cut", L"$copy", L"$paste", L"$undo", L"$all", L"$find", L"$new", L"$print", L"$save",
        L"$swapwindows", L"$closewindow", L"$lockpc", L"$openexplorer", L"$run", L"$showdesktop",
        L"$zoomin", L"$zoomout",
    };
    int id = 1;
    for (const wchar_t* name : names)
        gActionNames[id++] = name;
}

void FillAssignmentKindNames()
{
    // Kinds 7, 22 and 63 repeat the key of the kind before them: they name the same function by text
    // rather than by GUID.
    static const wchar_t* const names[] = {
        // 0
        L"$defaultkey", L"$click", L"$menu", L"$universalscrolling", L"$Double-Click", L"$SingleKey",
        L"$macro", L"$macro", L"$buttonoff", L"$advanced",
        // 10
        L"$on-the-flysensitivity", L"$button4", L"$button5", L"$SensitivityStageUp",
        L"$SensitivityStageDown", L"$SensitivityStages", L"$dpistage1", L"$dpistage2", L"$dpistage3",
        L"$dpistage4",
        // 20
        L"$dpistage5", L"$profile", L"$profile", L"$profileup", L"$profiledown", L"$profile1",
        L"$profile2", L"$profile3", L"$profile4", L"$profile5",
        // 30
        L"$play", L"$stop", L"$Backward", L"$Forward", L"$pause", L"$volumeup", L"$volumedown", L"$mute",
        L"$skipback", L"$skipforward",
        // 40
        L"$scrollup", L"$scrolldown", L"$cut", L"$copy", L"$paste", L"$undo", L"$all", L"$find", L"$new",
        L"$print",
        // 50
        L"$save", L"$swapwindows", L"$closewindow", L"$lockpc", L"$openexplorer", L"$run",
        L"$showdesktop", L"$zoomin", L"$zoomout", L"$dpisetting",
        // 60
        L"$profilesetting", L"$selectfun", L"$launchprogram", L"$launchprogram",
    };
    static_assert(sizeof(names) / sizeof(names[0]) == 64, "assignment kinds 0..63");
    int kind = 0;
    for (const wchar_t* name : names)
        gAssignmentKindNames[kind++] = name;
}

void FillAssignButtonNumbers()
{
    // Button numbers are not in item order: the scroll up/down buttons (ids 18, 19) are 10 and 11,
    // and number 24 is never used.
    static const int numbers[] = {
        1, 2, 3, 10, 11, 4, 5, 6, 7, 8, 9,                 // ids 15..25
        12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,    // ids 26..37
        25, 26,                                            // ids 38..39
    };
    static_assert(sizeof(numbers) / sizeof(numbers[0]) == 25, "assignment buttons 15..39");
    int id = 15;
    for (int number : numbers)
        gAssignButtonNumbers[id++] = number;
}

void FillSkinResourceNames()
{
    int id = 0;
    for (const wchar_t* name : kSkinNamesLow) {
        if (name != nullptr)
            gSkinResourceNames[id] = name;
        ++id;
    }
    for (int i = 0; i < kKeyCount; ++i)
        gSkinResourceNames[kFirstKeyButtonId + i] = std::wstring(L"BUTTON_KB_") + kKeySuffixes[i];
    id = kFirstKeyBitmapId;
    for (const wchar_t* suffix : kKeySuffixes) {
        if (std::wstring(suffix) != kKeyWithoutBitmap)
            gSkinResourceNames[id++] = std::wstring(L"BITMAP_KB_") + suffix;
    }
    id = kFirstHighSkinId;
    for (const wchar_t* name : kSkinNamesHigh)
        gSkinResourceNames[id++] = name;
}

void FillKeyLabels()
{
    static const struct { int vk; const wchar_t* label; } labels[] = {
        {0x08, L"BkSp"}, {0x09, L"Tab"}, {0x0C, L"Clr"}, {0x0D, L"Ret"}, {0x10, L"Shft"},
        {0x11, L"Ctrl"}, {0x12, L"Alt"}, {0x13, L"Pause"}, {0x14, L"CpLk"}, {0x1B, L"Esc"},
        {0x20, L"Spc"}, {0x21, L"PgUp"}, {0x22, L"PgDn"}, {0x23, L"End"}, {0x24, L"Home"},
        {0x25, L"Lft"}, {0x26, L"Up"}, {0x27, L"Rht"}, {0x28, L"Dn"}, {0x29, L"Select"},
        {0x2A, L"Prnt"}, {0x2B, L"Exe"}, {0x2C, L"Print"}, {0x2D, L"Ins"}, {0x2E, L"Del"},
        {0x2F, L"Hlp"}, {0x5B, L"LWin"}, {0x5C, L"RWin"}, {0x5D, L"Apps"},
        {0x6A, L"Num*"}, {0x6B, L"Num+"}, {0x6C, L"NumRet"}, {0x6D, L"Num-"}, {0x6E, L"Num."},
        {0x6F, L"Num/"}, {0x90, L"Numl"}, {0x91, L"Scrl"}, {0xA0, L"LShft"}, {0xA1, L"RShft"},
        {0xA2, L"LCtrl"}, {0xA3, L"RCtrl"}, {0xA4, L"LAlt"}, {0xA5, L"RAlt"}, {0xA6, L"Backward"},
        {0xA7, L"Forward"},
    };
    for (const auto& entry : labels)
        gKeyLabels[entry.vk] = entry.label;
    for (int digit = 0; digit <= 9; ++digit)
        gKeyLabels[0x60 + digit] = L"Num" + std::to_wstring(digit);
    for (int n = 1; n <= 17; ++n)
        gKeyLabels[0x70 + n - 1] = L"F" + std::to_wstring(n);
}

void FillVirtualKeyToHidUsage()
{
    static const struct { int vk; int usage; } pairs[] = {
        {0x08, 0x2A}, {0x09, 0x2B}, {0x0D, 0x28}, {0x13, 0x48}, {0x14, 0x39}, {0x1B, 0x29},
        {0x20, 0x2C}, {0x21, 0x4B}, {0x22, 0x4E}, {0x23, 0x4D}, {0x24, 0x4A}, {0x25, 0x50},
        {0x26, 0x52}, {0x27, 0x4F}, {0x28, 0x51}, {0x2A, 0x46}, {0x2D, 0x49}, {0x2E, 0x4C},
        {0x30, 0x27}, {0x5B, 0xE3}, {0x5C, 0xE7}, {0x5D, 0x65}, {0x60, 0x62}, {0x6A, 0x55},
        {0x6B, 0x57}, {0x6C, 0x58}, {0x6D, 0x56}, {0x6E, 0x63}, {0x6F, 0x54}, {0x90, 0x53},
        {0x91, 0x47}, {0xA0, 0xE1}, {0xA1, 0xE5}, {0xA2, 0xE0}, {0xA3, 0xE4}, {0xA4, 0xE2},
        {0xA5, 0xE6}, {0xBA, 0x33}, {0xBB, 0x2E}, {0xBC, 0x36}, {0xBD, 0x2D}, {0xBE, 0x37},
        {0xBF, 0x38}, {0xC0, 0x35}, {0xDB, 0x2F}, {0xDC, 0x31}, {0xDD, 0x30}, {0xDE, 0x34},
    };
    for (const auto& pair : pairs)
        gVirtualKeyToHidUsage[pair.vk] = pair.usage;
    // Runs where both codes advance in step; the HID usages put digit 0 after 9 and keypad 0 after
    // keypad 9, which is why 0x30 and 0x60 are listed singly above.
    struct Run { int firstVk; int lastVk; int firstUsage; };
    static const Run runs[] = {
        {0x31, 0x39, 0x1E},  // 1..9
        {0x41, 0x5A, 0x04},  // A..Z
        {0x61, 0x69, 0x59},  // keypad 1..9
        {0x70, 0x7B, 0x3A},  // F1..F12
    };
    for (const Run& run : runs) {
        for (int vk = run.firstVk; vk <= run.lastVk; ++vk)
            gVirtualKeyToHidUsage[vk] = run.firstUsage + (vk - run.firstVk);
    }
}

void FillColourNames()
{
    gColourNames[RGB(255, 0, 0)] = L"RED";
    gColourNames[RGB(0, 255, 0)] = L"GREEN";
    gColourNames[RGB(1, 116, 6)] = L"GREEN2";
    gColourNames[RGB(1, 71, 9)] = L"GREEN3";
    gColourNames[RGB(0, 30, 2)] = L"GREEN4";
    gColourNames[RGB(0, 0, 255)] = L"BLUE";
    gColourNames[RGB(0, 119, 197)] = L"BLUE2";
    gColourNames[RGB(0, 0, 0)] = L"BLACK";
    gColourNames[RGB(11, 11, 11)] = L"BLACK2";
    gColourNames[RGB(255, 255, 255)] = L"WHITE";
    gColourNames[RGB(58, 58, 58)] = L"DARKGREY";
    gColourNames[RGB(105, 112, 119)] = L"MIDGREY";
    gColourNames[RGB(43, 43, 43)] = L"DARKGREY2";
}

void FillLanguageNames()
{
    // The registry knows no name for the later languages (ids 356..360); they are stored as English,
    // and a name lookup of "English" still finds the default language first.
    static const wchar_t* const names[] = {
        L"English", L"ChineseSimplified", L"ChineseTraditional", L"French", L"FrenchCanadian",
        L"German", L"Korean", L"Russian", L"Japanese", L"Spanish", L"PortugueseBrazil",
        L"English", L"English", L"English", L"English", L"English",
    };
    int id = 345;
    for (const wchar_t* name : names)
        gLanguageNames[id++] = name;
}

void FillListColumnNames()
{
    static const wchar_t* const names[] = {
        L"LCITEM_PROFILECURRENT", L"LCITEM_PROFILEID", L"LCITEM_PROFILENAME", L"LCITEM_PROFILEEXE",
        L"LCITEM_AUTOSWITCH", L"LCITEM_MCREVENT_ICON", L"LCITEM_MCREVENT_DESCRIP",
    };
    int id = 0;
    for (const wchar_t* name : names)
        gListColumnNames[id++] = name;
}

void FillColumnKindNames()
{
    static const wchar_t* const names[] = {
        L"ICON", L"STATIC", L"EDIT", L"COMBO", L"CHECKBOX", L"FILEDIALOG",
    };
    int kind = 0;
    for (const wchar_t* name : names)
        gColumnKindNames[kind++] = name;
}

void FillMacroColumnKindNames()
{
    gMacroColumnKindNames[0] = L"ICON";
    gMacroColumnKindNames[1] = L"STATIC";
}

void FillLayoutCodeMap()
{
    // Device codes 0 and 1 both mean the English layout.
    static const int layoutIds[] = {
        362, 362, 376, 367, 365, 369, 374, 373, 364, 368, 375, 372, 370, 377, 371,
    };
    int code = 0;
    for (int layoutId : layoutIds)
        gLayoutCodeMap[code++] = layoutId;
}

template <typename Key>
int FindKeyByName(const std::map<Key, std::wstring>& table, const std::wstring& name)
{
    for (const auto& entry : table) {
        if (EqualsNoCaseAZ(entry.second, name))
            return static_cast<int>(entry.first);
    }
    return -1;
}

const wchar_t* FindText(const std::map<int, std::wstring>& table, int key)
{
    auto it = table.find(key);
    return it == table.end() ? nullptr : it->second.c_str();
}

} // namespace

const wchar_t* const kMouseButtonNames[kMouseButtonCount] = {
    L"<null>", L"$LeftButton", L"$RightButton", L"$Wheel", L"$RightSideButton1", L"$RightSideButton2",
    L"$LeftSideButton1", L"$LeftSideButton2", L"$CenterButton1", L"$CenterButton2", L"$ScrollUp",
    L"$ScrollDown", L"$ThumbGrid1", L"$ThumbGrid2", L"$ThumbGrid3", L"$ThumbGrid4", L"$ThumbGrid5",
    L"$ThumbGrid6", L"$ThumbGrid7", L"$ThumbGrid8", L"$ThumbGrid9", L"$ThumbGrid10", L"$ThumbGrid11",
    L"$ThumbGrid12", L"$ThumbGrid12", L"$Button4", L"$Button5",
};

void InitNameTables()
{
    FillActionNames();
    FillAssignmentKindNames();
    FillAssignButtonNumbers();
    FillSkinResourceNames();
    FillKeyLabels();
    FillVirtualKeyToHidUsage();
    FillColourNames();
    FillLanguageNames();
    FillListColumnNames();
    FillColumnKindNames();
    FillMacroColumnKindNames();
    FillLayoutCodeMap();
}

const std::map<int, std::wstring>& ActionNames() { return gActionNames; }
const std::map<int, std::wstring>& AssignmentKindNames() { return gAssignmentKindNames; }
const std::map<int, int>& AssignButtonNumbers() { return gAssignButtonNumbers; }
const std::map<int, std::wstring>& SkinResourceNames() { return gSkinResourceNames; }
const std::map<int, std::wstring>& KeyLabels() { return gKeyLabels; }
const std::map<int, int>& VirtualKeyToHidUsage() { return gVirtualKeyToHidUsage; }
const std::map<COLORREF, std::wstring>& ColourNames() { return gColourNames; }
const std::map<int, std::wstring>& LanguageNames() { return gLanguageNames; }
const std::map<int, std::wstring>& ListColumnNames() { return gListColumnNames; }
const std::map<int, std::wstring>& ColumnKindNames() { return gColumnKindNames; }
const std::map<int, std::wstring>& MacroColumnKindNames() { return gMacroColumnKindNames; }
const std::map<int, int>& LayoutCodeMap() { return gLayoutCodeMap; }

int FindActionId(const std::wstring& name) { return FindKeyByName(gActionNames, name); }
int FindSkinResourceId(const std::wstring& name) { return FindKeyByName(gSkinResourceNames, name); }
int FindColourByName(const std::wstring& name) { return FindKeyByName(gColourNames, name); }
int FindLanguageId(const std::wstring& name) { return FindKeyByName(gLanguageNames, name); }
int FindLanguageSettingId(const std::wstring& name)
{
    const int id = FindLanguageId(name);
    if (id != -1)
        return id;
    const int identified = FindSkinResourceId(name);
    return gLanguageNames.count(identified) ? identified : -1;
}
int FindListColumnId(const std::wstring& name) { return FindKeyByName(gListColumnNames, name); }
int FindColumnKind(const std::wstring& name) { return FindKeyByName(gColumnKindNames, name); }
int FindMacroColumnKind(const std::wstring& name) { return FindKeyByName(gMacroColumnKindNames, name); }

const wchar_t* ActionKey(int actionId) { return FindText(gActionNames, actionId); }
const wchar_t* SkinResourceName(int skinId) { return FindText(gSkinResourceNames, skinId); }

const wchar_t* KeyLabel(UINT virtualKey)
{
    // Values above INT_MAX turn negative here, and no key of the table is negative.
    return FindText(gKeyLabels, static_cast<int>(virtualKey));
}

int MapLayoutCode(int deviceLayoutCode)
{
    auto it = gLayoutCodeMap.find(deviceLayoutCode);
    return it == gLayoutCodeMap.end() ? -1 : it->second;
}
