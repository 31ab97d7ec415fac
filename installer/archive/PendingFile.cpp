#include "installer/archive/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

bool PendingFile::Commit() {
    if (temp_.empty()) return false;
    file_.Close();
    int dir = folder_.Descriptor();
    folder_.BeginChange();
    if (::renameat(dir, temp_.c_str(), dir, entry_.c_str()) != 0) {
        folder_.EndChange();
        return false;
    }
    temp_.clear();
    folder_.EndChange(entry_);
    return true;
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
