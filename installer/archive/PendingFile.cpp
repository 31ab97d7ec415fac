#include "installer/archive/PendingFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <atomic>

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

namespace {
std::string Folded(const std::string& name) {
    std::string f = name;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
}

bool SameState(const FolderListing& l, const struct stat& st) {
    return l.valid && l.device == st.st_dev && l.inode == st.st_ino && l.modified.tv_sec == st.st_mtim.tv_sec &&
           l.modified.tv_nsec == st.st_mtim.tv_nsec;
}

void Remember(FolderListing& l, const struct stat& st) {
    l.device = st.st_dev;
    l.inode = st.st_ino;
    l.modified = st.st_mtim;
    l.valid = true;
}
}  // namespace

std::string PendingFile::ResolveName(const std::string& name, FolderListing& listing) const {
    if (dir_ < 0 || Exists(name)) return name;
    struct stat st;
    if (::fstat(dir_, &st) != 0) return name;
    if (!SameState(listing, st)) {
        listing.valid = false;
        listing.names.clear();
        int fd = ::dup(dir_);
        if (fd < 0) return name;
        DIR* d = ::fdopendir(fd);
        if (!d) {
            ::close(fd);
            return name;
        }
        ::rewinddir(d);
        while (dirent* e = ::readdir(d)) listing.names.emplace(Folded(e->d_name), e->d_name);
        ::closedir(d);
        Remember(listing, st);
    }
    auto it = listing.names.find(Folded(name));
    return it == listing.names.end() ? name : it->second;
}

bool PendingFile::Create(const std::string& entry, FolderListing* listing) {
    Discard();
    if (dir_ < 0) return false;
    struct stat before;
    bool known = listing && ::fstat(dir_, &before) == 0 && SameState(*listing, before);
    // O_EXCL makes the name ours; the counter only makes a clash unlikely.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = "." + entry.substr(0, 200) + "." + std::to_string(::getpid()) + "-" +
                           std::to_string(counter.fetch_add(1)) + ".part";
        int fd = ::openat(dir_, temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file_ = HostFile(fd);
            entry_ = entry;
            temp_ = temp;
            struct stat after;
            if (known && ::fstat(dir_, &after) == 0) Remember(*listing, after);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool PendingFile::Commit(FolderListing* listing) {
    if (temp_.empty()) return false;
    file_.Close();
    struct stat before;
    bool known = listing && ::fstat(dir_, &before) == 0 && SameState(*listing, before);
    if (::renameat(dir_, temp_.c_str(), dir_, entry_.c_str()) != 0) return false;
    temp_.clear();
    struct stat after;
    if (known && ::fstat(dir_, &after) == 0) {
        listing->names.emplace(Folded(entry_), entry_);
        Remember(*listing, after);
    }
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
