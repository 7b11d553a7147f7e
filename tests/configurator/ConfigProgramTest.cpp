// TessaryConfig.exe as a user runs it, against the simulated keyboard service and the installed skin
// set, driven from this process through the configurator's automation lookup: the five kinds of
// assignment reach the keyboard's records on Apply, profiles made on the profiles page reach the
// keyboard and the tray program switches to the one linked to the program in front, the lighting
// page's switch and restore reach the keyboard, a macro recorded from real key presses reaches the
// keyboard, a removed keyboard closes the program after its popup, and a second start hands over to
// the running one. The tray program the configurator starts is closed at the end of each test.
#include "../device/DeviceLinkTestSupport.h"
#include "../support/TestProgram.h"

#include "configurator/ConfigIds.h"
#include "configurator/tools/ConfigDriver.h"
#include "framework/Handle.h"
#include "service/control/DeviceNotice.h"
#include "tray/TrayIds.h"

#include <commctrl.h>
#include <shlwapi.h>

namespace {

constexpr DWORD kProgramMs = 30000;

// The keyboard's records of the active profile, by button id ("0x0000003B" -> "type 5 data ..."), as
// the control tool prints them; keys with their factory record are not listed.
std::map<std::string, std::string> ActiveRecords()
{
    std::map<std::string, std::string> records;
    const ControlReply reply = ServiceCommand("state");
    bool active = false;
    for (const std::string& line : reply.lines) {
        if (line.rfind("  profile ", 0) == 0)
            active = line.find(" active ") != std::string::npos;
        else if (active && line.rfind("    record ", 0) == 0)
            records[line.substr(11, 10)] = line.substr(line.find(" type ") + 1);
    }
    return records;
}

// The keyboard's profile lines as the control tool prints them ("profile 1 {...} \"Office\" active
// flags 0x0001 program ..."), each followed by its own led lines.
std::vector<std::string> ProfileLines()
{
    std::vector<std::string> lines;
    for (const std::string& line : ServiceCommand("state").lines) {
        if (line.rfind("  profile ", 0) == 0)
            lines.push_back(line.substr(2));
        else if (!lines.empty() && line.rfind("    led ", 0) == 0)
            lines.back() += " |" + line.substr(3);
    }
    return lines;
}

std::string ActiveProfileLine()
{
    for (const std::string& line : ProfileLines()) {
        if (line.find(" active ") != std::string::npos)
            return line;
    }
    return "";
}

bool Has(const std::string& line, const std::string& part) { return line.find(part) != std::string::npos; }

std::string TypeOf(const std::map<std::string, std::string>& records, const char* button)
{
    auto found = records.find(button);
    return found == records.end() ? "factory" : found->second.substr(0, found->second.find(" data"));
}

} // namespace

class ConfigProgramTest : public DeviceLinkTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(DeviceLinkTest::SetUp());
        m_program = m_folder.File(L"tool.exe");
        ASSERT_TRUE(testfiles::WriteBytes(m_program, "MZ", 2));
    }

    void TearDown() override
    {
        m_second.reset();
        m_first.reset();  // a configurator the test did not end is ended here
        // The tray program the configurator started is closed as its menu would close it.
        if (!m_tray.IsNull()) {
            if (m_trayWindow && IsWindow(m_trayWindow))
                PostMessageW(m_trayWindow, WM_CLOSE, 0, 0);
            EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(m_tray, 0) == WAIT_OBJECT_0; }, kProgramMs));
            if (WaitForSingleObject(m_tray, 0) != WAIT_OBJECT_0)
                TerminateProcess(m_tray, 1);
            m_tray.CloseHandle();
        }
        DeviceLinkTest::TearDown();
    }

    std::unique_ptr<CProgram> Start()
    {
        return std::make_unique<CProgram>(testfiles::WinePath(TESSARY_BIN_DIR) + L"\\TessaryConfig.exe");
    }
    void StartFirst()
    {
        m_first = Start();
        ASSERT_TRUE(m_first->Started());
        ASSERT_TRUE(m_driver.WaitShown(kProgramMs)) << m_driver.Error();
        // The configurator starts the tray program, which the shell finds beside it.
        ASSERT_TRUE(PumpUntil([&] { return (m_trayWindow = FindWindowW(L"#32770", L"TessaryTray")) != nullptr; }, kProgramMs))
            << "the configurator starts the tray program";
        DWORD trayId = 0;
        GetWindowThreadProcessId(m_trayWindow, &trayId);
        m_tray.Attach(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, trayId));
    }

    CConfigDriver m_driver{kProgramMs};
    std::unique_ptr<CProgram> m_first;
    std::unique_ptr<CProgram> m_second;
    std::wstring m_program;

    HWND m_trayWindow = nullptr;

