// A restore of N repair rows (1,000 and 40,000) into an empty live table:
//   Restore   RecuperaBackupGeral, the whole merge as the user starts it
//   Bare      the same rows read from the backup file, each looked up in
//             the live file and inserted, in one transaction of the bare
//             sqlite3 C API: three statements prepared once, the backup
//             read in key order, both files opened as the engine opens
//             its own (bench/common/BareSqlite.h)
// Setting up each round (a fresh live folder, the tables opened) is not timed.
#include "app/backup/Backup.h"
#include "bench/common/BareSqlite.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Table.h"
#include "testkit/app/TestData.h"
#include "testkit/files/TempDir.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using vorel::testing::TestData;

// A backup set of n repair rows (and an empty cross-reference table), made once per size.
fs::path BackupSet(int n) {
    static std::map<int, std::unique_ptr<TestData>> sets;
    auto& set = sets[n];
    if (!set) {
        set = std::make_unique<TestData>();
        platform::TSession fast;
        fast.SyncWrites = false;
        platform::TTable t(&fast);
        t.DatabaseName = set->Data().string();
        t.TableName = "Reparos.db";
        t.Open();
        for (int i = 0; i < n; ++i) {
            t.Append();
            t.FieldByName("Fabricante").SetAsString("F" + std::to_string(100000 + i));
            t.FieldByName("Equipamento").SetAsString("TV");
            t.FieldByName("Modelo").SetAsString("M" + std::to_string(i % 97));
            t.FieldByName("Defeito").SetAsString("No picture");
            t.FieldByName("Descricao").SetAsBytes(std::string(300, static_cast<char>('a' + i % 26)));
            t.Post();
        }
    }
    return set->Data();
}

void Check(benchmark::State& state, int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) state.SkipWithError(sqlite3_errmsg(db));
}

void BM_Restore(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string pasta = BackupSet(n).string();
    platform::ScriptedMessenger quiet;
    for (auto _ : state) {
        state.PauseTiming();
        auto live = std::make_unique<TestData>();
        auto module = live->Module();
        state.ResumeTiming();
        vorel::RecuperaBackupGeral(*module, pasta);
        state.PauseTiming();
        if (module->TabelaBDR.RecordCount() != n) state.SkipWithError("rows missing after the restore");
        module.reset();
        live.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = n;
}

void BM_Bare(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const fs::path origem = BackupSet(n) / "Reparos.db";
    TestData vazio;
    for (auto _ : state) {
        state.PauseTiming();
        platform::testing::TempDir dir;
        const fs::path viva = dir / "Reparos.db";
        fs::copy_file(vazio.Data() / "Reparos.db", viva);
        sqlite3* db = bench::OpenAsEngine(viva.string(), bench::BareUse::Writing);
        sqlite3* src = bench::OpenAsEngine(origem.string(), bench::BareUse::Reading);
        state.ResumeTiming();
        sqlite3_stmt *read = nullptr, *find = nullptr, *add = nullptr;
        Check(state, sqlite3_prepare_v2(src, "SELECT Fabricante, Equipamento, Modelo, Defeito, Descricao FROM records "
                                             "ORDER BY Fabricante, Equipamento, Modelo, Defeito", -1, &read, nullptr), src);
        Check(state, sqlite3_prepare_v2(db, "SELECT 1 FROM records WHERE Fabricante = ? AND Equipamento = ? AND "
                                            "Modelo = ? AND Defeito = ?", -1, &find, nullptr), db);
        Check(state, sqlite3_prepare_v2(db, "INSERT INTO records VALUES (?, ?, ?, ?, ?)", -1, &add, nullptr), db);
        Check(state, sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db);
        while (sqlite3_step(read) == SQLITE_ROW) {
            for (int c = 0; c < 4; ++c)
                sqlite3_bind_text(find, c + 1, reinterpret_cast<const char*>(sqlite3_column_text(read, c)),
                                  sqlite3_column_bytes(read, c), SQLITE_TRANSIENT);
            const bool exists = sqlite3_step(find) == SQLITE_ROW;
            sqlite3_reset(find);
            if (exists) continue;
            for (int c = 0; c < 4; ++c)
                sqlite3_bind_text(add, c + 1, reinterpret_cast<const char*>(sqlite3_column_text(read, c)),
                                  sqlite3_column_bytes(read, c), SQLITE_TRANSIENT);
            sqlite3_bind_blob(add, 5, sqlite3_column_blob(read, 4), sqlite3_column_bytes(read, 4), SQLITE_TRANSIENT);
            Check(state, sqlite3_step(add), db);
            sqlite3_reset(add);
        }
        Check(state, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
        sqlite3_finalize(read);
        sqlite3_finalize(find);
        sqlite3_finalize(add);
        state.PauseTiming();
        sqlite3_close(src);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["rows"] = n;
}

BENCHMARK(BM_Restore)->Arg(1000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Bare)->Arg(1000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
