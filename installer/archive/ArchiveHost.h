#pragma once
// Where the archive's paths meet the machine. The install engine names files
// with Windows paths that the system root maps to host files; the command-line
// tool names host files directly. Both answer the overwrite decision's
// questions about files through the same mapping.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "installer/version/Overwrite.h"
#include "platform/core/hostio/HostFile.h"

namespace installer {

using platform::HostFile;

class ArchiveHost : public OverwriteFileFacts {
public:
    // The host file a path names; raises platform::Exception when the path
    // names nothing this program may touch.
    virtual std::filesystem::path ToHost(const std::string& path) = 0;
    // Opens the host file a path names; false when it cannot be opened,
    // also when the path names nothing this program may touch.
    bool OpenFile(HostFile& file, const std::string& path, HostFile::Mode mode);
    // Creates a folder with its missing parents; false on failure.
    virtual bool CreateDirectories(const std::string& path);
    // Bytes a new file at path may still take when its drive has a known
    // capacity (a diskette); nothing when only the file system limits it.
    virtual std::optional<std::int64_t> SpaceLeft(const std::string& path);
    // Whether a member may be written under this file name (IsPlainFileName).
    virtual bool AcceptsFileName(const std::string& name);

    bool Exists(const std::string& path) override;
    std::optional<double> LastWriteDateTime(const std::string& path) override;
    std::string FileVersion(const std::string& path) override;
};

// Paths are host paths ('\' is read as '/').
class HostPathArchiveHost : public ArchiveHost {
public:
    std::filesystem::path ToHost(const std::string& path) override;
};

// Paths are Windows paths below the current system root.
class SysrootArchiveHost : public ArchiveHost {
public:
    std::filesystem::path ToHost(const std::string& path) override;
    bool CreateDirectories(const std::string& path) override;
    std::optional<std::int64_t> SpaceLeft(const std::string& path) override;
    // Also a name the root's path layer keeps as it stands, so the file can be reached again.
    bool AcceptsFileName(const std::string& name) override;
};

std::shared_ptr<ArchiveHost> MakeHostPathArchiveHost();
std::shared_ptr<ArchiveHost> MakeSysrootArchiveHost();

}  // namespace installer
