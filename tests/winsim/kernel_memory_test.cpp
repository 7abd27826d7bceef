#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <cstddef>

TEST(GlobalMemory, MoveableBlockIsZeroFilledAndLockedThroughItsHandle)
{
    const HGLOBAL handle = GlobalAlloc(GHND, 14);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalSize(handle), 14u);
    EXPECT_EQ(winsim::LiveGlobalBlocks(), 1);

    auto* bytes = static_cast<unsigned char*>(GlobalLock(handle));
    ASSERT_NE(bytes, nullptr);
    EXPECT_NE(static_cast<void*>(bytes), handle);
    EXPECT_TRUE(std::all_of(bytes, bytes + 14, [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(GlobalLock(handle), bytes);

    EXPECT_TRUE(GlobalUnlock(handle));
    SetLastError(ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

    EXPECT_EQ(GlobalFree(handle), nullptr);
    EXPECT_EQ(winsim::LiveGlobalBlocks(), 0);
}

TEST(GlobalMemory, FixedBlockIsItsOwnAddressAndUnzeroedWithoutTheFlag)
{
    const HGLOBAL handle = GlobalAlloc(GMEM_FIXED, 16);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalLock(handle), handle);
    const auto* bytes = static_cast<const unsigned char*>(handle);
    EXPECT_FALSE(std::all_of(bytes, bytes + 16, [](unsigned char b) { return b == 0; }));
    EXPECT_TRUE(GlobalUnlock(handle));
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, FreedOrUnknownHandlesAreRefused)
{
    const HGLOBAL handle = GlobalAlloc(GHND, 8);
    ASSERT_EQ(GlobalFree(handle), nullptr);
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalFree(handle), handle);
    EXPECT_EQ(GlobalSize(handle), 0u);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, MoveableBlockOfSizeZeroCannotBeLocked)
{
    const HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, InjectedFailures)
{
    winsim::FailNext(winsim::Fault::GlobalAlloc);
    EXPECT_EQ(GlobalAlloc(GHND, 10), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(winsim::LiveGlobalBlocks(), 0);

    const HGLOBAL handle = GlobalAlloc(GHND, 10);
    ASSERT_NE(handle, nullptr);
    winsim::FailNext(winsim::Fault::GlobalLock);
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_NE(GlobalLock(handle), nullptr);
}
