// Tests of the predefined commands: every command's key events, the group name lists and the lookup
// by action key.
#include "model/NameTables.h"
#include "model/PredefinedMacros.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Key {
    uint16_t virtualKey;
    uint16_t scanCode;
    uint8_t flags;
};
constexpr Key kLeftCtrl{0xA2, 0x1D, 0}, kLeftAlt{0xA4, 0x38, 0}, kLeftWin{0x5B, 0x5B, 1};
constexpr Key kTab{0x09, 0x0F, 0}, kF4{0x73, 0x3E, 0}, kPlus{0xBB, 0x0D, 0}, kMinus{0xBD, 0x0C, 0};
constexpr Key kA{0x41, 0x1E, 0}, kC{0x43, 0x2E, 0}, kD{0x44, 0x20, 0}, kE{0x45, 0x12, 0}, kF{0x46, 0x21, 0};
constexpr Key kL{0x4C, 0x26, 0}, kN{0x4E, 0x31, 0}, kP{0x50, 0x19, 0}, kR{0x52, 0x13, 0}, kS{0x53, 0x1F, 0};
constexpr Key kV{0x56, 0x2F, 0}, kX{0x58, 0x2D, 0}, kZ{0x5A, 0x2C, 0};

struct Command {
    const wchar_t* actionKey;
    Key modifier;
    Key key;
};
const Command kCommands[] = {
    {L"$cut", kLeftCtrl, kX},         {L"$copy", kLeftCtrl, kC},        {L"$paste", kLeftCtrl, kV},
    {L"$undo", kLeftCtrl, kZ},        {L"$all", kLeftCtrl, kA},         {L"$find", kLeftCtrl, kF},
    {L"$new", kLeftCtrl, kN},         {L"$print", kLeftCtrl, kP},       {L"$save", kLeftCtrl, kS},
    {L"$swapwindows", kLeftAlt, kTab}, {L"$closewindow", kLeftAlt, kF4}, {L"$lockpc", kLeftWin, kL},
    {L"$openexplorer", kLeftWin, kE}, {L"$run", kLeftWin, kR},          {L"$showdesktop", kLeftWin, kD},
    {L"$zoomin", kLeftCtrl, kPlus},   {L"$zoomout", kLeftCtrl, kMinus},
};

MacroEvent Expected(const Key& key, uint8_t state)
{
    return MacroEvent{0, uint32_t(key.virtualKey) << 16 | key.scanCode, uint32_t(key.flags) << 8 | state};
}

class PredefinedMacrosTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitNameTables(); }
    CPredefinedMacroList list;
};

TEST_F(PredefinedMacrosTest, EveryCommandIsModifierKeyKeyModifier)
{
    for (const Command& command : kCommands) {
        std::vector<MacroEvent> events;
        EXPECT_TRUE(list.GetMacroSteps(command.actionKey, events));
        const std::vector<MacroEvent> expected = {
            Expected(command.modifier, 255), Expected(command.key, 255), Expected(command.key, 1),
            Expected(command.modifier, 1)};
        EXPECT_EQ(events, expected) << command.actionKey;
    }
}

TEST_F(PredefinedMacrosTest, StepTableHoldsPressAndReleaseOfEachKey)
{
    const Key inStepOrder[] = {kLeftCtrl, kLeftAlt, kLeftWin, kTab, kF4, kPlus, kMinus, kA, kC, kD,
                               kE,        kF,       kL,       kN,   kP,  kR,    kS,     kV, kX, kZ};
    const auto& steps = list.Steps();
    ASSERT_EQ(steps.size(), 40u);
    int id = 1;
    for (const Key& key : inStepOrder) {
        for (uint8_t state : {uint8_t(255), uint8_t(1)}) {
            ASSERT_EQ(steps.count(id), 1u) << id;
            const auto& step = steps.at(id);
            EXPECT_EQ(step.keyData, uint32_t(key.virtualKey) << 16 | key.scanCode) << id;
            EXPECT_EQ(step.state, state) << id;
            EXPECT_EQ(step.flags, key.flags) << id;
            ++id;
        }
    }
}

TEST_F(PredefinedMacrosTest, LookupFoldsCaseAndAppends)
{
    std::vector<MacroEvent> events = {MacroEvent{2, 100, 0}};
    EXPECT_TRUE(list.GetMacroSteps(L"$COPY", events));
    const std::vector<MacroEvent> expected = {MacroEvent{2, 100, 0}, Expected(kLeftCtrl, 255), Expected(kC, 255),
                                              Expected(kC, 1), Expected(kLeftCtrl, 1)};
    EXPECT_EQ(events, expected);

    for (const wchar_t* text : {L"copy", L"$copy ", L"", L"$defaultkey"}) {
        std::vector<MacroEvent> none;
        EXPECT_TRUE(list.GetMacroSteps(text, none)) << text;
        EXPECT_TRUE(none.empty());
    }

    std::vector<MacroEvent> twice;
    list.GetMacroSteps(L"$run", twice);
    list.GetMacroSteps(L"$run", twice);
    ASSERT_EQ(twice.size(), 8u);
    for (size_t i : {0u, 3u, 4u, 7u})
        EXPECT_EQ((twice[i].data2 >> 8) & 0xFF, 1u) << i;  // the Windows key is extended
    EXPECT_EQ(twice[4], twice[0]);
}

TEST_F(PredefinedMacrosTest, GroupNamesInIdOrder)
{
    std::vector<std::wstring> names = {L"stale"};
    list.GetFirstGroupNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"$cut", L"$copy", L"$paste", L"$undo", L"$all", L"$find", L"$new",
                                                L"$print", L"$save"}));
    list.GetSecondGroupNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"$swapwindows", L"$closewindow", L"$lockpc", L"$openexplorer",
                                                L"$run", L"$showdesktop", L"$zoomin", L"$zoomout"}));
}

} // namespace
