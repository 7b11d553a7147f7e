// One simulated device: its identity, its buttons with their factory records, and what its memory keeps
// (profiles with button records, properties and lights, the active profile, macros, program entries),
// with the operations the device service offers on them. Objects are named by GUID, so a client that
// holds a deleted object's GUID gets NotFound rather than another object.
//
// Not thread-safe: the service serialises calls into one device.
#pragma once

#include "service/sim/SimTypes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CSimDevice {
public:
    // A device as it leaves the factory (ResetToFactory) with these buttons, one factory record each.
    CSimDevice(const SimDeviceInfo& info, std::vector<SimButtonRecord> defaults);

    // A device restored from its memory image. False, with a reason, when the image breaks a rule the
    // device keeps (limits, unique GUIDs and button ids, records matching the buttons, a valid active
    // profile): such an image did not come from a device.
    static bool FromData(SimDeviceData data, std::unique_ptr<CSimDevice>& out, std::wstring& reason);
    const SimDeviceData& Data() const { return m_data; }

    // Factory content: one profile ("Profile 1", factory records and lights, active), no macros, no
    // program entries, normal mode. Identity and buttons stay.
    void ResetToFactory();

    // Identity.
    const SimDeviceInfo& Info() const { return m_data.info; }
    // InvalidArgument (nothing changed) for a layout code above 14 or another product id.
    SimStatus SetInfo(const SimDeviceInfo& info);
    void SetPlugged(bool plugged) { m_data.info.plugged = plugged; }

    // Buttons.
    std::size_t ButtonCount() const { return m_data.defaults.size(); }
    const std::vector<SimButtonRecord>& DefaultRecords() const { return m_data.defaults; }

    // Profiles, in creation order.
    std::size_t ProfileCount() const { return m_data.profiles.size(); }
    const SimProfile* ProfileAt(std::size_t index) const;
    const SimProfile* FindProfile(const GUID& guid) const;
    // A profile with factory records and lights and a free name "Profile <n>"; LimitReached when full.
    SimStatus CreateProfile(GUID& created);
    // Deleting the active profile makes the first remaining one active (none when it was the last).
    SimStatus DeleteProfile(const GUID& guid);
    SimStatus ActivateProfile(const GUID& guid);
    // Null GUID when the device has no profile.
    const GUID& ActiveProfile() const { return m_data.activeProfile; }
    // The name is cut to kSimMaxProfileName.
    SimStatus SetProfileName(const GUID& guid, const std::wstring& name);

    // At most `maxCount` of the profile's records, in button order.
    SimStatus GetButtonRecords(const GUID& profile, std::size_t maxCount, std::vector<SimButtonRecord>& out) const;
    // Replaces the record of each given record's button (a later record of the same button wins).
    // InvalidArgument, with nothing changed, when the count exceeds the buttons or a record names a
    // button the device does not have.
    SimStatus SetButtonRecords(const GUID& profile, const SimButtonRecord* records, std::size_t count);

    // Property values as clients exchange them. Flags: 2 bytes. Linked program: 256 bytes of text and
    // zeros, or no bytes when there is none. NotFound for another key.
    SimStatus GetProperty(const GUID& profile, std::uint32_t key, std::vector<std::uint8_t>& value) const;
    // Flags: 4 bytes {16-bit mask of one known bit, 16-bit value 0 or 1}. Linked program: UTF-16 text up
    // to its terminator or the buffer's end, at most kSimLinkedProgramBytes bytes; an empty text clears
    // it, more than kSimMaxLinkedProgram characters are refused. InvalidArgument for other sizes or
    // values; NotFound for another key.
    SimStatus SetProperty(const GUID& profile, std::uint32_t key, const std::uint8_t* data, std::size_t size);

    // Lights of a profile, by light id (the profile's `leds` lists them in enumeration order).
    SimStatus SetLedOn(const GUID& profile, std::uint32_t ledId, bool on);
    SimStatus SetLedValue(const GUID& profile, std::uint32_t ledId, std::uint32_t value);
    SimStatus SetLedBlink(const GUID& profile, std::uint32_t ledId, bool blink, std::uint32_t onTimeMs,
                          std::uint32_t offTimeMs);
    SimStatus SetLedAuxValue(const GUID& profile, std::uint32_t ledId, std::uint32_t value);

    // Adds a copy of a profile read from elsewhere under a new GUID: name and linked program cut to their
    // limits, records taken for the device's buttons (factory records for buttons it lacks, records of
    // other buttons dropped), lights taken by id onto the factory lights. Does not activate it.
    SimStatus AdoptProfile(const SimProfile& source, GUID& created);

    // Macros, in creation order.
    std::size_t MacroCount() const { return m_data.macros.size(); }
    const SimMacro* MacroAt(std::size_t index) const;
    const SimMacro* FindMacro(const GUID& guid) const;
    // An unnamed macro without events.
    SimStatus CreateMacro(GUID& created);
    SimStatus DeleteMacro(const GUID& guid);
    SimStatus SetMacroName(const GUID& guid, const std::wstring& name);  // cut to kSimMaxMacroName
    // InvalidArgument (nothing changed) beyond kSimMaxMacroEvents events.
    SimStatus SetMacroEvents(const GUID& guid, const std::vector<SimMacroEvent>& events);
    // Adds a copy under a new GUID, the name cut; InvalidArgument for too many events.
    SimStatus AdoptMacro(const SimMacro& source, GUID& created);

    // Program entries, in creation order.
    std::size_t AppCount() const { return m_data.apps.size(); }
    const SimApp* AppAt(std::size_t index) const;
    const SimApp* FindApp(const GUID& guid) const;
    SimStatus CreateApp(GUID& created);
    SimStatus DeleteApp(const GUID& guid);
    SimStatus SetAppName(const GUID& guid, const std::wstring& name);  // cut to kSimMaxAppName

    // Device mode: kSimModeNormal or kSimModeRecording; other values are refused.
    std::uint32_t Mode() const { return m_mode; }
    SimStatus SetMode(std::uint32_t mode);

private:
    SimProfile* EditProfile(const GUID& guid);
    SimLed* EditLed(const GUID& profile, std::uint32_t ledId);
    SimProfile NewProfile(const std::wstring& name) const;
    std::wstring FreeProfileName() const;
    // Appends a profile under a new GUID (`created`); the first profile becomes the active one.
    void AddProfile(SimProfile profile, GUID& created);
    void IndexButtons();

    SimDeviceData m_data;
    std::map<std::uint32_t, std::size_t> m_buttonIndex;  // button id -> position in button order
    std::uint32_t m_mode = kSimModeNormal;
};
