// Tests of the key assignment record, its builders and the kinds a profile of this keyboard accepts.
#include "model/KeyAssignment.h"
#include "model/OssleProfile.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

const GUID kMacroGuid = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};

bool DataIsZeroFrom(const KeyAssignment& record, size_t firstByte)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record.data);
    for (size_t i = firstByte; i < sizeof(record.data); ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

// A record full of leftovers from an earlier kind, as the page reuses one record.
KeyAssignment UsedRecord()
{
    KeyAssignment record;
    record.kind = kKindLaunchProgramText;
    for (wchar_t& c : record.data.text)
        c = L'x';
    record.param = 77;
    record.count = 9;
    return record;
}

TEST(KeyAssignmentTest, EmptyRecordIsKindMinusOneAndAllZero)
{
    const KeyAssignment record;
    EXPECT_EQ(record.kind, kKindNone);
    EXPECT_TRUE(DataIsZeroFrom(record, 0));
    EXPECT_EQ(record.param, 0u);
    EXPECT_EQ(record.count, 0u);
    // The text kinds carry a path or name of up to 259 characters and a terminator.
    EXPECT_EQ(sizeof(record.data), 260 * sizeof(wchar_t));
}

TEST(KeyAssignmentTest, MacroBuildersClearWhatTheKindDoesNotUse)
{
    KeyAssignment record = UsedRecord();
    KeyAssignment& result = MakeMacroAssignment(record, kMacroGuid, kPlayWhilePressed);
    EXPECT_EQ(&result, &record);
    EXPECT_EQ(record.kind, kKindMacro);
    EXPECT_EQ(record.data.guid, kMacroGuid);
    EXPECT_TRUE(DataIsZeroFrom(record, sizeof(GUID)));
    EXPECT_EQ(record.param, uint32_t(kPlayWhilePressed));
    EXPECT_EQ(record.count, 0u);

    record = UsedRecord();
    MakeMacroTextAssignment(record, L"Greeting", kPlayMultiple);
    EXPECT_EQ(record.kind, kKindMacroText);
    EXPECT_STREQ(record.data.text, L"Greeting");
    EXPECT_TRUE(DataIsZeroFrom(record, sizeof(L"Greeting")));
    EXPECT_EQ(record.param, uint32_t(kPlayMultiple));
    EXPECT_EQ(record.count, 0u);
}

TEST(KeyAssignmentTest, KeyBuildersFillTheKeyData)
{
    KeyAssignment record = UsedRecord();
    MakeDefaultAssignment(record, 0x1D, true);
    EXPECT_EQ(record.kind, kKindDefaultKey);
    EXPECT_EQ(record.data.key.scanCode, 0x1D);
    EXPECT_EQ(record.data.key.virtualKey, 0);
    EXPECT_EQ(record.data.key.extended, 1);
    EXPECT_TRUE(DataIsZeroFrom(record, sizeof(AssignedKey)));
    EXPECT_EQ(record.param, 0u);

    MakeSingleKeyAssignment(record, 0x1E, 0x41, false);
    EXPECT_EQ(record.kind, kKindSingleKey);
    EXPECT_EQ(record.data.key.scanCode, 0x1E);
    EXPECT_EQ(record.data.key.virtualKey, 0x41);
    EXPECT_EQ(record.data.key.extended, 0);
}

TEST(KeyAssignmentTest, LongTextsAreCutAndTerminated)
{
    const std::wstring longName(400, L'n');
    KeyAssignment record;
    MakeMacroTextAssignment(record, longName.c_str(), kPlayOnce);
    EXPECT_EQ(std::wcslen(record.data.text), size_t(kAssignmentTextLength));
    EXPECT_EQ(record.data.text[kAssignmentTextLength], L'\0');
    // Nothing was written past the field.
    EXPECT_EQ(record.param, uint32_t(kPlayOnce));

    MakeTextAssignment(record, kKindLaunchProgramText, nullptr);
    EXPECT_EQ(record.kind, kKindLaunchProgramText);
    EXPECT_TRUE(DataIsZeroFrom(record, 0));
}

TEST(KeyAssignmentTest, ProfileAcceptsTheConfiguratorKindsAndTheirTextTwins)
{
    const COssleProfile profile;
    for (int kind : {0, 5, 6, 7, 21, 22, 62, 63})
        EXPECT_TRUE(profile.IsKindSupported(kind)) << kind;
    for (int kind : {-1, 1, 2, 3, 4, 8, 20, 23, 61, 64})
        EXPECT_FALSE(profile.IsKindSupported(kind)) << kind;

    // The generic keyboard profile accepts nothing.
    const CKeyboardProfile generic;
    for (int kind = -1; kind <= 64; ++kind)
        EXPECT_FALSE(generic.IsKindSupported(kind)) << kind;
}

} // namespace
