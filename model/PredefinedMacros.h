// The ready-made commands that the macros page inserts into a macro: editing shortcuts (action ids
// 1..9) and window and system shortcuts (action ids 10..17), each as its key events.
#pragma once

#include "model/MacroEvent.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CPredefinedMacroList {
public:
    // One key's press or release, from which the commands are put together.
    struct KeyStep {
        uint32_t keyData;  // virtual-key code << 16 | scan code
        uint8_t state;     // kMacroPressed or kMacroReleased
        uint8_t flags;     // kMacroExtendedKey or 0
    };

    CPredefinedMacroList();
    CPredefinedMacroList(const CPredefinedMacroList&) = delete;
    CPredefinedMacroList& operator=(const CPredefinedMacroList&) = delete;
    virtual ~CPredefinedMacroList() = default;

    // Replace `names` with the language keys of the group, by ascending action id. The keys come from
    // ActionNames(), so the name tables must be filled.
    void GetFirstGroupNames(std::vector<std::wstring>& names) const;
    void GetSecondGroupNames(std::vector<std::wstring>& names) const;

    // Appends the events of the command whose action key is `actionKey` (A-Z case aside) to `events`,
    // keeping what is there; a text that names no command appends nothing. Always true.
    bool GetMacroSteps(const std::wstring& actionKey, std::vector<MacroEvent>& events) const;

    const std::map<int, KeyStep>& Steps() const { return m_steps; }

private:
    static void AppendNames(const std::map<int, std::vector<MacroEvent>>& group, std::vector<std::wstring>& names);
    void BuildSteps();
    void BuildGroups();
    std::vector<MacroEvent> Command(int modifierStep, int keyStep) const;

    std::map<int, std::vector<MacroEvent>> m_firstGroup;
    std::map<int, std::vector<MacroEvent>> m_secondGroup;
    std::map<int, KeyStep> m_steps;
};

// The one instance of the process.
CPredefinedMacroList& PredefinedMacros();
