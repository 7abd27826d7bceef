// The stand-in driver's side of the protocol: block layouts, the model's rules, and its
// refusal to go outside a block.
#include "kvapi/adapter.h"
#include "kvapi/kvapi_proc.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace kvapi {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& block, std::size_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

void PutU32(std::vector<std::uint8_t>& block, std::size_t offset, std::uint32_t value)
{
    std::memcpy(block.data() + offset, &value, sizeof value);
}

std::vector<std::uint8_t> Block(std::uint32_t function, const char* tag, std::size_t size)
{
    std::vector<std::uint8_t> block(size, 0);
    PutU32(block, 0, function);
    if (tag != nullptr) {
        std::memcpy(block.data() + 8, tag, 4);
    }
    return block;
}

std::uint32_t Send(Adapter& adapter, std::vector<std::uint8_t>& block)
{
    return adapter.Call(kRequest, static_cast<std::uint32_t>(block.size()), block.data());
}

std::vector<std::uint8_t> Vpd(Adapter& adapter, std::uint32_t function, std::uint32_t a = 0,
                              std::uint32_t b = 0)
{
    std::vector<std::uint8_t> block = Block(function, "vpd0", 20);
    PutU32(block, 12, a);
    PutU32(block, 16, b);
    Send(adapter, block);
    return block;
}

std::vector<std::uint8_t> ViewportTableFor(Adapter& adapter, Mode mode)
{
    std::vector<std::uint8_t> block = Block(26, "vwp0", 2590);
    PutU32(block, 16, mode.width);
    PutU32(block, 20, mode.height);
    block[24] = mode.depth;
    block[25] = mode.rate;
    Send(adapter, block);
    return block;
}

TEST(Handshake, WritesInterfaceIdAndFunctionCount)
{
    Adapter adapter;
    std::vector<std::uint8_t> block = Block(1, "own0", 20);
    EXPECT_EQ(Send(adapter, block), kStatusOk);
    EXPECT_EQ(U32(block, 4), kStatusOk);
    EXPECT_EQ(U32(block, 8), 0x306E776Fu);
    EXPECT_EQ(U32(block, 12), 360u);
    EXPECT_EQ(U32(block, 16), 34u);
}

TEST(CapabilityMap, DefaultAdapterAnnouncesItsFunctions)
{
    Adapter adapter;
    std::vector<std::uint8_t> block = Block(2, nullptr, 14);
    EXPECT_EQ(Send(adapter, block), kStatusOk);
    // 1-6 and 8 in byte 8; 9-11 in byte 9; 26 and 28 in byte 11; 34 in byte 12.
    const std::vector<std::uint8_t> bitmap(block.begin() + 8, block.end());
    EXPECT_EQ(bitmap, (std::vector<std::uint8_t>{0xBF, 0x07, 0x00, 0x0A, 0x02, 0x00}));
}

TEST(CapabilityMap, BitsAboveFunctionCountAreNotWrittenButVerbatimBytesAre)
{
    AdapterConfig config = DefaultConfig();
    config.functionCount = 9;
    config.functions = {1, 9, 10, 34};
    Adapter adapter(config);
    std::vector<std::uint8_t> block = Block(2, nullptr, 11);
    Send(adapter, block);
    EXPECT_EQ(block[8], 0x01);
    EXPECT_EQ(block[9], 0x01);
    EXPECT_EQ(block[10], 0x00);

    adapter.config().capabilityBytes = std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF};
    block = Block(2, nullptr, 11);
    EXPECT_EQ(Send(adapter, block), kStatusOk);
    EXPECT_EQ(block[10], 0xFF);
}

