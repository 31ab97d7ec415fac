#include <gtest/gtest.h>

#include <cstring>

#include "installer/base/services/AppServices.h"
#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/files/SelfRegistration.h"
#include "installer/registry/RegistryRoutines.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/pe/PeFixture.h"
#include "testkit/installer/TestTree.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;

const auto Write = platform::testing::WriteTestFile;

class InstallFiles : public ::testing::Test {
protected:
    std::string Read(const std::string& key, const std::string& name) { return RegReadString(4, key, name, "<none>"); }
    TInstallDirectory& Directory(const std::string& dest) {
        auto& d = form.Create<TInstallDirectory>();
        d.SetName("Dir");
        d.SetDestDir(dest);
        return d;
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    TComponentOwner form;
};

TEST_F(InstallFiles, IdentifiersAreTheLowestFreeAndAFullTableGivesZeroUnmarked) {
    auto& a = form.Create<TInstallFile>();
    auto& b = form.Create<TInstallFile>();
    EXPECT_EQ(a.UniqueID(), 0);
    EXPECT_EQ(b.UniqueID(), 1);
    a.Free();
    EXPECT_EQ(form.Create<TInstallFile>().UniqueID(), 0);
    for (int i = 2; i < 2000; ++i) form.Create<TInstallFile>();
    auto& extra = form.Create<TInstallFile>();
    EXPECT_EQ(extra.UniqueID(), 0);
    extra.Free();  // frees nothing it did not mark
    EXPECT_EQ(form.Context().UsedIDs[0], 1);
    EXPECT_EQ(form.Context().GlobalInstallFileList.Count(), 2000);
}

TEST_F(InstallFiles, PropertyRulesFollowTheFileKind) {
    form.Create<installer::testing::TTestInstall>();
    auto& directory = Directory("C:\\App");
    auto& file = form.Create<TInstallFile>();
    file.SetName("Help");
    file.SetContainer(&directory);
    file.SetIncludeFromDir("C:\\Src");
    file.SetFileName("VOREL.HLP");
    EXPECT_EQ(file.DestName(), "VOREL.HLP");
    EXPECT_TRUE(file.RegisterAsHelp);
    EXPECT_FALSE(file.ActiveX());

    auto& control = form.Create<TInstallFile>();
    control.SetName("Control");
    control.SetFileName("GRID.OCX");
    EXPECT_TRUE(control.ActiveX());
    EXPECT_EQ(control.FileType(), iftSystemWideDLL);
    EXPECT_TRUE(control.UpdateDLLCounter);
    EXPECT_EQ(control.OverwriteMode, TOverwriteType::owVersionDate);
    EXPECT_NE(dynamic_cast<TpsSystem*>(control.DestDirType()), nullptr);
    EXPECT_EQ(control.DestDir(), "");

    auto& library = form.Create<TInstallFile>();
    library.SetFileName("CORE.DLL");
    library.SetFileType(iftApplicationSpecificDLL);
    EXPECT_NE(dynamic_cast<TpsMainInstall*>(library.DestDirType()), nullptr);
    EXPECT_EQ(library.DestDir(), "\\System");
    EXPECT_FALSE(library.UpdateDLLCounter);
    library.SetFileType(iftVendorSharedDLL);
    EXPECT_NE(dynamic_cast<TpsCommonFiles*>(library.DestDirType()), nullptr);
    EXPECT_TRUE(library.UpdateDLLCounter);

    // The kind keeps deciding where a library goes, whatever is set later.
    auto& other = form.Create<TInstallDirectory>();
    other.SetName("Other");
    other.SetDestDir("C:\\Other");
    control.SetContainer(&directory);
    EXPECT_NE(dynamic_cast<TpsSystem*>(control.DestDirType()), nullptr);
    EXPECT_EQ(control.DestDir(), "");
    control.SetDestDir("\\Controls");
    EXPECT_NE(dynamic_cast<TpsSystem*>(control.DestDirType()), nullptr);
    EXPECT_EQ(control.DestDir(), "");
    library.SetFileType(iftApplicationSpecificDLL);
    library.SetContainer(&other);
    EXPECT_NE(dynamic_cast<TpsMainInstall*>(library.DestDirType()), nullptr);
    EXPECT_EQ(library.DestDir(), "\\System");
    library.SetDestDir("\\Bin");
    EXPECT_EQ(library.DestDir(), "\\System");
    library.SetDestDirType(StandardPathSpecList(form.Context()).FindByClass<TpsWindow>());
    EXPECT_NE(dynamic_cast<TpsMainInstall*>(library.DestDirType()), nullptr);
    library.SetDestName("CORE2.DLL");
    library.SetActiveX(false);
    EXPECT_EQ(library.DestDir(), "\\System");
    // A plain file goes where it is told.
    library.SetFileType(iftNormal);
    library.SetDestDir("\\Bin");
    EXPECT_EQ(library.DestDir(), "\\Bin");

    auto& tool = form.Create<TInstallFile>();
    tool.SetFileName("TOOL.EXE");
    tool.SetDestDirType(StandardPathSpecList(form.Context()).FindByClass<TpsWindow>());
    EXPECT_EQ(tool.OverwriteMode, TOverwriteType::owVersionDate);
    tool.SetDestDirType(StandardPathSpecList(form.Context()).FindByClass<TpsSystem>());
    EXPECT_EQ(tool.FileType(), iftSystemWideDLL);

    // A file version resource that asks for self-registration.
    pefixture::VersionOptions version;
    version.stringTables.push_back({"040904E4", {{"FileVersion", "1.0"}, {"OLESelfRegister", ""}}});
    platform::Files().ForceDirectories("C:\\Src");
    pefixture::WritePe(platform::Files().HostPath("C:\\Src\\SERVER.DLL"), version, true);
    auto& server = form.Create<TInstallFile>(std::string("C:\\Src\\SERVER.DLL"));
    EXPECT_TRUE(server.ActiveX());
    EXPECT_EQ(server.IncludeFromDir(), "C:\\Src");
}

TEST_F(InstallFiles, AContainerMustBeAFileContainerWithoutTwoFilesOfOneSource) {
    auto& directory = Directory("C:\\App");
    auto& first = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.TXT"));
    first.SetName("First");
    auto& second = form.Create<TInstallFile>(std::string("C:\\Src\\a.txt"));
    second.SetName("Second");
    EXPECT_EQ(ErrorOf([&] { second.SetContainer(&directory); }), "There is already a file with the name :C:\\Src\\a.txt");
    second.SetFileName("B.TXT");
    second.SetContainer(&directory);
    EXPECT_EQ(ErrorOf([&] { second.SetFileName("A.TXT"); }), "There is already a file with the name :C:\\Src\\A.TXT");
    EXPECT_EQ(second.FileName(), "B.TXT");
    auto& other = form.Create<TInstallFile>();
    other.SetName("Other");
    EXPECT_EQ(ErrorOf([&] { other.SetContainer(&first); }),
              "The following TInstallFile component Other requires the Container property to be a component "
              "descended from the TFileContainer component");
}

TEST_F(InstallFiles, UninstallRecordsCountUpPerSubkeyAndMoveOnWhenOneFails) {
    auto& directory = Directory("C:\\App");
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel";
    auto make = [&](const std::string& name, const std::string& fileName, bool activeX) -> TInstallFile& {
        auto& f = form.Create<TInstallFile>(&directory, "C:\\Src\\" + fileName);
        f.SetName(name);
        f.SetActiveX(activeX);
        // Self-registering files are system-wide libraries, kept in the
        // system directory, unless their kind is set back.
        f.SetFileType(iftNormal);
        f.SetDestDirType(StandardPathSpecList(form.Context()).FindByClass<TpsContainerDestDir>());
        return f;
    };
    make("Grid", "GRID.OCX", true).WriteUninstallEntries(key);
    make("Server", "SERVER.EXE", true).WriteUninstallEntries(key);
    EXPECT_EQ(Read(key + "\\ActiveX", "Entries"), "2");
    EXPECT_EQ(Read(key + "\\ActiveX", "File1"), "C:\\App\\GRID.OCX;0");
    EXPECT_EQ(Read(key + "\\ActiveX", "File2"), "C:\\App\\SERVER.EXE;1");

    TInstallFile& readme = make("Readme", "README.TXT", false);
    readme.WriteUninstallEntries(key);
    EXPECT_EQ(Read(key + "\\Files", "File1"), "C:\\App\\README.TXT");
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine, key.substr(1) + "\\Files");
    make("Notes", "NOTES.TXT", false).WriteUninstallEntries(key);
    EXPECT_EQ(Read(key + "\\Files1", "File1"), "C:\\App\\NOTES.TXT");
    EXPECT_EQ(Read(key + "\\Files1", "Entries"), "1");
    // Nowhere to write: an error after the last try, not an endless search.
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine, key.substr(1));
    EXPECT_EQ(ErrorOf([&] { make("More", "MORE.TXT", false).WriteUninstallEntries(key); }),
              "Could not write the uninstall entry of the following file :MORE.TXT:");
}

