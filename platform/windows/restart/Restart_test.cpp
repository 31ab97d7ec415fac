#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/restart/BatchFile.h"
#include "platform/windows/restart/Restart.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {
struct RestartFixture : ::testing::Test {
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
    WinFileSystem& files = Files();
    void write(const std::string& win, const std::string& bytes) { platform::testing::WriteTestFile(win, bytes); }
    std::string read(const std::string& win) { return platform::testing::ReadTestFile(win); }
    void platformId(const char* id) { IniFile(dir.Path() / "platform.ini").WriteString("Windows", "PlatformId", id); }
};
}  // namespace

TEST_F(RestartFixture, DelayedRenamesOfNtRunAtTheRestart) {
    write("C:\\WINDOWS\\SYSTEM32\\X.DLL", "old");
    write("C:\\WINDOWS\\SYSTEM32\\X.1", "new");
    write("C:\\WINDOWS\\SYSTEM32\\Y.DLL", "old y");
    write("C:\\WINDOWS\\SYSTEM32\\Y.1", "new y");
    write("C:\\WINDOWS\\TEMP\\gone.bat", "erase");
    CurrentSystemRoot().Facts().SetInUse("C:\\WINDOWS\\SYSTEM32\\X.DLL", true);
    EXPECT_FALSE(files.DeleteFile("C:\\WINDOWS\\SYSTEM32\\X.DLL"));
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\WINDOWS\\SYSTEM32\\X.1", "C:\\WINDOWS\\SYSTEM32\\X.DLL", true));
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\WINDOWS\\SYSTEM32\\Y.1", "C:\\WINDOWS\\SYSTEM32\\Y.DLL", false));
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\WINDOWS\\TEMP\\gone.bat", "", false));
    EXPECT_FALSE(MoveFileDelayUntilReboot("C:\\missing", "C:\\x", true));
    auto pending = Registry().GetValue(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                       "PendingFileRenameOperations");
    ASSERT_TRUE(pending);
    EXPECT_EQ(pending->type, REG_MULTI_SZ_T);
    using namespace std::string_literals;
    EXPECT_EQ(pending->data, "\\??\\C:\\WINDOWS\\SYSTEM32\\X.1\0!\\??\\C:\\WINDOWS\\SYSTEM32\\X.DLL\0"s
                             "\\??\\C:\\WINDOWS\\SYSTEM32\\Y.1\0\\??\\C:\\WINDOWS\\SYSTEM32\\Y.DLL\0"s
                             "\\??\\C:\\WINDOWS\\TEMP\\gone.bat\0\0\0"s);
    ASSERT_TRUE(RequestReboot());
    EXPECT_TRUE(RebootRequested());
    Registry().CreateKey(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
    Registry().WriteString(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                           "TamselUnfinished1", "\"C:\\setup.exe\" -r second");
    Registry().WriteString(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                           "TamselUnfinished", "\"C:\\setup.exe\" -r first");

    // Added after the check of the list's text: a file renamed onto itself.
    write("C:\\WINDOWS\\SYSTEM32\\Z.DLL", "itself");
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\WINDOWS\\SYSTEM32\\Z.DLL", "c:\\windows\\system32\\z.dll", true));

    RestartReport report = SimulateRestart();
    EXPECT_EQ(read("C:\\WINDOWS\\SYSTEM32\\Z.DLL"), "itself");
    EXPECT_EQ(read("C:\\WINDOWS\\SYSTEM32\\X.DLL"), "new");
    EXPECT_FALSE(files.FileExists("C:\\WINDOWS\\SYSTEM32\\X.1"));
    EXPECT_EQ(read("C:\\WINDOWS\\SYSTEM32\\Y.DLL"), "old y");  // not replaceable: the move fails
    EXPECT_TRUE(files.FileExists("C:\\WINDOWS\\SYSTEM32\\Y.1"));
    EXPECT_FALSE(files.FileExists("C:\\WINDOWS\\TEMP\\gone.bat"));
    EXPECT_EQ(report.done, (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32\\X.1 -> C:\\WINDOWS\\SYSTEM32\\X.DLL",
                                                     "delete C:\\WINDOWS\\TEMP\\gone.bat",
                                                     "C:\\WINDOWS\\SYSTEM32\\Z.DLL -> C:\\windows\\system32\\z.dll"}));
    // Without a runner for programs, the commands are taken but not run.
    EXPECT_EQ(report.failed, (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32\\Y.1 -> C:\\WINDOWS\\SYSTEM32\\Y.DLL",
                                                       "\"C:\\setup.exe\" -r first (not run)",
                                                       "\"C:\\setup.exe\" -r second (not run)"}));
    EXPECT_EQ(report.runOnce, (std::vector<std::string>{"\"C:\\setup.exe\" -r first", "\"C:\\setup.exe\" -r second"}));
    EXPECT_FALSE(RebootRequested());
    EXPECT_FALSE(files.IsInUse("C:\\WINDOWS\\SYSTEM32\\X.DLL"));
    EXPECT_TRUE(Registry().ValueNames(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce").empty());
    EXPECT_TRUE(SimulateRestart().done.empty());  // nothing is left to do
}

// Renames whose paths meet links made in the root, by long names and 8.3
// aliases: each is carried out or reported failed, and none loses a file.
TEST_F(RestartFixture, RenamesThroughLinksAndShortAliasesLoseNoFile) {
    write("C:\\Kept\\plain.txt", "plain");
    write("C:\\Kept\\other.txt", "other");
    write("C:\\Kept\\vanish.txt", "vanish");
    write("C:\\Kept\\new.dll", "new");
    write("C:\\Kept\\old.dll", "old");
    const fs::path links = dir.Path() / "drive_c" / "Links";
    fs::create_directories(links);
    fs::create_directory_symlink(dir.Path() / "drive_c" / "Kept", links / "InsideKept");
    fs::create_symlink(dir.Path() / "drive_c" / "Kept" / "plain.txt", links / "PlainLink.txt");
    ASSERT_EQ(files.ShortPathName("C:\\Links\\PlainLink.txt").value(), "C:\\Links\\PLAINL~1.TXT");
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\Kept\\plain.txt", "C:\\Links\\INSIDE~1\\plain.txt", true));
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\Links\\PLAINL~1.TXT", "C:\\Kept\\plain.txt", true));
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\Kept\\vanish.txt", "C:\\Kept\\other.txt", true));
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\Links\\INSIDE~1\\new.dll", "C:\\Kept\\old.dll", true));
    ASSERT_TRUE(files.DeleteFile("C:\\Kept\\vanish.txt"));

    RestartReport report = SimulateRestart();
    EXPECT_EQ(report.done, (std::vector<std::string>{"C:\\Kept\\plain.txt -> C:\\Links\\INSIDE~1\\plain.txt",
                                                     "C:\\Links\\INSIDE~1\\new.dll -> C:\\Kept\\old.dll"}));
    EXPECT_EQ(report.failed, (std::vector<std::string>{"C:\\Links\\PLAINL~1.TXT -> C:\\Kept\\plain.txt",
                                                       "C:\\Kept\\vanish.txt -> C:\\Kept\\other.txt"}));
    EXPECT_EQ(read("C:\\Kept\\plain.txt"), "plain");
    EXPECT_EQ(read("C:\\Links\\PLAINL~1.TXT"), "plain");
    EXPECT_EQ(read("C:\\Kept\\other.txt"), "other");
    EXPECT_EQ(read("C:\\Kept\\old.dll"), "new");
    EXPECT_FALSE(files.FileExists("C:\\Kept\\new.dll"));
}

TEST_F(RestartFixture, WindowsNinetyFiveUsesWininitAndRebootsCanBeRefused) {
    platformId("1");
    ASSERT_TRUE(files.ForceDirectories("C:\\PROGRA~1"));
    write("C:\\PROGRA~1\\A.DLL", "old");
    write("C:\\PROGRA~1\\A.1", "new");
    write("C:\\WINDOWS\\TEMP\\x.tmp", "x");
    EXPECT_FALSE(MoveFileDelayUntilReboot("C:\\PROGRA~1\\A.1", "C:\\PROGRA~1\\A.DLL", true));
    write("C:\\PROGRA~1\\Same.dll", "kept");
    write("C:\\WINDOWS\\TEMP\\y.tmp", "y");
    // A target "NUL" in any case deletes; a file renamed onto itself (any case) stays.
    write("C:\\WINDOWS\\WININIT.INI",
          "[Rename]\r\nC:\\PROGRA~1\\A.DLL=C:\\PROGRA~1\\A.1\r\nNUL=C:\\WINDOWS\\TEMP\\x.tmp\r\n"
          "nul=C:\\WINDOWS\\TEMP\\y.tmp\r\nC:\\PROGRA~1\\SAME.DLL=c:\\progra~1\\same.dll\r\n");
    RestartReport report = SimulateRestart();
    EXPECT_EQ(read("C:\\PROGRA~1\\A.DLL"), "new");
    EXPECT_FALSE(files.FileExists("C:\\WINDOWS\\TEMP\\x.tmp"));
    EXPECT_FALSE(files.FileExists("C:\\WINDOWS\\TEMP\\y.tmp"));
    EXPECT_EQ(read("C:\\PROGRA~1\\Same.dll"), "kept");
    EXPECT_EQ(report.done, (std::vector<std::string>{"C:\\PROGRA~1\\A.1 -> C:\\PROGRA~1\\A.DLL",
                                                     "delete C:\\WINDOWS\\TEMP\\x.tmp", "delete C:\\WINDOWS\\TEMP\\y.tmp",
                                                     "c:\\progra~1\\same.dll -> C:\\PROGRA~1\\SAME.DLL"}));
    EXPECT_TRUE(report.failed.empty());
    EXPECT_FALSE(files.FileExists("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_TRUE(files.FileExists("C:\\WINDOWS\\WININIT.BAK"));

    IniFile(dir.Path() / "platform.ini").WriteString("Restart", "Refuse", "1");
    EXPECT_FALSE(RequestReboot());
    EXPECT_FALSE(RebootRequested());
}

TEST_F(RestartFixture, RunOnceCommandsRunAfterTheRenamesInNameOrderAndTheMarkerGoesLast) {
    const std::string runOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    RegistryStore& reg = Registry();
    reg.CreateKey(RegRoot::LocalMachine, runOnceKey);
    reg.CreateKey(RegRoot::CurrentUser, runOnceKey);
    write("C:\\WINDOWS\\TEMP\\X.1", "new");
    write("C:\\X.DLL", "old");
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\WINDOWS\\TEMP\\X.1", "C:\\X.DLL", true));
    write("C:\\WINDOWS\\TEMP\\b.bat", "ERASE C:\\X.DLL\r\nDELTREE /Y C:\\\r\n");
    reg.WriteString(RegRoot::LocalMachine, runOnceKey, "zeta", "\"C:\\Program Files\\p.exe\" -r \"-sD:\\A B\"");
    reg.WriteString(RegRoot::LocalMachine, runOnceKey, "Beta", "C:\\WINDOWS\\TEMP\\b.bat");
    reg.WriteString(RegRoot::LocalMachine, runOnceKey, "alpha", "C:\\first.exe");
    reg.WriteString(RegRoot::CurrentUser, runOnceKey, "Aaa", "C:\\user.exe");
    ASSERT_TRUE(RequestReboot());

    std::vector<std::string> seen;
    RestartReport report = SimulateRestart([&](const RunOnceCommand& command) {
        std::string line = command.program;
        for (const auto& a : command.arguments) line += "|" + a;
        seen.push_back(line);
        EXPECT_TRUE(RebootRequested());  // cleared only when every command ran
        // The value was removed before it ran; one added now waits for the next start.
        EXPECT_FALSE(reg.ReadString(RegRoot::LocalMachine, runOnceKey, "alpha"));
        reg.WriteString(RegRoot::LocalMachine, runOnceKey, "again", "C:\\again.exe");
        return command.program != "C:\\user.exe";
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"C:\\first.exe", "C:\\Program Files\\p.exe|-r|-sD:\\A B", "C:\\user.exe"}));
    EXPECT_EQ(report.runOnce.size(), 4u);
    EXPECT_EQ(report.runOnce[1], "C:\\WINDOWS\\TEMP\\b.bat");
    // The batch ran after the rename: it erased the new file.
    EXPECT_FALSE(files.FileExists("C:\\X.DLL"));
    EXPECT_EQ(report.refused, std::vector<std::string>{"C:\\WINDOWS\\TEMP\\b.bat: DELTREE /Y C:\\ (a drive root)"});
    EXPECT_EQ(report.failed, std::vector<std::string>{"C:\\user.exe (not run)"});
    EXPECT_FALSE(report.Clean());
    EXPECT_FALSE(RebootRequested());
    EXPECT_EQ(reg.ValueNames(RegRoot::LocalMachine, runOnceKey), std::vector<std::string>{"again"});
}

// A hive the restart cannot read leaves everything as it was and says why:
// no rename, no command, the hive files untouched.
TEST_F(RestartFixture, AHiveThatCannotBeReadStopsTheRestartBeforeAnything) {
    const std::string runOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    write("C:\\WINDOWS\\TEMP\\X.1", "new");
    write("C:\\X.DLL", "old");
    write("C:\\WINDOWS\\TEMP\\b.bat", "ERASE C:\\X.DLL\r\n");
    ASSERT_TRUE(MoveFileDelayUntilReboot("C:\\WINDOWS\\TEMP\\X.1", "C:\\X.DLL", true));
    Registry().CreateKey(RegRoot::LocalMachine, runOnceKey);
    Registry().WriteString(RegRoot::LocalMachine, runOnceKey, "Batch", "C:\\WINDOWS\\TEMP\\b.bat");
    CurrentSystemRoot().Facts().SetInUse("C:\\X.DLL", true);
    const std::string machine = ReadWholeFile(dir.Path() / "HKLM.reg").value();
    for (const auto& [file, bytes] :
         {std::pair<const char*, std::string>{"HKLM.reg", machine + "\"Tail\"=\"no closing quote\r\n"},
          std::pair<const char*, std::string>{"HKCU.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"v\"=\"open"}}) {
        const std::string hklm = file == std::string("HKLM.reg") ? bytes : machine;
        { std::ofstream(dir.Path() / "HKLM.reg", std::ios::binary) << hklm; }
        if (file == std::string("HKCU.reg")) std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary) << bytes;
        const int line = file == std::string("HKCU.reg") ? 4 : static_cast<int>(std::count(machine.begin(), machine.end(), '\n')) + 1;
        try {
            SimulateRestart();
            ADD_FAILURE() << file;
        } catch (const ERegistryFileError& e) {
            EXPECT_EQ(e.Message(), "The registry file " + (dir.Path() / file).string() + " cannot be read: line " +
                                       std::to_string(line) + ": a quoted text is not closed");
        }
        EXPECT_EQ(read("C:\\X.DLL"), "old");
        EXPECT_EQ(read("C:\\WINDOWS\\TEMP\\X.1"), "new");
        EXPECT_TRUE(files.FileExists("C:\\WINDOWS\\TEMP\\b.bat"));
        EXPECT_TRUE(files.IsInUse("C:\\X.DLL"));
        EXPECT_EQ(ReadWholeFile(dir.Path() / file).value(), file == std::string("HKCU.reg") ? bytes : hklm);
    }
    // Mended, the same restart carries out the rename and then the batch.
    { std::ofstream(dir.Path() / "HKLM.reg", std::ios::binary) << machine; }
    fs::remove(dir.Path() / "HKCU.reg");
    const RestartReport report = SimulateRestart();
    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed);
    EXPECT_EQ(report.runOnce, std::vector<std::string>{"C:\\WINDOWS\\TEMP\\b.bat"});
    EXPECT_FALSE(files.FileExists("C:\\X.DLL"));
}

