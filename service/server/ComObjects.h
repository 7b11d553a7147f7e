// The service's objects over the simulated keyboard (device collection, device, profile manager,
// profiles and their property store, button assignment and lights, macro store and macros, program
// entries, device mode, event sources) and the class object clients create the service with.
#pragma once

#include "service/server/ServiceCore.h"

#include <unknwn.h>

// The class object of CLSID_DeviceService; one reference. It does not hold the process (the class
// registration does); LockServer does.
IClassFactory* NewServiceClassFactory(CServiceCore& service);
