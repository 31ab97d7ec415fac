#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/core/hostio/HostFault.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/windows/registry/Registry.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

using namespace platform;

namespace {

struct RegistryFixture : ::testing::Test {
    TempRootDir dir;
    ScopedSystemRoot root{dir.Path()};
    RegistryStore& store = Registry();
    std::string hklmFile() { return ReadWholeFile(dir.Path() / "HKLM.reg").value_or("<missing>"); }
};

constexpr RegRoot HKLM = RegRoot::LocalMachine;
constexpr RegRoot HKCU = RegRoot::CurrentUser;

}  // namespace

TEST_F(RegistryFixture, SavesEveryWriteAsSortedRegedit4AndReadsItBackByteIdentical) {
    ASSERT_TRUE(store.CreateKey(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE"));
    ASSERT_TRUE(store.WriteString(HKLM, "software\\tamsel\\install\\vorele", "Path", "C:\\Program Files\\\"Vorel\""));
    ASSERT_TRUE(store.WriteInteger(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "Size", 123456));
    ASSERT_TRUE(store.WriteInteger(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "minus", -1));
    ASSERT_TRUE(store.WriteFloat(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "CreationDate", 36526.5));
    ASSERT_TRUE(store.WriteString(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "", "default"));
    ASSERT_TRUE(store.WriteString(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "two lines", "a\r\nb"));
    ASSERT_TRUE(store.CreateKey(HKLM, "SOFTWARE\\Apple"));
    ASSERT_TRUE(store.CreateKey(HKLM, "SOFTWARE\\banana"));
    std::string expected =
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Apple]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\banana]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tamsel]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tamsel\\Install]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tamsel\\Install\\VorelE]\r\n"
        "@=\"default\"\r\n"
        "\"CreationDate\"=hex:00,00,00,00,d0,d5,e1,40\r\n"
        "\"minus\"=dword:ffffffff\r\n"
        "\"Path\"=\"C:\\\\Program Files\\\\\\\"Vorel\\\"\"\r\n"
        "\"Size\"=dword:0001e240\r\n"
        "\"two lines\"=hex(1):61,0d,0a,62,00\r\n"
        "\r\n";
    EXPECT_EQ(hklmFile(), expected);

    // A second store on the same root reads everything back and saves the same bytes.
    RegistryStore other(dir.Path());
    EXPECT_EQ(other.ReadString(HKLM, "SOFTWARE\\TAMSEL\\INSTALL\\VORELE", "path").value(), "C:\\Program Files\\\"Vorel\"");
    EXPECT_EQ(other.ReadInteger(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "MINUS").value(), -1);
    EXPECT_EQ(other.ReadFloat(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "CreationDate").value(), 36526.5);
    EXPECT_EQ(other.ReadString(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "two lines").value(), "a\r\nb");
    EXPECT_EQ(other.ExportText(HKLM), expected);
    ASSERT_TRUE(other.WriteInteger(HKLM, "SOFTWARE\\Tamsel\\Install\\VorelE", "Size", 123456));
    EXPECT_EQ(hklmFile(), expected);
    EXPECT_EQ(other.ExportText(HKCU), "REGEDIT4\r\n\r\n");
}