TEST(CapabilityMap, UnannouncedAndUnknownFunctionsAnswerUnsupported)
{
    AdapterConfig config = DefaultConfig();
    config.functions = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 26, 34};  // no 28
    config.capabilityBytes = std::nullopt;
    Adapter adapter(config);
    std::vector<std::uint8_t> vmp = Block(28, "vmp0", 16);
    EXPECT_EQ(Send(adapter, vmp), kStatusUnsupported);
    for (std::uint32_t function : {0u, 7u, 35u, 0xFFFFFFFFu}) {
        std::vector<std::uint8_t> block = Block(function, "vpd0", 20);
        EXPECT_EQ(Send(adapter, block), kStatusUnsupported) << "function " << function;
    }
    // Announced by the map but unknown to the model.
    adapter.config().capabilityBytes = std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> block = Block(12, "vpd0", 20);
    EXPECT_EQ(Send(adapter, block), kStatusUnsupported);
}

TEST(Requests, WrongTagIsRefused)
{
    Adapter adapter;
    std::vector<std::uint8_t> block = Block(10, "vpd1", 20);
    EXPECT_EQ(Send(adapter, block), kStatusBadArgument);
    EXPECT_EQ(U32(block, 12), 0u);
}

TEST(ModeTable, RecordsArePacked)
{
    AdapterConfig config = DefaultConfig();
    config.modes = {{800, 600, 16, 75}, {640, 480, 8, 60}};
    Adapter adapter(config);
    std::vector<std::uint8_t> block = Block(4, "crs0", 2576);
    EXPECT_EQ(Send(adapter, block), kStatusOk);
    EXPECT_EQ(U32(block, 12), 2u);
    EXPECT_EQ(U32(block, 16), 800u);
    EXPECT_EQ(U32(block, 20), 600u);
    EXPECT_EQ(block[24], 16);
    EXPECT_EQ(block[25], 75);
    EXPECT_EQ(U32(block, 26), 640u);
    EXPECT_EQ(U32(block, 30), 480u);
    EXPECT_EQ(block[34], 8);
    EXPECT_EQ(block[35], 60);
    EXPECT_EQ(block[36], 0);
}

TEST(ModeTable, CountClaimIsWrittenButRecordsStayWithinTheBlock)
{
    AdapterConfig config = DefaultConfig();
    config.modes.assign(300, Mode{640, 480, 8, 60});
    Adapter adapter(config);
    auto exact = std::make_unique<std::uint8_t[]>(2576);  // sanitizers see a write past its end
    std::vector<std::uint8_t> request = Block(4, "crs0", 2576);
    std::memcpy(exact.get(), request.data(), request.size());
    adapter.Call(kRequest, 2576, exact.get());
    std::vector<std::uint8_t> block(exact.get(), exact.get() + 2576);
    EXPECT_EQ(U32(block, 12), 256u);
    EXPECT_EQ(U32(block, 16 + 255 * 10), 640u);

    adapter.config().modeCountClaim = 5000;
    std::memcpy(exact.get(), request.data(), request.size());
    adapter.Call(kRequest, 2576, exact.get());
    block.assign(exact.get(), exact.get() + 2576);
    EXPECT_EQ(U32(block, 12), 5000u);

    adapter.config().modes.resize(2);
    adapter.config().modeCountClaim = 40;
    block = Block(4, "crs0", 2576);
    Send(adapter, block);
    EXPECT_EQ(U32(block, 12), 40u);
    EXPECT_EQ(U32(block, 36), 0u) << "no third record";
}

TEST(ViewportTable, RateZeroMeansAnyRate)
{
    Adapter adapter;
    std::vector<std::uint8_t> block = ViewportTableFor(adapter, {1024, 768, 8, 0});
    EXPECT_EQ(U32(block, 4), kStatusOk);
    ASSERT_EQ(U32(block, 26), 3u);
    EXPECT_EQ(U32(block, 30), 640u);
    EXPECT_EQ(U32(block, 34), 480u);
    EXPECT_EQ(U32(block, 40), 800u);
    EXPECT_EQ(U32(block, 50), 1024u);
    EXPECT_EQ(U32(block, 54), 768u);
    EXPECT_EQ(U32(block, 60), 0u);

    block = ViewportTableFor(adapter, {1024, 768, 8, 85});
    EXPECT_EQ(U32(block, 4), kStatusOk);
    EXPECT_EQ(U32(block, 26), 3u);
}

