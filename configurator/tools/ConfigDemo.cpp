// TessaryConfigDemo.exe: the run command's and the tests' driver of a running configurator, and the
// keyboard's preparation for it. Commands run in the order given; the first that fails ends the run.
//   prepare                    gives the keyboard a macro ("Greeting") when it has none, so that every
//                              kind of assignment has something to assign (starts the service if needed)
//   wait-shown [s]             the main dialog is shown and painted
//   pick <key>                 picks the key of a skin item id (420 Esc .. 539)
//   default                    gives the picked key its own function back
//   single-key <vk> <scan>     gives it another key (codes as numbers, 0x.. allowed)
//   single-key-open            presses the single-key button and leaves its popup open
//   single-key-finish <vk> <scan>   types the key into that popup and confirms it
//   macro <index> [once|multiple <count>|until|while]
//   profile <index>            a switch to the profile at that place of the popup's list
//   launch <path>              starts the program at the path (chosen in the file dialog)
//   page <keys|profiles|macros|lighting>   shows that page of the main dialog
//   profile-menu-open <row>    opens the profile list's menu on that row and leaves it open
//   menu-close                 closes the open list menu without a choice
//   macro-create <name>        makes a new macro of that name (through the name popup)
//   macro-record <vk> <scan> ...   records the keys, each pressed and released, as real input
//   macro-insert-delay <ms>    inserts a delay after the chosen macro's first event
//   apply                      presses Apply and waits for the write
//   popup-ok | popup-cancel    answers the popup that is open or opens next
//   exit                       presses the exit button and waits until the configurator is gone
//   wait-closed [s]            waits until the configurator is gone
//   wait-all-closed            waits without a limit until the configurator and the tray program ended
//   pointer-away               moves the mouse pointer to the screen's bottom left corner, off the dialog
// Exit code 0 on success, 1 on failure or time-out, 2 for a wrong command line.
#include "configurator/tools/ConfigDriver.h"

#include "configurator/ConfigIds.h"

#include "framework/ComRef.h"
#include "framework/Handle.h"
#include "model/MacroEvent.h"
#include "service/DeviceRecords.h"
#include "service/control/ControlClient.h"
#include "tray/TrayIds.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const wchar_t* kMacroName = L"Greeting";

int Prepare()
{
    CServiceHold hold;
    if (FAILED(hold.Acquire())) {
        fwprintf(stderr, L"TessaryConfigDemo: the device service could not be started\n");
        return 1;
    }
    ComRef<IDeviceCollection> root;
    ComRef<IServiceDevice> device;
    ComRef<IMacroStore> macros;
    if (FAILED(CoCreateInstance(CLSID_DeviceService, nullptr, CLSCTX_LOCAL_SERVER, IID_IDeviceCollection, root.PutVoid())) ||
        FAILED(root->GetDevice(0, device.Put())) ||
        FAILED(device->GetSubObject(IID_IMacroStore, reinterpret_cast<IUnknown**>(macros.Put())))) {
        fwprintf(stderr, L"TessaryConfigDemo: no keyboard\n");
        return 1;
    }
    ComRef<IDeviceMacro> existing;
    if (SUCCEEDED(macros->GetMacro(0, existing.Put())) && existing)
        return 0;
    // "Hi": shift down, H, shift up, I.
    std::vector<MacroEvent> events = {
        MakeKeyEvent(VK_SHIFT, 0x2A, kMacroPressed, 0), MakeKeyEvent('H', 0x23, kMacroPressed, 0),
        MakeKeyEvent('H', 0x23, kMacroReleased, 0),     MakeKeyEvent(VK_SHIFT, 0x2A, kMacroReleased, 0),
        MakeDelayEvent(50),                             MakeKeyEvent('I', 0x17, kMacroPressed, 0),
        MakeKeyEvent('I', 0x17, kMacroReleased, 0)};
    ComRef<IDeviceMacro> macro;
    MacroEventBuffer* buffer = BuildMacroEventBuffer(events);
    const bool made = SUCCEEDED(macros->CreateMacro(macro.Put())) && macro && SUCCEEDED(macro->SetName(kMacroName)) &&
                      buffer && SUCCEEDED(macro->SetEvents(buffer));
    CoTaskMemFree(buffer);
    if (!made) {
        fwprintf(stderr, L"TessaryConfigDemo: the macro could not be made\n");
        return 1;
    }
    return 0;
}

bool InstanceRuns(const wchar_t* mutexName)
{
    return !CHandle(::OpenMutexW(SYNCHRONIZE, FALSE, mutexName)).IsNull();
}

class CArguments {
public:
    CArguments(int argc, wchar_t** argv) : m_argc(argc), m_argv(argv) {}
    bool More() const { return m_next < m_argc; }
    std::wstring Word() { return More() ? m_argv[m_next++] : L""; }
    // A number (decimal or 0x..) or false; an optional one may be absent.
    bool Number(long& value)
    {
        if (!More())
            return false;
        wchar_t* end = nullptr;
        value = std::wcstol(m_argv[m_next], &end, 0);
        if (!end || *end != L'\0' || end == m_argv[m_next])
            return false;
        ++m_next;
        return true;
    }
    DWORD Seconds(long fallback)
    {
        long value = fallback;
        if (More() && !Number(value))
            value = fallback;
        return static_cast<DWORD>(value) * 1000;
    }

private:
    int m_argc;
    wchar_t** m_argv;
    int m_next = 1;
};

