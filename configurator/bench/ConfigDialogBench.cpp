// ConfigDialogBench: what the configurator's main dialog costs a user, against the registered device
// service, which the bench holds running (warm) and resets to the factory keyboard first.
//
// 1. Start: from CreateProcess of TessaryConfig.exe until its main dialog is painted, beside the same
//    for BareWindow.exe (one window of the dialog's size, filled in WM_PAINT) in the same rounds,
//    alternating. "Painted" is seen from outside through the automation lookup (configurator/
//    Automation.h): the window is visible and no paint waits in its thread, that is every WM_PAINT the
//    first show caused (the dialog's and each widget's) has been handled. BareWindow answers the same
//    lookup the same way. Two unmeasured starts of each come first, so that files are cached and the
//    tray program the configurator starts is already running. Prints median and minimum of each and
//    the ratio of the medians (and of the minima).
// 2. Page switches: a click on a tab until its page is shown and painted, cycling through the four tabs.
// 3. Over those switches: the configurator's GDI and USER objects (GetGuiResources, or where that is
//    a stub as under Wine, the live GDI handles and windows counted by the lookup) and its working set
//    (GetProcessMemoryInfo): at the start, after the first round of four, every 100 switches, at the
//    end, and the peaks; growth counts from the first round on.
//
//   ConfigDialogBench [--rounds N] [--switches N] [--poll MS] [--samples]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "configurator/Automation.h"
#include "configurator/ConfigIds.h"
#include "configurator/tools/ConfigDriver.h"
#include "framework/Handle.h"
#include "service/control/ControlClient.h"
#include "tests/support/TestProgram.h"

using namespace config;

namespace {

constexpr DWORD kDeadlineMs = 30000;
constexpr int kWarmUpStarts = 2;
constexpr int kSampleEvery = 100;
constexpr const wchar_t* kBareClass = L"TessaryBareWindow";

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

bool Ask(HWND window, LPARAM what, LRESULT& answer)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, AutomationMessage(), 0, what, SMTO_ABORTIFHUNG, 2000, &result))
        return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

double Mb(SIZE_T bytes) { return double(bytes) / (1024.0 * 1024.0); }

struct StartFigure {
    double visibleMs = 0;  // the window became visible
    double paintedMs = 0;  // ... and everything it showed was painted
    RECT rect = {};
    SIZE_T workingSet = 0;  // once painted
};

// Starts the program and waits until its window of `className` is painted; it stays open.
bool TimedStart(std::unique_ptr<CProgram>& process, const std::wstring& path, const std::wstring& arguments,
                const wchar_t* className, DWORD pollMs, StartFigure& figure)
{
    const double start = Now();
    process = std::make_unique<CProgram>(path, arguments);
    if (!process->Started())
        return false;
    HWND window = nullptr;
    const bool painted = PumpMessagesUntil(
        [&] {
            if (!window && !(window = FindProcessWindow(process->Id(), className)))
                return false;
            if (!IsWindowVisible(window))
                return false;
            if (figure.visibleMs == 0)
                figure.visibleMs = Now() - start;
            LRESULT state = 0;
            return Ask(window, kAutomationState, state) && (state & kAutomationShown) &&
                   !(state & kAutomationPaintPending);
        },
        kDeadlineMs, pollMs);
    figure.paintedMs = Now() - start;
    if (!painted) {
        LRESULT state = 0;
        const bool answered = window && Ask(window, kAutomationState, state);
        std::fprintf(stderr, "ConfigDialogBench: after %.0f ms: window %s, %s, state %s 0x%llX\n", figure.paintedMs,
                     window ? "found" : "not found", window && IsWindowVisible(window) ? "visible" : "not visible",
                     answered ? "answered" : "not answered", static_cast<unsigned long long>(state));
    }
    if (window)
        GetWindowRect(window, &figure.rect);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process->Handle(), &memory, sizeof(memory)))
        figure.workingSet = memory.WorkingSetSize;
    return painted;
}

bool Close(std::unique_ptr<CProgram>& process, const wchar_t* className)
{
    if (HWND window = FindProcessWindow(process->Id(), className))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return process->WaitForExit(kDeadlineMs) != STILL_ACTIVE;
}

struct Stats {
    double median = 0, min = 0, p90 = 0, max = 0;
};

Stats Summarise(std::vector<double> values)
{
    Stats stats;
    if (values.empty())
        return stats;
    std::sort(values.begin(), values.end());
    stats.median = values[values.size() / 2];
    stats.min = values.front();
    stats.p90 = values[std::min(values.size() - 1, values.size() * 9 / 10)];
    stats.max = values.back();
    return stats;
}

bool Fail(const char* what)
{
    std::fprintf(stderr, "ConfigDialogBench: %s\n", what);
    return false;
}

