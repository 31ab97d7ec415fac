// Hive files whose cost must grow with their size alone:
//   HexOneLine/N     a binary value of N bytes on one line (the baseline)
//   HexContinued/N   the same bytes, one per line, each line continued
//   RunOnce/N        a played restart taking N RunOnce commands
// Compare bytes or items per second: HexContinued stays within a small
// factor of HexOneLine at every N, and each rate stays flat as N grows ten
// times (a pass over all lines or values per line or value would fall ten times).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/restart/Restart.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

namespace {

std::string hexValue(int bytes, bool continued) {
    std::string s = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Bench]\r\n\"Bin\"=hex:";
    char byte[4];
    for (int i = 0; i < bytes; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", i % 256);
        if (i) s += continued ? ",\\\r\n  " : ",";
        s += byte;
    }
    return s + "\r\n";
}

void parse(benchmark::State& state, bool continued) {
    const std::string text = hexValue(static_cast<int>(state.range(0)), continued);
    for (auto _ : state) benchmark::DoNotOptimize(platform::ParseRegedit4(text, "HKEY_LOCAL_MACHINE"));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HexOneLine(benchmark::State& state) { parse(state, false); }
void BM_HexContinued(benchmark::State& state) { parse(state, true); }

void BM_RunOnce(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::string hive = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n";
    char line[64];
    for (int i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "\"cmd%07d\"=\"C:\\\\p.exe %d\"\r\n", i, i);
        hive += line;
    }
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(dir.Path() / "HKLM.reg", std::ios::binary) << hive;
        state.ResumeTiming();
        auto report = platform::SimulateRestart([](const platform::RunOnceCommand&) { return true; });
        benchmark::DoNotOptimize(report);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_HexOneLine)->Arg(20000)->Arg(200000);
BENCHMARK(BM_HexContinued)->Arg(20000)->Arg(200000);
BENCHMARK(BM_RunOnce)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
