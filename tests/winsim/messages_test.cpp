#include <gtest/gtest.h>
#include <winsim/control.h>

TEST(Messages, BroadcastsAreRecordedInOrder)
{
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, 16, MAKELPARAM(1024, 768)));
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, WM_USER + 1, 0, 0));
    const auto& broadcasts = winsim::Broadcasts();
    ASSERT_EQ(broadcasts.size(), 2u);
    EXPECT_EQ(broadcasts[0].message, static_cast<UINT>(WM_DISPLAYCHANGE));
    EXPECT_EQ(broadcasts[0].wParam, 16u);
    EXPECT_EQ(LOWORD(broadcasts[0].lParam), 1024);
    EXPECT_EQ(HIWORD(broadcasts[0].lParam), 768);
    EXPECT_EQ(broadcasts[1].message, static_cast<UINT>(WM_USER + 1));

    winsim::ClearBroadcasts();
    EXPECT_TRUE(winsim::Broadcasts().empty());
}

TEST(Messages, PostingToAWindowThatDoesNotExistFails)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_NULL, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(winsim::Broadcasts().empty());
}