bool StartRounds(int rounds, DWORD pollMs, const std::wstring& bin)
{
    const std::wstring config = bin + L"TessaryConfig.exe";
    const std::wstring bare = bin + L"BareWindow.exe";
    std::wstring bareSize = L"640 480";
    std::vector<double> configMs, configVisibleMs, bareMs, configSetMb, bareSetMb;
    std::printf("start to painted main dialog, warm (%d unmeasured starts of each first), ms:\n", kWarmUpStarts);
    std::printf("  %5s %12s %14s %16s\n", "round", "bare window", "configurator", "(visible at)");
    for (int round = -kWarmUpStarts; round < rounds; ++round) {
        StartFigure bareFigure, configFigure;
        {
            std::unique_ptr<CProgram> process;
            if (!TimedStart(process, bare, bareSize, kBareClass, pollMs, bareFigure) || !Close(process, kBareClass))
                return Fail("BareWindow.exe did not show its window or did not close");
        }
        {
            std::unique_ptr<CProgram> process;
            if (!TimedStart(process, config, L"", kMainWindowClass, pollMs, configFigure))
                return Fail("TessaryConfig.exe did not show its main dialog");
            if (!Close(process, kMainWindowClass))
                return Fail("TessaryConfig.exe did not close");
        }
        // The bare window takes the dialog's size, so that both fill the same area.
        const RECT& r = configFigure.rect;
        bareSize = std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top);
        if (round < 0)
            continue;
        bareMs.push_back(bareFigure.paintedMs);
        configMs.push_back(configFigure.paintedMs);
        configVisibleMs.push_back(configFigure.visibleMs);
        bareSetMb.push_back(Mb(bareFigure.workingSet));
        configSetMb.push_back(Mb(configFigure.workingSet));
        std::printf("  %5d %12.1f %14.1f %16.1f\n", round + 1, bareFigure.paintedMs, configFigure.paintedMs,
                    configFigure.visibleMs);
    }
    const Stats b = Summarise(bareMs), c = Summarise(configMs), v = Summarise(configVisibleMs);
    std::printf("  median %10.1f %14.1f %16.1f\n", b.median, c.median, v.median);
    std::printf("  min    %10.1f %14.1f %16.1f\n", b.min, c.min, v.min);
    std::printf("  ratio configurator / bare window: median %.2f, min %.2f (window %s)\n", c.median / b.median,
                c.min / b.min, std::string(bareSize.begin(), bareSize.end()).c_str());
    std::printf("  working set once painted (median): bare window %.1f MB, configurator %.1f MB\n",
                Summarise(bareSetMb).median, Summarise(configSetMb).median);
    return true;
}

struct Sample {
    int switches = 0;
    DWORD gdi = 0, user = 0;
    SIZE_T workingSet = 0, peakWorkingSet = 0;
};

bool TakeSample(HANDLE process, HWND window, int switches, Sample& sample)
{
    sample.switches = switches;
    LRESULT objects = 0;
    if (!Ask(window, kAutomationGuiObjects, objects))
        return false;
    sample.gdi = static_cast<DWORD>(objects & 0xFFFFFFFF);
    sample.user = static_cast<DWORD>(static_cast<ULONGLONG>(objects) >> 32);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    if (!GetProcessMemoryInfo(process, &memory, sizeof(memory)))
        return false;
    sample.workingSet = memory.WorkingSetSize;
    sample.peakWorkingSet = memory.PeakWorkingSetSize;
    return true;
}

