// Apply on the panel: the question, the five-second test and its answers, the page's own
// display change, a colour depth that takes effect later, and the page refusing its apply.
#include "scenario_fixture.h"

namespace scenario {
namespace {

const std::string kPersistName = "KVDrvViewportSize";

std::vector<std::string> SetSize(const std::string& size)
{
    return {"set size " + size, "set origin 0,0"};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> joined;
    for (const auto& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

class ApplyScenario : public Scenario {
protected:
    void SetUp() override
    {
        Open();
        ASSERT_TRUE(panel_->ExtensionLoaded());
        DriverChanges();
    }

    // The screen area dragged to 640 x 480 and Apply pressed with these answers queued.
    void ApplySmallest(const std::function<void()>& answers)
    {
        ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
        answers();
        ASSERT_TRUE(panel_->Click(PanelControl::Apply));
    }

    std::optional<std::string> Persisted() const { return panel_->PersistedValue("Default", kPersistName); }
};

TEST_P(ApplyScenario, OkThenYesKeepsTheNewScreenArea)
{
    ApplySmallest([&] {
        panel_->AnswerNextMessageBox(IDOK);
        panel_->AnswerConfirmDialog(true);
    });
    ASSERT_EQ(panel_->MessageBoxes().size(), 1u);
    const deskhost::MessageBoxSeen question = panel_->MessageBoxes()[0];
    EXPECT_EQ(question.caption, kBoxCaption);
    EXPECT_EQ(question.text, kAboutToApply);
    EXPECT_EQ(question.type, kQuestionStyle);
    EXPECT_EQ(question.answer, IDOK);
    // The display change that the new size broadcasts comes back while the dialog is open
    // and puts the same size into force once more.
    EXPECT_EQ(DriverChanges(),
              Join({SetSize("640x480"), {"set mode 0"}, SetSize("640x480"), {"set mode 0"}}));
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{640, 480}));
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 0);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), SizeLabels()[0]);
    EXPECT_FALSE(panel_->IsEnabled(PanelControl::Apply));
    EXPECT_GE(panel_->DisplayChangeBroadcasts(), 1);
    EXPECT_EQ(panel_->Live().timers, 0) << "the confirmation timer is stopped";

    // The kept position is the one accepted now: Apply again asks nothing.
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 1));
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    ASSERT_TRUE(panel_->Click(PanelControl::Apply));
    EXPECT_EQ(panel_->MessageBoxes().size(), 1u);
    EXPECT_TRUE(DriverChanges().empty());
}

TEST_P(ApplyScenario, OkThenNoRestoresThePreviousScreenAreaWithANotice)
{
    ApplySmallest([&] {
        panel_->AnswerNextMessageBox(IDOK);
        panel_->AnswerConfirmDialog(false);
        panel_->AnswerNextMessageBox(IDOK);
    });
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kAboutToApply, kNotConfirmed}));
    EXPECT_EQ(panel_->MessageBoxes().at(1).type, kNoticeStyle);
    EXPECT_EQ(panel_->MessageBoxes().at(1).caption, kBoxCaption);
    EXPECT_EQ(
        DriverChanges(),
        Join({SetSize("640x480"), {"set mode 0"}, SetSize("640x480"), {"set mode 0"}, SetSize("800x600")}));
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 1);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), SizeLabels()[1]);
    EXPECT_EQ(panel_->Live().timers, 0);
}

TEST_P(ApplyScenario, FiveSecondsWithoutAnAnswerRestoreThePreviousScreenArea)
{
    ApplySmallest([&] {
        panel_->AnswerNextMessageBox(IDOK);
        panel_->LetTimePass(4999);
        panel_->LetTimePass(1);
        panel_->AnswerNextMessageBox(IDOK);
    });
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kAboutToApply, kNotConfirmed}));
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 1);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), SizeLabels()[1]);
    EXPECT_EQ(panel_->Live().timers, 0);

    // The restored position stays the accepted one: the next apply of 640 x 480 asks again.
    ApplySmallest([&] {
        panel_->AnswerNextMessageBox(IDOK);
        panel_->AnswerConfirmDialog(true);
    });
    EXPECT_EQ(panel_->MessageBoxes().size(), 3u);
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{640, 480}));
}

TEST_P(ApplyScenario, CancelAtTheQuestionPutsTheSliderBackAndChangesNothing)
{
    ApplySmallest([&] { panel_->AnswerNextMessageBox(IDCANCEL); });
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kAboutToApply});
    EXPECT_TRUE(DriverChanges().empty()) << "the driver still shows the saved size";
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600}));
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 1);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), SizeLabels()[1]);
    EXPECT_EQ(panel_->Live().timers, 0);
}

TEST_P(ApplyScenario, ApplyWithTheScreenSliderUnmovedAsksNothing)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 0));
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 1));
    ASSERT_TRUE(panel_->Click(PanelControl::Apply));
    EXPECT_TRUE(panel_->MessageBoxes().empty());
    EXPECT_TRUE(DriverChanges().empty());
}

