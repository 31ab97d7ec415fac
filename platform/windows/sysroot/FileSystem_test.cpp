#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sys/wait.h>
#include <fstream>
#include <set>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct RootFixture : ::testing::Test {
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
    WinFileSystem& files = root.Root().Files();
    fs::path drive = dir.Path() / "drive_c";

    void put(const fs::path& host, const std::string& bytes) {
        fs::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << bytes;
    }
    void write(const std::string& win, const std::string& bytes) {
        FileStream f = files.Open(win, FileMode::Create);
        f.WriteBuffer(bytes.data(), bytes.size());
    }
    std::string read(const std::string& win) {
        FileStream f = files.Open(win, FileMode::Read);
        std::string s(static_cast<size_t>(f.Size()), '\0');
        f.ReadBuffer(s.data(), s.size());
        return s;
    }
    // Every file below a host folder, for "nothing landed there" checks.
    static std::set<std::string> tree(const fs::path& p) {
        std::set<std::string> out;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec))
            out.insert(it->path().lexically_relative(p).string());
        return out;
    }
};

}  // namespace

TEST_F(RootFixture, FreshRootHasTheSystemFolders) {
    EXPECT_TRUE(fs::is_directory(drive / "WINDOWS" / "SYSTEM32"));
    EXPECT_TRUE(fs::is_directory(drive / "WINDOWS" / "TEMP"));
    EXPECT_TRUE(fs::is_directory(drive / "Program Files"));
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "platform.ini"));
    EXPECT_EQ(files.CurrentDir(), "C:\\");
}

TEST_F(RootFixture, ExistingNamesMatchAnyCaseNewNamesKeepTheirs) {
    ASSERT_TRUE(files.ForceDirectories("C:\\Program Files\\VorelSoft\\Data"));
    write("c:\\PROGRAM FILES\\vorelsoft\\data\\New File.TXT", "abc");
    EXPECT_TRUE(fs::is_regular_file(drive / "Program Files" / "VorelSoft" / "Data" / "New File.TXT"));
    EXPECT_TRUE(files.FileExists("C:\\program files\\VORELSOFT\\DATA\\new file.txt"));
    EXPECT_TRUE(files.DirectoryExists("c:/program files/vorelsoft"));
    EXPECT_FALSE(files.FileExists("C:\\program files\\vorelsoft"));
    EXPECT_EQ(files.FileSize("C:\\Program Files\\VorelSoft\\Data\\new file.txt"), 3);
    EXPECT_EQ(files.FileSize("C:\\nothing"), -1);
    EXPECT_EQ(files.HostPath("c:\\program files\\vorelsoft\\DATA\\x\\Y"),
              drive / "Program Files" / "VorelSoft" / "Data" / "x" / "Y");
    EXPECT_EQ(files.WinPathOf(drive / "Program Files" / "VorelSoft"), "C:\\Program Files\\VorelSoft");
    EXPECT_EQ(files.WinPathOf(dir.Path() / "drive_d"), "D:\\");
    EXPECT_THROW(files.WinPathOf("/etc/passwd"), EPathRefused);
    ASSERT_TRUE(files.SetCurrentDir("c:\\program files\\vorelsoft"));
    EXPECT_EQ(files.CurrentDir(), "C:\\program files\\vorelsoft");  // the spelling given
    EXPECT_EQ(read("data\\NEW FILE.txt"), "abc");
    EXPECT_EQ(files.ExpandFileName("..\\x"), "C:\\program files\\x");
    EXPECT_FALSE(files.SetCurrentDir("C:\\missing"));
    // A UNC path lives below "unc".
    ASSERT_TRUE(files.ForceDirectories("\\\\Server\\Share\\Dir"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "unc" / "Server" / "Share" / "Dir"));
    EXPECT_TRUE(files.DirectoryExists("\\\\SERVER\\share\\dir"));
}

