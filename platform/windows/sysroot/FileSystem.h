#pragma once
// The file system of the simulated Windows. Windows paths map below the
// system root: drive X: is "<root>/drive_x/", a UNC path \\server\share is
// "<root>/unc/server/share/". Each existing component is found ignoring case;
// new names keep the case given. Nothing outside the root is ever touched:
// ".." stops at the drive root, and a path through a symbolic link that leads
// out of the root (or nowhere) is refused. A component in 8.3 form
// ("PROGRA~1") names the entry whose short name it is, as on Windows.
//
// Queries answer false / -1 / nothing for a refused path; operations that
// change something raise EPathRefused for it and answer false for ordinary
// failures (missing file, in use, ...), like the system calls they stand for.
// Files listed as in use in platform.ini can be read but not deleted,
// replaced, renamed or opened for writing, by whatever path reaches them:
// the file is compared, not the path's text, so another case, an 8.3 alias
// or a link on the way leads to the same refusal. A link to a file in use is
// an entry of its own: it may be deleted or renamed, but nothing is written
// through it. A link and the file it leads to are never moved onto each
// other (that would leave a link to nothing where the file was).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/runtime/Exception.h"
#include "platform/windows/sysroot/DateTime.h"
#include "platform/windows/sysroot/FileStream.h"
#include "platform/windows/sysroot/PlatformFacts.h"

namespace platform {

class EPathRefused : public Exception {
public:
    using Exception::Exception;
};

enum class FileMode {
    Read,       // existing file, read only
    ReadWrite,  // existing file, read and write
    Create      // create or truncate, read and write
};

struct DirEntry {
    std::string name;
    bool directory = false;
    std::int64_t size = 0;
};

class WinFileSystem {
public:
    explicit WinFileSystem(std::filesystem::path root);

    const std::filesystem::path& Root() const { return root_; }
    const PlatformFacts& Facts() const { return facts_; }
    PlatformFacts& Facts() { return facts_; }

    // The current directory (a full Windows path, "C:\" at start) against which
    // relative and drive-less paths are taken.
    const std::string& CurrentDir() const { return currentDir_; }
    bool SetCurrentDir(const std::string& path);  // false when not an existing directory

    // The full Windows form of a path ("data\x" -> "C:\Work\data\x").
    std::string ExpandFileName(const std::string& path) const;
    // The host path a Windows path maps to; raises EPathRefused.
    std::filesystem::path HostPath(const std::string& path) const;
    // The Windows path of a host path below a drive or UNC folder of the root; raises EPathRefused.
    std::string WinPathOf(const std::filesystem::path& hostPath) const;

    bool FileExists(const std::string& path) const;
    bool DirectoryExists(const std::string& path) const;
    std::int64_t FileSize(const std::string& path) const;  // -1 when no such file
    std::optional<TDateTime> FileDateTime(const std::string& path) const;
    bool SetFileDateTime(const std::string& path, TDateTime dt);
    // Whether the path, or the file a link at its end leads to, is listed as in use.
    bool IsInUse(const std::string& path) const;
    // Whether another program holds a write lock on the file (an advisory
    // lock of the host); a missing or refused path is not locked.
    bool IsWriteLocked(const std::string& path) const;

    // Lets the host start the file as a program (its owner may execute it);
    // false when it is no file or cannot be changed.
    bool MarkExecutable(const std::string& path);

    bool CreateDir(const std::string& path);        // the parent must exist
    bool ForceDirectories(const std::string& path);  // with all parents
    bool RemoveDir(const std::string& path);         // empty directories only
    bool DeleteFile(const std::string& path);
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);
    // Rename or move; with replaceExisting an existing destination file is replaced.
    bool MoveFile(const std::string& from, const std::string& to, bool replaceExisting);

    // Entries of a directory whose names match a mask with '*' and '?' (ignoring
    // case; "*.*" matches every name), "." and ".." left out, sorted by name.
    std::vector<DirEntry> FindFiles(const std::string& dir, const std::string& mask = "*.*") const;

    // Raises EFOpenError "Cannot open file %s" / EFCreateError "Cannot create file %s".
    FileStream Open(const std::string& path, FileMode mode);

    // A new empty file "<dir>\<prefix, at most 3 characters><4 hex digits>.tmp",
    // created exclusively, so no two callers ever get one name; its full path,
    // or "" when the directory does not exist or is full.
    std::string CreateTempFile(const std::string& dir, const std::string& prefix);

    // The 8.3 form of an existing path (names that already fit stay as they are,
    // others become the first six characters, '~' and a number); nothing when
    // the path does not exist.
    std::optional<std::string> ShortPathName(const std::string& path) const;

    // Free bytes on a drive: capacity from platform.ini less what its folder
    // holds, or the host's free space.
    std::int64_t DiskFree(char drive) const;

private:
    struct Resolved {
        std::string win;              // full Windows path
        std::filesystem::path host;   // below the root
    };
    std::optional<Resolved> resolve(const std::string& path, std::string* whyNot = nullptr) const;
    Resolved resolveForWrite(const std::string& path) const;
    bool confined(const std::filesystem::path& host) const;
    // Whether a resolved path's entry (followLink false) or the file it leads
    // to (true) is one listed as in use.
    bool inUse(const Resolved& r, bool followLink) const;
    std::optional<std::int64_t> spaceLeftOn(const std::string& winPath) const;

    std::filesystem::path root_;
    std::filesystem::path canonicalRoot_;
    PlatformFacts facts_;
    std::string currentDir_ = "C:\\";
};

// Windows wildcard match of one name, ignoring case.
bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace platform
