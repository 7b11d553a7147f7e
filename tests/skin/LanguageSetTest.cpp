// The installed languages: every language of the list has a text for every key that English has, with
// English's placeholders and line breaks, and every text the skin draws fits its item in every
// language, measured with the font the language gives the item, which must also have its letters.
#include "SkinSetSupport.h"

#include <cwctype>
#include <map>

#include "skin/BitmapBtn.h"
#include "skin/ListCtrlEx.h"
#include "skin/ListPanelItem.h"
#include "skin/MacroDisplayItem.h"
#include "skin/TextItem.h"

namespace {

// All languages of the list loaded at once, as the tray program loads them.
class LanguageSetTest : public InstalledSkinTest {
protected:
    LanguageSetTest() : InstalledSkinTest(-1) {}

    static std::wstring Name(const CLangTable* table) { return SkinResourceName(table->m_id); }

    // What a translator must carry over: printf and numbered placeholders, and the line breaks.
    static std::multiset<std::wstring> Placeholders(const std::wstring& text)
    {
        std::multiset<std::wstring> found;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\n') {
                found.insert(L"line break");
            } else if (text[i] == L'%' && i + 1 < text.size()) {
                size_t end = i + 1;
                while (end < text.size() && (iswdigit(text[end]) || text[end] == L'.' || text[end] == L'l'))
                    ++end;
                found.insert(text.substr(i, end - i + 1));
                i = end;
            } else if (text[i] == L'{') {
                const size_t end = text.find(L'}', i);
                found.insert(text.substr(i, end == std::wstring::npos ? 1 : end - i + 1));
            }
        }
        return found;
    }

    static int TextWidth(HDC dc, HFONT font, const std::wstring& text)
    {
        HGDIOBJ old = ::SelectObject(dc, font);
        RECT needed = {};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_SINGLELINE | DT_CALCRECT);
        ::SelectObject(dc, old);
        return needed.right;
    }
};

TEST_F(LanguageSetTest, EveryLanguageHasATextForEveryEnglishKeyWithItsPlaceholders)
{
    for (const auto& [id, name] : LanguageNames())
        EXPECT_TRUE(LanguageMap().count(id)) << SkinResourceName(id) << " has no language table";

    for (const auto& [id, table] : LanguageMap()) {
        if (table == m_english)
            continue;
        std::wstring missing;
        for (const auto& [key, english] : m_english->m_pairs) {
            std::wstring text;
            if (!table->LookupText(L"$" + NormalizeTextKey(key), text)) {
                missing += L" " + key;
                continue;
            }
            EXPECT_FALSE(text.empty()) << Name(table) << ": " << testing::PrintToString(key) << " is empty";
            EXPECT_EQ(Placeholders(text), Placeholders(english))
                << Name(table) << ": " << testing::PrintToString(key) << " is " << testing::PrintToString(text);
        }
        EXPECT_TRUE(missing.empty()) << Name(table) << " has no text for" << testing::PrintToString(missing);
    }
}

