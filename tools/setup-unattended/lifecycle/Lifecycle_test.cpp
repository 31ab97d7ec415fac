// The product's life on one root: installed, worked with, installed again,
// uninstalled. Each step is checked on the whole root (its registry and
// files as sysroot-dump shows them) against the root before the first install.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

#include "platform/core/hostio/HostIo.h"
#include "platform/tables/Table.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "testkit/files/TempDir.h"
#include "tools/setup-unattended/run/Unattended.h"
#include "tools/sysroot-dump/RootDump.h"

namespace {

namespace fs = std::filesystem;

const std::string kProduct = unattended::kProductDir;
constexpr auto kMachine = platform::RegRoot::LocalMachine;
const std::string kEngineDir = "C:\\Program Files\\Borland\\Common Files\\BDE";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The root as sysroot-dump shows it (registry, then files), less the setup
// program's own bookkeeping: its records of builds and runs and its order logs.
std::string Dump(const fs::path& root) {
    bool damaged = false;
    const std::string dump = platform::DumpRegistry(root, damaged) + platform::DumpFiles(root);
    EXPECT_FALSE(damaged);
    std::string kept;
    for (const std::string& line : Lines(dump))
        if (line.find("\\SOFTWARE\\Tamsel") == std::string::npos && line.rfind("C:\\WINDOWS\\Tmsl", 0) != 0)
            kept += line + "\n";
    return kept;
}

// The lines of one dump that the other lacks.
std::vector<std::string> Beyond(const std::string& dump, const std::string& other) {
    const std::vector<std::string> theirs = Lines(other);
    std::vector<std::string> extra;
    for (const std::string& line : Lines(dump))
        if (std::find(theirs.begin(), theirs.end(), line) == theirs.end()) extra.push_back(line);
    return extra;
}

std::string Problems(const unattended::Outcome& o) {
    std::string text;
    for (const auto& p : o.problems) text += p + "\n";
    return text;
}

class Lifecycle : public ::testing::Test {
protected:
    // The distribution laid out and packed: the root before any install.
    void SetUp() override {
        options.startProgram = false;
        options.buildOnly = true;
        ASSERT_TRUE(unattended::RunUnattended(options).Good());
        options.buildOnly = false;
        // The start menu's folders and the machine's software key, as every
        // Windows has them.
        platform::ScopedSystemRoot here(dir.Path());
        platform::Files().ForceDirectories("C:\\WINDOWS\\Startmen\\Programs");
        platform::Registry().CreateKey(platform::RegRoot::LocalMachine, "SOFTWARE");
        before = Dump(dir.Path());
    }
    void Install() {
        // The distribution is staged anew each run: its sample tables are
        // written afresh, and the install library, still loaded from the last
        // run, is replaced by a new file instead of being written over.
        fs::remove_all(dir.Path() / "drive_c" / "build" / "voreled");
        for (const char* library : {"D:\\SETUP\\IDAPINST.DLL", "C:\\Arquivos de Programas\\Tamsel32\\Version40\\IDAPINST.DLL"}) {
            platform::ScopedSystemRoot here(dir.Path());
            fs::remove(platform::Files().HostPath(library));
        }
        const unattended::Outcome outcome = unattended::RunUnattended(options);
        ASSERT_TRUE(outcome.Good()) << Problems(outcome);
    }
    // Runs the installed uninstaller; its exit status.
    int Uninstall(const std::string& product = "Vorel Electronics") {
        const fs::path program = platform::ScopedSystemRoot(dir.Path()).Root().Files().HostPath(kProduct + "\\Uninstall.exe");
        fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
        const fs::path out = dir.Path().parent_path() / (dir.Path().filename().string() + ".out");
        const std::string command = "VOREL_SYSROOT='" + dir.Path().string() + "' '" + program.string() + "' " +
                                    product + " > '" + out.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        output = platform::ReadWholeFile(out).value_or("");
        fs::remove(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    platform::SystemRoot& Root() { return scoped->Root(); }
    void Enter() { scoped.emplace(dir.Path()); }
    void Leave() { scoped.reset(); }
    // The repair table's records: "maker|equipment|model|defect".
    std::vector<std::string> Repairs() {
        platform::TTable table;
        table.DatabaseName = Root().Files().HostPath(kProduct + "\\Data").string();
        table.TableName = "Reparos.db";
        table.Open();
        std::vector<std::string> records;
        for (table.First(); !table.Eof(); table.Next())
            records.push_back(table.FieldByName("Fabricante").AsString() + "|" + table.FieldByName("Equipamento").AsString() +
                              "|" + table.FieldByName("Modelo").AsString() + "|" + table.FieldByName("Defeito").AsString());
        table.Close();
        return records;
    }
    void AddRepair() {
        platform::TTable table;
        table.DatabaseName = Root().Files().HostPath(kProduct + "\\Data").string();
        table.TableName = "Reparos.db";
        table.Open();
        table.Append();
        table.FieldByName("Fabricante").SetAsString("Semp");
        table.FieldByName("Equipamento").SetAsString("TV");
        table.FieldByName("Modelo").SetAsString("TS-2030");
        table.FieldByName("Defeito").SetAsString("No picture, sound ok");
        table.Post();
        table.Close();
    }

    platform::TempRootDir dir;
    unattended::Options options = unattended::DefaultOptions(dir.Path());
    std::optional<platform::ScopedSystemRoot> scoped;
    std::string before;
    std::string output;
};

TEST_F(Lifecycle, TheUsersWorkOutlivesAReinstallAndTheUninstallLeavesOnlyIt) {
    ASSERT_NO_FATAL_FAILURE(Install());
    Enter();
    AddRepair();
    const std::vector<std::string> repairs = Repairs();
    const std::string ini = kProduct + "\\vorel.ini";
    const fs::path iniHost = Root().Files().HostPath(ini);
    std::string settings = platform::ReadWholeFile(iniHost).value_or("");
    settings += "[Proxy]\r\nHost=proxy.shop.local\r\n";
    platform::WriteFileAtomically(iniHost, settings);
    // A shipped text edited in the program's editor, and the user's own
    // folders named like a scratch folder.
    const std::string text = kProduct + "\\Library\\testing_transistors.rtf";
    const std::string edited = "{\\rtf1\\ansi My notes on testing transistors.\\par}";
    platform::WriteFileAtomically(Root().Files().HostPath(text), edited);
    const std::vector<std::pair<std::string, std::string>> own = {
        {kProduct + "\\Library\\Temp\\trabalho.rtf", "{\\rtf1 trabalho}"},
        {kProduct + "\\Meus Temp\\temp\\orcamento.txt", "orcamento"}};
    for (const auto& [path, bytes] : own) {
        Root().Files().ForceDirectories(platform::ExtractFileDir(path));
        platform::WriteFileAtomically(Root().Files().HostPath(path), bytes);
    }
    Leave();

    // Installed again over it (the program started afterwards as a user would).
    options.startProgram = true;
    ASSERT_NO_FATAL_FAILURE(Install());
    Enter();
    EXPECT_EQ(Repairs(), repairs);
    EXPECT_NE(std::find(repairs.begin(), repairs.end(), "Semp|TV|TS-2030|No picture, sound ok"), repairs.end());
    EXPECT_EQ(platform::ReadWholeFile(iniHost), settings);
    EXPECT_EQ(platform::ReadWholeFile(Root().Files().HostPath(text)), edited);
    Leave();

    EXPECT_EQ(Uninstall(), 0) << output;
    for (const std::string& kept : {kProduct + "\\Data\\Reparos.db", ini})
        EXPECT_NE(output.find("kept " + kept + " (changed since it was installed)\n"), std::string::npos) << output;
    for (const auto& [path, bytes] : own)
        EXPECT_NE(output.find("kept " + path + " (made since it was installed)\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Vorel Electronics was removed\n"), std::string::npos) << output;

    // The root is as before the first install, but for the user's own work
    // and the folders that hold it; the engine went with the product.
    const std::string after = Dump(dir.Path());
    EXPECT_EQ(Beyond(before, after), std::vector<std::string>{}) << after;
    const std::vector<std::string> left = Beyond(after, before);
    ASSERT_EQ(left.size(), 12u) << ::testing::PrintToString(left);
    EXPECT_EQ(left[0], "C:\\Program Files\\VorelSoft\\");
    EXPECT_EQ(left[1], kProduct + "\\");
    EXPECT_EQ(left[2], kProduct + "\\Data\\");
    EXPECT_EQ(left[3].rfind(kProduct + "\\Data\\Reparos.db  ", 0), 0u);
    EXPECT_EQ(left[4], kProduct + "\\Library\\");
    EXPECT_EQ(left[5], kProduct + "\\Library\\Temp\\");
    EXPECT_EQ(left[7], text + "  " + std::to_string(edited.size()));
    EXPECT_EQ(left[11], kProduct + "\\vorel.ini  " + std::to_string(settings.size()));
    Enter();
    EXPECT_EQ(Repairs(), repairs);
    EXPECT_EQ(platform::ReadWholeFile(iniHost), settings);
    EXPECT_EQ(platform::ReadWholeFile(Root().Files().HostPath(text)), edited);
    for (const auto& [path, bytes] : own) EXPECT_EQ(platform::ReadWholeFile(Root().Files().HostPath(path)), bytes) << path;
}

// Another product that installed the same engine, as its setup leaves the
// registry: one more use of the engine and of each engine file, and its own
// log of them.
void AnotherProductUsesTheEngine(const std::string& name) {
    platform::RegistryStore& registry = platform::Registry();
    const std::string shared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const std::string log = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name;
    registry.CreateKey(kMachine, log + "\\Files");
    registry.CreateKey(kMachine, log + "\\BDE");
    int n = 0;
    for (const std::string& file : registry.ValueNames(kMachine, shared)) {
        if (file.rfind(kEngineDir + "\\", 0) != 0) continue;
        registry.WriteInteger(kMachine, shared, file, *registry.ReadInteger(kMachine, shared, file) + 1);
        registry.WriteString(kMachine, log + "\\Files", "File" + std::to_string(++n), file);
    }
    ASSERT_GT(n, 10);
    registry.WriteString(kMachine, log + "\\Files", "Entries", std::to_string(n));
    registry.WriteString(kMachine, log + "\\BDE", "Entries", "1");
    const std::string engine = "Software\\Borland\\Database Engine";
    registry.WriteString(kMachine, engine, "UseCount",
                         std::to_string(std::stoi(*registry.ReadString(kMachine, engine, "UseCount")) + 1));
}

TEST_F(Lifecycle, TheEngineStaysWhileAnotherProductUsesItAndGoesWithTheLast) {
    ASSERT_NO_FATAL_FAILURE(Install());
    Enter();
    ASSERT_NO_FATAL_FAILURE(AnotherProductUsesTheEngine("Other Shop"));
    const std::string config = *platform::Registry().ReadString(platform::RegRoot::LocalMachine,
                                                                "Software\\Borland\\Database Engine", "CONFIGFILE01");
    Leave();

    EXPECT_EQ(Uninstall(), 0) << output;
    Enter();
    auto& files = Root().Files();
    EXPECT_FALSE(files.FileExists(kProduct + "\\voreled.exe"));
    for (const char* engineFile : {"IDAPI32.DLL", "IDPDX32.DLL", "USA.BLL"})
        EXPECT_TRUE(files.FileExists(kEngineDir + "\\" + engineFile)) << engineFile;
    EXPECT_TRUE(files.FileExists(config));
    platform::RegistryStore& registry = platform::Registry();
    const std::string engine = "Software\\Borland\\Database Engine";
    EXPECT_EQ(registry.ReadString(platform::RegRoot::LocalMachine, engine, "UseCount"), "1");
    EXPECT_TRUE(registry.ReadString(platform::RegRoot::LocalMachine, engine, "DLLPATH").has_value());
    EXPECT_TRUE(registry.ReadString(platform::RegRoot::LocalMachine, "Software\\Borland\\BLW32", "LOCALE_LIB1").has_value());
    // The program still finds its engine's library through DLLPATH.
    const std::string dllPath = *registry.ReadString(platform::RegRoot::LocalMachine, engine, "DLLPATH");
    EXPECT_TRUE(files.FileExists(dllPath.substr(0, dllPath.find(';')) + "\\IDAPI32.DLL"));
    Leave();

    // The other product's own uninstall takes the rest: the root is as before.
    const fs::path program = dir.Path() / "uninstall-copy";
    fs::copy_file(fs::path(VOREL_BIN_DIR) / "uninstall", program);
    const std::string command = "VOREL_SYSROOT='" + dir.Path().string() + "' '" + program.string() + "' Other Shop";
    EXPECT_EQ(std::system(command.c_str()), 0);
    fs::remove(program);
    const std::string after = Dump(dir.Path());
    EXPECT_EQ(Beyond(before, after), std::vector<std::string>{}) << after;
    EXPECT_EQ(Beyond(after, before), std::vector<std::string>{}) << after;
}

// An engine another product registered, whose count no number holds and
// whose configuration is named like the template: the install merges into
// that file and counts the other user; the uninstall leaves the engine, its
// file found there and the user's alias.
TEST_F(Lifecycle, AnEngineRegisteredBeforeKeepsItsConfigurationAndStaysAfterTheUninstall) {
    const std::string engine = "Software\\Borland\\Database Engine";
    const std::string config = "C:\\BDE\\IDAPI32.CNF";
    const std::string alias = "[Databases\\SHOP\\DB INFO]\r\nTYPE=STANDARD\r\nPATH=C:\\Shop\r\n";
    Enter();
    platform::RegistryStore& registry = platform::Registry();
    registry.CreateKey(kMachine, engine);
    registry.WriteString(kMachine, engine, "DLLPATH", "C:\\BDE");
    registry.WriteString(kMachine, engine, "CONFIGFILE01", config);
    registry.WriteString(kMachine, engine, "RESOURCE", "0009");
    registry.WriteString(kMachine, engine, "UseCount", "two");
    Root().Files().ForceDirectories("C:\\BDE");
    platform::WriteFileAtomically(Root().Files().HostPath(config), alias);
    platform::WriteFileAtomically(Root().Files().HostPath("C:\\BDE\\BLW32.DLL"), "the other product's engine");
    Leave();

    ASSERT_NO_FATAL_FAILURE(Install());
    Enter();
    EXPECT_EQ(platform::ReadWholeFile(Root().Files().HostPath(config)).value_or("").rfind(alias, 0), 0u);
    EXPECT_EQ(platform::Registry().ReadString(kMachine, engine, "CONFIGFILE01"), config);
    EXPECT_EQ(platform::Registry().ReadString(kMachine, engine, "UseCount"), "2");
    Leave();

    EXPECT_EQ(Uninstall(), 0) << output;
    Enter();
    EXPECT_EQ(platform::ReadWholeFile(Root().Files().HostPath(config)).value_or("").rfind(alias, 0), 0u);
    EXPECT_EQ(platform::Registry().ReadString(kMachine, engine, "UseCount"), "1");
    EXPECT_EQ(platform::Registry().ReadString(kMachine, engine, "DLLPATH"), "C:\\BDE");
    EXPECT_TRUE(Root().Files().FileExists("C:\\BDE\\BLW32.DLL"));
    EXPECT_FALSE(Root().Files().FileExists(kProduct + "\\voreled.exe"));
}

}  // namespace
