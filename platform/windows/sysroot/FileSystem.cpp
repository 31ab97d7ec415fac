#include "platform/windows/sysroot/FileSystem.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/core/hostio/HostFile.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/WinPath.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return AsciiUpper(x) < AsciiUpper(y); });
}

bool isUnder(const fs::path& p, const fs::path& root) {
    auto r = p.lexically_relative(root);
    return !r.empty() && *r.begin() != ".." && !r.is_absolute();
}

std::int64_t mtimeMs(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000 + (st.st_mtim.tv_nsec + 500000) / 1000000;
}

// Copies the whole of one file into another through the host file layer.
bool copyBytes(HostFile& in, HostFile& out) {
    char buf[65536];
    for (;;) {
        const std::size_t n = in.Read(buf, sizeof buf);
        if (in.LastError() != 0) return false;
        if (out.Write(buf, n) != n) return false;
        if (n < sizeof buf) return true;
    }
}

// Does the name fit 8.3 as it stands?
bool fits83(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    size_t dot = name.find('.');
    if (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos) return false;
    std::string base = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    for (unsigned char c : name)
        if (c == ' ' || c == '+' || c == ',' || c == ';' || c == '=' || c == '[' || c == ']' || c > 127) return false;
    return true;
}

std::string aliasChars(const std::string& s, size_t max) {
    std::string r;
    for (unsigned char c : s) {
        if (r.size() == max) break;
        if (c == ' ' || c == '.') continue;
        if (c == '+' || c == ',' || c == ';' || c == '=' || c == '[' || c == ']' || c > 127)
            r += '_';
        else
            r += AsciiUpper(static_cast<char>(c));
    }
    return r;
}

// "Program Files" among its siblings -> "PROGRA~1".
std::string shortName(const std::string& name, const std::vector<std::string>& siblings) {
    if (fits83(name)) return name;
    auto parts = [](const std::string& n, std::string& base, std::string& ext) {
        size_t dot = n.rfind('.');
        if (dot == std::string::npos || dot == 0) {
            base = n;
            ext.clear();
        } else {
            base = n.substr(0, dot);
            ext = n.substr(dot + 1);
        }
        base = aliasChars(base, 6);
        ext = aliasChars(ext, 3);
    };
    std::string base, ext;
    parts(name, base, ext);
    int n = 1;
    for (const auto& s : siblings) {
        if (fits83(s) || !lessIgnoringCase(s, name)) continue;
        std::string b, e;
        parts(s, b, e);
        if (b == base && e == ext) ++n;
    }
    std::string num = "~" + std::to_string(n);
    std::string head = base.substr(0, std::min(base.size(), 8 - num.size()));
    return head + num + (ext.empty() ? "" : "." + ext);
}

// What tells one file from another whatever path spells it: an existing
// entry's device and inode (of the link itself, or of the file it leads to),
// else its canonical host path ignoring case.
struct FileKey {
    dev_t device = 0;
    ino_t inode = 0;
    std::string missing;
    bool operator==(const FileKey&) const = default;
};

FileKey keyOf(const fs::path& host, bool followLink) {
    struct stat st {};
    if ((followLink ? ::stat(host.c_str(), &st) : ::lstat(host.c_str(), &st)) == 0) return {st.st_dev, st.st_ino, {}};
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(host, ec);
    return {0, 0, AsciiLower((ec ? host : canonical).string())};
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*" || mask == "*") return true;
    // Iterative wildcard match with back-tracking to the last '*'.
    size_t n = 0, m = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            star = m++;
            mark = n;
        } else if (star != std::string::npos) {
            m = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    // "name.*" also matches "name" without an extension, as on Windows.
    if (m + 2 == mask.size() && mask[m] == '.' && mask[m + 1] == '*') return true;
    return m == mask.size();
}

WinFileSystem::WinFileSystem(fs::path root) : root_(fs::absolute(root)), facts_(root_) {
    std::error_code ec;
    canonicalRoot_ = fs::weakly_canonical(root_, ec);
    if (ec) canonicalRoot_ = root_.lexically_normal();
}

