#include "installer/bde/BdeRegistry.h"

#include <gtest/gtest.h>

#include "installer/registry/RegistryRoutines.h"
#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/pe/PeFixture.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

const std::string kEngineKey = "\\Software\\Borland\\Database Engine";

class EngineFacts : public ::testing::Test {
protected:
    // The file version is read from the fixed part of the version resource.
    static void WriteEngineDll(const std::string& version, bool withFixedInfo = true) {
        platform::Files().ForceDirectories("C:\\BDE");
        pefixture::VersionOptions options;
        options.fileVersion = pefixture::ParseVersion(version);
        options.withFixedInfo = withFixedInfo;
        pefixture::WritePe(platform::Files().HostPath("C:\\BDE\\IDAPI32.DLL"), options, true);
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
};

TEST(DllPathRewrite, TheEngineDirectoryStandsFirstOnceAndTheRestKeepTheirOrder) {
    EXPECT_EQ(RewriteDllPath("c:\\bde;D:\\OTHER", "C:\\BDE"), "C:\\BDE;D:\\OTHER");
    EXPECT_EQ(RewriteDllPath("D:\\X;c:\\bde;E:\\Y", "C:\\BDE"), "C:\\BDE;D:\\X;E:\\Y");
    EXPECT_EQ(RewriteDllPath("", "C:\\BDE"), "C:\\BDE");
    EXPECT_EQ(RewriteDllPath("   ", "C:\\BDE"), "C:\\BDE");
    EXPECT_EQ(RewriteDllPath("d:\\old", "C:\\BDE"), "C:\\BDE;D:\\OLD");
    // Every copy goes, also one written with a trailing backslash.
    EXPECT_EQ(RewriteDllPath("c:\\bde;D:\\X;C:\\BDE\\;c:\\Bde", "C:\\BDE"), "C:\\BDE;D:\\X");
}

TEST_F(EngineFacts, TheDllDirectoryIsTheFirstItemAndMustHoldTheEngine) {
    EXPECT_EQ(platform::testing::ErrorOf([] { GetBDEDLLDir(); }),
              "Cannot find the \\Software\\Borland\\Database Engine | DLLPath registry entry in your registry under "
              "the HKEY_LOCAL_MACHINE root key");
    RegWriteString(4, kEngineKey, "DLLPATH", "C:\\BDE\\;D:\\OTHER");
    EXPECT_EQ(platform::testing::ErrorOf([] { GetBDEDLLDir(); }),
              "The BDE DLL file idapi32.dll cannot be found in the BDE DLL dir C:\\BDE");
    platform::testing::WriteTestFile("C:\\BDE\\idapi32.DLL", "x");
    EXPECT_EQ(GetBDEDLLDir(), "C:\\BDE");
}

TEST_F(EngineFacts, TheVersionComesFromTheEngineDllsVersionResource) {
    RegWriteString(4, kEngineKey, "DLLPATH", "C:\\BDE");
    const std::pair<const char*, int> versions[] = {{"3.0.0.1", 0}, {"3.5.0.0", 1}, {"4.0.1.0", 2},
                                                    {"4.51.0.0", 3}, {"5.0.1.0", 4}, {"2.0", 4}};
    for (const auto& [text, expected] : versions) {
        WriteEngineDll(text);
        EXPECT_EQ(GetInstalledBDEVersion(), expected) << text;
    }
    WriteEngineDll("4.0", false);
    EXPECT_THROW(GetInstalledBDEVersion(), IEBDEVersionInvalid);
    platform::testing::WriteTestFile("C:\\BDE\\IDAPI32.DLL", "no version resource");
    EXPECT_THROW(GetInstalledBDEVersion(), IEBDEVersionInvalid);
}

TEST_F(EngineFacts, LanguageAndInterBaseDirectoryComeFromTheRegistry) {
    EXPECT_THROW(GetInstalledLanguageDLL(), IEBDENoResourceDLLEntry);
    RegWriteString(4, "\\SOFTWARE\\Borland\\Database Engine", "RESOURCE", "0007");
    EXPECT_EQ(GetInstalledLanguageDLL(), "0007");

    EXPECT_THROW(GetInterBaseRootDir(), IEBDENoIntrbaseEntry);
    RegWriteString(4, "\\SOFTWARE\\BORLAND\\INTERBASE\\CURRENTVERSION", "RootDirectory", "C:\\IBOld\\");
    EXPECT_EQ(GetInterBaseRootDir(), "C:\\IBOld");
    RegWriteString(4, "\\SOFTWARE\\INTERBASE CORP\\INTERBASE\\CURRENTVERSION", "RootDirectory", "C:\\IB\\");
    EXPECT_EQ(GetInterBaseRootDir(), "C:\\IB");
}

}  // namespace
}  // namespace installer
