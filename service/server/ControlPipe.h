// The control pipe "\\.\pipe\TessarySimKeyboard": a thread that accepts one client at a time, reads its
// one-line request, hands it to the service's window with SendMessage (so that only the service's thread
// touches the state) and writes the reply back.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <string>

// Messages the pipe thread sends to the service's window.
constexpr UINT kControlOpenMessage = WM_APP + 20;     // a client connected
constexpr UINT kControlCommandMessage = WM_APP + 21;  // lParam: ControlRequest*
constexpr UINT kControlCloseMessage = WM_APP + 22;    // the client is gone

struct ControlRequest {
    std::string line;   // without its line end
    std::string reply;  // lines, each ending in "\n", the last one "OK" or "ERROR <message>"
};

constexpr wchar_t kControlPipeName[] = L"\\\\.\\pipe\\TessarySimKeyboard";

class CControlPipe {
public:
    CControlPipe() = default;
    ~CControlPipe() { Stop(); }
    CControlPipe(const CControlPipe&) = delete;
    CControlPipe& operator=(const CControlPipe&) = delete;

    // Creates the pipe's first instance; false, with a message, when another process serves the name or
    // the pipe cannot be made. A service that cannot claim the pipe must not run: another one does.
    bool Claim(std::wstring& error);
    // Starts serving requests to the window (claiming the pipe first when needed).
    bool Start(HWND window, std::wstring& error);
    // Ends the thread. Must run on the window's thread: sent messages are handled while it waits, so a
    // request that arrives meanwhile still gets its reply.
    void Stop();

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Run();
    void Serve(HANDLE pipe);
    bool ReadRequest(HANDLE pipe, std::string& line);
    bool WriteAll(HANDLE pipe, const std::string& text);
    void AwaitClientClose(HANDLE pipe);
    CHandle CreateInstance(bool first);
    // Waits for an overlapped operation; false on timeout or a stop request (when `stoppable`).
    bool Await(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs, bool stoppable, DWORD& transferred);

    HWND m_window = nullptr;
    CHandle m_listening;
    CHandle m_stop;
    CHandle m_thread;
};
