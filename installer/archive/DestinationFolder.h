#pragma once
// The folder new files go into, held open while one operation writes there:
// its path is walked once, and links inside it cannot redirect the writes.
// It answers which entry a name stands for (Windows names ignore case) from
// a listing of its names, kept current across our own changes so that many
// new files do not each read the whole folder.
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <unordered_map>

namespace installer {

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
    // One look at the exact name; the listing only when that is missing.
    Entry Lookup(const std::string& name);

    // Bracket one change of ours to the folder (a new entry, a rename), so
    // that the listing stays current without reading the folder again.
    // BeginChange must directly follow the Lookup it relies on or nothing.
    void BeginChange();
    void EndChange(const std::string& added = {});

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
    bool Refresh();

    int fd_ = -1;
    pid_t pid_ = 0;
    Listing listing_;
    // The listing was found current by the last Lookup; no check is needed
    // before a change that directly follows it.
    bool checked_ = false;
    // The listing was current just before the change now in progress.
    bool changing_ = false;
};

}  // namespace installer
