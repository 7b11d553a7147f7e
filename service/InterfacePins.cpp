// Table-strong marshallings of one never-freed object, one per pinned interface (see InterfacePins.h).
#include "InterfacePins.h"

#include "DeviceService.h"

#include <algorithm>
#include <mutex>

namespace {

// The object behind every pin of the process. Its stubs are never reached: their marshalled data never
// leaves the process, so no call can name them, and no method but IUnknown's is ever called on it. It
// answers only the interfaces pinned so far, so that COM never takes it for a custom marshaller.
class CPinTarget final : public IUnknown {
public:
    void Allow(REFIID iid)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!Allowed(iid))
            m_allowed.push_back(iid);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) {
            std::lock_guard<std::mutex> lock(m_lock);
            if (!Allowed(riid))
                return E_NOINTERFACE;
        }
        *object = static_cast<IUnknown*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

private:
    // Under m_lock.
    bool Allowed(REFIID iid) const
    {
        return std::any_of(m_allowed.begin(), m_allowed.end(), [&](const IID& allowed) { return IsEqualIID(allowed, iid); });
    }

    std::mutex m_lock;
    std::vector<IID> m_allowed;
};

// Never freed: an apartment that ends without the pins released still holds stubs of it.
CPinTarget& PinTarget()
{
    static CPinTarget* const target = new CPinTarget;
    return *target;
}

} // namespace

bool CInterfacePins::Pin(std::initializer_list<const IID*> interfaces)
{
    bool all = true;
    for (const IID* iid : interfaces) {
        PinTarget().Allow(*iid);
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
            all = false;
            continue;
        }
        if (FAILED(CoMarshalInterface(stream, *iid, &PinTarget(), MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG))) {
            stream->Release();
            all = false;
            continue;
        }
        m_streams.push_back(stream);
    }
    return all;
}

void CInterfacePins::Release()
{
    for (IStream* stream : m_streams) {
        const LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        CoReleaseMarshalData(stream);
        stream->Release();
    }
    m_streams.clear();
}

bool CInterfacePins::PinEventSinks()
{
    return Pin({&IID_IUnknown, &IID__IProfileManagerEvents, &IID__IOTFMacroRecordingEvents, &IID__IDPIEvents,
                &IID__IApplicationEvent});
}
