#pragma once
// Table files whose later key fields were found of their types (see
// TableFile::CheckKeyTypes), each with the state it was found in: device,
// inode, size, modification time and the file's change counter, which any
// write changes, whoever writes. Counting those fields reads the whole
// file, so it is done when a file is first seen or has changed since. The
// states are kept in the session's private directory, so that the next
// start of the program counts only the files changed meanwhile; the table
// files themselves are never written for it.
#include <map>
#include <string>

namespace platform {

class CheckedKeys {
public:
    // file: where the states are kept; empty keeps them in memory only.
    explicit CheckedKeys(std::string file) : file_(std::move(file)) {}

    bool FoundClean(const std::string& path, const std::string& state);
    // Saved at once; a note that cannot be saved is only lost (the file is counted again).
    void NoteClean(const std::string& path, const std::string& state);

private:
    void Load();
    std::string file_;
    bool loaded_ = false;
    std::map<std::string, std::string> states_;  // path -> state
};

}  // namespace platform
