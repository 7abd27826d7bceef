#include "driver/driver_link.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "driver/mode_tables.h"
#include "driver/startup_queries.h"
#include "driver_fixture.h"

namespace drivertest {
namespace {

const std::string kFullStartup = "1 2 probe 3 4 26 5 6 34";

// Whether the map has a function, asked with any number as the driver's claims can carry.
bool Has(int number)
{
    return HasDriverFunction(static_cast<DriverFunction>(number));
}

// ---- start-up order and gating ----

using StartupTest = DriverTest;

TEST_F(StartupTest, HandshakeProbeThenQueriesInFixedOrder)
{
    EXPECT_EQ(Link(), DriverOk);
    EXPECT_EQ(Trace(), kFullStartup);
    EXPECT_EQ(GetLinkUseCount(), 1);
}

TEST_F(StartupTest, TheLinkItselfOnlyShakesHandsAndProbes)
{
    Install(PanningAdapter());
    EXPECT_EQ(OpenDriverLink(LoadComponentModule()), DriverOk);
    EXPECT_EQ(Trace(), "1 2 probe") << "the start-up queries are the module start-up's";
    EXPECT_EQ(GetLinkUseCount(), 1);
}

TEST_F(StartupTest, QueriesCarryTheirSizesTagsAndTheCurrentMode)
{
    ASSERT_EQ(Link(), DriverOk);
    struct Expected {
        std::uint32_t function;
        std::uint32_t size;
        const char* tag;
    };
    for (const Expected& e : {Expected{1, 20, "own0"}, Expected{3, 1824, "ver0"}, Expected{4, 2576, "crs0"},
                              Expected{26, 2590, "vwp0"}, Expected{5, 2074, "cvt0"}, Expected{6, 16, "vid0"},
                              Expected{34, 152, "tvo0"}}) {
        SCOPED_TRACE("function " + std::to_string(e.function));
        const auto requests = LoggedRequests(e.function);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].size, e.size);
        EXPECT_EQ(requests[0].tag, e.tag);
    }
    // The viewport table is asked for the current mode at rate 0, the timing at the current rate.
    const auto viewports = LoggedRequests(26).at(0).request;
    EXPECT_EQ(U32At(viewports, 16), 1024u);
    EXPECT_EQ(U32At(viewports, 20), 768u);
    EXPECT_EQ(viewports.at(24), 16);
    EXPECT_EQ(viewports.at(25), 0);
    const auto timing = LoggedRequests(5).at(0).request;
    EXPECT_EQ(U32At(timing, 12), 0u);
    EXPECT_EQ(U32At(timing, 16), 1024u);
    EXPECT_EQ(U32At(timing, 20), 768u);
    EXPECT_EQ(timing.at(24), 16);
    EXPECT_EQ(timing.at(25), 75);
}

class StartupGatingTest : public DriverTest, public ::testing::WithParamInterface<int> {};

TEST_P(StartupGatingTest, FunctionMissingFromTheMapIsSkippedAndTheOthersStillRun)
{
    const int missing = GetParam();
    EXPECT_EQ(Link(Without(missing)), DriverOk);

    std::string expected;
    for (const char* step : {"1", "2", "probe", "3", "4", "26", "5", "6", "34"}) {
        if (std::string(step) != std::to_string(missing)) {
            expected += expected.empty() ? step : std::string(" ") + step;
        }
    }
    EXPECT_EQ(Trace(), expected);
    EXPECT_EQ(GetLinkUseCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(GatedQueries, StartupGatingTest, ::testing::Values(4, 26, 5, 6, 34));

TEST_F(StartupTest, FailingQueriesDoNotStopTheSequence)
{
    kvapi::AdapterConfig config = PanningAdapter();
    for (std::uint32_t function : {3u, 4u, 26u, 5u, 6u, 34u}) {
        config.statusOverride[function] = kStatusFailed;
    }
    EXPECT_EQ(Link(config), DriverOk);
    EXPECT_EQ(Trace(), kFullStartup);
}

TEST_F(StartupTest, SecondOpenCountsAndSendsNothing)
{
    ASSERT_EQ(Link(), DriverOk);
    Driver().ClearLog();

    EXPECT_EQ(OpenDriverLink(LoadComponentModule()), DriverOk);
    EXPECT_EQ(Trace(), "");
    EXPECT_EQ(GetLinkUseCount(), 2);
}

// ---- handshake ----

using HandshakeTest = DriverTest;

TEST_F(HandshakeTest, Own0GoesOutWithItsReplyFieldsZero)
{
    ASSERT_EQ(Link(), DriverOk);
    const auto own = LoggedRequests(1).at(0).request;
    ASSERT_EQ(own.size(), 20u);
    EXPECT_EQ(U32At(own, 4), 0u);
    EXPECT_EQ(U32At(own, 8), 0x306E776Fu);
    EXPECT_EQ(U32At(own, 12), 0u);
    EXPECT_EQ(U32At(own, 16), 0u);
    EXPECT_EQ(GetDriverInterfaceId(), 360u);
    EXPECT_EQ(GetDriverFunctionCount(), 34u);
}

TEST_F(HandshakeTest, InterfaceOtherThan360IsRefusedWhateverTheStatus)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.interfaceId = 361;
    EXPECT_EQ(Link(config), DriverFailed);
    EXPECT_EQ(Trace(), "1");
    EXPECT_EQ(GetLinkUseCount(), 0);
    EXPECT_FALSE(Has(3));
}

TEST_F(HandshakeTest, PartialStatusIsAccepted)
{
    kvapi::AdapterConfig partial = PanningAdapter();
    partial.statusOverride[1] = kStatusPartial;
    EXPECT_EQ(Link(partial), DriverOk);
    EXPECT_EQ(Trace(), kFullStartup);
}

TEST_F(HandshakeTest, FailedOwn0StatusIsRefused)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.statusOverride[1] = kStatusFailed;
    EXPECT_EQ(Link(config), DriverFailed);
    EXPECT_EQ(Trace(), "1");
    EXPECT_EQ(GetLinkUseCount(), 0);
}

