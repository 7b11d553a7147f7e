// The event sources' connection points: the container operations of a source with one outgoing interface,
// the connection point over the service's list of sinks, and the enumerators of connection points and
// of connections.
#pragma once

#include "service/server/ComObject.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

// A device's event source: a device object that is also the container of the connection point of its
// outgoing interface. Sinks belong to the service, so every source object of the device (each client
// gets its own) reaches the same sinks.
template <class... Interfaces>
class CEventSourceObject : public CDeviceComObject<Interfaces..., IConnectionPointContainer> {
public:
    CEventSourceObject(CServiceCore& service, std::uint32_t device, const IID& events)
        : CDeviceComObject<Interfaces..., IConnectionPointContainer>(service, device), m_events(events)
    {
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

private:
    const IID m_events;
};

// The connection point of `events` for the container's device; one reference. Null when out of memory.
IConnectionPoint* NewEventConnectionPoint(CServiceCore& service, IConnectionPointContainer* container,
                                          std::uint32_t device, REFIID events);
IEnumConnectionPoints* NewConnectionPointEnumerator(CServiceCore& service, IConnectionPoint* only);

template <class... Interfaces>
HRESULT CEventSourceObject<Interfaces...>::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    return this->CallGiving("IConnectionPointContainer.EnumConnectionPoints", "", points, [&]() -> HRESULT {
        IConnectionPoint* point = NewEventConnectionPoint(this->m_service, this, this->m_device, m_events);
        if (point == nullptr)
            return E_OUTOFMEMORY;
        *points = NewConnectionPointEnumerator(this->m_service, point);
        point->Release();
        return *points ? S_OK : E_OUTOFMEMORY;
    });
}

template <class... Interfaces>
HRESULT CEventSourceObject<Interfaces...>::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    return this->CallGiving("IConnectionPointContainer.FindConnectionPoint", GuidText(riid), point, [&]() -> HRESULT {
        if (riid != m_events)
            return CONNECT_E_NOCONNECTION;
        *point = NewEventConnectionPoint(this->m_service, this, this->m_device, m_events);
        return *point ? S_OK : E_OUTOFMEMORY;
    });
}
