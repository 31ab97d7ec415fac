#pragma once
// The folder new files go into, held open while one operation writes there:
// its path is walked once, and links inside it cannot redirect the writes.
// It answers which entry a name stands for (Windows names ignore case) from
// a listing of its names, kept current across our own changes so that many
// new files do not each read the whole folder. The listing is checked
// against the folder (its identity and modification time) whenever other
// code may have run since it was last known current: the caller says so
// through Disturbed.
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <unordered_map>

namespace platform {

class DestinationFolder {
public:
    DestinationFolder() = default;
    ~DestinationFolder();
    DestinationFolder(const DestinationFolder&) = delete;
    DestinationFolder& operator=(const DestinationFolder&) = delete;

    // False when it is not a folder we can open. The listing outlives the
    // descriptor: it is trusted again only while the folder it was read from
    // is unchanged.
    bool Open(const std::filesystem::path& folder);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // This process's id, read once per opening, for temporary names.
    pid_t Pid() const { return pid_; }

    struct Entry {
        std::string name;  // an existing entry's own spelling, else the name asked for
        bool exists = false;
    };
    // A current listing answers for a name it lacks without a look at the
    // folder (a file that turns up there later is the caller's to catch when
    // publishing); otherwise one look at the exact name, then the listing.
    Entry Lookup(const std::string& name);

    // Bracket one change of ours to the folder (a new entry, a rename), so
    // that the listing stays current without reading the folder again.
    void BeginChange();
    void EndChange(const std::string& added = {});
    // Code other than ours is about to run (an event handler, the user
    // interface) and may change the folder: the listing is stamped with the
    // folder's state now and checked again before it is next relied on.
    void Disturbed();
    // The listing missed an entry: it is read again before it is next used.
    void Forget();

private:
    struct Listing {
        dev_t device = 0;
        ino_t inode = 0;
        timespec modified{};
        bool valid = false;
        std::unordered_map<std::string, std::string> names;  // folded -> as stored
    };
    bool Current(const struct stat& st) const;
    void Stamp(const struct stat& st);
    void StampNow();
    bool Verify();
    bool Refresh();

    int fd_ = -1;
    pid_t pid_ = 0;
    Listing listing_;
    // The listing is current: it was checked or read, and since then only
    // our own changes, which it has learnt, touched the folder.
    bool trusted_ = false;
    // Our own changes since the stamp: the folder's time has moved on.
    bool stampBehind_ = false;
    // The listing was current just before the change now in progress.
    bool changing_ = false;
};

}  // namespace platform
