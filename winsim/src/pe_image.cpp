#include "pe_image.h"

#include <algorithm>
#include <array>
#include <utility>

namespace winsim::detail {
namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t kPe32Magic = 0x010B;
constexpr std::uint64_t kDosNewHeaderField = 0x3C;
constexpr std::uint64_t kCoffHeaderSize = 20;
constexpr std::uint64_t kOptionalFixedSize = 96;  // PE32 optional header before the data directories
constexpr std::uint64_t kEntryPointField = 16;
constexpr std::uint64_t kDirectoryCountField = 92;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kMaxDirectories = 16;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint16_t kMaxSections = 96;
constexpr std::uint64_t kResourceDirectorySize = 16;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000;

// What the loader prefers when no language is asked for: neutral, the user's (English,
// United States), any English, and then whatever comes first.
constexpr std::array<std::uint16_t, 3> kPreferredLanguages = {0x0000, 0x0409, 0x0009};

}  // namespace

bool ByteReader::Contains(std::uint64_t offset, std::uint64_t length) const
{
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
}

std::optional<std::uint16_t> ByteReader::U16(std::uint64_t offset) const
{
    if (!Contains(offset, 2)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes_[offset]) |
                                      std::to_integer<unsigned>(bytes_[offset + 1]) << 8);
}

std::optional<std::uint32_t> ByteReader::U32(std::uint64_t offset) const
{
    const auto low = U16(offset);
    const auto high = Contains(offset, 4) ? U16(offset + 2) : std::nullopt;
    if (!low || !high) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*low) | static_cast<std::uint32_t>(*high) << 16;
}

std::optional<std::span<const std::byte>> ByteReader::Slice(std::uint64_t offset, std::uint64_t length) const
{
    if (!Contains(offset, length)) {
        return std::nullopt;
    }
    return bytes_.subspan(offset, length);
}

std::unique_ptr<PeImage> PeImage::Parse(std::vector<std::byte> file)
{
    std::unique_ptr<PeImage> image(new PeImage);
    image->file_ = std::move(file);
    if (!image->ParseHeaders()) {
        return nullptr;
    }
    return image;
}

bool PeImage::ParseHeaders()
{
    const ByteReader file(file_);
    if (file.U16(0) != kDosMagic) {
        return false;
    }
    const auto peHeader = file.U32(kDosNewHeaderField);
    if (!peHeader || file.U32(*peHeader) != kPeSignature) {
        return false;
    }
    const std::uint64_t coff = *peHeader + 4ull;
    const auto machine = file.U16(coff);
    const auto sectionCount = file.U16(coff + 2);
    const auto optionalSize = file.U16(coff + 16);
    const auto characteristics = file.U16(coff + 18);
    if (!characteristics || machine != kMachineI386 || (*characteristics & kExecutableImage) == 0 ||
        *sectionCount > kMaxSections || *optionalSize < kOptionalFixedSize) {
        return false;
    }
    const std::uint64_t optional = coff + kCoffHeaderSize;
    const auto entryPoint = file.U32(optional + kEntryPointField);
    const auto directoryCount = file.U32(optional + kDirectoryCountField);
    if (!file.Contains(optional, *optionalSize) || file.U16(optional) != kPe32Magic || !entryPoint ||
        !directoryCount) {
        return false;
    }
    entryPoint_ = *entryPoint;
    return ReadSections(optional + *optionalSize, *sectionCount) &&
           LocateResources(optional, *optionalSize, *directoryCount);
}

// Every section's data must lie in the file.
bool PeImage::ReadSections(std::uint64_t sectionTable, std::uint16_t sectionCount)
{
    const ByteReader file(file_);
    if (!file.Contains(sectionTable, sectionCount * kSectionHeaderSize)) {
        return false;
    }
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t header = sectionTable + i * kSectionHeaderSize;
        const std::uint32_t virtualSize = *file.U32(header + 8);
        const std::uint32_t virtualAddress = *file.U32(header + 12);
        const std::uint32_t rawSize = *file.U32(header + 16);
        const std::uint32_t rawOffset = *file.U32(header + 20);
        if (rawSize > 0 && !file.Contains(rawOffset, rawSize)) {
            return false;
        }
        const std::uint32_t loaded = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
        sections_.push_back({virtualAddress, loaded, rawOffset});
    }
    return true;
}

// The resource tree, when there is one, must start inside a section.
bool PeImage::LocateResources(std::uint64_t optional, std::uint16_t optionalSize,
                              std::uint32_t directoryCount)
{
    // The directories that fit in the optional header count, whatever the header claims.
    const std::uint64_t fitting = (optionalSize - kOptionalFixedSize) / 8;
    const std::uint64_t directories = std::min<std::uint64_t>({directoryCount, fitting, kMaxDirectories});
    if (directories <= kResourceDirectory) {
        return true;
    }
    const std::uint64_t resourceField = optional + kOptionalFixedSize + kResourceDirectory * 8ull;
    const std::uint32_t resourceRva = *ByteReader(file_).U32(resourceField);
    if (resourceRva == 0) {
        return true;
    }
    for (const Section& section : sections_) {
        const std::uint64_t start = section.virtualAddress;
        if (resourceRva >= start && resourceRva - start < section.loadedSize) {
            resourceRoot_ = section.fileOffset + (resourceRva - start);
            resourceEnd_ = static_cast<std::uint64_t>(section.fileOffset) + section.loadedSize;
            hasResources_ = resourceEnd_ - resourceRoot_ >= kResourceDirectorySize;
            return hasResources_;
        }
    }
    return false;
}

