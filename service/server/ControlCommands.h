// The control commands of the simulated keyboard service (state dump, plugging, the profile key,
// recording, launch and sensitivity events, injected failures, the call log, reset, extra devices,
// process id, quit), run on the service's thread.
#pragma once

#include "service/server/ServiceCore.h"

#include <string>

// Runs one request line; the reply is zero or more lines and a last line "OK" or "ERROR <message>",
// each ending in "\n".
std::string ExecuteControlCommand(CServiceCore& service, const std::string& line);

// The whole state as the "state" command shows it: one line per device, profile, light, changed
// button record, macro and program entry, with the sinks connected per event interface.
std::string DescribeState(CServiceCore& service);
