#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The formatted text and the count wsprintfA answered; the buffer is larger than wsprintfA
// may use, so that a write past its limit shows.
struct Formatted {
    std::string text;
    int count;
    bool limitKept;
};

template <typename... Args>
Formatted Format(const char* format, Args... args)
{
    char buffer[1100];
    std::memset(buffer, '#', sizeof(buffer));
    const int count = wsprintfA(buffer, format, args...);
    const bool limitKept =
        std::all_of(buffer + 1024, buffer + sizeof(buffer), [](char c) { return c == '#'; });
    return {std::string(buffer), count, limitKept};
}

void ExpectFormat(const std::string& expected, const Formatted& actual)
{
    EXPECT_EQ(actual.text, expected);
    EXPECT_EQ(actual.count, static_cast<int>(expected.size()));
}

const WCHAR kWide[] = {'w', 'i', 'd', 'e', 0};

}  // namespace

TEST(Wsprintf, DecimalConversions)
{
    ExpectFormat("vpd0,800,600", Format("vpd0,%u,%u", 800u, 600u));
    ExpectFormat("-5 4294967295", Format("%d %u", -5, -1));
    ExpectFormat("-2147483648", Format("%i", INT32_MIN));
    ExpectFormat("   42|42   |", Format("%5d|%-5d|", 42, 42));
    ExpectFormat("-000000001", Format("%010ld", -1));
    // The precision counts the sign among the digits.
    ExpectFormat("-0042 00042", Format("%.5d %.5d", -42, 42));
    ExpectFormat("42   |", Format("%-05d|", 42));
}

TEST(Wsprintf, HexadecimalAndPointerConversions)
{
    ExpectFormat("ff FF 000000FF", Format("%x %X %08X", 255, 255, 255));
    ExpectFormat("0xff 0XFF", Format("%#x %#X", 255, 255));
    ExpectFormat("ffffffff", Format("%x", -1));
    ExpectFormat("18446744073709551493", Format("%I64u", -123LL));
    ExpectFormat("123450067890A", Format("%I64X", (0x12345LL << 32) | 0x67890a));
    ExpectFormat("67890A", Format("%I32X", 0x67890a));
    ExpectFormat(std::string(2 * sizeof(void*) - 4, '0') + "BEEF",
                 Format("%p", reinterpret_cast<void*>(std::uintptr_t{0xBEEF})));
}

TEST(Wsprintf, StringAndCharacterConversions)
{
    ExpectFormat("C:\\X\\KVAPI32.DLL", Format("%s", "C:\\X\\KVAPI32.DLL"));
    ExpectFormat("(null)", Format("%s", static_cast<const char*>(nullptr)));
    ExpectFormat("abc|abcdef|   ab|ab   |   ab",
                 Format("%.3s|%.0s|%5s|%-5s|%05s", "abcdef", "abcdef", "ab", "ab", "ab"));
    ExpectFormat("wide wide wi (null)",
                 Format("%S %ls %.2S %S", kWide, kWide, kWide, static_cast<const WCHAR*>(nullptr)));
    ExpectFormat("A  B x Y", Format("%c %2c %lc %C", 'A', 'B', WCHAR{'x'}, WCHAR{'Y'}));
}

TEST(Wsprintf, PercentSignsAndUnknownTypes)
{
    ExpectFormat("100%", Format("100%%"));
    // An unknown type takes no argument and prints as it stands, after any width.
    ExpectFormat("y7", Format("%y%d", 7));
    ExpectFormat("     q", Format("%5q"));
    ExpectFormat("%f", Format("%%f"));
    ExpectFormat("f", Format("%f", 1.5));
    ExpectFormat("abc", Format("abc%"));
}

TEST(Wsprintf, OutputStopsAt1023CharactersAndTheTerminator)
{
    const std::string longText(2000, 'a');
    Formatted literal = Format(longText.c_str());
    ExpectFormat(std::string(1023, 'a'), literal);
    EXPECT_TRUE(literal.limitKept);

    Formatted argument = Format("x%sy", longText.c_str());
    ExpectFormat("x" + std::string(1022, 'a'), argument);
    EXPECT_TRUE(argument.limitKept);

    Formatted padded = Format("%5000d%d", 7, 8);
    EXPECT_EQ(padded.count, 1023);
    EXPECT_EQ(padded.text, std::string(1023, ' '));
    EXPECT_TRUE(padded.limitKept);

    Formatted zeros = Format("%#01030x", 1);
    EXPECT_EQ(zeros.count, 1023);
    EXPECT_TRUE(zeros.limitKept);
}
