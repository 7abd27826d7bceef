// A small Windows Help file reader for the tests: it reads what a viewer reads (directory,
// |SYSTEM, |CONTEXT, |CTXOMAP, |TTLBTREE, the topic chain in |TOPIC) and checks every offset,
// count and size against the bytes it has, throwing ReadError where the file would make a
// viewer read outside them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hlp_test {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads little-endian fields and compressed numbers, never past its end.
class Cursor {
public:
    explicit Cursor(ByteSpan bytes) : bytes_(bytes) {}

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::string StringZ();
    ByteSpan Take(std::size_t count);
    void Skip(std::size_t count) { Take(count); }

    std::int32_t CompressedUnsignedShort();
    std::int32_t CompressedSignedShort();
    std::int64_t CompressedUnsignedLong();
    std::int64_t CompressedSignedLong();

    std::size_t Offset() const { return offset_; }
    std::size_t Remaining() const { return bytes_.size() - offset_; }

private:
    ByteSpan bytes_;
    std::size_t offset_ = 0;
};

// A B+ tree read through the format letters in its header (key first, then the data). It views
// the tree's bytes, which must outlive it.
class BTreeReader {
public:
    struct Header {
        std::uint16_t flags;
        std::uint16_t pageSize;
        std::string structure;
        std::uint16_t rootPage;
        std::uint16_t totalPages;
        std::uint16_t levels;
        std::uint32_t totalEntries;
    };

    explicit BTreeReader(ByteSpan tree);

    const Header& GetHeader() const { return header_; }
    // Every leaf entry in order, walking the leaves from the first through NextPage.
    std::vector<ByteSpan> Entries() const;
    // The leaf entry with this key, found from the root down through the index pages.
    std::optional<ByteSpan> Find(ByteSpan key) const;
    // The free bytes each page's header claims, and those its entries leave.
    std::vector<std::pair<std::size_t, std::size_t>> PageFreeSpace() const;

private:
    ByteSpan Page(std::size_t number) const;
    std::size_t KeySize(ByteSpan at) const;
    std::size_t LeafSize(ByteSpan at) const;
    int CompareKeys(ByteSpan a, ByteSpan b) const;
    std::size_t FirstLeaf() const;

    ByteSpan pages_;
    Header header_{};
};

struct SystemInfo {
    std::uint16_t minor = 0;
    std::uint16_t flags = 0;
    std::string title;
    std::string copyright;
    std::optional<std::uint32_t> contentsOffset;
};

struct Paragraph {
    std::string text;
    std::vector<std::uint16_t> fonts;
    std::vector<std::int32_t> jumpHashes;
    std::int32_t topicLength = 0;
};

struct TopicRecord {
    std::string title;
    std::uint32_t topicOffset = 0;
    std::uint32_t topicPos = 0;
    std::uint32_t topicNumber = 0;
    std::uint32_t scrollPos = 0;
    std::uint32_t nextTopicPos = 0;
    std::vector<Paragraph> paragraphs;
};

class HelpFileReader {
public:
    explicit HelpFileReader(Bytes file);

    std::uint32_t DeclaredSize() const;
    std::vector<std::string> InternalFileNames() const;
    // The content of an internal file (after its file header); throws when it is missing.
    ByteSpan InternalFile(std::string_view name) const;
    // The reserved and used sizes in an internal file's header.
    std::pair<std::uint32_t, std::uint32_t> InternalFileSizes(std::string_view name) const;

    SystemInfo System() const;
    std::optional<std::uint32_t> TopicOffsetOfHash(std::int32_t hash) const;
    std::optional<std::uint32_t> TopicOffsetOfNumber(std::uint32_t number) const;
    std::map<std::uint32_t, std::string> Titles() const;
    // The topics in |TOPIC's chain, with their TOPICOFFSETs counted as viewers count them.
    std::vector<TopicRecord> Topics() const;
    // The topic a viewer shows for a TOPICOFFSET: the last one starting at or before it.
    std::optional<TopicRecord> TopicAt(std::uint32_t topicOffset) const;

private:
    std::size_t InternalFileStart(std::string_view name) const;

    Bytes file_;
};

}  // namespace hlp_test
