// The stand-in panel's own Settings page and sheet, without the display extension: the
// contract the extension relies on.
#include "deskhost/settings_page.h"
#include "deskhost/deskhost_ids.h"
#include "deskhost/property_sheet.h"

#include <gtest/gtest.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using deskhost::PageLayout;

constexpr char kSystemDirectory[] = "C:\\WINDOWS\\SYSTEM";

class SettingsPageTest : public ::testing::TestWithParam<PageLayout> {
protected:
    void Open(kvapi::AdapterConfig config = kvapi::DefaultConfig(),
              const char* driverDirectory = kSystemDirectory)
    {
        winsim::MapDirectory(kSystemDirectory,
                             std::filesystem::path(DESKHOST_RES_PATH).parent_path().string());
        kvapi::InstallInWinsim(driverDirectory, std::move(config));
        resources_ = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\DESKHOST.RES");
        ASSERT_NE(resources_, nullptr);
        deskhost::SetSettingsPageOptions({GetParam(), "C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL", false});
        sheet_ = deskhost::OpenDisplaySheet(resources_, GetParam());
        ASSERT_NE(sheet_, nullptr);
        page_ = deskhost::DisplaySheetPage();
        winsim::PumpMessages();
    }

    bool Native() const { return GetParam() == PageLayout::Native; }
    HWND DesktopSlider() const
    {
        return GetDlgItem(page_, Native() ? IDC_NATIVE_DESKTOP_SLIDER : IDC_CLONED_DESKTOP_SLIDER);
    }
    int Position() const { return static_cast<int>(SendMessageA(DesktopSlider(), TBM_GETPOS, 0, 0)); }
    int RangeMax() const { return static_cast<int>(SendMessageA(DesktopSlider(), TBM_GETRANGEMAX, 0, 0)); }
    std::string DesktopLabel() const
    {
        char text[64] = {};
        GetDlgItemTextA(page_, Native() ? IDC_NATIVE_DESKTOP_LABEL : IDC_CLONED_DESKTOP_LABEL, text,
                        sizeof text);
        return text;
    }
    std::vector<std::string> DepthItems() const
    {
        std::vector<std::string> items;
        const int count = static_cast<int>(SendDlgItemMessageA(page_, IDC_DEPTH_COMBO, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = {};
            SendDlgItemMessageA(page_, IDC_DEPTH_COMBO, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }
    int DepthItem() const
    {
        return static_cast<int>(SendDlgItemMessageA(page_, IDC_DEPTH_COMBO, CB_GETCURSEL, 0, 0));
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet_, IDC_SHEET_APPLY)) != FALSE; }
    void Click(int id) { SendMessageA(GetDlgItem(sheet_, id), BM_CLICK, 0, 0); }
    void PushDesktopSlider(int position)
    {
        SendMessageA(page_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                     reinterpret_cast<LPARAM>(DesktopSlider()));
    }

    HINSTANCE resources_ = nullptr;
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
};

TEST_P(SettingsPageTest, DesktopSliderIndexesTheDesktopSizesAndTheComboTheDepthsOf640x480)
{
    Open();
    EXPECT_EQ(RangeMax(), 5);  // 640x480, 800x600, 1024x768, 1152x864, 1280x1024, 1600x1200
    EXPECT_EQ(Position(), 2);
    EXPECT_EQ(DesktopLabel(), "1024 by 768 pixels");
    EXPECT_EQ(DepthItems(), (std::vector<std::string>{"True Color (24 bit)", "256 Color",
                                                      "High Color (16 bit)", "True Color (32 bit)"}));
    EXPECT_EQ(DepthItem(), 2);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(deskhost::DisplaySheetActivity().notifications, std::vector<UINT>{PSN_SETACTIVE});
}

TEST_P(SettingsPageTest, ThumbPositionMovesSliderAndLabelAndEnablesApply)
{
    Open();
    PushDesktopSlider(4);
    EXPECT_EQ(Position(), 4);
    EXPECT_EQ(DesktopLabel(), "1280 by 1024 pixels");
    EXPECT_TRUE(ApplyEnabled());
    PushDesktopSlider(40);
    EXPECT_EQ(Position(), 5);
    EXPECT_EQ(DesktopLabel(), "1600 by 1200 pixels");
}

// Counts what reaches the sheet's own procedure.
int gDisplayChanges = 0;
WNDPROC gSheetProc = nullptr;
LRESULT CALLBACK CountDisplayChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DISPLAYCHANGE) {
        ++gDisplayChanges;
    }
    return CallWindowProcA(gSheetProc, window, message, wParam, lParam);
}

