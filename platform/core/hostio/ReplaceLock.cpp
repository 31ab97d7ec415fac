#include "platform/core/hostio/ReplaceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

}  // namespace platform
