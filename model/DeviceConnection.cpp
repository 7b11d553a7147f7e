// Reaching the keyboard through the device service.
#include "model/DeviceConnection.h"

#include "model/BoundedText.h"
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
// A bound for enumerations of a misbehaving service that never fails an index.
constexpr DWORD kMaxEnumeration = 65536;

}  // namespace

bool CDeviceConnection::Open(DWORD productId)
{
    Close();
    if (FAILED(CreateDeviceService(kServiceContext, IID_IDeviceCollection, reinterpret_cast<void**>(m_root.Put()))) ||
        !m_root) {
        m_root.Reset();
        return false;
    }
    for (DWORD index = 0; index < kMaxEnumeration; ++index) {
        ComRef<IServiceDevice> device;
        if (FAILED(m_root->GetDevice(index, device.Put())) || !device)
            break;
        DeviceInfo info = {};
        if (FAILED(device->GetInfo(&info))) {
            FreeDeviceInfo(&info);
            continue;
        }
        FreeDeviceInfo(&info);
        if (info.productId == productId) {
            m_device = std::move(device);
            m_info = info;
            return true;
        }
    }
    m_root.Reset();
    return false;
}

void CDeviceConnection::Close()
{
    m_device.Reset();
    m_root.Reset();
    m_info = DeviceInfo{};
}

std::wstring TakeServiceText(LPWSTR text, std::size_t maxLength)
{
    std::wstring copy = BoundedText(text, maxLength);
    CoTaskMemFree(text);
    return copy;
}

unsigned CountDeviceProfiles(IProfileManager* profiles)
{
    unsigned count = 0;
    for (; count < kMaxEnumeration; ++count) {
        ComRef<IDeviceProfile> profile;
        if (FAILED(profiles->GetProfile(count, profile.Put())) || !profile)
            break;
    }
    return count;
}

unsigned CountDeviceMacros(IMacroStore* macros)
{
    unsigned count = 0;
    for (; count < kMaxEnumeration; ++count) {
        ComRef<IDeviceMacro> macro;
        if (FAILED(macros->GetMacro(count, macro.Put())) || !macro)
            break;
    }
    return count;
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
