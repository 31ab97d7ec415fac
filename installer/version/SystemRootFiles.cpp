#include "installer/version/SystemRootFiles.h"

#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {

HostPathResolver WindowsPathResolver() {
    return [](const std::string& path) -> std::optional<std::filesystem::path> {
        try {
            return platform::Files().HostPath(path);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
}

std::string FileVersionOf(const std::string& windowsPath) {
    return TVersionResource(WindowsPathResolver(), windowsPath).VersionInfo().FileVersion;
}

bool SystemRootFileFacts::Exists(const std::string& path) { return platform::Files().FileExists(path); }

std::optional<double> SystemRootFileFacts::LastWriteDateTime(const std::string& path) {
    try {
        // The date of a file that can be opened for reading.
        auto file = platform::Files().Open(path, platform::FileMode::Read);
        return platform::Files().FileDateTime(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string SystemRootFileFacts::FileVersion(const std::string& path) { return FileVersionOf(path); }

int CompareFilesForOverwrite(const std::string& source, const std::string& destination, TOverwriteType type) {
    SystemRootFileFacts files;
    return CompareFilesForOverwrite(files, source, destination, type);
}

int CompareHeaderForOverwrite(const std::string& sourceVersion, const std::string& destination, TOverwriteType type,
                              double sourceDateTime) {
    SystemRootFileFacts files;
    return CompareHeaderForOverwrite(files, sourceVersion, destination, type, sourceDateTime);
}

}  // namespace installer