private:
    CHandle m_tray;
};

TEST_F(ConfigProgramTest, EachKindOfAssignmentReachesTheKeyboardOnApply)
{
    {
        CDeviceSide side;
        side.CreateProfile(L"Games");
        side.CreateMacro(L"Greeting", {});
        // Esc sends Space, so that giving it back its own function shows.
        side.SetRecord(side.ProfileAt(0), KeyRecord(0x01, 0x39, 0));
    }
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    ASSERT_EQ(TypeOf(ActiveRecords(), "0x00000001"), "type 5");

    const int esc = config::kIdFirstKey, f1 = esc + 1, f2 = esc + 2, f3 = esc + 3, f4 = esc + 4;
    EXPECT_TRUE(m_driver.PickKey(esc) && m_driver.AssignDefault()) << m_driver.Error();
    EXPECT_TRUE(m_driver.PickKey(f1) && m_driver.AssignSingleKey(VK_F5, 0x3F)) << m_driver.Error();
    EXPECT_TRUE(m_driver.PickKey(f2) && m_driver.AssignMacro(0, 2, 3)) << m_driver.Error();
    EXPECT_TRUE(m_driver.PickKey(f3) && m_driver.AssignProfile(0)) << m_driver.Error();
    EXPECT_TRUE(m_driver.PickKey(f4) && m_driver.AssignLaunch(m_program)) << m_driver.Error();
    EXPECT_EQ(TypeOf(ActiveRecords(), "0x0000003B"), "factory") << "nothing is written before Apply";
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();

    const auto records = ActiveRecords();
    EXPECT_EQ(TypeOf(records, "0x00000001"), "factory");
    EXPECT_EQ(records.count("0x0000003B") ? records.at("0x0000003B").substr(0, 16) : "", "type 5 data 3F00");
    EXPECT_EQ(TypeOf(records, "0x0000003C"), "type 8");
    EXPECT_EQ(TypeOf(records, "0x0000003D"), "type 3");
    EXPECT_EQ(TypeOf(records, "0x0000003E"), "type 9");

    EXPECT_TRUE(m_driver.Exit()) << m_driver.Error();
    EXPECT_EQ(m_first->WaitForExit(kProgramMs), 0u);
}

TEST_F(ConfigProgramTest, AMacroRecordedFromRealKeysEditedAndAssignedReachesTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    ASSERT_TRUE(m_driver.ShowPage(config::kIdTabMacros) && m_driver.CreateMacro(L"Typed")) << m_driver.Error();
    // A pressed and released, then B: four key events with a delay between each two.
    ASSERT_TRUE(m_driver.RecordMacro({{'A', 0x1E}, {'B', 0x30}})) << m_driver.Error();
    EXPECT_EQ(m_driver.MacroRows(), 7);
    ASSERT_TRUE(m_driver.InsertDelayAfterFirst(400)) << m_driver.Error();
    const int f5 = config::kIdFirstKey + 5;
    ASSERT_TRUE(m_driver.ShowPage(config::kIdTabAssignKeys) && m_driver.PickKey(f5) && m_driver.AssignMacro(0, 1, 0)) << m_driver.Error();
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();

    std::string macroLine;
    for (const std::string& line : ServiceCommand("state").lines) {
        if (line.find("\"Typed\"") != std::string::npos)
            macroLine = line;
    }
    EXPECT_NE(macroLine.find(" events 8:"), std::string::npos) << macroLine;
    EXPECT_EQ(TypeOf(ActiveRecords(), "0x0000003F"), "type 8") << "F5 plays the macro";

    EXPECT_TRUE(m_driver.Exit()) << m_driver.Error();
    EXPECT_EQ(m_first->WaitForExit(kProgramMs), 0u);
}

