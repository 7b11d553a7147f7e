// The whole state of the simulated device service: the devices it knows, in enumeration order. The
// product keyboard (product id 0x0110) is always there; tests may add devices with other product ids.
// Clients see only plugged devices.
//
// Not thread-safe: the service serialises calls into the state. Devices stay at their address until
// the state is reset, replaced or destroyed.
#pragma once

#include "service/sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CKeyboardState {
public:
    // The factory state: the product keyboard alone, with its factory content.
    CKeyboardState();
    CKeyboardState(CKeyboardState&&) = default;
    CKeyboardState& operator=(CKeyboardState&&) = default;
    CKeyboardState(const CKeyboardState&) = delete;
    CKeyboardState& operator=(const CKeyboardState&) = delete;

    // Back to the factory state; other devices are removed.
    void ResetToFactory();

    // Every device, plugged or not.
    std::size_t DeviceCount() const { return m_devices.size(); }
    CSimDevice* Device(std::size_t index);
    const CSimDevice* Device(std::size_t index) const;
    // The product keyboard (the first device of its product id).
    CSimDevice& Keyboard();
    const CSimDevice& Keyboard() const;

    // The devices as clients enumerate them: plugged ones, in order; null past the end.
    CSimDevice* PluggedDevice(std::size_t index);
    std::size_t PluggedDeviceCount() const;

    // Adds a device fresh from the factory, after the others. Null when kSimMaxDevices are there.
    CSimDevice* AddDevice(const SimDeviceInfo& info, std::vector<SimButtonRecord> defaults);

    // A state from restored devices (the memory file's reader). False when there are none, too many,
    // or none with the product keyboard's id (every state has the keyboard); `out` is then untouched.
    static bool FromDevices(std::vector<std::unique_ptr<CSimDevice>> devices, CKeyboardState& out);

private:
    std::vector<std::unique_ptr<CSimDevice>> m_devices;
};

bool operator==(const CKeyboardState& a, const CKeyboardState& b);
