// Spreading an archive over disk files and extracting from them again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "installer/archive/ArchiveErrors.h"
#include "installer/compressor/TmslCompress.h"
#include "testkit/files/ArchiveTestFiles.h"

namespace installer {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct SpanSet {
    TempDir dir;
    std::vector<std::string> members;
    std::vector<std::string> contents;

    // Three incompressible members, packed, then spanned over disks of
    // 12,000 bytes, disk n in folder "diskn".
    SpanSet() {
        for (int i = 0; i < 3; ++i) {
            members.push_back(dir / ("src/m" + std::to_string(i) + ".bin"));
            contents.push_back(RandomBytes(10000 + 1000 * i, 20 + i));
            WriteFile(members.back(), contents.back());
        }
        TTmslCompress c(MakeHostPathArchiveHost());
        c.CompressionLevel = colNone;
        c.SetCompressedFile(dir / "files.1");
        c.SetFilesToProcess(members);
        c.Compress(false, 0);
    }

    std::string Disk(int n) const { return dir / ("disk" + std::to_string(n)); }

    int Span() {
        std::filesystem::create_directories(Disk(1));
        TTmslCompress c(MakeHostPathArchiveHost());
        c.SetCompressedFile(dir / "files.1");
        c.SpanDiskCapacity = 12000;
        int asked = 0;
        c.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
            ++asked;
            if (n == 1) {
                path = Disk(1);  // disk 1 again, to rewrite the headers
                return;
            }
            std::filesystem::create_directories(Disk(n));
            path = Disk(n);
        };
        c.SpanToDisks(Disk(1), "A:\\files.1");
        return asked;
    }
};

TEST(Span, ThreeDisksAndTheirReExtraction) {
    SpanSet set;
    EXPECT_EQ(set.Span(), 2);  // disks 2 and 3; disk 1 is still there for the headers
    for (int n = 1; n <= 3; ++n) {
        std::string file = set.Disk(n) + "/files." + std::to_string(n);
        ASSERT_TRUE(std::filesystem::exists(file)) << n;
        EXPECT_LE(std::filesystem::file_size(file), 12000u);
    }
    EXPECT_FALSE(std::filesystem::exists(set.Disk(4)));

    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(set.Disk(1) + "/files.1");
    ASSERT_EQ(c.Count(), 3);
    EXPECT_TRUE(c.Headers().Spanned);
    EXPECT_EQ(c.Headers().FileHeaders(0).FirstDisk, 1);
    EXPECT_EQ(c.Headers().FileHeaders(0).NextHeader, 5 + 172);
    EXPECT_EQ(c.Headers().FileHeaders(2).LastDisk, 3);
    std::vector<int> disks;
    c.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
        disks.push_back(n);
        path = set.Disk(n);
    };
    c.ExtractDirectory = set.dir / "out";
    c.SetFilesToProcess(set.members);
    c.Extract();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ReadFile(set.dir / ("out/m" + std::to_string(i) + ".bin")) == set.contents[i]) << i;
    EXPECT_THAT(disks, ::testing::Contains(2));
    EXPECT_THAT(disks, ::testing::Contains(3));
}

TEST(Span, ALastDiskHoldingOneByteOfAMemberExtracts) {
    TempDir dir;
    const std::string member = dir / "src/one.bin";
    const std::string content = RandomBytes(5000, 77);
    WriteFile(member, content);
    TTmslCompress pack(MakeHostPathArchiveHost());
    pack.CompressionLevel = colNone;
    pack.SetCompressedFile(dir / "files.1");
    pack.SetFilesToProcess({member});
    pack.Compress(false, 0);
    ASSERT_EQ(pack.Count(), 1);
    const TFileHeader& packedHeader = pack.Headers().FileHeaders(0);
    const std::int64_t data = packedHeader.LastDataPos - packedHeader.DataStart + 1;

    // Disk 1 takes the head, the one header and all of the data but its last byte.
    const std::string disk1 = dir / "disk1", disk2 = dir / "disk2";
    std::filesystem::create_directories(disk1);
    TTmslCompress span(MakeHostPathArchiveHost());
    span.SetCompressedFile(dir / "files.1");
    span.SpanDiskCapacity = static_cast<int>(5 + 172 + data - 1);
    span.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
        if (n == 2) std::filesystem::create_directories(disk2);
        path = n == 1 ? disk1 : disk2;
    };
    span.SpanToDisks(disk1, "files.1");
    ASSERT_EQ(std::filesystem::file_size(disk2 + "/files.2"), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "disk3"));

    TTmslCompress x(MakeHostPathArchiveHost());
    x.SetCompressedFile(disk1 + "/files.1");
    ASSERT_EQ(x.Count(), 1);
    EXPECT_EQ(x.Headers().FileHeaders(0).LastDisk, 2);
    x.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) { path = n == 1 ? disk1 : disk2; };
    x.ExtractDirectory = dir / "out";
    x.SetFilesToProcess({member});
    x.Extract();
    EXPECT_TRUE(ReadFile(dir / "out/one.bin") == content);
}

