#pragma once
// A regular file opened on the host, closed when the object goes. This is
// the one place where bytes move between the program and the host's files:
// one read loop and one write loop (whole counts unless the end of the file
// or an error stops them; an interrupted call goes on), every write, fsync
// and close through the failing-device hook of HostFault.h. Reads and
// writes report how much they moved and keep the error in LastError();
// short counts are the caller's business, as with the class library's
// streams.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// What the host says about a file.
struct HostFileFacts {
    std::int64_t size = 0;
    std::int64_t modifiedMs = 0;  // Unix time in milliseconds
    std::uint64_t device = 0, inode = 0;
    unsigned permissions = 0;  // the mode's permission bits
    bool SameFile(const HostFileFacts& other) const { return device == other.device && inode == other.inode; }
};

class HostFile {
public:
    enum class Mode { Read, ReadWrite, CreateNew /* create or truncate */, Append /* create; every write at the end */ };

    HostFile() = default;
    ~HostFile();
    HostFile(HostFile&& other) noexcept;
    HostFile& operator=(HostFile&& other) noexcept;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    // Adopts an open descriptor of a regular file.
    explicit HostFile(int fd);

    // False when the file cannot be opened that way (a directory, a device or
    // a pipe never opens); LastError() tells why. New files get permissions
    // less the process's umask.
    bool Open(const std::filesystem::path& path, Mode mode, unsigned permissions = 0666);
    // Closes the file; false when the close reported an error (a write the
    // host had delayed failed). Closing a closed file is true.
    bool Close();
    bool IsOpen() const { return fd_ >= 0; }

    std::size_t Read(void* buffer, std::size_t count);
    std::size_t Write(const void* buffer, std::size_t count);
    // Bytes read must be exactly count.
    bool ReadExact(void* buffer, std::size_t count) { return Read(buffer, count) == count; }
    bool Seek(std::int64_t position);
    bool SeekEnd();
    std::int64_t Position() const { return position_; }
    std::int64_t Size() const;
    bool SetSize(std::int64_t size);
    // Forces what was written onto the disk.
    bool Sync();
    int LastError() const { return lastError_; }

    // The file as it was when opened, and as it is now.
    const HostFileFacts& Opened() const { return opened_; }
    std::optional<HostFileFacts> Current() const;
    // Sets the last-write (and access) time.
    bool SetModifiedMs(std::int64_t unixMs);
    // Sets the permission bits (less nothing: the umask plays no part).
    bool SetPermissions(unsigned permissions);
    // Gives execute permission where read permission is, when the head of
    // the file shows a program (ELF image or "#!" script).
    void MarkExecutableWhenProgram(const unsigned char* head, std::size_t headLength);

private:
    friend class PendingFile;
    int fd_ = -1;
    std::int64_t position_ = 0;
    int lastError_ = 0;
    bool writable_ = false;
    HostFileFacts opened_;
};

// The file a path names (links followed); nothing when there is none.
std::optional<HostFileFacts> HostFileFactsOf(const std::filesystem::path& path);

// Renames a file, replacing what the new name named; false with errno set on
// failure.
bool RenameHostFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace platform
