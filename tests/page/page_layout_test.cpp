// The page's layout: the distances for a base unit height, the preview's centring, and the
// screen-area row as it stands on the stand-in panel's page in both layouts.
#include "page/page_layout.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <string>

#include "deskhost/harness.h"
#include "deskhost/property_sheet.h"

namespace {

TEST(PageLayout, RaiseAndLowerDistancesForBaseUnits16And13)
{
    EXPECT_EQ(RaiseDistance(16), 14);
    EXPECT_EQ(LowerDistance(16), 10);
    EXPECT_EQ(RaiseDistance(13), 11);
    EXPECT_EQ(LowerDistance(13), 8);
}

TEST(PageLayout, ThePreviewIsCentredOnItsBitmapOrGrowsFromItsCorner)
{
    POINT offset = CentringOffset(250, 150, 200, 120);
    EXPECT_EQ(offset.x, 25);
    EXPECT_EQ(offset.y, 15);
    offset = CentringOffset(250, 150, 300, 100);
    EXPECT_EQ(offset.x, 0);
    EXPECT_EQ(offset.y, 25);
    offset = CentringOffset(251, 151, 200, 120);
    EXPECT_EQ(offset.x, 25) << "halves drop their fraction";
    EXPECT_EQ(offset.y, 15);
}

// A control's window rectangle in the page's client coordinates.
RECT Rect(HWND page, int id)
{
    RECT rect = {};
    GetWindowRect(GetDlgItem(page, id), &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int ClientHeight(HWND page, int id)
{
    RECT client = {};
    GetClientRect(GetDlgItem(page, id), &client);
    return client.bottom;
}

// A test resource library: accepted.RLB has no pictures, unfitsize.RLB a size format
// that takes strings.
std::string FixtureLibrary(const char* name)
{
    return std::string(KV_FIXTURE_LIBRARY_DIR) + "/" + name + ".RLB";
}

class OpenedPage : public ::testing::Test {
protected:
    HWND Open(deskhost::PageLayout layout, const std::string& library = {})
    {
        deskhost::PanelOptions options;
        options.layout = layout;
        options.resourceLibrary = library;
        EXPECT_TRUE(panel_->Open(options));
        EXPECT_TRUE(panel_->ExtensionLoaded());
        return deskhost::DisplaySheetPage();
    }

    std::unique_ptr<deskhost::PanelHarness> panel_ = deskhost::MakePanelHarness();
};

TEST_F(OpenedPage, TheClonedRowStandsToItsSliderAsTheDesktopRowDoes)
{
    const HWND page = Open(deskhost::PageLayout::Cloned);
    ASSERT_NE(page, nullptr);
    const RECT desktop = Rect(page, 1204);
    const RECT desktopLabel = Rect(page, 1207);
    const RECT rowAnchor = Rect(page, 1212);
    const RECT screen = Rect(page, 100);
    EXPECT_EQ(screen.left, desktop.left);
    EXPECT_EQ(screen.top, rowAnchor.top);
    EXPECT_EQ(screen.right - screen.left, desktop.right - desktop.left);
    EXPECT_EQ(screen.bottom - screen.top, desktop.bottom - desktop.top);
    const RECT label = Rect(page, 101);
    EXPECT_EQ(label.left, desktopLabel.left);
    EXPECT_EQ(label.top, desktopLabel.top - desktop.bottom + screen.bottom);
    EXPECT_EQ(label.right - label.left, desktopLabel.right - desktopLabel.left);
    EXPECT_EQ(Rect(page, 1217).left, Rect(page, 1210).left);
    EXPECT_EQ(Rect(page, 1217).top, rowAnchor.top);

    EXPECT_EQ(Rect(page, 1211).top, rowAnchor.bottom + 5) << "the row below starts 5 pixels lower";
    EXPECT_EQ(Rect(page, 1211).left, rowAnchor.left);
    // Two controls carry 1216 now; the anchor is the page's own, found first.
    const RECT helpAnchor = Rect(page, 1216);
    EXPECT_EQ(helpAnchor.bottom - helpAnchor.top, ClientHeight(page, 200) + 5);
    EXPECT_EQ(Rect(page, 202).top, helpAnchor.top);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1205)));
}

TEST_F(OpenedPage, TheNativeRowIsAdoptedAndShownAgainAfterADeviceModeChange)
{
    const HWND page = Open(deskhost::PageLayout::Native);
    ASSERT_NE(page, nullptr);
    const RECT helpAnchor = Rect(page, 1211);
    EXPECT_EQ(helpAnchor.bottom - helpAnchor.top, ClientHeight(page, 1212));
    EXPECT_EQ(GetDlgItem(page, 1214), nullptr) << "the page's own slider now has the screen slider's ID";
    EXPECT_NE(GetDlgItem(page, 100), nullptr);
    EXPECT_NE(GetDlgItem(page, 101), nullptr);

    for (int id : {1213, 1216, 1217, 100, 101}) {
        ShowWindow(GetDlgItem(page, id), SW_HIDE);
        EnableWindow(GetDlgItem(page, id), FALSE);
    }
    SetWindowPos(GetDlgItem(page, 1211), nullptr, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);
    panel_->ChangeDeviceMode();
    for (int id : {1213, 1216, 1217, 100, 101}) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, id))) << id;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    }
    EXPECT_EQ(Rect(page, 1211).bottom - Rect(page, 1211).top, ClientHeight(page, 1212));
}

TEST_F(OpenedPage, WithoutTheMonitorPictureThePreviewKeepsItsPlaceAndSize)
{
    const HWND page = Open(deskhost::PageLayout::Cloned, FixtureLibrary("accepted"));
    ASSERT_NE(page, nullptr);
    // The page template's preview as x, y, width and height, each mapped on its own.
    RECT expected = {61, 2, 123, 105};
    ASSERT_TRUE(MapDialogRect(page, &expected));
    const RECT preview = Rect(page, 1205);
    EXPECT_EQ(preview.left, expected.left);
    EXPECT_EQ(preview.top, expected.top);
    EXPECT_EQ(preview.right - preview.left, expected.right);
    EXPECT_EQ(preview.bottom - preview.top, expected.bottom);
}

TEST_F(OpenedPage, ASizeFormatThatTakesNoNumbersLeavesTheScreenLabelEmpty)
{
    ASSERT_NE(Open(deskhost::PageLayout::Cloned, FixtureLibrary("unfitsize")), nullptr);
    EXPECT_EQ(panel_->Text(deskhost::PanelControl::ScreenLabel), "");
    ASSERT_TRUE(panel_->DragSlider(deskhost::PanelControl::ScreenSlider, 0));
    EXPECT_EQ(panel_->Text(deskhost::PanelControl::ScreenLabel), "");
    ASSERT_TRUE(panel_->DragSlider(deskhost::PanelControl::DesktopSlider, 0));
    ASSERT_TRUE(panel_->DragSlider(deskhost::PanelControl::DesktopSlider, 3));
    EXPECT_EQ(panel_->Text(deskhost::PanelControl::ScreenLabel), "");
}

}  // namespace
