#include "platform/hostio/HostIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime/Format.h"

namespace platform {

namespace {
std::string errnoText(int e) { return std::strerror(e); }
}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw EHostIoError(Format("Cannot read %s: %s", {path.string(), errnoText(errno)}));
    }
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            throw EHostIoError(Format("Cannot read %s: %s", {path.string(), errnoText(e)}));
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::string tmpl = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        throw EHostIoError(Format("Cannot write %s: %s", {path.string(), errnoText(errno)}));
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        throw EHostIoError(Format("Cannot write %s: %s", {path.string(), errnoText(e)}));
    };
    // Keep the permissions an existing file had; a new one gets the usual 0644.
    struct stat st {};
    mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0) fail(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        throw EHostIoError(Format("Cannot write %s: %s", {path.string(), errnoText(e)}));
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        throw EHostIoError(Format("Cannot write %s: %s", {path.string(), errnoText(e)}));
    }
}

}  // namespace platform
