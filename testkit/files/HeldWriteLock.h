#pragma once
// Test helper: another program's write lock on a host file (an advisory
// lock of its own open description), held for the object's lifetime.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace platform::testing {

class HeldWriteLock {
public:
    explicit HeldWriteLock(const std::filesystem::path& file) {
        fd_ = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (fd_ < 0 || ::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
            if (fd_ >= 0) ::close(fd_);
            throw std::runtime_error("Cannot lock " + file.string());
        }
    }
    ~HeldWriteLock() { Release(); }
    HeldWriteLock(const HeldWriteLock&) = delete;
    HeldWriteLock& operator=(const HeldWriteLock&) = delete;
    void Release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

}  // namespace platform::testing
