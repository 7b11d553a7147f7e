// Tests of the tray program against the simulated keyboard service: the profile menu, the automatic
// switch, the on-screen display on a profile change, the on-the-fly recorder, session and device
// handling, and the launch request. Each test starts the service on a memory file of its own.
#include "TrayServiceTestSupport.h"
#include "TrayTestSupport.h"

#include "ScreenSupport.h"
#include "../support/TestProgram.h"
#include "service/control/DeviceNotice.h"
#include "skin/AppFolder.h"
#include "skin/SkinResources.h"
#include "tray/DeviceManager.h"
#include "tray/MacroRecorder.h"
#include "tray/PcManager.h"

#include <dbt.h>
#include <wtsapi32.h>

#include <fstream>
#include <sstream>

using tray::CDeviceManager;

namespace {

class TrayServiceTest : public ::testing::Test {
protected:
    TrayServiceTest() : m_scoped(m_platform), m_service(m_folder) {}

    void SetUp() override
    {
        m_comInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        m_platform.realService = true;
        SetAppFolder(m_folder.File(L""));
        ClearSkinResources();
        tray::PcManager().SetRegistryKey(HKEY_CURRENT_USER, m_key.Path());
        ASSERT_NO_FATAL_FAILURE(m_service.Prepare());
        ASSERT_TRUE(m_keyboard.Open()) << "the service did not start";
    }

    void TearDown() override
    {
        tray::MacroRecorder().Reset();
        m_dialog.reset();
        m_keyboard.Close();
        m_service.Stop();
        tray::PcManager().SetRegistryKey(HKEY_LOCAL_MACHINE, tray::CPcManager::kRegistryKey);
        ClearSkinResources();
        ResetAppFolder();
        if (m_comInitialised)
            CoUninitialize();
    }

    // Three profiles, "Games" active: Work (no display), Games and Video (display on).
    void ArrangeThreeProfiles()
    {
        ASSERT_TRUE(m_keyboard.AddProfile(L"Games"));
        ASSERT_TRUE(m_keyboard.AddProfile(L"Video"));
        CDeviceManager device;
        ASSERT_TRUE(device.HasDevice());
        std::vector<std::wstring> names;
        ASSERT_TRUE(device.GetProfileNames(names));
        ASSERT_EQ(3u, names.size());
        // The factory's profile becomes "Work".
        CComRename(names[0], L"Work");
        ASSERT_TRUE(device.SetProfileFlags(L"Games", 0, 0, 1));
        ASSERT_TRUE(device.SetProfileFlags(L"Video", 0, 0, 1));
        ASSERT_TRUE(device.ActivateProfile(L"Games"));
    }

    void ArrangeActive(const std::wstring& name)
    {
        CDeviceManager device;
        ASSERT_TRUE(device.ActivateProfile(name));
    }

    void CComRename(const std::wstring& from, const std::wstring& to)
    {
        ComRef<IDeviceCollection> root;
        ASSERT_HRESULT_SUCCEEDED(CServiceUnderTest::Connect(root));
        ComRef<IServiceDevice> device;
        ASSERT_HRESULT_SUCCEEDED(root->GetDevice(0, device.Put()));
        ComRef<IProfileManager> profiles;
        ASSERT_HRESULT_SUCCEEDED(device->GetSubObject(IID_IProfileManager, reinterpret_cast<IUnknown**>(profiles.Put())));
        for (DWORD index = 0;; ++index) {
            ComRef<IDeviceProfile> profile;
            ASSERT_HRESULT_SUCCEEDED(profiles->GetProfile(index, profile.Put())) << "no profile " << testing::PrintToString(from);
            CoText name;
            profile->GetName(name.Put());
            if (name.Text() == from) {
                ASSERT_HRESULT_SUCCEEDED(profile->SetName(to.c_str()));
                return;
            }
        }
    }

    void StartDialog()
    {
        m_dialog = std::make_unique<CObservedTrayDialog>();
        ASSERT_TRUE(m_dialog->Create(nullptr));
        ASSERT_TRUE(m_dialog->HasEventConnections()) << "the dialog connects at start";
    }

