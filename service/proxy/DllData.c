/* The proxy DLL's entry points (DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
 * DllUnregisterServer) over widl's list of proxy files. */

/* DllRegisterServer writes Interface\{IID}\ProxyStubClsid32 for every interface and the class's
 * InProcServer32 (ThreadingModel Both). */
#define REGISTER_PROXY_DLL

/* The class of the proxy/stub factory: CLSID_DeviceServiceProxy of DeviceService.idl. It is spelled out
 * because rpcproxy.h declares the class it is given as a non-const CLSID, which clashes with the
 * generated header; the proxy tests check that the two agree. */
#define PROXY_CLSID_IS {0xe6b15ac9, 0x5cd1, 0x4895, {0x9b, 0x8c, 0x2f, 0x0c, 0xd5, 0x38, 0x8d, 0x3b}}

#include "dlldata.c"
