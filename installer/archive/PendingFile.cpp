#include "installer/archive/PendingFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/runtime/PathCase.h"

namespace installer {

PendingFile::~PendingFile() {
    Discard();
    if (dir_ >= 0) ::close(dir_);
}

bool PendingFile::OpenFolder(const std::filesystem::path& folder) {
    if (dir_ >= 0) ::close(dir_);
    dir_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return dir_ >= 0;
}

bool PendingFile::Exists(const std::string& entry) const {
    struct stat st;
    return dir_ >= 0 && ::fstatat(dir_, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string PendingFile::ResolveName(const std::string& name) const {
    if (dir_ < 0 || Exists(name)) return name;
    int fd = ::dup(dir_);
    if (fd < 0) return name;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return name;
    }
    ::rewinddir(d);
    std::string found = name;
    while (dirent* e = ::readdir(d)) {
        if (platform::SameNameIgnoringCase(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

bool PendingFile::Create(const std::string& entry) {
    Discard();
    if (dir_ < 0) return false;
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = "." + entry.substr(0, 200) + "." + std::to_string(rd() % 1000000) + ".part";
        int fd = ::openat(dir_, temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file_ = HostFile(fd);
            entry_ = entry;
            temp_ = temp;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool PendingFile::Commit() {
    if (temp_.empty()) return false;
    file_.Close();
    if (::renameat(dir_, temp_.c_str(), dir_, entry_.c_str()) != 0) return false;
    temp_.clear();
    return true;
}

void PendingFile::Discard() {
    file_.Close();
    if (!temp_.empty() && dir_ >= 0) ::unlinkat(dir_, temp_.c_str(), 0);
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
