// The device service's records byte by byte, and the conversions between them and the model.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "service/DeviceRecords.h"

namespace {

template <class T>
T ReadAt(const void* base, size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const BYTE*>(base) + offset, sizeof(T));
    return value;
}

const GUID kMacroGuid = {0x01234567, 0x89AB, 0xCDEF, {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}};

DeviceMacroEvent ToDevice(const MacroEvent& event)
{
    DeviceMacroEvent out{};
    EXPECT_TRUE(ToDeviceMacroEvent(event, &out));
    return out;
}

MacroEvent FromDevice(DWORD type, DWORD value)
{
    MacroEvent out{};
    EXPECT_TRUE(FromDeviceMacroEvent(DeviceMacroEvent{type, value}, &out));
    return out;
}

}  // namespace

// ---- Records as the device reads them ----

TEST(DeviceRecordLayout, MacroAssignmentPutsGuidPlayModeAndRepeatCountWhereTheDeviceReadsThem)
{
    const KeyAssignmentRecord record = MakeMacroAssignmentRecord(0, 0x0004001D, kMacroGuid, kDevicePlayOnce, 0);
    ASSERT_EQ(32u, sizeof(record));
    EXPECT_EQ(0u, ReadAt<DWORD>(&record, 0));
    EXPECT_EQ(0x0004001Du, ReadAt<DWORD>(&record, 4));
    EXPECT_EQ(8u, ReadAt<DWORD>(&record, 8));
    EXPECT_TRUE(ReadAt<GUID>(&record, 12) == kMacroGuid);
    EXPECT_EQ(1, ReadAt<BYTE>(&record, 28));
    EXPECT_EQ(0, ReadAt<BYTE>(&record, 29));
    EXPECT_EQ(0, ReadAt<BYTE>(&record, 30));
    EXPECT_EQ(0, ReadAt<BYTE>(&record, 31));
}

TEST(DeviceRecordLayout, KeyRecordModifiersSitAtTheOddOffsetFourteen)
{
    KeyAssignmentRecord record = {};
    record.serviceType = kServiceKey;
    ASSERT_TRUE(SetRecordField<uint16_t>(record, kRecordKeyScanOffset, 0x45));
    ASSERT_TRUE(SetRecordField<DWORD>(record, kRecordKeyModifiersOffset, kKeyModifierExtended));
    EXPECT_EQ(0x45, ReadAt<uint16_t>(&record, 12));
    EXPECT_EQ(kKeyModifierExtended, ReadAt<DWORD>(&record, 14));
    DWORD modifiers = 0;
    ASSERT_TRUE(GetRecordField(record, kRecordKeyModifiersOffset, &modifiers));
    EXPECT_EQ(kKeyModifierExtended, modifiers);
}

TEST(DeviceRecordLayout, FieldsOutsideTheDataBytesAreRefused)
{
    KeyAssignmentRecord record = {};
    const KeyAssignmentRecord before = record;
    EXPECT_FALSE(SetRecordField<DWORD>(record, 8, 5));     // the service type is no data field
    EXPECT_FALSE(SetRecordField<DWORD>(record, 29, 5));    // would run past byte 31
    EXPECT_FALSE(SetRecordField<GUID>(record, 20, kMacroGuid));
    EXPECT_EQ(0, std::memcmp(&before, &record, sizeof(record)));
    EXPECT_TRUE(SetRecordField<DWORD>(record, 28, 0xAABBCCDD));
}

TEST(DeviceRecordLayout, ButtonIdSplitsIntoScanCodeAndExtendedFlag)
{
    EXPECT_EQ(0x1D, ButtonIdScanCode(0x0004001D));
    EXPECT_EQ(2, ButtonIdExtendedFlag(0x0004001D));
    EXPECT_EQ(1, ButtonIdExtendedFlag(0x0002001D));
    EXPECT_EQ(0, ButtonIdExtendedFlag(0x0001001D));
    EXPECT_EQ(0, ButtonIdExtendedFlag(0x0000001D));
}

TEST(DeviceRecordLayout, DeviceInfoCarriesItsTextPointerAtTwentyFourOnX64)
{
    DeviceInfo info = {};
    info.productId = 272;
    info.firmwareMajor = 1;
    info.firmwareMinor = 5;
    info.text = static_cast<LPWSTR>(CoTaskMemAlloc(4 * sizeof(wchar_t)));
    ASSERT_NE(nullptr, info.text);
    std::memcpy(info.text, L"abc", 4 * sizeof(wchar_t));
    EXPECT_EQ(272u, ReadAt<DWORD>(&info, 4));
    EXPECT_EQ(1u, ReadAt<DWORD>(&info, 16));
    EXPECT_EQ(5u, ReadAt<DWORD>(&info, 20));
    EXPECT_EQ(info.text, ReadAt<LPWSTR>(&info, 24));
    FreeDeviceInfo(&info);
    EXPECT_EQ(nullptr, info.text);
    FreeDeviceInfo(&info);  // a second free is harmless
}