TEST_F(ConfigProgramTest, UnpluggedKeyboardEndsTheConfiguratorAfterItsPopup)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    Command("unplug");
    ASSERT_TRUE(BroadcastDeviceChange(DeviceChange::Removal, DeviceInterfacePath(kKeyboardProduct.productId, 0)));
    ASSERT_TRUE(m_driver.AnswerPopup(true)) << "the no-device popup: " << m_driver.Error();
    EXPECT_EQ(m_first->WaitForExit(kProgramMs), 0u);
    EXPECT_EQ(CConfigDriver::MainWindow(), nullptr);
}

TEST_F(ConfigProgramTest, SecondStartBringsTheRunningOneForwardAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    HWND main = CConfigDriver::MainWindow();
    // Another program's window is in front.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(PumpUntil([&] { SetForegroundWindow(other); return GetForegroundWindow() == other; }));

    m_second = Start();
    ASSERT_TRUE(m_second->Started());
    EXPECT_EQ(m_second->WaitForExit(kProgramMs), 0u) << "the second start ends";
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == main; })) << "the running one comes forward";
    EXPECT_EQ(CConfigDriver::MainWindow(), main) << "and keeps its dialog";
    DestroyWindow(other);
}

namespace {
// The entries of the profile list's menu, in the order the skin lists them (ManageProfiles.xml).
enum ProfileMenuEntry { kMenuSetActive, kMenuRename, kMenuCopy, kMenuRestore, kMenuLink, kMenuUnlink };
}

TEST_F(ConfigProgramTest, ProfilesMadeOnTheirPageReachTheKeyboardAndTheTraySwitchesToTheLinkedOne)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    // The program linked to the profile is this test's own: its window is brought to the front below.
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring selfName = PathFindFileNameW(self);
    const std::wstring exported = m_folder.File(L"Office.qnp");

    ASSERT_TRUE(m_driver.ShowPage(config::kIdTabProfiles)) << m_driver.Error();
    ASSERT_TRUE(m_driver.NewProfile(L"Work")) << m_driver.Error();
    ASSERT_TRUE(m_driver.RenameProfile(1, kMenuRename, L"Office")) << m_driver.Error();
    ASSERT_TRUE(m_driver.ProfileMenu(1, kMenuCopy)) << m_driver.Error();      // "Office(2)", made active
    ASSERT_TRUE(m_driver.DeleteProfile(2)) << m_driver.Error();              // the first takes over
    ASSERT_TRUE(m_driver.LinkProgram(1, kMenuLink, self)) << m_driver.Error();
    ASSERT_TRUE(m_driver.ClickProfileCell(1, 4)) << m_driver.Error();        // automatic switch on
    EXPECT_EQ(ProfileLines().size(), 1u) << "nothing reaches the keyboard before Apply";
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();
    // Export and import act on the keyboard at once; the import leaves the store dirty for Apply.
    ASSERT_TRUE(m_driver.ExportProfile(1, exported)) << m_driver.Error();
    ASSERT_TRUE(PumpUntil([&] { return GetFileAttributesW(exported.c_str()) != INVALID_FILE_ATTRIBUTES; }, kProgramMs))
        << "the keyboard writes the exported profile";
    ASSERT_TRUE(m_driver.ImportProfile(exported)) << m_driver.Error();
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();

    const std::vector<std::string> profiles = ProfileLines();
    ASSERT_EQ(profiles.size(), 3u);
    EXPECT_TRUE(Has(profiles[0], "\"Profile 1\" active")) << profiles[0];
    EXPECT_TRUE(Has(profiles[1], "\"Office\" flags 0x0001")) << profiles[1];
    EXPECT_TRUE(Has(profiles[1], "program \"" + Utf8FromWide(selfName) + "\"")) << profiles[1];
    EXPECT_TRUE(Has(profiles[2], "\"Office(2)\"")) << "the imported copy, under a free name: " << profiles[2];

    // This program in front: the tray's next look activates the linked profile.
    HWND front = CreateWindowExW(0, L"STATIC", L"linked", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(front, nullptr);
    EXPECT_TRUE(PumpUntil([&] { SetForegroundWindow(front); return GetForegroundWindow() == front; }));
    // The tray program looks every few seconds; the test asks it to look now, once a second until then.
    ULONGLONG nextLook = 0;
    EXPECT_TRUE(PumpUntil([&] {
        if (GetTickCount64() < nextLook)
            return false;
        nextLook = GetTickCount64() + 1000;
        PostMessageW(m_trayWindow, WM_TIMER, tray::AutoSwitchTimer, 0);
        return Has(ActiveProfileLine(), "\"Office\"");
    }, kProgramMs)) << ActiveProfileLine();
    DestroyWindow(front);
    EXPECT_TRUE(m_driver.Exit()) << m_driver.Error();
}

