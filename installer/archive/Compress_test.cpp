// Packing, listing and extracting through the component, as the install
// engine drives it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <sys/stat.h>

#include "installer/archive/ArchiveErrors.h"
#include "installer/compressor/TmslCompress.h"
#include "platform/core/hostio/HostFile.h"
#include "platform/windows/sysroot/DateTime.h"
#include "testkit/files/ArchiveTestFiles.h"

namespace installer {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

void SetTime(const std::string& path, double date) {
    platform::HostFile file;
    ASSERT_TRUE(file.Open(path, platform::HostFile::Mode::Read));
    ASSERT_TRUE(file.SetModifiedMs(platform::DateTimeToUnixMs(date)));
}

double TimeOf(const std::string& path) {
    return platform::UnixMsToDateTime(platform::HostFileFactsOf(path).value().modifiedMs);
}

bool Executable(const std::string& path) {
    using std::filesystem::perms;
    return (std::filesystem::status(path).permissions() & perms::owner_exec) != perms::none;
}

void Pack(const std::string& archive, std::vector<std::string> files, bool add = false, int id = 0) {
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(archive);
    c.SetFilesToProcess(std::move(files));
    c.Compress(add, id);
}

void Unpack(const std::string& archive, const std::string& member, const std::string& dir,
            TOverwriteType ow = TOverwriteType::owAlways) {
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(archive);
    c.ExtractDirectory = dir;
    c.Overwrite = ow;
    c.SetFilesToProcess({member});
    c.Extract();
}

TEST(Compress, BoundarySizesRoundTripWithTheirTimes) {
    TempDir dir;
    const std::size_t sizes[] = {0, 1, 4095, 4096, 4097, 65536, 65537, 1 << 20};
    std::vector<std::string> names;
    double date = platform::EncodeDateTime(2003, 7, 14, 10, 30, 15, 250);
    for (std::size_t n : sizes) {
        std::string name = dir / ("src/f" + std::to_string(n) + ".bin");
        WriteFile(name, RandomBytes(n, static_cast<unsigned>(n)));
        SetTime(name, date);
        names.push_back(name);
    }
    Pack(dir / "a.1", names);
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    ASSERT_EQ(c.Count(), 8);
    for (std::size_t i = 0; i < names.size(); ++i) {
        Unpack(dir / "a.1", names[i], dir / "out");
        std::string out = dir / ("out/f" + std::to_string(sizes[i]) + ".bin");
        EXPECT_TRUE(ReadFile(out) == ReadFile(names[i])) << sizes[i];
        EXPECT_DOUBLE_EQ(TimeOf(out), date) << sizes[i];
        EXPECT_EQ(c.Headers().FileHeaders(static_cast<int>(i)).FileDate, date);
    }
}

TEST(Compress, SingleMemberLayoutAndStats) {
    TempDir dir;
    WriteFile(dir / "one.txt", std::string(5000, 'x'));
    Pack(dir / "a.1", {dir / "one.txt"}, false, 12);
    auto size = static_cast<std::int32_t>(std::filesystem::file_size(dir / "a.1"));
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    ASSERT_EQ(c.Count(), 1);
    const TFileHeader& h = c.Headers().FileHeaders(0);
    EXPECT_EQ(h.DataStart, 177);
    EXPECT_EQ(h.NextHeader, size);
    EXPECT_EQ(h.PackedSize, size);
    EXPECT_EQ(h.LastDataPos, size - 1);
    EXPECT_EQ(h.FirstDisk, 0);
    EXPECT_EQ(h.LastDisk, 0);
    EXPECT_EQ(c.IndexOfID(12), 0);
    EXPECT_EQ(c.IndexOfID(2000), 0);
    EXPECT_EQ(c.IndexOfID(-1), 0);
    TlzhFileStats stats;
    c.GetFileStats(0, stats);
    EXPECT_EQ(stats.UnpackedSize, 5000);
    EXPECT_EQ(stats.TotalUnpackedSize, 5000);
    EXPECT_THROW(
        try { c.GetFileStats(1, stats); } catch (const ETmslCompress& e) {
            EXPECT_STREQ(e.what(), "Tried to access the 1th file. This file is not defined");
            throw;
        },
        ETmslCompress);
    // A member looked up by an identifier no header holds gets index 0,
    // which an empty list must refuse as well.
    TFileHeaders empty;
    EXPECT_THROW(
        try { empty.FileHeaders(0); } catch (const ETmslCompress& e) {
            EXPECT_STREQ(e.what(), "0 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
            throw;
        },
        ETmslCompress);
    EXPECT_THROW(std::as_const(empty).FileHeaders(-1), ETmslCompress);
    EXPECT_THROW(
        try { c.Headers().FileHeaders(5); } catch (const ETmslCompress& e) {
            EXPECT_STREQ(e.what(), "5 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
            throw;
        },
        ETmslCompress);
}

TEST(Compress, AddModeKeepsOldMembersAndLookupIgnoresCase) {
    TempDir dir;
    WriteFile(dir / "A.txt", "first");
    WriteFile(dir / "b.txt", "second");
    WriteFile(dir / "c.txt", "third");
    Pack(dir / "new/sub/a.1", {dir / "A.txt"}, true, 1);  // add mode on a missing archive creates it
    std::string before = ReadFile(dir / "new/sub/a.1");
    Pack(dir / "new/sub/a.1", {dir / "b.txt;comment", dir / "c.txt"}, true, 2);
    std::string after = ReadFile(dir / "new/sub/a.1");
    EXPECT_EQ(after.substr(5, before.size() - 5), before.substr(5));  // old header and data untouched
    EXPECT_EQ(GetInt32(reinterpret_cast<const std::uint8_t*>(after.data())), 3);

    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "new/sub/a.1");
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Headers().FileHeaders(1).MemberNumber, 1);  // numbered per Compress call
    EXPECT_EQ(c.Headers().FileHeaders(2).MemberNumber, 2);
    EXPECT_EQ(c.Headers().FileHeaders(1).FileName, dir / "b.txt");
    EXPECT_EQ(c.IndexOfID(2), 2);  // the last member with that ID

    std::string upper = dir / "B.TXT";
    c.ExtractDirectory = dir / "out";
    c.SetFilesToProcess({"", "  ", upper + ";ignored", dir / "a.txt"});
    c.Extract();
    EXPECT_EQ(ReadFile(dir / "out/b.txt"), "second");  // named after the member, not the request
    EXPECT_EQ(ReadFile(dir / "out/A.txt"), "first");
    EXPECT_TRUE(c.FilesToProcess().empty());
}

TEST(Compress, IdsOfAnotherArchiveAreForgotten) {
    TempDir dir;
    WriteFile(dir / "x", "x");
    Pack(dir / "two.zz", {dir / "x"}, false, 6);
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "one.1");
    c.SetFilesToProcess({dir / "x", dir / "x"});
    c.Compress(false, 5);
    EXPECT_EQ(c.Count(), 2);  // the list just written
    c.SetCompressedFile(dir / "two.zz");
    EXPECT_EQ(c.Count(), 1);  // another archive is read, not the old list
    c.SetCompressedFile(dir / "one.1");
    EXPECT_EQ(c.IndexOfID(5), 1);
    c.SetCompressedFile(dir / "ONE.1");  // only the case differs: still loaded
    EXPECT_TRUE(c.HeadersLoaded());
    c.SetCompressedFile(dir / "two.zz");
    EXPECT_FALSE(c.HeadersLoaded());
    EXPECT_EQ(c.IndexOfID(5), 0);
    EXPECT_EQ(c.IndexOfID(6), 0);
}

