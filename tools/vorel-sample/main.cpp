// vorel-sample DIR [--scale N] | --version: writes a sample installation into DIR, ready
// for the program to start in.
#include "testkit/generators/sample/SampleWriter.h"

#include "VersaoPrograma.h"
#include "platform/core/runtime/Exception.h"

#include <QGuiApplication>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int Usage() {
    std::fprintf(stderr, "usage: vorel-sample DIR [--scale N] | --version\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    std::string dir;
    sample::WriteOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--version" && argc == 2) {
            std::printf("vorel-sample %s\n", vorel::kVersaoPrograma);
            return 0;
        }
        if (arg == "--scale") {
            if (++i >= argc) return Usage();
            const char* v = argv[i];
            auto [p, ec] = std::from_chars(v, v + std::strlen(v), options.scale);
            if (ec != std::errc() || *p != '\0' || options.scale < 0) return Usage();
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (dir.empty()) {
            dir = arg;
        } else {
            return Usage();
        }
    }
    if (dir.empty()) return Usage();

    // The drawings need fonts, not a screen.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    try {
        sample::WriteInstallation(dir, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorel-sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
