// Tests of what the tray program reads out of names: the number of a recorded macro's name.
#include "tray/DeviceManager.h"

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