// ---- Macro events to the device ----

TEST(MacroEventsToDevice, KeysCarryScanCodeAndReleasedAndExtendedFlags)
{
    const DeviceMacroEvent press = ToDevice(MakeKeyEvent(0x41, 0x1E, kMacroPressed, 0));
    EXPECT_EQ(2u, press.type);
    EXPECT_EQ(0x0000001Eu, press.value);
    EXPECT_EQ(0x0001001Eu, ToDevice(MakeKeyEvent(0x41, 0x1E, kMacroReleased, 0)).value);
    EXPECT_EQ(0x0002001Du, ToDevice(MakeKeyEvent(0xA3, 0x1D, kMacroPressed, kMacroExtendedKey)).value);
    EXPECT_EQ(0x0003001Du, ToDevice(MakeKeyEvent(0xA3, 0x1D, kMacroReleased, kMacroExtendedKey)).value);
}

TEST(MacroEventsToDevice, PauseIsMarkedExtendedThoughTheModelDoesNot)
{
    EXPECT_EQ(0x00020045u, ToDevice(MakeKeyEvent(kVirtualKeyPause, 69, kMacroPressed, 0)).value);
    EXPECT_EQ(0x00030045u, ToDevice(MakeKeyEvent(kVirtualKeyPause, 69, kMacroReleased, 0)).value);
    EXPECT_EQ(0x00000045u, ToDevice(MakeKeyEvent(kVirtualKeyNumLock, 69, kMacroPressed, 0)).value);
}

TEST(MacroEventsToDevice, MouseButtonsUseTheSmallestMatchingFlag)
{
    const struct {
        uint32_t button;
        uint8_t state;
        DWORD flag;
    } cases[] = {
        {1, kMacroPressed, 0x1},   {1, kMacroReleased, 0x2},  {2, kMacroPressed, 0x4},
        {2, kMacroReleased, 0x8},  {3, kMacroPressed, 0x10},  {3, kMacroReleased, 0x20},
        {25, kMacroPressed, 0x40}, {25, kMacroReleased, 0x80}, {26, kMacroPressed, 0x100},
        {26, kMacroReleased, 0x200},
    };
    for (const auto& c : cases) {
        const DeviceMacroEvent event = ToDevice(MakeMouseButtonEvent(c.button, c.state));
        EXPECT_EQ(1u, event.type);
        EXPECT_EQ(c.flag, event.value) << "button " << c.button << " state " << int(c.state);
        const MacroEvent back = FromDevice(1, c.flag);
        EXPECT_EQ(MakeMouseButtonEvent(c.button, c.state), back) << "flag " << c.flag;
    }
}

TEST(MacroEventsToDevice, AButtonThatHasNoFlagGoesOutAsFlagZero)
{
    EXPECT_EQ(0u, ToDevice(MakeMouseButtonEvent(4, kMacroPressed)).value);
    EXPECT_EQ(0u, ToDevice(MakeMouseButtonEvent(1, 7)).value);
    EXPECT_EQ(0u, ToDevice(MakeMouseButtonEvent(0, 0)).value);
}

TEST(MacroEventsToDevice, DelaysKeepTheirMillisecondsAndUnknownKindsAreDropped)
{
    const DeviceMacroEvent delay = ToDevice(MakeDelayEvent(0xFFFFFF));
    EXPECT_EQ(3u, delay.type);
    EXPECT_EQ(0xFFFFFFu, delay.value);

    DeviceMacroEvent out{};
    EXPECT_FALSE(ToDeviceMacroEvent(MacroEvent{7, 1, 2}, &out));
    const std::vector<DeviceMacroEvent> converted =
        ToDeviceMacroEvents({MakeDelayEvent(5), MacroEvent{7, 1, 2}, MakeKeyEvent(0x41, 0x1E, kMacroPressed, 0)});
    ASSERT_EQ(2u, converted.size());
    EXPECT_EQ(3u, converted[0].type);
    EXPECT_EQ(2u, converted[1].type);
}

// ---- Device events back to the model ----

TEST(MacroEventsFromDevice, KeysComeBackWithoutVirtualKeyExceptPauseAndNumLock)
{
    EXPECT_EQ(MakeKeyEvent(0, 0x1E, kMacroPressed, 0), FromDevice(2, 0x0000001E));
    EXPECT_EQ(MakeKeyEvent(0, 0x1E, kMacroReleased, 0), FromDevice(2, 0x0001001E));
    EXPECT_EQ(MakeKeyEvent(0, 0x1D, kMacroPressed, kMacroExtendedKey), FromDevice(2, 0x0002001D));
    EXPECT_EQ(MakeKeyEvent(kVirtualKeyNumLock, 69, kMacroPressed, 0), FromDevice(2, 0x00000045));
    EXPECT_EQ(MakeKeyEvent(kVirtualKeyPause, 69, kMacroPressed, 0), FromDevice(2, 0x00020045));
}

