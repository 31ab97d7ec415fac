#include <gtest/gtest.h>

#include "platform/windows/sysroot/WinPath.h"

using namespace platform;

namespace {
std::string full(const std::string& path, const std::string& current = "C:\\Work") {
    WinPath wp;
    return ParseWinPath(path, current, wp) ? wp.Text() : "<invalid>";
}
}  // namespace

TEST(WinPath, FullFormsDotsDrivesAndShares) {
    EXPECT_EQ(full("c:\\Program Files\\x"), "C:\\Program Files\\x");
    EXPECT_EQ(full("D:/a//b/"), "D:\\a\\b");
    EXPECT_EQ(full("data\\temp"), "C:\\Work\\data\\temp");
    EXPECT_EQ(full("\\Windows"), "C:\\Windows");
    EXPECT_EQ(full("/etc/passwd"), "C:\\etc\\passwd");
    EXPECT_EQ(full("c:sub", "C:\\Work"), "C:\\Work\\sub");
    EXPECT_EQ(full("d:sub", "C:\\Work"), "D:\\sub");
    EXPECT_EQ(full("..\\..\\..\\x"), "C:\\x");  // never above the drive root
    EXPECT_EQ(full("C:\\a\\.\\b\\..\\c"), "C:\\a\\c");
    EXPECT_EQ(full("C:\\a...\\b. "), "C:\\a\\b");  // trailing dots and blanks go, as on Windows
    EXPECT_EQ(full("C:\\"), "C:\\");
    EXPECT_EQ(full("\\\\Server\\Share\\..\\..\\x"), "\\\\Server\\Share\\x");
    EXPECT_EQ(full("\\\\server"), "<invalid>");
    EXPECT_EQ(full(""), "<invalid>");
    EXPECT_EQ(full("1:\\x"), "<invalid>");
    EXPECT_EQ(full("C:\\a*b"), "<invalid>");
    EXPECT_EQ(full("C:\\a\x01"), "<invalid>");
    EXPECT_EQ(full(std::string("C:\\a\0b", 6)), "<invalid>");
}

TEST(WinPath, FileNameParts) {
    EXPECT_EQ(ExtractFilePath("C:\\dir\\file.txt"), "C:\\dir\\");
    EXPECT_EQ(ExtractFileDir("C:\\dir\\file.txt"), "C:\\dir");
    EXPECT_EQ(ExtractFileDir("C:\\file.txt"), "C:\\");
    EXPECT_EQ(ExtractFileName("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(ExtractFileName("C:file.txt"), "file.txt");
    EXPECT_EQ(ExtractFileExt("C:\\d.ir\\file"), "");
    EXPECT_EQ(ExtractFileExt("archive.tar.gz"), ".gz");
    EXPECT_EQ(ChangeFileExt("C:\\TEMP\\bat1A2B.tmp", ".bat"), "C:\\TEMP\\bat1A2B.bat");
    EXPECT_EQ(ChangeFileExt("C:\\d.ir\\file", ".1"), "C:\\d.ir\\file.1");
    EXPECT_EQ(ChangeFileExt("name.txt", ""), "name");
}

TEST(WinPath, AFileNameOfTheRootIsKeptAsItStands) {
    for (const char* good : {"a.txt", "Program Files", "a b.c d", "~1", ".profile", "x..y"})
        EXPECT_TRUE(IsWinFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "a.", "a ", "a. .", "a?b", "a*b", "a<b", "a>b", "a|b", "a\"b", "a:b", "a\\b",
                            "a/b", "a\x01"})
        EXPECT_FALSE(IsWinFileName(bad)) << bad;
}
