#include "platform/windows/sysroot/SystemRoot.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/core/runtime/Format.h"

namespace platform {

namespace fs = std::filesystem;

namespace {
std::unique_ptr<SystemRoot>& currentSlot() {
    static std::unique_ptr<SystemRoot> current;
    return current;
}
}  // namespace

fs::path DefaultSystemRootPath() {
    if (const char* s = std::getenv("VOREL_SYSROOT"); s && *s) return fs::path(s);
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return fs::path(x) / "vorel" / "sysroot";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "vorel" / "sysroot";
}

SystemRoot::SystemRoot(fs::path path) : path_(fs::absolute(path)), files_(path_) {
    std::error_code ec;
    fs::create_directories(path_ / "drive_c", ec);
    if (ec) throw Exception(Format("Cannot create the system root %s: %s", {path_.string(), ec.message()}));
    PlatformFacts& facts = files_.Facts();
    facts.WriteDefaultsIfMissing();
    for (const std::string& dir : {facts.WindowsDir(), facts.SystemDir(), facts.TempDir(),
                                   std::string("C:\\Program Files")}) {
        if (dir.empty()) continue;
        try {
            files_.ForceDirectories(dir);
        } catch (const EPathRefused&) {
            // A fact that points nowhere is left for the queries to report.
        }
    }
}

SystemRoot& CurrentSystemRoot() {
    auto& slot = currentSlot();
    if (!slot) slot = std::make_unique<SystemRoot>(DefaultSystemRootPath());
    return *slot;
}

WinFileSystem& Files() { return CurrentSystemRoot().Files(); }

ScopedSystemRoot::ScopedSystemRoot(const fs::path& path) {
    auto fresh = std::make_unique<SystemRoot>(path);
    previous_ = std::move(currentSlot());
    currentSlot() = std::move(fresh);
}

ScopedSystemRoot::~ScopedSystemRoot() { currentSlot() = std::move(previous_); }

}  // namespace platform
