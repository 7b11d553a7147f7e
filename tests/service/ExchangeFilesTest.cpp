// Tests of profile and macro files: export and import round trips, import onto a device with other
// buttons, names cut at their fields, and damaged or foreign files refused with the device unchanged.
#include "service/sim/BinaryFile.h"
#include "service/sim/ByteStream.h"
#include "service/sim/ExchangeFiles.h"

#include "SimTestSupport.h"

#include <random>

namespace {

// The keyboard of a filled state with its customised profile (the active one) and its macro.
struct Filled {
    CKeyboardState state;
    GUID profile{};
    GUID macro{};
    CSimDevice& Keyboard() { return state.Keyboard(); }
};

void Fill(Filled& filled)
{
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(filled.state));
    filled.profile = filled.Keyboard().ActiveProfile();
    filled.macro = filled.Keyboard().MacroAt(0)->guid;
}

} // namespace

TEST(ExchangeFiles, ProfileAndMacroComeBackAsNewObjects)
{
    testfiles::CScopedFolder folder;
    Filled source;
    ASSERT_NO_FATAL_FAILURE(Fill(source));
    std::wstring error;
    const std::wstring profilePath = folder.File(L"Games.qnp");
    const std::wstring macroPath = folder.File(L"New Macro3.qnm");
    ASSERT_EQ(ExportProfileFile(source.Keyboard(), source.profile, profilePath, error), SimStatus::Ok) << error;
    ASSERT_EQ(ExportMacroFile(source.Keyboard(), source.macro, macroPath, error), SimStatus::Ok) << error;
    EXPECT_EQ(folder.Names().size(), 2u);  // no replacement files left

    CSimDevice& keyboard = source.Keyboard();
    const GUID active = keyboard.ActiveProfile();
    GUID profile{}, macro{};
    ASSERT_EQ(ImportProfileFile(keyboard, profilePath, profile, error), SimStatus::Ok) << error;
    ASSERT_EQ(ImportMacroFile(keyboard, macroPath, macro, error), SimStatus::Ok) << error;
    EXPECT_EQ(keyboard.ActiveProfile(), active);

    ASSERT_NE(keyboard.FindProfile(profile), nullptr);
    EXPECT_NE(profile, source.profile);
    SimProfile copy = *keyboard.FindProfile(profile);
    copy.guid = source.profile;
    EXPECT_TRUE(copy == *keyboard.FindProfile(source.profile));
    EXPECT_EQ(keyboard.ProfileAt(keyboard.ProfileCount() - 1)->guid, profile);

    ASSERT_NE(keyboard.FindMacro(macro), nullptr);
    EXPECT_NE(macro, source.macro);
    EXPECT_EQ(keyboard.FindMacro(macro)->name, keyboard.FindMacro(source.macro)->name);
    EXPECT_EQ(keyboard.FindMacro(macro)->events, keyboard.FindMacro(source.macro)->events);

    GUID unknown = source.macro;
    unknown.Data3 ^= 1;
    EXPECT_EQ(ExportMacroFile(keyboard, unknown, folder.File(L"none.qnm"), error), SimStatus::NotFound);
    EXPECT_EQ(ExportProfileFile(keyboard, unknown, folder.File(L"none.qnp"), error), SimStatus::NotFound);
    EXPECT_FALSE(FileExists(folder.File(L"none.qnm")));
    EXPECT_EQ(ImportMacroFile(keyboard, folder.File(L"none.qnm"), macro, error), SimStatus::NotFound);
}

TEST(ExchangeFiles, ImportFitsTheProfileToTheDevicesButtonsAndLights)
{
    SimProfile file;
    file.name = L"Other keyboard";
    SimButtonRecord known = MakeKeyRecord(0x1E, 0x30, false);  // A sends B
    SimButtonRecord foreign = MakeKeyRecord(0x0004FFFE, 0x01, false);
    file.records = {foreign, known};
    SimLed led;
    led.id = 7;
    led.on = true;
    led.value = 9;
    SimLed unknownLed;
    unknownLed.id = 99;
    file.leds = {unknownLed, led};
    const std::vector<std::uint8_t> image = ProfileFileImage(file);

    SimProfile parsed;
    std::wstring reason;
    ASSERT_EQ(ParseProfileFile(image.data(), image.size(), parsed, reason), SimStatus::Ok) << reason;
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    GUID created{};
    ASSERT_EQ(keyboard.AdoptProfile(parsed, created), SimStatus::Ok);
    const SimProfile& profile = *keyboard.FindProfile(created);

    ASSERT_EQ(profile.records.size(), keyboard.ButtonCount());
    for (std::size_t i = 0; i < profile.records.size(); ++i) {
        const SimButtonRecord& expected =
            keyboard.DefaultRecords()[i].buttonId == 0x1E ? known : keyboard.DefaultRecords()[i];
        EXPECT_EQ(profile.records[i], expected) << i;
    }
    std::vector<SimLed> leds = FactoryLeds();
    leds[3] = led;
    EXPECT_EQ(profile.leds, leds);
}

