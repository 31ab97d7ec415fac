#include "platform/core/hostio/PendingFile.h"

#include <cassert>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/core/hostio/HostFault.h"
#include "platform/core/runtime/Text.h"

namespace platform {

namespace {

// A temporary name beside the entry. O_EXCL makes the name ours; the counter
// only makes a clash unlikely.
std::string TempName(const std::string& entry, pid_t pid) {
    static std::atomic<unsigned> counter{0};
    return "." + entry.substr(0, 200) + "." + std::to_string(pid) + "-" + std::to_string(counter.fetch_add(1)) +
           ".part";
}

// Files without a name are linked in through their /proc entry (linkat with
// AT_EMPTY_PATH needs a privilege); without /proc they are not used.
bool UnnamedFilesCanBeLinked() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// An unnamed file given a name in the folder; false with errno set. The
// descriptor itself serves where the kernel lets this process link it
// (a privilege, or a newer kernel); else its /proc entry.
bool LinkIn(int fd, int dir, const std::string& name) {
    if (HostCallFails(HostCall::Rename)) return false;
    static std::atomic<bool> byDescriptor{true};
    if (byDescriptor.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != ENOENT && errno != EPERM && errno != EINVAL) return false;
        byDescriptor.store(false, std::memory_order_relaxed);
    }
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, proc.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Create(const std::string& entry, Publish meant) {
    Discard();
    if (folder_.Descriptor() < 0) return false;
    entry_ = entry;
    if (meant == Publish::OnlyNew && UnnamedFilesCanBeLinked() && CreateUnnamed()) return true;
    if (CreateNamed()) return true;
    entry_.clear();
    return false;
}

bool PendingFile::CreateUnnamed() {
    // The file system may not offer it (EOPNOTSUPP, or EISDIR from a kernel
    // that does not know the flag): the caller takes a temporary name then.
    const int fd = ::openat(folder_.Descriptor(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    file_ = HostFile(fd);
    return true;
}

bool PendingFile::CreateNamed() {
    folder_.BeginChange();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = TempName(entry_, folder_.Pid());
        int fd = ::openat(folder_.Descriptor(), temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file_ = HostFile(fd);
            temp_ = std::move(temp);
            folder_.EndChange();
            return true;
        }
        if (errno != EEXIST) break;
    }
    folder_.EndChange();
    return false;
}

// Gives the unnamed file its name. Linking never replaces: a file to
// replace gets a temporary name first and is renamed over the old one.
PendingFile::Committed PendingFile::LinkUnnamed(Publish how) {
    const int dir = folder_.Descriptor();
    if (how == Publish::Replace) {
        folder_.BeginChange();
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string temp = TempName(entry_, folder_.Pid());
            if (LinkIn(file_.fd_, dir, temp)) {
                temp_ = std::move(temp);
                folder_.EndChange();
                return Commit(how);
            }
            if (errno != EEXIST) break;
        }
        folder_.EndChange();
        return Committed::Failed;
    }
    folder_.BeginChange();
    if (!LinkIn(file_.fd_, dir, entry_)) {
        const bool taken = errno == EEXIST;
        folder_.EndChange();
        if (taken) folder_.Forget();
        return taken ? Committed::Taken : Committed::Failed;
    }
    // A close that fails (a delayed write that did not reach the disk)
    // takes back the name the file was just given.
    if (!file_.Close()) {
        ::unlinkat(dir, entry_.c_str(), 0);
        folder_.EndChange();
        return Committed::Failed;
    }
    folder_.EndChange(entry_);
    entry_.clear();
    return Committed::Done;
}

PendingFile::Committed PendingFile::Commit(Publish how) {
    if (entry_.empty()) return Committed::Failed;
    // The folder holding the temporary file stays open until it is published or dropped.
    assert(folder_.IsOpen());
    if (temp_.empty()) return file_.IsOpen() ? LinkUnnamed(how) : Committed::Failed;
    if (!file_.Close()) return Committed::Failed;
    int dir = folder_.Descriptor();
    folder_.BeginChange();
    int rc;
    if (HostCallFails(HostCall::Rename)) {
        rc = -1;
    } else if (how == Publish::OnlyNew) {
        rc = ::renameat2(dir, temp_.c_str(), dir, entry_.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the flag: look, then rename.
            struct stat st;
            if (::fstatat(dir, entry_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                errno = EEXIST;
            } else {
                rc = ::renameat(dir, temp_.c_str(), dir, entry_.c_str());
            }
        }
    } else {
        rc = ::renameat(dir, temp_.c_str(), dir, entry_.c_str());
    }
    if (rc != 0) {
        bool taken = errno == EEXIST;
        folder_.EndChange();
        // Someone else's entry the listing did not know.
        if (taken) folder_.Forget();
        return taken ? Committed::Taken : Committed::Failed;
    }
    temp_.clear();
    folder_.EndChange(entry_);
    entry_.clear();
    return Committed::Done;
}

int PendingFile::RemoveAbandoned(const std::filesystem::path& folder, const std::string& entry) {
    namespace fs = std::filesystem;
    // ".<entry>.<pid>-<counter>.part", as TempName makes them.
    const std::string head = "." + AsciiLower(entry.substr(0, 200)) + ".";
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string lower = AsciiLower(name);
        if (lower.size() <= head.size() + 5 || lower.compare(0, head.size(), head) != 0 ||
            lower.compare(lower.size() - 5, 5, ".part") != 0)
            continue;
        const std::string middle = lower.substr(head.size(), lower.size() - head.size() - 5);
        const auto dash = middle.find('-');
        const auto pid = ParseInteger(middle.substr(0, dash));
        if (dash == std::string::npos || !pid || *pid <= 0) continue;
        if (::kill(static_cast<pid_t>(*pid), 0) == 0 || errno != ESRCH) continue;  // its writer may still be at work
        std::error_code gone;
        if (it->is_regular_file(gone) && fs::remove(it->path(), gone)) ++removed;
    }
    return removed;
}

void PendingFile::Discard() {
    file_.Close();
    if (!temp_.empty() && folder_.IsOpen()) ::unlinkat(folder_.Descriptor(), temp_.c_str(), 0);
    temp_.clear();
    entry_.clear();
}

}  // namespace platform
