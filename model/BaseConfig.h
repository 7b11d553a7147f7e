// CBaseConfig: the generic part of a configuration store, a class template over the concrete profile
// class. It owns the profiles, the macros and the application list, knows the active profile, and keeps
// profiles as files in the profile folder with the active profile's name in the settings file.
#pragma once

#include "model/AppList.h"
#include "model/BoundedText.h"
#include "model/Macro.h"
#include "model/ProfileFolder.h"
#include "model/ProfileList.h"
#include "skin/AppFolder.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

// The settings file's profile functions drop surrounding blanks and one pair of surrounding quotes
// from a value; a name that begins or ends with either is written inside quotes so it reads back whole.
inline std::wstring QuoteSettingValue(const std::wstring& value)
{
    if (value.empty())
        return value;
    auto special = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'"' || c == L'\''; };
    if (special(value.front()) || special(value.back()))
        return L"\"" + value + L"\"";
    return value;
}

// TProfile is a profile class with IKeyboardProfile's operations, a copy constructor that leaves the
// file path behind, and SetFilePath.
template <class TProfile>
class CBaseConfig {
public:
    using ProfileList = CProfileList<TProfile>;

    // The profile folder and the settings file lie below the program folder as it is now.
    CBaseConfig() { BuildStorePaths(AppFolder()); }
    CBaseConfig(const CBaseConfig&) = delete;
    CBaseConfig& operator=(const CBaseConfig&) = delete;
    // The application list goes first, then the macros, then the profiles (the members' reverse order).
    virtual ~CBaseConfig() = default;

    virtual int GetReservedValue() const { return 1024; }
    // The extension of this keyboard's profile files, without the dot.
    virtual const wchar_t* GetProfileExtension() const = 0;

    // --- Profiles. A pointer that the list does not hold is never made active, renamed or removed.

    void ClearProfiles()
    {
        m_active = nullptr;
        m_profiles.Clear();
    }

    std::size_t GetProfileCount() const { return m_profiles.GetCount(); }
    TProfile* GetProfileAt(std::size_t index) const { return m_profiles.GetAt(index); }
    bool HoldsProfile(const TProfile* profile) const { return m_profiles.IndexOf(profile) != ProfileList::npos; }
    TProfile* FindProfileByGuid(const GUID& guid) const { return m_profiles.FindByGuid(guid); }
    TProfile* FindProfileByName(const wchar_t* name) const { return m_profiles.FindByName(name); }
    TProfile* GetActiveProfile() const { return m_active; }

    void SetActiveProfile(TProfile* profile)
    {
        if (profile == nullptr || HoldsProfile(profile))
            m_active = profile;
    }

    // Appends a profile with the class's defaults; the store sets no limit and checks no name.
    TProfile* AddProfile(const wchar_t* name) { return m_profiles.Append(std::make_unique<TProfile>(name)); }

    // A copy under the same name, without the original's GUID: two profiles with one GUID would write
    // into one device profile. The copy gets a device profile of its own on the next write.
    TProfile* DuplicateProfile(TProfile* profile)
    {
        if (profile == nullptr)
            return nullptr;
        auto copy = std::make_unique<TProfile>(*profile);
        copy->SetGuid(GUID{});
        return m_profiles.Append(std::move(copy));
    }

    // A renamed copy takes the profile's place, its activity and its file; the old object is destroyed.
    // Null, with nothing changed, when the profile is not held or its name is already exactly the new
    // one (a change of letter case is a rename).
    TProfile* ReplaceProfileName(TProfile* profile, const wchar_t* newName)
    {
        if (profile == nullptr)
            return nullptr;
        const std::size_t index = m_profiles.IndexOf(profile);
        if (index == ProfileList::npos)
            return nullptr;
        auto copy = CopyWithName(*profile, newName);
        if (!copy)
            return nullptr;

        TProfile* renamed = copy.get();
        std::unique_ptr<TProfile> old = m_profiles.Replace(index, std::move(copy));

        if (old->HasFile())
            MoveProfileFile(*old, *renamed);
        if (m_active == old.get())
            m_active = renamed;
        return renamed;
    }

    // Appends a copy under the new name with a zero GUID, so the device takes it for a new profile.
    // Other profiles may bear the same name; the pages check that.
    TProfile* CopyProfileAs(TProfile* profile, const wchar_t* newName)
    {
        if (profile == nullptr)
            return nullptr;
        auto copy = CopyWithName(*profile, newName);
        if (!copy)
            return nullptr;
        copy->SetGuid(GUID{});
        return m_profiles.Append(std::move(copy));
    }