TEST(Compress, EventsComeInOrder) {
    TempDir dir;
    WriteFile(dir / "big", RandomBytes(200000, 9));
    std::vector<std::string> seen;
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    c.SetFilesToProcess({dir / "big"});
    c.OnBeforeAdding = [&](TTmslCompress&, TlzhFileStats& s) { seen.push_back("before " + std::to_string(s.UnpackedSize)); };
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) {
        seen.push_back(s.Finished ? "finished " + std::to_string(s.FileBytesDone) + " " + std::to_string(s.FilePercent)
                                  : "status");
    };
    c.OnAfterAdding = [&](TTmslCompress&, TlzhFileStats&) { seen.push_back("after"); };
    c.Compress(false, 0);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen.front(), "before 200000");
    EXPECT_EQ(seen[1], "status");  // random data fills the 64 KiB buffer several times
    EXPECT_EQ(seen[seen.size() - 2], "finished 200000 100");
    EXPECT_EQ(seen.back(), "after");

    seen.clear();
    c.ExtractDirectory = dir / "out";
    c.SetFilesToProcess({dir / "big"});
    std::int64_t last = 0;
    c.OnBeforeExtracting = [&](TTmslCompress&, TlzhFileStats& s) { seen.push_back("before " + s.FileName); };
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) {
        EXPECT_GE(s.FileBytesDone, last);
        last = s.FileBytesDone;
        if (s.Finished) seen.push_back("finished " + std::to_string(s.TotalPercent));
    };
    c.Extract();
    EXPECT_THAT(seen, ElementsAre("before " + (dir / "big").string(), "finished 100"));
    EXPECT_EQ(last, 200000);
}

