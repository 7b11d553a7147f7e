// Reading the device into the configuration store: the configuration read after start-up (profiles'
// properties, key assignments and lights, then the macros), and the pieces that imports reuse. Runs on
// the store's own thread with that thread's connection.
#pragma once

#include "model/DeviceConnection.h"
#include "model/IKeyboardConfig.h"
#include "model/TransferSnapshot.h"

#include <cstddef>
#include <vector>

// Fills the store's profiles (matched by GUID; the read creates none) and adds the device's macros.
// Macros are read even when a profile's read failed, so that a later write does not take the store's
// missing macros for deleted ones. True when everything was read; a device profile whose GUID cannot be
// read is skipped and makes the result false. Only the low 16 bits of `mask` count. The macros that
// reach the store are added to `seen`, and so are the keys of each profile whose keys were read.
bool ReadConfiguration(IServiceDevice* device, const ProductDescriptor& product, IKeyboardConfig& store,
                       unsigned mask, std::size_t buttonCount, SeenOnDevice& seen);

// Name, GUID, linked program and flags of a device profile into a store profile. A profile without
// linked program keeps its automatic switch as it is. Always true: every part is optional.
bool ReadProfileProperties(IDeviceProfile* device, IKeyboardProfile& profile);

// The profile's key assignments from up to `buttonCount` records (never more than the device returned).
// False for no buttons or a failed read. `asRead`, when given, receives each key read as the store then
// holds it, for the write to tell the keys the user changed.
bool ReadKeyAssignments(IKeyboardConfig& store, IKeyboardProfile* profile, IButtonAssignment* buttons,
                        std::size_t buttonCount, SeenOnDevice::KeyMap* asRead = nullptr);

// Light 1 and the lighting (4) of a device profile into the store; false when a light's id could not be
// read (the other lights are still read).
bool ReadLeds(IKeyboardConfig& store, IDeviceProfile* device, IKeyboardProfile* profile);

// Adds every device macro the store does not hold yet (by GUID), with GUID and events, and notes it in
// `seen`. A name the store already has in other letter case gets a number ("Name (2)"), so that no
// macro is left out. False when a macro's events could not be read (that macro is not added).
bool ReadMacros(IMacroStore* macros, IKeyboardConfig& store, SeenOnDevice& seen);

// `name` with " (number)" after it, the name cut so that the whole fits in `maxChars`.
std::wstring NumberedName(const std::wstring& name, unsigned number, std::size_t maxChars);

// A new macro of the store under `name`, or, when the store has that name in any letter case, under the
// first free numbered name ("Name (2)"); null when no name is free.
CMacro* AddMacroUnderFreeName(IKeyboardConfig& store, const std::wstring& name);

// A device macro's events in the model's terms. False only when the device failed; an empty macro is an
// empty list.
bool ReadMacroEvents(IDeviceMacro* macro, MacroEventList& events);
