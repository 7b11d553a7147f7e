// DeviceTransferBench: what a full write and a full read of the configurator's device object cost
// against the registered device service: 10 profiles with every key assigned (a third of them to one of
// 20 macros of 100 events, named by text on the first write as the pages leave them), then the same
// write again with everything on the device, then a read into a fresh store. Each round starts from the
// factory state. Prints the service calls (from the service's call log) and the milliseconds from the
// start of the transfer to its report; the completion pause is set to 0, so the fixed pause is not in
// the figures. Beside each: the floor, that many calls of one that changes nothing (timed in the same
// round, under the same call log), and the ratio of the time to it.
//
//   DeviceTransferBench [--rounds N] [--log FILE]    (--log keeps the service's call log in FILE)
#include "service/DeviceRecords.h"

#include "data/KeyboardDefWriter.h"
#include "model/AssignmentRecords.h"
#include "model/Keyboard.h"
#include "model/OssleConfig.h"
#include "service/control/ControlClient.h"
#include "framework/ComRef.h"
#include "service/sim/ProductKeyboard.h"
#include "skin/AppFolder.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kProfiles = 10;
constexpr int kMacros = 20;
constexpr int kEventsPerMacro = 100;
constexpr UINT kDoneMessage = WM_APP + 7;
constexpr DWORD kDeadlineMs = 600000;
constexpr int kNullBatches = 9;
constexpr int kNullCallsPerBatch = 100;

bool Command(const std::string& command)
{
    ControlOptions options;
    options.pipeMs = 15000;
    const ControlReply reply = SendControlCommand(command, options);
    if (reply.status != ControlStatus::Ok)
        std::fprintf(stderr, "DeviceTransferBench: \"%s\" failed: %s\n", command.c_str(), reply.message.c_str());
    return reply.status == ControlStatus::Ok;
}

bool LoadKeyboard()
{
    std::vector<KeyDescription> keys;
    std::string error;
    if (!ParseKeyboardDescription(ProductDescriptionText(), keys, error)) {
        std::fprintf(stderr, "DeviceTransferBench: %s\n", error.c_str());
        return false;
    }
    const std::vector<BYTE> records = WriteKeyRecordFile(keys);
    const std::vector<BYTE> defaults = WriteKeyDefaultsFile(keys);
    return KeyboardDef().LoadKeyRecords(records.data(), records.size()) &&
           KeyboardDef().LoadKeyDefaults(defaults.data(), defaults.size());
}

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Lines of the service's call log: one per call.
size_t LogLines(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    size_t lines = 0;
    std::string line;
    while (std::getline(in, line))
        ++lines;
    return lines;
}

// The write's report arrives as a posted message to a window of this thread.
class CReport {
public:
    CReport()
    {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessaryDeviceTransferBench";
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }
    ~CReport() { DestroyWindow(m_window); }
    HWND Window() const { return m_window; }

    // 1 or 0 as the write reported, -1 when nothing came.
    int Wait()
    {
        const ULONGLONG end = GetTickCount64() + kDeadlineMs;
        MSG message;
        while (GetTickCount64() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.hwnd == m_window && message.message == kDoneMessage)
                    return int(message.wParam);
                DispatchMessageW(&message);
            }
        }
        return -1;
    }

private:
    HWND m_window = nullptr;
};

struct Figure {
    size_t calls = 0;
    double milliseconds = 0;
    bool ok = false;
};

