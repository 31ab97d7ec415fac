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

// A name the archive cannot give back as it was is refused at packing and,
// in a forged archive, at extraction: named, exit 1, nothing left in its
// place. A refused pack leaves no archive and a refused add the old one.
TEST(Arctool, NamesThatWouldComeBackAsAnotherAreRefused) {
    TempDir dir;
    std::string d = dir.Path().string();
    WriteFile(dir / "a:b.txt", "colon");
    WriteFile(dir / "a.b.txt", "dot");
    WriteFile(dir / "b.txt", "plain");
    const std::string longName(101, 'n');
    WriteFile(dir / longName, "long");
    for (const std::string& bad : {std::string("a:b.txt"), longName}) {
        SCOPED_TRACE(bad);
        Result refused = Arctool(d, "pack o.arc '" + bad + "' b.txt");
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.out, "arctool: The file name " + bad + " cannot be stored in the archive\n");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "o.arc"));
    ASSERT_EQ(Arctool(d, "pack o.arc b.txt").code, 0);
    const std::string before = ReadFile(dir / "o.arc");
    EXPECT_EQ(Arctool(d, "add o.arc 'a:b.txt'").code, 1);
    EXPECT_TRUE(ReadFile(dir / "o.arc") == before);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 5u);  // the four sources and o.arc: no partial archive

    // Forged: "a.b.txt" renamed "a:b.txt" in place, stored before b.txt.
    ASSERT_EQ(Arctool(d, "pack f.arc a.b.txt b.txt").code, 0);
    std::string forged = ReadFile(dir / "f.arc");
    forged.replace(forged.find("a.b.txt"), 7, "a:b.txt");
    WriteFile(dir / "f.arc", forged);
    for (const char* threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        std::filesystem::remove_all(dir / "out");
        Result refused = Arctool(d, std::string("extract f.arc out --threads ") + threads);
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.out.rfind("arctool: The file <a:b.txt> in the archive has no valid file name", 0), 0u)
            << refused.out;
        EXPECT_FALSE(std::filesystem::exists(dir / "out/b.txt"));
    }
}

// Damaged member data and a wrong disk in a set are named: the member, and
// the disk with its file.
TEST(Arctool, ErrorsNameTheMemberAndTheDisk) {
    TempDir dir;
    std::string d = dir.Path().string();
    WriteFile(dir / "a.txt", "hello");
    WriteFile(dir / "b.bin", RandomBytes(30000, 1));
    ASSERT_EQ(Arctool(d, "pack t.1 a.txt b.bin").code, 0);
    std::string damaged = ReadFile(dir / "t.1");
    for (std::size_t k = 400; k < 600; ++k) damaged[k] = '\x55';
    WriteFile(dir / "d.1", damaged);
    for (const char* threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        Result bad = Arctool(d, std::string("extract d.1 out --threads ") + threads);
        EXPECT_EQ(bad.code, 1);
        EXPECT_EQ(bad.out, "arctool: error (member \"b.bin\")\n");
    }

    // Two sets of the same shape; disk 2 of one put in the other.
    WriteFile(dir / "b.bin", RandomBytes(30000, 2));
    ASSERT_EQ(Arctool(d, "pack u.1 a.txt b.bin").code, 0);
    std::filesystem::create_directories(dir / "one");
    std::filesystem::create_directories(dir / "two");
    ASSERT_EQ(Arctool(d, "span t.1 one --disk-size 12000").code, 0);
    ASSERT_EQ(Arctool(d, "span u.1 two --disk-size 12000 --name t.1").code, 0);
    std::filesystem::copy_file(dir / "two/t.2", dir / "one/t.2", std::filesystem::copy_options::overwrite_existing);
    Result wrong = Arctool(d, "extract one/t.1 out2");
    EXPECT_EQ(wrong.code, 1);
    EXPECT_NE(wrong.out.find("(member \"b.bin\", disk 2: one/t.2)"), std::string::npos) << wrong.out;
    std::filesystem::remove(dir / "one/t.2");
    Result missing = Arctool(d, "extract one/t.1 out3");
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.out.starts_with("disk 2 is missing in one\n")) << missing.out;
    EXPECT_TRUE(missing.out.ends_with("arctool: Cannot open the compressed file one\\t.2 (member \"b.bin\")\n"))
        << missing.out;
}

}  // namespace
