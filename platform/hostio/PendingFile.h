#pragma once
// A new file for a folder, written under a temporary name beside its final
// name and renamed over it only when complete. Until Commit the old file is
// untouched; a PendingFile that is dropped removes its temporary file. The
// folder is one held open by the caller, so links inside it cannot
// redirect the write.
#include <cstddef>
#include <string>

#include "platform/hostio/DestinationFolder.h"
#include "platform/hostio/HostFile.h"

namespace platform {

class PendingFile {
public:
    explicit PendingFile(DestinationFolder& folder) : folder_(folder) {}
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file for the entry; false on failure.
    bool Create(const std::string& entry);
    HostFile& File() { return file_; }
    enum class Publish { Replace, OnlyNew };
    enum class Committed { Done, Taken, Failed };
    // Closes the file and renames it to the entry; a close that fails (a
    // delayed write that did not reach the disk) publishes nothing. OnlyNew
    // leaves an entry that exists by then as it is and answers Taken; the
    // temporary file stays for another Commit or Discard.
    Committed Commit(Publish how = Publish::Replace);
    void Discard();

private:
    DestinationFolder& folder_;
    std::string entry_;
    std::string temp_;
    HostFile file_;
};

}  // namespace platform
