// One Extract writing many members into a folder it holds open: names that
// ignore case, handlers that move or remove the folder between members,
// and nothing left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/compressor/TmslCompress.h"
#include "platform/core/hostio/HostFault.h"
#include "testkit/files/ArchiveTestFiles.h"

namespace installer {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Packed {
    TempDir dir;
    std::vector<std::string> members;
    explicit Packed(const std::vector<std::string>& relative) {
        for (const std::string& r : relative) {
            WriteFile(dir / ("src/" + r), "data of " + r);
            members.push_back(dir / ("src/" + r));
        }
        TTmslCompress c(MakeHostPathArchiveHost());
        c.SetCompressedFile(dir / "a.1");
        c.SetFilesToProcess(members);
        c.Compress(false, 0);
    }
    void Prepare(TTmslCompress& c, const std::string& into) {
        c.SetCompressedFile(dir / "a.1");
        c.ExtractDirectory = into;
    }
};

// A device that fails a write, a close or the rename that publishes the new
// file: the old file stays as it was, no temporary file is left, and the
// error says what went wrong.
TEST(Extract, AFailingDeviceLeavesTheOldFileAndSaysWhy) {
    Packed p({"f1.dat"});
    const std::string out = p.dir / "out";
    WriteFile(out + "/F1.DAT", "old contents");
    struct Case {
        platform::HostCall call;
        int error;
        const char* message;
    };
    const std::string cannotCreate = "Cannot create the file " + out + "\\f1.dat";
    for (const Case& c : {Case{platform::HostCall::Write, ENOSPC, "The disk is full"},
                          Case{platform::HostCall::Close, EIO, cannotCreate.c_str()},
                          Case{platform::HostCall::Rename, EIO, cannotCreate.c_str()}}) {
        SCOPED_TRACE(c.message);
        TTmslCompress x(MakeHostPathArchiveHost());
        p.Prepare(x, out);
        x.SetFilesToProcess(p.members);
        platform::ScopedHostFault fault(c.call, 1, c.error);
        try {
            x.Extract();
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(ReadFile(out + "/F1.DAT"), "old contents");
        EXPECT_EQ(Entries(out), std::vector<std::string>{"F1.DAT"});
    }
    // The same extraction on a working device replaces the file.
    TTmslCompress x(MakeHostPathArchiveHost());
    p.Prepare(x, out);
    x.SetFilesToProcess(p.members);
    x.Extract();
    EXPECT_EQ(ReadFile(out + "/F1.DAT"), "data of f1.dat");
}

TEST(Extract, NamesIgnoreCaseAcrossOneRunIncludingItsOwnFiles) {
    Packed p({"a/f1.dat", "a/f2.dat", "a/f3.dat", "b/F1.DAT"});
    std::string out = p.dir / "out";
    WriteFile(out + "/F2.Dat", "kept");
    TTmslCompress c(MakeHostPathArchiveHost());
    p.Prepare(c, out);
    c.Overwrite = TOverwriteType::owNever;
    c.SetFilesToProcess(p.members);
    c.Extract();
    // F2.Dat answers f2.dat and is kept; b/F1.DAT finds the f1.dat this run
    // wrote and, under owNever, keeps it.
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"F2.Dat", "f1.dat", "f3.dat"}));
    EXPECT_EQ(ReadFile(out + "/F2.Dat"), "kept");
    EXPECT_EQ(ReadFile(out + "/f1.dat"), "data of a/f1.dat");

    // Replacing keeps the stored spelling and leaves no temporary file.
    TTmslCompress again(MakeHostPathArchiveHost());
    p.Prepare(again, out);
    again.SetFilesToProcess({p.members[3], p.members[1]});
    again.Extract();
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"F2.Dat", "f1.dat", "f3.dat"}));
    EXPECT_EQ(ReadFile(out + "/f1.dat"), "data of b/F1.DAT");
    EXPECT_EQ(ReadFile(out + "/F2.Dat"), "data of a/f2.dat");
}

TEST(Extract, AFileAHandlerMadeIsFoundWhateverItsCase) {
    Packed p({"f1.dat", "f2.dat"});
    std::string out = p.dir / "out";
    TTmslCompress c(MakeHostPathArchiveHost());
    p.Prepare(c, out);
    c.Overwrite = TOverwriteType::owNever;
    c.OnBeforeExtracting = [&](TTmslCompress&, TlzhFileStats& stats) {
        if (!stats.FileName.ends_with("f2.dat")) return;
        // Past the file system's clock tick, so the folder's time shows the change.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        WriteFile(out + "/F2.DAT", "theirs");
    };
    c.SetFilesToProcess(p.members);
    c.Extract();
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"F2.DAT", "f1.dat"}));
    EXPECT_EQ(ReadFile(out + "/F2.DAT"), "theirs");
}

