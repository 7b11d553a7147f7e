// COssleProfile: a profile of this keyboard, the class behind every IKeyboardProfile of the store.
#pragma once

#include "model/BaseProfile.h"
#include "model/IKeyboardProfile.h"

class COssleProfile : public CKeyboardProfile, public IKeyboardProfile {
public:
    COssleProfile() = default;
    explicit COssleProfile(const wchar_t* name) : CKeyboardProfile(name) {}
    COssleProfile(const COssleProfile& other) = default;

    // Kinds 0, 5, 6, 21 and 62, and the text twins 7, 22 and 63.
    bool IsKindSupported(int kind) const override;
    // Defaults come from the program-wide keyboard definition.
    void ResetAssignments() override;

    // The interface's operations are the class's own.
    using CKeyboardProfile::SetGuid;
    void SetGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) override;
    const std::wstring& GetName() const override { return CKeyboardProfile::GetName(); }
    void GetGuid(GUID& out) const override { CKeyboardProfile::GetGuid(out); }
    bool HasFile() const override { return CKeyboardProfile::HasFile(); }
    void SetName(const wchar_t* name) override { CKeyboardProfile::SetName(name); }
    const std::wstring& GetAppFileName() const override { return CKeyboardProfile::GetAppFileName(); }
    void SetAppFileName(const wchar_t* fileName) override { CKeyboardProfile::SetAppFileName(fileName); }
    const std::wstring& GetFilePath() const override { return CKeyboardProfile::GetFilePath(); }
    const std::wstring& GetAppPath() const override { return CKeyboardProfile::GetAppPath(); }
    void SetApp(const wchar_t* path) override { CKeyboardProfile::SetApp(path); }
    bool SetKeyAssignment(int keyId, const KeyAssignment& record) override
    {
        return CKeyboardProfile::SetKeyAssignment(keyId, record);
    }
    KeyAssignment& GetKeyAssignment(KeyAssignment& out, int keyId) override
    {
        return CKeyboardProfile::GetKeyAssignment(out, keyId);
    }
    void SetAutoSwitch(BYTE on) override { CKeyboardProfile::SetAutoSwitch(on); }
    BYTE GetAutoSwitch() const override { return CKeyboardProfile::GetAutoSwitch(); }
    void SetShowProfileOsd(BYTE on) override { CKeyboardProfile::SetShowProfileOsd(on); }
    BYTE GetShowProfileOsd() const override { return CKeyboardProfile::GetShowProfileOsd(); }
    void SetShowDpiOsd(BYTE on) override { CKeyboardProfile::SetShowDpiOsd(on); }
    bool GetShowDpiOsd() const override { return CKeyboardProfile::GetShowDpiOsd(); }
    bool SaveToFile(std::wstring& outPath, const wchar_t* folder, const wchar_t* extension) override
    {
        return CKeyboardProfile::SaveToFile(outPath, folder, extension);
    }
    bool LoadFromFile(const wchar_t* stem, const wchar_t* folder, const wchar_t* extension) override
    {
        return CKeyboardProfile::LoadFromFile(stem, folder, extension);
    }
};