TEST_F(InstallFiles, SelfRegistrationLoadsLibrariesAndLogsProgramServers) {
    auto& directory = Directory("C:\\App");
    Write("C:\\App\\GRID.OCX", std::string("MZ....DllRegisterServer") + '\0' + "...");
    Write("C:\\App\\PLAIN.DLL", "MZ no exports");
    Write("C:\\App\\SERVER.EXE", "MZ server");
    Write("C:\\App\\TEXT.OCX", "not a library");
    auto make = [&](const std::string& fileName) -> TInstallFile& {
        auto& file = form.Create<TInstallFile>(&directory, "C:\\Src\\" + fileName);
        file.SetFileType(iftNormal);  // kept in the directory, not the system one
        file.SetDestDirType(StandardPathSpecList(form.Context()).FindByClass<TpsContainerDestDir>());
        return file;
    };
    make("GRID.OCX").RegisterActiveX();
    EXPECT_EQ(SelfRegistrationLog(), "DllRegisterServer C:\\App\\GRID.OCX\n");
    EXPECT_EQ(ErrorOf([&] { make("PLAIN.DLL").RegisterActiveX(); }).substr(0, 90),
              std::string("Could not register the ActiveX component, C:\\App\\PLAIN.DLL, because the DllRegisterServer "
                          "function could not be found")
                  .substr(0, 90));
    EXPECT_NE(ErrorOf([&] { make("TEXT.OCX").RegisterActiveX(); }).find("LoadLibrary(C:\\App\\TEXT.OCX)"), std::string::npos);
    // A program server registers through the same stand-in: never loaded, never started on the host.
    TInstallFile& server = make("SERVER.EXE");
    server.RegisterActiveX();
    EXPECT_TRUE(services.Trace.empty());
    EXPECT_EQ(SelfRegistrationLog(), "DllRegisterServer C:\\App\\GRID.OCX\nC:\\App\\SERVER.EXE /REGSERVER\n");
    Write("C:\\App\\SERVER.EXE", "#!/bin/sh\n");
    const std::string error = ErrorOf([&] { server.RegisterActiveX(); });
    EXPECT_NE(error.find("WinExec(C:\\App\\SERVER.EXE /REGSERVER,SW_HIDE) function returned a value < 32"),
              std::string::npos);
    EXPECT_NE(error.find("GetLastError function: 193"), std::string::npos) << error;
    int lastError = 0;
    EXPECT_EQ(RunServerProgram("C:\\App\\NONE.EXE", "/UNREGSERVER", lastError), 2);
    EXPECT_EQ(lastError, 2);
    Write("C:\\App\\SERVER.EXE", "MZ server");
    EXPECT_GE(RunServerProgram("C:\\App\\SERVER.EXE", "/UNREGSERVER", lastError), 32);
    EXPECT_EQ(SelfRegistrationLog(), "DllRegisterServer C:\\App\\GRID.OCX\nC:\\App\\SERVER.EXE /REGSERVER\n"
                                     "C:\\App\\SERVER.EXE /UNREGSERVER\n");
    EXPECT_EQ(ErrorOf([&] { make("MISSING.OCX").RegisterActiveX(); }),
              "Cannot compress,copy, or install the following file because it's destination directory is blank. File "
              "is :");
    EXPECT_EQ(platform::Files().CurrentDir(), "C:\\");
}

