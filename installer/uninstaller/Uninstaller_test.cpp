#include "installer/uninstaller/Uninstaller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

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
const std::string kEngine = "\\Software\\Borland\\Database Engine";
const std::string kOther = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other";
const std::vector<std::string> kEngineFiles = {"C:\\BDE\\IDAPI32.DLL", "C:\\BDE\\IDPDX32.DLL", "C:\\BDE\\USA.BLL"};

std::string ExportRegistry() { return platform::Registry().ExportText(platform::RegRoot::LocalMachine); }

// The whole root: the machine's registry, then every file with its bytes.
std::string RootText(const std::filesystem::path& root) {
    std::string text = ExportRegistry();
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).string();
        if (name == "HKLM.reg" || name == "out.txt") continue;
        files.push_back(name + (entry.is_directory() ? "/" : " = " + platform::ReadWholeFile(entry.path()).value_or("")));
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) text += file + "\n";
    return text;
}

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

// This product and another one both installed the database engine and its
// files (as their setups leave the registry); the engine's merged
// configuration is as the last install left it.
void TwoProductsShareTheEngine() {
    std::vector<std::string> tool = kEngineFiles;
    tool.insert(tool.end(), {"C:\\Tool\\tool.exe", "C:\\Tool\\Data\\t.db"});
    for (std::size_t i = 0; i < tool.size(); ++i) {
        WriteRootFile(tool[i], "bytes of " + tool[i]);
        RegWriteString(4, kKey + "\\Files", "File" + std::to_string(i + 1), tool[i]);
        RegWriteString(4, kKey + "\\Files", "Stamp" + std::to_string(i + 1), FileStamp(tool[i]));
    }
    RegWriteString(4, kKey + "\\Files", "Entries", std::to_string(tool.size()));
    for (std::size_t i = 0; i < kEngineFiles.size(); ++i) {
        RegWriteInteger(4, kShared, kEngineFiles[i], 2);
        RegWriteString(4, kOther + "\\Files", "File" + std::to_string(i + 1), kEngineFiles[i]);
    }
    RegWriteString(4, kOther + "\\Files", "Entries", std::to_string(kEngineFiles.size()));
    WriteRootFile("C:\\BDE\\IDAPI32.CFG", "[Databases\\SHOP\\DB INFO]\r\nPATH=C:\\Shop\r\n",
                  platform::EncodeDateTime(2020, 5, 1, 12, 0, 0));
    RegWriteString(4, kEngine, "DLLPATH", "C:\\BDE");
    RegWriteString(4, kEngine, "CONFIGFILE01", "C:\\BDE\\IDAPI32.CFG");
    RegWriteString(4, kEngine, "ConfigStamp", FileStamp("C:\\BDE\\IDAPI32.CFG"));
    RegWriteString(4, kEngine, "UseCount", "2");
    for (const std::string& key : {kKey, kOther}) RegWriteString(4, key + "\\BDE", "Entries", "1");
}

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
    // The program's work folder, by its exact path beside the registered
    // uninstaller, with what its session keeps there; folders the user named
    // Temp keep what they hold.
    RegWriteString(4, kKey, "UninstallString", "C:\\Program Files\\Tool\\uninstall.exe Tool");
    WriteRootFile("C:\\Program Files\\Tool\\Data\\temp\\keys.checked", "made again at the next start");
    WriteRootFile("C:\\Program Files\\Tool\\Library\\Temp\\trabalho.rtf", "the user's text");
    WriteRootFile("C:\\Program Files\\Tool\\Meus Temp\\temp\\orcamento.txt", "the user's budget");
    WriteRootFile("C:\\Program Files\\Tool\\Data\\Old\\temp\\notes.txt", "the user's notes");
    const UninstallResult result = UninstallProduct("  Tool ");
    EXPECT_EQ(result.removed, (std::vector<std::string>{"C:\\Program Files\\Tool\\tool.exe",
                                                         "C:\\Program Files\\Tool\\Data\\t.db",
                                                         "C:\\Program Files\\Tool\\Data\\temp\\keys.checked",
                                                         "C:\\Program Files\\Tool\\Data\\temp"}));
    EXPECT_EQ(result.kept,
              (std::vector<std::string>{"C:\\Program Files\\Tool (a folder)", "tool.ini (not a full path)",
                                        "C:\\Program Files\\Tool\\Data\\mine.db (made since it was installed)",
                                        "C:\\Program Files\\Tool\\Data\\Old\\temp\\notes.txt (made since it was installed)",
                                        "C:\\Program Files\\Tool\\Library\\Temp\\trabalho.rtf (made since it was installed)",
                                        "C:\\Program Files\\Tool\\Meus Temp\\temp\\orcamento.txt (made since it was installed)"}));
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Tool\\Library\\Temp\\trabalho.rtf"), "the user's text");
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Tool\\Meus Temp\\temp\\orcamento.txt"), "the user's budget");
    EXPECT_EQ(ReadRootFile("C:\\Program Files\\Tool\\Data\\Old\\temp\\notes.txt"), "the user's notes");
    EXPECT_EQ(result.refused,
              (std::vector<std::string>{"C:\\Program Files\\Tool\\..\\..\\..\\victim.txt (a path with . or .. elements)",
                                        "C:\\Program Files\\Tool\\.\\tool.exe (a path with . or .. elements)",
                                        "C:\\Program Files\\Tool\\.. \\...\\victim.txt (a path with . or .. elements)"}));
    EXPECT_TRUE(Exists("C:\\victim.txt"));
    EXPECT_TRUE(Exists("C:\\Program Files\\Tool\\Data\\mine.db"));
    EXPECT_TRUE(result.keyRemoved);
    EXPECT_TRUE(Folder("C:\\Program Files"));
}

