// Connection points over the service's sink list, and their enumerators.
#include "service/server/ConnectionPoints.h"

#include <new>
#include <vector>

namespace {

class CEventConnectionPoint : public CComObject<IConnectionPoint> {
public:
    CEventConnectionPoint(CServiceCore& service, IConnectionPointContainer* container, std::uint32_t device,
                          REFIID events)
        : CComObject<IConnectionPoint>(service), m_container(container), m_device(device), m_events(events)
    {
        m_container->AddRef();
    }
    ~CEventConnectionPoint() override { m_container->Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override
    {
        return Call("IConnectionPoint.GetConnectionInterface", "", [&]() -> HRESULT {
            if (iid == nullptr)
                return E_POINTER;
            *iid = m_events;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        return CallGiving("IConnectionPoint.GetConnectionPointContainer", "", container, [&]() -> HRESULT {
            m_container->AddRef();
            *container = m_container;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (cookie)
            *cookie = 0;
        return Call("IConnectionPoint.Advise", EventInterfaceName(m_events), [&]() -> HRESULT {
            if (sink == nullptr || cookie == nullptr)
                return E_POINTER;
            // Kept as the outgoing interface, the one the events are called on.
            IUnknown* events = nullptr;
            if (FAILED(sink->QueryInterface(m_events, reinterpret_cast<void**>(&events))) || events == nullptr)
                return CONNECT_E_CANNOTCONNECT;
            *cookie = m_service.AddSink(m_device, m_events, events);
            events->Release();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        return Call("IConnectionPoint.Unadvise", std::to_string(cookie), [&]() -> HRESULT {
            return m_service.RemoveSink(m_device, m_events, cookie) ? S_OK : CONNECT_E_NOCONNECTION;
        });
    }

    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer* m_container;
    std::uint32_t m_device;
    const IID m_events;
};

// Enumerates a snapshot of the connections taken when it was made; holds a reference on each sink.
class CConnectionEnumerator : public CComObject<IEnumConnections> {
public:
    CConnectionEnumerator(CServiceCore& service, std::vector<CONNECTDATA> connections, std::size_t position)
        : CComObject<IEnumConnections>(service), m_connections(std::move(connections)), m_position(position)
    {
    }
    ~CConnectionEnumerator() override
    {
        for (CONNECTDATA& connection : m_connections)
            connection.pUnk->Release();
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, CONNECTDATA* out, ULONG* fetched) override
    {
        if (fetched)
            *fetched = 0;
        if (out == nullptr || (fetched == nullptr && count != 1))
            return E_POINTER;
        ULONG given = 0;
        while (given < count && m_position < m_connections.size()) {
            out[given] = m_connections[m_position++];
            out[given].pUnk->AddRef();
            ++given;
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t left = m_connections.size() - m_position;
        m_position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnections** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        for (CONNECTDATA& connection : m_connections)
            connection.pUnk->AddRef();
        *copy = new (std::nothrow) CConnectionEnumerator(m_service, m_connections, m_position);
        if (*copy == nullptr) {
            for (CONNECTDATA& connection : m_connections)
                connection.pUnk->Release();
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    std::vector<CONNECTDATA> m_connections;
    std::size_t m_position;
};

class CConnectionPointEnumerator : public CComObject<IEnumConnectionPoints> {
public:
    CConnectionPointEnumerator(CServiceCore& service, std::vector<IConnectionPoint*> points, std::size_t position)
        : CComObject<IEnumConnectionPoints>(service), m_points(std::move(points)), m_position(position)
    {
        for (IConnectionPoint* point : m_points)
            point->AddRef();
    }
    ~CConnectionPointEnumerator() override
    {
        for (IConnectionPoint* point : m_points)
            point->Release();
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override
    {
        if (fetched)
            *fetched = 0;
        if (out == nullptr || (fetched == nullptr && count != 1))
            return E_POINTER;
        ULONG given = 0;
        while (given < count && m_position < m_points.size()) {
            out[given] = m_points[m_position++];
            out[given]->AddRef();
            ++given;
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t left = m_points.size() - m_position;
        m_position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        *copy = new (std::nothrow) CConnectionPointEnumerator(m_service, m_points, m_position);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::vector<IConnectionPoint*> m_points;
    std::size_t m_position;
};

HRESULT CEventConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    return CallGiving("IConnectionPoint.EnumConnections", "", connections, [&]() -> HRESULT {
        std::vector<CONNECTDATA> snapshot = m_service.Sinks(m_device, m_events);
        auto* enumerator = new (std::nothrow) CConnectionEnumerator(m_service, snapshot, 0);
        if (enumerator == nullptr) {
            for (CONNECTDATA& connection : snapshot)
                connection.pUnk->Release();
            return E_OUTOFMEMORY;
        }
        *connections = enumerator;
        return S_OK;
    });
}

} // namespace

IConnectionPoint* NewEventConnectionPoint(CServiceCore& service, IConnectionPointContainer* container,
                                          std::uint32_t device, REFIID events)
{
    return new (std::nothrow) CEventConnectionPoint(service, container, device, events);
}

IEnumConnectionPoints* NewConnectionPointEnumerator(CServiceCore& service, IConnectionPoint* only)
{
    return new (std::nothrow) CConnectionPointEnumerator(service, std::vector<IConnectionPoint*>{only}, 0);
}
