// Tests of the calls both programs make alike on the device service: finding the keyboard among the
// service's devices, the bound on an enumeration that never ends, and the names the service hands out.
#include "service/client/ServiceClient.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

namespace {

// A device of the fake service: its product id as GetInfo and as IDeviceIdentity report it, or a failure.
class CFakeDevice : public IServiceDevice, public IDeviceIdentity {
public:
    CFakeDevice(DWORD productId, bool infoFails, bool identityFails)
        : m_productId(productId), m_infoFails(infoFails), m_identityFails(identityFails)
    {
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IServiceDevice)
            *object = static_cast<IServiceDevice*>(this);
        else if (riid == IID_IDeviceIdentity)
            *object = static_cast<IDeviceIdentity*>(this);
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetInfo(DeviceInfo* info) override
    {
        *info = DeviceInfo{};
        info->text = static_cast<LPWSTR>(::CoTaskMemAlloc(2 * sizeof(wchar_t)));
        std::wcscpy(info->text, L"K");
        info->productId = m_productId;
        return m_infoFails ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSubObject(REFIID, IUnknown** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetIdentity(DWORD* value, DWORD* productId) override
    {
        *value = 0;
        *productId = m_productId;
        return m_identityFails ? E_FAIL : S_OK;
    }

private:
    DWORD m_productId;
    bool m_infoFails;
    bool m_identityFails;
};

// The service's device list; an endless service gives its last device at every index.
class CFakeCollection : public IDeviceCollection {
public:
    std::vector<CFakeDevice*> devices;
    bool endless = false;
    DWORD calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDevice(DWORD index, IServiceDevice** device) override
    {
        ++calls;
        *device = nullptr;
        if (index >= devices.size() && !endless)
            return E_INVALIDARG;
        *device = devices[index < devices.size() ? index : devices.size() - 1];
        return S_OK;
    }
};

// An object with a name as the service gives it.
struct CNamed {
    const wchar_t* text;
    HRESULT GetName(LPWSTR* name)
    {
        *name = nullptr;
        if (text) {
            *name = static_cast<LPWSTR>(::CoTaskMemAlloc((std::wcslen(text) + 1) * sizeof(wchar_t)));
            std::wcscpy(*name, text);
        }
        return S_OK;
    }
};

} // namespace

TEST(ServiceClientTest, TheFirstDeviceOfTheProductWhoseIdCanBeReadIsTaken)
{
    CFakeDevice unreadableInfo(0x0110, true, false);
    CFakeDevice unreadableIdentity(0x0110, false, true);
    CFakeDevice other(0x0111, false, false);
    CFakeDevice first(0x0110, false, false);
    CFakeDevice second(0x0110, false, false);
    CFakeCollection service;
    service.devices = {&unreadableInfo, &unreadableIdentity, &other, &first, &second};

    ComRef<IServiceDevice> device;
    DeviceInfo info = {};
    ASSERT_TRUE(FindServiceDevice(&service, 0x0110, ProductIdSource::kInfo, device, &info));
    EXPECT_EQ(static_cast<IServiceDevice*>(&unreadableIdentity), device.Get());
    EXPECT_EQ(0x0110u, info.productId);
    EXPECT_EQ(nullptr, info.text) << "the text is freed";
    ASSERT_TRUE(FindServiceDevice(&service, 0x0110, ProductIdSource::kIdentity, device));
    EXPECT_EQ(static_cast<IServiceDevice*>(&unreadableInfo), device.Get());

    service.devices = {&unreadableInfo, &other};
    EXPECT_FALSE(FindServiceDevice(&service, 0x0110, ProductIdSource::kInfo, device));
    EXPECT_FALSE(device);
}

TEST(ServiceClientTest, AServiceThatNeverEndsItsListIsGivenUpAtTheBound)
{
    CFakeDevice other(0x0111, false, false);
    CFakeCollection service;
    service.devices = {&other};
    service.endless = true;
    ComRef<IServiceDevice> device;
    EXPECT_FALSE(FindServiceDevice(&service, 0x0110, ProductIdSource::kIdentity, device));
    EXPECT_EQ(kMaxServiceEnumeration, service.calls);
}

TEST(ServiceClientTest, NamesAreBoundedAndAMissingTextIsWhatTheCallerSays)
{
    std::wstring name = L"before";
    CNamed missing{nullptr};
    EXPECT_FALSE(ReadServiceName(&missing, 259, name, MissingName::kUnread));
    EXPECT_EQ(L"before", name);
    EXPECT_TRUE(ReadServiceName(&missing, 259, name));
    EXPECT_EQ(L"", name);
    CNamed longName{L"Profile 1234"};
    EXPECT_TRUE(ReadServiceName(&longName, 7, name));
    EXPECT_EQ(L"Profile", name);
}
