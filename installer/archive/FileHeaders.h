#pragma once
// The list of member headers of one archive plus its spanned flag: read from
// an archive (checking every field against the file before anything uses
// it), written back, or built from a list of source files.
#include <string>
#include <vector>

#include "installer/archive/ArchiveHeader.h"
#include "installer/archive/ArchiveHost.h"

namespace installer {

class TFileHeaders {
public:
    bool Spanned = false;

    int Count() const { return static_cast<int>(headers_.size()); }
    // Raises ArchiveError (InvalidIndex) for an index outside the list.
    TFileHeader& FileHeaders(int index);
    const TFileHeader& FileHeaders(int index) const;
    // Raises ArchiveError (InvalidHeader) for a header that is not valid.
    void Add(TFileHeader header);
    void Clear() { headers_.clear(); }

    // Reads the count, the flag and every header of the archive that starts
    // offset bytes into the file.
    void ReadFromStream(HostFile& file, std::int64_t offset);
    // Writes the count and the flag at position 0, and every header when
    // spanned.
    void WriteToStream(HostFile& file);
    // One header per entry ("path" or "path;anything"), from the file itself.
    void AddFiles(const std::vector<std::string>& files, bool append, ArchiveHost& host);

private:
    std::vector<TFileHeader> headers_;
};

// The text of a file-list entry before its first ';'.
std::string EntryPath(const std::string& entry);

}  // namespace installer