TEST(Compress, TotalsRunAcrossMembers) {
    TempDir dir;
    WriteFile(dir / "a", RandomBytes(3000, 1));
    WriteFile(dir / "b", std::string(1000, 'b'));
    Pack(dir / "t.1", {dir / "a", dir / "b"});
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "t.1");
    c.ExtractDirectory = dir / "out";
    std::vector<std::string> finished;
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) {
        if (s.Finished)
            finished.push_back(std::to_string(s.FileBytesDone) + "/" + std::to_string(s.TotalBytesDone) + "/" +
                               std::to_string(s.TotalUnpackedSize) + " " + std::to_string(s.TotalPercent) + "%");
    };
    c.SetFilesToProcess({dir / "a", dir / "b"});
    c.Extract();
    EXPECT_THAT(finished, ElementsAre("3000/3000/4000 75%", "1000/4000/4000 100%"));
    TlzhFileStats stats;
    c.GetFileStats(1, stats);
    const TFileHeader& h = c.Headers().FileHeaders(1);
    EXPECT_EQ(stats.PackedSize, h.PackedSize);  // the archive's size after this member
    EXPECT_EQ(stats.FileRatio, Percent(h.PackedSize, 1000));
    EXPECT_EQ(stats.TotalPackedSize, c.Headers().FileHeaders(0).PackedSize + h.PackedSize);
    EXPECT_EQ(stats.FileBytesDone, 0);
}

TEST(Compress, EmbeddedAtAnOffset) {
    TempDir dir;
    WriteFile(dir / "payload.txt", "inside the program");
    Pack(dir / "files.1", {dir / "payload.txt"});
    std::string loader = RandomBytes(12345, 1);
    WriteFile(dir / "setup.exe", loader + ReadFile(dir / "files.1") + std::string(56, 'T'));
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "setup.exe");
    c.Offset = 12345;
    ASSERT_EQ(c.Count(), 1);
    c.ExtractDirectory = dir / "out";
    c.SetFilesToProcess({dir / "payload.txt"});
    c.Extract();
    EXPECT_EQ(ReadFile(dir / "out/payload.txt"), "inside the program");
}

TEST(Compress, OverwriteRules) {
    TempDir dir;
    WriteFile(dir / "f.txt", "new");
    SetTime(dir / "f.txt", platform::EncodeDateTime(2020, 1, 1));
    Pack(dir / "a.1", {dir / "f.txt"});
    auto existing = [&](double date) {
        WriteFile(dir / "out/F.TXT", "old");
        SetTime(dir / "out/F.TXT", date);
    };
    double older = platform::EncodeDateTime(2019, 1, 1), newer = platform::EncodeDateTime(2021, 1, 1);

    existing(newer);
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owAlways);
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "new");  // replaced under its existing spelling
    EXPECT_FALSE(std::filesystem::exists(dir / "out/f.txt"));

    existing(older);
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owNever);
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "old");

    existing(older);
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owDate);
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "new");
    existing(newer);
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owDate);
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "old");
    existing(platform::EncodeDateTime(2020, 1, 1));
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owDate);  // same: kept
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "old");

    // No version on either side: the same version, so owVersion keeps it.
    existing(older);
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owVersion);
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "old");
    Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owVersionDate);  // falls to the dates
    EXPECT_EQ(ReadFile(dir / "out/F.TXT"), "new");

    // An unreadable destination makes the date comparison fail.
    existing(older);
    std::filesystem::permissions(dir / "out/F.TXT", std::filesystem::perms::none);
    if (!std::ifstream(dir / "out/F.TXT")) {
        EXPECT_THROW(
            try { Unpack(dir / "a.1", dir / "f.txt", dir / "out", TOverwriteType::owDate); } catch (
                const ETmslCompress& e) {
                EXPECT_STREQ(e.what(), "Error comparing file versions in TTmslCompress");
                throw;
            },
            ETmslCompress);
    }
}

