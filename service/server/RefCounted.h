// The reference count that the service's COM objects share: AddRef and Release for every interface in
// `Bases`, and the object deleted by its last Release. An object starts with the one reference its
// maker holds.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <class... Bases>
class CRefCounted : public Bases... {
public:
    CRefCounted(const CRefCounted&) = delete;
    CRefCounted& operator=(const CRefCounted&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

protected:
    CRefCounted() = default;
    virtual ~CRefCounted() = default;

private:
    LONG m_refs = 1;
};
