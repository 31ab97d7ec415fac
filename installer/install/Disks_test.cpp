#include <gtest/gtest.h>

#include "installer/components/EngineContext.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer {
namespace {

using namespace installer::testing;

// The main archive spread over disk files D:\DISK1\files.1, D:\DISK2\files.2 ...
class Disks : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareSources();
        TestSetup build;
        build.Build();
        TTmslCompress& compressor = *build.form.Context().GlobalCompressor;
        compressor.SetCompressedFile("D:\\SETUP\\files.1");
        compressor.SpanDiskCapacity = 150000;
        compressor.OnNewDisk = [](TTmslCompress&, int disk, std::string& path) {
            path = "D:\\DISK" + std::to_string(disk);
            platform::Files().ForceDirectories(path);
        };
        platform::Files().ForceDirectories("D:\\DISK1");
        compressor.SpanToDisks("D:\\DISK1", "files.1");
        ASSERT_TRUE(platform::Files().FileExists("D:\\DISK2\\files.2"));
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(Disks, AContainerThatAnswersTheDiskRequestSparesTheUserThePrompt) {
    TestSetup setup({"-sD:\\DISK1"});
    std::vector<int> asked;
    // The install hears the requests of its own files and, relayed, of the directory's.
    setup.Install().OnNewDisk = [&](TInstallContainer&, int disk, std::string& path) {
        asked.push_back(disk);
        EXPECT_EQ(path, "D:\\DISK1");
        path = "D:\\DISK" + std::to_string(disk) + "\\";
    };
    setup.Install().OwnerFormActivate();
    // The catalogue runs on to disk 2; the program, packed after it, starts there.
    EXPECT_EQ(asked, (std::vector<int>{2, 2}));
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\Data\\Dados.db"), kDataText);
    EXPECT_EQ(setup.File("DataFile").Tag, 0);
    const auto& heard = setup.Recorder().Heard;
    EXPECT_EQ(heard.back(), imAfterGoodInstall);
}

TEST_F(Disks, WithoutAnAnswerTheUserIsAskedAndCancelEndsTheInstall) {
    TestSetup setup({"-sD:\\DISK1"});
    services.Answers = {platform::mrCancel};
    setup.Install().OwnerFormActivate();
    ASSERT_EQ(services.Boxes.size(), 1u);
    EXPECT_EQ(services.Boxes[0].text, "Please insert disk #2");
    EXPECT_EQ(services.Boxes[0].buttons, platform::mbOKCancel);
    EXPECT_FALSE(platform::Files().FileExists("C:\\Program Files\\Vorel\\Data\\Dados.db"));
    EXPECT_EQ(setup.Recorder().Heard.back(), imAfterBadInstall);
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel"));
}

}  // namespace
}  // namespace installer
