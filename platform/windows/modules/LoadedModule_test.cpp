#include "platform/windows/modules/LoadedModule.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

namespace platform {
namespace {

const std::filesystem::path kFixture = std::filesystem::path(VOREL_BIN_DIR) / "FIXTURE.DLL";

class ModuleLoading : public ::testing::Test {
protected:
    // Places the fixture module at a Windows path of the root.
    void Place(const std::string& path) {
        Files().ForceDirectories(path.substr(0, path.rfind('\\')));
        std::filesystem::copy_file(kFixture, Files().HostPath(path));
    }
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
};

TEST_F(ModuleLoading, SearchOrderIsProgramCurrentSystemWindowsEachOnce) {
    Files().ForceDirectories("C:\\Work");
    Files().SetCurrentDir("C:\\Work");
    const auto dirs = ModuleSearchDirs("d:\\setup");
    EXPECT_EQ(dirs, (std::vector<std::string>{"D:\\setup", "C:\\Work", Files().Facts().SystemDir(),
                                              Files().Facts().WindowsDir()}));
    Files().SetCurrentDir(Files().Facts().WindowsDir());
    EXPECT_EQ(ModuleSearchDirs("").size(), 2u);
}

TEST_F(ModuleLoading, TheFirstDirectoryHoldingTheNameWinsIgnoringCase) {
    Place("C:\\WINDOWS\\SYSTEM32\\fixture.dll");
    Place("D:\\SETUP\\Fixture.Dll");
    auto module = LoadedModule::Load("FIXTURE.DLL", ModuleSearchDirs("D:\\SETUP"));
    ASSERT_TRUE(module);
    EXPECT_EQ(module->Path(), "D:\\SETUP\\FIXTURE.DLL");
    auto fromSystem = LoadedModule::Load("FIXTURE.DLL", ModuleSearchDirs(""));
    ASSERT_TRUE(fromSystem);
    EXPECT_EQ(fromSystem->Path(), Files().Facts().SystemDir() + "\\FIXTURE.DLL");
}

TEST_F(ModuleLoading, MissingOrUnloadableModulesLoadNothing) {
    EXPECT_FALSE(LoadedModule::Load("FIXTURE.DLL", ModuleSearchDirs("D:\\SETUP")));
    // A file of that name that is no shared object.
    Files().ForceDirectories("D:\\SETUP");
    Files().Open("D:\\SETUP\\FIXTURE.DLL", FileMode::Create).WriteBuffer("MZ", 2);
    std::string why;
    EXPECT_FALSE(LoadedModule::Load("FIXTURE.DLL", {"D:\\SETUP"}, &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(ModuleLoading, TheModuleReachesTheRootThroughItsHost) {
    Place("D:\\SETUP\\FIXTURE.DLL");
    auto module = LoadedModule::Load("FIXTURE.DLL", {"D:\\SETUP"});
    ASSERT_TRUE(module);
    EXPECT_EQ(module->Proc("NoSuchEntry"), nullptr);
    auto note = reinterpret_cast<int (*)(const char*)>(module->Proc("NoteHostPath"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note("C:\\Data\\x.cfg"), 0);
    EXPECT_EQ(Registry().ReadString(RegRoot::LocalMachine, "Software\\Fixture", "Seen"),
              Files().HostPath("C:\\Data\\x.cfg").string());
    // A path the file layer refuses gets no host path.
    std::filesystem::create_directory_symlink("/", Files().HostPath("C:\\out"));
    EXPECT_EQ(note("C:\\out\\etc\\passwd"), -1);
}

}  // namespace
}  // namespace platform