TEST_F(RootFixture, NothingIsWrittenOutsideTheRoot) {
    TempRootDir outside;
    put(outside.Path() / "victim.txt", "keep");
    auto before = tree(outside.Path());
    std::string outsideWin = outside.Path().string();  // "/tmp/vorel-root-..." read as a Windows path

    // ".." stops at the drive root; an absolute host path lands on drive C: of the root.
    write("C:\\..\\..\\..\\..\\..\\..\\escape.txt", "x");
    EXPECT_TRUE(fs::is_regular_file(drive / "escape.txt"));
    ASSERT_TRUE(files.ForceDirectories(outsideWin));
    write(outsideWin + "/victim.txt", "overwritten?");
    EXPECT_TRUE(fs::is_regular_file(drive / outside.Path().relative_path() / "victim.txt"));
    EXPECT_TRUE(files.ForceDirectories("..\\..\\..\\tmp\\made"));
    EXPECT_TRUE(fs::is_directory(drive / "tmp" / "made"));

    // Symbolic links that lead out (or nowhere) are refused, for reads and writes.
    fs::create_directory_symlink(outside.Path(), drive / "out");
    fs::create_symlink(outside.Path() / "victim.txt", drive / "victim.lnk");
    fs::create_symlink(outside.Path() / "not-yet.txt", drive / "dangling.lnk");
    EXPECT_THROW(write("C:\\out\\victim.txt", "x"), EPathRefused);
    EXPECT_THROW(write("C:\\OUT\\new.txt", "x"), EPathRefused);
    EXPECT_THROW(write("C:\\victim.lnk", "x"), EPathRefused);
    EXPECT_THROW(write("C:\\dangling.lnk", "x"), EPathRefused);
    EXPECT_THROW(files.ForceDirectories("C:\\out\\sub"), EPathRefused);
    EXPECT_THROW(files.DeleteFile("C:\\out\\victim.txt"), EPathRefused);
    EXPECT_THROW(files.CopyFile("C:\\escape.txt", "C:\\out\\copy.txt", false), EPathRefused);
    EXPECT_THROW(files.MoveFile("C:\\escape.txt", "C:\\out\\moved.txt", true), EPathRefused);
    EXPECT_THROW(files.Open("C:\\out\\victim.txt", FileMode::Read), EPathRefused);
    EXPECT_THROW(files.CreateTempFile("C:\\out", "bat"), EPathRefused);
    EXPECT_FALSE(files.FileExists("C:\\out\\victim.txt"));
    EXPECT_TRUE(files.FindFiles("C:\\out").empty());
    EXPECT_EQ(files.FindFiles("C:\\", "*.lnk").size(), 0u);
    EXPECT_EQ(tree(outside.Path()), before);
    EXPECT_EQ(ReadWholeFile(outside.Path() / "victim.txt").value(), "keep");

    // A link that stays inside the root is an ordinary path.
    fs::create_directory_symlink(drive / "WINDOWS", drive / "winlink");
    write("C:\\winlink\\inside.txt", "ok");
    EXPECT_EQ(read("C:\\WINDOWS\\inside.txt"), "ok");

    EXPECT_THROW(files.HostPath("C:\\bad|name"), EPathRefused);
    EXPECT_FALSE(files.FileExists(""));
}

