// The driver as the component reads it: the link (handshake, capability map, probe), the
// start-up queries, the mode and viewport tables and the lists built from them, and the
// viewport commands. The driver is the stand-in adapter with the input overwriting its
// replies: after each call the input may replace the status word, the count, records, any
// bytes of the block (always inside the size it was given) and what KVAPIProc returns. What
// is left of the input then picks the component's calls, their arguments, the screen's mode,
// the mouse and failures of the system's calls.
#include <fuzzer/FuzzedDataProvider.h>
#include <kvapi/adapter.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <cstdint>
#include <vector>

#include "driver/driver_link.h"
#include "driver/mode_tables.h"
#include "driver/request_block.h"
#include "driver/startup_queries.h"
#include "driver/viewport.h"
#include "scratch_directory.h"

namespace {

using fuzz::Expect;

constexpr char kSystemDirectory[] = "C:\\WINDOWS\\SYSTEM";
constexpr char kComponentPath[] = "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL";
constexpr char kDriverPath[] = "C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL";

constexpr std::uint32_t kStatuses[] = {0x8000, 0x8001, 0x8002, 0x8003, 0x8004, 0x8007, 0x8009, 0};
constexpr std::uint32_t kExtents[] = {0,      1,      320,     480,        600,        640,
                                      768,    800,    1024,    1200,       1600,       0x7FFF,
                                      0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

// What the input does to one reply.
enum ReplyEdit : std::uint8_t {
    EditStatus = 1,
    EditCount = 2,
    EditRecords = 4,
    EditBytes = 8,
    EditResult = 16,
};

FuzzedDataProvider* gInput;

std::uint32_t Extent(FuzzedDataProvider& input)
{
    return input.ConsumeBool() ? input.PickValueInArray(kExtents) : input.ConsumeIntegral<std::uint32_t>();
}

class Reply {
public:
    Reply(void* block, DWORD size) : bytes_(static_cast<std::uint8_t*>(block)), size_(block ? size : 0) {}

    std::uint32_t Function() const { return size_ >= 4 ? ReadU32(bytes_, 0) : 0; }
    void Put(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length)
    {
        for (std::uint32_t i = 0; i < length && offset < size_ && i < size_ - offset; ++i) {
            bytes_[offset + i] = data[i];
        }
    }
    void Put32(std::uint32_t offset, std::uint32_t value)
    {
        std::uint8_t data[4];
        WriteU32(data, 0, value);
        Put(offset, data, 4);
    }
    std::uint32_t size() const { return size_; }

private:
    std::uint8_t* bytes_;
    std::uint32_t size_;
};

// Where a reply keeps its count and its records: the handshake's function count and the
// capability map's bits, the tables' counts and records, the first value of the others.
std::uint32_t CountOffset(std::uint32_t function)
{
    switch (function) {
        case FnHandshake:
            return kHandshakeFunctionCountOffset;
        case FnModeTable:
            return kModeCountOffset;
        case FnViewportTable:
            return kViewportCountOffset;
        default:
            return kFirstValueOffset;
    }
}

std::uint32_t RecordsOffset(std::uint32_t function)
{
    switch (function) {
        case FnCapabilityMap:
            return kCapabilityBitsOffset;
        case FnModeTable:
            return kModeRecordsOffset;
        case FnViewportTable:
            return kViewportRecordsOffset;
        default:
            return kFirstValueOffset;
    }
}

void WriteRecords(FuzzedDataProvider& input, Reply& reply, std::uint32_t function)
{
    const unsigned count = input.ConsumeIntegralInRange<unsigned>(1, 8);
    std::uint32_t index = input.ConsumeIntegralInRange<std::uint32_t>(0, kMaxTableRecords + 1);
    for (unsigned i = 0; i < count; ++i, ++index) {
        std::uint8_t record[kModeRecordSize];
        WriteU32(record, 0, Extent(input));
        WriteU32(record, 4, Extent(input));
        record[8] = input.ConsumeIntegral<std::uint8_t>();
        record[9] = input.ConsumeIntegral<std::uint8_t>();
        reply.Put(RecordsOffset(function) + index * kModeRecordSize, record, kModeRecordSize);
    }
}

DWORD WINAPI FuzzedKvapiProc(DWORD operation, DWORD size, LPVOID block, DWORD, DWORD)
{
    DWORD result = kvapi::TheAdapter().Call(operation, size, block);
    FuzzedDataProvider& input = *gInput;
    if (input.remaining_bytes() == 0) {
        return result;
    }
    Reply reply(block, size);
    const std::uint32_t function = reply.Function();
    const auto edits = input.ConsumeIntegral<std::uint8_t>();
    if ((edits & EditStatus) != 0) {
        reply.Put32(kRequestStatusOffset, input.ConsumeBool() ? input.PickValueInArray(kStatuses)
                                                              : input.ConsumeIntegral<std::uint32_t>());
    }
    if ((edits & EditCount) != 0) {
        reply.Put32(CountOffset(function), Extent(input));
    }
    if ((edits & EditRecords) != 0) {
        WriteRecords(input, reply, function);
    }
    if ((edits & EditBytes) != 0 && reply.size() > 0) {
        const std::uint32_t offset = input.ConsumeIntegral<std::uint16_t>() % reply.size();
        const std::vector<std::uint8_t> bytes =
            input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 16));
        reply.Put(offset, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    if ((edits & EditResult) != 0) {
        result = input.ConsumeIntegral<DWORD>();
    }
    return result;
}

template <typename Function>
FARPROC AsFarProc(Function* function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

HMODULE Module()
{
    static const HMODULE module = [] {
        winsim::RegisterModule(kComponentPath, {});
        return LoadLibraryA(kComponentPath);
    }();
    return module;
}

// The stand-in adapter beside the module, fresh, with the input's hand on its replies.
void InstallDriver()
{
    static const kvapi::AdapterConfig config = kvapi::DefaultConfig();
    kvapi::InstallInWinsim(kSystemDirectory, config);
    winsim::RegisterModule(kDriverPath, {{"KVAPIProc", AsFarProc(&FuzzedKvapiProc)}});
}

void FailSomeCalls(FuzzedDataProvider& input)
{
    const auto faults = input.ConsumeIntegral<std::uint8_t>();
    if ((faults & 1) != 0) {
        winsim::FailNext(winsim::Fault::GlobalAlloc);
    }
    if ((faults & 2) != 0) {
        winsim::FailNext(winsim::Fault::GlobalLock);
    }
    if ((faults & 4) != 0) {
        winsim::FailNext(winsim::Fault::LoadLibrary);
    }
    if ((faults & 8) != 0) {
        winsim::FailNext(winsim::Fault::ScreenDc, input.ConsumeIntegralInRange(1, 4));
    }
}

void SetMouse(FuzzedDataProvider& input)
{
    SetCursorPos(input.ConsumeIntegralInRange(-100, 2000), input.ConsumeIntegralInRange(-100, 2000));
    const auto buttons = input.ConsumeIntegral<std::uint8_t>();
    winsim::SetButtonDown(VK_LBUTTON, (buttons & 1) != 0);
    winsim::SetButtonDown(VK_RBUTTON, (buttons & 2) != 0);
}

// The start-up as the module's entry runs it.
void StartUp()
{
    if (OpenDriverLink(Module()) != DriverOk) {
        return;
    }
    RunDriverStartupQueries();
    CheckLargestDesktopViewports();
}

std::uint32_t ListLength(const std::uint32_t* list, std::uint32_t capacity)
{
    std::uint32_t length = 0;
    while (length <= capacity && list[length] != 0) {
        ++length;
    }
    Expect(length <= capacity, "a list holds no more than its capacity");
    return length;
}

// What the lists promise whatever the driver answered.
void CheckLists()
{
    Expect(ModeTableCount() <= kMaxTableRecords && ViewportTableCount() <= kMaxTableRecords,
           "table counts stay within the tables");
    const std::uint32_t desktops = ListLength(BuildDesktopSizeList(), kMaxListedSizes);
    const std::uint32_t screens = ListLength(BuildScreenSizeList(), kMaxListedSizes);
    Expect(
        CountDesktopSizes() == static_cast<int>(desktops) && CountScreenSizes() == static_cast<int>(screens),
        "the counts are the lists' lengths");
    for (std::uint32_t i = 0; i < desktops; ++i) {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        Expect(DesktopSizeAt(static_cast<int>(i), &width, &height) && width != 0 && height != 0,
               "every desktop size in the list is a size");
        ListLength(BuildDepthList(width, height), kMaxListedDepths);
    }
    Expect(!ScreenSizeAt(static_cast<int>(screens), nullptr, nullptr) && !ScreenSizeAt(-1, nullptr, nullptr),
           "no screen size outside the list");
}

void CallComponent(FuzzedDataProvider& input)
{
    const int index = input.ConsumeIntegralInRange(-2, 33);
    const int other = input.ConsumeIntegralInRange(-2, 33);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    switch (input.ConsumeIntegralInRange(0, 15)) {
        case 0:
            CheckLists();
            break;
        case 1:
            QueryModeTable();
            break;
        case 2:
            QueryViewportTable(Extent(input), Extent(input), input.ConsumeIntegral<std::uint8_t>(), 0);
            break;
        case 3:
            CheckLargestDesktopViewports();
            break;
        case 4: {
            const int found = ScreenSizeIndexOf(Extent(input), Extent(input));
            Expect(found >= -1 && found < CountScreenSizes(), "a screen size is found inside the list");
            break;
        }
        case 5:
            ScreenMatchesDesktop(index, other);
            ScreenExceedsDesktop(index, other);
            break;
        case 6: {
            const int found = LargestScreenSizeWithin(Extent(input), Extent(input));
            Expect(found >= -1 && found < CountScreenSizes(), "the largest screen size lies inside the list");
            break;
        }
        case 7: {
            const int found = SmallestDesktopSizeHolding(Extent(input), Extent(input), index);
            Expect(found == -1 || (found > index && found < CountDesktopSizes()),
                   "the smallest desktop size lies after the one given, inside the list");
            break;
        }
        case 8:
            GetViewportSize(&width, &height);
            break;
        case 9:
            GetViewportOrigin(&width, &height);
            break;
        case 10:
            SetViewportOrigin(Extent(input), Extent(input));
            break;
        case 11:
            SetViewportSize(Extent(input), Extent(input));
            break;
        case 12:
            SetViewportMode(input.ConsumeIntegralInRange(-1, 4));
            break;
        case 13:
            PersistViewportSize(Extent(input), Extent(input));
            ClearPersistedViewportSize();
            break;
        case 14:
            winsim::SetDisplayMode(winsim::DisplayMode{
                input.ConsumeIntegralInRange(0, 4096), input.ConsumeIntegralInRange(0, 4096),
                input.PickValueInArray({0, 4, 8, 16, 24, 32}), input.ConsumeIntegralInRange(0, 255)});
            break;
        default:
            SetMouse(input);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    gInput = &input;
    InstallDriver();
    FailSomeCalls(input);
    StartUp();
    winsim::ClearFaults();
    while (input.remaining_bytes() > 0) {
        CallComponent(input);
    }
    CheckLists();

    ResetDriverLink();
    winsim::ClearFaults();
    winsim::ClearBroadcasts();
    winsim::SetButtonDown(VK_LBUTTON, false);
    winsim::SetButtonDown(VK_RBUTTON, false);
    SetCursorPos(0, 0);
    gInput = nullptr;
    return 0;
}
