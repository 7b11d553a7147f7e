// What the service does with every client call besides the call itself: the failures a test injected
// ("fail" control command) and the call log ("log" control command). Operations are named
// "Interface.Operation" as the interface definition spells them.
#pragma once

#include "service/server/ServiceText.h"

#include <windows.h>

#include <string>
#include <vector>

class CCallMonitor {
public:
    // Makes the next `count` calls of the operation fail with `hr`. The name is "Interface.Operation" or
    // "Operation" alone (that operation of every interface), in any case; a later request for the same
    // name replaces the earlier one. With After the call does its work first and only its answer is
    // the failure, as when the answer of a call the keyboard carried out is lost; with Exit the process
    // ends there instead of answering, as when it is killed at that moment. False, with a message, for
    // a name no interface has or a result that is not a failure.
    enum class Timing { Before, After, Exit };
    bool AddFault(const std::string& operation, unsigned count, HRESULT hr, Timing timing, std::string& error);
    void ClearFaults() { m_faults.clear(); }
    // When a failure is pending for the operation ("Interface.Operation"), uses up one and gives it.
    bool TakeFault(const char* operation, HRESULT& hr, Timing& timing);
    // "name count hresult [after|exit]" for each pending failure.
    std::vector<std::string> DescribeFaults() const;

    // Appends to the file from now on (creating it); false with a message when it cannot be opened.
    bool StartLog(const std::wstring& path, std::string& error);
    void StopLog() { m_log.Close(); }
    bool Logging() const { return m_log.IsOpen(); }
    const std::wstring& LogPath() const { return m_log.Path(); }
    // One line: time, operation, arguments in short, result.
    void LogCall(const char* operation, const std::string& arguments, HRESULT hr);

    // Every operation a client can call, "Interface.Operation".
    static const std::vector<std::string>& Operations();

private:
    struct Fault {
        std::string name;  // as the request gave it; matched in any case
        unsigned remaining = 0;
        HRESULT hr = E_FAIL;
        Timing timing = Timing::Before;
    };
    std::vector<Fault> m_faults;
    CLogFile m_log;
};