    // The display's window and text, once it shows.
    bool WaitForDisplay(const std::wstring& name)
    {
        return PumpUntil(
            [&] {
                return m_dialog->Osd() && ::IsWindowVisible(m_dialog->Osd()->Window()) &&
                       m_dialog->Osd()->TextWindow().Text() == name;
            },
            5000);
    }
    bool DisplayShown() { return m_dialog->Osd() && ::IsWindowVisible(m_dialog->Osd()->Window()); }

    // The number of lines of the service's call log that name the operation.
    int LoggedCalls(const std::string& operation)
    {
        std::ifstream in(std::filesystem::path(m_folder.File(L"calls.log")));
        std::string line;
        int count = 0;
        while (std::getline(in, line))
            count += line.find(operation) != std::string::npos ? 1 : 0;
        return count;
    }
    void StartCallLog()
    {
        const std::wstring path = m_folder.File(L"calls.log");
        ControlOk("log " + Utf8FromWide(path));
    }

    // Runs the control tool (which also notifies every window of a plug or unplug) while this thread
    // handles its messages; the tool's exit code.
    DWORD RunControlTool(const std::wstring& arguments)
    {
        return CProgram(testfiles::WinePath(TESSARY_CONTROL_TOOL), arguments, CREATE_NO_WINDOW).WaitForExit(20000);
    }

    // The dialog started, one recording of A pressed, stopped: waiting for its button.
    void RecordKeyAAndStop()
    {
        ASSERT_NO_FATAL_FAILURE(StartDialog());
        ControlOk("record start");
        ASSERT_TRUE(PumpUntil([&] { return m_dialog->started == 1; }, 5000));
        tray::MacroRecorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
        ControlOk("record stop");
        ASSERT_TRUE(PumpUntil([&] { return m_dialog->stopped == 1; }, 5000));
    }

    DWORD FirstButtonId()
    {
        const std::vector<KeyAssignmentRecord> records = m_keyboard.ActiveRecords();
        return records.empty() ? 0 : records.front().buttonId;
    }

    CFakePlatform m_platform;
    CScopedPlatform m_scoped;
    testfiles::CScopedFolder m_folder;
    CTempRegistryKey m_key;
    CServiceUnderTest m_service;
    CTestKeyboard m_keyboard;
    std::unique_ptr<CObservedTrayDialog> m_dialog;
    bool m_comInitialised = false;
};

} // namespace

TEST_F(TrayServiceTest, MenuListsTheProfilesAndChoosingOneActivatesIt)
{
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    ASSERT_NO_FATAL_FAILURE(StartDialog());

    // The right button refreshes the menu from the device and shows it.
    {
        CMenuWatcher watcher;
        ::SendMessageW(*m_dialog, tray::TrayCallbackMessage, tray::kTrayIconId, WM_RBUTTONUP);
        EXPECT_EQ(7, watcher.Seen().itemCount) << "configurator, separator, three names, separator, close";
    }
    ASSERT_EQ((std::vector<std::wstring>{L"Work", L"Games", L"Video"}), m_dialog->ProfileNames());
    HMENU popup = ::GetSubMenu(m_dialog->Menu(), 0);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
              ::GetMenuState(popup, tray::ID_TRAY_PROFILE1 + 1, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(0u, ::GetMenuState(popup, tray::ID_TRAY_PROFILE1, MF_BYCOMMAND) & MF_CHECKED);

    // Video asks for the display: choosing it shows its name.
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_PROFILE1 + 2, 0);
    EXPECT_EQ(L"Video", m_keyboard.ActiveName());
    EXPECT_TRUE(WaitForDisplay(L"Video"));
    ASSERT_TRUE(PumpUntil([&] { return !DisplayShown(); }, 6000));

    // Work does not, though Video, active before the choice, does: the chosen profile's flag counts.
    const int eventsBefore = m_dialog->profileEvents;
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_PROFILE1, 0);
    EXPECT_EQ(L"Work", m_keyboard.ActiveName());
    // The activation's own profile event follows; by then nothing may have been shown.
    PumpUntil([&] { return m_dialog->profileEvents > eventsBefore; }, 3000);
    PumpMessagesFor(50);
    EXPECT_FALSE(DisplayShown());

    // A menu entry past the device's profiles does nothing.
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_PROFILE1 + 5, 0);
    EXPECT_EQ(L"Work", m_keyboard.ActiveName());
}

