#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/SelfRegistration.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/install/SetupProgram.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/restart/Restart.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer {
namespace {

using namespace installer::testing;

constexpr const char* kProgramDest = "C:\\Program Files\\Vorel\\VOREL.EXE";
constexpr const char* kTempSetupDir = "C:\\WINDOWS\\TEMP\\~vs1";
constexpr const char* kTempSetupExe = "C:\\WINDOWS\\TEMP\\~vs1\\SETUP.EXE";
constexpr const char* kRecord = "\\SOFTWARE\\Tamsel\\Install\\Install0";
const std::vector<std::string> kWithCleanup = {"-sD:\\SETUP", "-c"};

class Reboot : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareSources();
        WriteRootFile(kProgramDest, "old program");
        platform::CurrentSystemRoot().Facts().SetInUse(kProgramDest, true);
    }
    // The first run: the program is in use, so the install waits for a restart.
    // The setup runs from the temporary copy the loading program made.
    void InstallWithProgramInUse(const std::vector<std::string>& arguments, bool activeX = false) {
        WriteRootFile(kTempSetupExe, "MZ setup program copy");
        TestSetup setup(arguments);
        if (activeX) MakeActiveX(setup.File("ProgramFile"));
        setup.Build();
        setup.Install().SetExeName(kTempSetupExe);
        setup.Install().OwnerFormActivate();
        ASSERT_TRUE(setup.Install().Reboot());
        ASSERT_EQ(ReadRootFile(kProgramDest), "old program");
        ASSERT_TRUE(platform::RebootRequested());
    }
    // The program as a self-registering server kept beside the install.
    static void MakeActiveX(TInstallFile& program) {
        program.SetActiveX(true);
        program.SetFileType(iftNormal);
        program.SetDestDirType(StandardPathSpecList(program.Context()).FindByClass<TpsContainerDestDir>());
        program.OverwriteMode = TOverwriteType::owAlways;
        program.UpdateDLLCounter = false;
    }
    // The restart, with the test setup as the program the RunOnce command starts.
    platform::RestartReport Restart(bool activeX = false) {
        return PlayRestart([this, activeX](TreeBuilder& b) {
            TInstall& install = AddTestComponents(b);
            install.OnAfterNotifyGoodInstall = [this](TCustomInstall& resumed) {
                resumedExe = resumed.ExeName();
                resumedWith = resumed.Arguments();
            };
            if (activeX) MakeActiveX(dynamic_cast<TInstallFile&>(*install.Owner().FindComponent("ProgramFile")));
        });
    }
    static bool KeyExists(const std::string& key) {
        return platform::Registry().KeyExists(platform::RegRoot::LocalMachine, key);
    }
    static std::vector<std::string> RunOnceValues() {
        std::vector<std::string> all;
        for (auto hive : {platform::RegRoot::LocalMachine, platform::RegRoot::CurrentUser})
            for (const auto& name : platform::Registry().ValueNames(hive, std::string(kRunOnceKey).substr(1)))
                all.push_back(name);
        return all;
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    std::string resumedExe;
    std::vector<std::string> resumedWith;
};

TEST_F(Reboot, TheRestartReplacesTheFileResumesFromTheRecordedCommandAndLeavesNothing) {
    InstallWithProgramInUse(kWithCleanup);
    const platform::RestartReport report = Restart();

    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed) << ::testing::PrintToString(report.refused);
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);
    EXPECT_FALSE(platform::Files().FileExists("C:\\Program Files\\Vorel\\VOREL.1"));
    // The resume ran from the command line the first run recorded.
    ASSERT_EQ(report.runOnce.size(), 1u);
    EXPECT_EQ(report.runOnce[0], std::string("\"") + kTempSetupExe + "\" -r \"-sD:\\SETUP\" -c");
    EXPECT_EQ(resumedExe, kTempSetupExe);
    EXPECT_EQ(resumedWith, (std::vector<std::string>{"-r", "-sD:\\SETUP", "-c"}));
    // The record and its empty parents are gone, nothing waits for another restart.
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
    EXPECT_TRUE(RunOnceValues().empty());
    EXPECT_FALSE(platform::RebootRequested());
    // The cleanup batch ran when the resumed setup ended: the temporary copy is gone.
    EXPECT_FALSE(platform::Files().DirectoryExists(kTempSetupDir));
    EXPECT_TRUE(platform::Files().FindFiles("C:\\WINDOWS\\TEMP").empty());
    EXPECT_TRUE(services.Boxes.empty());
}

