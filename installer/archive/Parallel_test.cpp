// Packing and extracting on several threads: the archive is the very bytes
// one thread writes, and extraction keeps its order, totals and safety.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <random>

#include "installer/archive/ArchiveErrors.h"
#include "installer/compressor/TmslCompress.h"
#include "platform/core/hostio/HostFault.h"
#include "platform/core/hostio/HostFile.h"
#include "platform/windows/sysroot/DateTime.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "testkit/files/ArchiveTestFiles.h"
#include "testkit/files/Deadline.h"
#include "testkit/files/TempDir.h"

namespace installer {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::WriteFile;

// Text that deflate has real work on: words, numbers, repeats.
std::string Wordy(std::size_t n, unsigned seed) {
    static const char* words[] = {"<td>", "transistor ", "BC547 ", "\r\n", "gain ", "1N4148", "  ", "&nbsp;"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += words[rng() % 8];
        if (rng() % 5 == 0) s += std::to_string(rng() % 100000);
    }
    s.resize(n);
    return s;
}

// A tree of empty, tiny, block-boundary and multi-megabyte members, with
// fixed dates, below a system root so that the stored names do not depend
// on where the test runs.
struct Tree {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped{dir.Path()};
    std::vector<std::string> files;

    Tree() {
        const std::size_t sizes[] = {0, 1, 3, 4095, 4096, 4097, 32768, 65535, 65536, 65537, 131072, 200000};
        double date = platform::EncodeDateTime(2004, 2, 29, 23, 59, 58, 500);
        int k = 0;
        auto add = [&](const std::string& bytes) {
            std::string name = "C:\\Tree\\m" + std::to_string(k++) + ".bin";
            std::string host = (dir.Path() / ("drive_c/Tree/m" + std::to_string(k - 1) + ".bin")).string();
            WriteFile(host, bytes);
            platform::HostFile f;
            f.Open(host, platform::HostFile::Mode::Read);
            f.SetModifiedMs(platform::DateTimeToUnixMs(date));
            files.push_back(name);
        };
        for (std::size_t n : sizes) {
            add(Wordy(n, static_cast<unsigned>(n)));
            add(RandomBytes(n, static_cast<unsigned>(n) + 7));
        }
        add(Wordy(3 << 20, 1));
        add(RandomBytes(2 << 20, 2) + Wordy(1 << 20, 3));
    }

