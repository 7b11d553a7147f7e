// Tests of the simulated keyboard's state: the product's buttons, the factory state, the life of
// profiles, macros and program entries, button records, properties, lights, bounded names, the device
// mode and the device list.
#include "service/sim/KeyboardState.h"
#include "service/sim/ProductKeyboard.h"

#include "data/KeyboardDefWriter.h"
#include "skin/KeyRecord.h"

#include "SimTestSupport.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

const SimButtonRecord* FindButton(const std::vector<SimButtonRecord>& records, std::uint32_t id)
{
    for (const SimButtonRecord& record : records) {
        if (record.buttonId == id)
            return &record;
    }
    return nullptr;
}

std::uint16_t ScanOf(const SimButtonRecord& record)
{
    std::uint16_t scan = 0;
    std::memcpy(&scan, record.data, sizeof(scan));
    return scan;
}

std::uint32_t ModifiersOf(const SimButtonRecord& record)
{
    std::uint32_t modifiers = 0;
    std::memcpy(&modifiers, record.data + 2, sizeof(modifiers));
    return modifiers;
}

std::vector<std::uint8_t> TextBuffer(const std::wstring& text, std::size_t bytes)
{
    std::vector<std::uint8_t> buffer(bytes, 0);
    std::memcpy(buffer.data(), text.data(), std::min(bytes, text.size() * sizeof(wchar_t)));
    return buffer;
}

} // namespace

TEST(ProductButtons, EveryReportingKeyOfTheDescriptionIsOneButtonWithItsDefault)
{
    std::string error;
    const std::vector<SimButtonRecord>& buttons = ProductButtons(&error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_FALSE(buttons.empty());

    std::set<std::uint32_t> ids;
    for (const SimButtonRecord& record : buttons) {
        EXPECT_TRUE(ids.insert(record.buttonId).second) << std::hex << record.buttonId;
        EXPECT_EQ(record.leading, 1u);
        EXPECT_EQ(record.serviceType, kSimServiceKey);
    }

    std::vector<KeyDescription> keys;
    ASSERT_TRUE(ParseKeyboardDescription(ProductDescriptionText(), keys, error)) << error;
    for (const KeyDescription& key : keys) {
        KeyRecord record;
        record.name = key.name;
        std::memcpy(record.makeSequence, key.blocks[0], sizeof(record.makeSequence));
        const KeyScanCode reported = DeriveKeyScanCode(record.makeSequence);
        if (!IsUsableKeyName(record) || reported.code == 0)
            continue;
        EXPECT_NE(FindButton(buttons, ButtonIdOf(reported.code, reported.extended)), nullptr)
            << std::string(key.name.begin(), key.name.end());
    }
}

TEST(ProductButtons, IdsAndDefaultRecordsOfTypicalKeys)
{
    const std::vector<SimButtonRecord>& buttons = ProductButtons();
    struct Expected {
        std::uint32_t id;
        std::uint16_t scan;
        std::uint32_t modifiers;
    };
    const Expected cases[] = {
        {0x00000001, 0x01, 0},                  // Esc
        {0x0002001D, 0x1D, kSimKeyExtended},    // Right Ctrl: E0 prefix
        {0x00040045, 0x45, kSimKeyExtended},    // Pause: E1 prefix, marked extended
        {0x00000045, 0x45, 0},                  // Num Lock, a button of its own
        {0x00020037, 0x37, kSimKeyExtended},    // Print Screen by the code it reports
        {0x00000076, 0x00, 0},                  // logo key: no default, sends nothing
        {0x00000064, 0x64, 0},                  // Macro 1
    };
    for (const Expected& expected : cases) {
        const SimButtonRecord* record = FindButton(buttons, expected.id);
        ASSERT_NE(record, nullptr) << std::hex << expected.id;
        EXPECT_EQ(ScanOf(*record), expected.scan) << std::hex << expected.id;
        EXPECT_EQ(ModifiersOf(*record), expected.modifiers) << std::hex << expected.id;
    }
    // Slots the firmware keeps for other models and the Fn key report nothing.
    EXPECT_EQ(FindButton(buttons, 0), nullptr);
    EXPECT_EQ(FindButton(buttons, 0x8000), nullptr);
    EXPECT_EQ(FindButton(buttons, 0xFFFF), nullptr);
}

TEST(ProductButtons, DescriptionErrorsAndRepeatedCodes)
{
    std::vector<SimButtonRecord> buttons;
    std::string error;
    EXPECT_FALSE(ButtonsFromDescription("- | A | 1 | 0 |\n", buttons, error));
    EXPECT_FALSE(error.empty());

    // The ISO key reports Backslash's code: one button, the first key's default.
    ASSERT_TRUE(ButtonsFromDescription("- | Backslash | 0x31 | 0 | 2B | 2B\n"
                                       "- | Europe 1  | 0x32 | 0 | 2B | 56\n",
                                       buttons, error))
        << error;
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(ScanOf(buttons[0]), 0x2B);
}

TEST(KeyboardState, FactoryStateIsThePluggedKeyboardWithOneActiveProfile)
{
    CKeyboardState state;
    ASSERT_EQ(state.PluggedDeviceCount(), 1u);
    CSimDevice* keyboard = state.PluggedDevice(0);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(state.PluggedDevice(1), nullptr);
    EXPECT_EQ(keyboard->Info().productId, 0x0110u);
    EXPECT_EQ(keyboard->Mode(), kSimModeNormal);
    EXPECT_EQ(keyboard->MacroCount(), 0u);
    EXPECT_EQ(keyboard->AppCount(), 0u);

    ASSERT_EQ(keyboard->ProfileCount(), 1u);
    const SimProfile* profile = keyboard->ProfileAt(0);
    EXPECT_NE(profile->guid, kSimNullGuid);
    EXPECT_EQ(keyboard->ActiveProfile(), profile->guid);
    EXPECT_EQ(profile->records, ProductButtons());
    EXPECT_EQ(keyboard->ButtonCount(), ProductButtons().size());

    std::vector<std::uint32_t> ledIds;
    for (const SimLed& led : profile->leds)
        ledIds.push_back(led.id);
    EXPECT_EQ(ledIds, (std::vector<std::uint32_t>{1, 3, 4, 7}));

    // A reset gives fresh objects and drops everything added.
    const GUID before = profile->guid;
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(state));
    state.AddDevice(SimDeviceInfo(), {});
    state.ResetToFactory();
    EXPECT_EQ(state.DeviceCount(), 1u);
    EXPECT_EQ(state.Keyboard().ProfileCount(), 1u);
    EXPECT_EQ(state.Keyboard().MacroCount(), 0u);
    EXPECT_NE(state.Keyboard().ActiveProfile(), before);
}