// A count far beyond the values present reads only those. Run in a child
// with a deadline of its own: a reader that believed the count would go on
// for hours instead of failing.
TEST_F(Uninstaller, ALogCountBeyondTheValuesPresentReadsOnlyThem) {
    Installed({"C:\\Tool\\tool.exe", "C:\\Tool\\help.txt"});
    RegWriteString(4, kKey + "\\Files", "Entries", "2147483646");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);
        try {
            const UninstallResult result = UninstallProduct("Tool");
            ::_exit(result.keyRemoved && result.removed.size() == 3 ? 0 : 1);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "the uninstall did not end within its deadline";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(Folder("C:\\Tool"));
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, kKey.substr(1)));
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

// An uninstall killed at any of its registry saves and started again leaves
// the root exactly as one run would: the other product's files, their counts
// and the engine's use count lowered once. The other product's uninstall
// then takes the engine, its registration and its unchanged configuration.
TEST_F(Uninstaller, AKilledUninstallStartedAgainCountsEverythingOffOnce) {
    std::string once;
    {
        platform::TempRootDir other;
        platform::ScopedSystemRoot here(other.Path());
        TwoProductsShareTheEngine();
        const UninstallResult result = UninstallProduct("Tool");
        EXPECT_TRUE(result.keyRemoved);
        EXPECT_TRUE(result.failed.empty()) << ::testing::PrintToString(result.failed);
        once = RootText(other.Path());
        for (const std::string& file : kEngineFiles) {
            EXPECT_EQ(ReadRootFile(file), "bytes of " + file);
            EXPECT_EQ(RegReadInteger(4, kShared, file, -1), 1) << file;
        }
        EXPECT_EQ(RegReadString(4, kEngine, "UseCount", ""), "1");
        EXPECT_FALSE(Exists("C:\\Tool\\tool.exe"));

        const UninstallResult last = UninstallProduct("Other");
        for (const std::string& file : kEngineFiles) EXPECT_FALSE(Exists(file)) << file;
        EXPECT_FALSE(Exists("C:\\BDE\\IDAPI32.CFG"));
        EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, kEngine.substr(1)));
        EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, kShared.substr(1)));
    }
    int kills = 0;
    for (int n = 1;; ++n) {
        platform::TempRootDir other;
        platform::ScopedSystemRoot here(other.Path());
        TwoProductsShareTheEngine();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int saves = 0;
            platform::RegistryStore::SetBeforeSave([&](const std::filesystem::path&) {
                if (++saves == n) ::_exit(9);
            });
            try {
                UninstallProduct("Tool");
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 0) break;  // no save left to be killed at
        ASSERT_EQ(WEXITSTATUS(status), 9);
        ++kills;
        const UninstallResult rerun = UninstallProduct("Tool");
        EXPECT_TRUE(rerun.keyRemoved) << "killed at save " << n;
        EXPECT_EQ(RootText(other.Path()), once) << "killed at save " << n;
    }
    EXPECT_GE(kills, 5);
}

