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
    // name replaces the earlier one. With `after` the call does its work first and only its answer is
    // the failure, as when the answer of a call the keyboard carried out is lost. False, with a
    // message, for a name no interface has or a result that is not a failure.
    bool AddFault(const std::string& operation, unsigned count, HRESULT hr, bool after, std::string& error);
    void ClearFaults() { m_faults.clear(); }
    // When a failure is pending for the operation ("Interface.Operation"), uses up one and gives it.
    bool TakeFault(const char* operation, HRESULT& hr, bool& after);
    // "name count hresult [after]" for each pending failure.
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
        bool after = false;
    };
    std::vector<Fault> m_faults;
    CLogFile m_log;
};
