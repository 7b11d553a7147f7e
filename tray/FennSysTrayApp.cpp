// Start and end of the tray program.
#include "tray/FennSysTrayApp.h"

#include "tray/TrayIds.h"

#include <commctrl.h>

#include <utility>

namespace tray {

CFennSysTrayApp::~CFennSysTrayApp()
{
    ExitInstance();
}

bool CFennSysTrayApp::InitInstance()
{
    CHandle mutex(::CreateMutexW(nullptr, FALSE, kSingleInstanceMutex));
    if (!mutex.IsNull() && ::GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    m_mutex = std::move(mutex);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);

    m_dialog = std::make_unique<CFennSysTrayDlg>();
    m_dialog->SetQuitOnDestroy(true);
    if (!m_dialog->Create(nullptr) || !m_dialog->IconCreated()) {
        // Without its icon the program has no face: after the message it ends instead of lingering.
        ExitInstance();
        return false;
    }
    return true;
}

int CFennSysTrayApp::Run()
{
    m_exitCode = RunMessageLoop();
    return m_exitCode;
}

int CFennSysTrayApp::ExitInstance()
{
    if (m_dialog) {
        m_dialog->SetQuitOnDestroy(false);
        m_dialog.reset();
    }
    m_mutex.CloseHandle();
    return m_exitCode;
}

} // namespace tray
