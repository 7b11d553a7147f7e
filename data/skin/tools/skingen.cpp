// skingen: makes the keyboard pages of the key page from one geometry and one caption table per layout.
//   skingen <Geometry.txt> <captions folder> <KeyboardLayout.xml> <Keyboard.txt> <records file name>
//           <defaults file name> <xml output folder> <svg output folder>
// For every layout of KeyboardLayout.xml it writes the page its kbditems names (a KEYBOARD skin file)
// and one picture source, kbd_<layout>.svg, whose states (normal, over, down) the build renders into
// the keyboard-sized images the page names. Key rectangles and pictures come from the same numbers, so
// they cannot disagree. Runs at build time under the cross-compiling emulator; on any error it names
// the file and line and writes nothing more, so the build stops.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "data/KeyboardDefWriter.h"
#include "data/tools/ToolFiles.h"
#include "model/NameTables.h"

namespace {

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message)
{
    throw Failure{message};
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

std::string ReadText(const std::wstring& path)
{
    std::string text;
    if (!ReadWholeFile(path, text))
        Fail("cannot read " + Narrow(path));
    return text;
}

void WriteText(const std::wstring& path, const std::string& text)
{
    if (!WriteWholeFile(path, text.data(), text.size()))
        Fail("cannot write " + Narrow(path));
}

// The lines of a text that carry something: comments ('#' first) and blank lines are left out.
std::vector<std::pair<int, std::string>> ContentLines(const std::string& text)
{
    std::vector<std::pair<int, std::string>> lines;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = TrimBlanks(line);
        if (!line.empty() && line[0] != '#')
            lines.emplace_back(number, line);
    }
    return lines;
}

double Number(const std::string& text, const std::string& where)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
        Fail(where + ": not a number: " + text);
    return value;
}

// ---- Geometry ----

std::string Fmt(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%.1f", value);
    return buffer;
}


struct PlacedKey {
    std::string suffix;  // skin identifier without BUTTON_KB_
    double x = 0, y = 0, w = 1, h = 1;  // units from the plate's inner edge
};

struct Geometry {
    double unit = 0;
    int gap = 0;
    int margin = 0;
    int placeLeft = 0, placeTop = 0;
    std::map<std::string, std::vector<PlacedKey>> keysByFamily;
    std::set<std::string> families;
};

Geometry ReadGeometry(const std::wstring& path)
{
    static const char* const kFamilies[] = {"ansi", "iso", "jis", "ks", "abnt"};
    Geometry geometry;
    geometry.families.insert(std::begin(kFamilies), std::end(kFamilies));
    std::map<std::string, double> blocks;
    std::map<int, double> rows;
    const std::string file = Narrow(path);

    for (const auto& [number, line] : ContentLines(ReadText(path))) {
        const std::string where = file + ":" + std::to_string(number);
        const size_t bar = line.find('|');
        if (bar == std::string::npos) {
            const std::vector<std::string> words = SplitWords(line);
            if (words[0] == "unit" && words.size() == 2)
                geometry.unit = Number(words[1], where);
            else if (words[0] == "gap" && words.size() == 2)
                geometry.gap = static_cast<int>(Number(words[1], where));
            else if (words[0] == "margin" && words.size() == 2)
                geometry.margin = static_cast<int>(Number(words[1], where));
            else if (words[0] == "place" && words.size() == 3) {
                geometry.placeLeft = static_cast<int>(Number(words[1], where));
                geometry.placeTop = static_cast<int>(Number(words[2], where));
            } else if (words[0] == "block" && words.size() == 3)
                blocks[words[1]] = Number(words[2], where);
            else if (words[0] == "row" && words.size() == 3)
                rows[static_cast<int>(Number(words[1], where))] = Number(words[2], where);
            else
                Fail(where + ": unknown line");
            continue;
        }
        const size_t bar2 = line.find('|', bar + 1);
        if (bar2 == std::string::npos)
            Fail(where + ": expected <variants> | <block> <row> | <keys>");
        std::vector<std::string> variants = SplitWords(line.substr(0, bar));
        const std::vector<std::string> place = SplitWords(line.substr(bar + 1, bar2 - bar - 1));
        const std::vector<std::string> keys = SplitWords(line.substr(bar2 + 1));
        if (place.size() != 2 || !blocks.count(place[0]))
            Fail(where + ": unknown block");
        const int row = static_cast<int>(Number(place[1], where));
        if (!rows.count(row))
            Fail(where + ": unknown row");
        if (variants.size() == 1 && variants[0] == "*")
            variants.assign(std::begin(kFamilies), std::end(kFamilies));
        double x = blocks[place[0]];
        std::vector<PlacedKey> placed;
        for (const std::string& token : keys) {
            if (token[0] == '-') {
                x += Number(token.substr(1), where);
                continue;
            }
            PlacedKey key;
            const size_t colon = token.find(':');
            key.suffix = token.substr(0, colon);
            if (colon != std::string::npos) {
                const std::string size = token.substr(colon + 1);
                const size_t times = size.find('x');
                key.w = Number(size.substr(0, times), where);
                if (times != std::string::npos)
                    key.h = Number(size.substr(times + 1), where);
            }
            key.x = x;
            key.y = rows[row];
            x += key.w;
            placed.push_back(key);
        }
        for (const std::string& family : variants) {
            if (!geometry.families.count(family))
                Fail(where + ": unknown layout family " + family);
            auto& target = geometry.keysByFamily[family];
            target.insert(target.end(), placed.begin(), placed.end());
        }
    }
    if (geometry.unit <= 0)
        Fail(file + ": no unit");
    // Two keys on one spot would hide each other on the page: refuse such a geometry.
    for (const auto& [family, keys] : geometry.keysByFamily) {
        for (size_t i = 0; i < keys.size(); ++i) {
            for (size_t j = i + 1; j < keys.size(); ++j) {
                const PlacedKey& a = keys[i];
                const PlacedKey& b = keys[j];
                const double eps = 1e-6;
                if (a.suffix == b.suffix)
                    Fail(file + ": " + a.suffix + " placed twice in family " + family);
                if (a.x + eps < b.x + b.w && b.x + eps < a.x + a.w && a.y + eps < b.y + b.h && b.y + eps < a.y + a.h)
                    Fail(file + ": " + a.suffix + " and " + b.suffix + " overlap in family " + family + " at " + Fmt(a.x) + "," + Fmt(a.y) + " and " + Fmt(b.x) + "," + Fmt(b.y));
            }
        }
    }
    return geometry;
}

