// Tests of what the tray program reads out of names and notifications: the number of a recorded
// macro's name, and whether a device-change record names the keyboard.
#include "tray/DeviceManager.h"
#include "tray/DeviceNotification.h"

#include "TrayTestSupport.h"

#include <climits>

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

TEST(DeviceNotificationTest, KeyboardIsKnownByVendorAndProductInAnyCase)
{
    EXPECT_TRUE(tray::IsKeyboardDevicePath(L"\\\\?\\HID#VID_3F1D&PID_0110&MI_01#7&1a2b#{378dE44c-56ef-11d1-bc8c-00a0c91405dd}"));
    EXPECT_TRUE(tray::IsKeyboardDevicePath(L"\\\\?\\hid#vid_3f1d&pid_0110#x"));
    EXPECT_TRUE(tray::IsKeyboardDevicePath(L"PID_0110 then VID_3F1D")) << "each anywhere in the path";
    EXPECT_FALSE(tray::IsKeyboardDevicePath(L"\\\\?\\HID#VID_3F1D&PID_0111#x"));
    EXPECT_FALSE(tray::IsKeyboardDevicePath(L"\\\\?\\HID#VID_046D&PID_0110#x"));
    EXPECT_FALSE(tray::IsKeyboardDevicePath(L""));
}