bool PageSwitches(int switches, DWORD pollMs, bool printSamples, const std::wstring& bin)
{
    std::unique_ptr<CProgram> process;
    StartFigure figure;
    if (!TimedStart(process, bin + L"TessaryConfig.exe", L"", kMainWindowClass, pollMs, figure))
        return Fail("TessaryConfig.exe did not show its main dialog");
    HWND main = CConfigDriver::MainWindow();
    CConfigDriver driver(kDeadlineMs);
    driver.SetPollMs(pollMs);
    // From the key page shown at the start: profiles, macros, lighting, then the keys again.
    const char* names[4] = {"profiles", "macros", "lighting", "keys"};
    std::vector<double> all, byPage[4];
    std::vector<Sample> samples(1);
    if (!TakeSample(process->Handle(), main, 0, samples[0]))
        return Fail("the configurator did not answer the object count");
    for (int i = 0; i < switches; ++i) {
        const int page = i % 4;
        const double start = Now();
        if (!driver.ShowPage(kTabIds[(page + 1) % 4], kTabPages[(page + 1) % 4])) {
            std::fprintf(stderr, "ConfigDialogBench: switch %d: %s\n", i + 1, driver.Error().c_str());
            Close(process, kMainWindowClass);
            return false;
        }
        const double ms = Now() - start;
        all.push_back(ms);
        byPage[page].push_back(ms);
        // After the first round every page and tab has been shown and hovered once: what it made once
        // (a tab's tooltip, made when the pointer first comes) is no growth.
        if (i + 1 == 4 || (i + 1) % kSampleEvery == 0 || i + 1 == switches) {
            samples.emplace_back();
            if (!TakeSample(process->Handle(), main, i + 1, samples.back()))
                return Fail("the configurator did not answer the object count");
        }
    }
    if (!Close(process, kMainWindowClass))
        return Fail("TessaryConfig.exe did not close");

    const Stats s = Summarise(all);
    std::printf("page switch, click to painted page (%d switches), ms: median %.1f  min %.1f  p90 %.1f  max %.1f\n",
                switches, s.median, s.min, s.p90, s.max);
    for (int page = 0; page < 4; ++page) {
        const Stats p = Summarise(byPage[page]);
        std::printf("  to %-9s median %.1f  min %.1f  max %.1f\n", names[page], p.median, p.min, p.max);
    }
    HANDLE self = GetCurrentProcess();
    const bool systemCounts = GetGuiResources(self, GR_GDIOBJECTS) != 0;
    std::printf("objects and memory over the switches%s:\n",
                systemCounts ? "" : " (GetGuiResources is a stub here: live GDI handles and windows)");
    if (printSamples) {
        for (const Sample& sample : samples)
            std::printf("  after %4d: GDI %5lu  USER %5lu  working set %6.1f MB\n", sample.switches,
                        static_cast<unsigned long>(sample.gdi), static_cast<unsigned long>(sample.user),
                        Mb(sample.workingSet));
    }
    const Sample& first = samples.front();
    const Sample& round = samples[1];
    const Sample& last = samples.back();
    DWORD gdiPeak = 0, userPeak = 0;
    SIZE_T setPeak = 0;
    for (const Sample& sample : samples) {
        gdiPeak = std::max(gdiPeak, sample.gdi);
        userPeak = std::max(userPeak, sample.user);
        setPeak = std::max(setPeak, sample.peakWorkingSet);
    }
    auto count = [](DWORD value) { return static_cast<unsigned long>(value); };
    std::printf("  %-12s %8s %8s %8s %8s\n", "", "start", "round 1", "end", "peak");
    std::printf("  %-12s %8lu %8lu %8lu %8lu\n", "GDI objects", count(first.gdi), count(round.gdi), count(last.gdi),
                count(gdiPeak));
    std::printf("  %-12s %8lu %8lu %8lu %8lu\n", "USER objects", count(first.user), count(round.user),
                count(last.user), count(userPeak));
    std::printf("  %-12s %8.1f %8.1f %8.1f %8.1f  MB (peak: the process's own peak working set)\n", "working set",
                Mb(first.workingSet), Mb(round.workingSet), Mb(last.workingSet), Mb(setPeak));
    std::printf("  growth from round 1 to the end: GDI %+ld, USER %+ld\n", long(last.gdi) - long(round.gdi),
                long(last.user) - long(round.user));
    return true;
}

// The tray program the configurator starts, when the bench's starts brought it up.
void CloseTrayStartedHere(bool wasRunning)
{
    HWND tray = FindWindowW(L"#32770", L"TessaryTray");
    if (wasRunning || !tray)
        return;
    DWORD id = 0;
    GetWindowThreadProcessId(tray, &id);
    const CHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    PostMessageW(tray, WM_CLOSE, 0, 0);
    if (!process.IsNull())
        PumpMessagesUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, kDeadlineMs);
}

bool ResetKeyboard()
{
    ControlOptions options;
    options.pipeMs = 15000;
    const ControlReply reply = SendControlCommand("reset", options);
    return reply.status == ControlStatus::Ok || Fail("the keyboard could not be reset");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int rounds = 10;
    int switches = 1000;
    DWORD pollMs = 1;
    bool printSamples = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::wcscmp(argv[i], L"--rounds") == 0 && hasValue)
            rounds = std::max(1, _wtoi(argv[++i]));
        else if (std::wcscmp(argv[i], L"--switches") == 0 && hasValue)
            switches = std::max(4, _wtoi(argv[++i]));
        else if (std::wcscmp(argv[i], L"--poll") == 0 && hasValue)
            pollMs = static_cast<DWORD>(std::max(1, _wtoi(argv[++i])));
        else if (std::wcscmp(argv[i], L"--samples") == 0)
            printSamples = true;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int result = 1;
    {
        // Held for the whole run: every start finds the service running, as it is once the tray runs.
        CServiceHold hold;
        if (!hold.AcquireServing(15000)) {
            Fail("the device service is not registered or does not start");
        } else if (CConfigDriver::MainWindow()) {
            Fail("a configurator runs already: close it first");
        } else if (ResetKeyboard()) {
            const bool trayRan = FindWindowW(L"#32770", L"TessaryTray") != nullptr;
            const std::wstring bin = BinFolder();
            if (StartRounds(rounds, pollMs, bin) && PageSwitches(switches, pollMs, printSamples, bin))
                result = 0;
            CloseTrayStartedHere(trayRan);
        }
    }
    CoUninitialize();
    return result;
}
