#include "installer/archive/ArchiveHost.h"

#include <system_error>

#include "installer/archive/ArchivePath.h"
#include "installer/version/VersionResource.h"
#include "platform/windows/sysroot/DateTime.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

bool ArchiveHost::CreateDirectories(const std::string& path) {
    std::error_code ec;
    std::filesystem::path host = ToHost(path);
    std::filesystem::create_directories(host, ec);
    return std::filesystem::is_directory(host, ec);
}

std::optional<std::int64_t> ArchiveHost::SpaceLeft(const std::string&) { return std::nullopt; }

bool ArchiveHost::OpenFile(HostFile& file, const std::string& path, HostFile::Mode mode) {
    std::filesystem::path host;
    try {
        host = ToHost(path);
    } catch (const platform::Exception&) {
        return false;
    }
    return file.Open(host, mode);
}

bool ArchiveHost::AcceptsFileName(const std::string& name) { return IsPlainFileName(name); }

bool ArchiveHost::Exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(ToHost(path), ec);
}

std::optional<double> ArchiveHost::LastWriteDateTime(const std::string& path) {
    HostFile file;
    if (!file.Open(ToHost(path), HostFile::Mode::Read)) return std::nullopt;
    return platform::UnixMsToDateTime(file.Opened().modifiedMs);
}

std::string ArchiveHost::FileVersion(const std::string& path) {
    TVersionResource resource(
        [this](const std::string& name) -> std::optional<std::filesystem::path> { return ToHost(name); }, path);
    return resource.VersionInfo().FileVersion;
}

std::filesystem::path HostPathArchiveHost::ToHost(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

std::shared_ptr<ArchiveHost> MakeHostPathArchiveHost() { return std::make_shared<HostPathArchiveHost>(); }

std::filesystem::path SysrootArchiveHost::ToHost(const std::string& path) { return platform::Files().HostPath(path); }

bool SysrootArchiveHost::AcceptsFileName(const std::string& name) {
    return IsPlainFileName(name) && platform::IsWinFileName(name);
}

bool SysrootArchiveHost::CreateDirectories(const std::string& path) { return platform::Files().ForceDirectories(path); }

std::optional<std::int64_t> SysrootArchiveHost::SpaceLeft(const std::string& path) {
    platform::WinFileSystem& files = platform::Files();
    std::string full = files.ExpandFileName(path);
    if (full.size() < 2 || full[1] != ':' || !files.Facts().DriveCapacity(full[0])) return std::nullopt;
    return files.DiskFree(full[0]);
}

std::shared_ptr<ArchiveHost> MakeSysrootArchiveHost() { return std::make_shared<SysrootArchiveHost>(); }

}  // namespace installer
