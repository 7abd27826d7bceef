// A user's session with the Display control panel, the display extension loaded in it as
// the shell loads it, driven through the panel harness.
#include "deskhost/harness.h"

#include <gtest/gtest.h>

namespace {

using deskhost::PageLayout;
using deskhost::PanelControl;

class PanelScenario : public ::testing::TestWithParam<PageLayout> {
protected:
    void SetUp() override
    {
        deskhost::PanelOptions options;
        options.layout = GetParam();
        ASSERT_TRUE(panel_->Open(options));
        ASSERT_TRUE(panel_->ExtensionLoaded());
    }

    std::unique_ptr<deskhost::PanelHarness> panel_ = deskhost::MakeWinsimHarness();
};

TEST_P(PanelScenario, OpensWithTheScreenSliderAtTheViewportInForce)
{
    // Desktop 1024 x 768 showing 800 x 600; both lists run 640x480 ... 1600x1200.
    EXPECT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, 2);
    EXPECT_EQ(panel_->Text(PanelControl::DesktopLabel), "1024 by 768 pixels");
    ASSERT_TRUE(panel_->IsVisible(PanelControl::ScreenSlider));
    ASSERT_TRUE(panel_->IsEnabled(PanelControl::ScreenSlider));
    const deskhost::SliderState screen = panel_->Slider(PanelControl::ScreenSlider);
    EXPECT_EQ(screen.position, 1);
    EXPECT_EQ(screen.minimum, 0);
    EXPECT_EQ(screen.maximum, 5);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), "800 by 600 pixels");
    EXPECT_TRUE(panel_->IsVisible(PanelControl::HelpArea));
    EXPECT_FALSE(panel_->IsEnabled(PanelControl::Apply));
    EXPECT_TRUE(panel_->MessageBoxes().empty());
}

TEST_P(PanelScenario, DraggingTheScreenSliderShowsItsSizeAndEnablesApply)
{
    const int changedBefore = panel_->SheetChangedNotices();
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), "640 by 480 pixels");
    EXPECT_GT(panel_->SheetChangedNotices(), changedBefore);
    EXPECT_TRUE(panel_->IsEnabled(PanelControl::Apply));
    EXPECT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, 2)
        << "a smaller screen area leaves the desktop";
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600})) << "nothing is applied before Apply";

    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 4));
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), "1280 by 1024 pixels");
    EXPECT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, 4)
        << "a larger screen area pushes the desktop";
    EXPECT_EQ(panel_->Text(PanelControl::DesktopLabel), "1280 by 1024 pixels");
}

TEST_P(PanelScenario, ClosingUnloadsTheExtensionAndLeavesNothingBehind)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    const deskhost::ClosedPanel closed = panel_->Close(deskhost::CloseBy::Cancel);
    EXPECT_EQ(closed.pagesAdded, 0);
    EXPECT_EQ(closed.canUnload, S_OK);
    EXPECT_TRUE(closed.unloaded);
    const deskhost::LiveObjects live = panel_->Live();
    EXPECT_EQ(live.windows, 0);
    EXPECT_EQ(live.hooks, 0);
    EXPECT_EQ(live.timers, 0);
    EXPECT_EQ(live.bitmaps, 0);
    EXPECT_EQ(live.screenDcs, 0);
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, PanelScenario,
                         ::testing::Values(PageLayout::Cloned, PageLayout::Native), [](const auto& info) {
                             return info.param == PageLayout::Native ? "Native" : "Cloned";
                         });

}  // namespace
