// A long session on winsim: ten thousand drags and a thousand applies with every kind of answer
// and with the five seconds running out, while a drag's paint meets a failure at a fixed rate. The
// panel's objects and memory stay flat, and every apply ends with the screen area the user chose
// or the one before it.
#include "deskhost/harness.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using deskhost::PanelControl;

const std::vector<kvapi::Size> kSizes = {{640, 480},  {800, 600},   {1024, 768},
                                         {1152, 864}, {1280, 1024}, {1600, 1200}};

class Soak {
public:
    int Next(int bound)
    {
        seed_ = seed_ * 1103515245u + 12345u;
        return static_cast<int>((seed_ >> 16) % static_cast<std::uint32_t>(bound));
    }

private:
    std::uint32_t seed_ = 2026;
};

// Failures that a paint or a drag may meet; every seventh step meets one.
const std::array<winsim::Fault, 5> kPaintFaults = {winsim::Fault::CreateBitmap, winsim::Fault::CreateDc,
                                                   winsim::Fault::CreateBrush, winsim::Fault::ScreenDc,
                                                   winsim::Fault::LoadResource};

enum class Answer { Keep, Refuse, RunOut, Cancel };

TEST(SoakTest, TenThousandDragsAndAThousandAppliesStayFlatAndRight)
{
    std::unique_ptr<deskhost::PanelHarness> panel = deskhost::MakePanelHarness();
    deskhost::PanelOptions options;
    options.layout = deskhost::PageLayout::Native;
    ASSERT_TRUE(panel->Open(options));
    ASSERT_TRUE(panel->ExtensionLoaded());
    Soak soak;

    // The largest desktop first, so that no screen area the applies choose pushes it.
    ASSERT_TRUE(panel->DragSlider(PanelControl::DesktopSlider, 5));
    ASSERT_TRUE(panel->Click(PanelControl::Apply));
    int inForce = 1;
    ASSERT_EQ(panel->Viewport(), kSizes[inForce]);
    panel->PreviewPicture();
    const deskhost::LiveObjects before = panel->Live();
    const int blocksBefore = winsim::LiveGlobalBlocks();

    for (int i = 0; i < 10000; ++i) {
        if (i % 7 == 0) {
            winsim::FailNext(kPaintFaults[static_cast<std::size_t>(soak.Next(kPaintFaults.size()))]);
        }
        ASSERT_TRUE(panel->DragSlider(PanelControl::ScreenSlider, soak.Next(6))) << "drag " << i;
        if (i % 50 == 0) {
            panel->PreviewPicture();
        }
    }
    winsim::ClearFaults();

    std::size_t boxes = 0;
    for (int i = 0; i < 1000; ++i) {
        int chosen = soak.Next(5);
        chosen += chosen >= inForce ? 1 : 0;
        if (i % 7 == 0) {
            winsim::FailNext(kPaintFaults[static_cast<std::size_t>(soak.Next(kPaintFaults.size()))]);
        }
        ASSERT_TRUE(panel->DragSlider(PanelControl::ScreenSlider, chosen));
        // The page's own apply reads the screen too; what a failure there does is the page's.
        winsim::ClearFaults();
        const Answer answer = static_cast<Answer>(soak.Next(4));
        panel->AnswerNextMessageBox(answer == Answer::Cancel ? IDCANCEL : IDOK);
        if (answer == Answer::Keep || answer == Answer::Refuse) {
            panel->AnswerConfirmDialog(answer == Answer::Keep);
        } else if (answer == Answer::RunOut) {
            panel->LetTimePass(5000);
        }
        if (answer == Answer::Refuse || answer == Answer::RunOut) {
            panel->AnswerNextMessageBox(IDOK);
        }
        ASSERT_TRUE(panel->Click(PanelControl::Apply)) << "apply " << i;
        if (answer == Answer::Keep) {
            inForce = chosen;
        }
        boxes += answer == Answer::Refuse || answer == Answer::RunOut ? 2 : 1;
        ASSERT_EQ(panel->Viewport(), kSizes[static_cast<std::size_t>(inForce)]) << "apply " << i;
        ASSERT_EQ(panel->Slider(PanelControl::ScreenSlider).position, inForce) << "apply " << i;
    }
    winsim::ClearFaults();

    panel->PreviewPicture();
    const deskhost::LiveObjects after = panel->Live();
    EXPECT_EQ(after, before);
    EXPECT_EQ(winsim::LiveGlobalBlocks(), blocksBefore);
    EXPECT_EQ(panel->Text(PanelControl::ScreenLabel),
              std::to_string(kSizes[static_cast<std::size_t>(inForce)].width) + " by " +
                  std::to_string(kSizes[static_cast<std::size_t>(inForce)].height) + " pixels");
    EXPECT_EQ(panel->Slider(PanelControl::DesktopSlider).position, 5);
    EXPECT_EQ(panel->MessageBoxes().size(), boxes);
}

}  // namespace
