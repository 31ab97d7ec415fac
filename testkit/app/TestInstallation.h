#pragma once
// A small installation for the window's tests: the seven tables with a few
// devices whose values make the equivalents searches easy to check, and
// one-colour package pictures.
#include <QColor>
#include <filesystem>
#include <map>
#include <string>

#include "testkit/files/TempDir.h"

namespace vorel::testing {

using Values = std::map<std::string, std::string>;

class TestInstallation {
public:
    TestInstallation();
    const std::filesystem::path& Base() const { return dir_.Path(); }
    std::filesystem::path Data() const { return dir_.Path() / "data"; }
    void Add(const std::string& file, const Values& values);
    void AddPicture(const std::string& name, QColor color);

    static const std::map<std::string, QColor>& Colours();

private:
    platform::testing::TempDir dir_;
};

// Runs in a directory for the length of a scope (the program's base
// directory is the current one).
class CurrentDir {
public:
    explicit CurrentDir(const std::filesystem::path& dir);
    ~CurrentDir();
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    std::filesystem::path saved_;
};

}  // namespace vorel::testing
