#include "app/backup/Backup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/qtglue/Messenger.h"
#include "platform/tables/Table.h"
#include "platform/tables/TableCopy.h"
#include "testkit/app/TestData.h"
#include "testkit/files/FileSizeLimit.h"
#include "testkit/support/ChildProcess.h"

#include <sys/resource.h>
#include <unistd.h>

using namespace vorel;
using vorel::testing::TestData;

namespace {

namespace fs = std::filesystem;

const char* const kFeito = "Backup successfully done!";
const char* const kErroBackup =
    "Error when creating the Backup files. Close all programs, re-boot the computer and try again.";

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> Textos(const platform::ScriptedMessenger& m) {
    std::vector<std::string> out;
    for (const auto& b : m.shown) out.push_back(b.text);
    return out;
}

void Reparo(const fs::path& dir, const std::string& fabricante, const std::string& solucao) {
    TestData::AddTo(dir, "Reparos.db",
                        {{"Fabricante", fabricante}, {"Equipamento", "TV"}, {"Modelo", "M1"}, {"Defeito", "Dead"},
                         {"Descricao", solucao}});
}

void Referencia(const fs::path& dir, const std::string& original, const std::string& similar) {
    TestData::AddTo(dir, "DS.db", {{"Original", original}, {"Fabricante", "ST"}, {"Similar", similar}});
}

// Every row of a table as "key fields|text", in key order.
std::vector<std::string> Linhas(const fs::path& dir, const std::string& arquivo) {
    platform::TTable t;
    t.DatabaseName = dir.string();
    t.TableName = arquivo;
    t.ReadOnly = true;
    t.Open();
    const bool reparos = arquivo == "Reparos.db";
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next())
        out.push_back(t.Fields(0).AsString() + "|" + (reparos ? t.FieldByName("Descricao") : t.FieldByName("Similar")).AsString());
    return out;
}

struct Backup : ::testing::Test {
    platform::ScriptedMessenger boxes;
    TestData dados;
    std::unique_ptr<TModuloDeDados> module;
    fs::path Pasta() const { return dados.Data() / "backup"; }
    void SetUp() override {
        Reparo(dados.Data(), "Philips", "Replace C12");
        Reparo(dados.Data(), "Sony", "Resolder the flyback");
        Referencia(dados.Data(), "BC547", "BC548");
        module = dados.Module();
    }
};

TEST_F(Backup, CopiesAreIdenticalToTheLiveFilesAndTheTablesReopen) {
    module->TabelaBDR.Last();
    module->PesquisarDS.SQL = {"select * from ds.db where original = \"x\""};
    BackupGeral(*module);
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{kFeito}));
    for (const char* f : {"Reparos.db", "DS.db"}) {
        ASSERT_TRUE(fs::exists(Pasta() / f)) << f;
        EXPECT_EQ(Bytes(Pasta() / f), Bytes(dados.Data() / f)) << f;
    }
    // Nothing else lands in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(Pasta()), fs::directory_iterator()), 2);
    EXPECT_TRUE(module->TabelaBDR.Active());
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Philips");  // the first record
    EXPECT_TRUE(module->PesquisarDS.Active());
    EXPECT_EQ(module->PesquisarDS.SQL, (std::vector<std::string>{"select * from ds.db"}));
    EXPECT_FALSE(module->TabelaAtualiza.Active());

    // A second backup replaces the first, also a copy named in another case.
    fs::rename(Pasta() / "DS.db", Pasta() / "ds.DB");
    Reparo(dados.Data(), "Akai", "Belt");
    BackupGeral(*module);
    EXPECT_EQ(Bytes(Pasta() / "Reparos.db"), Bytes(dados.Data() / "Reparos.db"));
    EXPECT_EQ(Bytes(Pasta() / "ds.DB"), Bytes(dados.Data() / "DS.db"));
    EXPECT_EQ(std::distance(fs::directory_iterator(Pasta()), fs::directory_iterator()), 2);
}