TEST_F(InstallFiles, ASkippedFileSendsSkippedAndAFailedRegistrationWaitsForTheRetry) {
    auto& directory = Directory("C:\\App");
    directory.State = ifsInstall;
    directory.Size = 10;
    auto& skipped = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.TXT"));
    skipped.SetNetInfo(10, 0, "");
    std::vector<std::pair<int, int>> status;
    directory.OnStatus = [&](TInstallContainer&, int f, int t) { status.emplace_back(f, t); };
    skipped.OnBeforeInstall = [](TInstallContainer&) { throw platform::EAbort(); };
    skipped.Install();
    EXPECT_EQ(status, (std::vector<std::pair<int, int>>{{100, 100}}));
    EXPECT_FALSE(platform::Files().FileExists("C:\\App\\A.TXT"));

    auto& blank = form.Create<TInstallFile>(std::string("C:\\Src\\B.TXT"));
    blank.SetName("Blank");
    EXPECT_EQ(ErrorOf([&] { blank.Install(); }),
              "Cannot compress,copy, or install the following file because it's destination directory is blank. File "
              "is :Blank");
    auto& noArchive = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\C.TXT"));
    noArchive.SetArchiveFileType(nullptr);
    EXPECT_EQ(ErrorOf([&] { noArchive.Install(); }),
              "Cannot either compress or decompress the following file because it's archive file property is blank. "
              "File is :C.TXT");
    EXPECT_EQ(noArchive.State(), ifsNone);
}

