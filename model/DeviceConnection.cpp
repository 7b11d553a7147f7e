// Reaching the keyboard through the device service.
#include "model/DeviceConnection.h"

#include "service/ServiceStart.h"

#include <cstdio>

const ProductDescriptor kKeyboardProduct = {
    0x0110,
    {kCapabilityProfiles, kCapabilityKeyAssignments, kCapabilityMacros, kCapabilityLeds, kCapabilityVersions,
     kCapabilityProfileProperties},
    L"PID_0110",
};

namespace {

// Any context the service is registered in: in-process, handler, local or remote server.
constexpr DWORD kServiceContext = 0x17;

}  // namespace

bool CDeviceConnection::Open(DWORD productId)
{
    Close();
    if (FAILED(CreateDeviceService(kServiceContext, IID_IDeviceCollection, reinterpret_cast<void**>(m_root.Put()))) ||
        !m_root) {
        m_root.Reset();
        return false;
    }
    if (FindServiceDevice(m_root.Get(), productId, ProductIdSource::kInfo, m_device, &m_info))
        return true;
    m_root.Reset();
    return false;
}

void CDeviceConnection::Close()
{
    m_device.Reset();
    m_root.Reset();
    m_info = DeviceInfo{};
}

std::wstring FormatDeviceVersion(DWORD major, DWORD minor)
{
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%d.%02d", int(major), int(minor));
    return text;
}

std::wstring UnknownDeviceVersion()
{
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%.2f", 0.0);
    return text;
}