TEST_F(Backup, AFailedCopyReportsItAndKeepsTheEarlierBackup) {
    BackupGeral(*module);
    const std::string antes = Bytes(Pasta() / "Reparos.db");
    for (int i = 0; i < 40; ++i) Reparo(dados.Data(), "Maker" + std::to_string(i), std::string(500, 'x'));
    ASSERT_GT(fs::file_size(dados.Data() / "Reparos.db"), 8192u);

    // A disk that takes only 4 KiB more: every copy comes out short.
    boxes.shown.clear();
    {
        platform::testing::FileSizeLimit disk(4096);
        BackupGeral(*module);
    }
    auto t = Textos(boxes);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].rfind("Could not write destination file: " + (Pasta() / "Reparos.db").string() + ".\n", 0), 0u);
    EXPECT_EQ(t[2], kErroBackup);
    EXPECT_EQ(Bytes(Pasta() / "Reparos.db"), antes);
    EXPECT_EQ(std::distance(fs::directory_iterator(Pasta()), fs::directory_iterator()), 2);
    EXPECT_TRUE(module->TabelaBDR.Active());
    EXPECT_TRUE(module->PesquisarDS.Active());

    // Only the last piece of the repair table comes out short, and the
    // cross-reference table copies well after it: still a failed backup.
    const auto limite = fs::file_size(dados.Data() / "Reparos.db") - 100;
    ASSERT_LT(fs::file_size(dados.Data() / "DS.db"), limite);
    boxes.shown.clear();
    {
        platform::testing::FileSizeLimit disk(limite);
        BackupGeral(*module);
    }
    t = Textos(boxes);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].rfind("Could not write destination file: " + (Pasta() / "Reparos.db").string() + ".\n", 0), 0u);
    EXPECT_EQ(t[1], kErroBackup);
    EXPECT_EQ(Bytes(Pasta() / "Reparos.db"), antes);
    EXPECT_EQ(Bytes(Pasta() / "DS.db"), Bytes(dados.Data() / "DS.db"));

    // A folder where a file must go: the failed-backup texts; the other table still copies.
    fs::remove(Pasta() / "DS.db");
    fs::create_directory(Pasta() / "DS.db");
    boxes.shown.clear();
    BackupGeral(*module);
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{
                                 "Could not open destinationfile: " + (Pasta() / "DS.db").string() + ".", kErroBackup}));
    EXPECT_EQ(Bytes(Pasta() / "Reparos.db"), Bytes(dados.Data() / "Reparos.db"));
    for (const auto& b : boxes.shown) EXPECT_EQ(b.icon, platform::MsgIcon::Information);
}

TEST_F(Backup, MissingSourcesAndABackupFolderThatCannotBeMade) {
    const std::string falta = (dados.Data() / "Missing.db").string();
    EXPECT_EQ(CopyFile(falta, (Pasta() / "x").string()), 1);
    EXPECT_EQ(CopyFile(dados.Data().string(), (dados.Base() / "x").string()), 1);  // a folder is no file
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{"Could not open file [" + falta + "].",
                                                       "Could not open file [" + dados.Data().string() + "]."}));
    EXPECT_FALSE(fs::exists(dados.Base() / "x"));
    EXPECT_EQ(CopyFile((dados.Data() / "DS.db").string(), (dados.Base() / "no" / "x").string()), 1);
    EXPECT_EQ(boxes.shown.back().text, "Could not open destinationfile: " + (dados.Base() / "no" / "x").string() + ".");

    TestData outro;
    std::ofstream(outro.Data() / "backup") << "a file";
    auto m2 = outro.Module();
    boxes.shown.clear();
    const std::string ds = Bytes(outro.Data() / "DS.db");
    BackupGeral(*m2);
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{"It was not possible to create the Backup directory. Close all "
                                                       "programs, re-boot the computer and try again."}));
    EXPECT_EQ(Bytes(outro.Data() / "backup"), "a file");
    EXPECT_EQ(Bytes(outro.Data() / "DS.db"), ds);
}

