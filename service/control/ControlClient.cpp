// The control pipe's client and the hold on the device service's class.
#include "service/control/ControlClient.h"

#include "DeviceService.h"
#include "framework/Handle.h"
#include "service/ServiceStart.h"

#include <algorithm>

const wchar_t kSimControlPipeName[] = L"\\\\.\\pipe\\TessarySimKeyboard";

namespace {

// A state dump of a full keyboard stays far below this; more means the reply is not one.
constexpr size_t kMaxReplyBytes = 64u << 20;
// How often a missing pipe is looked for again.
constexpr DWORD kPipePollMs = 20;

DWORD Remaining(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 0x7FFFFFFF));
}

bool PipeMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

ControlReply Failure(ControlStatus status, std::string message)
{
    ControlReply reply;
    reply.status = status;
    reply.message = std::move(message);
    return reply;
}

std::string ErrorText(const char* what, DWORD error) { return std::string(what) + " (error " + std::to_string(error) + ")"; }

// Completes one overlapped read or write, or cancels it at the deadline. ERROR_SUCCESS, WAIT_TIMEOUT or
// the operation's error; ERROR_MORE_DATA (a message longer than the buffer) comes with its bytes.
DWORD FinishIo(HANDLE pipe, OVERLAPPED* overlapped, BOOL completed, DWORD* transferred, ULONGLONG deadline)
{
    *transferred = 0;
    if (!completed) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING)
            return error;
        if (WaitForSingleObject(overlapped->hEvent, Remaining(deadline)) != WAIT_OBJECT_0) {
            CancelIo(pipe);
            // The buffer must not be written after this returns.
            GetOverlappedResult(pipe, overlapped, transferred, TRUE);
            *transferred = 0;
            return WAIT_TIMEOUT;
        }
    }
    if (!GetOverlappedResult(pipe, overlapped, transferred, FALSE))
        return GetLastError();
    return ERROR_SUCCESS;
}

bool IsFinalLine(const std::string& line)
{
    return line == "OK" || line == "ERROR" || line.compare(0, 6, "ERROR ") == 0;
}

// The lines of `data`, without "\n" or "\r\n"; a last line without its line end is kept.
std::vector<std::string> SplitLines(const std::string& data)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        const size_t next = end == std::string::npos ? data.size() : end + 1;
        if (end == std::string::npos)
            end = data.size();
        if (end > start && data[end - 1] == '\r')
            --end;
        lines.push_back(data.substr(start, end - start));
        start = next;
    }
    return lines;
}

// The reply is whole once what arrived ends with a complete final line: a final-looking line with more
// text after it was part of the reply's body.
bool ReplyComplete(const std::string& data)
{
    if (data.size() < 2 || data.back() != '\n')
        return false;
    const size_t end = data.size() - 1;
    const size_t previous = data.rfind('\n', end - 1);
    const size_t begin = previous == std::string::npos ? 0 : previous + 1;
    size_t length = end - begin;
    if (length > 0 && data[begin + length - 1] == '\r')
        --length;
    return IsFinalLine(data.substr(begin, length));
}

ControlReply ParseReply(const std::string& data)
{
    std::vector<std::string> lines = SplitLines(data);
    if (lines.empty())
        return Failure(ControlStatus::Failed, "the service closed the pipe without answering");
    const std::string last = lines.back();
    if (!IsFinalLine(last))
        return Failure(ControlStatus::Failed, "the reply ended without OK or ERROR");
    lines.pop_back();
    ControlReply reply;
    reply.lines = std::move(lines);
    if (last == "OK") {
        reply.status = ControlStatus::Ok;
    } else {
        reply.status = ControlStatus::Error;
        reply.message = last.size() > 6 ? last.substr(6) : std::string();
    }
    return reply;
}

} // namespace