TEST(Span, MissingDisk) {
    SpanSet set;
    set.Span();
    std::filesystem::remove_all(set.Disk(3));
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(set.Disk(1) + "/files.1");
    c.ExtractDirectory = set.dir / "out";
    c.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
        if (n == 2) path = set.Disk(2);
    };
    c.SetFilesToProcess({set.members[2]});
    int asked = 0;
    c.OnNewDisk = [&](TTmslCompress&, int n, std::string& path) {
        if (n == 2)
            path = set.Disk(2);
        else
            ++asked;
    };
    try {
        c.Extract();
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the compressed file " + set.Disk(2) + "\\files.3");  // where disk 2 was
    }
    EXPECT_EQ(asked, 4);
    EXPECT_FALSE(std::filesystem::exists(set.dir / "out/m2.bin"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(set.dir / "out"), {}), 0);

    // Without a handler the first missing disk is an error at once.
    TTmslCompress d(MakeHostPathArchiveHost());
    d.SetCompressedFile(set.Disk(1) + "/files.1");
    d.ExtractDirectory = set.dir / "out";
    d.SetFilesToProcess({set.members[1]});
    try {
        d.Extract();
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_STREQ(e.what(), "Could not open the correct disk file 2");
    }

    // A Cancel in the disk prompt ends the extraction as an abort.
    TTmslCompress e(MakeHostPathArchiveHost());
    e.SetCompressedFile(set.Disk(1) + "/files.1");
    e.ExtractDirectory = set.dir / "out";
    int prompts = 0, aborted = 0;
    e.OnNewDisk = [&](TTmslCompress& s, int, std::string&) {
        ++prompts;
        s.Abort = true;
    };
    e.OnAborted = [&](TTmslCompress&) { ++aborted; };
    e.SetFilesToProcess({set.members[1]});
    e.Extract();
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(aborted, 1);
}

TEST(Span, NeedsANewDiskHandler) {
    SpanSet set;
    std::filesystem::create_directories(set.Disk(1));
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(set.dir / "files.1");
    c.SpanDiskCapacity = 12000;
    try {
        c.SpanToDisks(set.Disk(1), "files.1");
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_STREQ(e.what(),
                     "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted");
    }
    c.SpanDiskCapacity = 4000;  // the rest of an 8 KiB chunk does not fit a fresh disk
    c.OnNewDisk = [](TTmslCompress&, int, std::string&) {};
    try {
        c.SpanToDisks(set.Disk(1), "files.1");
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_STREQ(e.what(), "There is too little space on this disk to operate");
    }
    c.SpanDiskCapacity = 100;  // not even the headers fit
    c.OnNewDisk = [](TTmslCompress&, int, std::string&) {};
    EXPECT_THROW(c.SpanToDisks(set.Disk(1), "files.1"), ETmslCompress);
    // Disk 1 may not be the source itself.
    c.SpanDiskCapacity = 0;
    try {
        c.SpanToDisks(set.dir.Path().string(), "files.1");
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create the file " + set.dir.Path().string() + "\\files.1");
    }
    // The source archive is only read.
    TTmslCompress d(MakeHostPathArchiveHost());
    d.SetCompressedFile(set.dir / "files.1");
    EXPECT_EQ(d.Count(), 3);
    EXPECT_FALSE(d.Headers().Spanned);
}

TEST(Span, NoMoreThan255Disks) {
    TempDir dir;
    WriteFile(dir / "big.bin", RandomBytes(8192 * 256, 7));
    TTmslCompress c(MakeHostPathArchiveHost());
    c.CompressionLevel = colNone;
    c.SetCompressedFile(dir / "files.1");
    c.SetFilesToProcess({dir / "big.bin"});
    c.Compress(false, 0);
    std::filesystem::create_directories(dir / "disks");
    c.SpanDiskCapacity = 8192;  // a chunk must fit a fresh disk
    c.OnNewDisk = [](TTmslCompress&, int, std::string&) {};
    try {
        c.SpanToDisks(dir / "disks", "files.1");
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_STREQ(e.what(), "The archive needs more than 255 disks");
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "disks/files.255"));
    EXPECT_FALSE(std::filesystem::exists(dir / "disks/files.256"));
}

TEST(Span, FromAnOffsetOntoOneDisk) {
    SpanSet set;
    WriteFile(set.dir / "setup.exe", std::string(777, 'L') + ReadFile(set.dir / "files.1") + std::string(56, 'T'));
    std::filesystem::create_directories(set.Disk(1));
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(set.dir / "setup.exe");
    c.Offset = 777;
    c.SpanToDisks(set.Disk(1), "files.1");
    TTmslCompress d(MakeHostPathArchiveHost());
    d.SetCompressedFile(set.Disk(1) + "/files.1");
    d.ExtractDirectory = set.dir / "out";
    d.SetFilesToProcess({set.members[2]});
    d.Extract();
    EXPECT_TRUE(ReadFile(set.dir / "out/m2.bin") == set.contents[2]);
}

}  // namespace
}  // namespace installer
