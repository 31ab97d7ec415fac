// Archives are untrusted input: every damaged or forged archive ends with a
// clear error, quickly, with the old destination unchanged and nothing
// written outside the destination folder, on one thread and on several.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "installer/archive/ArchiveErrors.h"
#include "installer/compressor/TmslCompress.h"
#include "testkit/files/ArchiveTestFiles.h"

namespace installer {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class Malformed : public ::testing::TestWithParam<int> {};

// The threads of the test running.
int Threads() { return Malformed::GetParam(); }

constexpr const char* kCorrupt =
    "Could not read the file headers for the compressed file. The Archive file could possible be corrupt";

struct Forge {
    TempDir dir;
    std::string bytes;  // a good archive to damage
    std::string member;
    int threads = 1;

    explicit Forge(const std::string& content = "the payload", int members = 1) {
        member = dir / "payload.txt";
        WriteFile(member, content);
        std::vector<std::string> list(static_cast<std::size_t>(members), member);
        TTmslCompress c(MakeHostPathArchiveHost());
        c.SetCompressedFile(dir / "good.1");
        c.SetFilesToProcess(list);
        c.Compress(false, 0);
        bytes = ReadFile(dir / "good.1");
        WriteFile(dir / "out/payload.txt", "old");
    }
    void Put32(std::size_t at, std::int32_t v) { PutInt32(reinterpret_cast<std::uint8_t*>(bytes.data() + at), v); }
    void SetName(const std::string& name) {
        bytes[5 + 20] = static_cast<char>(name.size());
        std::memcpy(bytes.data() + 5 + 21, name.data(), name.size());
    }
    // Extracts the (possibly damaged) archive; returns the error text.
    std::string Extract(const std::string& request) {
        WriteFile(dir / "bad.1", bytes);
        TTmslCompress c(MakeHostPathArchiveHost());
        c.SetCompressedFile(dir / "bad.1");
        c.ExtractDirectory = dir / "out";
        Ask(c, request);
        try {
            c.Extract();
        } catch (const platform::Exception& e) {
            return e.what();
        }
        return "";
    }
    std::string Extract() { return Extract(member); }
    // Several threads take a list of more than one: the member is asked
    // twice, and the first goes to a worker.
    void Ask(TTmslCompress& c, const std::string& request) const {
        c.Threads = threads;
        if (threads == 1)
            c.SetFilesToProcess({request});
        else
            c.SetFilesToProcess({request, request});
    }
    Forge(const Forge&) = delete;
    bool OutUntouched() const {
        return ReadFile(dir / "out/payload.txt") == "old" &&
               std::distance(std::filesystem::directory_iterator(dir / "out"), {}) == 1;
    }
};

// The error text of extracting a good archive damaged by patch; the old
// destination must survive.
std::string Damaged(const std::function<void(Forge&)>& patch, int members = 1) {
    Forge f("x", members);
    f.threads = Threads();
    patch(f);
    std::string error = f.Extract();
    EXPECT_TRUE(f.OutUntouched());
    return error;
}

TEST_P(Malformed, HeaderFieldsAreCheckedBeforeUse) {
    EXPECT_EQ(Damaged([](Forge& f) { f.Put32(0, 0x7FFFFFFF); }), kCorrupt);  // huge member count
    EXPECT_EQ(Damaged([](Forge& f) { f.Put32(0, -1); }), kCorrupt);
    EXPECT_EQ(Damaged([](Forge& f) { f.Put32(5 + 124, 5); }, 2), kCorrupt);  // the next header points back
    EXPECT_EQ(Damaged([](Forge& f) { f.Put32(5 + 124, static_cast<std::int32_t>(f.bytes.size()) + 9); }, 2),
              kCorrupt);  // past the end
    EXPECT_EQ(Damaged([](Forge& f) { f.Put32(5 + 132, 100); }), kCorrupt);  // data inside the header
    EXPECT_EQ(Damaged([](Forge& f) { f.bytes[5 + 20] = static_cast<char>(255); }), kCorrupt);  // name length
    EXPECT_EQ(Damaged([](Forge& f) { f.bytes[5 + 148] = 30; }), kCorrupt);  // version length
    EXPECT_EQ(Damaged([](Forge& f) { f.bytes[4] = 7; }), kCorrupt);         // spanned flag
    EXPECT_EQ(Damaged([](Forge& f) { f.bytes[5 + 140] = 2; }), kCorrupt);   // a disk in a single file
    EXPECT_EQ(Damaged([](Forge& f) {
                  double inf = std::numeric_limits<double>::infinity();
                  std::memcpy(f.bytes.data() + 5 + 4, &inf, 8);
              }),
              kCorrupt);
    EXPECT_EQ(Damaged([](Forge& f) { f.Put32(5 + 128, -5); }), kCorrupt);  // negative size
    EXPECT_EQ(Damaged([](Forge& f) {
                  f.SetName("   ");
                  f.member = "   ";
              }),
              kCorrupt);
    // A spanned archive whose headers claim disk 0.
    EXPECT_EQ(Damaged([](Forge& f) { f.bytes[4] = 1; }), kCorrupt);
}

TEST_P(Malformed, StreamsAreCheckedToTheirEnd) {
    {
        Forge f;
        f.threads = Threads();
        // Set the preset-dictionary flag and keep the header check right.
        auto cmf = static_cast<unsigned char>(f.bytes[177]);
        unsigned flg = (static_cast<unsigned char>(f.bytes[178]) | 0x20) & 0xE0;
        flg += 31 - ((cmf * 256 + flg) % 31);
        f.bytes[178] = static_cast<char>(flg);
        EXPECT_EQ(f.Extract(), "error");
        EXPECT_TRUE(f.OutUntouched());
    }
    {
        Forge f;
        f.threads = Threads();
        // Cut the checksum: the member ends 4 bytes early.
        std::int32_t end = static_cast<std::int32_t>(f.bytes.size()) - 4;
        f.bytes.resize(static_cast<std::size_t>(end));
        f.Put32(5 + 16, end - 1);
        f.Put32(5 + 124, end);
        EXPECT_EQ(f.Extract(), "error");
        EXPECT_TRUE(f.OutUntouched());
    }
    {
        Forge f;
        f.threads = Threads();
        f.bytes[f.bytes.size() - 1] ^= 1;  // a wrong checksum
        EXPECT_EQ(f.Extract(), "error");
        EXPECT_TRUE(f.OutUntouched());
    }
}

TEST_P(Malformed, ABombStopsJustPastItsClaimedSize) {
    Forge f(std::string(8 << 20, '\0'));
    f.threads = Threads();
    f.Put32(5 + 128, 10);  // claims 10 bytes, inflates to 8 MiB
    std::int64_t written = 0;
    WriteFile(f.dir / "bad.1", f.bytes);
    TTmslCompress c(MakeHostPathArchiveHost());
    c.SetCompressedFile(f.dir / "bad.1");
    c.ExtractDirectory = f.dir / "out";
    c.OnStatus = [&](TTmslCompress&, TlzhFileStats& s) { written = s.FileBytesDone; };
    f.Ask(c, f.member);
    try {
        c.Extract();
        FAIL();
    } catch (const ETmslCompress& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The decompressed file's size does not match with the actual size of the file.  The file is " +
                      f.member);
    }
    EXPECT_EQ(written, 11);
    EXPECT_TRUE(f.OutUntouched());
    // A member that is shorter than it claims fails the same way.
    Forge g("short");
    g.threads = Threads();
    g.Put32(5 + 128, 6);
    EXPECT_NE(g.Extract().find("does not match"), std::string::npos);
    EXPECT_TRUE(g.OutUntouched());
}