TEST_F(RootFixture, CopyMoveDeleteAndInUseFiles) {
    write("C:\\a.txt", "alpha");
    ASSERT_TRUE(files.SetFileDateTime("C:\\a.txt", EncodeDateTime(1999, 12, 31, 23, 59, 58, 500)));
    EXPECT_TRUE(files.CopyFile("C:\\A.TXT", "C:\\b.txt", true));
    EXPECT_EQ(read("C:\\b.txt"), "alpha");
    EXPECT_EQ(files.FileDateTime("C:\\b.txt"), files.FileDateTime("C:\\a.txt"));  // the copy keeps the time
    EXPECT_FALSE(files.CopyFile("C:\\a.txt", "C:\\b.txt", true));
    write("C:\\c.txt", "gamma");
    EXPECT_FALSE(files.MoveFile("C:\\c.txt", "C:\\b.txt", false));
    EXPECT_TRUE(files.MoveFile("C:\\c.txt", "C:\\B.TXT", true));
    EXPECT_EQ(read("C:\\b.txt"), "gamma");
    EXPECT_FALSE(files.FileExists("C:\\c.txt"));
    EXPECT_TRUE(files.MoveFile("C:\\b.txt", "C:\\Bee.txt", false));
    EXPECT_TRUE(files.MoveFile("C:\\bee.txt", "C:\\BEE.TXT", false));  // only the case changes
    EXPECT_TRUE(fs::is_regular_file(drive / "BEE.TXT"));
    EXPECT_FALSE(fs::exists(drive / "Bee.txt"));

    // In use: readable, but not deleted, replaced, moved or written.
    files.Facts().SetInUse("c:\\a.TXT", true);
    EXPECT_TRUE(files.IsInUse("C:\\A.txt"));
    EXPECT_FALSE(files.DeleteFile("C:\\a.txt"));
    EXPECT_FALSE(files.MoveFile("C:\\a.txt", "C:\\z.txt", true));
    EXPECT_FALSE(files.MoveFile("C:\\BEE.TXT", "C:\\a.txt", true));
    EXPECT_FALSE(files.CopyFile("C:\\BEE.TXT", "C:\\a.txt", false));
    EXPECT_FALSE(files.SetFileDateTime("C:\\a.txt", 0));
    EXPECT_THROW(files.Open("C:\\a.txt", FileMode::ReadWrite), EFOpenError);
    EXPECT_THROW(files.Open("C:\\a.txt", FileMode::Create), EFCreateError);
    EXPECT_EQ(read("C:\\a.txt"), "alpha");
    // The same file reached through a link and an 8.3 alias is as much in use.
    fs::create_directory_symlink(drive, drive / "Drive Link");
    fs::create_symlink(drive / "a.txt", drive / "Alpha Link.txt");
    ASSERT_EQ(files.ShortPathName("C:\\Drive Link").value(), "C:\\DRIVEL~1");
    for (const char* path : {"C:\\DRIVEL~1\\A.TXT", "C:\\Drive Link\\a.txt", "C:\\ALPHAL~1.TXT"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(files.IsInUse(path));
        EXPECT_FALSE(files.SetFileDateTime(path, 0));
        EXPECT_THROW(files.Open(path, FileMode::ReadWrite), EFOpenError);
        EXPECT_THROW(files.Open(path, FileMode::Create), EFCreateError);
    }
    EXPECT_FALSE(files.DeleteFile("C:\\DRIVEL~1\\a.txt"));
    EXPECT_FALSE(files.MoveFile("C:\\DRIVEL~1\\a.txt", "C:\\z.txt", true));
    EXPECT_FALSE(files.MoveFile("C:\\BEE.TXT", "C:\\Drive Link\\A.TXT", true));
    EXPECT_FALSE(files.CopyFile("C:\\BEE.TXT", "C:\\DRIVEL~1\\a.txt", false));
    // A link and its file are never moved onto each other; the link itself may go.
    fs::create_symlink(drive / "BEE.TXT", drive / "Bee Link.txt");
    EXPECT_FALSE(files.MoveFile("C:\\BEELIN~1.TXT", "C:\\bee.txt", true));
    EXPECT_FALSE(files.MoveFile("C:\\bee.txt", "C:\\Bee Link.txt", true));
    EXPECT_EQ(read("C:\\BEELIN~1.TXT"), "gamma");
    fs::remove(drive / "Bee Link.txt");
    // Two names of one file: a move leaves it under the destination's name only.
    fs::create_hard_link(drive / "BEE.TXT", drive / "Bee Twin.txt");
    EXPECT_FALSE(files.MoveFile("C:\\BEE.TXT", "C:\\BEETWI~1.TXT", false));
    EXPECT_TRUE(files.MoveFile("C:\\BEE.TXT", "C:\\BEETWI~1.TXT", true));
    EXPECT_FALSE(fs::exists(drive / "BEE.TXT"));
    EXPECT_EQ(read("C:\\Bee Twin.txt"), "gamma");
    ASSERT_TRUE(files.MoveFile("C:\\Bee Twin.txt", "C:\\BEE.TXT", false));
    EXPECT_TRUE(files.DeleteFile("C:\\ALPHAL~1.TXT"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(drive / "Alpha Link.txt")));
    fs::remove(drive / "Drive Link");
    EXPECT_EQ(read("C:\\a.txt"), "alpha");
    files.Facts().SetInUse("C:\\a.txt", false);
    EXPECT_TRUE(files.DeleteFile("C:\\a.txt"));
    EXPECT_FALSE(files.DeleteFile("C:\\a.txt"));

    EXPECT_FALSE(files.DeleteFile("C:\\WINDOWS"));
    EXPECT_FALSE(files.RemoveDir("C:\\WINDOWS"));  // not empty
    EXPECT_TRUE(files.CreateDir("C:\\empty"));
    EXPECT_FALSE(files.CreateDir("C:\\empty"));
    EXPECT_FALSE(files.CreateDir("C:\\no\\parent"));
    EXPECT_TRUE(files.RemoveDir("C:\\EMPTY"));
    EXPECT_FALSE(files.RemoveDir("C:\\"));
    try {
        files.Open("C:\\missing.txt", FileMode::Read);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file C:\\missing.txt");
    }
}

TEST_F(RootFixture, FileTimesReadBackEqual) {
    write("C:\\t.bin", "");
    for (TDateTime dt : {EncodeDateTime(1980, 1, 1), EncodeDateTime(2003, 7, 14, 10, 20, 30, 123),
                         EncodeDateTime(2038, 1, 19, 3, 14, 8, 1), EncodeDateTime(1999, 3, 28, 1, 59, 59, 999)}) {
        ASSERT_TRUE(files.SetFileDateTime("C:\\T.BIN", dt));
        EXPECT_EQ(files.FileDateTime("c:\\t.bin").value(), dt);
    }
    EXPECT_FALSE(files.SetFileDateTime("C:\\t.bin", NAN));
    EXPECT_FALSE(files.SetFileDateTime("C:\\none.bin", 1000));
    EXPECT_FALSE(files.FileDateTime("C:\\none.bin").has_value());
}

TEST_F(RootFixture, TemporaryFilesAreNewAndUnique) {
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        std::string name = files.CreateTempFile("C:\\WINDOWS\\TEMP", "batch");
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(name.rfind("C:\\WINDOWS\\TEMP\\bat", 0), 0u) << name;
        EXPECT_EQ(name.size(), std::string("C:\\WINDOWS\\TEMP\\batXXXX.tmp").size());
        EXPECT_TRUE(files.FileExists(name));
        EXPECT_EQ(files.FileSize(name), 0);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 50u);
    EXPECT_EQ(files.CreateTempFile("C:\\no such dir", "bat"), "");
}

