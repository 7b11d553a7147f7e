// Control commands and the state dump.
#include "service/server/ControlCommands.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace {

std::vector<std::string> Tokens(const std::string& line)
{
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

// What follows the first `skip` tokens, without surrounding blanks: a path may hold blanks.
std::string Rest(const std::string& line, std::size_t skip)
{
    std::size_t i = 0;
    for (std::size_t n = 0; n < skip; ++n) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
    }
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
        ++i;
    std::size_t end = line.size();
    while (end > i && std::isspace(static_cast<unsigned char>(line[end - 1])))
        --end;
    return line.substr(i, end - i);
}

std::string Ok(const std::string& lines = std::string()) { return lines + "OK\n"; }
std::string Error(const std::string& message) { return "ERROR " + message + "\n"; }

const char kHelp[] =
    "state\n"
    "plug [device] | unplug [device]\n"
    "profile-key [profile index]\n"
    "record start | record stop | record finish <button id> [first value] | record cancel\n"
    "launch <path>\n"
    "dpi <value 1> <value 2>\n"
    "fail <Interface.Operation | Operation> <count> [hresult] [after|exit] | fail clear\n"
    "log <path> | log off\n"
    "reset\n"
    "add-device <product id> [position] | remove-device <index>\n"
    "layout <code> [device]\n"
    "pid\n"
    "quit\n";

// The device at an optional index argument (default 0); null with a reply when there is none.
CSimDevice* DeviceArgument(CServiceCore& service, const std::vector<std::string>& tokens, std::size_t at,
                           std::size_t& index, std::string& reply)
{
    std::uint32_t value = 0;
    if (tokens.size() > at && !ParseNumber(tokens[at], value)) {
        reply = Error("not a device index: " + tokens[at]);
        return nullptr;
    }
    index = value;
    CSimDevice* device = service.State().Device(index);
    if (device == nullptr)
        reply = Error("no device " + std::to_string(index));
    return device;
}

// Events come from the keyboard; a keyboard that is not plugged in sends nothing.
bool KeyboardPlugged(CServiceCore& service, std::string& reply)
{
    if (service.State().Keyboard().Info().plugged)
        return true;
    reply = Error("the keyboard is unplugged");
    return false;
}

std::string ProfileKey(CServiceCore& service, const std::vector<std::string>& tokens)
{
    std::string reply;
    if (!KeyboardPlugged(service, reply))
        return reply;
    CSimDevice& keyboard = service.State().Keyboard();
    const std::size_t count = keyboard.ProfileCount();
    if (count == 0)
        return Error("the keyboard has no profile");
    std::size_t target = 0;
    if (tokens.size() > 1) {
        std::uint32_t index = 0;
        if (!ParseNumber(tokens[1], index) || index >= count)
            return Error("no profile " + tokens[1] + " (the keyboard has " + std::to_string(count) + ")");
        target = index;
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            if (keyboard.ProfileAt(i)->guid == keyboard.ActiveProfile())
                target = (i + 1) % count;
        }
    }
    const SimProfile* profile = keyboard.ProfileAt(target);
    keyboard.ActivateProfile(profile->guid);
    service.Changed();
    service.QueueEvent(DeviceEvent{service.KeyboardSerial(), DeviceEventKind::ProfileChanged,
                                   static_cast<DWORD>(target), 0, {}});
    return Ok("profile " + std::to_string(target) + " " + GuidText(profile->guid) + " " + QuoteText(profile->name) + "\n");
}

std::string Record(CServiceCore& service, const std::vector<std::string>& tokens)
{
    std::string reply;
    if (tokens.size() < 2)
        return Error("record start | stop | finish <button id> [first value] | cancel");
    DeviceEvent event{service.KeyboardSerial(), DeviceEventKind::RecordingStarted, 0, 0, {}};
    const std::string& what = tokens[1];
    if (what == "start" && tokens.size() == 2) {
        event.kind = DeviceEventKind::RecordingStarted;
    } else if (what == "stop" && tokens.size() == 2) {
        event.kind = DeviceEventKind::RecordingStopped;
    } else if (what == "cancel" && tokens.size() == 2) {
        event.kind = DeviceEventKind::RecordingCancelled;
    } else if (what == "finish" && (tokens.size() == 3 || tokens.size() == 4)) {
        // The clients read the button id from the second value; the first is passed along unused.
        std::uint32_t button = 0;
        std::uint32_t first = 0;
        if (!ParseNumber(tokens[2], button))
            return Error("not a button id: " + tokens[2]);
        if (tokens.size() == 4 && !ParseNumber(tokens[3], first))
            return Error("not a number: " + tokens[3]);
        event.kind = DeviceEventKind::RecordingFinished;
        event.first = first;
        event.second = button;
    } else {
        return Error("record start | stop | finish <button id> [first value] | cancel");
    }
    if (!KeyboardPlugged(service, reply))
        return reply;
    service.QueueEvent(std::move(event));
    return Ok();
}