TEST_F(RegistryFixture, NamesIgnoreCaseKeepTheirSpellingAndEnumerateSorted) {
    ASSERT_TRUE(store.CreateKey(HKCU, "Software\\Vendor"));
    ASSERT_FALSE(store.CreateKey(HKCU, "") && false);
    ASSERT_TRUE(store.CreateKey(HKCU, "SOFTWARE\\VENDOR\\zeta"));
    ASSERT_TRUE(store.CreateKey(HKCU, "software\\vendor\\Alpha\\"));
    ASSERT_TRUE(store.CreateKey(HKCU, "\\Software\\\\Vendor\\beta"));
    EXPECT_EQ(store.SubKeyNames(HKCU, "software\\VENDOR"), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
    EXPECT_EQ(store.SubKeyNames(HKCU, ""), (std::vector<std::string>{"Software"}));
    ASSERT_TRUE(store.WriteString(HKCU, "Software\\Vendor", "Zed", "1"));
    ASSERT_TRUE(store.WriteString(HKCU, "Software\\Vendor", "able", "2"));
    ASSERT_TRUE(store.WriteString(HKCU, "Software\\Vendor", "ZED", "3"));  // same value, first spelling kept
    EXPECT_EQ(store.ValueNames(HKCU, "Software\\Vendor"), (std::vector<std::string>{"able", "Zed"}));
    EXPECT_EQ(store.ReadString(HKCU, "Software\\Vendor", "zed").value(), "3");

    // A typed read of another type gives nothing; a missing key or value too.
    EXPECT_FALSE(store.ReadInteger(HKCU, "Software\\Vendor", "zed"));
    EXPECT_FALSE(store.ReadFloat(HKCU, "Software\\Vendor", "zed"));
    ASSERT_TRUE(store.WriteInteger(HKCU, "Software\\Vendor", "n", 5));
    EXPECT_FALSE(store.ReadString(HKCU, "Software\\Vendor", "n"));
    EXPECT_FALSE(store.ReadString(HKCU, "Software\\Nothing", "n"));
    EXPECT_FALSE(store.WriteString(HKCU, "Software\\Nothing", "n", "x"));  // the key must exist
    EXPECT_FALSE(store.WriteString(HKCU, "Software\\Vendor", "line\nbreak", "x"));
    EXPECT_FALSE(store.CreateKey(HKCU, "Software\\tab\there"));
    RegValue expand;
    expand.name = "Path";
    expand.type = REG_EXPAND_SZ_T;
    expand.data = "%SystemRoot%\\x";
    ASSERT_TRUE(store.SetValue(HKCU, "Software\\Vendor", expand));
    EXPECT_EQ(RegistryStore(dir.Path()).ReadString(HKCU, "Software\\Vendor", "path").value(), "%SystemRoot%\\x");

    // Aliases and the empty roots.
    ASSERT_TRUE(store.CreateKey(RegRoot::ClassesRoot, ".txt"));
    EXPECT_TRUE(store.KeyExists(HKLM, "SOFTWARE\\Classes\\.TXT"));
    EXPECT_FALSE(store.CreateKey(RegRoot::Users, ".DEFAULT"));
    EXPECT_TRUE(store.KeyExists(RegRoot::DynData, ""));
    EXPECT_FALSE(store.KeyExists(RegRoot::DynData, "x"));

    // Deleting takes the whole tree.
    ASSERT_TRUE(store.CreateKey(HKCU, "Software\\Vendor\\Alpha\\Deep\\Deeper"));
    EXPECT_TRUE(store.DeleteKey(HKCU, "SOFTWARE\\vendor"));
    EXPECT_FALSE(store.KeyExists(HKCU, "Software\\Vendor\\Alpha\\Deep"));
    EXPECT_EQ(store.SubKeyNames(HKCU, "Software"), std::vector<std::string>{});
    EXPECT_FALSE(store.DeleteKey(HKCU, "Software\\Vendor"));
    EXPECT_EQ(RegRootFromNumber(0x84), RegRoot::LocalMachine);
    EXPECT_FALSE(RegRootFromNumber(6));
}

TEST_F(RegistryFixture, InjectedWriteFailuresAndDamagedFilesLoseNothing) {
    ASSERT_TRUE(store.CreateKey(HKLM, "Software\\Locked"));
    ASSERT_TRUE(store.WriteString(HKLM, "Software\\Locked", "v", "old"));
    std::string before = hklmFile();
    store.FailWritesAt(HKLM, "SOFTWARE\\LOCKED");
    EXPECT_FALSE(store.WriteString(HKLM, "Software\\Locked", "v", "new"));
    EXPECT_FALSE(store.CreateKey(HKLM, "Software\\Locked\\Sub"));
    EXPECT_FALSE(store.DeleteValue(HKLM, "Software\\Locked", "v"));
    EXPECT_FALSE(store.DeleteKey(HKLM, "Software\\Locked"));
    EXPECT_TRUE(store.CreateKey(HKLM, "Software\\Other"));
    EXPECT_EQ(store.ReadString(HKLM, "Software\\Locked", "v").value(), "old");
    store.ClearWriteFailures();
    EXPECT_TRUE(store.WriteString(HKLM, "Software\\Locked", "v", "new"));

    // A file changed by someone else is read again; a damaged one is never overwritten.
    {
        std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary)
            << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\International]\n\"Locale\"=\"00000407\"\n"
               "\"Bin\"=hex:01,02,\\\n  03\n";
    }
    EXPECT_EQ(RegistryUserLangID(), 0x0407);
    EXPECT_EQ(store.GetValue(HKCU, "Control Panel\\International", "bin")->data, "\x01\x02\x03");
    const std::string damaged = "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"broken=\"1\"\r\n";
    { std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary) << damaged; }
    EXPECT_FALSE(store.KeyExists(HKCU, "X"));
    EXPECT_FALSE(store.CreateKey(HKCU, "Y"));
    EXPECT_NE(store.LoadError(HKCU).find("HKCU.reg"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(dir.Path() / "HKCU.reg").value(), damaged);
    EXPECT_FALSE(RegistryUserLangID());
}