    std::string Host(const std::string& windowsPath) { return platform::Files().HostPath(windowsPath).string(); }
};

std::string Pack(Tree& tree, TCompressionLevel level, int threads, TTmslCompress* with = nullptr) {
    TTmslCompress own;
    TTmslCompress& c = with ? *with : own;
    c.CompressionLevel = level;
    c.Threads = threads;
    c.SetCompressedFile("C:\\Out\\t" + std::to_string(threads) + ".1");
    c.SetFilesToProcess(tree.files);
    c.Compress(false, 7);
    return ReadFile(tree.Host(c.CompressedFile()));
}

unsigned long Crc(const std::string& bytes) {
    return crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
}

// Every level gives the archive packing on one thread gave before packing
// went parallel (sizes and checksums taken then), on any number of threads.
TEST(ParallelPack, SameBytesAtEveryLevelOnAnyNumberOfThreads) {
    Tree tree;
    struct Golden {
        TCompressionLevel level;
        std::size_t size;
        unsigned long crc;
    };
    const Golden golden[] = {{colNone, 7442269, 0x85d0b3fdu},
                             {colFastest, 4100056, 0x72ef8cbau},
                             {colDefault, 3811765, 0xb17e8435u},
                             {colMax, 3759349, 0x8b68df01u}};
    for (const Golden& g : golden) {
        for (int threads : {1, 3, 8}) {
            std::string archive = Pack(tree, g.level, threads);
            EXPECT_EQ(archive.size(), g.size) << g.level << " on " << threads;
            EXPECT_EQ(Crc(archive), g.crc) << g.level << " on " << threads;
        }
    }
}

// What a progress handler sees: the same reports in the same order.
std::vector<std::string> PackReports(Tree& tree, int threads) {
    std::vector<std::string> seen;
    TTmslCompress c;
    auto note = [&](const char* what) {
        return [&seen, what](TTmslCompress&, TlzhFileStats& s) {
            seen.push_back(std::string(what) + " " + s.FileName + " " + std::to_string(s.FileBytesDone) + " " +
                           std::to_string(s.PackedSize) + " " + std::to_string(s.TotalBytesDone) + " " +
                           std::to_string(s.TotalPercent) + (s.Finished ? " end" : ""));
        };
    };
    c.OnBeforeAdding = note("before");
    c.OnStatus = note("status");
    c.OnAfterAdding = note("after");
    Pack(tree, colFastest, threads, &c);
    return seen;
}

TEST(ParallelPack, ProgressReportsAsOnOneThread) {
    Tree tree;
    std::vector<std::string> one = PackReports(tree, 1);
    EXPECT_GT(one.size(), tree.files.size() * 3);
    EXPECT_EQ(PackReports(tree, 6), one);
}

// The reports follow the rule, not merely one another: one report per
// 65,536 bytes of packed data written, then one last report per member
// with all of its bytes; the totals end at the sum of the sources, and the
// packed sizes reported are the archive's size as it grows.
TEST(ParallelPack, OneReportPerBufferAndTotalsOfTheArchive) {
    Tree tree;
    for (int threads : {1, 6}) {
        TTmslCompress c;
        std::int64_t sources = 0;
        for (const std::string& f : tree.files) sources += static_cast<std::int64_t>(ReadFile(tree.Host(f)).size());
        struct Member {
            std::int64_t dataStart = 0, buffers = 0, lastPacked = 0;
        } member;
        std::int64_t lastTotal = -1, finishedTotal = 0;
        int finished = 0;
        c.OnBeforeAdding = [&](TTmslCompress&, TlzhFileStats& s) {
            member = {s.Header.DataStart, 0, s.Header.DataStart};
        };
        c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) {
            EXPECT_GE(s.TotalBytesDone, lastTotal);
            lastTotal = s.TotalBytesDone;
            EXPECT_EQ(s.TotalUnpackedSize, sources);
            if (s.Finished) {
                ++finished;
                EXPECT_EQ(s.FileBytesDone, s.UnpackedSize) << s.FileName;
                EXPECT_LT(s.PackedSize - member.lastPacked, 65536 + 1) << s.FileName;
                finishedTotal = s.TotalBytesDone;
                return;
            }
            ++member.buffers;
            EXPECT_EQ(s.PackedSize, member.dataStart + member.buffers * 65536) << s.FileName;
            member.lastPacked = s.PackedSize;
        };
        const std::string archive = Pack(tree, colNone, threads, &c);
        EXPECT_EQ(finished, static_cast<int>(tree.files.size())) << threads;
        EXPECT_EQ(finishedTotal, sources) << threads;
        EXPECT_EQ(c.Headers().FileHeaders(c.Count() - 1).PackedSize, static_cast<std::int64_t>(archive.size()));
    }
}

// A source that cannot be opened stops packing at its turn: the members
// before it are written, none after. Its file goes once every file was
// listed, before packing opens it.
struct GoneAfterListing : SysrootArchiveHost {
    std::string gone, last;
    bool listed = false;
    std::filesystem::path ToHost(const std::string& path) override {
        if (path == last) listed = true;
        else if (listed && path == gone) throw platform::Exception("gone");
        return SysrootArchiveHost::ToHost(path);
    }
};

