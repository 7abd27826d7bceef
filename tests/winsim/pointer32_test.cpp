#include <gtest/gtest.h>
#include <winsim/control.h>

#include <vector>

TEST(Pointer32, TokensResolveToTheirPointerAndNullIsZero)
{
    const char section[] = "Default";
    const char value[] = "KVDrvViewportSize";
    const DWORD first = WinsimPointerToDword(section);
    const DWORD second = WinsimPointerToDword(value);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(WinsimPointerToDword(section), first);
    EXPECT_EQ(WinsimDwordToPointer(first), section);
    EXPECT_EQ(WinsimDwordToPointer(second), value);

    EXPECT_EQ(WinsimPointerToDword(nullptr), 0u);
    EXPECT_EQ(WinsimDwordToPointer(0), nullptr);
    EXPECT_EQ(WinsimDwordToPointer(0xFFFFFFFF), nullptr);
    EXPECT_EQ(WinsimDwordToPointer(first & 0xFF), nullptr);
}

TEST(Pointer32, ReusedSlotsLeaveOldTokensStale)
{
    std::vector<char> many(1000);
    const DWORD oldest = WinsimPointerToDword(&many[0]);
    for (std::size_t i = 1; i < many.size(); ++i) {
        EXPECT_NE(WinsimPointerToDword(&many[i]), 0u);
    }
    EXPECT_EQ(WinsimDwordToPointer(oldest), nullptr);

    const DWORD again = WinsimPointerToDword(&many[0]);
    EXPECT_NE(again, oldest);
    EXPECT_EQ(WinsimDwordToPointer(again), &many[0]);
}
