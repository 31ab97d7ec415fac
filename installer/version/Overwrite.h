#pragma once
// Whether a file about to be written over an existing one is written, kept,
// or counts as the same.
#include <optional>
#include <string>

namespace installer {

enum class TOverwriteType { owAlways, owNever, owVersion, owDate, owVersionDate };

// Decision results.
inline constexpr int kOverwriteFailed = 0;
inline constexpr int kOverwriteSame = 1;
inline constexpr int kOverwriteWrite = 2;
inline constexpr int kOverwriteKeep = 3;

// What the decision needs to know of the files it compares.
class OverwriteFileFacts {
public:
    virtual ~OverwriteFileFacts() = default;
    virtual bool Exists(const std::string& path) = 0;
    // The last-write time as a day-count date-time; nullopt when the file
    // cannot be opened for reading.
    virtual std::optional<double> LastWriteDateTime(const std::string& path) = 0;
    // FileVersion of the version resource; empty without one.
    virtual std::string FileVersion(const std::string& path) = 0;
};

// 0 failed, 1 same, 2 write, 3 keep. A destination that does not exist is
// always written, whatever the type.
int CompareFilesForOverwrite(OverwriteFileFacts& files, const std::string& source, const std::string& destination,
                             TOverwriteType type);
// The same for a source that exists only inside an archive: its version text
// and date-time come from the member header.
int CompareHeaderForOverwrite(OverwriteFileFacts& files, const std::string& sourceVersion,
                              const std::string& destination, TOverwriteType type, double sourceDateTime);

}  // namespace installer
