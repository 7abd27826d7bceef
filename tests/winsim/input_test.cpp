#include <gtest/gtest.h>
#include <winsim/control.h>

namespace {

void ExpectCursorAt(LONG x, LONG y)
{
    POINT point{};
    ASSERT_TRUE(GetCursorPos(&point));
    EXPECT_EQ(point.x, x);
    EXPECT_EQ(point.y, y);
}

}  // namespace

TEST(Input, CursorIsClippedToTheDesktop)
{
    winsim::SetDisplayMode({1024, 768, 16, 75});
    winsim::SetScreenSize(640, 480);
    EXPECT_TRUE(SetCursorPos(484, 388));
    ExpectCursorAt(484, 388);
    EXPECT_TRUE(SetCursorPos(-5, 2000));
    ExpectCursorAt(0, 767);
    EXPECT_TRUE(SetCursorPos(1024, 767));
    ExpectCursorAt(1023, 767);
    EXPECT_EQ(winsim::SetCursorPosCalls(), 3);
}

TEST(Input, SmallerDesktopPullsTheCursorIn)
{
    winsim::SetDisplayMode({1024, 768, 16, 75});
    SetCursorPos(1000, 700);
    winsim::SetDisplayMode({640, 480, 8, 60});
    EXPECT_EQ(winsim::CursorPosition().x, 639);
    EXPECT_EQ(winsim::CursorPosition().y, 479);
}

TEST(Input, AsyncKeyStateHasTheHighBitWhileAButtonIsDown)
{
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
    winsim::SetButtonDown(VK_MBUTTON, true);
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState(VK_MBUTTON)), 0x8000u);
    EXPECT_LT(GetAsyncKeyState(VK_MBUTTON), 0);
    winsim::SetButtonDown(VK_MBUTTON, false);
    EXPECT_EQ(GetAsyncKeyState(VK_MBUTTON), 0);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(256), 0);
}
