#pragma once
// A file opened on the host, closed when the object goes. Reads and writes
// report how much they moved (short counts are the caller's business, as
// with the class library's streams); only opening raises, and then with the
// caller's message.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace installer {

class HostFile {
public:
    enum class Mode { Read, ReadWrite, CreateNew /* create or truncate */ };

    HostFile() = default;
    ~HostFile();
    HostFile(HostFile&& other) noexcept;
    HostFile& operator=(HostFile&& other) noexcept;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    // False when the file cannot be opened that way (a directory never opens).
    bool Open(const std::filesystem::path& path, Mode mode);
    // Adopts an open descriptor.
    explicit HostFile(int fd) : fd_(fd) {}
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    std::size_t Read(void* buffer, std::size_t count);
    std::size_t Write(const void* buffer, std::size_t count);
    bool Seek(std::int64_t position);
    bool SeekEnd();
    std::int64_t Position() const { return position_; }
    std::int64_t Size() const;
    // The file's status as it was when opened.
    const struct stat& OpenedStatus() const { return opened_; }
    // Bytes read must be exactly count.
    bool ReadExact(void* buffer, std::size_t count) { return Read(buffer, count) == count; }

private:
    int fd_ = -1;
    std::int64_t position_ = 0;
    struct stat opened_ {};
};

}  // namespace installer
