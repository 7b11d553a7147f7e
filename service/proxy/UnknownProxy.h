/* Declarations of rpcrt4's IUnknown proxy entry points, which widl's proxy tables name but MinGW's C
 * headers declare only for C++. Included before the generated proxy code. */
#pragma once

#include <objbase.h>

#ifdef __cplusplus
extern "C" {
#endif

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown *This, REFIID riid, void **ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown *This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown *This);

#ifdef __cplusplus
}
#endif
