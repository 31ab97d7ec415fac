#include "installer/uninstaller/Uninstaller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/UninstallFiles.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/windows/registry/RegistryStore.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/ShippedLinksSetup.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using namespace installer::testing;
using platform::testing::ErrorOf;

const std::string kKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool";
const std::string kShared = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class Uninstaller : public ::testing::Test {
protected:
    static bool Exists(const std::string& path) { return platform::Files().FileExists(path); }
    static bool Folder(const std::string& path) { return platform::Files().DirectoryExists(path); }
    // Installs files as a setup would have and logs them under the key.
    static void Installed(const std::vector<std::string>& paths, const std::string& subkey = "\\Files") {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (paths[i].size() > 3 && paths[i][1] == ':' && !Folder(paths[i])) WriteRootFile(paths[i], "bytes");
            RegWriteString(4, kKey + subkey, "File" + std::to_string(i + 1), paths[i]);
        }
        RegWriteString(4, kKey + subkey, "Entries", std::to_string(paths.size()));
        RegWriteString(4, kKey, "DisplayName", "Tool");
    }
    // Runs a program with this test's root; its exit status.
    int Run(const std::filesystem::path& program, const std::string& arguments) {
        const std::string command = "VOREL_SYSROOT='" + dir.Path().string() + "' '" + program.string() + "' " +
                                    arguments + " > '" + (dir.Path() / "out.txt").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        output = platform::ReadWholeFile(dir.Path() / "out.txt").value_or("");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    RecordingAppServices services;
    std::string output;
};

TEST_F(Uninstaller, TheInstalledUninstallerRemovesTheShippedProduct) {
    const auto program = platform::ReadWholeFile(std::filesystem::path(VOREL_BIN_DIR) / "uninstall");
    ASSERT_TRUE(program);
    WriteRootFile("C:\\Program Files\\Other\\other.exe", "another product");
    {
        ShippedLinksSetup setup(*program);
        setup.BuildAndRun();
        ASSERT_FALSE(setup.Install().Aborted());
    }
    const std::string product = kProductDir;
    ASSERT_TRUE(Exists(product + "\\Help\\visao_geral.html"));
    ASSERT_TRUE(Exists(std::string(kStartMenuFolder) + "\\Uninstall Vorel Electronics.LNK"));

    // Started by its shortcut, which names no product: it finds its own.
    const std::filesystem::path installed = platform::Files().HostPath(product + "\\Uninstall.exe");
    std::filesystem::permissions(installed, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    EXPECT_EQ(Run(installed, ""), 0) << output;
    EXPECT_NE(output.find("removed " + product + "\\voreled.exe\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Vorel Electronics was removed\n"), std::string::npos) << output;

    EXPECT_FALSE(Folder("C:\\Program Files\\VorelSoft"));
    EXPECT_FALSE(Folder(kStartMenuFolder));
    EXPECT_TRUE(Folder("C:\\WINDOWS\\Startmen\\Programs"));
    EXPECT_TRUE(Exists("C:\\Program Files\\Other\\other.exe"));
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, kProductKey + 1));

    EXPECT_EQ(Run(VOREL_BIN_DIR "/uninstall", "Vorel Electronics"), 1);
    EXPECT_EQ(output, "uninstall: No uninstall information was found for Vorel Electronics\n");
}

TEST_F(Uninstaller, TheProductNameComesFromTheArgumentsJoined) {
    Installed({"C:\\Tools\\Two Words\\a.exe"});
    RegWriteString(4, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Two Words\\Files", "File1",
                   "C:\\Tools\\Two Words\\a.exe");
    RegWriteString(4, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Two Words\\Files", "Entries", "1");
    EXPECT_EQ(Run(VOREL_BIN_DIR "/uninstall", "Two Words"), 0) << output;
    EXPECT_FALSE(Folder("C:\\Tools"));
    EXPECT_TRUE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, kKey.substr(1)));
    EXPECT_EQ(Run(VOREL_BIN_DIR "/uninstall", ""), 1);
    EXPECT_EQ(output, "uninstall: name the product to remove (uninstall PRODUCT NAME)\n");

    // A refused entry is named, and the run does not end as a good one.
    WriteRootFile("C:\\victim.txt", "not the product's");
    Installed({"C:\\Tools\\b.exe", "C:\\Tools\\..\\victim.txt"});
    EXPECT_EQ(Run(VOREL_BIN_DIR "/uninstall", "Tool"), 1);
    for (const char* line : {"removed C:\\Tools\\b.exe\n", "uninstall: refused C:\\Tools\\..\\victim.txt (a path with . or .. elements)\n",
                             "uninstall: Tool was removed except the refused entries\n"})
        EXPECT_NE(output.find(line), std::string::npos) << line << output;
    EXPECT_EQ(output.find("Tool was removed\n"), std::string::npos) << output;
    EXPECT_TRUE(Exists("C:\\victim.txt"));
}

