// CConfigDriver: drives a running TessaryConfig.exe from another process as a user would, through the
// configurator's automation lookup (configurator/Automation.h): waits for its main dialog, picks keys,
// presses the assignment buttons and answers the popups they open, works the profiles and lighting
// pages, presses Apply and waits for the write. Every wait has a deadline; a step that fails leaves its reason in Error().
#pragma once

#include "framework/Wnd.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

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
    // Shows the page of a tab (config::kIdTab*).
    bool ShowPage(int tabId);
    // The profiles page: its buttons, the list's menu (entry by its position in the skin's menu) and
    // its check cells (row and column of the list), each with what it opens answered.
    bool NewProfile(const std::wstring& name);
    bool ProfileMenu(int row, int entry);
    // Opens the list's menu on the row and leaves it open; its window, or null.
    HWND OpenProfileMenu(int row);
    // The list menu that is open, or null.
    HWND OpenListMenu();
    // Chooses an entry of an open list menu (-1: none, the menu closes).
    bool ChooseMenuEntry(HWND menu, int entry);
    bool RenameProfile(int row, int entry, const std::wstring& name);
    bool LinkProgram(int row, int entry, const std::wstring& path);
    bool ClickProfileCell(int row, int column);
    bool DeleteProfile(int row);
    // The export returns once the file is chosen; the keyboard writes the file a moment later.
    bool ExportProfile(int row, const std::wstring& path);
    // Waits until the imported profile is in the dialog (which is dirty then): import with Apply done.
    bool ImportProfile(const std::wstring& path);
    // Presses a button of the shown page and, with `answer`, confirms the popup it opens.
    bool PressPageButton(int itemId, bool answer = false);
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

    // ---- The macros page
    // Shows the macros page, or the key page again.
    // Presses New, types the name into the name popup and confirms it.
    bool CreateMacro(const std::wstring& name);
    // Presses Record, types the keys (virtual key, scan code; each pressed and released) as real input,
    // waits until the macro display shows them, then presses Stop.
    bool RecordMacro(const std::vector<std::pair<UINT, UINT>>& keys);
    // Selects the macro's first event and inserts a delay of `milliseconds` after it.
    bool InsertDelayAfterFirst(unsigned milliseconds);
    // Rows of the editable macro display; -1 when it can't be read.
    int MacroRows();

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
    // Types the path into the file dialog the main dialog opened and confirms it.
    bool AnswerFileDialog(const std::wstring& path);
    // Types the name into the name popup that opens and confirms it.
    bool AnswerNamePopup(const std::wstring& name);
    // Waits until the dialog is idle: shown, no popup open, nothing waiting to be painted.
    bool WaitIdle(const char* what);
    // The profile list's window and the client point of a cell; false when it cannot be found.
    bool ProfileCellPoint(int row, int column, HWND& list, POINT& point);
    bool SelectProfileRow(int row);
    // Waits for `done` with a deadline, handling this thread's messages and looking again every m_pollMs.
    template <class Done>
    bool Wait(Done done, DWORD timeoutMs)
    {
        return PumpMessagesUntil(done, timeoutMs, m_pollMs);
    }

    DWORD m_stepMs;
    DWORD m_pollMs = 20;
    std::string m_error;
};