TEST_P(SettingsPageTest, ApplyChangesTheDesktopSizeAndTellsTopLevelWindowsInsideTheApply)
{
    Open();
    gSheetProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(sheet_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountDisplayChanges)));
    PushDesktopSlider(4);
    Click(IDC_SHEET_APPLY);
    EXPECT_EQ(gDisplayChanges, 1);
    EXPECT_EQ(kvapi::TheAdapter().config().current, (kvapi::Mode{1280, 1024, 16, 75}));
    EXPECT_EQ(winsim::GetDisplayMode().width, 1280);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(deskhost::DisplaySheetActivity().notifications,
              (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_SETACTIVE}));
    EXPECT_EQ(deskhost::SettingsPageActivity().modeChanges, 1);
}

TEST_P(SettingsPageTest, RefusedApplyKeepsTheModeAndTheApplyButton)
{
    Open();
    deskhost::SetPageRefusesApply(true);
    PushDesktopSlider(4);
    Click(IDC_SHEET_APPLY);
    EXPECT_EQ(kvapi::TheAdapter().config().current, (kvapi::Mode{1024, 768, 16, 75}));
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(deskhost::DisplaySheetActivity().applyRefusals, 1);
    Click(IDOK);
    EXPECT_TRUE(IsWindow(sheet_)) << "a refused apply keeps the sheet open";
}

TEST_P(SettingsPageTest, NewDepthWaitsForRestartWithoutModeChange)
{
    Open();
    ASSERT_TRUE(winsim::SelectComboItem(GetDlgItem(page_, IDC_DEPTH_COMBO), 1));
    EXPECT_TRUE(ApplyEnabled());
    Click(IDC_SHEET_APPLY);
    EXPECT_EQ(deskhost::SettingsPageActivity().pendingDepth, 8u);
    EXPECT_EQ(deskhost::SettingsPageActivity().modeChanges, 0);
    EXPECT_EQ(kvapi::TheAdapter().config().current.depth, 16);

    ASSERT_TRUE(winsim::SelectComboItem(GetDlgItem(page_, IDC_DEPTH_COMBO), 0));
    Click(IDC_SHEET_APPLY);
    EXPECT_EQ(deskhost::SettingsPageActivity().pendingDepth, 24u);
}

TEST_P(SettingsPageTest, DeviceModeChangeAndRangeCommandReadTheModeTableAgain)
{
    Open();
    PushDesktopSlider(3);
    auto& modes = kvapi::TheAdapter().config().modes;
    std::erase_if(modes, [](const kvapi::Mode& mode) { return mode.width == 800 || mode.width == 1600; });
    SendMessageA(page_, WM_DEVMODECHANGE, 0, 0);
    EXPECT_EQ(RangeMax(), 3);
    EXPECT_EQ(Position(), 2) << "the chosen 1152 x 864 keeps its place in the shorter list";
    EXPECT_EQ(DesktopLabel(), "1152 by 864 pixels");

    std::erase_if(modes, [](const kvapi::Mode& mode) { return mode.width == 640; });
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_MORE_LABEL, 0),
                 reinterpret_cast<LPARAM>(GetDlgItem(page_, IDC_MORE_LABEL)));
    EXPECT_EQ(RangeMax(), 2);
    EXPECT_EQ(Position(), 1);
    EXPECT_EQ(deskhost::SettingsPageActivity().listRefreshes, 2);
}

TEST_P(SettingsPageTest, DriverClaimingMoreModesThanItsBlockHoldsIsReadWithinTheBlock)
{
    kvapi::AdapterConfig config = kvapi::DefaultConfig();
    config.modeCountClaim = 100000;
    Open(config);
    EXPECT_EQ(RangeMax(), 5);
    EXPECT_EQ(DesktopLabel(), "1024 by 768 pixels");
}

TEST_P(SettingsPageTest, WithoutDriverThePageOffersTheModeInForce)
{
    Open(kvapi::DefaultConfig(), "C:\\ELSEWHERE");
    EXPECT_EQ(RangeMax(), 0);
    EXPECT_EQ(DesktopLabel(), "1024 by 768 pixels");
    EXPECT_EQ(DepthItems(), std::vector<std::string>{"True Color (24 bit)"});
}

TEST_P(SettingsPageTest, CancelResetsAndOkAppliesBeforeClosing)
{
    Open();
    Click(IDCANCEL);
    EXPECT_FALSE(IsWindow(sheet_));
    EXPECT_EQ(deskhost::DisplaySheetActivity().notifications.back(), PSN_RESET);

    sheet_ = deskhost::OpenDisplaySheet(resources_, GetParam());
    page_ = deskhost::DisplaySheetPage();
    PushDesktopSlider(1);
    Click(IDOK);
    EXPECT_FALSE(IsWindow(sheet_));
    EXPECT_TRUE(deskhost::DisplaySheetActivity().closedByOk);
    EXPECT_EQ(kvapi::TheAdapter().config().current.width, 800u);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, SettingsPageTest,
                         ::testing::Values(PageLayout::Cloned, PageLayout::Native), [](const auto& info) {
                             return info.param == PageLayout::Native ? "Native" : "Cloned";
                         });

}  // namespace