// A full disk: nothing the registry had to record is recorded, so no shared
// file goes, every entry stays for a later run, and the run is no good one.
// The engine configuration the user changed stays when the engine goes.
TEST_F(Uninstaller, WritesThatFailLeaveTheSharedFilesAndTheLogForTheNextRun) {
    TwoProductsShareTheEngine();
    // The other product gone already.
    RegDeleteKeyTree(4, kOther);
    RegWriteString(4, kEngine, "UseCount", "1");
    for (const std::string& file : kEngineFiles) RegWriteInteger(4, kShared, file, 1);
    const std::string before = ExportRegistry();
    platform::Registry().FailWritesAt(platform::RegRoot::LocalMachine, "");
    UninstallResult result = UninstallProduct("Tool");
    EXPECT_FALSE(result.keyRemoved);
    std::vector<std::string> failed;
    for (const std::string& file : kEngineFiles) failed.push_back(file + " (its shared count could not be lowered)");
    failed.push_back("the product's use of the database engine (its use count could not be lowered)");
    failed.push_back("the entries done from the uninstall log of Tool (the registry could not be written)");
    EXPECT_EQ(result.failed, failed);
    for (const std::string& file : kEngineFiles) EXPECT_EQ(ReadRootFile(file), "bytes of " + file);
    EXPECT_TRUE(Exists("C:\\BDE\\IDAPI32.CFG"));
    EXPECT_FALSE(Exists("C:\\Tool\\tool.exe"));  // no count: nothing to record
    EXPECT_EQ(ExportRegistry(), before);

    platform::Registry().ClearWriteFailures();
    WriteRootFile("C:\\BDE\\IDAPI32.CFG", "[Databases\\MINE\\DB INFO]\r\nPATH=C:\\Mine\r\n");
    result = UninstallProduct("Tool");
    EXPECT_TRUE(result.keyRemoved);
    for (const std::string& file : kEngineFiles) EXPECT_FALSE(Exists(file)) << file;
    EXPECT_EQ(ReadRootFile("C:\\BDE\\IDAPI32.CFG"), "[Databases\\MINE\\DB INFO]\r\nPATH=C:\\Mine\r\n");
    EXPECT_NE(std::find(result.kept.begin(), result.kept.end(), "C:\\BDE\\IDAPI32.CFG (changed since it was installed)"),
              result.kept.end());
    EXPECT_EQ(RegReadString(4, kEngine, "DLLPATH", "gone"), "gone");
}

// The engine's count is taken off once even when a file in use keeps the
// product's key for another run; an unreadable count keeps the engine.
TEST_F(Uninstaller, TheEngineIsCountedOffOnceAndStaysWhenItsCountCannotBeRead) {
    TwoProductsShareTheEngine();
    RegWriteString(4, kEngine, "UseCount", "3");
    root.Root().Facts().SetInUse("C:\\Tool\\tool.exe", true);
    EXPECT_FALSE(UninstallProduct("Tool").keyRemoved);
    EXPECT_EQ(RegReadString(4, kEngine, "UseCount", ""), "2");
    root.Root().Facts().SetInUse("C:\\Tool\\tool.exe", false);
    EXPECT_TRUE(UninstallProduct("Tool").keyRemoved);
    EXPECT_EQ(RegReadString(4, kEngine, "UseCount", ""), "2");

    RegWriteString(4, kEngine, "UseCount", "two");
    const UninstallResult result = UninstallProduct("Other");
    EXPECT_EQ(RegReadString(4, kEngine, "DLLPATH", ""), "C:\\BDE");
    EXPECT_EQ(RegReadString(4, kEngine, "UseCount", ""), "two");
    EXPECT_TRUE(Exists("C:\\BDE\\IDAPI32.CFG"));
    EXPECT_NE(std::find(result.kept.begin(), result.kept.end(), "the database engine (its use count cannot be read)"),
              result.kept.end());
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
