// The install library module itself, loaded as the setup loads it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/windows/modules/LoadedModule.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"

namespace platform {
namespace {

using MergeCfgProc = int (*)(const char*, const char*, const char*, int, int, const char*);
using IntlConfigProc = void (*)(const char*, bool, const char*);
using FixMergeProc = int (*)(const char*, int, bool, const char*);
using UseCountProc = void (*)();

const std::filesystem::path kBin = VOREL_BIN_DIR;

class InstallLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        Files().ForceDirectories("D:\\SETUP");
        std::filesystem::copy_file(kBin / "IDAPINST.DLL", Files().HostPath("D:\\SETUP\\IDAPINST.DLL"));
        module = LoadedModule::Load("IDAPINST.DLL", {"D:\\SETUP"});
        ASSERT_TRUE(module);
        merge = reinterpret_cast<MergeCfgProc>(module->Proc("MergeCfg"));
        intl = reinterpret_cast<IntlConfigProc>(module->Proc("IntlConfig"));
        fix = reinterpret_cast<FixMergeProc>(module->Proc("FixMerge"));
        useCount = reinterpret_cast<UseCountProc>(module->Proc("IncrementIDAPIUseCount"));
        ASSERT_TRUE(merge && intl && fix && useCount);
    }
    static std::string Read(const std::string& path) { return platform::testing::ReadTestFile(path); }

    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
    std::unique_ptr<LoadedModule> module;
    MergeCfgProc merge = nullptr;
    IntlConfigProc intl = nullptr;
    FixMergeProc fix = nullptr;
    UseCountProc useCount = nullptr;
};

const std::string kTemplate = "[System\\Init]\r\nVERSION=4.0\r\n[Drivers\\Paradox\\Init]\r\nNET DIR=\r\n";

TEST_F(InstallLibrary, WithoutAnExistingFileTheTargetIsTheTemplate) {
    testing::WriteTestFile("C:\\BDE\\idapi32.cnf", kTemplate);
    intl("C:\\BDE\\idapi32.cnf", false, "0009");
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "***", "C:\\BDE\\idapi32.cfg", 1, 0, "0009"), 0);
    EXPECT_EQ(Read("C:\\BDE\\idapi32.cfg"),
              "[System\\Init]\r\nVERSION=4.0\r\nLANGUAGE=0009\r\n[Drivers\\Paradox\\Init]\r\nNET DIR=\r\n");
    // An existing name that is not there counts as none.
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "C:\\Gone\\idapi.cfg", "C:\\BDE\\second.cfg", 1, 0, "0009"), 0);
    EXPECT_EQ(Read("C:\\BDE\\second.cfg"), Read("C:\\BDE\\idapi32.cfg"));
}

TEST_F(InstallLibrary, MergingIntoTheExistingFileKeepsItsAliasesAndReplacesItWhole) {
    testing::WriteTestFile("C:\\BDE\\idapi32.cnf", kTemplate);
    const std::string user = "[Databases\\SHOP\\DB INFO]\r\nPATH=C:\\Shop\r\n[System\\Init]\r\nVERSION=3.5\r\n";
    testing::WriteTestFile("C:\\BDE\\idapi32.cfg", user);
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "C:\\BDE\\idapi32.cfg", "C:\\BDE\\idapi32.cfg", 1, 0, "0009"), 0);
    const std::string merged = Read("C:\\BDE\\idapi32.cfg");
    EXPECT_EQ(merged, user + "[Drivers\\Paradox\\Init]\r\nNET DIR=\r\n");
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "C:\\BDE\\idapi32.cfg", "C:\\BDE\\idapi32.cfg", 1, 0, "0009"), 0);
    EXPECT_EQ(Read("C:\\BDE\\idapi32.cfg"), merged);
    // No temporary file is left beside it.
    EXPECT_EQ(Files().FindFiles("C:\\BDE").size(), 2u);
}

TEST_F(InstallLibrary, FilesItCannotReadFailTheMergeAndLeaveTheTargetAlone) {
    testing::WriteTestFile("C:\\BDE\\idapi32.cnf", kTemplate);
    const std::string binary("IDAPI\0\x01\x02 binary configuration", 29);
    testing::WriteTestFile("C:\\BDE\\idapi32.cfg", binary);
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "C:\\BDE\\idapi32.cfg", "C:\\BDE\\idapi32.cfg", 1, 0, "0009"), 2);
    EXPECT_EQ(Read("C:\\BDE\\idapi32.cfg"), binary);
    EXPECT_EQ(merge("C:\\BDE\\missing.cnf", "***", "C:\\BDE\\new.cfg", 1, 0, "0009"), 1);
    EXPECT_FALSE(Files().FileExists("C:\\BDE\\new.cfg"));
    // A target in a folder that does not exist cannot be written.
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "***", "C:\\NoSuchDir\\idapi32.cfg", 1, 0, "0009"), 3);
    EXPECT_EQ(fix("C:\\BDE\\idapi32.cfg", 1, true, "0009"), 2);
    // A target another program holds stays as it is.
    testing::WriteTestFile("C:\\BDE\\held.cfg", kTemplate);
    Files().Facts().SetInUse("C:\\BDE\\held.cfg", true);
    EXPECT_EQ(merge("C:\\BDE\\idapi32.cnf", "***", "C:\\BDE\\held.cfg", 1, 0, "0009"), 3);
    EXPECT_EQ(fix("C:\\BDE\\held.cfg", 0, true, "0009"), 3);
    EXPECT_EQ(Read("C:\\BDE\\held.cfg"), kTemplate);
}

TEST_F(InstallLibrary, FixMergeMarksThe16BitSettingsAndTheUseCountCounts) {
    testing::WriteTestFile("C:\\BDE\\idapi32.cfg", kTemplate);
    EXPECT_EQ(fix("C:\\BDE\\idapi32.cfg", 0, true, "0007"), 0);
    EXPECT_EQ(Read("C:\\BDE\\idapi32.cfg"),
              "[System\\Init]\r\nVERSION=4.0\r\nSAVE16=TRUE\r\nLANGUAGE=0007\r\n[Drivers\\Paradox\\Init]\r\nNET DIR=\r\n");
    useCount();
    useCount();
    EXPECT_EQ(Registry().ReadString(RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "UseCount"), "2");
    // Counts no number can hold, or one more cannot, are no counts either.
    for (const char* bad : {"junk", "99999999999999999999", "9223372036854775807", "2147483647", "-3", "12abc"}) {
        Registry().WriteString(RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "UseCount", bad);
        useCount();
        EXPECT_EQ(Registry().ReadString(RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "UseCount"), "1")
            << bad;
    }
    Registry().WriteString(RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "UseCount", "2147483646");
    useCount();
    EXPECT_EQ(Registry().ReadString(RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "UseCount"),
              "2147483647");
}

}  // namespace
}  // namespace platform