TEST(ViewportTable, UnknownModeOrRateGivesAnEmptyTable)
{
    Adapter adapter;
    for (Mode mode : {Mode{1024, 768, 24, 0}, Mode{1024, 768, 8, 100}, Mode{1000, 768, 8, 0}}) {
        std::vector<std::uint8_t> block = ViewportTableFor(adapter, mode);
        EXPECT_EQ(U32(block, 4), kStatusBadArgument)
            << mode.width << "x" << int{mode.depth} << "@" << int{mode.rate};
        EXPECT_EQ(U32(block, 26), 0u);
    }
}

TEST(ViewportTable, TrailingBytesAndCountClaim)
{
    AdapterConfig config = DefaultConfig();
    config.viewports = {ViewportTable{640, 480, 8, {{640, 480}, {640, 480}}, {0x12, 0x34}}};
    config.viewportCountClaim = 257;
    Adapter adapter(config);
    std::vector<std::uint8_t> block = ViewportTableFor(adapter, {640, 480, 8, 0});
    EXPECT_EQ(U32(block, 26), 257u);
    EXPECT_EQ(block[38], 0x12);
    EXPECT_EQ(block[39], 0x34);
    EXPECT_EQ(block[48], 0x12);
    EXPECT_EQ(U32(block, 50), 0u);
}

// Every known function with every block shorter than its layout: nothing is touched outside
// the block (the sanitizers watch the exact allocation), and a block with room for a status
// gets one.
TEST(ShortBlocks, AreNeverOverrun)
{
    struct Known {
        std::uint32_t function;
        const char* tag;
        std::size_t size;
    };
    const Known known[] = {{1, "own0", 20},   {2, nullptr, 14}, {3, "ver0", 1824},  {4, "crs0", 2576},
                           {5, "cvt0", 2074}, {6, "vid0", 16},  {8, "vpd0", 20},    {9, "vpd0", 20},
                           {10, "vpd0", 20},  {11, "vpd0", 20}, {26, "vwp0", 2590}, {28, "vmp0", 16},
                           {34, "tvo0", 152}};
    Adapter adapter;
    for (const Known& k : known) {
        const std::vector<std::uint8_t> full = Block(k.function, k.tag, k.size);
        for (std::size_t size = 0; size < k.size; ++size) {
            auto block = std::make_unique<std::uint8_t[]>(size + 1);
            std::copy_n(full.begin(), size, block.get());
            block[size] = 0xEE;  // just past the block the driver is given
            adapter.Call(kRequest, static_cast<std::uint32_t>(size), size == 0 ? nullptr : block.get());
            ASSERT_EQ(block[size], 0xEE) << "function " << k.function << " size " << size;
            if (size >= 8) {
                std::uint32_t status = 0;
                std::memcpy(&status, block.get() + 4, 4);
                ASSERT_EQ(status, kStatusBadArgument) << "function " << k.function << " size " << size;
            }
        }
    }
}

TEST(ShortBlocks, PersistValueShorterThanItsBlockIsIgnored)
{
    Adapter adapter;
    auto block = std::make_unique<std::uint8_t[]>(20);
    std::memset(block.get(), 0, 20);
    block[0] = 24;
    EXPECT_EQ(adapter.Call(kPersistValue, 20, block.get()), kStatusBadArgument);
    EXPECT_EQ(adapter.Call(kPersistValue, 24, nullptr), kStatusBadArgument);
    EXPECT_TRUE(adapter.config().persisted.empty());
}