TEST_F(InstallFiles, TheNetFileRecordHasSeventyTwoBytes) {
    auto& file = form.Create<TInstallFile>();
    file.SetName("ProgramFile");
    file.SetNetInfo(0x01020304, 37000.5, "1.2.3.4");
    const std::string record = file.NetFileRecord();
    ASSERT_EQ(record.size(), 72u);
    EXPECT_EQ(record.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
    double date = 0;
    std::memcpy(&date, record.data() + 4, 8);
    EXPECT_EQ(date, 37000.5);
    EXPECT_EQ(std::string(record.data() + 12), "ProgramFile");
    EXPECT_EQ(record.substr(12 + 11, 29), std::string(29, '\0'));
    EXPECT_EQ(std::string(record.data() + 52), "1.2.3.4");
    EXPECT_EQ(record.back(), '\0');
}

TEST_F(InstallFiles, ReadingTheSourceInfoOfAMissingFileSaysWhichFile) {
    auto& file = form.Create<TInstallFile>(std::string("C:\\Src\\GONE.TXT"));
    EXPECT_EQ(ErrorOf([&] { file.ReadInfoFromFile(); }),
              "Could not open or find the following file when trying to read the Size, Date, and Version "
              ":C:\\Src\\GONE.TXT");
    Write("C:\\Src\\HERE.TXT", "12345");
    auto& here = form.Create<TInstallFile>(std::string("C:\\Src\\HERE.TXT"));
    here.ReadInfoFromFile();
    EXPECT_EQ(here.UnpackedSize(), 5);
    EXPECT_EQ(here.FileDateTime(), platform::Files().FileDateTime("C:\\Src\\HERE.TXT"));
}

}  // namespace
}  // namespace installer
