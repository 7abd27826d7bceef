#include "driver/mode_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "driver/driver_link.h"
#include "driver/request_block.h"
#include "driver/startup_queries.h"
#include "driver_fixture.h"

namespace drivertest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Sizes = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// The entries of a zero-terminated list; a failure when the buffer holds no terminator.
std::vector<std::uint32_t> Entries(const std::uint32_t* list, std::size_t capacity)
{
    std::vector<std::uint32_t> entries;
    for (std::size_t i = 0; i < capacity; ++i) {
        if (list[i] == 0) {
            return entries;
        }
        entries.push_back(list[i]);
    }
    ADD_FAILURE() << "no terminating 0 within " << capacity << " entries";
    return entries;
}

Sizes SizeEntries(const std::uint32_t* list)
{
    Sizes sizes;
    for (std::uint32_t packed : Entries(list, kMaxListedSizes + 1)) {
        sizes.emplace_back(packed >> 16, packed & 0xFFFF);
    }
    return sizes;
}

std::vector<std::uint32_t> DepthEntries(const std::uint32_t* list)
{
    return Entries(list, kMaxListedDepths + 1);
}

struct Record {
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t byte8;
    std::uint8_t byte9;
};

void PutRecords(DriverTag tag, std::uint32_t countOffset, std::uint32_t recordsOffset,
                const std::vector<Record>& records)
{
    std::uint8_t* block = GetDriverBlock(tag);
    ASSERT_LE(recordsOffset + records.size() * kModeRecordSize, GetDriverBlockSize(tag));
    WriteU32(block, countOffset, static_cast<std::uint32_t>(records.size()));
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::uint8_t* record = block + recordsOffset + i * kModeRecordSize;
        WriteU32(record, 0, records[i].width);
        WriteU32(record, 4, records[i].height);
        record[8] = records[i].byte8;
        record[9] = records[i].byte9;
    }
}

// Tables as if the driver had just answered: the mode table in "crs0", viewports in "vwp0".
void PutModeTable(const std::vector<Record>& records)
{
    PutRecords(TagModeTable, 12, 16, records);
}

void PutViewportTable(const std::vector<Record>& records)
{
    PutRecords(TagViewportTable, 26, 30, records);
}

// 800x600x16, 640x480x8, 1024x768x8, 640x480x16, 800x600x8.
std::vector<kvapi::Mode> MixedModes()
{
    return {{800, 600, 16, 60}, {640, 480, 8, 60}, {1024, 768, 8, 60}, {640, 480, 16, 60}, {800, 600, 8, 60}};
}

std::vector<Record> AsRecords(const std::vector<kvapi::Mode>& modes)
{
    std::vector<Record> records;
    for (const kvapi::Mode& mode : modes) {
        records.push_back({mode.width, mode.height, mode.depth, mode.rate});
    }
    return records;
}

kvapi::AdapterConfig MixedAdapter()
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.modes = MixedModes();
    config.viewports = {
        {.width = 1024, .height = 768, .depth = 8, .sizes = {{1024, 768}, {640, 480}, {800, 600}}},
        {.width = 1024, .height = 768, .depth = 16, .sizes = {{1024, 768}}},
    };
    config.current = {1024, 768, 16, 60};
    config.viewport = {1024, 768};
    return config;
}

// ---- packing ----

TEST(PackedSize, WidthHighHeightLow)
{
    EXPECT_EQ(PackSize(640, 480), 0x028001E0u);
    EXPECT_EQ(PackedWidth(0x028001E0), 640u);
    EXPECT_EQ(PackedHeight(0x028001E0), 480u);
    EXPECT_EQ(PackSize(0x10280, 0x101E0), 0x028001E0u);
}

// ---- lists from the driver's tables ----

using ModeListTest = DriverTest;

TEST_F(ModeListTest, DesktopSizesAndDepthsAscendingAndDistinct)
{
    ASSERT_EQ(Link(MixedAdapter()), DriverOk);

    EXPECT_THAT(SizeEntries(BuildDesktopSizeList()),
                ElementsAre(std::pair{640u, 480u}, std::pair{800u, 600u}, std::pair{1024u, 768u}));
    EXPECT_EQ(CountDesktopSizes(), 3);
    EXPECT_THAT(DepthEntries(BuildDepthList(640, 480)), ElementsAre(8u, 16u));
    EXPECT_THAT(DepthEntries(BuildDepthList(1024, 768)), ElementsAre(8u));
    EXPECT_THAT(DepthEntries(BuildDepthList(1280, 1024)), IsEmpty());
}

