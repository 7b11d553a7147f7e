// The configurator's connection to the keyboard through the device service: the product it looks for
// and what that product can do, and the connection (service root and chosen device) of one apartment.
// The calls every client shares (sub-objects, names, GUIDs, the device search, the enumerations) are
// the service client's.
#pragma once

#include "framework/ComRef.h"
#include "service/DeviceRecords.h"
#include "service/client/ServiceClient.h"

#include <windows.h>

#include <string>

// What a device can do; an operation looks for the code in the product's capability list.
enum DeviceCapability : DWORD {
    kCapabilityProfiles = 1,
    kCapabilityKeyAssignments = 3,
    kCapabilityMacros = 4,
    kCapabilityLeds = 5,
    kCapabilityVersions = 6,
    kCapabilityProfileProperties = 7,
    kCapabilityAppList = 8,
    kCapabilityColourStages = 9,
};

struct ProductDescriptor {
    DWORD productId;
    DWORD capabilities[6];
    // The text that device-removal notifications of this product contain.
    const wchar_t* devicePath;

    bool Has(DWORD capability) const
    {
        for (DWORD listed : capabilities) {
            if (listed == capability)
                return true;
        }
        return false;
    }
};

// This keyboard: product id 272, profiles, key assignments, macros, LEDs, versions, profile properties.
extern const ProductDescriptor kKeyboardProduct;

// The service root and the chosen device, used from the apartment that opened them only. Each thread
// that talks to the service opens its own.
class CDeviceConnection {
public:
    CDeviceConnection() = default;
    CDeviceConnection(const CDeviceConnection&) = delete;
    CDeviceConnection& operator=(const CDeviceConnection&) = delete;
    ~CDeviceConnection() { Close(); }

    // Creates the service root and keeps the first device (in the service's order) whose information
    // can be read and names `productId`, with that information. False, holding nothing, when there is none.
    bool Open(DWORD productId);
    // Releases the device, then the root.
    void Close();
    bool IsOpen() const { return static_cast<bool>(m_device); }
    IServiceDevice* Device() const { return m_device.Get(); }
    // The chosen device's information as the search read it (its text already freed).
    const DeviceInfo& Info() const { return m_info; }

private:
    ComRef<IDeviceCollection> m_root;
    ComRef<IServiceDevice> m_device;
    DeviceInfo m_info = {};
};

// "major.minor" with two minor digits, as versions are shown.
std::wstring FormatDeviceVersion(DWORD major, DWORD minor);
// The text of a version that could not be read.
std::wstring UnknownDeviceVersion();