TEST_F(Uninstaller, OnlyWhatTheLogListsGoes) {
    WriteRootFile("C:\\victim.txt", "not the product's");
    Installed({"C:\\Program Files\\Tool\\tool.exe", "C:\\Program Files\\Tool\\Data\\t.db", "C:\\Program Files\\Tool",
               "tool.ini", "C:\\Program Files\\Tool\\gone.txt", "C:\\Program Files\\Tool\\..\\..\\..\\victim.txt",
               "C:\\Program Files\\Tool\\.\\tool.exe", "C:\\Program Files\\Tool\\.. \\...\\victim.txt"});
    platform::Files().DeleteFile("C:\\Program Files\\Tool\\gone.txt");  // removed meanwhile: no error
    WriteRootFile("C:\\Program Files\\Tool\\Data\\mine.db", "the user's own");
    // The program's work folder, with what its session keeps there.
    WriteRootFile("C:\\Program Files\\Tool\\Data\\temp\\keys.checked", "made again at the next start");
    // A count far beyond the values present reads only those.
    RegWriteString(4, kKey + "\\Files", "Entries", "2000000000");
    const UninstallResult result = UninstallProduct("  Tool ");
    EXPECT_EQ(result.removed, (std::vector<std::string>{"C:\\Program Files\\Tool\\tool.exe",
                                                         "C:\\Program Files\\Tool\\Data\\t.db",
                                                         "C:\\Program Files\\Tool\\Data\\temp\\keys.checked",
                                                         "C:\\Program Files\\Tool\\Data\\temp"}));
    EXPECT_EQ(result.kept, (std::vector<std::string>{"C:\\Program Files\\Tool (a folder)", "tool.ini (not a full path)",
                                                      "C:\\Program Files\\Tool\\Data\\mine.db (made since it was installed)"}));
    EXPECT_EQ(result.refused,
              (std::vector<std::string>{"C:\\Program Files\\Tool\\..\\..\\..\\victim.txt (a path with . or .. elements)",
                                        "C:\\Program Files\\Tool\\.\\tool.exe (a path with . or .. elements)",
                                        "C:\\Program Files\\Tool\\.. \\...\\victim.txt (a path with . or .. elements)"}));
    EXPECT_TRUE(Exists("C:\\victim.txt"));
    EXPECT_TRUE(Exists("C:\\Program Files\\Tool\\Data\\mine.db"));
    EXPECT_TRUE(result.keyRemoved);
    EXPECT_TRUE(Folder("C:\\Program Files"));
}

TEST_F(Uninstaller, AFileChangedSinceItWasInstalledStaysWithItsFolder) {
    Installed({"C:\\Tool\\tool.exe", "C:\\Tool\\Data\\Reparos.db", "C:\\Tool\\Data\\DS.db", "C:\\Tool\\Data\\Old.db"});
    for (int i = 1; i <= 3; ++i) {
        const std::string path = RegReadString(4, kKey + "\\Files", "File" + std::to_string(i), "");
        RegWriteString(4, kKey + "\\Files", "Stamp" + std::to_string(i), FileStamp(path));
    }
    RegWriteString(4, kKey + "\\Files", "Stamp4", kFoundStamp);  // there before the install, left alone by it
    WriteRootFile("C:\\Tool\\Data\\Reparos.db", "bytes and a new record");  // another size
    auto& files = platform::Files();
    files.SetFileDateTime("C:\\Tool\\Data\\DS.db", *files.FileDateTime("C:\\Tool\\Data\\DS.db") + 1);  // another time
    const UninstallResult result = UninstallProduct("Tool");
    EXPECT_EQ(result.removed, std::vector<std::string>{"C:\\Tool\\tool.exe"});
    EXPECT_EQ(result.kept, (std::vector<std::string>{"C:\\Tool\\Data\\Reparos.db (changed since it was installed)",
                                                      "C:\\Tool\\Data\\DS.db (changed since it was installed)",
                                                      "C:\\Tool\\Data\\Old.db (it was there before the install)"}));
    EXPECT_EQ(ReadRootFile("C:\\Tool\\Data\\Reparos.db"), "bytes and a new record");
    EXPECT_TRUE(Exists("C:\\Tool\\Data\\DS.db"));
    EXPECT_TRUE(result.keyRemoved);
}

TEST_F(Uninstaller, EmptyFoldersGoUpToTheSystemsOwn) {
    // The last log subkey the installer may write counts too.
    Installed({"C:\\Program Files\\Vendor\\Tool\\bin\\tool.exe", "C:\\WINDOWS\\Startmen\\Programs\\Tool\\Tool.LNK",
               "C:\\WINDOWS\\SYSTEM32\\TOOL.DLL"},
              "\\Files" + std::to_string(kUninstallFilesSubkeys - 1));
    const UninstallResult result = UninstallProduct("Tool");
    EXPECT_FALSE(Folder("C:\\Program Files\\Vendor"));
    EXPECT_FALSE(Folder("C:\\WINDOWS\\Startmen\\Programs\\Tool"));
    for (const char* kept : {"C:\\Program Files", "C:\\WINDOWS\\Startmen\\Programs", "C:\\WINDOWS\\SYSTEM32"})
        EXPECT_TRUE(Folder(kept)) << kept;
    EXPECT_EQ(result.removed.size(), 3u + 3u + 1u);  // files, Vendor's three folders, the menu folder
}

