#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/windows/restart/BatchFile.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct BatchFixture : ::testing::Test {
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
    WinFileSystem& files = Files();
    void write(const std::string& win, const std::string& bytes) { platform::testing::WriteTestFile(win, bytes); }
    std::string read(const std::string& win) { return platform::testing::ReadTestFile(win); }
};

TEST_F(BatchFixture, TheCleanupBatchRemovesTheTemporarySetupAndItself) {
    write("C:\\WINDOWS\\TEMP\\SETUP1\\SETUP.EXE", "MZ");
    write("C:\\WINDOWS\\TEMP\\SETUP1\\files.1", "archive");
    write("C:\\WINDOWS\\TEMP\\SETUP1\\Sub Dir\\x.txt", "x");
    write("C:\\WINDOWS\\TEMP\\bat1A2B.bat",
          "ERASE \"C:\\WINDOWS\\TEMP\\SETUP1\\SETUP.EXE\"\r\n"
          "DELTREE /Y \"C:\\WINDOWS\\TEMP\\SETUP1\"\r\n"
          "ERASE \"C:\\WINDOWS\\TEMP\\bat1A2B.PIF\"\r\n"
          "ERASE \"C:\\WINDOWS\\TEMP\\bat1A2B.bat\"\r\n");
    BatchReport report = RunBatchFile("C:\\WINDOWS\\TEMP\\bat1A2B.bat");
    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed) << ::testing::PrintToString(report.refused);
    EXPECT_EQ(report.done.size(), 4u);  // a missing file to erase is no error
    EXPECT_FALSE(files.DirectoryExists("C:\\WINDOWS\\TEMP\\SETUP1"));
    EXPECT_FALSE(files.FileExists("C:\\WINDOWS\\TEMP\\bat1A2B.bat"));
    EXPECT_TRUE(files.DirectoryExists("C:\\WINDOWS\\TEMP"));
}

TEST_F(BatchFixture, TheReplacementBatchWorksThroughShortNames) {
    write("C:\\Program Files\\Vorel\\VOREL.EXE", "old");
    write("C:\\Program Files\\Vorel\\VOREL.1", "new");
    BatchReport report = RunBatchText(
        "erase \"C:\\PROGRA~1\\Vorel\\VOREL.EXE\"\nmove \"C:\\PROGRA~1\\Vorel\\VOREL.1\" \"C:\\PROGRA~1\\Vorel\\VOREL.EXE\"\n");
    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed) << ::testing::PrintToString(report.refused);
    EXPECT_EQ(read("C:\\Program Files\\Vorel\\VOREL.EXE"), "new");
    EXPECT_FALSE(files.FileExists("C:\\Program Files\\Vorel\\VOREL.1"));
    // The long name stays: the move went to the entry the short name stands for.
    EXPECT_EQ(files.FindFiles("C:\\Program Files\\Vorel").size(), 1u);
    EXPECT_FALSE(files.DirectoryExists("C:\\PROGRA~2"));

    // Bare paths, any case of the command, and a directory as the destination.
    write("C:\\a.txt", "a");
    files.ForceDirectories("C:\\Target");
    report = RunBatchText("MoVe C:\\a.txt C:\\TARGET");
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(read("C:\\Target\\a.txt"), "a");
}

