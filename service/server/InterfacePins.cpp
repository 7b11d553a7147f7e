// A marshalled reference per served interface, held for the worker's life (see InterfacePins.h).
#include "service/server/InterfacePins.h"

#include "DeviceService.h"

#include <ocidl.h>

#include <iterator>

namespace {

const IID* const kServedInterfaces[] = {
    &IID_IUnknown,
    &IID_IDeviceCollection,
    &IID_IServiceDevice,
    &IID_IDeviceIdentity,
    &IID_IKeyboardLayoutInfo,
    &IID_IProfileManager,
    &IID_IDeviceProfile,
    &IID_IProfilePropertyStore,
    &IID_IButtonAssignment,
    &IID_ILedCollection,
    &IID_IDeviceLed,
    &IID_ILedValue,
    &IID_ILedBlink,
    &IID_ILedAuxValue,
    &IID_IMacroStore,
    &IID_IDeviceMacro,
    &IID_IDeviceApp,
    &IID_IApplicationEventSource,
    &IID_IDeviceMode,
    &IID_IMacroRecordingSource,
    &IID_IDpiSource,
    &IID_IConnectionPointContainer,
    &IID_IConnectionPoint,
    &IID_IEnumConnectionPoints,
    &IID_IEnumConnections,
};

// The object behind the pins: one for the process, never freed. Its stubs are never reached: their
// marshalled data never leaves this process, so no call can name them, and no method but IUnknown's is
// ever called on it.
class CPinTarget final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        for (const IID* served : kServedInterfaces) {
            if (IsEqualIID(riid, *served)) {
                *object = static_cast<IUnknown*>(this);
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

CPinTarget g_pinTarget;

} // namespace

bool CInterfacePins::Pin()
{
    bool all = true;
    for (const IID* served : kServedInterfaces) {
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
            all = false;
            continue;
        }
        if (FAILED(CoMarshalInterface(stream, *served, &g_pinTarget, MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG))) {
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