std::string Utf8FromWide(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

bool WaitForControlPipe(DWORD timeoutMs, const wchar_t* pipeName)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // Asks without connecting, so the service's one listening instance stays free for the client.
        if (WaitNamedPipeW(pipeName, 1) || !PipeMissing(GetLastError()))
            return true;
        if (Remaining(deadline) == 0)
            return false;
        Sleep(std::min(kPipePollMs, Remaining(deadline)));
    }
}

ControlReply SendControlCommand(const std::string& command, const ControlOptions& options)
{
    if (command.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return Failure(ControlStatus::Failed, "a command is a single line");

    const ULONGLONG pipeDeadline = GetTickCount64() + options.pipeMs;
    // Set once the pipe is seen: from then on the service is there and replyMs runs.
    ULONGLONG deadline = 0;

    HANDLE opened = INVALID_HANDLE_VALUE;
    for (;;) {
        opened = CreateFileW(options.pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
        const DWORD error = opened == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (!deadline && !PipeMissing(error))
            deadline = GetTickCount64() + options.replyMs;
        if (opened != INVALID_HANDLE_VALUE)
            break;
        if (error == ERROR_PIPE_BUSY) {
            // Another client is being served; the wait ends when the service listens again.
            if (Remaining(deadline) == 0)
                return Failure(ControlStatus::Failed, "the service stayed busy with another client");
            WaitNamedPipeW(options.pipeName, std::max<DWORD>(1, Remaining(deadline)));
        } else if (PipeMissing(error)) {
            // Once seen, a missing pipe is the service between two listening instances, or leaving.
            const ULONGLONG until = deadline ? deadline : pipeDeadline;
            if (Remaining(until) == 0)
                return deadline ? Failure(ControlStatus::Failed, "the control pipe went away")
                                : Failure(ControlStatus::NotRunning, "the device service is not running (no control pipe)");
            Sleep(std::min(kPipePollMs, Remaining(until)));
        } else {
            return Failure(ControlStatus::Failed, ErrorText("the control pipe could not be opened", error));
        }
    }
    CHandle pipe(opened);
    CHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (event.IsNull())
        return Failure(ControlStatus::Failed, ErrorText("no event for the pipe", GetLastError()));

    const std::string request = command + "\n";
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event;
    DWORD written = 0;
    BOOL done = WriteFile(pipe, request.data(), static_cast<DWORD>(request.size()), nullptr, &overlapped);
    DWORD error = FinishIo(pipe, &overlapped, done, &written, deadline);
    if (error == WAIT_TIMEOUT)
        return Failure(ControlStatus::Failed, "the service did not take the command in time");
    if (error != ERROR_SUCCESS || written != request.size())
        return Failure(ControlStatus::Failed, ErrorText("the command could not be sent", error));

    std::string data;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        ResetEvent(event);
        DWORD got = 0;
        done = ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &overlapped);
        error = FinishIo(pipe, &overlapped, done, &got, deadline);
        if (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
            data.append(buffer.data(), got);
            if (data.size() > kMaxReplyBytes)
                return Failure(ControlStatus::Failed, "the reply is too long");
            if (ReplyComplete(data))
                break;
        } else if (error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_NO_DATA) {
            break;  // the service closed after its reply (or before finishing it: ParseReply tells)
        } else if (error == WAIT_TIMEOUT) {
            return Failure(ControlStatus::Failed, "the service did not answer in time");
        } else {
            return Failure(ControlStatus::Failed, ErrorText("the reply could not be read", error));
        }
    }
    return ParseReply(data);
}

HRESULT CServiceHold::Acquire()
{
    if (m_service)
        return S_OK;
    // IUnknown needs no proxy of ours: the hold works even before the proxy DLL is registered.
    return CreateDeviceService(CLSCTX_LOCAL_SERVER, IID_IUnknown, reinterpret_cast<void**>(&m_service));
}

bool CServiceHold::AcquireServing(DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (FAILED(Acquire()) && ::GetTickCount64() < end)
        ::Sleep(100);
    return Held() && WaitForControlPipe(timeoutMs);
}

void CServiceHold::Release()
{
    if (m_service) {
        m_service->Release();
        m_service = nullptr;
    }
}
