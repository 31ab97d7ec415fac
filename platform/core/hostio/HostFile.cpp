#include "platform/core/hostio/HostFile.h"

#include <cassert>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/core/hostio/HostFault.h"

namespace platform {

namespace {

HostFileFacts FactsOf(const struct stat& st) {
    HostFileFacts f;
    f.size = st.st_size;
    f.modifiedMs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    f.device = st.st_dev;
    f.inode = st.st_ino;
    f.permissions = static_cast<unsigned>(st.st_mode & 07777);
    return f;
}

// The one transfer loop: moves count bytes at offset unless the end of the
// file or an error stops it; an interrupted call is made again.
template <typename Call>
std::size_t Transfer(std::size_t count, std::int64_t offset, int& lastError, Call call) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = call(done, count - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            lastError = errno;
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace

HostFile::HostFile(int fd) : fd_(fd) {
    struct stat st;
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0) opened_ = FactsOf(st);
    const int status = fd_ >= 0 ? ::fcntl(fd_, F_GETFL) : -1;
    writable_ = status >= 0 && (status & O_ACCMODE) != O_RDONLY;
}

HostFile::~HostFile() { Close(); }

HostFile::HostFile(HostFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      position_(other.position_),
      lastError_(other.lastError_),
      writable_(other.writable_),
      opened_(other.opened_) {}

HostFile& HostFile::operator=(HostFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        position_ = other.position_;
        lastError_ = other.lastError_;
        writable_ = other.writable_;
        opened_ = other.opened_;
    }
    return *this;
}

bool HostFile::Open(const std::filesystem::path& path, Mode mode, unsigned permissions) {
    Close();
    lastError_ = 0;
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR; break;
        case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        // With O_APPEND each write lands at the end, whatever the position says.
        case Mode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    }
    // Non-blocking while opening, so that a named pipe cannot hang us
    // before the regular-file check refuses it.
    int fd;
    do fd = ::open(path.c_str(), flags | O_NONBLOCK, static_cast<mode_t>(permissions));
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    struct stat st;
    const int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        lastError_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    position_ = 0;
    writable_ = mode != Mode::Read;
    opened_ = FactsOf(st);
    return true;
}

bool HostFile::Close() {
    if (fd_ < 0) return true;
    const int fd = std::exchange(fd_, -1);
    position_ = 0;
    if (writable_ && HostCallFails(HostCall::Close)) {
        lastError_ = errno;
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0 && errno != EINTR) {
        lastError_ = errno;
        return false;
    }
    return true;
}

std::size_t HostFile::Read(void* buffer, std::size_t count) {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return 0;
    }
    auto* p = static_cast<char*>(buffer);
    assert(position_ >= 0);
    const std::size_t done = Transfer(count, position_, lastError_, [&](std::size_t at, std::size_t n, std::int64_t offset) {
        return ::pread(fd_, p + at, n, static_cast<off_t>(offset));
    });
    position_ += static_cast<std::int64_t>(done);
    return done;
}

std::size_t HostFile::Write(const void* buffer, std::size_t count) {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return 0;
    }
    const auto* p = static_cast<const char*>(buffer);
    const std::size_t done = Transfer(count, position_, lastError_, [&](std::size_t at, std::size_t n, std::int64_t offset) -> ssize_t {
        if (HostCallFails(HostCall::Write)) return -1;
        const ssize_t w = ::pwrite(fd_, p + at, n, static_cast<off_t>(offset));
        // A write that moves nothing would loop: the disk is full.
        if (w == 0) errno = ENOSPC;
        return w == 0 ? -1 : w;
    });
    position_ += static_cast<std::int64_t>(done);
    return done;
}

bool HostFile::Seek(std::int64_t position) {
    if (fd_ < 0 || position < 0) return false;
    position_ = position;
    return true;
}

bool HostFile::SeekEnd() {
    const std::int64_t size = Size();
    if (size < 0) return false;
    position_ = size;
    return true;
}

std::int64_t HostFile::Size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return st.st_size;
}

bool HostFile::SetSize(std::int64_t size) {
    if (fd_ < 0 || size < 0) return false;
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

bool HostFile::Sync() {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    if (HostCallFails(HostCall::Sync) || ::fsync(fd_) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

std::optional<HostFileFacts> HostFile::Current() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    return FactsOf(st);
}

bool HostFile::SetModifiedMs(std::int64_t unixMs) {
    if (fd_ < 0 || HostCallFails(HostCall::Date)) return false;
    std::int64_t sec = unixMs / 1000, rest = unixMs % 1000;
    if (rest < 0) {
        rest += 1000;
        --sec;
    }
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(sec);
    times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(rest * 1000000);
    return ::futimens(fd_, times) == 0;
}

bool HostFile::SetPermissions(unsigned permissions) {
    if (fd_ < 0) return false;
    if (::fchmod(fd_, static_cast<mode_t>(permissions & 07777)) == 0) return true;
    lastError_ = errno;
    return false;
}

void HostFile::MarkExecutableWhenProgram(const unsigned char* head, std::size_t headLength) {
    const bool elf = headLength >= 4 && std::memcmp(head, "\x7F" "ELF", 4) == 0;
    const bool script = headLength >= 2 && head[0] == '#' && head[1] == '!';
    if (fd_ < 0 || (!elf && !script)) return;
    struct stat st;
    if (::fstat(fd_, &st) != 0) return;
    mode_t mode = st.st_mode & 07777;
    mode |= (mode & 0444) >> 2;  // r -> x for owner, group, others
    ::fchmod(fd_, mode);
}

std::optional<HostFileFacts> HostFileFactsOf(const std::filesystem::path& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FactsOf(st);
}

bool RenameHostFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (HostCallFails(HostCall::Rename)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace platform
