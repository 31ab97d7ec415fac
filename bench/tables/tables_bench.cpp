// The table engine side by side with the bare sqlite3 C API on the same
// files, at every size bench/common/Installations.h gives (10k, 100k and
// 300k transistors by default); the first argument of each case is the size.
//   Seek        FindNearest per quick-search keystroke / the bare indexed seek
//   Keystroke   what a keystroke costs the grid: the seek, where the record
//               stands (count, neighbours, record number) and the 20 visible
//               rows / the bare seek and 20 rows read on
//   Query       a search read to its end: 0, 1 BC547's equivalents with Vce#
//               at 10 % and 500 %; 2 every NPN part (half the table)
//               / the same SQL bare, once as SQLite plans it on the same file
//               (indexes and all) and once as a full scan (NOT INDEXED)
//   IcSearch    the IC codes holding "SYNIC000" (1,000 matches) read whole,
//               in key order / the engine's own SQL bare: the matching
//               rowids in key order, then each record by its rowid
// Each bare connection is opened as the engine opens its own (same flags,
// no mutex, query_only; bench/common/BareSqlite.h) and reads the file as the
// engine's connection for that work does: queries through a memory map (the
// engine's pooled query connections map their files), seeks and the IC
// search without one. The bare seek and keystroke are one prepared
// statement stepped per key; the bare query is the SQL prepared and read to
// its end, in SQLite's own transaction; the bare IC search is one read
// transaction around the key-ordered rowids and a lookup per row.
// Both sides read a column through its value handle, the C API's cheapest
// way. What the half-table query keeps above the bare full scan: every
// value is copied into the window of rows read ahead (a field's value
// outlives the statement's row, as the program keeps it; the current
// record then takes its row from the window by swap, without a second
// copy), and each field is reached through the dataset. Reading on steps
// the same statement in the same read transaction while the query's read
// pass lasts (it ends when the program goes idle), so a chunk costs no new
// run. Compare with
//   tables_bench --benchmark_filter='BM_Query_(Engine|BareFullScan)/[0-9]+/2'
//     --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// and the medians, as other work on the machine moves single runs a lot.
#include "app/search/EquivalentsSql.h"
#include "bench/common/BareSqlite.h"
#include "bench/common/Installations.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kVisibleRows = 20;

std::string DataDir(int64_t scaleIndex) { return (bench::Samples().At(static_cast<int>(scaleIndex)) / "data").string(); }

const std::vector<std::string>& Keystrokes() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> out;
        for (const char* code : {"BC547", "2N3055", "SYN054321", "TIP31C", "SYN099999", "MJ15003", "BD139", "ZZZ"})
            for (size_t n = 1; n <= std::strlen(code); ++n) out.emplace_back(code, n);
        return out;
    }();
    return keys;
}

std::string EquivalentsFor(int vcePercent) {
    vorel::EquivalentsSql sql("select * from transistores.db where");
    sql.AddRange(true, "pd", 0.5L, 0);
    sql.AddRange(false, "ic", 0.1L, 0);
    sql.AddRange(false, "icm", 0.2L, 0);
    sql.AddEquality(false, "polaridade", "NPN");
    sql.AddEquality(false, "uso", "General purpose");
    sql.AddRange(false, "vceo", 45.0L, vcePercent);
    return sql.Text();
}

std::string SqlCase(int64_t which) {
    if (which == 2) return "select * from transistores.db where polaridade = \"NPN\"";
    return EquivalentsFor(which == 0 ? 10 : 500);
}

// The same SQL as SQLite takes it: the table inside the file, values in single quotes.
std::string AsBareSql(std::string sql, bool fullScan) {
    auto at = sql.find("transistores.db");
    sql.replace(at, std::strlen("transistores.db"), fullScan ? "records NOT INDEXED" : "records");
    for (char& c : sql)
        if (c == '"') c = '\'';
    return sql;
}

enum class Map { No, AsQueries };

sqlite3* OpenBare(const std::string& path, Map map) {
    return bench::OpenAsEngine(path, bench::BareUse::Reading,
                               map == Map::AsQueries ? bench::BareMap::AsQueries : bench::BareMap::No);
}

struct EngineTable {
    platform::TSession session;
    platform::TTable t{&session};
    explicit EngineTable(int64_t scaleIndex) {
        session.AddPassword("vKarPelmuZ");
        t.DatabaseName = DataDir(scaleIndex);
        t.TableName = "Transistores.db";
        t.Open();
    }
};

void BM_Seek_Engine(benchmark::State& state) {
    EngineTable e(state.range(0));
    const auto& keys = Keystrokes();
    size_t i = 0;
    for (auto _ : state) {
        e.t.SetKey();
        e.t.FindNearest({keys[i++ % keys.size()]});
        benchmark::DoNotOptimize(e.t.FieldByName("Encapsulamento").Value());
    }
}

