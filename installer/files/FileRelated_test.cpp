#include <gtest/gtest.h>

#include "installer/base/services/AppServices.h"
#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/components/TreeBuilder.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/files/PsFileContainer.h"
#include "installer/netlocation/FolderNetLocation.h"
#include "installer/registry/RegistryRoutines.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/TestTree.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;

const auto Write = platform::testing::WriteTestFile;

class FileRelated : public ::testing::Test {
protected:
    template <typename T>
    T& Spec() {
        return *StandardPathSpecList(form.Context()).FindByClass<T>();
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    TComponentOwner form;
};

TEST_F(FileRelated, AWholeArchiveSpecifierLeavesNoRoomForAFileName) {
    auto& install = form.Create<installer::testing::TTestInstall>();
    install.SetName("Install1");
    install.Source = "D:\\SETUP";
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.SetArchiveFile("C:\\Build\\dir.1");
    EXPECT_EQ(directory.GetArchiveFilePath(), "C:\\Build\\dir.1");
    directory.SetArchiveFileType(&Spec<TpsMainArchiveFile>());
    EXPECT_EQ(directory.ArchiveFile(), "");
    directory.SetArchiveFile("ignored.1");
    EXPECT_EQ(directory.ArchiveFile(), "");
    EXPECT_EQ(directory.GetArchiveFilePath(), "D:\\SETUP\\files.1");
    directory.SetArchiveFileType(&Spec<TpsInstallSource>());
    directory.SetArchiveFile("\\sub\\dir.1");
    EXPECT_EQ(directory.GetArchiveFilePath(), "D:\\SETUP\\sub\\dir.1");

    // Set into a container, a file takes the container's archive; taken out, it has none.
    auto& file = form.Create<TInstallFile>(std::string("C:\\Src\\A.TXT"));
    file.SetContainer(&directory);
    EXPECT_NE(dynamic_cast<TpsContainerArchiveFile*>(file.ArchiveFileType()), nullptr);
    EXPECT_EQ(file.GetArchiveFilePath(), "D:\\SETUP\\sub\\dir.1");
    file.SetContainer(nullptr);
    EXPECT_EQ(file.ArchiveFileType(), nullptr);
    EXPECT_EQ(ErrorOf([&] { file.SetArchiveFileType(&Spec<TpsContainerArchiveFile>()); }),
              "Cannot use ddContainerArchiveFile for  unless you assign a Container");
    file.SetInstallTypes({});
    EXPECT_EQ(file.InstallTypes, (TInstallTypes{itFull}));
}

TEST_F(FileRelated, TheNetLocationComesFromTheFileItsContainerOrTheInstall) {
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    auto& file = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.TXT"));
    file.SetName("FileA");
    EXPECT_EQ(file.FindNetLocation(), nullptr);
    EXPECT_EQ(ErrorOf([&] { file.NetSubdirectory(); }), "Could not find a net install location for FileA");
    auto& installDefault = form.Create<TFolderNetInstallLocation>();
    installDefault.LoginInformation().Hostname = "www.vorel.example";
    NetLocations(form.Context()).InstallDefault = &installDefault;
    EXPECT_EQ(file.FindNetLocation(), &installDefault);
    EXPECT_EQ(file.NetSubdirectory(), "www.vorel.example\\HTTP Root directory");
    auto& own = form.Create<TFolderNetInstallLocation>();
    own.LoginInformation().Hostname = "ftp:vorel|example";
    own.LoginInformation().Protocol = ipFTP;
    directory.SetNetLocation(&own);
    EXPECT_EQ(file.FindNetLocation(), &own);
    EXPECT_EQ(file.NetSubdirectory(), "ftpvorelexample\\FTP Root directory");
    own.LoginInformation().Directory = "pub/setup\\v2";
    EXPECT_EQ(file.NetSubdirectory(), "ftpvorelexample\\pub-setupv2");
    own.Free();
    EXPECT_EQ(directory.NetLocation(), nullptr);
    EXPECT_EQ(file.FindNetLocation(), &installDefault);
}

TEST_F(FileRelated, ALoadedComponentTakesItsRecordedDownload) {
    form.Context().InstallRecordKey = "\\SOFTWARE\\Tamsel\\Install\\Install0";
    Write("C:\\WINDOWS\\TEMP\\bat0042.1", "archive");
    RegWriteString(4, "\\SOFTWARE\\Tamsel\\Install\\Install0\\Dir", "LocalFile", "C:\\WINDOWS\\TEMP\\bat0042.1");
    RegWriteString(4, "\\SOFTWARE\\Tamsel\\Install\\Install0\\Gone", "LocalFile", "C:\\WINDOWS\\TEMP\\gone.1");
    TreeBuilder b(form);
    auto& directory = b.add<TInstallDirectory>("Dir").get();
    auto& gone = b.add<TInstallDirectory>("Gone").get();
    b.Finish();
    EXPECT_EQ(directory.LocalArchivePath, "C:\\WINDOWS\\TEMP\\bat0042.1");
    EXPECT_EQ(gone.LocalArchivePath, "");
    EXPECT_FALSE(gone.IsArchiveAvailable());
    EXPECT_EQ(ErrorOf([&] { gone.GetLocalArchivePath(); }),
              "Gone has not yet downloaded the archive file and therefore cannot retrieve the path of the archive "
              "file");
    // Without a record nothing is recorded at the top of the machine hive.
    form.Context().InstallRecordKey.clear();
    gone.RecordLocalFile("C:\\WINDOWS\\TEMP\\x.1");
    EXPECT_EQ(RegReadString(4, "\\Gone", "LocalFile", "<none>"), "<none>");
}

TEST_F(FileRelated, APathSpecifierNameClashRenamesTheOtherComponent) {
    auto& directory = form.Create<TInstallDirectory>();
    ASSERT_NE(directory.PathSpecifier, nullptr);
    auto& other = form.Create<TInstallDirectory>();
    other.SetName("Target");
    directory.PathSpecifier->SetName("Target");
    EXPECT_EQ(directory.PathSpecifier->Name(), "Target");
    EXPECT_EQ(other.Name(), "nameClash");
}

TEST_F(FileRelated, TheCopyPassCopiesIncludedFilesOnlyAndReportsEachStep) {
    Write("C:\\Src\\A.TXT", "alpha");
    Write("C:\\Src\\B.TXT", "beta");
    auto& directory = form.Create<TInstallDirectory>();
    directory.SetName("Dir");
    directory.SetDestDir("C:\\Out");
    auto& a = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\A.TXT"));
    a.SetDestDirType(&Spec<TpsContainerDestDir>());
    auto& b = form.Create<TInstallFile>(&directory, std::string("C:\\Src\\B.TXT"));
    b.SetDestDirType(&Spec<TpsContainerDestDir>());
    b.Include = false;
    std::vector<std::string> events;
    a.OnBeforeCopy = [&](TInstallContainer&) { events.push_back("before A"); };
    a.OnAfterCopy = [&](TInstallContainer&) { events.push_back("after A"); };
    b.OnBeforeCopy = [&](TInstallContainer&) { events.push_back("before B"); };
    b.OnAfterCopy = [&](TInstallContainer&) { events.push_back("after B"); };
    int lastTotal = -1;
    directory.OnStatus = [&](TInstallContainer&, int, int total) { lastTotal = total; };
    directory.Copy();
    // Of two files the one added last comes first; an excluded one only says it starts.
    EXPECT_EQ(events, (std::vector<std::string>{"before B", "before A", "after A"}));
    EXPECT_TRUE(platform::Files().FileExists("C:\\Out\\A.TXT"));
    EXPECT_FALSE(platform::Files().FileExists("C:\\Out\\B.TXT"));
    EXPECT_EQ(lastTotal, 100);
    EXPECT_EQ(directory.State, ifsNone);
    EXPECT_EQ(a.State(), ifsNone);
}

}  // namespace
}  // namespace installer