TEST_F(TrayServiceTest, ForegroundProgramSwitchesToItsLinkedProfileOnce)
{
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    {
        CDeviceManager device;
        ASSERT_TRUE(device.SetLinkedProgram(L"Video", L"Player.exe"));
        ASSERT_TRUE(device.SetProfileFlags(L"Video", 1, 0, 1));
        // Linked, but without the automatic switch: never chosen by the poll.
        ASSERT_TRUE(device.SetLinkedProgram(L"Games", L"Player.exe"));
    }
    ASSERT_NO_FATAL_FAILURE(ArrangeActive(L"Work"));
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    StartCallLog();

    m_platform.SetForegroundProgram(L"player.exe", 501);
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(L"Work", m_keyboard.ActiveName()) << "the file name is compared with case";

    m_platform.SetForegroundProgram(L"Player.exe", 502);
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(L"Video", m_keyboard.ActiveName());
    EXPECT_TRUE(WaitForDisplay(L"Video"));

    // Already active: the next polls neither activate nor show.
    ASSERT_TRUE(PumpUntil([&] { return !DisplayShown(); }, 6000));
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(1, LoggedCalls("IProfileManager.ActivateProfile")) << "activated once";
    EXPECT_FALSE(DisplayShown());
}

TEST_F(TrayServiceTest, FirstLinkedProfileInTheDevicesOrderWins)
{
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    {
        CDeviceManager device;
        for (const wchar_t* name : {L"Work", L"Video"}) {
            ASSERT_TRUE(device.SetLinkedProgram(name, L"Shared.exe"));
            ASSERT_TRUE(device.SetAutoSwitch(name, 1));
        }
    }
    ASSERT_NO_FATAL_FAILURE(ArrangeActive(L"Video"));
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    m_platform.SetForegroundProgram(L"Shared.exe");
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(L"Work", m_keyboard.ActiveName()) << "Video matches too, but comes later";
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(L"Work", m_keyboard.ActiveName());
}

TEST_F(TrayServiceTest, FailedAutomaticSwitchShowsNothing)
{
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    {
        CDeviceManager device;
        ASSERT_TRUE(device.SetLinkedProgram(L"Video", L"Player.exe"));
        ASSERT_TRUE(device.SetProfileFlags(L"Video", 1, 0, 1));
    }
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    m_platform.SetForegroundProgram(L"Player.exe");
    ControlOk("fail ActivateProfile 1");
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(L"Games", m_keyboard.ActiveName());
    PumpMessagesFor(100);
    EXPECT_FALSE(DisplayShown()) << "the name of a profile that did not become active";

    // The next poll tries again and succeeds.
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(L"Video", m_keyboard.ActiveName());
    EXPECT_TRUE(WaitForDisplay(L"Video"));
}

TEST_F(TrayServiceTest, ProfileKeyShowsTheNameWhenTheProfileAsksAndHidesItAfterTwoSeconds)
{
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    ASSERT_NO_FATAL_FAILURE(StartDialog());

    ControlOk("profile-key 0");  // Work: no display
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->profileEvents == 1; }, 5000));
    EXPECT_FALSE(DisplayShown());

    const DWORD pressed = ::GetTickCount();
    ControlOk("profile-key 2");  // Video
    ASSERT_TRUE(WaitForDisplay(L"Video"));
    const std::vector<COLORREF> screen = [&] {
        ::UpdateWindow(m_dialog->Osd()->Window());
        RECT rc{};
        ::GetWindowRect(m_dialog->Osd()->Window(), &rc);
        return CaptureScreen(rc);
    }();
    EXPECT_GT(CountColour(screen, tray::kOsdTextColour), 20u);
    ASSERT_TRUE(PumpUntil([&] { return !DisplayShown(); }, 6000));
    EXPECT_GE(::GetTickCount() - pressed, 1900u);
}

