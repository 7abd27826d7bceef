// The help file the build makes, read back: what WinHelp needs to find the topic the component
// asks for, and what that topic tells the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "help_source.h"
#include "hlp_reader.h"
#include "hlp_writer.h"
#include "kvsettng/control_ids.h"
#include "page/page_routing.h"

namespace {

using hlp_test::HelpFileReader;
using hlp_test::TopicRecord;

hlp_test::Bytes ReadBuiltFile()
{
    std::ifstream in(KV_HELP_FILE, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string AllText(const TopicRecord& topic)
{
    std::string text;
    for (const auto& paragraph : topic.paragraphs) {
        text += paragraph.text + "\n";
    }
    return text;
}

class BuiltHelpFile : public ::testing::Test {
protected:
    const hlp_test::Bytes bytes_ = ReadBuiltFile();
    const HelpFileReader reader_{bytes_};
};

TEST_F(BuiltHelpFile, IsAWinHelp4FileWithTheInternalFilesAViewerReads)
{
    ASSERT_GT(bytes_.size(), 16u) << KV_HELP_FILE;
    EXPECT_EQ(reader_.DeclaredSize(), bytes_.size());
    EXPECT_EQ(reader_.InternalFileNames(),
              (std::vector<std::string>{"|CONTEXT", "|CTXOMAP", "|FONT", "|SYSTEM", "|TOPIC", "|TTLBTREE"}));
    const auto system = reader_.System();
    EXPECT_EQ(system.minor, hlp::kWinHelp4Minor);
    EXPECT_EQ(system.flags, 0);
    EXPECT_EQ(system.title, "Screen Area Help");
}

TEST_F(BuiltHelpFile, ContextNumber150OpensTheScreenAreaTopic)
{
    const auto offset = reader_.TopicOffsetOfNumber(kScreenAreaHelpContext);
    ASSERT_TRUE(offset.has_value());
    const auto topic = reader_.TopicAt(*offset);
    ASSERT_TRUE(topic.has_value());
    EXPECT_EQ(topic->topicOffset, *offset);
    EXPECT_EQ(topic->title, "Screen area");
    EXPECT_EQ(reader_.TopicOffsetOfHash(hlp::ContextHash("screen_area")), offset);

    const std::string text = AllText(*topic);
    for (const char* told : {"Less", "More", "in pixels", "larger than the screen", "five seconds",
                             "previous screen area comes back", "colour depth"}) {
        EXPECT_NE(text.find(told), std::string::npos) << "the topic does not say \"" << told << "\":\n"
                                                      << text;
    }
}

TEST_F(BuiltHelpFile, EveryControlOfTheComponentsHelpTableFindsItsTopic)
{
    const DWORD* table = GetHelpIdTable();
    int controls = 0;
    for (; table[0] != 0; table += 2, ++controls) {
        const auto offset = reader_.TopicOffsetOfNumber(table[1]);
        ASSERT_TRUE(offset.has_value()) << "control " << table[0] << " asks for context " << table[1];
        EXPECT_EQ(reader_.TopicAt(*offset)->title, "Screen area") << "control " << table[0];
    }
    EXPECT_EQ(controls, 7);
}

TEST_F(BuiltHelpFile, TheContentsTopicComesFirstAndJumpsToTheScreenArea)
{
    const auto topics = reader_.Topics();
    ASSERT_GE(topics.size(), 2u);
    EXPECT_EQ(reader_.System().contentsOffset, topics[0].topicOffset);
    EXPECT_EQ(topics[0].title, "Screen Area Help");

    std::vector<std::int32_t> jumps;
    for (const auto& paragraph : topics[0].paragraphs) {
        jumps.insert(jumps.end(), paragraph.jumpHashes.begin(), paragraph.jumpHashes.end());
    }
    ASSERT_EQ(jumps.size(), 1u);
    EXPECT_EQ(reader_.TopicOffsetOfHash(jumps[0]), reader_.TopicOffsetOfNumber(kScreenAreaHelpContext));
    EXPECT_EQ(reader_.Titles().at(topics[0].topicOffset), "Screen Area Help");
}

TEST_F(BuiltHelpFile, IsExactlyItsSourceCompiledWithNothingOfTheDayInIt)
{
    std::ifstream in(KV_HELP_SOURCE, std::ios::binary);
    const std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(source.empty()) << KV_HELP_SOURCE;
    EXPECT_EQ(hlp::BuildHelpFile(hlp::ParseHelpSource(source)), bytes_);
}

}  // namespace