TEST_P(ApplyScenario, ANewDesktopAppliesTheScreenAreaWithoutAQuestion)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 3));
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 2));
    ASSERT_TRUE(panel_->Click(PanelControl::Apply));
    EXPECT_TRUE(panel_->MessageBoxes().empty());
    EXPECT_EQ(panel_->PageDid().modeChanges, 1);
    EXPECT_EQ((panel_->DisplayMode()), (kvapi::Mode{1152, 864, 16, 75}));
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{1024, 768}));
    EXPECT_EQ(DriverChanges(), Join({SetSize("1024x768"), {"set mode 0"}}));
    EXPECT_FALSE(panel_->IsEnabled(PanelControl::Apply));
}

TEST_P(ApplyScenario, ThePageRefusingItsApplyPutsTheScreenAreaBack)
{
    panel_->SetPageRefusesApply(true);
    ApplySmallest([] {});
    EXPECT_TRUE(panel_->MessageBoxes().empty());
    EXPECT_EQ(panel_->PageDid().refusedApplies, 1);
    EXPECT_TRUE(DriverChanges().empty());
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 1);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), SizeLabels()[1]);
    EXPECT_TRUE(panel_->IsEnabled(PanelControl::Apply)) << "a refused apply leaves Apply enabled";

    panel_->SetPageRefusesApply(false);
    ApplySmallest([&] {
        panel_->AnswerNextMessageBox(IDOK);
        panel_->AnswerConfirmDialog(true);
    });
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{640, 480}));
}

TEST_P(ApplyScenario, ANewColourDepthPersistsTheScreenAreaInTheClonedLayoutAndTestsItInTheNative)
{
    ASSERT_TRUE(panel_->SelectDepth(3));  // 32 bits, in force after a restart
    if (Cloned()) {
        ApplySmallest([] {});
        EXPECT_TRUE(panel_->MessageBoxes().empty());
        EXPECT_EQ(DriverChanges(), std::vector<std::string>{"persist vpd0,640,480"});
        EXPECT_EQ(Persisted(), "vpd0,640,480");
        EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600})) << "the screen area waits for the new depth";
        EXPECT_FALSE(panel_->IsEnabled(PanelControl::Apply));

        // The screen area as large as the desktop: nothing to persist.
        ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 2));
        ASSERT_TRUE(panel_->Click(PanelControl::Apply));
        EXPECT_EQ(DriverChanges(), std::vector<std::string>{"clear persisted"});
        EXPECT_EQ(Persisted(), std::nullopt);
    } else {
        ApplySmallest([&] {
            panel_->AnswerNextMessageBox(IDOK);
            panel_->AnswerConfirmDialog(true);
        });
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{kAboutToApply});
        EXPECT_EQ((panel_->Viewport()), (kvapi::Size{640, 480}));
        EXPECT_EQ(Persisted(), std::nullopt);
    }
    EXPECT_EQ(panel_->PageDid().pendingDepth, 32u);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ApplyScenario,
                         ::testing::Values(PageLayout::Cloned, PageLayout::Native), LayoutName);

// A driver whose screen areas are not its desktop sizes: no 1152 x 864 screen area, so that
// from there on a slider position stands for a larger screen area than desktop size.
class DifferingListsScenario : public Scenario {
protected:
    void SetUp() override
    {
        Open([](deskhost::PanelOptions& options) {
            const std::vector<kvapi::Size> screens = {
                {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
            for (kvapi::ViewportTable& table : options.adapter.viewports) {
                table.sizes.clear();
                for (const kvapi::Size& screen : screens) {
                    if (screen.width <= table.width && screen.height <= table.height) {
                        table.sizes.push_back(screen);
                    }
                }
            }
        });
        ASSERT_TRUE(panel_->ExtensionLoaded());
        DriverChanges();
    }
};

TEST_P(DifferingListsScenario, TheScreenAreaNeverOutgrowsTheDesktop)
{
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 3));  // 1152 x 864
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 1);

    // 1280 x 1024 takes the desktop up to the first size that holds it.
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 3));
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), "1280 by 1024 pixels");
    EXPECT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, 4);

    // Back to 1152 x 864: the screen area comes down to the largest that fits.
    ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 3));
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 2);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), "1024 by 768 pixels");
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).maximum, 4) << "1600 x 1200 stays in reach";

    // The page's own apply changes the desktop, and the screen area follows without a question.
    ASSERT_TRUE(panel_->Click(PanelControl::Apply));
    EXPECT_TRUE(panel_->MessageBoxes().empty());
    const kvapi::Mode mode = panel_->DisplayMode();
    EXPECT_EQ((kvapi::Size{mode.width, mode.height}), (kvapi::Size{1152, 864}));
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{1024, 768}));
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, DifferingListsScenario,
                         ::testing::Values(PageLayout::Cloned, PageLayout::Native), LayoutName);

}  // namespace
}  // namespace scenario
