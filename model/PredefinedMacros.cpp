// The predefined commands and the key steps they are built from.
#include "model/PredefinedMacros.h"

#include "model/NameTables.h"

namespace {

// Keys in step-id order: key k has the press step 2k+1 and the release step 2k+2.
struct StepKey {
    uint16_t virtualKey;
    uint16_t scanCode;
    uint8_t flags;
};
constexpr StepKey kStepKeys[] = {
    {0xA2, 0x1D, 0},                  // 1/2 left Ctrl
    {0xA4, 0x38, 0},                  // 3/4 left Alt
    {0x5B, 0x5B, kMacroExtendedKey},  // 5/6 left Windows
    {0x09, 0x0F, 0},                  // 7/8 Tab
    {0x73, 0x3E, 0},                  // 9/10 F4
    {0xBB, 0x0D, 0},                  // 11/12 equals/plus
    {0xBD, 0x0C, 0},                  // 13/14 minus/underscore
    {0x41, 0x1E, 0},                  // 15/16 A
    {0x43, 0x2E, 0},                  // 17/18 C
    {0x44, 0x20, 0},                  // 19/20 D
    {0x45, 0x12, 0},                  // 21/22 E
    {0x46, 0x21, 0},                  // 23/24 F
    {0x4C, 0x26, 0},                  // 25/26 L
    {0x4E, 0x31, 0},                  // 27/28 N
    {0x50, 0x19, 0},                  // 29/30 P
    {0x52, 0x13, 0},                  // 31/32 R
    {0x53, 0x1F, 0},                  // 33/34 S
    {0x56, 0x2F, 0},                  // 35/36 V
    {0x58, 0x2D, 0},                  // 37/38 X
    {0x5A, 0x2C, 0},                  // 39/40 Z
};

// Press steps of the modifiers and keys.
constexpr int kCtrl = 1, kAlt = 3, kWin = 5, kTab = 7, kF4 = 9, kPlus = 11, kMinus = 13, kA = 15, kC = 17,
              kD = 19, kE = 21, kF = 23, kL = 25, kN = 27, kP = 29, kR = 31, kS = 33, kV = 35, kX = 37, kZ = 39;

struct CommandDef {
    int actionId;
    int modifier;
    int key;
};
constexpr CommandDef kCommands[] = {
    {1, kCtrl, kX},  {2, kCtrl, kC},  {3, kCtrl, kV},    {4, kCtrl, kZ},      {5, kCtrl, kA},  {6, kCtrl, kF},
    {7, kCtrl, kN},  {8, kCtrl, kP},  {9, kCtrl, kS},    {10, kAlt, kTab},    {11, kAlt, kF4}, {12, kWin, kL},
    {13, kWin, kE},  {14, kWin, kR},  {15, kWin, kD},    {16, kCtrl, kPlus},  {17, kCtrl, kMinus},
};

constexpr int kLastFirstGroupId = 9;
constexpr int kLastSecondGroupId = 17;

} // namespace

CPredefinedMacroList::CPredefinedMacroList()
{
    BuildSteps();
    BuildGroups();
}

void CPredefinedMacroList::BuildSteps()
{
    int id = 1;
    for (const StepKey& key : kStepKeys) {
        const uint32_t keyData = uint32_t(key.virtualKey) << 16 | key.scanCode;
        m_steps[id++] = KeyStep{keyData, kMacroPressed, key.flags};
        m_steps[id++] = KeyStep{keyData, kMacroReleased, key.flags};
    }
}

std::vector<MacroEvent> CPredefinedMacroList::Command(int modifierStep, int keyStep) const
{
    std::vector<MacroEvent> events;
    for (int step : {modifierStep, keyStep, keyStep + 1, modifierStep + 1}) {
        const KeyStep& s = m_steps.at(step);
        events.push_back(MacroEvent{kMacroKey, s.keyData, uint32_t(s.flags) << 8 | s.state});
    }
    return events;
}

void CPredefinedMacroList::BuildGroups()
{
    for (const CommandDef& command : kCommands) {
        auto& group = command.actionId <= kLastFirstGroupId ? m_firstGroup : m_secondGroup;
        group[command.actionId] = Command(command.modifier, command.key);
    }
}

void CPredefinedMacroList::AppendNames(const std::map<int, std::vector<MacroEvent>>& group,
                                       std::vector<std::wstring>& names)
{
    names.clear();
    for (const auto& entry : group) {
        if (const wchar_t* key = ActionKey(entry.first))
            names.push_back(key);
    }
}

void CPredefinedMacroList::GetFirstGroupNames(std::vector<std::wstring>& names) const
{
    AppendNames(m_firstGroup, names);
}

void CPredefinedMacroList::GetSecondGroupNames(std::vector<std::wstring>& names) const
{
    AppendNames(m_secondGroup, names);
}

bool CPredefinedMacroList::GetMacroSteps(const std::wstring& actionKey, std::vector<MacroEvent>& events) const
{
    const int id = FindActionId(actionKey);
    const std::map<int, std::vector<MacroEvent>>* group = nullptr;
    if (id >= 1 && id <= kLastFirstGroupId)
        group = &m_firstGroup;
    else if (id > kLastFirstGroupId && id <= kLastSecondGroupId)
        group = &m_secondGroup;
    if (group != nullptr) {
        const auto it = group->find(id);
        if (it != group->end())
            events.insert(events.end(), it->second.begin(), it->second.end());
    }
    return true;
}

CPredefinedMacroList& PredefinedMacros()
{
    static CPredefinedMacroList list;
    return list;
}
