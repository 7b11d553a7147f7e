// CConfigDriver: drives a running TessaryConfig.exe from another process as a user would, through the
// configurator's automation lookup (configurator/Automation.h): waits for its main dialog, picks keys,
// presses the assignment buttons and answers the popups they open, presses Apply and waits for the
// write. Every wait has a deadline; a step that fails leaves its reason in Error().
#pragma once

#include <windows.h>

#include <string>

class CConfigDriver {
public:
    explicit CConfigDriver(DWORD stepTimeoutMs = 20000) : m_stepMs(stepTimeoutMs) {}

    // The main dialog ("SINGLE_INSTANCE_APP_TESSARY"), or null.
    static HWND MainWindow();

    // The main dialog is shown, initialised and has no paint pending, itself or in its widgets.
    bool WaitShown(DWORD timeoutMs);
    // Picks the key of this skin item id (420-539) as a click on it would.
    bool PickKey(int keyId);
    // The five assignments of the picked key. Each presses its button, answers what opens and waits
    // until the key is no longer picked, which the dialog does once it stored the assignment.
    bool AssignDefault();
    bool AssignSingleKey(UINT virtualKey, UINT scanCode);
    // mode: 1 once, 2 multiple (with `count`), 3 until pressed, 4 while pressed.
    bool AssignMacro(int index, int mode, int count);
    bool AssignProfile(int index);
    bool AssignLaunch(const std::wstring& path);
    // Presses the single-key button and waits for its popup, which stays open.
    bool OpenSingleKeyPopup();
    // Types a key into the open single-key popup and confirms it.
    bool FinishSingleKeyPopup(UINT virtualKey, UINT scanCode);
    // Presses Apply and waits until the write ended; false when it failed (the dialog tells the user).
    bool Apply();
    // Waits for one of the configurator's popups and presses its OK (or Cancel) button.
    bool AnswerPopup(bool ok);
    // Presses the tab button `tabId` and waits until the dialog shows its page (`pageFlag`, ConfigIds.h
    // kPage*) and has painted it.
    bool ShowPage(int tabId, unsigned pageFlag);
    // Presses the dialog's exit button and waits until the dialog is gone.
    bool Exit();
    // Waits until no configurator window is left.
    bool WaitClosed(DWORD timeoutMs);

    // The kAutomationState answer of the main dialog; 0 without one.
    LRESULT State();
    // The window of a skin item of `window` (the main dialog or a popup), or null.
    static HWND ItemWindow(HWND window, int itemId);
    // The configurator's open popup (owned by the main dialog and answering the lookup), or null.
    HWND OpenPopup();

    const std::string& Error() const { return m_error; }
    // How often a wait looks again; benchmarks that time the steps look every millisecond or two.
    void SetPollMs(DWORD pollMs) { m_pollMs = pollMs; }

private:
    bool Fail(const std::string& reason);
    bool Click(HWND window, int itemId);
    HWND WaitPopup(HWND notThis = nullptr);
    bool WaitPopupGone(HWND popup);
    // Waits until the assignment ended: no key picked and no popup open.
    bool WaitAssigned(const char* what);
    bool Choose(HWND popup, int index);

    DWORD m_stepMs;
    DWORD m_pollMs = 20;
    std::string m_error;
};

// Waits for `done` with a deadline, handling this thread's messages meanwhile and looking again every
// `pollMs` at the latest.
template <class Done>
bool WaitForCondition(Done done, DWORD timeoutMs, DWORD pollMs = 20)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, pollMs, QS_ALLINPUT);
    }
}