TEST(ModeList, EveryTableOrderGivesTheSameLists)
{
    std::vector<Record> records = AsRecords(MixedModes());
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return std::tie(a.width, a.height, a.byte8) < std::tie(b.width, b.height, b.byte8);
    });
    int orders = 0;
    do {
        PutModeTable(records);
        SCOPED_TRACE("order " + std::to_string(orders));
        ASSERT_THAT(SizeEntries(BuildDesktopSizeList()),
                    ElementsAre(std::pair{640u, 480u}, std::pair{800u, 600u}, std::pair{1024u, 768u}));
        ASSERT_THAT(DepthEntries(BuildDepthList(640, 480)), ElementsAre(8u, 16u));
        ASSERT_THAT(DepthEntries(BuildDepthList(800, 600)), ElementsAre(8u, 16u));
        ++orders;
    } while (std::next_permutation(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return std::tie(a.width, a.height, a.byte8) < std::tie(b.width, b.height, b.byte8);
    }));
    EXPECT_EQ(orders, 120);
}

TEST(ModeList, ListIsRebuiltIntoTheSameBuffer)
{
    PutModeTable({{800, 600, 8, 0}});
    const std::uint32_t* first = BuildDesktopSizeList();
    PutModeTable({{1024, 768, 8, 0}, {640, 480, 8, 0}});
    EXPECT_EQ(BuildDesktopSizeList(), first);
    EXPECT_THAT(SizeEntries(first), ElementsAre(std::pair{640u, 480u}, std::pair{1024u, 768u}));
}

TEST(ModeList, SameSizeWithDifferentTrailingBytesIsOneScreenSize)
{
    PutViewportTable({{640, 480, 1, 2}, {800, 600, 0, 0}, {640, 480, 3, 4}});
    EXPECT_THAT(SizeEntries(BuildScreenSizeList()),
                ElementsAre(std::pair{640u, 480u}, std::pair{800u, 600u}));
    EXPECT_EQ(CountScreenSizes(), 2);
}

TEST(ModeList, SizesAPackedSizeCannotHoldAreNotListed)
{
    PutModeTable({{0, 0, 8, 0},
                  {0, 480, 8, 0},
                  {640, 0, 8, 0},
                  {65536 + 640, 480, 8, 0},
                  {640, 65536 + 480, 8, 0},
                  {65536, 65536, 8, 0},
                  {800, 600, 8, 0}});
    PutViewportTable({{0, 0, 0, 0}, {65536 + 640, 480, 0, 0}, {800, 600, 0, 0}});

    EXPECT_THAT(SizeEntries(BuildDesktopSizeList()), ElementsAre(std::pair{800u, 600u}));
    EXPECT_THAT(SizeEntries(BuildScreenSizeList()), ElementsAre(std::pair{800u, 600u}));
    EXPECT_EQ(ScreenSizeIndexOf(640, 480), -1);
    EXPECT_EQ(ScreenSizeIndexOf(65536 + 640, 480), -1);
    EXPECT_EQ(ScreenSizeIndexOf(800, 600), 0);
}

TEST(ModeList, DepthsComeFromRecordsOfExactlyThatSize)
{
    PutModeTable({{640, 480, 0, 0},
                  {640, 480, 16, 0},
                  {640, 400, 4, 0},
                  {800, 480, 24, 0},
                  {65536 + 640, 480, 32, 0},
                  {640, 480, 8, 0}});
    EXPECT_THAT(DepthEntries(BuildDepthList(640, 480)), ElementsAre(8u, 16u));
}

// Three orders of the same records: ascending, descending, shuffled.
std::vector<std::vector<Record>> ThreeOrders(std::vector<Record> records)
{
    std::vector<std::vector<Record>> orders = {records};
    std::reverse(records.begin(), records.end());
    orders.push_back(records);
    std::shuffle(records.begin(), records.end(), std::mt19937(7));
    orders.push_back(records);
    return orders;
}

TEST(ModeList, MoreThan31SizesKeepThe31Smallest)
{
    std::vector<Record> records;
    Sizes smallest;
    for (std::uint32_t i = 0; i < 45; ++i) {
        records.push_back({400 + 16 * i, 300 + 12 * i, 8, 0});
        if (i < 31) {
            smallest.emplace_back(400 + 16 * i, 300 + 12 * i);
        }
    }
    for (const std::vector<Record>& order : ThreeOrders(records)) {
        PutModeTable(order);
        PutViewportTable(order);
        EXPECT_EQ(SizeEntries(BuildDesktopSizeList()), smallest);
        EXPECT_EQ(SizeEntries(BuildScreenSizeList()), smallest);
        EXPECT_EQ(CountDesktopSizes(), 31);
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        EXPECT_TRUE(DesktopSizeAt(30, &width, &height));
        EXPECT_EQ(std::pair(width, height), smallest.back());
    }
}

