#include "platform/core/hostio/ReplaceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/runtime/Format.h"

namespace platform {

ReplaceLock::ReplaceLock(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        throw EHostIoError(Format("Cannot write %s: %s", {file.string(), std::strerror(errno)}));
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int e = errno;
        ::close(fd_);
        fd_ = -1;
        throw EHostIoError(Format("Cannot lock %s: %s", {file.string(), std::strerror(e)}));
    }
}

ReplaceLock::~ReplaceLock() {
    // Closing the folder's only descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

void RemoveKilledSaves(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    const std::string prefix = "." + file.filename().string() + ".";
    auto isLeftover = [&](const std::string& name) {
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
        return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                           [](unsigned char c) { return std::isalnum(c) != 0; });
    };
    std::error_code error;
    std::vector<std::filesystem::path> left;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (isLeftover(it->path().filename().string())) left.push_back(it->path());
    if (left.empty()) return;
    // Not blocking: the caller may hold this folder's lock itself.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        for (const auto& path : left) std::filesystem::remove(path, error);
    ::close(fd);
}

}  // namespace platform
