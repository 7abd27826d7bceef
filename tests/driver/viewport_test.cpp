#include "driver/viewport.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "driver_fixture.h"

namespace drivertest {
namespace {

using XY = std::pair<std::uint32_t, std::uint32_t>;

const std::pair<std::string, std::string> kPersistKey{"Default", "KVDrvViewportSize"};

// The panning adapter with its 640x480 screen area at `origin` of the 1024x768 desktop.
kvapi::AdapterConfig PannedAt(std::uint32_t x, std::uint32_t y)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.origin = {x, y};
    return config;
}

XY Cursor()
{
    const POINT cursor = winsim::CursorPosition();
    return {static_cast<std::uint32_t>(cursor.x), static_cast<std::uint32_t>(cursor.y)};
}

XY ViewportSize()
{
    XY size{7, 7};
    EXPECT_TRUE(GetViewportSize(&size.first, &size.second));
    return size;
}

using ViewportTest = DriverTest;

// ---- pure arithmetic ----

TEST(ClampViewportOrigin, KeepsTheViewportInsideTheDesktop)
{
    EXPECT_EQ(ClampViewportOrigin(900, 640, 1024), 384u);
    EXPECT_EQ(ClampViewportOrigin(384, 640, 1024), 384u);
    EXPECT_EQ(ClampViewportOrigin(383, 640, 1024), 383u);
    EXPECT_EQ(ClampViewportOrigin(0xFFFFFFF0, 640, 1024), 384u);
    EXPECT_EQ(ClampViewportOrigin(0, 0, 1024), 0u);
}

TEST(ClampViewportOrigin, ViewportNotSmallerThanTheDesktopPutsTheOriginAt0)
{
    EXPECT_EQ(ClampViewportOrigin(100, 1024, 1024), 0u);
    EXPECT_EQ(ClampViewportOrigin(100, 1280, 1024), 0u);
    EXPECT_EQ(ClampViewportOrigin(0, 0xFFFFFFFF, 1024), 0u);
    EXPECT_EQ(ClampViewportOrigin(0xFFFFFFFF, 0xFFFFFFFF, 0), 0u);
}

TEST(FollowCursor, MovesOnlyWhenOutsideTheNewAreaOnThatAxis)
{
    EXPECT_EQ(FollowCursor(100, 384, 0, 640), 484u);
    EXPECT_EQ(FollowCursor(500, 384, 0, 640), 500u);
    EXPECT_EQ(FollowCursor(1024, 384, 0, 640), 1024u);  // exactly at the far edge counts as inside
    // Moving the origin back moves an outside cursor back by the same distance.
    EXPECT_EQ(FollowCursor(641, 0, 384, 640), 257u);
    EXPECT_EQ(FollowCursor(640, 0, 384, 640), 640u);
}

// ---- SetViewportOrigin and the cursor ----

struct CursorCase {
    const char* name;
    XY cursor;
    int button;  // 0 for none
    bool sent;
    XY after;
};

void PrintTo(const CursorCase& c, std::ostream* out)
{
    *out << c.name;
}

class CursorFollowTest : public DriverTest, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(CursorFollowTest, PanningTo384x288From0x0)
{
    const CursorCase& c = GetParam();
    ASSERT_EQ(Link(PannedAt(0, 0)), DriverOk);
    SetCursorPos(static_cast<int>(c.cursor.first), static_cast<int>(c.cursor.second));
    ASSERT_EQ(Cursor(), c.cursor);
    if (c.button != 0) {
        winsim::SetButtonDown(c.button, true);
    }
    Driver().ClearLog();
    const int cursorMovesBefore = winsim::SetCursorPosCalls();