TEST(KeyboardState, ProfilesAreCreatedFoundActivatedAndDeleted)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    const GUID first = keyboard.ActiveProfile();
    GUID second{}, third{};
    ASSERT_EQ(keyboard.CreateProfile(second), SimStatus::Ok);
    ASSERT_EQ(keyboard.CreateProfile(third), SimStatus::Ok);
    EXPECT_NE(second, third);
    EXPECT_NE(second, first);
    EXPECT_EQ(keyboard.ActiveProfile(), first);  // creating does not activate
    EXPECT_NE(keyboard.FindProfile(second)->name, keyboard.FindProfile(third)->name);

    GUID unknown = second;
    unknown.Data1 ^= 1;
    EXPECT_EQ(keyboard.FindProfile(unknown), nullptr);
    EXPECT_EQ(keyboard.ActivateProfile(unknown), SimStatus::NotFound);
    EXPECT_EQ(keyboard.DeleteProfile(unknown), SimStatus::NotFound);
    EXPECT_EQ(keyboard.ProfileAt(3), nullptr);

    ASSERT_EQ(keyboard.ActivateProfile(third), SimStatus::Ok);
    EXPECT_EQ(keyboard.ActiveProfile(), third);
    // Losing the active profile moves the keyboard to the first one left.
    ASSERT_EQ(keyboard.DeleteProfile(third), SimStatus::Ok);
    EXPECT_EQ(keyboard.ActiveProfile(), first);
    EXPECT_EQ(keyboard.SetProfileName(third, L"x"), SimStatus::NotFound);
    ASSERT_EQ(keyboard.DeleteProfile(first), SimStatus::Ok);
    ASSERT_EQ(keyboard.DeleteProfile(second), SimStatus::Ok);
    EXPECT_EQ(keyboard.ActiveProfile(), kSimNullGuid);

    GUID again{};
    ASSERT_EQ(keyboard.CreateProfile(again), SimStatus::Ok);
    EXPECT_EQ(keyboard.ActiveProfile(), again);

    std::size_t created = 1;
    GUID more{};
    while (keyboard.CreateProfile(more) == SimStatus::Ok)
        ++created;
    EXPECT_EQ(created, kSimMaxProfiles);
    EXPECT_EQ(keyboard.CreateProfile(more), SimStatus::LimitReached);
}

