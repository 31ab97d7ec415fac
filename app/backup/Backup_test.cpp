#include "app/backup/Backup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/data/TableSchemas.h"
#include "platform/core/hostio/HostFault.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Table.h"
#include "platform/tables/TableCopy.h"
#include "testkit/app/TestData.h"
#include "testkit/files/FileSizeLimit.h"
#include "testkit/files/HeldWriteLock.h"
#include "testkit/support/ChildProcess.h"

#include <sys/resource.h>
#include <unistd.h>

using namespace vorel;
using vorel::testing::TestData;

namespace {

namespace fs = std::filesystem;

const char* const kDone = "Backup successfully done!";
const char* const kBackupError =
    "Error when creating the Backup files. Close all programs, re-boot the computer and try again.";

// The error summary naming the tables not copied.
std::string Summary(const std::vector<std::string>& tables) {
    std::string s = kBackupError;
    for (const auto& t : tables) s += "\n" + t + ": not copied; its earlier backup is kept.";
    return s;
}

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> Texts(const platform::ScriptedMessenger& m) {
    std::vector<std::string> out;
    for (const auto& b : m.shown) out.push_back(b.text);
    return out;
}

void AddRepair(const fs::path& dir, const std::string& company, const std::string& description) {
    TestData::AddTo(dir, "Reparos.db",
                        {{"Fabricante", company}, {"Equipamento", "TV"}, {"Modelo", "M1"}, {"Defeito", "Dead"},
                         {"Descricao", description}});
}

void AddCrossReference(const fs::path& dir, const std::string& original, const std::string& similar) {
    TestData::AddTo(dir, "DS.db", {{"Original", original}, {"Fabricante", "ST"}, {"Similar", similar}});
}

// Every row of a table as "key fields|text", in key order.
std::vector<std::string> Rows(const fs::path& dir, const std::string& tableFile) {
    platform::TTable t;
    t.DatabaseName = dir.string();
    t.TableName = tableFile;
    t.ReadOnly = true;
    t.Open();
    const bool reparos = tableFile == "Reparos.db";
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next())
        out.push_back(t.Fields(0).AsString() + "|" + (reparos ? t.FieldByName("Descricao") : t.FieldByName("Similar")).AsString());
    return out;
}

struct Backup : ::testing::Test {
    platform::ScriptedMessenger boxes;
    TestData testData;
    std::unique_ptr<TModuloDeDados> module;
    fs::path BackupFolder() const { return testData.Data() / "backup"; }
    void SetUp() override {
        AddRepair(testData.Data(), "Philips", "Replace C12");
        AddRepair(testData.Data(), "Sony", "Resolder the flyback");
        AddCrossReference(testData.Data(), "BC547", "BC548");
        module = testData.Module();
    }
};

TEST_F(Backup, CopiesAreIdenticalToTheLiveFilesAndTheTablesReopen) {
    module->TabelaBDR.Last();
    module->PesquisarDS.SQL = {"select * from ds.db where original = \"x\""};
    BackupGeral(*module);
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{kDone}));
    for (const char* f : {"Reparos.db", "DS.db"}) {
        ASSERT_TRUE(fs::exists(BackupFolder() / f)) << f;
        EXPECT_EQ(Bytes(BackupFolder() / f), Bytes(testData.Data() / f)) << f;
    }
    // Nothing else lands in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(BackupFolder()), fs::directory_iterator()), 2);
    EXPECT_TRUE(module->TabelaBDR.Active());
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Philips");  // the first record
    EXPECT_TRUE(module->PesquisarDS.Active());
    EXPECT_EQ(module->PesquisarDS.SQL, (std::vector<std::string>{"select * from ds.db"}));
    EXPECT_FALSE(module->TabelaAtualiza.Active());

    // A second backup replaces the first, also a copy named in another case.
    fs::rename(BackupFolder() / "DS.db", BackupFolder() / "ds.DB");
    AddRepair(testData.Data(), "Akai", "Belt");
    BackupGeral(*module);
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), Bytes(testData.Data() / "Reparos.db"));
    EXPECT_EQ(Bytes(BackupFolder() / "ds.DB"), Bytes(testData.Data() / "DS.db"));
    EXPECT_EQ(std::distance(fs::directory_iterator(BackupFolder()), fs::directory_iterator()), 2);
}

