// IKeyboardConfig: how the configurator's pages and the device object reach the configuration store
// (profiles, the active profile, macros, linked programs and the per-profile switches).
#pragma once

#include "model/AppList.h"
#include "model/IGenDevice.h"
#include "model/IKeyboardProfile.h"
#include "model/KeyAssignment.h"
#include "model/Macro.h"

#include <windows.h>

// Wherever an operation takes a "profile or null", null stands for the active profile. A profile that
// the store does not hold counts as no profile: it is never changed, stored or made active.
// GUIDs travel as four 32-bit words (see GuidWords.h).
class IKeyboardConfig {
public:
    virtual ~IKeyboardConfig() = default;

    // Destroys every profile, last first; no profile is active afterwards.
    virtual void ClearProfiles() = 0;
    // Remembers a non-null device (null is ignored); returns the argument.
    virtual IKeyboardDevice* SetDevice(IKeyboardDevice* device) = 0;
    virtual int GetReservedValue() const = 0;
    virtual unsigned GetProfileCount() const = 0;
    virtual unsigned GetMacroCount() const = 0;

    // Appends a profile with its defaults restored. The store sets no limit and checks no name.
    virtual IKeyboardProfile* AddProfile(const wchar_t* name) = 0;
    // Appends a copy with the same name and no GUID (it is a new device profile); null for no profile.
    virtual IKeyboardProfile* DuplicateProfile(IKeyboardProfile* profile) = 0;
    // First profile in list order with this GUID.
    virtual IKeyboardProfile* FindProfileByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const = 0;
    // First profile in list order whose name equals `name` up to the case of A-Z.
    virtual IKeyboardProfile* FindProfileByName(const wchar_t* name) const = 0;
    virtual IKeyboardProfile* GetProfileAt(unsigned index) const = 0;
    virtual IKeyboardProfile* GetActiveProfile() const = 0;
    // Null = no active profile.
    virtual void SetActiveProfile(IKeyboardProfile* profile) = 0;
    // Renames by putting a renamed copy in the profile's place; the old object is destroyed and only the
    // result may be used afterwards. Null when nothing changed (no profile, or exactly the same name).
    virtual IKeyboardProfile* ReplaceProfileName(IKeyboardProfile* profile, const wchar_t* newName) = 0;
    // Appends a copy under the new name with a zero GUID; null when the name is exactly the profile's.
    virtual IKeyboardProfile* CopyProfileAs(IKeyboardProfile* profile, const wchar_t* newName) = 0;
    // Destroys the profile and deletes its file, if it has one.
    virtual void RemoveProfile(IKeyboardProfile* profile) = 0;

    // A macro with no events; null when the name is taken (letter case aside).
    virtual CMacro* AddMacro(const wchar_t* name) = 0;
    virtual void RemoveMacro(CMacro* macro) = 0;
    virtual CMacro* FindMacroByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const = 0;
    virtual CMacro* FindMacroByName(const wchar_t* name) const = 0;
    virtual CMacro* GetMacroAt(unsigned index) const = 0;
    // The macro options are not kept: the setters are ignored and the getters answer false.
    virtual void SetFixedDelayOption(BYTE on) = 0;
    virtual bool GetFixedDelayOption() const = 0;
    virtual void SetIgnoreDelaysOption(BYTE on) = 0;
    virtual bool GetIgnoreDelaysOption() const = 0;

    virtual unsigned GetAppCount() const = 0;
    // Null when the name is present already (letter case aside).
    virtual AppEntry* AddApp(const wchar_t* name) = 0;
    virtual void RemoveApp(AppEntry* entry) = 0;
    virtual AppEntry* FindAppByGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) const = 0;
    virtual AppEntry* FindAppByName(const wchar_t* name) const = 0;
    virtual AppEntry* GetAppAt(unsigned index) const = 0;

    // The profile folder and the settings file (see ProfileFolder.h).
    // Loads the profile folder and activates the profile that the settings file names. Answers false
    // whatever it loaded: callers look at the profiles themselves.
    virtual bool LoadSettings() = 0;
    // Saves every profile and writes the active profile's name; false with no active profile.
    virtual bool SaveSettings() = 0;
    // Replaces the profiles by those of the profile folder's files; the number loaded.
    virtual unsigned ScanProfileFolder() = 0;
    // Saves one profile (its result) or, with null, every profile (true).
    virtual bool SaveProfiles(IKeyboardProfile* profile) = 0;

    // False, and nothing stored, with no target profile or a kind the profile does not accept.
    virtual bool SetKeyAssignment(int keyId, const KeyAssignment& record, IKeyboardProfile* profile) = 0;
    // With no target profile `out` becomes the empty record (kind -1).
    virtual KeyAssignment& GetKeyAssignment(KeyAssignment& out, int keyId, IKeyboardProfile* profile) = 0;
    // Every profile of this keyboard holds key assignments: the setter is ignored, the getter says true.
    virtual void SetSupportsKeyAssignments(BYTE on, IKeyboardProfile* profile) = 0;
    virtual bool SupportsKeyAssignments(IKeyboardProfile* profile) const = 0;
    virtual void ReservedSetProfileFlag(BYTE on, IKeyboardProfile* profile) = 0;
    virtual bool ReservedGetProfileFlag(IKeyboardProfile* profile) const = 0;
    // The device's LED 1 is not kept: the setter is ignored, the getter says off.
    virtual void SetLed1On(BYTE on, IKeyboardProfile* profile) = 0;
    virtual bool GetLed1On(IKeyboardProfile* profile) const = 0;
    virtual void SetLightingOn(BYTE on, IKeyboardProfile* profile) = 0;
    virtual bool GetLightingOn(IKeyboardProfile* profile) const = 0;
    // The on-screen profile display is one setting shared by all profiles.
    virtual void SetShowProfileOsdAll(BYTE on) = 0;

    // Colour stages belong to devices that have them; this keyboard has none, so nothing is kept and
    // every query fails.
    virtual int GetColorStageCount() const = 0;
    virtual bool ReservedColorQuery1(int first, int second) const = 0;
    virtual bool ReservedColorQuery2(int first, int second, int third) const = 0;
    virtual bool GetColorStage(int index, COLORREF& colour) const = 0;
    virtual bool GetColorStageRange(int index, int& low, int& high) const = 0;
    virtual bool AddColorStage(COLORREF colour, int low, int high) = 0;
    virtual bool ReservedColorQuery3(int value) const = 0;
    virtual void ClearColorStages() = 0;
};
