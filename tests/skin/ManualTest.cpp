// The user's manual as the build installs it below the program folder, where F1 opens it: the page,
// every picture it shows (a PNG of the size the page gives it), and every link inside the page.
#include "SkinSetSupport.h"

#include <regex>

namespace {

unsigned BigEndian32(const std::string& bytes, size_t at)
{
    unsigned value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

} // namespace

TEST(ManualTest, TheManualIsInstalledWithEveryPictureItShows)
{
    const std::wstring folder = ProgramFolder() + L"Manuals\\";
    const std::string page = testfiles::ReadText(folder + L"index.html");
    ASSERT_NE(page.find("</html>"), std::string::npos) << "no manual below the program folder";

    const std::regex image("<img src=\"([^\"]+)\"[^>]*width=\"([0-9]+)\" height=\"([0-9]+)\"");
    std::set<std::string> shown;
    for (std::sregex_iterator it(page.begin(), page.end(), image), end; it != end; ++it) {
        const std::string source = (*it)[1];
        SCOPED_TRACE(source);
        shown.insert(source);
        std::wstring path = folder + Wide(source.c_str());
        std::replace(path.begin(), path.end(), L'/', L'\\');
        const std::string picture = testfiles::ReadText(path);
        ASSERT_GT(picture.size(), 24u) << "the picture is missing";
        EXPECT_EQ(picture.substr(1, 3), "PNG");
        EXPECT_EQ(BigEndian32(picture, 16), unsigned(std::stoi((*it)[2]))) << "width";
        EXPECT_EQ(BigEndian32(picture, 20), unsigned(std::stoi((*it)[3]))) << "height";
    }
    for (const char* page_picture : {"images/keys.png", "images/profiles.png", "images/macros.png",
                                     "images/lighting.png", "images/tray-menu.png", "images/osd.png"})
        EXPECT_EQ(shown.count(page_picture), 1u) << page_picture << " is not shown";

    const std::regex link("href=\"#([^\"]+)\"");
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it)
        EXPECT_NE(page.find("id=\"" + std::string((*it)[1]) + "\""), std::string::npos) << (*it)[1];
}
