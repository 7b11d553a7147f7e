// What every client of the device service does the same way: telling a gone serving process from other
// failures, the bound of an enumeration by index, finding the keyboard by its product id, the
// sub-objects of a device or device profile, and the names and GUIDs the service hands out. The tray's
// device manager and the configurator's device connection are both built on it, and the service's
// registrar, a client of its worker, tells a gone worker by it.
#pragma once

#include "DeviceService.h"
#include "framework/ComRef.h"

#include <windows.h>

#include <cstddef>
#include <string>

// True for the answer of a call whose serving process has ended or can no longer be reached (COM's
// disconnection codes, the RPC runtime's unavailable server and failed calls): a new start of the
// service reaches a new process.
inline bool ServingProcessGone(HRESULT result)
{
    return result == RPC_E_DISCONNECTED || result == RPC_E_SERVER_DIED || result == RPC_E_SERVER_DIED_DNE ||
           result == CO_E_OBJNOTCONNECTED || result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) || result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE);
}

// A bound for enumerations by index (devices, profiles, macros, lights) of a misbehaving service that
// never fails an index, so that no caller loops for ever. The keyboard holds far fewer of each (a few
// hundred macros at most); each index is a call across processes, and the tray makes them on its GUI
// thread, so the bound stays small enough to give up in well under a second.
constexpr DWORD kMaxServiceEnumeration = 4096;

// Calls visit(object) for the objects an enumeration gives at indexes 0, 1, ... until get(index, &out)
// fails or gives null, the bound is reached or visit returns false. Returns how many objects it got.
template <class TObject, class TGet, class TVisit>
DWORD ForEachServiceObject(TGet get, TVisit visit)
{
    DWORD count = 0;
    for (; count < kMaxServiceEnumeration; ++count) {
        ComRef<TObject> object;
        if (FAILED(get(count, object.Put())) || !object)
            break;
        if (!visit(object)) {
            ++count;
            break;
        }
    }
    return count;
}

template <class TVisit>
DWORD ForEachDeviceProfile(IProfileManager* profiles, TVisit visit)
{
    return ForEachServiceObject<IDeviceProfile>(
        [profiles](DWORD index, IDeviceProfile** out) { return profiles->GetProfile(index, out); }, visit);
}

template <class TVisit>
DWORD ForEachDeviceMacro(IMacroStore* macros, TVisit visit)
{
    return ForEachServiceObject<IDeviceMacro>(
        [macros](DWORD index, IDeviceMacro** out) { return macros->GetMacro(index, out); }, visit);
}

// Where a client reads a device's product id: from the device's information (`GetInfo`) or from its
// identity (`IDeviceIdentity::GetIdentity`).
enum class ProductIdSource { kInfo, kIdentity };

// Keeps in `device` the first device of `root`, in the service's order, whose product id can be read
// from `source` and is `productId`; devices whose id cannot be read are skipped. With kInfo, `info`
// (when given) receives that device's information, its text already freed. False, `device` null, when
// there is none.
bool FindServiceDevice(IDeviceCollection* root, DWORD productId, ProductIdSource source,
                       ComRef<IServiceDevice>& device, DeviceInfo* info = nullptr);

// A sub-object of a device or device profile (both offer GetSubObject). False, `out` null, when the
// owner is null or does not give it.
template <class TOwner, class TInterface>
bool GetSubObject(TOwner* owner, REFIID iid, ComRef<TInterface>& out)
{
    out.Reset();
    if (owner == nullptr)
        return false;
    if (FAILED(owner->GetSubObject(iid, out.PutUnknown())) || !out) {
        out.Reset();
        return false;
    }
    return true;
}

// A text the service returned, freed here: at most `maxLength` characters up to its terminator; null
// reads as empty.
std::wstring TakeServiceText(LPWSTR text, std::size_t maxLength);

// What a successful GetName that gives no text at all means to the caller: an empty name, or a name
// that could not be read.
enum class MissingName { kEmpty, kUnread };

// The name of a device profile, macro or program entry (all offer GetName), bounded. False when the
// call failed, or gave no text and `missing` is kUnread.
template <class TObject>
bool ReadServiceName(TObject* object, std::size_t maxLength, std::wstring& name,
                     MissingName missing = MissingName::kEmpty)
{
    LPWSTR text = nullptr;
    const HRESULT result = object->GetName(&text);
    if (FAILED(result) || (text == nullptr && missing == MissingName::kUnread)) {
        CoTaskMemFree(text);
        return false;
    }
    name = TakeServiceText(text, maxLength);
    return true;
}

template <class TObject>
bool ReadServiceGuid(TObject* object, GUID& guid)
{
    GUID value{};
    if (FAILED(object->GetGuid(&value)))
        return false;
    guid = value;
    return true;
}
