// Long use of the panel: two thousand drags of both sliders, the preview painted again and
// again, with the panel's objects flat and the sliders and labels consistent at the end.
#include "scenario_fixture.h"

namespace scenario {
namespace {

class SoakScenario : public Scenario {};

TEST_P(SoakScenario, TwoThousandDragsWithRepaintLeaveNothingBehind)
{
    Open();
    ASSERT_TRUE(panel_->ExtensionLoaded());
    const int last = static_cast<int>(SizeLabels().size()) - 1;
    std::uint32_t seed = 12345;
    const auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(bound + 1));
    };
    const auto dragSome = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const PanelControl slider = i % 3 == 0 ? PanelControl::DesktopSlider : PanelControl::ScreenSlider;
            ASSERT_TRUE(panel_->DragSlider(slider, next(last))) << "drag " << i;
            if (i % 20 == 0) {
                ASSERT_FALSE(panel_->PreviewPicture().empty()) << "drag " << i;
            }
        }
    };
    dragSome(20);
    const deskhost::LiveObjects before = panel_->Live();

    dragSome(2000);

    const deskhost::LiveObjects after = panel_->Live();
    EXPECT_EQ(after, before);
    const int screen = panel_->Slider(PanelControl::ScreenSlider).position;
    const int desktop = panel_->Slider(PanelControl::DesktopSlider).position;
    EXPECT_LE(screen, desktop);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), SizeLabels().at(static_cast<std::size_t>(screen)));
    EXPECT_EQ(panel_->Text(PanelControl::DesktopLabel), SizeLabels().at(static_cast<std::size_t>(desktop)));
    EXPECT_EQ((panel_->Viewport()), (kvapi::Size{800, 600})) << "drags alone change no screen area";
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, SoakScenario, ::testing::Values(PageLayout::Cloned, PageLayout::Native),
                         LayoutName);

}  // namespace
}  // namespace scenario
