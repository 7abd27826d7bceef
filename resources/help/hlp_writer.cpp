#include "hlp_writer.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <utility>

namespace hlp {

// ---------------------------------------------------------------------------------------------
// Bytes

void ByteWriter::Put8(std::uint32_t value)
{
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void ByteWriter::Put16(std::uint32_t value)
{
    Put8(value);
    Put8(value >> 8);
}

void ByteWriter::Put32(std::uint32_t value)
{
    Put16(value & 0xFFFF);
    Put16(value >> 16);
}

void ByteWriter::PutBytes(const Bytes& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ByteWriter::PutText(std::string_view text)
{
    for (const char c : text) {
        Put8(static_cast<unsigned char>(c));
    }
}

void ByteWriter::PutTextZ(std::string_view text)
{
    PutText(text);
    Put8(0);
}

void ByteWriter::PutFixedText(std::string_view text, std::size_t fieldSize)
{
    const std::size_t kept = std::min(text.size(), fieldSize);
    PutText(text.substr(0, kept));
    PutZeros(fieldSize - kept);
}

void ByteWriter::PutZeros(std::size_t count)
{
    bytes_.insert(bytes_.end(), count, 0);
}

void ByteWriter::Patch16(std::size_t offset, std::uint32_t value)
{
    if (offset > bytes_.size() || bytes_.size() - offset < 2) {
        throw HelpFormatError("internal error: 16-bit field outside the data written");
    }
    bytes_[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes_[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void ByteWriter::Patch32(std::size_t offset, std::uint32_t value)
{
    if (offset > bytes_.size() || bytes_.size() - offset < 4) {
        throw HelpFormatError("internal error: 32-bit field outside the data written");
    }
    Patch16(offset, value & 0xFFFF);
    Patch16(offset + 2, value >> 16);
}

// ---------------------------------------------------------------------------------------------
// Compressed numbers: the lowest bit says whether the short (one byte) or the long (two bytes,
// resp. four for the long forms) encoding follows; the value sits in the remaining bits.

void PutCompressedUnsignedShort(ByteWriter& out, std::int32_t value)
{
    if (value < 0 || value > 0x7FFF) {
        throw HelpFormatError("compressed unsigned short out of range: " + std::to_string(value));
    }
    if (value <= 0x7F) {
        out.Put8(static_cast<std::uint32_t>(value) * 2);
    } else {
        out.Put16(static_cast<std::uint32_t>(value) * 2 + 1);
    }
}

void PutCompressedSignedShort(ByteWriter& out, std::int32_t value)
{
    if (value < -0x4000 || value > 0x3FFF) {
        throw HelpFormatError("compressed signed short out of range: " + std::to_string(value));
    }
    if (value >= -0x40 && value <= 0x3F) {
        PutCompressedUnsignedShort(out, value + 0x40);
    } else {
        out.Put16(static_cast<std::uint32_t>(value + 0x4000) * 2 + 1);
    }
}

void PutCompressedUnsignedLong(ByteWriter& out, std::int64_t value)
{
    if (value < 0 || value > 0x7FFFFFFF) {
        throw HelpFormatError("compressed unsigned long out of range: " + std::to_string(value));
    }
    if (value <= 0x7FFF) {
        out.Put16(static_cast<std::uint32_t>(value) * 2);
    } else {
        out.Put32(static_cast<std::uint32_t>(value) * 2 + 1);
    }
}

void PutCompressedSignedLong(ByteWriter& out, std::int64_t value)
{
    if (value < -0x40000000LL || value > 0x3FFFFFFFLL) {
        throw HelpFormatError("compressed signed long out of range: " + std::to_string(value));
    }
    if (value >= -0x4000 && value <= 0x3FFF) {
        out.Put16(static_cast<std::uint32_t>(value + 0x4000) * 2);
    } else {
        out.Put32(static_cast<std::uint32_t>(value + 0x40000000LL) * 2 + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Context names

namespace {

// The weight of a character in a context name's hash; 0 for characters a name cannot hold.
std::uint32_t HashWeight(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return static_cast<std::uint32_t>(c - 'A') + 17;
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<std::uint32_t>(c - 'a') + 17;
    }
    if (c >= '1' && c <= '9') {
        return static_cast<std::uint32_t>(c - '0');
    }
    switch (c) {
        case '0':
            return 10;
        case '.':
            return 12;
        case '_':
            return 13;
        default:
            return 0;
    }
}

}  // namespace

bool IsValidContextName(std::string_view name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return HashWeight(c) != 0; });
}

std::int32_t ContextHash(std::string_view name)
{
    if (!IsValidContextName(name)) {
        throw HelpFormatError("not a context name: \"" + std::string(name) + "\"");
    }
    std::uint32_t hash = 0;
    for (const char c : name) {
        hash = hash * 43 + HashWeight(c);
    }
    return static_cast<std::int32_t>(hash);
}

// ---------------------------------------------------------------------------------------------
// B+ trees

namespace {

constexpr std::uint16_t kNoPage = 0xFFFF;
constexpr std::size_t kMaxPages = 0xFFFE;

struct PageRef {
    std::uint16_t number;
    const Bytes* firstKey;
};

std::uint16_t PageNumber(std::size_t index)
{
    if (index >= kMaxPages) {
        throw HelpFormatError("B+ tree needs more pages than it can number");
    }
    return static_cast<std::uint16_t>(index);
}

void CheckFitsEmptyPage(std::size_t entrySize, std::size_t headerSize, std::size_t pageSize)
{
    if (entrySize > pageSize - headerSize) {
        throw HelpFormatError("B+ tree entry of " + std::to_string(entrySize) + " bytes does not fit a " +
                              std::to_string(pageSize) + "-byte page");
    }
}

// Fills leaf pages in key order; returns the first key and number of each.
std::vector<PageRef> WriteLeafPages(const BTreeKind& kind, const std::vector<BTreeEntry>& entries,
                                    std::vector<Bytes>& pages)
{
    std::vector<PageRef> leaves;
    std::size_t next = 0;
    do {
        ByteWriter page;
        page.PutZeros(kLeafPageHeaderSize);
        const std::size_t first = next;
        while (next < entries.size()) {
            const Bytes& leaf = entries[next].leaf;
            CheckFitsEmptyPage(leaf.size(), kLeafPageHeaderSize, kind.pageSize);
            if (page.Size() + leaf.size() > kind.pageSize) {
                break;
            }
            page.PutBytes(leaf);
            ++next;
        }
        const std::uint16_t number = PageNumber(pages.size());
        page.Patch16(0, static_cast<std::uint32_t>(kind.pageSize - page.Size()));
        page.Patch16(2, static_cast<std::uint32_t>(next - first));
        page.Patch16(4, leaves.empty() ? kNoPage : static_cast<std::uint32_t>(number - 1));
        page.Patch16(6, next < entries.size() ? static_cast<std::uint32_t>(number + 1) : kNoPage);
        page.PutZeros(kind.pageSize - page.Size());
        pages.push_back(page.Take());
        leaves.push_back({number, first < entries.size() ? &entries[first].key : nullptr});
    } while (next < entries.size());
    return leaves;
}

// One level of index pages over the pages below: each index page leads to its first child
// through PreviousPage and to every further child through (first key of child, child).
std::vector<PageRef> WriteIndexLevel(const BTreeKind& kind, const std::vector<PageRef>& children,
                                     std::vector<Bytes>& pages)
{
    std::vector<PageRef> level;
    std::size_t next = 0;
    while (next < children.size()) {
        ByteWriter page;
        page.PutZeros(kIndexPageHeaderSize);
        const PageRef first = children[next++];
        std::size_t count = 0;
        while (next < children.size()) {
            const std::size_t entrySize = children[next].firstKey->size() + 2;
            CheckFitsEmptyPage(entrySize, kIndexPageHeaderSize, kind.pageSize);
            if (page.Size() + entrySize > kind.pageSize) {
                break;
            }
            page.PutBytes(*children[next].firstKey);
            page.Put16(children[next].number);
            ++next;
            ++count;
        }
        page.Patch16(0, static_cast<std::uint32_t>(kind.pageSize - page.Size()));
        page.Patch16(2, static_cast<std::uint32_t>(count));
        page.Patch16(4, first.number);
        page.PutZeros(kind.pageSize - page.Size());
        level.push_back({PageNumber(pages.size()), first.firstKey});
        pages.push_back(page.Take());
    }
    return level;
}

}  // namespace

Bytes BuildBTree(const BTreeKind& kind, const std::vector<BTreeEntry>& entries)
{
    if (kind.structure.size() > 16 || kind.pageSize <= kLeafPageHeaderSize) {
        throw HelpFormatError("unusable B+ tree kind");
    }
    for (const BTreeEntry& entry : entries) {
        if (entry.key.empty()) {
            throw HelpFormatError("B+ tree entry without a key");
        }
    }
    std::vector<Bytes> pages;
    std::vector<PageRef> level = WriteLeafPages(kind, entries, pages);
    std::uint32_t levels = 1;
    while (level.size() > 1) {
        level = WriteIndexLevel(kind, level, pages);
        ++levels;
    }

    ByteWriter tree;
    tree.Put16(0x293B);
    tree.Put16(kind.flags);
    tree.Put16(kind.pageSize);
    tree.PutFixedText(kind.structure, 16);
    tree.Put16(0);
    tree.Put16(static_cast<std::uint32_t>(pages.size() - levels));  // page splits
    tree.Put16(level.front().number);                               // root page
    tree.Put16(kNoPage);
    tree.Put16(static_cast<std::uint32_t>(pages.size()));
    tree.Put16(levels);
    tree.Put32(static_cast<std::uint32_t>(entries.size()));
    for (const Bytes& page : pages) {
        tree.PutBytes(page);
    }
    return tree.Take();
}

// ---------------------------------------------------------------------------------------------
// The internal file system

Bytes BuildFileSystem(std::vector<InternalFile> files)
{
    std::sort(files.begin(), files.end(),
              [](const InternalFile& a, const InternalFile& b) { return a.name < b.name; });
    constexpr std::size_t kHeaderSize = 16;
    constexpr std::uint8_t kFileFlags = 4;
    constexpr std::uint64_t kLargest = std::numeric_limits<std::int32_t>::max();

    std::vector<BTreeEntry> directory;
    std::uint64_t offset = kHeaderSize;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].name.empty() || (i > 0 && files[i].name == files[i - 1].name)) {
            throw HelpFormatError("internal file names must be distinct and not empty");
        }
        ByteWriter key;
        key.PutTextZ(files[i].name);
        ByteWriter leaf;
        leaf.PutTextZ(files[i].name);
        leaf.Put32(static_cast<std::uint32_t>(offset));
        directory.push_back({key.Take(), leaf.Take()});
        offset += kFileHeaderSize + files[i].content.size();
        if (offset > kLargest) {
            throw HelpFormatError("help file too large");
        }
    }
    files.push_back({"", BuildBTree(kDirectoryTree, directory)});
    const std::uint64_t directoryStart = offset;
    const std::uint64_t total = offset + kFileHeaderSize + files.back().content.size();
    if (total > kLargest) {
        throw HelpFormatError("help file too large");
    }

    ByteWriter out;
    out.Put32(kHelpFileMagic);
    out.Put32(static_cast<std::uint32_t>(directoryStart));
    out.Put32(0xFFFFFFFF);  // no free blocks
    out.Put32(static_cast<std::uint32_t>(total));
    for (const InternalFile& file : files) {
        // Viewers take the reserved space as the file's extent, so nothing is reserved beyond it.
        out.Put32(static_cast<std::uint32_t>(kFileHeaderSize + file.content.size()));
        out.Put32(static_cast<std::uint32_t>(file.content.size()));
        out.Put8(kFileFlags);
        out.PutBytes(file.content);
    }
    return out.Take();
}

// ---------------------------------------------------------------------------------------------
// Topics

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::size_t kTopicHeaderData1Size = 28;
constexpr std::int32_t kBodySpacingAbove = 12;
constexpr std::size_t kFaceNameSize = 32;

struct TopicLink {
    std::uint8_t type = kRecordText;
    Bytes data1;
    Bytes data2;
    std::size_t topic = 0;  // index of the topic the link belongs to (topics.size() for the end)
    std::uint32_t topicPos = 0;
    std::uint32_t topicOffset = 0;

    std::size_t Size() const { return kTopicLinkHeaderSize + data1.size() + data2.size(); }
};

bool IsPrintable(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

void CheckText(std::string_view text, const std::string& where)
{
    if (!IsPrintable(text)) {
        throw HelpFormatError(where + ": text must be printable ASCII");
    }
}

// Checks what the file format cannot express and returns the hash of every topic's context.
std::map<std::string, std::int32_t> CheckDocument(const HelpDocument& document)
{
    if (document.topics.empty()) {
        throw HelpFormatError("a help file needs at least one topic");
    }
    CheckText(document.title, "help file title");
    CheckText(document.copyright, "copyright");
    std::map<std::string, std::int32_t> hashes;
    std::map<std::int32_t, std::string> byHash;
    std::set<std::uint32_t> numbers;
    for (const Topic& topic : document.topics) {
        const std::string where = "topic " + topic.contextName;
        if (!IsValidContextName(topic.contextName)) {
            throw HelpFormatError(where + ": context names are letters, digits, '.' and '_'");
        }
        const std::int32_t hash = ContextHash(topic.contextName);
        if (const auto clash = byHash.find(hash); clash != byHash.end()) {
            throw HelpFormatError(where + ": context name has the same hash as " + clash->second);
        }
        byHash[hash] = topic.contextName;
        hashes[topic.contextName] = hash;
        if (topic.contextNumber && !numbers.insert(*topic.contextNumber).second) {
            throw HelpFormatError(where + ": context number " + std::to_string(*topic.contextNumber) +
                                  " is given twice");
        }
        if (topic.title.empty()) {
            throw HelpFormatError(where + ": a topic needs a title");
        }
        CheckText(topic.title, where);
        if (topic.paragraphs.empty()) {
            throw HelpFormatError(where + ": a topic needs at least one paragraph");
        }
        for (const Paragraph& paragraph : topic.paragraphs) {
            for (const Span& span : paragraph.spans) {
                CheckText(span.text, where);
            }
        }
    }
    for (const Topic& topic : document.topics) {
        for (const Paragraph& paragraph : topic.paragraphs) {
            for (const Span& span : paragraph.spans) {
                if (span.jumpTo && !hashes.contains(*span.jumpTo)) {
                    throw HelpFormatError("topic " + topic.contextName + ": jump to unknown topic " +
                                          *span.jumpTo);
                }
            }
        }
    }
    if (numbers.size() > 0x7FFF) {
        throw HelpFormatError("too many context numbers");
    }
    return hashes;
}

// A displayable text record: LinkData2 holds NUL-terminated strings, LinkData1 the paragraph
// format and, after each string, the command that follows it.
TopicLink EncodeParagraph(const Paragraph& paragraph, const std::map<std::string, std::int32_t>& hashes)
{
    ByteWriter format;
    ByteWriter text;
    std::string pending;
    auto command = [&](std::initializer_list<std::uint32_t> bytes) {
        text.PutTextZ(pending);
        pending.clear();
        for (const std::uint32_t b : bytes) {
            format.Put8(b);
        }
    };

    const bool heading = paragraph.style == ParagraphStyle::kHeading;
    format.Put8(0x00);
    format.Put8(0x80);
    format.Put16(0);  // paragraph id
    constexpr std::uint16_t kSpacingAboveFollows = 0x0002;
    format.Put16(heading ? 0 : kSpacingAboveFollows);
    if (!heading) {
        PutCompressedSignedShort(format, kBodySpacingAbove);
    }

    const std::uint32_t font = heading ? kHeadingFont : kBodyFont;
    command({0x80, font & 0xFF, font >> 8});
    for (const Span& span : paragraph.spans) {
        if (span.jumpTo) {
            const auto hash = static_cast<std::uint32_t>(hashes.at(*span.jumpTo));
            command({0xE3, hash & 0xFF, (hash >> 8) & 0xFF, (hash >> 16) & 0xFF, hash >> 24});
            pending += span.text;
            command({0x89});
        } else {
            pending += span.text;
        }
    }
    command({0x82});
    command({0xFF});

    if (text.Size() > kTopicBlockSize) {
        throw HelpFormatError("a paragraph of " + std::to_string(text.Size()) + " characters is too long");
    }
    ByteWriter data1;
    PutCompressedSignedLong(data1, static_cast<std::int64_t>(format.Size()));
    PutCompressedUnsignedShort(data1, static_cast<std::int32_t>(text.Size()));
    data1.PutBytes(format.Data());
    TopicLink link;
    link.type = kRecordText;
    link.data1 = data1.Take();
    link.data2 = text.Take();
    return link;
}

TopicLink TopicHeaderLink(std::string_view title, std::size_t topic)
{
    TopicLink link;
    link.type = kRecordTopicHeader;
    link.data1.assign(kTopicHeaderData1Size, 0);
    ByteWriter text;
    text.PutText(title);
    link.data2 = text.Take();
    link.topic = topic;
    return link;
}

std::vector<TopicLink> EncodeTopics(const HelpDocument& document,
                                    const std::map<std::string, std::int32_t>& hashes)
{
    std::vector<TopicLink> links;
    for (std::size_t t = 0; t < document.topics.size(); ++t) {
        const Topic& topic = document.topics[t];
        links.push_back(TopicHeaderLink(topic.title, t));
        for (const Paragraph& paragraph : topic.paragraphs) {
            TopicLink link = EncodeParagraph(paragraph, hashes);
            link.topic = t;
            links.push_back(std::move(link));
        }
    }
    // Readers expect the last link to carry nothing but the end of the topic chain.
    links.push_back(TopicHeaderLink("", document.topics.size()));
    return links;
}

// Places links in 4 KB blocks without splitting any, and gives each its TOPICPOS (block and
// byte within the block's data) and TOPICOFFSET (block and characters before it in the block).
void LayOutLinks(std::vector<TopicLink>& links)
{
    constexpr std::size_t kBlockData = kTopicBlockSize - kTopicBlockHeaderSize;
    std::uint32_t block = 0;
    std::size_t used = 0;
    std::uint32_t characters = 0;
    for (TopicLink& link : links) {
        if (link.Size() > kBlockData) {
            throw HelpFormatError("a paragraph of " + std::to_string(link.Size()) +
                                  " bytes does not fit a topic block");
        }
        if (used + link.Size() > kBlockData) {
            ++block;
            used = 0;
            characters = 0;
        }
        if (block >= 0x10000) {
            throw HelpFormatError("too much topic text");
        }
        link.topicPos = block * kTopicPosPerBlock + static_cast<std::uint32_t>(kTopicBlockHeaderSize + used);
        link.topicOffset = block * kTopicOffsetPerBlock + characters;
        used += link.Size();
        if (link.type != kRecordTopicHeader) {
            characters += static_cast<std::uint32_t>(link.data2.size());
        }
    }
}

std::uint32_t BlockOf(const TopicLink& link)
{
    return link.topicPos / kTopicPosPerBlock;
}

void FillTopicHeaders(std::vector<TopicLink>& links)
{
    for (std::size_t i = 0; i < links.size(); ++i) {
        TopicLink& header = links[i];
        if (header.type != kRecordTopicHeader) {
            continue;
        }
        std::size_t end = i + 1;
        std::uint32_t topicSize = static_cast<std::uint32_t>(header.Size());
        while (end < links.size() && links[end].type != kRecordTopicHeader) {
            topicSize += static_cast<std::uint32_t>(links[end].Size());
            ++end;
        }
        const bool last = end >= links.size();
        ByteWriter data1;
        data1.Put32(last ? 0 : topicSize);
        data1.Put32(kNone);  // no browse sequence
        data1.Put32(kNone);
        data1.Put32(static_cast<std::uint32_t>(header.topic));
        data1.Put32(kNone);  // no non-scrolling region
        data1.Put32(i + 1 < end ? links[i + 1].topicPos : kNone);
        data1.Put32(last ? kNone : links[end].topicPos);
        header.data1 = data1.Take();
    }
}

Bytes WriteTopicFile(const std::vector<TopicLink>& links)
{
    ByteWriter out;
    std::uint32_t lastLinkBefore = kNone;
    std::uint32_t lastHeaderBefore = kNone;
    std::size_t i = 0;
    while (i < links.size()) {
        const std::uint32_t block = BlockOf(links[i]);
        const std::size_t blockStart = out.Size();
        out.Put32(lastLinkBefore);
        out.Put32(links[i].topicPos);
        out.Put32(lastHeaderBefore);
        for (; i < links.size() && BlockOf(links[i]) == block; ++i) {
            const TopicLink& link = links[i];
            out.Put32(static_cast<std::uint32_t>(link.Size()));
            out.Put32(static_cast<std::uint32_t>(link.data2.size()));
            out.Put32(i > 0 ? links[i - 1].topicPos : kNone);
            out.Put32(i + 1 < links.size() ? links[i + 1].topicPos : kNone);
            out.Put32(static_cast<std::uint32_t>(kTopicLinkHeaderSize + link.data1.size()));
            out.Put8(link.type);
            out.PutBytes(link.data1);
            out.PutBytes(link.data2);
            lastLinkBefore = link.topicPos;
            if (link.type == kRecordTopicHeader) {
                lastHeaderBefore = link.topicPos;
            }
        }
        // Whole blocks: readers copy a full block's data whatever the file's length.
        out.PutZeros(kTopicBlockSize - (out.Size() - blockStart));
    }
    return out.Take();
}

Bytes WriteSystemFile(const HelpDocument& document, std::uint32_t contentsOffset)
{
    ByteWriter out;
    out.Put16(kSystemMagic);
    out.Put16(kWinHelp4Minor);
    out.Put16(1);  // major
    out.Put32(0);  // generation date: none, so that a build is reproducible
    out.Put16(0);  // flags: topics uncompressed in 4 KB blocks
    auto record = [&out](std::uint16_t type, const Bytes& data) {
        out.Put16(type);
        out.Put16(static_cast<std::uint32_t>(data.size()));
        out.PutBytes(data);
    };
    auto text = [](std::string_view s) {
        ByteWriter w;
        w.PutTextZ(s);
        return w.Take();
    };
    constexpr std::uint16_t kTitleRecord = 1;
    constexpr std::uint16_t kCopyrightRecord = 2;
    constexpr std::uint16_t kContentsRecord = 3;
    record(kTitleRecord, text(document.title));
    if (!document.copyright.empty()) {
        record(kCopyrightRecord, text(document.copyright));
    }
    ByteWriter contents;
    contents.Put32(contentsOffset);
    record(kContentsRecord, contents.Data());
    return out.Take();
}

Bytes WriteFontFile()
{
    struct FontDescriptor {
        std::uint8_t attributes;  // bit 0 bold
        std::uint8_t halfPoints;
    };
    constexpr std::uint8_t kSwissFamily = 3;
    const FontDescriptor fonts[] = {{0, 20}, {1, 24}};  // kBodyFont, kHeadingFont
    ByteWriter out;
    out.Put16(1);  // face names
    out.Put16(std::size(fonts));
    out.Put16(8);  // face names follow this header
    out.Put16(8 + kFaceNameSize);
    out.PutFixedText("Arial", kFaceNameSize);
    for (const FontDescriptor& font : fonts) {
        out.Put8(font.attributes);
        out.Put8(font.halfPoints);
        out.Put8(kSwissFamily);
        out.Put16(0);     // face name index
        out.PutZeros(3);  // foreground black
        out.PutZeros(3);  // background, unused
    }
    return out.Take();
}

Bytes WriteContextTree(const HelpDocument& document, const std::map<std::string, std::int32_t>& hashes,
                       const std::vector<std::uint32_t>& topicOffsets)
{
    std::vector<std::pair<std::int32_t, std::uint32_t>> rows;
    for (std::size_t t = 0; t < document.topics.size(); ++t) {
        rows.emplace_back(hashes.at(document.topics[t].contextName), topicOffsets[t]);
    }
    std::sort(rows.begin(), rows.end());  // by signed hash, as viewers compare them
    std::vector<BTreeEntry> entries;
    for (const auto& [hash, offset] : rows) {
        ByteWriter key;
        key.Put32(static_cast<std::uint32_t>(hash));
        ByteWriter leaf;
        leaf.Put32(static_cast<std::uint32_t>(hash));
        leaf.Put32(offset);
        entries.push_back({key.Take(), leaf.Take()});
    }
    return BuildBTree(kContextTree, entries);
}

Bytes WriteTitleTree(const HelpDocument& document, const std::vector<std::uint32_t>& topicOffsets)
{
    std::vector<BTreeEntry> entries;
    for (std::size_t t = 0; t < document.topics.size(); ++t) {
        ByteWriter key;
        key.Put32(topicOffsets[t]);
        ByteWriter leaf;
        leaf.Put32(topicOffsets[t]);
        leaf.PutTextZ(document.topics[t].title);
        entries.push_back({key.Take(), leaf.Take()});
    }
    return BuildBTree(kTitleTree, entries);  // topic offsets grow with the topics
}

Bytes WriteContextMap(const HelpDocument& document, const std::vector<std::uint32_t>& topicOffsets)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rows;
    for (std::size_t t = 0; t < document.topics.size(); ++t) {
        if (document.topics[t].contextNumber) {
            rows.emplace_back(*document.topics[t].contextNumber, topicOffsets[t]);
        }
    }
    std::sort(rows.begin(), rows.end());
    ByteWriter out;
    out.Put16(static_cast<std::uint32_t>(rows.size()));
    for (const auto& [number, offset] : rows) {
        out.Put32(number);
        out.Put32(offset);
    }
    return out.Take();
}

}  // namespace

Bytes BuildHelpFile(const HelpDocument& document)
{
    const std::map<std::string, std::int32_t> hashes = CheckDocument(document);
    std::vector<TopicLink> links = EncodeTopics(document, hashes);
    LayOutLinks(links);
    FillTopicHeaders(links);

    std::vector<std::uint32_t> topicOffsets;
    for (const TopicLink& link : links) {
        if (link.type == kRecordTopicHeader && link.topic < document.topics.size()) {
            topicOffsets.push_back(link.topicOffset);
        }
    }

    std::vector<InternalFile> files;
    files.push_back({"|SYSTEM", WriteSystemFile(document, topicOffsets.front())});
    files.push_back({"|TOPIC", WriteTopicFile(links)});
    files.push_back({"|FONT", WriteFontFile()});
    files.push_back({"|CONTEXT", WriteContextTree(document, hashes, topicOffsets)});
    files.push_back({"|CTXOMAP", WriteContextMap(document, topicOffsets)});
    files.push_back({"|TTLBTREE", WriteTitleTree(document, topicOffsets)});
    return BuildFileSystem(std::move(files));
}

}  // namespace hlp
