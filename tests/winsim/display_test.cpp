#include <gtest/gtest.h>
#include <winsim/control.h>

TEST(Display, ScreenDcReportsTheDesktopAndMetricsTheVisibleScreen)
{
    winsim::SetDisplayMode({1280, 1024, 8, 60});
    winsim::SetScreenSize(800, 600);

    const HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(winsim::LiveScreenDcs(), 1);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 1024);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, VREFRESH), 60);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);

    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_EQ(winsim::LiveScreenDcs(), 0);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 0);
}

TEST(Display, NewModeMakesTheScreenTheWholeDesktop)
{
    winsim::SetScreenSize(640, 480);
    winsim::SetDisplayMode({800, 600, 16, 75});
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    EXPECT_EQ(winsim::GetDisplayMode().bitsPerPixel, 16);
}

TEST(Display, EachScreenDcIsItsOwnAndCountedUntilReleased)
{
    const HDC first = GetDC(nullptr);
    const HDC second = GetDC(nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(winsim::LiveScreenDcs(), 2);
    ReleaseDC(nullptr, first);
    EXPECT_EQ(winsim::LiveScreenDcs(), 1);
    EXPECT_EQ(GetDeviceCaps(second, HORZRES), 1024);
}

TEST(Display, InjectedScreenDcFailure)
{
    winsim::FailNext(winsim::Fault::ScreenDc);
    EXPECT_EQ(GetDC(nullptr), nullptr);
    EXPECT_EQ(winsim::LiveScreenDcs(), 0);
    const HDC dc = GetDC(nullptr);
    EXPECT_NE(dc, nullptr);
    ReleaseDC(nullptr, dc);
}
