// The simulated service's keyboard process as the tests end it. Wine hands a server its client's
// standard error, and ctest waits for that to close: a test that leaves the process running waits for
// its idle exit. The process is found through the control pipe and told to quit there, or killed as a
// crash would end it.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/Handle.h"
#include "service/ServiceStart.h"
#include "service/control/ControlClient.h"

// The keyboard process that answers on the control pipe within `pipeMs`, opened for waiting and ending;
// null when none answers.
inline CHandle OpenKeyboardProcess(DWORD pipeMs)
{
    ControlOptions options;
    options.pipeMs = pipeMs;
    const ControlReply reply = SendControlCommand("pid", options);
    if (reply.status != ControlStatus::Ok || reply.lines.size() != 1)
        return CHandle();
    return CHandle(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, DWORD(std::stoul(reply.lines[0]))));
}

// Tells the keyboard process that answers to quit and returns it, for the caller to wait on once it has
// let go of its own references to the service; null when none answered (nothing was told).
inline CHandle QuitKeyboardProcess(DWORD pipeMs)
{
    CHandle process = OpenKeyboardProcess(pipeMs);
    if (!process.IsNull()) {
        ControlOptions options;
        options.pipeMs = pipeMs;
        SendControlCommand("quit", options);
    }
    return process;
}

// Ends the keyboard process that answers, as a crash would, and waits until it is gone. Call with
// ASSERT_NO_FATAL_FAILURE.
inline void KillKeyboardProcess()
{
    const CHandle process = OpenKeyboardProcess(200);
    ASSERT_FALSE(process.IsNull());
    ASSERT_TRUE(TerminateProcess(process, 9));
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
}

// Creates the service's object `iid` (the first creation starts the service). COM refuses the class for
// a moment after a keyboard process ended: such answers are retried until the deadline, with this
// thread's messages handled in between.
inline HRESULT CreateServiceWhenReady(REFIID iid, void** object, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const HRESULT hr = CreateDeviceService(CLSCTX_LOCAL_SERVER, iid, object);
        if (SUCCEEDED(hr) || GetTickCount64() >= deadline)
            return hr;
        const ULONGLONG retry = GetTickCount64() + 100;
        for (ULONGLONG now = GetTickCount64(); now < retry; now = GetTickCount64()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(retry - now), QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
}
