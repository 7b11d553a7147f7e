// Language tables: parsing language text files, translating keys, overrides and the LANG element reader.
#include "skin/LangTable.h"

#include <cstdint>
#include <cstring>
#include <set>

#include "model/NameTables.h"
#include "model/TextCompare.h"
#include "skin/SkinResources.h"

namespace {

// Keys are compared as fixed 60-character buffers: 59 characters and the terminator.
constexpr size_t kKeyCompareLength = 60;
constexpr size_t kMaxKeyLength = kKeyCompareLength - 1;

constexpr int kFirstLanguageId = 345;
constexpr int kLastLanguageId = 360;

int gSelectedLanguageId = -1;
CLangTable* gCurrentTable = nullptr;

// Character i of a text read as a C string: 0 past its end.
wchar_t CharAt(const std::wstring& text, size_t i)
{
    return i < text.size() ? text[i] : L'\0';
}

// Compares two texts as C strings over at most `count` characters, folding A-Z only.
bool EqualsUpTo(const std::wstring& a, const std::wstring& b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        wchar_t ca = FoldAZ(CharAt(a, i));
        wchar_t cb = FoldAZ(CharAt(b, i));
        if (ca != cb)
            return false;
        if (ca == L'\0')
            return true;
    }
    return true;
}

std::wstring Trim(const std::wstring& text)
{
    const wchar_t* blanks = L" \t\r\n\v\f";
    std::wstring::size_type first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::wstring Wide(const char* utf8)
{
    return pugi::as_wide(utf8 ? utf8 : "");
}

// Override data for a text: the characters and their terminator.
void AddTextOverride(CLangTable& table, int itemId, const std::wstring& name, const std::wstring& value)
{
    AddOverride(table, itemId, name, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

size_t AttributeCount(const pugi::xml_node& element)
{
    size_t count = 0;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute())
        ++count;
    return count;
}

void ReadLangFont(CLangTable& table, const pugi::xml_node& element)
{
    int search = FindSkinResourceId(Wide(element.attribute("fontsearch").value()));
    int replace = FindSkinResourceId(Wide(element.attribute("fontreplace").value()));
    if (search != -1 && replace != -1)
        table.m_fontReplacements[search] = replace;
}

void ReadLangOverride(CLangTable& table, const pugi::xml_node& element)
{
    const size_t count = AttributeCount(element);
    if (count == 2) {
        pugi::xml_attribute name = element.attribute("name");
        if (!name)
            return;
        pugi::xml_attribute value = element.first_attribute();
        while (value && std::strcmp(value.name(), "name") == 0)
            value = value.next_attribute();
        if (!value)
            return;
        int itemId = FindSkinResourceId(Wide(name.value()));
        if (itemId == -1)
            return;
        AddTextOverride(table, itemId, Wide(value.name()), Wide(value.value()));
        return;
    }
    if (count != 1)
        return;

    int itemId = FindSkinResourceId(Wide(element.first_attribute().value()));
    if (itemId == -1)
        return;
    if (pugi::xml_node rect = element.child("RECT")) {
        const std::int32_t values[4] = {rect.attribute("left").as_int(0), rect.attribute("top").as_int(0),
                                        rect.attribute("right").as_int(0), rect.attribute("bottom").as_int(0)};
        AddOverride(table, itemId, L"RECT", values, sizeof(values));
        return;
    }
    static const char* const kStateImages[] = {"SBMN", "SBMO", "SBMD", "SBMDS", "SBMM"};
    for (const char* state : kStateImages) {
        if (pugi::xml_node child = element.child(state))
            AddTextOverride(table, itemId, Wide(state), Trim(Wide(child.child_value())));
    }
}

} // namespace

CLangTable::CLangTable()
{
    m_type = SkinItemType::LangTable;
    m_window = nullptr;
}

CLangTable::~CLangTable()
{
    if (gCurrentTable == this)
        gCurrentTable = nullptr;
    std::map<int, CLangTable*>& map = LanguageMap();
    for (auto it = map.begin(); it != map.end();) {
        if (it->second == this)
            it = map.erase(it);
        else
            ++it;
    }
}

std::wstring NormalizeTextKey(const std::wstring& key)
{
    std::wstring result;
    for (wchar_t c : key) {
        if (c == L'\0' || c == L'\r' || c == L'\n' || result.size() == kMaxKeyLength)
            break;
        if (c != L' ')
            result += c;
    }
    return result;
}

bool CLangTable::LookupText(const std::wstring& text, std::wstring& result) const
{
    if (text.size() > 1 && text[0] == L'$') {
        const std::wstring wanted = text.substr(1);
        for (const auto& pair : m_pairs) {
            if (EqualsUpTo(NormalizeTextKey(pair.first), wanted, kKeyCompareLength)) {
                result = pair.second;
                return true;
            }
        }
    } else if (text.size() > 1 && text[0] == L'#') {
        const std::wstring prefix = text.substr(1);
        for (const auto& pair : m_pairs) {
            const std::wstring key = NormalizeTextKey(pair.first);
            if (key.size() >= prefix.size() && EqualsUpTo(key, prefix, prefix.size())) {
                result = pair.second;
                return true;
            }
        }
    }
    result = text;
    return false;
}

bool HasTextForEveryKey(const CLangTable& table, const wchar_t* const* keys, size_t count)
{
    // Keys as "$" lookups match them: without spaces, cut, A-Z folded.
    auto folded = [](const std::wstring& key) {
        std::wstring result = NormalizeTextKey(key);
        for (wchar_t& c : result)
            c = FoldAZ(c);
        return result;
    };
    std::set<std::wstring> present;
    for (const auto& pair : table.m_pairs)
        present.insert(folded(pair.first));
    for (size_t k = 0; k < count; ++k) {
        if (!present.count(folded(keys[k])))
            return false;
    }
    return true;
}

bool ParseLanguageText(CLangTable& table, const BYTE* data, size_t sizeInBytes)
{
    if (!data)
        return false;
    // Whole code units only: a trailing odd byte is not half of a character to be read.
    const size_t units = sizeInBytes / 2;
    auto unitAt = [data](size_t i) { return static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8)); };

    int pairsRead = 0;
    std::wstring key;
    size_t lineNumber = 0;
    size_t pos = 0;
    while (pos < units) {
        std::wstring line;
        bool terminated = false;  // the stored texts are C strings: a NUL ends the line's text
        for (; pos < units && unitAt(pos) != L'\r'; ++pos) {
            wchar_t c = unitAt(pos);
            if (c == L'\0')
                terminated = true;
            if (!terminated)
                line += c;
        }
        while (pos < units && (unitAt(pos) == L'\r' || unitAt(pos) == L'\n'))
            ++pos;

        if (lineNumber == 0) {
            table.m_title = line;
        } else if (lineNumber >= 2) {
            if (EqualsNoCaseAZ(line, L"END OF FILE"))
                break;
            if (lineNumber % 2 == 0) {
                key = line;
            } else {
                table.m_pairs.emplace_back(key, line);
                ++table.m_pairCount;
                ++pairsRead;
            }
        }
        ++lineNumber;
    }
    return pairsRead > 0;
}

