#include "installer/base/ApiRoutines.h"

#include "installer/base/Exceptions.h"
#include "platform/core/runtime/Format.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {

namespace {
// The system's buffers: 261 characters for directories, 401 for short paths.
constexpr size_t kDirBuffer = 261;
constexpr size_t kShortPathBuffer = 401;
}  // namespace

std::string GetShortPathName(const std::string& path) {
    if (path.size() >= kShortPathBuffer) return path;
    auto shortPath = platform::Files().ShortPathName(path);
    if (!shortPath || shortPath->size() >= kShortPathBuffer) return path;
    return *shortPath;
}

int GetWindowsVersion() {
    auto v = platform::CurrentSystemRoot().Facts().Version();
    if (!v) throw EAPIRoutines("Could not get information about the current version of Windows");
    switch (v->platformId) {
    case 0: return 0;
    case 1: return 1;
    case 2: {
        std::string text = platform::Format("%d.%d", {v->majorVersion, v->minorVersion});
        return text.find("3.5") != std::string::npos ? 3 : 2;
    }
    default: return 4;
    }
}

std::string GetTemporaryFileName(bool keep) {
    std::string dir = platform::CurrentSystemRoot().Facts().TempDir();
    if (dir.empty() || dir.size() >= kDirBuffer) throw EAPIRoutines("Cannot create a temporary file");
    std::string name;
    try {
        name = platform::Files().CreateTempFile(dir, "bat");
    } catch (const platform::Exception&) {
        name.clear();
    }
    if (name.empty()) throw EAPIRoutines("Cannot create a temporary file");
    if (!keep) platform::Files().DeleteFile(name);
    return name;
}

std::string GetSystemDir() {
    std::string dir = platform::CurrentSystemRoot().Facts().SystemDir();
    if (dir.empty() || dir.size() >= kDirBuffer)
        throw EAPIRoutines("Could not retrieve the system directroy from windows");
    return dir;
}

std::string GetWindowsDir() {
    std::string dir = platform::CurrentSystemRoot().Facts().WindowsDir();
    if (dir.empty() || dir.size() >= kDirBuffer)
        throw EAPIRoutines("Could not retrieve the windows directory from windows");
    return dir;
}

}  // namespace installer