TEST_F(TrayServiceTest, RecordingSequenceStoresANumberedMacroOnTheButton)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    const DWORD button = FirstButtonId();
    ASSERT_NE(0u, button);

    for (int round = 1; round <= 2; ++round) {
        ControlOk("record start");
        ASSERT_TRUE(PumpUntil([&] { return m_dialog->started == round; }, 5000));
        EXPECT_EQ(2u, m_keyboard.Mode()) << "recording mode";
        CTestKeyboard::Light light = m_keyboard.ActiveLight(7);
        EXPECT_TRUE(light.found && light.on == 1 && light.blink == 0) << "light 7 steady";
        ASSERT_TRUE(tray::MacroRecorder().IsRecording());

        // What raw input would bring: A pressed, 150 ms, A released.
        tray::MacroRecorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
        m_platform.tick += 150;
        tray::MacroRecorder().RecordReport(Key(kScanA, RI_KEY_BREAK));

        ControlOk("record stop");
        ASSERT_TRUE(PumpUntil([&] { return m_dialog->stopped == round; }, 5000));
        light = m_keyboard.ActiveLight(7);
        EXPECT_TRUE(light.on == 1 && light.blink == 1 && light.onMs == 300 && light.offMs == 300) << "light 7 blinking";
        EXPECT_FALSE(tray::MacroRecorder().IsRecording());

        ControlOk("record finish " + std::to_string(button));
        ASSERT_TRUE(PumpUntil([&] { return m_dialog->finished == round; }, 5000));

        const std::vector<CTestKeyboard::Macro> macros = m_keyboard.Macros();
        ASSERT_EQ(static_cast<size_t>(round), macros.size());
        const CTestKeyboard::Macro& macro = macros.back();
        EXPECT_EQ(L"New Macro" + std::to_wstring(round), macro.name);
        ASSERT_EQ(3u, macro.events.size());
        EXPECT_EQ(2u, macro.events[0].type);
        EXPECT_EQ(kScanA, macro.events[0].value);
        EXPECT_EQ(3u, macro.events[1].type);
        EXPECT_EQ(150u, macro.events[1].value);
        EXPECT_EQ(kScanA | (RI_KEY_BREAK << 16), macro.events[2].value);

        KeyAssignmentRecord record{};
        ASSERT_TRUE(m_keyboard.RecordOf(button, record));
        EXPECT_EQ(8u, record.serviceType);
        GUID assigned{};
        GetRecordField(record, kRecordGuidOffset, &assigned);
        EXPECT_TRUE(IsEqualGUID(macro.guid, assigned)) << "the button plays the new macro";
        BYTE playMode = 0;
        GetRecordField(record, kRecordPlayModeOffset, &playMode);
        EXPECT_EQ(1, playMode);

        EXPECT_EQ(1u, m_keyboard.Mode()) << "back to normal";
        light = m_keyboard.ActiveLight(7);
        EXPECT_EQ(0u, light.on) << "light 7 off";
        EXPECT_TRUE(tray::MacroRecorder().Events().empty());
    }
}

TEST_F(TrayServiceTest, ARecordingThatStartsWhileTheLastOneIsSavedSurvivesAndTheSavedMacroKeepsItsEvents)
{
    ASSERT_NO_FATAL_FAILURE(RecordKeyAAndStop());

    // While the save talks to the service, the next recording starts and records a key.
    constexpr USHORT kScanB = 0x30;
    m_platform.onNextServiceCreation = [&] {
        m_dialog->OnRecordingStarted();
        tray::MacroRecorder().RecordReport(Key(kScanB, RI_KEY_MAKE));
    };
    ControlOk("record finish " + std::to_string(FirstButtonId()));
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->finished == 1; }, 5000));

    const std::vector<CTestKeyboard::Macro> macros = m_keyboard.Macros();
    ASSERT_EQ(1u, macros.size());
    ASSERT_EQ(1u, macros[0].events.size()) << "the finished recording, not the new one";
    EXPECT_EQ(kScanA, macros[0].events[0].value);
    EXPECT_TRUE(tray::MacroRecorder().IsRecording()) << "the new recording goes on";
    ASSERT_EQ(1u, tray::MacroRecorder().Events().size());
    EXPECT_EQ(kScanB, tray::MacroRecorder().Events()[0].value);
}

