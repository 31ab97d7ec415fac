#include "platform/core/hostio/HostProgram.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/core/hostio/HostIo.h"
#include "testkit/files/TempDir.h"

using namespace platform;

TEST(HostProgram, RunsInItsFolderWithItsArgumentsAndGivesItsExitStatus) {
    platform::testing::TempDir dir;
    const auto script = dir.Write("run.sh", "#!/bin/sh\npwd > where.txt\nprintf '%s|' \"$@\" > args.txt\nexit 7\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::filesystem::create_directory(dir / "work");
    const HostProgramRun run = RunHostProgram(script, {"-s C:\\SETUP", "two words"}, dir / "work");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitStatus, 7);
    EXPECT_EQ(ReadWholeFile(dir / "work" / "args.txt").value_or(""), "-s C:\\SETUP|two words|");
    EXPECT_EQ(ReadWholeFile(dir / "work" / "where.txt").value_or(""),
              std::filesystem::canonical(dir / "work").string() + "\n");
}

TEST(HostProgram, AProgramThatCannotStartSaysWhy) {
    platform::testing::TempDir dir;
    const HostProgramRun missing = RunHostProgram(dir / "none", {}, dir.Path());
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.exitStatus, 1);
    const auto plain = dir.Write("plain.txt", "not a program");
    EXPECT_FALSE(RunHostProgram(plain, {}, dir.Path()).started) << "no execute permission";
}
