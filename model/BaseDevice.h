// CBaseDevice: the generic part of a device object, a class template over the configuration and profile
// interfaces and the concrete device class. It holds the connection to the device service, the versions
// and button ids read at initialisation, and the transfer machinery (a read at once or on a worker thread,
// a write on a worker thread); the device class supplies the read and write routines as static functions,
// each working on an object of its own that the store's thread takes and merges:
//   static bool ReadRoutine(IServiceDevice*, const ProductDescriptor&, CDeviceReadout&, unsigned mask,
//                           size_t buttons);
//   static bool WriteRoutine(IServiceDevice*, const ProductDescriptor&, CTransferSnapshot&, unsigned mask);
#pragma once

#include "model/DeviceConnection.h"
#include "model/DeviceRead.h"
#include "model/DeviceTask.h"
#include "model/GuidWords.h"
#include "model/TransferSnapshot.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The pause a write keeps the device busy for after its last step.
constexpr DWORD kWriteCompletionPauseMs = 500;

template <class TConfig, class TProfile, class TDevice>
class CBaseDevice {
public:
    explicit CBaseDevice(const ProductDescriptor& descriptor) : m_descriptor(&descriptor) {}
    CBaseDevice(const CBaseDevice&) = delete;
    CBaseDevice& operator=(const CBaseDevice&) = delete;

    // A running write is waited for (at most the destroy wait); one that does not end in time is left to
    // finish with its own copy of the configuration and reports to nobody.
    virtual ~CBaseDevice()
    {
        m_tasks.Shutdown(m_destroyWaitMs);
        DisconnectDevice();
    }

    virtual void Uninitialize()
    {
        DisconnectDevice();
        m_connected = false;
        m_buttonIds.clear();
    }

    virtual bool ImportMacroFile(const wchar_t* path, TConfig* config)
    {
        if (path == nullptr || config == nullptr)
            return false;
        CConnectScope scope(*this);
        ComRef<IMacroStore> macros;
        if (!scope || !GetSubObject(Device(), IID_IMacroStore, macros))
            return false;
        ComRef<IDeviceMacro> imported;
        if (FAILED(macros->ImportMacroFile(path, imported.Put())) || !imported)
            return false;
        // Whatever fails from here takes the import back, so that neither side keeps half of it.
        std::wstring name;
        CMacro* macro = nullptr;
        GUID guid{};
        MacroEventList events;
        // A name the store has already (in any letter case) gives way to a free numbered one, on the
        // keyboard too: the file's macro is never dropped for its name.
        if (ReadServiceName(imported.Get(), kMaxMacroName, name) &&
            (macro = AddMacroUnderFreeName(*config, name)) != nullptr && ReadServiceGuid(imported.Get(), guid) &&
            ReadMacroEvents(imported.Get(), events)) {
            if (name != macro->GetName())
                imported->SetName(macro->GetName());
            macro->SetDescription(path);
            macro->SetGuid(guid);
            macro->SetEvents(events);
            Seen(config).AddMacro(guid);
            return true;
        }
        if (macro != nullptr)
            config->RemoveMacro(macro);
        macros->DeleteMacro(imported.Get());
        return false;
    }

    virtual bool ExportMacroFile(const wchar_t* path, CMacro* macro)
    {
        if (path == nullptr || macro == nullptr)
            return false;
        CConnectScope scope(*this);
        ComRef<IDeviceMacro> device;
        return scope && FindDeviceMacro(macro, device) && SUCCEEDED(device->ExportToFile(path));
    }

    virtual bool IsMacroOnDevice(CMacro* macro)
    {
        if (macro == nullptr)
            return false;
        CConnectScope scope(*this);
        ComRef<IDeviceMacro> device;
        return scope && FindDeviceMacro(macro, device);
    }

    virtual bool ExportProfileFile(const wchar_t* path, TProfile* profile)
    {
        if (path == nullptr || profile == nullptr)
            return false;
        CConnectScope scope(*this);
        ComRef<IDeviceProfile> device;
        return scope && FindDeviceProfile(profile, device) && SUCCEEDED(device->ExportToFile(path));
    }

    virtual bool IsProfileOnDevice(TProfile* profile)
    {
        if (profile == nullptr)
            return false;
        CConnectScope scope(*this);
        ComRef<IDeviceProfile> device;
        return scope && FindDeviceProfile(profile, device);
    }

    virtual unsigned GetDeviceProfileCount()
    {
        CConnectScope scope(*this);
        ComRef<IProfileManager> profiles;
        if (!scope || !GetSubObject(Device(), IID_IProfileManager, profiles))
            return 0;
        return ForEachDeviceProfile(profiles.Get(), [](ComRef<IDeviceProfile>&) { return true; });
    }

    virtual unsigned GetDeviceMacroCount()
    {
        CConnectScope scope(*this);
        ComRef<IMacroStore> macros;
        if (!scope || !GetSubObject(Device(), IID_IMacroStore, macros))
            return 0;
        return ForEachDeviceMacro(macros.Get(), [](ComRef<IDeviceMacro>&) { return true; });
    }

    virtual bool IsBusy() { return m_tasks.IsBusy(); }
    virtual bool IsConnected() { return m_connected; }

    void SetTransferNotify(HWND window, UINT message) { m_tasks.SetNotify(window, message); }
    // For tests and measurements: the pause after a write, and how long destruction waits for it.
    void SetCompletionPause(DWORD milliseconds) { m_completionPauseMs = milliseconds; }
    void SetDestroyWait(DWORD milliseconds) { m_destroyWaitMs = milliseconds; }

protected:
    // Opens this thread's connection. Refused while a write runs (the device belongs to the write) and
    // while a connection is open; a refusal changes nothing, so it never closes anybody's connection.
    bool ConnectDevice()
    {
        if (m_descriptor->productId == 0 || m_tasks.IsBusy() || m_connection.IsOpen())
            return false;
        m_connected = m_connection.Open(m_descriptor->productId);
        return m_connected;
    }

