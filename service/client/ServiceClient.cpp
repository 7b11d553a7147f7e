// Finding the keyboard and taking the service's texts.
#include "service/client/ServiceClient.h"

#include "service/DeviceRecords.h"

#include <cwchar>

namespace {

bool ReadProductId(const ComRef<IServiceDevice>& device, ProductIdSource source, DWORD& productId, DeviceInfo& info)
{
    if (source == ProductIdSource::kIdentity) {
        ComRef<IDeviceIdentity> identity;
        DWORD value = 0;
        DWORD id = 0;
        if (!device.As(IID_IDeviceIdentity, identity) || FAILED(identity->GetIdentity(&value, &id)))
            return false;
        productId = id;
        return true;
    }
    DeviceInfo read = {};
    const HRESULT result = device->GetInfo(&read);
    FreeDeviceInfo(&read);
    if (FAILED(result))
        return false;
    productId = read.productId;
    info = read;
    return true;
}

}  // namespace

bool FindServiceDevice(IDeviceCollection* root, DWORD productId, ProductIdSource source,
                       ComRef<IServiceDevice>& device, DeviceInfo* info)
{
    device.Reset();
    if (root == nullptr)
        return false;
    ForEachServiceObject<IServiceDevice>(
        [root](DWORD index, IServiceDevice** out) { return root->GetDevice(index, out); },
        [&](ComRef<IServiceDevice>& candidate) {
            DWORD id = 0;
            DeviceInfo read = {};
            if (!ReadProductId(candidate, source, id, read) || id != productId)
                return true;
            if (info != nullptr)
                *info = read;
            device = std::move(candidate);
            return false;
        });
    return static_cast<bool>(device);
}

std::wstring TakeServiceText(LPWSTR text, std::size_t maxLength)
{
    std::wstring copy;
    if (text != nullptr)
        copy.assign(text, wcsnlen(text, maxLength));
    CoTaskMemFree(text);
    return copy;
}