// The bare seek of each keystroke, reading the first `rows` records from the key.
void BareSeek(benchmark::State& state, int rows) {
    sqlite3* db = OpenBare(DataDir(state.range(0)) + "/Transistores.db", Map::No);
    sqlite3_stmt* s = nullptr;
    const std::string sql =
        "SELECT rowid, * FROM records WHERE Identificacao >= ? ORDER BY Identificacao LIMIT " + std::to_string(rows);
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    const auto& keys = Keystrokes();
    size_t i = 0;
    for (auto _ : state) {
        const std::string& k = keys[i++ % keys.size()];
        sqlite3_bind_text(s, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
        while (sqlite3_step(s) == SQLITE_ROW) bench::ReadColumns(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_Seek_Bare(benchmark::State& state) { BareSeek(state, 1); }

void BM_Keystroke_Engine(benchmark::State& state) {
    EngineTable e(state.range(0));
    const auto& keys = Keystrokes();
    size_t i = 0;
    for (auto _ : state) {
        e.t.SetKey();
        e.t.FindNearest({keys[i++ % keys.size()]});
        const platform::TGridPosition at = e.t.GridPosition(kVisibleRows);
        benchmark::DoNotOptimize(at);
        auto rows = e.t.PeekRows(0, kVisibleRows);
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_Keystroke_Bare(benchmark::State& state) { BareSeek(state, kVisibleRows); }

void BM_Query_Engine(benchmark::State& state) {
    platform::TSession session;
    session.AddPassword("vKarPelmuZ");
    platform::TQuery q(&session);
    q.DatabaseName = DataDir(state.range(0));
    const std::string sql = SqlCase(state.range(1));
    int64_t rows = 0;
    for (auto _ : state) {
        q.Close();
        q.SQL = {sql};
        q.Open();
        for (; !q.Eof(); q.Next()) {
            for (int f = 0; f < q.FieldCount(); ++f) benchmark::DoNotOptimize(q.Fields(f).Value());
            ++rows;
        }
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}

void BareQuery(benchmark::State& state, bool fullScan) {
    sqlite3* db = OpenBare(DataDir(state.range(0)) + "/Transistores.db", Map::AsQueries);
    const std::string sql = AsBareSql(SqlCase(state.range(1)), fullScan);
    int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        while (sqlite3_step(s) == SQLITE_ROW) {
            bench::ReadColumns(s);
            ++rows;
        }
        sqlite3_finalize(s);
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
    sqlite3_close(db);
}

void BM_Query_BarePlanned(benchmark::State& state) { BareQuery(state, false); }
void BM_Query_BareFullScan(benchmark::State& state) { BareQuery(state, true); }

constexpr const char* kIcSearch = "SYNIC000";

void BM_IcSearch_Engine(benchmark::State& state) {
    platform::TSession session;
    session.AddPassword("vKarPelmuZ");
    platform::TTable t(&session);
    t.DatabaseName = DataDir(state.range(0));
    t.TableName = "Integrados.db";
    t.Open();
    size_t rows = 0;
    for (auto _ : state) {
        auto found = t.RecordsContaining("Identificacao", kIcSearch);
        rows = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_IcSearch_Bare(benchmark::State& state) {
    sqlite3* db = OpenBare(DataDir(state.range(0)) + "/Integrados.db", Map::No);
    sqlite3_stmt* find = nullptr;
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid FROM records WHERE instr(\"Identificacao\", ?) > 0 "
                       "ORDER BY \"Identificacao\", \"Fabricante\"",
                       -1, &find, nullptr);
    sqlite3_prepare_v2(db, "SELECT * FROM records WHERE rowid = ?", -1, &read, nullptr);
    int64_t rows = 0;
    std::vector<sqlite3_int64> rowids;
    for (auto _ : state) {
        rows = 0;
        rowids.clear();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_text(find, 1, kIcSearch, -1, SQLITE_STATIC);
        while (sqlite3_step(find) == SQLITE_ROW) rowids.push_back(sqlite3_column_int64(find, 0));
        sqlite3_reset(find);
        for (sqlite3_int64 rowid : rowids) {
            sqlite3_bind_int64(read, 1, rowid);
            if (sqlite3_step(read) == SQLITE_ROW) {
                bench::ReadColumns(read);
                ++rows;
            }
            sqlite3_reset(read);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.counters["rows"] = static_cast<double>(rows);
    sqlite3_finalize(find);
    sqlite3_finalize(read);
    sqlite3_close(db);
}

void EachScale(benchmark::internal::Benchmark* b) {
    for (size_t i = 0; i < bench::Scales().size(); ++i) b->Arg(static_cast<int64_t>(i));
}

void EachScaleAndCase(benchmark::internal::Benchmark* b) {
    for (size_t i = 0; i < bench::Scales().size(); ++i)
        for (int64_t c = 0; c < 3; ++c) b->Args({static_cast<int64_t>(i), c});
}

}  // namespace

BENCHMARK(BM_Seek_Engine)->Apply(EachScale);
BENCHMARK(BM_Seek_Bare)->Apply(EachScale);
BENCHMARK(BM_Keystroke_Engine)->Apply(EachScale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Keystroke_Bare)->Apply(EachScale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Query_Engine)->Apply(EachScaleAndCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Query_BarePlanned)->Apply(EachScaleAndCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Query_BareFullScan)->Apply(EachScaleAndCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcSearch_Engine)->Apply(EachScale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcSearch_Bare)->Apply(EachScale)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (size_t i = 0; i < bench::Scales().size(); ++i)
        std::fprintf(stderr, "size %zu: %d transistors\n", i, bench::Scales()[i]);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
