#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "platform/core/hostio/HostFault.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

using namespace platform;

namespace {
void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}
std::string bytesOf(const std::filesystem::path& p) { return ReadWholeFile(p).value_or("<missing>"); }
}  // namespace

TEST(IniFile, ReadsIgnoringCaseFirstMatchTrimmedAnyLineEnd) {
    TempRootDir dir;
    auto p = dir.Path() / "win.ini";
    writeBytes(p, "; comment\r\n[Links]\nmotorola = http://a/ \r"
                  "MOTOROLA=second\r\n[links]\r\nphilips=third\r\n  [ Other ]  \r\nkey=  spaced value\t\r\n"
                  "novalue\r\n;commented=1\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("LINKS", "Motorola", "d"), "http://a/");  // first key wins, trimmed
    EXPECT_EQ(ini.ReadString("links", "philips", "d"), "d");           // only the first section counts
    EXPECT_EQ(ini.ReadString("other", "KEY", "d"), "spaced value");
    EXPECT_EQ(ini.ReadString("other", "novalue", "d"), "d");
    EXPECT_EQ(ini.ReadString("other", ";commented", "d"), "d");
    EXPECT_EQ(ini.ReadString("missing", "key", "d"), "d");
    EXPECT_FALSE(ini.ValueExists("Links", "philips"));
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Links", "links", "Other"}));
    EXPECT_EQ(ini.ReadSection("links"), (std::vector<std::string>{"motorola", "MOTOROLA"}));
    EXPECT_EQ(IniFile(dir.Path() / "none.ini").ReadString("a", "b", "dflt"), "dflt");
}

TEST(IniFile, WritesCreateKeepOrderAndUseCrLf) {
    TempRootDir dir;
    auto p = dir.Path() / "new.ini";
    IniFile ini(p);
    ini.WriteString("Rename", "C:\\PROGRA~1\\A.DLL", "C:\\PROGRA~1\\A.1");
    EXPECT_EQ(bytesOf(p), "[Rename]\r\nC:\\PROGRA~1\\A.DLL=C:\\PROGRA~1\\A.1\r\n");

    writeBytes(p, "[One]\nA=1\nb=2\n\n[Two]\nc=3\n");
    ini.WriteString("one", "B", "two");       // replaced in place, key keeps its spelling
    ini.WriteString("ONE", "new", "x");       // appended after the section's last key
    ini.WriteString("Three", "d", "4");       // new section at the end
    ini.WriteInteger("two", "n", -5);
    EXPECT_EQ(bytesOf(p), "[One]\r\nA=1\r\nb=two\r\nnew=x\r\n\r\n[Two]\r\nc=3\r\nn=-5\r\n[Three]\r\nd=4\r\n");
    EXPECT_EQ(ini.ReadInteger("Two", "N", 0), -5);
    EXPECT_EQ(ini.ReadInteger("Two", "c", 7), 3);
    EXPECT_EQ(ini.ReadInteger("One", "b", 7), 7);  // not a number

    ini.DeleteKey("one", "a");
    ini.EraseSection("TWO");
    EXPECT_EQ(bytesOf(p), "[One]\r\nb=two\r\nnew=x\r\n\r\n[Three]\r\nd=4\r\n");
}

TEST(IniFile, LegacyCodePageStaysAndBadWritesAreRefused) {
    TempRootDir dir;
    auto p = dir.Path() / "legacy.ini";
    writeBytes(p, "[S]\r\nname=n\xE3o\r\n");  // Windows-1252
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("s", "name"), "n\xC3\xA3o");
    ini.WriteString("S", "other", "S\xC3\xADmbols");
    EXPECT_EQ(bytesOf(p), "[S]\r\nname=n\xE3o\r\nother=S\xEDmbols\r\n");
    // A text the file's code page cannot hold is refused: written as UTF-8
    // it would read back differently, and the file would change its encoding.
    auto before = bytesOf(p);
    EXPECT_THROW(ini.WriteString("S", "cjk", "\xE4\xB8\xAD"), EIniFileError);
    EXPECT_EQ(bytesOf(p), before);
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), EIniFileError);
    EXPECT_THROW(ini.WriteString("S", "k", "two\r\nlines"), EIniFileError);
    EXPECT_THROW(ini.WriteString("", "k", "v"), EIniFileError);
    EXPECT_EQ(bytesOf(p), before);
    EXPECT_THROW(IniFile(dir.Path() / "no" / "dir.ini").WriteString("a", "b", "c"), EIniFileError);
}

namespace {
std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    return lines;
}
}  // namespace

