// Macros: CMacro, a named, recorded sequence of key, mouse-button and delay events, and CMacroList,
// the store's ordered list of them.
#pragma once

#include "model/MacroEvent.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

using MacroEventList = std::vector<MacroEvent>;

// Characters a macro name holds, the terminator not counted.
constexpr std::size_t kMaxMacroName = 255;

class CMacro {
public:
    CMacro() = default;
    // The name is cut to kMaxMacroName characters; null = empty.
    CMacro(const wchar_t* name, const MacroEventList& events);

    const wchar_t* GetName() const { return m_name; }
    // Cut to kMaxMacroName characters. True when the stored name changed, a change of letter case
    // included: callers that push a rename on use this, not the case-blind equality below.
    bool SetName(const wchar_t* name);

    void GetGuid(GUID& out) const { out = m_guid; }
    const GUID& Guid() const { return m_guid; }
    void SetGuid(const GUID& guid) { m_guid = guid; }

    MacroEventList& Events() { return m_events; }
    const MacroEventList& Events() const { return m_events; }
    void SetEvents(const MacroEventList& events) { m_events = events; }

    const std::wstring& GetDescription() const { return m_description; }
    void SetDescription(const std::wstring& text) { m_description = text; }

private:
    wchar_t m_name[kMaxMacroName + 1] = {};
    GUID m_guid{};
    MacroEventList m_events;
    std::wstring m_description;
};

// Same GUID, names equal up to the case of A-Z, and the same events in the same order. The description
// does not count.
bool operator==(const CMacro& a, const CMacro& b);
inline bool operator!=(const CMacro& a, const CMacro& b) { return !(a == b); }

class CMacroList {
public:
    CMacroList() = default;
    CMacroList(const CMacroList&) = delete;
    CMacroList& operator=(const CMacroList&) = delete;
    virtual ~CMacroList() = default;

    std::size_t GetCount() const { return m_macros.size(); }
    // Null when the index is not below the count.
    CMacro* GetAt(std::size_t index) const;

    // First macro in list order whose name equals `name` up to the case of A-Z; null = none.
    CMacro* FindMacroByName(const wchar_t* name) const;
    // First macro in list order with this GUID; null = none.
    CMacro* FindMacroByGuid(const GUID& guid) const;
    // Appends a macro with a copy of the events; null, and nothing added, when the name is taken
    // (letter case aside).
    CMacro* AddMacro(const wchar_t* name, const MacroEventList& events);
    // Destroys the macro when it is in the list; anything else (null included) is left alone.
    void RemoveMacro(CMacro* macro);

private:
    std::vector<std::unique_ptr<CMacro>> m_macros;
};
