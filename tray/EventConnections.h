// Subscriptions of one sink to one event source of the device service. A connection holds its source
// from construction to destruction; advising may fail, and the connection then exists without events.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "tray/EventSinks.h"

namespace tray {

// Asks `source` for its connection point of `iid`, a call that reaches the serving process: true when
// the answer says that process is gone. A source that answers, even with a refusal, is not gone.
bool EventSourceGone(IUnknown* source, REFIID iid);

template <class Sink, class Handler>
class CEventConnection {
public:
    // Takes a reference to `source` and advises a new sink for `eventIid` on its connection point.
    CEventConnection(IUnknown* source, Handler* handler, REFIID eventIid)
        : m_handler(handler), m_sink(new Sink(handler)), m_source(source), m_eventIid(eventIid)
    {
        if (m_source)
            m_source->AddRef();
        m_cookie = Advise(m_source, m_eventIid, m_sink);
    }

    virtual ~CEventConnection()
    {
        // The handler goes first: should the service fail to let the sink go, or an event already be on
        // its way, the sink no longer reaches the dialog that is about to be deleted.
        m_sink->SetHandler(nullptr);
        if (m_cookie)
            Unadvise(m_source, m_eventIid, m_cookie);
        m_sink->Release();
        if (m_source)
            m_source->Release();
    }

    CEventConnection(const CEventConnection&) = delete;
    CEventConnection& operator=(const CEventConnection&) = delete;

    // True when the process that serves the source has ended: the connection will never deliver again.
    bool SourceGone() const { return EventSourceGone(m_source, m_eventIid); }

    Handler* GetHandler() const { return m_handler; }
    bool IsAdvised() const { return m_cookie != 0; }
    DWORD Cookie() const { return m_cookie; }
    Sink* GetSink() const { return m_sink; }
    IUnknown* GetSource() const { return m_source; }

private:
    Handler* m_handler;
    Sink* m_sink;
    IUnknown* m_source;
    IID m_eventIid;
    DWORD m_cookie = 0;

    static DWORD Advise(IUnknown* source, REFIID iid, IUnknown* sink);
    static void Unadvise(IUnknown* source, REFIID iid, DWORD cookie);
};

// The connection point of `iid` on `source`; null when the source offers none.
IConnectionPoint* FindConnectionPoint(IUnknown* source, REFIID iid);

template <class Sink, class Handler>
DWORD CEventConnection<Sink, Handler>::Advise(IUnknown* source, REFIID iid, IUnknown* sink)
{
    IConnectionPoint* point = FindConnectionPoint(source, iid);
    if (!point)
        return 0;
    DWORD cookie = 0;
    if (FAILED(point->Advise(sink, &cookie)))
        cookie = 0;
    point->Release();
    return cookie;
}

template <class Sink, class Handler>
void CEventConnection<Sink, Handler>::Unadvise(IUnknown* source, REFIID iid, DWORD cookie)
{
    if (IConnectionPoint* point = FindConnectionPoint(source, iid)) {
        point->Unadvise(cookie);
        point->Release();
    }
}

class CProfileEventConnection : public CEventConnection<CProfileEventSink, IProfileEventHandler> {
public:
    CProfileEventConnection(IUnknown* source, IProfileEventHandler* handler)
        : CEventConnection(source, handler, IID__IProfileManagerEvents)
    {
    }
};

class CMacroEventConnection : public CEventConnection<CMacroEventSink, IMacroEventHandler> {
public:
    CMacroEventConnection(IUnknown* source, IMacroEventHandler* handler)
        : CEventConnection(source, handler, IID__IOTFMacroRecordingEvents)
    {
    }
};

class CLaunchAppEventConnection : public CEventConnection<CLaunchAppEventSink, ILaunchAppEventHandler> {
public:
    CLaunchAppEventConnection(IUnknown* source, ILaunchAppEventHandler* handler)
        : CEventConnection(source, handler, IID__IApplicationEvent)
    {
    }
};

class CDpiEventConnection : public CEventConnection<CDpiEventSink, IDpiEventHandler> {
public:
    CDpiEventConnection(IUnknown* source, IDpiEventHandler* handler)
        : CEventConnection(source, handler, IID__IDPIEvents)
    {
    }
};

} // namespace tray
