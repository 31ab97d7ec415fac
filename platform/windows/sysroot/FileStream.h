#pragma once
// An open file of the simulated system, as the class library's file stream:
// read, write, seek, size. Opened through WinFileSystem::Open, which applies
// the root confinement and the in-use rules. Sharing is never denied: any
// number of streams may read or write one file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/core/hostio/HostFile.h"
#include "platform/core/runtime/Exception.h"

namespace platform {

class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum class SeekOrigin { Begin, Current, End };

class FileStream {
public:
    FileStream() = default;
    FileStream(FileStream&& other) noexcept = default;
    FileStream& operator=(FileStream&& other) noexcept = default;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& FileName() const { return name_; }  // the Windows path it was opened by

    // Bytes transferred; fewer than asked at the end of the file or on an
    // error (then LastError() holds errno, and DiskFull() tells a full disk).
    std::size_t Read(void* buffer, std::size_t count);
    std::size_t Write(const void* buffer, std::size_t count);
    // All or an exception: EReadError "Stream read error", EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);

    std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
    std::int64_t Position() const;
    std::int64_t Size() const;
    bool SetSize(std::int64_t size);

    int LastError() const { return lastError_; }
    bool DiskFull() const;

    void Close();

private:
    friend class WinFileSystem;
    FileStream(HostFile file, std::string name, std::optional<std::int64_t> spaceLeft);

    HostFile file_;
    std::string name_;
    int lastError_ = 0;
    // Bytes the file may still grow by on a drive of fixed capacity.
    std::optional<std::int64_t> spaceLeft_;
};

}  // namespace platform
