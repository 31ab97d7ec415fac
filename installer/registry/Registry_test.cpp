#include <gtest/gtest.h>

#include <set>

#include "installer/registry/ComponentNames.h"
#include "installer/registry/InstallInformation.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/registry/TmslRegistry.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

using namespace installer;
using platform::RegRoot;

namespace {

struct RoutinesFixture : ::testing::Test {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    platform::RegistryStore& store = platform::Registry();

    template <typename F>
    std::string writeError(F f) {
        try {
            f();
        } catch (const EIRCannotWriteValue& e) {
            return e.Message();
        }
        return "<no error>";
    }
};

constexpr int kHKLM = 4;
constexpr int kHKCU = 2;

}  // namespace

TEST_F(RoutinesFixture, AbsoluteKeysGoBelowTheRootRelativeOnesBelowTheOpenKey) {
    TtmslRegistry reg;
    reg.SetRootKey(RegRoot::LocalMachine);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Tamsel", true));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tamsel");
    ASSERT_TRUE(reg.OpenKey("Install", true));
    EXPECT_EQ(reg.CurrentKey(), "SOFTWARE\\Tamsel\\Install");
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tamsel\\Install");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft", true));  // not below the open key
    EXPECT_EQ(reg.CurrentKey(), "Software\\Microsoft");
    EXPECT_FALSE(store.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Tamsel\\Install\\Software"));
    EXPECT_TRUE(reg.KeyExists("\\software\\tamsel\\install"));
    EXPECT_FALSE(reg.KeyExists("Install"));  // relative to Software\Microsoft
    EXPECT_FALSE(reg.OpenKey("\\Missing", false));
    EXPECT_EQ(reg.CurrentKey(), "Software\\Microsoft");  // a failed open keeps the key
    EXPECT_TRUE(reg.OpenKey("", true));                   // empty text: the open key itself
    EXPECT_EQ(reg.CurrentKey(), "Software\\Microsoft");
    EXPECT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE"));
    EXPECT_THROW(reg.WriteString("x", "y"), platform::ERegistryException);
}

TEST_F(RoutinesFixture, OneCallReadsAndWrites) {
    RegWriteString(kHKLM, "\\SOFTWARE\\Tamsel\\Install\\Rec", "Path", "C:\\Program Files\\VorelSoft");
    RegWriteInteger(kHKLM, "\\SOFTWARE\\Tamsel\\Install\\Rec", "Size", 4096);
    EXPECT_EQ(RegReadString(kHKLM, "\\software\\tamsel\\install\\rec", "PATH", "d"), "C:\\Program Files\\VorelSoft");
    EXPECT_EQ(RegReadInteger(kHKLM, "\\SOFTWARE\\Tamsel\\Install\\Rec", "size", -1), 4096);
    // Missing key, missing value and a value of the other type give the default.
    EXPECT_EQ(RegReadString(kHKLM, "\\SOFTWARE\\Nothing", "Path", "d"), "d");
    EXPECT_EQ(RegReadString(kHKLM, "\\SOFTWARE\\Tamsel\\Install\\Rec", "Nope", "d"), "d");
    EXPECT_EQ(RegReadString(kHKLM, "\\SOFTWARE\\Tamsel\\Install\\Rec", "Size", "d"), "d");
    EXPECT_EQ(RegReadInteger(kHKLM, "\\SOFTWARE\\Tamsel\\Install\\Rec", "Path", -1), -1);
    EXPECT_EQ(RegReadInteger(kHKLM, "\\SOFTWARE\\Nothing", "Size", -2), -2);
    // Root numbers: only the low 7 bits count; unknown numbers leave the root as it was (HKCU).
    RegWriteString(0x80 | kHKCU, "\\Software\\Vorel", "Lang", "de");
    EXPECT_TRUE(store.KeyExists(RegRoot::CurrentUser, "Software\\Vorel"));
    RegWriteString(9, "\\Software\\Nine", "v", "1");
    EXPECT_TRUE(store.KeyExists(RegRoot::CurrentUser, "Software\\Nine"));
    EXPECT_EQ(RegReadString(9, "\\Software\\Nine", "v", "d"), "1");
    EXPECT_EQ(RootKeyFromHKEY(HKEY_LOCAL_MACHINE, -1), 4);
    EXPECT_EQ(RootKeyFromHKEY(HKEY_CURRENT_CONFIG, -1), 1);
    EXPECT_EQ(RootKeyFromHKEY(HKEY_DYN_DATA, -1), 3);
    EXPECT_EQ(RootKeyFromHKEY(0x80000004u, -1), -1);
    EXPECT_EQ(RootKeyFromHKEY(0, 7), 7);
}