TEST_F(Backup, RestoreAddsOnlyMissingKeysAndKeepsLiveRows) {
    platform::testing::TempDir pasta;
    {
        TestData origem;
        Reparo(origem.Data(), "Philips", "Other text");     // key present: live text stays
        Reparo(origem.Data(), "Grundig", "Check the fuse");  // missing: added
        Referencia(origem.Data(), "BC547", "Other");
        Referencia(origem.Data(), "2N3055", "MJ15003");
        for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(origem.Data() / f, pasta.Path() / f);
    }
    RecuperaBackupGeral(*module, pasta.Path().string());
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{"Restore of the Backup done.\n"}));
    EXPECT_EQ(Linhas(dados.Data(), "Reparos.db"),
              (std::vector<std::string>{"Grundig|Check the fuse", "Philips|Replace C12", "Sony|Resolder the flyback"}));
    EXPECT_EQ(Linhas(dados.Data(), "DS.db"), (std::vector<std::string>{"2N3055|MJ15003", "BC547|BC548"}));
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Grundig");
    EXPECT_TRUE(module->PesquisarDS.Active());
    EXPECT_EQ(module->PesquisarDS.RecordCount(), 2);

    // A second restore adds nothing and writes nothing.
    const std::string r = Bytes(dados.Data() / "Reparos.db"), d = Bytes(dados.Data() / "DS.db");
    const std::string b = Bytes(pasta.Path() / "Reparos.db");
    RecuperaBackupGeral(*module, pasta.Path().string());
    EXPECT_EQ(Bytes(dados.Data() / "Reparos.db"), r);
    EXPECT_EQ(Bytes(dados.Data() / "DS.db"), d);
    EXPECT_EQ(Bytes(pasta.Path() / "Reparos.db"), b);  // the backup is never changed
    EXPECT_EQ(boxes.shown.back().text, "Restore of the Backup done.\n");

    // Only one table's file: that table is restored, the error reported.
    fs::remove(pasta.Path() / "Reparos.db");
    Referencia(pasta.Path(), "TIP31", "TIP41");
    boxes.shown.clear();
    RecuperaBackupGeral(*module, pasta.Path().string());
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{"Error when restoring the backup of the Repair Database.\n"}));
    EXPECT_EQ(Linhas(dados.Data(), "DS.db").size(), 3u);

    // Keys are compared as the tabs store and find them: blanks and case
    // variants of a live key add nothing; a repair that differs only in its
    // problem is a new one; what is added has its key trimmed.
    platform::testing::TempDir variantes;
    {
        TestData origem;
        for (const char* o : {"BC547 ", " BC547", "bc547"}) Referencia(origem.Data(), o, std::string("variant ") + o);
        Referencia(origem.Data(), " TIP32 ", "TIP42");
        auto reparo = [&](const char* f, const char* e, const char* d, const char* s) {
            TestData::AddTo(origem.Data(), "Reparos.db",
                                {{"Fabricante", f}, {"Equipamento", e}, {"Modelo", "M1"}, {"Defeito", d}, {"Descricao", s}});
        };
        reparo(" philips", "TV ", "Dead", "variant");
        reparo("Philips", "TV", "No sound", "Check the audio IC");
        for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(origem.Data() / f, variantes / f);
    }
    boxes.shown.clear();
    RecuperaBackupGeral(*module, variantes.Path().string());
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{"Restore of the Backup done.\n"}));
    EXPECT_EQ(Linhas(dados.Data(), "DS.db"),
              (std::vector<std::string>{"2N3055|MJ15003", "BC547|BC548", "TIP31|TIP41", "TIP32|TIP42"}));
    EXPECT_EQ(Linhas(dados.Data(), "Reparos.db"),
              (std::vector<std::string>{"Grundig|Check the fuse", "Philips|Replace C12", "Philips|Check the audio IC",
                                        "Sony|Resolder the flyback"}));
}

