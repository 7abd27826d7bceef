// A user's session with the Display control panel, the display extension loaded in it as the
// shell loads it: the screen-area slider as the panel opens, the two sliders, closing.
#include "scenario_fixture.h"

namespace scenario {
namespace {

class PanelScenario : public Scenario {
protected:
    void SetUp() override
    {
        Open();
        ASSERT_TRUE(panel_->ExtensionLoaded());
        DriverChanges();
    }

    void ExpectScreen(int position)
    {
        EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, position);
        EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel),
                  SizeLabels().at(static_cast<std::size_t>(position)));
    }

    void ExpectDesktop(int position)
    {
        EXPECT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, position);
        EXPECT_EQ(panel_->Text(PanelControl::DesktopLabel),
                  SizeLabels().at(static_cast<std::size_t>(position)));
    }
};

TEST_P(PanelScenario, OpensWithTheScreenSliderAtTheViewportInForceBelowTheDesktopSlider)
{
    ExpectDesktop(2);
    ASSERT_TRUE(panel_->IsVisible(PanelControl::ScreenSlider));
    ASSERT_TRUE(panel_->IsEnabled(PanelControl::ScreenSlider));
    const deskhost::SliderState screen = panel_->Slider(PanelControl::ScreenSlider);
    EXPECT_EQ(screen.minimum, 0);
    EXPECT_EQ(screen.maximum, 5);
    ExpectScreen(1);
    EXPECT_TRUE(panel_->IsVisible(PanelControl::ScreenLabel));
    EXPECT_TRUE(panel_->IsVisible(PanelControl::HelpArea));
    EXPECT_TRUE(panel_->IsEnabled(PanelControl::HelpArea));

    const deskhost::PanelRect desktop = panel_->ScreenRect(PanelControl::DesktopSlider);
    const deskhost::PanelRect slider = panel_->ScreenRect(PanelControl::ScreenSlider);
    const deskhost::PanelRect label = panel_->ScreenRect(PanelControl::ScreenLabel);
    const deskhost::PanelRect help = panel_->ScreenRect(PanelControl::HelpArea);
    EXPECT_GE(slider.top, desktop.bottom) << "the screen-area row lies below the desktop's";
    EXPECT_GE(label.top, slider.bottom);
    EXPECT_LE(help.top, slider.top);
    EXPECT_GE(help.bottom, label.bottom) << "the help area covers the slider and its label";
    EXPECT_EQ(slider.right - slider.left, desktop.right - desktop.left);

    EXPECT_FALSE(panel_->IsEnabled(PanelControl::Apply));
    EXPECT_TRUE(panel_->MessageBoxes().empty());
    EXPECT_FALSE(panel_->PreviewPicture().empty());
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
}

TEST_P(PanelScenario, DraggingTheScreenSliderShowsItsSizeRepaintsThePreviewAndEnablesApply)
{
    const deskhost::Picture before = panel_->PreviewPicture();
    const int changedBefore = panel_->SheetChangedNotices();
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    ExpectScreen(0);
    EXPECT_GT(panel_->SheetChangedNotices(), changedBefore);
    EXPECT_TRUE(panel_->IsEnabled(PanelControl::Apply));
    EXPECT_NE(panel_->PreviewPicture(), before) << "the preview shows the smaller screen area";
    ExpectDesktop(2);
    EXPECT_TRUE(DriverChanges().empty()) << "nothing reaches the driver before Apply";
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
}

TEST_P(PanelScenario, AScreenAreaLargerThanTheDesktopPushesTheDesktopUp)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 4));
    ExpectScreen(4);
    ExpectDesktop(4);
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 5));
    ExpectDesktop(5);
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 3));
    ExpectDesktop(5);  // a smaller screen area leaves the desktop where it is
    EXPECT_TRUE(DriverChanges().empty());
    EXPECT_EQ((panel_->DisplayMode()), (kvapi::Mode{1024, 768, 16, 75}));
}

TEST_P(PanelScenario, TheScreenAreaFollowsTheDesktopWhileEqualAndIsPulledDownBelowIt)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 4));
    ExpectScreen(1);  // not equal before: it stays
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 4));
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 5));
    ExpectScreen(5);
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 3));
    ExpectScreen(3);
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 1));
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 0));
    ExpectScreen(0);  // a desktop below the screen area pulls it down
    ExpectDesktop(0);
}

TEST_P(PanelScenario, ClosingUnloadsTheExtensionAndLeavesNothingBehind)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    const deskhost::ClosedPanel closed = panel_->Close(deskhost::CloseBy::Cancel);
    EXPECT_TRUE(closed.extensionWasLoaded);
    EXPECT_EQ(closed.pagesAdded, 0) << "the extension adds no page of its own";
    EXPECT_EQ(closed.canUnload, S_OK);
    EXPECT_TRUE(closed.unloaded);
    const deskhost::LiveObjects live = panel_->Live();
    EXPECT_EQ(live.windows, 0);
    EXPECT_EQ(live.hooks, 0);
    EXPECT_EQ(live.timers, 0);
    EXPECT_EQ(live.fonts, 0);
    EXPECT_EQ(live.bitmaps, 0);
    EXPECT_EQ(live.brushes, 0);
    EXPECT_EQ(live.screenDcs, 0);
    EXPECT_TRUE(DriverChanges().empty()) << "Cancel applies nothing";
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
}

TEST_P(PanelScenario, ClosingWithOkAppliesTheScreenAreaFirst)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    panel_->AnswerNextMessageBox(IDOK);
    panel_->AnswerConfirmDialog(true);
    const deskhost::ClosedPanel closed = panel_->Close(deskhost::CloseBy::Ok);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kAboutToApply});
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{640, 480}));
    EXPECT_EQ(closed.canUnload, S_OK);
    EXPECT_TRUE(closed.unloaded);
    EXPECT_EQ(panel_->Live().windows, 0);
    EXPECT_EQ(panel_->Live().timers, 0);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, PanelScenario,
                         ::testing::Values(PageLayout::Cloned, PageLayout::Native), LayoutName);

}  // namespace
}  // namespace scenario