TEST_F(HandshakeTest, FailedMapStatusIsRefused)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.statusOverride[2] = 0x8002;
    EXPECT_EQ(Link(config), DriverFailed);
    EXPECT_EQ(Trace(), "1 2");
    EXPECT_EQ(GetLinkUseCount(), 0);
}

class ProbeTest : public DriverTest,
                  public ::testing::WithParamInterface<std::pair<std::uint32_t, DriverResult>> {};

TEST_P(ProbeTest, AnyNonZeroAnswerLinks)
{
    const auto [answer, expected] = GetParam();
    kvapi::AdapterConfig config = PanningAdapter();
    config.probeAnswer = answer;
    EXPECT_EQ(Link(config), expected);
    EXPECT_EQ(Trace(), expected == DriverOk ? kFullStartup : "1 2 probe");
    EXPECT_EQ(GetLinkUseCount(), expected == DriverOk ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, ProbeTest,
                         ::testing::Values(std::pair{0u, DriverFailed}, std::pair{1u, DriverOk},
                                           std::pair{0xFFFFFFFFu, DriverOk}),
                         [](const auto& info) { return "Answer" + std::to_string(info.param.first); });

TEST_F(HandshakeTest, MissingLibraryFailsAndRestoresTheErrorMode)
{
    const UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
    const int callsBefore = winsim::SetErrorModeCalls();

    EXPECT_EQ(OpenDriverLink(LoadComponentModule()), DriverFailed);
    EXPECT_EQ(winsim::ErrorModeAtLastLoad(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX))
        << "the system shows no box of its own for the missing file";
    EXPECT_EQ(winsim::CurrentErrorMode(), static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(winsim::SetErrorModeCalls() - callsBefore, 2);
    EXPECT_EQ(GetLinkUseCount(), 0);
    EXPECT_FALSE(IsDriverEntryKnown());
    SetErrorMode(before);
}

TEST_F(HandshakeTest, LibraryThatDoesNotLoadFails)
{
    Install(PanningAdapter());
    winsim::FailNext(winsim::Fault::LoadLibrary);
    EXPECT_EQ(OpenDriverLink(LoadComponentModule()), DriverFailed);
    EXPECT_EQ(Trace(), "");
    EXPECT_EQ(GetLinkUseCount(), 0);
}

TEST_F(HandshakeTest, LibraryWithoutTheEntryFails)
{
    winsim::RegisterModule(std::string(kSystemDirectory) + "\\KVAPI32.DLL", {});
    EXPECT_EQ(OpenDriverLink(LoadComponentModule()), DriverFailed);
    EXPECT_FALSE(IsDriverEntryKnown());
    EXPECT_EQ(GetLinkUseCount(), 0);
}

class MapAllocationTest : public DriverTest, public ::testing::WithParamInterface<winsim::Fault> {};

TEST_P(MapAllocationTest, FailureRefusesTheLinkBeforeTheMapRequest)
{
    Install(PanningAdapter());
    winsim::FailNext(GetParam());
    EXPECT_EQ(OpenDriverLink(LoadComponentModule()), DriverFailed);
    EXPECT_EQ(Trace(), "1");
    EXPECT_EQ(GetCapabilityMap(), nullptr);
    EXPECT_EQ(winsim::LiveGlobalBlocks(), 0);
    EXPECT_FALSE(Has(3));
}

INSTANTIATE_TEST_SUITE_P(Faults, MapAllocationTest,
                         ::testing::Values(winsim::Fault::GlobalAlloc, winsim::Fault::GlobalLock),
                         [](const auto& info) {
                             return std::string(info.param == winsim::Fault::GlobalAlloc ? "GlobalAlloc"
                                                                                         : "GlobalLock");
                         });

// ---- the module's path ----

using ModulePathTest = DriverTest;

// A directory of `length` characters under C:\, its closing backslash included.
std::string DirectoryOfLength(std::size_t length)
{
    return "C:\\" + std::string(length - 4, 'D') + "\\";
}

TEST_F(ModulePathTest, DriverPathOneCharacterPastMaxPathFailsWithoutLoading)
{
    // The module's own name fits; with "KVAPI32.DLL" in its place the path has 260
    // characters and no room for its terminator.
    const std::string directory = DirectoryOfLength(MAX_PATH - 11);
    kvapi::InstallInWinsim(directory.substr(0, directory.size() - 1), PanningAdapter());
    const HMODULE module = LoadComponentModule(directory + "KV.DLL");
    ASSERT_NE(module, nullptr);

    EXPECT_EQ(OpenDriverLink(module), DriverFailed);
    EXPECT_EQ(Trace(), "");
    EXPECT_FALSE(IsDriverEntryKnown());
}

TEST_F(ModulePathTest, DriverPathOfMaxPathLessOneLinks)
{
    const std::string directory = DirectoryOfLength(MAX_PATH - 1 - 11);
    kvapi::InstallInWinsim(directory.substr(0, directory.size() - 1), PanningAdapter());
    const HMODULE module = LoadComponentModule(directory + "KV.DLL");
    ASSERT_NE(module, nullptr);

    EXPECT_EQ(OpenDriverLink(module), DriverOk);
    EXPECT_EQ(Trace(), "1 2 probe");
}

TEST_F(ModulePathTest, ModuleNameCutAtMaxPathFails)
{
    // Cut to MAX_PATH characters, the name would still end in the driver's directory.
    Install(PanningAdapter());
    const HMODULE module =
        LoadComponentModule(std::string(kSystemDirectory) + "\\" + std::string(300, 'K') + ".DLL");
    ASSERT_NE(module, nullptr);

    EXPECT_EQ(OpenDriverLink(module), DriverFailed);
    EXPECT_EQ(Trace(), "");
}

// ---- capability map ----

TEST(CapabilityMapSize, GrowsByOneByteForEveryEightFunctions)
{
    for (const auto& [count, size] :
         {std::pair{0u, 10u}, std::pair{1u, 10u}, std::pair{8u, 10u}, std::pair{9u, 11u}, std::pair{16u, 11u},
          std::pair{17u, 12u}, std::pair{34u, 14u}}) {
        EXPECT_EQ(CapabilityMapSizeFor(count), size) << "FunctionCount " << count;
    }
}

class CapabilityMapTest : public DriverTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(CapabilityMapTest, RequestHasTheSizeOfTheDriversFunctionCount)
{
    const std::uint32_t count = GetParam();
    kvapi::AdapterConfig config = PanningAdapter();
    config.functionCount = count;
    config.capabilityBytes = std::vector<std::uint8_t>(8, 0xFF);
    ASSERT_EQ(Link(config), DriverOk);

    const auto maps = LoggedRequests(2);
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_EQ(maps[0].size, CapabilityMapSizeFor(count));
    EXPECT_EQ(GetCapabilityMapSize(), CapabilityMapSizeFor(count));
    for (int k = 0; k <= 40; ++k) {
        EXPECT_EQ(Has(k), k >= 1 && static_cast<std::uint32_t>(k) <= count) << "function " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(FunctionCounts, CapabilityMapTest, ::testing::Values(0u, 1u, 5u, 8u, 9u, 34u));

TEST_F(DriverTest, Function34IsBit1OfByte12)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.capabilityBytes = std::vector<std::uint8_t>{0, 0, 0, 0, 0x02, 0};
    ASSERT_EQ(Link(config), DriverOk);

    ASSERT_EQ(GetCapabilityMapSize(), 14u);
    EXPECT_EQ(GetCapabilityMap()[12], 0x02);
    for (int k = 1; k <= 48; ++k) {
        EXPECT_EQ(Has(k), k == 34) << "function " << k;
    }
}

TEST_F(DriverTest, SpareBitsPastFunctionCountAreNotFunctions)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.capabilityBytes = std::vector<std::uint8_t>(6, 0xFF);
    ASSERT_EQ(Link(config), DriverOk);

    EXPECT_TRUE(Has(34));
    EXPECT_FALSE(Has(35));
    EXPECT_FALSE(Has(40));
    EXPECT_FALSE(Has(INT_MAX));
}

TEST_F(DriverTest, NumbersBelowOneAreNeverFunctions)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.capabilityBytes = std::vector<std::uint8_t>(6, 0xFF);
    ASSERT_EQ(Link(config), DriverOk);

    EXPECT_TRUE(Has(1));
    EXPECT_FALSE(Has(0));
    EXPECT_FALSE(Has(-1));
    EXPECT_FALSE(Has(-8));
    EXPECT_FALSE(Has(INT_MIN));
}

TEST_F(DriverTest, FunctionCountZeroLinksWithOnlyTheUngatedQuery)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.functionCount = 0;
    ASSERT_EQ(Link(config), DriverOk);
    EXPECT_EQ(Trace(), "1 2 probe 3");
}