TEST(KeyboardState, ButtonRecordsNeverExceedTheProfilesButtons)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    const GUID profile = keyboard.ActiveProfile();
    GUID other{};
    ASSERT_EQ(keyboard.CreateProfile(other), SimStatus::Ok);
    const std::size_t count = keyboard.ButtonCount();

    std::vector<SimButtonRecord> records;
    ASSERT_EQ(keyboard.GetButtonRecords(profile, count + 50, records), SimStatus::Ok);
    EXPECT_EQ(records.size(), count);
    ASSERT_EQ(keyboard.GetButtonRecords(profile, 3, records), SimStatus::Ok);
    EXPECT_EQ(records.size(), 3u);

    // One macro record for one button, as the recording flow writes it.
    SimButtonRecord macro{};
    macro.buttonId = keyboard.DefaultRecords()[5].buttonId;
    macro.serviceType = 8;
    macro.data[16] = 1;
    ASSERT_EQ(keyboard.SetButtonRecords(profile, &macro, 1), SimStatus::Ok);
    ASSERT_EQ(keyboard.GetButtonRecords(profile, count, records), SimStatus::Ok);
    EXPECT_EQ(records[5], macro);
    EXPECT_EQ(records[4], keyboard.DefaultRecords()[4]);
    EXPECT_EQ(keyboard.FindProfile(other)->records, keyboard.DefaultRecords());

    // Refused batches change nothing: too many records, or one for a button the keyboard lacks.
    std::vector<SimButtonRecord> tooMany(count + 1, keyboard.DefaultRecords()[0]);
    EXPECT_EQ(keyboard.SetButtonRecords(profile, tooMany.data(), tooMany.size()), SimStatus::InvalidArgument);
    SimButtonRecord batch[2] = {keyboard.DefaultRecords()[5], keyboard.DefaultRecords()[0]};
    batch[1].buttonId = 0x7777;
    EXPECT_EQ(keyboard.SetButtonRecords(profile, batch, 2), SimStatus::InvalidArgument);
    EXPECT_EQ(keyboard.FindProfile(profile)->records[5], macro);
    EXPECT_EQ(keyboard.FindProfile(profile)->records.size(), count);
}

