// Language tables: the key/text pairs of a language text file, a font replacement map and per-item
// layout overrides, read from the LANG elements of a skin file; and the program-wide choice of language
// through which every shown text is translated.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "skin/GUIItem.h"

// One per-item override of a skin value for a language. `data` is a zero-terminated wide string
// (attribute values, image file names) or, for "RECT", four int32 left, top, right, bottom.
struct LangOverride {
    int itemId = -1;
    std::wstring name;
    std::vector<BYTE> data;
};

// One language (item type 13). Deleting a table also takes it out of LanguageMap() and, when it is the
// current table, clears CurrentLangTable(), so no pointer to it is left behind.
class CLangTable : public CGUIItem {
public:
    CLangTable();
    ~CLangTable() override;

    std::vector<std::pair<std::wstring, std::wstring>> m_pairs;  // key -> text, in file order
    int m_pairCount = 0;
    std::wstring m_title;                 // line 0 of the language file
    std::wstring m_file;                  // the language file's name, below the lang folder
    std::map<int, int> m_fontReplacements;  // font item id -> replacement font item id
    std::vector<LangOverride> m_overrides;  // in file order

    // "$Key": the text of the first pair whose key, without spaces and cut to 59 characters, equals the
    // text after the "$" up to the case of A-Z. "#Prefix": the text of the first pair whose key so
    // normalised begins with the text after the "#". True when a pair was found; otherwise `result` is
    // the text unchanged and the answer false.
    bool LookupText(const std::wstring& text, std::wstring& result) const;
};

// The key as pairs are matched by: spaces (U+0020) left out, cut at a NUL, CR or LF, at most 59
// characters.
std::wstring NormalizeTextKey(const std::wstring& key);

// True when the table has a text for each of the `count` keys, found as a "$" request finds them.
bool HasTextForEveryKey(const CLangTable& table, const wchar_t* const* keys, size_t count);

// Reads a language text file of UTF-16LE code units: line 0 is the title, line 1 is skipped, then key
// and text lines alternate until "END OF FILE" (any case) or the end of the data. A line ends at a CR;
// the CRs and LFs after it are skipped. Reads only the whole code units within `sizeInBytes`. True when
// at least one pair was added.
bool ParseLanguageText(CLangTable& table, const BYTE* data, size_t sizeInBytes);

// Appends an override with copies of the name and of `size` bytes of data.
void AddOverride(CLangTable& table, int itemId, const std::wstring& name, const void* data, size_t size);
// The first override of the item whose name equals `name` up to the case of A-Z; null without one or
// without a table.
const LangOverride* FindOverride(const CLangTable* table, int itemId, const std::wstring& name);
// The override's data read as a wide string, up to its terminator or the end of the data. False when
// there is no such override.
bool OverrideText(const CLangTable* table, int itemId, const std::wstring& name, std::wstring& text);
// The item's "RECT" override as written (no width/height conversion). False when there is none or its
// data is not exactly four int32.
bool OverrideRect(const CLangTable* table, int itemId, RECT& rc);

// Program-wide language state, used from the UI thread only.
int SelectedLanguageId();  // 345..360, or -1 (keep every language); initially -1
void SetSelectedLanguageId(int id);
std::map<int, CLangTable*>& LanguageMap();  // language id 345..360 -> table; the tables are not owned
CLangTable* CurrentLangTable();              // null: no translation, no overrides
void SetCurrentLangTable(CLangTable* table);
// Enters a table whose id is a language id (345..360) in LanguageMap(), replacing an earlier one of that
// id; other tables are left out.
void RegisterLanguageTable(CLangTable* table);
// The text through the current table, or unchanged without one.
std::wstring TranslateText(const std::wstring& text);
// A caption as widgets show it: translated, its first "\n" (backslash, n) made a line break, then in
// `caps` (1 upper case, 2 lower case, anything else as it is).
std::wstring CaptionText(const std::wstring& text, int caps);

// Reader of a LANG element: a new table (type 13, no window, owned by `parent`) or null when the
// element's name is unknown or its language file has no data. The caller appends it to the list. A text
// file that can't be loaded, or yields no pair, is named in `damagedFile` ("lang\<file>") when that is
// given and still empty.
CGUIItem* ReadLangElement(const pugi::xml_node& element, CWnd* parent, SkinItemList& list,
                          std::wstring* damagedFile = nullptr);
