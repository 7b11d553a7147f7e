// Writing a configuration to the device: profiles matched by GUID (the device's list made equal to the
// store's), each profile's properties, key assignments and lights, the macros, and the activation of the
// store's active profile last. Runs on the write's worker thread against the write's own copy of the
// store (CTransferSnapshot); what the write learns stays in that copy.
#pragma once

#include "model/DeviceConnection.h"
#include "model/TransferSnapshot.h"

// The write stops at the first step that fails, leaving what it wrote so far on the device: every object
// it creates gets its GUID into the copy at once, so the next write finds and completes it rather than
// creating it again. True when every step succeeded. Only the low 16 bits of `mask` count.
bool WriteConfiguration(IServiceDevice* device, const ProductDescriptor& product, CTransferSnapshot& config,
                        unsigned mask);