TEST_F(Backup, AFailedCopyReportsItAndKeepsTheEarlierBackup) {
    BackupGeral(*module);
    const std::string before = Bytes(BackupFolder() / "Reparos.db");
    for (int i = 0; i < 40; ++i) AddRepair(testData.Data(), "Maker" + std::to_string(i), std::string(500, 'x'));
    ASSERT_GT(fs::file_size(testData.Data() / "Reparos.db"), 8192u);

    // A disk that takes only 4 KiB more: every copy comes out short.
    boxes.shown.clear();
    {
        platform::testing::FileSizeLimit disk(4096);
        BackupGeral(*module);
    }
    auto t = Texts(boxes);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].rfind("Could not write destination file: " + (BackupFolder() / "Reparos.db").string() + ".\n", 0), 0u);
    EXPECT_EQ(t[2], Summary({"Reparos.db", "DS.db"}));
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(BackupFolder()), fs::directory_iterator()), 2);
    EXPECT_TRUE(module->TabelaBDR.Active());
    EXPECT_TRUE(module->PesquisarDS.Active());

    // Only the last piece of the repair table comes out short, and the
    // cross-reference table copies well after it: still a failed backup.
    const auto limit = fs::file_size(testData.Data() / "Reparos.db") - 100;
    ASSERT_LT(fs::file_size(testData.Data() / "DS.db"), limit);
    boxes.shown.clear();
    {
        platform::testing::FileSizeLimit disk(limit);
        BackupGeral(*module);
    }
    t = Texts(boxes);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].rfind("Could not write destination file: " + (BackupFolder() / "Reparos.db").string() + ".\n", 0), 0u);
    EXPECT_EQ(t[1], Summary({"Reparos.db"}));
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), before);
    EXPECT_EQ(Bytes(BackupFolder() / "DS.db"), Bytes(testData.Data() / "DS.db"));

    // A folder where a file must go: the failed-backup texts; the other table still copies.
    fs::remove(BackupFolder() / "DS.db");
    fs::create_directory(BackupFolder() / "DS.db");
    boxes.shown.clear();
    BackupGeral(*module);
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{
                                 "Could not open destinationfile: " + (BackupFolder() / "DS.db").string() + ".", Summary({"DS.db"})}));
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), Bytes(testData.Data() / "Reparos.db"));
    for (const auto& b : boxes.shown) EXPECT_EQ(b.icon, platform::MsgIcon::Information);
}

TEST_F(Backup, ADamagedLiveTableOrAnUnsyncedCopyNeverReplacesTheGoodBackup) {
    for (int i = 0; i < 40; ++i) AddRepair(testData.Data(), "Maker" + std::to_string(i), std::string(500, 'x'));
    BackupGeral(*module);
    const std::string good = Bytes(BackupFolder() / "Reparos.db");
    const std::string live = Bytes(testData.Data() / "Reparos.db");
    AddCrossReference(testData.Data(), "2N3055", "MJ15003");

    // A copy whose flush to the disk fails is not published.
    boxes.shown.clear();
    {
        platform::ScopedHostFault fault(platform::HostCall::Sync, 1, EIO);
        BackupGeral(*module);
    }
    auto t = Texts(boxes);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], "Could not write destination file: " + (BackupFolder() / "Reparos.db").string() + ".\n" +
                        std::strerror(EIO));
    EXPECT_EQ(t[1], Summary({"Reparos.db"}));
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), good);
    EXPECT_EQ(Bytes(BackupFolder() / "DS.db"), Bytes(testData.Data() / "DS.db"));

    // The live table's last page is spoilt: the source is blamed and the backup kept.
    module->TabelaBDR.Close();
    {
        std::string damaged = live;
        std::fill(damaged.end() - 4096, damaged.end(), 'x');
        std::ofstream(testData.Data() / "Reparos.db", std::ios::binary | std::ios::trunc) << damaged;
    }
    boxes.shown.clear();
    BackupGeral(*module);
    t = Texts(boxes);
    ASSERT_GE(t.size(), 2u);
    const std::string source = (testData.Data() / "Reparos.db").string();
    EXPECT_EQ(t[0].rfind(source + " is damaged; its earlier backup is kept.\nTable is damaged", 0), 0u) << t[0];
    EXPECT_EQ(t.back().rfind(Summary({"Reparos.db"}), 0), 0u) << t.back();
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), good);
    EXPECT_TRUE(module->PesquisarDS.Active());
}