std::optional<std::uint64_t> PeImage::FileOffsetOf(std::uint32_t rva, std::uint32_t length) const
{
    for (const Section& section : sections_) {
        const std::uint64_t start = section.virtualAddress;
        const std::uint64_t end = start + section.loadedSize;
        if (rva >= start && rva < end && rva + static_cast<std::uint64_t>(length) <= end) {
            return section.fileOffset + (rva - start);
        }
    }
    return std::nullopt;
}

// The bytes from the root directory to the end of its section: every offset in the tree
// counts from the root and must stay inside.
ByteReader PeImage::ResourceTree() const
{
    return ByteReader(std::span<const std::byte>(file_).subspan(resourceRoot_, resourceEnd_ - resourceRoot_));
}

std::optional<std::vector<PeImage::DirectoryEntry>> PeImage::ReadDirectory(std::uint32_t directory) const
{
    const ByteReader tree = ResourceTree();
    const auto named = tree.U16(directory + 12ull);
    const auto numbered = tree.U16(directory + 14ull);
    if (!named || !numbered) {
        return std::nullopt;
    }
    const std::uint64_t first = directory + kResourceDirectorySize;
    const std::uint64_t count = *named + *numbered;
    if (!tree.Contains(first, count * kResourceEntrySize)) {
        return std::nullopt;
    }
    std::vector<DirectoryEntry> entries;
    entries.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t entry = first + i * kResourceEntrySize;
        entries.push_back({*tree.U32(entry), *tree.U32(entry + 4), i < *named});
    }
    return entries;
}

// Names come first in a directory, numbers after them; an entry among the names that holds a
// number (or the other way round) matches nothing, as on Windows.
bool PeImage::NameMatches(const DirectoryEntry& entry, const ResourceKey& key) const
{
    const bool holdsName = (entry.name & kHighBit) != 0;
    if (entry.amongNames != holdsName || entry.amongNames == key.isId) {
        return false;
    }
    if (key.isId) {
        return entry.name == key.id;
    }
    const ByteReader tree = ResourceTree();
    const std::uint64_t text = entry.name & ~kHighBit;
    const auto length = tree.U16(text);
    if (!length || *length != key.name.size() || !tree.Contains(text + 2, *length * 2ull)) {
        return false;
    }
    for (std::size_t i = 0; i < key.name.size(); ++i) {
        if (*tree.U16(text + 2 + i * 2) != key.name[i]) {
            return false;
        }
    }
    return true;
}

// One level down the tree along `path` (directory offsets from the root, the root first).
PeImage::Step PeImage::Descend(const ResourceKey& key, std::vector<std::uint32_t>& path) const
{
    const auto entries = ReadDirectory(path.back());
    if (!entries) {
        return Step::Corrupt;
    }
    for (const DirectoryEntry& entry : *entries) {
        if (!NameMatches(entry, key)) {
            continue;
        }
        const std::uint32_t below = entry.target & ~kHighBit;
        if ((entry.target & kHighBit) == 0 || std::find(path.begin(), path.end(), below) != path.end()) {
            return Step::Corrupt;
        }
        path.push_back(below);
        return Step::Found;
    }
    return Step::Missing;
}

PeImage::Step PeImage::ChooseLanguage(std::uint32_t directory, std::uint32_t& dataEntry) const
{
    const auto entries = ReadDirectory(directory);
    if (!entries) {
        return Step::Corrupt;
    }
    if (entries->empty()) {
        return Step::Missing;
    }
    const DirectoryEntry* chosen = &entries->front();
    for (std::uint16_t language : kPreferredLanguages) {
        const ResourceKey key{true, language, {}};
        auto match = std::find_if(entries->begin(), entries->end(),
                                  [&](const DirectoryEntry& e) { return NameMatches(e, key); });
        if (match != entries->end()) {
            chosen = &*match;
            break;
        }
    }
    // The third level holds data; a directory here would nest the tree deeper than it goes.
    if ((chosen->target & kHighBit) != 0) {
        return Step::Corrupt;
    }
    dataEntry = chosen->target;
    return Step::Found;
}

ResourceLookup PeImage::Find(const ResourceKey& type, const ResourceKey& name, ResourceData& found) const
{
    if (!hasResources_) {
        return ResourceLookup::NoResources;
    }
    std::vector<std::uint32_t> path = {0};
    switch (Descend(type, path)) {
        case Step::Missing:
            return ResourceLookup::TypeNotFound;
        case Step::Corrupt:
            return ResourceLookup::Corrupt;
        case Step::Found:
            break;
    }
    switch (Descend(name, path)) {
        case Step::Missing:
            return ResourceLookup::NameNotFound;
        case Step::Corrupt:
            return ResourceLookup::Corrupt;
        case Step::Found:
            break;
    }
    std::uint32_t dataEntry = 0;
    switch (ChooseLanguage(path.back(), dataEntry)) {
        case Step::Missing:
            return ResourceLookup::LanguageNotFound;
        case Step::Corrupt:
            return ResourceLookup::Corrupt;
        case Step::Found:
            break;
    }
    const auto data = DataEntryAt(resourceRoot_ + dataEntry);
    if (!data) {
        return ResourceLookup::Corrupt;
    }
    found = *data;
    return ResourceLookup::Found;
}

std::optional<ResourceData> PeImage::DataEntryAt(std::uint64_t entryOffset) const
{
    if (!hasResources_ || entryOffset < resourceRoot_ || entryOffset > resourceEnd_ ||
        resourceEnd_ - entryOffset < kDataEntrySize) {
        return std::nullopt;
    }
    const ByteReader file(file_);
    const std::uint32_t rva = *file.U32(entryOffset);
    const std::uint32_t size = *file.U32(entryOffset + 4);
    const auto data = FileOffsetOf(rva, size);
    if (!data) {
        return std::nullopt;
    }
    return ResourceData{static_cast<std::uint32_t>(entryOffset), static_cast<std::uint32_t>(*data), size};
}

}  // namespace winsim::detail
