// Injected failures and the call log.
#include "service/server/CallMonitor.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "Interface.Operation" -> "Operation".
std::string OperationPart(const std::string& name)
{
    const std::size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

} // namespace

const std::vector<std::string>& CCallMonitor::Operations()
{
    static const std::vector<std::string> operations = {
        "IDeviceCollection.GetDevice",
        "IServiceDevice.GetInfo", "IServiceDevice.GetSubObject",
        "IDeviceIdentity.GetIdentity",
        "IKeyboardLayoutInfo.Reserved1", "IKeyboardLayoutInfo.GetLayoutCode",
        "IProfileManager.GetProfile", "IProfileManager.FindProfile", "IProfileManager.ActivateProfile",
        "IProfileManager.GetActiveProfile", "IProfileManager.CreateProfile", "IProfileManager.DeleteProfile",
        "IProfileManager.Reserved1", "IProfileManager.ImportProfileFile",
        "IDeviceProfile.GetSubObject", "IDeviceProfile.GetGuid", "IDeviceProfile.GetName",
        "IDeviceProfile.SetName", "IDeviceProfile.Reserved1", "IDeviceProfile.ExportToFile",
        "IProfilePropertyStore.GetProperty", "IProfilePropertyStore.SetProperty",
        "IButtonAssignment.GetInfo", "IButtonAssignment.GetAll", "IButtonAssignment.SetRecords",
        "ILedCollection.GetLed",
        "IDeviceLed.TurnOn", "IDeviceLed.TurnOff", "IDeviceLed.GetState", "IDeviceLed.GetId",
        "ILedValue.SetValue", "ILedValue.GetValue",
        "ILedBlink.SetBlink", "ILedBlink.GetBlink",
        "ILedAuxValue.SetAuxValue", "ILedAuxValue.GetAuxValue",
        "IMacroStore.GetMacro", "IMacroStore.FindMacro", "IMacroStore.CreateMacro", "IMacroStore.DeleteMacro",
        "IMacroStore.Reserved1", "IMacroStore.ImportMacroFile",
        "IDeviceMacro.GetGuid", "IDeviceMacro.GetName", "IDeviceMacro.SetName", "IDeviceMacro.ExportToFile",
        "IDeviceMacro.GetEvents", "IDeviceMacro.SetEvents",
        "IDeviceApp.GetGuid", "IDeviceApp.Reserved1", "IDeviceApp.GetName", "IDeviceApp.SetName",
        "IApplicationEventSource.GetApp", "IApplicationEventSource.FindApp", "IApplicationEventSource.CreateApp",
        "IApplicationEventSource.DeleteApp",
        "IDeviceMode.GetMode", "IDeviceMode.SetMode",
        "IConnectionPointContainer.EnumConnectionPoints", "IConnectionPointContainer.FindConnectionPoint",
        "IConnectionPoint.GetConnectionInterface", "IConnectionPoint.GetConnectionPointContainer",
        "IConnectionPoint.Advise", "IConnectionPoint.Unadvise", "IConnectionPoint.EnumConnections",
    };
    return operations;
}

bool CCallMonitor::AddFault(const std::string& operation, unsigned count, HRESULT hr, Timing timing, std::string& error)
{
    if (SUCCEEDED(hr)) {
        error = "the result must be a failure (high bit set)";
        return false;
    }
    const std::string name = Lower(operation);
    const bool known = std::any_of(Operations().begin(), Operations().end(), [&](const std::string& op) {
        const std::string lower = Lower(op);
        return lower == name || OperationPart(lower) == name;
    });
    if (!known) {
        error = "no interface has the operation " + operation;
        return false;
    }
    m_faults.erase(std::remove_if(m_faults.begin(), m_faults.end(), [&](const Fault& f) { return Lower(f.name) == name; }),
                   m_faults.end());
    if (count > 0)
        m_faults.push_back(Fault{operation, count, hr, timing});
    return true;
}

bool CCallMonitor::TakeFault(const char* operation, HRESULT& hr, Timing& timing)
{
    if (m_faults.empty())
        return false;
    const std::string full = Lower(operation);
    const std::string part = OperationPart(full);
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        const std::string name = Lower(it->name);
        if (name != full && name != part)
            continue;
        hr = it->hr;
        timing = it->timing;
        if (--it->remaining == 0)
            m_faults.erase(it);
        return true;
    }
    return false;
}

std::vector<std::string> CCallMonitor::DescribeFaults() const
{
    std::vector<std::string> lines;
    for (const Fault& fault : m_faults)
        lines.push_back(fault.name + " " + std::to_string(fault.remaining) + " " + HresultText(fault.hr) +
                        (fault.timing == Timing::After  ? " after"
                         : fault.timing == Timing::Exit ? " exit"
                                                        : ""));
    return lines;
}

bool CCallMonitor::StartLog(const std::wstring& path, std::string& error)
{
    if (!m_log.Open(path)) {
        error = "cannot open " + QuoteText(path) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

void CCallMonitor::LogCall(const char* operation, const std::string& arguments, HRESULT hr)
{
    if (!m_log.IsOpen())
        return;
    std::string line = operation;
    if (!arguments.empty())
        line += " " + arguments;
    line += " -> " + HresultText(hr);
    m_log.WriteLine(line);
}
