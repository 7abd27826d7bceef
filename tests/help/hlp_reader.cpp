#include "hlp_reader.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace hlp_test {

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kFileHeaderSize = 9;
constexpr std::size_t kBTreeHeaderSize = 38;
constexpr std::size_t kTopicBlockSize = 4096;
constexpr std::size_t kTopicBlockHeaderSize = 12;
constexpr std::size_t kTopicLinkHeaderSize = 21;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint16_t kNoPage = 0xFFFF;

std::uint32_t Read32(ByteSpan bytes, std::size_t offset)
{
    Cursor cursor(bytes);
    cursor.Skip(offset);
    return cursor.U32();
}

Bytes KeyOf(std::string_view name)
{
    Bytes key(name.begin(), name.end());
    key.push_back(0);
    return key;
}

Bytes KeyOf(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

}  // namespace

// ---------------------------------------------------------------------------------------------

ByteSpan Cursor::Take(std::size_t count)
{
    if (count > Remaining()) {
        throw ReadError("read of " + std::to_string(count) + " bytes at " + std::to_string(offset_) +
                        " past the end (" + std::to_string(bytes_.size()) + ")");
    }
    const ByteSpan taken = bytes_.subspan(offset_, count);
    offset_ += count;
    return taken;
}

std::uint8_t Cursor::U8()
{
    return Take(1)[0];
}