std::string Fail(CServiceCore& service, const std::vector<std::string>& tokens)
{
    if (tokens.size() == 2 && tokens[1] == "clear") {
        service.Calls().ClearFaults();
        return Ok();
    }
    CCallMonitor::Timing timing = CCallMonitor::Timing::Before;
    if (tokens.size() >= 4 && tokens.back() == "after")
        timing = CCallMonitor::Timing::After;
    else if (tokens.size() >= 4 && tokens.back() == "exit")
        timing = CCallMonitor::Timing::Exit;
    const std::size_t given = tokens.size() - (timing == CCallMonitor::Timing::Before ? 0 : 1);
    if (given != 3 && given != 4)
        return Error("fail <Interface.Operation | Operation> <count> [hresult] [after|exit] | fail clear");
    std::uint32_t count = 0;
    std::uint32_t hr = static_cast<std::uint32_t>(E_FAIL);
    if (!ParseNumber(tokens[2], count))
        return Error("not a count: " + tokens[2]);
    if (given == 4 && !ParseNumber(tokens[3], hr))
        return Error("not an HRESULT: " + tokens[3]);
    std::string error;
    if (!service.Calls().AddFault(tokens[1], count, static_cast<HRESULT>(hr), timing, error))
        return Error(error);
    return Ok();
}

std::string AddDevice(CServiceCore& service, const std::vector<std::string>& tokens)
{
    std::uint32_t productId = 0;
    std::uint32_t position = static_cast<std::uint32_t>(service.State().DeviceCount());
    if (tokens.size() < 2 || tokens.size() > 3 || !ParseNumber(tokens[1], productId) || productId > 0xFFFF)
        return Error("add-device <product id> [position]");
    if (tokens.size() == 3 && !ParseNumber(tokens[2], position))
        return Error("not a position: " + tokens[2]);
    if (position > service.State().DeviceCount())
        position = static_cast<std::uint32_t>(service.State().DeviceCount());
    std::string error;
    if (!service.AddDevice(productId, position, error))
        return Error(error);
    return Ok("device " + std::to_string(position) + "\n");
}

std::string Layout(CServiceCore& service, const std::vector<std::string>& tokens)
{
    std::uint32_t code = 0;
    if (tokens.size() < 2 || tokens.size() > 3 || !ParseNumber(tokens[1], code))
        return Error("layout <code> [device]");
    std::string reply;
    std::size_t index = 0;
    CSimDevice* device = DeviceArgument(service, tokens, 2, index, reply);
    if (device == nullptr)
        return reply;
    SimDeviceInfo info = device->Info();
    info.layoutCode = code;
    if (device->SetInfo(info) != SimStatus::Ok)
        return Error("layout codes go from 0 to " + std::to_string(kSimMaxLayoutCode));
    service.Changed();
    return Ok();
}

std::string RecordHex(const SimButtonRecord& record)
{
    std::string hex;
    char byte[4];
    for (BYTE b : record.data) {
        std::snprintf(byte, sizeof(byte), "%02X", b);
        hex += byte;
    }
    return hex;
}

} // namespace

std::string DescribeState(CServiceCore& service)
{
    const CKeyboardState& state = service.State();
    std::string out = "state-file " + QuoteText(service.StateFile()) + "\n";
    out += "call-log " + (service.Calls().Logging() ? QuoteText(service.Calls().LogPath()) : std::string("off")) + "\n";
    for (const std::string& fault : service.Calls().DescribeFaults())
        out += "fault " + fault + "\n";
    for (std::size_t d = 0; d < state.DeviceCount(); ++d) {
        const CSimDevice& device = *state.Device(d);
        const SimDeviceInfo& info = device.Info();
        out += "device " + std::to_string(d) + " product " + HexText(info.productId, 4) + " identity " +
               std::to_string(info.identity) + (info.plugged ? " plugged" : " unplugged") + " firmware " +
               std::to_string(info.firmware.major) + "." + std::to_string(info.firmware.minor) + " version-b " +
               std::to_string(info.secondary.major) + "." + std::to_string(info.secondary.minor) + " layout " +
               std::to_string(info.layoutCode) + " buttons " + std::to_string(device.ButtonCount()) + " mode " +
               std::to_string(device.Mode()) + "\n";
        out += "  sinks";
        for (const IID* events : EventInterfaces())
            out += std::string(" ") + EventInterfaceName(*events) + " " +
                   std::to_string(service.SinkCount(service.SerialAt(d), *events));
        out += "\n";
        for (std::size_t p = 0; p < device.ProfileCount(); ++p) {
            const SimProfile& profile = *device.ProfileAt(p);
            out += "  profile " + std::to_string(p) + " " + GuidText(profile.guid) + " " + QuoteText(profile.name) +
                   (profile.guid == device.ActiveProfile() ? " active" : "") + " flags " + HexText(profile.flags, 4) +
                   " program " + QuoteText(profile.linkedProgram) + "\n";
            for (const SimLed& led : profile.leds) {
                out += "    led " + std::to_string(led.id) + (led.on ? " on" : " off") + " value " +
                       std::to_string(led.value) + " blink " + std::to_string(led.blink ? 1 : 0) + " " +
                       std::to_string(led.onTimeMs) + "/" + std::to_string(led.offTimeMs) + " aux " +
                       std::to_string(led.auxValue) + "\n";
            }
            for (std::size_t b = 0; b < profile.records.size() && b < device.DefaultRecords().size(); ++b) {
                const SimButtonRecord& record = profile.records[b];
                if (record == device.DefaultRecords()[b])
                    continue;
                out += "    record " + HexText(record.buttonId) + " leading " + std::to_string(record.leading) +
                       " type " + std::to_string(record.serviceType) + " data " + RecordHex(record) + "\n";
            }
        }
        for (std::size_t m = 0; m < device.MacroCount(); ++m) {
            const SimMacro& macro = *device.MacroAt(m);
            out += "  macro " + std::to_string(m) + " " + GuidText(macro.guid) + " " + QuoteText(macro.name) +
                   " events " + std::to_string(macro.events.size());
            if (!macro.events.empty())
                out += ":";
            for (const SimMacroEvent& event : macro.events)
                out += " " + std::to_string(event.type) + ":" + HexText(event.value);
            out += "\n";
        }
        for (std::size_t a = 0; a < device.AppCount(); ++a) {
            const SimApp& app = *device.AppAt(a);
            out += "  app " + std::to_string(a) + " " + GuidText(app.guid) + " " + QuoteText(app.name) + "\n";
        }
    }
    return out;
}