TEST_F(RoutinesFixture, FailedWritesRaiseWithTheirTexts) {
    store.FailWritesAt(RegRoot::LocalMachine, "SOFTWARE\\Locked");
    // The key cannot be created...
    EXPECT_EQ(writeError([] { RegWriteString(kHKLM, "\\SOFTWARE\\Locked\\Sub", "Ident", "Value"); }),
              "Cannot install into registry. Key: \\SOFTWARE\\Locked\\Sub Ident: Ident Value Value");
    EXPECT_EQ(writeError([] { RegWriteInteger(kHKLM, "\\SOFTWARE\\Locked", "n", 1); }), "\\SOFTWARE\\Locked");
    // ...or it exists and the value cannot be written.
    store.ClearWriteFailures();
    RegWriteString(kHKLM, "\\SOFTWARE\\Locked", "v", "old");
    store.FailWritesAt(RegRoot::LocalMachine, "SOFTWARE\\Locked");
    EXPECT_EQ(writeError([] { RegWriteString(kHKLM, "\\SOFTWARE\\Locked", "v", "100% %s %d"); }),
              "Cannot install into registry. Key: \\SOFTWARE\\Locked Ident: v Value 100% %s %d");
    EXPECT_EQ(writeError([] { RegWriteInteger(kHKLM, "\\SOFTWARE\\Locked", "n", 2); }), "\\SOFTWARE\\Locked");
    EXPECT_EQ(RegReadString(kHKLM, "\\SOFTWARE\\Locked", "v", "d"), "old");
    // The empty roots refuse every write.
    EXPECT_EQ(writeError([] { RegWriteInteger(5, "\\.DEFAULT", "n", 2); }), "\\.DEFAULT");
}

