// The control pipe's client against a stand-in service on a pipe of the test's own: what it sends, how
// it reads replies however they are cut, and how it ends when the service is missing, busy or silent.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/Handle.h"
#include "service/control/ControlClient.h"

namespace {

std::wstring UniquePipeName()
{
    static std::atomic<int> counter{0};
    return L"\\\\.\\pipe\\TessaryControlTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

// How the stand-in answers one client.
struct Script {
    std::vector<std::string> chunks;  // written one by one
    bool closeAfterReply = false;     // else it waits for the client to close, as the service does
};

// A one-instance pipe server on a thread: for each script in turn it accepts a client, reads the
// request line and plays the script. Every thread it starts ends with it.
class CStandInService {
public:
    explicit CStandInService(std::vector<Script> scripts) : m_name(UniquePipeName())
    {
        m_pipe.Attach(CreateNamedPipeW(m_name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                       1, 4096, 4096, 0, nullptr));
        if (!m_pipe.IsNull())
            m_thread = std::thread([this, scripts] { Serve(scripts); });
    }
    // The pipe is closed after the thread that serves it has ended.
    ~CStandInService()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    CStandInService(const CStandInService&) = delete;
    CStandInService& operator=(const CStandInService&) = delete;

    bool Ready() const { return !m_pipe.IsNull(); }
    ControlOptions Options(DWORD replyMs = 10000) const
    {
        ControlOptions options;
        options.pipeName = m_name.c_str();
        options.replyMs = replyMs;
        return options;
    }
    // The requests as they arrived, line ends included. Read after the service thread ended.
    std::vector<std::string> Requests()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_requests;
    }

private:
    void Serve(const std::vector<Script>& scripts)
    {
        for (const Script& script : scripts) {
            if (!ConnectNamedPipe(m_pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED)
                return;
            std::string request;
            char c = 0;
            DWORD got = 0;
            while (ReadFile(m_pipe, &c, 1, &got, nullptr) && got == 1) {
                request += c;
                if (c == '\n')
                    break;
            }
            m_requests.push_back(request);
            for (const std::string& chunk : script.chunks) {
                DWORD written = 0;
                WriteFile(m_pipe, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
            }
            // Either way the reply is read whole before the pipe closes: disconnecting drops unread bytes.
            if (script.closeAfterReply)
                FlushFileBuffers(m_pipe);
            else
                while (ReadFile(m_pipe, &c, 1, &got, nullptr) && got == 1) {
                }
            DisconnectNamedPipe(m_pipe);
        }
    }

    std::wstring m_name;
    CHandle m_pipe;
    std::thread m_thread;
    std::vector<std::string> m_requests;
};

TEST(ControlClientReplies, LinesBeforeTheFinalOkComeBackWhateverTheirCut)
{
    CStandInService service({
        {{"devices 1\r\n", "  keyboard 272 plug", "ged\n", "OK\n"}, false},
        {{"OK\r\n"}, true},
        {{"\xC3\xA9t\xC3\xA9\nOK"}, true},  // the service may close without the last line end
    });
    ASSERT_TRUE(service.Ready());

    ControlReply reply = SendControlCommand("state", service.Options());
    EXPECT_EQ(reply.status, ControlStatus::Ok) << reply.message;
    EXPECT_EQ(reply.lines, (std::vector<std::string>{"devices 1", "  keyboard 272 plugged"}));

    reply = SendControlCommand("pid", service.Options());
    EXPECT_EQ(reply.status, ControlStatus::Ok) << reply.message;
    EXPECT_TRUE(reply.lines.empty());

    reply = SendControlCommand("launch C:\\\xC3\xA9t\xC3\xA9.exe", service.Options());
    EXPECT_EQ(reply.status, ControlStatus::Ok) << reply.message;
    EXPECT_EQ(reply.lines, (std::vector<std::string>{"\xC3\xA9t\xC3\xA9"}));
    EXPECT_EQ(WideFromUtf8(reply.lines[0]), L"\u00e9t\u00e9");

    EXPECT_EQ(service.Requests(),
              (std::vector<std::string>{"state\n", "pid\n", "launch C:\\\xC3\xA9t\xC3\xA9.exe\n"}));
}

TEST(ControlClientReplies, ErrorCarriesItsMessageAndBodyLinesThatLookFinalStayBody)
{
    CStandInService service({
        {{"ERROR unknown command: wobble\n"}, false},
        {{"ERROR\n"}, false},
        {{"OK\nERROR in a profile name\nlast\nOK\n"}, false},
    });
    ASSERT_TRUE(service.Ready());

    ControlReply reply = SendControlCommand("wobble", service.Options());
    EXPECT_EQ(reply.status, ControlStatus::Error);
    EXPECT_EQ(reply.message, "unknown command: wobble");

    reply = SendControlCommand("fail", service.Options());
    EXPECT_EQ(reply.status, ControlStatus::Error);
    EXPECT_EQ(reply.message, "");

    reply = SendControlCommand("state", service.Options());
    EXPECT_EQ(reply.status, ControlStatus::Ok);
    EXPECT_EQ(reply.lines, (std::vector<std::string>{"OK", "ERROR in a profile name", "last"}));
}

TEST(ControlClientFailures, CutShortOrSilentRepliesFailInsteadOfPassing)
{
    CStandInService service({
        {{"devices 1\n"}, true},  // closed before the final line
        {{}, true},               // closed without a word
        {{"devices 1\n"}, false}, // stays open and says no more
    });
    ASSERT_TRUE(service.Ready());

    EXPECT_EQ(SendControlCommand("state", service.Options()).status, ControlStatus::Failed);
    EXPECT_EQ(SendControlCommand("state", service.Options()).status, ControlStatus::Failed);
    const ControlReply silent = SendControlCommand("state", service.Options(300));
    EXPECT_EQ(silent.status, ControlStatus::Failed);
    EXPECT_NE(silent.message.find("in time"), std::string::npos) << silent.message;
}

TEST(ControlClientFailures, CommandsThatWouldSplitAreNeverSent)
{
    CStandInService service({{{"OK\n"}, false}});
    ASSERT_TRUE(service.Ready());

    EXPECT_EQ(SendControlCommand("plug\nquit", service.Options()).status, ControlStatus::Failed);
    EXPECT_EQ(SendControlCommand("plug\rquit", service.Options()).status, ControlStatus::Failed);
    EXPECT_EQ(SendControlCommand(std::string("plug\0quit", 9), service.Options()).status, ControlStatus::Failed);
    // The one script left is for this command: nothing of the refused ones arrived.
    EXPECT_EQ(SendControlCommand("plug", service.Options()).status, ControlStatus::Ok);
    EXPECT_EQ(service.Requests(), (std::vector<std::string>{"plug\n"}));
}

TEST(ControlClientFailures, MissingPipeMeansTheServiceIsNotRunning)
{
    const std::wstring name = UniquePipeName();
    ControlOptions options;
    options.pipeName = name.c_str();
    options.pipeMs = 100;
    EXPECT_EQ(SendControlCommand("state", options).status, ControlStatus::NotRunning);
    EXPECT_FALSE(WaitForControlPipe(100, name.c_str()));
}

TEST(ControlClientConcurrency, ASecondClientWaitsForTheBusyPipe)
{
    CStandInService service({{{"first\n", "OK\n"}, false}, {{"second\n", "OK\n"}, false}});
    ASSERT_TRUE(service.Ready());
    EXPECT_TRUE(WaitForControlPipe(1000, service.Options().pipeName));

    ControlReply replies[2];
    std::thread other([&] { replies[1] = SendControlCommand("state", service.Options()); });
    replies[0] = SendControlCommand("state", service.Options());
    other.join();

    for (const ControlReply& reply : replies) {
        EXPECT_EQ(reply.status, ControlStatus::Ok) << reply.message;
        ASSERT_EQ(reply.lines.size(), 1u);
    }
    EXPECT_NE(replies[0].lines[0], replies[1].lines[0]);
}

} // namespace
