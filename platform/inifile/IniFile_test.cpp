#include <gtest/gtest.h>

#include <fstream>

#include "platform/hostio/HostIo.h"
#include "platform/inifile/IniFile.h"
#include "platform/sysroot/SystemRoot.h"

using namespace platform;

namespace {
void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}
std::string bytesOf(const std::filesystem::path& p) { return ReadWholeFile(p).value_or("<missing>"); }
}  // namespace

TEST(IniFile, ReadsIgnoringCaseFirstMatchTrimmedAnyLineEnd) {
    TempRootDir dir;
    auto p = dir.Path() / "win.ini";
    writeBytes(p, "; comment\r\n[Links]\nmotorola = http://a/ \r"
                  "MOTOROLA=second\r\n[links]\r\nphilips=third\r\n  [ Other ]  \r\nkey=  spaced value\t\r\n"
                  "novalue\r\n;commented=1\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("LINKS", "Motorola", "d"), "http://a/");  // first key wins, trimmed
    EXPECT_EQ(ini.ReadString("links", "philips", "d"), "d");           // only the first section counts
    EXPECT_EQ(ini.ReadString("other", "KEY", "d"), "spaced value");
    EXPECT_EQ(ini.ReadString("other", "novalue", "d"), "d");
    EXPECT_EQ(ini.ReadString("other", ";commented", "d"), "d");
    EXPECT_EQ(ini.ReadString("missing", "key", "d"), "d");
    EXPECT_FALSE(ini.ValueExists("Links", "philips"));
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Links", "links", "Other"}));
    EXPECT_EQ(ini.ReadSection("links"), (std::vector<std::string>{"motorola", "MOTOROLA"}));
    EXPECT_EQ(IniFile(dir.Path() / "none.ini").ReadString("a", "b", "dflt"), "dflt");
}

TEST(IniFile, WritesCreateKeepOrderAndUseCrLf) {
    TempRootDir dir;
    auto p = dir.Path() / "new.ini";
    IniFile ini(p);
    ini.WriteString("Rename", "C:\\PROGRA~1\\A.DLL", "C:\\PROGRA~1\\A.1");
    EXPECT_EQ(bytesOf(p), "[Rename]\r\nC:\\PROGRA~1\\A.DLL=C:\\PROGRA~1\\A.1\r\n");

    writeBytes(p, "[One]\nA=1\nb=2\n\n[Two]\nc=3\n");
    ini.WriteString("one", "B", "two");       // replaced in place, key keeps its spelling
    ini.WriteString("ONE", "new", "x");       // appended after the section's last key
    ini.WriteString("Three", "d", "4");       // new section at the end
    ini.WriteInteger("two", "n", -5);
    EXPECT_EQ(bytesOf(p), "[One]\r\nA=1\r\nb=two\r\nnew=x\r\n\r\n[Two]\r\nc=3\r\nn=-5\r\n[Three]\r\nd=4\r\n");
    EXPECT_EQ(ini.ReadInteger("Two", "N", 0), -5);
    EXPECT_EQ(ini.ReadInteger("Two", "c", 7), 3);
    EXPECT_EQ(ini.ReadInteger("One", "b", 7), 7);  // not a number

    ini.DeleteKey("one", "a");
    ini.EraseSection("TWO");
    EXPECT_EQ(bytesOf(p), "[One]\r\nb=two\r\nnew=x\r\n\r\n[Three]\r\nd=4\r\n");
}

TEST(IniFile, LegacyCodePageStaysAndBadWritesAreRefused) {
    TempRootDir dir;
    auto p = dir.Path() / "legacy.ini";
    writeBytes(p, "[S]\r\nname=n\xE3o\r\n");  // Windows-1252
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("s", "name"), "n\xC3\xA3o");
    ini.WriteString("S", "other", "S\xC3\xADmbols");
    EXPECT_EQ(bytesOf(p), "[S]\r\nname=n\xE3o\r\nother=S\xEDmbols\r\n");
    // A text outside the code page turns the file into UTF-8 rather than losing it.
    ini.WriteString("S", "cjk", "\xE4\xB8\xAD");
    EXPECT_EQ(ini.ReadString("S", "name"), "n\xC3\xA3o");
    EXPECT_EQ(ini.ReadString("S", "cjk"), "\xE4\xB8\xAD");

    auto before = bytesOf(p);
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), EIniFileError);
    EXPECT_THROW(ini.WriteString("S", "k", "two\r\nlines"), EIniFileError);
    EXPECT_THROW(ini.WriteString("", "k", "v"), EIniFileError);
    EXPECT_EQ(bytesOf(p), before);
    EXPECT_THROW(IniFile(dir.Path() / "no" / "dir.ini").WriteString("a", "b", "c"), EIniFileError);
}
