// Ownership of kernel handles and icons by their wrappers.
#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsLive(HANDLE h)
{
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

TEST(HandleTest, ClosesOnceWhereverOwnershipWent)
{
    // A failed CreateFile's INVALID_HANDLE_VALUE counts as no handle, like a failed CreateEvent's null.
    CHandle missing(::CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(missing.IsNull());
    EXPECT_FALSE(missing.CloseHandle());

    CHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE h = event;
    ASSERT_TRUE(IsLive(h));
    CHandle moved(std::move(event));
    EXPECT_TRUE(event.IsNull());
    EXPECT_TRUE(moved.CloseHandle());
    EXPECT_FALSE(IsLive(h));
    EXPECT_FALSE(moved.CloseHandle());

    // Attach replaces and closes the old handle; Detach hands it on unclosed.
    HANDLE second = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        CHandle owner(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const HANDLE first = owner;
        owner.Attach(second);
        EXPECT_FALSE(IsLive(first));
        EXPECT_EQ(second, owner.Detach());
    }
    EXPECT_TRUE(IsLive(second));
    CHandle(second).CloseHandle();
}

TEST(HandleTest, IconIsDestroyedOnce)
{
    BYTE andMask[4 * 4] = {};
    BYTE xorMask[4 * 4] = {};
    CIcon icon(::CreateIcon(::GetModuleHandleW(nullptr), 4, 4, 1, 1, andMask, xorMask));
    ASSERT_FALSE(icon.IsNull());
    EXPECT_TRUE(icon.DestroyIcon());
    EXPECT_TRUE(icon.IsNull());
    EXPECT_FALSE(icon.DestroyIcon());
}

} // namespace