    void DisconnectDevice()
    {
        if (m_descriptor->productId != 0)
            m_connection.Close();
    }

    // A connection for the length of one operation, closed only if this scope opened it.
    class CConnectScope {
    public:
        explicit CConnectScope(CBaseDevice& device) : m_device(device), m_open(device.ConnectDevice()) {}
        ~CConnectScope()
        {
            if (m_open)
                m_device.DisconnectDevice();
        }
        CConnectScope(const CConnectScope&) = delete;
        CConnectScope& operator=(const CConnectScope&) = delete;
        explicit operator bool() const { return m_open; }

    private:
        CBaseDevice& m_device;
        bool m_open;
    };

    IServiceDevice* Device() const { return m_connection.Device(); }
    const ProductDescriptor& Descriptor() const { return *m_descriptor; }

    // Whether this thread could open a connection now; a worker opens its own.
    bool CanConnect()
    {
        CConnectScope probe(*this);
        return bool(probe);
    }

    // The write: refused on this thread when the device cannot be reached or a write is busy. The store
    // is copied here; the worker connects on its own and writes the copy, then keeps the device busy for
    // the completion pause; the copy's outcome is merged into the store on this thread afterwards.
    bool StartDeviceTask(TConfig* config, unsigned mask)
    {
        if (config == nullptr || !CanConnect())
            return false;
        auto copy = std::make_shared<CTransferSnapshot>(
            CTransferSnapshot::Take(*config, MakeButtonSlots(m_buttonIds, KeyboardDef()), Seen(config)));
        const ProductDescriptor product = *m_descriptor;
        const DWORD pause = m_completionPauseMs;
        CDeviceTaskRunner::Work work = [copy, product, mask, pause]() {
            CDeviceConnection connection;
            const bool ok = connection.Open(product.productId) &&
                            TDevice::WriteRoutine(connection.Device(), product, *copy, mask);
            Sleep(pause);
            connection.Close();
            return ok;
        };
        CDeviceTaskRunner::Finish finish = [this, copy, config](bool) {
            copy->MergeInto(*config);
            Seen(config) = copy->seen;
        };
        return m_tasks.Start(std::move(work), std::move(finish), LPARAM(mask & 0xFFFF));
    }

    // The read on the worker, into a readout that the task owns: the store's thread notes here which
    // profiles and macros the store holds, the worker connects on its own and fetches, and what it fetched
    // is merged into the store on this thread when the outcome arrives, as a write's copy is. A read that
    // destruction stops waiting for keeps its readout to itself and reaches nobody. No connection is tried
    // here first: one costs as much as a read's first steps, and a worker that finds no device reports a
    // failed read.
    bool StartDeviceRead(TConfig* config, unsigned mask)
    {
        if (config == nullptr)
            return false;
        auto readout = std::make_shared<CDeviceReadout>(CDeviceReadout::For(*config));
        const ProductDescriptor product = *m_descriptor;
        const size_t buttonCount = m_buttonIds.size();
        CDeviceTaskRunner::Work work = [readout, product, mask, buttonCount]() {
            CDeviceConnection connection;
            const bool ok = connection.Open(product.productId) &&
                            TDevice::ReadRoutine(connection.Device(), product, *readout, mask, buttonCount);
            connection.Close();
            return ok;
        };
        CDeviceTaskRunner::Finish finish = [this, config, readout](bool) { readout->MergeInto(*config, Seen(config)); };
        return m_tasks.Start(std::move(work), std::move(finish), LPARAM(mask & 0xFFFF));
    }

    bool RunDeviceTaskNow(TConfig* config, unsigned mask)
    {
        if (config == nullptr)
            return false;
        CConnectScope scope(*this);
        if (!scope)
            return false;
        CDeviceReadout readout = CDeviceReadout::For(*config);
        const bool ok = TDevice::ReadRoutine(Device(), *m_descriptor, readout, mask, m_buttonIds.size());
        readout.MergeInto(*config, Seen(config));
        return ok;
    }

    // What a store has seen on the device: kept per store, since only those objects may a write of
    // that store delete.
    SeenOnDevice& Seen(const TConfig* config) { return m_seen[config]; }

    bool FindDeviceProfile(TProfile* profile, ComRef<IDeviceProfile>& device)
    {
        GUID guid{};
        profile->GetGuid(guid);
        ComRef<IProfileManager> profiles;
        return !IsNullGuid(guid) && GetSubObject(Device(), IID_IProfileManager, profiles) &&
               SUCCEEDED(profiles->FindProfile(guid, device.Put())) && device;
    }

    bool FindDeviceMacro(CMacro* macro, ComRef<IDeviceMacro>& device)
    {
        ComRef<IMacroStore> macros;
        return !IsNullGuid(macro->Guid()) && GetSubObject(Device(), IID_IMacroStore, macros) &&
               SUCCEEDED(macros->FindMacro(macro->Guid(), device.Put())) && device;
    }

    CDeviceConnection m_connection;
    const ProductDescriptor* m_descriptor;
    bool m_connected = false;
    std::wstring m_firmwareVersion;
    std::wstring m_secondaryVersion;
    std::vector<DWORD> m_buttonIds;  // of the active device profile at initialisation, in the device's order
    CDeviceTaskRunner m_tasks;
    DWORD m_completionPauseMs = kWriteCompletionPauseMs;
    DWORD m_destroyWaitMs = kDeviceTaskDestroyWaitMs;
    std::map<const TConfig*, SeenOnDevice> m_seen;
};
