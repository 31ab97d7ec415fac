#pragma once
// A new file for a folder, written under a temporary name beside its final
// name and renamed over it only when complete. Until Commit the old file is
// untouched; a PendingFile that is dropped removes its temporary file. The
// folder is held open, so links inside it cannot redirect the write.
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <unordered_map>

#include "installer/archive/HostFile.h"

namespace installer {

// The names of one folder folded to lower case, kept while the folder does
// not change (its identity and modification time stay the same), so that
// many new files in one folder do not each read the whole folder.
struct FolderListing {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    bool valid = false;
    std::unordered_map<std::string, std::string> names;  // folded -> as stored
};

class PendingFile {
public:
    // Opens the folder; false when it is not a folder we can write into.
    bool OpenFolder(const std::filesystem::path& folder);
    bool HasFolder() const { return dir_ >= 0; }
    // The entry of the folder that name answers to (Windows names ignore
    // case): an existing entry's own spelling, else name itself. The listing
    // may carry a folder's names over from an earlier call.
    std::string ResolveName(const std::string& name, FolderListing& listing) const;
    // True when the folder has an entry of that exact name.
    bool Exists(const std::string& entry) const;
    // Creates the temporary file; false on failure. A current listing of
    // this folder stays current.
    bool Create(const std::string& entry, FolderListing* listing = nullptr);
    HostFile& File() { return file_; }
    // Renames the temporary file over the entry; false on failure. A listing
    // of this folder learns the new name.
    bool Commit(FolderListing* listing = nullptr);
    void Discard();

    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

private:
    int dir_ = -1;
    std::string entry_;
    std::string temp_;
    HostFile file_;
};

// Gives execute permission where read permission is, for a program file
// (ELF image or "#!" script) just written; the format carries no modes.
void MarkExecutableWhenProgram(int fd, const unsigned char* head, std::size_t headLength);

}  // namespace installer
