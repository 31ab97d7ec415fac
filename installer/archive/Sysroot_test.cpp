// The archive inside the simulated Windows: Windows paths, names that ignore
// case, a diskette drive of fixed capacity, and nothing outside the root.
#include <gtest/gtest.h>

#include "installer/archive/ArchiveErrors.h"
#include "installer/compressor/TmslCompress.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/ArchiveTestFiles.h"
#include "testkit/files/TempDir.h"

namespace installer {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::WriteFile;

TEST(SysrootArchive, DiskettesOfFixedCapacity) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped(dir.Path());
    std::filesystem::path root = dir.Path();
    WriteFile((root / "platform.ini").string(), "[Drives]\r\nA=12000\r\n");
    std::vector<std::string> contents;
    for (int i = 0; i < 3; ++i) {
        contents.push_back(RandomBytes(9000, 40 + i));
        WriteFile((root / ("drive_c/Src/M" + std::to_string(i) + ".BIN")).string(), contents.back());
    }
    TTmslCompress c;
    c.CompressionLevel = colNone;
    c.SetCompressedFile("C:\\Dist\\files.1");
    c.SetFilesToProcess({"c:\\src\\m0.bin", "C:\\SRC\\M1.bin", "C:\\Src\\m2.BIN"});
    c.Compress(false, 0);
    ASSERT_TRUE(std::filesystem::exists(root / "drive_c/Dist/files.1"));

    // Swapping diskettes: the one in A: goes to C:\Disks\<its number>, and
    // disk n comes back from there when it was in the drive before.
    std::filesystem::create_directories(root / "drive_a");
    auto eject = [&] {
        for (auto& e : std::filesystem::directory_iterator(root / "drive_a")) {
            std::filesystem::path keep = root / ("drive_c/Disks/" + e.path().extension().string().substr(1));
            std::filesystem::create_directories(keep);
            std::filesystem::rename(e.path(), keep / e.path().filename());
        }
    };
    std::vector<int> asked;
    c.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
        asked.push_back(n);
        eject();
        std::filesystem::path back = root / ("drive_c/Disks/" + std::to_string(n));
        if (std::filesystem::exists(back))
            for (auto& e : std::filesystem::directory_iterator(back))
                std::filesystem::rename(e.path(), root / "drive_a" / e.path().filename());
        path = "A:";
    };
    c.SpanToDisks("A:\\", "files.1");
    EXPECT_EQ(asked, (std::vector<int>{2, 3, 1}));  // 27 KB on 12 KB diskettes, then disk 1 for the headers
    eject();
    for (int n = 1; n <= 3; ++n)
        EXPECT_LE(std::filesystem::file_size(root / ("drive_c/Disks/" + std::to_string(n) + "/files." +
                                                     std::to_string(n))),
                  12000u);

    TTmslCompress x;
    x.SetCompressedFile("C:\\Disks\\1\\FILES.1");
    x.ExtractDirectory = "C:\\Program Files\\Out";
    x.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
        path = "C:\\disks\\" + std::to_string(n);
    };
    x.SetFilesToProcess({"C:\\src\\M0.BIN", "c:\\src\\m1.bin", "C:\\Src\\m2.BIN"});
    x.Extract();
    // Written under the names the members were packed with.
    EXPECT_TRUE(ReadFile((root / "drive_c/Program Files/Out/m0.bin").string()) == contents[0]);
    EXPECT_TRUE(ReadFile((root / "drive_c/Program Files/Out/M1.bin").string()) == contents[1]);
    EXPECT_TRUE(ReadFile((root / "drive_c/Program Files/Out/m2.BIN").string()) == contents[2]);
}

