// The main window on sample installations of every size
// bench/common/Installations.h gives (the first argument of each case):
// start-up from the window's creation to the end of its first show; one
// quick-search keystroke (the table moves, the picture shows, the grids
// fill) beside a bare seek reading the rows the grids show; one transistor
// equivalents search from the button click to the filled result grids,
// beside the same SQL through the bare sqlite3 C API read to its end
// (prepared, stepped in SQLite's own transaction, every column read through
// its value handle). The bare connections are opened as the engine opens
// its own (bench/common/BareSqlite.h): the query's with the memory map of
// the engine's pooled query connections, the keystroke's without one.
// BM_Startup also reports peak_rss_MB: the process's peak resident memory
// while that size's windows start, the peak mark reset when the case
// begins (Linux's clear_refs), so each size is measured on its own in one
// run; what earlier cases left resident counts at every size alike.
// What grows with the table in start-up are the first equivalents
// searches the window runs, one per device, on connections opened afresh:
// each reads the rowids its most selective indexed columns leave, from those
// indexes alone, and each condition matches a fixed share of the synthetic
// records, so that reading grows with the records (perf: about 5 ms at 300k
// against 0.4 ms at 10k); the records so found are held to the whole
// condition through the memory map, whose first touch of each page is a
// fault (about 4 ms at 300k, most of it faults); a search whose indexes
// leave too many records for a lookup each scans its table, but only as
// far as its short first chunk needs. The estimates that choose the
// columns cost the same at any size (a fixed sample per table file) but
// for their page faults. Closing the window (and unmapping the files,
// which also grows with the pages touched) is not timed: it is not
// start-up.
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/data/TModuloDeDados.h"
#include "app/ui/TFormulario.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "bench/common/BareSqlite.h"
#include "bench/common/Installations.h"

namespace {

// The program's base directory is the current one: each case works in the
// installation of its size.
void UseInstallation(int64_t scaleIndex) { std::filesystem::current_path(bench::Samples().At(static_cast<int>(scaleIndex))); }

// The window and its data module as the program makes them.
struct Program {
    QPointer<vorel::TFormulario> form;
    std::unique_ptr<vorel::TModuloDeDados> module;
    Program() {
        form = new vorel::TFormulario;
        module = std::make_unique<vorel::TModuloDeDados>(form->BaseDirectory);
        form->SetDataModule(module.get());
        form->resize(1366, 768);
    }
    ~Program() {
        delete form.data();
        module.reset();
    }
};

void FillGrids(vorel::TFormulario& f) {
    for (auto* grid : f.Panel(vorel::Device::Transistores).EquivalentGrids)
        benchmark::DoNotOptimize(grid->VisibleRows());
}

// The peak resident memory mark: reset to what is resident now, and read in MB.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

double PeakMemoryMB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

void BM_Startup(benchmark::State& state) {
    UseInstallation(state.range(0));
    platform::ScriptedMessenger quiet;
    ResetPeakMemory();
    for (auto _ : state) {
        auto p = std::make_unique<Program>();
        p->form->show();
        if (p->form->Starting() || !quiet.shown.empty()) {
            state.SkipWithError(quiet.shown.empty() ? "start-up did not end" : quiet.shown[0].text.c_str());
            break;
        }
        // Closing the window is not start-up.
        state.PauseTiming();
        p->form->hide();
        p.reset();
        state.ResumeTiming();
    }
    state.counters["peak_rss_MB"] = PeakMemoryMB();
}

// BC547's search with Vce# at the given percentage: the quick search finds
// it, the button searches.
void PrepareSearch(vorel::TFormulario& f, int percent) {
    f.TBBuscaRapida->setText("BC547");
    f.Panel(vorel::Device::Transistores).Combos.back()->setCurrentText(QString::number(percent));
}

void BM_EquivalentsSearch_Window(benchmark::State& state) {
    UseInstallation(state.range(0));
    platform::ScriptedMessenger quiet;
    Program p;
    p.form->show();
    PrepareSearch(*p.form, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        p.form->TransistoresEquivalentes->click();
        FillGrids(*p.form);
    }
    state.counters["rows"] = p.module->PesquisarTransistores.RecordCount();
    if (!quiet.shown.empty()) state.SkipWithError(quiet.shown[0].text.c_str());
}

// One keystroke in the transistor quick-search box: the table moves, the
// package picture is shown, the original's grids of the first sheet fill.
const char* const kCodes[] = {"B", "BC", "BC5", "BC54", "BC547", "S", "SY", "SYN", "SYN05", "SYN0543", "T", "TIP3"};

void BM_QuickSearchKeystroke(benchmark::State& state) {
    UseInstallation(state.range(0));
    platform::ScriptedMessenger quiet;
    Program p;
    p.form->show();
    size_t i = 0;
    for (auto _ : state) {
        p.form->TBBuscaRapida->setText(kCodes[i++ % std::size(kCodes)]);
        for (int g = 0; g < 2; ++g) benchmark::DoNotOptimize(p.form->DBGridTO[g]->VisibleRows());
    }
    if (!quiet.shown.empty()) state.SkipWithError(quiet.shown[0].text.c_str());
}

// What a keystroke must read at the least: the nearest record and the rows
// the grids show after it, and its package picture.
void BM_QuickSearchKeystroke_Bare(benchmark::State& state) {
    const auto data = bench::Samples().At(static_cast<int>(state.range(0))) / "data";
    sqlite3* db = bench::OpenAsEngine((data / "Transistores.db").string(), bench::BareUse::Reading);
    sqlite3* pictures = bench::OpenAsEngine((data / "Graficos.db").string(), bench::BareUse::Reading);
    sqlite3_stmt *rows = nullptr, *picture = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid, * FROM records WHERE Identificacao >= ? ORDER BY Identificacao LIMIT 20", -1,
                       &rows, nullptr);
    sqlite3_prepare_v2(pictures, "SELECT Figura FROM records WHERE Identificacao = ?", -1, &picture, nullptr);
    size_t i = 0;
    for (auto _ : state) {
        const char* code = kCodes[i++ % std::size(kCodes)];
        sqlite3_bind_text(rows, 1, code, -1, SQLITE_STATIC);
        std::string package;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            for (int c = 0, n = sqlite3_column_count(rows); c < n; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(rows, c));
            if (package.empty()) {
                const unsigned char* t = sqlite3_column_text(rows, 30);
                package = t ? reinterpret_cast<const char*>(t) : "";
            }
        }
        sqlite3_reset(rows);
        sqlite3_bind_text(picture, 1, package.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(picture) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_blob(picture, 0));
        sqlite3_reset(picture);
    }
    sqlite3_finalize(rows);
    sqlite3_finalize(picture);
    sqlite3_close(db);
    sqlite3_close(pictures);
}

