#include "installer/archive/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace installer {

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Create(const std::string& entry) {
    Discard();
    int dir = folder_.Descriptor();
    if (dir < 0) return false;
    // O_EXCL makes the name ours; the counter only makes a clash unlikely.
    static std::atomic<unsigned> counter{0};
    std::string stem = "." + entry.substr(0, 200) + "." + std::to_string(folder_.Pid()) + "-";
    folder_.BeginChange();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = stem + std::to_string(counter.fetch_add(1)) + ".part";
        int fd = ::openat(dir, temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file_ = HostFile(fd);
            entry_ = entry;
            temp_ = std::move(temp);
            folder_.EndChange();
            return true;
        }
        if (errno != EEXIST) break;
    }
    folder_.EndChange();
    return false;
}

PendingFile::Committed PendingFile::Commit(Publish how) {
    if (temp_.empty()) return Committed::Failed;
    file_.Close();
    int dir = folder_.Descriptor();
    folder_.BeginChange();
    int rc;
    if (how == Publish::OnlyNew) {
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
    return Committed::Done;
}

void PendingFile::Discard() {
    file_.Close();
    if (!temp_.empty() && folder_.IsOpen()) ::unlinkat(folder_.Descriptor(), temp_.c_str(), 0);
    temp_.clear();
}

void MarkExecutableWhenProgram(int fd, const unsigned char* head, std::size_t headLength) {
    bool elf = headLength >= 4 && std::memcmp(head, "\x7F" "ELF", 4) == 0;
    bool script = headLength >= 2 && head[0] == '#' && head[1] == '!';
    if (!elf && !script) return;
    struct stat st;
    if (::fstat(fd, &st) != 0) return;
    mode_t mode = st.st_mode & 07777;
    mode |= (mode & 0444) >> 2;  // r -> x for owner, group, others
    ::fchmod(fd, mode);
}

}  // namespace installer