TEST(ExchangeFiles, OverLongTextIsCutAtTheField)
{
    SimProfile profile;
    profile.name = std::wstring(5000, L'p');
    profile.linkedProgram = std::wstring(300, L'l') + L".exe";
    SimMacro macro;
    macro.name = std::wstring(70000, L'm');
    const std::vector<std::uint8_t> profileImage = ProfileFileImage(profile);
    const std::vector<std::uint8_t> macroImage = MacroFileImage(macro);

    std::wstring reason;
    SimProfile readProfile;
    ASSERT_EQ(ParseProfileFile(profileImage.data(), profileImage.size(), readProfile, reason), SimStatus::Ok);
    EXPECT_EQ(readProfile.name, std::wstring(kSimMaxProfileName, L'p'));
    EXPECT_EQ(readProfile.linkedProgram.size(), kSimMaxLinkedProgram);
    SimMacro readMacro;
    ASSERT_EQ(ParseMacroFile(macroImage.data(), macroImage.size(), readMacro, reason), SimStatus::Ok);
    EXPECT_EQ(readMacro.name, std::wstring(kSimMaxMacroName, L'm'));

    // A name that says it is longer than the file is no name.
    std::vector<std::uint8_t> lying = macroImage;
    const std::uint32_t huge = 0x7FFFFFFF;
    std::memcpy(&lying[kEnvelopeHeaderBytes], &huge, 4);
    EXPECT_EQ(ParseMacroFile(lying.data(), lying.size(), readMacro, reason), SimStatus::BadFile);
    lying = Reseal(lying);
    EXPECT_EQ(ParseMacroFile(lying.data(), lying.size(), readMacro, reason), SimStatus::BadFile);
}

TEST(ExchangeFiles, DamagedAndForeignFilesAreRefusedAndChangeNothing)
{
    testfiles::CScopedFolder folder;
    Filled source;
    ASSERT_NO_FATAL_FAILURE(Fill(source));
    std::wstring error;
    const std::wstring profilePath = folder.File(L"p.qnp");
    const std::wstring macroPath = folder.File(L"m.qnm");
    ASSERT_EQ(ExportProfileFile(source.Keyboard(), source.profile, profilePath, error), SimStatus::Ok);
    ASSERT_EQ(ExportMacroFile(source.Keyboard(), source.macro, macroPath, error), SimStatus::Ok);
    const std::vector<std::uint8_t> profileImage = testfiles::ReadBytes(profilePath);
    const std::vector<std::uint8_t> macroImage = testfiles::ReadBytes(macroPath);

    CKeyboardState target;
    const SimDeviceData before = target.Keyboard().Data();
    const std::wstring path = folder.File(L"variant");
    auto refusedAsBoth = [&](const std::vector<std::uint8_t>& bytes) {
        WriteBytes(path, bytes);
        GUID created{};
        const SimStatus asProfile = ImportProfileFile(target.Keyboard(), path, created, error);
        const SimStatus asMacro = ImportMacroFile(target.Keyboard(), path, created, error);
        return asProfile == SimStatus::BadFile && asMacro == SimStatus::BadFile && target.Keyboard().Data() == before;
    };

    // Each kind read as the other, and a text file.
    WriteBytes(path, macroImage);
    GUID created{};
    EXPECT_EQ(ImportProfileFile(target.Keyboard(), path, created, error), SimStatus::BadFile);
    WriteBytes(path, profileImage);
    EXPECT_EQ(ImportMacroFile(target.Keyboard(), path, created, error), SimStatus::BadFile);
    const std::string text = "[Profile]\r\nName=Games\r\n";
    EXPECT_TRUE(refusedAsBoth(std::vector<std::uint8_t>(text.begin(), text.end())));

    std::mt19937 random(77);
    for (const std::vector<std::uint8_t>* image : {&profileImage, &macroImage}) {
        for (std::size_t length = 0; length < image->size(); length += 1 + random() % 13)
            ASSERT_TRUE(refusedAsBoth(std::vector<std::uint8_t>(image->begin(), image->begin() + length))) << length;
        for (int round = 0; round < 1500; ++round) {
            std::vector<std::uint8_t> bytes = *image;
            const std::size_t at = random() % bytes.size();
            if (round % 2 == 0)
                bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            else
                bytes.erase(bytes.begin() + at);
            ASSERT_TRUE(refusedAsBoth(bytes)) << "round " << round;
        }
    }

    // Bodies changed behind a valid checksum: refused or within the limits, never read beyond the image.
    const std::uint32_t extremes[] = {0, 1, 0x7FFFFFFF, 0xFFFFFFFF, 0x10000};
    for (std::size_t at = kEnvelopeHeaderBytes; at + 4 <= profileImage.size(); ++at) {
        for (std::uint32_t value : extremes) {
            std::vector<std::uint8_t> bytes = profileImage;
            std::memcpy(&bytes[at], &value, 4);
            bytes = Reseal(bytes);
            SimProfile parsed;
            if (ParseProfileFile(bytes.data(), bytes.size(), parsed, error) == SimStatus::Ok) {
                EXPECT_LE(parsed.name.size(), kSimMaxProfileName);
                EXPECT_LE(parsed.records.size(), kSimMaxButtons);
            }
        }
    }
}
