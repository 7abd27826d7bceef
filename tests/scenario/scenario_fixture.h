// The panel opened through the harness in one layout, and what the scenarios compare with.
// Only the harness is used here, so that the same scenarios run wherever a harness does.
#pragma once

#include "deskhost/harness.h"
#include "deskhost/session.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace scenario {

using deskhost::PageLayout;
using deskhost::PanelControl;

inline std::string LayoutName(const ::testing::TestParamInfo<PageLayout>& info)
{
    return info.param == PageLayout::Native ? "Native" : "Cloned";
}

// The directory of a Windows path, with its backslash.
inline std::string DirectoryOf(const std::string& path)
{
    return path.substr(0, path.rfind('\\') + 1);
}

inline const std::vector<std::pair<std::uint32_t, std::uint32_t>>& ScreenAreaHelpIds()
{
    static const std::vector<std::pair<std::uint32_t, std::uint32_t>> ids = {
        {1213, 150}, {1214, 150}, {1215, 150}, {1216, 150}, {1217, 150}, {100, 150}, {101, 150}};
    return ids;
}

// The texts of the resource library that ships with the extension.
inline const std::string kBoxCaption = "Screen Area";
inline const std::string kAboutToApply =
    "The new screen area will now be put into force for a test. If the screen becomes unreadable, wait "
    "five seconds and the previous screen area will come back.\n\nPress Cancel to keep the current "
    "screen area.";
inline const std::string kNotConfirmed =
    "The new screen area was not confirmed. The previous screen area has been restored.";
inline constexpr unsigned kQuestionStyle = 0x41;  // MB_OKCANCEL | MB_ICONINFORMATION
inline constexpr unsigned kNoticeStyle = 0x40;    // MB_OK | MB_ICONINFORMATION

// The default adapter: desktop 1024 x 768 at 16 bits showing 800 x 600; both sliders run over
// these sizes; the colour combo box offers an unlisted depth, then 8, 16 and 32 bits.
inline const std::vector<std::string>& SizeLabels()
{
    static const std::vector<std::string> labels = {"640 by 480 pixels",   "800 by 600 pixels",
                                                    "1024 by 768 pixels",  "1152 by 864 pixels",
                                                    "1280 by 1024 pixels", "1600 by 1200 pixels"};
    return labels;
}

class Scenario : public ::testing::TestWithParam<PageLayout> {
protected:
    // Opens the panel in the test's layout; `adjust` changes the options first.
    void Open(const std::function<void(deskhost::PanelOptions&)>& adjust = {})
    {
        deskhost::PanelOptions options;
        options.layout = GetParam();
        if (adjust) {
            adjust(options);
        }
        ASSERT_TRUE(panel_->Open(options));
    }

    bool Cloned() const { return GetParam() == PageLayout::Cloned; }

    // Every box the extension shows belongs to the property sheet, whatever window owns the sheet.
    void TearDown() override
    {
        for (const deskhost::MessageBoxSeen& box : panel_->MessageBoxes()) {
            EXPECT_TRUE(box.ownedBySheet) << box.text;
        }
    }

    // The driver requests that changed something since the last call.
    std::vector<std::string> DriverChanges()
    {
        std::vector<std::string> changes = deskhost::DriverChanges(panel_->DriverRequests());
        panel_->ClearDriverRequests();
        return changes;
    }

    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const deskhost::MessageBoxSeen& box : panel_->MessageBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }

    std::unique_ptr<deskhost::PanelHarness> panel_ = deskhost::MakePanelHarness();
};

}  // namespace scenario
