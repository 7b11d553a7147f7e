// TessaryTrayDemo.exe: the run command's helper around the tray program and the simulated keyboard.
//   prepare [name]     gives the keyboard a second profile (named "Games" or the name given) and turns
//                      the on-screen display on for every profile, so a profile change shows (starts the
//                      service when needed)
//   wait-ready [s]     waits until a tray program has connected its event sinks to the keyboard
//   wait-display [s]   waits until the on-screen display is visible
// Exit code 0 on success, 1 on failure or time-out, 2 for a wrong command line.
#include "service/DeviceRecords.h"
#include "service/control/ControlClient.h"
#include "framework/ComRef.h"
#include "framework/Wnd.h"
#include "tray/DeviceManager.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>


namespace {

constexpr const wchar_t* kDefaultSecondProfile = L"Games";

bool TrayConnected()
{
    const ControlReply reply = SendControlCommand("state");
    for (const std::string& line : reply.lines) {
        if (line.find("sinks _IProfileManagerEvents 1 _IOTFMacroRecordingEvents 1") != std::string::npos &&
            line.find("_IApplicationEvent 1") != std::string::npos)
            return true;
    }
    return false;
}

bool DisplayVisible()
{
    for (HWND window = FindWindowExW(nullptr, nullptr, L"tsy_osd", nullptr); window;
         window = FindWindowExW(nullptr, window, L"tsy_osd", nullptr)) {
        if (IsWindowVisible(window))
            return true;
    }
    return false;
}

int Prepare(const std::wstring& secondProfile)
{
    CServiceHold hold;
    if (FAILED(hold.Acquire())) {
        fwprintf(stderr, L"TessaryTrayDemo: the device service could not be started\n");
        return 1;
    }
    ComRef<IDeviceCollection> root;
    ComRef<IServiceDevice> device;
    ComRef<IProfileManager> profiles;
    if (FAILED(CoCreateInstance(CLSID_DeviceService, nullptr, CLSCTX_LOCAL_SERVER, IID_IDeviceCollection, root.PutVoid())) ||
        FAILED(root->GetDevice(0, device.Put())) ||
        FAILED(device->GetSubObject(IID_IProfileManager, reinterpret_cast<IUnknown**>(profiles.Put())))) {
        fwprintf(stderr, L"TessaryTrayDemo: no keyboard\n");
        return 1;
    }
    std::vector<std::wstring> names;
    tray::CDeviceManager manager;
    manager.GetProfileNames(names);
    bool haveSecond = false;
    for (const std::wstring& name : names)
        haveSecond = haveSecond || name == secondProfile;
    if (!haveSecond && names.size() < 2) {
        ComRef<IDeviceProfile> profile;
        if (FAILED(profiles->CreateProfile(profile.Put())) || FAILED(profile->SetName(secondProfile.c_str()))) {
            fwprintf(stderr, L"TessaryTrayDemo: the second profile could not be made\n");
            return 1;
        }
    }
    // Only the display bit is written: whatever else the profiles have set stays.
    const ProfileFlagsWrite display = MakeProfileFlagsWrite(ShowProfileOsd, true);
    for (DWORD index = 0;; ++index) {
        ComRef<IDeviceProfile> profile;
        if (FAILED(profiles->GetProfile(index, profile.Put())))
            break;
        ComRef<IProfilePropertyStore> store;
        if (FAILED(profile->GetSubObject(IID_IProfilePropertyStore, reinterpret_cast<IUnknown**>(store.Put()))) ||
            FAILED(store->SetProperty(kProfileFlagsProperty, reinterpret_cast<const BYTE*>(&display), 0, sizeof(display), 0))) {
            fwprintf(stderr, L"TessaryTrayDemo: the display flag could not be set\n");
            return 1;
        }
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fwprintf(stderr, L"Usage: TessaryTrayDemo prepare [name] | wait-ready [seconds] | wait-display [seconds]\n");
        return 2;
    }
    const std::wstring command = argv[1];
    const DWORD timeoutMs = (argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 30) * 1000;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 2;
    if (command == L"prepare")
        code = Prepare(argc > 2 ? argv[2] : kDefaultSecondProfile);
    else if (command == L"wait-ready")
        code = PumpMessagesUntil(TrayConnected, timeoutMs, 50) ? 0 : 1;
    else if (command == L"wait-display")
        code = PumpMessagesUntil(DisplayVisible, timeoutMs, 50) ? 0 : 1;
    else
        fwprintf(stderr, L"TessaryTrayDemo: unknown command %ls\n", command.c_str());
    if (SUCCEEDED(init))
        CoUninitialize();
    return code;
}