// Writing one key leaves every other line as the bytes it was, whatever the
// file's encoding: Windows-1252 with the bytes that code page leaves
// undefined, Shift-JIS read as that code page, UTF-8 with and without BOM.
TEST(IniFile, AWriteKeepsEveryUntouchedLineByteForByte) {
    TempRootDir dir;
    struct Case {
        const char* name;
        std::string prefix;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"cp1252", "",
         {"[Paths]", "odd=\x81\x8D\x8F\x90\x9D", "name=n\xE3o S\xEDmbols \x80", "looks=\xC3\xA9 valid UTF-8",
          "; coment\xE1rio", "key=old", "", "[Other]", "x=1"}},
        {"shift-jis", "",
         {"[Paths]", "data=C:\\\x83\x66\x81\x5B\x83\x5E", "\x83\x66\x81\x5B=\x83\x5E", "key=old", "", "[Other]",
          "x=1"}},
        {"utf-8", "", {"[Paths]", "name=n\xC3\xA3o \xE4\xB8\xAD", "key=old", "", "[Other]", "x=1"}},
        {"utf-8 bom", "\xEF\xBB\xBF", {"[Paths]", "name=n\xC3\xA3o", "key=old", "", "[Other]", "x=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = dir.Path() / (std::string(c.name) + ".ini");
        std::string bytes = c.prefix;
        for (const auto& l : c.lines) bytes += l + "\r\n";
        writeBytes(p, bytes);
        IniFile ini(p);
        ini.WriteString("paths", "KEY", "new");
        ini.WriteString("Other", "added", "2");
        std::string after = bytesOf(p);
        ASSERT_EQ(after.compare(0, c.prefix.size(), c.prefix), 0);
        std::vector<std::string> lines = crlfLines(after.substr(c.prefix.size()));
        std::vector<std::string> expected = c.lines;
        for (auto& l : expected)
            if (l == "key=old") l = "key=new";
        expected.push_back("added=2");
        EXPECT_EQ(lines, expected);
        // Deleting a line keeps the others too.
        ini.DeleteKey("Other", "added");
        EXPECT_EQ(bytesOf(p), bytes.substr(0, bytes.find("key=old")) + "key=new" +
                                  bytes.substr(bytes.find("key=old") + 7));
    }
}

// Two processes writing the same file at once lose nothing: each
// read-modify-write holds the lock until its rename.
TEST(IniFile, TwoWriterProcessesLoseNoWrite) {
    TempRootDir dir;
    auto p = dir.Path() / "shared.ini";
    constexpr int kWrites = 100;
    auto writeAll = [&](const std::string& who) {
        IniFile ini(p);
        for (int i = 0; i < kWrites; ++i) ini.WriteInteger("Counts", who + std::to_string(i), i);
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            writeAll("child");
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    writeAll("parent");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    IniFile ini(p);
    EXPECT_EQ(ini.ReadSection("Counts").size(), 2u * kWrites);
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(ini.ReadInteger("Counts", "child" + std::to_string(i), -1), i);
        EXPECT_EQ(ini.ReadInteger("Counts", "parent" + std::to_string(i), -1), i);
    }
}

// An INI file saved on a failing device keeps its old bytes, and the error
// names the file and the device's reason.
TEST(IniFile, ASaveOnAFailingDeviceKeepsTheOldFile) {
    TempRootDir dir;
    auto p = dir.Path() / "setup.ini";
    writeBytes(p, "[Setup]\r\nDone=0\r\n");
    IniFile ini(p);
    for (HostCall call : {HostCall::Write, HostCall::Sync, HostCall::Close, HostCall::Rename}) {
        ScopedHostFault fault(call, 1, ENOSPC);
        try {
            ini.WriteString("Setup", "Done", "1");
            ADD_FAILURE() << "no error";
        } catch (const EIniFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write " + p.string() + ": No space left on device");
        }
        EXPECT_EQ(bytesOf(p), "[Setup]\r\nDone=0\r\n");
    }
    ini.WriteString("Setup", "Done", "1");
    EXPECT_EQ(bytesOf(p), "[Setup]\r\nDone=1\r\n");
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename(), "setup.ini") << "no temporary file is left";

    // A save killed before its rename left its temporary file: the next open removes it.
    writeBytes(dir.Path() / ".setup.ini.Q1w2E3", "[Setup]\r\n");
    writeBytes(dir.Path() / ".other.ini.Q1w2E3", "another file's");
    IniFile opened(p);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / ".setup.ini.Q1w2E3"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / ".other.ini.Q1w2E3"));
    EXPECT_EQ(opened.ReadString("Setup", "Done"), "1");
}
