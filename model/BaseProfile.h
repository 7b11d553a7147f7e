// The generic profile classes: CBaseProfile holds a profile's name, identity, linked program, switches
// and key assignments; CKeyboardProfile adds the keyboard's display switches. A keyboard's own profile
// class (COssleProfile) decides which assignment kinds it accepts.
#pragma once

#include "model/KeyAssignment.h"

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>

// Longest file name of a linked program: the device keeps it in 128 characters with the terminator.
constexpr std::size_t kMaxAppFileName = 127;

class CBaseProfile {
public:
    CBaseProfile() = default;
    explicit CBaseProfile(const wchar_t* name);
    // Copies everything but the file path: a copy is a new profile and must not delete or overwrite
    // the original's file.
    CBaseProfile(const CBaseProfile& other);
    CBaseProfile& operator=(const CBaseProfile&) = delete;
    virtual ~CBaseProfile() = default;

    virtual const std::wstring& GetName() const;
    virtual void SetName(const wchar_t* name);  // null = empty; cut to kMaxPathText
    virtual void GetGuid(GUID& out) const;
    virtual void SetGuid(const GUID& guid);
    virtual bool HasFile() const;
    virtual const std::wstring& GetFilePath() const;
    virtual const std::wstring& GetAppFileName() const;
    virtual void SetAppFileName(const wchar_t* fileName);  // null = empty; cut to kMaxAppFileName
    virtual const std::wstring& GetAppPath() const;
    virtual void SetApp(const wchar_t* path);
    virtual bool SetKeyAssignment(int keyId, const KeyAssignment& record);
    virtual KeyAssignment& GetKeyAssignment(KeyAssignment& out, int keyId);
    virtual bool IsKindSupported(int kind) const = 0;
    virtual void SetAutoSwitch(BYTE on);
    virtual BYTE GetAutoSwitch() const;
    virtual void SetLightingOn(BYTE on);
    virtual BYTE GetLightingOn() const;
    virtual void SetShowProfileOsd(BYTE on);
    virtual BYTE GetShowProfileOsd() const;
    // Profile files are the device service's business: these answer false.
    virtual bool SaveToFile(std::wstring& outPath, const wchar_t* folder, const wchar_t* extension);
    virtual bool LoadFromFile(const wchar_t* stem, const wchar_t* folder, const wchar_t* extension);

    // For profile classes that keep a file; null or empty = no file. Cut to kMaxPathText.
    void SetFilePath(const wchar_t* path);
    // Every key the profile holds, by ascending key id.
    const std::map<int, KeyAssignment>& KeyAssignments() const { return m_keys; }

private:
    std::map<int, KeyAssignment> m_keys;
    std::wstring m_name;
    std::wstring m_appPath;
    std::wstring m_appFileName;
    std::wstring m_filePath;
    GUID m_guid{};
    BYTE m_autoSwitch = 0;
    BYTE m_showProfileOsd = 1;
    BYTE m_lightingOn = 1;
};

class CKeyboardProfile : public CBaseProfile {
public:
    using CBaseProfile::CBaseProfile;

    bool IsKindSupported(int kind) const override;
    // This keyboard shows no sensitivity display: the setting is not kept.
    virtual void SetShowDpiOsd(BYTE on);
    virtual bool GetShowDpiOsd() const;
};
