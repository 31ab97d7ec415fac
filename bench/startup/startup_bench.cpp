// The main window on a large installation: start-up from the window's
// creation to the end of its first show, and one transistor equivalents
// search from the button click to the filled result grids, beside the same
// SQL through the bare sqlite3 C API (read to its end) in the same run.
//
// The installation comes from VOREL_BENCH_DIR when it names one, else it is
// written to a temporary directory with VOREL_BENCH_SCALE synthetic
// transistors (default 100000) and removed afterwards.
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/data/ModuloDeDados.h"
#include "app/ui/TFormulario.h"
#include "platform/dbcontrols/DBGrid.h"
#include "platform/qtglue/CaseEdit.h"
#include "platform/qtglue/Messenger.h"
#include "tools/vorel-sample/writer/SampleWriter.h"

namespace {

std::filesystem::path g_base;

// The window and its data module as the program makes them.
struct Program {
    QPointer<vorel::TFormulario> form;
    std::unique_ptr<vorel::TModuloDeDados> modulo;
    Program() {
        form = new vorel::TFormulario;
        modulo = std::make_unique<vorel::TModuloDeDados>(form->DiretorioBase);
        form->SetModuloDeDados(modulo.get());
        form->resize(1366, 768);
    }
    ~Program() {
        delete form.data();
        modulo.reset();
    }
};

void FillGrids(vorel::TFormulario& f) {
    for (auto* grid : f.Panel(vorel::Device::Transistores).GridsEquivalente)
        benchmark::DoNotOptimize(grid->VisibleRows());
}

void BM_Startup(benchmark::State& state) {
    platform::ScriptedMessenger quiet;
    for (auto _ : state) {
        Program p;
        p.form->show();
        if (p.form->Iniciando() || !quiet.shown.empty()) {
            state.SkipWithError(quiet.shown.empty() ? "start-up did not end" : quiet.shown[0].text.c_str());
            break;
        }
        state.PauseTiming();
        p.form->hide();
        state.ResumeTiming();
    }
}

// BC547's search with Vce# at the given percentage: the quick search finds
// it, the button searches.
void PrepareSearch(vorel::TFormulario& f, int percent) {
    f.TBBuscaRapida->setText("BC547");
    f.Panel(vorel::Device::Transistores).Combos.back()->setCurrentText(QString::number(percent));
}

void BM_EquivalentsSearch_Window(benchmark::State& state) {
    platform::ScriptedMessenger quiet;
    Program p;
    p.form->show();
    PrepareSearch(*p.form, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        p.form->TransistoresEquivalentes->click();
        FillGrids(*p.form);
    }
    state.counters["rows"] = p.modulo->PesquisarTransistores.RecordCount();
    if (!quiet.shown.empty()) state.SkipWithError(quiet.shown[0].text.c_str());
}

// One keystroke in the transistor quick-search box: the table moves, the
// package picture is shown, the original's grids of the first sheet fill.
void BM_QuickSearchKeystroke(benchmark::State& state) {
    platform::ScriptedMessenger quiet;
    Program p;
    p.form->show();
    const char* codes[] = {"B", "BC", "BC5", "BC54", "BC547", "S", "SY", "SYN", "SYN05", "SYN0543", "T", "TIP3"};
    size_t i = 0;
    for (auto _ : state) {
        p.form->TBBuscaRapida->setText(codes[i++ % std::size(codes)]);
        for (int g = 0; g < 2; ++g) benchmark::DoNotOptimize(p.form->DBGridTO[g]->VisibleRows());
    }
    if (!quiet.shown.empty()) state.SkipWithError(quiet.shown[0].text.c_str());
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
    std::string sql;
    {
        platform::ScriptedMessenger quiet;
        Program p;
        p.form->show();
        PrepareSearch(*p.form, static_cast<int>(state.range(0)));
        p.form->TransistoresEquivalentes->click();
        sql = AsBareSql(p.modulo->PesquisarTransistores.SQL.back());
    }
    sqlite3* db = nullptr;
    const std::string path = (g_base / "data" / "Transistores.db").string();
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
    int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0, n = sqlite3_column_count(s); c < n; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
            ++rows;
        }
        sqlite3_finalize(s);
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
    sqlite3_close(db);
}

BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearchKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EquivalentsSearch_Window)->Arg(0)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EquivalentsSearch_Bare)->Arg(0)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    benchmark::Initialize(&argc, argv);
    int qargc = 1;
    QApplication app(qargc, argv);
    platform::SetApplicationTitle("Vorel - Electronics");
    bool temporary = false;
    if (const char* dir = std::getenv("VOREL_BENCH_DIR"); dir && std::filesystem::is_directory(std::string(dir) + "/data")) {
        g_base = dir;
    } else {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vorel-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) return 1;
        g_base = tmpl;
        temporary = true;
        int scale = 100000;
        if (const char* s = std::getenv("VOREL_BENCH_SCALE")) scale = std::atoi(s);
        std::fprintf(stderr, "writing a --scale %d installation to %s\n", scale, g_base.c_str());
        sample::WriteInstallation(g_base, sample::WriteOptions{scale});
    }
    // The program's base directory is the current one.
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(g_base);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::current_path(saved);
    if (temporary) std::filesystem::remove_all(g_base);
    return 0;
}