TEST(ModeList, MoreThan7DepthsKeepThe7Smallest)
{
    std::vector<Record> records;
    for (std::uint8_t depth : {1, 2, 4, 8, 15, 16, 24, 32, 48, 64}) {
        records.push_back({640, 480, depth, 0});
    }
    for (const std::vector<Record>& order : ThreeOrders(records)) {
        PutModeTable(order);
        EXPECT_THAT(DepthEntries(BuildDepthList(640, 480)), ElementsAre(1u, 2u, 4u, 8u, 15u, 16u, 24u));
    }
}

// ---- counts the driver overstates ----

TEST_F(ModeListTest, ModeCountAbove256ReadsAtMost256Records)
{
    kvapi::AdapterConfig config = MixedAdapter();
    // 256 records of which only the last is a size; then the claim of many more.
    config.modes.assign(255, kvapi::Mode{0, 0, 8, 60});
    config.modes.push_back({1024, 768, 8, 60});
    config.modeCountClaim = 0xFFFFFFFF;
    ASSERT_EQ(Link(config), DriverOk);

    EXPECT_EQ(ModeTableCount(), 256u);
    EXPECT_THAT(SizeEntries(BuildDesktopSizeList()), ElementsAre(std::pair{1024u, 768u}));
    EXPECT_THAT(DepthEntries(BuildDepthList(1024, 768)), ElementsAre(8u));
    EXPECT_TRUE(CheckLargestDesktopViewports());
}

TEST_F(ModeListTest, ViewportCountAbove256ReadsAtMost256Records)
{
    kvapi::AdapterConfig config = MixedAdapter();
    config.viewports[0].sizes.assign(255, kvapi::Size{0, 0});
    config.viewports[0].sizes.push_back({800, 600});
    config.viewportCountClaim = 257;
    ASSERT_EQ(Link(config), DriverOk);
    ASSERT_TRUE(CheckLargestDesktopViewports());

    EXPECT_EQ(ViewportTableCount(), 256u);
    EXPECT_THAT(SizeEntries(BuildScreenSizeList()), ElementsAre(std::pair{800u, 600u}));
    EXPECT_TRUE(IsViewportSize(800, 600));
    EXPECT_FALSE(IsViewportSize(640, 480));
    EXPECT_EQ(ScreenSizeIndexOf(640, 480), -1);
}

TEST(ModeList, CountsClaimedPastTheBlockAreCut)
{
    WriteU32(GetDriverBlock(TagModeTable), 12, 0x80000000);
    WriteU32(GetDriverBlock(TagViewportTable), 26, 0xFFFFFFFF);
    EXPECT_EQ(ModeTableCount(), 256u);
    EXPECT_EQ(ViewportTableCount(), 256u);
    EXPECT_EQ(CountDesktopSizes(), 0);
    EXPECT_EQ(CountScreenSizes(), 0);
    EXPECT_FALSE(IsViewportSize(640, 480));
}

// ---- lookups ----

TEST_F(ModeListTest, ScreenSizeLookupsFollowAscendingOrder)
{
    ASSERT_EQ(Link(MixedAdapter()), DriverOk);
    ASSERT_TRUE(CheckLargestDesktopViewports());

    EXPECT_EQ(ScreenSizeIndexOf(640, 480), 0);
    EXPECT_EQ(ScreenSizeIndexOf(800, 600), 1);
    EXPECT_EQ(ScreenSizeIndexOf(1024, 768), 2);
    EXPECT_EQ(ScreenSizeIndexOf(720, 400), -1);
    EXPECT_TRUE(IsViewportSize(800, 600));
    EXPECT_FALSE(IsViewportSize(600, 800));

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_TRUE(ScreenSizeAt(0, &width, &height));
    EXPECT_EQ(std::pair(width, height), std::pair(640u, 480u));
    EXPECT_TRUE(ScreenSizeAt(CountScreenSizes() - 1, &width, &height));
    EXPECT_EQ(std::pair(width, height), std::pair(1024u, 768u));
    EXPECT_TRUE(DesktopSizeAt(1, &width, &height));
    EXPECT_EQ(std::pair(width, height), std::pair(800u, 600u));
}