bool WinFileSystem::confined(const fs::path& host) const {
    std::error_code ec;
    fs::path rel = host.lexically_relative(root_);
    if (rel.empty() || *rel.begin() == "..") return false;
    fs::path p = root_;
    bool plainNames = true;  // no link met and no "." or ".." to climb by
    bool existing = true;
    for (const auto& part : rel) {
        if (part == "." || part == "..") plainNames = false;
        if (!existing) continue;
        p /= part;
        auto st = fs::symlink_status(p, ec);
        if (ec || !fs::exists(st)) {
            existing = false;  // the rest is yet to be made
            continue;
        }
        if (fs::is_symlink(st)) {
            plainNames = false;
            // A link may point anywhere inside the root; out of it, or nowhere, it is refused.
            fs::path target = fs::canonical(p, ec);
            if (ec || !isUnder(target, canonicalRoot_)) return false;
        }
    }
    // Real folders and plain names below the root stay below it: the
    // canonical walk, a read of every link on the way, is needed only
    // where a link or a climb was seen.
    if (plainNames) return true;
    fs::path full = fs::weakly_canonical(host, ec);
    return !ec && isUnder(full, canonicalRoot_);
}

// One walk down from the root, a name at a time:
//   1. the name as written, else the first entry equal to it ignoring case,
//      else the entry whose 8.3 alias it is ("PROGRA~1"), which also
//      replaces the name in the Windows path;
//   2. a path that met a link must lead inside the root, as a whole;
//   3. from the first name that names nothing on, the rest is yet to be
//      made and is taken as written.
// A path whose every existing step is a real folder stays below the root.
std::optional<WinFileSystem::Resolved> WinFileSystem::resolve(const std::string& path, std::string* whyNot) const {
    WinPath wp;
    if (!ParseWinPath(path, currentDir_, wp)) {
        if (whyNot) *whyNot = Format("The path \"%s\" is not valid", {path});
        return std::nullopt;
    }
    auto refuse = [&]() -> std::optional<Resolved> {
        if (whyNot) *whyNot = Format("The path \"%s\" leads outside the system root", {path});
        return std::nullopt;
    };
    std::error_code ec;
    fs::path host = root_;
    bool existing = true;
    bool metLink = false;
    // Step 3, and a note of a link for step 2 on the whole path.
    auto step = [&](fs::file_status st) {
        if (!fs::exists(st)) existing = false;
        else if (fs::is_symlink(st)) metLink = true;
    };
    // The drive's folder is taken as named; a share's names, like every
    // other, in their case on disk.
    host /= wp.drive != 0 ? std::string("drive_") + wp.drive : std::string("unc");
    step(fs::symlink_status(host, ec));
    std::vector<std::string*> names;
    if (wp.drive == 0) names = {&wp.server, &wp.share};
    for (std::string& c : wp.components) names.push_back(&c);
    for (std::string* name : names) {
        // ParseWinPath leaves no climbs; were one left, the whole path is checked.
        assert(*name != "." && *name != ".." && !name->empty());
        if (*name == "." || *name == "..") metLink = true;
        if (!existing) {
            host /= *name;
            continue;
        }
        fs::path next = host / *name;
        fs::file_status st = fs::symlink_status(next, ec);
        if (!fs::exists(st)) {
            bool found = false;
            for (fs::directory_iterator d(host, ec), end; !ec && d != end; d.increment(ec))
                if (SameNameIgnoringCase(d->path().filename().string(), *name)) {
                    next = d->path();
                    found = true;
                    break;
                }
            if (!found && name->find('~') != std::string::npos && name != &wp.server && name != &wp.share) {
                std::vector<std::string> siblings;
                for (fs::directory_iterator d(host, ec), end; !ec && d != end; d.increment(ec))
                    siblings.push_back(d->path().filename().string());
                for (const std::string& sibling : siblings)
                    if (SameNameIgnoringCase(shortName(sibling, siblings), *name)) {
                        *name = sibling;
                        next = host / sibling;
                        found = true;
                        break;
                    }
            }
            if (found) st = fs::symlink_status(next, ec);
        }
        host = next;
        step(st);
    }
    if (metLink && !confined(host)) return refuse();
    return Resolved{wp.Text(), host};
}

WinFileSystem::Resolved WinFileSystem::resolveForWrite(const std::string& path) const {
    std::string why;
    auto r = resolve(path, &why);
    if (!r) throw EPathRefused(why);
    return *r;
}

bool WinFileSystem::SetCurrentDir(const std::string& path) {
    auto r = resolve(path);
    std::error_code ec;
    if (!r || !fs::is_directory(r->host, ec)) return false;
    currentDir_ = r->win;
    return true;
}