// Holds another program's lock on a table file (one that keeps readers
// out too) for the given time after telling the parent.
void HoldLock(const fs::path& tableFile, int seconds, platform::testing::ChildProcess& child) {
    platform::testing::HeldWriteLock lock(tableFile);
    if (!child.Signal()) return;
    ::sleep(static_cast<unsigned>(seconds));
}

TEST_F(Backup, ATableLockedAWhileIsWaitedOutAndOneLockedLongerIsNamed) {
    BackupGeral(*module);
    AddRepair(testData.Data(), "Akai", "Belt");
    AddCrossReference(testData.Data(), "2N3055", "MJ15003");

    // Locked for 2 s while the backup starts: it waits, then copies every table.
    {
        platform::testing::ChildProcess other(
            [&](platform::testing::ChildProcess& child) { HoldLock(testData.Data() / "Reparos.db", 2, child); });
        ASSERT_TRUE(other.WaitSignal());
        boxes.shown.clear();
        BackupGeral(*module);
        EXPECT_EQ(Texts(boxes), (std::vector<std::string>{kDone}));
        for (const char* f : {"Reparos.db", "DS.db"}) EXPECT_EQ(Bytes(BackupFolder() / f), Bytes(testData.Data() / f)) << f;
    }

    // Locked for longer than the whole wait: the summary names the table,
    // its earlier backup stays, the other table is copied and shown.
    AddRepair(testData.Data(), "Gradiente", "Tuner");
    AddCrossReference(testData.Data(), "TIP31", "TIP41");
    const std::string earlier = Bytes(BackupFolder() / "DS.db");
    boxes.shown.clear();
    {
        platform::testing::HeldWriteLock otherProgram(testData.Data() / "DS.db");
        BackupGeral(*module);
    }
    const auto t = Texts(boxes);
    ASSERT_EQ(t.size(), 2u);
    const std::string source = (testData.Data() / "DS.db").string();
    EXPECT_EQ(t[0].rfind("Could not read file [" + source + "].\nTable is busy.", 0), 0u) << t[0];
    EXPECT_EQ(t[1].rfind(Summary({"DS.db"}) + "\nTable is busy.", 0), 0u) << "[" << t[1] << "]";
    EXPECT_EQ(Bytes(BackupFolder() / "DS.db"), earlier);
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), Bytes(testData.Data() / "Reparos.db"));
    ASSERT_TRUE(module->TabelaBDR.Active());
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 4);
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Akai");
}

TEST_F(Backup, MissingSourcesAndABackupFolderThatCannotBeMade) {
    const std::string missing = (testData.Data() / "Missing.db").string();
    EXPECT_EQ(CopyFile(missing, (BackupFolder() / "x").string()), 1);
    EXPECT_EQ(CopyFile(testData.Data().string(), (testData.Base() / "x").string()), 1);  // a folder is no file
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"Could not open file [" + missing + "].",
                                                       "Could not open file [" + testData.Data().string() + "]."}));
    EXPECT_FALSE(fs::exists(testData.Base() / "x"));
    EXPECT_EQ(CopyFile((testData.Data() / "DS.db").string(), (testData.Base() / "no" / "x").string()), 1);
    EXPECT_EQ(boxes.shown.back().text, "Could not open destinationfile: " + (testData.Base() / "no" / "x").string() + ".");

    TestData otherCopy;
    std::ofstream(otherCopy.Data() / "backup") << "a file";
    auto m2 = otherCopy.Module();
    boxes.shown.clear();
    const std::string ds = Bytes(otherCopy.Data() / "DS.db");
    BackupGeral(*m2);
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"It was not possible to create the Backup directory. Close all "
                                                       "programs, re-boot the computer and try again."}));
    EXPECT_EQ(Bytes(otherCopy.Data() / "backup"), "a file");
    EXPECT_EQ(Bytes(otherCopy.Data() / "DS.db"), ds);
}

