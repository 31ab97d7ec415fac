#pragma once
// The setup program run from end to end without a user: the distribution's
// sources are laid into a system root from this build (the voreled program,
// the uninstaller, the database engine's stand-in files and install library,
// the sample generator's tables and help page, the licence and readme of
// the setup), the archives are packed by the configuration's own compress
// pass, and `setup`'s entry runs with the wizard test driver pressing each
// page's default button (or Cancel on the welcome page). What was installed
// is checked afterwards.
#include <QSize>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace installer {
class DisketteShelf;
}

namespace unattended {

inline constexpr const char* kSetupExe = "D:\\SETUP\\SETUP.EXE";
// Where a distribution build (setup -b) puts setup.exe, as D:\SETUP\BUILD.INF says.
inline constexpr const char* kDistributionDir = "C:\\DIST";
inline constexpr const char* kProductDir = "C:\\Program Files\\VorelSoft\\VorelE 300";

struct Options {
    std::filesystem::path root;     // the system root (made when missing)
    std::filesystem::path binDir;   // the build's programs
    std::filesystem::path bdeDir;   // the database engine's stand-in files
    bool cancelOnWelcome = false;
    // When not empty: a picture of each page over the backdrop goes there.
    std::filesystem::path shotsDir;
    QSize screen{1024, 768};
    bool startProgram = true;  // start the installed voreled and watch it open its tables
    bool buildOnly = false;    // stop once the distribution lies in D:\SETUP
    // When set, a file of the product (a Windows path) whose older copy lies
    // there in use: the run ends on the reboot page and the file is
    // replaced by the restart (sysroot-reboot).
    std::string inUse;
    // When set, the setup program already in the root to run (a Windows
    // path, e.g. one a distribution's loading program unpacked) with its
    // arguments; nothing is staged or packed. Else D:\SETUP\SETUP.EXE with
    // -sD:\SETUP, after staging and packing.
    std::string setupExe;
    std::vector<std::string> setupArguments;
    // When set, drive a: of the root holds a diskette of this set, and each
    // disk the setup asks for is swapped in and the prompt answered OK.
    installer::DisketteShelf* diskettes = nullptr;
};

// The build's own folders, as this program was built.
Options DefaultOptions(const std::filesystem::path& root);

struct Outcome {
    std::vector<std::string> pages;        // the caption of each wizard page met, in order
    std::vector<std::string> boxes;        // every message box shown
    std::vector<std::string> diskPrompts;  // every disk prompt answered by a swap
    std::vector<std::string> problems;     // what went wrong; empty: a good run
    int exitCode = 0;
    // The install as a user waits for it: from the answer to the readme
    // page to the next page shown (extraction, registry, engine, shortcuts).
    std::int64_t installMs = 0;
    // The part of it spent installing the files, summed over each file from
    // its before-install to its after-install event: the extraction with
    // its progress reports and copy window, without the other steps.
    std::int64_t filesNs = 0;
    bool Good() const { return problems.empty(); }
};

// Lays the distribution's sources into the current root, the programs
// stripped of debug information: the setup with its archives' sources and
// BUILD.INF in D:\SETUP, and the build machine's installer library (its
// marker file, the loading program, the uninstaller, the engine's install
// library and template) found through its LibraryPath value.
void StageSources(const Options& options);

// Stages, packs and runs the setup in options.root; needs a QApplication.
Outcome RunUnattended(const Options& options);

// Runs the setup on the distribution that a run with buildOnly left in
// options.root (benchmarks time the install alone this way).
Outcome RunBuiltSetup(const Options& options);

}  // namespace unattended