// Every file the parser cannot read is refused whole, with the line where
// it goes wrong and why; keys nest no deeper than a bound, so no walk of a
// key tree can run away.
TEST_F(RegistryFixture, AFileItCannotReadIsNamedWithItsLineAndWhy) {
    std::string deep = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER";
    for (std::size_t i = 0; i < kMaxRegKeyDepth; ++i) deep += "\\k";
    const std::string deepest = deep + "]\r\n\"v\"=\"1\"\r\n";
    const std::string tooDeep = deep + "\\k]\r\n";
    std::string tooDeepByFar = "REGEDIT4\n\n[HKEY_CURRENT_USER";
    for (int i = 0; i < 200000; ++i) tooDeepByFar += "\\k";
    tooDeepByFar += "]\n";
    const struct {
        std::string text, why;
    } bad[] = {
        {"REGEDIT5\r\n", "line 1: the file does not start with REGEDIT4"},
        {"REGEDIT4\r\n\"v\"=\"1\"\r\n", "line 2: a value before the first key"},
        {"REGEDIT4\r\n[HKEY_USERS\\x]\r\n", "line 2: the key is not below HKEY_CURRENT_USER"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n\"v\"=dword:123456789\r\n", "line 3: a dword has up to 8 hexadecimal digits"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n\"v\"=hex:1g\r\n", "line 3: bytes are separated by commas"},
        // A value with no closing quote at the file's tail, with or without a last line end.
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n\"a\"=\"1\"\r\n\"v\"=\"open\r\n", "line 4: a quoted text is not closed"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n\"v\"=\"open\\\"", "line 3: a quoted text is not closed"},
        // A continued value the file ends inside, named by the line it starts on.
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n\"v\"=hex:01,\\\r\n  02,\\\r\n", "line 3: the file ends inside a continued value"},
        {tooDeep, "line 3: a key more than 512 levels deep"},
        {tooDeepByFar, "line 3: a key more than 512 levels deep"},
    };
    for (const auto& [text, why] : bad) {
        try {
            ParseRegedit4(text, "HKEY_CURRENT_USER");
            ADD_FAILURE() << text.substr(0, 80);
        } catch (const ERegistryFileError& e) {
            EXPECT_EQ(e.Message(), why);
        }
    }

    // The store names the file too, reads nothing from it and keeps it as it is.
    { std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary) << tooDeepByFar; }
    EXPECT_EQ(store.LoadError(HKCU),
              "The registry file " + (dir.Path() / "HKCU.reg").string() + " cannot be read: line 3: a key more than 512 levels deep");
    EXPECT_FALSE(store.KeyExists(HKCU, "k"));
    EXPECT_EQ(ReadWholeFile(dir.Path() / "HKCU.reg").value(), tooDeepByFar);

    // The deepest key a file may hold loads, prints and saves; no deeper one can be made.
    { std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary) << deepest; }
    EXPECT_EQ(store.LoadError(HKCU), "");
    std::string path = "k";
    for (std::size_t i = 1; i < kMaxRegKeyDepth; ++i) path += "\\k";
    EXPECT_EQ(store.ReadString(HKCU, path, "v").value_or("missing"), "1");
    EXPECT_FALSE(store.CreateKey(HKCU, path + "\\deeper"));
    EXPECT_TRUE(store.WriteString(HKCU, path, "v", "2"));
    EXPECT_EQ(RegistryStore(dir.Path()).ReadString(HKCU, path, "v").value_or("missing"), "2");
    EXPECT_TRUE(store.DeleteKey(HKCU, "k"));
    EXPECT_EQ(store.ExportText(HKCU), "REGEDIT4\r\n\r\n");
}

