// The worker hand-over of device tasks (one at a time, outcome back on the starting thread, abandonment
// at destruction) and the registry reader of start-up.
#include "DeviceTestSupport.h"

#include "framework/Handle.h"
#include "model/Keyboard.h"

#include <memory>

namespace {

// A task the test lets go when it wants to.
struct Gate {
    CHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CHandle entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

bool WaitForNoTasks() { return PumpUntil([] { return RunningDeviceTasks() == 0; }); }

}  // namespace

TEST(DeviceTaskRunner, OneTaskAtATimeAndItsOutcomeArrivesAfterTheMergeOnTheStartingThread)
{
    CReportWindow reports;
    auto gate = std::make_shared<Gate>();
    std::vector<std::string> order;
    {
        CDeviceTaskRunner runner;
        runner.SetNotify(reports.Handle(), kWriteDoneMessage);
        const DWORD starter = GetCurrentThreadId();
        DWORD worker = 0;
        ASSERT_TRUE(runner.Start(
            [gate, &worker] {
                worker = GetCurrentThreadId();
                SetEvent(gate->entered);
                WaitForSingleObject(gate->release, kTestDeadlineMs);
                return true;
            },
            [&](bool ok) {
                order.push_back(ok ? "merge ok" : "merge failed");
                EXPECT_EQ(GetCurrentThreadId(), starter);
                EXPECT_TRUE(reports.Reports().empty()) << "the owner learns the outcome before the report";
            },
            0x3FF));
        ASSERT_EQ(WaitForSingleObject(gate->entered, kTestDeadlineMs), WAIT_OBJECT_0);
        EXPECT_TRUE(runner.IsBusy());
        EXPECT_FALSE(runner.Start([] { return true; }, nullptr, 0)) << "a second task while busy";

        SetEvent(gate->release);
        ASSERT_EQ(reports.WaitForReport(), 1);
        EXPECT_NE(worker, starter);
        EXPECT_FALSE(runner.IsBusy());
        EXPECT_EQ(reports.Masks().back(), 0x3FF);
        ASSERT_EQ(order.size(), 1u);
        EXPECT_EQ(order[0], "merge ok");

        ASSERT_TRUE(runner.Start([] { return false; }, [&](bool ok) { order.push_back(ok ? "ok" : "failed"); }, 1));
        EXPECT_EQ(reports.WaitForReport(), 0);
        EXPECT_EQ(order.back(), "failed");
    }
    EXPECT_TRUE(WaitForNoTasks());
}

TEST(DeviceTaskRunner, AnOutcomeIsPickedUpWithoutMessagesByAskingWhetherBusy)
{
    CDeviceTaskRunner runner;
    bool merged = false;
    ASSERT_TRUE(runner.Start([] { return true; }, [&](bool) { merged = true; }, 0));
    const ULONGLONG end = GetTickCount64() + kTestDeadlineMs;
    while (runner.IsBusy() && GetTickCount64() < end)
        WaitForSingleObject(GetCurrentThread(), 10);
    EXPECT_FALSE(runner.IsBusy());
    EXPECT_TRUE(merged);
}

TEST(DeviceTaskRunner, ShutdownThatStopsWaitingLeavesTheTaskItsDataAndReportsNothing)
{
    CReportWindow reports;
    auto gate = std::make_shared<Gate>();
    auto data = std::make_shared<std::vector<int>>(1000, 7);
    std::weak_ptr<std::vector<int>> watch = data;
    auto sum = std::make_shared<long>(0);
    bool merged = false;
    {
        auto runner = std::make_unique<CDeviceTaskRunner>();
        runner->SetNotify(reports.Handle(), kWriteDoneMessage);
        ASSERT_TRUE(runner->Start(
            [gate, data, sum] {
                SetEvent(gate->entered);
                WaitForSingleObject(gate->release, kTestDeadlineMs);
                for (int value : *data)
                    *sum += value;
                return true;
            },
            [&](bool) { merged = true; }, 0));
        data.reset();
        ASSERT_EQ(WaitForSingleObject(gate->entered, kTestDeadlineMs), WAIT_OBJECT_0);
        EXPECT_FALSE(runner->Shutdown(20));
        EXPECT_FALSE(runner->IsBusy());
        runner.reset();
    }
    EXPECT_FALSE(watch.expired()) << "the abandoned task still holds its data";
    SetEvent(gate->release);
    ASSERT_TRUE(WaitForNoTasks());
    EXPECT_TRUE(watch.expired()) << "and lets go of it when it ends";
    EXPECT_EQ(*sum, 7000);
    PumpUntil([] { return false; }, 100);
    EXPECT_FALSE(merged);
    EXPECT_TRUE(reports.Reports().empty());
}

// ---- ReadRegistryString

class RegistryStringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = L"Software\\Tessary\\Tests\\RegistryString-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(m_key);
        RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        ASSERT_EQ(RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
    {
        Set(name, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
    }

    std::wstring m_path;
    HKEY m_key = nullptr;
};

TEST_F(RegistryStringTest, ReadsStringsOfUpTo39CharactersAlwaysTerminated)
{
    wchar_t buffer[kRegistryStringChars];
    SetText(L"Language", L"English");
    EXPECT_EQ(ReadRegistryString(m_key, L"Language", buffer), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"English");

    const std::wstring longest(39, L'x');
    SetText(L"InstallDir", longest, REG_EXPAND_SZ);
    EXPECT_EQ(ReadRegistryString(m_key, L"InstallDir", buffer), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer), longest);

    // Stored without its terminator: still read as text and terminated.
    const std::wstring bare(39, L'y');
    Set(L"Bare", REG_SZ, bare.data(), DWORD(bare.size() * sizeof(wchar_t)));
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(ReadRegistryString(m_key, L"Bare", buffer), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer), bare);
}

TEST_F(RegistryStringTest, LongValuesOtherTypesAndMissingValuesFailWithAnEmptyBuffer)
{
    wchar_t buffer[kRegistryStringChars];
    SetText(L"Forty", std::wstring(40, L'z'));
    EXPECT_EQ(ReadRegistryString(m_key, L"Forty", buffer), ERROR_MORE_DATA);
    EXPECT_STREQ(buffer, L"");

    const std::wstring bare(40, L'z');
    Set(L"BareForty", REG_SZ, bare.data(), DWORD(bare.size() * sizeof(wchar_t)));
    EXPECT_EQ(ReadRegistryString(m_key, L"BareForty", buffer), ERROR_MORE_DATA);
    EXPECT_STREQ(buffer, L"");

    const DWORD number = 0x00410041;
    Set(L"Number", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(ReadRegistryString(m_key, L"Number", buffer), ERROR_INVALID_DATATYPE);
    EXPECT_STREQ(buffer, L"");

    EXPECT_EQ(ReadRegistryString(m_key, L"Missing", buffer), ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(buffer, L"");
}
