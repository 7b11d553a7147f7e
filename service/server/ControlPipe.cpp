// The control pipe's thread.
#include "service/server/ControlPipe.h"

#include <algorithm>
#include <utility>

namespace {

constexpr DWORD kBufferBytes = 64 * 1024;
// A request longer than this is no command of ours.
constexpr std::size_t kMaxRequestBytes = 64 * 1024;
// How long a connected client may take to send its line, and to read the reply and close.
constexpr DWORD kRequestTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 5000;

} // namespace

bool CControlPipe::Claim(std::wstring& error)
{
    if (!m_listening.IsNull())
        return true;
    m_listening = CreateInstance(true);
    if (m_listening.IsNull()) {
        const DWORD code = GetLastError();
        error = code == ERROR_ACCESS_DENIED ? L"another process serves the control pipe"
                                            : L"cannot create the control pipe (error " + std::to_wstring(code) + L")";
        return false;
    }
    return true;
}

bool CControlPipe::Start(HWND window, std::wstring& error)
{
    if (!Claim(error))
        return false;
    m_window = window;
    m_stop.Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_thread.Attach(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (m_thread.IsNull()) {
        error = L"cannot start the control pipe's thread";
        m_listening.CloseHandle();
        return false;
    }
    return true;
}

void CControlPipe::Stop()
{
    if (!m_thread.IsNull()) {
        SetEvent(m_stop);
        // The thread may be waiting in SendMessage for this very thread: handle sent messages until
        // it has finished.
        const ULONGLONG deadline = GetTickCount64() + kRequestTimeoutMs + kCloseTimeoutMs + 5000;
        const HANDLE thread = m_thread;
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                break;
            const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, static_cast<DWORD>(deadline - now), QS_SENDMESSAGE);
            if (wait != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        m_thread.CloseHandle();
    }
    m_listening.CloseHandle();
    m_stop.CloseHandle();
}

CHandle CControlPipe::CreateInstance(bool first)
{
    // The first instance claims the name: a second service process must not answer for this one.
    const DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return CHandle(CreateNamedPipeW(kControlPipeName, mode,
                                    PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                    PIPE_UNLIMITED_INSTANCES, kBufferBytes, kBufferBytes, 0, nullptr));
}

DWORD WINAPI CControlPipe::ThreadProc(void* self)
{
    static_cast<CControlPipe*>(self)->Run();
    return 0;
}

bool CControlPipe::Await(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs, bool stoppable, DWORD& transferred)
{
    const HANDLE waits[2] = {overlapped.hEvent, m_stop};
    const DWORD wait = WaitForMultipleObjects(stoppable ? 2 : 1, waits, FALSE, timeoutMs);
    if (wait != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &overlapped);
        GetOverlappedResult(pipe, &overlapped, &transferred, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, &transferred, FALSE) != FALSE;
}

void CControlPipe::Run()
{
    const CHandle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    while (WaitForSingleObject(m_stop, 0) != WAIT_OBJECT_0) {
        if (m_listening.IsNull()) {
            m_listening = CreateInstance(false);
            if (m_listening.IsNull()) {
                // Try again a little later rather than spin; a stop request ends the wait.
                WaitForSingleObject(m_stop, 1000);
                continue;
            }
        }
        OVERLAPPED overlapped = {};
        overlapped.hEvent = connected;
        ResetEvent(connected);
        bool ok = ConnectNamedPipe(m_listening, &overlapped) != FALSE;
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        if (!ok && error == ERROR_IO_PENDING) {
            DWORD ignored = 0;
            ok = Await(m_listening, overlapped, INFINITE, true, ignored);
        } else if (!ok && error == ERROR_PIPE_CONNECTED) {
            ok = true;  // the client came before the wait
        }
        const CHandle client(std::move(m_listening));
        if (ok) {
            // The next client finds an instance while this one is served; it waits for its turn.
            m_listening = CreateInstance(false);
            Serve(client);
            DisconnectNamedPipe(client);
        }
    }
}

void CControlPipe::Serve(HANDLE pipe)
{
    SendMessageW(m_window, kControlOpenMessage, 0, 0);
    ControlRequest request;
    if (ReadRequest(pipe, request.line)) {
        if (SendMessageW(m_window, kControlCommandMessage, 0, reinterpret_cast<LPARAM>(&request)) == 0)
            request.reply = "ERROR the service is not running\n";
        if (WriteAll(pipe, request.reply))
            AwaitClientClose(pipe);
    }
    SendMessageW(m_window, kControlCloseMessage, 0, 0);
}

bool CControlPipe::ReadRequest(HANDLE pipe, std::string& line)
{
    const CHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::string data;
    bool complete = false;
    const ULONGLONG deadline = GetTickCount64() + kRequestTimeoutMs;
    while (!complete && data.size() <= kMaxRequestBytes) {
        char buffer[4096];
        OVERLAPPED overlapped = {};
        overlapped.hEvent = done;
        ResetEvent(done);
        DWORD got = 0;
        bool ok = ReadFile(pipe, buffer, sizeof(buffer), nullptr, &overlapped) != FALSE;
        if (!ok && GetLastError() != ERROR_IO_PENDING)
            break;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || !Await(pipe, overlapped, static_cast<DWORD>(deadline - now), true, got) || got == 0)
            break;
        data.append(buffer, got);
        complete = data.find('\n') != std::string::npos;
    }
    if (!complete)
        return false;
    line = data.substr(0, data.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool CControlPipe::WriteAll(HANDLE pipe, const std::string& text)
{
    const CHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::size_t sent = 0;
    bool ok = true;
    while (ok && sent < text.size()) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = done;
        ResetEvent(done);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - sent, kBufferBytes));
        DWORD written = 0;
        ok = WriteFile(pipe, text.data() + sent, chunk, nullptr, &overlapped) != FALSE || GetLastError() == ERROR_IO_PENDING;
        // A reply is written in full even while the service stops: the client waits for it.
        ok = ok && Await(pipe, overlapped, kCloseTimeoutMs, false, written) && written > 0;
        sent += written;
    }
    return ok;
}

void CControlPipe::AwaitClientClose(HANDLE pipe)
{
    // Disconnecting drops what the client has not read yet: wait until it closes its end.
    const CHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const ULONGLONG deadline = GetTickCount64() + kCloseTimeoutMs;
    for (;;) {
        char buffer[256];
        OVERLAPPED overlapped = {};
        overlapped.hEvent = done;
        ResetEvent(done);
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof(buffer), nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
            break;  // closed
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || !Await(pipe, overlapped, static_cast<DWORD>(deadline - now), false, got))
            break;
    }
}