TEST(KeyboardState, PropertiesKeepFlagsAndABoundedLinkedProgram)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    const GUID profile = keyboard.ActiveProfile();
    std::vector<std::uint8_t> value;

    auto setFlag = [&](std::uint16_t mask, std::uint16_t on) {
        const std::uint8_t data[] = {static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8),
                                     static_cast<std::uint8_t>(on), static_cast<std::uint8_t>(on >> 8)};
        return keyboard.SetProperty(profile, kSimProfileFlagsProperty, data, sizeof(data));
    };
    ASSERT_EQ(setFlag(1, 1), SimStatus::Ok);
    ASSERT_EQ(setFlag(4, 1), SimStatus::Ok);
    ASSERT_EQ(setFlag(2, 1), SimStatus::Ok);
    ASSERT_EQ(setFlag(2, 0), SimStatus::Ok);
    // One known bit per write, switched by 0 or 1: anything else is refused and changes nothing.
    EXPECT_EQ(setFlag(3, 1), SimStatus::InvalidArgument);
    EXPECT_EQ(setFlag(8, 1), SimStatus::InvalidArgument);
    EXPECT_EQ(setFlag(2, 2), SimStatus::InvalidArgument);
    const std::uint8_t whole[2] = {0xFF, 0xFF};
    EXPECT_EQ(keyboard.SetProperty(profile, kSimProfileFlagsProperty, whole, 2), SimStatus::InvalidArgument);
    ASSERT_EQ(keyboard.GetProperty(profile, kSimProfileFlagsProperty, value), SimStatus::Ok);
    EXPECT_EQ(value, (std::vector<std::uint8_t>{0x05, 0x00}));

    // No linked program reads as no bytes.
    ASSERT_EQ(keyboard.GetProperty(profile, kSimLinkedProgramProperty, value), SimStatus::Ok);
    EXPECT_TRUE(value.empty());
    const std::vector<std::uint8_t> notepad = TextBuffer(L"notepad.exe", kSimLinkedProgramBytes);
    ASSERT_EQ(keyboard.SetProperty(profile, kSimLinkedProgramProperty, notepad.data(), notepad.size()), SimStatus::Ok);
    ASSERT_EQ(keyboard.GetProperty(profile, kSimLinkedProgramProperty, value), SimStatus::Ok);
    EXPECT_EQ(value, notepad);

    // 127 characters fit; 128 without a terminator would be another file name, so they are refused.
    const std::vector<std::uint8_t> longest = TextBuffer(std::wstring(127, L'a'), kSimLinkedProgramBytes);
    ASSERT_EQ(keyboard.SetProperty(profile, kSimLinkedProgramProperty, longest.data(), longest.size()), SimStatus::Ok);
    EXPECT_EQ(keyboard.FindProfile(profile)->linkedProgram.size(), 127u);
    const std::vector<std::uint8_t> full = TextBuffer(std::wstring(128, L'b'), kSimLinkedProgramBytes);
    EXPECT_EQ(keyboard.SetProperty(profile, kSimLinkedProgramProperty, full.data(), full.size()),
              SimStatus::InvalidArgument);
    const std::vector<std::uint8_t> oversize(kSimLinkedProgramBytes + 2, 0);
    EXPECT_EQ(keyboard.SetProperty(profile, kSimLinkedProgramProperty, oversize.data(), oversize.size()),
              SimStatus::InvalidArgument);
    EXPECT_EQ(keyboard.FindProfile(profile)->linkedProgram, std::wstring(127, L'a'));

    const std::vector<std::uint8_t> none(kSimLinkedProgramBytes, 0);
    ASSERT_EQ(keyboard.SetProperty(profile, kSimLinkedProgramProperty, none.data(), none.size()), SimStatus::Ok);
    ASSERT_EQ(keyboard.GetProperty(profile, kSimLinkedProgramProperty, value), SimStatus::Ok);
    EXPECT_TRUE(value.empty());

    EXPECT_EQ(keyboard.GetProperty(profile, 0x80000001, value), SimStatus::NotFound);
    GUID unknown = profile;
    unknown.Data2 ^= 1;
    EXPECT_EQ(keyboard.GetProperty(unknown, kSimProfileFlagsProperty, value), SimStatus::NotFound);
}

TEST(KeyboardState, LightsChangeOnlyInTheirProfile)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    const GUID active = keyboard.ActiveProfile();
    GUID other{};
    ASSERT_EQ(keyboard.CreateProfile(other), SimStatus::Ok);

    ASSERT_EQ(keyboard.SetLedValue(active, 7, 255), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedBlink(active, 7, true, 300, 300), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedAuxValue(active, 7, 100), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedOn(active, 7, true), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedOn(active, 4, false), SimStatus::Ok);

    const SimLed& led7 = keyboard.FindProfile(active)->leds[3];
    EXPECT_EQ(led7.id, 7u);
    EXPECT_TRUE(led7.on && led7.blink);
    EXPECT_EQ(led7.onTimeMs, 300u);
    EXPECT_EQ(led7.offTimeMs, 300u);
    EXPECT_EQ(led7.auxValue, 100u);
    EXPECT_FALSE(keyboard.FindProfile(active)->leds[2].on);
    EXPECT_EQ(keyboard.FindProfile(other)->leds, FactoryLeds());

    EXPECT_EQ(keyboard.SetLedOn(active, 9, true), SimStatus::NotFound);
    EXPECT_EQ(keyboard.SetLedValue(kSimNullGuid, 7, 1), SimStatus::NotFound);
}

TEST(KeyboardState, NamesAreCutAtTheirFields)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    const GUID profile = keyboard.ActiveProfile();
    GUID macro{}, app{};
    ASSERT_EQ(keyboard.CreateMacro(macro), SimStatus::Ok);
    ASSERT_EQ(keyboard.CreateApp(app), SimStatus::Ok);

    const std::wstring longName(1000, L'n');
    ASSERT_EQ(keyboard.SetProfileName(profile, longName), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetMacroName(macro, longName), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetAppName(app, longName), SimStatus::Ok);
    EXPECT_EQ(keyboard.FindProfile(profile)->name.size(), kSimMaxProfileName);
    EXPECT_EQ(keyboard.FindMacro(macro)->name.size(), kSimMaxMacroName);
    EXPECT_EQ(keyboard.FindApp(app)->name.size(), kSimMaxAppName);

    // A pair split by the limit is dropped whole; text ends at an embedded terminator.
    std::wstring split(kSimMaxMacroName - 1, L'x');
    split += L"\xD83D\xDE00";
    ASSERT_EQ(keyboard.SetMacroName(macro, split), SimStatus::Ok);
    EXPECT_EQ(keyboard.FindMacro(macro)->name, std::wstring(kSimMaxMacroName - 1, L'x'));
    ASSERT_EQ(keyboard.SetProfileName(profile, std::wstring(L"ab\0cd", 5)), SimStatus::Ok);
    EXPECT_EQ(keyboard.FindProfile(profile)->name, L"ab");
}

