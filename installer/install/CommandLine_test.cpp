#include <gtest/gtest.h>

#include "installer/components/EngineContext.h"
#include "installer/registry/RegistryRoutines.h"
#include "platform/core/runtime/Format.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;

const std::string kInvalid =
    "Invalid parameter <%s>. Valid command line parameters are: -b (Build), -d (Debug), -f (Transfer to floppies), "
    "-e (Called by self-extractor), -r (After reboot)";

std::string Invalid(const std::string& argument) { return platform::Format(kInvalid, {argument}); }

using platform::testing::ErrorOf;

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override { PrepareSources(); }
    // Parses the arguments on a fresh install (not loaded).
    std::string Parse(std::vector<std::string> arguments) {
        install.SetArguments(std::move(arguments));
        return ErrorOf([&] { install.ParseCommandLine(); });
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    TComponentOwner form;
    TInstall& install = form.Create<TInstall>();
};

TEST_F(CommandLine, SwitchesAndTheirArguments) {
    EXPECT_EQ(Parse({"-x"}), Invalid("-x"));
    EXPECT_EQ(Parse({"-"}), Invalid("-"));
    EXPECT_EQ(Parse({"s"}), Invalid("s"));
    EXPECT_EQ(Parse({"/sC:\\Dist"}), Invalid("/sC:\\Dist"));
    EXPECT_EQ(Parse({"*x", "-SC:\\Dist"}), "(no error)");
    EXPECT_TRUE(install.HasSwitch('s'));
    EXPECT_FALSE(install.HasSwitch('x'));
    EXPECT_EQ(install.SwitchArgument('s'), "C:\\Dist");
    EXPECT_EQ(Parse({"-sC:\\My Build", "-d", "-eSETUP.EXE", "-sC:\\Later", "-c"}), "(no error)");
    EXPECT_EQ(install.SwitchArgument('s'), "C:\\Later");
    EXPECT_EQ(install.SwitchArgument('e'), "SETUP.EXE");
    EXPECT_TRUE(install.HasSwitch('d') && install.HasSwitch('c') && !install.HasSwitch('r'));
    // A new parse starts from nothing.
    EXPECT_EQ(Parse({"-r"}), "(no error)");
    EXPECT_FALSE(install.HasSwitch('s'));
    EXPECT_EQ(install.SwitchArgument('s'), "");
}

TEST(CommandLineLoading, DebugWithoutTheBuildDirectoryStopsWhenLoaded) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    const std::string expected =
        "You forgot to pass in the build directory. In Run | Parameters, follow this format: -d \"-sC:\\My Build\"";
    EXPECT_EQ(ErrorOf([] { TestSetup setup({"-d"}); }), expected);
    EXPECT_EQ(ErrorOf([] { TestSetup setup({"-d", "-s  "}); }), expected);
    EXPECT_EQ(ErrorOf([] { TestSetup setup({"-x"}); }), Invalid("-x"));
}

TEST(CommandLineLoading, ARunWithoutTheLoadingProgramsPathStopsAtItsStart) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    TestSetup setup(std::vector<std::string>{});
    EXPECT_EQ(setup.Install().SourceDir(), "D:\\SETUP");
    setup.Install().OwnerFormActivate();
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text,
              "The path of the loading program was not passed correctly. If you are running your install project in "
              "the IDE, then you need to add two command line parameters. In Run | Parameters | \"Run Parameters\", "
              "type in: -d \"-sBUILDPATH\" where BUILDPATH is the path into which you built the distributables. "
              "Example: -d \"-sC:\\My Build\".");
    EXPECT_EQ(setup.Recorder().Heard, (std::vector<int>{imBadInstall, imAfterBadInstall}));
}

TEST(CommandLineLoading, BuildAndDiskettesShowWhatStopsThemAndEndTheProgram) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    { TestSetup setup({"-b"}); }
    { TestSetup setup({"-F"}); }
    ASSERT_EQ(services.Boxes.size(), 2u);
    EXPECT_EQ(services.Boxes[0].text,
              "Need to have a BUILD.INF file in this directory with the first line specifying the build directory");
    EXPECT_EQ(services.Boxes[1].text,
              "Sorry... You can only transfer this installation to floppies through the self-extracting file. Usage "
              "example: setup.exe *TODISK");
    EXPECT_TRUE(services.Terminated());
}

TEST(InstallRecord, OneRecordPerExecutableTheLowestFreeNumberForARebuiltOne) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    TestSetup setup({"-sD:\\SETUP", "-eSETUP.EXE"});
    TInstall& install = setup.Install();
    EXPECT_EQ(install.FindInstallRecord(false), "");
    EXPECT_EQ(install.FindInstallRecord(true), "\\SOFTWARE\\Tamsel\\Install\\Install0");
    EXPECT_EQ(install.FindInstallRecord(true), "\\SOFTWARE\\Tamsel\\Install\\Install0");
    EXPECT_EQ(RegReadString(4, "\\SOFTWARE\\Tamsel\\Install\\Install0", "SelfExtract", ""), "D:\\SETUP\\SETUP.EXE");
    RegWriteString(4, "\\SOFTWARE\\Tamsel\\Install\\Install2", "Path", "elsewhere");
    // The executable was rebuilt: another size.
    WriteRootFile(kSetupExe, "MZ setup program, rebuilt", platform::EncodeDateTime(2001, 5, 4, 3, 2, 1));
    EXPECT_EQ(install.FindInstallRecord(true), "\\SOFTWARE\\Tamsel\\Install\\Install1");
    // A record that cannot be written leaves the run without one.
    WriteRootFile(kSetupExe, "MZ setup program, rebuilt again");
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel\\Install\\Install3");
    EXPECT_EQ(install.FindInstallRecord(true), "");
    platform::Registry().ClearWriteFailures();

    setup.form.Context().InstallRecordKey = "";
    EXPECT_EQ(ErrorOf([&] { install.AddUnfinished("X", 0); }),
              "The TInstall could not either write or read unfinished business from the registry");
}