TEST_F(Backup, TheDataDirectoryIsRecognisedHoweverItIsWritten) {
    const std::string data = dados.Data().string();
    fs::create_directory(dados.Data() / "backup");
    for (const std::string& d : {data, data + "/", data + "/../data", data + "/./", data + "/backup/..",
                                 dados.Base().string() + "/DATA"})
        EXPECT_TRUE(IsDataDirectory(*module, d)) << d;
    fs::create_directory_symlink(dados.Data(), dados.Base() / "link");
    EXPECT_TRUE(IsDataDirectory(*module, (dados.Base() / "link").string()));
    EXPECT_FALSE(IsDataDirectory(*module, data + "/backup"));
    EXPECT_FALSE(IsDataDirectory(*module, dados.Base().string()));
}

// Restores a large backup set until it is killed, telling the parent of
// each change of the repair table's current record.
void RestoreUntilKilled(const fs::path& base, const std::string& pasta, platform::testing::ChildProcess& child) {
    platform::ScriptedMessenger quiet;
    TModuloDeDados m(base.string());
    m.AbreBancosDeDados();
    m.TabelaBDR.AddDataLink([&child](platform::TDataSet&) {
        if (!child.Signal()) platform::testing::ChildProcess::Exit(1);
    });
    RecuperaBackupGeral(m, pasta);
}

int Contagem(const fs::path& dir, const char* arquivo) {
    platform::TTable t;
    t.DatabaseName = dir.string();
    t.TableName = arquivo;
    t.ReadOnly = true;
    t.Open();
    return t.RecordCount();
}

TEST_F(Backup, AKilledRestoreLosesNoRecordAndLeavesBothTablesReadable) {
    platform::testing::TempDir pasta;
    {
        TestData origem;
        platform::TSession rapida;
        rapida.SyncWrites = false;
        platform::TTable r(&rapida), d(&rapida);
        for (auto* t : {&r, &d}) t->DatabaseName = origem.Data().string();
        r.TableName = "Reparos.db";
        d.TableName = "DS.db";
        r.Open();
        d.Open();
        for (int i = 0; i < 600; ++i) {
            r.Append();
            r.FieldByName("Fabricante").SetAsString("F" + std::to_string(100000 + i));
            r.FieldByName("Descricao").SetAsBytes(std::string(300, 'r'));
            r.Post();
            d.Append();
            d.FieldByName("Original").SetAsString("O" + std::to_string(100000 + i));
            d.FieldByName("Fabricante").SetAsString("X");
            d.Post();
        }
        r.Close();
        d.Close();
        for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(origem.Data() / f, pasta.Path() / f);
    }
    module.reset();
    const auto vivos = Linhas(dados.Data(), "Reparos.db");
    platform::testing::ChildProcess restore([&](platform::testing::ChildProcess& child) {
        RestoreUntilKilled(dados.Base(), pasta.Path().string(), child);
    });
    // Kill it once part of the repair rows are in (a lookup and a post per row).
    for (int n = 0; n < 300; ++n)
        if (!restore.WaitSignal()) break;
    ASSERT_TRUE(restore.Kill()) << "the restore ended before it was killed";

    // Rows merge in large transactions: each is in whole or not at all.
    const int depois = Contagem(dados.Data(), "Reparos.db");
    EXPECT_GE(depois, 2);
    EXPECT_LT(depois, 602);
    EXPECT_NO_THROW(Contagem(dados.Data(), "DS.db"));
    auto linhas = Linhas(dados.Data(), "Reparos.db");
    for (const auto& v : vivos) EXPECT_NE(std::find(linhas.begin(), linhas.end(), v), linhas.end()) << v;

    // Restoring again completes the merge.
    module = dados.Module();
    RecuperaBackupGeral(*module, pasta.Path().string());
    EXPECT_EQ(Contagem(dados.Data(), "Reparos.db"), 602);
    EXPECT_EQ(Contagem(dados.Data(), "DS.db"), 601);
}