// The same SQL as SQLite takes it: the table inside the file, values in single quotes.
std::string AsBareSql(std::string sql) {
    auto at = sql.find("transistores.db");
    sql.replace(at, std::strlen("transistores.db"), "records");
    for (char& c : sql)
        if (c == '"') c = '\'';
    return sql;
}

void BM_EquivalentsSearch_Bare(benchmark::State& state) {
    UseInstallation(state.range(0));
    std::string sql;
    {
        platform::ScriptedMessenger quiet;
        Program p;
        p.form->show();
        PrepareSearch(*p.form, static_cast<int>(state.range(1)));
        p.form->TransistoresEquivalentes->click();
        sql = AsBareSql(p.module->PesquisarTransistores.SQL.back());
    }
    const std::string path = (bench::Samples().At(static_cast<int>(state.range(0))) / "data" / "Transistores.db").string();
    sqlite3* db = bench::OpenAsEngine(path, bench::BareUse::Reading, bench::BareMap::AsQueries);
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
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
    sqlite3_close(db);
}

void EachScale(benchmark::internal::Benchmark* b) {
    for (size_t i = 0; i < bench::Scales().size(); ++i) b->Arg(static_cast<int64_t>(i));
}

// Each size with Vce# at 0 % and 500 %.
void EachScaleAndPercent(benchmark::internal::Benchmark* b) {
    for (size_t i = 0; i < bench::Scales().size(); ++i)
        for (int64_t percent : {0, 500}) b->Args({static_cast<int64_t>(i), percent});
}

BENCHMARK(BM_Startup)->Apply(EachScale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearchKeystroke)->Apply(EachScale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuickSearchKeystroke_Bare)->Apply(EachScale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EquivalentsSearch_Window)->Apply(EachScaleAndPercent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EquivalentsSearch_Bare)->Apply(EachScaleAndPercent)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    benchmark::Initialize(&argc, argv);
    int qargc = 1;
    QApplication app(qargc, argv);
    platform::SetApplicationTitle("Vorel - Electronics");
    for (size_t i = 0; i < bench::Scales().size(); ++i)
        std::fprintf(stderr, "size %zu: %d transistors\n", i, bench::Scales()[i]);
    const auto saved = std::filesystem::current_path();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::current_path(saved);
    return 0;
}
