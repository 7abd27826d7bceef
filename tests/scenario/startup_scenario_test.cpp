// The panel where the extension refuses to load: no screen-area controls, the page working
// as without it, and an error box only when the resource library is at fault.
#include "scenario_fixture.h"

namespace scenario {
namespace {

struct Refusal {
    std::string name;
    std::function<void(deskhost::PanelOptions&)> setUp;
    bool resourceLibraryAtFault = false;
};

kvapi::AdapterConfig WithoutLargestDesktopViewports()
{
    kvapi::AdapterConfig config = kvapi::DefaultConfig();
    std::erase_if(config.viewports, [](const kvapi::ViewportTable& table) {
        return table.width == 1600 && table.height == 1200;
    });
    return config;
}

const std::vector<Refusal>& Refusals()
{
    static const std::vector<Refusal> refusals = {
        {"WindowsNT", [](auto& o) { o.platform = deskhost::PlatformVersion::WindowsNT; }},
        {"DriverMissing", [](auto& o) { o.driverMissing = true; }},
        {"DriverHandshakeFails", [](auto& o) { o.adapter.interfaceId = 361; }},
        {"NoViewportsForTheLargestDesktop", [](auto& o) { o.adapter = WithoutLargestDesktopViewports(); }},
        {"ResourceLibraryMissing", [](auto& o) { o.resourceLibraryMissing = true; }, true},
        {"ResourceLibraryTooOld", [](auto& o) { o.resourceLibrary = KV_TOO_OLD_RLB; }, true},
    };
    return refusals;
}

using Case = std::tuple<PageLayout, std::size_t>;

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    const auto [layout, index] = info.param;
    return Refusals()[index].name + (layout == PageLayout::Native ? "_Native" : "_Cloned");
}

class StartupScenario : public ::testing::TestWithParam<Case> {
protected:
    std::unique_ptr<deskhost::PanelHarness> panel_ = deskhost::MakePanelHarness();
};

TEST_P(StartupScenario, ThePanelOpensWithoutTheScreenArea)
{
    const auto [layout, index] = GetParam();
    const Refusal& refusal = Refusals()[index];
    deskhost::PanelOptions options;
    options.layout = layout;
    refusal.setUp(options);
    if (refusal.resourceLibraryAtFault) {
        panel_->AnswerNextMessageBox(IDOK);
    }
    ASSERT_TRUE(panel_->Open(options));
    EXPECT_FALSE(panel_->ExtensionLoaded());

    const std::string library = DirectoryOf(panel_->ExtensionPath()) + "KVSettng.RLB";
    const std::vector<deskhost::MessageBoxSeen> boxes = panel_->MessageBoxes();
    if (!refusal.resourceLibraryAtFault) {
        EXPECT_TRUE(boxes.empty());
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].type, 0x10u);  // MB_OK | MB_ICONERROR
        if (options.resourceLibraryMissing) {
            EXPECT_EQ(boxes[0].caption, "Execution Error");
            EXPECT_EQ(boxes[0].text, "This application cannot load the resource library " + library +
                                         ". Either not enough memory or it does not exist.");
        } else {
            // A library of the wrong version speaks for itself.
            EXPECT_EQ(boxes[0].caption, "Library Caption");
            EXPECT_EQ(boxes[0].text, "Library too old: " + library);
        }
        EXPECT_EQ(boxes[0].answer, IDOK);
    }

    // The page is the control panel's own: its slider works, the screen area is not there.
    EXPECT_FALSE(panel_->IsVisible(PanelControl::ScreenSlider));
    EXPECT_FALSE(panel_->IsVisible(PanelControl::ScreenLabel));
    EXPECT_TRUE(panel_->IsVisible(PanelControl::DesktopSlider));
    if (!options.driverMissing) {
        ASSERT_TRUE(panel_->DragSlider(PanelControl::DesktopSlider, 3));
        EXPECT_EQ(panel_->Text(PanelControl::DesktopLabel), SizeLabels()[3]);
        EXPECT_TRUE(panel_->IsEnabled(PanelControl::Apply));
    }
    panel_->PressF1Over(PanelControl::DesktopSlider);
    EXPECT_TRUE(panel_->HelpCalls().empty());

    const deskhost::ClosedPanel closed = panel_->Close(deskhost::CloseBy::Cancel);
    EXPECT_FALSE(closed.extensionWasLoaded);
    EXPECT_EQ(panel_->Live().hooks, 0);
    EXPECT_EQ(panel_->Live().windows, 0);
    EXPECT_EQ(panel_->MessageBoxes().size(), boxes.size());
}

INSTANTIATE_TEST_SUITE_P(Refusals, StartupScenario,
                         ::testing::Combine(::testing::Values(PageLayout::Cloned, PageLayout::Native),
                                            ::testing::Range<std::size_t>(0, 6)),
                         CaseName);

}  // namespace
}  // namespace scenario
