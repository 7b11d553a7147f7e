// A second client process for the device service's tests.
//   service_test_client rename-active <name>  renames the keyboard's active profile, exit code 0 on success
//   service_test_client hold <ready file>     advises a profile-events sink, creates the ready file and
//                                             waits in its message loop until it is killed
//   service_test_client record-macro <name> [button id]
//                                             stores a macro of one key press on the keyboard, as the
//                                             tray program's recorder does, and with a button id (hex)
//                                             assigns it to that button of the active profile as the
//                                             recorder then does; exit code 0 on success
#include "DeviceService.h"
#include "framework/Handle.h"
#include "service/DeviceRecords.h"

#include <objbase.h>
#include <ocidl.h>
#include <windows.h>

#include <cwchar>

namespace {

class CSilentSink : public _IProfileManagerEvents {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID__IProfileManagerEvents)
            return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnActiveProfileChanged(DWORD) override { return S_OK; }
};

// A sub-object of the keyboard (the first device: the tests' keyboard); null on failure.
IUnknown* KeyboardPart(REFIID part)
{
    IDeviceCollection* collection = nullptr;
    IServiceDevice* device = nullptr;
    IUnknown* object = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DeviceService, nullptr, CLSCTX_LOCAL_SERVER, IID_IDeviceCollection,
                                   reinterpret_cast<void**>(&collection))) &&
        SUCCEEDED(collection->GetDevice(0, &device)))
        device->GetSubObject(part, &object);
    if (device)
        device->Release();
    if (collection)
        collection->Release();
    return object;
}

IProfileManager* ProfileManager() { return static_cast<IProfileManager*>(KeyboardPart(IID_IProfileManager)); }

// The recorded macro plays on the button in the active profile, which is activated again so that the
// keyboard takes the new record at once.
HRESULT AssignToActiveProfile(const GUID& macro, DWORD buttonId)
{
    IProfileManager* manager = ProfileManager();
    if (!manager)
        return E_FAIL;
    IDeviceProfile* active = nullptr;
    IButtonAssignment* buttons = nullptr;
    HRESULT hr = manager->GetActiveProfile(&active);
    if (SUCCEEDED(hr))
        hr = active->GetSubObject(IID_IButtonAssignment, reinterpret_cast<IUnknown**>(&buttons));
    if (SUCCEEDED(hr)) {
        const KeyAssignmentRecord record = MakeMacroAssignmentRecord(0, buttonId, macro, kDevicePlayOnce, 0);
        hr = buttons->SetRecords(1, &record);
    }
    if (SUCCEEDED(hr))
        hr = manager->ActivateProfile(active);
    if (buttons)
        buttons->Release();
    if (active)
        active->Release();
    manager->Release();
    return hr;
}

int RecordMacro(const wchar_t* name, const wchar_t* button)
{
    auto* store = static_cast<IMacroStore*>(KeyboardPart(IID_IMacroStore));
    if (!store)
        return 2;
    IDeviceMacro* macro = nullptr;
    GUID guid{};
    HRESULT hr = store->CreateMacro(&macro);
    if (SUCCEEDED(hr)) {
        // {0, count 1, key A pressed}, with the 8 unused bytes a sender leaves at the end.
        struct {
            DWORD reserved, count;
            DWORD event[2];
            DWORD unused[2];
        } buffer = {0, 1, {2, 0x1E}, {0, 0}};
        hr = macro->SetName(name);
        if (SUCCEEDED(hr))
            hr = macro->SetEvents(reinterpret_cast<MacroEventBuffer*>(&buffer));
        if (SUCCEEDED(hr))
            hr = macro->GetGuid(&guid);
        macro->Release();
    }
    store->Release();
    if (SUCCEEDED(hr) && button != nullptr)
        hr = AssignToActiveProfile(guid, DWORD(std::wcstoul(button, nullptr, 16)));
    return SUCCEEDED(hr) ? 0 : 3;
}

int RenameActive(const wchar_t* name)
{
    IProfileManager* manager = ProfileManager();
    if (!manager)
        return 2;
    IDeviceProfile* profile = nullptr;
    HRESULT hr = manager->GetActiveProfile(&profile);
    if (SUCCEEDED(hr)) {
        hr = profile->SetName(name);
        profile->Release();
    }
    manager->Release();
    return SUCCEEDED(hr) ? 0 : 3;
}

int Hold(const wchar_t* readyFile)
{
    IProfileManager* manager = ProfileManager();
    if (!manager)
        return 2;
    static CSilentSink sink;
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    if (FAILED(manager->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) ||
        FAILED(container->FindConnectionPoint(IID__IProfileManagerEvents, &point)) || FAILED(point->Advise(&sink, &cookie)))
        return 3;
    // The ready file is closed before the wait: its existence is the whole message.
    if (CHandle(CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)).IsNull())
        return 4;
    // Holds its references and its sink until the test kills it.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3 || argc > 4 || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int code = 1;
    if (std::wcscmp(argv[1], L"rename-active") == 0)
        code = RenameActive(argv[2]);
    else if (std::wcscmp(argv[1], L"hold") == 0)
        code = Hold(argv[2]);
    else if (std::wcscmp(argv[1], L"record-macro") == 0)
        code = RecordMacro(argv[2], argc == 4 ? argv[3] : nullptr);
    CoUninitialize();
    return code;
}
