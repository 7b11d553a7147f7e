// The tray program as a whole: one instance per session (a named mutex), the hidden dialog as its main
// window, and the message loop that runs until the dialog is gone.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Handle.h"
#include "tray/FennSysTrayDlg.h"

namespace tray {

class CFennSysTrayApp {
public:
    CFennSysTrayApp() = default;
    ~CFennSysTrayApp();
    CFennSysTrayApp(const CFennSysTrayApp&) = delete;
    CFennSysTrayApp& operator=(const CFennSysTrayApp&) = delete;

    // False when another instance runs (silently), or when the dialog or its icon could not be made
    // (after the icon's message); nothing of this instance is then left, the mutex included.
    bool InitInstance();
    // The message loop; returns its exit code.
    int Run();
    // Deletes the dialog if it still exists and lets go of the mutex.
    int ExitInstance();

    CFennSysTrayDlg* MainDialog() const { return m_dialog.get(); }
    bool HoldsInstanceMutex() const { return !m_mutex.IsNull(); }

private:
    CHandle m_mutex;
    std::unique_ptr<CFennSysTrayDlg> m_dialog;
    int m_exitCode = 0;
};

} // namespace tray
