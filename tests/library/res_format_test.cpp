#include "library/res_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

TEST(FormatFits, AcceptsIntegerConversionsWithFlagsWidthPrecisionAndSize)
{
    for (const char* format : {"%u by %u", "%d x %i", "%x%X", "%-5u %#x", "%08u|%.3d", "%-#012.4lx %hu",
                               "%lu by %ld pixels", "100%% %u x %u"}) {
        EXPECT_TRUE(FormatFits(format, "uu")) << format;
    }
}

TEST(FormatFits, AcceptsNarrowStringConversionsOnly)
{
    EXPECT_TRUE(FormatFits("cannot load %s.", "s"));
    EXPECT_TRUE(FormatFits("%-40.10hs", "s"));
    EXPECT_FALSE(FormatFits("%ls", "s"));
    EXPECT_FALSE(FormatFits("%S", "s"));
    EXPECT_FALSE(FormatFits("%ws", "s"));
}

TEST(FormatFits, ConversionsMustMatchTheSlotsInOrder)
{
    EXPECT_FALSE(FormatFits("%s", "u"));
    EXPECT_FALSE(FormatFits("%u", "s"));
    EXPECT_FALSE(FormatFits("%u %s", "su"));
    EXPECT_TRUE(FormatFits("%s %u", "su"));
}

TEST(FormatFits, FewerConversionsThanSlotsFitMoreDoNot)
{
    EXPECT_TRUE(FormatFits("", "uu"));
    EXPECT_TRUE(FormatFits("%u pixels wide", "uu"));
    EXPECT_TRUE(FormatFits("no path here", "s"));
    EXPECT_FALSE(FormatFits("%u by %u by %u", "uu"));
    EXPECT_FALSE(FormatFits("%s%s", "s"));
    EXPECT_FALSE(FormatFits("%u", ""));
}

TEST(FormatFits, RejectsOtherConversionsAndBrokenOnes)
{
    for (const char* format :
         {"%c", "%p", "%n", "%f", "%I64u", "%wu", "%*u", "%0-5u", "%u %", "%", "%5", "%l", "%u%.", "%q"}) {
        EXPECT_FALSE(FormatFits(format, "uu")) << format;
    }
    EXPECT_FALSE(FormatFits(nullptr, "uu"));
    EXPECT_FALSE(FormatFits("%u", nullptr));
}

TEST(FormatResString, FormatsNumbersAndStrings)
{
    char out[32];
    EXPECT_TRUE(FormatResString(out, sizeof out, "%u by %u pixels", "uu", 1024u, 768u));
    EXPECT_STREQ(out, "1024 by 768 pixels");
    EXPECT_TRUE(FormatResString(out, sizeof out, "[%s] 100%%", "s", "C:\\X"));
    EXPECT_STREQ(out, "[C:\\X] 100%");
}

TEST(FormatResString, CutsToTheBufferAndTerminates)
{
    char out[8];
    std::fill(std::begin(out), std::end(out), 'x');
    EXPECT_TRUE(FormatResString(out, sizeof out, "%u by %u pixels", "uu", 1024u, 768u));
    EXPECT_EQ(std::string(out), "1024 by");

    char one[1] = {'x'};
    EXPECT_TRUE(FormatResString(one, sizeof one, "%u", "u", 5u));
    EXPECT_EQ(one[0], '\0');
    EXPECT_FALSE(FormatResString(nullptr, 0, "%u", "u", 5u));
}

TEST(FormatResString, AWideFieldIsCutAtWsprintfsLimitAndThenToTheBuffer)
{
    char out[2000];
    EXPECT_TRUE(FormatResString(out, sizeof out, "%4000u", "u", 7u));
    EXPECT_EQ(std::string(out).size(), 1023u);

    char small[32];
    EXPECT_TRUE(FormatResString(small, sizeof small, "%-4000s|", "s", "path"));
    EXPECT_EQ(std::string(small), "path" + std::string(27, ' '));
}

TEST(FormatResString, AFormatThatDoesNotFitLeavesTheBufferEmpty)
{
    char out[32] = "previous";
    EXPECT_FALSE(FormatResString(out, sizeof out, "%s by %s", "uu", 1024u, 768u));
    EXPECT_STREQ(out, "");
    std::string("previous").copy(out, 9);
    EXPECT_FALSE(FormatResString(out, sizeof out, nullptr, "uu", 1u, 2u));
    EXPECT_STREQ(out, "");
}

}  // namespace