TEST_F(Reboot, OnWindows95TheWininitRenameByShortNamesReplacesTheFile) {
    platform::IniFile(platform::CurrentSystemRoot().Facts().FileName()).WriteString("Windows", "PlatformId", "1");
    InstallWithProgramInUse({"-sD:\\SETUP"});
    const platform::RestartReport report = Restart();
    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed);
    EXPECT_EQ(report.done, std::vector<std::string>{"C:\\PROGRA~1\\Vorel\\VOREL.1 -> C:\\PROGRA~1\\Vorel\\VOREL.EXE"});
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);
    EXPECT_EQ(platform::Files().FindFiles("C:\\Program Files\\Vorel").size(), 2u);  // VOREL.EXE and Data
    EXPECT_FALSE(platform::Files().FileExists("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
}

TEST_F(Reboot, WithoutTheRenameServiceTheBatchReplacesTheFileAndIsRemoved) {
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine,
                                      "SYSTEM\\CurrentControlSet\\Control\\Session Manager");
    InstallWithProgramInUse({"-sD:\\SETUP"});
    const std::string batch = RegReadString(4, kRunOnceKey, "TamselBatFile", "");
    ASSERT_FALSE(batch.empty());
    const platform::RestartReport report = Restart();

    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed) << ::testing::PrintToString(report.refused);
    EXPECT_EQ(report.runOnce.size(), 2u);  // the batch first, by name, then the resume
    EXPECT_EQ(report.runOnce[0], batch);
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);
    EXPECT_FALSE(platform::Files().FileExists("C:\\Program Files\\Vorel\\VOREL.1"));
    EXPECT_FALSE(platform::Files().FileExists(batch));
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
    EXPECT_TRUE(RunOnceValues().empty());
    // Without -c the setup folder stays.
    EXPECT_TRUE(platform::Files().FileExists(kTempSetupExe));
}

TEST_F(Reboot, TheResumeDeletesFilesOfKindOneAndReRegistersAServerOfKindZero) {
    InstallWithProgramInUse({"-sD:\\SETUP"}, true);
    EXPECT_EQ(SelfRegistrationLog(), "");  // the new program is not in place yet
    WriteRootFile("C:\\WINDOWS\\TEMP\\left.tmp", "x");
    RegWriteString(4, std::string(kRecord) + "\\Unfinished", "C:\\WINDOWS\\TEMP\\left.tmp", "1");
    const platform::RestartReport report = Restart(true);

    EXPECT_TRUE(report.Clean()) << ::testing::PrintToString(report.failed);
    EXPECT_FALSE(platform::Files().FileExists("C:\\WINDOWS\\TEMP\\left.tmp"));
    EXPECT_EQ(SelfRegistrationLog(), std::string(kProgramDest) + " /REGSERVER\n");
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
}

TEST_F(Reboot, OnlyASetupItsRecordNamesIsResumed) {
    InstallWithProgramInUse({"-sD:\\SETUP"});
    WriteRootFile("C:\\OTHER\\SETUP.EXE", "MZ setup program copy");  // the same size and date would match
    platform::Files().SetFileDateTime("C:\\OTHER\\SETUP.EXE", *platform::Files().FileDateTime(kTempSetupExe));
    RegWriteString(4, kRunOnceKey, "Another", "\"C:\\OTHER\\SETUP.EXE\" -r \"-sD:\\SETUP\"");
    const platform::RestartReport report = Restart();
    // "Another" comes first by name and is not run; the real resume finishes the install.
    ASSERT_EQ(report.runOnce.size(), 2u);
    EXPECT_EQ(report.failed, std::vector<std::string>{report.runOnce[0] + " (not run)"});
    EXPECT_EQ(resumedExe, kTempSetupExe);
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
}