// ---- Captions ----

struct Legends {
    std::string main, lower, third;
};

struct CaptionTable {
    std::string family;
    std::map<std::string, Legends> legends;
};

void ReadCaptionLines(const std::wstring& folder, const std::string& name, CaptionTable& table, int depth)
{
    if (depth > 4)
        Fail(name + ": 'like' chain too long");
    const std::wstring path = folder + L"\\" + Widen(name) + L".txt";
    for (const auto& [number, line] : ContentLines(ReadText(path))) {
        const std::string where = name + ".txt:" + std::to_string(number);
        const std::vector<std::string> words = SplitWords(line);
        if (words[0] == "family" && words.size() == 2) {
            table.family = words[1];
        } else if (words[0] == "like" && words.size() == 2) {
            CaptionTable base;
            ReadCaptionLines(folder, words[1], base, depth + 1);
            for (auto& entry : base.legends)
                table.legends[entry.first] = entry.second;
        } else if (words.size() >= 2 && words.size() <= 4) {
            auto legend = [&](size_t i) { return i < words.size() && words[i] != ".." ? words[i] : std::string(); };
            table.legends[words[0]] = Legends{legend(1), legend(2), legend(3)};
        } else {
            Fail(where + ": expected <key> <legend> [<lower legend> [<third legend>]]");
        }
    }
}

CaptionTable ReadCaptions(const std::wstring& folder, const std::string& page)
{
    CaptionTable table;
    ReadCaptionLines(folder, "Common", table, 0);
    CaptionTable own;
    ReadCaptionLines(folder, page, own, 0);
    for (auto& entry : own.legends)
        table.legends[entry.first] = entry.second;
    table.family = own.family;
    if (table.family.empty())
        Fail(page + ".txt: no family line");
    return table;
}

