// The client side of the simulated keyboard service's control pipe: one command line out, the reply's
// lines back, with deadlines throughout so that a missing or stuck service never hangs the caller. Also
// a hold on the service's COM class, which starts the service and keeps it running while a client talks.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

extern const wchar_t kSimControlPipeName[];

enum class ControlStatus {
    Ok,          // the service answered "OK"
    Error,       // the service answered "ERROR <message>"
    NotRunning,  // no pipe appeared in time: the service is not running
    Failed,      // the command was refused before sending, or the exchange broke or timed out
};

struct ControlReply {
    ControlStatus status = ControlStatus::Failed;
    // The lines before the final OK or ERROR, UTF-8, without their line ends.
    std::vector<std::string> lines;
    // ERROR's message, or what went wrong on this side.
    std::string message;
};

struct ControlOptions {
    const wchar_t* pipeName = kSimControlPipeName;
    // How long to wait for the pipe to exist. The service may be starting, or between two clients.
    DWORD pipeMs = 1000;
    // How long the rest may take once the pipe is there: waiting while it is busy, sending, the reply.
    DWORD replyMs = 10000;
};

// Sends one command ("state", "unplug 1", ...) and reads the reply. A command holding a line break or
// NUL is refused unsent, since it would reach the service as more than one command.
ControlReply SendControlCommand(const std::string& command, const ControlOptions& options = {});

// True once the pipe exists, false when it did not appear before the deadline.
bool WaitForControlPipe(DWORD timeoutMs, const wchar_t* pipeName = kSimControlPipeName);

std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);

// A reference on the device service's class object: creating it starts the service process when it is
// not running, and the service keeps running at least as long as the reference is held. The calling
// thread must have initialised COM.
class CServiceHold {
public:
    CServiceHold() = default;
    ~CServiceHold() { Release(); }
    CServiceHold(const CServiceHold&) = delete;
    CServiceHold& operator=(const CServiceHold&) = delete;

    HRESULT Acquire();
    // Acquire, tried again until `timeoutMs` (a service that is just ending answers for a moment as if
    // it were not there), then the control pipe waited for: true when the service is held and answers.
    bool AcquireServing(DWORD timeoutMs);
    void Release();
    bool Held() const { return m_service != nullptr; }

private:
    IUnknown* m_service = nullptr;
};
