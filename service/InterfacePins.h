// Keeps the interfaces a process serves registered with Wine's RPC runtime while the pins are held.
//
// Wine 8 unregisters an interface from RPC when the last stub of that interface in the process goes (a
// client's release of its last reference, or an apartment's end), and waits there for the calls to that
// interface still under way. Two ways this never ends:
// - a call that waits for the apartment's thread, which is the one waiting (single-threaded apartments);
// - a call that has just sent its reply: the runtime counts it as under way until the thread that served
//   it gets to count it off, and when the unregistration looks in between, the wake-up is lost. A client
//   that releases its last reference right after a call (a class object after CreateInstance, an event
//   sink after its last event) is enough, in any apartment.
// The process then stops answering for good, holding the lock that every later registration needs. A
// table-strong marshalling of each interface, made once and never handed out, keeps one stub per
// interface, so that unregistration only happens when the pins are released, long after the last call.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <initializer_list>
#include <vector>

class CInterfacePins {
public:
    CInterfacePins() = default;
    ~CInterfacePins() { Release(); }
    CInterfacePins(const CInterfacePins&) = delete;
    CInterfacePins& operator=(const CInterfacePins&) = delete;

    // On the serving apartment's thread, before anything is handed out. False when an interface could not
    // be pinned (the others stay pinned).
    bool Pin(std::initializer_list<const IID*> interfaces);
    // The event sinks' interfaces of a client of the device service (and IUnknown), which the service
    // drops right after an event.
    bool PinEventSinks();
    // Before the apartment ends, once no calls can arrive any more.
    void Release();

private:
    std::vector<IStream*> m_streams;
};