TEST_F(BatchFixture, LinesOutsideTheRootOrAtADriveRootAreRefusedAndTheRestRuns) {
    const fs::path outside = dir.Path().parent_path() / (dir.Path().filename().string() + "-outside");
    fs::create_directories(outside);
    std::ofstream(outside / "keep.txt") << "keep";
    fs::create_directories(dir.Path() / "drive_c" / "Links");
    fs::create_symlink(outside, dir.Path() / "drive_c" / "Links" / "out");
    write("C:\\Data\\keep.db", "db");
    write("C:\\gone.txt", "x");

    BatchReport report = RunBatchText(
        "DELTREE /Y C:\\\r\n"
        "ERASE \"D:\\\"\r\n"
        "ERASE C:\\Data\\..\\..\\..\\etc\\passwd\r\n"
        "ERASE \"C:\\Data\\...\\.. \\etc\\passwd\"\r\n"
        "DELTREE /Y \"C:\\Links\\out\"\r\n"
        "ERASE C:\\Links\\out\\keep.txt\r\n"
        "ERASE gone.txt\r\n"
        "ERASE /etc/passwd\r\n"
        "ERASE C:\\Data\\*.*\r\n"
        "ERASE C:\\Data\r\n"
        "FORMAT C:\r\n"
        "ERASE \"C:\\gone.txt\r\n"
        "ERASE C:\\Data\\keep.db C:\\gone.txt\r\n"
        "ERASE C:\\gone.txt\r\n");
    ASSERT_EQ(report.refused.size(), 13u) << ::testing::PrintToString(report.refused);
    EXPECT_EQ(report.refused[0], "DELTREE /Y C:\\ (a drive root)");
    EXPECT_EQ(report.refused[1], "ERASE \"D:\\\" (a drive root)");
    EXPECT_EQ(report.refused[2], "ERASE C:\\Data\\..\\..\\..\\etc\\passwd (a path leading out of the root)");
    EXPECT_EQ(report.refused[3], "ERASE \"C:\\Data\\...\\.. \\etc\\passwd\" (a path leading out of the root)");
    EXPECT_EQ(report.refused[4], "DELTREE /Y \"C:\\Links\\out\" (a path leading out of the root)");
    EXPECT_EQ(report.refused[6], "ERASE gone.txt (not a full path)");
    EXPECT_EQ(report.refused[7], "ERASE /etc/passwd (not a full path)");
    EXPECT_EQ(report.refused[8], "ERASE C:\\Data\\*.* (not a valid path)");
    EXPECT_EQ(report.refused[9], "ERASE C:\\Data (ERASE of a directory)");
    EXPECT_EQ(report.refused[10], "FORMAT C: (not a command of the install engine)");
    EXPECT_EQ(report.refused[11], "ERASE \"C:\\gone.txt (an unclosed quote)");
    EXPECT_EQ(report.refused[12], "ERASE C:\\Data\\keep.db C:\\gone.txt (ERASE takes one file)");
    EXPECT_EQ(report.done, std::vector<std::string>{"ERASE C:\\gone.txt"});
    EXPECT_FALSE(files.FileExists("C:\\gone.txt"));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    EXPECT_TRUE(files.FileExists("C:\\Data\\keep.db"));
    EXPECT_TRUE(files.DirectoryExists("C:\\WINDOWS"));
    fs::remove_all(outside);
}

TEST_F(BatchFixture, DeltreeRemovesLinksWithoutFollowingThem) {
    write("C:\\Kept\\inside.txt", "inside");
    write("C:\\Tree\\a\\b.txt", "b");
    fs::create_symlink(dir.Path() / "drive_c" / "Kept", dir.Path() / "drive_c" / "Tree" / "a" / "link");
    BatchReport report = RunBatchText("DELTREE /Y C:\\Tree");
    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed);
    EXPECT_FALSE(files.DirectoryExists("C:\\Tree"));
    EXPECT_EQ(read("C:\\Kept\\inside.txt"), "inside");
}

TEST_F(BatchFixture, WhatTheFileSystemRefusesIsAFailureNotASilentSuccess) {
    write("C:\\busy.dll", "in use");
    CurrentSystemRoot().Facts().SetInUse("C:\\busy.dll", true);
    BatchReport report = RunBatchText("ERASE C:\\busy.dll\nMOVE C:\\missing.1 C:\\missing.dll\n");
    EXPECT_TRUE(report.refused.empty());
    EXPECT_EQ(report.failed, (std::vector<std::string>{"ERASE C:\\busy.dll (the file could not be deleted)",
                                                       "MOVE C:\\missing.1 C:\\missing.dll (the file to move does not exist)"}));
    EXPECT_EQ(RunBatchFile("C:\\no.bat").failed.size(), 1u);
}

