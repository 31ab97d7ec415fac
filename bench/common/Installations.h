#pragma once
// Sample installations at several sizes for the benchmarks, so each case is
// measured at every size in one run. The sizes (synthetic transistors) come
// from VOREL_BENCH_SCALES, default "10000,100000,300000". An installation is
// taken from VOREL_BENCH_DIR/<scale> when that folder holds one, else written
// to a temporary folder on first use and removed when the program ends.
#include "testkit/generators/sample/SampleWriter.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

inline std::vector<int> Scales() {
    static const std::vector<int> scales = [] {
        std::vector<int> out;
        const char* text = std::getenv("VOREL_BENCH_SCALES");
        std::istringstream in(text ? text : "10000,100000,300000");
        std::string item;
        while (std::getline(in, item, ','))
            if (int n = std::atoi(item.c_str()); n > 0) out.push_back(n);
        if (out.empty()) out.push_back(10000);
        return out;
    }();
    return scales;
}

class Installations {
public:
    ~Installations() {
        std::error_code ec;
        for (const auto& dir : temporary_) std::filesystem::remove_all(dir, ec);
    }
    // The installation's base folder for the index-th scale.
    const std::filesystem::path& At(int index) {
        const int scale = Scales().at(static_cast<size_t>(index));
        auto it = bases_.find(scale);
        if (it != bases_.end()) return it->second;
        std::filesystem::path base;
        if (const char* dir = std::getenv("VOREL_BENCH_DIR");
            dir && std::filesystem::is_directory(std::filesystem::path(dir) / std::to_string(scale) / "data")) {
            base = std::filesystem::path(dir) / std::to_string(scale);
        } else {
            if (!QGuiApplication::instance()) {
                if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
                static int argc = 1;
                static char name[] = "bench";
                static char* argv[] = {name, nullptr};
                static QGuiApplication app(argc, argv);
            }
            std::string pattern = (std::filesystem::temp_directory_path() / "vorel-bench-XXXXXX").string();
            if (!mkdtemp(pattern.data())) std::abort();
            base = pattern;
            temporary_.push_back(base);
            std::fprintf(stderr, "writing a --scale %d installation to %s\n", scale, base.c_str());
            sample::WriteInstallation(base, sample::WriteOptions{scale});
        }
        return bases_.emplace(scale, base).first->second;
    }

private:
    std::map<int, std::filesystem::path> bases_;
    std::vector<std::filesystem::path> temporary_;
};

inline Installations& Samples() {
    static Installations samples;
    return samples;
}

}  // namespace bench
