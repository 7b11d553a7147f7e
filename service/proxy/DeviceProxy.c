/* The proxy and stub tables widl generates for the device service's interfaces, compiled with the
 * IUnknown proxy declarations they need. */
#include "UnknownProxy.h"

#include "DeviceService_p.c"