// Each time the parent writes a byte to `vez`, posts a burst of repairs,
// deleting every third an older one so that pages of the file keep
// moving; tells the parent when the burst is done.
void EscreveAoSinal(const fs::path& dados, int vez, platform::testing::ChildProcess& child) {
    platform::TTable t;
    t.DatabaseName = dados.string();
    t.TableName = "Reparos.db";
    t.Open();
    char c = 0;
    for (int i = 0; ::read(vez, &c, 1) == 1;) {
        for (int fim = i + 15; i < fim; ++i) {
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
void BackupIntegro(const fs::path& arquivo) {
    ASSERT_EQ(platform::CheckTableImage(Bytes(arquivo)), "");
    platform::testing::TempDir copia;
    fs::copy_file(arquivo, copia / "Reparos.db");
    platform::TTable t;
    t.DatabaseName = copia.Path().string();
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
    int vez[2];
    ASSERT_EQ(::pipe(vez), 0);
    platform::testing::ChildProcess escritor(
        [&](platform::testing::ChildProcess& child) { EscreveAoSinal(dados.Data(), vez[0], child); });
    auto rajada = [&] { return ::write(vez[1], "w", 1) == 1; };
    for (int n = 0; n < 20; ++n) ASSERT_TRUE(rajada() && escritor.WaitSignal());
    int publicados = 0;
    for (int rodada = 0; rodada < 20; ++rodada) {
        // The other program posts while the backup runs.
        ASSERT_TRUE(rajada());
        boxes.shown.clear();
        BackupGeral(*module);
        ASSERT_TRUE(escritor.WaitSignal()) << "the writer stopped";
        ASSERT_FALSE(boxes.shown.empty());
        if (boxes.shown.back().text != kFeito) continue;
        ++publicados;
        BackupIntegro(Pasta() / "Reparos.db");
    }
    ::close(vez[1]);
    ::close(vez[0]);
    EXPECT_EQ(publicados, 20);
}

TEST_F(Backup, AKilledBackupLeavesNoPartFileAfterTheNextBackup) {
    for (int i = 0; i < 60; ++i) Reparo(dados.Data(), "Maker" + std::to_string(i), std::string(900, 'k'));
    BackupGeral(*module);
    const std::string bom = Bytes(Pasta() / "Reparos.db");
    Reparo(dados.Data(), "Zenith", "New tube");
    auto partes = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(Pasta())) n += e.path().extension() == ".part";
        return n;
    };
    for (int morte = 0; morte < 2; ++morte) {
        // A disk limit that ends the process, as a kill would, half-way through the copy.
        platform::testing::ChildProcess backup([&](platform::testing::ChildProcess&) {
            platform::ScriptedMessenger quiet;
            TModuloDeDados m(dados.Base().string());
            m.AbreBancosDeDados();
            struct rlimit semCore {0, 0};
            ::setrlimit(RLIMIT_CORE, &semCore);
            struct rlimit limite {};
            ::getrlimit(RLIMIT_FSIZE, &limite);
            limite.rlim_cur = 20000;
            ::setrlimit(RLIMIT_FSIZE, &limite);
            BackupGeral(m);
        });
        EXPECT_FALSE(backup.WaitSignal());
        EXPECT_TRUE(backup.Kill()) << "the backup was not stopped half-way";
        // The second backup removed what the first left; each leaves its own.
        ASSERT_EQ(partes(), 1);
    }
    EXPECT_EQ(Bytes(Pasta() / "Reparos.db"), bom);  // the killed ones published nothing

    boxes.shown.clear();
    BackupGeral(*module);
    EXPECT_EQ(Textos(boxes), (std::vector<std::string>{kFeito}));
    EXPECT_EQ(partes(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(Pasta()), fs::directory_iterator()), 2);
    BackupIntegro(Pasta() / "Reparos.db");
}

}  // namespace
