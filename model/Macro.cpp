// Macros and the macro list.
#include "model/Macro.h"

#include "model/BoundedText.h"
#include "model/TextCompare.h"

#include <algorithm>
#include <cwchar>

CMacro::CMacro(const wchar_t* name, const MacroEventList& events) : m_events(events)
{
    CopyBoundedText(m_name, name);
}

bool CMacro::SetName(const wchar_t* name)
{
    wchar_t bounded[kMaxMacroName + 1];
    CopyBoundedText(bounded, name);
    if (std::wcscmp(bounded, m_name) == 0)
        return false;
    std::copy(std::begin(bounded), std::end(bounded), m_name);
    return true;
}

bool operator==(const CMacro& a, const CMacro& b)
{
    return a.Guid() == b.Guid() && EqualsNoCaseAZ(a.GetName(), b.GetName()) && a.Events() == b.Events();
}

CMacro* CMacroList::GetAt(std::size_t index) const
{
    return index < m_macros.size() ? m_macros[index].get() : nullptr;
}

CMacro* CMacroList::FindMacroByName(const wchar_t* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const auto& macro : m_macros) {
        if (EqualsNoCaseAZ(macro->GetName(), name))
            return macro.get();
    }
    return nullptr;
}

CMacro* CMacroList::FindMacroByGuid(const GUID& guid) const
{
    for (const auto& macro : m_macros) {
        if (macro->Guid() == guid)
            return macro.get();
    }
    return nullptr;
}

CMacro* CMacroList::AddMacro(const wchar_t* name, const MacroEventList& events)
{
    // Look up the name as it would be stored, so that a long name cannot slip past a macro that
    // already holds its first kMaxMacroName characters.
    const std::wstring stored = BoundedText(name, kMaxMacroName);
    if (FindMacroByName(stored.c_str()) != nullptr)
        return nullptr;
    m_macros.push_back(std::make_unique<CMacro>(stored.c_str(), events));
    return m_macros.back().get();
}

void CMacroList::RemoveMacro(CMacro* macro)
{
    const auto it = std::find_if(m_macros.begin(), m_macros.end(),
                                 [macro](const std::unique_ptr<CMacro>& held) { return held.get() == macro; });
    if (macro != nullptr && it != m_macros.end())
        m_macros.erase(it);
}
