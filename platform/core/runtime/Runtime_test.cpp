#include <gtest/gtest.h>

#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Format.h"

using namespace platform;

TEST(Format, PlaceholdersMissingExtraAndWrongType) {
    EXPECT_EQ(Format("File %s not found (%d)", {"a.txt", 5}), "File a.txt not found (5)");
    EXPECT_EQ(Format("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(Format("only %s", {"x", "y", 3}), "only x");
    EXPECT_EQ(Format("%d%%", {"12"}), "12%");
    EXPECT_EQ(Format("100%"), "100%");
    EXPECT_EQ(Format("%x %", {1}), "%x %");
    EXPECT_EQ(FormatPlaceholders("%s: %d %% %s"), "sds");
}

TEST(Codepage, RoundTripAndUnmappable) {
    std::string utf8 = "S\xC3\xADmbols \xE2\x82\xAC n\xC3\xA3o \xE4\xB8\xAD";  // Símbols € não 中
    std::string cp = Utf8ToCp1252(utf8);
    EXPECT_EQ(cp, std::string("S\xEDmbols \x80 n\xE3o ?"));
    EXPECT_EQ(Cp1252ToUtf8(cp), "S\xC3\xADmbols \xE2\x82\xAC n\xC3\xA3o ?");
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_FALSE(IsValidUtf8(cp));
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");  // overlong form is not '/'
}

TEST(Codepage, CodePointsToBytes) {
    unsigned char b = 0;
    EXPECT_TRUE(CodePointToCp1252(U'\u2019', b));
    EXPECT_EQ(b, 0x92);
    EXPECT_TRUE(CodePointToCp1252(U'\u20AC', b));
    EXPECT_EQ(b, 0x80);
    EXPECT_TRUE(CodePointToCp1252(U'\u0178', b));  // the last of the high range
    EXPECT_EQ(b, 0x9F);
    EXPECT_TRUE(CodePointToCp1252(0xE9, b));
    EXPECT_EQ(b, 0xE9);
    // The holes of the high range and the C1 controls have no byte.
    EXPECT_FALSE(CodePointToCp1252(0x81, b));
    EXPECT_FALSE(CodePointToCp1252(0x9D, b));
    EXPECT_FALSE(CodePointToCp1252(0, b) && b != 0);
    EXPECT_FALSE(CodePointToCp1252(U'\u03B1', b));
}

#include <filesystem>
#include <fstream>

#include "platform/core/runtime/PathCase.h"
#include "testkit/files/TempDir.h"

TEST(PathCase, ExistingComponentsMatchAnyCaseNewOnesKeepTheirs) {
    namespace fs = std::filesystem;
    platform::testing::TempDir dir;
    const fs::path& base = dir.Path();
    fs::create_directories(base / "Data" / "Temp");
    std::ofstream(base / "Data" / "Transistores.db") << "x";
    EXPECT_EQ(ResolveCase(base, "data\\transistores.DB"), base / "Data" / "Transistores.db");
    EXPECT_EQ(ResolveCase(base, "DATA/temp/New File.txt"), base / "Data" / "Temp" / "New File.txt");
    EXPECT_EQ(ResolveCase(base, "\\Missing\\Sub"), base / "Missing" / "Sub");
    // A file renamed since, or gone, is found as it is now.
    fs::rename(base / "Data" / "Transistores.db", base / "Data" / "TRANSISTORES.DB");
    EXPECT_EQ(ResolveCase(base, "data\\transistores.DB"), base / "Data" / "TRANSISTORES.DB");
    fs::remove(base / "Data" / "TRANSISTORES.DB");
    EXPECT_EQ(ResolveCase(base, "data\\transistores.DB"), base / "Data" / "transistores.DB");
}

#include <stdexcept>

#include "platform/core/runtime/ScopeExit.h"

TEST(ScopeExit, RunsOnceAndNeverThrowsFromItsDestructor) {
    int runs = 0;
    {
        ScopeExit step([&] { ++runs; });
        step.Run();
    }
    EXPECT_EQ(runs, 1);
    EXPECT_NO_THROW({ ScopeExit failing([] { throw std::runtime_error("x"); }); });
    EXPECT_THROW(ScopeExit([] { throw std::runtime_error("x"); }).Run(), std::runtime_error);
}

#include "platform/core/runtime/Count.h"

// A count read from a damaged file or registry value is a whole number that
// one more still fits, or nothing.
TEST(Count, OnlyWholeNumbersThatOneMoreStillFits) {
    EXPECT_EQ(platform::ParseCount("0"), 0);
    EXPECT_EQ(platform::ParseCount("15"), 15);
    EXPECT_EQ(platform::ParseCount("2147483646"), 2147483646);
    for (const char* bad : {"", "two", "-1", "2147483647", "2147483648", "99999999999999999999", "1.5", "0x10", "12abc"})
        EXPECT_EQ(platform::ParseCount(bad), std::nullopt) << bad;
}
