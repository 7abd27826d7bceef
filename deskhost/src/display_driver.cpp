// The panel's requests to the display driver: the mode table, through the same KVAPIProc
// blocks the display extension uses.
#include "display_driver.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace deskhost {
namespace {

constexpr DWORD kRequest = 1;
constexpr std::uint32_t kModeTableFunction = 4;
constexpr std::size_t kModeTableBlockSize = 2576;
constexpr std::size_t kModeTableCountOffset = 12;
constexpr std::size_t kModeTableRecordsOffset = 16;
constexpr std::size_t kModeRecordSize = 10;
constexpr std::uint32_t kMaxModeRecords = 256;
constexpr std::uint32_t kStatusOk = 0x8000;
constexpr std::uint32_t kStatusPartial = 0x8003;
constexpr std::size_t kMaxDesktopSizes = 31;
constexpr std::size_t kMaxDepths = 7;

std::uint32_t ReadU32(const std::array<std::uint8_t, kModeTableBlockSize>& block, std::size_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

void WriteU32(std::array<std::uint8_t, kModeTableBlockSize>& block, std::size_t offset, std::uint32_t value)
{
    std::memcpy(block.data() + offset, &value, sizeof value);
}

std::uint32_t Packed(const DesktopSize& size)
{
    return ((size.width & 0xFFFF) << 16) | (size.height & 0xFFFF);
}

}  // namespace

DisplayDriver::~DisplayDriver()
{
    Close();
}

bool DisplayDriver::Open(const std::string& libraryPath)
{
    Close();
    const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    library_ = LoadLibraryA(libraryPath.c_str());
    SetErrorMode(previous);
    if (library_ == nullptr) {
        return false;
    }
    proc_ = ProcAs<KvapiProc>(GetProcAddress(library_, "KVAPIProc"));
    if (proc_ == nullptr) {
        Close();
        return false;
    }
    setMode_ = ProcAs<SetModeProc>(GetProcAddress(library_, "KVAPISetMode"));
    return true;
}

void DisplayDriver::Close()
{
    if (library_ != nullptr) {
        FreeLibrary(library_);
    }
    library_ = nullptr;
    proc_ = nullptr;
    setMode_ = nullptr;
}

bool DisplayDriver::SetMode(const ModeEntry& mode) const
{
    return setMode_ != nullptr && setMode_(mode.width, mode.height, mode.depth, 0) != FALSE;
}

std::vector<ModeEntry> DisplayDriver::ReadModeTable() const
{
    std::vector<ModeEntry> modes;
    if (proc_ == nullptr) {
        return modes;
    }
    std::array<std::uint8_t, kModeTableBlockSize> block{};
    WriteU32(block, 0, kModeTableFunction);
    std::memcpy(block.data() + 8, "crs0", 4);
    proc_(kRequest, static_cast<DWORD>(block.size()), block.data(), 0, 0);
    const std::uint32_t status = ReadU32(block, 4);
    if (status != kStatusOk && status != kStatusPartial) {
        return modes;
    }
    const std::uint32_t count = std::min(ReadU32(block, kModeTableCountOffset), kMaxModeRecords);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = kModeTableRecordsOffset + i * kModeRecordSize;
        modes.push_back(ModeEntry{ReadU32(block, at), ReadU32(block, at + 4), block[at + 8], block[at + 9]});
    }
    return modes;
}

std::vector<DesktopSize> DesktopSizesOf(const std::vector<ModeEntry>& modes)
{
    std::vector<DesktopSize> sizes;
    for (const ModeEntry& mode : modes) {
        const DesktopSize size{mode.width, mode.height};
        // A packed 0 ends the extension's lists; such a record must not take a slider position.
        if (Packed(size) == 0) {
            continue;
        }
        if (sizes.size() < kMaxDesktopSizes && std::find(sizes.begin(), sizes.end(), size) == sizes.end()) {
            sizes.push_back(size);
        }
    }
    // Ordered as packed values compared signed, the order the display extension indexes by.
    std::sort(sizes.begin(), sizes.end(), [](const DesktopSize& a, const DesktopSize& b) {
        return static_cast<std::int32_t>(Packed(a)) < static_cast<std::int32_t>(Packed(b));
    });
    return sizes;
}

std::vector<std::uint32_t> DepthsOf(const std::vector<ModeEntry>& modes, std::uint32_t width,
                                    std::uint32_t height)
{
    std::vector<std::uint32_t> depths;
    for (const ModeEntry& mode : modes) {
        if (mode.width == width && mode.height == height && depths.size() < kMaxDepths &&
            std::find(depths.begin(), depths.end(), mode.depth) == depths.end()) {
            depths.push_back(mode.depth);
        }
    }
    std::sort(depths.begin(), depths.end());
    return depths;
}

ModeEntry CurrentScreenMode()
{
    ModeEntry mode;
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return mode;
    }
    mode.width = static_cast<std::uint32_t>(GetDeviceCaps(screen, HORZRES));
    mode.height = static_cast<std::uint32_t>(GetDeviceCaps(screen, VERTRES));
    mode.depth = static_cast<std::uint8_t>(GetDeviceCaps(screen, BITSPIXEL));
    mode.rate = static_cast<std::uint8_t>(GetDeviceCaps(screen, VREFRESH));
    ReleaseDC(nullptr, screen);
    return mode;
}

}  // namespace deskhost