    // Destroys a held profile and deletes its file; any other pointer is left alone, its file included.
    void RemoveProfile(TProfile* profile)
    {
        const std::size_t index = m_profiles.IndexOf(profile);
        if (index == ProfileList::npos)
            return;
        if (m_active == profile)
            m_active = nullptr;
        if (profile->HasFile())
            DeleteProfileFile(profile->GetFilePath());
        m_profiles.Take(index);
    }

    const ProfileList& Profiles() const { return m_profiles; }

    // --- Macros and programs.

    CMacroList& Macros() { return m_macros; }
    const CMacroList& Macros() const { return m_macros; }
    CQnAppList& Apps() { return m_apps; }
    const CQnAppList& Apps() const { return m_apps; }

    // --- The profile folder and the settings file.

    // One profile: the profile's own save result. Null: every profile, and true whatever they answer.
    bool SaveProfiles(TProfile* profile)
    {
        std::wstring path;
        if (profile != nullptr)
            return SaveProfile(*profile, path);
        for (const auto& held : m_profiles)
            SaveProfile(*held, path);
        return true;
    }

    // When the folder holds profile files, the profiles are replaced by those the files give, in the
    // order the search finds them, up to the first file that does not load. Without files the profiles
    // stay as they are. The number of profiles loaded.
    unsigned ScanProfileFolder()
    {
        unsigned loaded = 0;
        bool cleared = false;
        const std::wstring& folder = ProfileFolderPath();
        ForEachProfileFile(folder, GetProfileExtension(), [&](const std::wstring& stem) {
            if (!cleared) {
                ClearProfiles();
                cleared = true;
            }
            auto profile = std::make_unique<TProfile>();
            if (!profile->LoadFromFile(stem.c_str(), folder.c_str(), GetProfileExtension()))
                return false;
            m_profiles.Append(std::move(profile));
            ++loaded;
            return true;
        });
        return loaded;
    }

    // Scans the profile folder; when it loaded profiles, the first becomes active, or the one that the
    // settings file names (letter case aside). Always false: callers judge by the profiles themselves.
    bool LoadSettings()
    {
        const unsigned loaded = ScanProfileFolder();
        const std::wstring name = ReadSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey, L"");
        if (loaded != 0) {
            m_active = m_profiles.GetAt(0);
            if (!name.empty()) {
                if (TProfile* named = m_profiles.FindByName(name.c_str()))
                    m_active = named;
            }
        }
        return false;
    }

    // Saves every profile, then records the active profile's name. False, with the settings file left
    // alone, when no profile is active.
    bool SaveSettings()
    {
        if (!SaveProfiles(nullptr))
            return false;
        if (m_active == nullptr)
            return false;
        return WriteSetting(SettingsFilePath(), kSettingsSection, kActiveProfileKey,
                            QuoteSettingValue(m_active->GetName()).c_str());
    }

private:
    // A copy of the profile under the new name, cut as the profile would keep it; null without a name or
    // when the profile already bears exactly that name (a change of letter case is a rename). Comparing
    // the cut name means that an over-long name that the cut makes equal to the current one changes
    // nothing.
    static std::unique_ptr<TProfile> CopyWithName(const TProfile& profile, const wchar_t* newName)
    {
        if (newName == nullptr)
            return nullptr;
        const std::wstring name = BoundedText(newName, kMaxPathText);
        if (profile.GetName() == name)
            return nullptr;
        auto copy = std::make_unique<TProfile>(profile);
        copy->SetName(name.c_str());
        return copy;
    }

    bool SaveProfile(TProfile& profile, std::wstring& path)
    {
        path.clear();
        return profile.SaveToFile(path, ProfileFolderPath().c_str(), GetProfileExtension());
    }

    // The renamed profile is saved under its new name before the old file goes, and the old file goes
    // only when the new one is a different file: a failed save or a rename that changes only letter case
    // (the same file on this file system) must not lose the profile's only file.
    void MoveProfileFile(const TProfile& old, TProfile& renamed)
    {
        std::wstring savedPath;
        const bool saved = SaveProfile(renamed, savedPath);
        if (saved && savedPath.empty())
            savedPath = renamed.GetFilePath();
        if (saved && !savedPath.empty() && !IsSameFilePath(savedPath, old.GetFilePath())) {
            DeleteProfileFile(old.GetFilePath());
            return;
        }
        // The old file still holds the profile: it stays the profile's file, so removing the profile
        // later removes it too.
        if (!renamed.HasFile())
            renamed.SetFilePath(old.GetFilePath().c_str());
    }

    ProfileList m_profiles;
    TProfile* m_active = nullptr;
    CMacroList m_macros;
    CQnAppList m_apps;
};
