#pragma once
// Test helper: a fresh temporary folder for one test, removed with all it
// holds when the object goes.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace platform::testing {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "vorel-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("Cannot create a temporary folder");
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
    // Writes a whole file inside the folder, making its folders first; its path.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
        return p;
    }

private:
    std::filesystem::path path_;
};

}  // namespace platform::testing

namespace platform {

// A fresh, empty folder for a test's system root.
using TempRootDir = testing::TempDir;

}  // namespace platform
