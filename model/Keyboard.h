// CKeyboard: the configurator's one device object, its link to the keyboard through the device service;
// the process-wide operations that create and destroy it; and the registry reader of start-up.
//
// The store while a write runs: Transfer(kTransferWrite) copies the store on the calling thread and the
// worker writes from that copy only; what the write learns (new GUIDs, assignments resolved from names)
// goes back into the store on the calling thread before IsBusy turns false. Reading the store during a
// write is therefore safe. Editing it is not useful: every device operation is refused while busy, and
// the user interface refuses its edits then too (IsBusy), so the copy and the store cannot part. The
// store given to a write must outlive the device object, which hands the write's outcome to it as late
// as its own destruction: destroy the device object (DestroyKeyboardDevice) first.
//
// The read in the background (kTransferReadInBackground) works the same way round: the worker fetches into
// a readout of its own (CDeviceReadout) and never touches the store; what it fetched goes into the store on
// the calling thread before IsBusy turns false. A read that destruction stops waiting for keeps its readout
// and reaches nobody: nothing of the store or of the device object is left to it.
#pragma once

#include "model/BaseDevice.h"
#include "model/IGenDevice.h"
#include "model/IKeyboardConfig.h"

#include <windows.h>

#include <cstddef>

class CKeyboard : public IGenDevice<IKeyboardConfig, IKeyboardProfile>,
                  public CBaseDevice<IKeyboardConfig, IKeyboardProfile, CKeyboard> {
public:
    using Base = CBaseDevice<IKeyboardConfig, IKeyboardProfile, CKeyboard>;

    CKeyboard();
    ~CKeyboard() override;

    bool Initialize(IKeyboardConfig* config) override;
    void Uninitialize() override;
    bool IsBusy() override;
    bool ImportMacroFile(const wchar_t* path, IKeyboardConfig* config) override;
    bool ExportMacroFile(const wchar_t* path, CMacro* macro) override;
    bool IsMacroOnDevice(CMacro* macro) override;
    bool ImportProfileFile(const wchar_t* path, IKeyboardConfig* config) override;
    bool ExportProfileFile(const wchar_t* path, IKeyboardProfile* profile) override;
    bool IsProfileOnDevice(IKeyboardProfile* profile) override;
    bool StartMacroRecording() override;
    bool StopMacroRecording() override;
    bool GetLayoutCode(DWORD& code) override;
    bool Transfer(IKeyboardConfig* config, int direction, unsigned mask) override;
    bool IsConnected() override;
    bool GetFirmwareVersion(std::wstring& version) override;
    bool GetSecondaryVersion(std::wstring& version) override;
    DWORD GetProductId() override;
    unsigned GetDeviceProfileCount() override;
    unsigned GetDeviceMacroCount() override;
    void SetTransferNotify(HWND window, UINT message) override;

    // The button ids read at initialisation, in the device's order.
    const std::vector<DWORD>& ButtonIds() const { return m_buttonIds; }

    static bool ReadRoutine(IServiceDevice* device, const ProductDescriptor& product, CDeviceReadout& readout,
                            unsigned mask, size_t buttonCount);
    static bool WriteRoutine(IServiceDevice* device, const ProductDescriptor& product, CTransferSnapshot& config,
                             unsigned mask);

private:
    bool SetDeviceMode(DWORD mode);
    void TakeVersions();
    bool ReadLayoutCode(DWORD& code);
    bool ListProfiles(IKeyboardConfig& config, SeenOnDevice& seen);
    bool ReadButtonIds();

    DWORD m_layoutCode = 0;
    bool m_hasLayoutCode = false;
};

// Creates the one device object, initialises it with the store (which lists the device's profiles into
// the store), gives the store the device and fills the vocabulary tables. The device object exists
// afterwards even when the result (Initialize's) is false.
bool CreateKeyboardDevice(IKeyboardDevice** device, IKeyboardConfig* config);
// Destroys the device object (after its write, or the destroy wait) and forgets it.
void DestroyKeyboardDevice();
// The device object between the two; null before and after.
CKeyboard* KeyboardDevice();

// Characters of ReadRegistryString's buffer, its terminator included.
constexpr std::size_t kRegistryStringChars = 40;

// Reads a string value (REG_SZ or REG_EXPAND_SZ, not expanded) into the buffer, always terminated. The
// registry's status: ERROR_MORE_DATA for a value of 40 or more characters, ERROR_INVALID_DATATYPE for a
// value of another type. On any failure the buffer holds the empty text.
LONG ReadRegistryString(HKEY key, const wchar_t* valueName, wchar_t (&buffer)[kRegistryStringChars]);
