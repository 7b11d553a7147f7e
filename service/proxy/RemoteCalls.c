/* The client and server halves of the operations whose C++ form differs from what crosses the process
 * boundary: returned names (sent inside a WireText record) and the counted buffers of GetProperty and
 * GetAll (sent with a capacity the server cannot change). Each *_Proxy runs in the client behind the
 * interface's vtable slot; each *_Stub runs in the server and calls the object's own operation. */
#include "UnknownProxy.h"

#include "DeviceService.h"

/* A name arrives as a WireText whose string the marshaller allocated with CoTaskMemAlloc: the caller
 * takes it over as it is. */
static HRESULT TakeWireText(HRESULT hr, WireText *wire, LPWSTR *name)
{
    if (SUCCEEDED(hr)) {
        *name = wire->text;
    } else {
        CoTaskMemFree(wire->text);
    }
    return hr;
}

HRESULT CALLBACK IDeviceProfile_GetName_Proxy(IDeviceProfile *This, LPWSTR *name)
{
    WireText wire = {NULL};
    if (!name)
        return E_POINTER;
    *name = NULL;
    return TakeWireText(IDeviceProfile_RemoteGetName_Proxy(This, &wire), &wire, name);
}

HRESULT __RPC_STUB IDeviceProfile_GetName_Stub(IDeviceProfile *This, WireText *name)
{
    name->text = NULL;
    return This->lpVtbl->GetName(This, &name->text);
}

HRESULT CALLBACK IDeviceMacro_GetName_Proxy(IDeviceMacro *This, LPWSTR *name)
{
    WireText wire = {NULL};
    if (!name)
        return E_POINTER;
    *name = NULL;
    return TakeWireText(IDeviceMacro_RemoteGetName_Proxy(This, &wire), &wire, name);
}

HRESULT __RPC_STUB IDeviceMacro_GetName_Stub(IDeviceMacro *This, WireText *name)
{
    name->text = NULL;
    return This->lpVtbl->GetName(This, &name->text);
}

HRESULT CALLBACK IDeviceApp_GetName_Proxy(IDeviceApp *This, LPWSTR *name)
{
    WireText wire = {NULL};
    if (!name)
        return E_POINTER;
    *name = NULL;
    return TakeWireText(IDeviceApp_RemoteGetName_Proxy(This, &wire), &wire, name);
}

HRESULT __RPC_STUB IDeviceApp_GetName_Stub(IDeviceApp *This, WireText *name)
{
    name->text = NULL;
    return This->lpVtbl->GetName(This, &name->text);
}

/* An implementation that reports more than the caller's capacity broke the buffer rule: nothing of it
 * may reach the caller. */
#define TESSARY_E_RESULT_EXCEEDS_BUFFER HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)

HRESULT CALLBACK IProfilePropertyStore_GetProperty_Proxy(IProfilePropertyStore *This, DWORD key,
    DWORD reserved1, BYTE *buffer, DWORD reserved2, DWORD *size)
{
    BYTE none = 0;
    DWORD written = 0;
    HRESULT hr;
    if (!size)
        return E_POINTER;
    if (!buffer) {
        if (*size != 0)
            return E_POINTER;
        buffer = &none;  /* the marshaller wants a buffer even for zero bytes */
    }
    hr = IProfilePropertyStore_RemoteGetProperty_Proxy(This, key, reserved1, *size, buffer, reserved2,
                                                       &written);
    if (SUCCEEDED(hr))
        *size = written;
    return hr;
}

HRESULT __RPC_STUB IProfilePropertyStore_GetProperty_Stub(IProfilePropertyStore *This, DWORD key,
    DWORD reserved1, DWORD capacity, BYTE *buffer, DWORD reserved2, DWORD *size)
{
    DWORD written = capacity;
    HRESULT hr = This->lpVtbl->GetProperty(This, key, reserved1, buffer, reserved2, &written);
    if (SUCCEEDED(hr) && written > capacity)
        hr = TESSARY_E_RESULT_EXCEEDS_BUFFER;
    *size = SUCCEEDED(hr) ? written : 0;
    return hr;
}

HRESULT CALLBACK IButtonAssignment_GetAll_Proxy(IButtonAssignment *This, DWORD *count,
    KeyAssignmentRecord *records)
{
    KeyAssignmentRecord none;
    DWORD written = 0;
    HRESULT hr;
    if (!count)
        return E_POINTER;
    if (!records) {
        if (*count != 0)
            return E_POINTER;
        records = &none;
    }
    hr = IButtonAssignment_RemoteGetAll_Proxy(This, *count, records, &written);
    if (SUCCEEDED(hr))
        *count = written;
    return hr;
}

HRESULT __RPC_STUB IButtonAssignment_GetAll_Stub(IButtonAssignment *This, DWORD capacity,
    KeyAssignmentRecord *records, DWORD *count)
{
    DWORD written = capacity;
    HRESULT hr = This->lpVtbl->GetAll(This, &written, records);
    if (SUCCEEDED(hr) && written > capacity)
        hr = TESSARY_E_RESULT_EXCEEDS_BUFFER;
    *count = SUCCEEDED(hr) ? written : 0;
    return hr;
}
