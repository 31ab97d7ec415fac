#pragma once
// The version reader and the overwrite decision on the files of the
// simulated Windows (Windows paths below the current system root).
#include <optional>
#include <string>

#include "installer/version/Overwrite.h"
#include "installer/version/VersionResource.h"

namespace installer {

// Maps a Windows path to its host path; a path the file layer refuses has none.
HostPathResolver WindowsPathResolver();

// FileVersion of a Windows path; empty without a version resource.
std::string FileVersionOf(const std::string& windowsPath);

class SystemRootFileFacts : public OverwriteFileFacts {
public:
    bool Exists(const std::string& path) override;
    std::optional<double> LastWriteDateTime(const std::string& path) override;
    std::string FileVersion(const std::string& path) override;
};

// The decisions on Windows paths of the current system root.
int CompareFilesForOverwrite(const std::string& source, const std::string& destination, TOverwriteType type);
int CompareHeaderForOverwrite(const std::string& sourceVersion, const std::string& destination, TOverwriteType type,
                              double sourceDateTime);

}  // namespace installer
