// The configurator's driver: windows found through the automation lookup, clicks and keys posted as
// the mouse and keyboard would send them, and waits with deadlines.
#include "configurator/tools/ConfigDriver.h"

#include "configurator/Automation.h"
#include "configurator/ConfigIds.h"
#include "skin/DropdownListItem.h"
#include "skin/KeyItem.h"
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

// The window answers and no paint waits in it or in any of its widgets.
bool Painted(HWND window)
{
    LRESULT state = 0;
    return Ask(window, 0, kAutomationState, state) && !(state & kAutomationPaintPending);
}

int PickedKey(LRESULT state) { return static_cast<int>((state >> 16) & 0xFFFF); }

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
    if (!WaitForCondition([&] { return (popup = OpenPopup()) != nullptr && popup != notThis && Painted(popup); }, m_stepMs, m_pollMs)) {
        Fail("no popup opened");
        return nullptr;
    }
    return popup;
}

bool CConfigDriver::WaitPopupGone(HWND popup)
{
    return WaitForCondition([&] { return !::IsWindow(popup) || !::IsWindowVisible(popup); }, m_stepMs, m_pollMs) ||
           Fail("the popup stayed open");
}

bool CConfigDriver::WaitAssigned(const char* what)
{
    if (WaitForCondition([&] {
            const LRESULT state = State();
            return (state & kAutomationShown) && PickedKey(state) == 0 &&
                   !(state & (kAutomationPopupOpen | kAutomationPaintPending));
        }, m_stepMs, m_pollMs))
        return true;
    return Fail(std::string("the ") + what + " assignment did not finish");
}

bool CConfigDriver::WaitShown(DWORD timeoutMs)
{
    if (WaitForCondition([&] {
            HWND main = MainWindow();
            return main && ::IsWindowVisible(main) && (State() & kAutomationShown) && Painted(main);
        }, timeoutMs, m_pollMs))
        return true;
    return Fail("the configurator's main dialog did not show");
}

bool CConfigDriver::ShowPage(int tabId, unsigned pageFlag)
{
    HWND main = MainWindow();
    if (!Click(main, tabId))
        return false;
    if (WaitForCondition([&] {
            const LRESULT state = State();
            return ((state >> kAutomationPageShift) & pageFlag) != 0 && Painted(main);
        }, m_stepMs, m_pollMs))
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
    if (WaitForCondition([&] { return PickedKey(State()) == keyId && Painted(main); }, m_stepMs, m_pollMs))
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
    HWND main = MainWindow();
    if (!Click(main, kIdAssignLaunch))
        return false;
    HWND dialog = nullptr;
    if (!WaitForCondition([&] { return (dialog = FindOwned(main, IsFileDialog)) != nullptr; }, m_stepMs, m_pollMs))
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
    if (!WaitForCondition([&] { return !::IsWindow(dialog); }, m_stepMs, m_pollMs))
        return Fail("the file dialog did not take the file");
    return WaitAssigned("launch-program");
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
    if (!WaitForCondition([&] {
            state = State();
            return (state & kAutomationShown) && !(state & (kAutomationWriting | kAutomationPaintPending)) &&
                   (!(state & kAutomationDirty) || (state & kAutomationPopupOpen));
        }, m_stepMs, m_pollMs))
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
    return WaitForCondition([] { return MainWindow() == nullptr; }, timeoutMs, m_pollMs) || Fail("the configurator stayed open");
}
