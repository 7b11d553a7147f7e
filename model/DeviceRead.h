// Reading the device into the configuration store: the configuration read after start-up (profiles'
// properties, key assignments and lights, then the macros), and the pieces that imports reuse. Each read
// has two halves: fetching, which talks to the service and fills plain data only, and storing, which puts
// that data into the store on the store's own thread. The configuration read keeps what it fetched in a
// CDeviceReadout, so that it can fetch on the device object's worker while the store stays untouched.
#pragma once

#include "model/DeviceConnection.h"
#include "model/IKeyboardConfig.h"
#include "model/TransferSnapshot.h"

#include <cstddef>
#include <string>
#include <vector>

// Name, GUID, linked program and flags of a device profile, each part only when it could be read.
struct ProfileProperties {
    bool hasName = false;
    std::wstring name;
    bool hasGuid = false;
    GUID guid{};
    bool hasProgram = false;
    std::wstring program;
    bool hasFlags = false;
    ProfileFlags flags{};
};
ProfileProperties FetchProfileProperties(IDeviceProfile* device);
// Into a store profile. A profile without linked program keeps its automatic switch as it is.
void StoreProfileProperties(const ProfileProperties& properties, IKeyboardProfile& profile);
// Both at once. Always true: every part is optional.
bool ReadProfileProperties(IDeviceProfile* device, IKeyboardProfile& profile);

// The profile's key assignments from up to `buttonCount` records (never more than the device returned).
// False for no buttons or a failed read. `asRead`, when given, receives each key read as the store then
// holds it, for the write to tell the keys the user changed.
bool ReadKeyAssignments(IKeyboardConfig& store, IKeyboardProfile* profile, IButtonAssignment* buttons,
                        std::size_t buttonCount, SeenOnDevice::KeyMap* asRead = nullptr);
// The halves: the device's records of up to `buttonCount` buttons (false as above), and their keys into
// the profile (records of buttons the keyboard has no key for are left out).
bool FetchButtonRecords(IButtonAssignment* buttons, std::size_t buttonCount, std::vector<KeyAssignmentRecord>& records);
void StoreKeyAssignments(IKeyboardConfig& store, IKeyboardProfile* profile,
                         const std::vector<KeyAssignmentRecord>& records, SeenOnDevice::KeyMap* asRead = nullptr);

// Light 1 and the lighting (4) of a device profile into the store; false when a light's id could not be
// read (the other lights are still read).
bool ReadLeds(IKeyboardConfig& store, IDeviceProfile* device, IKeyboardProfile* profile);
// The halves: every light whose id and state could be read (false on a light without id, or without
// lights at all), and those lights into the store.
struct LedState {
    DWORD id = 0;
    DWORD state = 0;
};
bool FetchLeds(IDeviceProfile* device, std::vector<LedState>& leds);
void StoreLeds(IKeyboardConfig& store, const std::vector<LedState>& leds, IKeyboardProfile* profile);

// `name` with " (number)" after it, the name cut so that the whole fits in `maxChars`.
std::wstring NumberedName(const std::wstring& name, unsigned number, std::size_t maxChars);

// A new macro of the store under `name`, or, when the store has that name in any letter case, under the
// first free numbered name ("Name (2)"); null when no name is free.
CMacro* AddMacroUnderFreeName(IKeyboardConfig& store, const std::wstring& name);

// A device macro's events in the model's terms. False only when the device failed; an empty macro is an
// empty list.
bool ReadMacroEvents(IDeviceMacro* macro, MacroEventList& events);
// The same events as the device stores them, before the conversion (which reads the program's tables).
bool FetchMacroEvents(IDeviceMacro* macro, std::vector<DeviceMacroEvent>& events);

// What the configuration read fetched from the keyboard. It is made on the store's thread with the GUIDs
// of the profiles and macros the store holds (the read fills only those profiles and fetches the events
// only of the macros the store lacks); Fetch uses nothing else of the store or of the program's tables, so
// it may run on any thread, and may even outlive the store; MergeInto puts the outcome into the store on
// the store's thread.
class CDeviceReadout {
public:
    struct Profile {
        GUID guid{};
        bool hasProperties = false;
        ProfileProperties properties;
        bool keysWanted = false;
        bool keysRead = false;
        std::vector<KeyAssignmentRecord> records;
        bool ledsRead = false;
        std::vector<LedState> leds;
    };
    struct Macro {
        std::wstring name;
        GUID guid{};
        bool held = false;  // the store held it: its events were not fetched
        bool eventsOk = false;
        std::vector<DeviceMacroEvent> events;
    };

    static CDeviceReadout For(IKeyboardConfig& store);

    // Fills the profiles the store holds (matched by GUID) and the device's macros. Macros are fetched even
    // when a profile's read failed, so that a later write does not take the store's missing macros for
    // deleted ones. True when everything was read; a device profile whose GUID cannot be read is skipped
    // and makes the result false. Only the low 16 bits of `mask` count.
    bool Fetch(IServiceDevice* device, const ProductDescriptor& product, unsigned mask, std::size_t buttonCount);
    // The macros' read, Fetch's part for them: every device macro with name and GUID, and the events of
    // those the store lacks (MergeMacros takes them into the store). False when the macro store cannot be
    // reached or a macro's events could not be fetched.
    bool ReadMacros(IServiceDevice* device);

    // Into the store: the active profile, each profile's properties, keys and lights, and every macro the
    // store does not hold yet, with GUID and events; a name the store already has in other letter case
    // gets a number ("Name (2)"), so that no macro is left out. The macros that reach the store are added
    // to `seen`, and so are the keys of each profile whose keys were read. A macro whose events could not
    // be fetched is not added.
    void MergeInto(IKeyboardConfig& store, SeenOnDevice& seen) const;
    // The macros' part of MergeInto.
    void MergeMacros(IKeyboardConfig& store, SeenOnDevice& seen) const;

    std::vector<GUID> storeProfiles;
    std::vector<GUID> storeMacros;
    GUID activeProfile{};
    std::vector<Profile> profiles;
    std::vector<Macro> macros;
};