std::uint16_t Cursor::U16()
{
    const ByteSpan b = Take(2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Cursor::U32()
{
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
}

std::string Cursor::StringZ()
{
    const ByteSpan rest = bytes_.subspan(offset_);
    const auto nul = std::find(rest.begin(), rest.end(), 0);
    if (nul == rest.end()) {
        throw ReadError("string without its NUL at " + std::to_string(offset_));
    }
    const ByteSpan text = Take(static_cast<std::size_t>(nul - rest.begin()));
    Skip(1);
    return std::string(text.begin(), text.end());
}

std::int32_t Cursor::CompressedUnsignedShort()
{
    const std::uint8_t first = U8();
    if ((first & 1) == 0) {
        return first / 2;
    }
    return (first + 256 * U8()) / 2;
}

std::int32_t Cursor::CompressedSignedShort()
{
    const std::uint8_t first = U8();
    if ((first & 1) == 0) {
        return first / 2 - 0x40;
    }
    return (first + 256 * U8()) / 2 - 0x4000;
}

std::int64_t Cursor::CompressedUnsignedLong()
{
    const std::uint16_t low = U16();
    if ((low & 1) == 0) {
        return low / 2;
    }
    return (low + 65536LL * U16()) / 2;
}

std::int64_t Cursor::CompressedSignedLong()
{
    const std::uint16_t low = U16();
    if ((low & 1) == 0) {
        return low / 2 - 0x4000;
    }
    return (low + 65536LL * U16()) / 2 - 0x40000000LL;
}

// ---------------------------------------------------------------------------------------------

BTreeReader::BTreeReader(ByteSpan tree)
{
    Cursor c(tree);
    if (c.U16() != 0x293B) {
        throw ReadError("not a B+ tree");
    }
    header_.flags = c.U16();
    header_.pageSize = c.U16();
    const ByteSpan structure = c.Take(16);
    header_.structure.assign(structure.begin(), std::find(structure.begin(), structure.end(), 0));
    c.Skip(4);  // must-be-zero, page splits
    header_.rootPage = c.U16();
    c.Skip(2);  // must-be-minus-one
    header_.totalPages = c.U16();
    header_.levels = c.U16();
    header_.totalEntries = c.U32();
    if (header_.structure.empty() || header_.pageSize < 8 || header_.levels == 0 ||
        header_.rootPage >= header_.totalPages) {
        throw ReadError("B+ tree header out of bounds");
    }
    pages_ = c.Take(std::size_t{header_.totalPages} * header_.pageSize);
}

ByteSpan BTreeReader::Page(std::size_t number) const
{
    if (number >= header_.totalPages) {
        throw ReadError("B+ tree page " + std::to_string(number) + " of " +
                        std::to_string(header_.totalPages));
    }
    return pages_.subspan(number * header_.pageSize, header_.pageSize);
}

std::size_t BTreeReader::KeySize(ByteSpan at) const
{
    switch (header_.structure[0]) {
        case 'L':
            Cursor(at).Take(4);
            return 4;
        case 'z':
        case 'F':
        case 'i': {
            Cursor c(at);
            return c.StringZ().size() + 1;
        }
        default:
            throw ReadError("unknown key format " + header_.structure);
    }
}

std::size_t BTreeReader::LeafSize(ByteSpan at) const
{
    Cursor c(at);
    c.Skip(KeySize(at));
    for (const char field : std::string_view(header_.structure).substr(1)) {
        switch (field) {
            case '2':
                c.Skip(2);
                break;
            case '4':
                c.Skip(4);
                break;
            case 'z':
                c.StringZ();
                break;
            default:
                throw ReadError("unknown data format " + header_.structure);
        }
    }
    return c.Offset();
}

int BTreeReader::CompareKeys(ByteSpan a, ByteSpan b) const
{
    if (header_.structure[0] == 'L') {
        const auto x = static_cast<std::int32_t>(Read32(a, 0));
        const auto y = static_cast<std::int32_t>(Read32(b, 0));
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const std::size_t n = std::min(KeySize(a), KeySize(b));
    return std::memcmp(a.data(), b.data(), n);
}

std::size_t BTreeReader::FirstLeaf() const
{
    std::size_t page = header_.rootPage;
    for (std::size_t level = 1; level < header_.levels; ++level) {
        Cursor c(Page(page));
        c.Skip(4);
        page = c.U16();
    }
    return page;
}

std::vector<ByteSpan> BTreeReader::Entries() const
{
    std::vector<ByteSpan> entries;
    std::size_t page = FirstLeaf();
    for (std::size_t visited = 0; page != kNoPage; ++visited) {
        if (visited >= header_.totalPages) {
            throw ReadError("B+ tree leaves form a loop");
        }
        Cursor c(Page(page));
        c.Skip(2);
        const auto count = static_cast<std::int16_t>(c.U16());
        c.Skip(2);
        const std::uint16_t next = c.U16();
        for (std::int16_t i = 0; i < count; ++i) {
            const ByteSpan rest = Page(page).subspan(c.Offset());
            entries.push_back(c.Take(LeafSize(rest)));
        }
        page = next;
    }
    if (entries.size() != header_.totalEntries) {
        throw ReadError("B+ tree holds " + std::to_string(entries.size()) + " entries, header says " +
                        std::to_string(header_.totalEntries));
    }
    return entries;
}

std::optional<ByteSpan> BTreeReader::Find(ByteSpan key) const
{
    std::size_t page = header_.rootPage;
    for (std::size_t level = 1; level < header_.levels; ++level) {
        Cursor c(Page(page));
        c.Skip(2);
        const auto count = static_cast<std::int16_t>(c.U16());
        std::size_t child = c.U16();
        for (std::int16_t i = 0; i < count; ++i) {
            const ByteSpan at = Page(page).subspan(c.Offset());
            if (CompareKeys(at, key) > 0) {
                break;
            }
            c.Skip(KeySize(at));
            child = c.U16();
        }
        page = child;
    }
    Cursor c(Page(page));
    c.Skip(2);
    const auto count = static_cast<std::int16_t>(c.U16());
    c.Skip(4);
    for (std::int16_t i = 0; i < count; ++i) {
        const ByteSpan at = Page(page).subspan(c.Offset());
        const ByteSpan entry = c.Take(LeafSize(at));
        const int order = CompareKeys(entry, key);
        if (order == 0) {
            return entry;
        }
        if (order > 0) {
            break;
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::size_t, std::size_t>> BTreeReader::PageFreeSpace() const
{
    std::vector<std::pair<std::size_t, std::size_t>> result;
    std::deque<std::pair<std::size_t, std::size_t>> pending{{header_.rootPage, header_.levels}};
    while (!pending.empty()) {
        const auto [page, level] = pending.front();
        pending.pop_front();
        if (result.size() >= header_.totalPages) {
            throw ReadError("B+ tree pages are reached more than once");
        }
        Cursor c(Page(page));
        const std::uint16_t claimed = c.U16();
        const auto count = static_cast<std::int16_t>(c.U16());
        if (level == 1) {
            c.Skip(4);
            for (std::int16_t i = 0; i < count; ++i) {
                c.Skip(LeafSize(Page(page).subspan(c.Offset())));
            }
        } else {
            pending.emplace_back(c.U16(), level - 1);
            for (std::int16_t i = 0; i < count; ++i) {
                c.Skip(KeySize(Page(page).subspan(c.Offset())));
                pending.emplace_back(c.U16(), level - 1);
            }
        }
        result.emplace_back(claimed, c.Remaining());
    }
    return result;
}

// ---------------------------------------------------------------------------------------------

HelpFileReader::HelpFileReader(Bytes file) : file_(std::move(file))
{
    Cursor c(file_);
    if (c.U32() != 0x00035F3F) {
        throw ReadError("not a help file");
    }
}

std::uint32_t HelpFileReader::DeclaredSize() const
{
    return Read32(file_, 12);
}

std::vector<std::string> HelpFileReader::InternalFileNames() const
{
    const std::uint32_t start = Read32(file_, 4);
    Cursor header(file_);
    header.Skip(start);
    header.Skip(4);
    const std::uint32_t used = header.U32();
    header.Skip(1);
    BTreeReader directory(header.Take(used));
    std::vector<std::string> names;
    for (const ByteSpan entry : directory.Entries()) {
        Cursor c(entry);
        names.push_back(c.StringZ());
    }
    return names;
}

std::size_t HelpFileReader::InternalFileStart(std::string_view name) const
{
    Cursor header(file_);
    header.Skip(Read32(file_, 4));
    header.Skip(4);
    const std::uint32_t used = header.U32();
    header.Skip(1);
    BTreeReader directory(header.Take(used));
    const Bytes key = KeyOf(name);
    const auto entry = directory.Find(key);
    if (!entry) {
        throw ReadError("no internal file " + std::string(name));
    }
    return Read32(*entry, key.size());
}

std::pair<std::uint32_t, std::uint32_t> HelpFileReader::InternalFileSizes(std::string_view name) const
{
    const std::size_t start = InternalFileStart(name);
    return {Read32(file_, start), Read32(file_, start + 4)};
}

ByteSpan HelpFileReader::InternalFile(std::string_view name) const
{
    const std::size_t start = InternalFileStart(name);
    Cursor c(file_);
    c.Skip(start);
    const std::uint32_t reserved = c.U32();
    const std::uint32_t used = c.U32();
    c.Skip(1);
    if (used > reserved || reserved - used < kFileHeaderSize) {
        throw ReadError(std::string(name) + ": used size beyond the reserved space");
    }
    return c.Take(used);
}

SystemInfo HelpFileReader::System() const
{
    Cursor c(InternalFile("|SYSTEM"));
    if (c.U16() != 0x036C) {
        throw ReadError("|SYSTEM magic");
    }
    SystemInfo info;
    info.minor = c.U16();
    c.Skip(2 + 4);  // major, generation date
    info.flags = c.U16();
    if (info.minor <= 16) {
        info.title = c.StringZ();
        return info;
    }
    while (c.Remaining() > 0) {
        const std::uint16_t type = c.U16();
        const std::uint16_t size = c.U16();
        Cursor data(c.Take(size));
        switch (type) {
            case 1:
                info.title = data.StringZ();
                break;
            case 2:
                info.copyright = data.StringZ();
                break;
            case 3:
                info.contentsOffset = data.U32();
                break;
            default:
                break;
        }
    }
    return info;
}

std::optional<std::uint32_t> HelpFileReader::TopicOffsetOfHash(std::int32_t hash) const
{
    const BTreeReader context(InternalFile("|CONTEXT"));
    const auto entry = context.Find(KeyOf(hash));
    if (!entry) {
        return std::nullopt;
    }
    return Read32(*entry, 4);
}

std::optional<std::uint32_t> HelpFileReader::TopicOffsetOfNumber(std::uint32_t number) const
{
    Cursor c(InternalFile("|CTXOMAP"));
    const std::uint16_t count = c.U16();
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint32_t mapped = c.U32();
        const std::uint32_t offset = c.U32();
        if (mapped == number) {
            return offset;
        }
    }
    return std::nullopt;
}

std::map<std::uint32_t, std::string> HelpFileReader::Titles() const
{
    std::map<std::uint32_t, std::string> titles;
    for (const ByteSpan entry : BTreeReader(InternalFile("|TTLBTREE")).Entries()) {
        Cursor c(entry);
        const std::uint32_t offset = c.U32();
        titles[offset] = c.StringZ();
    }
    return titles;
}

namespace {

Paragraph ReadParagraph(ByteSpan linkData1, ByteSpan linkData2)
{
    Paragraph paragraph;
    Cursor format(linkData1);
    format.CompressedSignedLong();  // topic size
    paragraph.topicLength = format.CompressedUnsignedShort();
    format.Skip(4);  // two unknown bytes and the paragraph id
    const std::uint16_t bits = format.U16();
    if (bits & 0x0001) {
        format.CompressedSignedLong();
    }
    for (std::uint16_t bit = 0x0002; bit <= 0x0040; bit <<= 1) {
        if (bits & bit) {
            format.CompressedSignedShort();
        }
    }
    if (bits & 0x0100) {
        format.Skip(3);
    }
    if (bits & 0x0200) {
        const std::int32_t tabs = format.CompressedSignedShort();
        for (std::int32_t i = 0; i < tabs; ++i) {
            if (format.CompressedUnsignedShort() & 0x4000) {
                format.CompressedUnsignedShort();
            }
        }
    }
    Cursor text(linkData2);
    for (;;) {
        paragraph.text += text.StringZ();
        const std::uint8_t command = format.U8();
        switch (command) {
            case 0xFF:
                return paragraph;
            case 0x80:
                paragraph.fonts.push_back(format.U16());
                break;
            case 0x81:
                paragraph.text += '\n';
                break;
            case 0x83:
                paragraph.text += '\t';
                break;
            case 0x8B:
                paragraph.text += ' ';
                break;
            case 0x82:
            case 0x89:
            case 0x8C:
                break;
            case 0xE2:
            case 0xE3:
            case 0xE6:
            case 0xE7:
                paragraph.jumpHashes.push_back(static_cast<std::int32_t>(format.U32()));
                break;
            default:
                throw ReadError("unknown formatting command " + std::to_string(command));
        }
    }
}

}  // namespace

std::vector<TopicRecord> HelpFileReader::Topics() const
{
    const SystemInfo system = System();
    if (system.minor <= 16 || system.flags != 0) {
        throw ReadError("only uncompressed topics in 4 KB blocks are read here");
    }
    const ByteSpan topic = InternalFile("|TOPIC");
    auto blockData = [&topic](std::size_t block) {
        const std::size_t start = block * kTopicBlockSize + kTopicBlockHeaderSize;
        if (start > topic.size()) {
            throw ReadError("topic block " + std::to_string(block) + " past the end of |TOPIC");
        }
        return topic.subspan(start, std::min(kTopicBlockSize - kTopicBlockHeaderSize, topic.size() - start));
    };

    std::vector<TopicRecord> topics;
    std::uint32_t pos = Read32(topic, 4);  // the first block's FirstTopicLink
    std::size_t currentBlock = 0;
    std::uint32_t characters = 0;
    for (std::size_t links = 0; pos != kNone; ++links) {
        if (links > topic.size() / kTopicLinkHeaderSize || pos < kTopicBlockHeaderSize) {
            throw ReadError("topic chain does not end");
        }
        const std::size_t block = (pos - kTopicBlockHeaderSize) / 0x4000;
        const std::size_t within = (pos - kTopicBlockHeaderSize) % 0x4000;
        Cursor c(blockData(block));
        c.Skip(within);
        const std::uint32_t blockSize = c.U32();
        const std::uint32_t dataLen2 = c.U32();
        c.Skip(4);  // previous link
        const std::uint32_t next = c.U32();
        const std::uint32_t dataLen1 = c.U32();
        const std::uint8_t type = c.U8();
        if (dataLen1 < kTopicLinkHeaderSize || blockSize < dataLen1 || dataLen2 != blockSize - dataLen1) {
            throw ReadError("topic link sizes out of bounds at " + std::to_string(pos));
        }
        const ByteSpan linkData1 = c.Take(dataLen1 - kTopicLinkHeaderSize);
        const ByteSpan linkData2 = c.Take(dataLen2);
        if (block != currentBlock) {
            currentBlock = block;
            characters = 0;
        }
        const auto topicOffset = static_cast<std::uint32_t>(block * 0x8000 + characters);
        if (type == 0x02) {
            Cursor header(linkData1);
            TopicRecord record;
            record.title.assign(linkData2.begin(), std::find(linkData2.begin(), linkData2.end(), 0));
            record.topicOffset = topicOffset;
            record.topicPos = pos;
            header.Skip(12);  // block size, browse sequence
            record.topicNumber = header.U32();
            header.Skip(4);  // non-scrolling region
            record.scrollPos = header.U32();
            record.nextTopicPos = header.U32();
            topics.push_back(std::move(record));
        } else if (type == 0x20) {
            if (topics.empty()) {
                throw ReadError("text before the first topic header");
            }
            Paragraph paragraph = ReadParagraph(linkData1, linkData2);
            characters += static_cast<std::uint32_t>(paragraph.topicLength);
            topics.back().paragraphs.push_back(std::move(paragraph));
        } else {
            throw ReadError("topic record type " + std::to_string(type) + " is not read here");
        }
        pos = next;
    }
    return topics;
}

std::optional<TopicRecord> HelpFileReader::TopicAt(std::uint32_t topicOffset) const
{
    std::optional<TopicRecord> found;
    for (TopicRecord& record : Topics()) {
        if (record.topicOffset <= topicOffset && (!found || found->topicOffset < record.topicOffset)) {
            found = std::move(record);
        }
    }
    return found;
}

}  // namespace hlp_test