TEST_F(Uninstaller, SharedLibrariesGoWithTheirLastUser) {
    Installed({"C:\\Common\\SHARED.DLL", "C:\\Common\\ALONE.DLL"}, "\\ActiveX");
    RegWriteString(4, kKey + "\\ActiveX", "File1", "C:\\Common\\SHARED.DLL;0");
    // Installed twice by this product, logged in two spellings: each entry counts once.
    Installed({"C:\\Common\\Twice.dll", "C:\\COMMON\\TWICE.DLL"});
    RegWriteInteger(4, kShared, "C:\\Common\\SHARED.DLL", 2);
    RegWriteInteger(4, kShared, "C:\\Common\\ALONE.DLL", 1);
    RegWriteInteger(4, kShared, "C:\\Common\\Twice.dll", 2);
    UninstallResult result = UninstallProduct("Tool");
    EXPECT_TRUE(Exists("C:\\Common\\SHARED.DLL"));
    EXPECT_FALSE(Exists("C:\\Common\\ALONE.DLL"));
    EXPECT_FALSE(Exists("C:\\Common\\Twice.dll"));
    EXPECT_EQ(RegReadInteger(4, kShared, "C:\\Common\\SHARED.DLL", -1), 1);
    EXPECT_EQ(RegReadInteger(4, kShared, "C:\\Common\\ALONE.DLL", -1), -1);
    EXPECT_EQ(RegReadInteger(4, kShared, "C:\\Common\\Twice.dll", -1), -1);
    EXPECT_EQ(result.kept, std::vector<std::string>{"C:\\Common\\SHARED.DLL (shared with other programs)"});
}

TEST_F(Uninstaller, AFileInUseKeepsTheKeyForTheNextRun) {
    Installed({"C:\\Tool\\a.exe", "C:\\Tool\\b.dll", "C:\\Tool\\c.txt", "C:\\Common\\SHARED.DLL"});
    RegWriteInteger(4, kShared, "C:\\Common\\SHARED.DLL", 3);
    root.Root().Facts().SetInUse("C:\\Tool\\b.dll", true);
    UninstallResult result = UninstallProduct("Tool");
    EXPECT_EQ(result.failed, std::vector<std::string>{"C:\\Tool\\b.dll"});
    EXPECT_FALSE(result.keyRemoved);
    EXPECT_FALSE(Exists("C:\\Tool\\a.exe"));
    EXPECT_EQ(RegReadInteger(4, kShared, "C:\\Common\\SHARED.DLL", -1), 2);
    root.Root().Facts().SetInUse("C:\\Tool\\b.dll", false);
    result = UninstallProduct("Tool");
    EXPECT_EQ(result.removed, (std::vector<std::string>{"C:\\Tool\\b.dll", "C:\\Tool"}));
    EXPECT_TRUE(result.keyRemoved);
    // The second run counted the shared library down no further.
    EXPECT_EQ(RegReadInteger(4, kShared, "C:\\Common\\SHARED.DLL", -1), 2);
}

TEST_F(Uninstaller, NamesThatAreNoProduct) {
    Installed({"C:\\Tool\\a.exe"});
    EXPECT_EQ(ErrorOf([] { UninstallProduct("Other"); }), "No uninstall information was found for Other");
    EXPECT_EQ(ErrorOf([] { UninstallProduct("   "); }), "\"   \" is not the name of an installed product");
    EXPECT_EQ(ErrorOf([] { UninstallProduct("Tool\\..\\Tool"); }),
              "\"Tool\\..\\Tool\" is not the name of an installed product");
    EXPECT_TRUE(Exists("C:\\Tool\\a.exe"));
    EXPECT_EQ(FindProductListing("c:\\tool\\A.EXE"), "Tool");
    EXPECT_EQ(FindProductListing("C:\\Tool\\b.exe"), "");

    // A hive damaged at its tail is named with its line; nothing is removed.
    const std::filesystem::path hive = dir.Path() / "HKLM.reg";
    const std::string damaged = platform::ReadWholeFile(hive).value() + "\"Tail\"=\"no closing quote\r\n";
    platform::WriteFileAtomically(hive, damaged);
    const int line = static_cast<int>(std::count(damaged.begin(), damaged.end(), '\n'));
    const std::string why = "The registry file " + hive.string() + " cannot be read: line " + std::to_string(line) +
                            ": a quoted text is not closed";
    EXPECT_EQ(ErrorOf([] { UninstallProduct("Tool"); }), why);
    EXPECT_EQ(Run(VOREL_BIN_DIR "/uninstall", "Tool"), 1);
    EXPECT_EQ(output, "uninstall: " + why + "\n");
    EXPECT_TRUE(Exists("C:\\Tool\\a.exe"));
    EXPECT_EQ(platform::ReadWholeFile(hive).value(), damaged);
}

}  // namespace
}  // namespace installer
