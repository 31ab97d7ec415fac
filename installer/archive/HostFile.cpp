#include "installer/archive/HostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace installer {

HostFile::~HostFile() { Close(); }

HostFile::HostFile(HostFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), position_(other.position_), opened_(other.opened_) {}

HostFile& HostFile::operator=(HostFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        position_ = other.position_;
        opened_ = other.opened_;
    }
    return *this;
}

bool HostFile::Open(const std::filesystem::path& path, Mode mode) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR; break;
        case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    // Non-blocking while opening, so that a named pipe cannot hang us
    // before the regular-file check refuses it.
    int fd;
    do fd = ::open(path.c_str(), flags | O_NONBLOCK, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat st;
    int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    position_ = 0;
    opened_ = st;
    return true;
}

void HostFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    position_ = 0;
}

std::size_t HostFile::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (fd_ >= 0 && done < count) {
        ssize_t n = ::pread(fd_, p + done, count - done, position_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
        position_ += n;
    }
    return done;
}

std::size_t HostFile::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (fd_ >= 0 && done < count) {
        ssize_t n = ::pwrite(fd_, p + done, count - done, position_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
        position_ += n;
    }
    return done;
}

bool HostFile::Seek(std::int64_t position) {
    if (fd_ < 0 || position < 0) return false;
    position_ = position;
    return true;
}

bool HostFile::SeekEnd() {
    std::int64_t size = Size();
    if (size < 0) return false;
    position_ = size;
    return true;
}

std::int64_t HostFile::Size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return st.st_size;
}

}  // namespace installer
