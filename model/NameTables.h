// The process-wide name tables shared by the configurator and the tray program: they turn the words used
// in skin files, language files, the registry and the device service into the integer ids of the code,
// and back. InitNameTables fills them once at start-up; afterwards they are only read, on the UI thread.
#pragma once

#include <windows.h>

#include <map>
#include <string>

// Filling is set-or-replace by key, so calling it again leaves the same contents.
void InitNameTables();

// Read access to the tables, each ordered by ascending key. They are empty until InitNameTables runs.
const std::map<int, std::wstring>& ActionNames();          // action id 1..17 -> language key
const std::map<int, std::wstring>& AssignmentKindNames();  // assignment kind 0..63 -> language key
const std::map<int, int>& AssignButtonNumbers();           // assignment-button skin id -> button number
const std::map<int, std::wstring>& SkinResourceNames();    // skin item id -> skin identifier
const std::map<int, std::wstring>& KeyLabels();            // virtual-key code -> short key label
const std::map<int, int>& VirtualKeyToHidUsage();          // virtual-key code -> HID keyboard usage id
const std::map<COLORREF, std::wstring>& ColourNames();     // colour -> name used in skin colour attributes
const std::map<int, std::wstring>& LanguageNames();        // language id -> registry language name
const std::map<int, std::wstring>& ListColumnNames();      // list-column id -> identifier
const std::map<int, std::wstring>& ColumnKindNames();      // list cell kind -> name
const std::map<int, std::wstring>& MacroColumnKindNames(); // macro display cell kind -> name
const std::map<int, int>& LayoutCodeMap();                 // device layout code -> keyboard layout id

// Mouse-button code 0..26 to the language key of the button's name. Constant data, usable before
// InitNameTables. Codes 23 and 24 share one key.
constexpr int kMouseButtonCount = 27;
extern const wchar_t* const kMouseButtonNames[kMouseButtonCount];

// Name-to-id lookups. Each walks its table in ascending key order and returns the key of the first value
// equal to the whole name under EqualsNoCaseAZ (no trimming, no prefix match), or -1 when none is.
int FindActionId(const std::wstring& name);
int FindSkinResourceId(const std::wstring& name);
int FindLanguageId(const std::wstring& name);
// The language id that the registry's "Language" value names: a name of LanguageNames(), or, for the
// languages whose name there is "English" (Thai, Nordic, UK, Turkish, Greek), the language's skin
// identifier (LANGUAGE_THAI ...), which an installer can write for them. -1 for anything else.
int FindLanguageSettingId(const std::wstring& name);
int FindListColumnId(const std::wstring& name);
int FindColumnKind(const std::wstring& name);
int FindMacroColumnKind(const std::wstring& name);

// The colour named in a skin attribute, or -1. Colours never exceed 0x00FFFFFF, so they fit an int
// without reaching -1: callers test for -1 and then convert the result to COLORREF.
int FindColourByName(const std::wstring& name);

// Id-to-value lookups; null or -1 when the key has no entry. The returned texts live as long as the tables.
const wchar_t* ActionKey(int actionId);
const wchar_t* SkinResourceName(int skinId);
const wchar_t* KeyLabel(UINT virtualKey);
int MapLayoutCode(int deviceLayoutCode);
