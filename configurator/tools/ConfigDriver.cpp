// The configurator's driver: windows found through the automation lookup, clicks and keys posted as
// the mouse and keyboard would send them, and waits with deadlines.
#include "configurator/tools/ConfigDriver.h"

#include <commctrl.h>

#include "configurator/Automation.h"
#include "configurator/ConfigIds.h"
#include "skin/DropdownListItem.h"
#include <commctrl.h>
#include "skin/KeyItem.h"
#include "skin/ListPanelList.h"
#include "skin/PopupBoxSingleKeyEntry.h"

using namespace config;

namespace {

// A window of a hung configurator must not hang its driver.
constexpr UINT kAnswerMs = 2000;

bool Ask(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& answer)
{
    DWORD_PTR result = 0;
    if (!window || !::SendMessageTimeoutW(window, AutomationMessage(), wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result))
        return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

bool IsOurPopup(HWND window)
{
    LRESULT answer = 0;
    return Ask(window, 0, kAutomationState, answer) && (answer & kAutomationIsPopup) != 0;
}

struct OwnedSearch {
    HWND owner;
    bool (*accept)(HWND);
    HWND found;
};

// The first visible top-level window owned by `owner` that `accept` takes.
HWND FindOwned(HWND owner, bool (*accept)(HWND))
{
    OwnedSearch search = {owner, accept, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<OwnedSearch*>(data);
            if (::GetWindow(window, GW_OWNER) == s->owner && ::IsWindowVisible(window) && s->accept(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsFileDialog(HWND window)
{
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return wcscmp(name, L"#32770") == 0;
}

// The list panel a list opens as its menu: a popup of the configurator's with a list of its own that
// does not answer the lookup.
bool IsListMenu(HWND window)
{
    return ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) != nullptr && !IsOurPopup(window);
}

// The window answers and no paint waits in it or in any of its widgets.
bool Painted(HWND window)
{
    LRESULT state = 0;
    return Ask(window, 0, kAutomationState, state) && !(state & kAutomationPaintPending);
}

int PickedKey(LRESULT state) { return static_cast<int>((state >> 16) & 0xFFFF); }

void TypeText(HWND edit, const std::wstring& text)
{
    for (wchar_t c : text)
        ::PostMessageW(edit, WM_CHAR, c, 1);
}

} // namespace

HWND CConfigDriver::MainWindow()
{
    return ::FindWindowW(kMainWindowClass, nullptr);
}

LRESULT CConfigDriver::State()
{
    LRESULT answer = 0;
    return Ask(MainWindow(), 0, kAutomationState, answer) ? answer : 0;
}

HWND CConfigDriver::ItemWindow(HWND window, int itemId)
{
    LRESULT answer = 0;
    return Ask(window, static_cast<WPARAM>(itemId), kAutomationItemWindow, answer) ? reinterpret_cast<HWND>(answer)
                                                                                  : nullptr;
}

HWND CConfigDriver::OpenPopup()
{
    HWND main = MainWindow();
    return main ? FindOwned(main, IsOurPopup) : nullptr;
}

bool CConfigDriver::Fail(const std::string& reason)
{
    m_error = reason;
    return false;
}

bool CConfigDriver::Click(HWND window, int itemId)
{
    HWND item = ItemWindow(window, itemId);
    if (!item)
        return Fail("no window for skin item " + std::to_string(itemId));
    if (!::IsWindowEnabled(item) || !::IsWindowVisible(item))
        return Fail("skin item " + std::to_string(itemId) + " is disabled or hidden");
    // The pointer goes where the click is, as a user's would: a skinned button follows the real pointer
    // while it holds the mouse, and a pointer left elsewhere (by whatever ran before) would take the
    // press away from it.
    RECT rect = {};
    ::GetClientRect(item, &rect);
    POINT point = {(rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2};
    POINT screen = point;
    ::ClientToScreen(item, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::PostMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(item, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    return true;
}

HWND CConfigDriver::WaitPopup(HWND notThis)
{
    HWND popup = nullptr;
    if (!Wait([&] { return (popup = OpenPopup()) != nullptr && popup != notThis && Painted(popup); }, m_stepMs)) {
        Fail("no popup opened");
        return nullptr;
    }
    return popup;
}

bool CConfigDriver::WaitPopupGone(HWND popup)
{
    return Wait([&] { return !::IsWindow(popup) || !::IsWindowVisible(popup); }, m_stepMs) ||
           Fail("the popup stayed open");
}

bool CConfigDriver::WaitAssigned(const char* what)
{
    if (Wait([&] {
            const LRESULT state = State();
            return (state & kAutomationShown) && PickedKey(state) == 0 &&
                   !(state & (kAutomationPopupOpen | kAutomationPaintPending));
        }, m_stepMs))
        return true;
    return Fail(std::string("the ") + what + " assignment did not finish");
}

bool CConfigDriver::WaitShown(DWORD timeoutMs)
{
    if (Wait([&] {
            HWND main = MainWindow();
            return main && ::IsWindowVisible(main) && (State() & kAutomationShown) && Painted(main);
        }, timeoutMs))
        return true;
    return Fail("the configurator's main dialog did not show");
}

bool CConfigDriver::ShowPage(int tabId, unsigned pageFlag)
{
    HWND main = MainWindow();
    if (!Click(main, tabId))
        return false;
    if (Wait([&] {
            const LRESULT state = State();
            return ((state >> kAutomationPageShift) & pageFlag) != 0 && Painted(main);
        }, m_stepMs))
        return true;
    return Fail("the page of tab " + std::to_string(tabId) + " did not show");
}

bool CConfigDriver::PickKey(int keyId)
{
    HWND main = MainWindow();
    if (!main)
        return Fail("no configurator");
    // A second click on the picked key would let it go.
    if (PickedKey(State()) != keyId)
        ::PostMessageW(main, WM_KEYITEM_CLICK, 0, keyId);
    if (Wait([&] { return PickedKey(State()) == keyId && Painted(main); }, m_stepMs))
        return true;
    return Fail("key " + std::to_string(keyId) + " could not be picked");
}

bool CConfigDriver::AssignDefault()
{
    return Click(MainWindow(), kIdAssignDefault) && WaitAssigned("default");
}

bool CConfigDriver::OpenSingleKeyPopup()
{
    return Click(MainWindow(), kIdAssignSingleKey) && WaitPopup() != nullptr;
}

bool CConfigDriver::FinishSingleKeyPopup(UINT virtualKey, UINT scanCode)
{
    HWND popup = OpenPopup();
    HWND edit = popup ? ItemWindow(popup, CPopupBoxSingleKeyEntry::kKeyEditId) : nullptr;
    if (!edit)
        return Fail("no single-key popup with its key field");
    const LPARAM bits = 1 | (static_cast<LPARAM>(scanCode & 0xFF) << 16) | (scanCode > 0xFF ? (1 << 24) : 0);
    ::PostMessageW(edit, WM_KEYDOWN, virtualKey, bits);
    ::PostMessageW(edit, WM_KEYUP, virtualKey, bits | (3u << 30));
    return Click(popup, kIdPopupOk) && WaitPopupGone(popup) && WaitAssigned("single-key");
}

bool CConfigDriver::AssignSingleKey(UINT virtualKey, UINT scanCode)
{
    return OpenSingleKeyPopup() && FinishSingleKeyPopup(virtualKey, scanCode);
}

bool CConfigDriver::Choose(HWND popup, int index)
{
    HWND list = ItemWindow(popup, kIdPopupList);
    if (!list)
        return Fail("the popup has no list");
    // The list's own drop-down reports a choice this way.
    ::PostMessageW(popup, WM_DROPDOWN_SELCHANGE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(list));
    return true;
}

bool CConfigDriver::AssignMacro(int index, int mode, int count)
{
    static const int kModeButtons[5] = {0, kIdPlayOnce, kIdPlayMultiple, kIdPlayUntilPressed, kIdPlayWhilePressed};
    if (mode < 1 || mode > 4)
        return Fail("no play mode " + std::to_string(mode));
    if (!Click(MainWindow(), kIdAssignMacro))
        return false;
    HWND popup = WaitPopup();
    if (!popup || !Choose(popup, index) || !Click(popup, kModeButtons[mode]) || !Click(popup, kIdPopupOk) ||
        !WaitPopupGone(popup))
        return false;
    if (mode == 2) {
        HWND repeat = WaitPopup(popup);
        HWND edit = repeat ? ItemWindow(repeat, kIdPopupNumEntry) : nullptr;
        if (!edit)
            return Fail("no repeat-count popup with its number field");
        for (wchar_t digit : std::to_wstring(count))
            ::PostMessageW(edit, WM_CHAR, digit, 1);
        if (!Click(repeat, kIdPopupOk) || !WaitPopupGone(repeat))
            return false;
    }
    return WaitAssigned("macro");
}

bool CConfigDriver::AssignProfile(int index)
{
    if (!Click(MainWindow(), kIdAssignProfile))
        return false;
    HWND popup = WaitPopup();
    return popup && Choose(popup, index) && Click(popup, kIdPopupOk) && WaitPopupGone(popup) &&
           WaitAssigned("profile-switch");
}

bool CConfigDriver::AssignLaunch(const std::wstring& path)
{
    return Click(MainWindow(), kIdAssignLaunch) && AnswerFileDialog(path) && WaitAssigned("launch-program");
}

bool CConfigDriver::AnswerFileDialog(const std::wstring& path)
{
    HWND main = MainWindow();
    HWND dialog = nullptr;
    if (!Wait([&] { return (dialog = FindOwned(main, IsFileDialog)) != nullptr; }, m_stepMs))
        return Fail("the file dialog did not open");
    // The file name field: a combo box with an edit in the explorer style, a plain edit in the old one.
    HWND field = ::GetDlgItem(dialog, 0x47C);
    if (field) {
        if (HWND edit = ::FindWindowExW(field, nullptr, L"Edit", nullptr))
            field = edit;
    } else {
        field = ::GetDlgItem(dialog, 0x480);
    }
    if (!field)
        return Fail("the file dialog has no file name field");
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    if (!Wait([&] { return !::IsWindow(dialog); }, m_stepMs))
        return Fail("the file dialog did not take the file");
    return true;
}

bool CConfigDriver::WaitIdle(const char* what)
{
    if (Wait([&] {
            const LRESULT state = State();
            return (state & kAutomationShown) && !(state & (kAutomationPopupOpen | kAutomationPaintPending));
        }, m_stepMs))
        return true;
    return Fail(std::string(what) + " did not finish");
}

bool CConfigDriver::ShowPage(int tabId)
{
    // The click is posted: idle alone could still be the old page's, so the page's own flag is awaited.
    for (int i = 0; i < 4; ++i) {
        if (kTabIds[i] == tabId)
            return ShowPage(tabId, kTabPages[i]) && WaitIdle("showing the page");
    }
    return Fail("no page for tab " + std::to_string(tabId));
}

bool CConfigDriver::PressPageButton(int itemId, bool answer)
{
    if (!Click(MainWindow(), itemId))
        return false;
    if (answer) {
        HWND popup = WaitPopup();
        if (!popup || !Click(popup, kIdPopupOk) || !WaitPopupGone(popup))
            return false;
    }
    return WaitIdle("the page's command");
}

bool CConfigDriver::NewProfile(const std::wstring& name)
{
    return Click(MainWindow(), kIdNewProfile) && AnswerNamePopup(name);
}

bool CConfigDriver::AnswerNamePopup(const std::wstring& name)
{
    HWND popup = WaitPopup();
    HWND edit = popup ? ItemWindow(popup, kIdPopupNameEntry) : nullptr;
    if (!edit)
        return Fail("no name popup with its name field");
    TypeText(edit, name);
    return Click(popup, kIdPopupOk) && WaitPopupGone(popup) && WaitIdle("the name popup's command");
}

bool CConfigDriver::ProfileCellPoint(int row, int column, HWND& list, POINT& point)
{
    list = ItemWindow(MainWindow(), kIdProfileList);
    if (!list)
        return Fail("no profile list on the shown page");
    // Only messages that carry no pointer cross processes: the row height from the list's own estimate
    // of one row's size, the columns from their widths.
    const LRESULT one = ::SendMessageW(list, LVM_APPROXIMATEVIEWRECT, 1, MAKELPARAM(-1, -1));
    const int rowHeight = HIWORD(one);
    RECT header = {};
    HWND headerWindow = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (headerWindow && ::IsWindowVisible(headerWindow))
        ::GetClientRect(headerWindow, &header);
    if (rowHeight <= 0 || row >= ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))
        return Fail("no row " + std::to_string(row) + " in the profile list");
    int left = 0;
    for (int i = 0; i < column; ++i)
        left += static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
    const int width = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    point.x = left + (column == 2 ? 8 : width / 2);
    point.y = header.bottom + rowHeight * row + rowHeight / 2;
    return true;
}

bool CConfigDriver::SelectProfileRow(int row)
{
    HWND list = nullptr;
    POINT point = {};
    if (!ProfileCellPoint(row, 2, list, point))
        return false;
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    if (Wait([&] { return ::SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == row; }, m_stepMs))
        return true;
    return Fail("row " + std::to_string(row) + " of the profile list could not be selected");
}

bool CConfigDriver::ClickProfileCell(int row, int column)
{
    HWND list = nullptr;
    POINT point = {};
    if (!ProfileCellPoint(row, column, list, point))
        return false;
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    return WaitIdle("the click on the profile list");
}

HWND CConfigDriver::OpenListMenu()
{
    HWND main = MainWindow();
    return main ? FindOwned(main, IsListMenu) : nullptr;
}

HWND CConfigDriver::OpenProfileMenu(int row)
{
    HWND list = nullptr;
    POINT point = {};
    if (!SelectProfileRow(row) || !ProfileCellPoint(row, 2, list, point))
        return nullptr;
    ::PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    HWND menu = nullptr;
    if (!Wait([&] { return (menu = OpenListMenu()) != nullptr; }, m_stepMs)) {
        Fail("the profile list's menu did not open");
        return nullptr;
    }
    return menu;
}

bool CConfigDriver::ProfileMenu(int row, int entry)
{
    HWND menu = OpenProfileMenu(row);
    return menu && ChooseMenuEntry(menu, entry);
}

bool CConfigDriver::ChooseMenuEntry(HWND menu, int entry)
{
    // What the menu's list reports when a row is clicked; -1 closes it without a choice.
    ::PostMessageW(menu, WM_LISTPANEL_SELECT, 0, entry);
    if (!Wait([&] { return !::IsWindow(menu) || !::IsWindowVisible(menu); }, m_stepMs))
        return Fail("the profile list's menu stayed open");
    return true;
}

bool CConfigDriver::RenameProfile(int row, int entry, const std::wstring& name)
{
    return ProfileMenu(row, entry) && AnswerNamePopup(name);
}

bool CConfigDriver::LinkProgram(int row, int entry, const std::wstring& path)
{
    return ProfileMenu(row, entry) && AnswerFileDialog(path) && WaitIdle("the program link");
}

bool CConfigDriver::DeleteProfile(int row)
{
    return SelectProfileRow(row) && PressPageButton(kIdDeleteProfile, true);
}

bool CConfigDriver::ExportProfile(int row, const std::wstring& path)
{
    // The dialog answers while it waits for the keyboard to write the file: the caller waits for the file.
    return SelectProfileRow(row) && Click(MainWindow(), kIdExportProfile) && AnswerFileDialog(path) &&
           WaitIdle("the export");
}

bool CConfigDriver::ImportProfile(const std::wstring& path)
{
    if (!Click(MainWindow(), kIdImportProfile) || !AnswerFileDialog(path))
        return false;
    // The dialog answers while it waits for the keyboard's import: the import has ended when the
    // dialog is dirty with the new profile.
    if (Wait([&] { return (State() & kAutomationDirty) != 0; }, m_stepMs))
        return WaitIdle("the import");
    return Fail("the import did not add a profile");
}

bool CConfigDriver::Apply()
{
    const LRESULT before = State();
    if (!(before & kAutomationDirty))
        return Fail("nothing to apply");
    if (!Click(MainWindow(), kIdButtonApply))
        return false;
    LRESULT state = 0;
    // Until the click is taken the dialog is dirty and idle; then it writes; then it is clean, or
    // dirty again with the failure's popup.
    if (!Wait([&] {
            state = State();
            return (state & kAutomationShown) && !(state & (kAutomationWriting | kAutomationPaintPending)) &&
                   (!(state & kAutomationDirty) || (state & kAutomationPopupOpen));
        }, m_stepMs))
        return Fail("the write did not end");
    if (state & kAutomationDirty)
        return Fail("the write failed");
    return true;
}

bool CConfigDriver::AnswerPopup(bool ok)
{
    HWND popup = WaitPopup();
    return popup && Click(popup, ok ? kIdPopupOk : kIdPopupCancel) && WaitPopupGone(popup);
}

bool CConfigDriver::Exit()
{
    return Click(MainWindow(), kIdButtonExit) && WaitClosed(m_stepMs);
}

bool CConfigDriver::WaitClosed(DWORD timeoutMs)
{
    return Wait([] { return MainWindow() == nullptr; }, timeoutMs) || Fail("the configurator stayed open");
}

// ---------------------------------------------------------------------------------------------------
// The macros page

namespace {

bool Enabled(HWND window) { return window && ::IsWindowEnabled(window) && ::IsWindowVisible(window); }

} // namespace

int CConfigDriver::MacroRows()
{
    HWND display = ItemWindow(MainWindow(), kIdMacroDisplay);
    DWORD_PTR count = 0;
    if (!display || !::SendMessageTimeoutW(display, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count))
        return -1;
    return static_cast<int>(count);
}

bool CConfigDriver::CreateMacro(const std::wstring& name)
{
    HWND main = MainWindow();
    if (!Click(main, kIdMacroCreate))
        return false;
    if (!AnswerNamePopup(name))
        return false;
    // The new macro is chosen: its commands can be used.
    if (Wait([&] { return Enabled(ItemWindow(main, kIdMacroPlay)) && Painted(main); }, m_stepMs))
        return true;
    return Fail("the new macro was not chosen");
}

bool CConfigDriver::RecordMacro(const std::vector<std::pair<UINT, UINT>>& keys)
{
    HWND main = MainWindow();
    if (!Click(main, kIdMacroRecord))
        return false;
    // Stop can be pressed only while recording (or replaying).
    if (!Wait([&] { return Enabled(ItemWindow(main, kIdMacroStop)); }, m_stepMs))
        return Fail("the recording did not start");
    int expected = 0;
    for (const auto& key : keys) {
        for (bool up : {false, true}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = static_cast<WORD>(key.first);
            input.ki.wScan = static_cast<WORD>(key.second);
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            ::SendInput(1, &input, sizeof(input));
            // One event, and a delay before every event but the first.
            expected += expected == 0 ? 1 : 2;
            if (!Wait([&] { return MacroRows() >= expected; }, m_stepMs))
                return Fail("the macro display did not record key " + std::to_string(key.first));
        }
    }
    if (!Click(main, kIdMacroStop))
        return false;
    if (Wait([&] { return !Enabled(ItemWindow(main, kIdMacroStop)) && Painted(main); }, m_stepMs))
        return true;
    return Fail("the recording did not stop");
}

bool CConfigDriver::InsertDelayAfterFirst(unsigned milliseconds)
{
    HWND main = MainWindow();
    HWND edit = ItemWindow(main, kIdInsertDelayEdit);
    if (!edit)
        return Fail("no delay field");
    const int before = MacroRows();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
    TypeText(edit, std::to_wstring(milliseconds));
    if (!Click(main, kIdMacroFirstEvent) || !Click(main, kIdInsertDelay))
        return false;
    if (Wait([&] { return MacroRows() == before + 1 && Painted(main); }, m_stepMs))
        return true;
    return Fail("the delay was not inserted");
}