// ---- Output ----

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// Characters in a UTF-8 text (lead bytes).
size_t Glyphs(const std::string& text)
{
    size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

// A font size at which a word fits the width (Liberation Sans averages about half an em per glyph).
double FittingSize(const std::string& text, double width, double preferred)
{
    const double fit = width / (0.5 * static_cast<double>(Glyphs(text)));
    return std::floor(std::min(preferred, fit) * 2) / 2;
}

struct KeyRect {
    int left, top, width, height;
};

class LayoutWriter {
public:
    LayoutWriter(const Geometry& geometry, const std::map<std::wstring, std::wstring>& keyNames)
        : m_geometry(geometry), m_keyNames(keyNames)
    {
        double right = 0, bottom = 0;
        for (const auto& [family, keys] : geometry.keysByFamily) {
            for (const PlacedKey& key : keys) {
                right = std::max(right, key.x + key.w);
                bottom = std::max(bottom, key.y + key.h);
            }
        }
        m_width = 2 * geometry.margin + Pixels(right) - geometry.gap;
        m_height = 2 * geometry.margin + Pixels(bottom) - geometry.gap;
    }

    void Write(const std::string& page, const std::string& stem, const CaptionTable& captions,
               const std::string& records, const std::string& defaults, const std::wstring& xmlFolder,
               const std::wstring& svgFolder)
    {
        auto family = m_geometry.keysByFamily.find(captions.family);
        if (family == m_geometry.keysByFamily.end())
            Fail(page + ": the geometry has no family " + captions.family);
        const std::string image = "kbd_" + stem + "_";

        std::string xml;
        xml += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
        xml += "<!-- Made by skingen from data/skin/keyboard (Geometry.txt and captions/" + page +
               ".txt): edit those, not this file. -->\n";
        xml += "<KEYBOARD>\n";
        xml += "  <KEYBOARDDEF name=\"KBDDEF_WINDOWS\" file=\"" + records + "\" kbddefaults=\"" + defaults + "\"/>\n";
        xml += "  <BITMAPLIST>\n    <BITMAPITEM name=\"BITMAP_MECHKBD\">\n";
        xml += "      <SBMN>" + image + "normal.bmp</SBMN>\n";
        xml += "      " + Rect(KeyRect{m_geometry.placeLeft, m_geometry.placeTop, m_width, m_height}) + "\n";
        xml += "    </BITMAPITEM>\n  </BITMAPLIST>\n";
        xml += "  <KBDKEYLIST windowid=\"BITMAP_MECHKBD\">\n    <BUTTONBITMAPS>\n";
        xml += "      <SBMN>" + image + "normal.bmp</SBMN>\n";
        xml += "      <SBMO>" + image + "over.bmp</SBMO>\n";
        xml += "      <SBMD>" + image + "down.bmp</SBMD>\n";
        xml += "    </BUTTONBITMAPS>\n";

        std::string keys;
        for (const PlacedKey& key : family->second) {
            const std::wstring item = L"BUTTON_KB_" + Widen(key.suffix);
            if (FindSkinResourceId(item) < 0)
                Fail(page + ": no skin identifier " + Narrow(item));
            auto name = m_keyNames.find(item);
            if (name == m_keyNames.end())
                Fail(page + ": the keyboard description has no key for " + Narrow(item));
            auto legends = captions.legends.find(key.suffix);
            if (legends == captions.legends.end())
                Fail(page + ": no caption for " + key.suffix);
            const KeyRect rc = Place(key);
            xml += "    <KBDKEY name=\"" + Narrow(item) + "\" kbddefid=\"" + Escape(Narrow(name->second)) + "\">\n";
            xml += "      " + Rect(rc) + "\n";
            // The hint window shows the key amid its neighbours (normal picture) and itself picked.
            const std::wstring bitmap = L"BITMAP_KB_" + Widen(key.suffix);
            const std::string infoName =
                FindSkinResourceId(bitmap) >= 0 ? " name=\"" + Narrow(bitmap) + "\"" : std::string();
            xml += "      <BMPINFO" + infoName + "><SBMN>" + image + "normal.bmp</SBMN><SBMD>" + image +
                   "over.bmp</SBMD>" + Rect(rc) + "</BMPINFO>\n";
            xml += "    </KBDKEY>\n";
            keys += Key(rc, legends->second);
        }
        xml += "  </KBDKEYLIST>\n</KEYBOARD>\n";
        m_outputs.emplace_back(xmlFolder + L"\\" + Widen(page) + L".xml", xml);
        m_outputs.emplace_back(svgFolder + L"\\kbd_" + Widen(stem) + L".svg", Picture(keys));
    }

    // Every file is written only once all layouts were made, so an error leaves no page behind.
    void WriteAll() const
    {
        for (const auto& [path, text] : m_outputs)
            WriteText(path, text);
    }

private:
    int Pixels(double units) const { return static_cast<int>(std::lround(units * m_geometry.unit)); }

    KeyRect Place(const PlacedKey& key) const
    {
        const int left = m_geometry.margin + Pixels(key.x);
        const int top = m_geometry.margin + Pixels(key.y);
        const int right = m_geometry.margin + Pixels(key.x + key.w) - m_geometry.gap;
        const int bottom = m_geometry.margin + Pixels(key.y + key.h) - m_geometry.gap;
        return KeyRect{left, top, right - left, bottom - top};
    }

    static std::string Rect(const KeyRect& rc)
    {
        return "<RECT left=\"" + std::to_string(rc.left) + "\" top=\"" + std::to_string(rc.top) + "\" right=\"" +
               std::to_string(rc.width) + "\" bottom=\"" + std::to_string(rc.height) + "\"/>";
    }

    static std::string Text(const std::string& cls, double x, double y, double size, const char* anchor,
                            const std::string& text)
    {
        return "<text class=\"" + cls + "\" x=\"" + Fmt(x) + "\" y=\"" + Fmt(y) + "\" font-size=\"" + Fmt(size) +
               "\" text-anchor=\"" + anchor + "\">" + Escape(text) + "</text>";
    }

    // One key cap: its skirt, its face, the ring that marks a key with a function of its own, and the
    // legends, placed by how many there are.
    std::string Key(const KeyRect& rc, const Legends& legends) const
    {
        const double x = rc.left, y = rc.top, w = rc.width, h = rc.height;
        const double fx = x + 2, fy = y + 1, fw = w - 4, fh = h - 5;
        std::string out = "<g>";
        out += "<rect class=\"skirt\" x=\"" + Fmt(x) + "\" y=\"" + Fmt(y) + "\" width=\"" + Fmt(w) + "\" height=\"" +
               Fmt(h) + "\" rx=\"4\"/>";
        out += "<rect class=\"face\" x=\"" + Fmt(fx) + "\" y=\"" + Fmt(fy) + "\" width=\"" + Fmt(fw) +
               "\" height=\"" + Fmt(fh) + "\" rx=\"3\"/>";
        out += "<rect class=\"ring\" x=\"" + Fmt(x + 1) + "\" y=\"" + Fmt(y + 1) + "\" width=\"" + Fmt(w - 2) +
               "\" height=\"" + Fmt(h - 2) + "\" rx=\"3.5\"/>";
        out += "<rect class=\"mark\" x=\"" + Fmt(fx + fw - 8) + "\" y=\"" + Fmt(fy + 3) +
               "\" width=\"5\" height=\"5\" rx=\"2.5\"/>";
        const std::string& main = legends.main;
        if (main == "@logo") {
            const double cx = x + w / 2, cy = fy + fh / 2;
            out += "<path class=\"logo\" d=\"M" + Fmt(cx) + " " + Fmt(cy - 6) + " L" + Fmt(cx + 6) + " " + Fmt(cy) +
                   " L" + Fmt(cx) + " " + Fmt(cy + 6) + " L" + Fmt(cx - 6) + " " + Fmt(cy) + " Z\"/>";
        } else if (legends.lower.empty() && legends.third.empty()) {
            if (Glyphs(main) <= 1) {
                out += Text("legend", x + w / 2, fy + fh / 2 + 5, 14, "middle", main);
            } else if (w <= m_geometry.unit * 1.3) {
                out += Text("legend word", x + w / 2, fy + fh / 2 + 3.5, FittingSize(main, fw - 4, 10), "middle", main);
            } else {
                out += Text("legend word", fx + 5, fy + fh / 2 + 3.5, FittingSize(main, fw - 8, 10.5), "start", main);
            }
        } else {
            const bool words = Glyphs(main) > 1 || Glyphs(legends.lower) > 1;
            const double size = words ? 9.5 : 12;
            if (!main.empty())
                out += Text(words ? "legend word" : "legend", fx + 4, fy + (words ? 10.5 : 11.5),
                            words ? FittingSize(main, fw - 6, size) : size, "start", main);
            if (!legends.lower.empty())
                out += Text(words ? "legend word" : "legend", fx + 4, fy + fh - 3.5,
                            words ? FittingSize(legends.lower, fw - 6, size) : size, "start", legends.lower);
            if (!legends.third.empty())
                out += Text("third", fx + fw - 3, fy + fh - 3.5, 10.5, "end", legends.third);
        }
        return out + "</g>\n";
    }

    // The whole picture; the build renders it once per state by naming the state as the root's class.
    std::string Picture(const std::string& keys) const
    {
        const double unit = m_geometry.unit;
        const double ledX = m_geometry.margin + 20 * unit;  // above the number pad
        std::string leds;
        static const char* const kLeds[] = {"Num", "Caps", "Scroll"};
        for (int i = 0; i < 3; ++i) {
            const double cx = ledX + unit * (0.5 + i * 1.25);
            leds += "<circle class=\"led\" cx=\"" + Fmt(cx) + "\" cy=\"" + Fmt(m_geometry.margin + 9) + "\" r=\"3\"/>";
            leds += Text("ledlabel", cx, m_geometry.margin + 27, 9, "middle", kLeds[i]);
        }
        const std::string w = std::to_string(m_width), h = std::to_string(m_height);
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<!-- Made by skingen from data/skin/keyboard: one keyboard page's picture in all its states. -->\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " +
               w + " " + h + "\" class=\"@STATE@\">\n"
               "<style>\n"
               "  text { font-family: 'Liberation Sans', Arial, sans-serif; }\n"
               "  .surface { fill: #1e1e1e; }\n"
               "  .plate { fill: #151515; stroke: #2e2e2e; stroke-width: 1; }\n"
               "  .skirt { fill: #2a2a2a; }\n"
               "  .face { fill: #3a3a3a; }\n"
               "  .ring, .mark { display: none; }\n"
               "  .legend { fill: #e6e6e6; }\n"
               "  .third { fill: #9a9fa6; }\n"
               "  .logo { fill: none; stroke: #e6e6e6; stroke-width: 1.5; }\n"
               "  .led { fill: #2e2e2e; }\n"
               "  .ledlabel { fill: #697077; }\n"
               "  .over .skirt { fill: #005a96; }\n"
               "  .over .face { fill: #0077c5; }\n"
               "  .over .legend, .over .third { fill: #ffffff; }\n"
               "  .over .logo { stroke: #ffffff; }\n"
               "  .down .ring { display: inline; fill: none; stroke: #0077c5; stroke-width: 2; }\n"
               "  .down .mark { display: inline; fill: #0077c5; }\n"
               "</style>\n"
               "<rect class=\"surface\" width=\"" + w + "\" height=\"" + h + "\"/>\n"
               "<rect class=\"plate\" x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(m_width - 1) + "\" height=\"" +
               std::to_string(m_height - 1) + "\" rx=\"8\"/>\n" +
               leds + "\n" + keys + "</svg>\n";
    }

    const Geometry& m_geometry;
    const std::map<std::wstring, std::wstring>& m_keyNames;
    int m_width = 0;
    int m_height = 0;
    std::vector<std::pair<std::wstring, std::string>> m_outputs;
};

// "KeyboardEnglish.xml" -> "english": the layout's part of its image names.
std::string ImageStem(const std::string& page)
{
    std::string stem = page;
    if (stem.rfind("Keyboard", 0) == 0)
        stem = stem.substr(8);
    for (char& c : stem)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return stem;
}

void Run(wchar_t** argv)
{
    const std::wstring geometryPath = WindowsPath(argv[1]);
    const std::wstring captionFolder = WindowsPath(argv[2]);
    const std::wstring layoutList = WindowsPath(argv[3]);
    const std::wstring description = WindowsPath(argv[4]);
    const std::string records = Narrow(argv[5]);
    const std::string defaults = Narrow(argv[6]);
    const std::wstring xmlFolder = WindowsPath(argv[7]);
    const std::wstring svgFolder = WindowsPath(argv[8]);

    InitNameTables();
    std::vector<KeyDescription> keys;
    std::string error;
    if (!ParseKeyboardDescription(ReadText(description), keys, error))
        Fail(Narrow(description) + ": " + error);
    std::map<std::wstring, std::wstring> keyNames;
    for (const KeyDescription& key : keys) {
        if (!key.skinName.empty())
            keyNames[key.skinName] = key.name;
    }

    const Geometry geometry = ReadGeometry(geometryPath);
    LayoutWriter writer(geometry, keyNames);

    pugi::xml_document document;
    if (document.load_file(layoutList.c_str()).status != pugi::status_ok)
        Fail("cannot read " + Narrow(layoutList));
    int pages = 0;
    for (pugi::xml_node layout : document.child("ITEMLIST").child("KBLAYOUTLIST").children("KBLAYOUT")) {
        std::string page = layout.attribute("kbditems").value();
        const size_t dot = page.rfind(".xml");
        if (dot == std::string::npos || dot + 4 != page.size())
            Fail(Narrow(layoutList) + ": kbditems must name an .xml file: " + page);
        page.resize(dot);
        writer.Write(page, ImageStem(page), ReadCaptions(captionFolder, page), records, defaults, xmlFolder,
                     svgFolder);
        ++pages;
    }
    if (pages == 0)
        Fail(Narrow(layoutList) + ": no layouts");
    writer.WriteAll();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 9) {
        std::fprintf(stderr,
                     "usage: skingen <Geometry.txt> <captions folder> <KeyboardLayout.xml> <Keyboard.txt> "
                     "<records file name> <defaults file name> <xml folder> <svg folder>\n");
        return 2;
    }
    try {
        Run(argv);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "skingen: %s\n", failure.message.c_str());
        return 1;
    }
    return 0;
}