TEST(StatusOverride, ReplacesTheWordButKeepsTheReply)
{
    AdapterConfig config = DefaultConfig();
    config.statusOverride[1] = kStatusPartial;
    config.statusOverride[11] = kStatusFailed;
    config.statusOverride[0x77] = 0x1234;
    Adapter adapter(config);
    std::vector<std::uint8_t> own = Block(1, "own0", 20);
    EXPECT_EQ(Send(adapter, own), kStatusPartial);
    EXPECT_EQ(U32(own, 4), kStatusPartial);
    EXPECT_EQ(U32(own, 12), 360u);

    std::vector<std::uint8_t> set = Vpd(adapter, 11, 640, 480);
    EXPECT_EQ(U32(set, 4), kStatusFailed);
    EXPECT_EQ(adapter.config().viewport, (Size{800, 600})) << "a failed set changes nothing";

    std::vector<std::uint8_t> odd = Block(0x77, "abcd", 12);
    EXPECT_EQ(Send(adapter, odd), 0x1234u);
}

TEST(Viewport, GetAndSetOriginWithinTheDesktop)
{
    Adapter adapter;
    EXPECT_EQ(U32(Vpd(adapter, 10), 12), 800u);
    EXPECT_EQ(U32(Vpd(adapter, 10), 16), 600u);
    EXPECT_EQ(U32(Vpd(adapter, 9, 224, 168), 4), kStatusOk);
    std::vector<std::uint8_t> origin = Vpd(adapter, 8);
    EXPECT_EQ(U32(origin, 12), 224u);
    EXPECT_EQ(U32(origin, 16), 168u);
    EXPECT_EQ(U32(Vpd(adapter, 9, 225, 0), 4), kStatusBadArgument);
    EXPECT_EQ(U32(Vpd(adapter, 9, 0xFFFFFFFF, 0), 4), kStatusBadArgument);
    EXPECT_EQ(adapter.config().origin, (Point{224, 168}));
}

TEST(Viewport, SetSizeAcceptsOnlyTableSizesAndKeepsTheOriginInside)
{
    Adapter adapter;
    std::vector<std::pair<Mode, Size>> seen;
    adapter.SetDisplayListener(
        [&](const Mode& desktop, const Size& screen) { seen.emplace_back(desktop, screen); });
    Vpd(adapter, 9, 224, 168);

    EXPECT_EQ(U32(Vpd(adapter, 11, 700, 500), 4), kStatusBadArgument);
    EXPECT_EQ(U32(Vpd(adapter, 11, 1152, 864), 4), kStatusBadArgument);
    EXPECT_EQ(U32(Vpd(adapter, 11, 800, 600), 4), kStatusOk);
    EXPECT_TRUE(seen.empty()) << "no change, no notice";

    EXPECT_EQ(U32(Vpd(adapter, 11, 1024, 768), 4), kStatusOk);
    EXPECT_EQ(adapter.config().origin, (Point{0, 0}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, (Mode{1024, 768, 16, 75}));
    EXPECT_EQ(seen[0].second, (Size{1024, 768}));

    Vpd(adapter, 11, 640, 480);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].second, (Size{640, 480}));
}

