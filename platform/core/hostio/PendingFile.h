#pragma once
// A new file for a folder, written under a temporary name beside its final
// name and renamed over it only when complete. Until Commit the old file is
// untouched; a PendingFile that is dropped removes its temporary file. The
// folder is one held open by the caller, so links inside it cannot
// redirect the write.
//
// A file meant for a name that is free is made without any name where the
// file system allows (O_TMPFILE) and linked in by Commit: nothing half
// written ever shows in the folder, and nothing is left to remove. Elsewhere
// it takes the temporary name like any other.
#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/core/hostio/DestinationFolder.h"
#include "platform/core/hostio/HostFile.h"

namespace platform {

class PendingFile {
public:
    explicit PendingFile(DestinationFolder& folder) : folder_(folder) {}
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    enum class Publish { Replace, OnlyNew };
    // Creates the temporary file for the entry; false on failure. The way
    // it is meant to be published picks how it is made; Commit may still
    // publish it either way.
    bool Create(const std::string& entry, Publish meant = Publish::Replace);
    HostFile& File() { return file_; }
    enum class Committed { Done, Taken, Failed };
    // Closes the file and renames it to the entry; a close that fails (a
    // delayed write that did not reach the disk) publishes nothing. OnlyNew
    // leaves an entry that exists by then as it is and answers Taken; the
    // temporary file stays for another Commit or Discard.
    Committed Commit(Publish how = Publish::Replace);
    void Discard();

    // Removes the temporary files for entry (any case of its name) that a
    // writer killed before Commit or Discard left in folder; files of a
    // process still running stay. The number removed.
    static int RemoveAbandoned(const std::filesystem::path& folder, const std::string& entry);

private:
    bool CreateNamed();
    bool CreateUnnamed();
    Committed LinkUnnamed(Publish how);

    DestinationFolder& folder_;
    std::string entry_;
    std::string temp_;  // empty for a file without a name
    HostFile file_;
};

}  // namespace platform
