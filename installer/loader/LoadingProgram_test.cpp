#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "installer/loader/LoadingProgram.h"
#include "installer/registry/RegistryRoutines.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer {
namespace {

using namespace installer::testing;
namespace fs = std::filesystem;

const std::string kBin = VOREL_BIN_DIR;

std::string HostBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// What the stand-in setup program wrote down, by key.
struct StubLog {
    std::map<std::string, std::vector<std::string>> lines;
    std::string One(const std::string& key) const {
        auto it = lines.find(key);
        return it == lines.end() || it->second.empty() ? std::string("<none>") : it->second.front();
    }
    std::vector<std::string> All(const std::string& key) const {
        auto it = lines.find(key);
        return it == lines.end() ? std::vector<std::string>{} : it->second;
    }
};

class LoadingProgram : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareSources();
        // The setup program being distributed is the stand-in.
        WriteRootFile(kSetupExe, HostBytes(kBin + "/loader-stub-setup"));
        WriteRootFile("C:\\Build\\bde\\IDAPINST.DLL", "presetup library");
        WriteRootFile("C:\\Tamsel\\T32V40.TXT", "");
        WriteRootFile("C:\\Tamsel\\TamselLoadProgram.exe", HostBytes(kBin + "/setup-loader"));
        const std::string key = "Software\\Tamsel\\Installer";
        ASSERT_TRUE(platform::Registry().CreateKey(platform::RegRoot::CurrentUser, key));
        ASSERT_TRUE(platform::Registry().WriteString(platform::RegRoot::CurrentUser, key, "LibraryPath", "C:\\Tamsel"));
        WriteRootFile("D:\\SETUP\\BUILD.INF", "C:\\Dist\r\n");
        {
            TestSetup build({"-b"}, [](TreeBuilder&, TestSetup& s) {
                s.Install().SetPresetupFiles({"C:\\Build\\bde\\IDAPINST.DLL"});
            });
        }
        ASSERT_TRUE(services.Boxes.empty()) << services.Boxes.front().text;
    }
    // Runs a loading program of the root as a user would, bounded in time.
    int Run(const fs::path& program, const std::string& arguments, const std::string& env = "") {
        const std::string command = "cd / && VOREL_SYSROOT=" + Quote(dir.Path().string()) +
                                    " LOADER_STUB_LOG=" + Quote(log.string()) + " " + env + " timeout 60 " +
                                    Quote(program.string()) + " " + arguments + " 2>" + Quote(errors.string());
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    StubLog ReadLog() const {
        StubLog result;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            const auto space = line.find(' ');
            result.lines[line.substr(0, space)].push_back(space == std::string::npos ? "" : line.substr(space + 1));
        }
        return result;
    }
    fs::path Host(const std::string& winPath) const { return platform::Files().HostPath(winPath); }
    std::vector<std::string> TempEntries() const {
        std::vector<std::string> names;
        for (const auto& e : platform::Files().FindFiles("C:\\WINDOWS\\TEMP")) names.push_back(e.name);
        return names;
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    platform::TempRootDir scratch;
    fs::path log = scratch.Path() / "stub.log";
    fs::path errors = scratch.Path() / "errors.txt";
};

TEST_F(LoadingProgram, TheBuiltSelfExtractorStartsTheSetupFromAPrivateFolderAndInstalls) {
    ASSERT_EQ(Run(Host("C:\\Dist\\setup.exe"), "extra *todisk"), 0) << HostBytes(errors);
    const StubLog stub = ReadLog();
    const fs::path exe = stub.One("exe");
    // The setup program and its presetup file, alone in a private folder of the root's temporary directory.
    EXPECT_EQ(platform::Files().WinPathOf(exe.parent_path().parent_path()), "C:\\WINDOWS\\TEMP");
    EXPECT_EQ(exe.filename(), "SETUP.EXE");
    EXPECT_EQ(stub.One("cwd"), exe.parent_path().string());
    EXPECT_EQ(stub.One("private"), "1");
    EXPECT_EQ(stub.All("file"), (std::vector<std::string>{"IDAPINST.DLL", "SETUP.EXE"}));
    const std::vector<std::string> args = stub.All("arg");
    EXPECT_EQ(args, (std::vector<std::string>{"-sC:\\Dist", "-esetup.exe", "-c", "extra", "-f"}));
    // The loading program removed the folder after the setup ended.
    EXPECT_FALSE(fs::exists(exe.parent_path()));
    EXPECT_TRUE(TempEntries().empty());

    // Started that way, the install engine installs from the self-extractor.
    TestSetup setup({args[0], args[1], args[2]});
    setup.Install().OwnerFormActivate();
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\VOREL.EXE"), kProgramText);
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Vorel\\Data\\Dados.db"), kDataText);
}

TEST_F(LoadingProgram, APlainLoaderTakesSetup1BesideItAndPassesTheSetupsStatusOn) {
    auto& files = platform::Files();
    files.ForceDirectories("C:\\Disk1");
    ASSERT_TRUE(files.CopyFile("C:\\Tamsel\\TamselLoadProgram.exe", "C:\\Disk1\\setup.exe", false));
    ASSERT_TRUE(files.CopyFile("C:\\Dist\\setup.1", "C:\\Disk1\\setup.1", false));
    ASSERT_TRUE(files.MarkExecutable("C:\\Disk1\\setup.exe"));
    EXPECT_EQ(Run(Host("C:\\Disk1\\setup.exe"), "", "LOADER_STUB_STATUS=3"), 3) << HostBytes(errors);
    EXPECT_EQ(ReadLog().All("arg"), (std::vector<std::string>{"-sC:\\Disk1", "*lsetup.exe", "-c"}));
    EXPECT_TRUE(TempEntries().empty());

    // Without setup.1 there is nothing to start.
    files.DeleteFile("C:\\Disk1\\setup.1");
    EXPECT_EQ(Run(Host("C:\\Disk1\\setup.exe"), ""), 1);
    EXPECT_NE(HostBytes(errors).find("C:\\Disk1\\setup.exe holds no setup archive and no setup.1 lies beside it"),
              std::string::npos);
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(LoadingProgram, ALoaderOutsideTheRootIsRefused) {
    const fs::path outside = scratch.Path() / "setup.exe";
    fs::copy_file(Host("C:\\Dist\\setup.exe"), outside);
    fs::permissions(outside, fs::perms::owner_all);
    EXPECT_EQ(Run(outside, ""), 1);
    EXPECT_NE(HostBytes(errors).find("lies outside the system root"), std::string::npos) << HostBytes(errors);
    EXPECT_FALSE(fs::exists(log));
}

TEST_F(LoadingProgram, AFolderNamedByARestartEntryIsKept) {
    const SetupStart start = UnpackSetup(Host("C:\\Dist\\setup.exe"), {});
    const std::string folder = platform::Files().WinPathOf(start.Folder);
    EXPECT_FALSE(NeededAfterRestart(start.Folder));
    ASSERT_TRUE(AddRunOnceEntry("TamselUnfinished", "\"" + folder + "\\SETUP.EXE\" -r \"-sC:\\Dist\" -c", true));
    EXPECT_TRUE(NeededAfterRestart(start.Folder));
    EXPECT_EQ(start.Arguments, (std::vector<std::string>{"-sC:\\Dist", "-esetup.exe", "-c"}));
}

}  // namespace
}  // namespace installer