TEST(MacroEventsFromDevice, AReleasedPauseSurvivesTheRoundTripAsPauseNotExtended)
{
    const MacroEvent pause = MakeKeyEvent(kVirtualKeyPause, 69, kMacroReleased, 0);
    const DeviceMacroEvent out = ToDevice(pause);
    EXPECT_EQ(2u, out.type);
    EXPECT_EQ(3u, out.value >> 16);
    EXPECT_EQ(pause, FromDevice(out.type, out.value));
}

TEST(MacroEventsFromDevice, UnknownFlagsBecomeNoButtonAndUnknownTypesAreSkipped)
{
    EXPECT_EQ(MakeMouseButtonEvent(0, 0), FromDevice(1, 0x3));      // two transitions at once
    EXPECT_EQ(MakeMouseButtonEvent(0, 0), FromDevice(1, 0));
    EXPECT_EQ(MakeMouseButtonEvent(1, kMacroPressed), FromDevice(1, 0x00780001));  // wheel data ignored
    EXPECT_EQ(MakeDelayEvent(250), FromDevice(3, 250));

    std::vector<MacroEvent> events{MakeDelayEvent(1)};
    EXPECT_FALSE(FromDeviceMacroEvents({{0, 1}, {4, 2}}, &events));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(FromDeviceMacroEvents({}, &events));
    ASSERT_TRUE(FromDeviceMacroEvents({{9, 1}, {3, 40}}, &events));
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(MakeDelayEvent(40), events[0]);
}

// ---- The counted event buffer ----

TEST(MacroEventBufferTest, NEventsTakeSixteenPlusEightNBytesWithTheTailZero)
{
    EXPECT_EQ(16u, MacroEventBufferBytes(0));
    EXPECT_EQ(40u, MacroEventBufferBytes(3));

    // The device keeps scan codes only: events that come back whole have no virtual key.
    const std::vector<MacroEvent> model{MakeKeyEvent(0, 0x1E, kMacroPressed, 0), MakeDelayEvent(20),
                                        MakeKeyEvent(0, 0x1E, kMacroReleased, 0)};
    MacroEventBuffer* buffer = BuildMacroEventBuffer(model);
    ASSERT_NE(nullptr, buffer);
    IMalloc* allocator = nullptr;
    ASSERT_EQ(S_OK, CoGetMalloc(1, &allocator));
    EXPECT_EQ(40u, allocator->GetSize(buffer));
    allocator->Release();
    EXPECT_EQ(0u, ReadAt<DWORD>(buffer, 0));
    EXPECT_EQ(3u, ReadAt<DWORD>(buffer, 4));
    EXPECT_EQ(2u, ReadAt<DWORD>(buffer, 8));
    EXPECT_EQ(0x1Eu, ReadAt<DWORD>(buffer, 12));
    EXPECT_EQ(3u, ReadAt<DWORD>(buffer, 16));
    EXPECT_EQ(20u, ReadAt<DWORD>(buffer, 20));
    EXPECT_EQ(0u, ReadAt<uint64_t>(buffer, 32));

    std::vector<MacroEvent> back;
    ASSERT_TRUE(FromDeviceMacroEvents(ReadReturnedMacroEventBuffer(buffer), &back));
    EXPECT_EQ(model, back);
    CoTaskMemFree(buffer);
}

TEST(MacroEventBufferTest, AnEmptyMacroGivesCountZero)
{
    MacroEventBuffer* buffer = BuildMacroEventBuffer(std::vector<MacroEvent>{});
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(0u, buffer->reserved);
    EXPECT_EQ(0u, buffer->count);
    EXPECT_TRUE(ReadReturnedMacroEventBuffer(buffer).empty());
    CoTaskMemFree(buffer);
    EXPECT_TRUE(ReadReturnedMacroEventBuffer(nullptr).empty());
}

TEST(MacroEventBufferTest, ACountLargerThanTheBufferReadsOnlyWhatIsThere)
{
    alignas(8) BYTE bytes[8 + 2 * 8 + 4] = {};
    const DWORD lying = 1000;
    std::memcpy(bytes + 4, &lying, sizeof(lying));
    const DeviceMacroEvent events[2] = {{3, 10}, {3, 11}};
    std::memcpy(bytes + 8, events, sizeof(events));

    const std::vector<DeviceMacroEvent> read = ReadMacroEventBuffer(bytes, sizeof(bytes));
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(11u, read[1].value);
    EXPECT_TRUE(ReadMacroEventBuffer(bytes, 7).empty());
    EXPECT_TRUE(ReadMacroEventBuffer(nullptr, 100).empty());

    // The same lie in a block the service returned: the block's size bounds it.
    auto* returned = static_cast<MacroEventBuffer*>(CoTaskMemAlloc(sizeof(bytes)));
    ASSERT_NE(nullptr, returned);
    std::memcpy(returned, bytes, sizeof(bytes));
    EXPECT_EQ(2u, ReadReturnedMacroEventBuffer(returned).size());
    CoTaskMemFree(returned);
}