TEST_F(DriverTest, ManyFunctionsGetTheirWholeMap)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.functionCount = 300;
    config.functions.push_back(300);
    ASSERT_EQ(Link(config), DriverOk);

    EXPECT_EQ(GetCapabilityMapSize(), 47u);
    EXPECT_TRUE(Has(300));
    EXPECT_FALSE(Has(299));
    EXPECT_FALSE(Has(301));
}

TEST_F(DriverTest, FunctionCountNoDriverCanHaveIsRefused)
{
    kvapi::AdapterConfig config = PanningAdapter();
    config.functionCount = 65537;
    EXPECT_EQ(Link(config), DriverFailed);
    EXPECT_EQ(winsim::LiveGlobalBlocks(), 0);
    EXPECT_TRUE(LoggedRequests(2).empty());
}

TEST(UnlinkedDriver, HasNoFunctionsAndSendsNothing)
{
    for (int k = -1; k <= 40; ++k) {
        EXPECT_FALSE(Has(k)) << "function " << k;
    }
    EXPECT_EQ(ProbeDriver(), 0u);
    EXPECT_EQ(DriverHandshake(), DriverFailed);
    EXPECT_EQ(QueryDriverVersion(), DriverFailed);
    EXPECT_EQ(QueryModeTable(), DriverFailed);
    EXPECT_EQ(QueryTvOutput(), DriverFailed);
    EXPECT_EQ(GetLinkUseCount(), 0);
}

