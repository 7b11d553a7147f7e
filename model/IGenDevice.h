// IGenDevice: the interface through which the configurator reaches the keyboard's device object. The
// configuration store only remembers the device object and calls none of its operations; the pages, the
// main dialog and the start-up code use the operations below.
#pragma once

#include <windows.h>

#include <string>

class IKeyboardConfig;
class IKeyboardProfile;
class CMacro;

// Directions of IGenDevice::Transfer.
enum TransferDirection : int {
    kTransferWrite = 0,  // store to device, on a worker thread
    kTransferRead = 1,   // device to store, at once
    kTransferReadInBackground = 2,  // device to store, fetched on the worker thread; reported like a write
};

// Masks of IGenDevice::Transfer; only the low 16 bits count. A part moves only when the device can do it.
enum TransferMask : unsigned {
    kTransferProfiles = 0x1,  // 0x1 and 0x8 both stand for the profile list and the activation
    kTransferKeyAssignments = 0x2,
    kTransferLeds = 0x4,
    kTransferProfilesAlso = 0x8,
    kTransferMacros = 0x10,
    kTransferColourStages = 0x80,
    kTransferProfileProperties = 0x100,
    kTransferAppList = 0x200,
    kTransferAnyProfilePass = 0x30F,  // any of these runs the per-profile pass
};
constexpr unsigned kTransferReadMask = 0x31F;   // what the main dialog reads after start-up
constexpr unsigned kTransferWriteMask = 0x3FF;  // what Apply writes

// A class template over the configuration and profile interfaces that a device family works with.
// Every operation that talks to the device service answers false (or a count of 0) when the device
// cannot be reached, and also while a write runs: the device object is busy then. The bodies here are
// those of a device that can do nothing, so a family implements what it has and stand-ins need none.
template <class TConfig, class TProfile>
class IGenDevice {
public:
    virtual ~IGenDevice() = default;

    // Finds the device, reads its versions and lists its profiles into the store (their names and GUIDs;
    // nothing else). False when the device is absent or a read failed.
    virtual bool Initialize(TConfig* config) { return false; }
    virtual void Uninitialize() {}
    // True from the start of a write until its outcome has reached the store and the notify window.
    virtual bool IsBusy() { return false; }

    // Imports a macro file through the service and adds the macro to the store.
    virtual bool ImportMacroFile(const wchar_t* path, TConfig* config) { return false; }
    virtual bool ExportMacroFile(const wchar_t* path, CMacro* macro) { return false; }
    virtual bool IsMacroOnDevice(CMacro* macro) { return false; }
    // Imports a profile file through the service and adds the profile, filled from the device, to the
    // store; a failed import leaves neither the store nor the device with a new profile.
    virtual bool ImportProfileFile(const wchar_t* path, TConfig* config) { return false; }
    virtual bool ExportProfileFile(const wchar_t* path, TProfile* profile) { return false; }
    virtual bool IsProfileOnDevice(TProfile* profile) { return false; }

    virtual bool StartMacroRecording() { return false; }
    virtual bool StopMacroRecording() { return false; }
    // The keyboard's layout as read at initialisation (a keyboard does not change it while plugged in);
    // no service call. The value is written only on success.
    virtual bool GetLayoutCode(DWORD& code) { return false; }

    // kTransferRead reads the device into the store and returns the read's result. kTransferWrite starts
    // a write on the worker thread and returns whether it started; the outcome is posted to the notify
    // window (SetTransferNotify). A write works from a copy of the store taken here (see CKeyboard).
    // kTransferReadInBackground starts the read on the worker thread, which fetches into an object of its
    // own; what it fetched reaches the store on this thread before the outcome is posted (IsBusy is true
    // until then).
    virtual bool Transfer(TConfig* config, int direction, unsigned mask) { return false; }
    virtual bool IsConnected() { return false; }

    // The texts read at initialisation ("1.05"; "0.00" when unknown). No service call.
    virtual bool GetFirmwareVersion(std::wstring& version) { return false; }
    virtual bool GetSecondaryVersion(std::wstring& version) { return false; }
    virtual DWORD GetProductId() { return 0; }
    virtual unsigned GetDeviceProfileCount() { return 0; }
    virtual unsigned GetDeviceMacroCount() { return 0; }

    // Where a write reports its outcome: each finished write posts `message` to `window` with wParam 1
    // (every step succeeded) or 0 (it stopped at a failure) and lParam the write's mask. The post happens
    // on the thread that started the write, after the write's changes (new GUIDs, resolved assignments)
    // are in the store and IsBusy has turned false. A null window: no report.
    virtual void SetTransferNotify(HWND window, UINT message) {}
};

// The device interface of this keyboard's configurator.
using IKeyboardDevice = IGenDevice<IKeyboardConfig, IKeyboardProfile>;
