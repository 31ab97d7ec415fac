#pragma once
// Facts about the simulated Windows that the installer asks the system for,
// kept in "<root>/platform.ini" so tests and reviewers can set them:
//
//   [Windows]
//   PlatformId=2          ; 0 Win32s, 1 Windows 95/98, 2 Windows NT
//   MajorVersion=4
//   MinorVersion=0
//   BuildNumber=1381
//   WindowsDir=C:\WINDOWS
//   SystemDir=C:\WINDOWS\SYSTEM32
//   TempDir=C:\WINDOWS\TEMP
//   [InUse]
//   C:\WINDOWS\SYSTEM32\X.DLL=1   ; files that count as in use (locked)
//   [Drives]
//   A=1457664             ; capacity in bytes of a drive that has a fixed size
//
// A missing file or key gives the default shown; a key present but empty (or
// not a number) makes that query fail, as the system call would.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct WindowsVersionInfo {
    int platformId = 2;
    int majorVersion = 4;
    int minorVersion = 0;
    int buildNumber = 1381;
};

class PlatformFacts {
public:
    explicit PlatformFacts(std::filesystem::path root);

    static constexpr const char* kFileName = "platform.ini";
    std::filesystem::path FileName() const { return root_ / kFileName; }

    std::optional<WindowsVersionInfo> Version() const;
    // Full Windows paths; empty when the query fails.
    std::string WindowsDir() const;
    std::string SystemDir() const;
    std::string TempDir() const;

    // By the path's text; the file layer also knows the other paths that
    // reach a listed file (WinFileSystem::IsInUse).
    bool IsInUse(const std::string& fullWinPath) const;
    // The paths listed as in use, in their full Windows form.
    std::vector<std::string> InUseFiles() const;
    void SetInUse(const std::string& fullWinPath, bool inUse);

    std::optional<std::int64_t> DriveCapacity(char drive) const;

    // Writes platform.ini with the defaults when it does not exist yet.
    void WriteDefaultsIfMissing() const;

private:
    std::string directory(const char* key, const char* fallback) const;
    std::filesystem::path root_;
};

}  // namespace platform