TEST_F(RootFixture, ShortNamesFindsAndMasks) {
    ASSERT_TRUE(files.ForceDirectories("C:\\Program Files\\Common Files"));
    ASSERT_TRUE(files.ForceDirectories("C:\\Programs Extra"));
    write("C:\\Program Files\\readme.txt", "");
    write("C:\\Program Files\\Long Name.html", "");
    EXPECT_EQ(files.ShortPathName("c:\\program files\\readme.txt").value(), "C:\\PROGRA~1\\readme.txt");
    EXPECT_EQ(files.ShortPathName("C:\\Programs Extra").value(), "C:\\PROGRA~2");
    EXPECT_EQ(files.ShortPathName("C:\\Program Files\\Long Name.html").value(), "C:\\PROGRA~1\\LONGNA~1.HTM");
    EXPECT_EQ(files.ShortPathName("C:\\").value(), "C:\\");
    EXPECT_FALSE(files.ShortPathName("C:\\Program Files\\missing.txt").has_value());

    auto all = files.FindFiles("C:\\program files");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].name, "Common Files");
    EXPECT_TRUE(all[0].directory);
    EXPECT_EQ(all[1].name, "Long Name.html");
    EXPECT_EQ(files.FindFiles("C:\\Program Files", "*.TXT").size(), 1u);
    EXPECT_TRUE(MatchesMask("README.TXT", "re?dme.*"));
    EXPECT_TRUE(MatchesMask("readme", "readme.*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
    EXPECT_FALSE(MatchesMask("a.b.c", "*.b"));
    EXPECT_TRUE(MatchesMask("anything", "*.*"));

    // A short form reaches the entry it stands for, whatever the case; one
    // that stands for no entry is a new name, kept as written.
    EXPECT_TRUE(files.FileExists("C:\\PROGRA~1\\LONGNA~1.HTM"));
    EXPECT_TRUE(files.DirectoryExists("c:\\progra~2"));
    EXPECT_EQ(files.HostPath("C:\\PROGRA~1\\COMMON~1\\new.txt"), dir.Path() / "drive_c/Program Files/Common Files/new.txt");
    EXPECT_FALSE(files.FileExists("C:\\PROGRA~3\\readme.txt"));
    ASSERT_TRUE(files.MoveFile("C:\\PROGRA~1\\readme.txt", "C:\\PROGRA~1\\COMMON~1\\readme.txt", false));
    EXPECT_TRUE(files.FileExists("C:\\Program Files\\Common Files\\readme.txt"));
    ASSERT_TRUE(files.ForceDirectories("C:\\PROGRA~9"));
    EXPECT_TRUE(files.DirectoryExists("C:\\PROGRA~9"));
    EXPECT_FALSE(files.FileExists("C:\\PROGRA~9\\readme.txt"));
}

TEST_F(RootFixture, DriveOfFixedCapacityFillsUp) {
    IniFile(dir.Path() / "platform.ini").WriteString("Drives", "A", "1000");
    ASSERT_TRUE(files.ForceDirectories("A:\\"));
    EXPECT_EQ(files.DiskFree('a'), 1000);
    FileStream f = files.Open("A:\\SETUP.1", FileMode::Create);
    std::string block(600, 'x');
    EXPECT_EQ(f.Write(block.data(), block.size()), 600u);
    EXPECT_EQ(f.Write(block.data(), block.size()), 400u);
    EXPECT_TRUE(f.DiskFull());
    EXPECT_THROW(f.WriteBuffer(block.data(), 1), EWriteError);
    f.Close();
    EXPECT_EQ(files.DiskFree('A'), 0);
    EXPECT_EQ(files.FileSize("A:\\setup.1"), 1000);
    write("C:\\big.bin", std::string(10, 'b'));
    EXPECT_FALSE(files.CopyFile("C:\\big.bin", "A:\\big.bin", false));
    EXPECT_GT(files.DiskFree('c'), 0);
}

TEST_F(RootFixture, AProgramMarkedExecutableCanBeStartedAndItsCopyToo) {
    write("C:\\setup.exe", "#!/bin/sh\nexit 7\n");
    EXPECT_EQ(fs::status(drive / "setup.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
    ASSERT_TRUE(files.MarkExecutable("c:\\SETUP.EXE"));
    EXPECT_TRUE(files.CopyFile("C:\\setup.exe", "C:\\copy.exe", false));
    for (const char* name : {"setup.exe", "copy.exe"}) {
        const int status = std::system(("'" + (drive / name).string() + "'").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7) << name;
    }
    EXPECT_FALSE(files.MarkExecutable("C:\\missing.exe"));
    EXPECT_FALSE(files.MarkExecutable("C:\\"));
}