    const DriverResult result = SetViewportOrigin(384, 288);
    if (c.sent) {
        EXPECT_EQ(result, DriverOk);
        EXPECT_EQ(LastSentPair(9), XY(384, 288));
        EXPECT_EQ(Driver().config().origin, (kvapi::Point{384, 288}));
    } else {
        EXPECT_EQ(LoggedRequests(9).size(), 0u);
        EXPECT_EQ(Driver().config().origin, (kvapi::Point{0, 0}));
        EXPECT_EQ(winsim::SetCursorPosCalls(), cursorMovesBefore);
    }
    EXPECT_EQ(Cursor(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CursorFollowTest,
    ::testing::Values(CursorCase{"OutsideFollows", {100, 100}, 0, true, {484, 388}},
                      CursorCase{"InsideStays", {500, 400}, 0, true, {500, 400}},
                      CursorCase{"OneAxisOutside", {100, 400}, 0, true, {484, 400}},
                      CursorCase{"LeftHeldOutsideSendsNothing", {100, 100}, VK_LBUTTON, false, {100, 100}},
                      CursorCase{"LeftHeldInsideSends", {500, 400}, VK_LBUTTON, true, {500, 400}},
                      CursorCase{"LeftHeldXOutsideSendsNothing", {100, 400}, VK_LBUTTON, false, {100, 400}},
                      CursorCase{"LeftHeldYOutsideSendsNothing", {500, 100}, VK_LBUTTON, false, {500, 100}},
                      CursorCase{"MiddleHeldOutsideSendsNothing", {100, 100}, VK_MBUTTON, false, {100, 100}},
                      CursorCase{"RightHeldOutsideSendsNothing", {100, 100}, VK_RBUTTON, false, {100, 100}}),
    [](const ::testing::TestParamInfo<CursorCase>& info) { return std::string(info.param.name); });

TEST_F(ViewportTest, SetOriginReadsSizeOriginSizeThenSends)
{
    ASSERT_EQ(Link(PannedAt(10, 20)), DriverOk);
    Driver().ClearLog();
    EXPECT_EQ(SetViewportOrigin(100, 50), DriverOk);
    EXPECT_EQ(Trace(), "10 8 10 9");
    EXPECT_EQ(LastSentPair(9), XY(100, 50));
}

TEST_F(ViewportTest, OriginPastTheFarEdgeIsClamped)
{
    ASSERT_EQ(Link(), DriverOk);
    for (const auto& [asked, sent] : {std::pair{XY(900, 0), XY(384, 0)}, std::pair{XY(0, 700), XY(0, 288)},
                                      std::pair{XY(1023, 767), XY(384, 288)}}) {
        EXPECT_EQ(SetViewportOrigin(asked.first, asked.second), DriverOk);
        EXPECT_EQ(LastSentPair(9), sent) << "asked " << asked.first << "," << asked.second;
    }
}

TEST_F(ViewportTest, OriginOutsideTheDesktopIsRefusedAndNothingMoves)
{
    ASSERT_EQ(Link(), DriverOk);
    SetCursorPos(100, 100);
    const int cursorMovesBefore = winsim::SetCursorPosCalls();
    for (const XY& asked : {XY(1024, 0), XY(0, 768), XY(0xFFFFFFFF, 0xFFFFFFFF)}) {
        EXPECT_EQ(SetViewportOrigin(asked.first, asked.second), DriverFailed);
    }
    EXPECT_EQ(LoggedRequests(9).size(), 0u);
    EXPECT_EQ(winsim::SetCursorPosCalls(), cursorMovesBefore);
}

TEST_F(ViewportTest, ViewportLargerThanTheDesktopGetsOrigin0)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.viewport = {1280, 480};
    ASSERT_EQ(Link(config), DriverOk);
    SetViewportOrigin(100, 500);
    EXPECT_EQ(LastSentPair(9), XY(0, 288));

    Driver().config().viewport = {1280, 1024};
    SetViewportOrigin(1000, 700);
    EXPECT_EQ(LastSentPair(9), XY(0, 0));
}

TEST_F(ViewportTest, SetOriginWithoutFunction9SendsNothing)
{
    ASSERT_EQ(Link(Without(9)), DriverOk);
    Driver().ClearLog();
    EXPECT_EQ(SetViewportOrigin(100, 50), DriverFailed);
    EXPECT_EQ(Trace(), "");
}

// ---- GetViewportOrigin and GetViewportSize ----

TEST_F(ViewportTest, OriginOfAWholeDesktopViewportIsKnownWithoutAsking)
{
    kvapi::AdapterConfig config = PannedAt(0, 0);
    config.viewport = {1024, 768};
    ASSERT_EQ(Link(config), DriverOk);
    Driver().ClearLog();

    XY origin{7, 7};
    EXPECT_TRUE(GetViewportOrigin(&origin.first, &origin.second));
    EXPECT_EQ(origin, XY(0, 0));
    EXPECT_EQ(Trace(), "10");
}

TEST_F(ViewportTest, OriginOfAPannedViewportComesFromTheDriver)
{
    ASSERT_EQ(Link(PannedAt(200, 100)), DriverOk);
    Driver().ClearLog();

    XY origin{7, 7};
    EXPECT_TRUE(GetViewportOrigin(&origin.first, &origin.second));
    EXPECT_EQ(origin, XY(200, 100));
    EXPECT_EQ(Trace(), "10 8");
}

TEST_F(ViewportTest, OriginStatusDecidesWhetherTheReplyIsRead)
{
    ASSERT_EQ(Link(PannedAt(200, 100)), DriverOk);
    for (const auto& [status, expected] :
         {std::pair{kStatusPartial, XY(200, 100)}, std::pair{kStatusFailed, XY(0, 0)}}) {
        Driver().config().statusOverride[8] = status;
        XY origin{7, 7};
        EXPECT_TRUE(GetViewportOrigin(&origin.first, &origin.second));
        EXPECT_EQ(origin, expected) << "status 0x" << std::hex << status;
    }
}

TEST_F(ViewportTest, OriginWithoutFunction8IsNotKnown)
{
    ASSERT_EQ(Link(Without(8, PannedAt(200, 100))), DriverOk);
    Driver().ClearLog();

    XY origin{7, 7};
    EXPECT_FALSE(GetViewportOrigin(&origin.first, &origin.second));
    EXPECT_EQ(origin, XY(7, 7));
    EXPECT_EQ(Trace(), "");
}

TEST_F(ViewportTest, SizeComesFromTheDriver)
{
    ASSERT_EQ(Link(), DriverOk);
    winsim::SetScreenSize(700, 500);
    Driver().ClearLog();
    EXPECT_EQ(ViewportSize(), XY(640, 480));
    EXPECT_EQ(Trace(), "10");
}

TEST_F(ViewportTest, SizeFallsBackToTheScreenWithoutFunction10)
{
    ASSERT_EQ(Link(Without(10)), DriverOk);
    winsim::SetScreenSize(700, 500);
    Driver().ClearLog();
    EXPECT_EQ(ViewportSize(), XY(700, 500));
    EXPECT_EQ(Trace(), "");
}

TEST_F(ViewportTest, SizeStatusDecidesWhetherTheReplyIsRead)
{
    ASSERT_EQ(Link(), DriverOk);
    winsim::SetScreenSize(700, 500);
    for (const auto& [status, expected] :
         {std::pair{kStatusPartial, XY(640, 480)}, std::pair{kStatusFailed, XY(700, 500)}}) {
        Driver().config().statusOverride[10] = status;
        EXPECT_EQ(ViewportSize(), expected) << "status 0x" << std::hex << status;
    }
}

// ---- SetViewportSize ----

TEST_F(ViewportTest, SizeOfTheDesktopDropsThePersistedValueAndBroadcasts)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.current = {800, 600, 16, 75};
    config.origin = {100, 60};
    config.persisted[kPersistKey] = "vpd0,640,480";
    ASSERT_EQ(Link(config), DriverOk);
    Driver().ClearLog();
    winsim::ClearBroadcasts();

