// Tests of the on-the-fly recorder's encoding: keys, buttons, the delays between them and what is left
// out.
#include "tray/MacroRecorder.h"

#include "TrayTestSupport.h"

using tray::TrayMacroRecorder;

namespace {

RawInputReport Mouse(USHORT buttonFlags, USHORT buttonData = 0)
{
    RawInputReport report;
    report.type = RIM_TYPEMOUSE;
    report.mouse.usButtonFlags = buttonFlags;
    report.mouse.usButtonData = buttonData;
    return report;
}

class MacroRecorderTest : public ::testing::Test {
protected:
    MacroRecorderTest() : m_scoped(m_platform) {}

    // The recorder reads the clock when it is made: after the fake is in place.
    TrayMacroRecorder& Recorder()
    {
        if (!m_recorder)
            m_recorder = std::make_unique<TrayMacroRecorder>();
        return *m_recorder;
    }
    std::vector<std::pair<DWORD, DWORD>> Events()
    {
        std::vector<std::pair<DWORD, DWORD>> events;
        for (const DeviceMacroEvent& event : Recorder().Events())
            events.push_back({event.type, event.value});
        return events;
    }

    CFakePlatform m_platform;
    CScopedPlatform m_scoped;
    std::unique_ptr<TrayMacroRecorder> m_recorder;
};

using EventList = std::vector<std::pair<DWORD, DWORD>>;

} // namespace

TEST_F(MacroRecorderTest, KeyPressAndReleaseWithTheDelayBetween)
{
    Recorder().StartRecorder();
    m_platform.tick += 500;  // the wait before the first key is not part of the macro
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    m_platform.tick += 120;
    Recorder().RecordReport(Key(kScanA, RI_KEY_BREAK));
    EXPECT_EQ((EventList{{2, kScanA}, {3, 120}, {2, kScanA | (RI_KEY_BREAK << 16)}}), Events());

    // Extended keys keep their prefix flags in the high half; a delay of 0 is still a delay.
    Recorder().RecordReport(Key(0x48, RI_KEY_E0));
    EXPECT_EQ((std::pair<DWORD, DWORD>{3, 0}), Events()[3]);
    EXPECT_EQ((std::pair<DWORD, DWORD>{2, 0x48 | (RI_KEY_E0 << 16)}), Events()[4]);
}

TEST_F(MacroRecorderTest, HeldKeyRecordsOnePress)
{
    Recorder().StartRecorder();
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    for (int repeat = 0; repeat < 5; ++repeat) {
        m_platform.tick += 33;
        Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    }
    m_platform.tick += 10;
    Recorder().RecordReport(Key(kScanA, RI_KEY_BREAK));
    // The delay runs from the press, through the repeats, to the release.
    EXPECT_EQ((EventList{{2, kScanA}, {3, 175}, {2, kScanA | (RI_KEY_BREAK << 16)}}), Events());

    // A second press after the release is a new press, and another key's press is never a repeat.
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    Recorder().RecordReport(Key(0x30, RI_KEY_MAKE));
    EXPECT_EQ(7u, Events().size());
}

TEST_F(MacroRecorderTest, SingleButtonTransitionsOnly)
{
    Recorder().StartRecorder();
    Recorder().RecordReport(Mouse(0));                      // movement
    Recorder().RecordReport(Mouse(RI_MOUSE_WHEEL, 120));    // wheel
    Recorder().RecordReport(Mouse(RI_MOUSE_LEFT_BUTTON_DOWN | RI_MOUSE_RIGHT_BUTTON_DOWN));
    EXPECT_TRUE(Events().empty());

    const USHORT transitions[] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080, 0x0100, 0x0200};
    for (USHORT flags : transitions)
        Recorder().RecordReport(Mouse(flags));
    ASSERT_EQ(19u, Events().size()) << "ten buttons and nine delays";
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ((std::pair<DWORD, DWORD>{1, transitions[i]}), Events()[i * 2]);

    RawInputReport other;
    other.type = RIM_TYPEHID;
    Recorder().RecordReport(other);
    EXPECT_EQ(19u, Events().size());
}

TEST_F(MacroRecorderTest, LongPausesAreCappedAndAWrappedClockCountsOn)
{
    Recorder().StartRecorder();
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    m_platform.tick += 0x1000000 + 5;
    Recorder().RecordReport(Key(kScanA, RI_KEY_BREAK));
    EXPECT_EQ(0xFFFFFFu, Events()[1].second);

    // GetTickCount wraps after 49.7 days; the difference is still the real pause.
    m_platform.tick = 0xFFFFFFF0;
    Recorder().RecordReport(Key(0x30, RI_KEY_MAKE));
    m_platform.tick = 0x10;
    Recorder().RecordReport(Key(0x30, RI_KEY_BREAK));
    EXPECT_EQ(0x20u, Events()[5].second);
}

TEST_F(MacroRecorderTest, NothingIsRecordedOutsideARecording)
{
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    EXPECT_TRUE(Events().empty()) << "never started";

    Recorder().StartRecorder();
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    Recorder().Stop();
    Recorder().RecordReport(Key(kScanA, RI_KEY_BREAK));
    EXPECT_EQ((EventList{{2, kScanA}}), Events()) << "a stopped recording keeps its events and takes no more";

    Recorder().StartRecorder();
    EXPECT_TRUE(Events().empty()) << "a new recording starts empty";
    Recorder().RecordReport(Key(kScanA, RI_KEY_MAKE));
    Recorder().Reset();
    EXPECT_FALSE(Recorder().IsRecording());
    EXPECT_TRUE(Events().empty());
}
