#include "installer/uninstallentry/UninstallExe.h"

#include <gtest/gtest.h>

#include "installer/registry/RegistryRoutines.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;

class UninstallExe : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareSources();
        WriteRootFile(std::string(kSourceDir) + "\\uninstall.exe", "MZ uninstaller");
    }
    static void AddUninstaller(TreeBuilder& b, TestSetup&) {
        b.add<TUninstallEXE>("Uninstaller")
            .set([](TUninstallEXE& f) {
                f.SetIncludeFromDir(kSourceDir);
                f.SetFileName("uninstall.exe");
                f.SetDestName("uninstall.exe");
            })
            .ref("Container", "Install1")
            .ref("DestDirType", "psContainerDestDir")
            .ref("ArchiveFileType", "psContainerArchiveFile");
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
};

TEST_F(UninstallExe, RegistersTheTrimmedProductUnderItsTrimmedKey) {
    TestSetup setup({"-sD:\\SETUP"}, AddUninstaller);
    setup.Install().Information.ProductName = "  Vorel ";
    setup.Build();
    setup.Install().OwnerFormActivate();
    ASSERT_FALSE(setup.Install().Aborted());
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel";
    EXPECT_EQ(RegReadString(4, key, "DisplayName", ""), "Vorel");
    EXPECT_EQ(RegReadString(4, key, "UninstallString", ""), "C:\\Program Files\\Vorel\\uninstall.exe Vorel");
    EXPECT_EQ(RegReadString(4, key + "\\Files", "Entries", ""), "3");  // it is logged like any file
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\uninstall.exe"), "MZ uninstaller");
    EXPECT_TRUE(setup.Get<TUninstallEXE>("Uninstaller").Net());
}

TEST_F(UninstallExe, NeedsAnInstallComponent) {
    TComponentOwner form;
    auto& file = form.Create<TUninstallEXE>();
    file.SetName("Uninstaller");
    EXPECT_EQ(platform::testing::ErrorOf([&] { file.WriteUninstallEntries("\\Software\\X"); }),
              "Uninstaller could not write information about the uninstall to the registry because there was no "
              "TInstall component");
    form.DestroyComponents();
}

}  // namespace
}  // namespace installer
