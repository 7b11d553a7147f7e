// Tests of what the tray program reads out of names and notifications: the number of a recorded
// macro's name, and whether a device-change record names the keyboard.
#include "tray/DeviceManager.h"
#include "tray/DeviceNotification.h"

#include "TrayTestSupport.h"

#include <climits>
#include <cstddef>

TEST(MacroNameNumberTest, CountsThePrefixFollowedByDigits)
{
    EXPECT_EQ(7, tray::MacroNameNumber(L"New Macro7"));
    EXPECT_EQ(12, tray::MacroNameNumber(L"New Macro 12")) << "a blank belongs to the prefix's letters";
    EXPECT_EQ(0, tray::MacroNameNumber(L"New Macro"));
    EXPECT_EQ(3, tray::MacroNameNumber(L"New Macro3b"));
    EXPECT_EQ(0, tray::MacroNameNumber(L"Old New Macro3")) << "only the start is skipped";
    EXPECT_EQ(0, tray::MacroNameNumber(L"new macro5")) << "n is not among the prefix's letters";
    // A number too large for the next name stays where one more still fits.
    EXPECT_EQ(INT_MAX - 1, tray::MacroNameNumber(L"New Macro99999999999999999999"));
}

namespace {

// A record as the system copies it: the header, then the name and its terminator.
std::vector<BYTE> Record(const std::wstring& name, DWORD deviceType = DBT_DEVTYP_DEVICEINTERFACE)
{
    const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::vector<BYTE> bytes(std::max(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W), nameOffset + (name.size() + 1) * 2), 0);
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    record->dbcc_size = static_cast<DWORD>(bytes.size());
    record->dbcc_devicetype = deviceType;
    std::copy(name.begin(), name.end(), record->dbcc_name);
    return bytes;
}

const DEV_BROADCAST_HDR* Header(const std::vector<BYTE>& bytes)
{
    return reinterpret_cast<const DEV_BROADCAST_HDR*>(bytes.data());
}

} // namespace

TEST(DeviceNotificationTest, KeyboardIsKnownByVendorAndProductInAnyCase)
{
    EXPECT_TRUE(tray::IsKeyboardDevicePath(L"\\\\?\\HID#VID_3F1D&PID_0110&MI_01#7&1a2b#{378dE44c-56ef-11d1-bc8c-00a0c91405dd}"));
    EXPECT_TRUE(tray::IsKeyboardDevicePath(L"\\\\?\\hid#vid_3f1d&pid_0110#x"));
    EXPECT_TRUE(tray::IsKeyboardDevicePath(L"PID_0110 then VID_3F1D")) << "each anywhere in the path";
    EXPECT_FALSE(tray::IsKeyboardDevicePath(L"\\\\?\\HID#VID_3F1D&PID_0111#x"));
    EXPECT_FALSE(tray::IsKeyboardDevicePath(L"\\\\?\\HID#VID_046D&PID_0110#x"));
    EXPECT_FALSE(tray::IsKeyboardDevicePath(L""));
}

TEST(DeviceNotificationTest, PathIsReadOnlyWithinTheRecord)
{
    std::wstring path;
    std::vector<BYTE> bytes = Record(L"\\\\?\\HID#VID_3F1D&PID_0110#1");
    ASSERT_TRUE(tray::ReadDeviceInterfacePath(Header(bytes), path));
    EXPECT_EQ(L"\\\\?\\HID#VID_3F1D&PID_0110#1", path);

    // A name that runs to the record's end without a terminator is cut there, never read beyond.
    bytes = Record(L"VID_3F1D&PID_0110XXXX");
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    record->dbcc_size = static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + 8 * sizeof(wchar_t));
    ASSERT_TRUE(tray::ReadDeviceInterfacePath(Header(bytes), path));
    EXPECT_EQ(L"VID_3F1D", path);

    // Too short for its own header, another device type, or no record at all: nothing is read.
    record->dbcc_size = 8;
    EXPECT_FALSE(tray::ReadDeviceInterfacePath(Header(bytes), path));
    bytes = Record(L"VID_3F1D&PID_0110", DBT_DEVTYP_VOLUME);
    EXPECT_FALSE(tray::ReadDeviceInterfacePath(Header(bytes), path));
    EXPECT_FALSE(tray::ReadDeviceInterfacePath(nullptr, path));
}
