#include "hlp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hlp_reader.h"

namespace {

using hlp::ByteWriter;
using hlp::HelpFormatError;
using hlp_test::BTreeReader;
using hlp_test::Cursor;
using hlp_test::HelpFileReader;

hlp::BTreeEntry LongEntry(std::int32_t key, std::uint32_t data)
{
    ByteWriter k;
    k.Put32(static_cast<std::uint32_t>(key));
    ByteWriter leaf;
    leaf.Put32(static_cast<std::uint32_t>(key));
    leaf.Put32(data);
    return {k.Take(), leaf.Take()};
}

std::vector<std::uint8_t> LongKey(std::int32_t key)
{
    ByteWriter k;
    k.Put32(static_cast<std::uint32_t>(key));
    return k.Take();
}

hlp::Paragraph Text(std::string text)
{
    return {hlp::ParagraphStyle::kBody, {{std::move(text), std::nullopt}}};
}

TEST(CompressedNumbers, ReadBackAtTheBoundariesOfTheirShortAndLongForms)
{
    for (const std::int32_t value : {0, 1, 127, 128, 300, 32767}) {
        ByteWriter out;
        hlp::PutCompressedUnsignedShort(out, value);
        Cursor in(out.Data());
        EXPECT_EQ(in.CompressedUnsignedShort(), value);
        EXPECT_EQ(out.Size(), value <= 127 ? 1u : 2u) << value;
    }
    for (const std::int32_t value : {-16384, -65, -64, 0, 63, 64, 16383}) {
        ByteWriter out;
        hlp::PutCompressedSignedShort(out, value);
        Cursor in(out.Data());
        EXPECT_EQ(in.CompressedSignedShort(), value);
        EXPECT_EQ(out.Size(), value >= -64 && value <= 63 ? 1u : 2u) << value;
    }
    for (const std::int64_t value : {0LL, 32767LL, 32768LL, 0x7FFFFFFFLL}) {
        ByteWriter out;
        hlp::PutCompressedUnsignedLong(out, value);
        Cursor in(out.Data());
        EXPECT_EQ(in.CompressedUnsignedLong(), value);
    }
    for (const std::int64_t value :
         {-0x40000000LL, -16385LL, -16384LL, 0LL, 16383LL, 16384LL, 0x3FFFFFFFLL}) {
        ByteWriter out;
        hlp::PutCompressedSignedLong(out, value);
        Cursor in(out.Data());
        EXPECT_EQ(in.CompressedSignedLong(), value);
        EXPECT_EQ(out.Size(), value >= -16384 && value <= 16383 ? 2u : 4u) << value;
    }
}

TEST(CompressedNumbers, RefuseValuesOutsideTheirRange)
{
    ByteWriter out;
    EXPECT_THROW(hlp::PutCompressedUnsignedShort(out, -1), HelpFormatError);
    EXPECT_THROW(hlp::PutCompressedUnsignedShort(out, 32768), HelpFormatError);
    EXPECT_THROW(hlp::PutCompressedSignedShort(out, 16384), HelpFormatError);
    EXPECT_THROW(hlp::PutCompressedSignedLong(out, 0x40000000LL), HelpFormatError);
    EXPECT_THROW(hlp::PutCompressedUnsignedLong(out, 0x80000000LL), HelpFormatError);
    EXPECT_EQ(out.Size(), 0u);
}

TEST(ContextHash, WeighsLettersWithoutCaseAndDigitsPointAndUnderscore)
{
    EXPECT_EQ(hlp::ContextHash("a"), 17);
    EXPECT_EQ(hlp::ContextHash("A"), 17);
    EXPECT_EQ(hlp::ContextHash("ab"), 17 * 43 + 18);
    EXPECT_EQ(hlp::ContextHash("Z0"), 42 * 43 + 10);
    EXPECT_EQ(hlp::ContextHash("_.9"), (13 * 43 + 12) * 43 + 9);
    EXPECT_EQ(hlp::ContextHash("screen_area"), hlp::ContextHash("SCREEN_AREA"));
    // Long names wrap around 32 bits as the viewer's arithmetic does.
    EXPECT_EQ(hlp::ContextHash("zzzzzzz"), static_cast<std::int32_t>(0x49A6D9A2u));
    EXPECT_EQ(hlp::ContextHash("screen_area"), static_cast<std::int32_t>(0xADDFAE2Eu));
    EXPECT_THROW(hlp::ContextHash(""), HelpFormatError);
    EXPECT_THROW(hlp::ContextHash("screen area"), HelpFormatError);
}

TEST(BTree, FewEntriesFitOneLeafThatIsTheRoot)
{
    const std::vector<hlp::BTreeEntry> entries = {LongEntry(-5, 1), LongEntry(3, 2), LongEntry(9, 3)};
    const hlp::Bytes bytes = hlp::BuildBTree(hlp::kContextTree, entries);
    ASSERT_EQ(bytes.size(), hlp::kBTreeHeaderSize + hlp::kContextTree.pageSize);

    const BTreeReader tree(bytes);
    EXPECT_EQ(tree.GetHeader().structure, "L4");
    EXPECT_EQ(tree.GetHeader().levels, 1);
    EXPECT_EQ(tree.GetHeader().totalPages, 1);
    EXPECT_EQ(tree.GetHeader().rootPage, 0);
    EXPECT_EQ(tree.Entries().size(), 3u);
    const auto found = tree.Find(LongKey(3));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ((*found)[4], 2);
    EXPECT_FALSE(tree.Find(LongKey(4)).has_value());
    for (const auto& [claimed, left] : tree.PageFreeSpace()) {
        EXPECT_EQ(claimed, left);
    }
}

TEST(BTree, ManyEntriesGrowIndexLevelsThatStillFindEveryKey)
{
    // 255 entries fill a 2 KB leaf and 340 keys an index page, so this needs three levels.
    std::vector<hlp::BTreeEntry> entries;
    for (std::int32_t i = 0; i < 90000; ++i) {
        entries.push_back(LongEntry(i * 2 - 90000, static_cast<std::uint32_t>(i)));
    }
    const hlp::Bytes bytes = hlp::BuildBTree(hlp::kContextTree, entries);
    const BTreeReader tree(bytes);
    EXPECT_EQ(tree.GetHeader().levels, 3);
    EXPECT_EQ(tree.GetHeader().rootPage, tree.GetHeader().totalPages - 1);

    const auto all = tree.Entries();
    ASSERT_EQ(all.size(), entries.size());
    for (std::size_t i = 0; i < all.size(); i += 997) {
        EXPECT_TRUE(std::equal(all[i].begin(), all[i].end(), entries[i].leaf.begin())) << i;
    }
    for (std::int32_t i = 0; i < 90000; i += 331) {
        const auto found = tree.Find(LongKey(i * 2 - 90000));
        ASSERT_TRUE(found.has_value()) << i;
        EXPECT_EQ(Cursor(found->subspan(4)).U32(), static_cast<std::uint32_t>(i));
        EXPECT_FALSE(tree.Find(LongKey(i * 2 - 89999)).has_value()) << i;
    }
    EXPECT_FALSE(tree.Find(LongKey(-90001)).has_value());
    EXPECT_FALSE(tree.Find(LongKey(90000)).has_value());
    for (const auto& [claimed, left] : tree.PageFreeSpace()) {
        EXPECT_EQ(claimed, left);
    }
    EXPECT_EQ(tree.PageFreeSpace().size(), tree.GetHeader().totalPages);
}

TEST(BTree, RefusesAnEntryLargerThanAPage)
{
    ByteWriter key;
    key.PutTextZ("x");
    ByteWriter leaf;
    leaf.PutTextZ(std::string(2000, 'x'));
    leaf.Put32(0);
    EXPECT_THROW(hlp::BuildBTree(hlp::kDirectoryTree, {{key.Take(), leaf.Take()}}), HelpFormatError);
}

TEST(FileSystem, DirectoryListsTheFilesInOrderEachWithinTheFile)
{
    const hlp::Bytes file =
        hlp::BuildFileSystem({{"|b", {1, 2, 3}}, {"|a", {}}, {"|SYSTEM", hlp::Bytes(5000, 7)}});
    HelpFileReader reader(file);
    EXPECT_EQ(reader.DeclaredSize(), file.size());
    EXPECT_EQ(reader.InternalFileNames(), (std::vector<std::string>{"|SYSTEM", "|a", "|b"}));
    EXPECT_EQ(reader.InternalFile("|b").size(), 3u);
    EXPECT_EQ(reader.InternalFile("|b")[2], 3);
    EXPECT_EQ(reader.InternalFile("|SYSTEM").size(), 5000u);
    const auto [reserved, used] = reader.InternalFileSizes("|a");
    EXPECT_EQ(reserved, used + hlp::kFileHeaderSize);
    EXPECT_THROW(reader.InternalFile("|c"), hlp_test::ReadError);

    EXPECT_THROW(hlp::BuildFileSystem({{"|a", {}}, {"|a", {}}}), HelpFormatError);
}

TEST(HelpFile, RefusesWhatTheFormatCannotHold)
{
    const hlp::HelpDocument good{"Title", "", {{"first", 1, "First", {Text("text")}}}};
    ASSERT_NO_THROW(hlp::BuildHelpFile(good));

    auto refused = [&good](auto change) {
        hlp::HelpDocument document = good;
        change(document);
        EXPECT_THROW(hlp::BuildHelpFile(document), HelpFormatError);
    };
    refused([](hlp::HelpDocument& d) { d.topics.clear(); });
    refused([](hlp::HelpDocument& d) { d.topics[0].paragraphs.clear(); });
    refused([](hlp::HelpDocument& d) { d.topics[0].title.clear(); });
    refused([](hlp::HelpDocument& d) { d.topics[0].contextName = "two words"; });
    refused([](hlp::HelpDocument& d) { d.topics.push_back({"FIRST", std::nullopt, "Again", {Text("x")}}); });
    refused([](hlp::HelpDocument& d) { d.topics.push_back({"second", 1, "Same number", {Text("x")}}); });
    refused([](hlp::HelpDocument& d) { d.topics[0].paragraphs[0].spans.push_back({"see", "nowhere"}); });
    refused([](hlp::HelpDocument& d) { d.topics[0].paragraphs[0].spans[0].text = "caf\xC3\xA9"; });
    refused([](hlp::HelpDocument& d) { d.title = "tab\there"; });
    refused([](hlp::HelpDocument& d) { d.topics[0].paragraphs.push_back(Text(std::string(5000, 'x'))); });
}

TEST(HelpFile, TopicsSpreadOverBlocksStayReachableByNameNumberAndTitle)
{
    hlp::HelpDocument document{"Big", "(c) nobody", {}};
    for (int t = 0; t < 6; ++t) {
        hlp::Topic topic{"topic_" + std::to_string(t),
                         static_cast<std::uint32_t>(100 + t),
                         "Topic " + std::to_string(t),
                         {}};
        for (int p = 0; p < 12; ++p) {
            topic.paragraphs.push_back(Text(std::string(150 + 10 * p, static_cast<char>('a' + t))));
        }
        topic.paragraphs.push_back(
            {hlp::ParagraphStyle::kBody,
             {{"next: ", std::nullopt}, {"here", "topic_" + std::to_string((t + 1) % 6)}}});
        document.topics.push_back(std::move(topic));
    }
    const hlp::Bytes file = hlp::BuildHelpFile(document);
    const HelpFileReader reader(file);
    const auto topics = reader.Topics();
    ASSERT_EQ(topics.size(), document.topics.size() + 1);
    EXPECT_TRUE(topics.back().title.empty());
    EXPECT_TRUE(topics.back().paragraphs.empty());

    std::uint32_t highestBlock = 0;
    const auto titles = reader.Titles();
    for (std::size_t t = 0; t < document.topics.size(); ++t) {
        const hlp::Topic& topic = document.topics[t];
        EXPECT_EQ(topics[t].title, topic.title);
        EXPECT_EQ(topics[t].topicNumber, t);
        EXPECT_EQ(topics[t].nextTopicPos, topics[t + 1].topicPos);
        EXPECT_EQ(topics[t].paragraphs.size(), topic.paragraphs.size());
        EXPECT_EQ(topics[t].paragraphs[3].text, topic.paragraphs[3].spans[0].text);
        EXPECT_EQ(reader.TopicOffsetOfHash(hlp::ContextHash(topic.contextName)), topics[t].topicOffset);
        EXPECT_EQ(reader.TopicOffsetOfNumber(*topic.contextNumber), topics[t].topicOffset);
        EXPECT_EQ(titles.at(topics[t].topicOffset), topic.title);
        const auto jumps = topics[t].paragraphs.back().jumpHashes;
        ASSERT_EQ(jumps.size(), 1u);
        EXPECT_EQ(reader.TopicOffsetOfHash(jumps[0]), topics[(t + 1) % 6].topicOffset);
        highestBlock = std::max(highestBlock, topics[t].topicOffset / hlp::kTopicOffsetPerBlock);
    }
    EXPECT_GE(highestBlock, 3u);
    EXPECT_EQ(reader.System().contentsOffset, topics[0].topicOffset);
    EXPECT_EQ(reader.InternalFile("|TOPIC").size() % hlp::kTopicBlockSize, 0u);
}

}  // namespace
