#include <gtest/gtest.h>

#include "installer/components/EngineContext.h"
#include "installer/netlocation/FolderNetLocation.h"
#include "installer/registry/RegistryRoutines.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer {
namespace {

using namespace installer::testing;

constexpr const char* kServerDir = "E:\\Server\\www.vorel.example\\dist";
constexpr const char* kBuildNetDir = "D:\\SETUP\\www.vorel.example\\dist";

// A web distribution: every file comes from the server folder.
TestSetup NetSetup() {
    return TestSetup({"-sD:\\SETUP"}, [](TreeBuilder& b, TestSetup& s) {
        auto& location = b.add<TFolderNetInstallLocation>("NetLoc1").get();
        location.ServerRoot = "E:\\Server";
        location.LoginInformation().Hostname = "www.vorel.example";
        location.LoginInformation().Directory = "dist";
        s.Install().SetNetLocation(&location);
        s.Install().SetDistributeType(dtWeb);
        s.File("ProgramFile").SetNet(true);
        s.File("DataFile").SetNet(true);
    });
}

class NetInstall : public ::testing::Test {
protected:
    void SetUp() override { PrepareSources(); }
    // The build (a setup program of its own) packs the net archives; the
    // server gets them and the file list.
    static void Publish() {
        TestSetup setup = NetSetup();
        setup.Install().Compress({});
        auto& files = platform::Files();
        files.ForceDirectories(kServerDir);
        for (const auto& entry : files.FindFiles(kBuildNetDir))
            files.CopyFile(std::string(kBuildNetDir) + "\\" + entry.name, std::string(kServerDir) + "\\" + entry.name, false);
        std::string list(4, '\0');
        list[0] = 2;
        list += setup.File("ProgramFile").NetFileRecord();
        list += setup.File("DataFile").NetFileRecord();
        WriteRootFile(std::string(kServerDir) + "\\filelist.lst", list);
    }
    static std::vector<std::string> TempFiles() {
        std::vector<std::string> names;
        for (const auto& e : platform::Files().FindFiles("C:\\WINDOWS\\TEMP")) names.push_back(e.name);
        return names;
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(NetInstall, ArchivesAreDownloadedRecordedUsedAndRemovedAtTheEnd) {
    Publish();
    TestSetup setup = NetSetup();
    EXPECT_TRUE(platform::Files().FileExists(std::string(kServerDir) + "\\Install1.1"));
    EXPECT_TRUE(platform::Files().FileExists(std::string(kServerDir) + "\\Directory1.1"));
    std::string recordedDuringRun;
    setup.Install().OnAfterInstallObjects = [&](TInstallContainer&, bool) {
        recordedDuringRun =
            RegReadString(4, setup.form.Context().InstallRecordKey + "\\Directory1", "LocalFile", "");
    };
    setup.Install().OwnerFormActivate();

    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.EXE"), kProgramText);
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\Data\\Dados.db"), kDataText);
    EXPECT_EQ(platform::ExtractFileExt(recordedDuringRun), ".1");
    EXPECT_FALSE(platform::Files().FileExists(recordedDuringRun));  // removed with the record
    EXPECT_TRUE(TempFiles().empty());
    const auto& heard = setup.Recorder().Heard;
    EXPECT_NE(std::find(heard.begin(), heard.end(), imDownloadStatus), heard.end());
    // Each archive's download runs up to 100 %: the directory's (several blocks), then the install's.
    const auto& percents = setup.Recorder().DownloadPercents;
    ASSERT_GE(percents.size(), 3u);
    EXPECT_LT(percents.front(), 100);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_GE(std::count(percents.begin(), percents.end(), 100), 2);
    EXPECT_EQ(heard.back(), imAfterGoodInstall);
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel"));
}

TEST_F(NetInstall, AFailedDownloadLeavesNoPartialArchiveBehind) {
    Publish();
    TestSetup setup = NetSetup();
    setup.Get<TFolderNetInstallLocation>("NetLoc1").FailReadAfter = 9000;
    setup.Install().OwnerFormActivate();

    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text,
              "Could not read from file Directory1.1 on the server. Error message Unregistered error code. Server "
              "www.vorel.example. Response from server No server response");
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(RegReadString(4, setup.form.Context().InstallRecordKey + "\\Directory1", "LocalFile", "<none>"), "<none>");
    EXPECT_TRUE(setup.Directory().LocalArchivePath.empty());
}

TEST_F(NetInstall, ACancelledDownloadIsAUserAbort) {
    Publish();
    TestSetup setup = NetSetup();
    setup.Install().OnDataReceived = [&](TComponent&, const std::string&, std::int64_t, std::int64_t, std::int64_t,
                                         const char*) { NetLocations(setup.form.Context()).AbortDownload = true; };
    setup.Install().OwnerFormActivate();
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(setup.Recorder().Heard.back(), imAfterBadInstall);
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel"));
}

TEST_F(NetInstall, ATruncatedFileListIsRefusedWithItsName) {
    Publish();
    const std::string list = ReadRootFile(std::string(kServerDir) + "\\filelist.lst");
    for (std::size_t cut : {std::size_t{3}, list.size() - 1}) {
        WriteRootFile(std::string(kServerDir) + "\\filelist.lst", list.substr(0, cut));
        services.Boxes.clear();
        TestSetup setup = NetSetup();
        setup.Install().OwnerFormActivate();
        ASSERT_EQ(services.Boxes.size(), 1u);
        EXPECT_EQ(services.Boxes[0].text.rfind("Cannot read the remote list of files: C:\\WINDOWS\\TEMP\\bat", 0), 0u)
            << services.Boxes[0].text;
        EXPECT_TRUE(TempFiles().empty());  // the downloaded list is gone again
        EXPECT_FALSE(platform::Files().FileExists("C:\\Program Files\\Vorel\\VOREL.EXE"));
    }
}

TEST_F(NetInstall, AComponentNameCutInTheFileListStillFindsItsFile) {
    Publish();
    TestSetup setup = NetSetup();
    auto& longNamed = setup.form.Create<TInstallFile>();
    longNamed.SetName(std::string(40, 'L'));
    longNamed.SetNetInfo(4321, 37000.5, "2.0.0.1");
    std::string list = ReadRootFile(std::string(kServerDir) + "\\filelist.lst");
    list[0] = 3;
    list += longNamed.NetFileRecord();
    WriteRootFile(std::string(kServerDir) + "\\filelist.lst", list);
    longNamed.SetNetInfo(0, 0, "");
    setup.form.Context().InstallRecordKey = setup.Install().FindInstallRecord(true);
    setup.Install().ReadArchiveInfo();
    EXPECT_EQ(longNamed.UnpackedSize(), 4321);
    EXPECT_EQ(longNamed.FileDateTime(), 37000.5);
    EXPECT_EQ(longNamed.Version(), "2.0.0.1");
    EXPECT_EQ(setup.File("ProgramFile").UnpackedSize(), static_cast<std::int64_t>(std::string(kProgramText).size()));
}

TEST_F(NetInstall, ARecordedCopyThatStillExistsIsNotFetchedAgain) {
    Publish();
    TestSetup setup = NetSetup();
    TInstallDirectory& directory = setup.Directory();
    setup.form.Context().InstallRecordKey = setup.Install().FindInstallRecord(true);
    WriteRootFile("C:\\WINDOWS\\TEMP\\kept.1", "archive");
    directory.RecordLocalFile("C:\\WINDOWS\\TEMP\\kept.1");
    auto& location = setup.Get<TFolderNetInstallLocation>("NetLoc1");
    directory.Download();
    EXPECT_EQ(directory.LocalArchivePath, "C:\\WINDOWS\\TEMP\\kept.1");
    EXPECT_EQ(location.Connections(), 0);
    EXPECT_TRUE(directory.IsArchiveAvailable());
    EXPECT_EQ(directory.GetLocalArchivePath(), "C:\\WINDOWS\\TEMP\\kept.1");
}

TEST_F(NetInstall, IncompleteLoginsAndMissingLocationsAreNamed) {
    TestSetup setup = NetSetup();
    auto& location = setup.Get<TFolderNetInstallLocation>("NetLoc1");
    location.LoginInformation().Hostname = "";
    auto errorOf = [](auto fn) {
        try {
            fn();
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(errorOf([&] { setup.Directory().Download(); }),
              "Directory1 could not install itself because the LoginInformation property of the TInstall component "
              "has not been properly filled in");
    setup.Directory().SetNetLocation(&location);
    EXPECT_EQ(errorOf([&] { setup.Directory().Download(); }),
              "Directory1 could not install itself because the TNetLocation component's properties, in the "
              "NetLocation property, have not been filled in");
    setup.Directory().SetNetLocation(nullptr);
    setup.Install().SetNetLocation(nullptr);
    EXPECT_EQ(setup.Install().DistributeType(), dtTraditional);
    EXPECT_EQ(errorOf([&] { setup.Directory().Download(); }), "Could not find a net install location for Directory1");
    EXPECT_EQ(errorOf([&] { setup.Directory().NetSubdirectory(); }), "Could not find a net install location for Directory1");
    EXPECT_EQ(errorOf([&] { setup.Install().SetDistributeType(dtWeb); }), "DistributeType can only be set at design-time");
}

}  // namespace
}  // namespace installer
