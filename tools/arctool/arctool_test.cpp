// The command-line tool over the real archive code.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include "testkit/files/ArchiveTestFiles.h"

namespace {

using installer::testing::RandomBytes;
using installer::testing::ReadFile;
using installer::testing::TempDir;
using installer::testing::WriteFile;

struct Result {
    int code = -1;
    std::string out;
};

Result Arctool(const std::string& dir, const std::string& args) {
    std::string command = "cd '" + dir + "' && '" VOREL_BIN_DIR "/arctool' " + args + " 2>&1";
    Result r;
    FILE* p = ::popen(command.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(Arctool, PackListExtractSpan) {
    TempDir dir;
    std::string d = dir.Path().string();
    WriteFile(dir / "a.txt", "hello");
    WriteFile(dir / "b.bin", RandomBytes(30000, 1));
    ASSERT_EQ(Arctool(d, "pack t.1 --id 3 a.txt b.bin").code, 0);
    ASSERT_EQ(Arctool(d, "pack t2.1 --id 3 --threads 2 a.txt b.bin").code, 0);
    EXPECT_TRUE(ReadFile(dir / "t2.1") == ReadFile(dir / "t.1"));
    EXPECT_EQ(Arctool(d, "pack t3.1 --threads 0 a.txt").code, 2);
    ASSERT_EQ(Arctool(d, "add t.1 --id 4 --level none a.txt").code, 0);
    Result list = Arctool(d, "list t.1");
    ASSERT_EQ(list.code, 0) << list.out;
    EXPECT_NE(list.out.find("members 3\nspanned 0\n0 number=1 "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("size=5 data=177..189 next=190 packed=190 disks=0..0 id=3 version=\"\" name=\"a.txt\""),
              std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("2 number=1 "), std::string::npos);

    ASSERT_EQ(Arctool(d, "span t.1 disks --disk-size 12000").code, 1);  // no such folder
    std::filesystem::create_directories(dir / "disks");
    ASSERT_EQ(Arctool(d, "span t.1 disks --disk-size 12000").code, 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "disks/t.3"));
    EXPECT_NE(Arctool(d, "list disks/t.1").out.find("spanned 1"), std::string::npos);
    ASSERT_EQ(Arctool(d, "extract disks/t.1 out").code, 0);
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "hello");
    EXPECT_TRUE(ReadFile(dir / "out/b.bin") == ReadFile(dir / "b.bin"));

    Result missing = Arctool(d, "extract t.1 out nothing.txt");
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "arctool: The file <nothing.txt> was not found in the archive <t.1>\n");
    EXPECT_EQ(Arctool(d, "frobnicate t.1").code, 2);
}

}  // namespace