void AddOverride(CLangTable& table, int itemId, const std::wstring& name, const void* data, size_t size)
{
    LangOverride record;
    record.itemId = itemId;
    record.name = name;
    if (data && size)
        record.data.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    table.m_overrides.push_back(std::move(record));
}

const LangOverride* FindOverride(const CLangTable* table, int itemId, const std::wstring& name)
{
    if (!table)
        return nullptr;
    for (const LangOverride& record : table->m_overrides) {
        if (record.itemId == itemId && EqualsNoCaseAZ(record.name, name))
            return &record;
    }
    return nullptr;
}

bool OverrideText(const CLangTable* table, int itemId, const std::wstring& name, std::wstring& text)
{
    const LangOverride* record = FindOverride(table, itemId, name);
    if (!record)
        return false;
    text.clear();
    for (size_t i = 0; i + 1 < record->data.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(record->data[i] | (record->data[i + 1] << 8));
        if (c == L'\0')
            break;
        text += c;
    }
    return true;
}

bool OverrideRect(const CLangTable* table, int itemId, RECT& rc)
{
    const LangOverride* record = FindOverride(table, itemId, L"RECT");
    std::int32_t values[4];
    if (!record || record->data.size() != sizeof(values))
        return false;
    std::memcpy(values, record->data.data(), sizeof(values));
    rc.left = values[0];
    rc.top = values[1];
    rc.right = values[2];
    rc.bottom = values[3];
    return true;
}

int SelectedLanguageId()
{
    return gSelectedLanguageId;
}

void SetSelectedLanguageId(int id)
{
    gSelectedLanguageId = id;
}

std::map<int, CLangTable*>& LanguageMap()
{
    static std::map<int, CLangTable*> map;
    return map;
}

CLangTable* CurrentLangTable()
{
    return gCurrentTable;
}

void SetCurrentLangTable(CLangTable* table)
{
    gCurrentTable = table;
}

void RegisterLanguageTable(CLangTable* table)
{
    if (table && table->m_id >= kFirstLanguageId && table->m_id <= kLastLanguageId)
        LanguageMap()[table->m_id] = table;
}

std::wstring TranslateText(const std::wstring& text)
{
    std::wstring result = text;
    if (const CLangTable* table = CurrentLangTable())
        table->LookupText(text, result);
    return result;
}

std::wstring CaptionText(const std::wstring& text, int caps)
{
    std::wstring caption = TranslateText(text);
    // The break goes in before the case changes: upper case would turn the mark into "\N", and the
    // text would lose its line break.
    const size_t at = caption.find(L"\\n");
    if (at != std::wstring::npos)
        caption.replace(at, 2, L"\r\n");
    if (!caption.empty()) {
        if (caps == 2)
            ::CharLowerBuffW(&caption[0], static_cast<DWORD>(caption.size()));
        else if (caps == 1)
            ::CharUpperBuffW(&caption[0], static_cast<DWORD>(caption.size()));
    }
    return caption;
}

CGUIItem* ReadLangElement(const pugi::xml_node& element, CWnd* parent, SkinItemList& list,
                          std::wstring* damagedFile)
{
    int id = FindSkinResourceId(Wide(element.attribute("name").value()));
    if (id == -1)
        return nullptr;
    std::wstring file = Trim(Wide(element.attribute("file").value()));
    if (file.empty())
        return nullptr;
    auto damaged = [&] {
        if (damagedFile && damagedFile->empty())
            *damagedFile = L"lang\\" + file;
    };
    const SkinResource* resource = FindSkinResource(file, kSkinLanguageData);
    if (!resource->Loaded()) {
        damaged();
        return nullptr;
    }

    CLangTable* table = new CLangTable();
    table->m_id = id;
    table->m_owner = parent;
    table->m_file = file;
    if (!ParseLanguageText(*table, resource->Buffer(),
                           static_cast<size_t>(GetSkinResourceSize(file, kSkinLanguageData))))
        damaged();

    for (pugi::xml_node font = element.child("LANGFONT"); font; font = font.next_sibling("LANGFONT"))
        ReadLangFont(*table, font);
    for (pugi::xml_node item = element.child("LANGOVERRIDE"); item; item = item.next_sibling("LANGOVERRIDE"))
        ReadLangOverride(*table, item);
    return table;
}