// Moves the pointer onto a point of a window and clicks it once, all as real input.
void RealClick(HWND window, POINT point)
{
    ::ClientToScreen(window, &point);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs)
        input.type = INPUT_MOUSE;
    inputs[0].mi.dx = MulDiv(point.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    inputs[0].mi.dy = MulDiv(point.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

POINT Centre(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return {rect.right / 2, rect.bottom / 2};
}

// The configurator's windows handed to a window manager, as Wine does on a user's display, while the
// test's display has none to confirm anything: what the interactive mode meets on a bare X server.
class CManagedConfiguratorWindows {
public:
    CManagedConfiguratorWindows()
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Y"), 2 * sizeof(wchar_t));
            RegCloseKey(key);
        }
    }
    ~CManagedConfiguratorWindows() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\TessaryConfig.exe"); }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\TessaryConfig.exe\\X11 Driver";
};

TEST_F(ConfigProgramTest, OneRealClickActsOnAMenuEntryAndOnAPopupsOk)
{
    CManagedConfiguratorWindows managed;
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    ASSERT_TRUE(m_driver.ShowPage(config::kIdTabProfiles)) << m_driver.Error();
    HWND menu = m_driver.OpenProfileMenu(0);
    ASSERT_NE(menu, nullptr) << m_driver.Error();
    // The menu's rows, one entry each; their height from the list's own estimate of one row (no message
    // with a pointer crosses processes).
    HWND rows = FindWindowExW(menu, nullptr, WC_LISTVIEWW, nullptr);
    const int rowHeight = HIWORD(SendMessageW(rows, LVM_APPROXIMATEVIEWRECT, 1, MAKELPARAM(-1, -1)));
    ASSERT_GT(rowHeight, 0);
    RealClick(rows, {8, rowHeight * kMenuRename + rowHeight / 2});
    HWND popup = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (popup = m_driver.OpenPopup()) != nullptr; }, kProgramMs))
        << "one click on the menu's Rename did not open its popup";

    for (wchar_t c : std::wstring(L"Desk"))
        PostMessageW(CConfigDriver::ItemWindow(popup, config::kIdPopupNameEntry), WM_CHAR, c, 1);
    HWND ok = CConfigDriver::ItemWindow(popup, config::kIdPopupOk);
    ASSERT_NE(ok, nullptr);
    RealClick(ok, Centre(ok));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }, kProgramMs))
        << "one click on OK did not close the popup";
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();
    EXPECT_TRUE(Has(ProfileLines().at(0), "\"Desk\" active")) << ProfileLines().at(0);
    EXPECT_TRUE(m_driver.Exit()) << m_driver.Error();
}

TEST_F(ConfigProgramTest, LightingSwitchedOffAndRestoredReachesTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst());
    const int esc = config::kIdFirstKey;
    ASSERT_TRUE(m_driver.PickKey(esc) && m_driver.AssignSingleKey(VK_F5, 0x3F)) << m_driver.Error();
    ASSERT_TRUE(m_driver.ShowPage(config::kIdTabLighting)) << m_driver.Error();
    ASSERT_TRUE(m_driver.PressPageButton(config::kIdLedOff)) << m_driver.Error();
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();
    EXPECT_TRUE(Has(ActiveProfileLine(), "| led 4 off")) << ActiveProfileLine();
    EXPECT_EQ(TypeOf(ActiveRecords(), "0x00000001"), "type 5");

    ASSERT_TRUE(m_driver.PressPageButton(config::kIdRestoreDefaults, true)) << m_driver.Error();
    ASSERT_TRUE(m_driver.Apply()) << m_driver.Error();
    EXPECT_TRUE(Has(ActiveProfileLine(), "| led 4 on")) << ActiveProfileLine();
    EXPECT_EQ(TypeOf(ActiveRecords(), "0x00000001"), "factory");
    EXPECT_TRUE(m_driver.Exit()) << m_driver.Error();
}