TEST(ParallelPack, UnopenableSourceFailsInItsTurn) {
    // Without its check the writer waits forever for a member never deflated.
    platform::testing::Deadline deadline(std::chrono::seconds(60), "packing with an unopenable source");
    Tree tree;
    auto host = std::make_shared<GoneAfterListing>();
    host->gone = tree.files[9];
    host->last = tree.files.back();
    TTmslCompress c(host);
    c.Threads = 4;
    std::vector<std::string> added;
    c.OnAfterAdding = [&](TTmslCompress&, TlzhFileStats& s) { added.push_back(s.FileName); };
    c.SetCompressedFile("C:\\Out\\bad.1");
    c.SetFilesToProcess(tree.files);
    try {
        c.Compress(false, 0);
        ADD_FAILURE() << "no error";
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the file " + tree.files[9]);
    }
    EXPECT_EQ(added, std::vector<std::string>(tree.files.begin(), tree.files.begin() + 9));
}

// The workers run ahead of the writer by a bounded number of source bytes,
// and the bound is a window that moves on as members are written: with
// room for three members of the same size, every member's source is opened
// while the member two before it is still being written, to the last. The
// archive is the same bytes as one thread writes.
struct OpenLog : SysrootArchiveHost {
    std::vector<std::string>* log = nullptr;
    std::filesystem::path ToHost(const std::string& path) override {
        if (log) log->push_back("open " + path);
        return SysrootArchiveHost::ToHost(path);
    }
};

TEST(ParallelPack, TheLookAheadMovesOnWithTheWriter) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped{dir.Path()};
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i) {
        WriteFile((dir.Path() / ("drive_c/m" + std::to_string(i) + ".txt")).string(), Wordy(5000, static_cast<unsigned>(i)));
        files.push_back("C:\\m" + std::to_string(i) + ".txt");
    }
    auto pack = [&](int threads, std::vector<std::string>* log) {
        auto host = std::make_shared<OpenLog>();
        TTmslCompress c(host);
        c.Threads = threads;
        c.PackAheadBytes = 3 * 5000;
        c.OnAfterAdding = [&](TTmslCompress&, TlzhFileStats& s) {
            if (log) log->push_back("written " + s.FileName);
        };
        c.SetCompressedFile("C:\\Out\\t" + std::to_string(threads) + ".1");
        c.SetFilesToProcess(files);
        host->log = log;
        c.Compress(false, 7);
        return ReadFile(platform::Files().HostPath(c.CompressedFile()).string());
    };
    std::vector<std::string> log;
    const std::string packed = pack(4, &log);
    EXPECT_EQ(packed, pack(1, nullptr));
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) expected.push_back("open " + files[i]);
    for (int i = 0; i < 8; ++i) {
        if (i > 0 && i + 2 < 8) expected.push_back("open " + files[i + 2]);
        expected.push_back("written " + files[i]);
    }
    // Before packing, each member was opened once to be listed.
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<std::ptrdiff_t>(expected.size()), log.end()), expected);
}

// Abort stops the writer and every worker; the call returns promptly.
TEST(ParallelPack, AbortStopsEveryWorker) {
    Tree tree;
    TTmslCompress c;
    c.Threads = 8;
    int afterAdding = 0, aborted = 0;
    c.OnAfterAdding = [&](TTmslCompress& self, TlzhFileStats&) {
        if (++afterAdding == 3) self.Abort = true;
    };
    c.OnAborted = [&](TTmslCompress&) { ++aborted; };
    Pack(tree, colMax, 8, &c);
    EXPECT_EQ(afterAdding, 3);
    EXPECT_EQ(aborted, 1);
}

// ---- extraction ------------------------------------------------------------

struct Extracted {
    std::vector<std::string> finished;  // the last report of each member
    std::vector<std::int64_t> totals;   // TotalBytesDone of every report
    int aborted = 0;
    std::string error;
};

