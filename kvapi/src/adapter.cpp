// The adapter model behind KVAPIProc. Every block arrives from the caller's memory with the
// caller's idea of its size: nothing here reads or writes outside those `size` bytes, and
// nothing in the block is believed before it is checked.
#include "kvapi/adapter.h"

#include "hex_text.h"
#include "platform/platform.h"
#include "quoted_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kvapi {
namespace {

constexpr std::size_t kMaxRecords = 256;
constexpr std::size_t kRecordBytes = 10;
constexpr std::size_t kMaxLoggedBytes = 4096;
constexpr std::size_t kMaxPersistText = 260;
constexpr std::uint32_t kVideoMemoryKiB = 8192;

// Offsets shared by every tagged request.
constexpr std::size_t kStatusOffset = 4;
constexpr std::size_t kTagOffset = 8;
constexpr std::size_t kPayloadOffset = 12;

// Block sizes the protocol fixes; a shorter block cannot hold the reply.
constexpr std::size_t kOwnBytes = 20;
constexpr std::size_t kVerBytes = 1824;
constexpr std::size_t kCrsBytes = 2576;
constexpr std::size_t kCvtBytes = 2074;
constexpr std::size_t kVidBytes = 16;
constexpr std::size_t kVpdBytes = 20;
constexpr std::size_t kVwpBytes = 2590;
constexpr std::size_t kVmpBytes = 16;
constexpr std::size_t kTvoBytes = 152;
constexpr std::size_t kPersistBytes = 24;

constexpr std::size_t kCrsRecords = 16;
constexpr std::size_t kVwpArgument = 16;
constexpr std::size_t kVwpCount = 26;
constexpr std::size_t kVwpRecords = 30;

std::uint32_t ReadU32(const std::uint8_t* data, std::size_t size, std::size_t offset)
{
    std::uint32_t value = 0;
    if (offset <= size && sizeof value <= size - offset) {
        std::memcpy(&value, data + offset, sizeof value);
    }
    return value;
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return ReadU32(bytes.data(), bytes.size(), offset);
}

// A caller's block: every access is checked against the size the caller gave.
class Block {
public:
    Block(void* data, std::uint32_t size) : data_(static_cast<std::uint8_t*>(data)), size_(data ? size : 0) {}

