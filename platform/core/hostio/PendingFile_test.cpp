#include "platform/core/hostio/PendingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/core/hostio/HostFault.h"
#include "testkit/files/TempDir.h"

namespace platform {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

std::size_t EntriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

std::string Contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file meant for a free name: written unseen, published only whole, and
// a name taken meanwhile is reported, then replaced on request.
TEST(PendingFile, ANewFileShowsOnlyWhenCommitted) {
    TempDir dir;
    DestinationFolder folder;
    ASSERT_TRUE(folder.Open(dir.Path()));
    {
        PendingFile pending(folder);
        ASSERT_TRUE(pending.Create("new.txt", PendingFile::Publish::OnlyNew));
        ASSERT_EQ(pending.File().Write("fresh", 5), 5u);
        dir.Write("new.txt", "theirs");
        EXPECT_EQ(pending.Commit(PendingFile::Publish::OnlyNew), PendingFile::Committed::Taken);
        EXPECT_EQ(Contents(dir / "new.txt"), "theirs");
        EXPECT_EQ(pending.Commit(PendingFile::Publish::Replace), PendingFile::Committed::Done);
    }
    EXPECT_EQ(Contents(dir / "new.txt"), "fresh");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    // Dropped or failed: nothing is left, and the name stays free.
    for (HostCall call : {HostCall::Rename, HostCall::Close}) {
        PendingFile pending(folder);
        ASSERT_TRUE(pending.Create("other.txt", PendingFile::Publish::OnlyNew));
        pending.File().Write("x", 1);
        ScopedHostFault fault(call, 1, EIO);
        EXPECT_EQ(pending.Commit(PendingFile::Publish::OnlyNew), PendingFile::Committed::Failed);
    }
    {
        PendingFile dropped(folder);
        ASSERT_TRUE(dropped.Create("other.txt", PendingFile::Publish::OnlyNew));
        dropped.File().Write("x", 1);
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
    EXPECT_FALSE(fs::exists(dir / "other.txt"));
}

}  // namespace
}  // namespace platform
