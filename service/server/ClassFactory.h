// The IUnknown part of the service's class objects: they answer for IUnknown and IClassFactory only and
// live as long as their references. CreateInstance and LockServer are each class object's own.
#pragma once

#include "service/server/RefCounted.h"

class CClassFactory : public CRefCounted<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }

protected:
    ~CClassFactory() override = default;
};
