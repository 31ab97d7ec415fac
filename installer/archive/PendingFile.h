#pragma once
// A new file for a folder, written under a temporary name beside its final
// name and renamed over it only when complete. Until Commit the old file is
// untouched; a PendingFile that is dropped removes its temporary file. The
// folder is held open, so links inside it cannot redirect the write.
#include <filesystem>
#include <string>

#include "installer/archive/HostFile.h"

namespace installer {

class PendingFile {
public:
    // Opens the folder; false when it is not a folder we can write into.
    bool OpenFolder(const std::filesystem::path& folder);
    // The entry of the folder that name answers to (Windows names ignore
    // case): an existing entry's own spelling, else name itself.
    std::string ResolveName(const std::string& name) const;
    // True when the folder has an entry of that exact name.
    bool Exists(const std::string& entry) const;
    // Creates the temporary file; false on failure.
    bool Create(const std::string& entry);
    HostFile& File() { return file_; }
    // Renames the temporary file over the entry; false on failure.
    bool Commit();
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
