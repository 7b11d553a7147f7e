// CProfileList: the store's ordered list of owned profiles, a class template over the concrete profile
// class. Indexes are positions in insertion order.
#pragma once

#include "model/TextCompare.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class TProfile>
class CProfileList {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    CProfileList() = default;
    CProfileList(const CProfileList&) = delete;
    CProfileList& operator=(const CProfileList&) = delete;
    ~CProfileList() { Clear(); }

    std::size_t GetCount() const { return m_profiles.size(); }

    // Null when the index is not below the count.
    TProfile* GetAt(std::size_t index) const
    {
        return index < m_profiles.size() ? m_profiles[index].get() : nullptr;
    }

    // The position of a profile held by the list, npos for any other pointer (null included).
    template <class T>
    std::size_t IndexOf(const T* profile) const
    {
        if (profile == nullptr)
            return npos;
        for (std::size_t i = 0; i < m_profiles.size(); ++i) {
            if (static_cast<const T*>(m_profiles[i].get()) == profile)
                return i;
        }
        return npos;
    }

    TProfile* FindByGuid(const GUID& guid) const
    {
        for (const auto& profile : m_profiles) {
            GUID held;
            profile->GetGuid(held);
            if (held == guid)
                return profile.get();
        }
        return nullptr;
    }

    // Names equal up to the case of A-Z; the first in list order wins.
    TProfile* FindByName(const wchar_t* name) const
    {
        if (name == nullptr)
            return nullptr;
        for (const auto& profile : m_profiles) {
            if (EqualsNoCaseAZ(profile->GetName().c_str(), name))
                return profile.get();
        }
        return nullptr;
    }

    TProfile* Append(std::unique_ptr<TProfile> profile)
    {
        m_profiles.push_back(std::move(profile));
        return m_profiles.back().get();
    }

    // Puts `profile` at `index` and hands back the one that was there.
    std::unique_ptr<TProfile> Replace(std::size_t index, std::unique_ptr<TProfile> profile)
    {
        std::swap(m_profiles[index], profile);
        return profile;
    }

    // Takes the profile at `index` out of the list; the others keep their order.
    std::unique_ptr<TProfile> Take(std::size_t index)
    {
        std::unique_ptr<TProfile> taken = std::move(m_profiles[index]);
        m_profiles.erase(m_profiles.begin() + static_cast<std::ptrdiff_t>(index));
        return taken;
    }

    // Destroys every profile, last first.
    void Clear()
    {
        while (!m_profiles.empty())
            m_profiles.pop_back();
    }

    auto begin() const { return m_profiles.begin(); }
    auto end() const { return m_profiles.end(); }

private:
    std::vector<std::unique_ptr<TProfile>> m_profiles;
};
