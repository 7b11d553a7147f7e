// The one reading of a WM_DEVICECHANGE record that both programs use: what it reads, and what of a
// record it never touches.
#include "framework/DeviceInterfaceNotice.h"
#include "../support/DeviceChangeRecord.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>
#include <objbase.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

LPARAM Data(std::vector<BYTE>& bytes) { return reinterpret_cast<LPARAM>(bytes.data()); }

void SetSize(std::vector<BYTE>& bytes, DWORD size) { std::memcpy(bytes.data(), &size, sizeof(size)); }

} // namespace

TEST(DeviceInterfaceNoticeTest, ReadsThePathAndClassOfAnArrivalOrRemoval)
{
    GUID mouse = {};
    ASSERT_EQ(IIDFromString(L"{378DE44C-56EF-11D1-BC8C-00A0C91405DD}", &mouse), S_OK);
    EXPECT_TRUE(IsEqualGUID(kMouseInterfaceClass, mouse));

    std::vector<BYTE> bytes = DeviceInterfaceRecord(L"\\\\?\\HID#VID_3F1D&PID_0110#1");
    std::wstring path;
    GUID interfaceClass = {};
    ASSERT_TRUE(ReadDeviceInterfacePath(DBT_DEVICEARRIVAL, Data(bytes), &path, &interfaceClass));
    EXPECT_EQ(L"\\\\?\\HID#VID_3F1D&PID_0110#1", path);
    EXPECT_TRUE(IsEqualGUID(interfaceClass, mouse));
    path.clear();
    ASSERT_TRUE(ReadDeviceInterfacePath(DBT_DEVICEREMOVECOMPLETE, Data(bytes), &path));
    EXPECT_EQ(L"\\\\?\\HID#VID_3F1D&PID_0110#1", path);
}

TEST(DeviceInterfaceNoticeTest, ReadsOnlyWithinTheRecord)
{
    std::wstring path;
    // A name that runs to the record's end without a terminator is cut there, never read beyond.
    std::vector<BYTE> bytes = DeviceInterfaceRecord(L"VID_3F1D&PID_0110XXXX");
    SetSize(bytes, static_cast<DWORD>(kNameOffset + 8 * sizeof(wchar_t)));
    ASSERT_TRUE(ReadDeviceInterfacePath(DBT_DEVICEARRIVAL, Data(bytes), &path));
    EXPECT_EQ(L"VID_3F1D", path);

    // Too short for its header and class, or another device type: nothing is read.
    SetSize(bytes, static_cast<DWORD>(kNameOffset - 1));
    EXPECT_FALSE(ReadDeviceInterfacePath(DBT_DEVICEARRIVAL, Data(bytes), &path));
    bytes = DeviceInterfaceRecord(L"VID_3F1D&PID_0110", DBT_DEVTYP_VOLUME);
    EXPECT_FALSE(ReadDeviceInterfacePath(DBT_DEVICEARRIVAL, Data(bytes), &path));

    // Events without a copied record, or no record at all: lParam is not even looked at (this one
    // would fault).
    EXPECT_FALSE(ReadDeviceInterfacePath(DBT_DEVNODES_CHANGED, 1, &path));
    EXPECT_FALSE(ReadDeviceInterfacePath(DBT_DEVICEARRIVAL, 0, &path));

    // The size is checked before anything after it: a record of four bytes at the end of readable
    // memory is refused without its type being read.
    SYSTEM_INFO system = {};
    ::GetSystemInfo(&system);
    auto* pages = static_cast<BYTE*>(::VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, pages);
    DWORD old = 0;
    ASSERT_TRUE(::VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old));
    BYTE* tail = pages + system.dwPageSize - sizeof(DWORD);
    const DWORD tiny = sizeof(DWORD);
    std::memcpy(tail, &tiny, sizeof(tiny));
    EXPECT_FALSE(ReadDeviceInterfacePath(DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(tail), &path));
    ::VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(DeviceInterfaceNoticeTest, KeyboardIsKnownByVendorAndProductInAnyCase)
{
    EXPECT_TRUE(IsKeyboardDevicePath(L"\\\\?\\HID#VID_3F1D&PID_0110&MI_01#7&1a2b#{378dE44c-56ef-11d1-bc8c-00a0c91405dd}"));
    EXPECT_TRUE(IsKeyboardDevicePath(L"\\\\?\\hid#vid_3f1d&pid_0110#x"));
    EXPECT_TRUE(IsKeyboardDevicePath(L"PID_0110 then VID_3F1D")) << "each anywhere in the path";
    EXPECT_FALSE(IsKeyboardDevicePath(L"\\\\?\\HID#VID_3F1D&PID_0111#x"));
    EXPECT_FALSE(IsKeyboardDevicePath(L"\\\\?\\HID#VID_046D&PID_0110#x"));
    EXPECT_FALSE(IsKeyboardDevicePath(L""));
}
