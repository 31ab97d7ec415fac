// Packing and extracting on several threads: the archive is the very bytes
// one thread writes, and extraction keeps its order, totals and safety.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <random>

#include "installer/archive/ArchiveErrors.h"
#include "installer/archive/ArchiveTestFiles.h"
#include "installer/archive/TmslCompress.h"
#include "platform/hostio/HostFile.h"
#include "platform/sysroot/DateTime.h"
#include "platform/sysroot/SystemRoot.h"

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

// A source that cannot be opened stops packing at its turn: the members
// before it are written, none after. (Workers run a few members ahead: the
// file goes while the first member is written, before its own turn comes
// to be opened.)
TEST(ParallelPack, UnopenableSourceFailsInItsTurn) {
    Tree tree;
    TTmslCompress c;
    c.Threads = 1;
    std::vector<std::string> added;
    c.OnBeforeAdding = [&](TTmslCompress&, TlzhFileStats&) {
        if (added.empty()) std::filesystem::remove(tree.Host(tree.files[9]));
    };
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

}  // namespace
}  // namespace installer