TEST_F(LanguageSetTest, EveryTextFitsItsItemInEveryLanguage)
{
    // Texts the program completes after loading: the versions follow their labels.
    const std::map<std::wstring, std::wstring> completions = {{L"TEXT_FIRMWAREVER", L": 1.05"},
                                                              {L"TEXT_DRIVERVER", L": 1.00"}};
    HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_TRUE(dc);
    int measured = 0;
    for (const auto& [id, table] : LanguageMap()) {
        SetCurrentLangTable(table);
        for (const std::wstring& file : InstalledPanelFiles()) {
            // Popups are whole panels; the configurator's pages are item lists shown inside the main one.
            pugi::xml_document document;
            // The popups and the pages (their lists, labels and buttons; the macros page's events too).
            const pugi::xml_node root = Root(document, file);
            const std::string top = root.name();
            if (top != "GUIPANEL" && file != L"ManageMacros.xml" &&
                !(top == "ITEMLIST" && (root.child("TEXTLIST") || root.child("BUTTONLIST"))))
                continue;
            ASSERT_TRUE(LoadPanel(file)) << testing::PrintToString(file);
            for (CGUIItem* item : m_items) {
                std::wstring text;
                CFont* font = nullptr;
                UINT format = 0;
                HWND window = nullptr;
                if (auto* display = dynamic_cast<CMacroDisplayItem*>(item)) {
                    // The rows that name a mouse button, drawn bold in the description column.
                    LOGFONTW lf = {};
                    ASSERT_TRUE(display->m_font && ::GetObjectW(*display->m_font, sizeof(lf), &lf));
                    lf.lfWeight = FW_BOLD;
                    HFONT bold = ::CreateFontIndirectW(&lf);
                    HGDIOBJ old = ::SelectObject(dc, bold);
                    const int width = display->GetColumnWidth(1);
                    for (uint32_t button : {1u, 2u, 3u, 25u, 26u}) {
                        for (uint8_t state : {kMacroPressed, kMacroReleased}) {
                            const std::wstring row = MacroEventText(MakeMouseButtonEvent(button, state));
                            RECT needed = {0, 0, width, 0};
                            ::DrawTextW(dc, row.c_str(), -1, &needed, DT_SINGLELINE | DT_CALCRECT);
                            EXPECT_LE(needed.right, width) << testing::PrintToString(Name(table) + L" event row: " + row);
                            ++measured;
                        }
                    }
                    ::SelectObject(dc, old);
                    ::DeleteObject(bold);
                    continue;
                }
                SIZE inset = {};
                if (auto* label = dynamic_cast<CTextItem*>(item)) {
                    text = label->m_text, font = label->m_font, format = label->m_drawTextFormat, window = label->m_hWnd;
                    if (!format)
                        inset = {CTextItem::kInsetX, CTextItem::kInsetY};
                } else if (auto* button = dynamic_cast<CBitmapBtn*>(item)) {
                    text = button->m_caption, font = button->m_font, format = button->m_drawTextFormat, window = button->m_hWnd;
                } else if (auto* menu = dynamic_cast<CListPanelItem*>(item)) {
                    // A menu's entries, each after the border drawn twice and the text's inset on its left
                    // and the border once on its right.
                    for (const ListEntry& entry : menu->m_entries) {
                        const std::wstring shown = TranslateText(entry.text);
                        const std::string where = testing::PrintToString(Name(table) + L" " + file + L" " +
                                                                         SkinResourceName(item->m_id) + L": " + shown);
                        ASSERT_TRUE(menu->m_font) << where << " has no font";
                        EXPECT_LE(TextWidth(dc, *menu->m_font, shown), menu->m_width - 3 * menu->m_borderWidth - CListPanelItem::kMenuTextInset)
                            << where << " is too wide";
                        ++measured;
                    }
                    // A menu's row is its font's height, one and its padding: every entry shows without
                    // scrolling.
                    TEXTMETRICW metrics = {};
                    HGDIOBJ old = ::SelectObject(dc, *menu->m_font);
                    ::GetTextMetricsW(dc, &metrics);
                    ::SelectObject(dc, old);
                    const int row = metrics.tmHeight + 1 + CListPanelItem::kMenuRowPadding;
                    EXPECT_LE(static_cast<int>(menu->m_entries.size()) * row + 2 * menu->m_borderWidth,
                              menu->m_defaultHeight)
                        << testing::PrintToString(Name(table) + L" " + file + L" " + SkinResourceName(item->m_id))
                        << " is too short for its entries";
                } else if (auto* list = dynamic_cast<CXListCtrl*>(item)) {
                    // The column headings, each between the margins of its column.
                    const HWND header = ListView_GetHeader(list->m_hWnd);
                    auto headerFont = reinterpret_cast<HFONT>(::SendMessageW(header, WM_GETFONT, 0, 0));
                    ASSERT_TRUE(headerFont) << testing::PrintToString(Name(table) + L" " + file) << ": a list heading has no font";
                    for (int column = 0; column < Header_GetItemCount(header); ++column) {
                        wchar_t caption[128] = {};
                        HDITEMW heading = {};
                        heading.mask = HDI_WIDTH | HDI_TEXT;
                        heading.pszText = caption;
                        heading.cchTextMax = 127;
                        ASSERT_TRUE(Header_GetItem(header, column, &heading));
                        const std::wstring shown = TranslateText(caption);
                        EXPECT_LE(TextWidth(dc, headerFont, shown), heading.cxy - 2 * list->m_header.m_margin)
                            << testing::PrintToString(Name(table) + L" " + file + L" " + SkinResourceName(item->m_id) +
                                                      L": " + shown)
                            << " is too wide";
                        ++measured;
                    }
                }
                if (text.empty())
                    continue;
                auto completion = completions.find(SkinResourceName(item->m_id));
                if (completion != completions.end())
                    text += completion->second;
                const std::string where = testing::PrintToString(Name(table) + L" " + file + L" " +
                                                                 SkinResourceName(item->m_id) + L": " + text);
                ASSERT_TRUE(font) << where << " has no font";
                RECT client = {};
                ::GetClientRect(window, &client);
                client.right -= inset.cx, client.bottom -= inset.cy;
                HGDIOBJ old = ::SelectObject(dc, *font);
                std::vector<WORD> glyphs(text.size());
                ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
                EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0xFFFF), 0) << where << ": the font lacks letters";
                // As the item draws it, without the ellipses that would hide an overflow.
                RECT needed = {0, 0, client.right, 0};
                const UINT calc = (format ? format : DT_SINGLELINE) & ~(DT_MODIFYSTRING | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);
                ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, calc | DT_CALCRECT);
                ::SelectObject(dc, old);
                EXPECT_LE(needed.right, client.right) << where << " is too wide";
                EXPECT_LE(needed.bottom, client.bottom) << where << " is too tall";
                ++measured;
            }
        }
    }
    ::DeleteDC(dc);
    EXPECT_GT(measured, 16 * 40) << "too few texts were found to measure";
}

TEST_F(LanguageSetTest, DelayRowsReadWithTheLanguagesDecimalMarkAndSecondsUnit)
{
    const std::map<std::wstring, std::wstring> expected = {
        {L"LANGUAGE_DEFAULT", L"0.250 s"}, {L"LANGUAGE_GERMAN", L"0,250 s"}, {L"LANGUAGE_RUSSIAN", L"0,250 с"},
        {L"LANGUAGE_JAPANESE", L"0.250 秒"}, {L"LANGUAGE_GREEK", L"0,250 δευτ."}};
    for (const auto& [id, table] : LanguageMap()) {
        SetCurrentLangTable(table);
        // A mark of more than one letter would be ignored, and the row would keep the point.
        EXPECT_EQ(1u, TranslateText(L"$decimalmark").size()) << testing::PrintToString(Name(table));
        auto wanted = expected.find(Name(table));
        if (wanted != expected.end()) {
            EXPECT_EQ(wanted->second, MacroEventText(MakeDelayEvent(250)));
        }
    }
}

} // namespace
