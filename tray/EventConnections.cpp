// Connection-point lookup shared by every event connection.
#include "tray/EventConnections.h"

#include <ocidl.h>

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

} // namespace tray
