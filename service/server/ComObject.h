// The IUnknown that every object of the service shares: a reference count, QueryInterface over the
// interfaces the class lists, the hold on the service process while the object lives, and the wrapper
// that injects failures and logs each client call.
#pragma once

#include "service/server/RefCounted.h"
#include "service/server/ServiceCore.h"
#include "service/server/ServiceText.h"

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <tuple>

// Asked of an object passed back in by a client (DeleteProfile, ActivateProfile, ...): only the
// service's own objects answer, with their CServiceObject. A proxy to a client's object has no
// marshaller for it and fails, so a foreign object is refused rather than misread.
// {9C0B5E7A-31D4-4E8F-A6B2-7D18C3F40E95}
constexpr IID kIidServiceObject = {0x9c0b5e7a, 0x31d4, 0x4e8f, {0xa6, 0xb2, 0x7d, 0x18, 0xc3, 0xf4, 0x0e, 0x95}};

class CServiceObject {
public:
    virtual ~CServiceObject() = default;
};

template <class... Interfaces>
class CComObject : public CRefCounted<Interfaces..., CServiceObject> {
public:
    explicit CComObject(CServiceCore& service) : m_service(service) { m_service.HoldProcess(); }
    ~CComObject() override { m_service.ReleaseProcess(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
        if (riid == IID_IUnknown)
            *object = static_cast<IUnknown*>(static_cast<First*>(this));
        else if (riid == kIidServiceObject)
            *object = static_cast<CServiceObject*>(this);
        else
            (void)((riid == __uuidof(Interfaces) ? (*object = static_cast<Interfaces*>(this), true) : false) || ...);
        if (*object == nullptr)
            return E_NOINTERFACE;
        this->AddRef();
        return S_OK;
    }

protected:
    // Runs one client call: an injected failure instead of the body (or after it) when one is pending,
    // then the log.
    template <class Body>
    HRESULT Call(const char* operation, const std::string& arguments, Body body)
    {
        HRESULT hr = S_OK;
        CCallMonitor::Timing timing = CCallMonitor::Timing::Before;
        if (!m_service.Calls().TakeFault(operation, hr, timing)) {
            hr = body();
        } else if (timing != CCallMonitor::Timing::Before) {
            body();  // carried out; only the answer is the failure
            if (timing == CCallMonitor::Timing::Exit) {
                m_service.Log(std::string("ending at ") + operation + " as a test asked");
                TerminateProcess(GetCurrentProcess(), 9);
            }
        }
        m_service.Calls().LogCall(operation, arguments, hr);
        return hr;
    }

    // A call that hands out one object through `out`: `out` is cleared first and a null `out` refused
    // before `body` runs. A failure hands out nothing, even one injected after the object was made.
    template <class Out, class Body>
    HRESULT CallGiving(const char* operation, const std::string& arguments, Out** out, Body body)
    {
        if (out)
            *out = nullptr;
        const HRESULT result = Call(operation, arguments, [&]() -> HRESULT { return out ? body() : E_POINTER; });
        if (FAILED(result) && out && *out) {
            (*out)->Release();
            *out = nullptr;
        }
        return result;
    }

    // The answer to a change the device made or refused: one it made is saved first.
    HRESULT AnswerChange(SimStatus status)
    {
        if (status == SimStatus::Ok)
            m_service.Changed();
        return HresultOf(status);
    }

    CServiceCore& m_service;
};

// The service's own object behind an interface pointer a client passed in; null for anything else.
// The result holds no reference: it lives as long as the caller's pointer.
template <class T>
T* ServiceObjectOf(IUnknown* unknown)
{
    if (unknown == nullptr)
        return nullptr;
    void* object = nullptr;
    if (FAILED(unknown->QueryInterface(kIidServiceObject, &object)) || object == nullptr)
        return nullptr;
    auto* base = static_cast<CServiceObject*>(object);
    T* result = dynamic_cast<T*>(base);
    // The reference QueryInterface added goes back through the object's IUnknown.
    unknown->Release();
    return result;
}

// An object of one device: it keeps the device's serial and finds the device again on every call.
template <class... Interfaces>
class CDeviceComObject : public CComObject<Interfaces...> {
public:
    CDeviceComObject(CServiceCore& service, std::uint32_t device) : CComObject<Interfaces...>(service), m_device(device) {}
    std::uint32_t DeviceSerial() const { return m_device; }

protected:
    // The device, or null with the failure to report.
    CSimDevice* Device(HRESULT& hr) { return this->m_service.Device(m_device, hr); }

    // A call on the device: `refused` (a pointer the client had to pass is null) answers E_POINTER before
    // the device is looked up; then `body` runs with the device (never null).
    template <class Body>
    HRESULT CallOnDevice(const char* operation, const std::string& arguments, bool refused, Body body)
    {
        return this->Call(operation, arguments, [&]() -> HRESULT {
            if (refused)
                return E_POINTER;
            HRESULT hr;
            CSimDevice* device = Device(hr);
            return device ? body(device) : hr;
        });
    }

    // CallGiving with the device: a null `out` is refused before the device is looked up; then `body`
    // runs with the device.
    template <class Out, class Body>
    HRESULT CallHandingOut(const char* operation, const std::string& arguments, Out** out, Body body)
    {
        return this->CallGiving(operation, arguments, out, [&]() -> HRESULT {
            HRESULT hr;
            CSimDevice* device = Device(hr);
            return device ? body(*device) : hr;
        });
    }

    // A call that makes a new object: `create` makes it on the device and gives its GUID; the change is
    // saved and `hand` hands the object out.
    template <class Out, class Create, class HandOut>
    HRESULT CallCreating(const char* operation, Out** out, Create create, HandOut hand)
    {
        return CallHandingOut(operation, "", out, [&](CSimDevice& device) -> HRESULT {
            GUID created{};
            const SimStatus status = create(device, created);
            if (status != SimStatus::Ok)
                return HresultOf(status);
            this->m_service.Changed();
            return hand(created, out);
        });
    }

    // A call about an object a client passes back in. Only an `Object` the service handed out for this
    // device names one: a null pointer is refused first, then a foreign object or one of another device,
    // both before the device is looked up. A successful `operation` on the object's GUID is saved.
    template <class Object, class Operation>
    HRESULT CallOnOwnObject(const char* operation, IUnknown* given, Operation act)
    {
        const Object* object = ServiceObjectOf<Object>(given);
        const std::string named = object ? GuidText(object->Guid()) : std::string(given ? "foreign" : "null");
        return this->Call(operation, named, [&]() -> HRESULT {
            if (given == nullptr)
                return E_POINTER;
            if (object == nullptr || object->DeviceSerial() != m_device)
                return E_INVALIDARG;
            HRESULT hr;
            CSimDevice* device = Device(hr);
            if (device == nullptr)
                return hr;
            return this->AnswerChange(act(*device, object->Guid()));
        });
    }

    std::uint32_t m_device;
};