std::string ExecuteControlCommand(CServiceCore& service, const std::string& line)
{
    const std::vector<std::string> tokens = Tokens(line);
    if (tokens.empty())
        return Error("empty command (try help)");
    const std::string& command = tokens[0];

    if (command == "state" && tokens.size() == 1)
        return Ok(DescribeState(service));
    if (command == "help")
        return Ok(kHelp);
    if (command == "pid" && tokens.size() == 1)
        return Ok(std::to_string(GetCurrentProcessId()) + "\n");
    if (command == "quit" && tokens.size() == 1) {
        // Saved before the answer, so that whoever ends Wine next cuts nothing off.
        service.SaveNow();
        service.RequestQuit();
        return Ok();
    }
    if (command == "reset" && tokens.size() == 1) {
        service.ResetState();
        service.Calls().ClearFaults();
        return Ok();
    }
    if ((command == "plug" || command == "unplug") && tokens.size() <= 2) {
        std::string reply;
        std::size_t index = 0;
        CSimDevice* device = DeviceArgument(service, tokens, 1, index, reply);
        if (device == nullptr)
            return reply;
        device->SetPlugged(command == "plug");
        service.Changed();
        return Ok();
    }
    if (command == "profile-key" && tokens.size() <= 2)
        return ProfileKey(service, tokens);
    if (command == "record")
        return Record(service, tokens);
    if (command == "launch") {
        const std::wstring path = FromUtf8(Rest(line, 1));
        if (path.empty())
            return Error("launch <path>");
        std::string reply;
        if (!KeyboardPlugged(service, reply))
            return reply;
        service.QueueEvent(DeviceEvent{service.KeyboardSerial(), DeviceEventKind::LaunchApplication, 1, 0, path});
        return Ok();
    }
    if (command == "dpi") {
        std::uint32_t first = 0;
        std::uint32_t second = 0;
        if (tokens.size() != 3 || !ParseNumber(tokens[1], first) || !ParseNumber(tokens[2], second))
            return Error("dpi <value 1> <value 2>");
        std::string reply;
        if (!KeyboardPlugged(service, reply))
            return reply;
        service.QueueEvent(DeviceEvent{service.KeyboardSerial(), DeviceEventKind::DpiChanged, first, second, {}});
        return Ok();
    }
    if (command == "fail")
        return Fail(service, tokens);
    if (command == "log") {
        const std::string path = Rest(line, 1);
        if (path.empty())
            return Error("log <path> | log off");
        if (path == "off") {
            service.Calls().StopLog();
            return Ok();
        }
        std::string error;
        if (!service.Calls().StartLog(FromUtf8(path), error))
            return Error(error);
        return Ok();
    }
    if (command == "add-device")
        return AddDevice(service, tokens);
    if (command == "remove-device") {
        std::uint32_t index = 0;
        if (tokens.size() != 2 || !ParseNumber(tokens[1], index))
            return Error("remove-device <index>");
        std::string error;
        if (!service.RemoveDevice(index, error))
            return Error(error);
        return Ok();
    }
    if (command == "layout")
        return Layout(service, tokens);
    return Error("unknown command or arguments: " + line.substr(0, 80) + " (try help)");
}