// The time of a call that changes nothing (the active profile's GUID): the median of the mean times of
// several batches, so that a moment when another program takes the machine does not move the floor;
// 0 when the service could not be reached.
double NullCallMs()
{
    ComRef<IDeviceCollection> root;
    ComRef<IServiceDevice> device;
    ComRef<IProfileManager> profiles;
    ComRef<IDeviceProfile> profile;
    if (FAILED(CoCreateInstance(CLSID_DeviceService, nullptr, CLSCTX_LOCAL_SERVER, IID_IDeviceCollection, root.PutVoid())) ||
        FAILED(root->GetDevice(0, device.Put())) ||
        FAILED(device->GetSubObject(IID_IProfileManager, profiles.PutUnknown())) ||
        FAILED(profiles->GetActiveProfile(profile.Put())))
        return 0;
    GUID guid{};
    profile->GetGuid(&guid);  // the first call of an interface loads its proxy
    std::vector<double> batches;
    for (int batch = 0; batch < kNullBatches; ++batch) {
        const double start = Now();
        for (int i = 0; i < kNullCallsPerBatch; ++i)
            profile->GetGuid(&guid);
        batches.push_back((Now() - start) / kNullCallsPerBatch);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

void Print(const char* what, const Figure& figure, double nullCallMs)
{
    const double floor = double(figure.calls) * nullCallMs;
    std::printf("  %-34s %6zu calls %10.1f ms   floor %6zu x %.3f ms = %8.1f ms   ratio %.2f%s\n", what,
                figure.calls, figure.milliseconds, figure.calls, nullCallMs, floor,
                floor > 0 ? figure.milliseconds / floor : 0.0, figure.ok ? "" : "  (FAILED)");
}

// Every key of every profile assigned: every third key to a macro (by name), the others to a key.
void FillStore(IKeyboardConfig& store, const std::vector<DWORD>& buttons)
{
    for (int p = int(store.GetProfileCount()); p < kProfiles; ++p)
        store.AddProfile((L"Profile " + std::to_wstring(p + 1)).c_str());
    for (int m = 0; m < kMacros; ++m) {
        CMacro* macro = store.AddMacro((L"Macro " + std::to_wstring(m + 1)).c_str());
        for (int e = 0; e < kEventsPerMacro; ++e) {
            const uint16_t scan = uint16_t(0x10 + (e / 3) % 0x20);
            if (e % 3 == 2)
                macro->Events().push_back(MakeDelayEvent(10 + e));
            else
                macro->Events().push_back(MakeKeyEvent(0, scan, e % 3 == 0 ? kMacroPressed : kMacroReleased, 0));
        }
    }
    for (unsigned p = 0; p < store.GetProfileCount(); ++p) {
        IKeyboardProfile* profile = store.GetProfileAt(p);
        for (size_t b = 0; b < buttons.size(); ++b) {
            const int32_t keyId = KeyIdOfButton(buttons[b], KeyboardDef());
            if (keyId == 0)
                continue;
            KeyAssignment assignment;
            if (b % 3 == 0) {
                const std::wstring name = L"Macro " + std::to_wstring((b / 3 + p) % kMacros + 1);
                MakeMacroTextAssignment(assignment, name.c_str(), kPlayOnce);
            } else {
                MakeSingleKeyAssignment(assignment, uint16_t(0x02 + (b + p) % 0x30), 0, false);
            }
            store.SetKeyAssignment(keyId, assignment, profile);
        }
    }
    store.SetActiveProfile(store.GetProfileAt(kProfiles - 1));
}

Figure TimedWrite(CKeyboard& keyboard, IKeyboardConfig& store, CReport& report, const std::wstring& log)
{
    Figure figure;
    const size_t before = LogLines(log);
    const double start = Now();
    figure.ok = keyboard.Transfer(&store, kTransferWrite, kTransferWriteMask) && report.Wait() == 1;
    figure.milliseconds = Now() - start;
    figure.calls = LogLines(log) - before;
    return figure;
}

bool Round(int round, const std::wstring& log)
{
    if (!Command("reset"))
        return false;
    CReport report;
    auto store = std::make_unique<COssleConfig>();
    auto keyboard = std::make_unique<CKeyboard>();
    keyboard->SetCompletionPause(0);
    keyboard->SetTransferNotify(report.Window(), kDoneMessage);
    if (!keyboard->Initialize(store.get())) {
        std::fprintf(stderr, "DeviceTransferBench: the keyboard was not found\n");
        return false;
    }
    FillStore(*store, keyboard->ButtonIds());

    std::printf("round %d (%d profiles x %zu buttons, %d macros x %d events)\n", round, kProfiles,
                keyboard->ButtonIds().size(), kMacros, kEventsPerMacro);
    // The null call is timed right before each figure, under the same load.
    double nullCallMs = NullCallMs();
    const Figure created = TimedWrite(*keyboard, *store, report, log);
    Print("write, everything new", created, nullCallMs);
    nullCallMs = NullCallMs();
    const Figure rewritten = TimedWrite(*keyboard, *store, report, log);
    Print("write, everything on the device", rewritten, nullCallMs);

    keyboard.reset();
    store = std::make_unique<COssleConfig>();
    keyboard = std::make_unique<CKeyboard>();
    Figure read;
    nullCallMs = NullCallMs();
    const size_t before = LogLines(log);
    const double start = Now();
    read.ok = keyboard->Initialize(store.get()) && keyboard->Transfer(store.get(), kTransferRead, kTransferReadMask);
    read.milliseconds = Now() - start;
    read.calls = LogLines(log) - before;
    Print("initialise and read", read, nullCallMs);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    int rounds = 3;
    std::wstring keptLog;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--rounds") == 0)
            rounds = std::max(1, _wtoi(argv[i + 1]));
        if (std::wcscmp(argv[i], L"--log") == 0)
            keptLog = argv[i + 1];
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) || !LoadKeyboard())
        return 1;
    int result = 1;
    {
        CServiceHold hold;
        if (!hold.AcquireServing(15000)) {
            std::fprintf(stderr, "DeviceTransferBench: the device service is not registered or does not start\n");
        } else {
            wchar_t temp[MAX_PATH + 1] = {};
            GetTempPathW(MAX_PATH, temp);
            const std::wstring folder = std::wstring(temp) + L"tessary-transfer-bench-" + std::to_wstring(GetCurrentProcessId());
            std::filesystem::create_directories(folder);
            SetAppFolder(folder);
            const std::wstring log = keptLog.empty() ? folder + L"\\calls.log" : keptLog;
            if (Command("log " + Utf8FromWide(log))) {
                result = 0;
                for (int round = 1; round <= rounds && result == 0; ++round)
                    result = Round(round, log) ? 0 : 1;
                Command("log off");
            }
            Command("reset");
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
    CoUninitialize();
    return result;
}