TEST(Extract, AFileThatAppearsWhileAMemberIsWrittenMeetsTheOverwriteRule) {
    Packed p({"f1.dat", "f2.dat"});
    for (TOverwriteType rule : {TOverwriteType::owNever, TOverwriteType::owAlways}) {
        std::string out = p.dir / (rule == TOverwriteType::owNever ? "never" : "always");
        TTmslCompress c(MakeHostPathArchiveHost());
        p.Prepare(c, out);
        c.Overwrite = rule;
        c.OnStatus = [&](TTmslCompress&, TlzhFileStats& stats) {
            if (stats.FileName.ends_with("f2.dat") && !stats.Finished) WriteFile(out + "/f2.dat", "theirs");
        };
        c.SetFilesToProcess(p.members);
        c.Extract();
        EXPECT_EQ(Entries(out), (std::vector<std::string>{"f1.dat", "f2.dat"}));
        EXPECT_EQ(ReadFile(out + "/f2.dat"), rule == TOverwriteType::owNever ? "theirs" : "data of f2.dat");
    }
}

TEST(Extract, HandlersMayMoveOrRemoveTheFolderBetweenMembers) {
    Packed p({"f1.dat", "f2.dat", "f3.dat"});
    std::string first = p.dir / "one", second = p.dir / "two/deeper";
    TTmslCompress c(MakeHostPathArchiveHost());
    p.Prepare(c, first);
    int member = 0;
    c.OnBeforeExtracting = [&](TTmslCompress& sender, TlzhFileStats&) {
        ++member;
        // The folder held open for the first member is removed under us.
        if (member == 2) fs::remove_all(first);
        if (member == 3) sender.ExtractDirectory = second;
    };
    c.SetFilesToProcess(p.members);
    c.Extract();
    EXPECT_EQ(Entries(first), (std::vector<std::string>{"f2.dat"}));
    EXPECT_EQ(Entries(second), (std::vector<std::string>{"f3.dat"}));
    EXPECT_EQ(ReadFile(second + "/f3.dat"), "data of f3.dat");
}

TEST(Extract, AFailedMemberLeavesTheFolderAsItWas) {
    Packed p({"f1.dat", "f2.dat"});
    std::string out = p.dir / "out";
    WriteFile(out + "/f2.dat", "old");
    TTmslCompress c(MakeHostPathArchiveHost());
    p.Prepare(c, out);
    // A Cancel pressed while the second member starts stops it at its first buffer.
    c.OnBeforeExtracting = [](TTmslCompress& sender, TlzhFileStats& stats) {
        if (stats.FileName.ends_with("f2.dat")) sender.Abort = true;
    };
    bool aborted = false;
    c.OnAborted = [&](TTmslCompress&) { aborted = true; };
    c.SetFilesToProcess(p.members);
    c.Extract();
    EXPECT_TRUE(aborted);
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"f1.dat", "f2.dat"}));
    EXPECT_EQ(ReadFile(out + "/f2.dat"), "old");

    // The next Extract of the same component opens the folder afresh.
    c.OnBeforeExtracting = nullptr;
    c.SetFilesToProcess({p.members[1]});
    c.Extract();
    EXPECT_EQ(ReadFile(out + "/f2.dat"), "data of f2.dat");
}

std::size_t OpenDescriptors() {
    std::size_t n = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it) ++n;
    return n;
}

TEST(Extract, NothingStaysOpenAfterExtractOrCopy) {
    Packed p({"f1.dat", "f2.dat"});
    std::size_t before = OpenDescriptors();
    TTmslCompress c(MakeHostPathArchiveHost());
    p.Prepare(c, p.dir / "out");
    c.SetFilesToProcess(p.members);
    c.Extract();
    EXPECT_EQ(OpenDescriptors(), before);
    c.CopyFileChecked(p.members[0], p.dir / "copied.dat");
    EXPECT_EQ(OpenDescriptors(), before);
    c.CopyFileChecked(p.members[1], p.dir / "out/F1.DAT");  // replaces f1.dat, keeping its spelling
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(Entries(p.dir / "out"), (std::vector<std::string>{"f1.dat", "f2.dat"}));
    EXPECT_EQ(ReadFile(p.dir / "out/f1.dat"), "data of f2.dat");
}

}  // namespace
}  // namespace installer
