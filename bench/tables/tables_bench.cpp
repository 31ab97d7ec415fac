// The table engine side by side with the bare sqlite3 C API on the same
// files: FindNearest per quick-search keystroke against an indexed seek,
// and an equivalents query read to its end against the same SQL.
//
// The installation comes from VOREL_BENCH_DIR when it names one, else it is
// written to a temporary directory with VOREL_BENCH_SCALE synthetic
// transistors (default 100000) and removed afterwards.
#include "app/search/EquivalentsSql.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"
#include "tools/vorel-sample/writer/SampleWriter.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string g_data;  // the data directory

const std::vector<std::string>& Keystrokes() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> out;
        for (const char* code : {"BC547", "2N3055", "SYN054321", "TIP31C", "SYN099999", "MJ15003", "BD139", "ZZZ"})
            for (size_t n = 1; n <= std::strlen(code); ++n) out.emplace_back(code, n);
        return out;
    }();
    return keys;
}

// An equivalents search for BC547 as the transistor tab builds it: every
// criterion checked, the Vce# percentage as given, the others 0.
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

// 0, 1: BC547's search with Vce# at 10% and 500%; 2: every NPN part (a
// result of half the table, read to its end).
std::string SqlCase(int64_t which) {
    if (which == 2) return "select * from transistores.db where polaridade = \"NPN\"";
    return EquivalentsFor(which == 0 ? 10 : 500);
}

// The same SQL as SQLite takes it: the table inside the file, values in single quotes.
std::string AsBareSql(std::string sql) {
    auto at = sql.find("transistores.db");
    sql.replace(at, std::strlen("transistores.db"), "records");
    for (char& c : sql)
        if (c == '"') c = '\'';
    return sql;
}

sqlite3* OpenBare() {
    sqlite3* db = nullptr;
    std::string path = g_data + "/Transistores.db";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
    return db;
}

void ReadColumns(sqlite3_stmt* s, benchmark::State&) {
    int n = sqlite3_column_count(s);
    for (int c = 0; c < n; ++c) {
        switch (sqlite3_column_type(s, c)) {
        case SQLITE_FLOAT:
        case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_double(s, c)); break;
        case SQLITE_NULL: break;
        default: benchmark::DoNotOptimize(sqlite3_column_text(s, c)); benchmark::DoNotOptimize(sqlite3_column_bytes(s, c));
        }
    }
}

void BM_FindNearest_Engine(benchmark::State& state) {
    platform::TSession session;
    session.AddPassword("vKarPelmuZ");
    platform::TTable t(&session);
    t.DatabaseName = g_data;
    t.TableName = "Transistores.db";
    t.Open();
    const auto& keys = Keystrokes();
    size_t i = 0;
    for (auto _ : state) {
        t.SetKey();
        t.FindNearest({keys[i++ % keys.size()]});
        benchmark::DoNotOptimize(t.FieldByName("Encapsulamento").Value());
    }
}

void BM_FindNearest_Bare(benchmark::State& state) {
    sqlite3* db = OpenBare();
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid, * FROM records WHERE Identificacao >= ? ORDER BY Identificacao LIMIT 1", -1,
                       &s, nullptr);
    const auto& keys = Keystrokes();
    size_t i = 0;
    for (auto _ : state) {
        const std::string& k = keys[i++ % keys.size()];
        sqlite3_bind_text(s, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
        if (sqlite3_step(s) == SQLITE_ROW) ReadColumns(s, state);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_EquivalentsQuery_Engine(benchmark::State& state) {
    platform::TSession session;
    session.AddPassword("vKarPelmuZ");
    platform::TQuery q(&session);
    q.DatabaseName = g_data;
    const std::string sql = SqlCase(state.range(0));
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

void BM_EquivalentsQuery_Bare(benchmark::State& state) {
    sqlite3* db = OpenBare();
    const std::string sql = AsBareSql(SqlCase(state.range(0)));
    int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        while (sqlite3_step(s) == SQLITE_ROW) {
            ReadColumns(s, state);
            ++rows;
        }
        sqlite3_finalize(s);
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
    sqlite3_close(db);
}

BENCHMARK(BM_FindNearest_Engine);
BENCHMARK(BM_FindNearest_Bare);
BENCHMARK(BM_EquivalentsQuery_Engine)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EquivalentsQuery_Bare)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::filesystem::path base;
    bool temporary = false;
    if (const char* dir = std::getenv("VOREL_BENCH_DIR"); dir && std::filesystem::is_directory(std::string(dir) + "/data")) {
        base = dir;
    } else {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int qargc = 1;
        QGuiApplication app(qargc, argv);
        std::string tmpl = (std::filesystem::temp_directory_path() / "vorel-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) return 1;
        base = tmpl;
        temporary = true;
        int scale = 100000;
        if (const char* s = std::getenv("VOREL_BENCH_SCALE")) scale = std::atoi(s);
        std::fprintf(stderr, "writing a --scale %d installation to %s\n", scale, base.c_str());
        sample::WriteInstallation(base, sample::WriteOptions{scale});
    }
    g_data = (base / "data").string();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (temporary) std::filesystem::remove_all(base);
    return 0;
}
