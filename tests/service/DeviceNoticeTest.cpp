// The simulated keyboard's device-change notification: the record as receivers read it, and its
// delivery to a hidden window, in-process and from the control tool in another process.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>
#include <objbase.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "service/control/DeviceNotice.h"
#include "NoticeTestSupport.h"

namespace {

TEST(DeviceNoticeRecord, HoldsTheMouseClassAndTheWholeTerminatedPath)
{
    GUID mouse = {};
    ASSERT_EQ(IIDFromString(L"{378DE44C-56EF-11D1-BC8C-00A0C91405DD}", &mouse), S_OK);
    EXPECT_TRUE(IsEqualGUID(kMouseInterfaceClass, mouse));

    const std::wstring path = kKeyboardDevicePath;
    const std::vector<BYTE> record = BuildDeviceInterfaceRecord(path);
    DEV_BROADCAST_DEVICEINTERFACE_W header;
    std::memcpy(&header, record.data(), sizeof(header));
    const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    EXPECT_EQ(header.dbcc_size, record.size());
    EXPECT_EQ(header.dbcc_size, nameOffset + (path.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(header.dbcc_devicetype, DWORD(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(header.dbcc_reserved, 0u);
    EXPECT_TRUE(IsEqualGUID(header.dbcc_classguid, mouse));
    EXPECT_EQ(std::memcmp(record.data() + nameOffset, path.c_str(), (path.size() + 1) * sizeof(wchar_t)), 0);
    EXPECT_NE(Upper(path).find(L"VID_3F1D&PID_0110"), std::wstring::npos);

    // A short path never makes the record smaller than the structure receivers cast it to.
    EXPECT_EQ(BuildDeviceInterfaceRecord(L"").size(), sizeof(DEV_BROADCAST_DEVICEINTERFACE_W));

    // Another device of the list gets a path of its own product, which receivers do not take for the
    // keyboard.
    EXPECT_EQ(DeviceInterfacePath(0x0110, 0), kKeyboardDevicePath);
    const std::wstring other = DeviceInterfacePath(0x0200, 1);
    EXPECT_NE(other.find(L"VID_3F1D&PID_0200&"), std::wstring::npos) << other;
    EXPECT_EQ(other.find(L"PID_0110"), std::wstring::npos) << other;
    EXPECT_NE(other, DeviceInterfacePath(0x0200, 2));

    EXPECT_EQ(DeviceChangeEvent(DeviceChange::Arrival), WPARAM(DBT_DEVICEARRIVAL));
    EXPECT_EQ(DeviceChangeEvent(DeviceChange::Removal), WPARAM(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(DeviceChangeEvent(DeviceChange::NodesChanged), WPARAM(DBT_DEVNODES_CHANGED));
}

// The record the tool sends reads back as it was built (the reading itself: DeviceInterfaceNoticeTest).
TEST(DeviceNoticeReading, ReadsBackTheRecordTheToolBuilds)
{
    std::vector<BYTE> record = BuildDeviceInterfaceRecord(kKeyboardDevicePath);
    const LPARAM data = reinterpret_cast<LPARAM>(record.data());
    std::wstring path;
    GUID interfaceClass = {};
    ASSERT_TRUE(ReadDeviceInterfacePath(DBT_DEVICEARRIVAL, data, &path, &interfaceClass));
    EXPECT_EQ(path, kKeyboardDevicePath);
    EXPECT_TRUE(IsEqualGUID(interfaceClass, kMouseInterfaceClass));
}

TEST(DeviceNoticeDelivery, BroadcastReachesAHiddenWindowOfThisProcess)
{
    CNoticeWindow window;
    ASSERT_TRUE(window.Handle());
    ASSERT_FALSE(IsWindowVisible(window.Handle()));

    ASSERT_TRUE(BroadcastDeviceChange(DeviceChange::Removal));
    ASSERT_EQ(window.Notices().size(), 1u);
    EXPECT_EQ(window.Notices()[0].event, WPARAM(DBT_DEVICEREMOVECOMPLETE));
    ExpectKeyboardRecord(window.Notices()[0]);
}

TEST(DeviceNoticeDelivery, ControlToolReachesAHiddenWindowOfAnotherProcess)
{
    CNoticeWindow window;
    ASSERT_TRUE(window.Handle());

    ASSERT_EQ(RunToolPumping(L"notify arrival"), 0);
    ASSERT_EQ(window.Notices().size(), 1u);
    EXPECT_EQ(window.Notices()[0].event, WPARAM(DBT_DEVICEARRIVAL));
    ExpectKeyboardRecord(window.Notices()[0]);

    ASSERT_EQ(RunToolPumping(L"notify removal"), 0);
    ASSERT_EQ(window.Notices().size(), 2u);
    EXPECT_EQ(window.Notices()[1].event, WPARAM(DBT_DEVICEREMOVECOMPLETE));
    ExpectKeyboardRecord(window.Notices()[1]);

    // A device-node change carries no record, and the receiver must not take lParam for one.
    ASSERT_EQ(RunToolPumping(L"notify nodes"), 0);
    ASSERT_EQ(window.Notices().size(), 3u);
    EXPECT_EQ(window.Notices()[2].event, WPARAM(DBT_DEVNODES_CHANGED));
    EXPECT_FALSE(window.Notices()[2].hasRecord);

    EXPECT_NE(RunToolPumping(L"notify sideways"), 0);
    EXPECT_EQ(window.Notices().size(), 3u);
}

} // namespace