Extracted Unpack(Tree& tree, int threads, const std::string& into,
                 const std::function<void(TTmslCompress&, TlzhFileStats&)>& onStatus = {}) {
    Extracted result;
    TTmslCompress c;
    c.Threads = threads;
    c.SetCompressedFile("C:\\Out\\t1.1");
    c.ExtractDirectory = into;
    c.OnStatus = [&](TTmslCompress& self, TlzhFileStats& s) {
        result.totals.push_back(s.TotalBytesDone);
        if (s.Finished)
            result.finished.push_back(s.FileName + " " + std::to_string(s.FileBytesDone) + " " +
                                      std::to_string(s.TotalBytesDone) + " " + std::to_string(s.TotalPercent));
        if (onStatus) onStatus(self, s);
    };
    c.OnAborted = [&](TTmslCompress&) { ++result.aborted; };
    c.SetFilesToProcess(tree.files);
    try {
        c.Extract();
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    return result;
}

std::vector<std::string> Listing(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string MemberFile(std::size_t i) { return "m" + std::to_string(i) + ".bin"; }

// The files of the first n members, as a folder listing gives them.
std::vector<std::string> FirstMemberFiles(std::size_t n) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < n; ++i) names.push_back(MemberFile(i));
    std::sort(names.begin(), names.end());
    return names;
}

// Every member lands with its bytes and date; the reports come in member
// order with the totals of one thread.
TEST(ParallelExtract, SameFilesAndReportsOnAnyNumberOfThreads) {
    Tree tree;
    Pack(tree, colDefault, 1);
    Extracted one = Unpack(tree, 1, "C:\\One");
    Extracted many = Unpack(tree, 8, "C:\\Many");
    ASSERT_EQ(many.error, "");
    EXPECT_EQ(many.finished, one.finished);
    EXPECT_EQ(one.finished.size(), tree.files.size());
    EXPECT_TRUE(std::is_sorted(many.totals.begin(), many.totals.end()));
    for (std::size_t i = 0; i < tree.files.size(); ++i) {
        std::string source = tree.Host(tree.files[i]);
        std::string copy = tree.Host("C:\\Many\\" + MemberFile(i));
        EXPECT_TRUE(ReadFile(copy) == ReadFile(source)) << i;
        EXPECT_EQ(platform::HostFileFactsOf(copy)->modifiedMs, platform::HostFileFactsOf(source)->modifiedMs) << i;
    }
    EXPECT_EQ(Listing(tree.Host("C:\\Many")).size(), tree.files.size());  // nothing else
}

// Abort in one member's reports: that member is the last one published;
// the files after it keep their old contents, and no worker's file is left.
TEST(ParallelExtract, AbortKeepsEveryLaterFileAsItWas) {
    Tree tree;
    Pack(tree, colFastest, 1);
    for (std::size_t i = 0; i < tree.files.size(); ++i) WriteFile(tree.Host("C:\\Old\\" + MemberFile(i)), "old");
    Extracted run = Unpack(tree, 8, "C:\\Old", [&](TTmslCompress& self, TlzhFileStats& s) {
        if (s.Finished && s.FileName == tree.files[4]) self.Abort = true;
    });
    EXPECT_EQ(run.aborted, 1);
    EXPECT_EQ(run.finished.size(), 5u);
    for (std::size_t i = 0; i < tree.files.size(); ++i) {
        std::string copy = ReadFile(tree.Host("C:\\Old\\" + MemberFile(i)));
        if (i <= 4)
            EXPECT_TRUE(copy == ReadFile(tree.Host(tree.files[i]))) << i;
        else
            EXPECT_EQ(copy, "old") << i;
    }
    EXPECT_EQ(Listing(tree.Host("C:\\Old")).size(), tree.files.size());
}