TEST(Viewport, SetModeShowsTheWholeDesktop)
{
    Adapter adapter;
    std::vector<std::pair<Mode, Size>> seen;
    adapter.SetDisplayListener(
        [&](const Mode& desktop, const Size& screen) { seen.emplace_back(desktop, screen); });
    EXPECT_FALSE(adapter.SetMode({1024, 768, 24, 0}));
    EXPECT_TRUE(adapter.SetMode({1280, 1024, 32, 0}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, (Mode{1280, 1024, 32, 60}));
    EXPECT_EQ(seen[0].second, (Size{1280, 1024}));
    EXPECT_EQ(U32(Vpd(adapter, 11, 1152, 864), 4), kStatusOk) << "the new desktop's table applies";
}

TEST(ViewportMode, AcceptsTheFourValues)
{
    Adapter adapter;
    std::vector<std::uint8_t> block = Block(28, "vmp0", 16);
    PutU32(block, 12, 2);
    EXPECT_EQ(Send(adapter, block), kStatusOk);
    EXPECT_EQ(adapter.config().viewportMode, 2u);
    PutU32(block, 12, 4);
    EXPECT_EQ(Send(adapter, block), kStatusBadArgument);
    EXPECT_EQ(adapter.config().viewportMode, 2u);
}

std::vector<std::uint8_t> PersistBlock(const char* section, const char* name, const char* text)
{
    std::vector<std::uint8_t> block(24, 0);
    PutU32(block, 0, 24);
    PutU32(block, 8, 1);
    PutU32(block, 12, PointerToField32(section));
    PutU32(block, 16, PointerToField32(name));
    PutU32(block, 20, PointerToField32(text));
    return block;
}

TEST(PersistValue, StoresAndRemovesWithNull)
{
    Adapter adapter;
    std::vector<std::uint8_t> set = PersistBlock("Default", "KVDrvViewportSize", "vpd0,800,600");
    EXPECT_EQ(adapter.Call(kPersistValue, 24, set.data()), kStatusOk);
    const auto key = std::make_pair(std::string("Default"), std::string("KVDrvViewportSize"));
    ASSERT_EQ(adapter.config().persisted.count(key), 1u);
    EXPECT_EQ(adapter.config().persisted.at(key), "vpd0,800,600");
    EXPECT_EQ(adapter.log().back().valueText, "vpd0,800,600");

    std::vector<std::uint8_t> clear = PersistBlock("Default", "KVDrvViewportSize", nullptr);
    adapter.Call(kPersistValue, 24, clear.data());
    EXPECT_EQ(adapter.config().persisted.count(key), 0u);
    EXPECT_EQ(adapter.log().back().valueText, std::nullopt);
    EXPECT_EQ(adapter.log().back().section, "Default");
}

TEST(PersistValue, UnterminatedOrMissingNamesAreRefused)
{
    Adapter adapter;
    const std::string longName(300, 'n');
    std::vector<std::uint8_t> tooLong = PersistBlock("Default", longName.c_str(), "x");
    EXPECT_EQ(adapter.Call(kPersistValue, 24, tooLong.data()), kStatusBadArgument);
    std::vector<std::uint8_t> noSection = PersistBlock(nullptr, "KVDrvViewportSize", "x");
    EXPECT_EQ(adapter.Call(kPersistValue, 24, noSection.data()), kStatusBadArgument);
    EXPECT_TRUE(adapter.config().persisted.empty());
}

TEST(Log, RecordsEveryCallWithItsBytes)
{
    Adapter adapter;
    EXPECT_EQ(adapter.Call(kProbe, 0, nullptr), 1u);
    std::vector<std::uint8_t> block = Vpd(adapter, 9, 100, 50);
    ASSERT_EQ(adapter.log().size(), 2u);
    const LogEntry& entry = adapter.log()[1];
    EXPECT_EQ(entry.function, 9u);
    EXPECT_EQ(entry.tag, "vpd0");
    EXPECT_EQ(U32(entry.request, 4), 0u);
    EXPECT_EQ(entry.reply, block);
    EXPECT_EQ(adapter.FormatLog(), "Probe -> 1\nRequest 20 fn=9 tag=\"vpd0\" status=0x8000 100,50\n");
}

TEST(Log, KVAPIGetLogTruncatesAndTerminates)
{
    ResetAdapter(DefaultConfig());
    KVAPIProc(kProbe, 0, nullptr, 0, 0);
    const DWORD length = KVAPIGetLog(nullptr, 0);
    EXPECT_EQ(length, 11u);  // "Probe -> 1\n"
    char buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(KVAPIGetLog(buffer, 5), 11u);
    EXPECT_STREQ(buffer, "Prob");
    EXPECT_EQ(buffer[5], 'x');
}

}  // namespace
}  // namespace kvapi