// A hex value may go on over many lines, in any line ends, with blanks
// before each continuation: the bytes are those of the same value on one line.
TEST_F(RegistryFixture, AValueContinuedOverManyLinesReadsAsOnOneLine) {
    std::string oneLine = "\"Bin\"=hex:", continued = oneLine, expected;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; i < 3000; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", i % 256);
        expected += static_cast<char>(i % 256);
        oneLine += std::string(i ? "," : "") + byte;
        continued += std::string(i ? ",\\" : "") + (i ? ends[i % 3] : "") + (i ? "  \t" : "") + byte;
    }
    for (const std::string& value : {oneLine, continued}) {
        auto tree = ParseRegedit4("REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n" + value + "\r\n\"after\"=dword:00000002\r\n",
                                  "HKEY_CURRENT_USER");
        const RegKeyNode& x = *tree->subkeys.at("x");
        EXPECT_EQ(x.values.at("bin").data, expected);
        EXPECT_EQ(x.values.at("after").dword, 2u);
    }
    // A line after a continued value is counted where it stands.
    try {
        ParseRegedit4("REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n" + continued + "\r\nbroken\r\n", "HKEY_CURRENT_USER");
        ADD_FAILURE();
    } catch (const ERegistryFileError& e) {
        EXPECT_EQ(e.Message(), "line 3003: a value line starts with a quoted name or @");
    }
}

// A hive saved on a failing device keeps its old file, and the store reads
// back what the file still holds.
TEST_F(RegistryFixture, ASaveOnAFailingDeviceKeepsTheOldHive) {
    ASSERT_TRUE(store.CreateKey(HKLM, "Software\\Vorel"));
    ASSERT_TRUE(store.WriteString(HKLM, "Software\\Vorel", "Path", "C:\\Old"));
    const std::string before = hklmFile();
    for (HostCall call : {HostCall::Write, HostCall::Sync, HostCall::Close, HostCall::Rename}) {
        ScopedHostFault fault(call, 1, EIO);
        EXPECT_FALSE(store.WriteString(HKLM, "Software\\Vorel", "Path", "C:\\New"));
        EXPECT_EQ(hklmFile(), before);
        EXPECT_EQ(store.ReadString(HKLM, "Software\\Vorel", "Path").value(), "C:\\Old");
    }
    EXPECT_TRUE(store.WriteString(HKLM, "Software\\Vorel", "Path", "C:\\New"));
}

