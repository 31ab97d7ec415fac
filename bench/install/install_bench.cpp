// The product's install as a user waits for it, against extracting the same
// archives alone. The distribution is built once (setup-unattended's build);
// every round starts from a copy of that untouched root, so each install
// meets an empty system. BM_Install runs the setup program with the wizard
// pressing each page's default button and times the install pass: from the
// readme page's Next to the end page (extraction with its copy window,
// registry, engine configuration, shortcuts). BM_ArctoolExtract runs
// `arctool extract --threads 1` on each archive of the distribution, as
// whole processes. Their ratio is the install's cost beyond its extraction.
// BM_InstallFiles runs the same install and times only its files: each
// file from its before-install to its after-install event (extraction,
// progress reports, the copy window), to set against BM_ArctoolExtract.
// On tmpfs the codec's extraction within the install takes about what
// arctool's whole process takes; the rest (about a third of a file's
// install) is per-file work the install owes the system: the shared-file
// count kept in the registry (each write saved at once, through a synced
// file), the overwrite checks, and case-insensitive lookups of the
// destination (a missing name is looked for in its whole folder, so this
// part grows with the files a folder receives). On a disk the synced saves
// of the registry and the ini files outweigh the extraction.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QProcess>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/setup-unattended/run/Unattended.h"

namespace fs = std::filesystem;

namespace {

struct Distribution {
    fs::path pristine;  // the root right after the build
    fs::path root;      // where each round runs
    std::vector<fs::path> archives;

    Distribution() {
        const char* tmp = std::getenv("TMPDIR");
        const fs::path base = fs::path(tmp && *tmp ? tmp : "/tmp") / ("install_bench." + std::to_string(::getpid()));
        pristine = base / "pristine";
        root = base / "root";
        unattended::Options options = unattended::DefaultOptions(pristine);
        options.buildOnly = true;
        const unattended::Outcome built = unattended::RunUnattended(options);
        for (const auto& problem : built.problems) std::cerr << "install_bench: " << problem << "\n";
        if (!built.Good()) std::exit(1);
        for (const auto& entry : fs::directory_iterator(pristine / "drive_d" / "SETUP"))
            if (entry.path().extension() == ".1") archives.push_back(entry.path());
    }
    ~Distribution() {
        std::error_code ec;
        fs::remove_all(pristine.parent_path(), ec);
    }
    void Reset() const {
        fs::remove_all(root);
        fs::copy(pristine, root, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
};

Distribution& Built() {
    static Distribution d;
    return d;
}

enum class Span { InstallPass, Files };

void TimeInstall(benchmark::State& state, Span span) {
    Distribution& d = Built();
    unattended::Options options = unattended::DefaultOptions(d.root);
    options.startProgram = false;
    for (auto _ : state) {
        state.PauseTiming();
        d.Reset();
        state.ResumeTiming();
        const unattended::Outcome outcome = unattended::RunBuiltSetup(options);
        if (!outcome.Good()) {
            state.SkipWithError(outcome.problems.front().c_str());
            return;
        }
        state.SetIterationTime(span == Span::Files ? static_cast<double>(outcome.filesNs) / 1e9
                                                   : static_cast<double>(outcome.installMs) / 1000.0);
    }
    state.counters["archives"] = static_cast<double>(d.archives.size());
}

void BM_Install(benchmark::State& state) { TimeInstall(state, Span::InstallPass); }
void BM_InstallFiles(benchmark::State& state) { TimeInstall(state, Span::Files); }

void BM_ArctoolExtract(benchmark::State& state) {
    Distribution& d = Built();
    for (auto _ : state) {
        state.PauseTiming();
        d.Reset();
        const fs::path into = d.root / "extracted";
        state.ResumeTiming();
        for (const fs::path& archive : d.archives) {
            const fs::path copy = d.root / "drive_d" / "SETUP" / archive.filename();
            QProcess tool;
            tool.start(VOREL_ARCTOOL, {"extract", QString::fromStdString(copy.string()),
                                       QString::fromStdString((into / archive.stem()).string()), "--threads", "1"});
            if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
                state.SkipWithError(("arctool failed on " + archive.string()).c_str());
                return;
            }
        }
    }
}

BENCHMARK(BM_Install)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_InstallFiles)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ArctoolExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
