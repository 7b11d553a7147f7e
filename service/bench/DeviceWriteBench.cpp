// DeviceWriteBench: how long writing a whole keyboard through the device service's proxy takes, as
// the configurator does when it applies everything: 10 profiles with a record for every button, and 20
// macros of 100 events. Each round starts from the factory state (reset through the control pipe, not
// timed) and counts the COM calls it makes. Needs the service and its proxy registered.
//
//   DeviceWriteBench [--rounds N]
#include "service/DeviceRecords.h"
#include "service/control/ControlClient.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr DWORD kProfiles = 10;
constexpr DWORD kMacros = 20;
constexpr DWORD kEventsPerMacro = 100;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// Counts the calls that go to the service; releases are counted apart, since the proxy batches them.
struct CallCount {
    unsigned calls = 0;
    unsigned releases = 0;
};
CallCount g_count;

template <class T>
class CRef {
public:
    CRef() = default;
    ~CRef() { Reset(); }
    CRef(const CRef&) = delete;
    CRef& operator=(const CRef&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Put()
    {
        Reset();
        return &m_p;
    }
    IUnknown** PutUnknown() { return reinterpret_cast<IUnknown**>(Put()); }
    void Reset()
    {
        if (m_p) {
            m_p->Release();
            ++g_count.releases;
            m_p = nullptr;
        }
    }

private:
    T* m_p = nullptr;
};

bool Check(HRESULT hr, const char* what)
{
    ++g_count.calls;
    if (SUCCEEDED(hr))
        return true;
    std::fprintf(stderr, "DeviceWriteBench: %s failed (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    return false;
}

bool Reset()
{
    ControlOptions options;
    options.pipeMs = 15000;
    const ControlReply reply = SendControlCommand("reset", options);
    if (reply.status == ControlStatus::Ok)
        return true;
    std::fprintf(stderr, "DeviceWriteBench: reset failed: %s\n", reply.message.c_str());
    return false;
}

// What the configurator knows before it writes: the keyboard's buttons (their factory records).
bool ReadButtons(IDeviceCollection* collection, std::vector<KeyAssignmentRecord>* buttons)
{
    CRef<IServiceDevice> device;
    CRef<IProfileManager> profiles;
    CRef<IDeviceProfile> profile;
    CRef<IButtonAssignment> assignment;
    ButtonAssignmentInfo info = {};
    if (!Check(collection->GetDevice(0, device.Put()), "GetDevice") ||
        !Check(device->GetSubObject(IID_IProfileManager, profiles.PutUnknown()), "GetSubObject(IProfileManager)") ||
        !Check(profiles->GetActiveProfile(profile.Put()), "GetActiveProfile") ||
        !Check(profile->GetSubObject(IID_IButtonAssignment, assignment.PutUnknown()), "GetSubObject(IButtonAssignment)") ||
        !Check(assignment->GetInfo(&info), "IButtonAssignment.GetInfo"))
        return false;
    buttons->assign(info.buttonCount, KeyAssignmentRecord{});
    DWORD count = info.buttonCount;
    if (!Check(assignment->GetAll(&count, buttons->data()), "IButtonAssignment.GetAll"))
        return false;
    buttons->resize(count);
    return !buttons->empty();
}

// Profile `index`'s records: every button gets a key of its own, shifted per profile so that each
// profile's write really changes something.
std::vector<KeyAssignmentRecord> ProfileRecords(const std::vector<KeyAssignmentRecord>& buttons, DWORD index)
{
    std::vector<KeyAssignmentRecord> records = buttons;
    for (size_t i = 0; i < records.size(); ++i) {
        const KeyAssignmentRecord& source = buttons[(i + index) % buttons.size()];
        records[i].serviceType = kServiceKey;
        std::fill(std::begin(records[i].data), std::end(records[i].data), BYTE(0));
        SetRecordField(records[i], kRecordKeyScanOffset, ButtonIdScanCode(source.buttonId));
    }
    return records;
}

std::vector<DeviceMacroEvent> MacroEvents(DWORD index)
{
    std::vector<DeviceMacroEvent> events;
    for (DWORD i = 0; events.size() < kEventsPerMacro; ++i) {
        const DWORD scan = 0x10 + (index + i) % 0x20;
        events.push_back({kDeviceEventKey, scan});
        events.push_back({kDeviceEventDelay, 10 + i % 5});
        events.push_back({kDeviceEventKey, scan | (kDeviceKeyReleased << 16)});
        events.push_back({kDeviceEventDelay, 20});
    }
    events.resize(kEventsPerMacro);
    return events;
}

// Where the time of one write went: the profiles with their records, then the macros.
struct WriteTimes {
    double profilesMs = 0;
    double macrosMs = 0;
};

bool WriteKeyboard(IDeviceCollection* collection, const std::vector<KeyAssignmentRecord>& buttons, WriteTimes* times)
{
    const LARGE_INTEGER from = Now();
    CRef<IServiceDevice> device;
    CRef<IProfileManager> profiles;
    if (!Check(collection->GetDevice(0, device.Put()), "GetDevice") ||
        !Check(device->GetSubObject(IID_IProfileManager, profiles.PutUnknown()), "GetSubObject(IProfileManager)"))
        return false;
    for (DWORD i = 0; i < kProfiles; ++i) {
        CRef<IDeviceProfile> profile;
        ++g_count.calls;
        if (FAILED(profiles->GetProfile(i, profile.Put())) && !Check(profiles->CreateProfile(profile.Put()), "CreateProfile"))
            return false;
        CRef<IButtonAssignment> assignment;
        const std::vector<KeyAssignmentRecord> records = ProfileRecords(buttons, i);
        if (!Check(profile->GetSubObject(IID_IButtonAssignment, assignment.PutUnknown()), "GetSubObject(IButtonAssignment)") ||
            !Check(assignment->SetRecords(static_cast<DWORD>(records.size()), records.data()), "SetRecords"))
            return false;
    }

    const LARGE_INTEGER profilesDone = Now();
    times->profilesMs = Milliseconds(from, profilesDone);

    CRef<IMacroStore> macros;
    if (!Check(device->GetSubObject(IID_IMacroStore, macros.PutUnknown()), "GetSubObject(IMacroStore)"))
        return false;
    for (DWORD i = 0; i < kMacros; ++i) {
        const std::vector<DeviceMacroEvent> events = MacroEvents(i);
        MacroEventBuffer* buffer = BuildMacroEventBuffer(events.data(), events.size());
        if (!buffer) {
            std::fprintf(stderr, "DeviceWriteBench: out of memory\n");
            return false;
        }
        CRef<IDeviceMacro> macro;
        const bool ok = Check(macros->CreateMacro(macro.Put()), "CreateMacro") &&
                        Check(macro->SetEvents(buffer), "SetEvents");
        CoTaskMemFree(buffer);
        if (!ok)
            return false;
    }
    times->macrosMs = Milliseconds(profilesDone, Now());
    return true;
}

int Run(int rounds)
{
    LARGE_INTEGER started = Now();
    CRef<IDeviceCollection> collection;
    if (!Check(CoCreateInstance(CLSID_DeviceService, nullptr, CLSCTX_LOCAL_SERVER, IID_IDeviceCollection,
                                reinterpret_cast<void**>(collection.Put())),
               "CoCreateInstance"))
        return 1;
    std::printf("service created in %.1f ms\n", Milliseconds(started, Now()));

    std::vector<KeyAssignmentRecord> buttons;
    if (!Reset() || !ReadButtons(collection.Get(), &buttons))
        return 1;
    std::printf("writing %lu profiles x %zu buttons, %lu macros x %lu events\n",
                static_cast<unsigned long>(kProfiles), buttons.size(), static_cast<unsigned long>(kMacros),
                static_cast<unsigned long>(kEventsPerMacro));

    std::vector<double> times;
    for (int round = 1; round <= rounds; ++round) {
        if (!Reset())
            return 1;
        g_count = CallCount{};
        WriteTimes parts;
        const LARGE_INTEGER from = Now();
        if (!WriteKeyboard(collection.Get(), buttons, &parts))
            return 1;
        const double ms = Milliseconds(from, Now());
        times.push_back(ms);
        std::printf("round %d: %u calls (+%u releases) in %.1f ms (profiles %.1f, macros %.1f), %.3f ms per call\n",
                    round, g_count.calls, g_count.releases, ms, parts.profilesMs, parts.macrosMs, ms / g_count.calls);
    }
    std::sort(times.begin(), times.end());
    std::printf("whole-keyboard write: min %.1f ms, median %.1f ms, max %.1f ms\n", times.front(),
                times[times.size() / 2], times.back());
    // Leaves the keyboard as a fresh service would find it.
    return Reset() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, _wtoi(argv[++i]));
        } else {
            std::fprintf(stderr, "Usage: DeviceWriteBench [--rounds N]\n");
            return 2;
        }
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int code = Run(rounds);
    CoUninitialize();
    return code;
}