TEST(Compress, ReplaceHandlerMayRenameAndSkipLeavesTheFile) {
    TempDir dir;
    WriteFile(dir / "f.txt", "new");
    Pack(dir / "a.1", {dir / "f.txt"});
    WriteFile(dir / "out/f.txt", "old");
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    c.ExtractDirectory = dir / "out";
    c.OnReplace = [](TTmslCompress& s, TlzhFileStats&) { s.DestinationName = "sub\\renamed.txt"; };
    c.SetFilesToProcess({dir / "f.txt"});
    c.Extract();
    EXPECT_EQ(ReadFile(dir / "out/renamed.txt"), "new");  // reduced to its file name
    EXPECT_EQ(ReadFile(dir / "out/f.txt"), "old");

    bool finished = false;
    c.OnReplace = nullptr;
    c.OnBeforeExtracting = [](TTmslCompress& s, TlzhFileStats&) { s.SkipFile = true; };
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) { finished = s.Finished; };
    c.SetFilesToProcess({dir / "f.txt"});
    c.Extract();
    EXPECT_TRUE(finished);
    EXPECT_EQ(ReadFile(dir / "out/f.txt"), "old");
}

TEST(Compress, MissingMemberAndMissingArchive) {
    TempDir dir;
    WriteFile(dir / "f.txt", "x");
    Pack(dir / "a.1", {dir / "f.txt"});
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    c.SetFilesToProcess({"nothing.txt;x"});
    try {
        c.Extract();
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "The file <nothing.txt;x> was not found in the archive <" + (dir / "a.1").string() + ">");
    }
    EXPECT_TRUE(c.Abort);  // an error sets Abort
    EXPECT_TRUE(c.FilesToProcess().empty());
    TTmslCompress d(MakeHostPathArchiveHost());
    d.SetCompressedFile(dir / "none.1");
    try {
        d.Count();
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the compressed file " + (dir / "none.1").string());
    }
    d.SetFilesToProcess({dir / "missing.txt"});
    try {
        d.Compress(false, 0);
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the file " + (dir / "missing.txt").string());
    }
}

TEST(Compress, RefusesWhatTheFormatCannotHold) {
    TempDir dir;
    ::mkfifo((dir / "pipe").c_str(), 0600);  // not a file: refused without waiting for a writer
    TTmslCompress p(MakeHostPathArchiveHost());
    p.SetCompressedFile(dir / "p.1");
    p.SetFilesToProcess({dir / "pipe"});
    EXPECT_THROW(p.Compress(false, 0), ETmslCompress);

    // A member name of exactly 100 characters packs and comes back; 101 is refused.
    const std::string base = dir / "";
    ASSERT_LT(base.size(), 90u);
    const std::string fits = base + std::string(100 - base.size(), 'f');
    WriteFile(fits, "fits");
    TTmslCompress full(MakeHostPathArchiveHost());
    full.SetCompressedFile(dir / "full.1");
    full.SetFilesToProcess({fits});
    full.Compress(false, 0);
    TTmslCompress back(MakeHostPathArchiveHost());
    back.SetCompressedFile(dir / "full.1");
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Headers().FileHeaders(0).FileName, fits);
    back.ExtractDirectory = dir / "out";
    back.SetFilesToProcess({fits});
    back.Extract();
    EXPECT_EQ(ReadFile(dir / ("out/" + std::string(100 - base.size(), 'f'))), "fits");
    const std::string over = base + std::string(101 - base.size(), 'o');
    WriteFile(over, "over");
    TTmslCompress refused(MakeHostPathArchiveHost());
    refused.SetCompressedFile(dir / "over.1");
    refused.SetFilesToProcess({over});
    EXPECT_THROW(refused.Compress(false, 0), ETmslCompress);

    std::string longName = dir / (std::string(100, 'n') + ".txt");
    WriteFile(longName, "x");
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    c.SetFilesToProcess({longName});
    try {
        c.Compress(false, 0);
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "The file name " + longName + " cannot be stored in the archive");
    }
}