    EXPECT_EQ(SetViewportSize(800, 600), DriverOk);
    EXPECT_EQ(Trace(), "10 8 10 11 persist 10 10 9");
    const auto persists = LoggedPersists();
    ASSERT_EQ(persists.size(), 1u);
    EXPECT_EQ(persists[0].section, std::optional<std::string>("Default"));
    EXPECT_EQ(persists[0].valueName, std::optional<std::string>("KVDrvViewportSize"));
    EXPECT_EQ(persists[0].valueText, std::nullopt);
    EXPECT_EQ(Driver().config().persisted.count(kPersistKey), 0u);

    ASSERT_EQ(winsim::Broadcasts().size(), 1u);
    const winsim::PostedMessage& message = winsim::Broadcasts()[0];
    EXPECT_EQ(message.window, HWND_BROADCAST);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_DISPLAYCHANGE));
    EXPECT_EQ(message.wParam, 16u);
    EXPECT_EQ(LOWORD(message.lParam), 800);
    EXPECT_EQ(HIWORD(message.lParam), 600);
    EXPECT_EQ(LastSentPair(9), XY(0, 0));
    EXPECT_EQ(ViewportSize(), XY(800, 600));
}

TEST_F(ViewportTest, BroadcastCarriesTheDesktopNotTheNewViewport)
{
    ASSERT_EQ(Link(PannedAt(384, 288)), DriverOk);
    Driver().ClearLog();
    winsim::ClearBroadcasts();

    EXPECT_EQ(SetViewportSize(800, 600), DriverOk);
    EXPECT_EQ(Trace(), "10 8 10 11 10 8 10 9");
    ASSERT_EQ(winsim::Broadcasts().size(), 1u);
    EXPECT_EQ(winsim::Broadcasts()[0].wParam, 16u);
    EXPECT_EQ(winsim::Broadcasts()[0].lParam, MAKELPARAM(1024, 768));
    // The old origin again, as far as the larger area still fits.
    EXPECT_EQ(LastSentPair(9), XY(224, 168));
}