std::string WinFileSystem::ExpandFileName(const std::string& path) const {
    WinPath wp;
    return ParseWinPath(path, currentDir_, wp) ? wp.Text() : path;
}

fs::path WinFileSystem::HostPath(const std::string& path) const { return resolveForWrite(path).host; }

std::string WinFileSystem::WinPathOf(const fs::path& hostPath) const {
    fs::path rel = hostPath.lexically_normal().lexically_relative(root_.lexically_normal());
    auto it = rel.begin();
    if (rel.empty() || it == rel.end())
        throw EPathRefused(Format("The path \"%s\" is not inside the system root", {hostPath.string()}));
    std::string first = it->string();
    std::string out;
    ++it;
    if (first.size() == 7 && first.compare(0, 6, "drive_") == 0 && first[6] >= 'a' && first[6] <= 'z') {
        out = std::string(1, AsciiUpper(first[6])) + ":";
    } else if (first == "unc" && std::distance(it, rel.end()) >= 2) {
        out = "\\\\" + it->string();
        ++it;
        out += "\\" + it->string();
        ++it;
    } else {
        throw EPathRefused(Format("The path \"%s\" is not inside the system root", {hostPath.string()}));
    }
    bool any = false;
    for (; it != rel.end(); ++it) {
        if (it->empty() || *it == ".") continue;
        out += "\\" + it->string();
        any = true;
    }
    if (!any && out.size() == 2) out += "\\";
    return out;
}

bool WinFileSystem::FileExists(const std::string& path) const {
    auto r = resolve(path);
    std::error_code ec;
    return r && fs::is_regular_file(r->host, ec);
}

bool WinFileSystem::DirectoryExists(const std::string& path) const {
    auto r = resolve(path);
    std::error_code ec;
    return r && fs::is_directory(r->host, ec);
}

