#include "installer/version/Overwrite.h"

#include "installer/version/VersionCompare.h"
#include "platform/core/runtime/Text.h"

namespace installer {
namespace {

int ByVersion(const std::string& source, const std::string& destination) {
    switch (CompareVersionStrings(source, destination)) {
        case 0: return kOverwriteSame;
        case 1: return kOverwriteWrite;
        default: return kOverwriteKeep;
    }
}

int ByDate(std::optional<double> source, std::optional<double> destination) {
    if (!source || !destination) return kOverwriteFailed;
    if (*source > *destination) return kOverwriteWrite;
    if (*source == *destination) return kOverwriteSame;
    return kOverwriteKeep;
}

// The shared rule; the source's version and date are asked only when needed.
template <typename SourceVersion, typename SourceDate>
int Decide(OverwriteFileFacts& files, const std::string& destination, TOverwriteType type, SourceVersion version,
           SourceDate date) {
    if (type == TOverwriteType::owAlways) return kOverwriteWrite;
    const bool exists = !platform::IsBlank(destination) && files.Exists(destination);
    if (type == TOverwriteType::owNever) return exists ? kOverwriteKeep : kOverwriteWrite;
    // Nothing to keep: comparing against a missing file could only refuse a
    // first install.
    if (!exists) return kOverwriteWrite;
    if (type == TOverwriteType::owDate) return ByDate(date(), files.LastWriteDateTime(destination));
    const int byVersion = ByVersion(version(), files.FileVersion(destination));
    if (type == TOverwriteType::owVersion || byVersion != kOverwriteSame) return byVersion;
    return ByDate(date(), files.LastWriteDateTime(destination));
}

}  // namespace

int CompareFilesForOverwrite(OverwriteFileFacts& files, const std::string& source, const std::string& destination,
                             TOverwriteType type) {
    return Decide(
        files, destination, type, [&] { return files.FileVersion(source); },
        [&] { return files.LastWriteDateTime(source); });
}

int CompareHeaderForOverwrite(OverwriteFileFacts& files, const std::string& sourceVersion,
                              const std::string& destination, TOverwriteType type, double sourceDateTime) {
    return Decide(
        files, destination, type, [&] { return sourceVersion; },
        [&]() -> std::optional<double> { return sourceDateTime; });
}

}  // namespace installer