TEST_F(TrayServiceTest, AProfileThisProgramChoseIsShownOnceAndOneAnotherProgramChoseIsShownToo)
{
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    ASSERT_NO_FATAL_FAILURE(StartDialog());

    m_dialog->RefreshTrayMenu();
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_PROFILE1 + 2, 0);  // Video, from the menu
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->profileEvents >= 1; }, 5000)) << "the service reports it too";
    {
        // Another program, the configurator's Apply for one, activates Games.
        CDeviceManager other;
        ASSERT_TRUE(other.ActivateProfile(L"Games"));
    }
    ASSERT_TRUE(PumpUntil([&] { return !m_dialog->shown.empty() && m_dialog->shown.back() == L"Games"; }, 5000));
    EXPECT_EQ((std::vector<std::wstring>{L"Video", L"Games"}), m_dialog->shown);
}

TEST_F(TrayServiceTest, CancelDropsTheRecording)
{
    ASSERT_NO_FATAL_FAILURE(RecordKeyAAndStop());
    EXPECT_EQ(1u, tray::MacroRecorder().Events().size()) << "a stop keeps the events";

    ControlOk("record cancel");
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->cancelled == 1; }, 5000));
    EXPECT_TRUE(tray::MacroRecorder().Events().empty());
    EXPECT_EQ(1u, m_keyboard.Mode());
    EXPECT_EQ(0u, m_keyboard.ActiveLight(7).on);
    EXPECT_TRUE(m_keyboard.Macros().empty());

    // A finish after the cancel has nothing of the cancelled recording to store.
    ControlOk("record finish " + std::to_string(FirstButtonId()));
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->finished == 1; }, 5000));
    const std::vector<CTestKeyboard::Macro> macros = m_keyboard.Macros();
    ASSERT_EQ(1u, macros.size());
    EXPECT_TRUE(macros[0].events.empty()) << "an empty recording is still a macro, with no events";
}

TEST_F(TrayServiceTest, RecordingIsDroppedWhenItsLightCannotBeSwitchedOff)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    ControlOk("record start");
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->started == 1; }, 5000));
    tray::MacroRecorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    ControlOk("fail IDeviceLed.TurnOff 1");
    ControlOk("record finish " + std::to_string(FirstButtonId()));
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->finished == 1; }, 5000));
    EXPECT_TRUE(m_keyboard.Macros().empty());
    EXPECT_TRUE(tray::MacroRecorder().Events().empty()) << "the events are dropped";
    EXPECT_EQ(1u, m_keyboard.Mode());
}

TEST_F(TrayServiceTest, HalfMadeMacroIsRemovedAndNotCountedAsSaved)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    const DWORD button = FirstButtonId();
    KeyAssignmentRecord before{};
    ASSERT_TRUE(m_keyboard.RecordOf(button, before));
    const std::vector<DeviceMacroEvent> events = {{2, kScanA}};

    for (const char* step : {"IDeviceMacro.SetName", "IDeviceMacro.SetEvents", "IDeviceMacro.GetGuid",
                             "IButtonAssignment.SetRecords"}) {
        ControlOk(std::string("fail ") + step + " 1");
        CDeviceManager device;
        EXPECT_FALSE(device.SaveRecordedMacro(0, button, events)) << step;
        EXPECT_TRUE(m_keyboard.Macros().empty()) << "after a failing " << step;
        KeyAssignmentRecord after{};
        ASSERT_TRUE(m_keyboard.RecordOf(button, after));
        EXPECT_EQ(0, memcmp(&before, &after, sizeof(before))) << "the button keeps its function after " << step;
    }
    ControlOk("fail clear");
    CDeviceManager device;
    EXPECT_TRUE(device.SaveRecordedMacro(0, button, events));
    ASSERT_EQ(1u, m_keyboard.Macros().size());
    EXPECT_EQ(L"New Macro1", m_keyboard.Macros()[0].name);
}

