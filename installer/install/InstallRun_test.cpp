#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "installer/base/Exceptions.h"
#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/SelfRegistration.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/UninstallFiles.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/restart/Restart.h"
#include "testkit/files/HeldWriteLock.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer {
namespace {

using namespace installer::testing;
using Ids = std::vector<int>;

constexpr const char* kProgramDest = "C:\\Program Files\\Vorel\\VOREL.EXE";
constexpr const char* kDataDest = "C:\\Program Files\\Vorel\\Data\\Dados.db";
constexpr const char* kRecord = "\\SOFTWARE\\Tamsel\\Install\\Install0";
const std::string kUninstall = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel";
const std::string kUninstallFiles = kUninstall + "\\Files";

// What the install hears before and during processing, up to its pass end.
const Ids kStart = {imBeforeReadArchiveInfo, imPushStatus, imPopStatus, imAfterReadArchiveInfo, imPrepareInstall,
                    imBeforeWelcome1, imBeforeWelcome2, imWelcome, imLicense, imReadme, imBeforeInstall};
const Ids kInstallPass = {imBeforeProcess, imProcessing, imBeginInstall, imReplacingFile, imFileStatus,
                          imReplacingFile, imFileStatus, imPassFinished, imAfterProcess};

Ids Join(std::initializer_list<Ids> parts) {
    Ids all;
    for (const Ids& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class InstallRun : public ::testing::Test {
protected:
    void SetUp() override { PrepareSources(); }
    void TearDown() override {
        // Nothing of a run may land in the default root.
        if (const char* unused = std::getenv("VOREL_SYSROOT")) {
            EXPECT_FALSE(std::filesystem::exists(unused));
        }
    }
    // Builds the archive and forgets what the build broadcast.
    static void BuildAndReset(TestSetup& setup) {
        setup.Build();
        setup.Recorder().Heard.clear();
        setup.Recorder().TotalPercents.clear();
    }
    static bool Exists(const std::string& path) { return platform::Files().FileExists(path); }
    static bool KeyExists(const std::string& key) {
        return platform::Registry().KeyExists(platform::RegRoot::LocalMachine, key);
    }
    std::string Read(const std::string& key, const std::string& name) {
        return RegReadString(4, key, name, "<none>");
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(InstallRun, GoodRunInstallsEveryFileRecordsItForUninstallAndLeavesNoRecord) {
    TestSetup setup;
    BuildAndReset(setup);
    int afterObjects = 0;
    setup.Install().OnAfterInstallObjects = [&](TInstallContainer&, bool aborted) {
        ++afterObjects;
        EXPECT_FALSE(aborted);
    };
    setup.Install().OwnerFormActivate();

    EXPECT_EQ(setup.Recorder().Heard, Join({kStart, kInstallPass, {imGoodInstall, imAfterGoodInstall}}));
    EXPECT_EQ(afterObjects, 1);
    // The install's totals: the directory's file (5009 bytes) then the program (17).
    ASSERT_FALSE(setup.Recorder().TotalPercents.empty());
    EXPECT_EQ(setup.Recorder().TotalPercents.back(), 100);
    EXPECT_TRUE(std::is_sorted(setup.Recorder().TotalPercents.begin(), setup.Recorder().TotalPercents.end()));

    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);
    EXPECT_EQ(ReadRootFile(kDataDest), kDataText);
    auto& files = platform::Files();
    EXPECT_EQ(files.FileDateTime(kProgramDest), files.FileDateTime(std::string(kSourceDir) + "\\VOREL.EXE"));
    EXPECT_EQ(files.FileDateTime(kDataDest), files.FileDateTime(std::string(kSourceDir) + "\\Dados.db"));

    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
    EXPECT_EQ(Read(kUninstallFiles, "Entries"), "2");
    EXPECT_EQ(Read(kUninstallFiles, "File1"), kDataDest);
    EXPECT_EQ(Read(kUninstallFiles, "File2"), kProgramDest);
    // Beside each entry, what the file was when the setup left it (size; ms since 1970).
    EXPECT_EQ(Read(kUninstallFiles, "Stamp2"),
              std::to_string(std::string(kProgramText).size()) + ";" +
                  std::to_string(platform::DateTimeToUnixMs(*files.FileDateTime(kProgramDest))));
    EXPECT_EQ(services.Trace.back(), "terminate");
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_FALSE(setup.Install().InstallRunning());
    EXPECT_FALSE(platform::RebootRequested());
}

TEST_F(InstallRun, UserAbortOnAPageEndsBadlyExtractsNothingAndRemovesTheRecord) {
    TestSetup setup;
    BuildAndReset(setup);
    setup.Recorder().OnMessage = [](int id) {
        if (id == imWelcome) throw EAIUserAbort();
    };
    int afterObjects = 0;
    setup.Install().OnAfterInstallObjects = [&](TInstallContainer&, bool) { ++afterObjects; };
    setup.Install().OwnerFormActivate();

    const Ids expected = {imBeforeReadArchiveInfo, imPushStatus, imPopStatus, imAfterReadArchiveInfo,
                          imPrepareInstall, imBeforeWelcome1, imBeforeWelcome2, imWelcome, imBadInstall,
                          imAfterBadInstall};
    EXPECT_EQ(setup.Recorder().Heard, expected);
    EXPECT_EQ(afterObjects, 0);
    EXPECT_FALSE(Exists(kProgramDest));
    EXPECT_FALSE(Exists(kDataDest));
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
    EXPECT_TRUE(services.Boxes.empty());  // an abort is no error
    EXPECT_EQ(services.Trace.back(), "terminate");
    EXPECT_TRUE(setup.Install().Aborted());
}

TEST_F(InstallRun, AnotherErrorIsShownAndKeepsTheRecordForTheNextRun) {
    TestSetup setup;
    BuildAndReset(setup);
    setup.Recorder().OnMessage = [](int id) {
        if (id == imBeforeInstall) throw platform::Exception("The licence server did not answer");
    };
    TInstall& install = setup.Install();
    install.RunAutomatic = false;  // the shutdown query runs all the same
    install.OwnerFormActivate();   // without RunAutomatic the form's activation starts nothing
    EXPECT_TRUE(setup.Recorder().Heard.empty());
    install.RunGuarded([&] { install.Process(); });

    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "The licence server did not answer");
    EXPECT_EQ(services.Boxes[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(setup.Recorder().Heard.back(), imAfterBadInstall);
    EXPECT_FALSE(Exists(kProgramDest));
    EXPECT_TRUE(KeyExists(std::string(kRecord).substr(1)));
    EXPECT_EQ(Read(kRecord, "Path"), kSetupExe);
    EXPECT_EQ(services.Trace.back(), "terminate");

    // A registry file the root cannot read is named with its line and reason, and kept as it is.
    const std::filesystem::path hive = dir.Path() / "HKLM.reg";
    const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\r\n\"a\"=\"b\"\r\n";
    platform::WriteFileAtomically(hive, damaged);
    TestSetup again;
    BuildAndReset(again);
    again.Install().OwnerFormActivate();
    ASSERT_EQ(services.Boxes.size(), 2u);
    EXPECT_EQ(services.Boxes[1].text.rfind("The registry file " + hive.string() + " cannot be read: line 3: ", 0), 0u)
        << services.Boxes[1].text;
    EXPECT_EQ(platform::ReadWholeFile(hive), damaged);
    EXPECT_FALSE(Exists(kProgramDest));
}

TEST_F(InstallRun, CancelDuringExtractionKeepsTheInstalledFileAndEndsAsAUserAbort) {
    WriteRootFile(kDataDest, "old catalogue");
    TestSetup setup;
    BuildAndReset(setup);
    // The copy window's Cancel during the first progress report.
    auto& compressor = *setup.form.Context().GlobalCompressor;
    setup.File("DataFile").OnStatus = [&](TInstallContainer&, int, int) { compressor.Abort = true; };
    bool abortedSeen = false;
    setup.Install().OnAfterInstallObjects = [&](TInstallContainer&, bool aborted) { abortedSeen = aborted; };
    setup.Install().OwnerFormActivate();

    EXPECT_TRUE(abortedSeen);
    const auto& heard = setup.Recorder().Heard;
    // The install's pass ends with its message also when a file failed.
    ASSERT_GE(heard.size(), 3u);
    EXPECT_EQ(Ids(heard.end() - 3, heard.end()), (Ids{imPassFinished, imBadInstall, imAfterBadInstall}));
    EXPECT_EQ(ReadRootFile(kDataDest), "old catalogue");
    EXPECT_EQ(platform::Files().FindFiles("C:\\Program Files\\Vorel\\Data").size(), 1u);  // no partial file left
    EXPECT_FALSE(Exists(kProgramDest));
    EXPECT_EQ(setup.Recorder().Heard.back(), imAfterBadInstall);
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(setup.Directory().State, ifsNone);
    EXPECT_EQ(services.BusyDepth, 0);
}

TEST_F(InstallRun, ALockedDestinationGoesToATemporaryNameAndIsFinishedAfterTheRestart) {
    WriteRootFile(kProgramDest, "old program");
    WriteRootFile("C:\\Program Files\\Vorel\\VOREL.1", "someone else's");
    platform::CurrentSystemRoot().Facts().SetInUse(kProgramDest, true);
    {
        TestSetup setup;
        BuildAndReset(setup);
        setup.File("ProgramFile").RegisterAsHelp = true;
        setup.Install().OwnerFormActivate();

        EXPECT_TRUE(setup.Install().Reboot());
        EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.2"), kProgramText);
        EXPECT_EQ(ReadRootFile(kProgramDest), "old program");
        EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.1"), "someone else's");
        EXPECT_TRUE(platform::RebootRequested());
        EXPECT_EQ(Read(std::string(kRecord) + "\\Unfinished", "ProgramFile"), "0");
        const std::string runOnce = Read(kRunOnceKey, "TamselUnfinished");
        EXPECT_EQ(runOnce, "\"D:\\SETUP\\SETUP.EXE\" -r \"-sD:\\SETUP\"");
        // The records name the real file.
        EXPECT_EQ(Read(kUninstallFiles, "File2"), kProgramDest);
        EXPECT_EQ(Read("\\SOFTWARE\\Microsoft\\Windows\\Help", "VOREL.EXE"), "C:\\Program Files\\Vorel");
        EXPECT_EQ(std::count(setup.Recorder().Heard.begin(), setup.Recorder().Heard.end(), imReboot), 1);
        EXPECT_EQ(std::count(setup.Recorder().Heard.begin(), setup.Recorder().Heard.end(), imGoodInstall), 0);
        EXPECT_EQ(services.Trace.back(), "terminate");
    }
    const platform::RestartReport restart = platform::SimulateRestart();
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);
    // The stamp taken of the temporary file is the real file's after the restart.
    EXPECT_EQ(Read(kUninstallFiles, "Stamp2"), FileStamp(kProgramDest));
    ASSERT_EQ(restart.runOnce.size(), 1u);

    // Windows starts the setup again with -r: the leftovers are done and the run ends well.
    services.Trace.clear();
    TestSetup resumed({"-r", "-sD:\\SETUP"});
    EXPECT_EQ(resumed.Recorder().Heard, (Ids{imGoodInstall, imAfterGoodInstall}));
    EXPECT_FALSE(KeyExists("SOFTWARE\\Tamsel"));
    EXPECT_EQ(services.Trace.back(), "terminate");
}

TEST_F(InstallRun, AFileAnotherProgramHoldsLockedCountsAsInUse) {
    WriteRootFile(kProgramDest, "old program");
    platform::testing::HeldWriteLock lock(platform::Files().HostPath(kProgramDest));
    TestSetup setup;
    BuildAndReset(setup);
    setup.Install().OwnerFormActivate();
    lock.Release();
    EXPECT_EQ(ReadRootFile(kProgramDest), "old program");
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.1"), kProgramText);
    EXPECT_TRUE(setup.Install().Reboot());
}

TEST_F(InstallRun, OnWindows95ALockedFileIsRenamedThroughWininit) {
    platform::IniFile facts(platform::CurrentSystemRoot().Facts().FileName());
    facts.WriteString("Windows", "PlatformId", "1");
    WriteRootFile(kProgramDest, "old program");
    platform::CurrentSystemRoot().Facts().SetInUse(kProgramDest, true);
    TestSetup setup;
    BuildAndReset(setup);
    setup.Install().OwnerFormActivate();
    platform::IniFile wininit(platform::Files().HostPath("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_EQ(wininit.ReadString("Rename", "C:\\PROGRA~1\\Vorel\\VOREL.EXE"), "C:\\PROGRA~1\\Vorel\\VOREL.1");
    EXPECT_TRUE(setup.Install().Reboot());
}

TEST_F(InstallRun, WithoutTheRenameServiceABatchFileMovesTheFileAtTheNextStart) {
    WriteRootFile(kProgramDest, "old program");
    platform::CurrentSystemRoot().Facts().SetInUse(kProgramDest, true);
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine,
                                      "SYSTEM\\CurrentControlSet\\Control\\Session Manager");
    WriteRootFile("C:\\WINDOWS\\TEMP\\x", "");  // the temporary directory exists
    // A value of that name already exists: the unique-name rule picks another.
    RegWriteString(4, kRunOnceKey, "TamselBatFile", "someone else's");
    TestSetup setup;
    BuildAndReset(setup);
    setup.Install().OwnerFormActivate();

    const std::string batch = Read(kRunOnceKey, "TamselBatFile1");
    ASSERT_NE(batch, "<none>");
    EXPECT_EQ(Read(kRunOnceKey, "TamselBatFile"), "someone else's");
    EXPECT_EQ(platform::ExtractFileExt(batch), ".bat");
    EXPECT_EQ(ReadRootFile(batch),
              "erase \"C:\\PROGRA~1\\Vorel\\VOREL.EXE\"\r\nmove \"C:\\PROGRA~1\\Vorel\\VOREL.1\" "
              "\"C:\\PROGRA~1\\Vorel\\VOREL.EXE\"\r\n");
    EXPECT_EQ(Read(std::string(kRecord) + "\\Unfinished", batch), "1");
    EXPECT_EQ(setup.Install().DeferredRebootEntries(), 2);
}

// Each install counts one user; a library that was there before, with no
// count, has an earlier owner too, so one uninstall never takes it.
TEST_F(InstallRun, AFileInstalledTwiceCountsTwoUsersOfTheSharedLibrary) {
    auto count = [] {
        return platform::Registry().ReadInteger(platform::RegRoot::LocalMachine,
                                                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", kProgramDest);
    };
    for (int run = 0; run < 2; ++run) {
        TestSetup setup;
        BuildAndReset(setup);
        setup.File("ProgramFile").UpdateDLLCounter = true;
        setup.Install().OwnerFormActivate();
        EXPECT_TRUE(services.Boxes.empty());
        EXPECT_EQ(count(), run + 1);
    }
    platform::Registry().DeleteKey(platform::RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
    platform::Registry().DeleteKey(platform::RegRoot::LocalMachine, kUninstall.substr(1));
    TestSetup setup;
    BuildAndReset(setup);
    setup.File("ProgramFile").UpdateDLLCounter = true;
    setup.Install().OwnerFormActivate();
    EXPECT_EQ(count(), 2);
}

// A reinstall keeps a file that the user changed since the last install put
// it there, and its log says so; a file left as installed is updated.
TEST_F(InstallRun, AReinstallKeepsAFileTheUserChangedAndUpdatesTheRest) {
    {
        TestSetup setup;
        BuildAndReset(setup);
        setup.Install().OwnerFormActivate();
    }
    WriteRootFile(kDataDest, "the user's records");
    WriteRootFile(std::string(kSourceDir) + "\\VOREL.EXE", "program, next version");
    WriteRootFile(std::string(kSourceDir) + "\\Dados.db", "data, next version");
    {
        TestSetup setup;
        BuildAndReset(setup);
        setup.Install().OwnerFormActivate();
        EXPECT_TRUE(services.Boxes.empty());
    }
    EXPECT_EQ(ReadRootFile(kDataDest), "the user's records");
    EXPECT_EQ(ReadRootFile(kProgramDest), "program, next version");
    EXPECT_NE(ReadRootFile("C:\\WINDOWS\\TmslInstallOrder.txt")
                  .find(std::string("Kept ") + kDataDest + ": changed since it was installed\r\n"),
              std::string::npos);
    // Logged as found: the uninstall leaves it to the user too.
    const auto files = ReadUninstallFiles(kUninstall);
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[2], (std::pair<std::string, std::string>{kDataDest, kFoundStamp}));
}

TEST_F(InstallRun, AKeptFileStillRunsItsAfterInstallSteps) {
    WriteRootFile(kProgramDest, "newer program");
    TestSetup setup;
    BuildAndReset(setup);
    TInstallFile& program = setup.File("ProgramFile");
    program.OverwriteMode = TOverwriteType::owNever;
    program.RegisterAsHelp = true;
    std::vector<int> codes;
    setup.Install().OwnerFormActivate();
    EXPECT_EQ(ReadRootFile(kProgramDest), "newer program");
    EXPECT_EQ(Read(kUninstallFiles, "Stamp2"), "found");  // not this product's to remove
    EXPECT_EQ(Read("\\SOFTWARE\\Microsoft\\Windows\\Help", "VOREL.EXE"), "C:\\Program Files\\Vorel");
    EXPECT_EQ(setup.Recorder().TotalPercents.back(), 100);  // a kept file counts as done
}

TEST_F(InstallRun, AFailedSelfRegistrationIsRetriedAfterEveryObjectIsInstalled) {
    WriteRootFile(std::string(kSourceDir) + "\\VOREL.EXE", "no program image");  // cannot start
    TestSetup setup;
    BuildAndReset(setup);
    TInstallFile& program = setup.File("ProgramFile");
    program.SetActiveX(true);
    program.SetFileType(iftNormal);  // a self-registering program kept beside the install
    program.OverwriteMode = TOverwriteType::owAlways;
    program.UpdateDLLCounter = false;
    program.SetDestDirType(StandardPathSpecList(setup.form.Context()).FindByClass<TpsContainerDestDir>());
    std::vector<std::string> order;
    program.OnAfterInstall = [&](TInstallContainer&) { order.push_back("installed"); };
    setup.Install().OnAfterInstallObjects = [&](TInstallContainer&, bool) { order.push_back("after objects"); };
    setup.Install().OwnerFormActivate();

    // Tried with the file (that failure waits in the retry list) and once
    // more after all objects, before the end of the objects' pass is
    // announced; the second failure is the one shown. Never started on the host.
    EXPECT_EQ(std::count_if(services.Trace.begin(), services.Trace.end(),
                            [](const std::string& line) { return line.rfind("start:", 0) == 0; }),
              0);
    EXPECT_EQ(SelfRegistrationLog(), "");
    EXPECT_EQ(order, (std::vector<std::string>{"installed", "after objects"}));
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_NE(services.Boxes[0].text.find("WinExec(C:\\Program Files\\Vorel\\VOREL.EXE /REGSERVER,SW_HIDE)"),
              std::string::npos);
    EXPECT_EQ(ReadRootFile(kDataDest), kDataText);
    EXPECT_EQ(setup.form.Context().RetryActiveXList.Count(), 1);
    EXPECT_EQ(Read(kUninstall + "\\ActiveX", "File1"),
              std::string(kProgramDest) + ";1");
}

TEST_F(InstallRun, ASelfExtractingSetupReadsItsArchiveBehindTheLoadingProgram) {
    {
        TestSetup build;
        build.Build();
    }
    const std::string stub = "MZ loading program";
    const std::string archive = ReadRootFile("D:\\SETUP\\files.1");
    std::string trailer(56, '\0');
    trailer[0] = 14;
    std::memcpy(trailer.data() + 1, "SELFEXTRACTING", 14);
    const auto put = [&](std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i) trailer[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const std::string setup1 = "setup.1 stand-in";
    const auto filesStart = static_cast<std::int32_t>(stub.size() + setup1.size());
    put(16, static_cast<std::int32_t>(stub.size()));
    put(20, filesStart - 1);
    put(24, filesStart);
    put(28, filesStart + static_cast<std::int32_t>(archive.size()) - 1);
    WriteRootFile("D:\\DIST\\VORELSETUP.EXE", stub + setup1 + archive + trailer);
    platform::Files().DeleteFile("D:\\SETUP\\files.1");

    TestSetup setup({"-sD:\\DIST", "-eVORELSETUP.EXE"});
    setup.Install().OwnerFormActivate();
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(setup.form.Context().GlobalCompressor->Offset, filesStart);
    EXPECT_EQ(ReadRootFile(kDataDest), kDataText);
    EXPECT_EQ(ReadRootFile(kProgramDest), kProgramText);

    // A file too short for the trailer says where it looked.
    WriteRootFile("D:\\DIST\\SHORT.EXE", "MZ");
    services.Boxes.clear();
    TestSetup broken({"-sD:\\DIST", "-eSHORT.EXE"});
    broken.Install().OwnerFormActivate();
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text,
              "Could not read the extraction info from the archive file D:\\DIST\\SHORT.EXE when trying to find the "
              "correct offset into the self extracting file");
}

TEST_F(InstallRun, ProgramsMarkedToRunStartWhenTheInstallEndsWell) {
    TestSetup setup;
    BuildAndReset(setup);
    setup.File("ProgramFile").RunAfterInstall = true;
    setup.Install().OwnerFormActivate();
    EXPECT_EQ(services.Trace.back(), "start: C:\\Program Files\\Vorel\\VOREL.EXE|show");
}

}  // namespace
}  // namespace installer
