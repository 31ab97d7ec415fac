#include <gtest/gtest.h>

#include "platform/core/codepage/LegacyCodePage.h"

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