// Each RunOnce value is taken before anything runs, in one change of the
// hive however many there are; a list that cannot be taken is not run, and
// a value that is no command line is named, not dropped.
TEST_F(RestartFixture, RunOnceValuesAreTakenTogetherAndEveryOneIsAccountedFor) {
    const std::string runOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    RegistryStore& reg = Registry();
    constexpr int kCommands = 2000;
    std::string hive = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + runOnceKey + "]\r\n\"Number\"=dword:00000007\r\n";
    for (int i = 0; i < kCommands; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "cmd%05d", kCommands - 1 - i);
        hive += std::string("\"") + name + "\"=\"C:\\\\p.exe " + name + "\"\r\n";
    }
    { std::ofstream(dir.Path() / "HKLM.reg", std::ios::binary) << hive; }

    reg.FailWritesAt(RegRoot::LocalMachine, runOnceKey);
    int ran = 0;
    RestartReport report = SimulateRestart([&](const RunOnceCommand&) { return ++ran, true; });
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(report.failed, std::vector<std::string>{"HKEY_LOCAL_MACHINE\\" + runOnceKey +
                                                      " (the commands could not be removed; none ran)"});
    EXPECT_EQ(reg.ValueNames(RegRoot::LocalMachine, runOnceKey).size(), kCommands + 1u);
    reg.ClearWriteFailures();

    std::vector<std::string> seen;
    report = SimulateRestart([&](const RunOnceCommand& command) {
        // Every value is gone before the first command runs.
        EXPECT_TRUE(reg.ValueNames(RegRoot::LocalMachine, runOnceKey).empty());
        seen.push_back(command.arguments.at(0));
        return true;
    });
    ASSERT_EQ(seen.size(), static_cast<size_t>(kCommands));
    EXPECT_EQ(seen.front(), "cmd00000");
    EXPECT_EQ(seen.back(), "cmd01999");
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(report.failed, std::vector<std::string>{"Number (not a command line)"});
    EXPECT_EQ(reg.ValueNames(RegRoot::LocalMachine, runOnceKey), std::vector<std::string>{});
}
