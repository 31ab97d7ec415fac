#pragma once
// An exclusive lock, between processes and between threads alike, held
// across the read-modify-write of a small file that is replaced by rename (an
// INI file, a registry hive): without it, two writers both read the old copy
// and the second rename drops the first writer's change.
//
// The lock is taken on the folder that holds the file, not on the file: a
// lock on the file would stay with the copy the rename replaces, and a lock
// file beside it would show in the folder listings of the simulated Windows.
// It is a lock of the open folder (flock), so two guards in one process
// exclude each other as two processes do; a guard never nests with another
// guard on the same folder in the same thread.
#include <filesystem>

namespace platform {

class ReplaceLock {
public:
    // Waits for the lock; raises EHostIoError when the folder cannot be opened.
    explicit ReplaceLock(const std::filesystem::path& file);
    ~ReplaceLock();
    ReplaceLock(const ReplaceLock&) = delete;
    ReplaceLock& operator=(const ReplaceLock&) = delete;

private:
    int fd_ = -1;
};

// Removes the temporary files that a writer of this file killed during its
// save left beside it (".<name>.XXXXXX", WriteFileAtomically's). Only when
// the folder's lock is free at that moment, so no live writer's file goes;
// otherwise, and on any error, it leaves them for the next call.
void RemoveKilledSaves(const std::filesystem::path& file);

}  // namespace platform
