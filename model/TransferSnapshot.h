// The copy of the configuration that a write to the device works from. It is taken from the store on the
// thread that owns the store when the write starts, the worker thread reads and changes only the copy,
// and what the write learned (new GUIDs, assignments resolved from names to GUIDs) is put back into the
// store on the owner's thread when the write has ended. The worker never touches the store, so the user
// interface may keep reading it while a write runs, and a worker that outlives the device object at exit
// uses nothing that has been destroyed.
#pragma once

#include "model/IKeyboardConfig.h"
#include "service/DeviceRecords.h"
#include "skin/KeyboardDef.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// One button of the device, with what the conversions need to know about its key.
struct ButtonSlot {
    DWORD buttonId = 0;
    int32_t keyId = 0;  // 0 when the keyboard has no such key
    KeyScanCode keyDefault;
};

struct ProfileCopy {
    IKeyboardProfile* origin = nullptr;  // compared with the store's profiles only, never followed unchecked
    std::wstring name;
    GUID guid{};
    GUID originalGuid{};
    std::wstring appFileName;
    bool autoSwitch = false;
    bool showDpiOsd = false;
    bool showProfileOsd = false;
    bool led1On = false;
    bool lightingOn = false;
    std::vector<KeyAssignment> keys;  // one per button slot
    // Keys the write changed and the store takes back: names resolved to GUIDs, and GUIDs of objects the
    // device had lost and got again under a new GUID.
    std::vector<bool> resolved;
    // The write's own progress: the keys are on the device, and which of them must be written again.
    bool keysWritten = false;
    std::vector<bool> stale;
};

struct MacroCopy {
    CMacro* origin = nullptr;
    std::wstring name;
    GUID guid{};
    GUID originalGuid{};
    std::vector<DeviceMacroEvent> events;  // as the device stores them
};

struct AppCopy {
    AppEntry* origin = nullptr;
    std::wstring name;
    GUID guid{};
    GUID originalGuid{};
};

// The device profiles and macros one store has seen on the keyboard: read into it, imported through
// it, or created by its writes. A write deletes from the keyboard only these, once the store no longer
// has them; whatever the store never saw (unreadable, skipped by a read that failed, or made by another
// program since) is not the store's to delete.
//
// Likewise for keys: per device profile, the store's assignment of each key as the store last read it
// from the keyboard or wrote it there. A write sends only the keys whose assignment differs, that is,
// those the user changed: another program may have changed the others on the keyboard since (the tray
// assigns the macros it records), and the store's view of them is older than the keyboard's. A profile
// without an entry (new on the keyboard, or whose keys could not be read) has every key written.
struct SeenOnDevice {
    using KeyMap = std::map<int32_t, KeyAssignment>;
    struct ProfileKeys {
        GUID profile;
        KeyMap keys;
    };

    // A create call whose answer did not come: the keyboard may have made the object all the same. The
    // objects the keyboard held when it was called; the one that appeared beside them is taken back as
    // soon as the keyboard can be asked (that write, or the next).
    struct UnansweredCreate {
        bool pending = false;
        std::vector<GUID> known;
    };

    std::vector<GUID> profiles;
    std::vector<GUID> macros;
    std::vector<ProfileKeys> keys;
    UnansweredCreate unansweredProfile;
    UnansweredCreate unansweredMacro;

    void AddProfile(const GUID& guid) { Add(profiles, guid); }
    void AddMacro(const GUID& guid) { Add(macros, guid); }
    bool HasProfile(const GUID& guid) const;
    bool HasMacro(const GUID& guid) const;

    // What a read of the profile's keys left in the store; a read that failed forgets the profile's keys.
    void SetKeys(const GUID& profile, KeyMap read);
    void ForgetKeys(const GUID& profile);
    // A key the write sent.
    void NoteKey(const GUID& profile, int32_t keyId, const KeyAssignment& assignment);
    // The key is known to hold `assignment` on the keyboard, as far as this store is concerned.
    bool KeyUnchanged(const GUID& profile, int32_t keyId, const KeyAssignment& assignment) const;

private:
    ProfileKeys* FindKeys(const GUID& profile);
    static void Add(std::vector<GUID>& list, const GUID& guid);
};

class CTransferSnapshot {
public:
    // Copies the store. Reading a key the profile never held adds it to the profile (as the store does
    // for every reader), which is why this runs on the store's own thread.
    static CTransferSnapshot Take(IKeyboardConfig& store, const std::vector<ButtonSlot>& buttons,
                                  const SeenOnDevice& seen = SeenOnDevice());

    // Puts what the write learned into the store: the GUIDs that objects received and the assignments
    // it changed. Objects the store no longer holds, or whose GUID changed meanwhile, are left alone.
    void MergeInto(IKeyboardConfig& store) const;

    std::vector<ButtonSlot> buttons;
    std::vector<ProfileCopy> profiles;
    std::vector<MacroCopy> macros;
    std::vector<AppCopy> apps;
    int activeProfile = -1;  // index into profiles
    // What the store had seen when the write started, and what the write created since.
    SeenOnDevice seen;

    // Lookups as the store does them: GUIDs exactly, names up to the case of A-Z.
    ProfileCopy* FindProfileByGuid(const GUID& guid);
    ProfileCopy* FindProfileByName(const std::wstring& name);
    MacroCopy* FindMacroByGuid(const GUID& guid);
    MacroCopy* FindMacroByName(const std::wstring& name);
    AppCopy* FindAppByName(const std::wstring& name);
};

// A key's assignment as a write sends it: the store's, or "button off" for a profile that holds no keys.
KeyAssignment StoredKeyAssignment(IKeyboardConfig& store, int32_t keyId, IKeyboardProfile* profile);

// The button slots of the device's button ids, with each key's default from the keyboard definition.
std::vector<ButtonSlot> MakeButtonSlots(const std::vector<DWORD>& buttonIds, CKeyboardDef& keyboard);
