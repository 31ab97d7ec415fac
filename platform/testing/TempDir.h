#pragma once
// Test helper: a fresh temporary folder for one test, removed with all it
// holds when the test ends.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace platform::testing {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "vorel-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A path inside the folder.
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace platform::testing
