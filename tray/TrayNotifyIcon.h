// The tray program's icon in the notification area: added with the hidden dialog as the window that
// gets its mouse messages, added again whenever the shell announces a new taskbar, shown with the
// profile menu on request, and removed when the object goes. The object is also a hidden helper window,
// which is what receives the shell's "TaskbarCreated" broadcast.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/Wnd.h"

namespace tray {

class CTrayNotifyIcon : public CWnd {
public:
    CTrayNotifyIcon();
    ~CTrayNotifyIcon() override;

    // Adds the icon for `owner` with the tip (cut to what the shell holds) and the icon. False when the
    // menu, the helper window or the shell fails.
    bool Create(HWND owner, const std::wstring& tip, HICON icon);
    bool IsAdded() const { return m_added; }

    // A mouse message of the icon: 0 when `id` is another icon's; otherwise 1, and a right-button-up
    // shows the menu's first popup at `point` with the owner as the window that gets the command.
    LRESULT OnTrayNotification(UINT id, UINT mouseMessage, POINT point);
    // The same at the cursor's position.
    LRESULT OnTrayNotification(UINT id, UINT mouseMessage);

    // Shows `menu` from now on; the caller keeps it and destroys it after replacing it here.
    void SetMenu(HMENU menu);
    HMENU GetMenu() const { return m_menu; }
    // The popup's default item, by command id or by position.
    void SetDefaultMenuItem(UINT item, bool byPosition);

    // The shell's generation of the notify data: 0 to 3. Fixed at construction.
    int ShellVersion() const { return m_shellVersion; }
    const NOTIFYICONDATAW& NotifyData() const { return m_data; }

    // The message the shell broadcasts when it has (re)started.
    static UINT TaskbarCreatedMessage();

    BEGIN_MSG_MAP(CTrayNotifyIcon)
        MESSAGE_HANDLER(TaskbarCreatedMessage(), OnTaskbarCreated)
    END_MSG_MAP()

private:
    LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&);
    void ApplyDefaultItem();
    void ReleaseMenu();

    NOTIFYICONDATAW m_data{};
    bool m_added = false;
    HWND m_owner = nullptr;
    HMENU m_menu = nullptr;
    bool m_ownsMenu = false;
    UINT m_defaultItem = 0;
    bool m_defaultByPosition = true;
    int m_shellVersion = 0;
};

// The shell's generation as the program finds it: 3 from major version 6 on, else from shell32's
// version: 2 above 5, 1 above 4, 0 otherwise.
int DetectShellVersion();
// cbSize of NOTIFYICONDATAW for a shell generation, as this build lays the structure out.
DWORD NotifyIconDataSize(int shellVersion);

} // namespace tray