TEST_F(TrayServiceTest, LockLogoffAndDisconnectSuspendUnlockResumes)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    EXPECT_EQ("1 1 0 1", SinkCounts()) << "profile, recording and launch sinks; no sensitivity sink";

    for (WPARAM end : {WPARAM(WTS_SESSION_LOCK), WPARAM(WTS_SESSION_LOGOFF), WPARAM(WTS_CONSOLE_DISCONNECT)}) {
        ::SendMessageW(*m_dialog, WM_WTSSESSION_CHANGE, end, 1);
        EXPECT_FALSE(m_dialog->IsAutoSwitchArmed()) << "no polling after " << end;
        EXPECT_FALSE(m_dialog->HasEventConnections());
        EXPECT_EQ("0 0 0 0", SinkCounts()) << "sinks released after " << end;

        ::SendMessageW(*m_dialog, WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, 1);
        EXPECT_FALSE(m_dialog->HasEventConnections()) << "a remote session changes nothing";

        ::SendMessageW(*m_dialog, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
        EXPECT_TRUE(m_dialog->IsAutoSwitchArmed());
        EXPECT_EQ("1 1 0 1", SinkCounts()) << "fresh connections";
    }

    // The fresh connection delivers.
    ControlOk("profile-key");
    EXPECT_TRUE(PumpUntil([&] { return m_dialog->profileEvents == 1; }, 5000));
}

TEST_F(TrayServiceTest, LockDuringARecordingCancelsIt)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    ControlOk("record start");
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->started == 1; }, 5000));
    tray::MacroRecorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    ::SendMessageW(*m_dialog, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_FALSE(tray::MacroRecorder().IsRecording());
    EXPECT_TRUE(tray::MacroRecorder().Events().empty());
    EXPECT_EQ(1u, m_keyboard.Mode());
    EXPECT_EQ(0u, m_keyboard.ActiveLight(7).on);
}

