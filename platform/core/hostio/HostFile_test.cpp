#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/core/hostio/HostFault.h"
#include "platform/core/hostio/HostFile.h"
#include "platform/core/hostio/HostIo.h"
#include "testkit/files/TempDir.h"

using namespace platform;

TEST(HostFile, ReadsAndWritesWholeCountsAtItsOwnPosition) {
    platform::testing::TempDir dir;
    HostFile f;
    ASSERT_TRUE(f.Open(dir / "a.bin", HostFile::Mode::CreateNew));
    EXPECT_EQ(f.Write("hello world", 11), 11u);
    EXPECT_EQ(f.Position(), 11);
    ASSERT_TRUE(f.Seek(6));
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 5u) << "the end of the file stops a read without an error";
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(f.LastError(), 0);
    EXPECT_EQ(f.Size(), 11);
    EXPECT_TRUE(f.SetSize(5));
    EXPECT_EQ(f.Opened().size, 0);
    EXPECT_EQ(f.Current()->size, 5);
    EXPECT_TRUE(f.Close());
    EXPECT_TRUE(f.Close()) << "closing twice is harmless";
    EXPECT_EQ(ReadWholeFile(dir / "a.bin").value(), "hello");
    EXPECT_EQ(HostFileFactsOf(dir / "a.bin")->size, 5);
    EXPECT_FALSE(HostFileFactsOf(dir / "none").has_value());

    // Only regular files open, and without waiting for a writer.
    EXPECT_FALSE(f.Open(dir.Path(), HostFile::Mode::Read));
    EXPECT_EQ(f.LastError(), EISDIR);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(f.Open(dir / "pipe", HostFile::Mode::Read));
    EXPECT_FALSE(f.Open(dir / "missing", HostFile::Mode::Read));
    EXPECT_EQ(f.LastError(), ENOENT);
}

TEST(HostFile, TheFailingDeviceFailsTheNthCallOnceWithItsError) {
    platform::testing::TempDir dir;
    HostFile f;
    ASSERT_TRUE(f.Open(dir / "a.bin", HostFile::Mode::CreateNew));
    {
        ScopedHostFault fault(HostCall::Write, 2, EIO);
        EXPECT_EQ(f.Write("a", 1), 1u);
        EXPECT_EQ(f.Write("b", 1), 0u);
        EXPECT_EQ(f.LastError(), EIO);
        EXPECT_EQ(f.Write("c", 1), 1u) << "a fault fires once";
    }
    {
        ScopedHostFault fault(HostCall::Sync, 1, ENOSPC);
        EXPECT_FALSE(f.Sync());
        EXPECT_EQ(f.LastError(), ENOSPC);
        EXPECT_TRUE(f.Sync());
    }
    {
        // A file only read is closed without a fault; the written one fails.
        ScopedHostFault fault(HostCall::Close, 1, EIO);
        HostFile reader;
        ASSERT_TRUE(reader.Open(dir / "a.bin", HostFile::Mode::Read));
        EXPECT_TRUE(reader.Close());
        EXPECT_FALSE(f.Close());
        EXPECT_EQ(f.LastError(), EIO);
    }
    {
        ScopedHostFault fault(HostCall::Rename, 1, EXDEV);
        EXPECT_FALSE(RenameHostFile(dir / "a.bin", dir / "b.bin"));
        EXPECT_EQ(errno, EXDEV);
        EXPECT_TRUE(RenameHostFile(dir / "a.bin", dir / "b.bin"));
    }
    EXPECT_EQ(ReadWholeFile(dir / "b.bin").value(), "ac");
}

TEST(HostFile, AppendsLandAtTheEndAndAFailedOneSaysSo) {
    platform::testing::TempDir dir;
    const auto log = dir / "requests.log";
    EXPECT_TRUE(AppendToFile(log, "one\n"));
    HostFile f;
    ASSERT_TRUE(f.Open(log, HostFile::Mode::Append));
    ASSERT_TRUE(f.Seek(0));
    EXPECT_EQ(f.Write("two\n", 4), 4u) << "an append ignores the position";
    EXPECT_TRUE(f.Close());
    {
        ScopedHostFault fault(HostCall::Write, 1, ENOSPC);
        EXPECT_FALSE(AppendToFile(log, "lost\n"));
    }
    EXPECT_FALSE(AppendToFile(dir / "no" / "such.log", "x"));
    EXPECT_EQ(ReadWholeFile(log).value(), "one\ntwo\n");
}

TEST(HostFile, PermissionsArePutAsGivenAndReadBack) {
    platform::testing::TempDir dir;
    HostFile f;
    ASSERT_TRUE(f.Open(dir / "p.bin", HostFile::Mode::CreateNew));
    ASSERT_TRUE(f.SetPermissions(0604));
    EXPECT_EQ(f.Current()->permissions, 0604u) << "the umask plays no part";
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(HostFileFactsOf(dir / "p.bin")->permissions, 0604u);
    EXPECT_FALSE(f.SetPermissions(0600)) << "a closed file has none to set";
}

TEST(HostFile, APrivateFolderIsNewAndOnlyItsOwnersAndAMissingParentSaysWhy) {
    platform::testing::TempDir dir;
    int error = -1;
    const auto a = MakePrivateFolder(dir.Path(), "setup", error);
    const auto b = MakePrivateFolder(dir.Path(), "setup", error);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(error, 0);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->filename().string().rfind("setup", 0), 0u);
    EXPECT_EQ(a->parent_path(), dir.Path());
    struct stat st {};
    ASSERT_EQ(::stat(a->c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(MakePrivateFolder(dir / "missing", "setup", error));
    EXPECT_EQ(error, ENOENT);
}
