#pragma once
// A scratch folder for a fuzz target: made on first use and kept for the
// whole run (a fuzzer never ends its inputs' scope), removed at exit.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform::testing {

inline const std::filesystem::path& FuzzScratch() {
    static const std::filesystem::path* dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorel-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        auto* made = new std::filesystem::path(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(FuzzScratch(), ec);
        });
        return made;
    }();
    return *dir;
}

}  // namespace platform::testing
