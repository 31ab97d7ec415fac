#include "platform/hostio/PendingFile.h"

#include <cassert>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/hostio/HostFault.h"

namespace platform {

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
    if (!file_.Close()) return Committed::Failed;
    // The folder holding the temporary file stays open until it is published or dropped.
    assert(folder_.IsOpen());
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
    return Committed::Done;
}

void PendingFile::Discard() {
    file_.Close();
    if (!temp_.empty() && folder_.IsOpen()) ::unlinkat(folder_.Descriptor(), temp_.c_str(), 0);
    temp_.clear();
}

}  // namespace platform
