// The simulated service's device list.
#include "service/sim/KeyboardState.h"

#include "service/sim/ProductKeyboard.h"

#include <algorithm>

CKeyboardState::CKeyboardState() { ResetToFactory(); }

void CKeyboardState::ResetToFactory()
{
    m_devices.clear();
    m_devices.push_back(std::make_unique<CSimDevice>(ProductKeyboardInfo(), ProductButtons()));
}

CSimDevice* CKeyboardState::Device(std::size_t index)
{
    return index < m_devices.size() ? m_devices[index].get() : nullptr;
}

const CSimDevice* CKeyboardState::Device(std::size_t index) const
{
    return index < m_devices.size() ? m_devices[index].get() : nullptr;
}

CSimDevice& CKeyboardState::Keyboard()
{
    return const_cast<CSimDevice&>(static_cast<const CKeyboardState*>(this)->Keyboard());
}

const CSimDevice& CKeyboardState::Keyboard() const
{
    // Every way of building a state keeps one device of the product id.
    for (const auto& device : m_devices) {
        if (device->Info().productId == kSimKeyboardProductId)
            return *device;
    }
    return *m_devices.front();
}

CSimDevice* CKeyboardState::PluggedDevice(std::size_t index)
{
    for (const auto& device : m_devices) {
        if (!device->Info().plugged)
            continue;
        if (index == 0)
            return device.get();
        --index;
    }
    return nullptr;
}

std::size_t CKeyboardState::PluggedDeviceCount() const
{
    return static_cast<std::size_t>(std::count_if(m_devices.begin(), m_devices.end(),
                                                  [](const auto& device) { return device->Info().plugged; }));
}

CSimDevice* CKeyboardState::AddDevice(const SimDeviceInfo& info, std::vector<SimButtonRecord> defaults)
{
    if (m_devices.size() >= kSimMaxDevices)
        return nullptr;
    m_devices.push_back(std::make_unique<CSimDevice>(info, std::move(defaults)));
    return m_devices.back().get();
}

bool CKeyboardState::FromDevices(std::vector<std::unique_ptr<CSimDevice>> devices, CKeyboardState& out)
{
    if (devices.empty() || devices.size() > kSimMaxDevices)
        return false;
    const bool hasKeyboard = std::any_of(devices.begin(), devices.end(), [](const auto& device) {
        return device && device->Info().productId == kSimKeyboardProductId;
    });
    if (!hasKeyboard || std::find(devices.begin(), devices.end(), nullptr) != devices.end())
        return false;
    out.m_devices = std::move(devices);
    return true;
}

bool operator==(const CKeyboardState& a, const CKeyboardState& b)
{
    if (a.DeviceCount() != b.DeviceCount())
        return false;
    for (std::size_t i = 0; i < a.DeviceCount(); ++i) {
        if (a.Device(i)->Data() != b.Device(i)->Data())
            return false;
    }
    return true;
}
