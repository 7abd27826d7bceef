// Context help on the panel: F1 and the right mouse button over the screen-area controls
// open the extension's help beside its module; elsewhere the page's own help runs.
#include "scenario_fixture.h"

#include <algorithm>

namespace scenario {
namespace {

constexpr unsigned kHelpWmHelp = 12;       // HELP_WM_HELP
constexpr unsigned kHelpContextMenu = 10;  // HELP_CONTEXTMENU

class HelpScenario : public Scenario {
protected:
    void SetUp() override
    {
        Open();
        ASSERT_TRUE(panel_->ExtensionLoaded());
    }

    // Each help call opens the screen-area topic: the help file beside the extension, asked
    // about a control that the help-id table gives the topic.
    void ExpectScreenAreaHelp(unsigned command, std::size_t calls = 1)
    {
        ASSERT_EQ(panel_->HelpCalls().size(), calls);
        for (const deskhost::HelpCall& call : panel_->HelpCalls()) {
            EXPECT_EQ(call.path, DirectoryOf(panel_->ExtensionPath()) + "VAZIDAVO.HLP");
            EXPECT_EQ(call.command, command);
            EXPECT_EQ(call.helpIds, ScreenAreaHelpIds());
            const auto& ids = ScreenAreaHelpIds();
            EXPECT_TRUE(
                std::any_of(ids.begin(), ids.end(),
                            [&](const auto& pair) { return static_cast<int>(pair.first) == call.controlId; }))
                << "control " << call.controlId << " has no topic";
        }
    }

    static deskhost::PanelPoint Middle(const deskhost::PanelRect& r)
    {
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

TEST_P(HelpScenario, F1OverTheScreenAreaOpensItsTopicWhereverTheFocusIs)
{
    panel_->PressF1Over(PanelControl::ScreenSlider);
    // A label takes no focus: it stays on the desktop slider, which has no topic.
    panel_->PressF1Over(PanelControl::ScreenLabel);
    ExpectScreenAreaHelp(kHelpWmHelp, 2);
}

TEST_P(HelpScenario, F1OutsideTheHelpAreaLeavesHelpToThePage)
{
    panel_->PressF1Over(PanelControl::DepthCombo);
    panel_->PressF1Over(PanelControl::DesktopSlider);
    EXPECT_TRUE(panel_->HelpCalls().empty());
}

TEST_P(HelpScenario, ARightClickOverTheScreenAreaOpensItsContextHelp)
{
    panel_->RightClickAt(Middle(panel_->ScreenRect(PanelControl::ScreenLabel)));
    ExpectScreenAreaHelp(kHelpContextMenu);
}

TEST_P(HelpScenario, ARightClickAtTheHelpAreasEdgesCountsInsideOnlyAtTheTopLeft)
{
    const deskhost::PanelRect area = panel_->ScreenRect(PanelControl::HelpArea);
    panel_->RightClickAt({area.right, area.bottom});
    panel_->RightClickAt({area.left - 1, area.top});
    EXPECT_TRUE(panel_->HelpCalls().empty());
    panel_->RightClickAt({area.left, area.top});
    ExpectScreenAreaHelp(kHelpContextMenu);
}

TEST_P(HelpScenario, ARightClickElsewhereOnThePageOpensNoHelp)
{
    panel_->RightClickAt(Middle(panel_->ScreenRect(PanelControl::DesktopSlider)));
    panel_->RightClickAt(Middle(panel_->ScreenRect(PanelControl::Preview)));
    EXPECT_TRUE(panel_->HelpCalls().empty());
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, HelpScenario, ::testing::Values(PageLayout::Cloned, PageLayout::Native),
                         LayoutName);

}  // namespace
}  // namespace scenario
