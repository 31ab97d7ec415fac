// The IC search over a large installation: building the result page from
// the IC table, and showing it in the viewer (parse and layout at 1000
// pixels) against QTextDocument (setHtml and layout at the same width) on
// the same page. Row counts 100, 1000 and 10000 show how the cost grows.
//
// The installation comes from VOREL_BENCH_DIR when it names one written
// with --scale 20000 or more, else it is written to a temporary directory
// and removed afterwards.
#include "app/data/TableSchemas.h"
#include "app/icsearch/PaginaResultadoCI.h"
#include "htmlview/control/HtmlDisplay.h"
#include "platform/tables/Table.h"
#include "testkit/generators/sample/SampleWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextDocument>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1000;
fs::path g_base;

// Synthetic codes are SYNIC000000 up: each digit less in the search text
// multiplies the matches by ten.
std::string SearchFor(int rows) {
    switch (rows) {
        case 100: return "SYNIC0000";
        case 1000: return "SYNIC000";
        default: return "SYNIC00";
    }
}

class Integrados {
public:
    Integrados() {
        session_.AddPassword(vorel::kTablePassword);
        table_.DatabaseName = (g_base / "data").string();
        table_.TableName = "Integrados.db";
        table_.Open();
    }
    platform::TTable& Table() { return table_; }

private:
    platform::TSession session_;
    platform::TTable table_{&session_};
};

Integrados& Table() {
    static Integrados t;
    return t;
}

// The page of the first Rows matches of the 10000-row search.
const std::vector<std::string>& Page(int rows) {
    static const std::vector<std::string> all =
        vorel::PaginaResultadoCI(Table().Table(), SearchFor(10000), g_base / "vorel.ini");
    static std::map<int, std::vector<std::string>> pages;
    auto& p = pages[rows];
    if (p.empty()) {
        constexpr size_t kHead = 8 + 16, kTail = 4;
        p.assign(all.begin(), all.begin() + static_cast<long>(kHead + 6 * static_cast<size_t>(rows)));
        p.insert(p.end(), all.end() - kTail, all.end());
    }
    return p;
}

QString Html(int rows) {
    QStringList l;
    for (const std::string& s : Page(rows)) l.push_back(QString::fromStdString(s));
    return l.join('\n');
}

// A viewer whose layout width is kWidth, set up as on the IC tab.
std::unique_ptr<htmlview::THtmlDisplay> Viewer() {
    auto v = std::make_unique<htmlview::THtmlDisplay>();
    v->SetScrollBars(htmlview::TScrollStyle::ssVertical);
    v->SetBorderStyle(htmlview::THTMLBorderStyle::htSingle);
    v->SetMarginWidth(5);
    v->SetDefBackground(htmlview::clWhite);
    v->resize(kWidth + v->ScrollBarWidth + 3 + 2 * 5, 600);
    return v;
}

void BM_BuildPage(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    size_t lines = 0;
    for (auto _ : state) {
        auto page = vorel::PaginaResultadoCI(Table().Table(), SearchFor(rows), g_base / "vorel.ini");
        lines = page.size();
        benchmark::DoNotOptimize(page);
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_BuildPage)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ViewerParseAndLayout(benchmark::State& state) {
    const auto& page = Page(static_cast<int>(state.range(0)));
    auto viewer = Viewer();
    for (auto _ : state) {
        viewer->LoadFromStrings(page);
        benchmark::DoNotOptimize(viewer->DocHeight);
    }
    state.counters["height"] = viewer->DocHeight;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ViewerParseAndLayout)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ViewerLayoutOnly(benchmark::State& state) {
    auto viewer = Viewer();
    viewer->LoadFromStrings(Page(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        viewer->LayoutDocument();
        benchmark::DoNotOptimize(viewer->DocHeight);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ViewerLayoutOnly)->Arg(100)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_QTextDocument(benchmark::State& state) {
    const QString html = Html(static_cast<int>(state.range(0)));
    double height = 0;
    for (auto _ : state) {
        QTextDocument doc;
        doc.setHtml(html);
        doc.setTextWidth(kWidth);
        height = doc.documentLayout()->documentSize().height();
        benchmark::DoNotOptimize(height);
    }
    state.counters["height"] = height;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_QTextDocument)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

// The whole search as the user waits for it: table scan, page, viewer.
void BM_SearchInViewer(benchmark::State& state) {
    auto viewer = Viewer();
    for (auto _ : state) {
        viewer->LoadFromStrings(vorel::PaginaResultadoCI(Table().Table(), SearchFor(1000), g_base / "vorel.ini"));
        benchmark::DoNotOptimize(viewer->DocHeight);
    }
}
BENCHMARK(BM_SearchInViewer)->Unit(benchmark::kMillisecond);

void BM_SearchInQTextDocument(benchmark::State& state) {
    for (auto _ : state) {
        QStringList l;
        for (const std::string& s : vorel::PaginaResultadoCI(Table().Table(), SearchFor(1000), g_base / "vorel.ini"))
            l.push_back(QString::fromStdString(s));
        QTextDocument doc;
        doc.setHtml(l.join('\n'));
        doc.setTextWidth(kWidth);
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
}
BENCHMARK(BM_SearchInQTextDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    fs::path temp;
    if (const char* dir = std::getenv("VOREL_BENCH_DIR")) {
        g_base = dir;
    } else {
        std::string t = (fs::temp_directory_path() / "icbenchXXXXXX").string();
        if (!mkdtemp(t.data())) return 1;
        temp = g_base = t;
        sample::WriteInstallation(g_base, {20000});
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!temp.empty()) {
        std::error_code ec;
        fs::remove_all(temp, ec);
    }
    return 0;
}
