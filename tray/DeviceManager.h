// The tray program's client of the device service. A manager lives for one handler call: it creates
// the service, finds the keyboard (product id 0x0110) and its profile manager, does what the handler
// needs and lets everything go when it is deleted. Only the event connections it creates outlive it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "DeviceService.h"
#include "framework/ComRef.h"
#include "tray/EventConnections.h"
#include "tray/LedScheme.h"
#include "tray/ProfileSetting.h"

namespace tray {

class CDeviceManager {
public:
    CDeviceManager();
    virtual ~CDeviceManager();
    CDeviceManager(const CDeviceManager&) = delete;
    CDeviceManager& operator=(const CDeviceManager&) = delete;

    // Profiles. Names are matched exactly, with case, unless said otherwise.
    bool GetAllProfileSettings(std::vector<ProfileSetting>& settings);
    // The names that could be read, in the device's order. With `guids`, only the profiles whose GUID
    // could be read too, each GUID at its name's place.
    bool GetProfileNames(std::vector<std::wstring>& names, std::vector<GUID>* guids = nullptr);
    // True when both the linked program and the flags of the first profile of this exact name were read.
    bool GetProfileSetting(const std::wstring& name, ProfileSetting& setting);
    bool GetActiveProfileName(std::wstring& name);
    bool ActivateProfile(const std::wstring& name);
    // The one profile of this GUID (names need not be unique): true when both its linked program and its
    // flags were read.
    bool GetProfileSetting(const GUID& guid, ProfileSetting& setting);
    bool GetActiveProfileGuid(GUID& guid);
    bool ActivateProfile(const GUID& guid);

    // Macros: the name a new recording gets ("New Macro" and one more than the largest number in use).
    void NextMacroName(std::wstring& name);
    // A new device macro with this name and these events. Every step is checked; a macro that could not
    // be completed is deleted again.
    bool CreateDeviceMacro(const std::wstring& name, const std::vector<DeviceMacroEvent>& events, GUID& guid);
    bool DeleteDeviceMacro(const GUID& guid);
    // Assigns the macro to the button in the active profile and activates that profile again, so the
    // keyboard takes the change. `value` is the device's and not used. (A recording saves its macro with
    // SaveRecordedMacro, which also deletes a macro it could not assign.)
    bool AssignMacroInActiveProfile(const GUID& macro, DWORD value, DWORD buttonId);
    // The same in the first profile whose name matches ignoring case, without re-activation.
    bool AssignMacroInProfile(const std::wstring& profile, const GUID& macro, DWORD value, DWORD buttonId);

    // The device steps of an on-the-fly recording.
    bool BeginRecordingLeds();
    bool BlinkRecordingLeds();
    bool CancelRecordingLeds();
    // Ends the recording on the device and stores `events` as a new macro on the button. Nothing is
    // stored when the macro light cannot be switched off.
    bool SaveRecordedMacro(DWORD value, DWORD buttonId, const std::vector<DeviceMacroEvent>& events);
    bool ClearRecordingLeds();

    // Event connections on the device's sources; null without the source.
    CDpiEventConnection* CreateDpiConnection(IDpiEventHandler* handler);
    CProfileEventConnection* CreateProfileConnection(IProfileEventHandler* handler);
    CMacroEventConnection* CreateMacroConnection(IMacroEventHandler* handler);
    CLaunchAppEventConnection* CreateLaunchConnection(ILaunchAppEventHandler* handler);

    // Profile properties.
    bool SetLinkedProgram(const std::wstring& profile, const std::wstring& program);
    bool SetAutoSwitch(const std::wstring& profile, int value);
    bool SetProfileFlags(const std::wstring& profile, int autoSwitch, int sensitivityDisplay, int profileDisplay);

    bool HasDevice() const { return static_cast<bool>(m_device); }

    // The light on the active profile itself; on the first profile of the name.
    bool ApplyLedToActiveProfile(const CLed& led);
    bool ApplyLedToProfile(const std::wstring& profile, const CLed& led);
    bool EnterRecordingMode() { return SetDeviceMode(2); }
    bool EnterNormalMode() { return SetDeviceMode(1); }
    bool SetDeviceMode(DWORD mode);

private:
    bool HasProfiles() const { return m_device && m_profiles; }
    bool FindProfileByName(const std::wstring& name, ComRef<IDeviceProfile>& profile);
    bool FindProfileByGuid(const GUID& guid, ComRef<IDeviceProfile>& profile);
    bool GetActiveProfile(ComRef<IDeviceProfile>& active);
    bool ApplyLed(IDeviceProfile* profile, const CLed& led);
    bool ReadSetting(IDeviceProfile* profile, ProfileSetting& setting, bool* linkedRead, bool* flagsRead);
    bool GetMacroStore(ComRef<IMacroStore>& store);
    bool BuildMacroAssignment(IDeviceProfile* profile, DWORD buttonId, const GUID& macro);
    bool WriteFlag(const std::wstring& profile, uint16_t mask, int value);

    DWORD m_productId = 0;
    ComRef<IDeviceCollection> m_root;
    ComRef<IServiceDevice> m_device;
    ComRef<IProfileManager> m_profiles;
};

// The text of a profile's or macro's name; false when the name cannot be read.
bool ReadProfileName(IDeviceProfile* profile, std::wstring& name);
bool ReadMacroName(IDeviceMacro* macro, std::wstring& name);

// The number of a recorded macro's name, as NextMacroName counts it: the characters of "New Macro" are
// skipped from the start, then the leading decimal digits are read (0 without any). Very large numbers
// stay at a ceiling, so that one more still fits.
int MacroNameNumber(const std::wstring& name);

} // namespace tray
