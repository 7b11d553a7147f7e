// Raw input registration for one target window and checked reading of WM_INPUT reports (the mouse
// button-transition map is in MouseButtonFlagMap.cpp).
#include "skin/RawInput.h"

#include <cstring>

RawInputRegistration& RawInputRegistration::Shared()
{
    static RawInputRegistration instance;
    return instance;
}

bool RawInputRegistration::AddUsage(USHORT usage)
{
    for (USHORT listed : m_usages) {
        if (listed == usage)
            return false;
    }
    m_usages.push_back(usage);
    return true;
}

bool RawInputRegistration::Register(HWND target)
{
    // A handle that names no window is refused here: the system may accept it and then hold the
    // registration for input that reaches nobody.
    if (m_registered || !m_devices.empty() || !target || !::IsWindow(target) || m_usages.empty())
        return false;

    std::vector<RAWINPUTDEVICE> devices;
    devices.reserve(m_usages.size());
    for (USHORT usage : m_usages) {
        RAWINPUTDEVICE device = {};
        device.usUsagePage = kHidUsagePageGenericDesktop;
        device.usUsage = usage;
        // The mouse keeps its ordinary messages so that the recording window stays usable with it.
        device.dwFlags = usage == kHidUsageMouse ? RIDEV_INPUTSINK : RIDEV_INPUTSINK | RIDEV_NOLEGACY;
        device.hwndTarget = target;
        devices.push_back(device);
    }
    // The entry size is the platform's own: the 32-bit size is refused on x64. A refused array is not
    // kept, since holding it would turn every later attempt away until someone unregisters.
    if (!m_registerDevices(devices.data(), static_cast<UINT>(devices.size()), sizeof(RAWINPUTDEVICE)))
        return false;

    m_devices = std::move(devices);
    m_registered = true;
    return true;
}

void RawInputRegistration::Unregister()
{
    if (!m_devices.empty()) {
        for (RAWINPUTDEVICE& device : m_devices) {
            device.dwFlags = RIDEV_REMOVE;
            device.hwndTarget = nullptr;
        }
        m_registerDevices(m_devices.data(), static_cast<UINT>(m_devices.size()), sizeof(RAWINPUTDEVICE));
        m_devices.clear();
    }
    m_usages.clear();
    m_registered = false;
}

bool DecodeRawInput(const void* data, size_t size, RawInputReport* report)
{
    if (!data || !report || size < sizeof(RAWINPUTHEADER))
        return false;
    RAWINPUTHEADER header;
    std::memcpy(&header, data, sizeof(header));

    const auto* payload = static_cast<const BYTE*>(data) + offsetof(RAWINPUT, data);
    const size_t available = size - offsetof(RAWINPUT, data);
    RawInputReport result;
    result.type = header.dwType;
    if (header.dwType == RIM_TYPEKEYBOARD) {
        if (available < sizeof(RAWKEYBOARD))
            return false;
        std::memcpy(&result.keyboard, payload, sizeof(RAWKEYBOARD));
    } else if (header.dwType == RIM_TYPEMOUSE) {
        if (available < sizeof(RAWMOUSE))
            return false;
        std::memcpy(&result.mouse, payload, sizeof(RAWMOUSE));
    } else {
        return false;
    }
    *report = result;
    return true;
}

bool ReadRawInput(HRAWINPUT input, RawInputReport* report)
{
    if (!input || !report)
        return false;
    UINT size = 0;
    if (::GetRawInputData(input, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0 || size == 0)
        return false;
    // RAWINPUT holds handles and pointer-sized fields: keep the buffer aligned for them.
    std::vector<RAWINPUT> buffer((size + sizeof(RAWINPUT) - 1) / sizeof(RAWINPUT));
    UINT capacity = size;
    const UINT copied = ::GetRawInputData(input, RID_INPUT, buffer.data(), &capacity, sizeof(RAWINPUTHEADER));
    if (copied == static_cast<UINT>(-1) || copied > size)
        return false;
    return DecodeRawInput(buffer.data(), copied, report);
}