TEST(UnlinkedDriver, ClearingRequestLeavesAnEmptyBlockEvenWhenNotSent)
{
    std::uint8_t* block = GetDriverBlock(TagViewportTable);
    for (std::uint32_t i = 0; i < GetDriverBlockSize(TagViewportTable); ++i) {
        block[i] = 0xAB;
    }
    EXPECT_EQ(QueryViewportTable(640, 480, 8, 0), DriverFailed);
    EXPECT_EQ(ViewportTableCount(), 0u);
    std::uint32_t nonZero = 0;
    for (std::uint32_t i = 0; i < GetDriverBlockSize(TagViewportTable); ++i) {
        nonZero += block[i] != 0 ? 1 : 0;
    }
    EXPECT_EQ(nonZero, 0u);
}

// ---- status words ----

TEST(ClassifyStatus, OnlyOkAndPartialAreNotFailures)
{
    const std::pair<std::uint32_t, DriverResult> table[] = {
        {0x8000, DriverOk},         {0x8001, DriverFailed},  {0x8002, DriverFailed},
        {0x8003, DriverPartial},    {0x8004, DriverFailed},  {0x8005, DriverFailed},
        {0x8006, DriverFailed},     {0x8007, DriverFailed},  {0x8008, DriverFailed},
        {0x8009, DriverFailed},     {0, DriverFailed},       {1, DriverFailed},
        {0x7FFF, DriverFailed},     {0x18000, DriverFailed}, {0xFFFF8000, DriverFailed},
        {0xFFFFFFFF, DriverFailed},
    };
    for (const auto& [status, result] : table) {
        EXPECT_EQ(ClassifyStatus(status), result) << "status 0x" << std::hex << status;
    }
}

}  // namespace
}  // namespace drivertest