std::int64_t WinFileSystem::FileSize(const std::string& path) const {
    auto r = resolve(path);
    struct stat st {};
    if (!r || ::stat(r->host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::optional<TDateTime> WinFileSystem::FileDateTime(const std::string& path) const {
    auto r = resolve(path);
    struct stat st {};
    if (!r || ::stat(r->host.c_str(), &st) != 0) return std::nullopt;
    return UnixMsToDateTime(mtimeMs(st));
}

bool WinFileSystem::SetFileDateTime(const std::string& path, TDateTime dt) {
    Resolved r = resolveForWrite(path);
    std::error_code ec;
    if (!IsValidDateTime(dt) || !fs::is_regular_file(r.host, ec) || inUse(r, true)) return false;
    std::int64_t ms = DateTimeToUnixMs(dt);
    std::int64_t secs = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(secs);
    times[1].tv_nsec = static_cast<long>((ms - secs * 1000) * 1000000);
    return ::utimensat(AT_FDCWD, r.host.c_str(), times, 0) == 0;
}

bool WinFileSystem::inUse(const Resolved& r, bool followLink) const {
    const std::vector<std::string> listed = facts_.InUseFiles();
    if (listed.empty()) return false;
    const FileKey key = keyOf(r.host, followLink);
    for (const std::string& path : listed) {
        if (SameNameIgnoringCase(path, r.win)) return true;
        // A listed path is the file a program holds: its link, if it is one, is followed.
        if (auto held = resolve(path); held && keyOf(held->host, true) == key) return true;
    }
    return false;
}

bool WinFileSystem::IsInUse(const std::string& path) const {
    auto r = resolve(path);
    if (!r) return facts_.IsInUse(ExpandFileName(path));
    return inUse(*r, false) || inUse(*r, true);
}

bool WinFileSystem::IsWriteLocked(const std::string& path) const {
    auto r = resolve(path);
    if (!r) return false;
    int fd = ::open(r->host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    // Asked through a description of our own, so any holder counts, this program's too.
    struct flock query {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_OFD_GETLK, &query) == 0 && query.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

bool WinFileSystem::CreateDir(const std::string& path) {
    Resolved r = resolveForWrite(path);
    return ::mkdir(r.host.c_str(), 0755) == 0;
}

bool WinFileSystem::ForceDirectories(const std::string& path) {
    Resolved r = resolveForWrite(path);
    std::error_code ec;
    fs::create_directories(r.host, ec);
    return fs::is_directory(r.host, ec);
}

bool WinFileSystem::RemoveDir(const std::string& path) {
    Resolved r = resolveForWrite(path);
    WinPath wp;
    if (ParseWinPath(r.win, currentDir_, wp) && wp.components.empty()) return false;  // a drive root stays
    return ::rmdir(r.host.c_str()) == 0;
}

bool WinFileSystem::DeleteFile(const std::string& path) {
    Resolved r = resolveForWrite(path);
    struct stat st {};
    if (::lstat(r.host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (inUse(r, false)) return false;
    return ::unlink(r.host.c_str()) == 0;
}

std::optional<std::int64_t> WinFileSystem::spaceLeftOn(const std::string& winPath) const {
    if (winPath.size() < 2 || winPath[1] != ':') return std::nullopt;
    if (!facts_.DriveCapacity(winPath[0])) return std::nullopt;
    return DiskFree(winPath[0]);
}

bool WinFileSystem::MarkExecutable(const std::string& path) {
    Resolved file = resolveForWrite(path);
    struct stat st {};
    if (::stat(file.host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return ::chmod(file.host.c_str(), (st.st_mode & 07777) | S_IXUSR) == 0;
}

bool WinFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    Resolved src = resolveForWrite(from);
    Resolved dst = resolveForWrite(to);
    struct stat st {};
    if (::stat(src.host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::error_code ec;
    if (fs::exists(dst.host, ec)) {
        if (failIfExists || !fs::is_regular_file(dst.host, ec) || inUse(dst, false)) return false;
        if (fs::equivalent(src.host, dst.host, ec)) return false;
    }
    if (auto left = spaceLeftOn(dst.win)) {
        std::int64_t old = fs::exists(dst.host, ec) ? static_cast<std::int64_t>(fs::file_size(dst.host, ec)) : 0;
        if (st.st_size - old > *left) return false;
    }
    // Copy to a fresh file beside the destination, then rename it over: a
    // failed copy leaves the old destination as it was.
    HostFile in;
    if (!in.Open(src.host, HostFile::Mode::Read)) return false;
    std::string tmp = (dst.host.parent_path() / ("." + dst.host.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    HostFile out(fd);
    bool ok = copyBytes(in, out) && ::fchmod(fd, st.st_mode & 0777) == 0;
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && ::futimens(fd, times) == 0;
    ok = out.Close() && ok;
    ok = ok && RenameHostFile(tmp, dst.host);
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

bool WinFileSystem::MoveFile(const std::string& from, const std::string& to, bool replaceExisting) {
    Resolved src = resolveForWrite(from);
    Resolved dst = resolveForWrite(to);
    std::error_code ec;
    auto sst = fs::symlink_status(src.host, ec);
    if (ec || !fs::exists(sst) || inUse(src, false)) return false;
    fs::path target = dst.host;
    const auto dstStatus = fs::symlink_status(dst.host, ec);
    if (fs::exists(dstStatus)) {
        const bool oneFile = keyOf(src.host, false) == keyOf(dst.host, false);
        const bool oneEntry = oneFile && fs::equivalent(src.host.parent_path(), dst.host.parent_path(), ec) &&
                              SameNameIgnoringCase(src.host.filename().string(), dst.host.filename().string());
        if (oneEntry) {
            // One entry under two spellings: only the case of the name may
            // change (an 8.3 alias stands for the long name it resolved to).
            WinPath wp;
            ParseWinPath(dst.win, currentDir_, wp);
            target = dst.host.parent_path() / (wp.components.empty() ? dst.host.filename().string()
                                                                     : wp.components.back());
        } else if (oneFile) {
            // Two names of one file (hard links): the host's rename would do
            // nothing and say yes; replacing the one by the other leaves the
            // file under the destination's name alone.
            return replaceExisting && ::unlink(src.host.c_str()) == 0;
        } else if (fs::is_symlink(sst) != fs::is_symlink(dstStatus) && keyOf(src.host, true) == keyOf(dst.host, true)) {
            return false;  // a link onto its file would leave a link to nothing: refused both ways
        } else if (!replaceExisting || fs::is_directory(dst.host, ec) || fs::is_directory(sst) || inUse(dst, false)) {
            return false;
        }
    }
    if (RenameHostFile(src.host, target)) return true;
    if (errno != EXDEV || !fs::is_regular_file(sst)) return false;
    return CopyFile(from, to, !replaceExisting) && ::unlink(src.host.c_str()) == 0;
}

std::vector<DirEntry> WinFileSystem::FindFiles(const std::string& dir, const std::string& mask) const {
    std::vector<DirEntry> out;
    auto r = resolve(dir);
    std::error_code ec;
    if (!r) return out;
    for (fs::directory_iterator it(r->host, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!MatchesMask(name, mask) || !confined(it->path())) continue;
        DirEntry e;
        e.name = name;
        e.directory = it->is_directory(ec);
        e.size = e.directory ? 0 : static_cast<std::int64_t>(it->file_size(ec));
        if (ec) {
            ec.clear();
            e.size = 0;
        }
        out.push_back(e);
    }
    std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) { return lessIgnoringCase(a.name, b.name); });
    return out;
}

FileStream WinFileSystem::Open(const std::string& path, FileMode mode) {
    std::string why;
    auto r = resolve(path, &why);
    auto openError = [&]() {
        if (mode == FileMode::Create) throw EFCreateError(Format("Cannot create file %s", {path}));
        throw EFOpenError(Format("Cannot open file %s", {path}));
    };
    if (!r) throw EPathRefused(why);
    std::error_code ec;
    if (fs::is_directory(r->host, ec)) openError();
    if (mode != FileMode::Read && inUse(*r, true)) openError();
    HostFile file;
    const HostFile::Mode how = mode == FileMode::Read        ? HostFile::Mode::Read
                               : mode == FileMode::ReadWrite ? HostFile::Mode::ReadWrite
                                                             : HostFile::Mode::CreateNew;
    if (!file.Open(r->host, how, 0644)) openError();
    std::optional<std::int64_t> left;
    if (mode != FileMode::Read) left = spaceLeftOn(r->win);
    return FileStream(std::move(file), r->win, left);
}

std::string WinFileSystem::CreateTempFile(const std::string& dir, const std::string& prefix) {
    Resolved r = resolveForWrite(dir);
    std::error_code ec;
    if (!fs::is_directory(r.host, ec)) return "";
    std::string pre = prefix.substr(0, 3);
    auto seed = static_cast<unsigned>(::getpid()) ^
                static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned i = 0; i < 0xFFFF; ++i) {
        unsigned unique = ((seed + i) % 0xFFFF) + 1;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", unique);
        std::string name = pre + hex + ".tmp";
        std::string win = r.win + (r.win.back() == '\\' ? "" : "\\") + name;
        auto target = resolve(win);
        if (!target) continue;
        int fd = ::open(target->host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return win;
        }
        if (errno != EEXIST) return "";
    }
    return "";
}

std::optional<std::string> WinFileSystem::ShortPathName(const std::string& path) const {
    auto r = resolve(path);
    std::error_code ec;
    if (!r || !fs::exists(r->host, ec)) return std::nullopt;
    WinPath wp;
    ParseWinPath(r->win, currentDir_, wp);
    fs::path rel = r->host.lexically_relative(root_);
    auto it = rel.begin();
    fs::path dir = root_ / *it++;
    if (wp.drive == 0) {
        dir /= *it++;
        dir /= *it++;
        dir /= *it++;
    }
    std::string out = wp.drive == 0 ? "\\\\" + wp.server + "\\" + wp.share : std::string(1, AsciiUpper(wp.drive)) + ":";
    for (; it != rel.end(); ++it) {
        const std::string name = it->string();
        // Only a long name's alias depends on its siblings.
        std::vector<std::string> siblings;
        if (!fits83(name))
            for (fs::directory_iterator d(dir, ec), end; !ec && d != end; d.increment(ec))
                siblings.push_back(d->path().filename().string());
        out += "\\" + shortName(name, siblings);
        dir /= *it;
    }
    if (out.size() == 2) out += "\\";
    return out;
}

std::int64_t WinFileSystem::DiskFree(char drive) const {
    std::error_code ec;
    if (auto cap = facts_.DriveCapacity(drive)) {
        const char d = AsciiLower(drive);
        std::int64_t used = 0;
        fs::path folder = root_ / (std::string("drive_") + d);
        for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file(ec)) used += static_cast<std::int64_t>(it->file_size(ec));
        return std::max<std::int64_t>(0, *cap - used);
    }
    struct statvfs sv {};
    if (::statvfs(root_.c_str(), &sv) != 0) return 0;
    return static_cast<std::int64_t>(sv.f_bavail) * static_cast<std::int64_t>(sv.f_frsize);
}

}  // namespace platform
