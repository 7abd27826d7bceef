// A 32-bit PE image read from a file, with its sections and resource tree. The file is
// untrusted: every read is checked against the bytes that are there.
#pragma once

#include <winsim/win32.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace winsim::detail {

// Little-endian reads that answer nothing when the bytes are not all there.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    bool Contains(std::uint64_t offset, std::uint64_t length) const;
    std::optional<std::uint16_t> U16(std::uint64_t offset) const;
    std::optional<std::uint32_t> U32(std::uint64_t offset) const;
    std::optional<std::span<const std::byte>> Slice(std::uint64_t offset, std::uint64_t length) const;

private:
    std::span<const std::byte> bytes_;
};

// A resource type or name as the resource tree stores it: a number, or a name in upper case.
struct ResourceKey {
    bool isId = true;
    std::uint16_t id = 0;
    std::u16string name;
};

// Where a found resource lies in the file.
struct ResourceData {
    std::uint32_t entryOffset = 0;  // of the data entry (what an HRSRC stands for)
    std::uint32_t dataOffset = 0;
    std::uint32_t size = 0;
};

enum class ResourceLookup { Found, NoResources, TypeNotFound, NameNotFound, LanguageNotFound, Corrupt };

class PeImage {
public:
    // Null when the bytes are not a 32-bit PE image whose headers and sections lie in the file.
    static std::unique_ptr<PeImage> Parse(std::vector<std::byte> file);

    std::uint32_t EntryPoint() const { return entryPoint_; }
    std::span<const std::byte> Bytes() const { return file_; }

    // Type, then name, then the language: neutral, then English, then the first there is.
    ResourceLookup Find(const ResourceKey& type, const ResourceKey& name, ResourceData& found) const;
    // The data entry at a file offset, checked again, for a resource handle given back.
    std::optional<ResourceData> DataEntryAt(std::uint64_t entryOffset) const;

private:
    struct Section {
        std::uint32_t virtualAddress;
        std::uint32_t loadedSize;  // the part of the section that the file holds
        std::uint32_t fileOffset;
    };
    struct DirectoryEntry {
        std::uint32_t name;
        std::uint32_t target;
        bool amongNames;
    };
    enum class Step { Found, Missing, Corrupt };

    PeImage() = default;
    bool ParseHeaders();
    bool ReadSections(std::uint64_t sectionTable, std::uint16_t sectionCount);
    bool LocateResources(std::uint64_t optional, std::uint16_t optionalSize, std::uint32_t directoryCount);
    std::optional<std::uint64_t> FileOffsetOf(std::uint32_t rva, std::uint32_t length) const;
    ByteReader ResourceTree() const;
    std::optional<std::vector<DirectoryEntry>> ReadDirectory(std::uint32_t directory) const;
    bool NameMatches(const DirectoryEntry& entry, const ResourceKey& key) const;
    Step Descend(const ResourceKey& key, std::vector<std::uint32_t>& path) const;
    Step ChooseLanguage(std::uint32_t directory, std::uint32_t& dataEntry) const;

    std::vector<std::byte> file_;
    std::vector<Section> sections_;
    std::uint32_t entryPoint_ = 0;
    bool hasResources_ = false;
    std::uint64_t resourceRoot_ = 0;  // file offset of the root directory
    std::uint64_t resourceEnd_ = 0;   // end of the section part that holds the tree
};

// The image of a module loaded from disk, or null (not loaded, or registered in memory).
const PeImage* MappedImage(HMODULE module);

}  // namespace winsim::detail
