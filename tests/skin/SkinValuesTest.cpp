// Tests of the value readers shared by the skin element readers, and of the FONT element reader:
// attribute rules, language overrides, font selection and the images named by child elements.
#include "skin/SkinValues.h"

#include "SkinLoaderTestSupport.h"

#include "framework/Gdi.h"
#include "skin/FontItem.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <memory>
#include <string>

namespace {

// The first element of an XML text.
class Xml {
public:
    explicit Xml(const char* text) { EXPECT_TRUE(m_document.load_string(text)) << text; }
    pugi::xml_node Root() const { return m_document.first_child(); }

private:
    pugi::xml_document m_document;
};

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A language table made in the test and made current; deleted with m_languages.
class SkinValuesTest : public SkinFolderTest {
protected:
    CLangTable& CurrentTable()
    {
        auto* table = new CLangTable();
        table->m_id = 345;
        m_languages.push_back(table);
        SetCurrentLangTable(table);
        return *table;
    }
    static void AddText(CLangTable& table, int itemId, const wchar_t* name, const std::wstring& text)
    {
        AddOverride(table, itemId, name, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    // A FONT item of the list with that identifier.
    CFontItem* AddFont(const char* name)
    {
        const std::string xml = std::string("<FONT name=\"") + name + "\" typeface=\"Arial\" pitch=\"12\"/>";
        Xml element(xml.c_str());
        CFontItem* font = ReadFontElement(element.Root(), nullptr);
        EXPECT_NE(nullptr, font) << name;
        if (font)
            m_list.push_back(font);
        return font;
    }
};

TEST_F(SkinValuesTest, ItemIdsAndRectangles)
{
    EXPECT_EQ(0, ReadItemId(Xml("<E name='background'/>").Root()));  // identifiers ignore case
    EXPECT_EQ(303, ReadItemId(Xml("<E name='TEXT_LOGO'/>").Root()));
    EXPECT_EQ(-1, ReadItemId(Xml("<E name='NO_SUCH_THING'/>").Root()));
    EXPECT_EQ(-1, ReadItemId(Xml("<E Name='TEXT_LOGO'/>").Root()));  // attribute names are exact

    Xml element("<E><RECT left='10' top='20' right='100' bottom='30'/></E>");
    EXPECT_TRUE(SameRect({10, 20, 110, 50}, ReadItemRect(element.Root(), 303, kRectWidthHeight)));
    EXPECT_TRUE(SameRect({10, 20, 100, 30}, ReadItemRect(element.Root(), 303, kRectAsIs)));
    EXPECT_TRUE(SameRect({0, 0, 0, 0}, ReadItemRect(Xml("<E/>").Root(), 303, kRectWidthHeight)));
    EXPECT_TRUE(SameRect({0, 5, 0, 5}, ReadItemRect(Xml("<E><RECT top=' 5'/></E>").Root(), 303, kRectWidthHeight)));
    // Sums beyond the int range saturate instead of wrapping to negative coordinates.
    Xml huge("<E><RECT left='2147483000' top='-2147483000' right='1000' bottom='-1000'/></E>");
    EXPECT_TRUE(SameRect({2147483000, -2147483000, INT_MAX, INT_MIN},
                         ReadItemRect(huge.Root(), 303, kRectWidthHeight)));

    // The language's rectangle replaces the file's and is read in the same mode.
    CLangTable& table = CurrentTable();
    const int32_t values[4] = {1, 2, 3, 4};
    AddOverride(table, 303, L"RECT", values, sizeof(values));
    EXPECT_TRUE(SameRect({1, 2, 4, 6}, ReadItemRect(element.Root(), 303, kRectWidthHeight)));
    EXPECT_TRUE(SameRect({1, 2, 3, 4}, ReadItemRect(element.Root(), 303, kRectAsIs)));
    EXPECT_TRUE(SameRect({10, 20, 110, 50}, ReadItemRect(element.Root(), 304, kRectWidthHeight)));
}

TEST_F(SkinValuesTest, TextAttributeRules)
{
    EXPECT_EQ(0, ReadCaps(Xml("<E caps='lower'/>").Root(), 303));  // only upper-case letters count
    EXPECT_EQ(2, ReadCaps(Xml("<E caps='Lower'/>").Root(), 303));
    EXPECT_EQ(1, ReadCaps(Xml("<E caps='U'/>").Root(), 303));
    EXPECT_EQ(0, ReadCaps(Xml("<E caps=''/>").Root(), 303));
    EXPECT_EQ(0, ReadCaps(Xml("<E/>").Root(), 303));

    EXPECT_EQ(L'C', ReadJustify(Xml("<E justify='Centre'/>").Root()));
    EXPECT_EQ(L'R', ReadJustify(Xml("<E justify='R'/>").Root()));
    EXPECT_EQ(L'L', ReadJustify(Xml("<E justify='c'/>").Root()));
    EXPECT_EQ(L'L', ReadJustify(Xml("<E/>").Root()));

    EXPECT_TRUE(ReadMultiline(Xml("<E multiline='1'/>").Root(), 303));
    EXPECT_FALSE(ReadMultiline(Xml("<E multiline='2'/>").Root(), 303));
    EXPECT_FALSE(ReadMultiline(Xml("<E multiline='true'/>").Root(), 303));
    EXPECT_FALSE(ReadMultiline(Xml("<E/>").Root(), 303));

    for (const char* yes : {"1", "t", "True", "y", "Yes"}) {
        const std::string xml = std::string("<E ischeckbox='") + yes + "' interactive='" + yes + "'/>";
        EXPECT_TRUE(ReadCheckboxFlag(Xml(xml.c_str()).Root())) << yes;
        EXPECT_TRUE(ReadInteractiveFlag(Xml(xml.c_str()).Root())) << yes;
    }
    for (const char* no : {"o", "0", "false", "n", ""}) {
        const std::string xml = std::string("<E ischeckbox='") + no + "' interactive='" + no + "'/>";
        EXPECT_FALSE(ReadCheckboxFlag(Xml(xml.c_str()).Root())) << no;
        EXPECT_FALSE(ReadInteractiveFlag(Xml(xml.c_str()).Root())) << no;
    }
    EXPECT_FALSE(ReadCheckboxFlag(Xml("<E/>").Root()));

    // Overrides of caps and multiline take the place of the attribute; justify has none.
    CLangTable& table = CurrentTable();
    AddText(table, 303, L"caps", L"L");
    AddText(table, 303, L"multiline", L"0");
    AddText(table, 303, L"justify", L"R");
    Xml element("<E caps='U' multiline='1' justify='C'/>");
    EXPECT_EQ(2, ReadCaps(element.Root(), 303));
    EXPECT_FALSE(ReadMultiline(element.Root(), 303));
    EXPECT_EQ(L'C', ReadJustify(element.Root()));
    EXPECT_EQ(1, ReadCaps(element.Root(), 304));
    EXPECT_TRUE(ReadMultiline(element.Root(), 304));
}

TEST_F(SkinValuesTest, ColoursAndElementText)
{
    COLORREF colour = 123;
    EXPECT_FALSE(ReadColourAttribute(Xml("<E/>").Root(), "fontclr", colour));
    EXPECT_EQ(123u, colour);
    EXPECT_TRUE(ReadColourAttribute(Xml("<E fontclr='NOSUCHCOLOUR'/>").Root(), "fontclr", colour));
    EXPECT_EQ(0xFFFFFFFFu, colour);
    EXPECT_TRUE(ReadColourAttribute(Xml("<E backclr='red'/>").Root(), "backclr", colour));
    EXPECT_EQ(RGB(255, 0, 0), colour);
    EXPECT_TRUE(ReadColourAttribute(Xml("<E bdrclr='BLACK'/>").Root(), "bdrclr", colour));
    EXPECT_EQ(RGB(0, 0, 0), colour);

    EXPECT_EQ(L"a.bmp", ElementText(Xml("<E><X/>a.bmp</E>").Root()));
    EXPECT_EQ(L" b.bmp ", ElementText(Xml("<E><![CDATA[ b.bmp ]]></E>").Root()));
    EXPECT_EQ(L"", ElementText(Xml("<E><X>inner</X></E>").Root()));
    EXPECT_EQ(L"f.bmp", TrimmedFileName(L" \t\r\nf.bmp \n"));
    EXPECT_EQ(L"", TrimmedFileName(L"   "));
}

TEST_F(SkinValuesTest, FontsFollowTheLanguage)
{
    CFontItem* arial12 = AddFont("FONT_ARIAL12");  // 248
    CFontItem* arial14 = AddFont("FONT_ARIAL14");  // 250
    CFontItem* arial16 = AddFont("FONT_ARIAL16");  // 252
    ASSERT_TRUE(arial12 && arial14 && arial16);
    struct NotAFont : CGUIItem {
        NotAFont()
        {
            m_id = 253;  // FONT_ARIAL18
            m_type = SkinItemType::TextItem;
        }
    };
    m_list.push_back(new NotAFont());

    Xml uses12("<E fontid='FONT_ARIAL12'/>");
    EXPECT_EQ(arial12, ReadItemFont(uses12.Root(), 303, m_list));
    EXPECT_EQ(nullptr, ReadItemFont(Xml("<E fontid='FONT_ARIAL18'/>").Root(), 303, m_list));  // not type 12
    EXPECT_EQ(nullptr, ReadItemFont(Xml("<E fontid='FONT_NONE'/>").Root(), 303, m_list));
    EXPECT_EQ(nullptr, ReadItemFont(Xml("<E fontid='FONT_ARIAL24B'/>").Root(), 303, m_list));  // not in list
    EXPECT_EQ(nullptr, ReadItemFont(Xml("<E/>").Root(), 303, m_list));

    CLangTable& table = CurrentTable();
    table.m_fontReplacements[248] = 250;
    table.m_fontReplacements[250] = 0;  // 0: no replacement
    EXPECT_EQ(arial14, ReadItemFont(uses12.Root(), 303, m_list));
    EXPECT_EQ(arial14, ReadItemFont(Xml("<E fontid='FONT_ARIAL14'/>").Root(), 303, m_list));

    // A language naming the item's font chooses it outright; naming an unknown font keeps the
    // attribute's font, again without replacement.
    AddText(table, 303, L"FONTID", L"font_arial16");
    AddText(table, 304, L"fontid", L"FONT_UNKNOWN");
    AddText(table, 305, L"fontid", L"FONT_ARIAL16");
    EXPECT_EQ(arial16, ReadItemFont(uses12.Root(), 303, m_list));
    EXPECT_EQ(arial12, ReadItemFont(uses12.Root(), 304, m_list));
    EXPECT_EQ(nullptr, ReadItemFont(Xml("<E/>").Root(), 304, m_list));
    EXPECT_EQ(arial16, ReadItemFont(Xml("<E/>").Root(), 305, m_list));
    EXPECT_EQ(arial14, ReadItemFont(uses12.Root(), 306, m_list));
}

TEST_F(SkinValuesTest, ContainersAreBitmapItemsOnly)
{
    struct Item : CGUIItem {
        Item(int id, int type)
        {
            m_id = id;
            m_type = type;
        }
    };
    auto* container = new Item(229, SkinItemType::BitmapItem);  // BITMAP_KELDAN
    m_list = {new Item(230, SkinItemType::BitmapButton), container};

    EXPECT_EQ(container, FindContainerItem(Xml("<E windowid='bitmap_keldan'/>").Root(), "windowid", m_list));
    EXPECT_EQ(container, FindContainerItem(Xml("<E trackid='BITMAP_KELDAN'/>").Root(), "trackid", m_list));
    EXPECT_EQ(nullptr, FindContainerItem(Xml("<E windowid='BITMAP_ORBAVIEWPLAN'/>").Root(), "windowid", m_list));
    EXPECT_EQ(nullptr, FindContainerItem(Xml("<E windowid='BITMAP_QUARNLOGO'/>").Root(), "windowid", m_list));
    EXPECT_EQ(nullptr, FindContainerItem(Xml("<E windowid='NOPE'/>").Root(), "windowid", m_list));
    EXPECT_EQ(nullptr, FindContainerItem(Xml("<E windowid='BITMAP_KELDAN'/>").Root(), "trackid", m_list));
}

TEST_F(SkinValuesTest, ImagesNamedByChildren)
{
    Write(L"skins\\n.bmp", SolidBmpFile(3, 2, RGB(255, 0, 0)));
    Write(L"skins\\o.bmp", SolidBmpFile(3, 2, RGB(0, 255, 0)));
    Write(L"skins\\alt.bmp", SolidBmpFile(3, 2, RGB(0, 0, 255)));
    Write(L"skins\\t.bmp", SolidBmpFile(1, 1, RGB(1, 2, 3)));

    Xml key("<KBDKEY name='TEXT_LOGO'><RECT left='5' top='6' right='7' bottom='8'/>"
            "<SBMO>o.bmp</SBMO><SBMN>  N.BMP\n</SBMN><SBMD>missing.bmp</SBMD><SBMM></SBMM></KBDKEY>");
    CBitmap* normal = LoadChildBitmap("SBMN", key.Root());
    ASSERT_NE(nullptr, normal);
    EXPECT_EQ(normal, ResolveSkinImage(L"n.bmp"));  // one cache entry, whatever the case or blanks
    EXPECT_EQ(nullptr, LoadChildBitmap("SBMD", key.Root()));
    EXPECT_EQ(nullptr, LoadChildBitmap("SBMDS", key.Root()));
    EXPECT_EQ(nullptr, LoadChildBitmap("sbmn", key.Root()));

    StateBitmaps images;
    EXPECT_TRUE(ReadStateBitmaps(key.Root(), 303, images));
    EXPECT_EQ(normal, images.normal);
    EXPECT_EQ(ResolveSkinImage(L"o.bmp"), images.over);
    EXPECT_EQ(nullptr, images.pressed);
    EXPECT_EQ(nullptr, images.disabled);
    EXPECT_EQ(nullptr, images.mask);
    EXPECT_TRUE(SameRect({5, 6, 12, 14}, images.rect));

    // Without SBMN no image is read, not even those present.
    Xml noNormal("<KBDKEY><SBMO>o.bmp</SBMO><RECT left='1'/></KBDKEY>");
    EXPECT_FALSE(ReadStateBitmaps(noNormal.Root(), 303, images));
    EXPECT_EQ(nullptr, images.over);
    EXPECT_TRUE(SameRect({1, 0, 1, 0}, images.rect));
    Xml badNormal("<KBDKEY><SBMN>missing.bmp</SBMN><SBMO>o.bmp</SBMO></KBDKEY>");
    EXPECT_FALSE(ReadStateBitmaps(badNormal.Root(), 303, images));
    EXPECT_NE(nullptr, images.over);

    CLangTable& table = CurrentTable();
    AddText(table, 303, L"SBMN", L" alt.bmp ");
    EXPECT_EQ(ResolveSkinImage(L"alt.bmp"), ReadStateBitmap(key.Root(), 303, "SBMN"));
    EXPECT_EQ(normal, ReadStateBitmap(key.Root(), 304, "SBMN"));
    EXPECT_EQ(images.over, ReadStateBitmap(key.Root(), 303, "SBMO"));

    ScrollBarBitmaps bars;
    ReadScrollBarBitmaps(Xml("<LISTCTRL><VSBMP_TMB>t.bmp</VSBMP_TMB></LISTCTRL>").Root(), bars);
    EXPECT_EQ(nullptr, bars.thumb);  // only inside VSCROLL
    ReadScrollBarBitmaps(Xml("<LISTCTRL><VSCROLL><VSBMP_TMB>t.bmp</VSBMP_TMB>"
                             "<VSBMP_TOP>n.bmp</VSBMP_TOP></VSCROLL></LISTCTRL>")
                             .Root(),
                         bars);
    EXPECT_EQ(ResolveSkinImage(L"t.bmp"), bars.thumb);
    EXPECT_EQ(normal, bars.top);
    EXPECT_EQ(nullptr, bars.bottom);
    EXPECT_EQ(nullptr, bars.arrowUp);
    EXPECT_EQ(nullptr, bars.arrowDown);
    EXPECT_EQ(nullptr, bars.span);
}

TEST_F(SkinValuesTest, FontElements)
{
    Xml element("<FONT name='FONT_ARIAL14B' typeface='ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn' pitch='14' "
                "boldlevel='700'> private.ttf </FONT>");
    std::unique_ptr<CFontItem> font(ReadFontElement(element.Root(), nullptr));
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(249, font->m_id);
    EXPECT_EQ(SkinItemType::Font, font->m_type);
    EXPECT_EQ(nullptr, font->m_window);
    LOGFONTW lf = {};
    ASSERT_NE(0, font->GetLogFont(&lf));
    EXPECT_EQ(std::wstring(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde"), lf.lfFaceName);
    EXPECT_EQ(14, lf.lfHeight);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(0x20, lf.lfPitchAndFamily);
    EXPECT_EQ(0, lf.lfItalic);
    // The font file is asked of the cache (trimmed) before the font exists, even when it can't load.
    const size_t entries = SkinResourceCount();
    FindSkinResource(L"private.ttf", kSkinFontFile);
    EXPECT_EQ(entries, SkinResourceCount());

    Xml plain("<FONT name='FONT_ARIAL10' pitch='-3' boldlevel='0'/>");
    font.reset(ReadFontElement(plain.Root(), nullptr));
    ASSERT_NE(nullptr, font);
    ASSERT_NE(0, font->GetLogFont(&lf));
    EXPECT_EQ(0, lf.lfHeight);
    EXPECT_EQ(0, lf.lfWeight);
    EXPECT_EQ(entries, SkinResourceCount());  // no text, no font file

    EXPECT_EQ(nullptr, ReadFontElement(Xml("<FONT name='FONT_NONE' pitch='12'/>").Root(), nullptr));
}

} // namespace
