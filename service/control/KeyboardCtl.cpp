// TessaryKeyboardCtl: plays the keyboard's side of the simulated device service from a console. It sends
// one command to the service's control pipe and prints the reply; after plugging or unplugging it tells
// every program's windows, as the system would for a real keyboard.
#include "service/control/ControlClient.h"
#include "service/control/DeviceNotice.h"

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitNotRunning = 2;

// A service started by --start registers its class before its pipe is up.
constexpr DWORD kStartPipeWaitMs = 15000;
// A state dump of a full keyboard takes a while to write.
constexpr DWORD kReplyTimeoutMs = 30000;

const char kUsage[] =
    "Usage: TessaryKeyboardCtl [--start] <command> [arguments]\n"
    "\n"
    "Plays the keyboard's side of the simulated device service: sends the command to the service's\n"
    "control pipe and prints the reply, whose last line is OK or ERROR <message>.\n"
    "\n"
    "Options:\n"
    "  --start                        create the service's class first, which starts the service when it\n"
    "                                 is not running, and keep it running until the reply is in\n"
    "\n"
    "Commands (a device is an index into the device list; 0, the default, is the keyboard):\n"
    "  state                          the whole state: devices, profiles, lights, button records, macros,\n"
    "                                 program entries, device mode, connected event sinks\n"
    "  plug [device]                  plug the device in, then send its arrival to every window\n"
    "  unplug [device]                unplug the device, then send its removal to every window\n"
    "  profile-key [index]            press the profile key: activate the next profile, or the one at\n"
    "                                 the index, and fire the profile-changed event\n"
    "  record start|stop|cancel       fire the on-the-fly recording's started, stopped or cancelled event\n"
    "  record finish <buttonId> [value]\n"
    "                                 fire the recording's finished event for the button (and the\n"
    "                                 first value, 0 by default)\n"
    "  launch <path>                  fire the program-launch event with the path\n"
    "  dpi <a> <b>                    fire the sensitivity event with two values\n"
    "  fail <Operation> <count> [hresult] [after|exit]\n"
    "                                 make the next <count> calls of the operation (ActivateProfile or\n"
    "                                 IProfileManager.ActivateProfile) fail, with E_FAIL by default;\n"
    "                                 with after, each call is carried out and only its answer fails;\n"
    "                                 with exit, the service ends right after carrying it out\n"
    "  fail clear                     stop all failures\n"
    "  log <path> | log off           append a line per COM call to the file, or stop\n"
    "  reset                          back to the factory state\n"
    "  add-device <productId> [position]\n"
    "                                 add a device, at the end or at the position in the list\n"
    "  remove-device <index>          remove a device\n"
    "  layout <code> [device]         set the device's keyboard layout code (0 to 14)\n"
    "  pid                            the service's process id\n"
    "  quit                           the service saves its state and exits\n"
    "  notify arrival|removal|nodes   only send the keyboard's arrival, removal or a device-node change\n"
    "                                 to every window; the service is not asked\n"
    "  help                           this text\n"
    "\n"
    "Exit code: 0 on OK, 1 on ERROR or a failed exchange, 2 when the service is not running.\n"
    "\n"
    "Examples:\n"
    "  TessaryKeyboardCtl state\n"
    "  TessaryKeyboardCtl unplug\n"
    "  TessaryKeyboardCtl --start fail ActivateProfile 2 0x80070005\n";

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Text goes out as UTF-8 to files and pipes, and as UTF-16 to a console, which would otherwise show
// UTF-8 through its own code page.
void Write(DWORD which, const std::string& utf8)
{
    HANDLE handle = GetStdHandle(which);
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (IsConsole(handle)) {
        const std::wstring wide = WideFromUtf8(utf8);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

void Out(const std::string& line) { Write(STD_OUTPUT_HANDLE, line + "\n"); }
void Complain(const std::string& line) { Write(STD_ERROR_HANDLE, "TessaryKeyboardCtl: " + line + "\n"); }

// The device index a plug or unplug named (0 when none); false when it is not a number, which the
// service has refused anyway.
bool DeviceIndex(const std::vector<std::wstring>& args, unsigned* index)
{
    *index = 0;
    if (args.size() < 2)
        return true;
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(args[1].c_str(), &end, 0);
    if (!end || *end != L'\0' || end == args[1].c_str() || value > 0xFFFF)
        return false;
    *index = static_cast<unsigned>(value);
    return true;
}

// The product id of the device at `index`, from the state dump's "device <index> product 0x<id>" line.
bool ProductOfDevice(unsigned index, const ControlOptions& options, WORD* productId)
{
    const ControlReply reply = SendControlCommand("state", options);
    if (reply.status != ControlStatus::Ok)
        return false;
    const std::string prefix = "device " + std::to_string(index) + " product ";
    for (const std::string& line : reply.lines) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        char* end = nullptr;
        const unsigned long value = std::strtoul(line.c_str() + prefix.size(), &end, 16);
        if (end == line.c_str() + prefix.size() || value > 0xFFFF)
            return false;
        *productId = static_cast<WORD>(value);
        return true;
    }
    return false;
}

int Notify(DeviceChange change, const std::wstring& devicePath = kKeyboardDevicePath)
{
    if (BroadcastDeviceChange(change, devicePath))
        return kExitOk;
    Complain("the device-change notification could not be sent (error " + std::to_string(GetLastError()) + ")");
    return kExitError;
}

int RunNotify(const std::vector<std::wstring>& args)
{
    if (args.size() == 2 && args[1] == L"arrival")
        return Notify(DeviceChange::Arrival);
    if (args.size() == 2 && args[1] == L"removal")
        return Notify(DeviceChange::Removal);
    if (args.size() == 2 && args[1] == L"nodes")
        return Notify(DeviceChange::NodesChanged);
    Complain("notify takes arrival, removal or nodes");
    return kExitError;
}

int RunCommand(const std::vector<std::wstring>& args, bool start)
{
    std::wstring command;
    for (const std::wstring& arg : args)
        command += (command.empty() ? L"" : L" ") + arg;

    CServiceHold hold;
    ControlOptions options;
    options.replyMs = kReplyTimeoutMs;
    if (start) {
        const HRESULT hr = hold.Acquire();
        if (FAILED(hr)) {
            char code[16];
            std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(hr));
            Complain(std::string("the device service could not be started (") + code + ")");
            return kExitNotRunning;
        }
        options.pipeMs = kStartPipeWaitMs;
    }

    const ControlReply reply = SendControlCommand(Utf8FromWide(command), options);
    switch (reply.status) {
    case ControlStatus::NotRunning:
        Complain(reply.message);
        return kExitNotRunning;
    case ControlStatus::Failed:
        Complain(reply.message);
        return kExitError;
    case ControlStatus::Error:
        for (const std::string& line : reply.lines)
            Out(line);
        Out(reply.message.empty() ? "ERROR" : "ERROR " + reply.message);
        return kExitError;
    case ControlStatus::Ok:
        break;
    }
    for (const std::string& line : reply.lines)
        Out(line);
    Out("OK");

    // The service only changes its device list; the programs learn of it the way they would from the
    // system, with the path of the device that came or went. When the device's product cannot be
    // told, a device-node change still makes them look again.
    if (args[0] == L"plug" || args[0] == L"unplug") {
        unsigned index = 0;
        WORD productId = 0;
        if (!DeviceIndex(args, &index) || !ProductOfDevice(index, options, &productId))
            return Notify(DeviceChange::NodesChanged);
        return Notify(args[0] == L"plug" ? DeviceChange::Arrival : DeviceChange::Removal,
                      DeviceInterfacePath(productId, index));
    }
    return kExitOk;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> args;
    bool start = false;
    for (int i = 1; i < argc; ++i) {
        if (args.empty() && std::wcscmp(argv[i], L"--start") == 0)
            start = true;
        else
            args.emplace_back(argv[i]);
    }
    if (args.empty()) {
        Write(STD_ERROR_HANDLE, kUsage);
        return kExitError;
    }
    if (args[0] == L"help" || args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?") {
        Write(STD_OUTPUT_HANDLE, kUsage);
        return kExitOk;
    }
    if (args[0] == L"notify")
        return RunNotify(args);

    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const int code = RunCommand(args, start);
    if (SUCCEEDED(init))
        CoUninitialize();
    return code;
}