// One command with its arguments; 0, 1 or 2 as the exit code.
int RunCommand(const std::wstring& command, CArguments& args, CConfigDriver& driver)
{
    long a = 0, b = 0;
    bool ok = false;
    if (command == L"prepare")
        return Prepare();
    if (command == L"wait-shown")
        ok = driver.WaitShown(args.Seconds(60));
    else if (command == L"pick") {
        if (!args.Number(a))
            return 2;
        ok = driver.PickKey(static_cast<int>(a));
    } else if (command == L"default")
        ok = driver.AssignDefault();
    else if (command == L"single-key" || command == L"single-key-finish") {
        if (!args.Number(a) || !args.Number(b))
            return 2;
        ok = command == L"single-key" ? driver.AssignSingleKey(UINT(a), UINT(b)) : driver.FinishSingleKeyPopup(UINT(a), UINT(b));
    } else if (command == L"single-key-open")
        ok = driver.OpenSingleKeyPopup();
    else if (command == L"macro") {
        if (!args.Number(a))
            return 2;
        int mode = 1;
        long count = 0;
        const std::wstring modeName = args.More() ? args.Word() : L"once";
        if (modeName == L"multiple") {
            mode = 2;
            if (!args.Number(count))
                return 2;
        } else if (modeName == L"until")
            mode = 3;
        else if (modeName == L"while")
            mode = 4;
        else if (modeName != L"once")
            return 2;
        ok = driver.AssignMacro(static_cast<int>(a), mode, static_cast<int>(count));
    } else if (command == L"profile") {
        if (!args.Number(a))
            return 2;
        ok = driver.AssignProfile(static_cast<int>(a));
    } else if (command == L"launch") {
        if (!args.More())
            return 2;
        ok = driver.AssignLaunch(args.Word());
    } else if (command == L"page") {
        static const std::pair<const wchar_t*, int> kPages[] = {{L"keys", config::kIdTabAssignKeys},
            {L"profiles", config::kIdTabProfiles}, {L"macros", config::kIdTabMacros}, {L"lighting", config::kIdTabLighting}};
        const std::wstring name = args.Word();
        int tab = 0;
        for (const auto& page : kPages)
            tab = name == page.first ? page.second : tab;
        if (tab == 0)
            return 2;
        ok = driver.ShowPage(tab);
    } else if (command == L"profile-menu-open") {
        if (!args.Number(a))
            return 2;
        ok = driver.OpenProfileMenu(static_cast<int>(a)) != nullptr;
    } else if (command == L"menu-close") {
        HWND menu = driver.OpenListMenu();
        ok = menu && driver.ChooseMenuEntry(menu, -1);
    } else if (command == L"macro-create") {
        if (!args.More())
            return 2;
        ok = driver.CreateMacro(args.Word());
    } else if (command == L"macro-record") {
        // Pairs of virtual key and scan code up to the next word that is no number.
        std::vector<std::pair<UINT, UINT>> keys;
        while (args.Number(a) && args.Number(b))
            keys.push_back({UINT(a), UINT(b)});
        if (keys.empty())
            return 2;
        ok = driver.RecordMacro(keys);
    } else if (command == L"macro-insert-delay") {
        if (!args.Number(a))
            return 2;
        ok = driver.InsertDelayAfterFirst(static_cast<unsigned>(a));
    } else if (command == L"apply")
        ok = driver.Apply();
    else if (command == L"popup-ok" || command == L"popup-cancel")
        ok = driver.AnswerPopup(command == L"popup-ok");
    else if (command == L"exit")
        ok = driver.Exit();
    else if (command == L"wait-closed")
        ok = driver.WaitClosed(args.Seconds(60));
    else if (command == L"pointer-away")
        ok = ::SetCursorPos(0, ::GetSystemMetrics(SM_CYSCREEN) - 1) != FALSE;
    else if (command == L"wait-all-closed")
        ok = PumpMessagesUntil([] { return !InstanceRuns(config::kInstanceMutex) && !InstanceRuns(tray::kSingleInstanceMutex); },
                              INFINITE);
    else
        return 2;
    if (!ok)
        fwprintf(stderr, L"TessaryConfigDemo: %ls: %hs\n", command.c_str(), driver.Error().c_str());
    return ok ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fwprintf(stderr, L"Usage: TessaryConfigDemo <command> [arguments] [<command> [arguments] ...]\n"
                         L"(see configurator/tools/ConfigDemo.cpp for the commands)\n");
        return 2;
    }
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CConfigDriver driver;
    CArguments args(argc, argv);
    int code = 0;
    while (code == 0 && args.More()) {
        const std::wstring command = args.Word();
        code = RunCommand(command, args, driver);
        if (code == 2)
            fwprintf(stderr, L"TessaryConfigDemo: wrong command line at %ls\n", command.c_str());
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return code;
}