// A member whose data is damaged fails in its turn, after every member
// before it was published and before any after it.
TEST(ParallelExtract, DamagedMemberFailsInItsTurn) {
    Tree tree;
    Pack(tree, colMax, 1);
    TTmslCompress probe;
    probe.SetCompressedFile("C:\\Out\\t1.1");
    ASSERT_GT(probe.Count(), 20);
    const TFileHeader& damaged = probe.Headers().FileHeaders(20);
    {
        std::string archive = ReadFile(tree.Host("C:\\Out\\t1.1"));
        for (int k = 10; k < 40; ++k) archive[static_cast<std::size_t>(damaged.DataStart + k)] ^= 0x5A;
        WriteFile(tree.Host("C:\\Out\\t1.1"), archive);
    }
    Extracted run = Unpack(tree, 8, "C:\\Dmg");
    EXPECT_EQ(run.error, "error");
    EXPECT_EQ(run.finished.size(), 20u);
    EXPECT_EQ(Listing(tree.Host("C:\\Dmg")), FirstMemberFiles(20));
}

// A list that names one member twice: the second meets the file the first
// wrote, under the overwrite rule, as on one thread.
TEST(ParallelExtract, AMemberNamedTwiceMeetsItsOwnFile) {
    Tree tree;
    Pack(tree, colFastest, 1);
    WriteFile(tree.Host("C:\\Twice\\keep.txt"), "x");
    TTmslCompress c;
    c.Threads = 4;
    c.Overwrite = TOverwriteType::owNever;
    c.SetCompressedFile("C:\\Out\\t1.1");
    c.ExtractDirectory = "C:\\Twice";
    std::vector<std::string> finished;
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) {
        if (s.Finished) finished.push_back(std::to_string(s.TotalBytesDone));
    };
    c.SetFilesToProcess({tree.files[3], tree.files[5], tree.files[3], "c:\\TREE\\M5.BIN"});
    c.Extract();
    EXPECT_EQ(Listing(tree.Host("C:\\Twice")), (std::vector<std::string>{"keep.txt", "m3.bin", "m5.bin"}));
    const std::string three = std::to_string(ReadFile(tree.Host(tree.files[3])).size());
    const std::string both = std::to_string(ReadFile(tree.Host(tree.files[3])).size() +
                                            ReadFile(tree.Host(tree.files[5])).size());
    // The kept ones report no bytes.
    EXPECT_EQ(finished, (std::vector<std::string>{three, both, both, both}));
}

// An archive inside another file (the self-extractor) extracts on several
// threads from its offset.
TEST(ParallelExtract, FromAnOffset) {
    Tree tree;
    const std::string archive = Pack(tree, colFastest, 1);
    WriteFile(tree.Host("C:\\Out\\setup.exe"), std::string(12345, 'E') + archive);
    TTmslCompress c;
    c.Threads = 4;
    c.SetCompressedFile("C:\\Out\\setup.exe");
    c.Offset = 12345;
    c.ExtractDirectory = "C:\\Embedded";
    c.SetFilesToProcess(tree.files);
    c.Extract();
    for (std::size_t i = 0; i < tree.files.size(); ++i)
        EXPECT_TRUE(ReadFile(tree.Host("C:\\Embedded\\" + MemberFile(i))) == ReadFile(tree.Host(tree.files[i]))) << i;
}

// Two members whose names differ only in case go to one file, the later
// one replacing the earlier, as names ignore case.
TEST(ParallelExtract, NamesThatDifferInCaseMeetAsOneFile) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped(dir.Path());
    WriteFile((dir.Path() / "drive_c/A/Case.txt").string(), "first");
    WriteFile((dir.Path() / "drive_c/B/CASE.TXT").string(), "second");
    WriteFile((dir.Path() / "drive_c/A/other.txt").string(), "other");
    TTmslCompress c;
    c.Threads = 4;
    c.SetCompressedFile("C:\\case.1");
    c.SetFilesToProcess({"C:\\A\\Case.txt", "C:\\A\\other.txt", "C:\\B\\CASE.TXT"});
    c.Compress(false, 0);
    c.ExtractDirectory = "C:\\Out";
    c.SetFilesToProcess({"C:\\A\\Case.txt", "C:\\A\\other.txt", "C:\\B\\CASE.TXT"});
    c.Extract();
    EXPECT_EQ(Listing(dir.Path() / "drive_c/Out"), (std::vector<std::string>{"Case.txt", "other.txt"}));
    EXPECT_EQ(ReadFile((dir.Path() / "drive_c/Out/Case.txt").string()), "second");
}

