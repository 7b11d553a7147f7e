// Keeps every interface the worker serves registered with Wine's RPC runtime for the worker's life.
//
// Wine 8 unregisters an interface from RPC when the last stub of that interface in the process goes (a
// client's release of its last reference), and waits there, on the apartment's thread, for the calls
// to that interface still under way. A call of another client that waits for the same thread then
// waits forever, and so does the worker: every later client hangs. A table-strong marshalling of each
// interface, made once and never handed out, keeps one stub per interface, so that unregistration only
// happens when the worker ends.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <vector>

class CInterfacePins {
public:
    CInterfacePins() = default;
    ~CInterfacePins() { Release(); }
    CInterfacePins(const CInterfacePins&) = delete;
    CInterfacePins& operator=(const CInterfacePins&) = delete;

    // On the serving apartment's thread, before the class object is registered. False when an
    // interface could not be pinned (the worker still serves; the others stay pinned).
    bool Pin();
    // Before the apartment ends.
    void Release();

private:
    std::vector<IStream*> m_streams;
};