TEST_F(Backup, RestoreAddsOnlyMissingKeysAndKeepsLiveRows) {
    platform::testing::TempDir backupDir;
    {
        TestData source;
        AddRepair(source.Data(), "Philips", "Other text");     // key present: live text stays
        AddRepair(source.Data(), "Grundig", "Check the fuse");  // missing: added
        AddCrossReference(source.Data(), "BC547", "Other");
        AddCrossReference(source.Data(), "2N3055", "MJ15003");
        for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(source.Data() / f, backupDir.Path() / f);
    }
    RecuperaBackupGeral(*module, backupDir.Path().string());
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"Restore of the Backup done.\n"}));
    EXPECT_EQ(Rows(testData.Data(), "Reparos.db"),
              (std::vector<std::string>{"Grundig|Check the fuse", "Philips|Replace C12", "Sony|Resolder the flyback"}));
    EXPECT_EQ(Rows(testData.Data(), "DS.db"), (std::vector<std::string>{"2N3055|MJ15003", "BC547|BC548"}));
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Grundig");
    EXPECT_TRUE(module->PesquisarDS.Active());
    EXPECT_EQ(module->PesquisarDS.RecordCount(), 2);

    // A second restore adds nothing and writes nothing.
    const std::string r = Bytes(testData.Data() / "Reparos.db"), d = Bytes(testData.Data() / "DS.db");
    const std::string b = Bytes(backupDir.Path() / "Reparos.db");
    RecuperaBackupGeral(*module, backupDir.Path().string());
    EXPECT_EQ(Bytes(testData.Data() / "Reparos.db"), r);
    EXPECT_EQ(Bytes(testData.Data() / "DS.db"), d);
    EXPECT_EQ(Bytes(backupDir.Path() / "Reparos.db"), b);  // the backup is never changed
    EXPECT_EQ(boxes.shown.back().text, "Restore of the Backup done.\n");

    // Only one table's file: that table is restored, the error reported.
    fs::remove(backupDir.Path() / "Reparos.db");
    AddCrossReference(backupDir.Path(), "TIP31", "TIP41");
    boxes.shown.clear();
    RecuperaBackupGeral(*module, backupDir.Path().string());
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"Error when restoring the backup of the Repair Database.\n"}));
    EXPECT_EQ(Rows(testData.Data(), "DS.db").size(), 3u);

    // Keys are compared as the tabs store and find them: blanks and case
    // variants of a live key add nothing; a repair that differs only in its
    // problem is a new one; what is added has its key trimmed.
    platform::testing::TempDir variants;
    {
        TestData source;
        for (const char* o : {"BC547 ", " BC547", "bc547"}) AddCrossReference(source.Data(), o, std::string("variant ") + o);
        AddCrossReference(source.Data(), " TIP32 ", "TIP42");
        auto addRepair = [&](const char* f, const char* e, const char* d, const char* s) {
            TestData::AddTo(source.Data(), "Reparos.db",
                                {{"Fabricante", f}, {"Equipamento", e}, {"Modelo", "M1"}, {"Defeito", d}, {"Descricao", s}});
        };
        addRepair(" philips", "TV ", "Dead", "variant");
        addRepair("Philips", "TV", "No sound", "Check the audio IC");
        for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(source.Data() / f, variants / f);
    }
    boxes.shown.clear();
    RecuperaBackupGeral(*module, variants.Path().string());
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"Restore of the Backup done.\n"}));
    EXPECT_EQ(Rows(testData.Data(), "DS.db"),
              (std::vector<std::string>{"2N3055|MJ15003", "BC547|BC548", "TIP31|TIP41", "TIP32|TIP42"}));
    EXPECT_EQ(Rows(testData.Data(), "Reparos.db"),
              (std::vector<std::string>{"Grundig|Check the fuse", "Philips|Replace C12", "Philips|Check the audio IC",
                                        "Sony|Resolder the flyback"}));
}

TEST_F(Backup, ARestoreStoppedByABadRowKeepsTheRowsMergedBeforeIt) {
    // A backup table whose company field is wider than the live one's.
    platform::testing::TempDir backupDir;
    {
        platform::TTable wide;
        wide.DatabaseName = backupDir.Path().string();
        wide.TableName = "Reparos.db";
        platform::TTableSchema schema = SchemaOf("Reparos.db");
        for (auto& f : schema.Fields)
            if (f.Name == "Fabricante") f.Size = 40;
        wide.CreateTable(schema);
    }
    AddRepair(backupDir.Path(), "Aiwa", "Head");
    AddRepair(backupDir.Path(), "Gradiente", "Tuner");
    AddRepair(backupDir.Path(), "Zenith, a name far too long", "Tube");
    EXPECT_THROW(RecuperaBackupGeral(*module, backupDir.Path().string()), platform::EDBEngineError);
    EXPECT_EQ(Rows(testData.Data(), "Reparos.db"),
              (std::vector<std::string>{"Aiwa|Head", "Gradiente|Tuner", "Philips|Replace C12", "Sony|Resolder the flyback"}));
}