// ---- Profile properties ----

TEST(ProfileFlagsTest, TheFlagSetIsReadFromTwoBytes)
{
    const uint16_t stored = AutoSwitch | ShowProfileOsd;
    ProfileFlags flags{0xFFFF};
    ASSERT_TRUE(ReadProfileFlags(&stored, 2, &flags));
    EXPECT_EQ(5, flags.bits);
    EXPECT_FALSE(ReadProfileFlags(&stored, 1, &flags));
    EXPECT_FALSE(ReadProfileFlags(&stored, 0, &flags));
}

TEST(ProfileFlagsTest, WritesSetOrClearOneBitWithValueZeroOrOne)
{
    const ProfileFlagsWrite write = MakeProfileFlagsWrite(ShowProfileOsd, true);
    EXPECT_EQ(4, ReadAt<uint16_t>(&write, 0));
    EXPECT_EQ(1, ReadAt<uint16_t>(&write, 2));
    EXPECT_EQ(0, MakeProfileFlagsWrite(AutoSwitch, false).value);

    uint16_t bits = AutoSwitch;
    ASSERT_TRUE(ApplyProfileFlagsWrite(&bits, &write, sizeof(write)));
    EXPECT_EQ(5, bits);
    const ProfileFlagsWrite clear = MakeProfileFlagsWrite(AutoSwitch, false);
    ASSERT_TRUE(ApplyProfileFlagsWrite(&bits, &clear, sizeof(clear)));
    EXPECT_EQ(4, bits);
}

TEST(ProfileFlagsTest, MalformedWritesChangeNothing)
{
    uint16_t bits = kProfileSensitivityDisplay;
    const ProfileFlagsWrite twoBits{3, 1};
    const ProfileFlagsWrite unknownBit{8, 1};
    const ProfileFlagsWrite bitValue{4, 4};  // the value is 0 or 1, not the bit itself
    const ProfileFlagsWrite good{1, 1};
    EXPECT_FALSE(ApplyProfileFlagsWrite(&bits, &twoBits, 4));
    EXPECT_FALSE(ApplyProfileFlagsWrite(&bits, &unknownBit, 4));
    EXPECT_FALSE(ApplyProfileFlagsWrite(&bits, &bitValue, 4));
    EXPECT_FALSE(ApplyProfileFlagsWrite(&bits, &good, 2));
    EXPECT_FALSE(ApplyProfileFlagsWrite(&bits, nullptr, 4));
    EXPECT_EQ(kProfileSensitivityDisplay, bits);
}

TEST(LinkedProgramPropertyTest, NamesAreCutToOneHundredTwentySevenCharactersAndTerminated)
{
    const LinkedProgramProperty shortName = MakeLinkedProgramProperty(L"game.exe");
    EXPECT_EQ(std::wstring(L"game.exe"), shortName.text);
    for (size_t i = 8; i < 128; ++i)
        ASSERT_EQ(L'\0', shortName.text[i]) << i;

    const LinkedProgramProperty longName = MakeLinkedProgramProperty(std::wstring(300, L'x') + L".exe");
    EXPECT_EQ(std::wstring(127, L'x'), longName.text);
    EXPECT_EQ(L'\0', longName.text[127]);

    const LinkedProgramProperty none = MakeLinkedProgramProperty(L"");
    const BYTE zeros[256] = {};
    EXPECT_EQ(0, std::memcmp(zeros, &none, sizeof(none)));
}

TEST(LinkedProgramPropertyTest, ReadingStopsAtTheTerminatorTheSizeOrTheLimit)
{
    const LinkedProgramProperty stored = MakeLinkedProgramProperty(L"editor.exe");
    EXPECT_EQ(L"editor.exe", ReadLinkedProgramProperty(&stored, 256));
    EXPECT_EQ(L"", ReadLinkedProgramProperty(&stored, 0));
    EXPECT_EQ(L"edi", ReadLinkedProgramProperty(&stored, 7));  // an odd size ends on a whole character

    LinkedProgramProperty unterminated;
    for (wchar_t& c : unterminated.text)
        c = L'y';
    EXPECT_EQ(std::wstring(127, L'y'), ReadLinkedProgramProperty(&unterminated, 256));
    EXPECT_EQ(L"", ReadLinkedProgramProperty(nullptr, 256));
}
