// The service's objects. Each keeps the serial of its device and the GUID (or light id) of what it
// stands for, and looks both up again on every call: an object whose profile, macro or program entry was
// deleted, or whose device was removed, fails cleanly instead of reaching something else.
#include "service/server/ComObjects.h"

#include "service/server/ClassFactory.h"
#include "service/server/ConnectionPoints.h"
#include "service/sim/ExchangeFiles.h"

#include "DeviceService.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

namespace {

// Longest path a client may give; longer ones are refused before they reach the file system.
constexpr std::size_t kMaxPathUnits = 32767;
// Text shown of a name or path in the call log.
constexpr std::size_t kLoggedTextUnits = 64;
constexpr wchar_t kDeviceInfoText[] = L"Tessary simulated keyboard";

// Hands out a new object as the interface asked for; the creation reference is dropped either way.
template <class T>
HRESULT Give(T* object, REFIID riid, void** out)
{
    if (object == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
}

LPWSTR CoTaskText(const std::wstring& text)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy)
        std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

HRESULT ReturnText(const std::wstring& text, LPWSTR* out)
{
    *out = CoTaskText(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// A client's name, read no further than the field keeps (one unit more, so that a cut never splits a
// surrogate pair), and cut to the field.
HRESULT ReadName(LPCWSTR name, std::size_t maxUnits, std::wstring& out)
{
    if (name == nullptr)
        return E_POINTER;
    out = BoundSimText(std::wstring(name, wcsnlen(name, maxUnits + 1)), maxUnits);
    return S_OK;
}

HRESULT ReadPath(LPCWSTR path, std::wstring& out)
{
    if (path == nullptr)
        return E_POINTER;
    const std::size_t length = wcsnlen(path, kMaxPathUnits + 1);
    if (length == 0)
        return E_INVALIDARG;
    if (length > kMaxPathUnits)
        return kHrPathTooLong;
    out.assign(path, length);
    return S_OK;
}

// File operations: "not found" is about the file.
HRESULT FileResult(SimStatus status)
{
    return status == SimStatus::NotFound ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : HresultOf(status);
}

std::string ArgText(LPCWSTR text) { return QuoteText(text, kLoggedTextUnits); }

// ---- Entries: profiles, macros and programs ----

// An object for one profile, macro or program entry of the device. It keeps the entry's GUID and finds
// the entry again on every call (`FindEntry`, the device's lookup), so a deleted entry fails cleanly.
// The calls the three kinds share are here; each object's methods name the operation for the log.
template <class Interface, class Entry, const Entry* (CSimDevice::*FindEntry)(const GUID&) const>
class CEntryObject : public CDeviceComObject<Interface> {
public:
    CEntryObject(CServiceCore& service, std::uint32_t device, const GUID& guid)
        : CDeviceComObject<Interface>(service, device), m_guid(guid)
    {
    }
    const GUID& Guid() const { return m_guid; }

protected:
    using SetNameFn = SimStatus (CSimDevice::*)(const GUID&, const std::wstring&);
    using ExportFn = SimStatus (*)(const CSimDevice&, const GUID&, const std::wstring&, std::wstring&);

    // The entry, or null with the failure to report.
    const Entry* Find(HRESULT& hr)
    {
        CSimDevice* device = this->Device(hr);
        if (device == nullptr)
            return nullptr;
        const Entry* entry = (device->*FindEntry)(m_guid);
        if (entry == nullptr)
            hr = kHrNotFound;
        return entry;
    }

    HRESULT CallGetGuid(const char* operation, GUID* guid)
    {
        if (guid)
            *guid = GUID{};
        return this->Call(operation, "", [&]() -> HRESULT {
            if (guid == nullptr)
                return E_POINTER;
            HRESULT hr;
            if (Find(hr) == nullptr)
                return hr;
            *guid = m_guid;
            return S_OK;
        });
    }

    HRESULT CallGetName(const char* operation, LPWSTR* name)
    {
        if (name)
            *name = nullptr;
        return this->Call(operation, GuidText(m_guid), [&]() -> HRESULT {
            if (name == nullptr)
                return E_POINTER;
            HRESULT hr;
            const Entry* entry = Find(hr);
            return entry ? ReturnText(entry->name, name) : hr;
        });
    }

    // The name is cut to `maxUnits`, the entry's field.
    HRESULT CallSetName(const char* operation, LPCWSTR name, std::size_t maxUnits, SetNameFn setName)
    {
        return this->Call(operation, GuidText(m_guid) + " " + ArgText(name), [&]() -> HRESULT {
            std::wstring text;
            HRESULT hr = ReadName(name, maxUnits, text);
            if (FAILED(hr))
                return hr;
            CSimDevice* device = this->Device(hr);
            if (device == nullptr)
                return hr;
            return this->AnswerChange((device->*setName)(m_guid, text));
        });
    }

    // `kind` names the entry in the service's log when the file cannot be written.
    HRESULT CallExport(const char* operation, LPCWSTR path, const char* kind, ExportFn exportFile)
    {
        return this->Call(operation, GuidText(m_guid) + " " + ArgText(path), [&]() -> HRESULT {
            std::wstring file;
            HRESULT hr = ReadPath(path, file);
            CSimDevice* device = SUCCEEDED(hr) ? this->Device(hr) : nullptr;
            if (device == nullptr)
                return hr;
            std::wstring error;
            const SimStatus status = exportFile(*device, m_guid, file, error);
            if (status != SimStatus::Ok && status != SimStatus::NotFound)
                this->m_service.Log(std::string(kind) + " export to " + QuoteText(file) + " failed: " + ToUtf8(error));
            return HresultOf(status);
        });
    }

    const GUID m_guid;
};

// An object that lists one kind of the device's entries, handed out as `EntryObject`s behind `Out`:
// the calls that hand an entry out by index or GUID, make a new one, and act on one a client passes
// back in.
template <class Base, class EntryObject, class Out>
class CEntryListObject : public Base {
public:
    using Base::Base;

protected:
    HRESULT Hand(const GUID& guid, Out** out)
    {
        return Give(new (std::nothrow) EntryObject(this->m_service, this->m_device, guid), __uuidof(Out),
                    reinterpret_cast<void**>(out));
    }

    template <class Entry>
    HRESULT CallGetAt(const char* operation, DWORD index, Out** out, const Entry* (CSimDevice::*at)(std::size_t) const)
    {
        return this->CallHandingOut(operation, std::to_string(index), out, [&](CSimDevice& device) -> HRESULT {
            const Entry* found = (device.*at)(index);
            return found ? Hand(found->guid, out) : kHrNoMoreItems;
        });
    }

    template <class Entry>
    HRESULT CallFind(const char* operation, const GUID& guid, Out** out, const Entry* (CSimDevice::*find)(const GUID&) const)
    {
        return this->CallHandingOut(operation, GuidText(guid), out, [&](CSimDevice& device) -> HRESULT {
            return (device.*find)(guid) ? Hand(guid, out) : kHrNotFound;
        });
    }

    HRESULT CallCreate(const char* operation, Out** out, SimStatus (CSimDevice::*create)(GUID&))
    {
        return this->CallCreating(
            operation, out, [&](CSimDevice& device, GUID& created) { return (device.*create)(created); },
            [this](const GUID& guid, Out** handed) { return Hand(guid, handed); });
    }

    HRESULT CallOnEntry(const char* operation, IUnknown* given, SimStatus (CSimDevice::*act)(const GUID&))
    {
        return this->template CallOnOwnObject<EntryObject>(
            operation, given, [&](CSimDevice& device, const GUID& guid) { return (device.*act)(guid); });
    }

    using ImportFn = SimStatus (*)(CSimDevice&, const std::wstring&, GUID&, std::wstring&);

    // The file at `path` read into a new entry, which is handed out: a null `out` is refused first, then
    // the path, then a missing device. `kind` names the entry in the service's log when the file is
    // refused.
    HRESULT CallImport(const char* operation, LPCWSTR path, Out** out, const char* kind, ImportFn importFile)
    {
        return this->CallGiving(operation, ArgText(path), out, [&]() -> HRESULT {
            std::wstring file;
            HRESULT hr = ReadPath(path, file);
            CSimDevice* device = SUCCEEDED(hr) ? this->Device(hr) : nullptr;
            if (device == nullptr)
                return hr;
            GUID created{};
            std::wstring error;
            const SimStatus status = importFile(*device, file, created, error);
            if (status != SimStatus::Ok) {
                this->m_service.Log(std::string(kind) + " import from " + QuoteText(file) + " refused: " + ToUtf8(error));
                return FileResult(status);
            }
            this->m_service.Changed();
            return Hand(created, out);
        });
    }
};

// ---- Profiles ----

class CProfileBound {
protected:
    explicit CProfileBound(const GUID& profile) : m_profile(profile) {}
    const GUID m_profile;
};

class CPropertyStoreObject : public CDeviceComObject<IProfilePropertyStore>, private CProfileBound {
public:
    CPropertyStoreObject(CServiceCore& service, std::uint32_t device, const GUID& profile)
        : CDeviceComObject(service, device), CProfileBound(profile)
    {
    }

    HRESULT STDMETHODCALLTYPE GetProperty(DWORD key, DWORD, BYTE* buffer, DWORD, DWORD* size) override
    {
        const DWORD capacity = size ? *size : 0;
        return CallOnDevice("IProfilePropertyStore.GetProperty", HexText(key) + " " + std::to_string(capacity),
                            size == nullptr,
                            [&](CSimDevice* device) -> HRESULT {
            std::vector<std::uint8_t> value;
            const SimStatus status = device->GetProperty(m_profile, key, value);
            if (status != SimStatus::Ok)
                return HresultOf(status);
            // The caller's buffer holds `capacity` bytes: a longer value fails rather than overrun it, and
            // the size is never raised above what the caller gave.
            if (value.size() > capacity)
                return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
            if (!value.empty() && buffer == nullptr)
                return E_POINTER;
            if (!value.empty())
                std::memcpy(buffer, value.data(), value.size());
            *size = static_cast<DWORD>(value.size());
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE SetProperty(DWORD key, const BYTE* buffer, DWORD, DWORD size, DWORD) override
    {
        return CallOnDevice("IProfilePropertyStore.SetProperty", HexText(key) + " " + std::to_string(size),
                            buffer == nullptr && size != 0,
                            [&](CSimDevice* device) -> HRESULT {
            return AnswerChange(device->SetProperty(m_profile, key, buffer, size));
        });
    }
};

class CButtonAssignmentObject : public CDeviceComObject<IButtonAssignment>, private CProfileBound {
public:
    CButtonAssignmentObject(CServiceCore& service, std::uint32_t device, const GUID& profile)
        : CDeviceComObject(service, device), CProfileBound(profile)
    {
    }

    HRESULT STDMETHODCALLTYPE GetInfo(ButtonAssignmentInfo* info) override
    {
        if (info)
            *info = ButtonAssignmentInfo{};
        return CallOnDevice("IButtonAssignment.GetInfo", "", info == nullptr, [&](CSimDevice* device) -> HRESULT {
            const SimProfile* profile = device->FindProfile(m_profile);
            if (profile == nullptr)
                return kHrNotFound;
            info->buttonCount = static_cast<DWORD>(profile->records.size());
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetAll(DWORD* count, KeyAssignmentRecord* records) override
    {
        const DWORD capacity = count ? *count : 0;
        return CallOnDevice("IButtonAssignment.GetAll", std::to_string(capacity),
                            count == nullptr || (capacity != 0 && records == nullptr),
                            [&](CSimDevice* device) -> HRESULT {
            std::vector<SimButtonRecord> out;
            const SimStatus status = device->GetButtonRecords(m_profile, capacity, out);
            if (status != SimStatus::Ok)
                return HresultOf(status);
            if (!out.empty())
                std::memcpy(records, out.data(), out.size() * sizeof(KeyAssignmentRecord));
            *count = static_cast<DWORD>(out.size());
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE SetRecords(DWORD count, const KeyAssignmentRecord* records) override
    {
        return CallOnDevice("IButtonAssignment.SetRecords", std::to_string(count), count != 0 && records == nullptr,
                            [&](CSimDevice* device) -> HRESULT {
            return AnswerChange(device->SetButtonRecords(m_profile, records, count));
        });
    }
};

class CLedObject : public CDeviceComObject<IDeviceLed, ILedValue, ILedBlink, ILedAuxValue>, private CProfileBound {
public:
    CLedObject(CServiceCore& service, std::uint32_t device, const GUID& profile, std::uint32_t id)
        : CDeviceComObject(service, device), CProfileBound(profile), m_id(id)
    {
    }

    HRESULT STDMETHODCALLTYPE TurnOn() override
    {
        return Call("IDeviceLed.TurnOn", Light(), [&] { return Change([&](CSimDevice& d) { return d.SetLedOn(m_profile, m_id, true); }); });
    }
    HRESULT STDMETHODCALLTYPE TurnOff() override
    {
        return Call("IDeviceLed.TurnOff", Light(), [&] { return Change([&](CSimDevice& d) { return d.SetLedOn(m_profile, m_id, false); }); });
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override
    {
        return Read("IDeviceLed.GetState", state, [](const SimLed& led) -> DWORD { return led.on ? 1 : 0; });
    }
    HRESULT STDMETHODCALLTYPE GetId(DWORD* id) override
    {
        return Read("IDeviceLed.GetId", id, [](const SimLed& led) -> DWORD { return led.id; });
    }

    HRESULT STDMETHODCALLTYPE SetValue(DWORD value) override
    {
        return Call("ILedValue.SetValue", Light() + " " + std::to_string(value),
                    [&] { return Change([&](CSimDevice& d) { return d.SetLedValue(m_profile, m_id, value); }); });
    }
    HRESULT STDMETHODCALLTYPE GetValue(DWORD* value) override
    {
        return Read("ILedValue.GetValue", value, [](const SimLed& led) -> DWORD { return led.value; });
    }

    HRESULT STDMETHODCALLTYPE SetBlink(DWORD blink, DWORD onTimeMs, DWORD offTimeMs) override
    {
        return Call("ILedBlink.SetBlink",
                    Light() + " " + std::to_string(blink) + " " + std::to_string(onTimeMs) + " " + std::to_string(offTimeMs),
                    [&] {
                        return Change([&](CSimDevice& d) { return d.SetLedBlink(m_profile, m_id, blink != 0, onTimeMs, offTimeMs); });
                    });
    }
    HRESULT STDMETHODCALLTYPE GetBlink(DWORD* blink, DWORD* onTimeMs, DWORD* offTimeMs) override
    {
        for (DWORD* out : {blink, onTimeMs, offTimeMs}) {
            if (out)
                *out = 0;
        }
        return CallOnLed("ILedBlink.GetBlink", blink == nullptr || onTimeMs == nullptr || offTimeMs == nullptr,
                         [&](const SimLed& led) {
                             *blink = led.blink ? 1 : 0;
                             *onTimeMs = led.onTimeMs;
                             *offTimeMs = led.offTimeMs;
                         });
    }

    HRESULT STDMETHODCALLTYPE SetAuxValue(DWORD value) override
    {
        return Call("ILedAuxValue.SetAuxValue", Light() + " " + std::to_string(value),
                    [&] { return Change([&](CSimDevice& d) { return d.SetLedAuxValue(m_profile, m_id, value); }); });
    }
    HRESULT STDMETHODCALLTYPE GetAuxValue(DWORD* value) override
    {
        return Read("ILedAuxValue.GetAuxValue", value, [](const SimLed& led) -> DWORD { return led.auxValue; });
    }

private:
    std::string Light() const { return "light " + std::to_string(m_id); }

    const SimLed* FindLed(HRESULT& hr)
    {
        CSimDevice* device = Device(hr);
        if (device == nullptr)
            return nullptr;
        const SimProfile* profile = device->FindProfile(m_profile);
        if (profile != nullptr) {
            for (const SimLed& led : profile->leds) {
                if (led.id == m_id)
                    return &led;
            }
        }
        hr = kHrNotFound;
        return nullptr;
    }

    // A call that reads the light: `refused` (a pointer the client had to pass is null) answers
    // E_POINTER before the light is looked up; then `read` reads it.
    template <class Reader>
    HRESULT CallOnLed(const char* operation, bool refused, Reader read)
    {
        return Call(operation, Light(), [&]() -> HRESULT {
            if (refused)
                return E_POINTER;
            HRESULT hr;
            const SimLed* led = FindLed(hr);
            if (led == nullptr)
                return hr;
            read(*led);
            return S_OK;
        });
    }

    template <class Field>
    HRESULT Read(const char* operation, DWORD* out, Field field)
    {
        if (out)
            *out = 0;
        return CallOnLed(operation, out == nullptr, [&](const SimLed& led) { *out = field(led); });
    }

    template <class Edit>
    HRESULT Change(Edit edit)
    {
        HRESULT hr;
        CSimDevice* device = Device(hr);
        if (device == nullptr)
            return hr;
        return AnswerChange(edit(*device));
    }

    const std::uint32_t m_id;
};

class CLedCollectionObject : public CDeviceComObject<ILedCollection>, private CProfileBound {
public:
    CLedCollectionObject(CServiceCore& service, std::uint32_t device, const GUID& profile)
        : CDeviceComObject(service, device), CProfileBound(profile)
    {
    }

    HRESULT STDMETHODCALLTYPE GetLed(DWORD index, IDeviceLed** led) override
    {
        return CallHandingOut("ILedCollection.GetLed", std::to_string(index), led,
                              [&](CSimDevice& device) -> HRESULT {
            const SimProfile* profile = device.FindProfile(m_profile);
            if (profile == nullptr)
                return kHrNotFound;
            if (index >= profile->leds.size())
                return kHrNoMoreItems;
            return Give(new (std::nothrow) CLedObject(m_service, m_device, m_profile, profile->leds[index].id),
                        IID_IDeviceLed, reinterpret_cast<void**>(led));
        });
    }
};

class CDpiSourceObject : public CEventSourceObject<IDpiSource> {
public:
    CDpiSourceObject(CServiceCore& service, std::uint32_t device)
        : CEventSourceObject(service, device, IID__IDPIEvents)
    {
    }
};

class CProfileObject : public CEntryObject<IDeviceProfile, SimProfile, &CSimDevice::FindProfile> {
public:
    CProfileObject(CServiceCore& service, std::uint32_t device, const GUID& profile)
        : CEntryObject(service, device, profile)
    {
    }

    HRESULT STDMETHODCALLTYPE GetSubObject(REFIID riid, IUnknown** object) override
    {
        return CallGiving("IDeviceProfile.GetSubObject", GuidText(riid), object, [&]() -> HRESULT {
            HRESULT hr;
            if (Find(hr) == nullptr)
                return hr;
            void** out = reinterpret_cast<void**>(object);
            if (riid == IID_IProfilePropertyStore)
                return Give(new (std::nothrow) CPropertyStoreObject(m_service, m_device, m_guid), riid, out);
            if (riid == IID_IButtonAssignment)
                return Give(new (std::nothrow) CButtonAssignmentObject(m_service, m_device, m_guid), riid, out);
            if (riid == IID_ILedCollection)
                return Give(new (std::nothrow) CLedCollectionObject(m_service, m_device, m_guid), riid, out);
            if (riid == IID_IDpiSource)
                return Give(new (std::nothrow) CDpiSourceObject(m_service, m_device), riid, out);
            return E_NOINTERFACE;
        });
    }

    HRESULT STDMETHODCALLTYPE GetGuid(GUID* guid) override { return CallGetGuid("IDeviceProfile.GetGuid", guid); }

    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override { return CallGetName("IDeviceProfile.GetName", name); }

    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR name) override
    {
        return CallSetName("IDeviceProfile.SetName", name, kSimMaxProfileName, &CSimDevice::SetProfileName);
    }

    HRESULT STDMETHODCALLTYPE Reserved1() override
    {
        return Call("IDeviceProfile.Reserved1", "", [] { return E_NOTIMPL; });
    }

    HRESULT STDMETHODCALLTYPE ExportToFile(LPCWSTR path) override
    {
        return CallExport("IDeviceProfile.ExportToFile", path, "profile", ExportProfileFile);
    }
};

class CProfileManagerObject
    : public CEntryListObject<CEventSourceObject<IProfileManager>, CProfileObject, IDeviceProfile> {
public:
    CProfileManagerObject(CServiceCore& service, std::uint32_t device)
        : CEntryListObject(service, device, IID__IProfileManagerEvents)
    {
    }

    HRESULT STDMETHODCALLTYPE GetProfile(DWORD index, IDeviceProfile** profile) override
    {
        return CallGetAt("IProfileManager.GetProfile", index, profile, &CSimDevice::ProfileAt);
    }

    HRESULT STDMETHODCALLTYPE FindProfile(GUID guid, IDeviceProfile** profile) override
    {
        return CallFind("IProfileManager.FindProfile", guid, profile, &CSimDevice::FindProfile);
    }

    HRESULT STDMETHODCALLTYPE ActivateProfile(IDeviceProfile* profile) override
    {
        return ReportingActiveChange(
            [&] { return CallOnEntry("IProfileManager.ActivateProfile", profile, &CSimDevice::ActivateProfile); });
    }

    HRESULT STDMETHODCALLTYPE GetActiveProfile(IDeviceProfile** profile) override
    {
        return CallHandingOut("IProfileManager.GetActiveProfile", "", profile,
                              [&](CSimDevice& device) -> HRESULT {
            const GUID active = device.ActiveProfile();
            return active == kSimNullGuid ? kHrNotFound : Hand(active, profile);
        });
    }

    HRESULT STDMETHODCALLTYPE CreateProfile(IDeviceProfile** profile) override
    {
        return ReportingActiveChange(
            [&] { return CallCreate("IProfileManager.CreateProfile", profile, &CSimDevice::CreateProfile); });
    }

    HRESULT STDMETHODCALLTYPE DeleteProfile(IDeviceProfile* profile) override
    {
        return ReportingActiveChange(
            [&] { return CallOnEntry("IProfileManager.DeleteProfile", profile, &CSimDevice::DeleteProfile); });
    }

    HRESULT STDMETHODCALLTYPE Reserved1() override
    {
        return Call("IProfileManager.Reserved1", "", [] { return E_NOTIMPL; });
    }

    HRESULT STDMETHODCALLTYPE ImportProfileFile(LPCWSTR path, IDeviceProfile** profile) override
    {
        return ReportingActiveChange([&] {
            return CallImport("IProfileManager.ImportProfileFile", path, profile, "profile", ::ImportProfileFile);
        });
    }

private:
    // Every program hears of a change of the active profile, whichever program or key made it: `body`
    // runs, and when the device's active profile is another one afterwards, the profile-changed event
    // carries its index (none when the device has no profile left).
    template <class Body>
    HRESULT ReportingActiveChange(Body body)
    {
        HRESULT hr;
        const CSimDevice* device = Device(hr);
        const GUID before = device ? device->ActiveProfile() : kSimNullGuid;
        const HRESULT result = body();
        device = Device(hr);
        if (device == nullptr || device->ActiveProfile() == before || device->ActiveProfile() == kSimNullGuid)
            return result;
        for (std::size_t i = 0; i < device->ProfileCount(); ++i) {
            if (device->ProfileAt(i)->guid == device->ActiveProfile())
                m_service.QueueEvent(DeviceEvent{m_device, DeviceEventKind::ProfileChanged, static_cast<DWORD>(i), 0, {}});
        }
        return result;
    }
};

// ---- Macros ----

class CMacroObject : public CEntryObject<IDeviceMacro, SimMacro, &CSimDevice::FindMacro> {
public:
    CMacroObject(CServiceCore& service, std::uint32_t device, const GUID& macro)
        : CEntryObject(service, device, macro)
    {
    }

    HRESULT STDMETHODCALLTYPE GetGuid(GUID* guid) override { return CallGetGuid("IDeviceMacro.GetGuid", guid); }

    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override { return CallGetName("IDeviceMacro.GetName", name); }

    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR name) override
    {
        return CallSetName("IDeviceMacro.SetName", name, kSimMaxMacroName, &CSimDevice::SetMacroName);
    }

    HRESULT STDMETHODCALLTYPE ExportToFile(LPCWSTR path) override
    {
        return CallExport("IDeviceMacro.ExportToFile", path, "macro", ExportMacroFile);
    }

    HRESULT STDMETHODCALLTYPE GetEvents(MacroEventBuffer** events) override
    {
        if (events)
            *events = nullptr;
        return Call("IDeviceMacro.GetEvents", GuidText(m_guid), [&]() -> HRESULT {
            if (events == nullptr)
                return E_POINTER;
            HRESULT hr;
            const SimMacro* macro = Find(hr);
            if (macro == nullptr)
                return hr;
            *events = BuildMacroEventBuffer(macro->events.data(), macro->events.size());
            return *events ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT STDMETHODCALLTYPE SetEvents(const MacroEventBuffer* events) override
    {
        const std::string count = events ? std::to_string(events->count) : std::string("null");
        return Call("IDeviceMacro.SetEvents", GuidText(m_guid) + " " + count, [&]() -> HRESULT {
            if (events == nullptr)
                return E_POINTER;
            // Checked before the events are read: the device refuses more than it can hold.
            if (events->count > kSimMaxMacroEvents)
                return E_INVALIDARG;
            HRESULT hr;
            CSimDevice* device = Device(hr);
            if (device == nullptr)
                return hr;
            const std::vector<SimMacroEvent> list(events->events, events->events + events->count);
            return AnswerChange(device->SetMacroEvents(m_guid, list));
        });
    }
};

class CMacroStoreObject : public CEntryListObject<CDeviceComObject<IMacroStore>, CMacroObject, IDeviceMacro> {
public:
    CMacroStoreObject(CServiceCore& service, std::uint32_t device) : CEntryListObject(service, device) {}

    HRESULT STDMETHODCALLTYPE GetMacro(DWORD index, IDeviceMacro** macro) override
    {
        return CallGetAt("IMacroStore.GetMacro", index, macro, &CSimDevice::MacroAt);
    }

    HRESULT STDMETHODCALLTYPE FindMacro(GUID guid, IDeviceMacro** macro) override
    {
        return CallFind("IMacroStore.FindMacro", guid, macro, &CSimDevice::FindMacro);
    }

    HRESULT STDMETHODCALLTYPE CreateMacro(IDeviceMacro** macro) override
    {
        return CallCreate("IMacroStore.CreateMacro", macro, &CSimDevice::CreateMacro);
    }

    HRESULT STDMETHODCALLTYPE DeleteMacro(IDeviceMacro* macro) override
    {
        return CallOnEntry("IMacroStore.DeleteMacro", macro, &CSimDevice::DeleteMacro);
    }

    HRESULT STDMETHODCALLTYPE Reserved1() override
    {
        return Call("IMacroStore.Reserved1", "", [] { return E_NOTIMPL; });
    }

    HRESULT STDMETHODCALLTYPE ImportMacroFile(LPCWSTR path, IDeviceMacro** macro) override
    {
        return CallImport("IMacroStore.ImportMacroFile", path, macro, "macro", ::ImportMacroFile);
    }
};

// ---- Program entries ----

class CAppObject : public CEntryObject<IDeviceApp, SimApp, &CSimDevice::FindApp> {
public:
    CAppObject(CServiceCore& service, std::uint32_t device, const GUID& app) : CEntryObject(service, device, app) {}

    HRESULT STDMETHODCALLTYPE GetGuid(GUID* guid) override { return CallGetGuid("IDeviceApp.GetGuid", guid); }

    HRESULT STDMETHODCALLTYPE Reserved1() override
    {
        return Call("IDeviceApp.Reserved1", "", [] { return E_NOTIMPL; });
    }

    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override { return CallGetName("IDeviceApp.GetName", name); }

    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR name) override
    {
        return CallSetName("IDeviceApp.SetName", name, kSimMaxAppName, &CSimDevice::SetAppName);
    }
};

class CAppSourceObject
    : public CEntryListObject<CEventSourceObject<IApplicationEventSource>, CAppObject, IDeviceApp> {
public:
    CAppSourceObject(CServiceCore& service, std::uint32_t device)
        : CEntryListObject(service, device, IID__IApplicationEvent)
    {
    }

    HRESULT STDMETHODCALLTYPE GetApp(DWORD index, IDeviceApp** app) override
    {
        return CallGetAt("IApplicationEventSource.GetApp", index, app, &CSimDevice::AppAt);
    }

    HRESULT STDMETHODCALLTYPE FindApp(GUID guid, IDeviceApp** app) override
    {
        return CallFind("IApplicationEventSource.FindApp", guid, app, &CSimDevice::FindApp);
    }

    HRESULT STDMETHODCALLTYPE CreateApp(IDeviceApp** app) override
    {
        return CallCreate("IApplicationEventSource.CreateApp", app, &CSimDevice::CreateApp);
    }

    HRESULT STDMETHODCALLTYPE DeleteApp(IDeviceApp* app) override
    {
        return CallOnEntry("IApplicationEventSource.DeleteApp", app, &CSimDevice::DeleteApp);
    }
};

// ---- Device ----

class CDeviceModeObject : public CDeviceComObject<IDeviceMode> {
public:
    CDeviceModeObject(CServiceCore& service, std::uint32_t device) : CDeviceComObject(service, device) {}

    HRESULT STDMETHODCALLTYPE GetMode(DWORD* mode) override
    {
        if (mode)
            *mode = 0;
        return CallOnDevice("IDeviceMode.GetMode", "", mode == nullptr, [&](CSimDevice* device) -> HRESULT {
            *mode = device->Mode();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE SetMode(DWORD mode) override
    {
        return Call("IDeviceMode.SetMode", std::to_string(mode), [&]() -> HRESULT {
            HRESULT hr;
            CSimDevice* device = Device(hr);
            if (device == nullptr)
                return hr;
            // The mode is not part of the device's memory: nothing to save.
            return HresultOf(device->SetMode(mode));
        });
    }
};

class CRecordingSourceObject : public CEventSourceObject<IMacroRecordingSource> {
public:
    CRecordingSourceObject(CServiceCore& service, std::uint32_t device)
        : CEventSourceObject(service, device, IID__IOTFMacroRecordingEvents)
    {
    }
};

class CDeviceObject : public CDeviceComObject<IServiceDevice, IDeviceIdentity, IKeyboardLayoutInfo> {
public:
    CDeviceObject(CServiceCore& service, std::uint32_t device) : CDeviceComObject(service, device) {}

    HRESULT STDMETHODCALLTYPE GetInfo(DeviceInfo* info) override
    {
        if (info)
            *info = DeviceInfo{};
        return CallOnDevice("IServiceDevice.GetInfo", "", info == nullptr, [&](CSimDevice* device) -> HRESULT {
            const SimDeviceInfo& identity = device->Info();
            LPWSTR text = CoTaskText(kDeviceInfoText);
            if (text == nullptr)
                return E_OUTOFMEMORY;
            info->productId = identity.productId;
            info->versionBMajor = identity.secondary.major;
            info->versionBMinor = identity.secondary.minor;
            info->firmwareMajor = identity.firmware.major;
            info->firmwareMinor = identity.firmware.minor;
            info->text = text;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetSubObject(REFIID riid, IUnknown** object) override
    {
        return CallGiving("IServiceDevice.GetSubObject", GuidText(riid), object, [&]() -> HRESULT {
            HRESULT hr;
            if (Device(hr) == nullptr)
                return hr;
            void** out = reinterpret_cast<void**>(object);
            if (riid == IID_IProfileManager)
                return Give(new (std::nothrow) CProfileManagerObject(m_service, m_device), riid, out);
            if (riid == IID_IMacroStore)
                return Give(new (std::nothrow) CMacroStoreObject(m_service, m_device), riid, out);
            if (riid == IID_IApplicationEventSource)
                return Give(new (std::nothrow) CAppSourceObject(m_service, m_device), riid, out);
            if (riid == IID_IDeviceMode)
                return Give(new (std::nothrow) CDeviceModeObject(m_service, m_device), riid, out);
            if (riid == IID_IMacroRecordingSource)
                return Give(new (std::nothrow) CRecordingSourceObject(m_service, m_device), riid, out);
            return E_NOINTERFACE;
        });
    }

    HRESULT STDMETHODCALLTYPE GetIdentity(DWORD* value, DWORD* productId) override
    {
        if (value)
            *value = 0;
        if (productId)
            *productId = 0;
        return CallOnDevice("IDeviceIdentity.GetIdentity", "", value == nullptr || productId == nullptr,
                            [&](CSimDevice* device) -> HRESULT {
            *value = device->Info().identity;
            *productId = device->Info().productId;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Reserved1() override
    {
        return Call("IKeyboardLayoutInfo.Reserved1", "", [] { return E_NOTIMPL; });
    }

    HRESULT STDMETHODCALLTYPE GetLayoutCode(DWORD* code) override
    {
        if (code)
            *code = 0;
        return CallOnDevice("IKeyboardLayoutInfo.GetLayoutCode", "", code == nullptr,
                            [&](CSimDevice* device) -> HRESULT {
            *code = device->Info().layoutCode;
            return S_OK;
        });
    }
};

class CDeviceCollectionObject : public CComObject<IDeviceCollection> {
public:
    explicit CDeviceCollectionObject(CServiceCore& service) : CComObject(service) {}

    HRESULT STDMETHODCALLTYPE GetDevice(DWORD index, IServiceDevice** device) override
    {
        return CallGiving("IDeviceCollection.GetDevice", std::to_string(index), device, [&]() -> HRESULT {
            const std::uint32_t serial = m_service.PluggedSerial(index);
            if (serial == 0)
                return kHrNoMoreItems;
            return Give(new (std::nothrow) CDeviceObject(m_service, serial), IID_IServiceDevice,
                        reinterpret_cast<void**>(device));
        });
    }
};

// Registered with COM for the life of the process, so it does not count as a client.
class CServiceClassFactory final : public CClassFactory {
public:
    explicit CServiceClassFactory(CServiceCore& service) : m_service(service) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (object)
            *object = nullptr;
        HRESULT hr;
        if (object == nullptr)
            hr = E_POINTER;
        else if (outer != nullptr)
            hr = CLASS_E_NOAGGREGATION;
        else
            hr = Give(new (std::nothrow) CDeviceCollectionObject(m_service), riid, object);
        m_service.Calls().LogCall("IClassFactory.CreateInstance", GuidText(riid), hr);
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            m_service.HoldProcess();
        else
            m_service.ReleaseProcess();
        return S_OK;
    }

private:
    CServiceCore& m_service;
};

} // namespace

IClassFactory* NewServiceClassFactory(CServiceCore& service) { return new (std::nothrow) CServiceClassFactory(service); }
