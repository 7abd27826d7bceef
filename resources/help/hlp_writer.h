// Writes Windows Help files (.HLP) in the WinHelp 4.0 form that winhlp32 reads: the internal
// file system with its directory B+ tree, |SYSTEM, |FONT, an uncompressed |TOPIC, |CONTEXT (context
// name hashes), |CTXOMAP (context numbers, the [MAP] of a help project) and |TTLBTREE (titles).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hlp {

using Bytes = std::vector<std::uint8_t>;

class HelpFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian output that can go back and fill in a field written earlier.
class ByteWriter {
public:
    void Put8(std::uint32_t value);
    void Put16(std::uint32_t value);
    void Put32(std::uint32_t value);
    void PutBytes(const Bytes& bytes);
    void PutText(std::string_view text);                              // without a terminating NUL
    void PutTextZ(std::string_view text);                             // with a terminating NUL
    void PutFixedText(std::string_view text, std::size_t fieldSize);  // NUL-padded, cut to fit
    void PutZeros(std::size_t count);
    void Patch16(std::size_t offset, std::uint32_t value);
    void Patch32(std::size_t offset, std::uint32_t value);

    std::size_t Size() const { return bytes_.size(); }
    const Bytes& Data() const { return bytes_; }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// The variable-length numbers of topic records. Each throws HelpFormatError outside its range.
void PutCompressedUnsignedShort(ByteWriter& out, std::int32_t value);  // 0 .. 32767
void PutCompressedSignedShort(ByteWriter& out, std::int32_t value);    // -16384 .. 16383
void PutCompressedUnsignedLong(ByteWriter& out, std::int64_t value);   // 0 .. 2^31 - 1
void PutCompressedSignedLong(ByteWriter& out, std::int64_t value);     // -2^30 .. 2^30 - 1

// The hash under which |CONTEXT files a context name. Names are letters, digits, '.' and '_'.
std::int32_t ContextHash(std::string_view name);
bool IsValidContextName(std::string_view name);

// A B+ tree as WinHelp stores its indexes. Entries come sorted by key; `key` is the entry's key
// as index pages repeat it, `leaf` the whole leaf entry (key and data).
struct BTreeEntry {
    Bytes key;
    Bytes leaf;
};

struct BTreeKind {
    std::uint16_t flags;
    std::uint16_t pageSize;
    std::string_view structure;  // the format letters, at most 16
};

inline constexpr BTreeKind kDirectoryTree{0x0402, 0x0400, "z4"};
inline constexpr BTreeKind kContextTree{0x0002, 0x0800, "L4"};
inline constexpr BTreeKind kTitleTree{0x0002, 0x0800, "Lz"};

inline constexpr std::size_t kBTreeHeaderSize = 38;
inline constexpr std::size_t kLeafPageHeaderSize = 8;
inline constexpr std::size_t kIndexPageHeaderSize = 6;

Bytes BuildBTree(const BTreeKind& kind, const std::vector<BTreeEntry>& entries);

// One internal file of the help file system.
struct InternalFile {
    std::string name;
    Bytes content;
};

inline constexpr std::uint32_t kHelpFileMagic = 0x00035F3F;
inline constexpr std::size_t kFileHeaderSize = 9;

// The whole .HLP: header, the internal files, and their directory last.
Bytes BuildFileSystem(std::vector<InternalFile> files);

// What a help file says.
struct Span {
    std::string text;
    std::optional<std::string> jumpTo;  // the context name of the topic this text jumps to
};

enum class ParagraphStyle { kHeading, kBody };

struct Paragraph {
    ParagraphStyle style = ParagraphStyle::kBody;
    std::vector<Span> spans;
};

struct Topic {
    std::string contextName;
    std::optional<std::uint32_t> contextNumber;
    std::string title;
    std::vector<Paragraph> paragraphs;
};

struct HelpDocument {
    std::string title;
    std::string copyright;
    std::vector<Topic> topics;  // the first one is the contents topic
};

// Topic storage: 4 KB blocks, uncompressed (|SYSTEM minor 33 with flags 0).
inline constexpr std::uint16_t kSystemMagic = 0x036C;
inline constexpr std::uint16_t kWinHelp4Minor = 33;
inline constexpr std::size_t kTopicBlockSize = 4096;
inline constexpr std::size_t kTopicBlockHeaderSize = 12;
inline constexpr std::size_t kTopicLinkHeaderSize = 21;
inline constexpr std::uint32_t kTopicPosPerBlock = 0x4000;
inline constexpr std::uint32_t kTopicOffsetPerBlock = 0x8000;

inline constexpr std::uint8_t kRecordTopicHeader = 0x02;
inline constexpr std::uint8_t kRecordText = 0x20;

// The fonts every file carries, by their index in |FONT.
inline constexpr std::uint16_t kBodyFont = 0;
inline constexpr std::uint16_t kHeadingFont = 1;

// Checks the document and builds the help file; throws HelpFormatError for what it cannot hold.
Bytes BuildHelpFile(const HelpDocument& document);

}  // namespace hlp
