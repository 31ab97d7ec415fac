// Opening a long note in the editor, from the Open button to the file shown
// and the editor taking input again, against the RTF reader alone on the
// same bytes: ratio_to_reader is the open's time over the reader's, both
// measured in the same run. Notes of 50,000 and 500,000 short paragraphs as
// WordPad writes them (a font and colour table, a format per paragraph, a
// bold word and a \u character in each).
#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "app/editor/TextEditor.h"
#include "app/rtf/Rtf.h"
#include "testkit/files/TempDir.h"

namespace {

std::string Note(int paragraphs) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\r\n";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\pard\\sa60\\f0\\fs20 Step " + std::to_string(i) + ": measure {\\b R" + std::to_string(i % 100) +
               "} at 10 k\\u937?.\\par\r\n";
    return rtf + "}\r\n";
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The reader's best of three on the note.
double ReaderSeconds(const std::string& bytes) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(rtf::Read(bytes));
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    return best;
}

void BM_Read(benchmark::State& state) {
    const std::string bytes = Note(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(rtf::Read(bytes));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Read)->Arg(50000)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Open(benchmark::State& state) {
    platform::testing::TempDir dir;
    const std::string bytes = Note(static_cast<int>(state.range(0)));
    const std::string path = dir.Write("long.rtf", bytes).string();
    const double reader = ReaderSeconds(bytes);
    bool unchanged = true;
    std::string fileName = "Untitled", directory = dir.Path().string();
    vorel::TextEditor editor(unchanged, fileName, directory, [] { return false; });
    editor.resize(1000, 700);
    editor.show();
    editor.ChooseFileToOpen = [&](const std::string&) { return path; };
    QApplication::processEvents();
    editor.StartEditor();
    editor.StartParagraphs();
    double opened = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        editor.AbrirClick();
        QApplication::processEvents();  // shown, painted and taking input again
        opened += Seconds(std::chrono::steady_clock::now() - start);
    }
    if (!unchanged || editor.Texto->document()->blockCount() != state.range(0)) state.SkipWithError("not opened");
    state.counters["ratio_to_reader"] = opened / static_cast<double>(state.iterations()) / reader;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Open)->Arg(50000)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
