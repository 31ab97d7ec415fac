#include <gtest/gtest.h>

#include <cstring>

#include "installer/components/EngineContext.h"
#include "installer/distribution/SelfExtractor.h"
#include "installer/netlocation/FolderNetLocation.h"
#include "installer/netlocation/NetInstallLocation.h"
#include "testkit/installer/DisketteDrive.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"
#include "testkit/servers/LocalServers.h"

namespace installer {
namespace {

using namespace installer::testing;

constexpr const char* kLibraryDir = "C:\\Tamsel";
constexpr const char* kDist = "C:\\Dist";
constexpr const char* kPresetup = "C:\\Build\\bde\\IDAPINST.DLL";
const std::string kLoader = "\x7f" "ELF stand-in loader " + std::string(900, 'L');

std::string Int32(std::int32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}

std::int32_t Int32At(const std::string& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return static_cast<std::int32_t>(u);
}

std::vector<std::string> MemberNames(const std::string& archive, std::int32_t offset = 0) {
    TTmslCompress compressor;
    compressor.SetCompressedFile(archive);
    compressor.Offset = offset;
    std::vector<std::string> names;
    for (int i = 0; i < compressor.Count(); ++i) names.push_back(compressor.Headers().FileHeaders(i).FileName);
    return names;
}

class Distribution : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareSources();
        WriteRootFile(std::string(kLibraryDir) + "\\T32V40.TXT", "");
        WriteRootFile(std::string(kLibraryDir) + "\\TamselLoadProgram.exe", kLoader);
        const std::string key = "Software\\Tamsel\\Installer";
        ASSERT_TRUE(platform::Registry().CreateKey(platform::RegRoot::CurrentUser, key));
        ASSERT_TRUE(platform::Registry().WriteString(platform::RegRoot::CurrentUser, key, "LibraryPath", kLibraryDir));
        WriteRootFile(kPresetup, "presetup library");
        // Written on Windows: the line end is CR LF.
        WriteRootFile("D:\\SETUP\\BUILD.INF", std::string(kDist) + "\r\nignored\r\n");
    }
    static TestSetup BuildSetup(const std::function<void(TreeBuilder&, TestSetup&)>& extra = {}) {
        return TestSetup({"-b"}, [extra](TreeBuilder& b, TestSetup& s) {
            s.Install().SetPresetupFiles({kPresetup});
            if (extra) extra(b, s);
        });
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : services.Boxes) texts.push_back(box.text);
        return texts;
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(Distribution, TheBuildMakesTheSelfExtractorWithAByteExactTrailerAndItInstalls) {
    {
        TestSetup build = BuildSetup();
        EXPECT_TRUE(services.Boxes.empty()) << BoxTexts().front();
        EXPECT_TRUE(services.Terminated());
    }
    const std::string dist = kDist;
    const std::string setup1 = ReadRootFile(dist + "\\setup.1");
    const std::string files1 = ReadRootFile(dist + "\\files.1");
    const std::string exe = ReadRootFile(dist + "\\setup.exe");
    // setup.1: the setup program first, then the presetup files.
    EXPECT_EQ(MemberNames(dist + "\\setup.1"), (std::vector<std::string>{kSetupExe, kPresetup}));
    EXPECT_EQ(MemberNames(dist + "\\files.1"),
              (std::vector<std::string>{std::string(kSourceDir) + "\\Dados.db", std::string(kSourceDir) + "\\VOREL.EXE"}));

    const auto loaderSize = static_cast<std::int32_t>(kLoader.size());
    const auto setupSize = static_cast<std::int32_t>(setup1.size());
    const auto filesSize = static_cast<std::int32_t>(files1.size());
    std::string trailer = "\x0e" "SELFEXTRACTING";
    trailer += '\0';
    trailer += Int32(loaderSize) + Int32(loaderSize + setupSize - 1) + Int32(loaderSize + setupSize) +
               Int32(loaderSize + setupSize + filesSize - 1) + std::string(24, '\0');
    EXPECT_EQ(exe, kLoader + setup1 + files1 + trailer);

    // The self-extractor's start: the setup with -e finds files.1 inside setup.exe.
    TestSetup setup({"-sC:\\Dist", "-esetup.exe", "-c"});
    setup.Install().OwnerFormActivate();
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.EXE"), kProgramText);
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\Data\\Dados.db"), kDataText);
    EXPECT_EQ(setup.Recorder().Heard.back(), imAfterGoodInstall);
}

TEST_F(Distribution, AWebBuildListsItsNetFilesAndEmbedsNoMainArchive) {
    {
        TestSetup build = BuildSetup([](TreeBuilder& b, TestSetup& s) {
            auto& location = b.add<TFolderNetInstallLocation>("NetLoc1").get();
            location.LoginInformation().Hostname = "www.vorel.example";
            location.LoginInformation().Directory = "dist";
            s.Install().SetNetLocation(&location);
            s.Install().SetDistributeType(dtWeb);
            // A name that takes the whole field but its terminator.
            s.File("DataFile").SetName("DataFile" + std::string(31, 'X'));
        });
        EXPECT_TRUE(services.Boxes.empty()) << BoxTexts().front();
        const std::string list = ReadRootFile("C:\\Dist\\www.vorel.example\\dist\\filelist.lst");
        ASSERT_EQ(list.size(), 4u + 2 * 72);
        EXPECT_EQ(Int32At(list, 0), 2);
        EXPECT_EQ(Int32At(list, 4), static_cast<std::int32_t>(std::strlen(kProgramText)));
        double date = 0;
        std::memcpy(&date, list.data() + 8, 8);
        EXPECT_DOUBLE_EQ(date, *platform::Files().FileDateTime(std::string(kSourceDir) + "\\VOREL.EXE"));
        EXPECT_EQ(list.substr(16, 40), "ProgramFile" + std::string(29, '\0'));
        EXPECT_EQ(Int32At(list, 76), static_cast<std::int32_t>(kDataText.size()));
        EXPECT_EQ(list.substr(88, 40), "DataFile" + std::string(31, 'X') + '\0');
        EXPECT_TRUE(platform::Files().FileExists("C:\\Dist\\www.vorel.example\\dist\\Install1.1"));
        EXPECT_TRUE(platform::Files().FileExists("C:\\Dist\\www.vorel.example\\dist\\Directory1.1"));
    }
    // Every file went to the net: files.1 was not made, and the trailer says so.
    EXPECT_FALSE(platform::Files().FileExists("C:\\Dist\\files.1"));
    const std::string exe = ReadRootFile("C:\\Dist\\setup.exe");
    const std::string setup1 = ReadRootFile("C:\\Dist\\setup.1");
    ASSERT_EQ(exe.size(), kLoader.size() + setup1.size() + 56);
    EXPECT_EQ(exe.substr(exe.size() - 40), Int32(static_cast<std::int32_t>(kLoader.size())) +
                                               Int32(static_cast<std::int32_t>(kLoader.size() + setup1.size() - 1)) +
                                               std::string(32, '\0'));
}

TEST_F(Distribution, ATraditionalNetBuildKeepsEachFilesOwnNetSetting) {
    {
        TestSetup build = BuildSetup([](TreeBuilder& b, TestSetup& s) {
            auto& location = b.add<TFolderNetInstallLocation>("NetLoc1").get();
            location.LoginInformation().Hostname = "www.vorel.example";
            location.LoginInformation().Directory = "dist";
            s.Install().SetNetLocation(&location);
            s.Install().SetDistributeType(dtTraditionalNet);
            s.File("ProgramFile").SetNet(true);
        });
        EXPECT_TRUE(services.Boxes.empty()) << BoxTexts().front();
    }
    const std::string list = ReadRootFile("C:\\Dist\\www.vorel.example\\dist\\filelist.lst");
    ASSERT_EQ(list.size(), 4u + 72);
    EXPECT_EQ(list.substr(16, 12), "ProgramFile" + std::string(1, '\0'));
    EXPECT_EQ(MemberNames("C:\\Dist\\files.1"), (std::vector<std::string>{std::string(kSourceDir) + "\\Dados.db"}));
}

TEST_F(Distribution, AWebDistributionInstallsFromLocalHttpAndFtpServers) {
    auto web = [](int port, TInternetProtocol protocol) {
        return [port, protocol](TreeBuilder& b, TestSetup& s) {
            auto& location = b.add<TNetInstallLocation>("NetLoc1").get();
            location.LoginInformation().Hostname = "127.0.0.1";
            location.LoginInformation().Directory = "dist";
            location.LoginInformation().Protocol = protocol;
            location.Port = port;
            s.Install().SetNetLocation(&location);
            s.Install().SetDistributeType(dtWeb);
        };
    };
    { TestSetup build = BuildSetup(web(0, ipHTTP)); }
    ASSERT_TRUE(services.Boxes.empty()) << BoxTexts().front();
    // The build's net folder, named after the host and the directory, is what the servers publish.
    const std::string published = platform::Files().HostPath("C:\\Dist\\127.0.0.1").string();
    platform::TempRootDir logs;
    platform::testing::LocalServer http = platform::testing::HttpFileServer(published, logs.Path() / "http.log");
    platform::testing::LocalServer ftp = platform::testing::FtpFileServer(published, logs.Path() / "ftp.log");
    ASSERT_TRUE(http.Running() && ftp.Running());
    for (auto [port, protocol] : {std::pair{http.Port(), ipHTTP}, std::pair{ftp.Port(), ipFTP}}) {
        TestSetup setup({"-sC:\\Dist", "-esetup.exe"}, web(port, protocol));
        setup.Install().OwnerFormActivate();
        EXPECT_TRUE(services.Boxes.empty()) << BoxTexts().front();
        EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.EXE"), kProgramText) << protocol;
        EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\Data\\Dados.db"), kDataText) << protocol;
        EXPECT_EQ(setup.Recorder().Heard.back(), imAfterGoodInstall);
        platform::Files().DeleteFile("C:\\Program Files\\Vorel\\VOREL.EXE");
        platform::Files().DeleteFile("C:\\Program Files\\Vorel\\Data\\Dados.db");
    }
    EXPECT_EQ(http.Logged("request from port").size(), 3u);  // filelist.lst and two archives
}

TEST_F(Distribution, WhatStopsABuildIsShownAndEndsTheProgram) {
    auto boxAfterBuild = [&](const std::function<void(TreeBuilder&, TestSetup&)>& extra) {
        services.Boxes.clear();
        TestSetup build = BuildSetup(extra);
        EXPECT_TRUE(services.Terminated());
        return services.Boxes.size() == 1 ? services.Boxes[0].text : std::string("<no single box>");
    };
    EXPECT_EQ(boxAfterBuild([](TreeBuilder&, TestSetup& s) { s.Install().SetUseLoadingProgram(false); }),
              "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall is set to "
              "False");
    platform::Files().DeleteFile("C:\\Tamsel\\TamselLoadProgram.exe");
    EXPECT_EQ(boxAfterBuild({}), "The loader program C:\\Tamsel\\TamselLoadProgram.exe was not found");
    platform::Files().DeleteFile("C:\\Tamsel\\T32V40.TXT");
    EXPECT_EQ(boxAfterBuild({}),
              "The HKEY_LOCAL_MACHINE | \\Software\\Tamsel\\Installer key in the registry is either "
              "missing or points to an invalid Tamsel directory");
    WriteRootFile("D:\\SETUP\\BUILD.INF", "");
    EXPECT_EQ(boxAfterBuild({}), "Must be 1 line in BUILD.INF. This line should specify the build directory");
    platform::Files().DeleteFile("D:\\SETUP\\BUILD.INF");
    EXPECT_EQ(boxAfterBuild({}),
              "Need to have a BUILD.INF file in this directory with the first line specifying the build directory");
    EXPECT_FALSE(platform::Files().FileExists("C:\\Dist\\setup.exe"));
}

TEST_F(Distribution, WithoutTheLoadingProgramTheSetupItselfIsCopiedAndNoSetup1Made) {
    TestSetup setup({"-sD:\\SETUP"}, [](TreeBuilder&, TestSetup& s) { s.Install().SetUseLoadingProgram(false); });
    setup.Install().BuildDistributables(kSetupExe, "C:\\Plain", false);
    EXPECT_EQ(ReadRootFile("C:\\Plain\\SETUP.EXE"), ReadRootFile(kSetupExe));
    EXPECT_FALSE(platform::Files().FileExists("C:\\Plain\\setup.1"));
    EXPECT_EQ(MemberNames("C:\\Plain\\files.1").size(), 2u);
    // The install's own archive settings are back as they were.
    EXPECT_EQ(setup.Install().ArchiveFile(), "");
    EXPECT_EQ(setup.Install().GetArchiveFilePath(), "D:\\SETUP\\files.1");
}

TEST_F(Distribution, ABuildForgetsThePackMarksOfAnEarlierOne) {
    TestSetup setup;
    setup.File("DataFile").MarkDistributionNetFile(true);
    setup.Install().Compress({coForceNetFilesLocal});
    EXPECT_FALSE(setup.File("DataFile").IsDistributionNetFile());
}

TEST_F(Distribution, PresetupFilesAreAddedOnceByName) {
    TestSetup setup;
    TInstall& install = setup.Install();
    install.AddPresetupFile("C:\\BDE\\idapinst.dll", true);
    install.AddPresetupFile("D:\\Other\\IDAPINST.DLL", true);
    install.AddPresetupFile("C:\\BDE\\readme.txt", false);
    install.AddPresetupFile("C:\\BDE\\readme.txt", false);
    EXPECT_EQ(install.PresetupFiles(),
              (std::vector<std::string>{"C:\\BDE\\idapinst.dll", "C:\\BDE\\readme.txt", "C:\\BDE\\readme.txt"}));
}

class Diskettes : public Distribution {
protected:
    void SetUp() override {
        Distribution::SetUp();
        { TestSetup build = BuildSetup(); }
        platform::IniFile(dir.Path() / "platform.ini").WriteString("Drives", "A", "120000");
        platform::Files().ForceDirectories("A:\\");
        diskettes.emplace();
    }
    void TearDown() override { diskettes.reset(); }
    std::optional<DisketteDrive> diskettes;
};

TEST_F(Diskettes, TheSelfExtractorSpansOntoDiskettesAndExtractsAgainByteForByte) {
    DisketteDrive& drive = *diskettes;
    { TestSetup setup({"-sC:\\Dist", "-esetup.exe", "-f"}); }
    drive.Eject();  // the last disk asked for (the first, for its headers) goes on the shelf too
    std::vector<std::string> prompts;
    for (const auto& box : drive.Boxes) prompts.push_back(box.text);
    EXPECT_EQ(prompts, (std::vector<std::string>{"Please insert disk 2", "Please insert disk 3", "Please insert disk 1"}));
    EXPECT_TRUE(drive.Terminated());

    // Disk 1 starts with the loader and setup.1, exactly as the executable does.
    const std::string exe = ReadRootFile("C:\\Dist\\setup.exe");
    const SelfExtractorTrailer trailer = ReadSelfExtractorTrailer("C:\\Dist\\setup.exe");
    const std::string disk1 = DisketteDrive::Shelf(1);
    EXPECT_EQ(ReadRootFile(disk1 + "\\setup.exe") + ReadRootFile(disk1 + "\\setup.1"),
              exe.substr(0, static_cast<std::size_t>(trailer.FilesStart)));
    EXPECT_TRUE(platform::Files().FileExists(DisketteDrive::Shelf(3) + "\\files.3"));

    TTmslCompress compressor;
    compressor.SetCompressedFile(disk1 + "\\files.1");
    compressor.OnNewDisk = [](TTmslCompress&, int disk, std::string& path) { path = DisketteDrive::Shelf(disk); };
    compressor.ExtractDirectory = "C:\\Out";
    compressor.SetFilesToProcess({std::string(kSourceDir) + "\\VOREL.EXE", std::string(kSourceDir) + "\\Dados.db"});
    compressor.Extract();
    EXPECT_EQ(ReadRootFile("C:\\Out\\VOREL.EXE"), kProgramText);
    EXPECT_EQ(ReadRootFile("C:\\Out\\Dados.db"), kDataText);
}

TEST_F(Diskettes, CancelAtTheDiskPromptEndsTheTransferWithItsMessage) {
    DisketteDrive& drive = *diskettes;
    drive.Answers = {platform::mrCancel};
    TestSetup setup({"-sC:\\Dist", "-esetup.exe", "-f"});
    ASSERT_EQ(drive.Boxes.size(), 2u);
    EXPECT_EQ(drive.Boxes[0].text, "Please insert disk 2");
    EXPECT_EQ(drive.Boxes[1].text, "Aborted by user");
    EXPECT_TRUE(drive.Terminated());
    EXPECT_FALSE(setup.form.Context().GlobalCompressor->OnNewDisk);
    EXPECT_EQ(drive.BusyDepth, 0);
}

// A drive that is not there, a diskette too small for the loader and one
// with no room for the archive's headers after setup.1 are each named as
// what they are, leave no truncated or empty file and clear the status.
TEST_F(Diskettes, AMissingDriveOrAFullDisketteIsReportedAndTheStatusCleared) {
    const SelfExtractorTrailer trailer = ReadSelfExtractorTrailer("C:\\Dist\\setup.exe");
    struct Case {
        const char* capacity;  // empty: no drive a:
        std::string message;
        const char* absent;
    };
    const std::string noHeaders = std::to_string(trailer.SetupEnd + 1 + 100);
    for (const Case& c : {Case{"", "The drive a: is missing", "A:\\setup.exe"},
                          Case{"500", "Cannot create setup.exe on the A drive. Probably not enough room", "A:\\setup.exe"},
                          Case{noHeaders.c_str(), "The disk is full", "A:\\files.1"}}) {
        SCOPED_TRACE(c.message);
        diskettes.reset();
        std::filesystem::remove_all(dir.Path() / "drive_a");
        if (*c.capacity) {
            platform::IniFile(dir.Path() / "platform.ini").WriteString("Drives", "A", c.capacity);
            platform::Files().ForceDirectories("A:\\");
        }
        diskettes.emplace();
        DisketteDrive& drive = *diskettes;
        TestSetup setup({"-sC:\\Dist", "-esetup.exe", "-f"});
        ASSERT_EQ(drive.Boxes.size(), 1u);
        EXPECT_EQ(drive.Boxes[0].text, c.message);
        EXPECT_FALSE(platform::Files().FileExists(c.absent));  // no truncated program, no empty archive
        const auto& heard = setup.Recorder().Heard;
        const auto pushes = std::count(heard.begin(), heard.end(), imPushStatus);
        EXPECT_EQ(pushes, *c.capacity ? 1 : 0);
        EXPECT_EQ(std::count(heard.begin(), heard.end(), imPopStatus), pushes);
    }
}

TEST_F(Diskettes, ADistributionWithoutFiles1PutsOnlyTheLoaderAndSetupOnDisk1) {
    DisketteDrive& drive = *diskettes;
    WriteRootFile("C:\\Dist\\setup.exe", kLoader);
    CreateSelfExtractor("C:\\Dist\\setup.exe", "C:\\Dist\\setup.1", "C:\\Dist\\none.1");
    { TestSetup setup({"-sC:\\Dist", "-esetup.exe", "-f"}); }
    EXPECT_TRUE(drive.Boxes.empty());
    EXPECT_TRUE(drive.Terminated());
    EXPECT_EQ(ReadRootFile("A:\\setup.exe"), kLoader);
    EXPECT_EQ(ReadRootFile("A:\\setup.1"), ReadRootFile("C:\\Dist\\setup.1"));
    EXPECT_FALSE(platform::Files().FileExists("A:\\files.1"));
}

}  // namespace
}  // namespace installer