TEST_F(Reboot, AResumeThatEndsBadlyIsReportedAndNotRunAgain) {
    InstallWithProgramInUse({"-sD:\\SETUP"});
    RegWriteString(4, std::string(kRecord) + "\\Unfinished", "ProgramFile", "zero");
    const platform::RestartReport report = Restart();

    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0], report.runOnce[0] + " (the setup ended badly)");
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "There is an invalid entry for the unfinished install list ProgramFile;zero");
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);  // the rename came first
    EXPECT_TRUE(RunOnceValues().empty());
    EXPECT_FALSE(platform::RebootRequested());
}

// ---------------------------------------------------------------- the tool

std::string RunTool(const std::string& command, int& status) {
    FILE* pipe = ::popen((std::string(VOREL_BIN_DIR) + "/" + command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    status = WEXITSTATUS(::pclose(pipe));
    return out;
}

TEST_F(Reboot, TheRestartPlayedByTheToolFinishesTheInstall) {
    InstallWithProgramInUse(kWithCleanup);
    const std::string rootPath = dir.Path().string();
    int status = -1;
    const std::string before = RunTool("sysroot-dump " + rootPath, status);
    ASSERT_EQ(status, 0) << before;
    EXPECT_NE(before.find("VOREL.1"), std::string::npos);
    EXPECT_NE(before.find("\"TamselUnfinished\"="), std::string::npos);

    const std::string reboot = RunTool("sysroot-reboot " + rootPath, status);
    EXPECT_EQ(status, 0) << reboot;
    // The resumed setup ends on its own good page, answered by the tool.
    EXPECT_EQ(reboot, "page: Setup complete\n"
                      "renamed: C:\\Program Files\\Vorel\\VOREL.1 -> C:\\Program Files\\Vorel\\VOREL.EXE\n"
                      "ran: \"C:\\WINDOWS\\TEMP\\~vs1\\SETUP.EXE\" -r \"-sD:\\SETUP\" -c\n");
    const std::string after = RunTool("sysroot-dump " + rootPath, status);
    EXPECT_EQ(status, 0);
    std::printf("$ sysroot-dump ROOT\n%s$ sysroot-reboot ROOT\n%s$ sysroot-dump ROOT\n%s", before.c_str(),
                reboot.c_str(), after.c_str());
    EXPECT_NE(after.find("C:\\Program Files\\Vorel\\VOREL.EXE  " + std::to_string(std::string(kProgramText).size())),
              std::string::npos);
    EXPECT_NE(after.find("C:\\Program Files\\Vorel\\Data\\Dados.db"), std::string::npos);
    for (const char* leftover : {"VOREL.1", "Tamsel", "PendingFileRenameOperations", "~vs1", ".bat", "WININIT"})
        EXPECT_EQ(after.find(leftover), std::string::npos) << leftover;
    EXPECT_EQ(after.find("C:\\WINDOWS\\TEMP\\\nC:\\WINDOWS\\TEMP\\"), std::string::npos);
    EXPECT_NE(after.find("C:\\WINDOWS\\TEMP\\\n"), std::string::npos);
    EXPECT_EQ(platform::IniFile(dir.Path() / "platform.ini").ReadString("Restart", "Requested", "0"), "0");

    // Played again, there is nothing left to do.
    EXPECT_EQ(RunTool("sysroot-reboot " + rootPath, status), "");
    EXPECT_EQ(status, 0);
}

// A hive damaged at its tail is named with its line; the restart does
// nothing of what waits for it, and does all of it once the hive is mended.
TEST_F(Reboot, TheToolRefusesAHiveItCannotReadAndDoesNothingOfTheRestart) {
    InstallWithProgramInUse(kWithCleanup);
    const std::string rootPath = dir.Path().string();
    const std::filesystem::path hklm = dir.Path() / "HKLM.reg";
    const std::string good = platform::ReadWholeFile(hklm).value();
    const std::string damaged = good + "[HKEY_LOCAL_MACHINE\\Software\\Tail]\r\n\"Tail\"=\"no closing quote";
    platform::WriteFileAtomically(hklm, damaged);
    const int line = static_cast<int>(std::count(good.begin(), good.end(), '\n')) + 2;
    int status = -1;
    const std::string out = RunTool("sysroot-reboot " + rootPath, status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "sysroot-reboot: The registry file " + hklm.string() + " cannot be read: line " +
                       std::to_string(line) + ": a quoted text is not closed\n");
    EXPECT_EQ(ReadRootFile(kProgramDest), "old program");
    EXPECT_TRUE(platform::Files().FileExists("C:\\Program Files\\Vorel\\VOREL.1"));
    EXPECT_TRUE(platform::Files().FileExists(kTempSetupExe));
    EXPECT_TRUE(platform::Files().IsInUse(kProgramDest));
    EXPECT_EQ(platform::ReadWholeFile(hklm).value(), damaged);
    RunTool("sysroot-dump " + rootPath, status);
    EXPECT_EQ(status, 1);

    platform::WriteFileAtomically(hklm, good);
    EXPECT_EQ(RunTool("sysroot-reboot " + rootPath, status),
              "page: Setup complete\n"
              "renamed: C:\\Program Files\\Vorel\\VOREL.1 -> C:\\Program Files\\Vorel\\VOREL.EXE\n"
              "ran: \"C:\\WINDOWS\\TEMP\\~vs1\\SETUP.EXE\" -r \"-sD:\\SETUP\" -c\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);
}

TEST_F(Reboot, TheToolNamesARefusedBatchLineAndExitsOneAfterTheRest) {
    // A link's 8.3 alias moved onto the file it leads to would leave a link to nothing.
    WriteRootFile("C:\\WINDOWS\\TEMP\\evil.bat",
                  "DELTREE /Y C:\\\r\nMOVE C:\\Links\\PLAINL~1.TXT C:\\Kept\\plain.txt\r\nERASE C:\\WINDOWS\\TEMP\\x.tmp\r\n");
    WriteRootFile("C:\\WINDOWS\\TEMP\\x.tmp", "x");
    WriteRootFile("C:\\Kept\\plain.txt", "plain");
    std::filesystem::create_directories(dir.Path() / "drive_c" / "Links");
    std::filesystem::create_symlink(dir.Path() / "drive_c" / "Kept" / "plain.txt",
                                    dir.Path() / "drive_c" / "Links" / "PlainLink.txt");
    RegWriteString(4, kRunOnceKey, "Evil", "C:\\WINDOWS\\TEMP\\evil.bat");
    RegWriteString(4, kRunOnceKey, "Other", "C:\\WINDOWS\\notepad.exe readme.txt");
    int status = -1;
    const std::string out = RunTool("sysroot-reboot " + dir.Path().string(), status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("sysroot-reboot: refused: C:\\WINDOWS\\TEMP\\evil.bat: DELTREE /Y C:\\ (a drive root)"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("sysroot-reboot: failed: C:\\WINDOWS\\notepad.exe readme.txt (not run)"), std::string::npos) << out;
    EXPECT_NE(out.find("sysroot-reboot: failed: C:\\WINDOWS\\TEMP\\evil.bat: MOVE C:\\Links\\PLAINL~1.TXT "
                       "C:\\Kept\\plain.txt (the file could not be moved)"),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadRootFile("C:\\Kept\\plain.txt"), "plain");
    EXPECT_FALSE(platform::Files().FileExists("C:\\WINDOWS\\TEMP\\x.tmp"));
    EXPECT_TRUE(platform::Files().DirectoryExists("C:\\WINDOWS"));
    EXPECT_EQ(RunTool("sysroot-reboot", status).rfind("usage:", 0), 0u);
    EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace installer