TEST_F(TrayServiceTest, UnplugAndReplugSuspendAndResume)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());

    // The control tool unplugs the keyboard and tells every window, as the system would.
    ASSERT_EQ(0u, RunControlTool(L"unplug"));
    EXPECT_FALSE(m_dialog->IsAutoSwitchArmed());
    EXPECT_FALSE(m_dialog->HasEventConnections());

    // Device nodes changing while the keyboard is away keeps everything stopped.
    ::SendMessageW(*m_dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_FALSE(m_dialog->HasEventConnections());

    ASSERT_EQ(0u, RunControlTool(L"plug"));
    EXPECT_TRUE(m_dialog->IsAutoSwitchArmed());
    EXPECT_TRUE(m_dialog->HasEventConnections());
    EXPECT_EQ("1 1 0 1", SinkCounts());

    // Present: a change of the device nodes is no loss.
    ::SendMessageW(*m_dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_TRUE(m_dialog->HasEventConnections());

    // Gone without a removal notice: the next change of the nodes notices.
    ControlOk("unplug");
    ::SendMessageW(*m_dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_FALSE(m_dialog->HasEventConnections());
    EXPECT_FALSE(m_dialog->IsAutoSwitchArmed());
    ControlOk("plug");
}

TEST_F(TrayServiceTest, AfterTheKeyboardProcessDiedTheNextPollConnectsToItsSuccessor)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    m_keyboard.Close();
    ASSERT_NO_FATAL_FAILURE(KillKeyboardProcess());

    // A new keyboard process; the dialog still holds the connections to the dead one.
    ASSERT_TRUE(m_keyboard.Open());
    ASSERT_NO_FATAL_FAILURE(ArrangeThreeProfiles());
    EXPECT_EQ("0 0 0 0", SinkCounts());
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ("1 1 0 1", SinkCounts()) << "the poll connects anew";
    ControlOk("profile-key 2");
    EXPECT_TRUE(WaitForDisplay(L"Video"));

    // Connections that still reach their process stay as they are.
    tray::CProfileEventConnection* kept = m_dialog->ProfileConnection();
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_EQ(kept, m_dialog->ProfileConnection());
    EXPECT_EQ("1 1 0 1", SinkCounts());
}

TEST_F(TrayServiceTest, OfTwoProfilesWithOneNameTheMenuThePollTheDisplayAndTheLightsTakeTheRightOne)
{
    // Profile 1, then two "Games": the second alone shows its name and follows Player.exe.
    ASSERT_TRUE(m_keyboard.AddProfile(L"Games"));
    ASSERT_TRUE(m_keyboard.AddProfile(L"Second"));
    {
        CDeviceManager device;
        ASSERT_TRUE(device.SetProfileFlags(L"Second", 1, 0, 1));
        ASSERT_TRUE(device.SetLinkedProgram(L"Second", L"Player.exe"));
    }
    ASSERT_NO_FATAL_FAILURE(CComRename(L"Second", L"Games"));
    std::vector<std::wstring> names;
    std::vector<GUID> guids;
    {
        CDeviceManager device;
        ASSERT_TRUE(device.GetProfileNames(names, &guids));
    }
    ASSERT_EQ((std::vector<std::wstring>{L"Profile 1", L"Games", L"Games"}), names);
    const auto activeGuid = [] {
        CDeviceManager device;
        GUID guid{};
        EXPECT_TRUE(device.GetActiveProfileGuid(guid));
        return guid;
    };
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    const auto checkedItems = [&] {
        m_dialog->RefreshTrayMenu();
        HMENU popup = ::GetSubMenu(m_dialog->Menu(), 0);
        std::vector<int> checked;
        for (UINT i = 0; i < 3; ++i) {
            if (::GetMenuState(popup, tray::ID_TRAY_PROFILE1 + i, MF_BYCOMMAND) & MF_CHECKED)
                checked.push_back(static_cast<int>(i));
        }
        return checked;
    };

    // The menu: the chosen entry's profile becomes active, with its own display flag, and is the one
    // checked.
    EXPECT_EQ(std::vector<int>{0}, checkedItems());
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_PROFILE1 + 2, 0);
    EXPECT_TRUE(IsEqualGUID(guids[2], activeGuid())) << "the second Games";
    EXPECT_TRUE(WaitForDisplay(L"Games"));
    EXPECT_EQ(std::vector<int>{2}, checkedItems());
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_PROFILE1 + 1, 0);
    EXPECT_TRUE(IsEqualGUID(guids[1], activeGuid())) << "the first Games";
    EXPECT_EQ(std::vector<int>{1}, checkedItems());

    // The poll: the linked profile becomes active though the active one has its name.
    m_platform.SetForegroundProgram(L"Player.exe");
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);
    EXPECT_TRUE(IsEqualGUID(guids[2], activeGuid()));

    // The profile key: the display follows the flag of the profile that became active.
    ASSERT_TRUE(PumpUntil([&] { return !DisplayShown(); }, 6000));
    m_dialog->shown.clear();
    const int events = m_dialog->profileEvents;
    ControlOk("profile-key 1");
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->profileEvents > events; }, 5000));
    EXPECT_TRUE(m_dialog->shown.empty()) << "the first Games asks for no display";
    ControlOk("profile-key 2");
    EXPECT_TRUE(WaitForDisplay(L"Games"));

    // A recording lights the active profile's light, not the first one of its name.
    ASSERT_TRUE(IsEqualGUID(guids[2], activeGuid()));
    ControlOk("record start");
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->started == 1; }, 5000));
    EXPECT_EQ(1u, m_keyboard.ActiveLight(7).on);
}