TEST_F(ViewportTest, UnchangedSizePostsNothingButRestoresTheOrigin)
{
    ASSERT_EQ(Link(PannedAt(200, 100)), DriverOk);
    Driver().ClearLog();
    winsim::ClearBroadcasts();

    EXPECT_EQ(SetViewportSize(640, 480), DriverOk);
    EXPECT_EQ(Trace(), "10 8 10 11 10 8 10 9");
    EXPECT_EQ(winsim::Broadcasts().size(), 0u);
    EXPECT_EQ(LastSentPair(9), XY(200, 100));
}

TEST_F(ViewportTest, PartialSizeStatusReturns1AndDoesNothingMore)
{
    kvapi::AdapterConfig config = PannedAt(200, 100);
    config.statusOverride[11] = kStatusPartial;
    config.persisted[kPersistKey] = "vpd0,640,480";
    ASSERT_EQ(Link(config), DriverOk);
    Driver().ClearLog();
    winsim::ClearBroadcasts();

    EXPECT_EQ(SetViewportSize(1024, 768), DriverPartial);
    EXPECT_EQ(Trace(), "10 8 10 11");
    EXPECT_EQ(winsim::Broadcasts().size(), 0u);
    EXPECT_EQ(Driver().config().persisted.count(kPersistKey), 1u);
}

TEST_F(ViewportTest, SetSizeWithoutFunction11SendsNothing)
{
    ASSERT_EQ(Link(Without(11)), DriverOk);
    Driver().ClearLog();
    EXPECT_EQ(SetViewportSize(800, 600), DriverFailed);
    EXPECT_EQ(Trace(), "");
}

TEST_F(ViewportTest, SetSizeWithoutAnOriginLeavesTheOriginToTheDriver)
{
    ASSERT_EQ(Link(Without(8)), DriverOk);
    Driver().ClearLog();
    EXPECT_EQ(SetViewportSize(800, 600), DriverOk);
    EXPECT_EQ(Trace(), "10 11");
}

// ---- SetViewportMode ----

class ViewportModeTest : public DriverTest,
                         public ::testing::WithParamInterface<std::pair<int, std::uint32_t>> {};

TEST_P(ViewportModeTest, SendsTheMappedValue)
{
    const auto [mode, value] = GetParam();
    ASSERT_EQ(Link(), DriverOk);
    Driver().ClearLog();
    EXPECT_EQ(SetViewportMode(mode), DriverOk);
    const auto requests = LoggedRequests(28);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].size, 16u);
    EXPECT_EQ(requests[0].tag, "vmp0");
    EXPECT_EQ(U32At(requests[0].request, 12), value);
}

INSTANTIATE_TEST_SUITE_P(Map, ViewportModeTest,
                         ::testing::Values(std::pair{0, 0u}, std::pair{1, 2u}, std::pair{2, 1u},
                                           std::pair{3, 3u}));