// A member too large for the batches is read by its worker from the archive;
// cut short, it fails in its turn with the members before it in place.
TEST(ParallelExtract, LargeMembersAreReadByTheirWorker) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot scoped(dir.Path());
    const std::string big = RandomBytes(6 << 20, 11);
    WriteFile((dir.Path() / "drive_c/S/a.txt").string(), "before");
    WriteFile((dir.Path() / "drive_c/S/big.bin").string(), big);
    WriteFile((dir.Path() / "drive_c/S/z.txt").string(), "after");
    const std::vector<std::string> files = {"C:\\S\\a.txt", "C:\\S\\big.bin", "C:\\S\\z.txt"};
    TTmslCompress c;
    c.Threads = 3;
    c.CompressionLevel = colFastest;
    c.SetCompressedFile("C:\\big.1");
    c.SetFilesToProcess(files);
    c.Compress(false, 0);
    c.ExtractDirectory = "C:\\Out";
    c.SetFilesToProcess(files);
    c.Extract();
    EXPECT_TRUE(ReadFile((dir.Path() / "drive_c/Out/big.bin").string()) == big);
    EXPECT_EQ(ReadFile((dir.Path() / "drive_c/Out/z.txt").string()), "after");

    // The big member's last bytes are lost: the stream ends early.
    const std::string whole = ReadFile((dir.Path() / "drive_c/big.1").string());
    const TFileHeader& h = c.Headers().FileHeaders(1);
    std::string cut = whole;
    for (std::int32_t k = h.LastDataPos - 100; k <= h.LastDataPos; ++k) cut[static_cast<std::size_t>(k)] = 0;
    WriteFile((dir.Path() / "drive_c/big.1").string(), cut);
    c.ExtractDirectory = "C:\\Cut";
    c.SetFilesToProcess(files);
    EXPECT_THROW(c.Extract(), platform::Exception);
    EXPECT_EQ(Listing(dir.Path() / "drive_c/Cut"), (std::vector<std::string>{"a.txt"}));
}

// A write that fails (a full disk) or a date that cannot be set ends the
// run in that member's turn, on one thread or several: the members before
// it are new, it and every later one keep their old contents, and nothing
// else is left in the folder.
TEST(ParallelExtract, AFailingWriteOrDateKeepsTheOldFilesFromItsMemberOn) {
    Tree tree;
    Pack(tree, colFastest, 1);
    struct Case {
        platform::HostCall call;
        int error;
        const char* message;
    };
    for (const Case& f : {Case{platform::HostCall::Write, ENOSPC, "The disk is full"},
                          Case{platform::HostCall::Date, EPERM, "Cannot set the date of the file just extracted."}}) {
        for (int threads : {1, 4}) {
            SCOPED_TRACE(std::string(f.message) + " on " + std::to_string(threads));
            const std::string folder = "C:\Full" + std::to_string(threads) + std::to_string(int(f.call));
            for (std::size_t i = 0; i < tree.files.size(); ++i)
                WriteFile(tree.Host(folder + "\\" + MemberFile(i)), "old");
            Extracted run;
            {
                platform::ScopedHostFault fault(f.call, 6, f.error);
                run = Unpack(tree, threads, folder);
            }
            EXPECT_EQ(run.error, f.message);
            std::size_t fresh = 0;
            bool oldSeen = false;
            for (std::size_t i = 0; i < tree.files.size(); ++i) {
                std::string copy = ReadFile(tree.Host(folder + "\\" + MemberFile(i)));
                if (copy == "old") {
                    oldSeen = true;
                } else {
                    EXPECT_FALSE(oldSeen) << i << " is new after an old one";
                    EXPECT_TRUE(copy == ReadFile(tree.Host(tree.files[i]))) << i;
                    ++fresh;
                }
            }
            EXPECT_LT(fresh, tree.files.size());
            EXPECT_EQ(Listing(tree.Host(folder)).size(), tree.files.size());
        }
    }
}

