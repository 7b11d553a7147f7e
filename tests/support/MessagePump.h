// The one message pump of the tests: each area's PumpUntil is this with its own deadline.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>

// Handles this thread's messages one at a time until `done` holds or `timeoutMs` passes; the result is
// `done`'s last answer. `preTranslate`, where given, sees each message first and keeps it from being
// dispatched by answering true (the framework's pre-translation walk, as in the programs' loops). A
// WM_QUIT met on the way is put back for the caller. The wait between messages is short, so a condition
// that another thread or process fulfils without a message is seen soon too.
inline bool PumpMessagesUntilDone(const std::function<bool()>& done, DWORD timeoutMs,
                                  bool (*preTranslate)(MSG*) = nullptr)
{
    constexpr ULONGLONG kPollMs = 50;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return done();
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(deadline - now, kPollMs)),
                                        QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return done();
        }
        if (preTranslate == nullptr || !preTranslate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}
