// setup-unattended ROOT [--cancel] [--shots DIR] [--screen WxH] [--build-only]
//                       [--to-diskettes | --from-diskettes SET]:
// runs the setup program's configuration in ROOT without a user (see
// run/Unattended.h), prints the pages met and what went wrong, and exits
// non-zero when the run ended badly. --build-only stops once the
// distribution (setup, its archives and the engine's install library) lies
// in D:\SETUP of the root. --to-diskettes spans the built C:\DIST\setup.exe
// of ROOT onto diskettes kept in ROOT/diskettes/N; --from-diskettes installs
// into ROOT from such a set (see run/Diskettes.h).
#include <QApplication>
#include <QFont>
#include <cstdio>
#include <cstring>

#include "tools/setup-unattended/run/Diskettes.h"
#include "tools/setup-unattended/run/Unattended.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup-unattended ROOT [--cancel] [--shots DIR] [--screen WxH] [--build-only]\n"
                             "                        [--to-diskettes | --from-diskettes SET]\n");
        return 2;
    }
    unattended::Options options = unattended::DefaultOptions(argv[1]);
    bool toDiskettes = false;
    const char* diskettes = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--build-only") == 0) {
            options.buildOnly = true;
        } else if (std::strcmp(argv[i], "--to-diskettes") == 0) {
            toDiskettes = true;
        } else if (std::strcmp(argv[i], "--from-diskettes") == 0 && i + 1 < argc) {
            diskettes = argv[++i];
        } else if (std::strcmp(argv[i], "--cancel") == 0) {
            options.cancelOnWelcome = true;
        } else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) {
            options.shotsDir = argv[++i];
        } else if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) != 2 || w < 640 || h < 480) {
                std::fprintf(stderr, "setup-unattended: --screen wants WxH of at least 640x480\n");
                return 2;
            }
            options.screen = QSize(w, h);
        } else {
            std::fprintf(stderr, "setup-unattended: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    const unattended::Outcome outcome = toDiskettes ? unattended::TransferToDiskettes(options.root)
                                        : diskettes ? unattended::InstallFromDiskettes(options, diskettes)
                                                    : unattended::RunUnattended(options);
    for (const auto& asked : outcome.diskPrompts) std::printf("asked: %s\n", asked.c_str());
    for (const auto& page : outcome.pages) std::printf("page: %s\n", page.c_str());
    for (const auto& problem : outcome.problems) std::printf("problem: %s\n", problem.c_str());
    std::printf("%s\n", outcome.Good() ? "good run" : "bad run");
    return outcome.Good() ? 0 : 1;
}
