#include "platform/sysroot/FileStream.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileStream::FileStream(int fd, std::string name, std::optional<std::int64_t> spaceLeft)
    : fd_(fd), name_(std::move(name)), spaceLeft_(spaceLeft) {}

FileStream::FileStream(FileStream&& other) noexcept
    : fd_(other.fd_), name_(std::move(other.name_)), lastError_(other.lastError_), spaceLeft_(other.spaceLeft_) {
    other.fd_ = -1;
}

FileStream& FileStream::operator=(FileStream&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        name_ = std::move(other.name_);
        lastError_ = other.lastError_;
        spaceLeft_ = other.spaceLeft_;
        other.fd_ = -1;
    }
    return *this;
}

FileStream::~FileStream() { Close(); }

void FileStream::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return 0;
    }
    std::size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(fd_, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            lastError_ = errno;
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return 0;
    }
    std::size_t allowed = count;
    if (spaceLeft_) {
        // Growth beyond the end of the file uses up the drive.
        std::int64_t pos = Position(), size = Size();
        std::int64_t growth = std::max<std::int64_t>(0, pos + static_cast<std::int64_t>(count) - size);
        if (growth > *spaceLeft_)
            allowed = static_cast<std::size_t>(std::max<std::int64_t>(0, size - pos) + *spaceLeft_);
    }
    std::size_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    std::int64_t sizeBefore = spaceLeft_ ? Size() : 0;
    while (done < allowed) {
        ssize_t n = ::write(fd_, p + done, allowed - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            lastError_ = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (spaceLeft_) {
        *spaceLeft_ -= std::max<std::int64_t>(0, Size() - sizeBefore);
        if (done < count && lastError_ == 0) lastError_ = ENOSPC;
    }
    return done;
}

void FileStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void FileStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    if (fd_ < 0) return -1;
    int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0) lastError_ = errno;
    return static_cast<std::int64_t>(r);
}

std::int64_t FileStream::Position() const {
    return fd_ < 0 ? -1 : static_cast<std::int64_t>(::lseek(fd_, 0, SEEK_CUR));
}

std::int64_t FileStream::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool FileStream::SetSize(std::int64_t size) {
    if (fd_ < 0 || size < 0) return false;
    std::int64_t before = Size();
    if (spaceLeft_ && size - before > *spaceLeft_) {
        lastError_ = ENOSPC;
        return false;
    }
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        lastError_ = errno;
        return false;
    }
    if (spaceLeft_) *spaceLeft_ -= size - before;
    if (Position() > size) Seek(size, SeekOrigin::Begin);
    return true;
}

bool FileStream::DiskFull() const { return lastError_ == ENOSPC || lastError_ == EDQUOT; }

}  // namespace platform
