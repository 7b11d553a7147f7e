// The control pipe against the running device service: the service must be registered in the Wine
// prefix (scripts/session.sh does it for test runs). Each test holds the service for its duration and
// leaves the keyboard plugged in, as it found it.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

#include "DeviceService.h"
#include "service/DeviceRecords.h"
#include "service/ServiceStart.h"
#include "service/control/ControlClient.h"
#include "NoticeTestSupport.h"
#include "../support/KeyboardProcess.h"

namespace {

constexpr DWORD kKeyboardProductId = 272;
constexpr DWORD kStartMs = 15000;

ControlReply Send(const std::string& command)
{
    ControlOptions options;
    options.pipeMs = kStartMs;
    return SendControlCommand(command, options);
}

class ControlServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_initialised = true;
        // The keyboard process the last test ended may still be going.
        const HRESULT hr = CreateServiceWhenReady(IID_IDeviceCollection, reinterpret_cast<void**>(&m_collection), kStartMs);
        ASSERT_EQ(hr, S_OK) << "the device service is not registered in this Wine prefix";
        ASSERT_TRUE(WaitForControlPipe(kStartMs));
        const ControlReply plugged = Send("plug");
        ASSERT_EQ(plugged.status, ControlStatus::Ok) << plugged.message;
    }

    void TearDown() override
    {
        if (m_collection) {
            if (m_addedDevice)
                Send("remove-device 1");
            Send("plug");
            // The keyboard process ends here instead of after its idle time.
            const CHandle worker = QuitKeyboardProcess(kStartMs);
            m_collection->Release();
            if (!worker.IsNull()) {
                EXPECT_EQ(WaitForSingleObject(worker, kStartMs), WAIT_OBJECT_0) << "the keyboard process did not end";
            }
        }
        if (m_initialised)
            CoUninitialize();
    }

    // Whether the collection lists a device with the product id; asked anew each time, as the programs do.
    bool ListsProduct(DWORD productId)
    {
        for (DWORD index = 0; index < 64; ++index) {
            IServiceDevice* device = nullptr;
            if (FAILED(m_collection->GetDevice(index, &device)) || !device)
                return false;
            DeviceInfo info = {};
            const HRESULT hr = device->GetInfo(&info);
            device->Release();
            const bool found = SUCCEEDED(hr) && info.productId == productId;
            FreeDeviceInfo(&info);
            if (found)
                return true;
        }
        ADD_FAILURE() << "the collection never ends";
        return false;
    }

    IDeviceCollection* m_collection = nullptr;
    bool m_initialised = false;
    bool m_addedDevice = false;
};

TEST_F(ControlServiceTest, StateDescribesThePluggedKeyboard)
{
    const ControlReply reply = Send("state");
    ASSERT_EQ(reply.status, ControlStatus::Ok) << reply.message;
    ASSERT_FALSE(reply.lines.empty());
    std::string text;
    for (const std::string& line : reply.lines)
        text += line + "\n";
    EXPECT_TRUE(text.find("272") != std::string::npos || text.find("0x0110") != std::string::npos) << text;
}

TEST_F(ControlServiceTest, UnplugTakesTheKeyboardOutOfTheCollectionAndPlugBringsItBack)
{
    ASSERT_TRUE(ListsProduct(kKeyboardProductId));

    ControlReply reply = Send("unplug");
    ASSERT_EQ(reply.status, ControlStatus::Ok) << reply.message;
    EXPECT_FALSE(ListsProduct(kKeyboardProductId));

    reply = Send("plug 0");
    ASSERT_EQ(reply.status, ControlStatus::Ok) << reply.message;
    EXPECT_TRUE(ListsProduct(kKeyboardProductId));
}

TEST_F(ControlServiceTest, ToolTellsEveryWindowOfTheKeyboardGoingAndComing)
{
    CNoticeWindow window;
    ASSERT_TRUE(window.Handle());

    ASSERT_EQ(RunToolPumping(L"unplug"), 0);
    EXPECT_FALSE(ListsProduct(kKeyboardProductId));
    ASSERT_EQ(window.Notices().size(), 1u);
    EXPECT_EQ(window.Notices()[0].event, WPARAM(DBT_DEVICEREMOVECOMPLETE));
    ExpectKeyboardRecord(window.Notices()[0]);

    ASSERT_EQ(RunToolPumping(L"plug"), 0);
    EXPECT_TRUE(ListsProduct(kKeyboardProductId));
    ASSERT_EQ(window.Notices().size(), 2u);
    EXPECT_EQ(window.Notices()[1].event, WPARAM(DBT_DEVICEARRIVAL));
    ExpectKeyboardRecord(window.Notices()[1]);

    // A refused command tells nobody anything.
    EXPECT_EQ(RunToolPumping(L"unplug 9"), 1);
    EXPECT_EQ(window.Notices().size(), 2u);
}

TEST_F(ControlServiceTest, AnotherDeviceGoingIsNotTakenForTheKeyboard)
{
    const ControlReply added = Send("add-device 0x0200");
    ASSERT_EQ(added.status, ControlStatus::Ok) << added.message;
    m_addedDevice = true;
    ASSERT_EQ(added.lines, (std::vector<std::string>{"device 1"}));

    CNoticeWindow window;
    ASSERT_TRUE(window.Handle());
    ASSERT_EQ(RunToolPumping(L"unplug 1"), 0);
    EXPECT_TRUE(ListsProduct(kKeyboardProductId));
    ASSERT_EQ(window.Notices().size(), 1u);
    EXPECT_EQ(window.Notices()[0].event, WPARAM(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(window.Notices()[0].path, DeviceInterfacePath(0x0200, 1));
    EXPECT_EQ(Upper(window.Notices()[0].path).find(L"PID_0110"), std::wstring::npos);
}

TEST_F(ControlServiceTest, CommandsTheServiceDoesNotKnowAreErrors)
{
    for (const char* command : {"wobble", "", "plug 99", "record sideways", "fail"}) {
        const ControlReply reply = Send(command);
        EXPECT_EQ(reply.status, ControlStatus::Error) << command;
        EXPECT_FALSE(reply.message.empty()) << command;
    }
    // The service still answers after them.
    EXPECT_EQ(Send("pid").status, ControlStatus::Ok);
}

} // namespace