// Changes made together are saved together: a kill or a full disk keeps all
// of them or none. What a save killed before its rename left goes at the next open.
TEST_F(RegistryFixture, ABatchIsSavedWholeOrNotAtAllAndAKilledSavesFileGoesAtTheNextOpen) {
    ASSERT_TRUE(store.CreateKey(HKLM, "Software\\Vorel"));
    ASSERT_TRUE(store.WriteString(HKLM, "Software\\Vorel", "Count", "2"));
    const std::string before = hklmFile();
    int saves = 0;
    RegistryStore::SetBeforeSave([&](const std::filesystem::path&) { ++saves; });
    {
        RegistryStore::Batch batch(store, HKLM);
        EXPECT_TRUE(store.WriteString(HKLM, "Software\\Vorel", "Count", "1"));
        EXPECT_TRUE(store.DeleteValue(HKLM, "Software\\Vorel", "Count") && store.CreateKey(HKLM, "Software\\Vorel\\Done"));
        EXPECT_EQ(hklmFile(), before);
    }  // not committed: nothing of it stays
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(store.ReadString(HKLM, "Software\\Vorel", "Count"), "2");
    EXPECT_FALSE(store.KeyExists(HKLM, "Software\\Vorel\\Done"));
    {
        RegistryStore::Batch batch(store, HKLM);
        store.WriteString(HKLM, "Software\\Vorel", "Count", "1");
        store.CreateKey(HKLM, "Software\\Vorel\\Done");
        ScopedHostFault fault(HostCall::Rename, 1, ENOSPC);
        EXPECT_FALSE(batch.Commit());
    }
    EXPECT_EQ(hklmFile(), before);
    EXPECT_EQ(store.ReadString(HKLM, "Software\\Vorel", "Count"), "2");
    EXPECT_FALSE(store.KeyExists(HKLM, "Software\\Vorel\\Done"));
    saves = 0;
    {
        RegistryStore::Batch batch(store, HKLM);
        store.WriteString(HKLM, "Software\\Vorel", "Count", "1");
        store.CreateKey(HKLM, "Software\\Vorel\\Done");
        EXPECT_TRUE(batch.Commit());
    }
    EXPECT_EQ(saves, 1);
    RegistryStore::SetBeforeSave(nullptr);
    RegistryStore reread(dir.Path());
    EXPECT_EQ(reread.ReadString(HKLM, "Software\\Vorel", "Count"), "1");
    EXPECT_TRUE(reread.KeyExists(HKLM, "Software\\Vorel\\Done"));

    // The temporary files of killed saves of both hives; not another file,
    // nor one a live writer (holding the lock) may still rename.
    auto plant = [&](const char* name) { std::ofstream(dir.Path() / name) << "REGEDIT4\r\n"; };
    for (const char* name : {".HKLM.reg.Ab12Cd", ".HKCU.reg.x9Y8z7", ".HKLM.reg.keep", "HKLM.reg.Ab12Cd"}) plant(name);
    {
        RegistryStore::UpdateLock writing(store, HKLM);
        RegistryStore opened(dir.Path());
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / ".HKLM.reg.Ab12Cd"));
    }
    RegistryStore opened(dir.Path());
    for (const char* name : {".HKLM.reg.Ab12Cd", ".HKCU.reg.x9Y8z7"})
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / name)) << name;
    for (const char* name : {".HKLM.reg.keep", "HKLM.reg.Ab12Cd", "HKLM.reg"})
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / name)) << name;
}

TEST_F(RegistryFixture, AHandEditedFileWithCommentLinesLoads) {
    {
        std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary)
            << "REGEDIT4\r\n; settings kept by hand\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Vorel]\r\n"
               "  ; the next value was \"Old\"\r\n"
               "\"Name\"=\"New; not a comment\"\r\n"
               ";[HKEY_CURRENT_USER\\Software\\Gone]\r\n"
               ";\"Size\"=dword:00000001\r\n";
    }
    EXPECT_TRUE(store.LoadError(HKCU).empty()) << store.LoadError(HKCU);
    EXPECT_EQ(store.ReadString(HKCU, "Software\\Vorel", "Name").value(), "New; not a comment");
    EXPECT_FALSE(store.ReadInteger(HKCU, "Software\\Vorel", "Size").has_value());
    EXPECT_FALSE(store.KeyExists(HKCU, "Software\\Gone"));
    // A write keeps the values; the comments are the hand editor's, not the store's.
    ASSERT_TRUE(store.WriteInteger(HKCU, "Software\\Vorel", "Size", 2));
    EXPECT_EQ(store.ExportText(HKCU),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vorel]\r\n"
              "\"Name\"=\"New; not a comment\"\r\n\"Size\"=dword:00000002\r\n\r\n");
}

