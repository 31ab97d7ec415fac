#include <gtest/gtest.h>

#include "platform/core/codepage/LegacyCodePage.h"
#include "platform/core/codepage/WindowsCodePage.h"

using namespace platform;

TEST(LegacyText, TheBomThenValidUtf8ThenTheLegacyCodePageDecide) {
    // "C:\データ" in Shift-JIS, and the same text in UTF-8.
    const std::string sjis = "C:\\\x83\x66\x81\x5B\x83\x5E";
    const std::string utf8 = "C:\\\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF";
    EXPECT_EQ(DetectTextEncoding(sjis), TextEncoding::LegacyCodePage);
    EXPECT_EQ(DecodeLegacyText(sjis, "Shift_JIS"), utf8);
    EXPECT_EQ(DecodeLegacyText(utf8, "Shift_JIS"), utf8);
    EXPECT_EQ(DecodeLegacyText("n\xE3o", "windows-1252"), "n\xC3\xA3o");
    EXPECT_EQ(DecodeLegacyText("n\xE3o", "no-such-page"), "n\xC3\xA3o");
    EXPECT_EQ(DecodeLegacyText("\xEF\xBB\xBF", "Shift_JIS"), "");
    EXPECT_EQ(DecodeLegacyText("\xEF\xBB\xBF\xC3\xA3", "Shift_JIS"), "\xC3\xA3");
    EXPECT_EQ(DecodeLegacyText(std::string("\xFF\xFEn\0\xE3\0", 6), "Shift_JIS"), "n\xC3\xA3");
    EXPECT_EQ(DecodeLegacyText(std::string("\xFE\xFF\0n\0\xE3", 6), "Shift_JIS"), "n\xC3\xA3");
    EXPECT_EQ(BomSize(DetectTextEncoding("\xEF\xBB\xBFx")), 3u);
    EXPECT_EQ(BomSize(DetectTextEncoding("x")), 0u);
}

TEST(LegacyText, EveryLineEndEndsALineAndNoEmptyLineFollowsTheLast) {
    EXPECT_EQ(SplitTextLines("a\r\n\r\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines("a\rb\r\rc"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(SplitTextLines("\n"), std::vector<std::string>{""});
    EXPECT_EQ(SplitTextLines(""), std::vector<std::string>{});
}

// Windows code pages by number: the toolkit's converters, else iconv's, for
// every page RTF files name; a page nobody knows says so.

TEST(WindowsCodePage, EveryPageRtfFilesNameReadsAndWritesItsOwnCharacters) {
    const std::pair<int, std::pair<const char*, const char*>> pages[] = {
        {1250, {"\x9E", "ž"}},     {1251, {"\xC0", "А"}},          {1253, {"\xD9", "Ω"}},
        {874, {"\xA1", "ก"}},      {932, {"\x82\xA8", "お"}},       {936, {"\xC4\xE3", "你"}},
        {950, {"\xA7\x41", "你"}},  {437, {"\xEA", "Ω"}},           {850, {"\xE3", "Ò"}},
        {860, {"\x84", "ã"}},      {863, {"\x84", "Â"}},           {864, {"\xC7", "ﺍ"}},
        {865, {"\x9B", "ø"}},      {10000, {"\x8A", "ä"}},         {10001, {"\x82\xA8", "お"}},
        {10007, {"\x80", "А"}},    {10029, {"\x84", "Ą"}},         {10079, {"\xDE", "Þ"}},
        {28591, {"\xE3", "ã"}},    {28595, {"\xB0", "А"}},         {65001, {"\xC3\xA3", "ã"}},
        {1252, {"\x80", "€"}},
    };
    for (const auto& [page, sample] : pages) {
        EXPECT_TRUE(KnowsCodePage(page)) << page;
        EXPECT_EQ(DecodeCodePage(sample.first, page), std::optional<std::string>(sample.second)) << page;
        EXPECT_EQ(EncodeCodePage(sample.second, page), std::optional<std::string>(sample.first)) << page;
    }
    EXPECT_EQ(EncodeCodePage("ﾐ€", 1251), std::nullopt);  // no such characters there
    EXPECT_EQ(EncodeCodePage("Ω", 1252), std::nullopt);
    EXPECT_FALSE(KnowsCodePage(12345));
    EXPECT_EQ(DecodeCodePage("x", 12345), std::nullopt);
    EXPECT_EQ(EncodeCodePage("x", 12345), std::nullopt);
}