TEST_F(RoutinesFixture, KeyTreesAreDeletedWhole) {
    for (const char* a : {"One", "Two", "Three"})
        for (const char* b : {"x", "y"}) {
            std::string key = std::string("\\SOFTWARE\\Tree\\") + a + "\\" + b;
            RegWriteString(kHKLM, key, "v", key);
        }
    RegWriteString(kHKLM, "\\SOFTWARE\\Keep", "v", "1");
    RegDeleteKeyTree(kHKLM, "\\software\\TREE");
    EXPECT_FALSE(store.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Tree"));
    EXPECT_EQ(store.SubKeyNames(RegRoot::LocalMachine, "SOFTWARE"), std::vector<std::string>{"Keep"});
    RegDeleteKeyTree(kHKLM, "\\SOFTWARE\\Missing");  // nothing happens, nothing raises

    // TtmslRegistry.DeleteKey relative to the open key, keeping that key open.
    RegWriteString(kHKLM, "\\SOFTWARE\\Keep\\A\\B\\C", "v", "1");
    TtmslRegistry reg;
    reg.SetRootKey(RegRoot::LocalMachine);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Keep", false));
    EXPECT_TRUE(reg.DeleteKey("A"));
    EXPECT_EQ(reg.CurrentKey(), "SOFTWARE\\Keep");
    EXPECT_FALSE(reg.HasSubKeys());
    EXPECT_FALSE(reg.DeleteKey("A"));

    // A failing delete is swallowed; what could not go stays.
    RegWriteString(kHKLM, "\\SOFTWARE\\Half\\Free", "v", "1");
    RegWriteString(kHKLM, "\\SOFTWARE\\Half\\Stuck", "v", "1");
    store.FailWritesAt(RegRoot::LocalMachine, "SOFTWARE\\Half\\Stuck");
    RegDeleteKeyTree(kHKLM, "\\SOFTWARE\\Half");
    EXPECT_EQ(store.SubKeyNames(RegRoot::LocalMachine, "SOFTWARE\\Half"), std::vector<std::string>{"Stuck"});
}

TEST_F(RoutinesFixture, RunOnceEntriesGetUniqueNames) {
    EXPECT_TRUE(AddRunOnceEntry("TamselUnfinished", "\"C:\\setup.exe\" -r", true));
    EXPECT_TRUE(AddRunOnceEntry("TamselUnfinished", "second", true));
    EXPECT_TRUE(AddRunOnceEntry("tamselunfinished", "third", true));
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    EXPECT_EQ(store.ValueNames(RegRoot::LocalMachine, key),
              (std::vector<std::string>{"TamselUnfinished", "TamselUnfinished1", "tamselunfinished2"}));
    EXPECT_EQ(store.ReadString(RegRoot::LocalMachine, key, "TamselUnfinished2").value(), "third");
    // Not unique: the value is overwritten. The write is already in the hive file.
    EXPECT_TRUE(AddRunOnceEntry("TamselBatFile", "a.bat", false));
    EXPECT_TRUE(AddRunOnceEntry("TamselBatFile", "b.bat", false));
    platform::RegistryStore fresh(dir.Path());
    EXPECT_EQ(fresh.ReadString(RegRoot::LocalMachine, key, "tamselbatfile").value(), "b.bat");
    store.FailWritesAt(RegRoot::LocalMachine, key);
    EXPECT_FALSE(AddRunOnceEntry("TamselUnfinished", "x", true));
    store.ClearWriteFailures();
    store.FailWritesAt(RegRoot::LocalMachine, "Software\\Microsoft\\Windows");
    store.DeleteKey(RegRoot::LocalMachine, "Software");  // fails too: below the failing key
    ASSERT_TRUE(store.KeyExists(RegRoot::LocalMachine, key));
}

TEST_F(RoutinesFixture, IniReadsFromTheSimulatedWindows) {
    auto& files = platform::Files();
    platform::IniFile(files.HostPath("C:\\WINDOWS\\WIN.INI")).WriteString("IDAPI", "CONFIGFILE01", "C:\\IDAPI\\IDAPI.CFG");
    ASSERT_TRUE(files.ForceDirectories("C:\\Prog"));
    platform::IniFile(files.HostPath("C:\\Prog\\vorel.ini")).WriteString("Links", "Philips", "http://p/");
    EXPECT_EQ(ReadIniString("win.ini", "idapi", "configfile01"), "C:\\IDAPI\\IDAPI.CFG");
    EXPECT_EQ(ReadIniString("C:\\prog\\VOREL.INI", "LINKS", "philips"), "http://p/");
    EXPECT_EQ(ReadIniString("C:\\prog\\VOREL.INI", "LINKS", "missing"), "");
    EXPECT_EQ(ReadIniString("C:\\nothing.ini", "a", "b"), "");
    EXPECT_EQ(ReadIniString("C:\\bad|name.ini", "a", "b"), "");
}

namespace {
// A component whose name must be an identifier and unique among its siblings.
struct FakeComponent {
    std::set<std::string>* taken;
    std::string name;
    void SetName(const std::string& n) {
        if (!IsIdentifier(n) || taken->count(n)) throw platform::Exception("refused " + n);
        name = n;
        taken->insert(n);
    }
};
}  // namespace

TEST(ComponentNames, FirstFreeNumberedNameAndInvalidBases) {
    std::set<std::string> taken{"MainTranslator", "Other"};
    FakeComponent c{&taken, ""};
    MakeUniqueComponentName(c, "MainTranslator");
    EXPECT_EQ(c.name, "MainTranslator1");
    FakeComponent d{&taken, ""};
    MakeUniqueComponentName(d, "MainTranslator");
    EXPECT_EQ(d.name, "MainTranslator2");
    FakeComponent e{&taken, ""};
    MakeUniqueComponentName(e, "Fresh");
    EXPECT_EQ(e.name, "Fresh");
    for (const char* bad : {"", "1abc", "has space", "dash-ed"}) {
        FakeComponent f{&taken, ""};
        EXPECT_THROW(MakeUniqueComponentName(f, bad), platform::Exception) << bad;
    }
    TInstallInformation info;
    EXPECT_EQ(info.CompanyName, "My Company");
    EXPECT_EQ(info.ProductName, "My product");
    EXPECT_EQ(info.Version, "1.0");
}