// Two processes changing one hive at once lose nothing: every change is
// one locked read-modify-write, and an UpdateLock makes a counter's read
// and increment one step.
TEST_F(RegistryFixture, TwoWriterProcessesLoseNoWrite) {
    ASSERT_TRUE(store.CreateKey(HKLM, "Software\\Race"));
    constexpr int kWrites = 100;
    auto writeAll = [&](const std::string& who) {
        RegistryStore mine(dir.Path());
        for (int i = 0; i < kWrites; ++i) {
            if (!mine.WriteInteger(HKLM, "Software\\Race", who + std::to_string(i), i)) return false;
            RegistryStore::UpdateLock update(mine, HKLM);
            const std::int32_t count = mine.ReadInteger(HKLM, "Software\\Race", "Count").value_or(0);
            if (!mine.WriteInteger(HKLM, "Software\\Race", "Count", count + 1)) return false;
        }
        return true;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(writeAll("child") ? 0 : 2);
    EXPECT_TRUE(writeAll("parent"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    RegistryStore after(dir.Path());
    EXPECT_EQ(after.ValueNames(HKLM, "Software\\Race").size(), 2u * kWrites + 1);
    EXPECT_EQ(after.ReadInteger(HKLM, "Software\\Race", "Count").value_or(-1), 2 * kWrites);
}

TEST_F(RegistryFixture, ClassLibraryRegistryObject) {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKCU);
    reg.SetRootKey(HKLM);
    EXPECT_FALSE(reg.OpenKey("Software\\A", false));
    ASSERT_TRUE(reg.OpenKey("Software\\A", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\A");
    ASSERT_TRUE(reg.OpenKey("B", true));  // relative to the open key
    EXPECT_EQ(reg.CurrentKey(), "Software\\A\\B");
    EXPECT_EQ(reg.CurrentPath(), "Software\\A\\B");
    reg.WriteString("s", "text");
    reg.WriteInteger("i", 7);
    reg.WriteFloat("f", 1.5);
    EXPECT_EQ(reg.ReadString("S"), "text");
    EXPECT_EQ(reg.ReadString("missing"), "");
    EXPECT_EQ(reg.ReadInteger("I"), 7);
    EXPECT_EQ(reg.ReadFloat("f"), 1.5);
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"f", "i", "s"}));
    try {
        reg.ReadInteger("s");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 's'");
    }
    EXPECT_THROW(reg.ReadString("i"), ERegistryException);
    EXPECT_THROW(reg.ReadFloat("i"), ERegistryException);
    try {
        reg.ReadInteger("missing");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to get data for 'missing'");
    }
    ASSERT_TRUE(reg.OpenKey("\\Software", false));  // absolute
    EXPECT_EQ(reg.CurrentKey(), "Software");
    EXPECT_TRUE(reg.HasSubKeys());
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"A"});
    ASSERT_TRUE(reg.OpenKeyReadOnly("A"));
    try {
        reg.WriteString("s", "x");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 's'");
    }
    reg.CloseKey();
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);
    EXPECT_TRUE(reg.KeyExists("Software\\A\\B"));
    EXPECT_TRUE(reg.CreateKey("Software\\A\\B"));
    EXPECT_TRUE(reg.CreateKey("\\Software\\A\\C"));
    EXPECT_FALSE(reg.HasCurrentKey());
    reg.Store().FailWritesAt(HKLM, "Software\\A\\D");
    try {
        reg.CreateKey("Software\\A\\D");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to create key Software\\A\\D");
    }
    EXPECT_FALSE(reg.DeleteKey("Software\\A"));  // the failing key below keeps the tree
    reg.Store().ClearWriteFailures();
    EXPECT_TRUE(reg.DeleteKey("Software\\A"));
    EXPECT_FALSE(reg.KeyExists("Software\\A\\B"));
}