// Links made inside the root, reached by their long names and their 8.3
// aliases: each line ends carried out, refused or failed, and a file in use
// stays whatever path leads to it.
TEST_F(BatchFixture, LinesThroughLinksAndShortAliasesAreJudgedByTheFileTheyReach) {
    write("C:\\Kept\\busy.txt", "busy");
    write("C:\\Kept\\plain.txt", "plain");
    write("C:\\Kept\\Sub\\held.txt", "held");
    write("C:\\Kept\\Sub\\loose.txt", "loose");
    write("C:\\Kept\\gone.txt", "gone");
    CurrentSystemRoot().Facts().SetInUse("C:\\Kept\\busy.txt", true);
    CurrentSystemRoot().Facts().SetInUse("C:\\Kept\\Sub\\held.txt", true);
    const fs::path links = dir.Path() / "drive_c" / "Links";
    fs::create_directories(links);
    fs::create_directory_symlink(dir.Path() / "drive_c" / "Kept", links / "InsideKept");
    fs::create_symlink(dir.Path() / "drive_c" / "Kept" / "plain.txt", links / "PlainLink.txt");
    fs::create_symlink(dir.Path() / "drive_c" / "Kept" / "busy.txt", links / "BusyFileLink.txt");
    ASSERT_EQ(files.ShortPathName("C:\\Links\\InsideKept").value(), "C:\\Links\\INSIDE~1");
    ASSERT_EQ(files.ShortPathName("C:\\Links\\PlainLink.txt").value(), "C:\\Links\\PLAINL~1.TXT");
    ASSERT_EQ(files.ShortPathName("C:\\Links\\BusyFileLink.txt").value(), "C:\\Links\\BUSYFI~1.TXT");

    BatchReport report = RunBatchText(
        "ERASE C:\\Links\\INSIDE~1\\busy.txt\r\n"
        "ERASE \"C:\\Links\\InsideKept\\BUSY.TXT\"\r\n"
        "MOVE C:\\Links\\INSIDE~1\\busy.txt C:\\Kept\\moved.txt\r\n"
        "MOVE C:\\Kept\\gone.txt C:\\Links\\INSIDE~1\\busy.txt\r\n"
        "DELTREE /Y C:\\Links\\INSIDE~1\\Sub\r\n"
        "MOVE C:\\Links\\PLAINL~1.TXT C:\\Kept\\plain.txt\r\n"
        "MOVE C:\\Kept\\plain.txt C:\\Links\\INSIDE~1\\plain.txt\r\n"
        "ERASE C:\\Links\\INSIDE~1\r\n"
        "ERASE C:\\Links\\BUSYFI~1.TXT\r\n");
    EXPECT_EQ(report.failed,
              (std::vector<std::string>{
                  "ERASE C:\\Links\\INSIDE~1\\busy.txt (the file could not be deleted)",
                  "ERASE \"C:\\Links\\InsideKept\\BUSY.TXT\" (the file could not be deleted)",
                  "MOVE C:\\Links\\INSIDE~1\\busy.txt C:\\Kept\\moved.txt (the file could not be moved)",
                  "MOVE C:\\Kept\\gone.txt C:\\Links\\INSIDE~1\\busy.txt (the file could not be moved)",
                  "DELTREE /Y C:\\Links\\INSIDE~1\\Sub (the tree could not be deleted whole)",
                  "MOVE C:\\Links\\PLAINL~1.TXT C:\\Kept\\plain.txt (the file could not be moved)"}));
    EXPECT_EQ(report.refused, std::vector<std::string>{"ERASE C:\\Links\\INSIDE~1 (ERASE of a directory)"});
    // A file moved onto its own name through a link stays; a link to a busy file is only a link.
    EXPECT_EQ(report.done, (std::vector<std::string>{"MOVE C:\\Kept\\plain.txt C:\\Links\\INSIDE~1\\plain.txt",
                                                     "ERASE C:\\Links\\BUSYFI~1.TXT"}));
    EXPECT_EQ(read("C:\\Kept\\busy.txt"), "busy");
    EXPECT_EQ(read("C:\\Kept\\gone.txt"), "gone");
    EXPECT_EQ(read("C:\\Kept\\Sub\\held.txt"), "held");
    EXPECT_FALSE(files.FileExists("C:\\Kept\\Sub\\loose.txt"));
    EXPECT_FALSE(files.FileExists("C:\\Kept\\moved.txt"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.Path() / "drive_c" / "Kept" / "plain.txt")));
    EXPECT_EQ(read("C:\\Kept\\plain.txt"), "plain");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(links / "InsideKept")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(links / "BusyFileLink.txt")));
}

TEST(CommandLine, QuotesGroupWordsAndAreRemoved) {
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\setup.exe\" -r \"-sD:\\My Setup\" -c"),
              (std::vector<std::string>{"C:\\Program Files\\setup.exe", "-r", "-sD:\\My Setup", "-c"}));
    EXPECT_EQ(SplitCommandLine("  a\t\"\"  \"b c"), (std::vector<std::string>{"a", "", "b c"}));
}

}  // namespace
