// COssleConfig: the configurator's whole configuration in memory (profiles, the active profile, macros
// and linked programs), the store behind IKeyboardConfig. The device object fills it at start-up and
// writes it back on apply; the store itself never talks to the device.
#pragma once

#include "model/IKeyboardConfig.h"
#include "model/KeyboardConfig.h"
#include "model/OssleProfile.h"

// Not locked: the user-interface thread edits it, and the read of start-up may fill it on the device
// object's worker thread, so callers keep away from it while that read runs.
class COssleConfig : public CKeyboardConfig<COssleProfile>, public IKeyboardConfig {
public:
    using Base = CKeyboardConfig<COssleProfile>;

    // Builds the profile folder and settings file paths from the program folder (AppFolder()), which
    // must be set by then.
    COssleConfig() = default;
    ~COssleConfig() override = default;

    const wchar_t* GetProfileExtension() const override { return L"qnp"; }

    // Restores a profile's defaults: key assignments back to the keyboard's defaults (keys it holds),
    // no linked program, no automatic switch, lighting on, and the profile display as the active profile
    // has it (off without an active profile). A null profile restores only the active profile's lighting.
    static void ResetProfile(IKeyboardProfile* profile, IKeyboardConfig* store);

    void ClearProfiles() override;
    IKeyboardDevice* SetDevice(IKeyboardDevice* device) override;
    int GetReservedValue() const override;
    unsigned GetProfileCount() const override;
    unsigned GetMacroCount() const override;
    IKeyboardProfile* AddProfile(const wchar_t* name) override;
    IKeyboardProfile* DuplicateProfile(IKeyboardProfile* profile) override;
    IKeyboardProfile* FindProfileByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const override;
    IKeyboardProfile* FindProfileByName(const wchar_t* name) const override;
    IKeyboardProfile* GetProfileAt(unsigned index) const override;
    IKeyboardProfile* GetActiveProfile() const override;
    void SetActiveProfile(IKeyboardProfile* profile) override;
    IKeyboardProfile* ReplaceProfileName(IKeyboardProfile* profile, const wchar_t* newName) override;
    IKeyboardProfile* CopyProfileAs(IKeyboardProfile* profile, const wchar_t* newName) override;
    void RemoveProfile(IKeyboardProfile* profile) override;

    CMacro* AddMacro(const wchar_t* name) override;
    void RemoveMacro(CMacro* macro) override;
    CMacro* FindMacroByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const override;
    CMacro* FindMacroByName(const wchar_t* name) const override;
    CMacro* GetMacroAt(unsigned index) const override;
    void SetFixedDelayOption(BYTE) override {}
    bool GetFixedDelayOption() const override { return false; }
    void SetIgnoreDelaysOption(BYTE) override {}
    bool GetIgnoreDelaysOption() const override { return false; }

    unsigned GetAppCount() const override;
    AppEntry* AddApp(const wchar_t* name) override;
    void RemoveApp(AppEntry* entry) override;
    AppEntry* FindAppByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const override;
    AppEntry* FindAppByName(const wchar_t* name) const override;
    AppEntry* GetAppAt(unsigned index) const override;

    bool LoadSettings() override;
    bool SaveSettings() override;
    unsigned ScanProfileFolder() override;
    bool SaveProfiles(IKeyboardProfile* profile) override;

    bool SetKeyAssignment(int keyId, const KeyAssignment& record, IKeyboardProfile* profile) override;
    KeyAssignment& GetKeyAssignment(KeyAssignment& out, int keyId, IKeyboardProfile* profile) override;
    void SetSupportsKeyAssignments(BYTE, IKeyboardProfile*) override {}
    bool SupportsKeyAssignments(IKeyboardProfile*) const override { return true; }
    void ReservedSetProfileFlag(BYTE, IKeyboardProfile*) override {}
    bool ReservedGetProfileFlag(IKeyboardProfile*) const override { return false; }
    void SetLed1On(BYTE, IKeyboardProfile*) override {}
    bool GetLed1On(IKeyboardProfile*) const override { return false; }
    void SetLightingOn(BYTE on, IKeyboardProfile* profile) override;
    bool GetLightingOn(IKeyboardProfile* profile) const override;
    void SetShowProfileOsdAll(BYTE on) override;

    int GetColorStageCount() const override { return 0; }
    bool ReservedColorQuery1(int, int) const override { return false; }
    bool ReservedColorQuery2(int, int, int) const override { return false; }
    bool GetColorStage(int, COLORREF&) const override { return false; }
    bool GetColorStageRange(int, int&, int&) const override { return false; }
    bool AddColorStage(COLORREF, int, int) override { return false; }
    bool ReservedColorQuery3(int) const override { return false; }
    void ClearColorStages() override {}

private:
    // The held profile behind an interface pointer; null for null and for any profile not held.
    COssleProfile* Held(IKeyboardProfile* profile) const;
    // "Profile or null": false for a profile not held; otherwise `target` is the held profile, or null
    // for the active one.
    bool Resolve(IKeyboardProfile* profile, COssleProfile*& target) const;
};

// True when a profile of `store` bears exactly `name` (letter case counts).
bool HasProfileNamed(const IKeyboardConfig& store, const std::wstring& name);
// The name of a copy of a profile named `name`: "<name>(2)", "<name>(3)" ... "<name>(99)", the first
// that no profile bears, a name of 20 characters or more cut to 18 before its number; empty when all
// are taken.
std::wstring ProfileCopyName(const IKeyboardConfig& store, const std::wstring& name);
