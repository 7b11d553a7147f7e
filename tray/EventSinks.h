// The COM objects the device service calls with its events. Each forwards to one handler of the
// hidden dialog, and forwards nothing once its handler is cleared: the service may still hold the
// sink after the dialog is gone.
#pragma once

#include <windows.h>

#include "DeviceService.h"
#include "tray/EventHandlers.h"

namespace tray {

// IUnknown of a sink over its outgoing interface, with the handler it forwards to.
template <class Interface, class Handler>
class IUnknownImpl : public Interface {
public:
    explicit IUnknownImpl(Handler* handler) : m_handler(handler) {}
    virtual ~IUnknownImpl() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refCount; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG count = --m_refCount;
        if (count == 0)
            delete this;
        return count;
    }

    void SetHandler(Handler* handler) { m_handler = handler; }
    Handler* GetHandler() const { return m_handler; }
    ULONG RefCount() const { return m_refCount; }

protected:
    Handler* m_handler;

private:
    ULONG m_refCount = 1;
};

class CProfileEventSink : public IUnknownImpl<_IProfileManagerEvents, IProfileEventHandler> {
public:
    using IUnknownImpl::IUnknownImpl;
    HRESULT STDMETHODCALLTYPE OnActiveProfileChanged(DWORD value) override;
};

class CMacroEventSink : public IUnknownImpl<_IOTFMacroRecordingEvents, IMacroEventHandler> {
public:
    using IUnknownImpl::IUnknownImpl;
    HRESULT STDMETHODCALLTYPE OnRecordingStarted() override;
    HRESULT STDMETHODCALLTYPE OnRecordingStopped() override;
    HRESULT STDMETHODCALLTYPE OnRecordingFinished(DWORD value, DWORD buttonId) override;
    HRESULT STDMETHODCALLTYPE OnRecordingCancelled() override;
};

class CLaunchAppEventSink : public IUnknownImpl<_IApplicationEvent, ILaunchAppEventHandler> {
public:
    using IUnknownImpl::IUnknownImpl;
    HRESULT STDMETHODCALLTYPE OnLaunchApplication(DWORD kind, LPCWSTR file) override;
};

class CDpiEventSink : public IUnknownImpl<_IDPIEvents, IDpiEventHandler> {
public:
    using IUnknownImpl::IUnknownImpl;
    HRESULT STDMETHODCALLTYPE OnDpiChanged(DWORD value1, DWORD value2) override;
};

} // namespace tray
