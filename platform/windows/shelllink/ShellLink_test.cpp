#include "platform/windows/shelllink/ShellLink.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ErrorOf.h"

namespace platform {
namespace {

// What lnkinfo (Debian's liblnk-utils) prints for a host file.
std::string LnkInfo(const std::filesystem::path& file) {
    const std::string command = "lnkinfo '" + file.string() + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return "(lnkinfo did not start)";
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) out.append(buffer.data(), n);
    return out;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}
std::string U16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) (out += c) += '\0';
    return out;
}

TEST(ShellLinkBytes, HeaderLinkInfoAndStringsByteByByte) {
    const std::string bytes = ShellLinkBytes({"C:\\A\\b.exe", "C:\\A", "x y", 0x0241, 0x20, 10});
    const std::string expected =
        // header: size, class id, flags (link info, working dir, arguments, unicode), attributes
        Bytes({0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46, 0xB2, 0, 0, 0,
               0x20, 0, 0, 0}) +
        std::string(24, '\0') +                                        // three times, not set
        Bytes({10, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x41, 0x02}) +     // size, icon, show normal, hot key
        std::string(10, '\0') +
        // link info: size 0x39, header 0x1C, volume and local path, offsets 0x1C, 0x2D, none, 0x38
        Bytes({0x39, 0, 0, 0, 0x1C, 0, 0, 0, 1, 0, 0, 0, 0x1C, 0, 0, 0, 0x2D, 0, 0, 0, 0, 0, 0, 0, 0x38, 0, 0, 0}) +
        // volume id: size 0x11, fixed drive, no serial, label at 0x10 (empty)
        Bytes({0x11, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0}) + std::string("C:\\A\\b.exe") +
        Bytes({0, 0}) +
        Bytes({4, 0}) + U16("C:\\A") + Bytes({3, 0}) + U16("x y") +  // working directory, arguments
        Bytes({0, 0, 0, 0});                                         // terminal block
    EXPECT_EQ(bytes, expected);
}

TEST(ShellLinkBytes, EmptyWorkingDirectoryAndArgumentsAreLeftOut) {
    const std::string bytes = ShellLinkBytes({"C:\\A\\b.exe", "", "", 0, 0, 0});
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x14]), 0x82u);  // link info and unicode only
    EXPECT_EQ(bytes.size(), 0x4Cu + 0x39u + 4u);
    // The volume's drive type: diskette drives A: and B: are removable (2), others fixed (3).
    const std::size_t driveType = 0x4C + 0x1C + 4;
    EXPECT_EQ(bytes[driveType], 3);
    for (const char* target : {"A:\\b.exe", "b:\\b.exe"})
        EXPECT_EQ(ShellLinkBytes({target, "", "", 0, 0, 0})[driveType], 2) << target;
}

TEST(ShellLinkBytes, RefusesWhatTheFormatCannotHold) {
    EXPECT_EQ(testing::ErrorOf([] { ShellLinkBytes({"app.exe", "", "", 0, 0, 0}); }),
              "The shortcut's target is not a full path: app.exe");
    EXPECT_EQ(testing::ErrorOf([] { ShellLinkBytes({"\\App\\app.exe", "", "", 0, 0, 0}); }),
              "The shortcut's target is not a full path: \\App\\app.exe");
    EXPECT_EQ(testing::ErrorOf([] { ShellLinkBytes({"C:\\a.exe", "", std::string(70000, 'x'), 0, 0, 0}); }),
              "The shortcut's arguments is too long");
    // Its length is one 16-bit count: 65,535 units fit, one more would wrap to 0.
    EXPECT_EQ(testing::ErrorOf([] { ShellLinkBytes({"C:\\a.exe", "", std::string(65536, 'x'), 0, 0, 0}); }),
              "The shortcut's arguments is too long");
    const std::string longest = ShellLinkBytes({"C:\\a.exe", "", std::string(65535, 'x'), 0, 0, 0});
    EXPECT_EQ(longest.substr(longest.size() - 4 - 2 * 65535 - 2, 2), "\xFF\xFF");
}

class ShellLinkFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v lnkinfo >/dev/null 2>&1") != 0)
            FAIL() << "lnkinfo is missing: scripts/install-deps.sh installs liblnk-utils";
        Files().ForceDirectories("C:\\Menu");
    }
    std::string Info(const std::string& link) { return LnkInfo(Files().HostPath(link)); }
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
};

TEST_F(ShellLinkFiles, LnkinfoReadsPathWorkingDirectoryArgumentsAndTheTarget) {
    testing::WriteTestFile("C:\\Program Files\\App\\app.exe", "MZ program");
    SaveShellLink({"C:\\Program Files\\App\\app.exe", "C:\\Program Files\\App", "Vorel Electronics", 0, 0, 0},
                  "C:\\Menu\\App.LNK");
    const std::string info = Info("C:\\Menu\\App.LNK");
    EXPECT_NE(info.find("Local path\t\t\t: C:\\Program Files\\App\\app.exe\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Working directory\t\t: C:\\Program Files\\App\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Command line arguments\t\t: Vorel Electronics\n"), std::string::npos) << info;
    EXPECT_NE(info.find("File size\t\t\t: 10 bytes"), std::string::npos) << info;
    EXPECT_NE(info.find("FILE_ATTRIBUTE_ARCHIVE"), std::string::npos) << info;
}

TEST_F(ShellLinkFiles, ReplacesAnOldLinkAndLeavesOutEmptyStrings) {
    SaveShellLink({"C:\\Old\\old.exe", "C:\\Old", "-x", 0, 0, 0}, "C:\\Menu\\App.LNK");
    SaveShellLink({"C:\\Program Files\\App", "", "", 0, 0, 0}, "C:\\Menu\\App.LNK");
    const std::string info = Info("C:\\Menu\\App.LNK");
    EXPECT_NE(info.find("Local path\t\t\t: C:\\Program Files\\App\n"), std::string::npos) << info;
    EXPECT_EQ(info.find("Working directory"), std::string::npos) << info;
    EXPECT_EQ(info.find("Command line arguments"), std::string::npos) << info;
}

TEST_F(ShellLinkFiles, AccentsAndLongPathsArriveWhole) {
    // Not cut at 260 characters, and the accents survive in the UTF-16 copy.
    std::string deep = "C:\\Símbols";
    while (deep.size() < 300) deep += "\\folder-with-a-long-name";
    const std::string target = deep + "\\não.exe";
    SaveShellLink({target, deep, std::string(400, 'a'), 0, 0, 0}, "C:\\Menu\\Long.LNK");
    const std::string info = Info("C:\\Menu\\Long.LNK");
    EXPECT_NE(info.find("Local path\t\t\t: " + target + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Working directory\t\t: " + deep + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Command line arguments\t\t: " + std::string(400, 'a') + "\n"), std::string::npos) << info;
}

}  // namespace
}  // namespace platform
