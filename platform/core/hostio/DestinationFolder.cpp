#include "platform/core/hostio/DestinationFolder.h"

#include <cassert>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/core/runtime/Text.h"

namespace platform {

DestinationFolder::~DestinationFolder() { Close(); }

bool DestinationFolder::Open(const std::filesystem::path& folder) {
    Close();
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    pid_ = ::getpid();
    return fd_ >= 0;
}

void DestinationFolder::Close() {
    // The stamp is brought up to date so that the listing may serve the
    // same folder again later.
    if (fd_ >= 0) {
        if (stampBehind_) StampNow();
        ::close(fd_);
    }
    fd_ = -1;
    trusted_ = stampBehind_ = changing_ = false;
}

bool DestinationFolder::Current(const struct stat& st) const {
    const Listing& l = listing_;
    return l.valid && l.device == st.st_dev && l.inode == st.st_ino && l.modified.tv_sec == st.st_mtim.tv_sec &&
           l.modified.tv_nsec == st.st_mtim.tv_nsec;
}

void DestinationFolder::Stamp(const struct stat& st) {
    listing_.device = st.st_dev;
    listing_.inode = st.st_ino;
    listing_.modified = st.st_mtim;
    listing_.valid = true;
}

void DestinationFolder::StampNow() {
    assert(fd_ >= 0);
    struct stat st;
    if (::fstat(fd_, &st) == 0)
        Stamp(st);
    else
        listing_.valid = false;
    stampBehind_ = false;
}

// True when the listing is current, checking the folder only when other
// code may have changed it.
bool DestinationFolder::Verify() {
    if (trusted_ && listing_.valid) return true;
    struct stat st;
    trusted_ = listing_.valid && ::fstat(fd_, &st) == 0 && Current(st);
    return trusted_;
}

// Makes the listing current; false when the folder cannot be read.
bool DestinationFolder::Refresh() {
    assert(fd_ >= 0);
    if (Verify()) return true;
    struct stat st;
    if (::fstat(fd_, &st) != 0) return false;
    listing_.valid = false;
    listing_.names.clear();
    int fd = ::dup(fd_);
    if (fd < 0) return false;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return false;
    }
    ::rewinddir(d);
    while (dirent* e = ::readdir(d)) listing_.names.emplace(platform::AsciiLower(e->d_name), e->d_name);
    ::closedir(d);
    Stamp(st);
    trusted_ = true;
    stampBehind_ = false;
    return true;
}

DestinationFolder::Entry DestinationFolder::Lookup(const std::string& name) {
    if (fd_ < 0) return {name, false};
    if (Verify() && !listing_.names.contains(platform::AsciiLower(name))) return {name, false};
    struct stat st;
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return {name, true};
    if (!Refresh()) return {name, false};
    auto it = listing_.names.find(platform::AsciiLower(name));
    if (it == listing_.names.end()) return {name, false};
    return {it->second, true};
}

void DestinationFolder::BeginChange() {
    changing_ = fd_ >= 0 && listing_.valid && Verify();
}

void DestinationFolder::EndChange(const std::string& added) {
    if (!changing_) return;
    changing_ = false;
    if (!added.empty()) listing_.names.emplace(platform::AsciiLower(added), added);
    stampBehind_ = true;
}

void DestinationFolder::Forget() {
    listing_.valid = false;
    trusted_ = stampBehind_ = false;
}

void DestinationFolder::Disturbed() {
    if (fd_ < 0) return;
    if (stampBehind_) StampNow();
    trusted_ = false;
}

}  // namespace platform
