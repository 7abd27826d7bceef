// The page's layout: the distances for a base unit height, the preview's centring, and every
// control of the stand-in panel's page where each layout puts it.
#include "page/page_layout.h"

#include <gtest/gtest.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <ostream>
#include <string>
#include <vector>

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

// A control of the page: its identifier and its window rectangle in the page's client
// coordinates.
struct Placed {
    int id;
    int left;
    int top;
    int width;
    int height;
    friend bool operator==(const Placed&, const Placed&) = default;
};

void PrintTo(const Placed& placed, std::ostream* out)
{
    *out << placed.id << " at " << placed.left << "," << placed.top << " " << placed.width << "x"
         << placed.height;
}

// Every control of the page, in the page's order.
std::vector<Placed> Placement(HWND page)
{
    std::vector<Placed> controls;
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
        controls.push_back(
            {GetDlgCtrlID(child), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top});
    }
    return controls;
}

struct LayoutPlacement {
    deskhost::PageLayout layout;
    std::vector<Placed> controls;
};

void PrintTo(const LayoutPlacement& placement, std::ostream* out)
{
    *out << (placement.layout == deskhost::PageLayout::Native ? "Native" : "Cloned");
}

class PlacedPage : public OpenedPage, public ::testing::WithParamInterface<LayoutPlacement> {};

TEST_P(PlacedPage, EveryControlStandsWhereItsLayoutPutsIt)
{
    const HWND page = Open(GetParam().layout);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Placement(page), GetParam().controls);
}

// The stand-in page's templates in pixels: 6 x 13 for 4 x 8 dialog units (its 8-point font);
// with a system base unit height of 16 the raised controls move up 14 pixels and the lowered
// one down 10. Both previews take the monitor picture's 184 x 170 at the corner of their
// 185 x 171 picture area.
const LayoutPlacement kClonedPlacement = {
    deskhost::PageLayout::Cloned,
    {
        {1205, 92, 3, 184, 170},
        {1206, 11, 178, 348, 13},   // raised
        {200, 11, 197, 168, 75},    // raised
        {1200, 21, 220, 147, 21},   // raised
        {201, 191, 197, 168, 75},   // raised
        {1209, 200, 223, 27, 13},   // raised
        {1204, 227, 218, 93, 23},   // raised
        {1210, 323, 223, 30, 13},   // raised
        {1207, 200, 246, 150, 13},  // raised
        {1216, 11, 275, 168, 80},   // raised, 5 taller than 200
        {1212, 21, 298, 147, 21},   // raised, the size of 1200
        {1211, 21, 324, 147, 23},   // 5 below 1212, as wide
        {1213, 191, 381, 168, 23},  // lowered
        // The clones: the help area at 1216's top, the screen row at 1212's, its label as far
        // below the slider as the desktop's.
        {202, 191, 275, 168, 75},
        {100, 227, 298, 93, 23},
        {1216, 200, 298, 27, 13},
        {1217, 323, 298, 30, 13},
        {101, 200, 326, 150, 13},
    },
};

const LayoutPlacement kNativePlacement = {
    deskhost::PageLayout::Native,
    {
        {1203, 92, 3, 184, 170},
        {1204, 11, 182, 348, 13},
        {0xFFFF, 11, 202, 168, 85},
        {1200, 21, 224, 120, 21},
        {1205, 191, 202, 168, 85},
        {1209, 200, 221, 120, 21},  // the size of 1200
        {1210, 320, 221, 30, 13},
        {1202, 200, 244, 150, 23},
        {1206, 200, 270, 150, 13},
        {1211, 11, 299, 168, 23},  // the size of 1212
        {1218, 21, 325, 147, 21},
        {1219, 21, 354, 75, 23},
        {1213, 191, 293, 168, 85},
        {1216, 200, 312, 60, 13},
        {1217, 320, 312, 30, 13},
        {100, 200, 328, 150, 23},
        {101, 200, 354, 150, 13},
        {1212, 191, 384, 168, 23},
    },
};

INSTANTIATE_TEST_SUITE_P(BothLayouts, PlacedPage, ::testing::Values(kClonedPlacement, kNativePlacement),
                         [](const auto& info) {
                             return info.param.layout == deskhost::PageLayout::Native ? "Native" : "Cloned";
                         });

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

// The Native page's screen-area row: the help area, the end labels, the slider and its label.
const int kNativeScreenAreaRow[] = {1213, 1216, 1217, 100, 101};

void HideNativeScreenAreaRow(HWND page)
{
    for (int id : kNativeScreenAreaRow) {
        ShowWindow(GetDlgItem(page, id), SW_HIDE);
        EnableWindow(GetDlgItem(page, id), FALSE);
    }
}

void ExpectNativeScreenAreaRowShown(HWND page)
{
    for (int id : kNativeScreenAreaRow) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, id))) << id;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    }
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

    HideNativeScreenAreaRow(page);
    SetWindowPos(GetDlgItem(page, 1211), nullptr, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);
    panel_->ChangeDeviceMode();
    ExpectNativeScreenAreaRowShown(page);
    EXPECT_EQ(Rect(page, 1211).bottom - Rect(page, 1211).top, ClientHeight(page, 1212));
}

TEST_F(OpenedPage, TheRangeCommandRangesTheScreenSliderAgainAndShowsTheRow)
{
    using deskhost::PanelControl;
    const HWND page = Open(deskhost::PageLayout::Native);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(panel_->DragSlider(PanelControl::ScreenSlider, 5));
    ASSERT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, 5) << "pushed up to 1600 x 1200";
    HideNativeScreenAreaRow(page);

    // The driver no longer offers 1600 x 1200: the page reads its list again at the command and,
    // its choice gone, stands at 640 x 480.
    std::erase_if(kvapi::TheAdapter().config().modes,
                  [](const kvapi::Mode& mode) { return mode.width == 1600; });
    ASSERT_TRUE(panel_->Click(PanelControl::RangeCommand));
    ASSERT_EQ(panel_->Slider(PanelControl::DesktopSlider).maximum, 4);
    ASSERT_EQ(panel_->Slider(PanelControl::DesktopSlider).position, 0);

    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).maximum, 4);
    EXPECT_EQ(panel_->Slider(PanelControl::ScreenSlider).position, 0);
    EXPECT_EQ(panel_->Text(PanelControl::ScreenLabel), "640 by 480 pixels");
    ExpectNativeScreenAreaRowShown(page);
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
