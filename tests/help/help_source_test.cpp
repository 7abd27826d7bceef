#include "help_source.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using hlp::HelpFormatError;
using hlp::ParagraphStyle;

TEST(HelpSource, ReadsTopicsParagraphsAndJumps)
{
    const hlp::HelpDocument document = hlp::ParseHelpSource(
        "# comment\n"
        ".title  The file  \n"
        ".copyright (c) us\n"
        "\n"
        ".topic start\n"
        ".title Start here\n"
        "First line\r\n"
        "  and its continuation.\n"
        "\n"
        "\n"
        "See {details|the details} and {start|this}.\n"
        ".topic details 150\n"
        ".title Details\n"
        "{start|Back}");

    EXPECT_EQ(document.title, "The file");
    EXPECT_EQ(document.copyright, "(c) us");
    ASSERT_EQ(document.topics.size(), 2u);

    const hlp::Topic& start = document.topics[0];
    EXPECT_EQ(start.contextName, "start");
    EXPECT_FALSE(start.contextNumber.has_value());
    ASSERT_EQ(start.paragraphs.size(), 3u);
    EXPECT_EQ(start.paragraphs[0].style, ParagraphStyle::kHeading);
    EXPECT_EQ(start.paragraphs[0].spans[0].text, "Start here");
    EXPECT_EQ(start.paragraphs[1].style, ParagraphStyle::kBody);
    EXPECT_EQ(start.paragraphs[1].spans[0].text, "First line and its continuation.");
    const auto& spans = start.paragraphs[2].spans;
    ASSERT_EQ(spans.size(), 5u);
    EXPECT_EQ(spans[0].text, "See ");
    EXPECT_EQ(spans[1].text, "the details");
    EXPECT_EQ(spans[1].jumpTo, "details");
    EXPECT_EQ(spans[3].jumpTo, "start");
    EXPECT_EQ(spans[4].text, ".");
    EXPECT_FALSE(spans[4].jumpTo.has_value());

    const hlp::Topic& details = document.topics[1];
    EXPECT_EQ(details.contextNumber, 150u);
    EXPECT_EQ(details.paragraphs[1].spans[0].jumpTo, "start");
}

TEST(HelpSource, NamesTheLineOfWhatItDoesNotUnderstand)
{
    const std::string head = ".title T\n.topic a\n.title A\n";
    const std::pair<std::string, std::string> cases[] = {
        {".title T\ntext first\n", "line 2: text before the first .topic"},
        {head + ".include x\n", "line 4: unknown directive .include"},
        {head + ".title again\n", "line 4: a second .title"},
        {head + ".topic b 15x\n", "line 4: the context number must be a decimal number"},
        {head + ".topic b -1\n", "line 4: the context number must be a decimal number"},
        {head + ".topic two words\n", "line 4: the context number must be a decimal number"},
        {head + ".topic b#\n", "line 4: .topic needs a context name of letters, digits, '.' and '_'"},
        {head + "see {a|here\n", "line 4: '{' without '}'"},
        {head + "see a} here\n", "line 4: '}' without '{'"},
        {head + "see {a} here\n", "line 4: a jump is written {context_name|text}"},
        {head + "see {a|} here\n", "line 4: a jump is written {context_name|text}"},
        {head + ".topic b\ntext\n", "line 4: topic b has no .title"},
        {".topic a\n.title A\ntext\n", "the help file has no .title"},
        {".title T\n", "the help file has no .topic"},
    };
    for (const auto& [source, message] : cases) {
        try {
            hlp::ParseHelpSource(source);
            ADD_FAILURE() << "accepted: " << source;
        } catch (const HelpFormatError& error) {
            EXPECT_EQ(std::string(error.what()), message) << source;
        }
    }
}

}  // namespace