    std::size_t size() const { return size_; }
    bool Holds(std::size_t offset, std::size_t width) const
    {
        return offset <= size_ && width <= size_ - offset;
    }
    std::uint32_t U32(std::size_t offset) const { return ReadU32(data_, size_, offset); }
    std::uint8_t U8(std::size_t offset) const { return Holds(offset, 1) ? data_[offset] : 0; }
    void PutU32(std::size_t offset, std::uint32_t value)
    {
        if (Holds(offset, sizeof value)) {
            std::memcpy(data_ + offset, &value, sizeof value);
        }
    }
    void PutU8(std::size_t offset, std::uint8_t value)
    {
        if (Holds(offset, 1)) {
            data_[offset] = value;
        }
    }
    void PutText(std::size_t offset, std::string_view text)
    {
        if (Holds(offset, text.size() + 1)) {
            std::memcpy(data_ + offset, text.data(), text.size());
            data_[offset + text.size()] = 0;
        }
    }
    void Zero(std::size_t offset, std::size_t length)
    {
        if (Holds(offset, length)) {
            std::memset(data_ + offset, 0, length);
        }
    }
    std::string Text(std::size_t offset, std::size_t length) const
    {
        if (!Holds(offset, length)) {
            return {};
        }
        return std::string(reinterpret_cast<const char*>(data_ + offset), length);
    }
    std::vector<std::uint8_t> Bytes(std::size_t limit) const
    {
        std::size_t count = std::min(size_, limit);
        return std::vector<std::uint8_t>(data_, data_ + count);
    }

private:
    std::uint8_t* data_;
    std::size_t size_;
};

std::string_view TagOf(std::uint32_t function)
{
    switch (function) {
        case 1:
            return "own0";
        case 3:
            return "ver0";
        case 4:
            return "crs0";
        case 5:
            return "cvt0";
        case 6:
            return "vid0";
        case 8:
        case 9:
        case 10:
        case 11:
            return "vpd0";
        case 26:
            return "vwp0";
        case 28:
            return "vmp0";
        case 34:
            return "tvo0";
        default:
            return {};
    }
}

std::size_t RequiredSize(std::uint32_t function)
{
    switch (function) {
        case 1:
            return kOwnBytes;
        case 3:
            return kVerBytes;
        case 4:
            return kCrsBytes;
        case 5:
            return kCvtBytes;
        case 6:
            return kVidBytes;
        case 8:
        case 9:
        case 10:
        case 11:
            return kVpdBytes;
        case 26:
            return kVwpBytes;
        case 28:
            return kVmpBytes;
        case 34:
            return kTvoBytes;
        default:
            return 0;
    }
}

// Bytes of the capability bitmap for FunctionCount n.
std::uint64_t CapabilityBitmapBytes(std::uint32_t n)
{
    return (n == 0 ? 0 : (std::uint64_t{n} - 1) / 8) + 2;
}

Mode ModeAt(const Block& block, std::size_t offset)
{
    return Mode{block.U32(offset), block.U32(offset + 4), block.U8(offset + 8), block.U8(offset + 9)};
}

void PutRecord(Block& block, std::size_t offset, std::uint32_t width, std::uint32_t height, std::uint8_t b8,
               std::uint8_t b9)
{
    block.PutU32(offset, width);
    block.PutU32(offset + 4, height);
    block.PutU8(offset + 8, b8);
    block.PutU8(offset + 9, b9);
}

// Reads a zero-terminated string of at most kMaxPersistText characters; nullopt when the
// pointer is null or no terminator comes within the bound.
std::optional<std::string> BoundedString(const void* pointer, bool* tooLong)
{
    if (pointer == nullptr) {
        return std::nullopt;
    }
    const char* text = static_cast<const char*>(pointer);
    for (std::size_t length = 0; length < kMaxPersistText; ++length) {
        if (text[length] == 0) {
            return std::string(text, length);
        }
    }
    *tooLong = true;
    return std::nullopt;
}

std::string Quoted(const std::optional<std::string>& text)
{
    return text ? QuotedText(*text) : std::string("null");
}

std::string FormatEntry(const LogEntry& entry)
{
    switch (entry.operation) {
        case kProbe:
            return "Probe -> " + std::to_string(entry.result);
        case kPersistValue:
            return "PersistValue " + std::to_string(entry.size) + " " + Quoted(entry.section) + " " +
                   Quoted(entry.valueName) + " " + Quoted(entry.valueText) + " -> " + HexWord(entry.result);
        case kRequest:
            break;
        default:
            return "Operation " + std::to_string(entry.operation) + " " + std::to_string(entry.size) +
                   " -> " + HexWord(entry.result);
    }
    const std::vector<std::uint8_t>& reply = entry.reply;
    std::string line = "Request " + std::to_string(entry.size) + " fn=" + std::to_string(entry.function);
    if (!entry.tag.empty()) {
        line += " tag=" + Quoted(entry.tag);
    }
    if (reply.size() >= kStatusOffset + 4) {
        line += " status=" + HexWord(ReadU32(reply, kStatusOffset));
    }
    if (entry.tag == "vwp0" && reply.size() >= kVwpCount + 4) {
        line += " mode=" + std::to_string(ReadU32(reply, kVwpArgument)) + "x" +
                std::to_string(ReadU32(reply, kVwpArgument + 4)) + "x" +
                std::to_string(reply[kVwpArgument + 8]) + "@" + std::to_string(reply[kVwpArgument + 9]) +
                " count=" + std::to_string(ReadU32(reply, kVwpCount));
    } else if (entry.tag == "crs0" && reply.size() >= kPayloadOffset + 4) {
        line += " count=" + std::to_string(ReadU32(reply, kPayloadOffset));
    } else if ((entry.tag == "own0" || entry.tag == "vpd0") && reply.size() >= kPayloadOffset + 8) {
        line += " " + std::to_string(ReadU32(reply, kPayloadOffset)) + "," +
                std::to_string(ReadU32(reply, kPayloadOffset + 4));
    } else if (entry.tag == "vmp0" && reply.size() >= kPayloadOffset + 4) {
        line += " value=" + std::to_string(ReadU32(reply, kPayloadOffset));
    }
    return line;
}

// ---- the model's answers ----

bool Announces(const AdapterConfig& config, std::uint32_t function)
{
    if (function < 1 || function > config.functionCount) {
        return false;
    }
    if (config.capabilityBytes) {
        const std::size_t index = (function - 1) / 8;
        return index < config.capabilityBytes->size() &&
               ((*config.capabilityBytes)[index] >> ((function - 1) % 8) & 1) != 0;
    }
    return std::find(config.functions.begin(), config.functions.end(), static_cast<int>(function)) !=
           config.functions.end();
}

const ViewportTable* FindViewportTable(const AdapterConfig& config, const Mode& desktop)
{
    for (const ViewportTable& table : config.viewports) {
        if (table.width == desktop.width && table.height == desktop.height && table.depth == desktop.depth) {
            return &table;
        }
    }
    return nullptr;
}

// The first mode of the table with this size and depth, and this rate unless it is 0.
const Mode* FindMode(const AdapterConfig& config, const Mode& mode)
{
    for (const Mode& m : config.modes) {
        if (m.width == mode.width && m.height == mode.height && m.depth == mode.depth &&
            (mode.rate == 0 || m.rate == mode.rate)) {
            return &m;
        }
    }
    return nullptr;
}

// One request in progress.
struct Exchange {
    Block& block;
    AdapterConfig& config;
    bool mayChange;  // whether a setting request may change the adapter
    bool displayChanged = false;
};

std::uint32_t CapabilityMap(Exchange& x)
{
    const AdapterConfig& config = x.config;
    Block& block = x.block;
    const std::uint64_t bitmapBytes = CapabilityBitmapBytes(config.functionCount);
    if (block.size() < kTagOffset + bitmapBytes) {
        return kStatusBadArgument;
    }
    if (config.capabilityBytes) {
        const std::size_t area = block.size() - kTagOffset;
        const std::vector<std::uint8_t>& bytes = *config.capabilityBytes;
        block.Zero(kTagOffset, area);
        for (std::size_t i = 0; i < std::min(area, bytes.size()); ++i) {
            block.PutU8(kTagOffset + i, bytes[i]);
        }
        return kStatusOk;
    }
    block.Zero(kTagOffset, static_cast<std::size_t>(bitmapBytes));
    for (int function : config.functions) {
        if (function >= 1 && static_cast<std::uint32_t>(function) <= config.functionCount) {
            const std::size_t offset = kTagOffset + static_cast<std::size_t>(function - 1) / 8;
            block.PutU8(offset, static_cast<std::uint8_t>(block.U8(offset) | 1u << ((function - 1) % 8)));
        }
    }
    return kStatusOk;
}

std::uint32_t ModeTableReply(Exchange& x)
{
    const std::size_t records = std::min(x.config.modes.size(), kMaxRecords);
    for (std::size_t i = 0; i < records; ++i) {
        const Mode& mode = x.config.modes[i];
        PutRecord(x.block, kCrsRecords + i * kRecordBytes, mode.width, mode.height, mode.depth, mode.rate);
    }
    x.block.PutU32(kPayloadOffset, x.config.modeCountClaim.value_or(static_cast<std::uint32_t>(records)));
    return kStatusOk;
}

// Whether the mode exists, then its pixel clock in kHz (blanking estimated at 30 percent).
std::uint32_t ModeTimingReply(Exchange& x)
{
    const Mode mode = ModeAt(x.block, kVwpArgument);
    const bool known = mode.rate != 0 && FindMode(x.config, mode) != nullptr;
    const std::uint64_t clock = std::uint64_t{mode.width} * mode.height * mode.rate * 13 / 10 / 1000;
    x.block.PutU32(26, known ? 1 : 0);
    x.block.PutU32(30, known ? static_cast<std::uint32_t>(std::min<std::uint64_t>(clock, UINT32_MAX)) : 0);
    return kStatusOk;
}

std::uint32_t ViewportTableReply(Exchange& x)
{
    const Mode mode = ModeAt(x.block, kVwpArgument);
    const ViewportTable* table = FindViewportTable(x.config, mode);
    const std::optional<std::uint32_t>& claim = x.config.viewportCountClaim;
    if (table == nullptr || (mode.rate != 0 && FindMode(x.config, mode) == nullptr)) {
        x.block.PutU32(kVwpCount, claim.value_or(0));
        return kStatusBadArgument;
    }
    const std::size_t records = std::min(table->sizes.size(), kMaxRecords);
    for (std::size_t i = 0; i < records; ++i) {
        const Size& size = table->sizes[i];
        PutRecord(x.block, kVwpRecords + i * kRecordBytes, size.width, size.height, table->trailing[0],
                  table->trailing[1]);
    }
    x.block.PutU32(kVwpCount, claim.value_or(static_cast<std::uint32_t>(records)));
    return kStatusOk;
}

std::uint32_t SetOrigin(Exchange& x)
{
    const Point origin{x.block.U32(12), x.block.U32(16)};
    const AdapterConfig& config = x.config;
    if (std::uint64_t{origin.x} + config.viewport.width > config.current.width ||
        std::uint64_t{origin.y} + config.viewport.height > config.current.height) {
        return kStatusBadArgument;
    }
    if (x.mayChange) {
        x.config.origin = origin;
    }
    return kStatusOk;
}

std::uint32_t SetViewport(Exchange& x)
{
    const Size size{x.block.U32(12), x.block.U32(16)};
    AdapterConfig& config = x.config;
    const Mode& desktop = config.current;
    const ViewportTable* table = FindViewportTable(config, desktop);
    if (table == nullptr || size.width > desktop.width || size.height > desktop.height ||
        std::find(table->sizes.begin(), table->sizes.end(), size) == table->sizes.end()) {
        return kStatusBadArgument;
    }
    if (!x.mayChange || size == config.viewport) {
        return kStatusOk;
    }
    config.viewport = size;
    config.origin.x = std::min(config.origin.x, desktop.width - size.width);
    config.origin.y = std::min(config.origin.y, desktop.height - size.height);
    x.displayChanged = true;
    return kStatusOk;
}

std::uint32_t SetViewportMode(Exchange& x)
{
    const std::uint32_t value = x.block.U32(12);
    if (value > 3) {
        return kStatusBadArgument;
    }
    if (x.mayChange) {
        x.config.viewportMode = value;
    }
    return kStatusOk;
}

std::uint32_t Dispatch(std::uint32_t function, Exchange& x)
{
    Block& block = x.block;
    const AdapterConfig& config = x.config;
    if (function == 2) {
        return CapabilityMap(x);
    }
    const std::string_view tag = TagOf(function);
    if (tag.empty() || (function != 1 && !Announces(config, function))) {
        return kStatusUnsupported;
    }
    if (block.size() < RequiredSize(function) || block.Text(kTagOffset, 4) != tag) {
        return kStatusBadArgument;
    }
    switch (function) {
        case 1:
            block.PutU32(12, config.interfaceId);
            block.PutU32(16, config.functionCount);
            return kStatusOk;
        case 3:
            block.PutU32(12, 1);
            block.PutU32(16, 0);
            block.PutText(20, "KVAPI stand-in adapter 1.0");
            return kStatusOk;
        case 4:
            return ModeTableReply(x);
        case 5:
            return ModeTimingReply(x);
        case 6:
            block.PutU32(12, kVideoMemoryKiB);
            return kStatusOk;
        case 8:
            block.PutU32(12, config.origin.x);
            block.PutU32(16, config.origin.y);
            return kStatusOk;
        case 9:
            return SetOrigin(x);
        case 10:
            block.PutU32(12, config.viewport.width);
            block.PutU32(16, config.viewport.height);
            return kStatusOk;
        case 11:
            return SetViewport(x);
        case 26:
            return ViewportTableReply(x);
        case 28:
            return SetViewportMode(x);
        case 34:
            block.PutU32(12, 0);  // no television output connected
            return kStatusOk;
        default:
            return kStatusUnsupported;
    }
}

// Returns the status written, or 0 when the block has no room for one.
std::uint32_t Request(Block& block, AdapterConfig& config, LogEntry& entry, bool* displayChanged)
{
    if (!block.Holds(kStatusOffset, 4)) {
        return 0;
    }
    const std::uint32_t function = block.U32(0);
    entry.function = function;
    if (function != 2 && block.Holds(kTagOffset, 4)) {
        entry.tag = block.Text(kTagOffset, 4);
    }
    const auto override = config.statusOverride.find(function);
    const bool overridden = override != config.statusOverride.end();
    Exchange exchange{block, config, !overridden || override->second == kStatusOk};
    std::uint32_t status = Dispatch(function, exchange);
    if (overridden) {
        status = override->second;
    }
    block.PutU32(kStatusOffset, status);
    *displayChanged = exchange.displayChanged;
    return status;
}

std::uint32_t PersistValue(const Block& block, AdapterConfig& config, LogEntry& entry)
{
    if (block.size() < kPersistBytes || block.U32(0) != kPersistBytes || block.U32(8) != 1) {
        return kStatusBadArgument;
    }
    bool tooLong = false;
    entry.section = BoundedString(Field32ToPointer(block.U32(12)), &tooLong);
    entry.valueName = BoundedString(Field32ToPointer(block.U32(16)), &tooLong);
    entry.valueText = BoundedString(Field32ToPointer(block.U32(20)), &tooLong);
    if (tooLong || !entry.section || !entry.valueName) {
        return kStatusBadArgument;
    }
    auto key = std::make_pair(*entry.section, *entry.valueName);
    if (entry.valueText) {
        config.persisted[std::move(key)] = *entry.valueText;
    } else {
        config.persisted.erase(key);
    }
    return kStatusOk;
}

}  // namespace