TEST(Compress, AbortStopsExtractionAndKeepsTheOldFile) {
    TempDir dir;
    WriteFile(dir / "big", RandomBytes(300000, 4));
    Pack(dir / "a.1", {dir / "big"});
    WriteFile(dir / "out/big", "old contents");
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    c.ExtractDirectory = dir / "out";
    int aborted = 0, reports = 0;
    c.OnAborted = [&](TTmslCompress&) { ++aborted; };
    c.OnStatus = [&](TTmslCompress& s, TlzhFileStats&) {
        if (++reports == 3) s.Abort = true;
    };
    c.SetFilesToProcess({dir / "big"});
    c.Extract();  // swallowed after OnAborted
    EXPECT_EQ(aborted, 1);
    EXPECT_EQ(reports, 3);
    EXPECT_EQ(ReadFile(dir / "out/big"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 1);  // no temporary left

    // Compress stops too; an abort raised in OnAborted reaches the caller.
    c.SetCompressedFile(dir / "b.1");
    c.SetFilesToProcess({dir / "big"});
    c.OnStatus = [](TTmslCompress& s, TlzhFileStats&) { s.Abort = true; };
    c.OnAborted = [](TTmslCompress&) { throw platform::Exception("Installation aborted by the user"); };
    EXPECT_THROW(c.Compress(false, 0), platform::Exception);
}

TEST(Compress, CopyFileCheckedUnderTheOverwriteRule) {
    TempDir dir;
    std::string data = RandomBytes(8192 * 2 + 100, 5);
    WriteFile(dir / "src.bin", data);
    SetTime(dir / "src.bin", platform::EncodeDateTime(2010, 5, 6, 7, 8, 9));
    TTmslCompress c(MakeHostPathArchiveHost());
    std::vector<int> percents;
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) { percents.push_back(s.FilePercent); };
    c.CopyFileChecked(dir / "src.bin", dir / "dst.bin");
    EXPECT_TRUE(ReadFile(dir / "dst.bin") == data);
    EXPECT_DOUBLE_EQ(TimeOf(dir / "dst.bin"), platform::EncodeDateTime(2010, 5, 6, 7, 8, 9));
    EXPECT_THAT(percents, ElementsAre(50, 99, 100, 100));

    WriteFile(dir / "dst.bin", "keep me");
    c.Overwrite = TOverwriteType::owNever;
    c.CopyFileChecked(dir / "src.bin", dir / "dst.bin");
    EXPECT_EQ(ReadFile(dir / "dst.bin"), "keep me");

    // A Cancel during the copy leaves the old file whole.
    c.Overwrite = TOverwriteType::owAlways;
    c.OnStatus = [](TTmslCompress& s, TlzhFileStats&) { s.Abort = true; };
    c.CopyFileChecked(dir / "src.bin", dir / "dst.bin");
    EXPECT_EQ(ReadFile(dir / "dst.bin"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(Compress, ProgramsGetTheirExecuteBits) {
    TempDir dir;
    WriteFile(dir / "run.sh", "#!/bin/sh\necho hi\n");
    WriteFile(dir / "prog", std::string("\x7F" "ELF", 4) + "rest");
    WriteFile(dir / "data.txt", "#not a script");
    Pack(dir / "a.1", {dir / "run.sh", dir / "prog", dir / "data.txt"});
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(dir / "a.1");
    c.ExtractDirectory = dir / "out";
    c.SetFilesToProcess({dir / "run.sh", dir / "prog", dir / "data.txt"});
    c.Extract();
    EXPECT_TRUE(Executable(dir / "out/run.sh"));
    EXPECT_TRUE(Executable(dir / "out/prog"));
    EXPECT_FALSE(Executable(dir / "out/data.txt"));
}

}  // namespace
}  // namespace installer