// A source that grows after it was listed is stored as it was read: its
// header gives the size of the data stored, so that it extracts whole.
TEST(ParallelPack, AGrownSourceIsStoredAsRead) {
    Tree tree;
    const std::size_t grown = tree.files.size() - 3;  // far enough ahead not to be read yet
    const std::string more = ReadFile(tree.Host(tree.files[grown])) + Wordy(100000, 9);
    TTmslCompress c;
    c.OnBeforeAdding = [&](TTmslCompress&, TlzhFileStats& s) {
        if (s.FileName == tree.files[0]) WriteFile(tree.Host(tree.files[grown]), more);
    };
    Pack(tree, colFastest, 1, &c);
    EXPECT_EQ(c.Headers().FileHeaders(static_cast<int>(grown)).UnpackedSize, static_cast<std::int32_t>(more.size()));
    Extracted run = Unpack(tree, 4, "C:\\Grown");
    EXPECT_EQ(run.error, "");
    EXPECT_TRUE(ReadFile(tree.Host("C:\\Grown\\" + MemberFile(grown))) == more);
}

// A member the archive lacks ends the run in its turn on any number of
// threads: the members before it are in place, none after it, and the
// caller hears of it.
TEST(ParallelExtract, AMissingMemberEndsTheRunInItsTurn) {
    Tree tree;
    Pack(tree, colFastest, 1);
    std::vector<std::string> asked = tree.files;
    asked.insert(asked.begin() + 7, "C:\\Tree\\absent.bin");
    TTmslCompress c;
    c.Threads = 8;
    c.SetCompressedFile("C:\\Out\\t1.1");
    c.ExtractDirectory = "C:\\Missing";
    c.SetFilesToProcess(asked);
    try {
        c.Extract();
        ADD_FAILURE() << "no error";
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()), "The file <C:\\Tree\\absent.bin> was not found in the archive <C:\\Out\\t1.1>");
    }
    EXPECT_EQ(Listing(tree.Host("C:\\Missing")), FirstMemberFiles(7));
}

// A replace handler decides each member in its turn, whatever the number
// of threads: it hears of every file about to be replaced, and the name it
// gives is the one written.
TEST(ParallelExtract, TheReplaceHandlerSeesEveryReplacedMember) {
    Tree tree;
    Pack(tree, colFastest, 1);
    for (std::size_t i = 0; i < tree.files.size(); i += 2) WriteFile(tree.Host("C:\\Repl\\" + MemberFile(i)), "old");
    TTmslCompress c;
    c.Threads = 8;
    c.SetCompressedFile("C:\\Out\\t1.1");
    c.ExtractDirectory = "C:\\Repl";
    std::vector<std::string> replaced;
    c.OnReplace = [&](TTmslCompress& self, TlzhFileStats& s) {
        replaced.push_back(s.FileName);
        self.DestinationName = "new-" + platform::ExtractFileName(s.FileName);
    };
    c.SetFilesToProcess(tree.files);
    c.Extract();
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < tree.files.size(); i += 2) expected.push_back(tree.files[i]);
    EXPECT_EQ(replaced, expected);
    for (std::size_t i = 0; i < tree.files.size(); ++i) {
        const std::string source = ReadFile(tree.Host(tree.files[i]));
        if (i % 2 == 0) {
            EXPECT_EQ(ReadFile(tree.Host("C:\\Repl\\" + MemberFile(i))), "old") << i;
            EXPECT_TRUE(ReadFile(tree.Host("C:\\Repl\\new-" + MemberFile(i))) == source) << i;
        } else {
            EXPECT_TRUE(ReadFile(tree.Host("C:\\Repl\\" + MemberFile(i))) == source) << i;
        }
    }
}

}  // namespace
}  // namespace installer