TEST(InstallRecord, RemovingTheLastRecordRemovesItsParentsAndTheDownloadedCopies) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    TestSetup setup;
    TInstall& install = setup.Install();
    setup.form.Context().InstallRecordKey = install.FindInstallRecord(true);
    WriteRootFile("C:\\WINDOWS\\TEMP\\bat0001.1", "archive");
    WriteRootFile("C:\\Keep\\precious.1", "not ours");
    const std::string record = setup.form.Context().InstallRecordKey;
    RegWriteString(4, record + "\\Directory1", "LocalFile", "C:\\WINDOWS\\TEMP\\bat0001.1");
    RegWriteString(4, record + "\\ProgramFile", "LocalFile", "C:\\Keep\\precious.1");
    RegWriteString(4, "\\Software\\Tamsel\\Other", "x", "y");
    install.RemoveInstallRecord();
    EXPECT_FALSE(platform::Files().FileExists("C:\\WINDOWS\\TEMP\\bat0001.1"));
    EXPECT_TRUE(platform::Files().FileExists("C:\\Keep\\precious.1"));
    auto& reg = platform::Registry();
    EXPECT_FALSE(reg.KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel\\Install"));
    EXPECT_TRUE(reg.KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel"));
}

TEST(Cleanup, OnlyWithTheCleanupSwitchAndNeverOutsideTheTemporaryDirectory) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    WriteRootFile("D:\\SETUP\\WININET.DLL", "MZ");
    {
        TestSetup setup;  // no -c
        setup.Install().SetPresetupFiles({"WININET.DLL", "  "});
        setup.Install().Cleanup();
        EXPECT_TRUE(platform::Files().FileExists("D:\\SETUP\\WININET.DLL"));
        EXPECT_EQ(setup.Install().CleanupBatch(), "");
    }
    {
        TestSetup setup({"-sD:\\SETUP", "-c"});
        setup.Install().SetPresetupFiles({"WININET.DLL", "  ", "..\\..\\C\\x"});
        EXPECT_EQ(setup.Install().PresetupFiles().size(), 2u);
        setup.Install().Cleanup();
        EXPECT_FALSE(platform::Files().FileExists("D:\\SETUP\\WININET.DLL"));
        const std::string batch = setup.Install().CleanupBatch();
        ASSERT_FALSE(batch.empty());
        const std::string pif = platform::ChangeFileExt(batch, ".PIF");
        // The setup lies outside the temporary directory: it is no copy, it and its folder stay.
        EXPECT_EQ(ReadRootFile(batch), "ERASE \"" + pif + "\"\r\nERASE \"" + batch + "\"\r\n");
        // The install's end runs the batch: the batch goes, nothing is started.
        services.Trace.clear();
        setup.form.DestroyComponents();
        EXPECT_TRUE(services.Trace.empty());
        EXPECT_TRUE(platform::Files().FileExists("D:\\SETUP\\SETUP.EXE"));
        EXPECT_FALSE(platform::Files().FileExists(batch));
    }
    WriteRootFile("C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE", "MZ copy");
    WriteRootFile("C:\\WINDOWS\\TEMP\\~setup\\files.1", "archive");
    {
        TestSetup setup({"-sD:\\SETUP", "-c", "-d"});  // debugging keeps everything
        setup.Install().SetExeName("C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE");
        setup.Install().Cleanup();
        EXPECT_EQ(setup.Install().CleanupBatch(), "");
    }
    EXPECT_TRUE(platform::Files().FileExists("C:\\WINDOWS\\TEMP\\~setup\\files.1"));
    {
        TestSetup setup({"-sD:\\SETUP", "-c"});
        setup.Install().SetExeName("C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE");
        setup.Install().Cleanup();
        const std::string batch = setup.Install().CleanupBatch();
        EXPECT_EQ(ReadRootFile(batch), "ERASE \"C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE\"\r\nDELTREE /Y "
                                       "\"C:\\WINDOWS\\TEMP\\~setup\"\r\nERASE \"" +
                                           platform::ChangeFileExt(batch, ".PIF") + "\"\r\nERASE \"" + batch + "\"\r\n");
        setup.Install().RunCleanupBatch();
        EXPECT_FALSE(platform::Files().DirectoryExists("C:\\WINDOWS\\TEMP\\~setup"));
        EXPECT_TRUE(services.Boxes.empty());
    }
}

TEST(Cleanup, ABatchLineThatCannotBeCarriedOutIsShown) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    PrepareSources();
    WriteRootFile("C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE", "MZ copy");
    platform::CurrentSystemRoot().Facts().SetInUse("C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE", true);
    TestSetup setup({"-sD:\\SETUP", "-c"});
    setup.Install().SetExeName("C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE");
    setup.Install().Cleanup();
    setup.form.DestroyComponents();
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text.rfind("The temporary setup files could not all be removed:\nERASE "
                                           "\"C:\\WINDOWS\\TEMP\\~setup\\SETUP.EXE\" (the file could not be deleted)",
                                           0),
              0u)
        << services.Boxes[0].text;
    EXPECT_EQ(services.Boxes[0].icon, platform::MsgIcon::Warning);
}

}  // namespace
}  // namespace installer
