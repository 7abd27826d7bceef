// The desktop slider, the screen slider and the size label kept consistent through the
// page's message flow: drags reach the page as WM_HSCROLL, depth changes as CBN_SELCHANGE.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "screenarea_fixture.h"

namespace screenareatest {
namespace {

using ScrollSeen = std::pair<WPARAM, LPARAM>;

// The default adapter lists the same five sizes as desktops and as screen areas, so that a
// position names the same size on both sliders; 1024x768 (position 2) is in force, showing
// 800x600 (position 1).
class SliderSyncTest : public ScreenAreaTest {
protected:
    void SetUp() override { Start(); }
};

TEST_F(SliderSyncTest, PageInitialisationShowsTheScreenAreaInForce)
{
    EXPECT_EQ(DesktopPos(), 2);
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(ScreenMax(), 4);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_EQ(GetSavedScreenPos(), 1);
    EXPECT_FALSE(GetSizesEqual());
}

TEST_F(SliderSyncTest, ScreenSliderPassingTheDesktopPushesTheDesktopUp)
{
    DragScreen(3);

    EXPECT_EQ(Label(), SizeText(1152, 864));
    // The screen slider's own scrolls never reach the page; the push does, once.
    EXPECT_EQ(Recorded().pageScrolls, (std::vector<ScrollSeen>{{MAKEWPARAM(TB_THUMBPOSITION, 3),
                                                                reinterpret_cast<LPARAM>(desktopSlider_)}}));
    EXPECT_EQ(DesktopPos(), 3);
    EXPECT_TRUE(GetSizesEqual());
    ASSERT_FALSE(Recorded().sheetMessages.empty());
    EXPECT_EQ(Recorded().sheetMessages.front(), static_cast<UINT>(PSM_CHANGED));
    EXPECT_EQ(Events(), (std::vector<std::string>{"changed", "changed", "changed", "changed"}))
        << "a drag sends no driver request";
}

TEST_F(SliderSyncTest, ScreenSliderAtOrBelowTheDesktopLeavesThePageAlone)
{
    DragScreen(2);
    EXPECT_EQ(Label(), SizeText(1024, 768));
    EXPECT_TRUE(GetSizesEqual());

    DragScreen(0);
    EXPECT_EQ(Label(), SizeText(640, 480));
    EXPECT_FALSE(GetSizesEqual());

    EXPECT_TRUE(Recorded().pageScrolls.empty());
    EXPECT_EQ(DesktopPos(), 2);
}

// The screen area is the whole desktop, so the screen slider follows the desktop slider. In
// the Cloned layout nothing else on the page is repainted along with the screen slider.
TEST_F(ScreenAreaTest, TheScreenSliderIsRedrawnWhereverItIsMovedOrRanged)
{
    Options options;
    options.adapter = PanningAdapter(FiveSizes(), FiveSizes(), {1024, 768}, {1024, 768});
    options.layout = LayoutCloned;
    Start(options);
    ASSERT_TRUE(GetSizesEqual());
    ASSERT_FALSE(GetUpdateRect(screenSlider_, nullptr, FALSE));

    DragDesktop(4);
    ASSERT_EQ(ScreenPos(), 4);
    EXPECT_TRUE(GetUpdateRect(screenSlider_, nullptr, FALSE)) << "moved along with the desktop";

    winsim::PumpMessages();
    ASSERT_FALSE(GetUpdateRect(screenSlider_, nullptr, FALSE));
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(ControlId(RoleRangeCommand), 0), 0);
    EXPECT_TRUE(GetUpdateRect(screenSlider_, nullptr, FALSE)) << "ranged again";
}

TEST_F(SliderSyncTest, WhileTheSizesAreEqualTheScreenFollowsTheDesktopBothWays)
{
    DragScreen(2);
    ASSERT_TRUE(GetSizesEqual());

    DragDesktop(4);
    EXPECT_EQ(ScreenPos(), 4);
    EXPECT_EQ(Label(), SizeText(1280, 1024));

    DragDesktop(1);
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_TRUE(GetSizesEqual());
}

TEST_F(SliderSyncTest, ASmallerScreenStaysWhenTheDesktopMovesAboveIt)
{
    DragDesktop(4);
    EXPECT_EQ(ScreenPos(), 1);
    DragDesktop(3);
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_FALSE(GetSizesEqual());
}

TEST_F(SliderSyncTest, ADesktopShrinkingBelowTheScreenPullsTheScreenDown)
{
    DragDesktop(4);
    DragScreen(3);
    ASSERT_FALSE(GetSizesEqual());

    DragDesktop(1);

    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_TRUE(GetSizesEqual());
}

TEST_F(SliderSyncTest, ADepthChangeKeepsSizesEqualSoTheScreenStaysBehindTheNextDesktopMove)
{
    DragDesktop(4);
    DragScreen(3);
    ASSERT_FALSE(GetSizesEqual());
    Contract().desktopAfterDepthChange = 2;

    PickDepthItem(1);
    EXPECT_EQ(DesktopPos(), 2);
    EXPECT_EQ(ScreenPos(), 2) << "pulled down to the desktop";
    EXPECT_EQ(Label(), SizeText(1024, 768));
    EXPECT_FALSE(GetSizesEqual()) << "a depth change does not recompute SizesEqual";

    DragDesktop(3);
    EXPECT_EQ(ScreenPos(), 2);
    EXPECT_FALSE(GetSizesEqual());
}

TEST_F(SliderSyncTest, ThePushedDesktopCarriesTheScreenAlongAfterwards)
{
    DragScreen(3);
    ASSERT_TRUE(GetSizesEqual());
    DragDesktop(2);
    EXPECT_EQ(ScreenPos(), 2);
}

// Whatever moves the screen slider, the user's drag or the component itself, the preview is
// drawn again.
TEST_F(SliderSyncTest, EveryMoveOfTheScreenSliderRepaintsThePreview)
{
    const HWND preview = GetDlgItem(page_, ControlId(RolePreviewControl));
    const auto repaintsAfter = [preview](const std::function<void()>& action) {
        ValidateRect(preview, nullptr);
        action();
        return GetUpdateRect(preview, nullptr, FALSE) != FALSE;
    };
    EXPECT_TRUE(repaintsAfter([this] { DragScreen(2); })) << "the user's drag";
    EXPECT_TRUE(repaintsAfter([this] { DragDesktop(3); })) << "following the desktop";
    Contract().desktopAfterDepthChange = 1;
    EXPECT_TRUE(repaintsAfter([this] { PickDepthItem(1); })) << "pulled down by a depth change";
    EXPECT_TRUE(repaintsAfter([] { RevertScreenArea(); })) << "put back by a revert";
    EXPECT_TRUE(repaintsAfter([] { SetScreenRange(); })) << "a new range, which scales the preview";

    // A page without the preview has nothing to repaint, and no other window is repainted.
    DestroyWindow(preview);
    ValidateRect(sheet_, nullptr);
    DragScreen(1);
    EXPECT_FALSE(GetUpdateRect(sheet_, nullptr, FALSE));
}

// ---- the screen slider's range ----

TEST_F(ScreenAreaTest, FiveScreenSizesUnderEightDesktopsGiveTheRange0To4)
{
    const Sizes desktops = {{640, 480},  {800, 600},   {1024, 768},  {1152, 864},
                            {1280, 960}, {1280, 1024}, {1600, 1200}, {1920, 1440}};
    Options options;
    options.adapter = PanningAdapter(desktops, FiveSizes());
    Start(options);
    ASSERT_EQ(SendMessageA(desktopSlider_, TBM_GETRANGEMAX, 0, 0), 7);

    EXPECT_EQ(ScreenMax(), 4);
    DragScreen(7);
    EXPECT_EQ(ScreenPos(), 4);
    EXPECT_EQ(Label(), SizeText(1280, 1024));
}

// ---- desktop sizes and screen areas that differ: positions index two lists ----

// Eight screen areas under four desktops: 1024x768 in force (desktop position 2) showing
// 512x384 (screen position 2).
Options EightScreenSizesUnderFourDesktops()
{
    const Sizes desktops = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    const Sizes screens = {{320, 240}, {400, 300}, {512, 384},  {640, 400},
                           {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    Options options;
    options.adapter = PanningAdapter(desktops, screens, {1024, 768}, {512, 384});
    return options;
}

TEST_F(ScreenAreaTest, EveryScreenAreaTheLargestDesktopHoldsIsReachableAndPushesByItsSize)
{
    Start(EightScreenSizesUnderFourDesktops());
    EXPECT_EQ(ScreenMax(), 7);
    EXPECT_EQ(ScreenPos(), 2);
    EXPECT_FALSE(GetSizesEqual()) << "512x384 is not the 1024x768 desktop";

    DragScreen(6);  // 1024x768 fits the desktop: no push
    EXPECT_TRUE(Recorded().pageScrolls.empty());
    EXPECT_TRUE(GetSizesEqual());

    DragScreen(7);  // 1280x1024: the desktop goes up to the one that holds it
    EXPECT_EQ(Label(), SizeText(1280, 1024));
    EXPECT_EQ(Recorded().pageScrolls, (std::vector<ScrollSeen>{{MAKEWPARAM(TB_THUMBPOSITION, 3),
                                                                reinterpret_cast<LPARAM>(desktopSlider_)}}));
    EXPECT_EQ(DesktopPos(), 3);
    EXPECT_TRUE(GetSizesEqual());

    DragDesktop(1);  // sizes equal: the screen area follows to 800x600
    EXPECT_EQ(ScreenPos(), 5);
    EXPECT_EQ(Label(), SizeText(800, 600));
}

// Three screen areas under five desktops: the same position stands for a larger screen area
// than desktop. 1024x768 in force (desktop position 2) showing 800x600 (screen position 0).
TEST_F(ScreenAreaTest, PushAndPullGoByTheSizesThePositionsStandFor)
{
    Options options;
    options.adapter = PanningAdapter(FiveSizes(), {{800, 600}, {1024, 768}, {1280, 1024}});
    Start(options);
    ASSERT_EQ(ScreenPos(), 0);

    DragScreen(2);  // 1280x1024 at position 2 does not fit the 1024x768 desktop at position 2
    EXPECT_EQ(DesktopPos(), 4);
    EXPECT_TRUE(GetSizesEqual());

    DragScreen(1);
    DragDesktop(1);  // 1024x768 does not fit the 800x600 desktop at position 1
    EXPECT_EQ(ScreenPos(), 0);
    EXPECT_EQ(Label(), SizeText(800, 600));
}

// 1152x864 is the largest desktop and no screen area; the driver also offers 1280x1024 as one.
Options AScreenAreaLargerThanEveryDesktop()
{
    const Sizes desktops = {{640, 480}, {800, 600}, {1152, 864}};
    Options options;
    options.adapter = PanningAdapter(desktops, {}, {1152, 864}, {1024, 768});
    for (kvapi::ViewportTable& table : options.adapter.viewports) {
        table.sizes = {{512, 384}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    }
    return options;
}

TEST_F(ScreenAreaTest, AScreenAreaNoDesktopHoldsIsOutOfReach)
{
    Start(AScreenAreaLargerThanEveryDesktop());
    ASSERT_EQ(CountScreenSizes(), 5);
    EXPECT_EQ(ScreenMax(), 3);

    DragScreen(4);
    EXPECT_EQ(ScreenPos(), 3);
    EXPECT_EQ(Label(), SizeText(1024, 768));

    DragDesktop(1);
    EXPECT_EQ(ScreenPos(), 2);
    EXPECT_TRUE(GetSizesEqual());
    // Following the desktop back to 1152x864, the screen area takes the largest that it holds.
    DragDesktop(2);
    EXPECT_EQ(ScreenPos(), 3);
    EXPECT_EQ(Label(), SizeText(1024, 768));
}

TEST_F(ScreenAreaTest, AViewportThatIsNoScreenSizeStandsAtTheDesktopWithItsOwnSize)
{
    Options options;
    options.adapter = PanningAdapter(FiveSizes(), FiveSizes(), {1024, 768}, {720, 400});
    Start(options);

    EXPECT_EQ(ScreenPos(), DesktopPos());
    EXPECT_EQ(Label(), SizeText(720, 400));
}

}  // namespace
}  // namespace screenareatest
