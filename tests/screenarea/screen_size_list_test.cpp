// A driver that lists no screen area, or fewer than the screen slider still offers: the
// label goes blank and nothing is applied, persisted or read outside the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screenarea_fixture.h"

namespace screenareatest {
namespace {

using Events_ = std::vector<std::string>;

class EmptyScreenSizeListTest : public ScreenAreaTest {
protected:
    void StartWithoutScreenSizes(LayoutVariant layout = LayoutNative)
    {
        Options options;
        options.adapter = PanningAdapter(FiveSizes(), {});
        options.layout = layout;
        Start(options);
        ASSERT_EQ(CountScreenSizes(), 0);
    }
};

TEST_F(EmptyScreenSizeListTest, TheScreenSliderOffersOnePositionAndTheLabelShowsTheViewportInForce)
{
    StartWithoutScreenSizes();

    EXPECT_EQ(ScreenMax(), 0);
    EXPECT_EQ(ScreenPos(), 0);
    EXPECT_EQ(Label(), SizeText(800, 600));
}

TEST_F(EmptyScreenSizeListTest, MovingEitherSliderBlanksTheLabel)
{
    StartWithoutScreenSizes();

    DragScreen(0);
    EXPECT_EQ(Label(), "");
    EXPECT_TRUE(Recorded().pageScrolls.empty());

    DragDesktop(0);
    ASSERT_TRUE(GetSizesEqual());
    SetWindowTextA(label_, "stale");
    DragDesktop(3);
    EXPECT_EQ(ScreenPos(), 0);
    EXPECT_EQ(Label(), "");
}

TEST_F(EmptyScreenSizeListTest, ApplyAsksNothingAndSendsNothing)
{
    StartWithoutScreenSizes();
    DragScreen(0);
    ForgetEvents();

    EXPECT_EQ(Apply(), PSNRET_NOERROR);

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
}

TEST_F(EmptyScreenSizeListTest, ARefusedApplyRestoresNothing)
{
    StartWithoutScreenSizes();
    Contract().verdict = PSNRET_INVALID;

    EXPECT_EQ(Apply(), PSNRET_INVALID);

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_EQ(Label(), "");
}

TEST_F(EmptyScreenSizeListTest, AClonedDepthChangePersistsNothing)
{
    StartWithoutScreenSizes(LayoutCloned);
    PickDepthItem(1);
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_TRUE(Driver().config().persisted.empty());
}

TEST_F(EmptyScreenSizeListTest, TheDisplayChangeOfThePagesOwnApplySetsNothing)
{
    StartWithoutScreenSizes();
    Contract().newMode = kvapi::Mode{1152, 864, 16, kRate};

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "displaychange"}));
    EXPECT_FALSE(IsApplyPending());
}

// The driver's table shrinks under the page: a later query for the 640x480 desktop lists
// only 640x480, while the slider still offers five positions.
class ShrunkScreenSizeListTest : public ScreenAreaTest {
protected:
    void StartAndShrink(LayoutVariant layout = LayoutNative)
    {
        Options options;
        options.layout = layout;
        Start(options);
        ASSERT_EQ(QueryViewportTable(640, 480, 8, 0), DriverOk);
        ASSERT_EQ(CountScreenSizes(), 1);
        ASSERT_EQ(ScreenMax(), 4);
    }
};

TEST_F(ShrunkScreenSizeListTest, APositionPastTheListBlanksTheLabelAndAppliesNothing)
{
    StartAndShrink();
    DragScreen(3);
    EXPECT_EQ(Label(), "");
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

TEST_F(ShrunkScreenSizeListTest, ASavedPositionPastTheListIsNotRestored)
{
    StartAndShrink();
    ASSERT_EQ(GetSavedScreenPos(), 1);
    DragScreen(0);
    Contract().verdict = PSNRET_INVALID;
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), "");
}

TEST_F(ShrunkScreenSizeListTest, AClonedDepthChangePersistsNoSizeForAPositionPastTheList)
{
    StartAndShrink(LayoutCloned);
    PickDepthItem(1);
    DragScreen(2);
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_TRUE(Driver().config().persisted.empty());
}

}  // namespace
}  // namespace screenareatest