TEST_F(TrayServiceTest, KeyboardAbsentAtStartIsConnectedOnArrival)
{
    ControlOk("unplug");
    m_dialog = std::make_unique<CObservedTrayDialog>();
    ASSERT_TRUE(m_dialog->Create(nullptr));
    EXPECT_FALSE(m_dialog->HasEventConnections());
    EXPECT_TRUE(m_dialog->IsAutoSwitchArmed()) << "the poll runs and finds nothing";
    ::SendMessageW(*m_dialog, WM_TIMER, tray::AutoSwitchTimer, 0);

    ControlOk("plug");
    const std::vector<BYTE> record = BuildDeviceInterfaceRecord(kKeyboardDevicePath);
    ::SendMessageW(*m_dialog, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record.data()));
    EXPECT_TRUE(m_dialog->HasEventConnections());
    ASSERT_NE(nullptr, m_dialog->MacroConnection());
    EXPECT_TRUE(m_dialog->ProfileConnection()->IsAdvised());
    EXPECT_TRUE(m_dialog->MacroConnection()->IsAdvised());
    EXPECT_TRUE(m_dialog->LaunchConnection()->IsAdvised());
}

TEST_F(TrayServiceTest, LaunchRequestOpensTheNamedFileAndRefusesAPathPastTheSystemsLimit)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    ControlOk("launch C:\\Users\\Public\\Documents\\notes for me.txt");
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->launches == 1; }, 5000));
    ASSERT_EQ(1u, m_platform.shellCalls.size());
    EXPECT_EQ(L"C:\\Users\\Public\\Documents\\notes for me.txt", m_platform.shellCalls[0].file);

    // 259 characters is the longest path; the shell never sees a longer one.
    int launches = 1;
    for (const size_t length : {size_t(MAX_PATH - 1), size_t(MAX_PATH), size_t(1000), size_t(5000)}) {
        const std::string path = "C:\\" + std::string(length - 7, 'a') + ".exe";
        ControlOk("launch " + path);
        ASSERT_TRUE(PumpUntil([&] { return m_dialog->launches == launches + 1; }, 5000)) << length;
        ++launches;
    }
    ASSERT_EQ(2u, m_platform.shellCalls.size()) << "only the path within the limit was opened";
    EXPECT_EQ(size_t(MAX_PATH - 1), m_platform.shellCalls[1].file.size());
}

TEST_F(TrayServiceTest, ClosedDialogIsNoLongerReachedByTheService)
{
    ASSERT_NO_FATAL_FAILURE(StartDialog());
    tray::CProfileEventSink* sink = m_dialog->ProfileConnection()->GetSink();
    sink->AddRef();  // the test keeps the sink alive to look at it after the close
    ::SendMessageW(*m_dialog, WM_COMMAND, tray::ID_TRAY_CLOSE, 0);
    EXPECT_EQ(nullptr, sink->GetHandler()) << "a late event finds no dialog";
    EXPECT_EQ("0 0 0 0", SinkCounts());
    sink->Release();
    EXPECT_EQ(1u, m_keyboard.Mode());
}

TEST_F(TrayServiceTest, ProgramRunsOnceShowsTheDisplayAndEndsOnClose)
{
    {
        CDeviceManager device;
        ASSERT_TRUE(device.SetProfileFlags(L"Profile 1", 0, 0, 1));
    }
    const std::wstring exe = testfiles::WinePath(TRAY_BIN_DIR) + L"\\TessaryTray.exe";
    CProgram tray(exe);
    ASSERT_TRUE(tray.Started());
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (dialog = FindProcessWindow(tray.Id(), L"#32770", L"TessaryTray")) != nullptr; }, 20000));
    EXPECT_FALSE(::IsWindowVisible(dialog));
    ASSERT_TRUE(PumpUntil([&] { return SinkCounts() == "1 1 0 1"; }, 20000)) << "the program connects to the keyboard";

    CProgram second(exe);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(0u, second.WaitForExit(20000)) << "a second start ends at once";
    EXPECT_EQ("1 1 0 1", SinkCounts()) << "and connects nothing";

    // A launch request with a path no program has is refused, and the program goes on.
    ControlOk("launch C:\\" + std::string(5000, 'a'));
    ControlOk("profile-key");
    HWND display = FindProcessWindow(tray.Id(), L"tsy_osd");
    ASSERT_NE(nullptr, display);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(display) != FALSE; }, 5000)) << "the display shows the profile";

    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, tray.WaitForExit(20000));
    EXPECT_EQ("0 0 0 0", SinkCounts());
}
