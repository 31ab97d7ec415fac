#include <gtest/gtest.h>

#include "platform/core/runtime/Text.h"

using namespace platform;

TEST(Text, EachTrimTakesOffOnlyItsOwnCharacters) {
    const std::string s = "\x01\r\n\t  a \tb\x7F \t\r\n\x1F";
    EXPECT_EQ(TrimControls(s), "a \tb\x7F");
    EXPECT_EQ(TrimWhitespace(s), s) << "a control character at either end stops it";
    EXPECT_EQ(TrimWhitespace(" \t\r\nname\r\n"), "name");
    EXPECT_EQ(TrimBlanks(" \tkey = v \t"), "key = v");
    EXPECT_EQ(TrimBlanks("\rkey\n"), "\rkey\n");
    EXPECT_EQ(TrimSpaces("  BC547  "), "BC547");
    EXPECT_EQ(TrimSpaces("\tBC547 "), "\tBC547");
    // Bytes of multi-byte characters are above the space: never trimmed.
    EXPECT_EQ(TrimControls(" \xC3\xA3\xA0 "), "\xC3\xA3\xA0");
    for (auto trim : {TrimSpaces, TrimBlanks, TrimWhitespace, TrimControls}) {
        EXPECT_EQ(trim(""), "");
        EXPECT_EQ(trim("   "), "");
    }
}

TEST(Text, BlankAndAsciiCase) {
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank(" \t\r\n"));
    EXPECT_FALSE(IsBlank(" \x01 "));
    EXPECT_FALSE(IsBlank(" x"));
    EXPECT_EQ(AsciiUpper("c:\\Program files\\n\xC3\xA3o"), "C:\\PROGRAM FILES\\N\xC3\xA3O");
    EXPECT_EQ(AsciiLower("DATA\\Vorel.INI \xC3\x83"), "data\\vorel.ini \xC3\x83");
    EXPECT_EQ(AsciiUpper('z'), 'Z');
    EXPECT_EQ(AsciiLower('@'), '@');
}

TEST(Text, NamesSortIgnoringCaseWithHighBytesLast) {
    EXPECT_TRUE(LessIgnoringCase("apple", "Banana"));
    EXPECT_FALSE(LessIgnoringCase("Banana", "apple"));
    EXPECT_FALSE(LessIgnoringCase("README", "readme"));
    EXPECT_FALSE(LessIgnoringCase("readme", "README"));
    EXPECT_TRUE(LessIgnoringCase("abc", "ABCD"));
    // '_' lies between the upper and the lower letters: the lowered text decides.
    EXPECT_TRUE(LessIgnoringCase("_", "Z"));
    EXPECT_TRUE(LessIgnoringCase("zeta", "\xC3\xA1gua")) << "a byte over 0x7F sorts after ASCII";
}

TEST(Text, IntegersAreWholeDecimalNumbersThatFit) {
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_EQ(ParseInteger(" -7"), -7);
    EXPECT_EQ(ParseInteger("+2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "-", "12x", "12 ", "0x10", "2147483648", "1e3"})
        EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
    EXPECT_EQ(ParseInteger64("9000000000"), 9000000000LL);
    EXPECT_FALSE(ParseInteger64("99999999999999999999").has_value());
}