TEST_F(ModeListTest, IndexOutsideAListGivesFalseAnd0x0)
{
    ASSERT_EQ(Link(MixedAdapter()), DriverOk);
    ASSERT_TRUE(CheckLargestDesktopViewports());

    for (int index : {-1, 3, 4, 31, 32, 1000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE("index " + std::to_string(index));
        std::uint32_t width = 7;
        std::uint32_t height = 7;
        EXPECT_FALSE(ScreenSizeAt(index, &width, &height));
        EXPECT_EQ(std::pair(width, height), std::pair(0u, 0u));
        width = height = 7;
        EXPECT_FALSE(DesktopSizeAt(index, &width, &height));
        EXPECT_EQ(std::pair(width, height), std::pair(0u, 0u));
    }
}

TEST(ModeList, EmptyTablesGiveEmptyLists)
{
    EXPECT_EQ(CountDesktopSizes(), 0);
    EXPECT_EQ(CountScreenSizes(), 0);
    EXPECT_FALSE(IsViewportSize(0, 0));
    EXPECT_EQ(ScreenSizeIndexOf(640, 480), -1);
    std::uint32_t width = 7;
    std::uint32_t height = 7;
    EXPECT_FALSE(ScreenSizeAt(0, &width, &height));
    EXPECT_EQ(std::pair(width, height), std::pair(0u, 0u));
}

// ---- the start-up test of the largest desktop ----

using LargestDesktopTest = DriverTest;

TEST_F(LargestDesktopTest, AsksForTheLargestDesktopAtDepth8Rate0)
{
    ASSERT_EQ(Link(MixedAdapter()), DriverOk);
    Driver().ClearLog();

    EXPECT_TRUE(CheckLargestDesktopViewports());
    EXPECT_EQ(Trace(), "26");
    const auto request = LoggedRequests(26).at(0).request;
    EXPECT_EQ(U32At(request, 16), 1024u);
    EXPECT_EQ(U32At(request, 20), 768u);
    EXPECT_EQ(request.at(24), 8);
    EXPECT_EQ(request.at(25), 0);
    // The viewport table is now that of 1024x768x8, whatever the mode in force.
    EXPECT_THAT(SizeEntries(BuildScreenSizeList()),
                ElementsAre(std::pair{640u, 480u}, std::pair{800u, 600u}, std::pair{1024u, 768u}));
}

TEST_F(LargestDesktopTest, PartialAnswerFails)
{
    kvapi::AdapterConfig config = MixedAdapter();
    config.statusOverride[26] = kStatusPartial;
    ASSERT_EQ(Link(config), DriverOk);
    EXPECT_FALSE(CheckLargestDesktopViewports());
}

TEST_F(LargestDesktopTest, FailsWithoutTheViewportFunction)
{
    ASSERT_EQ(Link(Without(26, MixedAdapter())), DriverOk);
    Driver().ClearLog();
    EXPECT_FALSE(CheckLargestDesktopViewports());
    EXPECT_EQ(Trace(), "");
}

TEST_F(LargestDesktopTest, EmptyModeTableFailsWithoutAsking)
{
    kvapi::AdapterConfig config = MixedAdapter();
    config.modes.clear();
    ASSERT_EQ(Link(config), DriverOk);
    Driver().ClearLog();
    EXPECT_FALSE(CheckLargestDesktopViewports());
    EXPECT_EQ(Trace(), "");
}

// ---- query blocks and the screen's mode ----

TEST_F(ModeListTest, ModeArgumentCarriesDepthAndRateAsBytes)
{
    ASSERT_EQ(Link(MixedAdapter()), DriverOk);
    Driver().ClearLog();
    QueryModeDetails(1024, 768, 0x110, 0x14B);

    const auto request = LoggedRequests(5).at(0).request;
    ASSERT_EQ(request.size(), 2074u);
    EXPECT_EQ(U32At(request, 8), 0x30747663u);  // "cvt0"
    EXPECT_EQ(U32At(request, 12), 0u);
    EXPECT_EQ(U32At(request, 16), 1024u);
    EXPECT_EQ(U32At(request, 20), 768u);
    EXPECT_EQ(request.at(24), 0x10);
    EXPECT_EQ(request.at(25), 0x4B);
    EXPECT_TRUE(std::all_of(request.begin() + 26, request.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(CurrentMode, ReadsTheScreenAndReleasesItsDc)
{
    winsim::SetDisplayMode({.width = 800, .height = 600, .bitsPerPixel = 8, .refresh = 72});
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;
    std::uint32_t rate = 0;
    EXPECT_TRUE(CurrentMode(&width, &height, &depth, &rate));
    EXPECT_EQ(width, 800u);
    EXPECT_EQ(height, 600u);
    EXPECT_EQ(depth, 8u);
    EXPECT_EQ(rate, 72u);
    EXPECT_EQ(CurrentDepth(), 8);
    EXPECT_EQ(winsim::LiveScreenDcs(), 0);
}

TEST(CurrentMode, WithoutAScreenDcFailsAndWritesNothing)
{
    winsim::FailNext(winsim::Fault::ScreenDc);
    std::uint32_t width = 7;
    std::uint32_t height = 7;
    std::uint32_t depth = 7;
    std::uint32_t rate = 7;
    EXPECT_FALSE(CurrentMode(&width, &height, &depth, &rate));
    EXPECT_EQ(width, 7u);
    EXPECT_EQ(height, 7u);
    EXPECT_EQ(depth, 7u);
    EXPECT_EQ(rate, 7u);
}

}  // namespace
}  // namespace drivertest
