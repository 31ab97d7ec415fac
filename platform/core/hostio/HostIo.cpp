#include "platform/core/hostio/HostIo.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/core/hostio/HostFile.h"
#include "platform/core/runtime/Format.h"

namespace platform {

namespace {
std::string errnoText(int e) { return std::strerror(e); }
}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    HostFile file;
    if (!file.Open(path, HostFile::Mode::Read)) {
        if (file.LastError() == ENOENT || file.LastError() == ENOTDIR) return std::nullopt;
        throw EHostIoError(Format("Cannot read %s: %s", {path.string(), errnoText(file.LastError())}));
    }
    std::string out;
    char buf[65536];
    for (;;) {
        const std::size_t n = file.Read(buf, sizeof buf);
        out.append(buf, n);
        if (file.LastError() != 0)
            throw EHostIoError(Format("Cannot read %s: %s", {path.string(), errnoText(file.LastError())}));
        if (n < sizeof buf) break;
    }
    return out;
}

void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::string tmpl = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw EHostIoError(Format("Cannot write %s: %s", {path.string(), errnoText(errno)}));
    HostFile file(fd);
    auto fail = [&](int e) {
        file.Close();
        ::unlink(tmpl.c_str());
        throw EHostIoError(Format("Cannot write %s: %s", {path.string(), errnoText(e)}));
    };
    // Keep the permissions an existing file had; a new one gets the usual 0644.
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0) fail(errno);
    if (file.Write(bytes.data(), bytes.size()) != bytes.size()) fail(file.LastError());
    if (!file.Sync()) fail(file.LastError());
    if (!file.Close()) fail(file.LastError());
    if (!RenameHostFile(tmpl, path)) fail(errno);
}

bool AppendToFile(const std::filesystem::path& path, const std::string& bytes) {
    HostFile file;
    if (!file.Open(path, HostFile::Mode::Append)) return false;
    const bool written = file.Write(bytes.data(), bytes.size()) == bytes.size();
    return file.Close() && written;
}

std::optional<std::filesystem::path> MakePrivateFolder(const std::filesystem::path& parent, const std::string& prefix,
                                                       int& error) {
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    error = 0;
    if (::mkdtemp(pattern.data())) return std::filesystem::path(pattern);
    error = errno;
    return std::nullopt;
}

}  // namespace platform
