// The application list.
#include "model/AppList.h"

#include "model/TextCompare.h"

#include <algorithm>

AppEntry* CQnAppList::GetAt(std::size_t index) const
{
    return index < m_apps.size() ? m_apps[index].get() : nullptr;
}

AppEntry* CQnAppList::FindAppByName(const wchar_t* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const auto& app : m_apps) {
        if (EqualsNoCaseAZ(app->name.c_str(), name))
            return app.get();
    }
    return nullptr;
}

AppEntry* CQnAppList::FindAppByGuid(const GUID& guid) const
{
    for (const auto& app : m_apps) {
        if (app->guid == guid)
            return app.get();
    }
    return nullptr;
}

AppEntry* CQnAppList::AddApp(const wchar_t* name)
{
    const std::wstring text = name != nullptr ? name : L"";
    if (FindAppByName(text.c_str()) != nullptr)
        return nullptr;
    m_apps.push_back(std::make_unique<AppEntry>());
    m_apps.back()->name = text;
    return m_apps.back().get();
}

void CQnAppList::RemoveApp(AppEntry* entry)
{
    const auto it = std::find_if(m_apps.begin(), m_apps.end(),
                                 [entry](const std::unique_ptr<AppEntry>& held) { return held.get() == entry; });
    if (entry != nullptr && it != m_apps.end())
        m_apps.erase(it);
}
