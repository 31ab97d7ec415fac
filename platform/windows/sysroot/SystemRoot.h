#pragma once
// The system root: the host folder that holds the whole simulated Windows
// (drives, registry hives, platform facts). Chosen by VOREL_SYSROOT, else
// $XDG_DATA_HOME/vorel/sysroot, else ~/.local/share/vorel/sysroot. Tests give
// their own root with ScopedSystemRoot.
#include <filesystem>
#include <memory>

#include "platform/windows/sysroot/FileSystem.h"
#include "platform/windows/sysroot/PlatformFacts.h"

namespace platform {

std::filesystem::path DefaultSystemRootPath();

class SystemRoot {
public:
    // Creates the root when needed and lays down what a fresh Windows has:
    // platform.ini with its defaults, the Windows, system and temporary
    // directories and C:\Program Files.
    explicit SystemRoot(std::filesystem::path path);

    const std::filesystem::path& Path() const { return path_; }
    WinFileSystem& Files() { return files_; }
    const PlatformFacts& Facts() const { return files_.Facts(); }
    PlatformFacts& Facts() { return files_.Facts(); }

private:
    std::filesystem::path path_;
    WinFileSystem files_;
};

// The root of this process, made on first use from DefaultSystemRootPath().
SystemRoot& CurrentSystemRoot();
// Shortcut for CurrentSystemRoot().Files().
WinFileSystem& Files();

// Makes another root current for its lifetime (tests), then restores the previous one.
class ScopedSystemRoot {
public:
    explicit ScopedSystemRoot(const std::filesystem::path& path);
    ~ScopedSystemRoot();
    ScopedSystemRoot(const ScopedSystemRoot&) = delete;
    ScopedSystemRoot& operator=(const ScopedSystemRoot&) = delete;

    SystemRoot& Root() { return CurrentSystemRoot(); }

private:
    std::unique_ptr<SystemRoot> previous_;
};

}  // namespace platform