TEST_P(Malformed, TruncationAtEveryByte) {
    Forge f("some text that is long enough to matter, some text that is long enough", 2);
    f.threads = Threads();
    std::string whole = f.bytes;
    for (std::size_t n = 0; n < whole.size(); ++n) {
        f.bytes = whole.substr(0, n);
        std::string error = f.Extract();
        EXPECT_FALSE(error.empty()) << n;
        if (n < 5) {
            EXPECT_EQ(error, "Could not read the file header count for the compressed file") << n;
        } else if (n < 5 + 172 * 2 + 8) {
            EXPECT_EQ(error, kCorrupt) << n;
        }
        ASSERT_TRUE(f.OutUntouched()) << n;
    }
}

TEST_P(Malformed, MemberNamesNeverLeaveTheDestination) {
    const std::pair<std::string, std::string> cases[] = {
        {"..\\..\\evil.txt", "evil.txt"}, {"../../evil.txt", "evil.txt"}, {"/etc/evil.txt", "evil.txt"}};
    for (const auto& [name, written] : cases) {
        Forge f;
        f.threads = Threads();
        f.SetName(name);
        EXPECT_EQ(f.Extract(name), "") << name;
        EXPECT_EQ(ReadFile(f.dir / ("out/" + written)), "the payload") << name;
        EXPECT_FALSE(std::filesystem::exists(f.dir / "evil.txt"));
    }
    // A drive or a ':' in the name would land under another name: refused.
    for (const std::string& name :
         std::vector<std::string>{"..", ".", "C:", "dir\\", "a\x01" "b", "C:evil.txt", "dir\\a:evil.txt"}) {
        Forge f;
        f.threads = Threads();
        f.SetName(name);
        EXPECT_EQ(f.Extract(name), "The file <" + name + "> in the archive has no valid file name") << name;
        EXPECT_TRUE(f.OutUntouched());
    }
    {
        // A link in the destination folder is replaced, not followed.
        Forge f;
        f.threads = Threads();
        WriteFile(f.dir / "outside.txt", "outside");
        std::filesystem::remove(f.dir / "out/payload.txt");
        std::filesystem::create_symlink(f.dir / "outside.txt", f.dir / "out/payload.txt");
        EXPECT_EQ(f.Extract(), "");
        EXPECT_EQ(ReadFile(f.dir / "outside.txt"), "outside");
        EXPECT_FALSE(std::filesystem::is_symlink(f.dir / "out/payload.txt"));
        EXPECT_EQ(ReadFile(f.dir / "out/payload.txt"), "the payload");
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, Malformed, ::testing::Values(1, 8));

}  // namespace
}  // namespace installer