TEST_F(Backup, TheDataDirectoryIsRecognisedHoweverItIsWritten) {
    const std::string data = testData.Data().string();
    fs::create_directory(testData.Data() / "backup");
    for (const std::string& d : {data, data + "/", data + "/../data", data + "/./", data + "/backup/..",
                                 testData.Base().string() + "/DATA"})
        EXPECT_TRUE(IsDataDirectory(*module, d)) << d;
    fs::create_directory_symlink(testData.Data(), testData.Base() / "link");
    EXPECT_TRUE(IsDataDirectory(*module, (testData.Base() / "link").string()));
    EXPECT_FALSE(IsDataDirectory(*module, data + "/backup"));
    EXPECT_FALSE(IsDataDirectory(*module, testData.Base().string()));
}

// Restores a large backup set until it is killed, telling the parent of
// each batch of backup rows it starts reading.
void RestoreUntilKilled(const fs::path& base, const std::string& backupDir, platform::testing::ChildProcess& child) {
    platform::ScriptedMessenger quiet;
    TModuloDeDados m(base.string());
    m.AbreBancosDeDados();
    m.TabelaBackup.AddDataLink([&child](platform::TDataSet&) {
        if (!child.Signal()) platform::testing::ChildProcess::Exit(1);
    });
    RecuperaBackupGeral(m, backupDir);
}

int RowCount(const fs::path& dir, const char* tableFile) {
    platform::TTable t;
    t.DatabaseName = dir.string();
    t.TableName = tableFile;
    t.ReadOnly = true;
    t.Open();
    return t.RecordCount();
}

TEST_F(Backup, AKilledRestoreLosesNoRecordAndLeavesBothTablesReadable) {
    platform::testing::TempDir backupDir;
    {
        TestData source;
        platform::TSession fastSession;
        fastSession.SyncWrites = false;
        platform::TTable r(&fastSession), d(&fastSession);
        for (auto* t : {&r, &d}) t->DatabaseName = source.Data().string();
        r.TableName = "Reparos.db";
        d.TableName = "DS.db";
        r.Open();
        d.Open();
        platform::TTableTransaction writing(r);
        for (int i = 0; i < 20000; ++i) {
            r.Append();
            r.FieldByName("Fabricante").SetAsString("F" + std::to_string(100000 + i));
            r.FieldByName("Descricao").SetAsBytes(std::string(300, 'r'));
            r.Post();
        }
        writing.Commit();
        for (int i = 0; i < 600; ++i) {
            d.Append();
            d.FieldByName("Original").SetAsString("O" + std::to_string(100000 + i));
            d.FieldByName("Fabricante").SetAsString("X");
            d.Post();
        }
        r.Close();
        d.Close();
        for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(source.Data() / f, backupDir.Path() / f);
    }
    module.reset();
    const auto liveRows = Rows(testData.Data(), "Reparos.db");
    platform::testing::ChildProcess restore([&](platform::testing::ChildProcess& child) {
        RestoreUntilKilled(testData.Base(), backupDir.Path().string(), child);
    });
    // Kill it once part of the repair rows are in (the backup's first
    // record, then one signal per batch of 5,000 rows read).
    for (int n = 0; n < 2; ++n)
        if (!restore.WaitSignal()) break;
    ASSERT_TRUE(restore.Kill()) << "the restore ended before it was killed";

    // Rows merge in large transactions: each is in whole or not at all.
    const int after = RowCount(testData.Data(), "Reparos.db");
    EXPECT_GE(after, 2);
    EXPECT_LT(after, 20002);
    EXPECT_NO_THROW(RowCount(testData.Data(), "DS.db"));
    auto rows = Rows(testData.Data(), "Reparos.db");
    for (const auto& v : liveRows) EXPECT_NE(std::find(rows.begin(), rows.end(), v), rows.end()) << v;

    // Restoring again completes the merge.
    module = testData.Module();
    RecuperaBackupGeral(*module, backupDir.Path().string());
    EXPECT_EQ(RowCount(testData.Data(), "Reparos.db"), 20002);
    EXPECT_EQ(RowCount(testData.Data(), "DS.db"), 601);
}