TEST_F(ViewportTest, ModeWithoutAMappingSendsNothing)
{
    ASSERT_EQ(Link(), DriverOk);
    Driver().ClearLog();
    for (int mode : {4, 5, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(SetViewportMode(mode), DriverFailed) << "mode " << mode;
    }
    EXPECT_EQ(Trace(), "");
}

TEST_F(ViewportTest, ModeWithoutFunction28SendsNothing)
{
    ASSERT_EQ(Link(Without(28)), DriverOk);
    Driver().ClearLog();
    EXPECT_EQ(SetViewportMode(0), DriverFailed);
    EXPECT_EQ(Trace(), "");
}

// ---- the persisted size ----

TEST_F(ViewportTest, PersistPassesSectionNameAndText)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.functions = {};  // persisting asks for no function of the map
    ASSERT_EQ(Link(config), DriverOk);
    Driver().ClearLog();

    EXPECT_TRUE(PersistViewportSize(1024, 768));
    const auto persists = LoggedPersists();
    ASSERT_EQ(persists.size(), 1u);
    EXPECT_EQ(persists[0].size, 24u);
    EXPECT_EQ(U32At(persists[0].request, 0), 24u);
    EXPECT_EQ(U32At(persists[0].request, 8), 1u);
    EXPECT_EQ(persists[0].section, std::optional<std::string>("Default"));
    EXPECT_EQ(persists[0].valueName, std::optional<std::string>("KVDrvViewportSize"));
    EXPECT_EQ(persists[0].valueText, std::optional<std::string>("vpd0,1024,768"));
    EXPECT_EQ(Driver().config().persisted[kPersistKey], "vpd0,1024,768");
}

TEST_F(ViewportTest, PersistFormatsUnsignedNumbers)
{
    ASSERT_EQ(Link(), DriverOk);
    EXPECT_TRUE(PersistViewportSize(0xFFFFFFFF, 0x80000000));
    EXPECT_EQ(Driver().config().persisted[kPersistKey], "vpd0,4294967295,2147483648");
}

TEST_F(ViewportTest, ClearPassesANullText)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.persisted[kPersistKey] = "vpd0,800,600";
    ASSERT_EQ(Link(config), DriverOk);
    Driver().ClearLog();

    EXPECT_TRUE(ClearPersistedViewportSize());
    const auto persists = LoggedPersists();
    ASSERT_EQ(persists.size(), 1u);
    EXPECT_EQ(persists[0].section, std::optional<std::string>("Default"));
    EXPECT_EQ(persists[0].valueName, std::optional<std::string>("KVDrvViewportSize"));
    EXPECT_EQ(persists[0].valueText, std::nullopt);
    EXPECT_EQ(Driver().config().persisted.count(kPersistKey), 0u);
}

// ---- without a link ----

TEST(UnlinkedViewport, CommandsFailAndOutputsStayUntouched)
{
    XY value{7, 7};
    EXPECT_FALSE(GetViewportSize(&value.first, &value.second));
    EXPECT_FALSE(GetViewportOrigin(&value.first, &value.second));
    EXPECT_EQ(value, XY(7, 7));
    EXPECT_EQ(SetViewportOrigin(0, 0), DriverFailed);
    EXPECT_EQ(SetViewportSize(640, 480), DriverFailed);
    EXPECT_EQ(SetViewportMode(0), DriverFailed);
    EXPECT_FALSE(PersistViewportSize(640, 480));
    EXPECT_FALSE(ClearPersistedViewportSize());
    EXPECT_EQ(winsim::Broadcasts().size(), 0u);
}

TEST_F(ViewportTest, MissingOutputsAreRefused)
{
    ASSERT_EQ(Link(), DriverOk);
    std::uint32_t value = 7;
    Driver().ClearLog();
    EXPECT_FALSE(GetViewportSize(nullptr, &value));
    EXPECT_FALSE(GetViewportSize(&value, nullptr));
    EXPECT_FALSE(GetViewportOrigin(nullptr, &value));
    EXPECT_FALSE(GetViewportOrigin(&value, nullptr));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(Trace(), "");
}

}  // namespace
}  // namespace drivertest
