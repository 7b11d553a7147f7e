// Connection-point lookup shared by every event connection, and the check that its source still lives.
#include "tray/EventConnections.h"

#include <ocidl.h>

#include "service/client/ServiceClient.h"

namespace tray {

IConnectionPoint* FindConnectionPoint(IUnknown* source, REFIID iid)
{
    if (!source)
        return nullptr;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) ||
        !container)
        return nullptr;
    IConnectionPoint* point = nullptr;
    if (FAILED(container->FindConnectionPoint(iid, &point)))
        point = nullptr;
    container->Release();
    return point;
}

bool EventSourceGone(IUnknown* source, REFIID iid)
{
    if (!source)
        return false;
    // The call lets this thread handle the service's calls and sent messages while it waits; one of
    // them may destroy the connection that holds the source and the interface id.
    const IID events = iid;
    source->AddRef();
    IConnectionPointContainer* container = nullptr;
    HRESULT result = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (SUCCEEDED(result) && container) {
        IConnectionPoint* point = nullptr;
        result = container->FindConnectionPoint(events, &point);
        if (SUCCEEDED(result) && point)
            point->Release();
        container->Release();
    }
    source->Release();
    return ServingProcessGone(result);
}

} // namespace tray