Adapter::Adapter(AdapterConfig config) : config_(std::move(config)) {}

void Adapter::SetDisplayListener(DisplayListener listener)
{
    listener_ = std::move(listener);
}

std::uint32_t Adapter::Call(std::uint32_t operation, std::uint32_t size, void* data)
{
    Block block(data, size);
    LogEntry entry;
    entry.operation = operation;
    entry.size = size;
    entry.request = block.Bytes(kMaxLoggedBytes);

    bool displayChanged = false;
    switch (operation) {
        case kRequest:
            entry.result = Request(block, config_, entry, &displayChanged);
            break;
        case kProbe:
            entry.result = config_.probeAnswer;
            break;
        case kPersistValue:
            entry.result = PersistValue(block, config_, entry);
            break;
        default:
            entry.result = kStatusUnsupported;
            break;
    }
    entry.reply = block.Bytes(kMaxLoggedBytes);
    const std::uint32_t result = entry.result;
    log_.push_back(std::move(entry));
    if (displayChanged && listener_) {
        listener_(config_.current, config_.viewport);
    }
    return result;
}

bool Adapter::SetMode(const Mode& mode)
{
    const Mode* found = FindMode(config_, mode);
    if (found == nullptr) {
        return false;
    }
    config_.current = *found;
    config_.viewport = Size{found->width, found->height};
    config_.origin = Point{};
    if (listener_) {
        listener_(config_.current, config_.viewport);
    }
    return true;
}

std::string Adapter::FormatLog() const
{
    std::string text;
    for (const LogEntry& entry : log_) {
        text += FormatEntry(entry);
        text += '\n';
    }
    return text;
}

}  // namespace kvapi