TEST(SysrootArchive, AFullDriveEndsTheExtraction) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped(dir.Path());
    WriteFile((dir.Path() / "platform.ini").string(), "[Drives]\r\nE=10000\r\n");
    WriteFile((dir.Path() / "drive_d/big.bin").string(), RandomBytes(20000, 3));
    WriteFile((dir.Path() / "drive_e/big.bin").string(), "old");
    TTmslCompress c;
    c.SetCompressedFile("D:\\a.1");
    c.SetFilesToProcess({"D:\\big.bin"});
    c.Compress(false, 0);
    c.ExtractDirectory = "E:\\";
    c.SetFilesToProcess({"D:\\big.bin"});
    try {
        c.Extract();
        FAIL();
    } catch (const EtcDiskFull& e) {
        EXPECT_STREQ(e.what(), "The disk is full");
    }
    EXPECT_EQ(ReadFile((dir.Path() / "drive_e/big.bin").string()), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "drive_e"), {}), 1);

    // A handler that lets it pass meets the size check instead.
    int full = 0;
    c.OnFullDisk = [&](TTmslCompress&) { ++full; };
    c.SetFilesToProcess({"D:\\big.bin"});
    EXPECT_THROW(c.Extract(), ETmslCompress);
    EXPECT_GE(full, 1);
    EXPECT_EQ(ReadFile((dir.Path() / "drive_e/big.bin").string()), "old");
}

TEST(SysrootArchive, AMemberNameTheRootCannotHoldIsRefused) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped(dir.Path());
    WriteFile((dir.Path() / "drive_c/Src/abcd.txt").string(), "payload");
    TTmslCompress c;
    c.SetCompressedFile("C:\\a.1");
    c.SetFilesToProcess({"C:\\Src\\abcd.txt"});
    c.Compress(false, 0);
    const std::string good = ReadFile((dir.Path() / "drive_c/a.1").string());
    const std::string stored = "C:\\Src\\abcd.txt";
    ASSERT_EQ(good.substr(5 + 21, stored.size()), stored);
    for (const std::string name : {"a?cd.txt", "a*cd.txt", "a<cd.txt", "a>cd.txt", "a|cd.txt", "a\"cd.txt",
                                   "abcd.tx.", "abcd.tx ", "abcd...."}) {
        std::string forged = good;
        forged.replace(5 + 21 + 7, name.size(), name);
        WriteFile((dir.Path() / "drive_c/b.1").string(), forged);
        TTmslCompress x;
        x.SetCompressedFile("C:\\b.1");
        x.ExtractDirectory = "C:\\Out";
        x.SetFilesToProcess({"C:\\Src\\" + name});
        try {
            x.Extract();
            ADD_FAILURE() << name;
        } catch (const ETmslCompress& e) {
            EXPECT_EQ(std::string(e.what()), "The file <C:\\Src\\" + name + "> in the archive has no valid file name");
        }
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "drive_c/Out") &&
                     !std::filesystem::is_empty(dir.Path() / "drive_c/Out"))
            << name;
    }
}

TEST(SysrootArchive, NothingLandsOutsideTheRoot) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped(dir.Path());
    WriteFile((dir.Path() / "drive_c/a.txt").string(), "payload");
    TTmslCompress c;
    c.SetCompressedFile("C:\\a.1");
    c.SetFilesToProcess({"C:\\a.txt"});
    c.Compress(false, 0);
    c.ExtractDirectory = "C:\\..\\..\\..\\up";
    c.SetFilesToProcess({"c:\\A.TXT"});
    c.Extract();
    EXPECT_EQ(ReadFile((dir.Path() / "drive_c/up/a.txt").string()), "payload");  // ".." stops at the drive root

    // A folder link that leads out of the root is refused.
    std::filesystem::create_directory_symlink("/", dir.Path() / "drive_c/out");
    c.ExtractDirectory = "C:\\out\\tmp";
    c.SetFilesToProcess({"C:\\a.txt"});
    EXPECT_THROW(c.Extract(), platform::Exception);
    EXPECT_FALSE(std::filesystem::exists("/tmp/a.txt") && ReadFile("/tmp/a.txt") == "payload");
}

}  // namespace
}  // namespace installer