TEST(KeyboardState, MacrosAndProgramEntries)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    GUID first{}, second{};
    ASSERT_EQ(keyboard.CreateMacro(first), SimStatus::Ok);
    ASSERT_EQ(keyboard.CreateMacro(second), SimStatus::Ok);
    EXPECT_NE(first, second);
    EXPECT_TRUE(keyboard.FindMacro(first)->events.empty());

    const std::vector<SimMacroEvent> events = {{2, 0x1E}, {3, 100}, {2, 0x1001E}};
    ASSERT_EQ(keyboard.SetMacroEvents(first, events), SimStatus::Ok);
    EXPECT_EQ(keyboard.FindMacro(first)->events, events);
    EXPECT_EQ(keyboard.SetMacroEvents(first, std::vector<SimMacroEvent>(kSimMaxMacroEvents + 1)),
              SimStatus::InvalidArgument);
    EXPECT_EQ(keyboard.FindMacro(first)->events, events);

    ASSERT_EQ(keyboard.DeleteMacro(first), SimStatus::Ok);
    EXPECT_EQ(keyboard.FindMacro(first), nullptr);
    EXPECT_EQ(keyboard.DeleteMacro(first), SimStatus::NotFound);
    EXPECT_EQ(keyboard.MacroAt(0)->guid, second);
    EXPECT_EQ(keyboard.MacroAt(1), nullptr);

    GUID app{};
    ASSERT_EQ(keyboard.CreateApp(app), SimStatus::Ok);
    ASSERT_EQ(keyboard.DeleteApp(app), SimStatus::Ok);
    EXPECT_EQ(keyboard.SetAppName(app, L"x"), SimStatus::NotFound);
}

TEST(KeyboardState, ModeAndIdentityTakeOnlyValidValues)
{
    CKeyboardState state;
    CSimDevice& keyboard = state.Keyboard();
    EXPECT_EQ(keyboard.SetMode(kSimModeRecording), SimStatus::Ok);
    EXPECT_EQ(keyboard.Mode(), kSimModeRecording);
    EXPECT_EQ(keyboard.SetMode(0), SimStatus::InvalidArgument);
    EXPECT_EQ(keyboard.SetMode(3), SimStatus::InvalidArgument);
    EXPECT_EQ(keyboard.Mode(), kSimModeRecording);

    SimDeviceInfo info = keyboard.Info();
    info.layoutCode = 14;
    EXPECT_EQ(keyboard.SetInfo(info), SimStatus::Ok);
    info.layoutCode = 15;
    EXPECT_EQ(keyboard.SetInfo(info), SimStatus::InvalidArgument);
    info.layoutCode = 3;
    info.productId = 0x0111;  // would leave a state without its keyboard
    EXPECT_EQ(keyboard.SetInfo(info), SimStatus::InvalidArgument);
    EXPECT_EQ(keyboard.Info().layoutCode, 14u);
}

TEST(KeyboardState, ClientsSeeOnlyPluggedDevicesInOrder)
{
    CKeyboardState state;
    SimDeviceInfo mouse;
    mouse.productId = 0x0200;
    CSimDevice* added = state.AddDevice(mouse, {MakeKeyRecord(0x10, 0x10, false)});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->ButtonCount(), 1u);
    EXPECT_EQ(state.PluggedDevice(0), &state.Keyboard());
    EXPECT_EQ(state.PluggedDevice(1), added);

    state.Keyboard().SetPlugged(false);
    EXPECT_EQ(state.PluggedDeviceCount(), 1u);
    EXPECT_EQ(state.PluggedDevice(0), added);
    EXPECT_EQ(state.PluggedDevice(1), nullptr);
    EXPECT_EQ(state.Keyboard().Info().productId, kSimKeyboardProductId);
}
