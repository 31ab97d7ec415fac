#include "platform/windows/sysroot/FileStream.h"

#include <algorithm>
#include <cerrno>

namespace platform {

FileStream::FileStream(HostFile file, std::string name, std::optional<std::int64_t> spaceLeft)
    : file_(std::move(file)), name_(std::move(name)), spaceLeft_(spaceLeft) {}

void FileStream::Close() { file_.Close(); }

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    const std::size_t done = file_.Read(buffer, count);
    if (file_.LastError() != 0) lastError_ = file_.LastError();
    return done;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
    if (!IsOpen()) {
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
    const std::int64_t sizeBefore = spaceLeft_ ? Size() : 0;
    const std::size_t done = file_.Write(buffer, allowed);
    if (done < allowed) lastError_ = file_.LastError();
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
    if (!IsOpen()) return -1;
    const std::int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? Position() : Size();
    const std::int64_t target = base + offset;
    if (base < 0 || target < 0) {
        lastError_ = EINVAL;
        return -1;
    }
    file_.Seek(target);
    return target;
}

std::int64_t FileStream::Position() const { return IsOpen() ? file_.Position() : -1; }

std::int64_t FileStream::Size() const { return file_.Size(); }

bool FileStream::SetSize(std::int64_t size) {
    if (!IsOpen() || size < 0) return false;
    std::int64_t before = Size();
    if (spaceLeft_ && size - before > *spaceLeft_) {
        lastError_ = ENOSPC;
        return false;
    }
    if (!file_.SetSize(size)) {
        lastError_ = file_.LastError();
        return false;
    }
    if (spaceLeft_) *spaceLeft_ -= size - before;
    if (Position() > size) Seek(size, SeekOrigin::Begin);
    return true;
}

bool FileStream::DiskFull() const { return lastError_ == ENOSPC || lastError_ == EDQUOT; }

}  // namespace platform