// Each time the parent writes a byte to `signalPipe`, posts a burst of repairs,
// deleting every third an older one so that pages of the file keep
// moving; tells the parent when the burst is done.
void WriteOnSignal(const fs::path& dataDir, int signalPipe, platform::testing::ChildProcess& child) {
    platform::TTable t;
    t.DatabaseName = dataDir.string();
    t.TableName = "Reparos.db";
    t.Open();
    char c = 0;
    for (int i = 0; ::read(signalPipe, &c, 1) == 1;) {
        for (int burstEnd = i + 15; i < burstEnd; ++i) {
            t.Append();
            t.FieldByName("Fabricante").SetAsString("W" + std::to_string(100000 + i));
            t.FieldByName("Descricao").SetAsBytes(std::string(1000 + i % 3000, static_cast<char>('a' + i % 26)));
            t.Post();
            if (i % 3 == 2 && t.FindKey({"W" + std::to_string(100000 + i / 2)})) t.Delete();
        }
        if (!child.Signal()) return;
    }
}

// A published backup of the repair table: a sound file whose every row
// holds the text its writer gave it.
void ExpectSoundBackup(const fs::path& tableFile) {
    ASSERT_EQ(platform::CheckTableImage(Bytes(tableFile)), "");
    platform::testing::TempDir copyDir;
    fs::copy_file(tableFile, copyDir / "Reparos.db");
    platform::TTable t;
    t.DatabaseName = copyDir.Path().string();
    t.TableName = "Reparos.db";
    t.ReadOnly = true;
    t.Open();
    for (t.First(); !t.Eof(); t.Next()) {
        const std::string f = t.FieldByName("Fabricante").AsString();
        if (f.empty() || f[0] != 'W') continue;
        const int i = std::stoi(f.substr(1)) - 100000;
        ASSERT_EQ(t.FieldByName("Descricao").AsBytes(), std::string(1000 + i % 3000, static_cast<char>('a' + i % 26)))
            << f;
    }
}

TEST_F(Backup, EveryPublishedBackupTakenWhileAnotherProgramWritesIsSound) {
    int signalPipe[2];
    ASSERT_EQ(::pipe(signalPipe), 0);
    platform::testing::ChildProcess writer(
        [&](platform::testing::ChildProcess& child) { WriteOnSignal(testData.Data(), signalPipe[0], child); });
    auto burst = [&] { return ::write(signalPipe[1], "w", 1) == 1; };
    for (int n = 0; n < 20; ++n) ASSERT_TRUE(burst() && writer.WaitSignal());
    int published = 0;
    for (int pass = 0; pass < 20; ++pass) {
        // The other program posts while the backup runs.
        ASSERT_TRUE(burst());
        boxes.shown.clear();
        BackupGeral(*module);
        ASSERT_TRUE(writer.WaitSignal()) << "the writer stopped";
        ASSERT_FALSE(boxes.shown.empty());
        if (boxes.shown.back().text != kDone) continue;
        ++published;
        ExpectSoundBackup(BackupFolder() / "Reparos.db");
    }
    ::close(signalPipe[1]);
    ::close(signalPipe[0]);
    EXPECT_EQ(published, 20);
}

TEST_F(Backup, AKilledBackupLeavesNoPartFileAfterTheNextBackup) {
    for (int i = 0; i < 60; ++i) AddRepair(testData.Data(), "Maker" + std::to_string(i), std::string(900, 'k'));
    BackupGeral(*module);
    const std::string bom = Bytes(BackupFolder() / "Reparos.db");
    AddRepair(testData.Data(), "Zenith", "New tube");
    auto parts = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(BackupFolder())) n += e.path().extension() == ".part";
        return n;
    };
    for (int death = 0; death < 2; ++death) {
        // A disk limit that ends the process, as a kill would, half-way through the copy.
        platform::testing::ChildProcess backup([&](platform::testing::ChildProcess&) {
            platform::ScriptedMessenger quiet;
            TModuloDeDados m(testData.Base().string());
            m.AbreBancosDeDados();
            struct rlimit noCore {0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            struct rlimit limit {};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 20000;
            ::setrlimit(RLIMIT_FSIZE, &limit);
            BackupGeral(m);
        });
        EXPECT_FALSE(backup.WaitSignal());
        EXPECT_TRUE(backup.Kill()) << "the backup was not stopped half-way";
        // The second backup removed what the first left; each leaves its own.
        ASSERT_EQ(parts(), 1);
    }
    EXPECT_EQ(Bytes(BackupFolder() / "Reparos.db"), bom);  // the killed ones published nothing

    boxes.shown.clear();
    BackupGeral(*module);
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{kDone}));
    EXPECT_EQ(parts(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(BackupFolder()), fs::directory_iterator()), 2);
    ExpectSoundBackup(BackupFolder() / "Reparos.db");
}

}  // namespace
